#include "notestore/NoteAttachments.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace notestore;
using namespace Qt::StringLiterals;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

const QString kAccount = u"ACCOUNT-1"_s;
const QByteArray kPDF = "%PDF-1.4\n% test\n%%EOF\n";

AttachmentRow row(const QString& identifier, const QString& type)
{
    AttachmentRow r;
    r.identifier = identifier;
    r.typeUTI = type;
    return r;
}

AttachmentRow withMedia(AttachmentRow r, const QString& media, const QString& filename, const QString& generation = {})
{
    r.mediaIdentifier = media;
    r.mediaFilename = filename;
    r.mediaGeneration = generation;
    return r;
}

// A container with the account's files laid out as a Mac keeps them.
class Container : public testing::Test {
protected:
    QString account(const QString& relative) const { return m_root.filePath(u"Accounts/"_s + kAccount + u'/' + relative); }
    QString root(const QString& relative) const { return m_root.filePath(relative); }
    MediaPlace place() const
    {
        MediaPlace place;
        place.containerRoot = m_root.path();
        place.accountIdentifier = kAccount;
        return place;
    }

    TempDir m_root;
};

struct NameCase {
    const char* name;
    AttachmentRow row;
    QString expected;
};

class AttachmentNames : public Container, public testing::WithParamInterface<NameCase> {};

TEST_P(AttachmentNames, ComeFromTheFileTitleOrKindWithTheTypesExtension)
{
    EXPECT_EQ(attachmentFileName(GetParam().row, place()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AttachmentNames,
    testing::Values(
        NameCase{"PictureFromItsKind", row("a", "public.png"), "Picture.png"},
        NameCase{"NeverAPath", withMedia(row("a", "com.adobe.pdf"), "m", "../../etc/passwd"), "..-..-etc-passwd.pdf"},
        NameCase{"DotsOnly", withMedia(row("a", "com.adobe.pdf"), "m", ".."), "Attachment.pdf"}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

// Which file is chosen, given the files the container holds.
struct FileCase {
    const char* name;
    AttachmentRow row;
    std::vector<const char*> files; // relative to the container; "A/" stands for the account's folder
    const char* expected;           // the same way; empty when none fits
};

class FileToSave : public Container, public testing::WithParamInterface<FileCase> {};

TEST_P(FileToSave, IsTheFirstThatExists)
{
    const FileCase& c = GetParam();
    const auto resolve = [&](QString relative) {
        return relative.startsWith(QLatin1String("A/")) ? account(relative.mid(2)) : root(relative);
    };
    for (const char* file : c.files)
        writeFile(resolve(QString::fromLatin1(file)), QByteArray(file));
    const AttachmentFile found = fileToSave(c.row, place());
    if (std::strlen(c.expected) == 0) {
        EXPECT_EQ(found.path, QString());
        EXPECT_FALSE(found.problem.isEmpty());
    } else {
        EXPECT_EQ(found.path, resolve(QString::fromLatin1(c.expected)));
        EXPECT_EQ(found.problem, QString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FileToSave,
    testing::Values(
        FileCase{"GenerationFolderFirst", withMedia(row("a", "com.adobe.pdf"), "M1", "r.pdf", "G2"),
                 {"A/Media/M1/r.pdf", "A/Media/M1/G2/r.pdf"}, "A/Media/M1/G2/r.pdf"},
        FileCase{"ScanFallsBackToItsPDF",
                 [] { auto r = row("S1", "com.apple.paper.doc.scan"); r.fallbackPDFGeneration = u"7"_s; return r; }(),
                 {"A/FallbackPDFs/S1/7/FallbackPDF.pdf"}, "A/FallbackPDFs/S1/7/FallbackPDF.pdf"},
        FileCase{"DrawingFallsBackToItsImage",
                 [] { auto r = row("D1", "com.apple.drawing.2"); r.fallbackImageGeneration = u"3"_s; return r; }(),
                 {"A/FallbackImages/D1/3/FallbackImage.png"}, "A/FallbackImages/D1/3/FallbackImage.png"},
        FileCase{"GalleryLargestPreview", row("G1", "com.apple.notes.gallery"),
                 {"A/Previews/G1-1-100x200-0.jpeg", "A/Previews/G1-1-1000x2000-0.jpeg", "A/Previews/G1-1-96x96-0.jpeg",
                  "A/Previews/G10-1-5000x5000-0.jpeg"},
                 "A/Previews/G1-1-1000x2000-0.jpeg"},
        // Values from the database never make a path of their own.
        FileCase{"TraversalInTheFileName", withMedia(row("a", "com.adobe.pdf"), "M1", "../../secret.pdf"),
                 {"secret.pdf", "A/secret.pdf"}, ""},
        FileCase{"TraversalInTheMediaIdentifier", withMedia(row("a", "com.adobe.pdf"), "..", "Accounts"), {"A/x"}, ""},
        FileCase{"UnknownKindWithoutMedia", row("a", "com.example.thing"), {}, ""}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

TEST_F(Container, LinksLeadingOutOfTheContainerAreNotFollowed)
{
    TempDir outside;
    writeFile(outside.filePath(u"private.pdf"_s), kPDF);
    QDir().mkpath(account(u"Media/M1"_s));
    ASSERT_TRUE(QFile::link(outside.filePath(u"private.pdf"_s), account(u"Media/M1/r.pdf"_s)));
    ASSERT_TRUE(QFile::link(outside.path(), account(u"Media/M2"_s)));
    writeFile(outside.filePath(u"s.pdf"_s), kPDF);
    EXPECT_EQ(fileToSave(withMedia(row("a", "com.adobe.pdf"), "M1", "r.pdf"), place()).path, QString());
    EXPECT_EQ(fileToSave(withMedia(row("a", "com.adobe.pdf"), "M2", "s.pdf"), place()).path, QString());
}

// A picture goes into the HTML whole, read in pieces (the large one is more
// than one piece and not a multiple of three) and typed by its bytes, else
// its extension; what cannot be shown is refused with the reason.
TEST_F(Container, PicturesAreInlinedWholeOrRefusedWithTheReason)
{
    writeFile(root(u"large.png"_s), testsupport::imageBytes("PNG", Qt::blue, 2, 2) + QByteArray(3 * 256 * 1024 + 1, '\x5a'));
    writeFile(root(u"misnamed.png"_s), testsupport::imageBytes("JPEG", Qt::black, 3, 3));
    writeFile(root(u"photo.heic"_s), QByteArray("\0\0\0\x18" "ftypheic", 12));
    writeFile(root(u"notes.txt"_s), "just text");
    QFile huge(root(u"huge.png"_s));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(kMaxInlinePictureSize + 1)); // sparse: costs no disk
    huge.close();
    QDir().mkpath(root(u"folder.png"_s));
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"large.png", "image/png", ""},
        {"misnamed.png", "image/jpeg", ""},
        {"photo.heic", "image/heic", ""},
        {"notes.txt", nullptr, "its file is not a picture"},
        {"huge.png", nullptr, "larger than 50 MB"},
        {"folder.png", nullptr, "not a regular file"},
        {"missing.png", nullptr, "cannot be read"},
    };
    for (const auto& [file, mime, reason] : cases) {
        const QString path = root(QString::fromLatin1(file));
        const QByteArray base64 = testsupport::readFile(path).toBase64();
        QString problem;
        EXPECT_EQ(inlinePictureHTML(path, &problem),
                  mime ? u"<img src=\"data:%1;base64,%2\">"_s.arg(QLatin1String(mime), QLatin1String(base64)) : QString())
            << file;
        EXPECT_TRUE(problem.contains(QString::fromLatin1(reason))) << file << ": " << problem.toStdString();
    }
}

struct RenderCase {
    const char* name;
    AttachmentRow row;           // used when its identifier is set
    InlineAttachmentRow token;   // used otherwise
    const char* expectedHTML;    // "" when nothing is drawn
    const char* problem;         // part of the reason given, "" when none
};

class Rendering : public Container, public testing::WithParamInterface<RenderCase> {};

TEST_P(Rendering, DrawsEachKindAsTheNoteShowsIt)
{
    const RenderCase& c = GetParam();
    QHash<QString, AttachmentRow> rows;
    QHash<QString, InlineAttachmentRow> tokens;
    if (!c.row.identifier.isEmpty())
        rows.insert(c.row.identifier, c.row);
    else
        tokens.insert(c.token.identifier, c.token);
    NoteAttachmentRenderer renderer(place(), rows, tokens);
    const bool isRow = !c.row.identifier.isEmpty();
    EXPECT_EQ(renderer.htmlForAttachment(isRow ? c.row.identifier : c.token.identifier,
                                         isRow ? c.row.typeUTI : c.token.typeUTI, 0),
              QString::fromUtf8(c.expectedHTML));
    QStringList problems;
    for (const auto& problem : renderer.problems())
        problems << problem.problem;
    EXPECT_EQ(problems.size(), *c.problem ? 1 : 0) << problems.join(u'\n').toStdString();
    EXPECT_TRUE(problems.value(0).contains(QString::fromUtf8(c.problem))) << problems.join(u'\n').toStdString();
}

AttachmentRow linkCard(const char* url, const char* title)
{
    AttachmentRow r = row(u"L"_s, u"public.url"_s);
    r.urlString = QString::fromUtf8(url);
    r.title = QString::fromUtf8(title);
    return r;
}

AttachmentRow tableRow(const QByteArray& data)
{
    AttachmentRow r = row(u"T"_s, u"com.apple.notes.table"_s);
    r.mergeableData = data;
    return r;
}

InlineAttachmentRow token(const char* type, const char* alt, const char* target = "")
{
    return {u"I"_s, QString::fromLatin1(type), QString::fromUtf8(alt), QString::fromLatin1(target)};
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Rendering,
    testing::Values(
        RenderCase{"LinkCardWithoutTitle", linkCard("https://example.org/", ""), {},
                   "<a href=\"https://example.org/\">https://example.org/</a>", ""},
        RenderCase{"ScriptLinkIsOnlyText", linkCard("javascript:alert(1)", "Click"), {}, "Click", ""},
        RenderCase{"Mention", {}, token("com.apple.notes.inlinetextattachment.mention", "@Ann <x>"), "@Ann &lt;x&gt;", ""},
        RenderCase{"EmptyHashtag", {}, token("com.apple.notes.inlinetextattachment.hashtag", ""), "", "no text"},
        RenderCase{"NoteLinkWithAStrangeTarget", {},
                   token("com.apple.notes.inlinetextattachment.link", "Odd", "javascript:x\"><b>"), "Odd", ""},
        RenderCase{"UnknownInlineKind", {}, token("com.example.inline", "?"), "", "cannot be exported"}),
    [](const testing::TestParamInfo<RenderCase>& info) { return std::string(info.param.name); });

TEST_F(Container, TablesNestedTooDeeplyAreLeftOut)
{
    // A table whose cells hold itself: the depth stops it.
    int calls = 0;
    const auto table = [&](const QByteArray&, AttachmentRenderer& cells, int depth, QString*) {
        ++calls;
        return u"<table>"_s + cells.htmlForAttachment(u"T"_s, u"com.apple.notes.table"_s, depth + 1)
             + u"</table>"_s;
    };
    NoteAttachmentRenderer renderer(place(), {{u"T"_s, tableRow("x")}}, {}, table);
    const QString html = renderer.htmlForAttachment(u"T"_s, u"com.apple.notes.table"_s, 0);
    EXPECT_EQ(calls, kMaxAttachmentDepth);
    EXPECT_TRUE(html.startsWith(QLatin1String("<table><table>")));
    ASSERT_EQ(renderer.problems().size(), 1);
    EXPECT_TRUE(renderer.problems()[0].problem.contains(u"nested too deeply"_s));
}

} // namespace
