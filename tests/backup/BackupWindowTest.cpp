#include "app/FakeWorkspace.h"
#include "app/gui/AppDelegate.h"
#include "app/gui/GuiTestSupport.h"
#include "backup/BackupTestSupport.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

using namespace notestoregen;
using testsupport::spinUntil;

namespace {

// From a folder of two backups the window offers both, opens the chosen
// encrypted one with the password it asks for, and exports its notes, the
// locked one too with the same password.
TEST(BackupWindow, PicksABackupAsksItsPasswordAndExportsIt)
{
    testsupport::PrivateHome privateHome;
    testsupport::AlertRecorder alerts;
    testsupport::FakeWorkspace workspace;
    workspace.installed = QUrl::fromLocalFile(QStringLiteral("/apps/app.ostrel.Ostrel.desktop"));
    workspace.version = QStringLiteral("1.10.4");
    AppDelegate delegate{&workspace};
    delegate.setTerminateHandler([] {});

    Container c;
    const int folder = c.addFolder(QStringLiteral("Notes"), c.addAccount(QStringLiteral("iCloud")));
    Note& locked = c.notes[size_t(c.addNote(QStringLiteral("Locked"), folder, {}, appleTime(2024, 1, 1)))];
    testsupport::lockNote(locked, gzippedBody(plainText(QStringLiteral("Locked"), QStringLiteral("x"))),
                          testsupport::kBackupPassword);
    c.addNote(QStringLiteral("Open"), folder, plainText(QStringLiteral("Open"), QStringLiteral("y")), appleTime(2024, 1, 2));
    const QString container = privateHome.dir.filePath(QStringLiteral("container"));
    testsupport::writeContainer(c, container);
    const QString backups = privateHome.dir.filePath(QStringLiteral("backups"));
    BackupOptions plain;
    plain.deviceName = QStringLiteral("Old iPhone");
    testsupport::writeBackupOf(container, backups, plain);
    BackupOptions encrypted;
    encrypted.deviceName = QStringLiteral("New iPad");
    encrypted.encrypted = true;
    encrypted.password = testsupport::kBackupPassword;
    testsupport::writeBackupOf(container, backups, encrypted);

    QStringList offered;
    delegate.setBackupChooser([&](QWidget*, const QStringList& descriptions) {
        offered = descriptions;
        for (int i = 0; i < descriptions.size(); ++i)
            if (descriptions[i].contains(QStringLiteral("New iPad")))
                return i;
        return -1;
    });
    QStringList askedFor;
    delegate.setBackupPasswordPrompt([&](QWidget*, const QString& device) -> std::optional<notestore::Secret> {
        askedFor << device;
        return notestore::Secret(testsupport::kBackupPassword.constData(), testsupport::kBackupPassword.size());
    });
    int lockedAsked = 0;
    delegate.setPasswordPrompt([&](QWidget*, int, const QStringList&) -> std::optional<notestore::Secret> {
        ++lockedAsked;
        return std::nullopt; // skipped: the backup's password opens them anyway
    });

    bool opened = false;
    QObject::connect(&delegate, &AppDelegate::notesLibraryOpened, &delegate, [&](bool ok) { opened = ok; });
    delegate.useNotesLibrary(backups);
    ASSERT_TRUE(spinUntil([&] { return opened; }, 60000));
    EXPECT_EQ(offered.size(), 2);
    EXPECT_EQ(askedFor, QStringList{QStringLiteral("New iPad")});

    delegate.startImport();
    ASSERT_TRUE(delegate.progressWindow());
    ASSERT_TRUE(spinUntil([&] { return !delegate.progressWindow()->window()->isVisible(); }, 60000));
    const QString importFolder = privateHome.dir.filePath(QStringLiteral("data/group.app.ostrel/Notes Import"));
    QStringList files;
    for (const QString& entry : testsupport::tree(importFolder))
        if (entry.endsWith(QStringLiteral(".html")))
            files << entry;
    EXPECT_EQ(files, (QStringList{"iCloud/Notes/Locked.html", "iCloud/Notes/Open.html"}));
    EXPECT_EQ(lockedAsked, 1);
}

} // namespace

namespace {

// Cancelling the password of an encrypted backup, even the remembered one
// at launch, says why and keeps the program open for another choice.
TEST(BackupWindow, WithoutItsPasswordSaysSoAndStaysOpen)
{
    testsupport::PrivateHome privateHome;
    testsupport::AlertRecorder alerts;
    testsupport::FakeWorkspace workspace;
    Container c;
    c.addNote(QStringLiteral("Open"), c.addFolder(QStringLiteral("Notes"), c.addAccount(QStringLiteral("iCloud"))),
              plainText(QStringLiteral("Open"), QStringLiteral("y")), appleTime(2024, 1, 2));
    const QString container = privateHome.dir.filePath(QStringLiteral("container"));
    testsupport::writeContainer(c, container);
    BackupOptions encrypted;
    encrypted.encrypted = true;
    encrypted.password = testsupport::kBackupPassword;
    const QString device =
        testsupport::writeBackupOf(container, privateHome.dir.filePath(QStringLiteral("backups")), encrypted);
    platform::UserDefaults::standard().setObject(device, QString::fromLatin1(AppDelegate::kNotesLibraryPathKey));

    AppDelegate delegate{&workspace};
    bool terminated = false;
    delegate.setTerminateHandler([&] { terminated = true; });
    delegate.setBackupPasswordPrompt([](QWidget*, const QString&) { return std::optional<notestore::Secret>(); });
    bool finished = false;
    QObject::connect(&delegate, &AppDelegate::notesLibraryOpened, &delegate, [&](bool) { finished = true; });
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(spinUntil([&] { return finished; }, 60000));
    EXPECT_FALSE(terminated);
    ASSERT_EQ(alerts.shown.size(), size_t(1));
    EXPECT_TRUE(alerts.shown[0].alert.informativeText.contains(QStringLiteral("no password was given")))
        << alerts.shown[0].alert.informativeText.toStdString();
    EXPECT_EQ(platform::UserDefaults::standard().string(QString::fromLatin1(AppDelegate::kNotesLibraryPathKey)), device);
}

} // namespace
