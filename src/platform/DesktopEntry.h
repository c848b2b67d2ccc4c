#pragma once

#include "platform/Error.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace platform {

// The main group of a freedesktop desktop entry, and how its Exec line
// turns into the command lines that open URLs.
class DesktopEntry {
public:
    static std::optional<DesktopEntry> load(const QString& path);

    QString path() const { return m_path; }
    // The unescaped value of a key of the main group; empty when missing.
    QString value(const QString& key) const;
    bool hidden() const;

    // The program and arguments to run for `urls`: %f/%F take local files,
    // %u/%U URLs, %% a percent sign; deprecated codes vanish. An entry with
    // %f or %u gets one command line per URL. Nothing when Exec is missing
    // or its quoting is broken.
    std::optional<QList<QStringList>> commandLines(const QList<QUrl>& urls) const;
    // True when the Exec line has a field code for URLs (%u or %U).
    bool takesURLs() const;

    // Starts every command line without a shell; an error when a program
    // cannot be found or started.
    std::optional<Error> launch(const QList<QUrl>& urls) const;

    // The escapes of a string value (\s \n \t \r \\).
    static QString unescapeValue(const QString& raw);

private:
    // One word of an Exec line; fieldCodes[i] is false for characters that
    // came from a quoted part and so are taken literally.
    struct Word {
        QString text;
        QList<bool> fieldCodes;
    };
    static std::optional<QList<Word>> splitExec(const QString& exec);

    QString m_path;
    QHash<QString, QString> m_values;
};

} // namespace platform
