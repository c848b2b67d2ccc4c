#include "platform/FileURL.h"
#include "support/TestSupport.h"
#include "text/FileNames.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

using fw::makeFilenameUniqueInDirectoryAtURL;
using fw::stringSanitizedForFileName;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// Short enough in units and bytes, not hidden, and no surrogate pair split.
bool fits(const QString& name)
{
    return !name.isEmpty() && name.size() <= fw::kMaximumFileNameLength &&
           name.toUtf8().size() <= fw::kMaximumFileNameLength && !name.startsWith(u'.') &&
           QString::fromUtf8(name.toUtf8()) == name;
}

} // namespace

TEST(Sanitize, ReplacesTrimsRemovesAndCutsKeepingTheExtension)
{
    const std::pair<QString, QString> cases[] = {
        {s(".hidden"), s("-hidden")},
        {s("a/b:c~d"), s("a-b-c-d")},
        {s("a\nb\r\nc\u2028d"), s("abcd")},
        {s("back\\slash?*\"quoted\""), s("back\\slash?*\"quoted\"")},
        {QString::fromUtf16(u"a\0b", 3), s("a-b")}, // a NUL would cut the name short at the system call
        // Other controls (C0, DEL, C1) become blanks; at either end they go.
        {s("con\a trol\x1b chars"), s("con  trol  chars")},
        {s("\x01\x7f.x\u0080y\u009f"), s("-x y")},
        {QString(300, u'x') + s(".html"), QString(250, u'x') + s(".html")},
        // An extension that leaves no room for a stem: the whole is the stem.
        {s("a.") + QString(300, u'e'), s("a.") + QString(253, u'e')},
        // Found by fuzzing: a long extension once left no byte for a three-byte stem character.
        {QString(10, QChar(0x4E00)) + u'.' + QString(84, QChar(0x4E01)),
         QString(10, QChar(0x4E00)) + u'.' + QString(74, QChar(0x4E01))},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(stringSanitizedForFileName(input), expected) << input.left(20).toStdString();
}

// The memo of one export gives exactly the names the stateless rule gives,
// in the same order, whatever the directory held before; every name fits and
// can be created. Requests mix a few stems, names that look like numbered ones
// and names of 250 to 300 UTF-8 bytes in several scripts.
TEST(UniqueName, RememberedNamesMatchTheFileSystemRuleAndFit)
{
    const QString emoji = QString::fromUcs4(U"\U0001F600", 1);
    const QStringList stems{s("Note"), s("Note 1"), s("Note 2"), s("Meeting"), s("x.y"),
                            QString(253, u'n'), QString(84, QChar(0x4EAC)), QString(300, u'a'),
                            QString(126, QChar(0x00E9)), QString(100, QChar(0x4EAC)), emoji.repeated(63),
                            emoji.repeated(75), QString(200, u'm') + QString(20, QChar(0x4EAC)),
                            QString(120, QChar(0x00E9)) + s(".") + QString(10, u'x'), emoji.repeated(200) + s(".html")};
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
            ASSERT_TRUE(fits(got)) << got.size() << " units, " << got.toUtf8().size() << " bytes";
            const QString extension = platform::pathutil::pathExtension(wanted);
            EXPECT_TRUE(extension.isEmpty() || got.endsWith(u'.' + extension)) << got.toStdString();
            QFile file(plain.filePath(expected));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
            testsupport::writeFile(remembered.filePath(got), "");
        }
    }
}
