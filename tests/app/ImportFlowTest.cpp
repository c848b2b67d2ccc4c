#include "app/FakeWorkspace.h"
#include "app/ImportFlow.h"
#include "platform/FileURL.h"
#include "platform/Operation.h"
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

using testsupport::FakeWorkspace;

TEST(ImportFlow, VersionsFrom1_10_4OnAreAccepted)
{
    for (const char* accepted : {"1.10.4", "1.11", "2.0", "1.10.4.1", "1.10.5b2", "10.0", "1.10.04"})
        EXPECT_TRUE(app::isSupportedOstrelVersion(QString::fromLatin1(accepted))) << accepted;
    for (const char* refused : {"1.10.3", "1.9.12", "0.99", "1.10", "1", "", "v2.0", "1.x.9", "1.9.99999999999"})
        EXPECT_FALSE(app::isSupportedOstrelVersion(QString::fromLatin1(refused))) << refused;
    const app::Version parsed = app::parseVersion(QStringLiteral("3.7beta.x"));
    EXPECT_EQ(std::make_tuple(parsed.major, parsed.minor, parsed.patch), std::make_tuple(3, 7, 0));
}

TEST(ImportFlow, VersionProblemsCarryTheAlertTexts)
{
    FakeWorkspace workspace;
    auto problem = app::ostrelVersionProblem(workspace);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->message, QStringLiteral("Unable to locate the Ostrel application."));
    EXPECT_EQ(problem->informative, QStringLiteral("Make sure Ostrel is installed and try again."));

    workspace.installed = QUrl::fromLocalFile(QStringLiteral("/apps/ostrel.desktop"));
    for (const QString& version : {QString(), QStringLiteral("1.10.3")}) {
        workspace.version = version;
        problem = app::ostrelVersionProblem(workspace);
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->message, QStringLiteral("This version of Ostrel is too old. Version 1.10.4 or later is required."));
        EXPECT_EQ(problem->informative, QStringLiteral("Update to the latest version of Ostrel and try again."));
    }
    workspace.version = QStringLiteral("1.10.4");
    EXPECT_FALSE(app::ostrelVersionProblem(workspace));
}

TEST(ImportFlow, HandoffURLEscapesTheManifestURLOnceMore)
{
    const QUrl manifest = platform::fileurl::fromPath(QStringLiteral("/data/Notes Import/Notes Import.plist"), false);
    const QUrl url = app::handoffURL(manifest);
    EXPECT_EQ(url.toString(QUrl::FullyEncoded),
              QStringLiteral("ostrel://library?location=file:///data/Notes%2520Import/Notes%2520Import.plist&supportsHashtags=0"));

    // Whatever the path holds, decoding the value once gives the file URL back.
    const QUrl odd = platform::fileurl::fromPath(QStringLiteral("/d/a&b=c+d#e %25 é/Notes Import.plist"), false);
    const QUrlQuery query(QUrl(app::handoffURL(odd).toString(QUrl::FullyEncoded), QUrl::StrictMode));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("location"), QUrl::FullyDecoded), platform::fileurl::absoluteString(odd));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("supportsHashtags")), QStringLiteral("0"));
    EXPECT_EQ(query.queryItems().size(), 2);
}

TEST(ImportFlow, PrepareImportFolderStartsAfreshInTheSharedContainer)
{
    testsupport::TempDir dir;
    const testsupport::ScopedEnvironment environment{{"XDG_DATA_HOME", dir.path()}};
    const QString folder = dir.filePath(QStringLiteral("group.app.ostrel/Notes Import"));
    testsupport::writeFile(folder + QStringLiteral("/Personal/Old/note.html"), "old");
    testsupport::writeFile(folder + QStringLiteral("/Notes Import.plist"), "old");

    platform::Error error;
    const auto url = app::prepareImportFolder(&error);
    ASSERT_TRUE(url) << error.localizedDescription().toStdString();
    EXPECT_EQ(*url, platform::fileurl::fromPath(folder, true));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    // Only the marker that makes it recognisably ours from the start.
    EXPECT_EQ(testsupport::tree(folder), QStringList{QStringLiteral(".notes-export")});

    // A file where the container should be makes the step fail.
    QDir(dir.filePath(QStringLiteral("group.app.ostrel"))).removeRecursively();
    testsupport::writeFile(dir.filePath(QStringLiteral("group.app.ostrel")), "in the way");
    EXPECT_FALSE(app::prepareImportFolder(&error));
    EXPECT_FALSE(error.localizedDescription().isEmpty());
}

namespace {

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

} // namespace

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
        if (!app::prepareImportFolder(&error) || testsupport::tree(folder) != QStringList{QStringLiteral(".notes-export")})
            return 1;
        return 0;
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
        if (app::prepareImportFolder(&error))
            return 1;
        return error.localizedDescription().contains(QLatin1String("still there: Notes Import/Root's/kept.html (Permission denied)")) ? 0 : 2;
    });
    EXPECT_EQ(refused, 0);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Root's/kept.html")));
}

TEST(ImportFlow, OpenOstrelAnswersOnTheMainQueue)
{
    FakeWorkspace workspace;
    const QUrl manifest = platform::fileurl::fromPath(QStringLiteral("/x/Notes Import.plist"), false);
    struct Answer {
        bool arrived = false;
        bool onMainThread = false;
        std::optional<app::AlertText> failure;
    };
    auto open = [&] {
        auto answer = std::make_shared<Answer>();
        app::openOstrel(workspace, manifest, [answer](const std::optional<app::AlertText>& failure) {
            answer->arrived = true;
            answer->onMainThread = platform::isMainThread();
            answer->failure = failure;
        });
        EXPECT_TRUE(testsupport::spinUntil([&] { return answer->arrived; }));
        EXPECT_TRUE(answer->onMainThread);
        return *answer;
    };

    Answer missing = open();
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->message, QStringLiteral("Cannot open Ostrel"));
    EXPECT_TRUE(workspace.openedURLs.isEmpty());

    workspace.installed = QUrl::fromLocalFile(QStringLiteral("/apps/ostrel.desktop"));
    workspace.openResult = platform::Error(QStringLiteral("D"), 1, QStringLiteral("The program could not be started."));
    Answer failed = open();
    ASSERT_TRUE(failed.failure);
    EXPECT_EQ(failed.failure->message, QStringLiteral("Cannot open Ostrel"));
    EXPECT_EQ(failed.failure->informative, QStringLiteral("The program could not be started."));
    EXPECT_EQ(workspace.openedURLs, QList<QUrl>{app::handoffURL(manifest)});

    workspace.openResult.reset();
    EXPECT_FALSE(open().failure);
}

} // namespace
