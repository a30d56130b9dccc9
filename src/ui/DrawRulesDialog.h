#pragma once
// The Draw Rules dialog: last year's document whose pairs the draw avoids, a CSV file of
// pairs that must not be drawn, and one circle. A file is taken only when it reads: last
// year's document as a document with participants, the pairs file with every name found
// in the register (the lines naming somebody unknown are listed until the file is mended
// and chosen again).

#include "platform/gui/FileDialogService.h"
#include "platform/gui/MessageService.h"
#include "ui/ChosenRules.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <functional>
#include <optional>

class TDrawRulesDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows the open dialog for the request (the caller sets the starting folder).
    using TOpenFile = std::function<std::optional<QString>(const TFileDialogRequest&)>;

    /// `participants` (may be null) is the register the pairs' names are looked up in.
    TDrawRulesDialog(const TChosenRules& rules, const TStringList* participants, IMessageService& messages,
        TOpenFile openFile, QWidget* parent = nullptr);

    /// The rules as chosen; a rule whose box is cleared is none.
    TChosenRules Rules() const;
    /// The pairs of the pairs file in force.
    int KeptApart() const { return static_cast<int>(pairs_.size()); }

private:
    void CreateControls();
    void ChooseAvoid();
    void ChooseExclude();
    /// Takes the pairs file when every line reads; otherwise lists the lines' problems and
    /// leaves the rule off. A file that cannot be read is told in an error box when `tell`
    /// is set (a file just chosen; the earlier one stays), else in the list.
    void TakeExclude(const QString& file, bool tell);
    void ShowFile(QLabel* label, const QString& file, const QString& missing);

    const TStringList* participants_;
    IMessageService& messages_;
    TOpenFile openFile_;
    QString avoidFile_;
    QString excludeFile_;
    TExcludedPairs pairs_;

    QCheckBox* CAvoid;
    QLabel* LAvoidFile;
    QPushButton* BAvoidFile;
    QCheckBox* CExclude;
    QLabel* LExcludeFile;
    QPushButton* BExcludeFile;
    QListWidget* MExcludedPairs;
    QCheckBox* COneCircle;
};
