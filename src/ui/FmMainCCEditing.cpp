// The six commands that change the register, and the edit panel four of them use.

#include "ui/FmMainCC.h"

#include "platform/gui/QtAnsi.h"
#include "register/CCUser.h"
#include "register/NameRules.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

TCCUser* RecordOf(TObject* object)
{
    return dynamic_cast<TCCUser*>(object);
}

} // namespace

// ---- Selection handlers ---------------------------------------------------------------

void TCrisForm::MGroupsClick(QObject*)
{
    const int index = MGroups->ItemIndex();
    if (index >= 0 && GroupNames && index < GroupNames->Count())
        CurrentGroup = CutText(GroupNames->Strings(index), kCurrentGroupCapacity);
}

void TCrisForm::MGiversClick(QObject*)
{
    const int index = MGivers->ItemIndex();
    if (index >= 0)
        CurrentParticipant = RecordOf(MGivers->Object(index));
    RefreshLists(index >= 0 ? TAlignedSelection::PickedParticipant : TAlignedSelection::FirstUnassigned);
}

// ---- Opening commands -------------------------------------------------------------

void TCrisForm::BNewGroupClick(QObject*)
{
    if (!GroupNames) {
        if (Participants)
            throw std::runtime_error("Groups must be started before Participants");
        GroupNames = std::make_unique<TStringList>();
    }
    EditMode = emNewGroup;
    ShowEditPanel();
}

void TCrisForm::BNewPartClick(QObject* sender)
{
    if (!GroupNames) {
        ErrorBox("You Must create one Group First");
        BNewGroupClick(sender);
        return;
    }
    if (!Participants)
        Participants = std::make_unique<TStringList>(true);
    // A current group wins over the selected line; the selection is only a fallback.
    const int selected = MGroups->ItemIndex();
    if (CurrentGroup.empty() && selected >= 0 && selected < GroupNames->Count())
        CurrentGroup = CutText(GroupNames->Strings(selected), kCurrentGroupCapacity);
    if (CurrentGroup.empty())
        throw std::runtime_error("You need a group for new Participant");
    EditMode = emNewParticipant;
    ShowEditPanel();
}

void TCrisForm::BEditPartClick(QObject*)
{
    const int selected = MGivers->ItemIndex();
    if (selected < 0) {
        ErrorBox("Select Participant to edit");
        return;
    }
    CurrentParticipant = RecordOf(MGivers->Object(selected));
    EditMode = emEditParticipant;
    ShowEditPanel();
}

void TCrisForm::BEditGroupClick(QObject*)
{
    const int selected = MGroups->ItemIndex();
    if (selected < 0) {
        ErrorBox("Select Group to edit");
        return;
    }
    if (GroupNames && selected < GroupNames->Count())
        CurrentGroup = CutText(GroupNames->Strings(selected), kCurrentGroupCapacity);
    EditMode = emEditGroup;
    ShowEditPanel();
}

void TCrisForm::ShowEditPanel()
{
    EFirstName->clear();
    ELastName->clear();
    LCurGroup->hide();

    const bool participantMode = EditMode == emNewParticipant || EditMode == emEditParticipant;
    const bool groupMode = EditMode == emNewGroup || EditMode == emEditGroup;
    if (participantMode || groupMode) {
        LFirstName->setText(participantMode ? QStringLiteral("First Name") : QStringLiteral("New Group Name"));
        LFirstName->adjustSize();
        LFirstName->show();
        EFirstName->show();
        LLastName->setVisible(participantMode);
        ELastName->setVisible(participantMode);
    }
    switch (EditMode) {
    case emNewParticipant:
        if (!CurrentGroup.empty())
            ShowPanelGroup(QStringLiteral("Add to ") + AnsiToQString(CurrentGroup));
        // A family is entered by typing only the first names.
        if (CurrentParticipant != nullptr)
            ELastName->setText(AnsiToQString(CurrentParticipant->LastName));
        break;
    case emEditGroup:
        EFirstName->setText(AnsiToQString(CurrentGroup));
        break;
    case emEditParticipant:
        if (CurrentParticipant != nullptr) {
            EFirstName->setText(AnsiToQString(CurrentParticipant->FirstName));
            ELastName->setText(AnsiToQString(CurrentParticipant->LastName));
        }
        break;
    case emNone:
    case emNewGroup:
        break;
    }

    EnableCommands(false);
    PEdit->show();
    EFirstName->setFocus(Qt::OtherFocusReason);
    BOk->setDefault(true);
}

void TCrisForm::ShowPanelGroup(const QString& text)
{
    // A long group name would run past the panel's edge: it ends in an ellipsis there, and
    // the tooltip and the screen reader have it whole.
    const int width = PEdit->width() - 2 * LCurGroup->x();
    const QString shown = LCurGroup->fontMetrics().elidedText(text, Qt::ElideRight, width);
    LCurGroup->setText(shown);
    LCurGroup->setToolTip(shown == text ? QString() : text);
    LCurGroup->setAccessibleName(text);
    LCurGroup->resize(width, LCurGroup->sizeHint().height());
    LCurGroup->show();
}

// ---- Confirming and cancelling -----------------------------------------------------

std::string TCrisForm::TypedText(const QLineEdit* edit) const
{
    return QStringToAnsiChecked(edit->text());
}

void TCrisForm::BOkClick(QObject*)
{
    // First, whatever follows: even refused input ends the assignment.
    ClearAssignments();
    switch (EditMode) {
    case emNewGroup:
        OkNewGroup();
        break;
    case emNewParticipant:
        OkNewParticipant();
        break;
    case emEditGroup:
        OkEditGroup();
        break;
    case emEditParticipant:
        OkEditParticipant();
        break;
    case emNone:
        break;
    }
    RefreshLists();
}

void TCrisForm::OkNewGroup()
{
    const std::string name = CleanGroupName(TypedText(EFirstName));
    if (!GroupNames)
        GroupNames = std::make_unique<TStringList>();
    // "." is no name a group can have: it is ignored, not refused, even beside a deleted
    // group's placeholder.
    if (!IsGroupName(name))
        return;
    if (GroupNames->IndexOf(name) >= 0) {
        ErrorBox(GroupExistsMessage(name));
        return;
    }
    GroupNames->Add(name);
    CurrentGroup = CutText(name, kCurrentGroupCapacity);
}

void TCrisForm::OkNewParticipant()
{
    const TParticipantNames names = CleanParticipantNames(TypedText(EFirstName), TypedText(ELastName));
    if (!names.HasKey())
        return;
    if (!Participants)
        Participants = std::make_unique<TStringList>(true);
    auto user = std::make_unique<TCCUser>(Participants.get(), this);
    user->SetNames(names.first, names.last);
    const std::string key = user->FullName();
    if (Participants->IndexOf(key) >= 0) {
        ErrorBox(ParticipantExistsMessage(key));
        return;
    }
    const int group = GroupNames ? GroupNames->IndexOf(CurrentGroup) : -1;
    if (group < 0) {
        ErrorBox("Could Not Find Group");
        return;
    }
    user->GroupNo = group;
    CurrentParticipant = user.get();
    Participants->Add(key, user.release());
}

void TCrisForm::OkEditGroup()
{
    const std::string name = CleanGroupName(TypedText(EFirstName));
    if (!IsGroupName(name))
        return;
    // Ok can only be reached with a line selected, unless the panel was driven
    // around the buttons; then the old name is as missing as a renamed one.
    const int selected = MGroups->ItemIndex();
    if (selected < 0 || !GroupNames)
        throw std::runtime_error("Change Item Not Found");
    RenameEntry(*GroupNames, MGroups->Line(selected), name);
    CurrentGroup = CutText(name, kCurrentGroupCapacity);
}

void TCrisForm::OkEditParticipant()
{
    const TParticipantNames names = CleanParticipantNames(TypedText(EFirstName), TypedText(ELastName));
    if (!names.HasKey())
        return;
    if (!Participants || CurrentParticipant == nullptr)
        throw std::runtime_error("Change Item Not Found");
    const auto probe = std::make_unique<TCCUser>(Participants.get(), this);
    probe->SetNames(names.first, names.last);
    const std::string key = probe->FullName();
    // Unchanged names find the participant's own entry, and are refused as well.
    if (Participants->IndexOf(key) >= 0) {
        ErrorBox(ParticipantExistsMessage(key));
        return;
    }
    const std::string oldKey = CurrentParticipant->FullName();
    CurrentParticipant->SetNames(names.first, names.last);
    RenameEntry(*Participants, oldKey, key);
}

void TCrisForm::BCancelClick(QObject*)
{
    RefreshLists();
}

// ---- Deleting ------------------------------------------------------------------------

void TCrisForm::BDelPartClick(QObject*)
{
    const int selected = MGivers->ItemIndex();
    if (selected < 0) {
        ErrorBox("Select Participant to Delete");
    } else {
        CurrentParticipant = RecordOf(MGivers->Object(selected));
        // Found by its record, not by its text.
        const int entry = Participants ? Participants->IndexOfObject(CurrentParticipant) : -1;
        // Links to the record go first, so that nothing points at it once it is gone.
        ClearAssignments();
        if (entry >= 0)
            Participants->Delete(entry);
        CurrentParticipant = nullptr;
    }
    ClearAssignments();
    RefreshLists();
}

void TCrisForm::BDelGroupClick(QObject*)
{
    const int selected = MGroups->ItemIndex();
    if (selected < 0) {
        ErrorBox("Select Group to edit");
    } else if (GroupNames && selected < GroupNames->Count()) {
        CurrentGroup = CutText(GroupNames->Strings(selected), kCurrentGroupCapacity);
        int highestInUse = -1;
        if (Participants) {
            for (int i = 0; i < Participants->Count(); ++i) {
                const TCCUser* user = UserAt(*Participants, i);
                if (user == nullptr)
                    continue;
                if (user->GroupNo == selected)
                    throw std::runtime_error("Group with Participants cannot be deleted");
                highestInUse = std::max(highestInUse, user->GroupNo);
            }
        }
        // Later groups keep their numbers: the entry stays as a placeholder, and only a
        // trailing run of placeholders goes. A placeholder that still has members (a
        // participant added to a "." line) stays, or its members would name a group the
        // document does not have.
        GroupNames->SetString(selected, kDeletedGroupPlaceholder);
        while (GroupNames->Count() - 1 > highestInUse
            && GroupNames->Strings(GroupNames->Count() - 1) == kDeletedGroupPlaceholder)
            GroupNames->Delete(GroupNames->Count() - 1);
    }
    ClearAssignments();
    RefreshLists();
}
