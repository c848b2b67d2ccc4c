#pragma once

#include "notestore/ContainerFiles.h"

namespace notestore {

// A Notes folder copied from a Mac: the files are where their paths say.
class FolderFiles final : public ContainerFiles {
public:
    // `databasePath`: the folder's NoteStore.sqlite (or the file the user named).
    explicit FolderFiles(const QString& databasePath);

    QString root() const override { return m_root; }
    QString databasePath() const override { return m_databasePath; }
    std::unique_ptr<PrivateCopy> copyDatabase(platform::Error* error) const override;
    bool isFile(const QString& relativePath) const override;
    qint64 fileSize(const QString& relativePath) const override;
    QStringList fileNames(const QString& relativeFolder, const QString& prefix, const QString& suffix) const override;
    std::shared_ptr<const LocalFile> localFile(const QString& relativePath, QString* problem) const override;
    bool copyFile(const QString& relativePath, const QUrl& destination, platform::Error* error) const override;

private:
    QString path(const QString& relativePath) const { return m_root + u'/' + relativePath; }
    QString m_databasePath;
    QString m_root;
};

} // namespace notestore
