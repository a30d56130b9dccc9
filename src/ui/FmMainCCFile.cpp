// The File menu: Retrieve, Save and Save As, and where the window's file dialogs start.
//
// Neither command may lose a document. Retrieve reads the whole file into new lists
// before it lets go of anything, so a missing, foreign or damaged file leaves the
// register, the template, the file name and the takers' display mode exactly as they
// were. Save hands the register to WriteKksDocument, which refuses what the format
// cannot hold before the file is touched and replaces the old file only by renaming
// a complete, flushed new one over it. Save As asks before it replaces any file but the
// document's own.

#include "ui/FmMainCC.h"

#include "platform/gui/QtAnsi.h"
#include "register/KksDocument.h"
#include "ui/FileErrorText.h"
#include "ui/FileFilters.h"
#include "ui/ProgramSettings.h"
#include "ui/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

void TCrisForm::Retrieve1Click(QObject*)
{
    if ((GroupNames || Participants)
        && !services_.Messages.WarningOkCancel(QStringLiteral("New File will delete current Information")))
        return;

    const std::optional<QString> chosen
        = OpenFileDialog({ kDocumentExtension, kDocumentOpenFilter, QString(), QString() });
    if (!chosen) {
        RefreshLists();
        return;
    }
    RetrieveDocument(*chosen);
}

void TCrisForm::RetrieveDocument(const QString& chosen)
{
    const std::string fileName = NativeFullPath(chosen);

    // Everything is read before anything is replaced: an error raised here ends the
    // command with the window exactly as it was.
    TKksDocument document = WithFileErrors(fileName, [&] { return ReadKksDocument(fileName, this); });

    MTakers->SetSorted(true); // a retrieved assignment must not show who gives to whom
    CurrentFileName = fileName;
    ClearDocument();
    GroupNames = std::move(document.GroupNames);
    Participants = std::move(document.Participants);
    if (document.TemplateRead)
        SetTemplateLines(document.TemplateLines);
    if (!Participants)
        services_.Messages.ErrorBox(QStringLiteral("File ") + QFile::decodeName(QByteArray::fromStdString(fileName))
            + QStringLiteral(" incomplete"));
    RefreshLists();
    MarkSaved();
    UpdateTitle(); // the document's name behind a message about its rules
    RestoreRulesOf(QFile::decodeName(QByteArray::fromStdString(fileName)));
}

void TCrisForm::Save1Click(QObject* sender)
{
    if (CurrentFileName.empty())
        SaveAs1Click(sender);
    else
        SaveDocument(CurrentFileName);
}

void TCrisForm::SaveAs1Click(QObject*)
{
    const QString preset = QFile::decodeName(QByteArray::fromStdString(CurrentFileName));
    const std::optional<QString> chosen
        = SaveFileDialog({ kDocumentExtension, kDocumentSaveFilter, QString(), preset });
    if (!chosen)
        return;
    const std::string fileName = NativeFullPath(*chosen);
    // Without the lists SaveDocument refuses at once: nothing to ask about.
    if (Participants && GroupNames && !MayReplace(fileName))
        return;
    SaveDocument(fileName);
    CurrentFileName = fileName; // only a document that is on disk names the file
    // The rules go with the document to its new name.
    services_.Settings.SetRulesFor(ShownPath(fileName), rules_);
}

void TCrisForm::SaveDocument(const std::string& fileName)
{
    if (!Participants || !GroupNames)
        throw std::runtime_error("Insufficient Information in Lists to Save");
    // The template is taken (and checked for characters a document cannot hold) before
    // the file is touched.
    const std::vector<std::string> templateLines = TemplateLines();
    WithFileErrors(fileName, [&] { WriteKksDocument(fileName, *GroupNames, *Participants, templateLines); });
    MarkSaved();
}

// ---- Where the dialogs start -----------------------------------------------------------

QString TCrisForm::StartingFolder() const
{
    // Never the program's own folder: installed, nobody may write there.
    QStringList candidates;
    if (!CurrentFileName.empty())
        candidates << QFileInfo(ShownPath(CurrentFileName)).absolutePath();
    candidates << services_.Settings.LastFolder()
               << QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    for (const QString& folder : candidates)
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    return QDir::homePath();
}

void TCrisForm::RememberFolderOf(const QString& file)
{
    services_.Settings.SetLastFolder(QFileInfo(file).absolutePath());
}

std::optional<QString> TCrisForm::OpenFileDialog(TFileDialogRequest request)
{
    return FileDialog(&IFileDialogService::GetOpenFileName, std::move(request));
}

std::optional<QString> TCrisForm::SaveFileDialog(TFileDialogRequest request)
{
    return FileDialog(&IFileDialogService::GetSaveFileName, std::move(request));
}

std::optional<QString> TCrisForm::FileDialog(
    std::optional<QString> (IFileDialogService::*dialog)(const TFileDialogRequest&), TFileDialogRequest request)
{
    request.InitialFolder = StartingFolder();
    const std::optional<QString> chosen = (services_.FileDialogs.*dialog)(request);
    if (chosen)
        RememberFolderOf(*chosen);
    return chosen;
}

bool TCrisForm::MayReplace(const std::string& target)
{
    // Saving over the document's own file is what Save does, and asks nothing.
    if (!NameTaken(target) || SameFile(target, CurrentFileName))
        return true;
    return services_.Messages.WarningOkCancel(
        QFileInfo(ShownPath(target)).fileName() + QStringLiteral(" exists already. Replace it?"));
}
