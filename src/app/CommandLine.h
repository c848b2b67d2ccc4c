#pragma once

#include <QCommandLineParser>
#include <QString>
#include <optional>

// What both programs share on their command lines, in the GNU manner:
// --help and --version, the help naming the program rather than the path
// it was started by, and every message starting with the program's name.
namespace app {

enum ExitCode { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2, ExitCancelled = 130 };

// The program's name and version; call once, right after the application object.
void setUpProgram(const char* name);

// Adds -h/--help, --help-all and -v/--version.
void addStandardOptions(QCommandLineParser& parser);

// Parses `arguments`; prints the help, the version or the parse error.
// Answers the exit code when the program should stop here.
std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments);

// The parser's help with the program's name in the usage line.
QString helpText(const QCommandLineParser& parser);

// "<program>: text" on standard error.
void printError(const QString& text);

} // namespace app
