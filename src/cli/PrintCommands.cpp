// tinselwick-cli letters FILE --pdf OUT [--force] [--test [--seed N]], letters FILE --pdf-dir
// DIR [--force] [--test [--seed N]] and list FILE --pdf OUT [--force]: the letters and the allocation
// list of a document, laid out exactly as the desktop program prints them, on A4 sheets
// of PDF files at 600 dpi. The document is only read.

#include "cli/CliCommand.h"
#include "draw/Random.h"
#include "platform/FileListError.h"
#include "platform/PosixFile.h"
#include "print/AllocationList.h"
#include "print/DefaultTemplate.h"
#include "print/Letters.h"
#include "print/qt/LetterFiles.h"
#include "print/qt/QtPrinterCanvas.h"
#include "register/CCUser.h"
#include "register/KksDocument.h"

#include <QFile>
#include <QGuiApplication>

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <sys/resource.h>

namespace cli {
namespace {

    constexpr const char* kPdfHelp = "Writes the pages to the PDF file OUT (A4, 600 dpi).";

    /// A printer needs a GUI application object; without a display it runs offscreen.
    std::unique_ptr<QGuiApplication> StartPrinting(TInvocation& invocation)
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(invocation.argc, invocation.argv);
    }

    /// The PDF file to write; never the document itself, which the PDF would replace.
    QString RequirePdf(const TSharedOptions& options, const std::string& document)
    {
        const QString out = options.pdf.value_or(QString());
        if (out.isEmpty())
            throw EUsageError("Name the PDF file to write with --pdf OUT");
        CheckOutputTarget(NativePath(out), { document }, options.force);
        return out;
    }

    /// The document, refused when there is nothing to print: a job with fewer than two
    /// participants prints no page, and a command line wants to hear about that.
    TKksDocument ReadPrintableDocument(const std::string& fileName)
    {
        TKksDocument document = ReadKksDocument(fileName, nullptr);
        if (document.Incomplete())
            throw std::runtime_error("File " + platform::FullPathName(fileName) + " incomplete");
        if (document.Participants->Count() < 2)
            throw std::runtime_error(
                "Nothing printed: " + platform::FullPathName(fileName) + " has fewer than two participants");
        return document;
    }

    bool SameFile(const std::string& a, const std::string& b)
    {
        std::error_code ignored;
        return std::filesystem::equivalent(a, b, ignored);
    }

    /// As many files open at once as the system lets this process have: a run of letters
    /// holds every new letter open, unnamed, until all of them are complete.
    void AllowEveryOpenFile()
    {
        rlimit limit {};
        if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
            limit.rlim_cur = limit.rlim_max;
            ::setrlimit(RLIMIT_NOFILE, &limit);
        }
    }

    /// The folder for --pdf-dir, checked against the options it does not go with.
    QString RequirePdfFolder(
        const QCommandLineParser& parser, const QCommandLineOption& pdfDir, const TSharedOptions& options)
    {
        if (!parser.isSet(pdfDir))
            return QString();
        if (options.pdf)
            throw EUsageError("Write either one PDF file (--pdf) or a folder of them (--pdf-dir)");
        if (parser.value(pdfDir).isEmpty())
            throw EUsageError("Name the folder to write with --pdf-dir DIR");
        return parser.value(pdfDir);
    }

    /// --pdf-dir: a file for each giver with a taker (or for the test letter's giver alone);
    /// nothing at all while any of them exists, unless forced. Givers without a taker get
    /// none and are named on standard error.
    int WriteLetterFolder(TInvocation& invocation, const QString& dir, bool force, const std::string& documentName,
        const TKksDocument& document, const std::vector<std::string>& lines, std::optional<int> testIndex)
    {
        const TCCUser* testGiver = testIndex ? UserAt(*document.Participants, *testIndex) : nullptr;
        std::vector<TLetterFile> files;
        QStringList withoutTaker;
        for (TLetterFile& file : PlanLetterFiles(*document.Participants, NativePath(dir))) {
            if (testGiver != nullptr && file.Giver != testGiver)
                continue;
            if (file.Giver->Taker == nullptr)
                withoutTaker << Display(file.Giver->SpacedName());
            else if (SameFile(file.Path, documentName))
                throw EUsageError(SameFileMessage(file.Path, documentName));
            else
                files.push_back(std::move(file));
        }
        const std::vector<std::string> existing = ExistingLetterFiles(files);
        if (!existing.empty() && !force)
            throw platform::ExistingFilesError(existing);
        if (!files.empty()) {
            AllowEveryOpenFile();
            const auto application = StartPrinting(invocation);
            WriteLetterFiles(NativePath(dir), files, *document.Participants, lines, kPdfFileDotsPerInch);
        }
        const auto count = static_cast<int>(files.size());
        if (testIndex && count == 1)
            WriteOut(QString("Test letter for entry %1 (%2) written to %3\n")
                         .arg(*testIndex + 1)
                         .arg(Display(testGiver->SpacedName()), QFile::decodeName(files.front().Path.c_str())));
        else
            WriteOut(QString("%1 letter%2 written to %3\n").arg(count).arg(count == 1 ? "" : "s", dir));
        if (withoutTaker.isEmpty())
            return kExitOk;
        WriteErr("No letter for these givers, who have no taker:\n  " + withoutTaker.join("\n  ") + "\n");
        return kExitDrawIncomplete;
    }

    int RecordCount(const TStringList& participants)
    {
        int count = 0;
        for (int i = 0; i < participants.Count(); ++i)
            if (UserAt(participants, i) != nullptr)
                ++count;
        return count;
    }

} // namespace

int RunLettersCommand(TInvocation& invocation)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Prints one letter per participant, or the test letter, to a PDF file or to a PDF file per giver.");
    const QCommandLineOption pdfDir("pdf-dir",
        "Writes each giver's letter to a file of its own in DIR (created when missing), named after the giver: "
        "FIRST LAST.pdf. Givers without a taker get none (exit status 3).",
        "DIR");
    const QCommandLineOption test("test", "Prints only the test letter, for one participant drawn at random.");
    parser.addOptions({ pdfDir, test });
    parser.addPositionalArgument("FILE", "The document (.kks) whose letters to print.");
    const std::optional<TSharedOptions> options = ParseArguments(parser, invocation,
        { { TSharedOption::Pdf, kPdfHelp },
            { TSharedOption::Force, "Replaces OUT, or the files in DIR, that exist already." },
            { TSharedOption::Seed, "Starts the random source at N (with --test), for a repeatable draw." } });
    if (!options)
        return kExitOk;
    const std::string fileName = NativePath(RequirePositionals(parser, 1, "one document file").at(0));
    const QString folder = RequirePdfFolder(parser, pdfDir, *options);
    const QString out = folder.isEmpty() ? RequirePdf(*options, fileName) : QString();
    if (options->seed && !parser.isSet(test))
        throw EUsageError("--seed goes with --test only");

    const TKksDocument document = ReadPrintableDocument(fileName);
    // A document that never stored a template prints with the one a new evening has.
    const std::vector<std::string>& lines = document.TemplateRead ? document.TemplateLines : DefaultTemplateLines();

    TRandomSource& random = ProgramRandom();
    if (options->seed)
        random.SetSeed(*options->seed);
    // The test letter's entry is drawn once, here, to tell the user whose letter it is.
    const std::optional<int> testIndex = parser.isSet(test)
        ? std::optional<int>(static_cast<int>(random.Next(static_cast<std::uint32_t>(document.Participants->Count()))))
        : std::nullopt;
    if (!folder.isEmpty())
        return WriteLetterFolder(invocation, folder, options->force, fileName, document, lines, testIndex);

    const auto application = StartPrinting(invocation);
    {
        const auto canvas = TQtPrinterCanvas::ForPdf(NativePath(out), kPdfFileDotsPerInch);
        if (testIndex)
            PrintTestLetter(*canvas, document.Participants.get(), lines, *testIndex);
        else
            PrintLetters(*canvas, document.Participants.get(), lines, false, random);
    }

    if (testIndex) {
        const TCCUser* giver = UserAt(*document.Participants, *testIndex);
        WriteOut(QString("Test letter for entry %1 (%2) written to %3\n")
                     .arg(*testIndex + 1)
                     .arg(giver != nullptr ? Display(giver->SpacedName()) : QString("no participant"), out));
    } else {
        const int letters = RecordCount(*document.Participants);
        WriteOut(QString("%1 letter%2 written to %3\n").arg(letters).arg(letters == 1 ? "" : "s", out));
    }
    return kExitOk;
}

int RunListCommand(TInvocation& invocation)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Prints the allocation list (every giver with taker and groups) to a PDF file.");
    parser.addPositionalArgument("FILE", "The document (.kks) whose allocation to print.");
    const std::optional<TSharedOptions> options = ParseArguments(parser, invocation,
        { { TSharedOption::Pdf, kPdfHelp }, { TSharedOption::Force, "Replaces OUT if it exists." } });
    if (!options)
        return kExitOk;
    const std::string fileName = NativePath(RequirePositionals(parser, 1, "one document file").at(0));
    const QString out = RequirePdf(*options, fileName);

    const TKksDocument document = ReadPrintableDocument(fileName);
    const auto application = StartPrinting(invocation);
    {
        const auto canvas = TQtPrinterCanvas::ForPdf(NativePath(out), kPdfFileDotsPerInch);
        // Rows in the order of the window's participants list.
        PrintAllocationList(*canvas, document.Participants.get(), document.GroupNames.get());
    }
    WriteOut(QString("Allocation list of %1 participants written to %2\n")
                 .arg(RecordCount(*document.Participants))
                 .arg(out));
    return kExitOk;
}

} // namespace cli
