#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>

namespace testsupport {

// Runs the event loop until `done` answers true or `timeoutMs` passes;
// returns whether it became true.
bool spinUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// A temporary folder for one test, removed afterwards.
class TempDir {
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QUrl url() const;

private:
    QTemporaryDir m_dir;
};

void writeFile(const QString& path, const QByteArray& contents);
QByteArray readFile(const QString& path);

// Every file and folder below `root`, as sorted relative paths ("a/", "a/b.html").
QStringList tree(const QString& root);

} // namespace testsupport

#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& string, std::ostream* os)
{
    *os << '"' << string.toStdString() << '"';
}
