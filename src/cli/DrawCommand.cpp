// tinselwick-cli draw FILE [--seed N] [--output OUT]: the draw of the "Do Assignment "
// button without a window. The document is read, every participant gets a taker, and the
// whole document is saved (to OUT, or back to FILE). The save is atomic, so a save that
// fails leaves both files as they were.
//
// With --avoid LAST.kks, --exclude PAIRS.csv or --one-circle it is the draw with rules
// instead, which is exact and saves nothing when it fails (the plain draw saves its
// partial result).

#include "cli/CliCommand.h"
#include "draw/Draw.h"
#include "draw/RuledDraw.h"
#include "exchange/DrawExclusions.h"
#include "platform/AtomicFile.h"
#include "register/KksDocument.h"

#include <optional>
#include <stdexcept>
#include <vector>

namespace {

/// A document without participants has nothing to draw and nothing to change; the reader
/// keeps none of its lists, so it is passed on byte for byte.
void CopyUnchanged(const std::string& from, const std::string& to)
{
    if (from == to)
        return;
    // Written as a document is: the target is held, and replaced whole or not at all.
    platform::ReplaceWholeFile(to, platform::ReadWholeFile(from), platform::TTargetHold::Exclusive);
}

/// The options of the draw with rules.
struct TRuleOptions {
    QCommandLineOption avoid { "avoid",
        "Nobody gives to the taker they had in LAST.kks (people matched by their keys; people new this year are "
        "free).",
        "LAST.kks" };
    QCommandLineOption exclude { "exclude",
        "A CSV file with the header giver,taker: each listed giver never gives to that taker (names as the letters "
        "print them, letter case ignored).",
        "PAIRS.csv" };
    QCommandLineOption oneCircle { "one-circle",
        "The takers form one circle through everybody (A gives to B, B to C, ..., the last to A)." };

    bool AnySet(const QCommandLineParser& parser) const
    {
        return parser.isSet(avoid) || parser.isSet(exclude) || parser.isSet(oneCircle);
    }
};

/// The request the options make, or nothing (with every refused line of PAIRS.csv told).
std::optional<TDrawRequest> MakeRequest(
    const QCommandLineParser& parser, const TRuleOptions& options, const TStringList& participants)
{
    TDrawRequest request;
    request.oneCircle = parser.isSet(options.oneCircle);
    if (parser.isSet(options.avoid)) {
        const TKksDocument lastYear = ReadKksDocument(cli::NativePath(parser.value(options.avoid)), nullptr);
        if (lastYear.Participants)
            request.excluded = LastYearsPairs(*lastYear.Participants, participants);
    }
    if (parser.isSet(options.exclude)) {
        const QString pairsFile = parser.value(options.exclude);
        std::vector<TLineProblem> problems;
        const TExcludedPairs pairs
            = ReadExcludedPairs(platform::ReadWholeFile(cli::NativePath(pairsFile)), participants, problems);
        for (const TLineProblem& p : problems)
            cli::WriteErr(pairsFile + ":" + QString::number(p.line) + ": "
                + cli::Escaped(QString::fromStdString(p.reason)) + "\n");
        if (!problems.empty())
            return std::nullopt;
        request.excluded.insert(request.excluded.end(), pairs.begin(), pairs.end());
    }
    return request;
}

/// The draw with rules: saved only when it succeeds.
int DrawWithRulesAndSave(TKksDocument& document, const TDrawRequest& request, const std::string& outName)
{
    const TRuledDrawResult result
        = DrawWithRules(document.Participants.get(), document.GroupNames.get(), request, ProgramRandom());
    if (result.outcome == TDrawOutcome::Failed) {
        cli::WriteErr(cli::Display(result.reason) + "\n");
        return cli::kExitDrawIncomplete;
    }
    WriteKksDocument(outName, *document.GroupNames, *document.Participants, document.TemplateLines);
    return cli::kExitOk;
}

} // namespace

int cli::RunDrawCommand(TInvocation& invocation)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString("Draws a taker for every participant of a document and saves the whole document.\n"
                "Exit status %1: no solution (a group holds more than half of the participants); the\n"
                "partial assignment is saved and the message goes to standard error.\n"
                "With --avoid, --exclude or --one-circle the draw succeeds whenever a draw keeping every\n"
                "rule exists; when it fails (exit status %1, the reason on standard error) nothing is saved.")
            .arg(kExitDrawIncomplete));
    parser.addPositionalArgument("FILE", "The document (.kks) to draw for.");
    const TRuleOptions rules;
    for (const QCommandLineOption& option : { rules.avoid, rules.exclude, rules.oneCircle })
        parser.addOption(option);
    // Parsed before anything is read, so that a wrong seed never costs a document.
    const std::optional<TSharedOptions> options = ParseArguments(parser, invocation,
        { { TSharedOption::Seed,
              "Starts the random source at N (0 to 4294967295), so that a draw can be repeated: anybody "
              "who knows N can work the draw out, so it is for tests and audits. Without it the numbers "
              "come from the system's secure generator, as in the program." },
            { TSharedOption::Output, "Saves the result to OUT instead of back to FILE." },
            { TSharedOption::Force, "Replaces OUT if it exists." } });
    if (!options)
        return kExitOk;
    const QString fileArgument = RequirePositionals(parser, 1, "one document file").at(0);
    const std::string fileName = NativePath(fileArgument);
    const std::string outName = NativePath(options->output.value_or(fileArgument));
    // Without --output the draw is saved into FILE, as the window's Save does.
    if (options->output) {
        std::vector<std::string> inputs { fileName };
        for (const QCommandLineOption& input : { rules.avoid, rules.exclude })
            if (parser.isSet(input))
                inputs.push_back(NativePath(parser.value(input)));
        CheckOutputTarget(outName, inputs, options->force);
    }

    TKksDocument document = ReadKksDocument(fileName, nullptr);
    if (document.Incomplete()) {
        CopyUnchanged(fileName, outName);
        return kExitOk;
    }

    std::optional<TDrawRequest> request;
    if (rules.AnySet(parser) && !(request = MakeRequest(parser, rules, *document.Participants)))
        return kExitDocumentError;
    if (options->seed)
        ProgramRandom().SetSeed(*options->seed);
    if (request)
        return DrawWithRulesAndSave(document, *request, outName);
    const TDrawOutcome outcome = DrawAssignments(document.Participants.get(), ProgramRandom());

    WriteKksDocument(outName, *document.GroupNames, *document.Participants, document.TemplateLines);
    if (outcome == TDrawOutcome::Failed) {
        WriteErr(QString(kDrawFailedMessage) + "\n");
        return kExitDrawIncomplete;
    }
    return kExitOk;
}
