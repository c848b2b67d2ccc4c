#include "app/gui/GuiTestSupport.h"
#include "backup/BackupTestSupport.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QInputDialog>
#include <QTimer>
#include <gtest/gtest.h>

using namespace notestoregen;
using namespace testsupport;
using namespace Qt::StringLiterals;

namespace {

// A locked note and an open one, in a plain and an encrypted backup of two
// devices, in "backups".
class BackupWindow : public testing::Test, protected DelegateHarness {
protected:
    void SetUp() override
    {
        Container c;
        const int folder = c.addFolder(u"Notes"_s, c.addAccount(u"iCloud"_s));
        Note& locked = c.notes[size_t(c.addNote(u"Locked"_s, folder, {}, appleTime(2024, 1, 1)))];
        lockNote(locked, gzippedBody(plainText(u"Locked"_s, u"x"_s)), kBackupPassword);
        c.addNote(u"Open"_s, folder, plainText(u"Open"_s, u"y"_s), appleTime(2024, 1, 2));
        const QString container = home.filePath(u"container"_s);
        writeContainer(c, container);
        writeBackupOf(container, backups, deviceBackup(u"Old iPhone"_s));
        encryptedDevice = writeBackupOf(container, backups, deviceBackup(u"New iPad"_s, true));
    }

    QString backups = home.filePath(u"backups"_s);
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
        dialog->setTextValue(offered.filter(u"New iPad"_s).value(0));
        dialog->accept();
    });
    chooser.start(10);
    QStringList askedFor;
    delegate.setBackupPasswordPrompt([&](QWidget*, const QString& device) {
        askedFor << device;
        return std::optional(notestore::Secret(kBackupPassword.constData(), kBackupPassword.size()));
    });
    int lockedAsked = 0;
    delegate.setPasswordPrompt([&](QWidget*, int, const QStringList&) -> std::optional<notestore::Secret> {
        ++lockedAsked;
        return notestore::Secret("wrong", 5); // the backup's password opens them anyway
    });

    ASSERT_TRUE(use(backups));
    EXPECT_EQ(offered.size(), 2);
    EXPECT_EQ(askedFor, QStringList{u"New iPad"_s});
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
    const QString& said = alerts.shown[0].alert.informativeText;
    EXPECT_TRUE(said.contains(u"no password was given"_s)) << said.toStdString();
    EXPECT_EQ(platform::UserDefaults::standard().string(key), encryptedDevice);
}

} // namespace
