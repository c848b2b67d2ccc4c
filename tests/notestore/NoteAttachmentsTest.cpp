#include "notestore/NoteAttachments.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace notestore;
using namespace Qt::StringLiterals;
using namespace testsupport;

namespace {

const QString kAccount = u"ACCOUNT-1"_s;
const QByteArray kPDF = "%PDF-1.4\n% test\n%%EOF\n";

AttachmentRow row(const QString& identifier, const QString& type, const QString& media = {},
                  const QString& filename = {}, const QString& generation = {})
{
    AttachmentRow r;
    r.identifier = identifier;
    r.typeUTI = type;
    r.mediaIdentifier = media;
    r.mediaFilename = filename;
    r.mediaGeneration = generation;
    return r;
}

// A container folder with the account's files laid out as a Mac keeps
// them; "A/" at the start of a path stands for the account's folder.
struct Layout {
    QString path(const QString& relative) const
    {
        return relative.startsWith(u"A/"_s) ? dir.filePath(u"Accounts/"_s + kAccount + relative.mid(1))
                                            : dir.filePath(relative);
    }
    MediaPlace place() const
    {
        MediaPlace place;
        place.containerRoot = dir.path();
        place.accountIdentifier = kAccount;
        return place;
    }

    TempDir dir;
};

TEST(AttachmentNames, ComeFromTheFileTitleOrKindWithTheTypesExtension)
{
    const Layout layout;
    EXPECT_EQ(attachmentFileName(row("a", "public.png"), layout.place()), u"Picture.png"_s);
    EXPECT_EQ(attachmentFileName(row("a", "com.adobe.pdf", "m", "../../etc/passwd"), layout.place()),
              u"..-..-etc-passwd.pdf"_s); // never a path
    EXPECT_EQ(attachmentFileName(row("a", "com.adobe.pdf", "m", ".."), layout.place()), u"Attachment.pdf"_s);
}

// Which file is chosen, given the files the container holds.
TEST(FileToSave, IsTheFirstThatExists)
{
    const struct {
        const char* name;
        AttachmentRow row;
        std::vector<const char*> files; // relative to the container
        const char* expected;           // the same way; empty when none fits
    } cases[] = {
        {"GenerationFolderFirst", row("a", "com.adobe.pdf", "M1", "r.pdf", "G2"),
         {"A/Media/M1/r.pdf", "A/Media/M1/G2/r.pdf"}, "A/Media/M1/G2/r.pdf"},
        {"ScanFallsBackToItsPDF",
         [] { auto r = row("S1", "com.apple.paper.doc.scan"); r.fallbackPDFGeneration = u"7"_s; return r; }(),
         {"A/FallbackPDFs/S1/7/FallbackPDF.pdf"}, "A/FallbackPDFs/S1/7/FallbackPDF.pdf"},
        {"DrawingFallsBackToItsImage",
         [] { auto r = row("D1", "com.apple.drawing.2"); r.fallbackImageGeneration = u"3"_s; return r; }(),
         {"A/FallbackImages/D1/3/FallbackImage.png"}, "A/FallbackImages/D1/3/FallbackImage.png"},
        {"GalleryLargestPreview", row("G1", "com.apple.notes.gallery"),
         {"A/Previews/G1-1-100x200-0.jpeg", "A/Previews/G1-1-1000x2000-0.jpeg", "A/Previews/G1-1-96x96-0.jpeg",
          "A/Previews/G10-1-5000x5000-0.jpeg"},
         "A/Previews/G1-1-1000x2000-0.jpeg"},
        // Values from the database never make a path of their own.
        {"TraversalInTheFileName", row("a", "com.adobe.pdf", "M1", "../../secret.pdf"),
         {"secret.pdf", "A/secret.pdf"}, ""},
        {"TraversalInTheMediaIdentifier", row("a", "com.adobe.pdf", "..", "Accounts"), {"A/x"}, ""},
        {"UnknownKindWithoutMedia", row("a", "com.example.thing"), {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Layout layout;
        for (const char* file : c.files)
            writeFile(layout.path(QString::fromLatin1(file)), QByteArray(file));
        const AttachmentFile found = fileToSave(c.row, layout.place());
        EXPECT_EQ(found.path, *c.expected ? layout.path(QString::fromLatin1(c.expected)) : QString());
        EXPECT_EQ(found.problem.isEmpty(), bool(*c.expected)) << found.problem.toStdString();
    }
}

TEST(FileToSave, LinksLeadingOutOfTheContainerAreNotFollowed)
{
    const Layout layout;
    TempDir outside;
    writeFile(outside.filePath(u"private.pdf"_s), kPDF);
    QDir().mkpath(layout.path(u"A/Media/M1"_s));
    ASSERT_TRUE(QFile::link(outside.filePath(u"private.pdf"_s), layout.path(u"A/Media/M1/r.pdf"_s)));
    ASSERT_TRUE(QFile::link(outside.path(), layout.path(u"A/Media/M2"_s)));
    writeFile(outside.filePath(u"s.pdf"_s), kPDF);
    EXPECT_EQ(fileToSave(row("a", "com.adobe.pdf", "M1", "r.pdf"), layout.place()).path, QString());
    EXPECT_EQ(fileToSave(row("a", "com.adobe.pdf", "M2", "s.pdf"), layout.place()).path, QString());
}

// A picture goes into the HTML whole, read in pieces (the large one is more
// than one piece and not a multiple of three) and typed by its bytes, else
// its extension; what cannot be shown is refused with the reason.
TEST(InlinePicture, IsInlinedWholeOrRefusedWithTheReason)
{
    const TempDir dir;
    writeFile(dir.filePath(u"large.png"_s), imageBytes("PNG", Qt::blue, 2, 2) + QByteArray(3 * 256 * 1024 + 1, '\x5a'));
    writeFile(dir.filePath(u"misnamed.png"_s), imageBytes("JPEG", Qt::black, 3, 3));
    writeFile(dir.filePath(u"photo.heic"_s), QByteArray("\0\0\0\x18" "ftypheic", 12));
    writeFile(dir.filePath(u"notes.txt"_s), "just text");
    writeFile(dir.filePath(u"huge.png"_s), {});
    ASSERT_TRUE(QFile::resize(dir.filePath(u"huge.png"_s), kMaxInlinePictureSize + 1)); // sparse: costs no disk
    QDir().mkpath(dir.filePath(u"folder.png"_s));
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
        const QString path = dir.filePath(QString::fromLatin1(file));
        const QByteArray base64 = readFile(path).toBase64();
        QString problem;
        EXPECT_EQ(inlinePictureHTML(path, &problem),
                  mime ? u"<img src=\"data:%1;base64,%2\">"_s.arg(QLatin1String(mime), QLatin1String(base64)) : QString())
            << file;
        EXPECT_TRUE(problem.contains(QString::fromLatin1(reason))) << file << ": " << problem.toStdString();
    }
}

AttachmentRow linkCard(const char* url, const char* title)
{
    AttachmentRow r = row(u"L"_s, u"public.url"_s);
    r.urlString = QString::fromUtf8(url);
    r.title = QString::fromUtf8(title);
    return r;
}

InlineAttachmentRow token(const char* type, const char* alt, const char* target = "")
{
    return {u"I"_s, QString::fromLatin1(type), QString::fromUtf8(alt), QString::fromLatin1(target)};
}

TEST(Rendering, DrawsEachKindAsTheNoteShowsIt)
{
    const struct {
        const char* name;
        AttachmentRow row;         // used when its identifier is set
        InlineAttachmentRow token; // used otherwise
        const char* expectedHTML;  // "" when nothing is drawn
        const char* problem;       // part of the reason given, "" when none
    } cases[] = {
        {"LinkCardWithoutTitle", linkCard("https://example.org/", ""), {},
         "<a href=\"https://example.org/\">https://example.org/</a>", ""},
        {"ScriptLinkIsOnlyText", linkCard("javascript:alert(1)", "Click"), {}, "Click", ""},
        {"Mention", {}, token("com.apple.notes.inlinetextattachment.mention", "@Ann <x>"), "@Ann &lt;x&gt;", ""},
        {"EmptyHashtag", {}, token("com.apple.notes.inlinetextattachment.hashtag", ""), "", "no text"},
        {"NoteLinkWithAStrangeTarget", {},
         token("com.apple.notes.inlinetextattachment.link", "Odd", "javascript:x\"><b>"), "Odd", ""},
        {"UnknownInlineKind", {}, token("com.example.inline", "?"), "", "cannot be exported"},
    };
    const Layout layout;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The one not used has an empty identifier, which the text never names.
        NoteAttachmentRenderer renderer(layout.place(), {{c.row.identifier, c.row}}, {{c.token.identifier, c.token}});
        const bool isRow = !c.row.identifier.isEmpty();
        EXPECT_EQ(renderer.htmlForAttachment(isRow ? c.row.identifier : c.token.identifier,
                                             isRow ? c.row.typeUTI : c.token.typeUTI, 0),
                  QString::fromUtf8(c.expectedHTML));
        const QString problem = renderer.problems().value(0).problem;
        EXPECT_EQ(renderer.problems().size(), *c.problem ? 1 : 0) << problem.toStdString();
        EXPECT_TRUE(problem.contains(QString::fromUtf8(c.problem))) << problem.toStdString();
    }
}

TEST(Rendering, TablesNestedTooDeeplyAreLeftOut)
{
    AttachmentRow table = row(u"T"_s, u"com.apple.notes.table"_s);
    table.mergeableData = "x";
    // A table whose cells hold itself: the depth stops it.
    int calls = 0;
    const auto drawTable = [&](const QByteArray&, AttachmentRenderer& cells, int depth, QString*) {
        ++calls;
        return u"<table>"_s + cells.htmlForAttachment(u"T"_s, u"com.apple.notes.table"_s, depth + 1)
             + u"</table>"_s;
    };
    const Layout layout;
    NoteAttachmentRenderer renderer(layout.place(), {{u"T"_s, table}}, {}, drawTable);
    const QString html = renderer.htmlForAttachment(u"T"_s, u"com.apple.notes.table"_s, 0);
    EXPECT_EQ(calls, kMaxAttachmentDepth);
    EXPECT_TRUE(html.startsWith(QLatin1String("<table><table>")));
    ASSERT_EQ(renderer.problems().size(), 1);
    EXPECT_TRUE(renderer.problems()[0].problem.contains(u"nested too deeply"_s));
}

} // namespace
