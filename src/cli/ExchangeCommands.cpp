// tinselwick-cli import PEOPLE.csv --output OUT.kks [--force]: a new document from a CSV
// participant list, with the default letter template.
// tinselwick-cli export FILE.kks --csv OUT.csv|- [--force]: the participants and their takers as CSV.

#include "cli/CliCommand.h"
#include "exchange/RegisterExport.h"
#include "exchange/RegisterImport.h"
#include "print/DefaultTemplate.h"
#include "register/KksDocument.h"

#include <optional>
#include <stdexcept>

int cli::RunImportCommand(TInvocation& invocation)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString("Makes a document from a CSV participant list (UTF-8). The header names the columns:\n"
                "first (or first name), last (or last name), and group (or household, or department);\n"
                "other columns are ignored and listed on standard error. Names are cleaned as the window\n"
                "cleans typed names (one word); every cell so cut is listed on standard error. If any\n"
                "line is refused, the first %2 refused lines are listed, then how many more, and\n"
                "nothing is written (exit status %1).")
            .arg(kExitDocumentError)
            .arg(TLineProblems::kListed));
    parser.addPositionalArgument("PEOPLE.csv", "The participant list.");
    const std::optional<TSharedOptions> options = ParseArguments(parser, invocation,
        { { TSharedOption::Output, "The document to write." },
            { TSharedOption::Force, "Replaces OUT if it exists." } });
    if (!options)
        return kExitOk;
    const QString csvArgument = RequirePositionals(parser, 1, "one CSV file").at(0);
    if (!options->output)
        throw EUsageError("--output OUT is required: the document to write");
    const std::string outName = NativePath(*options->output);
    CheckOutputTarget(outName, { NativePath(csvArgument) }, options->force);

    const TImportedRegister imported = ImportRegister(platform::ReadWholeFile(NativePath(csvArgument)));
    const std::string fileName = csvArgument.toStdString();
    if (!imported.problems.Empty()) {
        WriteErr(Escaped(QString::fromStdString(RefusedLinesReport(fileName, imported.problems)), true));
        return kExitDocumentError;
    }
    WriteErr(Escaped(QString::fromStdString(ImportNotes(fileName, imported)), true));
    WriteKksDocument(outName, *imported.groupNames, *imported.participants, DefaultTemplateLines());
    WriteOut(QString::fromStdString(ImportSummary(imported)));
    return kExitOk;
}

int cli::RunExportCommand(TInvocation& invocation)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Writes a document's participants and their takers as CSV (UTF-8):\n"
                                     "group,first,last,taker_first,taker_last, one line per participant.");
    const QCommandLineOption csvOption("csv", "The CSV file to write, or - for standard output.", "OUT.csv");
    parser.addOption(csvOption);
    parser.addPositionalArgument("FILE", "The document (.kks).");
    const std::optional<TSharedOptions> options
        = ParseArguments(parser, invocation, { { TSharedOption::Force, "Replaces OUT.csv if it exists." } });
    if (!options)
        return kExitOk;
    const QString fileArgument = RequirePositionals(parser, 1, "one document file").at(0);
    if (!parser.isSet(csvOption))
        throw EUsageError("--csv OUT.csv is required (- for standard output)");
    const QString target = parser.value(csvOption);
    if (target != "-")
        CheckOutputTarget(NativePath(target), { NativePath(fileArgument) }, options->force);

    const std::string csv = ExportRegister(ReadKksDocument(NativePath(fileArgument), nullptr));
    if (target == "-") {
        WriteOut(QString::fromStdString(csv));
        return kExitOk;
    }
    platform::ReplaceWholeFile(NativePath(target), csv);
    return kExitOk;
}
