// The File menu: Retrieve, Save and Save As.
//
// Neither command may lose a document. Retrieve reads the whole file into new lists
// before it lets go of anything, so a missing, foreign or damaged file leaves the
// register, the template, the file name and the takers' display mode exactly as they
// were. Save hands the register to WriteKksDocument, which refuses what the format
// cannot hold before the file is touched and replaces the old file only by renaming
// a complete, flushed new one over it.

#include "ui/FmMainCC.h"

#include "platform/PosixFile.h"
#include "platform/gui/QtAnsi.h"
#include "register/KksDocument.h"
#include "ui/FileErrorText.h"

#include <QCoreApplication>
#include <QFile>

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

const QString kDocumentExtension = QStringLiteral("kks");
// The blanks in both filters are part of what the dialogs show.
const QString kOpenFilter = QStringLiteral("Tinselwick Files   *.KKS|*.KKS|All Files    *.*|*.*");
const QString kSaveFilter = QStringLiteral("Tinselwick Files  *.KKS|*.KKS|All Files|  *.*");

/// The file system's name for a path the dialogs chose (local 8-bit encoding), expanded.
std::string NativeFullPath(const QString& chosen)
{
    return platform::FullPathName(QFile::encodeName(chosen).toStdString());
}

} // namespace

void TCrisForm::Retrieve1Click(QObject*)
{
    if ((GroupNames || Participants)
        && !services_.Messages.WarningOkCancel(QStringLiteral("New File will delete current Information")))
        return;

    const std::optional<QString> chosen
        = services_.FileDialogs.GetOpenFileName({ kDocumentExtension, kOpenFilter, QString(), QString() });
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
    const std::optional<QString> chosen = services_.FileDialogs.GetSaveFileName(
        { kDocumentExtension, kSaveFilter, QCoreApplication::applicationDirPath(), preset });
    if (!chosen)
        return;
    const std::string fileName = NativeFullPath(*chosen);
    SaveDocument(fileName);
    CurrentFileName = fileName; // only a document that is on disk names the file
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
