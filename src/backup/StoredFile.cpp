#include "backup/StoredFile.h"
#include "platform/LocalizedString.h"

#include "backup/BackupFolder.h"
#include "platform/FileCopy.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace backup {

namespace {

constexpr qint64 kPieceBytes = qint64(1) << 20;

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Decrypts `in` into `out`; false with the reason.
bool decrypt(int in, qint64 storedSize, const Secret& key, qint64 size, int out, QString* reason, bool* writing)
{
    // CBC output is the plaintext padded to whole blocks, 1 to 16 bytes more.
    if (storedSize % 16 != 0 || storedSize == 0 || (size >= 0 && (storedSize < size + 1 || storedSize > size + 16))) {
        *reason = size >= 0 ? platform::localizedString("it is %1 bytes long where %2 bytes encrypted take %3")
                                  .arg(storedSize)
                                  .arg(size)
                                  .arg((size / 16 + 1) * 16)
                            : platform::localizedString("it is %1 bytes long, not whole blocks").arg(storedSize);
        return false;
    }
    CBCDecryptor decryptor(key);
    if (!decryptor.isValid()) {
        *reason = platform::localizedString("its key is not a key for it");
        return false;
    }
    // The plaintext is the user's private data: wiped, not just freed.
    Secret piece(kPieceBytes);
    Secret plain(kPieceBytes + 32);
    qint64 read = 0;
    qint64 total = 0;
    int code = 0;
    while (read < storedSize) {
        const ssize_t got = ::read(in, piece.data(), size_t(std::min(kPieceBytes, storedSize - read)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            *reason = got < 0 ? systemReason(errno) : platform::localizedString("it ended early");
            return false;
        }
        read += got;
        const qint64 length = decryptor.update(piece.data(), got, plain.data());
        if (length < 0) {
            *reason = platform::localizedString("it cannot be decrypted");
            return false;
        }
        total += length;
        if (!platform::safefile::writeFully(out, plain.data(), size_t(length), &code)) {
            *writing = true;
            *reason = systemReason(code);
            return false;
        }
    }
    const qint64 last = decryptor.finish(plain.data());
    if (last < 0 || (size >= 0 && total + last != size)) {
        *reason = platform::localizedString("it does not decrypt to the %1 bytes its record gives").arg(size);
        return false;
    }
    if (!platform::safefile::writeFully(out, plain.data(), size_t(last), &code)) {
        *writing = true;
        *reason = systemReason(code);
        return false;
    }
    return true;
}

} // namespace

bool writeStoredFile(const QString& backupFolder, const QString& storedPath, const Secret* key, qint64 size,
                     qint64 modified, const QString& destinationPath, const QString& displayPath,
                     platform::Error* error)
{
    const auto cannotRead = [&](int code, const QString& why) {
        platform::setError(error, platform::Error(QString::fromLatin1(kErrorDomain), code,
                                                  platform::localizedString("The file “%1” couldn’t be read: %2")
                                                      .arg(displayPath, why)));
        return false;
    };
    platform::Error openError;
    qint64 storedSize = 0;
    const auto in = platform::safefile::openBeneath(backupFolder, storedPath, &openError, &storedSize);
    if (!in.isValid())
        return cannotRead(ErrorUnreadable, openError.localizedDescription());
    if (!key && size >= 0 && storedSize != size)
        return cannotRead(ErrorDamaged, platform::localizedString("it is %1 bytes long, its record gives %2")
                                            .arg(storedSize)
                                            .arg(size));

    const QString folder = QFileInfo(destinationPath).absolutePath();
    QString hidden;
    int out = -1;
    for (int attempt = 0; attempt < 16 && out < 0; ++attempt) {
        hidden = folder + u'/' + QLatin1String(platform::safefile::kTemporaryPrefix)
               + QString::number(QRandomGenerator::global()->generate64(), 16);
        out = ::open(QFile::encodeName(hidden).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (out < 0 && errno != EEXIST)
            break;
    }
    const auto cannotSave = [&](int code) {
        platform::setError(error, platform::Error::fromErrno(
                                      code, platform::localizedString("The file “%1” couldn’t be saved").arg(destinationPath)));
        return false;
    };
    if (out < 0)
        return cannotSave(errno);
    const platform::safefile::Descriptor output(out);
    const QByteArray hiddenName = QFile::encodeName(hidden);
    bool ok = true;
    if (key) {
        QString reason;
        bool writing = false;
        if (!decrypt(in.get(), storedSize, *key, size, out, &reason, &writing)) {
            // The write's own reason, before the removal can change errno.
            const int code = errno ? errno : EIO;
            ::unlink(hiddenName.constData());
            if (writing)
                return cannotSave(code);
            return cannotRead(ErrorDamaged, reason);
        }
    } else {
        const platform::CopyFailure failure = platform::copyFileContents(in.get(), out, storedSize);
        if (failure.code) {
            ::unlink(hiddenName.constData());
            return failure.reading ? cannotRead(ErrorUnreadable, systemReason(failure.code)) : cannotSave(failure.code);
        }
        ok = true;
    }
    if (modified != 0) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(modified), 0}};
        ::futimens(out, times);
    }
    if (!ok || ::rename(hiddenName.constData(), QFile::encodeName(destinationPath).constData()) != 0) {
        const int code = errno;
        ::unlink(hiddenName.constData());
        return cannotSave(code);
    }
    return true;
}

} // namespace backup
