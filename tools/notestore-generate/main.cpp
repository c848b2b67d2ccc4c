// notestore-generate: writes a Notes container of made-up notes, for the
// bundled sample and for benchmarks.

#include "notestore-generate/LinkedNotes.h"
#include "notestore-generate/BackupWriter.h"
#include "notestore-generate/NoteStoreGenerator.h"
#include "notestore-generate/PictureNotes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

using namespace notestoregen;

namespace {

// A few folders, nested, and notes in every style; nobody's notes.
Container sampleContainer()
{
    Container c;
    const int cloud = c.addAccount(QStringLiteral("iCloud"));
    const int local = c.addAccount(QStringLiteral("On My Mac"), QStringLiteral("LocalAccount"));
    const int notes = c.addFolder(QStringLiteral("Notes"), cloud);
    c.folders[size_t(notes)].identifier = QStringLiteral("DefaultFolder-CloudKit");
    const int recipes = c.addFolder(QStringLiteral("Recipes"), cloud);
    const int baking = c.addFolder(QStringLiteral("Baking"), cloud, recipes);
    const int travel = c.addFolder(QStringLiteral("Travel"), local);
    const int trip = c.addFolder(QStringLiteral("Lisbon 2025"), local, travel);
    const int trash = c.addFolder(QStringLiteral("Recently Deleted"), cloud);
    c.folders[size_t(trash)].folderType = 1;
    const int smart = c.addFolder(QStringLiteral("Everything tagged"), cloud);
    c.folders[size_t(smart)].folderType = 3;

    using R = TextRun;
    c.addNote(QStringLiteral("Welcome to the sample"), notes,
              styledText({R(QStringLiteral("Welcome to the sample\n"), 0),
                          R(QStringLiteral("What a note can hold\n"), 1),
                          R(QStringLiteral("Text can be ")),
                          R(QStringLiteral("bold")).withWeight(1),
                          R(QStringLiteral(", ")),
                          R(QStringLiteral("italic")).withWeight(2),
                          R(QStringLiteral(", ")),
                          R(QStringLiteral("underlined")).withUnderline(),
                          R(QStringLiteral(" or ")),
                          R(QStringLiteral("struck through")).withStrikethrough(),
                          R(QStringLiteral(". Water is H")),
                          R(QStringLiteral("2")).withBaseline(-1),
                          R(QStringLiteral("O; E = mc")),
                          R(QStringLiteral("2")).withBaseline(1),
                          R(QStringLiteral(".\n")),
                          R(QStringLiteral("A link: ")),
                          R(QStringLiteral("example.com")).withLink(QStringLiteral("https://example.com/")),
                          R(QStringLiteral(" and ")),
                          R(QStringLiteral("red text")).withColor(QColor(200, 30, 30)),
                          R(QStringLiteral(" and ")),
                          R(QStringLiteral("a highlight")).withHighlight(4),
                          R(QStringLiteral(".\n")),
                          R(QStringLiteral("Emoji and wide text: 🦤 日本語 Ünïcödé\n")),
                          R(QStringLiteral("Lists\n"), 2),
                          R(QStringLiteral("First point\n"), 100),
                          R(QStringLiteral("A point inside it\n"), 100).withIndent(1),
                          R(QStringLiteral("Second point\n"), 100),
                          R(QStringLiteral("Centred text\n")).withAlignment(1),
                          R(QStringLiteral("“A quotation, kept as a block quote.”\n")).withBlockQuote(),
                          R(QStringLiteral("int main() { return 0; }\n"), 4),
                          R(QStringLiteral("<b>Not bold</b> & stays text"))}),
              appleTime(2025, 3, 1, 9, 30));
    c.addNote(QStringLiteral("Shopping"), notes,
              styledText({R(QStringLiteral("Shopping\n"), 0), R(QStringLiteral("Flour\n"), 103).withChecked(true),
                          R(QStringLiteral("Eggs\n"), 103).withChecked(false),
                          R(QStringLiteral("Olive oil"), 103).withChecked(false)}),
              appleTime(2025, 2, 20, 18, 5));
    c.addNote(QStringLiteral("Pancakes"), recipes,
              styledText({R(QStringLiteral("Pancakes\n"), 0), R(QStringLiteral("Mix the flour and the eggs\n"), 102),
                          R(QStringLiteral("Add milk slowly\n"), 102), R(QStringLiteral("Rest for ten minutes"), 102)}),
              appleTime(2024, 11, 2, 8, 0));
    c.addNote(QStringLiteral("Sourdough"), baking,
              plainText(QStringLiteral("Sourdough"), QStringLiteral("Feed the starter the evening before.")),
              appleTime(2024, 10, 12, 21, 15));
    c.addNote(QStringLiteral("Packing"), trip,
              styledText({R(QStringLiteral("Packing\n"), 0), R(QStringLiteral("Clothes\n"), 101),
                          R(QStringLiteral("Rain jacket\n"), 101).withIndent(1), R(QStringLiteral("Documents\n"), 101),
                          R(QStringLiteral("Tickets"), 101).withIndent(1)}),
              appleTime(2025, 4, 28, 7, 45));
    c.addNote(QStringLiteral("Ideas"), travel,
              plainText(QStringLiteral("Ideas"), QStringLiteral("Walk along the river at sunset.")),
              appleTime(2025, 1, 15, 16, 20));
    // Deleted notes are not exported.
    c.addNote(QStringLiteral("Old draft"), trash, plainText(QStringLiteral("Old draft"), QStringLiteral("Gone.")),
              appleTime(2024, 5, 5));
    return c;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a Notes container of made-up notes into FOLDER."));
    parser.addHelpOption();
    const QCommandLineOption sample(QStringLiteral("sample"), QStringLiteral("The bundled sample's notes."));
    const QCommandLineOption notes(QStringLiteral("notes"), QStringLiteral("Number of notes."), QStringLiteral("N"),
                                   QStringLiteral("100"));
    const QCommandLineOption bodyBytes(QStringLiteral("body-bytes"), QStringLiteral("Body size of each note."),
                                       QStringLiteral("BYTES"), QStringLiteral("2000"));
    const QCommandLineOption depth(QStringLiteral("depth"), QStringLiteral("Folder nesting depth."),
                                   QStringLiteral("D"), QStringLiteral("3"));
    const QCommandLineOption accounts(QStringLiteral("accounts"), QStringLiteral("Number of accounts."),
                                      QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption links(QStringLiteral("links"),
                                   QStringLiteral("Notes of iOS 18 that link to each other, with maths."));
    const QCommandLineOption pictures(QStringLiteral("pictures"),
                                      QStringLiteral("Instead: one note showing N pictures (for memory checks)."),
                                      QStringLiteral("N"));
    const QCommandLineOption pictureBytes(QStringLiteral("picture-bytes"), QStringLiteral("Size of each picture."),
                                          QStringLiteral("BYTES"), QStringLiteral("500000"));
    const QCommandLineOption onePicture(QStringLiteral("one-picture"),
                                        QStringLiteral("The note shows one picture at every place."));
    const QCommandLineOption withPDF(QStringLiteral("with-pdf"), QStringLiteral("The note also holds a PDF."));
    const QCommandLineOption backupFolder(QStringLiteral("backup"),
                                          QStringLiteral("Also wrap the container into a device backup in DIR."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption backupPassword(QStringLiteral("backup-password"),
                                            QStringLiteral("Encrypt the backup with this (made-up) password."),
                                            QStringLiteral("PASSWORD"));
    const QCommandLineOption rounds(QStringLiteral("rounds"),
                                    QStringLiteral("Rounds of the backup's first key derivation (real backups: "
                                                   "10000000)."),
                                    QStringLiteral("N"), QStringLiteral("10000000"));
    parser.addOptions({sample, links, notes, bodyBytes, depth, accounts, pictures, pictureBytes, onePicture, withPDF,
                       backupFolder, backupPassword, rounds});
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("Where to write the container."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    QString error;
    const QString folder = parser.positionalArguments().constFirst();
    if (parser.isSet(pictures)) {
        Container container;
        container.addAccount(QStringLiteral("iCloud"), QStringLiteral("PICTURES-ACCOUNT"));
        const int notesFolder = container.addFolder(QStringLiteral("Notes"), 0);
        PictureNoteSpec spec;
        spec.pictures = parser.value(pictures).toInt();
        spec.pictureBytes = parser.value(pictureBytes).toLongLong();
        spec.onePicture = parser.isSet(onePicture);
        spec.withPDF = parser.isSet(withPDF);
        const int note = addPictureNote(container, notesFolder, spec);
        if (!writeContainer(container, folder, &error) || !writePictureFiles(container, note, spec, folder, &error)) {
            fprintf(stderr, "notestore-generate: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    const Container container = parser.isSet(sample) ? sampleContainer()
                              : parser.isSet(links)  ? linkedNotesContainer()
                                                     : sizedContainer(parser.value(notes).toInt(), parser.value(bodyBytes).toInt(),
                                                     parser.value(depth).toInt(), parser.value(accounts).toInt());
    if (!writeContainer(container, folder, &error)) {
        fprintf(stderr, "notestore-generate: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    if (parser.isSet(backupFolder)) {
        BackupOptions options;
        options.encrypted = parser.isSet(backupPassword);
        options.password = parser.value(backupPassword).toUtf8();
        options.firstRounds = parser.value(rounds).toLongLong();
        options.secondRounds = 10'000;
        const QString device = parser.value(backupFolder) + u'/' + backupFolderName(options);
        if (!writeBackup(parser.positionalArguments().constFirst(), device, options, &error)) {
            fprintf(stderr, "notestore-generate: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
