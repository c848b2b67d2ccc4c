#include "support/TestSupport.h"

#include "platform/FileURL.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace testsupport {

bool spinUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::usleep(200);
    }
    return true;
}

TempDir::TempDir()
{
    EXPECT_TRUE(m_dir.isValid());
}

QUrl TempDir::url() const
{
    return platform::fileurl::fromPath(m_dir.path(), true);
}

ScopedEnvironment::ScopedEnvironment(std::initializer_list<std::pair<const char*, QString>> values)
{
    for (const auto& [name, value] : values) {
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qputenv(name, value.toUtf8());
    }
}

ScopedEnvironment::~ScopedEnvironment()
{
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second)
            qputenv(it->first, *it->second);
        else
            qunsetenv(it->first);
    }
}

QProcessEnvironment privateEnvironment(const TempDir& dir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), dir.filePath(QStringLiteral("system")));
    return environment;
}

QString programPath(const QString& name)
{
    return QCoreApplication::applicationDirPath() + u'/' + name;
}

ProgramRun runProgram(const QString& name, const QStringList& arguments, const QProcessEnvironment& environment,
                      int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(programPath(name), arguments);
    EXPECT_TRUE(process.waitForFinished(timeoutMs)) << name.toStdString();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(contents);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray imageBytes(const char* format, QColor color, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QStringList manifestEntries(const QVariantMap& manifest, const QString& root)
{
    QStringList entries;
    const auto relative = [&](const QVariant& url) { return QDir(root).relativeFilePath(QUrl(url.toString()).toLocalFile()); };
    std::function<void(const QVariantMap&)> walk = [&](const QVariantMap& folder) {
        entries.append(relative(folder.value(QStringLiteral("identifier"))) + u'/');
        for (const QVariant& value : folder.value(QStringLiteral("items")).toList()) {
            const QVariantMap item = value.toMap();
            EXPECT_EQ(item.value(QStringLiteral("identifier")), item.value(QStringLiteral("fileURL")));
            const QString path = relative(item.value(QStringLiteral("fileURL")));
            const QVariant encrypted = item.value(QStringLiteral("wasEncrypted"), false);
            EXPECT_TRUE(encrypted.toBool() || !item.contains(QStringLiteral("wasEncrypted")));
            entries.append(path + (path.endsWith(QStringLiteral(".rtfd")) ? "/" : "") + (encrypted.toBool() ? "*" : ""));
        }
        for (const QVariant& sub : folder.value(QStringLiteral("folders")).toList())
            walk(sub.toMap());
    };
    for (const QVariant& account : manifest.value(QStringLiteral("Files")).toMap().value(QStringLiteral("folders")).toList())
        walk(account.toMap());
    entries.sort();
    return entries;
}

QStringList tree(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        QString relative = QDir(root).relativeFilePath(it.filePath());
        if (it.fileInfo().isDir())
            relative += u'/';
        entries.append(relative);
    }
    entries.sort();
    return entries;
}

} // namespace testsupport
