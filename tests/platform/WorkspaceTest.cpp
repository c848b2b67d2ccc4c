#include "platform/DesktopEntry.h"
#include "platform/FileURL.h"
#include "platform/Workspace.h"
#include "support/TestSupport.h"

#include <QFile>
#include <atomic>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class WorkspaceTest : public ::testing::Test {
protected:
    void writeEntry(const QString& dataDir, const QString& id, const QByteArray& body)
    {
        testsupport::writeFile(m_dir.filePath(dataDir + "/applications/" + id + ".desktop"), "[Desktop Entry]\n" + body);
    }
    void writeReleases(const QString& dataDir, const QString& id, const QByteArray& releases)
    {
        testsupport::writeFile(m_dir.filePath(dataDir + "/metainfo/" + id + ".metainfo.xml"),
                               "<?xml version=\"1.0\"?><component><id>x</id><releases>" + releases +
                                   "</releases></component>");
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // The entry of an application "App" with the icon "app-icon".
    std::optional<DesktopEntry> entryWithExec(const QByteArray& exec)
    {
        testsupport::writeFile(path("e.desktop"), "[Desktop Entry]\nName=App\nIcon=app-icon\nExec=" + exec + "\n");
        return DesktopEntry::load(path("e.desktop"));
    }
    QList<QStringList> lines(const QByteArray& exec, const QList<QUrl>& urls)
    {
        const auto entry = entryWithExec(exec);
        EXPECT_TRUE(entry);
        return entry ? entry->commandLines(urls).value_or(QList<QStringList>{{"<none>"}}) : QList<QStringList>{};
    }

    testsupport::TempDir m_dir;
    testsupport::ScopedEnvironment m_environment{
        {"XDG_DATA_HOME", m_dir.filePath("home")}, {"XDG_DATA_DIRS", m_dir.filePath("first") + u':' + m_dir.filePath("second")}};
};

TEST_F(WorkspaceTest, FindsTheEntryInDataHomeThenEachDataDirWithItsOwnMetainfo)
{
    Workspace workspace;
    writeEntry("second", "app.test", "Name=Second\nExec=true\n");
    writeReleases("second", "app.test", R"(<release version="2.0"/>)");
    writeEntry("first", "app.test", "Name=First\nExec=true\n");
    EXPECT_EQ(workspace.urlForApplication("app.test"), fileurl::fromPath(path("first/applications/app.test.desktop"), false));
    // The version comes from beside the entry found, not from another data directory.
    const QVariantMap info = workspace.bundleInfo(workspace.urlForApplication("app.test"));
    EXPECT_EQ(info, (QVariantMap{{"CFBundleName", "First"}, {"CFBundleIdentifier", "app.test"}}));
    writeReleases("first", "app.test", R"(<release version="1.2"/>)");
    EXPECT_EQ(workspace.bundleInfo(workspace.urlForApplication("app.test")).value("CFBundleShortVersionString"), "1.2");

    // An entry marked hidden in the user's data directory, looked at first, removes the application.
    writeEntry("home", "app.test", "Name=Home\nHidden=true\nExec=true\n");
    EXPECT_TRUE(workspace.urlForApplication("app.test").isEmpty());
    EXPECT_TRUE(workspace.urlForApplication("../home/applications/app.test").isEmpty());
}

TEST_F(WorkspaceTest, VersionIsTheNewestReleaseByDateElseTheFirstListed)
{
    const std::pair<QByteArray, const char*> cases[] = {
        {R"(<release version="1.2" date="2023-05-01"/><release version="1.10.4" date="2024-02-01T10:00:00Z"/>
            <release version="1.9" timestamp="1690000000"/>)", "1.10.4"},
        {R"(<release version="3.1"/><release version="3.0"/>)", "3.1"},
        {R"(<release version="1.0" timestamp="1500000000"/><release version="1.1" timestamp="1600000000"/>)", "1.1"},
    };
    for (const auto& [releases, expected] : cases) {
        writeReleases("home", "a", releases);
        EXPECT_EQ(newestReleaseVersion(path("home/metainfo/a.metainfo.xml")), expected);
    }
    testsupport::writeFile(path("home/metainfo/a.metainfo.xml"), "<component><releases><release version=\"1\"");
    EXPECT_EQ(newestReleaseVersion(path("home/metainfo/a.metainfo.xml")), "");
    EXPECT_EQ(newestReleaseVersion(path("home/metainfo/missing.metainfo.xml")), "");
}

TEST_F(WorkspaceTest, ExecLinesExpandFieldCodesAndHonourQuoting)
{
    const QUrl file = QUrl::fromLocalFile("/tmp/Notes Import/a b.plist");
    const QUrl web("ostrel://library?location=file:///x%2520y&supportsHashtags=0");
    const QString webText = web.toString(QUrl::FullyEncoded);
    using Lines = QList<QStringList>;

    EXPECT_EQ(lines("prog %u --name=%c", {web}), (Lines{{"prog", webText, "--name=App"}}));
    // Quoted parts keep blanks and escaped characters; a doubled backslash in
    // the value is one backslash in the line.
    EXPECT_EQ(lines(R"("/opt/my app/run" "say \"hi\" \$HOME \`x\` \\\\" 100%% %F)", {file, web}),
              (Lines{{"/opt/my app/run", R"(say "hi" $HOME `x` \)", "100%", "/tmp/Notes Import/a b.plist"}}));
    // Deprecated codes vanish; %i gives the icon option.
    EXPECT_EQ(lines("prog %d %D %n %N %v %m %i %U", {web}), (Lines{{"prog", "--icon", "app-icon", webText}}));
    // One URL per start for %u; a %f without a local file drops out.
    EXPECT_EQ(lines("prog %u", {web, file}),
              (Lines{{"prog", webText}, {"prog", file.toString(QUrl::FullyEncoded)}}));
    EXPECT_EQ(lines("prog %f", {web}), (Lines{{"prog"}}));
    EXPECT_EQ(lines("prog\\s%U", {}), (Lines{{"prog"}}));
    EXPECT_EQ(lines(R"("prog %u)", {web}), (Lines{{"<none>"}}));
    EXPECT_EQ(lines("", {web}), (Lines{{"<none>"}}));
}

TEST_F(WorkspaceTest, AnExecLineWithoutAURLCodeIsRefusedForHandOff)
{
    const std::pair<const char*, bool> cases[] = {
        {"ostrel %u", true}, {"ostrel --open=%U", true}, {"ostrel %f", false}, {"ostrel", false}, {"ostrel %%u", false},
    };
    for (const auto& [exec, takesURLs] : cases) {
        SCOPED_TRACE(exec);
        const auto entry = entryWithExec(exec);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->takesURLs(), takesURLs);
        if (takesURLs)
            continue;
        // Refused before any program is looked for: "ostrel" need not exist.
        const auto failure = entry->launch({QUrl("ostrel://library?location=x")});
        ASSERT_TRUE(failure);
        EXPECT_TRUE(failure->localizedDescription().contains("takes no URLs")) << failure->localizedDescription().toStdString();
    }
}

TEST_F(WorkspaceTest, OpeningRunsTheProgramWithoutAShellOrReportsWhyNot)
{
    Workspace workspace;
    const QString target = path("made by touch; rm -rf x");
    // A stand-in of our own, found on the search path, makes the file it is given.
    testsupport::writeFile(path("bin/toucher"), "#!/bin/sh\n: > \"$1\"\n");
    ASSERT_TRUE(QFile::setPermissions(path("bin/toucher"), QFile::ReadOwner | QFile::ExeOwner));
    const testsupport::ScopedEnvironment searchPath{{"PATH", path("bin")}};
    writeEntry("home", "app.touch", "Name=Toucher\nExec=toucher %F\n");
    writeEntry("home", "app.gone", "Name=Gone\nExec=\"" + path("no such program").toUtf8() + "\" %u\n");

    std::atomic<int> calls{0};
    std::optional<Error> touchResult, goneResult;
    workspace.openURLs({QUrl::fromLocalFile(target)}, workspace.urlForApplication("app.touch"), true,
                       [&](const std::optional<Error>& error) { touchResult = error; ++calls; });
    workspace.openURLs({QUrl("ostrel://library")}, workspace.urlForApplication("app.gone"), true,
                       [&](const std::optional<Error>& error) { goneResult = error; ++calls; });
    ASSERT_TRUE(testsupport::spinUntil([&] { return calls == 2; }));
    EXPECT_FALSE(touchResult);
    ASSERT_TRUE(goneResult);
    EXPECT_TRUE(goneResult->localizedDescription().contains("“Gone”")) << goneResult->localizedDescription().toStdString();
    EXPECT_TRUE(goneResult->localizedDescription().contains("not found"));
    EXPECT_TRUE(testsupport::spinUntil([&] { return QFile::exists(target); }));
}

} // namespace
