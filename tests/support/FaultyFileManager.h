#pragma once

#include "platform/FileManager.h"

#include <functional>
#include <memory>
#include <mutex>

namespace platform {

// A file manager over a disk that fills up or turns read-only: writes go
// through until a budget of bytes or of new items (files and folders) is
// spent, then fail with the chosen errno, as the kernel would report it.
// Tests put one in place with FileManager::setDefaultManager(); the test
// build of notes-export takes one from $NI_FILE_FAULT (FileFaultAtStart.cpp).
class FaultyFileManager : public FileManager {
public:
    static constexpr qint64 kUnlimited = -1;

    // `errnoValue` is what failing writes report; ENOSPC fails writes and
    // folder creation only, any other value fails removal too.
    explicit FaultyFileManager(int errnoValue, qint64 byteBudget = kUnlimited, qint64 itemBudget = kUnlimited);

    // From a description such as "ENOSPC,bytes=4096" or "EROFS,items=3";
    // nullptr when it cannot be read.
    static std::unique_ptr<FaultyFileManager> fromDescription(const QString& description);

    // Every write from now on fails with `errnoValue`.
    void failFromNow(int errnoValue);

    // Shown every file or folder about to be made, written, copied to or
    // removed, on the thread that does it, one at a time.
    std::function<void(const QUrl&)> onChange;

    bool createDirectory(const QUrl& url, bool withIntermediateDirectories, Error* error) override;
    bool removeItem(const QUrl& url, Error* error) override;
    bool writeData(const QByteArray& data, const QUrl& url, Error* error, const FileFinisher& finish = {}) override;
    bool copyItem(const QUrl& from, const QUrl& to, Error* error) override;
    bool copyFromDescriptor(int in, const QUrl& from, const QUrl& to, qint64 limit, Error* error) override;

private:
    // Takes `bytes` and one item from the budgets; when they do not suffice,
    // false with the error a disk gives for the file or folder at `url`.
    bool fits(qint64 bytes, const QUrl& url, Error* error, bool isFolder = false);

    std::mutex m_mutex;
    int m_errno;
    qint64 m_bytesLeft;
    qint64 m_itemsLeft;
};

} // namespace platform
