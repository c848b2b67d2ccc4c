#include "support/FaultyFileManager.h"

#include "platform/FileURL.h"

#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace platform {

namespace {

struct NamedErrno {
    const char* name;
    int value;
};
constexpr NamedErrno kErrnos[] = {{"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT}, {"EROFS", EROFS},
                                  {"EACCES", EACCES}, {"EIO", EIO}};

} // namespace

FaultyFileManager::FaultyFileManager(int errnoValue, qint64 byteBudget, qint64 itemBudget)
    : m_errno(errnoValue), m_bytesLeft(byteBudget), m_itemsLeft(itemBudget)
{
}

std::unique_ptr<FaultyFileManager> FaultyFileManager::fromDescription(const QString& description)
{
    const QStringList parts = description.split(u',', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return nullptr;
    int errnoValue = 0;
    for (const auto& known : kErrnos) {
        if (parts.first().trimmed() == QLatin1String(known.name))
            errnoValue = known.value;
    }
    if (!errnoValue)
        return nullptr;
    qint64 bytes = kUnlimited, items = kUnlimited;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QStringList pair = parts.at(i).trimmed().split(u'=');
        bool ok = false;
        const qint64 value = pair.size() == 2 ? pair.at(1).toLongLong(&ok) : 0;
        if (!ok || value < 0)
            return nullptr;
        if (pair.at(0) == QLatin1String("bytes"))
            bytes = value;
        else if (pair.at(0) == QLatin1String("items"))
            items = value;
        else
            return nullptr;
    }
    return std::make_unique<FaultyFileManager>(errnoValue, bytes, items);
}

void FaultyFileManager::failFromNow(int errnoValue)
{
    std::lock_guard lock(m_mutex);
    m_errno = errnoValue;
    m_itemsLeft = 0;
}

bool FaultyFileManager::spend(qint64 bytes, int* errnoValue)
{
    std::lock_guard lock(m_mutex);
    *errnoValue = m_errno;
    if (m_itemsLeft == 0 || (m_bytesLeft != kUnlimited && m_bytesLeft < bytes))
        return false;
    if (m_itemsLeft > 0)
        --m_itemsLeft;
    if (m_bytesLeft != kUnlimited)
        m_bytesLeft -= bytes;
    return true;
}

bool FaultyFileManager::createDirectory(const QUrl& url, bool withIntermediateDirectories, Error* error)
{
    // An existing folder costs nothing, as on a real disk.
    if (isDirectory(url))
        return FileManager::createDirectory(url, withIntermediateDirectories, error);
    int code = 0;
    if (!spend(0, &code)) {
        setError(error, folderNotCreated(url, code));
        return false;
    }
    return FileManager::createDirectory(url, withIntermediateDirectories, error);
}

bool FaultyFileManager::removeItem(const QUrl& url, Error* error)
{
    int code = 0;
    bool exhausted = false;
    {
        std::lock_guard lock(m_mutex);
        code = m_errno;
        exhausted = m_itemsLeft == 0;
    }
    // A full disk still lets files go; a read-only one does not.
    if (exhausted && code != ENOSPC && code != EDQUOT) {
        setError(error, itemNotRemoved(url, code));
        return false;
    }
    return FileManager::removeItem(url, error);
}

bool FaultyFileManager::writeData(const QByteArray& data, const QUrl& url, Error* error, const FileFinisher& finish)
{
    int code = 0;
    if (!spend(data.size(), &code)) {
        setError(error, fileNotSaved(url, code));
        return false;
    }
    return FileManager::writeData(data, url, error, finish);
}

bool FaultyFileManager::copyItem(const QUrl& from, const QUrl& to, Error* error)
{
    int code = 0;
    if (!spend(QFileInfo(fileurl::path(from)).size(), &code)) {
        setError(error, fileNotSaved(to, code));
        return false;
    }
    return FileManager::copyItem(from, to, error);
}

bool FaultyFileManager::copyFromDescriptor(int in, const QUrl& from, const QUrl& to, qint64 limit, Error* error)
{
    struct stat info {};
    int code = 0;
    if (!spend(fstat(in, &info) == 0 ? qint64(info.st_size) : 0, &code)) {
        setError(error, fileNotSaved(to, code));
        return false;
    }
    return FileManager::copyFromDescriptor(in, from, to, limit, error);
}

} // namespace platform
