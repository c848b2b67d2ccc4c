#include "app/ImportFlow.h"
#include "app/ImportLock.h"
#include "platform/FileURL.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QUrlQuery>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(ImportFlow, VersionsFrom1_10_4OnAreAccepted)
{
    for (const char* accepted : {"1.10.4", "1.11", "2.0", "1.10.4.1", "1.10.5b2", "10.0", "1.10.04"})
        EXPECT_TRUE(app::isSupportedOstrelVersion(QString::fromLatin1(accepted))) << accepted;
    for (const char* refused : {"1.10.3", "1.9.12", "0.99", "1.10", "1", "", "v2.0", "1.x.9", "1.9.99999999999"})
        EXPECT_FALSE(app::isSupportedOstrelVersion(QString::fromLatin1(refused))) << refused;
    const app::Version parsed = app::parseVersion(QStringLiteral("3.7beta.x"));
    EXPECT_EQ(std::make_tuple(parsed.major, parsed.minor, parsed.patch), std::make_tuple(3, 7, 0));
}

TEST(ImportFlow, HandoffURLEscapesTheManifestURLOnceMore)
{
    const QUrl manifest = platform::fileurl::fromPath(QStringLiteral("/data/Notes Import/Notes Import.plist"), false);
    EXPECT_EQ(app::handoffURL(manifest).toString(QUrl::FullyEncoded),
              QStringLiteral("ostrel://library?location=file:///data/Notes%2520Import/Notes%2520Import.plist&supportsHashtags=0"));

    // Whatever the path holds, decoding the value once gives the file URL back.
    const QUrl odd = platform::fileurl::fromPath(QStringLiteral("/d/a&b=c+d#e %25 é/Notes Import.plist"), false);
    const QUrlQuery query(QUrl(app::handoffURL(odd).toString(QUrl::FullyEncoded), QUrl::StrictMode));
    const QList<std::pair<QString, QString>> items{{"location", platform::fileurl::absoluteString(odd)},
                                                   {"supportsHashtags", "0"}};
    EXPECT_EQ(query.queryItems(QUrl::FullyDecoded), items);
}

// Runs `check` in a child process as a user other than root (nobody, when
// the tests run as root); its exit status is the answer, or -1 when no
// such user can be had.
int asOrdinaryUser(const QString& home, const std::function<int()>& check)
{
    const uid_t nobody = 65534;
    if (geteuid() == 0 && (chown(QFile::encodeName(home).constData(), nobody, nobody) != 0))
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(100);
        _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 100 ? WEXITSTATUS(status) : -1;
}

TEST(ImportFlow, PrepareImportFolderEmptiesReadOnlyFoldersOrStops)
{
    testsupport::TempDir dir;
    const testsupport::ScopedEnvironment environment{{"XDG_DATA_HOME", dir.path()}};
    const QString folder = dir.filePath(QStringLiteral("group.app.ostrel/Notes Import"));
    // A read-only folder of this user is emptied; one of another user that
    // cannot be emptied stops the import, named.
    const int status = asOrdinaryUser(dir.path(), [&] {
        testsupport::writeFile(folder + QStringLiteral("/Old/Stale/note.html"), "stale");
        chmod(QFile::encodeName(folder + QStringLiteral("/Old/Stale")).constData(), 0555);
        chmod(QFile::encodeName(folder + QStringLiteral("/Old")).constData(), 0500);
        platform::Error error;
        return app::prepareImportFolder(&error) && testsupport::tree(folder) == QStringList{".notes-export"} ? 0 : 1;
    });
    if (status < 0)
        GTEST_SKIP() << "no other user to be had";
    EXPECT_EQ(status, 0);

    if (geteuid() != 0)
        return;
    // Root's folder inside, which nobody may not empty.
    testsupport::writeFile(folder + QStringLiteral("/Root's/kept.html"), "kept");
    chmod(QFile::encodeName(folder + QStringLiteral("/Root's")).constData(), 0755);
    const int refused = asOrdinaryUser(dir.path(), [&] {
        platform::Error error;
        const QString expected = QStringLiteral("still there: Notes Import/Root's/kept.html (Permission denied)");
        return !app::prepareImportFolder(&error) && error.localizedDescription().contains(expected) ? 0 : 1;
    });
    EXPECT_EQ(refused, 0);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Root's/kept.html")));
}

// The lock of the shared folder is a plain file; anything else in its
// place stops the import, named.
TEST(ImportLock, IsRefusedWhereItsFileIsNoPlainFile)
{
    for (const bool folder : {true, false}) {
        testsupport::TempDir dir;
        const QString lock = dir.filePath(QLatin1String(app::ImportLock::kLockFileName));
        ASSERT_TRUE(folder ? QDir().mkpath(lock) : mkfifo(QFile::encodeName(lock).constData(), 0600) == 0);
        platform::Error error;
        EXPECT_FALSE(app::ImportLock::acquire(dir.path(), &error));
        EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("“%1” couldn’t be opened").arg(lock)))
            << error.localizedDescription().toStdString();
    }
}

} // namespace
