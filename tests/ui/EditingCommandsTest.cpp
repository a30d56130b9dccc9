// The six editing commands, the edit panel and every message they give.

#include "FormFixture.h"

#include <QTest>

#include <functional>

namespace {

class EditingTest : public FormTest {
protected:
    /// Groups A and B, ANN SMITH in A and BOB JONES in B, with a complete assignment.
    void TwoGroupsAssigned()
    {
        AddGroup(QStringLiteral("a"));
        AddParticipant(QStringLiteral("ann"), QStringLiteral("smith"));
        AddGroup(QStringLiteral("b"));
        AddParticipant(QStringLiteral("bob"), QStringLiteral("jones"));
        Link("ANNSMITH", "BOBJONES");
        Link("BOBJONES", "ANNSMITH");
    }
    bool NobodyAssigned() const
    {
        for (int i = 0; form->Participants && i < form->Participants->Count(); ++i) {
            const TCCUser* user = UserAt(*form->Participants, i);
            if (user->Taker != nullptr || user->Giver != nullptr)
                return false;
        }
        return true;
    }
    void Select(const char* displayLine) { F().MGivers->SetItemIndex(F().MGivers->IndexOf(displayLine)); }
};

// ---- Messages, with their kind -------------------------------------------------------

TEST_F(EditingTest, CommandsOnNothingSelectedSayWhatToSelectInAnErrorBox)
{
    const struct {
        QPushButton* TCrisForm::*command;
        const char* message;
        bool clearsAssignment; // the deletes clear it even so
    } cases[] = {
        { &TCrisForm::BEditPart, "Select Participant to edit", false },
        { &TCrisForm::BEditGroup, "Select Group to edit", false },
        { &TCrisForm::BDelPart, "Select Participant to Delete", true },
        { &TCrisForm::BDelGroup, "Select Group to edit", true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        NewForm();
        TwoGroupsAssigned();
        F().MGivers->SetItemIndex(-1);
        F().MGroups->SetItemIndex(-1);
        (F().*c.command)->click();
        EXPECT_EQ(messages.Take(), Messages { ErrorBox(c.message) });
        EXPECT_FALSE(PanelOpen());
        EXPECT_EQ(c.clearsAssignment, NobodyAssigned());
        EXPECT_EQ(2, F().Participants->Count());
        EXPECT_EQ(2, F().GroupNames->Count());
    }
}

TEST_F(EditingTest, EveryRefusalShowsItsMessageAsItsKindAndLeavesTheRegister)
{
    struct Case {
        const char* name;
        std::function<void()> act;
        Messages shown;
        std::function<void()> after;
    };
    const Case cases[] = {
        { "Add Participant before any group", [this] { F().BNewPart->click(); },
            { ErrorBox("You Must create one Group First") },
            [this] {
                EXPECT_TRUE(PanelOpen()); // as Add Group
                EXPECT_EQ(emNewGroup, F().EditMode);
                ASSERT_NE(nullptr, F().GroupNames);
                EXPECT_EQ(nullptr, F().Participants);
            } },
        { "Add Group with participants but no groups",
            [this] {
                F().Participants = std::make_unique<TStringList>(true);
                F().BNewGroup->click();
            },
            { Raised("Groups must be started before Participants.") },
            [this] {
                EXPECT_FALSE(PanelOpen());
                EXPECT_EQ(nullptr, F().GroupNames);
            } },
        { "Add Participant after the first group was cancelled",
            [this] {
                F().BNewGroup->click();
                F().BCancel->click();
                F().BNewPart->click();
            },
            { Raised("You need a group for new Participant.") },
            [this] {
                EXPECT_FALSE(PanelOpen());
                EXPECT_TRUE(F().GroupNames->Empty());
                EXPECT_NE(nullptr, F().Participants); // created before the check
            } },
        { "Delete Group with members",
            [this] {
                TwoGroupsAssigned();
                ClickLine(F().MGroups, 0);
                F().MGroups->SetItemIndex(1);
                F().BDelGroup->click();
            },
            { Raised("Group with Participants cannot be deleted.") },
            [this] {
                EXPECT_EQ("B", F().CurrentGroup); // it becomes current
                EXPECT_EQ((Strings { "A", "B" }), GroupEntries());
                EXPECT_FALSE(NobodyAssigned()); // the refusal comes before the assignment is touched
            } },
        { "duplicate group, by its cleaned name",
            [this] {
                AddGroup(QStringLiteral("  red team "));
                AddGroup(QStringLiteral("Red"));
            },
            { ErrorBox("Group RED already exists") },
            [this] {
                EXPECT_EQ((Strings { "RED" }), GroupEntries());
                EXPECT_EQ("RED", F().CurrentGroup);
                EXPECT_FALSE(PanelOpen());
            } },
        { "duplicate key, the names split differently",
            [this] {
                AddGroup(QStringLiteral("a"));
                AddParticipant(QStringLiteral("anne"), QStringLiteral("marie"));
                AddParticipant(QStringLiteral("ann"), QStringLiteral("emarie"));
                AddParticipant(QStringLiteral("Anne"), QStringLiteral("Marie"));
            },
            { ErrorBox("Participant ANNEMARIE already exists"), ErrorBox("Participant ANNEMARIE already exists") },
            [this] { EXPECT_EQ((Strings { "ANNEMARIE" }), ParticipantKeys()); } },
        { "the key is checked before the group",
            [this] {
                AddGroup(QStringLiteral("a"));
                AddGroup(QStringLiteral("b"));
                AddParticipant(QStringLiteral("ann"), QStringLiteral("smith"));
                F().CurrentGroup = "GONE";
                AddParticipant(QStringLiteral("ann"), QStringLiteral("smith"));
                AddParticipant(QStringLiteral("bob"), QStringLiteral("smith"));
            },
            { ErrorBox("Participant ANNSMITH already exists"), ErrorBox("Could Not Find Group") },
            [this] { EXPECT_EQ((Strings { "ANNSMITH" }), ParticipantKeys()); } },
        { "the current group was deleted",
            [this] {
                AddGroup(QStringLiteral("a"));
                AddGroup(QStringLiteral("b"));
                F().MGroups->SetItemIndex(1);
                F().BDelGroup->click();
                ASSERT_EQ((Strings { "A" }), GroupEntries());
                F().BNewPart->click();
                EXPECT_EQ("Add to B", F().LCurGroup->text());
                F().EFirstName->setText(QStringLiteral("ann"));
                F().BOk->click();
            },
            { ErrorBox("Could Not Find Group") },
            [this] { // until another group is clicked
                ClickLine(F().MGroups, 0);
                AddParticipant(QStringLiteral("ann"), QString());
                EXPECT_EQ((Strings { "ANN" }), ParticipantKeys());
            } },
        { "the entry to change has gone",
            [this] {
                TwoGroupsAssigned();
                F().MGroups->SetItemIndex(0);
                F().BEditGroup->click();
                F().GroupNames->SetString(0, "ELSEWHERE");
                F().EFirstName->setText(QStringLiteral("new"));
                F().BOk->click();
            },
            { Raised("Change Item Not Found.") },
            [this] {
                EXPECT_TRUE(PanelOpen()); // until Cancel
                EXPECT_TRUE(CommandsAre(false));
                EXPECT_TRUE(NobodyAssigned()); // Ok cleared it before anything else
                F().BCancel->click();
                EXPECT_FALSE(PanelOpen());
                EXPECT_TRUE(CommandsEnabled());
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewForm();
        c.act();
        EXPECT_EQ(c.shown, messages.Take());
        c.after();
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(EditingTest, InputThatCleansToNothingChangesNothingAndSaysNothing)
{
    AddGroup(QStringLiteral("a"));
    AddParticipant(QStringLiteral("ann"), QString()); // one name is enough
    AddParticipant(QString(), QStringLiteral("lee"));
    ASSERT_EQ((Strings { "1  LEE", "1 ANN " }), Lines(F().MGivers));
    struct Case {
        QPushButton* TCrisForm::*command;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        { &TCrisForm::BNewGroup, "   ", "" },
        { &TCrisForm::BNewGroup, " . ", "" },
        { &TCrisForm::BNewPart, "  ", "" }, // no key is ever empty
        { &TCrisForm::BEditPart, " ", "" },
        { &TCrisForm::BEditGroup, "", "" },
        { &TCrisForm::BEditGroup, ".", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        F().MGroups->SetItemIndex(0);
        Select("1 ANN ");
        Apply(F().*c.command, QString::fromLatin1(c.first), QString::fromLatin1(c.last));
        EXPECT_EQ((Strings { "A" }), GroupEntries());
        EXPECT_EQ("A", F().CurrentGroup);
        EXPECT_EQ((Strings { "ANN", "LEE" }), ParticipantKeys());
        EXPECT_EQ("ANN", Participant("ANN")->FirstName);
        EXPECT_FALSE(PanelOpen());
    }
    EXPECT_TRUE(messages.shown.empty());
}

// ---- The panel ------------------------------------------------------------------------

TEST_F(EditingTest, PanelIsPreparedForEachMode)
{
    AddGroup(QStringLiteral("a"));
    AddParticipant(QStringLiteral("ann"), QStringLiteral("smith"));
    struct Expect {
        QPushButton* TCrisForm::*button;
        TEditMode mode;
        const char* curGroup; // nullptr: hidden
        const char* firstLabel;
        const char* first;
        const char* last; // nullptr: hidden
    };
    const Expect cases[] = {
        { &TCrisForm::BNewGroup, emNewGroup, nullptr, "New Group Name", "", nullptr },
        { &TCrisForm::BNewPart, emNewParticipant, "Add to A", "First Name", "", "SMITH" },
        { &TCrisForm::BEditGroup, emEditGroup, nullptr, "New Group Name", "A", nullptr },
        { &TCrisForm::BEditPart, emEditParticipant, nullptr, "First Name", "ANN", "SMITH" },
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.mode);
        F().MGroups->SetItemIndex(0);
        F().MGivers->SetItemIndex(0);
        F().EFirstName->setText(QStringLiteral("left over"));
        F().ELastName->setText(QStringLiteral("left over"));
        (F().*e.button)->click();
        EXPECT_EQ(e.mode, F().EditMode);
        EXPECT_TRUE(PanelOpen());
        EXPECT_TRUE(CommandsAre(false));
        EXPECT_TRUE(F().BEditNotes->isEnabled());
        EXPECT_EQ(e.curGroup != nullptr, !F().LCurGroup->isHidden());
        if (e.curGroup != nullptr) {
            EXPECT_EQ(e.curGroup, F().LCurGroup->text());
        }
        EXPECT_EQ(e.firstLabel, F().LFirstName->text());
        EXPECT_FALSE(F().EFirstName->isHidden());
        EXPECT_EQ(e.first, F().EFirstName->text());
        EXPECT_EQ(e.last != nullptr, !F().LLastName->isHidden());
        EXPECT_EQ(e.last != nullptr, !F().ELastName->isHidden());
        if (e.last != nullptr) {
            EXPECT_EQ(e.last, F().ELastName->text());
        }
        EXPECT_EQ(F().EFirstName, F().focusWidget());
        EXPECT_TRUE(F().BOk->isDefault());
        F().BCancel->click();
        EXPECT_FALSE(PanelOpen());
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EditingTest, EnterInTheFieldConfirmsAndTheFocusWaitsOnTheNextAddition)
{
    for (QPushButton* command : { F().BNewGroup, F().BNewPart }) {
        command->click();
        QTest::keyClicks(F().EFirstName, QStringLiteral("ann"));
        QTest::keyClick(F().EFirstName, Qt::Key_Return);
        EXPECT_FALSE(PanelOpen());
        EXPECT_EQ(command, F().focusWidget());
    }
    EXPECT_EQ((Strings { "ANN" }), GroupEntries());
    EXPECT_EQ((Strings { "ANN" }), ParticipantKeys());
    // Enter on the focused button starts the next addition.
    QTest::keyClick(F().BNewPart, Qt::Key_Return);
    EXPECT_TRUE(PanelOpen());
}

TEST_F(EditingTest, EscapeActsAsCancelWhereverTheFocusIs)
{
    AddGroup(QStringLiteral("a"));
    for (const char* focus : { "EFirstName", "BOk", "MGroups" }) {
        F().BNewGroup->click();
        QTest::keyClicks(F().EFirstName, QStringLiteral("b"));
        F().findChild<QWidget*>(QString::fromLatin1(focus))->setFocus();
        QTest::keyClick(F().focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(!PanelOpen() && CommandsEnabled() && GroupEntries() == Strings { "A" }) << focus;
    }
}

TEST_F(EditingTest, NewParticipantPanelOffersTheLastNameOfTheParticipantLastAddedOrClicked)
{
    AddGroup(QStringLiteral("a"));
    AddParticipant(QStringLiteral("ann"), QStringLiteral("smith"));
    AddParticipant(QStringLiteral("bob"), QStringLiteral("jones"));
    F().BNewPart->click();
    EXPECT_EQ("JONES", F().ELastName->text());
    F().BCancel->click();
    ClickLine(F().MGivers, F().MGivers->IndexOf("1 ANN SMITH"));
    F().BNewPart->click();
    EXPECT_EQ("SMITH", F().ELastName->text());
}

TEST_F(EditingTest, ClicksWhileThePanelIsOpen)
{
    TwoGroupsAssigned();
    // A click on a group changes the group the Ok works on and leaves the panel open.
    ClickLine(F().MGroups, 0);
    F().BNewPart->click();
    ClickLine(F().MGroups, 1);
    EXPECT_TRUE(PanelOpen());
    EXPECT_EQ("Add to A", F().LCurGroup->text());
    F().EFirstName->setText(QStringLiteral("cat"));
    F().BOk->click();
    EXPECT_EQ(1, Participant("CATJONES")->GroupNo);

    // A click on a participant rebuilds the lists and so closes the panel unapplied.
    F().BNewGroup->click();
    F().EFirstName->setText(QStringLiteral("c"));
    ClickLine(F().MGivers, 0);
    EXPECT_FALSE(PanelOpen());
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_EQ((Strings { "A", "B" }), GroupEntries());
}

TEST_F(EditingTest, DoubleClicksStartAddParticipantOnAGroupAndEditOnAParticipant)
{
    TwoGroupsAssigned();
    ClickLine(F().MGroups, 0);
    emit F().MGroups->DoubleClick();
    EXPECT_EQ("A", F().CurrentGroup);
    EXPECT_EQ(emNewParticipant, F().EditMode);
    EXPECT_TRUE(PanelOpen());
    F().BCancel->click();

    ClickLine(F().MGivers, F().MGivers->IndexOf("2 BOB JONES"));
    emit F().MGivers->DoubleClick();
    EXPECT_EQ(emEditParticipant, F().EditMode);
    EXPECT_EQ("BOB", F().EFirstName->text());
}

TEST_F(EditingTest, CurrentGroupWinsOverTheSelectedGroupLine)
{
    F().GroupNames = std::make_unique<TStringList>();
    F().GroupNames->Add("A");
    F().GroupNames->Add("B");
    F().RefreshLists();
    for (int selected : { 1, 0 }) { // the first time there is no current group: the selection supplies it
        F().MGroups->SetItemIndex(selected);
        F().BNewPart->click();
        EXPECT_EQ("B", F().CurrentGroup);
        F().BCancel->click();
    }
}

// ---- Ok, and what the commands change ---------------------------------------------------

TEST_F(EditingTest, OkClearsTheAssignmentWhateverTheOutcomeCancelDoesNot)
{
    TwoGroupsAssigned();
    F().BNewGroup->click();
    F().BCancel->click();
    EXPECT_FALSE(NobodyAssigned());

    const std::vector<std::pair<QPushButton * TCrisForm::*, QString>> attempts = {
        { &TCrisForm::BNewGroup, QString() }, // ignored
        { &TCrisForm::BNewGroup, QStringLiteral(".") }, // ignored
        { &TCrisForm::BNewGroup, QStringLiteral("a") }, // refused
        { &TCrisForm::BNewPart, QStringLiteral("bob") }, // refused: BOBJONES exists
    };
    for (const auto& [button, first] : attempts) {
        Link("ANNSMITH", "BOBJONES");
        Apply(F().*button, first, QStringLiteral("jones"));
        EXPECT_TRUE(NobodyAssigned()) << first.toStdString();
        EXPECT_FALSE(PanelOpen());
    }
    EXPECT_EQ((Strings { "A", "B" }), GroupEntries());
    EXPECT_EQ(2, F().Participants->Count());
}

TEST_F(EditingTest, NewParticipantJoinsTheCurrentGroupWithCleanedNamesCutToCapacity)
{
    AddGroup(QStringLiteral("a"));
    AddGroup(QStringLiteral("b"));
    AddParticipant(QStringLiteral("  mary ann "), QStringLiteral(" o'neil  smith"));
    TCCUser* mary = Participant("MARYO'NEIL");
    ASSERT_NE(nullptr, mary);
    EXPECT_EQ(1, mary->GroupNo);
    EXPECT_EQ(F().Participants.get(), mary->OwnerList);
    EXPECT_EQ(static_cast<TObject*>(&F()), mary->Owner);
    EXPECT_EQ(mary, F().CurrentParticipant);
    EXPECT_EQ((Strings { "2 MARY O'NEIL" }), Lines(F().MGivers));
    EXPECT_EQ(0, F().MGivers->ItemIndex()); // selected, ready for Edit or Delete

    AddGroup(QString(70, QLatin1Char('g')));
    EXPECT_EQ(std::string(60, 'G'), GroupEntries().at(2));
    EXPECT_EQ(std::string(60, 'G'), F().CurrentGroup);
    // A group name longer than 50 characters still takes members.
    AddParticipant(QString(35, QLatin1Char('f')), QStringLiteral("x"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(2, Participant(std::string(30, 'F') + "X")->GroupNo);
}

TEST_F(EditingTest, EditsRenameInPlaceAndKeepTheGroup)
{
    TwoGroupsAssigned();
    AddParticipant(QStringLiteral("cat"), QStringLiteral("jones"));
    TCCUser* bob = Participant("BOBJONES");
    Select("2 BOB JONES");
    Apply(F().BEditPart, QStringLiteral("robert"), QStringLiteral("jones"));
    EXPECT_EQ((Strings { "ANNSMITH", "ROBERTJONES", "CATJONES" }), ParticipantKeys());
    EXPECT_EQ(bob, UserAt(*F().Participants, 1));
    EXPECT_EQ(1, bob->GroupNo);
    EXPECT_TRUE(NobodyAssigned());

    // Unchanged names meet their own entry.
    Select("2 ROBERT JONES");
    F().BEditPart->click();
    F().BOk->click();
    EXPECT_EQ((Messages { ErrorBox("Participant ROBERTJONES already exists") }), messages.Take());
    EXPECT_EQ("ROBERT", bob->FirstName);

    // A group may take another group's name.
    F().MGroups->SetItemIndex(0);
    Apply(F().BEditGroup, QStringLiteral("b"));
    EXPECT_EQ((Strings { "B", "B" }), GroupEntries());
    EXPECT_EQ("B", F().CurrentGroup);
    EXPECT_EQ(0, Participant("ANNSMITH")->GroupNo);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EditingTest, DeleteParticipantRemovesTheSelectedRecordFoundByRecordNotByText)
{
    TwoGroupsAssigned();
    AddParticipant(QStringLiteral("cat"), QStringLiteral("jones"));
    // An entry whose text no longer matches its record is still the one deleted.
    F().Participants->SetString(1, "CATJONES");
    F().RefreshLists();
    ClickLine(F().MGivers, F().MGivers->IndexOf("2 BOB JONES"));
    F().BDelPart->click();
    EXPECT_EQ((Strings { "ANNSMITH", "CATJONES" }), ParticipantKeys());
    EXPECT_EQ("CAT", UserAt(*F().Participants, 1)->FirstName);
    EXPECT_EQ(nullptr, F().CurrentParticipant);
    EXPECT_TRUE(NobodyAssigned());
    EXPECT_EQ((Strings { "1 ANN SMITH", "2 CAT JONES" }), Lines(F().MGivers));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EditingTest, DeletedGroupsLeavePlaceholdersAndOnlyATrailingRunGoes)
{
    for (const char* group : { "a", "b", "c" })
        AddGroup(QString::fromLatin1(group));
    AddParticipant(QStringLiteral("cat"), QString());
    F().MGroups->SetItemIndex(1);
    F().BDelGroup->click();
    EXPECT_EQ((Strings { "A", ".", "C" }), GroupEntries());
    EXPECT_EQ((Strings { "A", ".", "C" }), Lines(F().MGroups));
    EXPECT_EQ((Strings { "3 CAT " }), Lines(F().MGivers)); // C keeps its number

    F().MGivers->SetItemIndex(0);
    F().BDelPart->click();
    F().MGroups->SetItemIndex(2);
    F().BDelGroup->click();
    EXPECT_EQ((Strings { "A" }), GroupEntries());
    F().MGroups->SetItemIndex(0);
    F().BDelGroup->click();
    EXPECT_TRUE(GroupEntries().empty());
    EXPECT_NE(nullptr, F().GroupNames);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EditingTest, APlaceholderLineIsLookedUpByItsText)
{
    for (const char* group : { "a", "b", "c", "d" })
        AddGroup(QString::fromLatin1(group));
    for (int line : { 1, 2 }) {
        F().MGroups->SetItemIndex(line);
        F().BDelGroup->click();
    }
    ASSERT_EQ((Strings { "A", ".", ".", "D" }), GroupEntries());
    AddGroup(QStringLiteral(".")); // no name a group can have: ignored silently, placeholders or not
    EXPECT_EQ((Strings { "A", ".", ".", "D" }), GroupEntries());
    EXPECT_TRUE(messages.shown.empty());
    // The second "." clicked: the participant joins the first "." entry.
    ClickLine(F().MGroups, 2);
    AddParticipant(QStringLiteral("dot"), QString());
    EXPECT_EQ(1, Participant("DOT")->GroupNo);
    // And "Edit Group Name" on the second renames the first.
    F().MGroups->SetItemIndex(2);
    Apply(F().BEditGroup, QStringLiteral("back"));
    EXPECT_EQ((Strings { "A", "BACK", ".", "D" }), GroupEntries());
}

} // namespace
