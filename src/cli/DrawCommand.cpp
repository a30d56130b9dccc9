// tinselwick-cli draw FILE [--seed N] [--output OUT]: the draw of the "Do Assignment "
// button without a window. The document is read, every participant gets a taker, and the
// whole document is saved (to OUT, or back to FILE). The save is atomic, so a save that
// fails leaves both files as they were.

#include "cli/CliCommand.h"
#include "draw/Draw.h"
#include "platform/AtomicFile.h"
#include "register/KksDocument.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

namespace {

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

/// A document without participants has nothing to draw and nothing to change; the reader
/// keeps none of its lists, so it is passed on byte for byte.
void CopyUnchanged(const std::string& from, const std::string& to)
{
    if (SameFile(from, to))
        return;
    platform::TPosixFile in = platform::TPosixFile::OpenExisting(from, false, platform::TShareMode::Shared);
    std::vector<char> bytes(static_cast<std::size_t>(in.Size()));
    bytes.resize(in.ReadAt(0, bytes.data(), bytes.size()));
    try {
        // Written as a document is: the target is held, and replaced whole or not at all.
        platform::TAtomicFile out(to, platform::TTargetHold::Exclusive);
        platform::TPosixFile file = out.TakeFile();
        file.WriteAt(0, bytes.data(), bytes.size());
        file.Close();
        out.Commit();
    } catch (const std::exception& error) {
        throw std::runtime_error("Cannot write " + to + ": " + error.what());
    }
}

} // namespace

int cli::RunDrawCommand(TInvocation& invocation)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString("Draws a taker for every participant of a document and saves the whole document.\n"
                "Exit status %1: no solution (a group holds more than half of the participants); the\n"
                "partial assignment is saved and the message goes to standard error.")
            .arg(kExitDrawIncomplete));
    parser.addPositionalArgument("FILE", "The document (.kks) to draw for.");
    // Parsed before anything is read, so that a wrong seed never costs a document.
    const std::optional<TSharedOptions> options = ParseArguments(parser, invocation,
        { { TSharedOption::Seed,
              "Starts the random source at N (0 to 4294967295), so that a draw can be repeated; "
              "without it the source is seeded from the clock, as the program does at start-up." },
            { TSharedOption::Output, "Saves the result to OUT instead of back to FILE." } });
    if (!options)
        return kExitOk;
    const QString fileArgument = RequirePositionals(parser, 1, "one document file").at(0);
    const std::string fileName = NativePath(fileArgument);
    const std::string outName = NativePath(options->output.value_or(fileArgument));

    TKksDocument document = ReadKksDocument(fileName, nullptr);
    if (document.Incomplete()) {
        CopyUnchanged(fileName, outName);
        return kExitOk;
    }

    if (options->seed)
        ProgramRandom().SetSeed(*options->seed);
    else
        SeedProgramRandomFromClock();
    const TDrawOutcome outcome = DrawAssignments(document.Participants.get(), ProgramRandom());

    WriteKksDocument(outName, *document.GroupNames, *document.Participants, document.TemplateLines);
    if (outcome == TDrawOutcome::Failed) {
        WriteErr(QString(kDrawFailedMessage) + "\n");
        return kExitDrawIncomplete;
    }
    return kExitOk;
}
