#pragma once
// What every tinselwick-cli command shares: its entry point's shape, the exit codes,
// the usage error, and small helpers for parsing, paths and output. The table of
// commands is in main.cpp.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitDocumentError = 1; // the document or the file failed
inline constexpr int kExitUsageError = 2; // the command line was wrong

/// A wrong command line: main prints the message with a usage hint and exits with 2.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One run of a command. argc/argv are the process's own, for a command that needs to
/// create a Qt application object (only the print commands do: the rest run without
/// one, and so without a display). `arguments` are the words after the command name.
struct TInvocation {
    int& argc;
    char** argv;
    QString command;
    QStringList arguments;
};

/// A command returns its exit code; errors are raised: EUsageError for the command
/// line, anything else for the document (main prints the message and exits with 1).
using TCommandFunction = int (*)(TInvocation& invocation);

int RunShowCommand(TInvocation& invocation);
int RunDrawCommand(TInvocation& invocation);
int RunLettersCommand(TInvocation& invocation);
int RunListCommand(TInvocation& invocation);

/// Parses the command's arguments with the parser's options (a --help option is
/// added here). Returns false when help was asked for and printed: the command then
/// returns kExitOk. Raises EUsageError for unknown options or missing values.
bool ParseArguments(QCommandLineParser& parser, const TInvocation& invocation);
/// Exactly `count` positional arguments, else EUsageError naming what is expected.
QStringList RequirePositionals(const QCommandLineParser& parser, int count, const QString& what);

/// A file name as the file system wants it.
std::string NativePath(const QString& path);
/// Writes UTF-8 text to standard output / standard error as it is.
void WriteOut(const QString& text);
void WriteErr(const QString& text);
/// Windows-1252 text from a document, for display.
QString Display(const std::string& windows1252);

} // namespace cli
