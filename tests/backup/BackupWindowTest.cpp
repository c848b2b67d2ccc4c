#include "app/gui/GuiTestSupport.h"
#include "backup/BackupTestSupport.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QInputDialog>
#include <QTimer>
#include <gtest/gtest.h>

using namespace notestoregen;

namespace {

// A locked note and an open one, in a plain and an encrypted backup of two
// devices, in "backups".
class BackupWindow : public testing::Test, protected testsupport::DelegateHarness {
protected:
    void SetUp() override
    {
        Container c;
        const int folder = c.addFolder(QStringLiteral("Notes"), c.addAccount(QStringLiteral("iCloud")));
        Note& locked = c.notes[size_t(c.addNote(QStringLiteral("Locked"), folder, {}, appleTime(2024, 1, 1)))];
        testsupport::lockNote(locked, gzippedBody(plainText(QStringLiteral("Locked"), QStringLiteral("x"))),
                              testsupport::kBackupPassword);
        c.addNote(QStringLiteral("Open"), folder, plainText(QStringLiteral("Open"), QStringLiteral("y")),
                  appleTime(2024, 1, 2));
        const QString container = home.filePath(QStringLiteral("container"));
        testsupport::writeContainer(c, container);
        testsupport::writeBackupOf(container, backups, testsupport::deviceBackup(QStringLiteral("Old iPhone")));
        encryptedDevice =
            testsupport::writeBackupOf(container, backups, testsupport::deviceBackup(QStringLiteral("New iPad"), true));
    }

    QString backups = home.filePath(QStringLiteral("backups"));
    QString encryptedDevice;
};

// From a folder of two backups the window offers both, opens the chosen
// encrypted one with the password it asks for, and exports its notes, the
// locked one too with the same password.
TEST_F(BackupWindow, PicksABackupAsksItsPasswordAndExportsIt)
{
    // The window asks which one once it has read the folder.
    QStringList offered;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        chooser.stop();
        offered = dialog->comboBoxItems();
        dialog->setTextValue(offered.filter(QStringLiteral("New iPad")).value(0));
        dialog->accept();
    });
    chooser.start(10);
    QStringList askedFor;
    delegate.setBackupPasswordPrompt([&](QWidget*, const QString& device) {
        askedFor << device;
        const QByteArray& password = testsupport::kBackupPassword;
        return std::optional(notestore::Secret(password.constData(), password.size()));
    });
    int lockedAsked = 0;
    delegate.setPasswordPrompt([&](QWidget*, int, const QStringList&) -> std::optional<notestore::Secret> {
        ++lockedAsked;
        return notestore::Secret("wrong", 5); // the backup's password opens them anyway
    });

    ASSERT_TRUE(use(backups));
    EXPECT_EQ(offered.size(), 2);
    EXPECT_EQ(askedFor, QStringList{QStringLiteral("New iPad")});
    EXPECT_EQ(importedNotes(), (QStringList{"iCloud/Notes/Locked.html", "iCloud/Notes/Open.html"}));
    EXPECT_EQ(lockedAsked, 1);
}

// Cancelling the password of an encrypted backup, even the remembered one
// at launch, says why and keeps the program open for another choice.
TEST_F(BackupWindow, WithoutItsPasswordSaysSoAndStaysOpen)
{
    const QString key = QString::fromLatin1(AppDelegate::kNotesLibraryPathKey);
    platform::UserDefaults::standard().setObject(encryptedDevice, key);
    delegate.setBackupPasswordPrompt([](QWidget*, const QString&) { return std::optional<notestore::Secret>(); });
    EXPECT_FALSE(launch());
    EXPECT_EQ(terminated, 0);
    ASSERT_EQ(alerts.shown.size(), size_t(1));
    EXPECT_TRUE(alerts.shown[0].alert.informativeText.contains(QStringLiteral("no password was given")))
        << alerts.shown[0].alert.informativeText.toStdString();
    EXPECT_EQ(platform::UserDefaults::standard().string(key), encryptedDevice);
}

} // namespace
