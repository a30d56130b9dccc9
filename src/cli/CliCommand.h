#pragma once
// What every tinselwick-cli command shares: its entry point's shape, the usage error,
// the options several commands take, and small helpers for paths and output. The exit
// codes are in ExitCodes.h, the table of commands in main.cpp.

#include "cli/ExitCodes.h"
#include "platform/AtomicFile.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

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
int RunImportCommand(TInvocation& invocation);
int RunExportCommand(TInvocation& invocation);
int RunMailCommand(TInvocation& invocation);

/// The options several commands take: one name, one value syntax and one check each.
enum class TSharedOption {
    Seed, ///< --seed N: the random source's start, a whole number from 0 to 4294967295 in digits
    Output, ///< --output OUT: the file to write instead of the document
    Pdf, ///< --pdf OUT: the PDF file to write
    Force, ///< --force: replace a file that is there already (never one the command reads)
};

/// A shared option as a command offers it, with the command's own words for it.
struct TSharedOptionUse {
    TSharedOption option;
    const char* help;
};

/// The shared options given on the command line (absent: not given).
struct TSharedOptions {
    std::optional<std::uint32_t> seed;
    std::optional<QString> output;
    std::optional<QString> pdf;
    bool force = false;
};

/// Parses the command's arguments with the shared options it offers, then the parser's
/// own (a --help option is added here). Returns nothing when help was asked for and
/// printed: the command then returns kExitOk. Raises EUsageError for unknown options,
/// missing values, and a shared option's value that fails its check.
std::optional<TSharedOptions> ParseArguments(
    QCommandLineParser& parser, const TInvocation& invocation, std::initializer_list<TSharedOptionUse> shared = {});
/// Exactly `count` positional arguments, else EUsageError naming what is expected.
QStringList RequirePositionals(const QCommandLineParser& parser, int count, const QString& what);

/// A file name as the file system wants it.
std::string NativePath(const QString& path);
/// Writes UTF-8 text to standard output / standard error as it is.
void WriteOut(const QString& text);
void WriteErr(const QString& text);
/// Windows-1252 text from a document, for a person to read: Escaped.
QString Display(const std::string& windows1252);
/// Text from a file made safe for a terminal: every control character, C0 and C1 and DEL,
/// shown as \xHH (ESC as \x1b), so that nothing a file holds can steer the terminal. Line
/// breaks are kept only where asked for: in a message the tool composed around such text.
QString Escaped(const QString& text, bool keepLineBreaks = false);

/// Checks, before anything is read, a file a command is to write against what it reads
/// (`inputs`: the document, a CSV file, last year's document, ...). A target that is one of
/// them, through any link, is refused even with --force (EUsageError); any other existing
/// target only without it.
void CheckOutputTarget(const std::string& target, const std::vector<std::string>& inputs, bool force);
/// The message that refuses a target that is an input.
std::string SameFileMessage(const std::string& target, const std::string& input);

} // namespace cli
