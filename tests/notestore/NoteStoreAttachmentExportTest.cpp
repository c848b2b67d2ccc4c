// Attachments, locked media, pictures beyond the body's budget and links
// between notes, each through a generated container and a whole export.

#include "notestore/AttachmentContainer.h"
#include "notestore/NoteStoreExport.h"

#include "notestore-generate/LinkedNotes.h"
#include "notestore-generate/PictureNotes.h"

#include <QRegularExpression>

using namespace notestoregen;
using namespace Qt::StringLiterals;

using namespace testsupport;

namespace {

QString notePath(const TempDir& dir, const QString& file)
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

// What cannot be saved is named and its note still written; a link card,
// its address and title escaped, comes out with its note.
TEST(NoteStoreAttachments, WhatCannotBeSavedIsNamedAndTheNoteIsStillWritten)
{
    AttachmentContainer a;
    const int card = a.note(u"Card"_s, {{u"X"_s, u"public.url"_s}});
    a.attachment(card, "X", u"public.url"_s,
                 {{"ZURLSTRING", "https://example.org/trip?a=1&b=2"}, {"ZTITLE", "Trip <plan>"}});
    const int note = a.note(u"Trip"_s, {{"P", "public.jpeg"}, {"F", "com.adobe.pdf"}, {"G", "com.adobe.pdf"},
                                        {"T", "com.apple.notes.table"}, {"Q", "public.jpeg"}, {"U", "com.adobe.pdf"},
                                        {"R", "com.example.plain"}, {"V", "com.apple.notes.table"}});
    a.media(a.attachment(note, "P", "public.jpeg"), "M-P", "Beach.jpeg", QByteArray()); // never downloaded
    a.media(a.attachment(note, "F", "com.adobe.pdf"), "M-F", "Tickets.pdf", kPDF);
    a.media(a.attachment(note, "G", "com.adobe.pdf"), "M-G", "Hotel.pdf", QByteArray()); // never downloaded
    a.attachment(note, "T", "com.apple.notes.table", {{"ZMERGEABLEDATA1", QByteArray("not a table")}});
    a.media(a.attachment(note, "Q", "public.jpeg"), "M-Q", "Sunset.jpeg", imageBytes("JPEG", Qt::yellow));
    a.media(a.attachment(note, "R", "com.example.plain"), "M-R", "README", "plain"); // no type to tell
    // A published table sample, kept with the fuzz seeds, in the package's text.
    const QByteArray table = readFile(QStringLiteral(NI_FUZZ_CORPUS "/note_table/table_gzipped.bin"));
    ASSERT_FALSE(table.isEmpty()) << "no table sample in " NI_FUZZ_CORPUS;
    a.attachment(note, "V", "com.apple.notes.table", {{"ZMERGEABLEDATA1", table}});
    const TempDir dir;
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
    EXPECT_TRUE(QString::fromUtf8(readFile(notePath(dir, u"Card.html"_s)))
                    .contains(uR"(<a href="https://example.org/trip?a=1&amp;b=2">Trip &lt;plan&gt;</a>)"_s));
}

// Locked media are decrypted or named, never written encrypted: a note
// locked under a password not given is named whole; a PDF whose key is
// damaged and a picture whose data is are named; the intact ones come out.
TEST(LockedMedia, AreDecryptedOrNamedButNeverWrittenEncrypted)
{
    AttachmentContainer a;
    const int other = a.note(u"Other"_s, {{"O", "com.adobe.pdf"}});
    const int note = a.note(u"Note"_s, {{"F", "com.adobe.pdf"}, {"P", "public.png"}, {"G", "com.adobe.pdf"},
                                        {"Q", "public.png"}});
    const QByteArray png = imageBytes("PNG", Qt::green);
    QByteArrayList ciphertexts;
    // A media file sealed under `password`, the part `damaged` of the seal spoilt.
    const auto lockedMedia = [&](int attachment, const char* filename, const QByteArray& contents,
                                 const QByteArray& password, QByteArray LockedItem::*damaged = nullptr) {
        LockedItem item = lockWithPassword(contents, password);
        if (damaged)
            (item.*damaged)[(item.*damaged).size() / 2] ^= 0x5a;
        ciphertexts << item.ciphertext;
        a.media(attachment, u"M-"_s + QString::fromLatin1(filename), filename, item.ciphertext);
        a.c.objects.back().columns.insert({{"ZISPASSWORDPROTECTED", 1},
                                           {"ZCRYPTOSALT", item.salt},
                                           {"ZCRYPTOITERATIONCOUNT", item.iterations},
                                           {"ZCRYPTOWRAPPEDKEY", item.wrappedKey},
                                           {"ZASSETCRYPTOINITIALIZATIONVECTOR", item.iv},
                                           {"ZASSETCRYPTOTAG", item.tag}});
    };
    const QByteArray password = "media password";
    for (const auto& [index, key] : {std::pair{other, QByteArray("not given")}, {note, password}})
        lockNote(a.c.notes[size_t(index)], gzippedBody(a.c.notes[size_t(index)].text), key);
    lockedMedia(a.attachment(other, "O", "com.adobe.pdf"), "Secret.pdf", kPDF, "not given");
    lockedMedia(a.attachment(note, "F", "com.adobe.pdf"), "Plan.pdf", kPDF, password, &LockedItem::wrappedKey);
    lockedMedia(a.attachment(note, "P", "public.png"), "Photo.png", png, password, &LockedItem::ciphertext);
    lockedMedia(a.attachment(note, "G", "com.adobe.pdf"), "Guide.pdf", kPDF, password);
    lockedMedia(a.attachment(note, "Q", "public.png"), "Sunset.png", png, password);
    const TempDir dir;
    const auto summary = exportContainer(a.c, dir, {"wrong", password});
    ASSERT_TRUE(summary);

    const QByteArray written = everythingWritten(dir.filePath(u"out"_s));
    for (const QByteArray& ciphertext : ciphertexts)
        EXPECT_FALSE(written.contains(ciphertext) || written.contains(ciphertext.toBase64()));
    expectBeginnings(summary->notesLeftOut + summary->attachmentsLeftOut,
                     {u"“Other” in “Notes”: wrong password"_s, u"Note: Photo.png (its file cannot be decrypted: The file"_s,
                      u"Note: Plan.pdf (its file is locked: wrong password)"_s});
    EXPECT_EQ(tree(dir.filePath(u"out/iCloud/Notes"_s)), (QStringList{"Note.rtfd/", "Note.rtfd/Guide.pdf",
                                                                     "Note.rtfd/Picture.png", "Note.rtfd/TXT.rtf"}));
    EXPECT_EQ(readFile(notePath(dir, u"Note.rtfd/Guide.pdf"_s)), kPDF);
    EXPECT_EQ(readFile(notePath(dir, u"Note.rtfd/Picture.png"_s)), png);
}

// A note's pictures go into its HTML up to a fixed budget; a note whose
// pictures exceed it becomes an ".rtfd" package carrying every picture as a
// file at its place. Large pictures are sparse files: no disk, no time.
TEST(PictureBudgetExport, NoPictureIsDroppedAndTheBodyStaysSmall)
{
    const PictureNoteSpec small{u"Small"_s, 3, 0, false, false};
    const PictureNoteSpec large{u"Large"_s, 3, kMaxPictureBytesInBody / 2 + 1, false, true};
    Container c;
    c.addAccount(u"iCloud"_s, u"ACCOUNT-P"_s);
    const int folder = c.addFolder(u"Notes"_s, 0);
    const int smallNote = addPictureNote(c, folder, small);
    const int largeNote = addPictureNote(c, folder, large);
    const TempDir dir;
    const QString container = dir.filePath(u"container"_s);
    writeContainer(c, container);
    QString error;
    ASSERT_TRUE(writePictureFiles(c, smallNote, small, container, &error)) << error.toStdString();
    ASSERT_TRUE(writePictureFiles(c, largeNote, large, container, &error)) << error.toStdString();
    const auto summary = exportNotes(container, dir.filePath(u"out"_s));
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->attachmentsLeftOut, QStringList{}) << summary->lines().join(u'\n').toStdString();
    EXPECT_EQ(summary->notesWithPicturesAsFiles, QStringList{large.title});

    EXPECT_EQ(QString::fromUtf8(readFile(notePath(dir, u"Small.html"_s))).count(u"src=\"data:image/png;base64,"_s), 3);
    const QString package = notePath(dir, u"Large.rtfd"_s);
    const QByteArray rtf = readFile(package + u"/TXT.rtf"_s);
    EXPECT_FALSE(rtf.contains("data:image"));
    const QStringList pictures{u"picture-00000.png"_s, u"picture-00001.png"_s, u"picture-00002.png"_s};
    qsizetype previous = -1;
    for (const QString& picture : pictures) {
        EXPECT_EQ(QFileInfo(package + u'/' + picture).size(), large.pictureBytes);
        // Each stands where the text shows it, in order.
        const qsizetype at = rtf.indexOf("\\NeXTGraphic " + picture.toUtf8());
        EXPECT_GT(at, previous) << picture.toStdString();
        previous = at;
    }
    EXPECT_EQ(tree(package), QStringList{u"TXT.rtf"_s} + pictures); // nothing else
}

// Every local link opens a file of the export; every link shows what the
// note shows, and maths are text in place.
TEST(NoteLinksExport, LinksLeadToTheExportedNotesOrAreText)
{
    const TempDir dir;
    const auto summary = exportContainer(linkedNotesContainer(), dir);
    ASSERT_TRUE(summary);
    const QString out = dir.filePath(QStringLiteral("out"));
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\"|HYPERLINK \"([^\"]*)\""));
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    int local = 0;
    for (const QString& relative : tree(out).filter(QRegularExpression(u"\\.html$|\\.rtfd/TXT\\.rtf$"_s))) {
        const QString path = out + u'/' + relative;
        const bool rtf = relative.endsWith(QLatin1String(".rtf"));
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
