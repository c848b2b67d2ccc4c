#include "platform/FileURL.h"
#include "support/TestSupport.h"
#include "text/FileNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using fw::makeFilenameUniqueInDirectoryAtURL;
using fw::stringSanitizedForFileName;

namespace {
QString s(const char* text) { return QString::fromUtf8(text); }
} // namespace

TEST(Sanitize, ReplacesTrimsAndRemoves)
{
    EXPECT_EQ(stringSanitizedForFileName(s(".hidden")), s("-hidden"));
    EXPECT_EQ(stringSanitizedForFileName(s("..x")), s("-.x"));
    EXPECT_EQ(stringSanitizedForFileName(s("a/b:c~d")), s("a-b-c-d"));
    EXPECT_EQ(stringSanitizedForFileName(s("\tin\tside\t")), s("in-side"));
    EXPECT_EQ(stringSanitizedForFileName(s("a\nb\r\nc\u2028d")), s("abcd"));
    EXPECT_EQ(stringSanitizedForFileName(s("…Title…")), s("Title"));
    EXPECT_EQ(stringSanitizedForFileName(s(" \u00a0\n\t ")), QString());
    EXPECT_EQ(stringSanitizedForFileName(QString()), QString());
    EXPECT_EQ(stringSanitizedForFileName(s("back\\slash?*\"quoted\"")), s("back\\slash?*\"quoted\""));
    // A NUL would cut the name short at the system call.
    EXPECT_EQ(stringSanitizedForFileName(QString::fromUtf16(u"a\0b", 3)), s("a-b"));
}

TEST(Sanitize, CutsLongNamesKeepingTheExtension)
{
    const QString exact = QString(251, u'x') + s(".txt");
    EXPECT_EQ(stringSanitizedForFileName(exact), exact);

    const QString longWithExtension = QString(300, u'x') + s(".html");
    const QString cut = stringSanitizedForFileName(longWithExtension);
    EXPECT_EQ(cut.size(), 255);
    EXPECT_TRUE(cut.endsWith(s(".html")));

    const QString longWithout = QString(256, u'y');
    EXPECT_EQ(stringSanitizedForFileName(longWithout), QString(255, u'y'));

    // An extension that leaves no room for a stem: the whole is the stem.
    const QString hugeExtension = s("a.") + QString(300, u'e');
    EXPECT_LE(stringSanitizedForFileName(hugeExtension).size(), 255);
    EXPECT_FALSE(stringSanitizedForFileName(hugeExtension).isEmpty());
}

TEST(Sanitize, NeverSplitsACharacterAndFitsTheFileSystem)
{
    // 200 emoji: 400 UTF-16 units, 800 UTF-8 bytes.
    QString emoji;
    for (int i = 0; i < 200; ++i)
        emoji += QString::fromUcs4(U"\U0001F600", 1);
    const QString cut = stringSanitizedForFileName(emoji + s(".html"));
    EXPECT_TRUE(cut.endsWith(s(".html")));
    EXPECT_FALSE(cut.at(cut.size() - 6).isHighSurrogate());
    EXPECT_LE(cut.toUtf8().size(), fw::kMaximumFileNameLength);
    EXPECT_EQ(QString::fromUtf8(cut.toUtf8()), cut); // still valid text

    // 120 CJK characters fit in units but not in bytes.
    const QString cjk = QString(120, QChar(0x4EAC));
    EXPECT_LE(stringSanitizedForFileName(cjk).toUtf8().size(), 255);
}

TEST(UniqueName, NumbersTakenNames)
{
    testsupport::TempDir dir;
    auto make = [&](const QString& name) { return makeFilenameUniqueInDirectoryAtURL(name, dir.url()); };
    EXPECT_EQ(make(s("Note.html")), s("Note.html"));
    testsupport::writeFile(dir.filePath(s("Note.html")), "");
    EXPECT_EQ(make(s("Note.html")), s("Note 1.html"));
    testsupport::writeFile(dir.filePath(s("Note 1.html")), "");
    EXPECT_EQ(make(s("Note.html")), s("Note 2.html"));

    QDir(dir.path()).mkdir(s("Work"));
    EXPECT_EQ(make(s("Work")), s("Work 1"));
    QDir(dir.path()).mkdir(s("Version 1.5"));
    EXPECT_EQ(make(s("Version 1.5")), s("Version 1 1.5"));

    // A dangling link holds its name too.
    ASSERT_TRUE(QFile::link(dir.filePath(s("nowhere")), dir.filePath(s("Link.html"))));
    EXPECT_EQ(make(s("Link.html")), s("Link 1.html"));
}

TEST(UniqueName, AFullLengthNameStillGetsAFreshName)
{
    testsupport::TempDir dir;
    const QString longest = QString(250, u'n') + s(".html");
    testsupport::writeFile(dir.filePath(longest), "first");
    const QString next = makeFilenameUniqueInDirectoryAtURL(longest, dir.url());
    EXPECT_NE(next, longest);
    EXPECT_LE(next.size(), 255);
    EXPECT_TRUE(next.endsWith(s(" 1.html")));
    EXPECT_FALSE(QFile::exists(dir.filePath(next)));
}

TEST(Sanitize, ALongExtensionNeverLeavesAHiddenName)
{
    // Found by fuzzing: the extension left no byte for a three-byte stem
    // character, and the name came out as ".<extension>".
    const QString stem(10, QChar(0x4E00));
    const QString extension(84, QChar(0x4E01));
    const QString result = stringSanitizedForFileName(stem + u'.' + extension);
    EXPECT_FALSE(result.startsWith(u'.'));
    EXPECT_TRUE(result.startsWith(QChar(0x4E00)));
    EXPECT_LE(result.toUtf8().size(), fw::kMaximumFileNameLength);
    EXPECT_EQ(stringSanitizedForFileName(result), result);

    // The same with a counter added for a name that is taken.
    QTemporaryDir dir;
    const QUrl url = platform::fileurl::fromPath(dir.path(), true);
    const QString taken = stringSanitizedForFileName(stem + u'.' + extension);
    QFile(dir.filePath(taken)).open(QIODevice::WriteOnly);
    const QString fresh = makeFilenameUniqueInDirectoryAtURL(taken, url);
    EXPECT_NE(fresh, taken);
    EXPECT_FALSE(fresh.startsWith(u'.'));
    EXPECT_LE(fresh.toUtf8().size(), fw::kMaximumFileNameLength);
}
