#pragma once
// The open and save file dialogs, behind an interface so that tests script the
// user's choice.

#include <QString>

#include <optional>

/// What a dialog is opened with. `Filter` is a sequence of description and pattern
/// pairs, each part ended by a vertical bar except the last ("Text|*.TXT|All|*.*").
struct TFileDialogRequest {
    QString DefaultExtension; ///< added to a name typed without one ("kks")
    QString Filter;
    QString InitialFolder; ///< empty: the dialog's own choice
    QString FileName; ///< preset name, may be empty
    bool ConfirmOverwrite = false; ///< save dialog: ask before an existing file is replaced
};

class IFileDialogService {
public:
    virtual ~IFileDialogService() = default;
    /// The chosen file's full path, or nothing when the user cancelled. The file need not exist.
    virtual std::optional<QString> GetOpenFileName(const TFileDialogRequest& request) = 0;
    /// The chosen file's full path, or nothing when the user cancelled. An existing file is
    /// chosen without a question about replacing it unless the request asks for one.
    virtual std::optional<QString> GetSaveFileName(const TFileDialogRequest& request) = 0;
    /// An existing folder's full path, or nothing when the user cancelled.
    virtual std::optional<QString> GetFolderName(const QString& initialFolder) = 0;
};

/// The request's filter in the form Qt's dialogs take ("Text (*.TXT);;All (*.*)").
/// A trailing description without a pattern keeps its text and matches every file, and
/// so does the pattern "*.*".
QString QtNameFilters(const QString& filter);
