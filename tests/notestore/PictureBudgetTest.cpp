// A note's pictures go into its HTML up to a fixed budget; a note whose
// pictures exceed it becomes an ".rtfd" package carrying every picture as
// a file at its place, and the summary says so. Large pictures are sparse
// files here, so the test costs neither disk nor time.

#include "notestore/NoteStoreTestSupport.h"

#include "app/NotesAccess.h"
#include "export/ExportNoteOperation.h"
#include "export/ExportTestSupport.h"
#include "notestore-generate/PictureNotes.h"
#include "platform/FileURL.h"

using namespace notestoregen;

namespace {

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
        // One picture shown at three places counts three times, and stands at each.
        {"OnePictureShownOftenBecomesFiles",
         {QStringLiteral("Repeated"), 3, half, true, true},
         {QStringLiteral("Repeated.rtfd"), QStringLiteral("picture-00000.png"), QStringLiteral("picture-00000 2.png"),
          QStringLiteral("picture-00000 3.png")}},
        {"OnePictureOverTheBudgetBecomesAFile",
         {QStringLiteral("Huge"), 1, kMaxPictureBytesInBody + 1, false, true},
         {QStringLiteral("Huge.rtfd"), QStringLiteral("picture-00000.png")}},
    };
}

class PictureBudgetExport : public testing::TestWithParam<AlbumCase> {};

TEST_P(PictureBudgetExport, NoPictureIsDroppedAndTheBodyStaysSmall)
{
    const AlbumCase& test = GetParam();
    Container c;
    c.addAccount(QStringLiteral("iCloud"), QStringLiteral("ACCOUNT-P"));
    const int note = addPictureNote(c, c.addFolder(QStringLiteral("Notes"), 0), test.spec);
    testsupport::TempDir dir;
    const QString container = dir.filePath(QStringLiteral("container"));
    testsupport::writeContainer(c, container);
    QString error;
    ASSERT_TRUE(writePictureFiles(c, note, test.spec, container, &error)) << error.toStdString();

    platform::Error openError;
    const auto app = app::openNotes(container, &openError);
    ASSERT_TRUE(app) << openError.localizedDescription().toStdString();
    const QString destination = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(destination));
    const auto operation = ExportNoteOperation::exportOperationForApp(app, platform::fileurl::fromPath(destination, true));
    testsupport::runToEnd(operation);
    ASSERT_TRUE(operation->plistURL());
    const ExportSummary summary = operation->summary();
    EXPECT_EQ(summary.attachmentsLeftOut, QStringList{}) << summary.lines().join(u'\n').toStdString();

    const QString notes = destination + QStringLiteral("/iCloud/Notes/");
    const QString noteFile = test.files.constFirst();
    ASSERT_TRUE(QFileInfo::exists(notes + noteFile)) << testsupport::tree(destination).join(u' ').toStdString();
    if (noteFile.endsWith(QLatin1String(".html"))) {
        EXPECT_EQ(QString::fromUtf8(testsupport::readFile(notes + noteFile)).count(QLatin1String("src=\"data:image/png;base64,")),
                  test.spec.pictures);
        EXPECT_EQ(summary.notesWithPicturesAsFiles, QStringList{});
        return;
    }
    EXPECT_EQ(summary.notesWithPicturesAsFiles, QStringList{test.spec.title});
    const QString package = notes + noteFile + u'/';
    const QByteArray rtf = testsupport::readFile(package + QStringLiteral("TXT.rtf"));
    EXPECT_FALSE(rtf.contains("data:image"));
    qsizetype previous = -1;
    for (const QString& picture : test.files.mid(1)) {
        EXPECT_EQ(QFileInfo(package + picture).size(), std::max<qint64>(test.spec.pictureBytes, 1)) << picture.toStdString();
        // Each stands where the text shows it, in order.
        const qsizetype at = rtf.indexOf("\\NeXTGraphic " + picture.toUtf8());
        EXPECT_GT(at, previous) << picture.toStdString();
        previous = at;
    }
    EXPECT_EQ(testsupport::tree(package).size(), test.files.size()); // the pictures and TXT.rtf, nothing else
}

INSTANTIATE_TEST_SUITE_P(Albums, PictureBudgetExport, testing::ValuesIn(albumCases()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
