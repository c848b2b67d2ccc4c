#include "export/EmbeddedPictures.h"
#include "platform/LocalizedString.h"

#include "platform/UniformTypes.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <memory>

namespace {

bool isBase64(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '+' || u == '/'
        || u == '=';
}

enum class Decoded { Written, NotBase64, WriteFailed };

// Decodes the base64 text `data` into the new file `path` piece by piece;
// nothing is left behind unless it was written whole.
Decoded decodeInto(QStringView data, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Decoded::WriteFailed;
    bool writeFailed = false;
    constexpr qsizetype kPiece = 256 * 1024; // a multiple of four
    QByteArray group;
    group.reserve(kPiece);
    qint64 total = 0;
    const auto flush = [&](bool last) {
        const qsizetype whole = last ? group.size() : group.size() / 4 * 4;
        const auto decoded = QByteArray::fromBase64Encoding(group.left(whole), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return false;
        if (file.write(decoded.decoded) != decoded.decoded.size()) {
            writeFailed = true;
            return false;
        }
        total += decoded.decoded.size();
        group.remove(0, whole);
        return true;
    };
    for (const QChar c : data) {
        if (c.isSpace())
            continue;
        if (!isBase64(c) || (group.size() >= kPiece && !flush(false))) {
            file.remove();
            return writeFailed ? Decoded::WriteFailed : Decoded::NotBase64;
        }
        group.append(char(c.unicode()));
    }
    if (!flush(true) || total == 0) {
        file.remove();
        return writeFailed ? Decoded::WriteFailed : Decoded::NotBase64;
    }
    if (!file.flush()) {
        file.remove();
        return Decoded::WriteFailed;
    }
    return Decoded::Written;
}

} // namespace

bool takeOutEmbeddedPictures(QString& fragment, const QString& folder,
                             QHash<QString, platform::TextAttachmentRef>& pictures, QString* error)
{
    static const QRegularExpression source(QStringLiteral("(\\bsrc\\s*=\\s*)([\"'])data:(image/[A-Za-z0-9.+-]+);base64,"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (!fragment.contains(QLatin1String("base64,"), Qt::CaseInsensitive))
        return true;
    QString result;
    qsizetype done = 0;
    qsizetype from = 0;
    while (true) {
        const QRegularExpressionMatch match = source.match(fragment, from);
        if (!match.hasMatch())
            break;
        const qsizetype dataStart = match.capturedEnd();
        const qsizetype close = fragment.indexOf(match.capturedView(2), dataStart);
        if (close < 0)
            break;
        from = close + 1;
        const QString mimeType = match.captured(3).toLower();
        const QString suffix =
            platform::uti::preferredFilenameExtensionForType(platform::uti::preferredIdentifierForMIMEType(mimeType));
        const QString contentID = QStringLiteral("embedded-%1").arg(pictures.size());
        const QString path = QDir(folder).filePath(contentID + (suffix.isEmpty() ? QString() : u'.' + suffix));
        const Decoded decoded = decodeInto(QStringView(fragment).mid(dataStart, close - dataStart), path);
        if (decoded == Decoded::WriteFailed) {
            if (error)
                *error = platform::localizedString("Couldn't write “%1”").arg(path);
            return false;
        }
        if (decoded == Decoded::NotBase64)
            continue; // left to the importer, which drops it as it always did
        auto picture = std::make_shared<platform::TextAttachment>();
        picture->fileName = suffix.isEmpty() ? QStringLiteral("Picture") : QStringLiteral("Picture.") + suffix;
        picture->contentsFilePath = path;
        pictures.insert(contentID, picture);
        result += QStringView(fragment).mid(done, match.capturedStart(2) + 1 - done);
        result += QStringLiteral("cid:") + contentID;
        done = close;
    }
    if (done == 0)
        return true;
    result += QStringView(fragment).mid(done);
    fragment = result;
    return true;
}
