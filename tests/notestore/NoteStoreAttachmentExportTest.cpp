// Attachments, locked media, pictures beyond the body's budget and links
// between notes, each through a generated container and a whole export.

#include "notestore/AttachmentContainer.h"
#include "notestore/NoteStoreExport.h"

#include "notestore-generate/LinkedNotes.h"
#include "notestore-generate/PictureNotes.h"

#include <QRegularExpression>

using namespace notestoregen;
using namespace Qt::StringLiterals;

using testsupport::AttachmentContainer;
using testsupport::exportContainer;
using testsupport::imageBytes;
using testsupport::kPDF;
using testsupport::readFile;
using testsupport::tree;

namespace {

// A published table sample, kept with the fuzz seeds.
QByteArray tableData()
{
    QFile file(QStringLiteral(NI_FUZZ_CORPUS "/note_table/table_gzipped.bin"));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "no table sample at " << file.fileName().toStdString();
    return file.readAll();
}

QString notePath(const testsupport::TempDir& dir, const QString& file)
{
    return dir.filePath(QStringLiteral("out/iCloud/Notes/") + file);
}

// As many lines as beginnings, each line starting with its own.
void expectBeginnings(const QStringList& lines, const QStringList& beginnings)
{
    ASSERT_EQ(lines.size(), beginnings.size()) << lines.join(u'\n').toStdString();
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(beginnings[i])) << lines[i].toStdString();
}

// A link card, its address and title escaped, through a whole export.
TEST(NoteStoreAttachments, ALinkCardExportsWithTheNote)
{
    AttachmentContainer a;
    const int note = a.note(u"Note"_s, {{u"X"_s, u"public.url"_s}});
    a.attachment(note, "X", u"public.url"_s,
                 {{"ZURLSTRING", "https://example.org/trip?a=1&b=2"}, {"ZTITLE", "Trip <plan>"}});
    const testsupport::TempDir dir;
    const auto summary = exportContainer(a.c, dir);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->attachmentsLeftOut, QStringList{});
    EXPECT_TRUE(QString::fromUtf8(readFile(notePath(dir, u"Note.html"_s)))
                    .contains(uR"(<a href="https://example.org/trip?a=1&amp;b=2">Trip &lt;plan&gt;</a>)"_s));
}

TEST(NoteStoreAttachments, WhatCannotBeSavedIsNamedAndTheNoteIsStillWritten)
{
    AttachmentContainer a;
    const int note = a.note(u"Trip"_s, {{"P", "public.jpeg"}, {"F", "com.adobe.pdf"}, {"G", "com.adobe.pdf"},
                                        {"T", "com.apple.notes.table"}, {"Q", "public.jpeg"}, {"U", "com.adobe.pdf"},
                                        {"R", "com.example.plain"}, {"V", "com.apple.notes.table"}});
    a.media(a.attachment(note, "P", "public.jpeg"), "M-P", "Beach.jpeg", QByteArray()); // never downloaded
    a.media(a.attachment(note, "F", "com.adobe.pdf"), "M-F", "Tickets.pdf", kPDF);
    a.media(a.attachment(note, "G", "com.adobe.pdf"), "M-G", "Hotel.pdf", QByteArray()); // never downloaded
    a.attachment(note, "T", "com.apple.notes.table", {{"ZMERGEABLEDATA1", QByteArray("not a table")}});
    a.media(a.attachment(note, "Q", "public.jpeg"), "M-Q", "Sunset.jpeg", imageBytes("JPEG", Qt::yellow));
    a.media(a.attachment(note, "R", "com.example.plain"), "M-R", "README", "plain"); // no type to tell
    a.attachment(note, "V", "com.apple.notes.table", {{"ZMERGEABLEDATA1", tableData()}}); // a table in the package's text
    const testsupport::TempDir dir;
    const auto summary = exportContainer(a.c, dir);
    ASSERT_TRUE(summary);

    // The picture that could be read stays in the text, a file of the package.
    EXPECT_EQ(tree(notePath(dir, u"Trip.rtfd"_s)), (QStringList{"Picture.jpg", "TXT.rtf", "Tickets.pdf"}));
    EXPECT_EQ(readFile(notePath(dir, u"Trip.rtfd/Tickets.pdf"_s)), kPDF);
    EXPECT_EQ(readFile(notePath(dir, u"Trip.rtfd/Picture.jpg"_s)), imageBytes("JPEG", Qt::yellow));
    expectBeginnings(summary->attachmentsLeftOut,
                     {u"Trip: Beach.jpeg (its file is not in the copied folder"_s,
                      u"Trip: Table (its table data cannot be read"_s,
                      u"Trip: Attachment (the note names an attachment the database does not hold)"_s,
                      u"Trip: README (its name has no extension to tell its kind, com.example.plain)"_s,
                      u"Trip: Hotel.pdf (its file is not in the copied folder"_s});
    EXPECT_EQ(summary->richTextNoteCount, 1u);
}

const QByteArray kMediaPassword = "media password";

struct LockedMediaCase {
    const char* name;
    std::vector<QByteArray> passwords;
    // Spoils the locked media before they are written: the PDF's, the picture's.
    std::function<void(testsupport::LockedItem& pdf, testsupport::LockedItem& picture)> spoil;
    QStringList leftOut; // beginnings of the summary lines naming the note or its attachments
};

class LockedMedia : public testing::TestWithParam<LockedMediaCase> {};

TEST_P(LockedMedia, AreDecryptedOrNamedButNeverWrittenEncrypted)
{
    const LockedMediaCase& test = GetParam();
    AttachmentContainer a;
    const int note = a.note(u"Note"_s, {{"F", "com.adobe.pdf"}, {"P", "public.png"}});
    Note& locked = a.c.notes[size_t(note)];
    testsupport::lockNote(locked, gzippedBody(locked.text), kMediaPassword);

    const QByteArray png = imageBytes("PNG", Qt::green);
    auto pdf = testsupport::lockWithPassword(kPDF, kMediaPassword);
    auto picture = testsupport::lockWithPassword(png, kMediaPassword);
    if (test.spoil)
        test.spoil(pdf, picture);
    const auto lockedMedia = [&a](int attachment, const char* id, const char* filename,
                                  const testsupport::LockedItem& item) {
        a.media(attachment, id, filename, item.ciphertext);
        a.c.objects.back().columns.insert({{"ZISPASSWORDPROTECTED", 1},
                                           {"ZCRYPTOSALT", item.salt},
                                           {"ZCRYPTOITERATIONCOUNT", item.iterations},
                                           {"ZCRYPTOWRAPPEDKEY", item.wrappedKey},
                                           {"ZASSETCRYPTOINITIALIZATIONVECTOR", item.iv},
                                           {"ZASSETCRYPTOTAG", item.tag}});
    };
    lockedMedia(a.attachment(note, "F", "com.adobe.pdf"), "M-F", "Plan.pdf", pdf);
    lockedMedia(a.attachment(note, "P", "public.png"), "M-P", "Photo.png", picture);
    const testsupport::TempDir dir;
    const auto summary = exportContainer(a.c, dir, test.passwords);
    ASSERT_TRUE(summary);

    const QByteArray written = testsupport::everythingWritten(dir.filePath(u"out"_s));
    for (const QByteArray& ciphertext : {pdf.ciphertext, picture.ciphertext})
        EXPECT_FALSE(written.contains(ciphertext) || written.contains(ciphertext.toBase64()));
    expectBeginnings(summary->notesLeftOut + summary->attachmentsLeftOut, test.leftOut);
    // What is not named is in the package, decrypted.
    const QString named = test.leftOut.join(u' ');
    if (named.startsWith(u"“Note”"_s)) {
        EXPECT_FALSE(QFileInfo::exists(notePath(dir, u"Note.rtfd"_s)));
        return;
    }
    const QStringList files = tree(notePath(dir, u"Note.rtfd"_s));
    EXPECT_EQ(readFile(notePath(dir, u"Note.rtfd/Plan.pdf"_s)), named.contains(u"Plan.pdf"_s) ? QByteArray() : kPDF);
    EXPECT_EQ(readFile(notePath(dir, u"Note.rtfd/Picture.png"_s)), named.contains(u"Photo.png"_s) ? QByteArray() : png);
    EXPECT_EQ(files.size(), 3 - test.leftOut.size()) << files.join(u' ').toStdString();
}

void damageByte(QByteArray& bytes)
{
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x5a);
}

INSTANTIATE_TEST_SUITE_P(
    NoteStore, LockedMedia,
    testing::Values(
        LockedMediaCase{"WrongPassword", {"wrong"}, {}, {u"“Note” in “Notes”: wrong password"_s}},
        LockedMediaCase{"DamagedMediaKey", {kMediaPassword},
                        [](testsupport::LockedItem& pdf, testsupport::LockedItem&) { damageByte(pdf.wrappedKey); },
                        {u"Note: Plan.pdf (its file is locked: wrong password)"_s}},
        LockedMediaCase{"DamagedPicture", {kMediaPassword},
                        [](testsupport::LockedItem&, testsupport::LockedItem& picture) { damageByte(picture.ciphertext); },
                        {u"Note: Photo.png (its file cannot be decrypted: The file"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

// A note's pictures go into its HTML up to a fixed budget; a note whose
// pictures exceed it becomes an ".rtfd" package carrying every picture as a
// file at its place. Large pictures are sparse files: no disk, no time.
struct AlbumCase {
    const char* name;
    PictureNoteSpec spec;
    QStringList files; // the note's file, then the package's pictures in text order
};

std::vector<AlbumCase> albumCases()
{
    const qint64 half = kMaxPictureBytesInBody / 2 + 1;
    return {
        {"SmallPicturesStayInTheHTML", {QStringLiteral("Small"), 3, 0, false, false}, {QStringLiteral("Small.html")}},
        {"PicturesOverTheBudgetBecomeFiles",
         {QStringLiteral("Large"), 3, half, false, true},
         {QStringLiteral("Large.rtfd"), QStringLiteral("picture-00000.png"), QStringLiteral("picture-00001.png"),
          QStringLiteral("picture-00002.png")}},
    };
}

class PictureBudgetExport : public testing::TestWithParam<AlbumCase> {};

TEST_P(PictureBudgetExport, NoPictureIsDroppedAndTheBodyStaysSmall)
{
    const AlbumCase& test = GetParam();
    Container c;
    c.addAccount(QStringLiteral("iCloud"), QStringLiteral("ACCOUNT-P"));
    const int note = addPictureNote(c, c.addFolder(QStringLiteral("Notes"), 0), test.spec);
    const testsupport::TempDir dir;
    const QString container = dir.filePath(QStringLiteral("container"));
    testsupport::writeContainer(c, container);
    QString error;
    ASSERT_TRUE(writePictureFiles(c, note, test.spec, container, &error)) << error.toStdString();
    const auto summary = testsupport::exportNotes(container, dir.filePath(QStringLiteral("out")));
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->attachmentsLeftOut, QStringList{}) << summary->lines().join(u'\n').toStdString();

    const QString noteFile = notePath(dir, test.files.constFirst());
    if (noteFile.endsWith(QLatin1String(".html"))) {
        EXPECT_EQ(QString::fromUtf8(readFile(noteFile)).count(QLatin1String("src=\"data:image/png;base64,")),
                  test.spec.pictures);
        EXPECT_EQ(summary->notesWithPicturesAsFiles, QStringList{});
        return;
    }
    EXPECT_EQ(summary->notesWithPicturesAsFiles, QStringList{test.spec.title});
    const QByteArray rtf = readFile(noteFile + QStringLiteral("/TXT.rtf"));
    EXPECT_FALSE(rtf.contains("data:image"));
    qsizetype previous = -1;
    for (const QString& picture : test.files.mid(1)) {
        EXPECT_EQ(QFileInfo(noteFile + u'/' + picture).size(), std::max<qint64>(test.spec.pictureBytes, 1));
        // Each stands where the text shows it, in order.
        const qsizetype at = rtf.indexOf("\\NeXTGraphic " + picture.toUtf8());
        EXPECT_GT(at, previous) << picture.toStdString();
        previous = at;
    }
    EXPECT_EQ(tree(noteFile).size(), test.files.size()); // the pictures and TXT.rtf, nothing else
}

INSTANTIATE_TEST_SUITE_P(Albums, PictureBudgetExport, testing::ValuesIn(albumCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Every local link opens a file of the export; every link shows what the
// note shows, and maths are text in place.
TEST(NoteLinksExport, LinksLeadToTheExportedNotesOrAreText)
{
    const testsupport::TempDir dir;
    const auto summary = exportContainer(linkedNotesContainer(), dir);
    ASSERT_TRUE(summary);
    const QString out = dir.filePath(QStringLiteral("out"));
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\"|HYPERLINK \"([^\"]*)\""));
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    int local = 0;
    for (const QString& relative : tree(out)) {
        const QString path = out + u'/' + relative;
        const bool rtf = relative.endsWith(QLatin1String(".rtfd/TXT.rtf"));
        if (!relative.endsWith(QLatin1String(".html")) && !rtf)
            continue;
        const QString text = QString::fromUtf8(readFile(path));
        EXPECT_FALSE(text.contains(QChar(0xFFFC)) || text.contains(QLatin1String("\\u-4?"))
                     || text.contains(QLatin1String("applenotes:")) || text.contains(QLatin1String("x-exported-note")))
            << relative.toStdString();
        // A package's links start from the folder it is in, as a page's do.
        const QDir base = QFileInfo(rtf ? QFileInfo(path).path() : path).dir();
        for (const QRegularExpressionMatch& match : href.globalMatch(text)) {
            const QString target = match.captured(1) + match.captured(2);
            if (scheme.match(target).hasMatch())
                continue;
            ++local;
            EXPECT_TRUE(QFileInfo::exists(base.filePath(QUrl::fromPercentEncoding(target.toUtf8()))))
                << relative.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_EQ(local, 8); // four in the index, one in each other note that links

    const std::vector<std::pair<const char*, const char*>> cases = {
        // Inline, to the older of two notes of one title, and as an address with an owner.
        {"iCloud/Notes/Index.html", R"(<a href="../Work/Meeting%201.html">Meeting</a>)"},
        {"iCloud/Notes/Index.html", R"(<a href="../Work/Meeting.html">its notes</a>)"},
        // No shown text: the target's title; the target is a package.
        {"iCloud/Notes/Index.html", R"(<a href="../Work/Projects%20%231/Plan.rtfd">Plan</a>)"},
        {"iCloud/Notes/Index.html",
         R"(<a href="../../On%20My%20Mac/Travel%20%26%20Plans%20100%25/Caf%C3%A9%20trip.html">Café trip</a>)"},
        // Not exported: in the trash, locked, in no database here.
        {"iCloud/Notes/Index.html", "Gone: Old draft&nbsp;and the draft</div>"},
        {"iCloud/Notes/Index.html", "Locked: Secret</div>"},
        {"iCloud/Notes/Index.html", "Shared: Shared note</div>"},
        {"iCloud/Notes/Index.html", "Sum: 40 + 2 = 42</div>"},
        {"iCloud/Notes/Index.html", "Graph: y = 2x + 1&nbsp;drawn</div>"},
        {"iCloud/Work/Meeting.html", R"(<a href="../Notes/Index.html">the index</a>)"},
        {"iCloud/Work/Meeting 1.html", R"(<a href="Meeting%201.html">this note</a>)"},
        {"On My Mac/Travel & Plans 100%/Café trip.html", R"(<a href="../../iCloud/Work/Meeting.html">the meeting</a>)"},
        {"iCloud/Work/Projects #1/Plan.rtfd/TXT.rtf", R"(HYPERLINK "../../Notes/Index.html")"},
        {"iCloud/Work/Projects #1/Plan.rtfd/TXT.rtf", R"( Index}}, not Old draft\par)"},
    };
    for (const auto& [file, fragment] : cases) {
        const QString text = QString::fromUtf8(readFile(out + u'/' + QString::fromUtf8(file)));
        EXPECT_TRUE(text.contains(QString::fromUtf8(fragment))) << file << ": " << text.toStdString();
    }
    // Maths are text, not attachments; the locked note is the one thing named.
    EXPECT_EQ(summary->attachmentsLeftOut, QStringList{});
    ASSERT_EQ(summary->notesLeftOut.size(), 1) << summary->lines().join(u'\n').toStdString();
    EXPECT_TRUE(summary->notesLeftOut[0].startsWith(QStringLiteral("“Secret”")));
}

} // namespace
