// tinselwick-cli: the register's documents without a window.
//
// Adding a command: write one file, src/cli/<Name>Command.cpp, that defines
//     int cli::Run<Name>Command(cli::TInvocation& invocation)
// (declared in CliCommand.h), add one row to kCommands below and the file to
// CMakeLists.txt (tinselwick_cli_commands). A command parses its arguments with ParseArguments(), naming the
// shared options it offers (--seed, --output, --pdf, --force: never declared or checked
// anywhere else), raises cli::EUsageError for a wrong command line (exit 2) and lets
// every other error propagate (its message goes to standard error, exit 1); it returns
// an exit code of ExitCodes.h. Commands share the start-up done here: the persistent classes are
// registered and the version is set before any command runs. A command that needs
// a Qt application object (a printer needs QGuiApplication) creates it itself from
// invocation.argc/argv; the others run without one, and so without a display.
//
// The draw command lives in DrawCommand.cpp, the letters and list commands in
// PrintCommands.cpp, import and export in ExchangeCommands.cpp, mail in MailCommand.cpp.
// This main is also that of tinselwick-print, the same tool with the printer and the mail
// library linked: tinselwick-cli hands the print commands and mail to it (PrintHelper.cpp),
// so that no other command loads Qt's GUI libraries or the mail library's.

#include "Version.h"
#include "cli/CliCommand.h"
#include "persist/KelPermObjFileStm.h"
#include "platform/DebugOutput.h"
#include "platform/FileListError.h"
#include "platform/TemporaryNames.h"
#include "platform/Windows1252.h"
#include "register/PersistenceStartup.h"

#include <QFile>
#include <QString>

#include <exception>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace {

struct TCommand {
    const char* name;
    const char* synopsis;
    cli::TCommandFunction run;
};

const TCommand kCommands[] = {
    { "show", "show [--json] FILE                      the groups, participants, takers and template",
        cli::RunShowCommand },
    { "draw",
        "draw FILE [--seed N] [--output OUT]     draw the takers and save the document\n"
        "       [--avoid LAST.kks] [--exclude PAIRS.csv] [--one-circle]\n"
        "                                          ... avoiding last year's takers and listed pairs,\n"
        "                                          in one circle; saves nothing if no such draw exists",
        cli::RunDrawCommand },
    { "letters",
        "letters FILE --pdf OUT [--test --seed N] one letter per participant (or a test letter)\n"
        "  letters FILE --pdf-dir DIR [--test --seed N]\n"
        "                                          ... a PDF file per giver, named after the giver",
        cli::RunLettersCommand },
    { "list", "list FILE --pdf OUT                     the allocation list (more pages for a long one)",
        cli::RunListCommand },
    { "import", "import PEOPLE.csv --output OUT           a document from a CSV participant list",
        cli::RunImportCommand },
    { "export", "export FILE --csv OUT.csv|-             the participants and their takers as CSV",
        cli::RunExportCommand },
    { "mail",
        "mail FILE --addresses PEOPLE.csv --server URL --from ADDRESS\n"
        "       [--user NAME] [--subject TEXT] [--attach-pdf] [--cacert FILE]\n"
        "       [--pace SECONDS] [--per-connection N] [--allow-shared-address]\n"
        "       [--dry-run DIR [--force]] [--restart]\n"
        "                                          each giver's letter by e-mail to them alone",
        cli::RunMailCommand },
};

QString Usage()
{
    QString text = "Usage: tinselwick-cli COMMAND [options] ...\n\nCommands:\n";
    for (const TCommand& command : kCommands)
        text += QString("  ") + command.synopsis + "\n";
    text += "\nA command that writes a file replaces one that exists only with --force, and never a file\n"
            "it reads.\n";
    text += "\nOptions:\n  -h, --help     Shows this help.\n  -v, --version  Shows the version.\n";
    text += "\n'tinselwick-cli COMMAND --help' describes a command's options.\n";
    return text;
}

/// An error's message for standard error, in UTF-8 like all output. Document texts in
/// it are Windows-1252; the file names the command was given (as given or expanded)
/// are the file system's bytes and stay as they are, as do the further `paths` the error quotes.
QString ErrorText(const std::string& message, int argc, char** argv, std::vector<std::string> paths = {})
{
    for (int i = 2; i < argc; ++i) {
        paths.emplace_back(argv[i]);
        std::error_code ignored;
        paths.push_back(std::filesystem::absolute(argv[i], ignored).lexically_normal().string());
    }
    QString text;
    std::size_t done = 0;
    while (done < message.size()) {
        std::size_t at = message.size();
        const std::string* path = nullptr;
        for (const std::string& p : paths) {
            const std::size_t found = p.empty() ? std::string::npos : message.find(p, done);
            if (found < at || (found == at && path != nullptr && p.size() > path->size())) {
                at = found;
                path = &p;
            }
        }
        // The tool's own messages have line breaks; a document's texts in them are escaped.
        text += cli::Escaped(platform::FromWindows1252(message.substr(done, at - done)), true);
        if (path == nullptr)
            break;
        text += QFile::decodeName(QByteArray::fromStdString(*path));
        done = at + path->size();
    }
    return text;
}

/// A list of files for standard error: its heading as any message, each file as its name.
QString FileListText(const platform::EFileListError& error, int argc, char** argv)
{
    QString text = ErrorText(error.Heading(), argc, argv);
    for (const std::string& path : error.Paths())
        text += "\n  " + QFile::decodeName(QByteArray::fromStdString(path));
    return text;
}

const TCommand* FindCommand(const QString& name)
{
    for (const TCommand& command : kCommands)
        if (name == command.name)
            return &command;
    return nullptr;
}

int Run(int& argc, char** argv)
{
    if (argc < 2) {
        cli::WriteErr(Usage());
        return cli::kExitUsageError;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    if (name == "--help" || name == "-h" || name == "help") {
        cli::WriteOut(Usage());
        return cli::kExitOk;
    }
    if (name == "--version" || name == "-v") {
        cli::WriteOut(QString("tinselwick-cli %1\n").arg(kTinselwickVersion));
        return cli::kExitOk;
    }
    const TCommand* command = FindCommand(name);
    if (command == nullptr) {
        cli::WriteErr("tinselwick-cli: unknown command '" + name + "'\n\n" + Usage());
        return cli::kExitUsageError;
    }
    cli::TInvocation invocation { argc, argv, name, {} };
    for (int i = 2; i < argc; ++i)
        invocation.arguments << QString::fromLocal8Bit(argv[i]);
    try {
        return command->run(invocation);
    } catch (const cli::EUsageError& e) {
        cli::WriteErr(
            QString("tinselwick-cli %1: %2\nTry 'tinselwick-cli %1 --help'.\n").arg(name, QString::fromUtf8(e.what())));
        return cli::kExitUsageError;
    }
}

} // namespace

/// The toolkit's own warnings ("XDG_RUNTIME_DIR not set", a missing font) are about the
/// machine, not the command: a tool's standard error is for what the user can act on.
void DropToolkitMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg)
        return;
    cli::WriteErr(message + "\n"); // Qt ends the process after this
}

int main(int argc, char** argv)
{
    // Debug lines are for a debugger, never for the user of a command-line tool.
    platform::ScopedDebugSink quiet([](const std::string&) {});
    qInstallMessageHandler(DropToolkitMessages);
    platform::RemoveTemporaryFilesOnSignals();
    int exitCode = cli::kExitDocumentError;
    try {
        StartPersistenceWithVersion();
        exitCode = Run(argc, argv);
    } catch (const platform::EFileListError& e) {
        cli::WriteErr(FileListText(e, argc, argv) + "\n");
        exitCode = cli::kExitDocumentError;
    } catch (const std::exception& e) {
        const auto* quoted = dynamic_cast<const platform::TQuotedPaths*>(&e);
        cli::WriteErr(
            ErrorText(e.what(), argc, argv, quoted ? quoted->QuotedPaths() : std::vector<std::string>()) + "\n");
        exitCode = cli::kExitDocumentError;
    } catch (...) {
        std::fputs("Unknown error\n", stderr);
        exitCode = cli::kExitDocumentError;
    }
    ShutdownPersistenceLibrary();
    return exitCode;
}
