#pragma once
// The main window: the register in memory (groups and participants), its three
// list boxes, the eleven command buttons, the edit panel, the template memo, the
// File, Tools and Help menus, and the draw rules in force. Every command runs inside one error guard, so an
// error ends the command, is shown, and never reaches the event loop.

#include "persist/Object.h"
#include "persist/StringList.h"
#include "register/NameRules.h"
#include "ui/ChosenRules.h"
#include "ui/FormServices.h"
#include "ui/ListBox.h"
#include "ui/TemplateMemo.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TCCUser;
class TAboutCC;
class QSessionManager;
class TFormLayout;
class TMailDialog;
struct TAddressCheck;
class TMailSending;
struct TMailOutcome;

/// The edit panel's mode; it keeps its last value after the panel closes.
enum TEditMode : std::uint8_t {
    emNone = 0,
    emNewGroup = 1,
    emNewParticipant = 2,
    emEditGroup = 3,
    emEditParticipant = 4,
};

/// The text of a takers line whose participant has no taker.
inline constexpr const char* kNotAssignedLine = "!!!!!Not Assigned!!!!!";

/// The edit panel: Enter in one of its fields presses its default button.
class TEditPanel : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
    void SetDefaultButton(QPushButton* button) { defaultButton_ = button; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* defaultButton_ = nullptr;
};

// The form is also a TObject so that it can be the Owner of the records it creates.
class TCrisForm : public QMainWindow, public TObject {
    Q_OBJECT
public:
    explicit TCrisForm(TFormServices services, QWidget* parent = nullptr);
    ~TCrisForm() override;

    // ---- State (zero, empty or absent at creation) ----------------------------
    std::unique_ptr<TStringList> GroupNames; ///< group names in insertion order; "." for a deleted group
    std::unique_ptr<TStringList> Participants; ///< key FullName -> TCCUser record, owned by the list
    TEditMode EditMode = emNone;
    std::string CurrentGroup; ///< Windows-1252, at most kCurrentGroupCapacity characters
    std::string CurrentFileName; ///< full path of the document (file-system encoding)
    TCCUser* CurrentParticipant = nullptr; ///< not owned

    // ---- Controls (owned by the window, named as their object names) ------------
    QLabel* LUserList;
    QLabel* LTakerList;
    QLabel* LGroupList;
    TListBox* MGivers;
    TListBox* MTakers;
    TListBox* MGroups;
    QPushButton* BNewPart;
    QPushButton* BEditPart;
    QPushButton* BDelPart;
    QPushButton* BNewGroup;
    QPushButton* BEditGroup;
    QPushButton* BDelGroup;
    QPushButton* BGo;
    QPushButton* BEditNotes;
    QPushButton* BPrint;
    QPushButton* BOneLetter;
    QPushButton* BTest;
    QLabel* LRules; ///< the draw rules in force, in words beside "Do Assignment "
    TTemplateMemo* MNotes;
    TEditPanel* PEdit;
    QLabel* LCurGroup;
    QLabel* LFirstName;
    QLabel* LLastName;
    QLineEdit* EFirstName;
    QLineEdit* ELastName;
    QPushButton* BOk;
    QPushButton* BCancel;
    QMenu* FileOnMenu;
    QAction* Retrieve1;
    QAction* Save1;
    QAction* SaveAs1;
    QMenu* Tools1;
    QAction* ImportParticipants1;
    QAction* ExportParticipants1;
    QAction* DrawRules1;
    QAction* LettersToFolder1;
    QAction* EmailLetters1;
    QMenu* Help1;
    QAction* Help2;
    QAction* About1;

    /// The ten command buttons that the edit panel and the template editor disable.
    std::vector<QPushButton*> CommandButtons() const;
    /// The commands that change the register or its draw: disabled while letters are sent.
    std::vector<QAction*> RegisterChangingItems() const;
    std::vector<QPushButton*> RegisterChangingButtons() const;
    /// The Tools menu's items, enabled and disabled with the command buttons.
    std::vector<QAction*> ToolItems() const;
    /// The lists and command buttons that the shown template memo lies over.
    std::vector<QWidget*> CoveredByMemo() const;
    /// The uniform factor by which the pixel layout was enlarged to fit the font (1 or more).
    double LayoutScale() const;

    // ---- Operations the commands share -----------------------------------------
    /// What a rebuild selects in aligned mode: the first unassigned line, or (after the
    /// user picked a participant) that participant's line.
    enum class TAlignedSelection { FirstUnassigned, PickedParticipant };
    /// Rebuilds the three lists from GroupNames and Participants, sets the selection for
    /// the takers list's display mode, enables the commands and closes the edit panel.
    void RefreshLists(TAlignedSelection aligned = TAlignedSelection::FirstUnassigned);
    void EnableCommands(bool enable);
    /// Destroys both lists and every record, forgets CurrentParticipant, rebuilds.
    void ClearDocument();
    /// Afterwards no participant has a giver or a taker.
    void ClearAssignments();
    /// Prepares and shows the edit panel for EditMode.
    void ShowEditPanel();

    /// The letter template: the memo's lines as displayed (Windows-1252).
    std::vector<std::string> TemplateLines() const;
    /// Replaces the memo's whole text, one line per entry.
    void SetTemplateLines(const std::vector<std::string>& lines);

    /// Sorted flag of the takers list: on = sorted mode, off = aligned mode.
    bool TakersSorted() const { return MTakers->Sorted(); }
    void SetTakersSorted(bool sorted) { MTakers->SetSorted(sorted); }

    /// The About box that About1Click shows (created after the window).
    void SetAboutBox(TAboutCC* about) { about_ = about; }
    /// The places FormActivate last set for the help file, in the order they are tried
    /// (empty before the window was first active).
    const QStringList& HelpFiles() const { return helpFiles_; }

    /// Runs `command` inside the error guard: an error is shown in the top-level error
    /// box and the program goes on.
    void RunGuarded(const std::function<void()>& command);

    // ---- Handlers (the sender is the control that ran them) ---------------------
    void MGiversClick(QObject* sender);
    void MGroupsClick(QObject* sender);
    void BNewGroupClick(QObject* sender);
    void BNewPartClick(QObject* sender);
    void BEditPartClick(QObject* sender);
    void BEditGroupClick(QObject* sender);
    void BDelPartClick(QObject* sender);
    void BDelGroupClick(QObject* sender);
    void BOkClick(QObject* sender);
    void BCancelClick(QObject* sender);
    void BGoClick(QObject* sender);
    void BEditNotesClick(QObject* sender);
    void BPrintClick(QObject* sender);
    void BTestClick(QObject* sender);
    void Help2Click(QObject* sender);
    void About1Click(QObject* sender);
    void FormActivate(QObject* sender);
    // The file commands (in FmMainCCFile.cpp).
    void Retrieve1Click(QObject* sender);
    /// Retrieve's work once a file is chosen (also a document named at start): the file
    /// is read whole before the register is replaced; errors are raised, and an
    /// incomplete file is reported in an error box.
    void RetrieveDocument(const QString& chosen);
    void Save1Click(QObject* sender);
    void SaveAs1Click(QObject* sender);
    /// Writes the register and the template to `fileName`.
    void SaveDocument(const std::string& fileName);
    // The Tools menu (in FmMainCCTools.cpp).
    void ImportParticipants1Click(QObject* sender);
    void ExportParticipants1Click(QObject* sender);
    /// Opens the Draw Rules dialog (window-modal); its OK puts the rules in force.
    void DrawRules1Click(QObject* sender);
    void LettersToFolder1Click(QObject* sender);
    /// Opens the Email Letters dialog (window-modal) once the register is saved; its Send
    /// starts the sending, which goes on while the window is used.
    void EmailLetters1Click(QObject* sender);
    /// True while letters are being sent.
    bool Sending() const { return sending_ != nullptr; }

    /// The rules the next "Do Assignment " keeps; none: the plain draw.
    const TChosenRules& DrawRules() const { return rules_; }
    /// Puts `rules` in force (`keptApart`: the pairs of its pairs file), shows them beside
    /// the draw button and remembers them for the document.
    void SetDrawRules(const TChosenRules& rules, int keptApart);

    /// Where a file dialog starts: the current document's folder, else the folder last
    /// used, else the user's documents folder, else the home folder.
    QString StartingFolder() const;

    TFormServices& Services() { return services_; }

    /// True when the register (groups, participants, the draw) or the template differs
    /// from what was last saved or retrieved; a fresh start counts as saved.
    bool HasUnsavedChanges() const;
    /// Shows the document's name in the title, with the desktop's mark while there are
    /// unsaved changes.
    void UpdateTitle();

protected:
    void changeEvent(QEvent* event) override;
    /// With unsaved changes the close waits for the user's answer (in FmMainCCClosing.cpp).
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// What a save keeps: compared with the last saved one, never shown.
    struct TDocumentState {
        std::string Register;
        QString Template; ///< the memo's text as typed: its wrapping follows its width, which is no change
        bool operator==(const TDocumentState&) const = default;
    };
    TDocumentState CurrentState() const;
    /// The register and template now in the window are the document's (after a save or a retrieve).
    void MarkSaved();
    /// Asks Save, Discard or Cancel when unsaved work would be lost; true when the window may go.
    bool MayClose();
    /// Asks "Save the changes to NAME before `doing`?"; true when the user saved or
    /// discarded the changes, false when they cancelled or the save did not happen.
    bool SaveOrDiscardBefore(const QString& doing);
    /// The mark after the template alone changed: the register's comparison is kept, so a
    /// keystroke costs nothing that grows with the register.
    void UpdateMarkForTemplate();
    /// The same question when the desktop session ends; Cancel stops the session's end.
    void SessionEnding(QSessionManager& manager);
    void ConnectSessionEnd();

    void CreateControls();
    void CreateMenus();
    void LayOutControls();
    void SetTabOrder();
    void ConnectHandlers();
    void Bind(QAbstractButton* button, void (TCrisForm::*handler)(QObject*));
    void Bind(QAction* action, void (TCrisForm::*handler)(QObject*));
    /// Runs a list's click handler for a click or key in `list`, guarded.
    void RunFromList(TListBox* list, void (TCrisForm::*handler)(QObject*));

    /// While the memo is shown its covered controls take no focus and no click.
    void SetCoveredControlsInert(bool inert);

    /// The plain draw or, with rules in force, the draw with rules.
    void DrawWithChosenRules();
    /// After a retrieve: the rules remembered for the document, those whose file is gone dropped.
    void RestoreRulesOf(const QString& document);
    /// The open dialog started where the file dialogs start; the chosen file's folder is remembered.
    std::optional<QString> OpenFileDialog(TFileDialogRequest request);
    /// The save dialog, started and remembered as OpenFileDialog.
    std::optional<QString> SaveFileDialog(TFileDialogRequest request);
    std::optional<QString> FileDialog(
        std::optional<QString> (IFileDialogService::*dialog)(const TFileDialogRequest&), TFileDialogRequest request);
    /// True when `target` is free, is the current document, or the user agrees to replace it.
    bool MayReplace(const std::string& target);
    /// What became of a file a dialog chose: its folder is where the next dialog starts.
    void RememberFolderOf(const QString& file);

    /// The Email Letters dialog's Send: everything checked, then the sending started and
    /// the dialog closed; a problem is told and the dialog stays.
    void SendLetters(TMailDialog& dialog);
    /// The address list's problems, matched against the register in the window.
    TAddressCheck AddressProblems(const QString& file, bool allowShared) const;
    /// The sending has ended: it is told how, and the commands come back.
    void LettersSent(const TMailOutcome& outcome);
    /// Keeps the commands that change the register or the draw disabled while letters are sent.
    void ApplySendingLock();

    /// A print job that will not write over the document's file; nullptr when cancelled.
    std::unique_ptr<TCanvas> OpenPrintJob();

    /// Shows `text` in the panel's group label, cut with an ellipsis where it is too long.
    void ShowPanelGroup(const QString& text);
    void OkNewGroup();
    void OkNewParticipant();
    void OkEditGroup();
    void OkEditParticipant();
    /// The field's text in the code page (the validator lets nothing else in).
    std::string TypedText(const QLineEdit* edit) const;
    void ErrorBox(const std::string& text);

    TFormServices services_;
    TAboutCC* about_ = nullptr;
    QStringList helpFiles_;
    std::unique_ptr<TFormLayout> layout_;
    TListBox* listInUse_ = nullptr; ///< the list whose click handler is running
    std::vector<std::pair<QWidget*, Qt::FocusPolicy>> coveredFocus_; ///< policies to restore when the memo goes
    TDocumentState savedState_;
    bool registerChanged_ = false; ///< the register's part of the unsaved mark, as last compared
    TChosenRules rules_;
    int keptApart_ = 0;
    std::optional<TDocumentState> abandonedState_; ///< what the user chose to lose as the session ended
    bool commandsEnabled_ = true; ///< as EnableCommands last set them
    std::unique_ptr<TMailSending> sending_;
    QString addressList_; ///< the address list of this session's last sending
    QString certFile_;
};

/// The top-level error display's text: the message with a full stop appended when its
/// last character sorts after ".".
std::string WithFullStop(std::string message);
