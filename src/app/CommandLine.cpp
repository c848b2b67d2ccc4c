#include "app/CommandLine.h"

#include <QCoreApplication>
#include <cstdio>

#ifndef NI_VERSION
#error "NI_VERSION comes from the project version"
#endif

namespace app {

void setUpProgram(const char* name)
{
    QCoreApplication::setApplicationName(QString::fromLatin1(name));
    QCoreApplication::setApplicationVersion(QStringLiteral(NI_VERSION));
}

void addStandardOptions(QCommandLineParser& parser)
{
    parser.addHelpOption();
    parser.addVersionOption();
}

QString helpText(const QCommandLineParser& parser)
{
    // Qt names the program by argv[0], which is a path when started by one.
    QString text = parser.helpText();
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype usageEnd = text.indexOf(u'\n');
    if (!arguments.isEmpty() && usageEnd > 0) {
        const qsizetype at = text.left(usageEnd).indexOf(arguments.constFirst());
        if (at >= 0)
            text.replace(at, arguments.constFirst().size(), QCoreApplication::applicationName());
    }
    return text;
}

std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments)
{
    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
               qPrintable(QCoreApplication::applicationVersion()));
        return ExitSuccess;
    }
    // Qt would print --help-all naming the program by its path; ours is the
    // same help (Qt's own options, like -platform, are in the manual page).
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        const QByteArray text = helpText(parser).toLocal8Bit();
        fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return ExitSuccess;
    }
    return std::nullopt;
}

void printError(const QString& text)
{
    fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), text.toLocal8Bit().constData());
    fflush(stderr);
}

} // namespace app
