#pragma once

#include <QByteArray>
#include <QColor>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariantMap>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

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
// A picture of one colour, encoded as `format` ("PNG", "JPEG", ...).
QByteArray imageBytes(const char* format, QColor color, int width = 6, int height = 4);

// Sets environment variables while it lives; puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, QString>> values);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};

// Settings and data in a fresh folder ("config", "data"), never the user's.
class PrivateHome {
public:
    TempDir dir;

private:
    ScopedEnvironment m_environment{{"XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config"))},
                                    {"XDG_DATA_HOME", dir.filePath(QStringLiteral("data"))}};
};

// This process's environment with settings and data ("config", "data",
// "system") below `dir`, for a program the test starts.
QProcessEnvironment privateEnvironment(const TempDir& dir);

// A program built beside the tests, by name.
QString programPath(const QString& name);

// What a run of a built program printed and returned.
struct ProgramRun {
    int exitCode = -1;
    QString out, err;
};
ProgramRun runProgram(const QString& name, const QStringList& arguments, const QProcessEnvironment& environment,
                      int timeoutMs = 60000);

// Every folder ("a/b/") and item ("a/b/c.html", "a/d.rtfd/") a manifest
// lists, relative to `root`, sorted; "*" marks an item that was encrypted.
QStringList manifestEntries(const QVariantMap& manifest, const QString& root);

// Every file and folder below `root`, as sorted relative paths ("a/", "a/b.html").
QStringList tree(const QString& root);

} // namespace testsupport

#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& string, std::ostream* os)
{
    *os << '"' << string.toStdString() << '"';
}
