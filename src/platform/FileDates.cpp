#include "platform/FileDates.h"
#include "platform/LocalizedString.h"

#include "platform/FileURL.h"

#include <QFile>
#include <QTimeZone>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace platform::filedates {

namespace {

QByteArray nativePath(const QUrl& url)
{
    return QFile::encodeName(fileurl::path(url));
}

QDateTime fromTimespec(const struct statx_timestamp& t)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, QTimeZone::utc());
}

std::optional<struct statx> statItem(const QByteArray& path, unsigned mask)
{
    struct statx info {};
    if (statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, mask, &info) != 0)
        return std::nullopt;
    return info;
}

// As Qt::ISODateWithMs writes it in UTC; written by hand for the years of
// four digits, as Qt's own formatting is a fair share of writing a note.
QByteArray creationText(const std::optional<QDateTime>& date)
{
    if (!date || !date->isValid())
        return {};
    const QDateTime utc = date->toUTC();
    const QDate day = utc.date();
    if (day.year() < 1 || day.year() > 9999)
        return utc.toString(Qt::ISODateWithMs).toUtf8();
    const QTime time = utc.time();
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", day.year(), day.month(),
                                     day.day(), time.hour(), time.minute(), time.second(), time.msec());
    return QByteArray(text, length);
}

// Only the modification time is set; the access time stays as it is.
bool modificationTimes(const std::optional<QDateTime>& date, struct timespec times[2])
{
    if (!date || !date->isValid())
        return false;
    const qint64 ms = date->toMSecsSinceEpoch();
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000));
    times[1].tv_nsec = long((ms - qint64(times[1].tv_sec) * 1000) * 1000000);
    return true;
}

// Both dates through the two calls given, for a path or an open file alike.
// The name is only made for an error.
template <class Name, class SetAttribute, class SetTimes>
bool applyDates(const Name& name, const std::optional<QDateTime>& creationDate,
                const std::optional<QDateTime>& modificationDate, Error* error, SetAttribute setAttribute,
                SetTimes setTimes)
{
    bool ok = true;
    const auto fail = [&] {
        setError(error, Error::fromErrno(errno, platform::localizedString("The dates of “%1” couldn’t be set").arg(name())));
        ok = false;
    };
    if (const QByteArray text = creationText(creationDate); !text.isEmpty()) {
        if (setAttribute(kCreationDateAttribute, text.constData(), size_t(text.size())) != 0)
            fail();
    }
    struct timespec times[2];
    if (modificationTimes(modificationDate, times) && setTimes(times) != 0)
        fail();
    return ok;
}

} // namespace

bool setDates(const QUrl& fileURL, const std::optional<QDateTime>& creationDate,
              const std::optional<QDateTime>& modificationDate, Error* error)
{
    const QByteArray path = nativePath(fileURL);
    return applyDates(
        [&] { return fileurl::lastPathComponent(fileURL); }, creationDate, modificationDate, error,
        [&](const char* attribute, const char* value, size_t size) {
            return setxattr(path.constData(), attribute, value, size, 0);
        },
        [&](const struct timespec* times) { return utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW); });
}

bool setDates(int fd, const QUrl& fileURL, const std::optional<QDateTime>& creationDate,
              const std::optional<QDateTime>& modificationDate, Error* error)
{
    return applyDates(
        [&] { return fileurl::lastPathComponent(fileURL); }, creationDate, modificationDate, error,
        [fd](const char* attribute, const char* value, size_t size) { return fsetxattr(fd, attribute, value, size, 0); },
        [fd](const struct timespec* times) { return futimens(fd, times); });
}

std::optional<QDateTime> creationDate(const QUrl& fileURL)
{
    const QByteArray path = nativePath(fileURL);
    char buffer[64];
    const ssize_t length = getxattr(path.constData(), kCreationDateAttribute, buffer, sizeof buffer);
    if (length > 0) {
        const QDateTime date = QDateTime::fromString(QString::fromUtf8(buffer, qsizetype(length)), Qt::ISODateWithMs);
        if (date.isValid())
            return date;
    }
    const auto info = statItem(path, STATX_BTIME | STATX_MTIME);
    if (!info)
        return std::nullopt;
    if (info->stx_mask & STATX_BTIME)
        return fromTimespec(info->stx_btime);
    return fromTimespec(info->stx_mtime);
}

std::optional<QDateTime> modificationDate(const QUrl& fileURL)
{
    const auto info = statItem(nativePath(fileURL), STATX_MTIME);
    if (!info)
        return std::nullopt;
    return fromTimespec(info->stx_mtime);
}

} // namespace platform::filedates
