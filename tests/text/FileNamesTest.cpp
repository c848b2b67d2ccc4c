#include "platform/FileURL.h"
#include "support/TestSupport.h"
#include "text/FileNames.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using fw::makeFilenameUniqueInDirectoryAtURL;
using fw::stringSanitizedForFileName;

namespace {
QString s(const char* text) { return QString::fromUtf8(text); }
} // namespace

TEST(Sanitize, ReplacesTrimsRemovesAndCutsKeepingTheExtension)
{
    const std::pair<QString, QString> cases[] = {
        {s(".hidden"), s("-hidden")},
        {s("..x"), s("-.x")},
        {s("a/b:c~d"), s("a-b-c-d")},
        {s("\tin\tside\t"), s("in-side")},
        {s("a\nb\r\nc\u2028d"), s("abcd")},
        {s("…Title…"), s("Title")},
        {s(" \u00a0\n\t "), QString()},
        {QString(), QString()},
        {s("back\\slash?*\"quoted\""), s("back\\slash?*\"quoted\"")},
        {QString::fromUtf16(u"a\0b", 3), s("a-b")}, // a NUL would cut the name short at the system call
        // Other controls (C0, DEL, C1) become blanks; at either end they go.
        {s("con\a trol\x1b chars"), s("con  trol  chars")},
        {s("\x01\x7f.x\u0080y\u009f"), s("-x y")},
        {s("a\u0085b"), s("ab")}, // NEL is a line break
        {QString(251, u'x') + s(".txt"), QString(251, u'x') + s(".txt")},
        {QString(300, u'x') + s(".html"), QString(250, u'x') + s(".html")},
        {QString(256, u'y'), QString(255, u'y')},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(stringSanitizedForFileName(input), expected) << input.left(20).toStdString();

    // An extension that leaves no room for a stem: the whole is the stem.
    const QString hugeExtension = stringSanitizedForFileName(s("a.") + QString(300, u'e'));
    EXPECT_LE(hugeExtension.size(), 255);
    EXPECT_TRUE(hugeExtension.startsWith(u'a'));
    // Found by fuzzing: a long extension once left no byte for a three-byte stem character.
    EXPECT_TRUE(stringSanitizedForFileName(QString(10, QChar(0x4E00)) + u'.' + QString(84, QChar(0x4E01)))
                    .startsWith(QChar(0x4E00)));
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
        {"emoji 200 with extension", emoji.repeated(200) + s(".html")},
        // Found by fuzzing: the extension left no byte for a three-byte stem character.
        {"long extension", QString(10, QChar(0x4E00)) + s(".") + QString(84, QChar(0x4E01))},
    };
}

// Short enough in units and bytes, not hidden, and no surrogate pair split.
bool fits(const QString& name)
{
    return !name.isEmpty() && name.size() <= fw::kMaximumFileNameLength &&
           name.toUtf8().size() <= fw::kMaximumFileNameLength && !name.startsWith(u'.') &&
           QString::fromUtf8(name.toUtf8()) == name;
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
