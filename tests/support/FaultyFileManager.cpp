#include "support/FaultyFileManager.h"

#include "platform/FileURL.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <cerrno>
#include <sys/stat.h>

namespace platform {

FaultyFileManager::FaultyFileManager(int errnoValue, qint64 byteBudget, qint64 itemBudget)
    : m_errno(errnoValue), m_bytesLeft(byteBudget), m_itemsLeft(itemBudget)
{
}

std::unique_ptr<FaultyFileManager> FaultyFileManager::fromDescription(const QString& description)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^(ENOSPC|EDQUOT|EROFS|EACCES|EIO)(?:\s*,\s*bytes=(\d{1,18})|\s*,\s*items=(\d{1,18}))*$)"));
    static const QHash<QString, int> errnos{
        {"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT}, {"EROFS", EROFS}, {"EACCES", EACCES}, {"EIO", EIO}};
    const QRegularExpressionMatch match = form.match(description.trimmed());
    if (!match.hasMatch())
        return nullptr;
    const auto budget = [&](int group) { return match.hasCaptured(group) ? match.captured(group).toLongLong() : kUnlimited; };
    return std::make_unique<FaultyFileManager>(errnos.value(match.captured(1)), budget(2), budget(3));
}

void FaultyFileManager::failFromNow(int errnoValue)
{
    std::lock_guard lock(m_mutex);
    m_errno = errnoValue;
    m_itemsLeft = 0;
}

bool FaultyFileManager::fits(qint64 bytes, const QUrl& url, Error* error, bool isFolder)
{
    std::lock_guard lock(m_mutex);
    if (onChange)
        onChange(url);
    if (m_itemsLeft == 0 || (m_bytesLeft != kUnlimited && m_bytesLeft < bytes)) {
        setError(error, isFolder ? folderNotCreated(url, m_errno) : fileNotSaved(url, m_errno));
        return false;
    }
    if (m_itemsLeft > 0)
        --m_itemsLeft;
    if (m_bytesLeft != kUnlimited)
        m_bytesLeft -= bytes;
    return true;
}

bool FaultyFileManager::createDirectory(const QUrl& url, bool withIntermediateDirectories, Error* error)
{
    // An existing folder costs nothing, as on a real disk.
    return (isDirectory(url) || fits(0, url, error, true)) &&
           FileManager::createDirectory(url, withIntermediateDirectories, error);
}

bool FaultyFileManager::removeItem(const QUrl& url, Error* error)
{
    std::unique_lock lock(m_mutex);
    if (onChange)
        onChange(url);
    // A full disk still lets files go; a read-only one does not.
    if (m_itemsLeft == 0 && m_errno != ENOSPC && m_errno != EDQUOT) {
        setError(error, itemNotRemoved(url, m_errno));
        return false;
    }
    lock.unlock();
    return FileManager::removeItem(url, error);
}

bool FaultyFileManager::writeData(const QByteArray& data, const QUrl& url, Error* error, const FileFinisher& finish)
{
    return fits(data.size(), url, error) && FileManager::writeData(data, url, error, finish);
}

bool FaultyFileManager::copyItem(const QUrl& from, const QUrl& to, Error* error)
{
    return fits(QFileInfo(fileurl::path(from)).size(), to, error) && FileManager::copyItem(from, to, error);
}

bool FaultyFileManager::copyFromDescriptor(int in, const QUrl& from, const QUrl& to, qint64 limit, Error* error)
{
    struct stat info {};
    return fits(fstat(in, &info) == 0 ? qint64(info.st_size) : 0, to, error) &&
           FileManager::copyFromDescriptor(in, from, to, limit, error);
}

} // namespace platform
