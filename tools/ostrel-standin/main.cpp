// ostrel-standin: plays the companion application for the import's hand-off.
// It checks the URL it is opened with and the manifest that URL points at,
// and prints what it would import. It also installs itself as that
// application into a freedesktop data directory.

#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>
#include <csignal>
#include <cstdio>

namespace {

constexpr const char* kBundleIdentifier = "app.ostrel.Ostrel";

int fail(const QString& text)
{
    fprintf(stderr, "ostrel-standin: %s\n", text.toLocal8Bit().constData());
    return 1;
}

// ---- Installing ----

// The program as one Exec word: quoted, with ", `, $ and \ escaped, and
// then every backslash doubled for the string value the line is.
QString execWord(const QString& program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    return u'"' + quoted + u'"';
}

QString xmlEscaped(const QString& text)
{
    return text.toHtmlEscaped();
}

bool writeTemplate(const QString& resource, const QString& path, const QList<std::pair<QString, QString>>& values)
{
    QFile source(resource);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromUtf8(source.readAll());
    for (const auto& [key, value] : values)
        text.replace(key, value);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile target(path);
    return target.open(QIODevice::WriteOnly | QIODevice::Truncate) && target.write(text.toUtf8()) >= 0;
}

int install(const QString& dataHome, const QString& version, const QString& program)
{
    const QString root = QDir(dataHome).absolutePath();
    const QString entry = root + QStringLiteral("/applications/") + QLatin1String(kBundleIdentifier) + QStringLiteral(".desktop");
    const QString metainfo = root + QStringLiteral("/metainfo/") + QLatin1String(kBundleIdentifier) + QStringLiteral(".metainfo.xml");
    if (!writeTemplate(QStringLiteral(":/app.ostrel.Ostrel.desktop.in"), entry, {{QStringLiteral("@EXEC@"), execWord(program)}}))
        return fail(QStringLiteral("cannot write %1").arg(entry));
    if (!writeTemplate(QStringLiteral(":/app.ostrel.Ostrel.metainfo.xml.in"), metainfo,
                       {{QStringLiteral("@VERSION@"), xmlEscaped(version)},
                        {QStringLiteral("@DATE@"), QDate::currentDate().toString(Qt::ISODate)}}))
        return fail(QStringLiteral("cannot write %1").arg(metainfo));
    printf("Installed the Ostrel stand-in %s into %s\n", version.toLocal8Bit().constData(), root.toLocal8Bit().constData());
    return 0;
}

// ---- Receiving a hand-off ----

struct Counts {
    int folders = 0;
    int items = 0;
    int encrypted = 0;
};

// A directory or file named by a manifest's URL string, which must be a
// well-formed file URL.
QString localPath(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return {};
    const QUrl url(value.toString(), QUrl::StrictMode);
    return url.isValid() && url.isLocalFile() ? url.toLocalFile() : QString();
}

bool checkFolder(const QVariantMap& folder, Counts& counts, QStringList& problems)
{
    const QString path = localPath(folder.value(QStringLiteral("identifier")));
    const QString name = folder.value(QStringLiteral("name")).toString();
    if (path.isEmpty() || !QFileInfo(path).isDir()) {
        problems.append(QStringLiteral("folder “%1”: its identifier names no folder").arg(name));
        return false;
    }
    if (QFileInfo(QDir::cleanPath(path)).fileName() != name)
        problems.append(QStringLiteral("folder “%1”: the name differs from the folder on disk").arg(name));
    const QVariant items = folder.value(QStringLiteral("items"));
    const QVariant folders = folder.value(QStringLiteral("folders"));
    if (items.typeId() != QMetaType::QVariantList || folders.typeId() != QMetaType::QVariantList) {
        problems.append(QStringLiteral("folder “%1”: items or folders missing").arg(name));
        return false;
    }
    ++counts.folders;
    for (const QVariant& itemValue : items.toList()) {
        const QVariantMap item = itemValue.toMap();
        const QVariant identifier = item.value(QStringLiteral("identifier"));
        const QString itemPath = localPath(item.value(QStringLiteral("fileURL")));
        if (itemPath.isEmpty() || identifier != item.value(QStringLiteral("fileURL")) || !QFileInfo::exists(itemPath)) {
            problems.append(QStringLiteral("an item in “%1” names no file: %2").arg(name, identifier.toString()));
            continue;
        }
        ++counts.items;
        if (item.contains(QStringLiteral("wasEncrypted"))) {
            if (item.value(QStringLiteral("wasEncrypted")) != QVariant(true))
                problems.append(QStringLiteral("%1: wasEncrypted is present but not true").arg(itemPath));
            else
                ++counts.encrypted;
        }
    }
    bool ok = true;
    for (const QVariant& sub : folders.toList())
        ok = checkFolder(sub.toMap(), counts, problems) && ok;
    return ok;
}

int receive(const QString& argument)
{
    const QUrl url(argument, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("ostrel") || url.host() != QLatin1String("library"))
        return fail(QStringLiteral("not an ostrel://library URL: %1").arg(argument));
    const QUrlQuery query(url);
    if (!query.hasQueryItem(QStringLiteral("location")))
        return fail(QStringLiteral("the URL has no location"));
    if (query.queryItemValue(QStringLiteral("supportsHashtags")) != QLatin1String("0"))
        return fail(QStringLiteral("supportsHashtags is not 0"));
    // Decoded once, the value is the manifest's file URL with its own escapes.
    const QString location = query.queryItemValue(QStringLiteral("location"), QUrl::FullyDecoded);
    const QString manifestPath = localPath(location);
    if (manifestPath.isEmpty())
        return fail(QStringLiteral("the location is not a well-formed file URL: %1").arg(location));

    QFile file(manifestPath);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read the manifest %1: %2").arg(manifestPath, file.errorString()));
    const QByteArray data = file.readAll();
    if (!data.startsWith("bplist00"))
        return fail(QStringLiteral("the manifest is not a binary property list"));
    platform::Error error;
    const auto manifest = platform::plist::propertyListFromData(data, &error);
    if (!manifest)
        return fail(QStringLiteral("cannot read the manifest: %1").arg(error.localizedDescription()));
    const QVariantMap top = manifest->toMap();
    if (top.value(QStringLiteral("Options")).toMap().value(QStringLiteral("convertHTMLFragments")) != QVariant(true))
        return fail(QStringLiteral("the manifest does not ask for HTML fragments to be converted"));
    const QVariant accounts = top.value(QStringLiteral("Files")).toMap().value(QStringLiteral("folders"));
    if (accounts.typeId() != QMetaType::QVariantList)
        return fail(QStringLiteral("the manifest lists no folders"));

    Counts counts;
    QStringList problems;
    for (const QVariant& account : accounts.toList())
        checkFolder(account.toMap(), counts, problems);
    for (const QString& problem : problems)
        fprintf(stderr, "ostrel-standin: %s\n", problem.toLocal8Bit().constData());
    printf("Ostrel stand-in: %d folders, %d items (%d encrypted) from %s\n", counts.folders, counts.items,
           counts.encrypted, manifestPath.toLocal8Bit().constData());
    fflush(stdout);
    return problems.isEmpty() ? 0 : 1;
}

// Tests and scripts learn what arrived from this file; it is written last,
// so once it holds the URL the report above is out.
void record(const QString& argument)
{
    const QString path = qEnvironmentVariable("OSTREL_STANDIN_LOG");
    if (path.isEmpty())
        return;
    QFile log(path);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write(argument.toUtf8() + '\n');
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // Started detached, it may outlive whoever reads its output.
    std::signal(SIGPIPE, SIG_IGN);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.value(0) == QLatin1String("--install") && arguments.size() >= 2) {
        QString version = QStringLiteral("1.10.4");
        QString program = QCoreApplication::applicationFilePath();
        for (qsizetype i = 2; i + 1 < arguments.size(); i += 2) {
            if (arguments.at(i) == QLatin1String("--version"))
                version = arguments.at(i + 1);
            else if (arguments.at(i) == QLatin1String("--exec"))
                program = arguments.at(i + 1);
            else
                return fail(QStringLiteral("unknown option %1").arg(arguments.at(i)));
        }
        if (arguments.size() % 2 != 0)
            return fail(QStringLiteral("an option lacks its value"));
        return install(arguments.at(1), version, program);
    }
    if (arguments.size() != 1 || arguments.constFirst().startsWith(u'-')) {
        fprintf(stderr, "usage: ostrel-standin URL\n"
                        "       ostrel-standin --install DATA_HOME [--version VERSION] [--exec PROGRAM]\n");
        return 2;
    }
    const int status = receive(arguments.constFirst());
    record(arguments.constFirst());
    return status;
}
