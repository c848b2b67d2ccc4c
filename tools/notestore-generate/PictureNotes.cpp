#include "notestore-generate/PictureNotes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <algorithm>

namespace notestoregen {

namespace {

QString mediaIdentifier(int note, int picture)
{
    return QStringLiteral("MEDIA-%1-%2").arg(note).arg(picture);
}

QString fileName(int picture)
{
    return QStringLiteral("picture-%1.png").arg(picture, 5, 10, QLatin1Char('0'));
}

int fileCount(const PictureNoteSpec& spec)
{
    return spec.onePicture ? 1 : spec.pictures;
}

QByteArray tinyPNG(int shade)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(QColor(shade % 256, 80, 160));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

int addPictureNote(Container& container, int folder, const PictureNoteSpec& spec)
{
    const int note = int(container.notes.size());
    std::vector<TextRun> runs{TextRun(spec.title + u'\n', 0)};
    for (int place = 0; place < spec.pictures; ++place) {
        const int picture = spec.onePicture ? 0 : place;
        runs.push_back(TextRun(QString(QChar(0xFFFC)))
                           .withAttachment(QStringLiteral("PICTURE-%1-%2").arg(note).arg(picture),
                                           QStringLiteral("public.png")));
        runs.push_back(TextRun(QStringLiteral("\n")));
    }
    if (spec.withPDF)
        runs.push_back(TextRun(QString(QChar(0xFFFC))).withAttachment(QStringLiteral("PDF-%1").arg(note),
                                                                        QStringLiteral("com.adobe.pdf")));
    container.addNote(spec.title, folder, styledText(runs), appleTime(2025, 6, 1));
    if (spec.withPDF) {
        container.objects.push_back(ObjectRow{QStringLiteral("ICMedia"), QStringLiteral("MEDIA-%1-PDF").arg(note),
                                              {{QStringLiteral("ZFILENAME"), QStringLiteral("document.pdf")}}, {}, {}});
        const int media = int(container.objects.size()) - 1;
        container.objects.push_back(ObjectRow{QStringLiteral("ICAttachment"), QStringLiteral("PDF-%1").arg(note),
                                              {{QStringLiteral("ZTYPEUTI"), QStringLiteral("com.adobe.pdf")}},
                                              {{QStringLiteral("ZNOTE"), note}},
                                              {{QStringLiteral("ZMEDIA"), media}}});
    }
    for (int picture = 0; picture < fileCount(spec); ++picture) {
        container.objects.push_back(ObjectRow{QStringLiteral("ICMedia"), mediaIdentifier(note, picture),
                                              {{QStringLiteral("ZFILENAME"), fileName(picture)}}, {}, {}});
        const int media = int(container.objects.size()) - 1;
        container.objects.push_back(ObjectRow{QStringLiteral("ICAttachment"),
                                              QStringLiteral("PICTURE-%1-%2").arg(note).arg(picture),
                                              {{QStringLiteral("ZTYPEUTI"), QStringLiteral("public.png")}},
                                              {{QStringLiteral("ZNOTE"), note}},
                                              {{QStringLiteral("ZMEDIA"), media}}});
    }
    return note;
}

bool writePictureFiles(const Container& container, int note, const PictureNoteSpec& spec, const QString& folder,
                       QString* error)
{
    const Account& account = container.accounts[size_t(container.folders[size_t(container.notes[size_t(note)].folder)].account)];
    const QString accountFolder = QDir(folder).filePath(QStringLiteral("Accounts/%1/Media").arg(account.identifier));
    const QByteArray zeros(1 << 20, '\0');
    if (spec.withPDF) {
        const QString directory = QDir(accountFolder).filePath(QStringLiteral("MEDIA-%1-PDF").arg(note));
        QFile pdf(QDir(directory).filePath(QStringLiteral("document.pdf")));
        const QByteArray bytes = "%PDF-1.4\n1 0 obj <<>> endobj\n%%EOF\n";
        if (!QDir().mkpath(directory) || !pdf.open(QIODevice::WriteOnly) || pdf.write(bytes) != bytes.size()) {
            if (error)
                *error = QStringLiteral("cannot write %1").arg(pdf.fileName());
            return false;
        }
    }
    for (int picture = 0; picture < fileCount(spec); ++picture) {
        const QString directory = QDir(accountFolder).filePath(mediaIdentifier(note, picture));
        QFile file(QDir(directory).filePath(fileName(picture)));
        // Each file differs from the others in its pixels.
        const QByteArray png = tinyPNG(picture);
        bool ok = QDir().mkpath(directory) && file.open(QIODevice::WriteOnly) && file.write(png) == png.size();
        if (spec.sparse) {
            ok = ok && file.resize(std::max(spec.pictureBytes, qint64(png.size())));
        } else {
            for (qint64 left = spec.pictureBytes - png.size(); ok && left > 0; left -= zeros.size())
                ok = file.write(zeros.constData(), std::min(left, qint64(zeros.size()))) >= 0;
        }
        if (!ok) {
            if (error)
                *error = QStringLiteral("cannot write %1").arg(file.fileName());
            return false;
        }
    }
    return true;
}

} // namespace notestoregen
