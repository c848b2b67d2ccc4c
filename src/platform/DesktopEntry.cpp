#include "platform/DesktopEntry.h"
#include "platform/LocalizedString.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

namespace {

Error launchError(const QString& description)
{
    return Error(QStringLiteral("WorkspaceErrorDomain"), 1, description);
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    DesktopEntry entry;
    entry.m_path = QFileInfo(path).absoluteFilePath();
    bool inMainGroup = false;
    bool sawMainGroup = false;
    for (const QByteArray& rawLine : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        // The first occurrence of a key counts; localised keys are left aside.
        if (!entry.m_values.contains(key))
            entry.m_values.insert(key, unescapeValue(line.mid(equals + 1).trimmed()));
    }
    if (!sawMainGroup)
        return std::nullopt;
    return entry;
}

QString DesktopEntry::unescapeValue(const QString& raw)
{
    QString value;
    value.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != u'\\' || i + 1 == raw.size()) {
            value += c;
            continue;
        }
        const QChar next = raw.at(++i);
        switch (next.unicode()) {
        case 's': value += u' '; break;
        case 'n': value += u'\n'; break;
        case 't': value += u'\t'; break;
        case 'r': value += u'\r'; break;
        case '\\': value += u'\\'; break;
        default: value += u'\\'; value += next; break;
        }
    }
    return value;
}

QString DesktopEntry::value(const QString& key) const
{
    return m_values.value(key);
}

bool DesktopEntry::hidden() const
{
    return value(QStringLiteral("Hidden")) == QLatin1String("true");
}

std::optional<QList<DesktopEntry::Word>> DesktopEntry::splitExec(const QString& exec)
{
    QList<Word> words;
    Word word;
    bool inWord = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord)
                words.append(std::exchange(word, Word{}));
            inWord = false;
            continue;
        }
        inWord = true;
        if (c != u'"') {
            word.text += c;
            word.fieldCodes.append(true);
            continue;
        }
        // A quoted part: a backslash escapes ", `, $ and itself; nothing in it is a field code.
        for (++i;; ++i) {
            if (i >= exec.size())
                return std::nullopt;
            QChar q = exec.at(i);
            if (q == u'"')
                break;
            if (q == u'\\' && i + 1 < exec.size()) {
                const QChar next = exec.at(i + 1);
                if (next == u'"' || next == u'`' || next == u'$' || next == u'\\') {
                    q = next;
                    ++i;
                }
            }
            word.text += q;
            word.fieldCodes.append(false);
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

std::optional<QList<QStringList>> DesktopEntry::commandLines(const QList<QUrl>& urls) const
{
    const auto words = splitExec(value(QStringLiteral("Exec")));
    if (!words || words->isEmpty())
        return std::nullopt;

    QStringList files;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    QStringList urlStrings;
    for (const QUrl& url : urls)
        urlStrings.append(url.toString(QUrl::FullyEncoded));

    // %f and %u take one item: a program with them is started once per item.
    bool takesOne = false;
    for (const Word& word : *words) {
        for (qsizetype i = 0; i + 1 < word.text.size(); ++i) {
            if (word.fieldCodes.at(i) && word.text.at(i) == u'%') {
                const QChar code = word.text.at(i + 1);
                if (code == u'f' || code == u'u')
                    takesOne = true;
                ++i;
            }
        }
    }

    auto expand = [&](const QStringList& oneFile, const QStringList& oneURL) {
        QStringList arguments;
        for (const Word& word : *words) {
            QString text;
            bool dropWhole = false;
            for (qsizetype i = 0; i < word.text.size(); ++i) {
                const QChar c = word.text.at(i);
                if (!word.fieldCodes.at(i) || c != u'%' || i + 1 == word.text.size()) {
                    text += c;
                    continue;
                }
                const QChar code = word.text.at(++i);
                const bool alone = word.text.size() == 2;
                switch (code.unicode()) {
                case '%': text += u'%'; break;
                case 'f':
                case 'u': {
                    const QStringList& items = code == u'f' ? oneFile : oneURL;
                    if (items.isEmpty() && alone)
                        dropWhole = true;
                    else
                        text += items.value(0);
                    break;
                }
                case 'F':
                case 'U': {
                    const QStringList& items = code == u'F' ? files : urlStrings;
                    if (alone) {
                        arguments += items;
                        dropWhole = true;
                    } else {
                        text += items.join(u' ');
                    }
                    break;
                }
                case 'i': {
                    const QString icon = value(QStringLiteral("Icon"));
                    if (alone && !icon.isEmpty())
                        arguments += {QStringLiteral("--icon"), icon};
                    dropWhole = dropWhole || alone;
                    break;
                }
                case 'c': text += value(QStringLiteral("Name")); break;
                case 'k': text += m_path; break;
                default:
                    // Deprecated and unknown codes expand to nothing.
                    dropWhole = dropWhole || alone;
                    break;
                }
            }
            if (!dropWhole)
                arguments.append(text);
        }
        return arguments;
    };

    QList<QStringList> lines;
    if (takesOne && urls.size() > 1) {
        for (const QUrl& url : urls) {
            const QStringList file = url.isLocalFile() ? QStringList{url.toLocalFile()} : QStringList{};
            lines.append(expand(file, {url.toString(QUrl::FullyEncoded)}));
        }
    } else {
        lines.append(expand(files.mid(0, 1), urlStrings.mid(0, 1)));
    }
    for (const QStringList& line : lines) {
        if (line.isEmpty() || line.constFirst().isEmpty())
            return std::nullopt;
    }
    return lines;
}

bool DesktopEntry::takesURLs() const
{
    const auto words = splitExec(value(QStringLiteral("Exec")));
    if (!words)
        return false;
    for (const Word& word : *words) {
        for (qsizetype i = 0; i + 1 < word.text.size(); ++i) {
            if (word.fieldCodes.at(i) && word.text.at(i) == u'%') {
                const QChar code = word.text.at(++i);
                if (code == u'u' || code == u'U')
                    return true;
            }
        }
    }
    return false;
}

std::optional<Error> DesktopEntry::launch(const QList<QUrl>& urls) const
{
    const QString name = value(QStringLiteral("Name")).isEmpty() ? QFileInfo(m_path).fileName() : value(QStringLiteral("Name"));
    // Without %u or %U the address would be dropped and the program started
    // with nothing to open, which is no success.
    bool onlyLocalFiles = true;
    for (const QUrl& url : urls)
        onlyLocalFiles = onlyLocalFiles && url.isLocalFile();
    if (!onlyLocalFiles && !takesURLs())
        return launchError(platform::localizedString("The application “%1” could not be given the address to open because its "
                                        "command line takes no URLs (it has no %u or %U).")
                             .arg(name));
    const auto lines = commandLines(urls);
    if (!lines)
        return launchError(platform::localizedString("The application “%1” could not be opened because its command line is missing "
                                        "or malformed.")
                             .arg(name));
    for (const QStringList& line : *lines) {
        QString program = line.constFirst();
        if (!program.contains(u'/')) {
            program = QStandardPaths::findExecutable(program);
        } else {
            const QFileInfo info(program);
            if (!info.isFile() || !info.isExecutable())
                program.clear();
        }
        if (program.isEmpty())
            return launchError(platform::localizedString("The application “%1” could not be opened because its program “%2” was "
                                            "not found.")
                                 .arg(name, line.constFirst()));
        QProcess process;
        process.setProgram(program);
        process.setArguments(line.mid(1));
        // The application gets no input from us; its output still goes where ours does.
        process.setStandardInputFile(QProcess::nullDevice());
        if (!process.startDetached())
            return launchError(platform::localizedString("The application “%1” could not be opened because its program “%2” could "
                                            "not be started.")
                                 .arg(name, program));
    }
    return std::nullopt;
}

} // namespace platform
