// The Tools menu: a register brought in from CSV and taken out to CSV, the rules of the
// draw, and the letters as one PDF file per giver. Each runs the code the command-line
// tool runs for the same work (import, export, draw --avoid/--exclude/--one-circle,
// letters --pdf-dir), so the window and the tool cannot come to differ.

#include "ui/FmMainCC.h"

#include "exchange/RegisterExport.h"
#include "exchange/RegisterImport.h"
#include "platform/AtomicFile.h"
#include "platform/gui/QtAnsi.h"
#include "print/DefaultTemplate.h"
#include "print/qt/LetterFiles.h"
#include "register/CCUser.h"
#include "ui/DrawRulesDialog.h"
#include "ui/FileErrorText.h"
#include "ui/FileFilters.h"
#include "ui/UserFiles.h"

#include <QApplication>
#include <QFileInfo>

#include <stdexcept>

namespace {

/// The wait cursor while a long piece of work runs on the window's thread.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

/// The lines of a report as the command-line tool prints them, one list line each.
QStringList ReportLines(const std::string& report)
{
    return QString::fromStdString(report).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

// ---- Import and export ------------------------------------------------------------------

void TCrisForm::ImportParticipants1Click(QObject*)
{
    if (HasUnsavedChanges() && !SaveOrDiscardBefore(QStringLiteral("importing")))
        return;
    const std::optional<QString> chosen = OpenFileDialog({ kCsvExtension, kCsvFilter, QString(), QString() });
    if (!chosen)
        return;
    const std::string fileName = NativeFullPath(*chosen);
    TImportedRegister imported
        = ImportRegister(WithFileErrors(fileName, [&] { return platform::ReadWholeFile(fileName); }));
    // The tool's own report, named by the file's name alone as the window shows files.
    const std::string shownName = QFileInfo(*chosen).fileName().toStdString();
    if (!imported.problems.Empty()) {
        services_.Messages.ListMessage(TMessageKind::Error,
            QStringLiteral("Nothing was imported: these lines of %1 were refused.").arg(QFileInfo(*chosen).fileName()),
            ReportLines(RefusedLinesReport(shownName, imported.problems)), false);
        return;
    }

    // Names cut to one word and columns passed over are told once the register is in.
    const std::string notes = ImportNotes(shownName, imported);
    const QString summary = QString::fromStdString(ImportSummary(imported)).trimmed();

    // A new register with a new evening's letter, and no file yet: Save asks for a name.
    ClearDocument();
    GroupNames = std::move(imported.groupNames);
    Participants = std::move(imported.participants);
    SetTemplateLines(DefaultTemplateLines());
    CurrentFileName.clear();
    SetDrawRules({}, 0);
    RefreshLists();
    if (!notes.empty())
        services_.Messages.ListMessage(TMessageKind::Information,
            QStringLiteral("Imported ") + summary + QLatin1Char(':'), ReportLines(notes), false);
}

void TCrisForm::ExportParticipants1Click(QObject*)
{
    QString preset;
    if (!CurrentFileName.empty())
        preset = QFileInfo(ShownPath(CurrentFileName)).completeBaseName() + QStringLiteral(".csv");
    const std::optional<QString> chosen = SaveFileDialog({ kCsvExtension, kCsvFilter, QString(), preset });
    if (!chosen)
        return;
    const std::string fileName = NativeFullPath(*chosen);
    if (SameFile(fileName, CurrentFileName))
        throw std::runtime_error(
            WithDisplayablePath("The CSV file would replace the document " + CurrentFileName, CurrentFileName));
    if (!MayReplace(fileName))
        return;
    const std::string csv = ExportRegister(GroupNames.get(), Participants.get());
    WithFileErrors(fileName, [&] { platform::ReplaceWholeFile(fileName, csv); });
}

// ---- Draw rules -----------------------------------------------------------------------

void TCrisForm::DrawRules1Click(QObject*)
{
    auto* dialog = new TDrawRulesDialog(
        rules_, Participants.get(), services_.Messages,
        [this](const TFileDialogRequest& request) { return OpenFileDialog(request); }, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Window-modal and not waited for: the window's commands cannot run meanwhile, so the
    // register the dialog looks names up in stays as it is.
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::accepted, this,
        [this, dialog] { RunGuarded([&] { SetDrawRules(dialog->Rules(), dialog->KeptApart()); }); });
    dialog->open();
}

void TCrisForm::SetDrawRules(const TChosenRules& rules, int keptApart)
{
    rules_ = rules;
    keptApart_ = keptApart;
    QString line = RulesLine(rules_, keptApart_);
    LRules->setToolTip(line);
    // A long name would run past the label's edge: it is cut in its middle, and the
    // tooltip has it whole.
    if (!rules_.avoidFile.isEmpty()) {
        const QString name = QFileInfo(rules_.avoidFile).fileName();
        line.replace(QStringLiteral("avoid ") + name,
            QStringLiteral("avoid ") + LRules->fontMetrics().elidedText(name, Qt::ElideMiddle, LRules->width()));
    }
    LRules->setText(line);
    if (!CurrentFileName.empty())
        services_.Settings.SetRulesFor(ShownPath(CurrentFileName), rules_);
}

void TCrisForm::RestoreRulesOf(const QString& document)
{
    TChosenRules rules = services_.Settings.RulesFor(document);
    QStringList gone;
    for (auto [file, rule] : { std::pair(&rules.avoidFile, "Avoid last year's pairs: "),
             std::pair(&rules.excludeFile, "Pairs that must not be drawn: ") }) {
        if (!file->isEmpty() && !QFileInfo::exists(*file)) {
            gone << QString::fromLatin1(rule) + *file;
            file->clear();
        }
    }
    // The pairs are counted in the register just read; a file that no longer reads is
    // told when the draw needs it.
    int keptApart = 0;
    if (!rules.excludeFile.isEmpty() && Participants) {
        try {
            std::vector<TLineProblem> problems;
            keptApart = static_cast<int>(ReadPairsFile(rules.excludeFile, *Participants, problems).size());
        } catch (const std::exception&) {
        }
    }
    SetDrawRules(rules, keptApart);
    if (!gone.isEmpty())
        services_.Messages.ListMessage(TMessageKind::Warning,
            QStringLiteral("These draw rules of %1 were dropped: their files are gone.")
                .arg(QFileInfo(document).fileName()),
            gone, false);
}

// ---- Letters ------------------------------------------------------------------------------

void TCrisForm::LettersToFolder1Click(QObject*)
{
    if (!Participants || Participants->Count() < 2)
        throw std::runtime_error("Nothing written: the register has fewer than two participants");
    const std::optional<QString> folder = services_.FileDialogs.GetFolderName(StartingFolder());
    if (!folder)
        return;
    services_.Settings.SetLastFolder(*folder);
    const std::string nativeFolder = NativeFullPath(*folder);

    std::vector<TLetterFile> files;
    QStringList withoutTaker;
    for (TLetterFile& file : PlanLetterFiles(*Participants, nativeFolder)) {
        if (file.Giver->Taker == nullptr)
            withoutTaker << AnsiToQString(file.Giver->SpacedName());
        else if (SameFile(file.Path, CurrentFileName))
            throw std::runtime_error(
                WithDisplayablePath("A letter would replace the document " + CurrentFileName, CurrentFileName));
        else
            files.push_back(std::move(file));
    }
    QStringList existing;
    for (const std::string& path : ExistingLetterFiles(files))
        existing << QFileInfo(ShownPath(path)).fileName();
    if (!existing.isEmpty()
        && !services_.Messages.ListMessage(TMessageKind::Warning,
            QStringLiteral("These files exist already in %1. Replace them?").arg(*folder), existing, true))
        return;
    if (!files.empty()) {
        const TWaitCursor wait;
        WithFileErrors(nativeFolder,
            [&] { WriteLetterFiles(nativeFolder, files, *Participants, TemplateLines(), kPdfFileDotsPerInch); });
    }

    const auto count = static_cast<int>(files.size());
    QString told = QStringLiteral("%1 letter%2 written to %3.").arg(count).arg(count == 1 ? "" : "s", *folder);
    if (!withoutTaker.isEmpty())
        told += QStringLiteral(" No letter for these givers, who have no taker:");
    services_.Messages.ListMessage(
        withoutTaker.isEmpty() ? TMessageKind::Information : TMessageKind::Warning, told, withoutTaker, false);
}
