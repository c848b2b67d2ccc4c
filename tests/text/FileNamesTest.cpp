#include "platform/FileURL.h"
#include "support/TestSupport.h"
#include "text/FileNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <vector>

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

namespace {

// Names of 250 to 300 UTF-8 bytes in several scripts.
struct LongName {
    const char* script;
    QString text;
};

std::vector<LongName> longNames()
{
    const QString emoji = QString::fromUcs4(U"\U0001F600", 1);
    return {
        {"ascii 251", QString(251, u'a')},
        {"ascii 300", QString(300, u'a')},
        {"latin 2-byte", QString(126, QChar(0x00E9))},           // 252 bytes
        {"cjk 85", QString(85, QChar(0x4EAC))},                   // 255 bytes
        {"cjk 100", QString(100, QChar(0x4EAC))},                 // 300 bytes
        {"emoji 63", emoji.repeated(63)},                          // 252 bytes
        {"emoji 75", emoji.repeated(75)},                          // 300 bytes
        {"mixed", QString(200, u'm') + QString(20, QChar(0x4EAC))}, // 260 bytes
        {"with period", QString(120, QChar(0x00E9)) + s(".") + QString(10, u'x')},
    };
}

bool fits(const QString& name)
{
    return !name.isEmpty() && name.size() <= fw::kMaximumFileNameLength &&
           name.toUtf8().size() <= fw::kMaximumFileNameLength && !name.startsWith(u'.');
}

} // namespace

// The name the export makes for each note, folder and account: sanitized,
// the extension added, made unique where that name is already taken; the
// file must then be creatable, twice over.
TEST(UniqueName, LongNamesInEveryScriptFitWithTheirExtension)
{
    for (const LongName& name : longNames()) {
        for (const char* extension : {"html", "rtfd", ""}) {
            SCOPED_TRACE(std::string(name.script) + " ." + extension);
            testsupport::TempDir dir;
            const QString wanted = platform::pathutil::appendingPathExtension(stringSanitizedForFileName(name.text),
                                                                              s(extension));
            const QString wantedExtension = platform::pathutil::pathExtension(wanted);
            const QString tail = wantedExtension.isEmpty() ? QString() : s(".") + wantedExtension;
            QStringList made;
            for (int i = 0; i < 3; ++i) {
                const QString unique = makeFilenameUniqueInDirectoryAtURL(wanted, dir.url());
                ASSERT_TRUE(fits(unique)) << unique.size() << " units, " << unique.toUtf8().size() << " bytes";
                EXPECT_TRUE(unique.endsWith(tail));
                EXPECT_FALSE(made.contains(unique));
                QFile file(dir.filePath(unique));
                ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
                made << unique;
            }
            EXPECT_TRUE(made[1].endsWith(s(" 1") + tail));
            EXPECT_TRUE(made[2].endsWith(s(" 2") + tail));
        }
    }
}

// The memo of one export gives exactly the names the stateless rule gives,
// in the same order, whatever the directory held before. Requests mix a few
// stems, names that look like numbered ones and names near the length limit.
TEST(UniqueName, RememberedNamesMatchTheFileSystemRule)
{
    const QStringList stems{s("Note"), s("Note 1"), s("Note 2"), s("Meeting"), s("x.y"),
                            QString(253, u'n'), QString(84, QChar(0x4EAC))};
    const QStringList extensions{s("html"), s("rtfd"), QString()};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        auto pick = [&](const QStringList& list) { return list.at(int(random() % unsigned(list.size()))); };
        testsupport::TempDir plain, remembered;
        // Files that were there before the export.
        for (int i = 0; i < 6; ++i) {
            const QString existing = fw::stringSanitizedForFileName(
                platform::pathutil::appendingPathExtension(pick(stems), pick(extensions)));
            testsupport::writeFile(plain.filePath(existing), "");
            testsupport::writeFile(remembered.filePath(existing), "");
        }
        fw::UniqueFileNames memo;
        for (int i = 0; i < 120; ++i) {
            const QString wanted = platform::pathutil::appendingPathExtension(pick(stems), pick(extensions));
            const QString expected = makeFilenameUniqueInDirectoryAtURL(wanted, plain.url());
            const QString got = memo.makeFilenameUniqueInDirectoryAtURL(wanted, remembered.url());
            ASSERT_EQ(got, expected) << "request " << i << ": " << wanted.left(20).toStdString();
            testsupport::writeFile(plain.filePath(expected), "");
            testsupport::writeFile(remembered.filePath(got), "");
        }
    }
}
