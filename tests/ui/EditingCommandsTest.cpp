// The six editing commands, the edit panel and every message they give.

#include "FormFixture.h"

#include <QTest>

namespace {

using Strings = std::vector<std::string>;

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
    int Selected(const char* displayLine) const { return form->MGivers->IndexOf(displayLine); }
};

// ---- Messages, with their kind -------------------------------------------------------

TEST_F(EditingTest, AddParticipantBeforeAnyGroupSaysSoAndOpensTheAddGroupPanel)
{
    F().BNewPart->click();
    EXPECT_EQ((std::vector<TShownMessage> { ErrorBox("You Must create one Group First") }), messages.shown);
    EXPECT_TRUE(PanelOpen());
    EXPECT_EQ(emNewGroup, F().EditMode);
    ASSERT_NE(nullptr, F().GroupNames);
    EXPECT_EQ(nullptr, F().Participants);
}

TEST_F(EditingTest, AddGroupWhenParticipantsExistWithoutGroupsIsRaised)
{
    F().Participants = std::make_unique<TStringList>(true);
    F().BNewGroup->click();
    EXPECT_EQ((std::vector<TShownMessage> { Raised("Groups must be started before Participants.") }), messages.shown);
    EXPECT_FALSE(PanelOpen());
    EXPECT_EQ(nullptr, F().GroupNames);
}

TEST_F(EditingTest, CancelledFirstGroupLeavesNoGroupForANewParticipant)
{
    F().BNewGroup->click();
    F().BCancel->click();
    ASSERT_NE(nullptr, F().GroupNames);
    EXPECT_TRUE(F().GroupNames->Empty());
    F().BNewPart->click();
    EXPECT_EQ((std::vector<TShownMessage> { Raised("You need a group for new Participant.") }), messages.shown);
    EXPECT_FALSE(PanelOpen());
    ASSERT_NE(nullptr, F().Participants); // created before the check
}

TEST_F(EditingTest, SelectionMessagesAreErrorBoxesAndDeletesStillClearTheAssignment)
{
    struct Case {
        QPushButton* TCrisForm::*button;
        const char* message;
        bool clearsAssignment;
    };
    const Case cases[] = {
        { &TCrisForm::BEditPart, "Select Participant to edit", false },
        { &TCrisForm::BEditGroup, "Select Group to edit", false },
        { &TCrisForm::BDelPart, "Select Participant to Delete", true },
        { &TCrisForm::BDelGroup, "Select Group to edit", true },
    };
    TwoGroupsAssigned();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Link("ANNSMITH", "BOBJONES");
        F().RefreshLists();
        F().MGivers->SetItemIndex(-1);
        F().MGroups->SetItemIndex(-1);
        messages.Take();
        (F().*c.button)->click();
        EXPECT_EQ((std::vector<TShownMessage> { ErrorBox(c.message) }), messages.Take());
        EXPECT_FALSE(PanelOpen());
        EXPECT_EQ(c.clearsAssignment, NobodyAssigned());
        EXPECT_EQ(2, F().Participants->Count());
        EXPECT_EQ(2, F().GroupNames->Count());
    }
}

TEST_F(EditingTest, GroupWithMembersIsNotDeletedButBecomesCurrent)
{
    TwoGroupsAssigned();
    ClickLine(F().MGroups, 1); // B
    ClickLine(F().MGroups, 0); // A is current
    F().MGroups->SetItemIndex(1);
    F().BDelGroup->click();
    EXPECT_EQ((std::vector<TShownMessage> { Raised("Group with Participants cannot be deleted.") }), messages.shown);
    EXPECT_EQ("B", F().CurrentGroup);
    EXPECT_EQ((Strings { "A", "B" }), GroupEntries());
    EXPECT_FALSE(NobodyAssigned()); // the refusal comes before the assignment is touched
}

TEST_F(EditingTest, DuplicateGroupIsRefusedWithItsCleanedName)
{
    AddGroup(QStringLiteral("  red team "));
    EXPECT_EQ((Strings { "RED" }), GroupEntries());
    EXPECT_EQ("RED", F().CurrentGroup);
    AddGroup(QStringLiteral("Red"));
    EXPECT_EQ((std::vector<TShownMessage> { ErrorBox("Group RED already exists") }), messages.shown);
    EXPECT_EQ((Strings { "RED" }), GroupEntries());
    EXPECT_FALSE(PanelOpen());
}

TEST_F(EditingTest, DuplicateKeyIsRefusedEvenWhenTheNamesSplitDifferently)
{
    AddGroup(QStringLiteral("a"));
    AddParticipant(QStringLiteral("anne"), QStringLiteral("marie"));
    AddParticipant(QStringLiteral("ann"), QStringLiteral("emarie"));
    AddParticipant(QStringLiteral("Anne"), QStringLiteral("Marie"));
    EXPECT_EQ((std::vector<TShownMessage> {
                  ErrorBox("Participant ANNEMARIE already exists"), ErrorBox("Participant ANNEMARIE already exists") }),
        messages.shown);
    EXPECT_EQ((Strings { "ANNEMARIE" }), ParticipantKeys());
}

TEST_F(EditingTest, NewParticipantChecksTheKeyBeforeTheGroup)
{
    AddGroup(QStringLiteral("a"));
    AddGroup(QStringLiteral("b"));
    AddParticipant(QStringLiteral("ann"), QStringLiteral("smith"));
    F().CurrentGroup = "GONE";
    AddParticipant(QStringLiteral("ann"), QStringLiteral("smith"));
    AddParticipant(QStringLiteral("bob"), QStringLiteral("smith"));
    EXPECT_EQ((std::vector<TShownMessage> {
                  ErrorBox("Participant ANNSMITH already exists"), ErrorBox("Could Not Find Group") }),
        messages.shown);
    EXPECT_EQ((Strings { "ANNSMITH" }), ParticipantKeys());
}

TEST_F(EditingTest, CurrentGroupOfADeletedGroupEndsInCouldNotFindGroupUntilAnotherIsClicked)
{
    AddGroup(QStringLiteral("a"));
    AddGroup(QStringLiteral("b"));
    F().MGroups->SetItemIndex(1);
    F().BDelGroup->click();
    EXPECT_EQ("B", F().CurrentGroup);
    EXPECT_EQ((Strings { "A" }), GroupEntries());
    F().BNewPart->click();
    EXPECT_EQ("Add to B", F().LCurGroup->text());
    F().EFirstName->setText(QStringLiteral("ann"));
    F().BOk->click();
    EXPECT_EQ((std::vector<TShownMessage> { ErrorBox("Could Not Find Group") }), messages.Take());
    ClickLine(F().MGroups, 0);
    AddParticipant(QStringLiteral("ann"), QString());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ((Strings { "ANN" }), ParticipantKeys());
}

TEST_F(EditingTest, ChangeOfAMissingEntryIsRaisedAndLeavesThePanelOpenUntilCancel)
{
    TwoGroupsAssigned();
    F().MGroups->SetItemIndex(0);
    F().BEditGroup->click();
    F().GroupNames->SetString(0, "ELSEWHERE"); // the old name has gone from the list
    F().EFirstName->setText(QStringLiteral("new"));
    F().BOk->click();
    EXPECT_EQ((std::vector<TShownMessage> { Raised("Change Item Not Found.") }), messages.shown);
    EXPECT_TRUE(PanelOpen());
    EXPECT_TRUE(CommandsDisabled());
    EXPECT_TRUE(NobodyAssigned()); // Ok cleared it before anything else
    F().BCancel->click();
    EXPECT_FALSE(PanelOpen());
    EXPECT_TRUE(CommandsEnabled());
}

// ---- The panel ------------------------------------------------------------------------

TEST_F(EditingTest, PanelIsPreparedForEachMode)
{
    AddGroup(QStringLiteral("a"));
    AddParticipant(QStringLiteral("ann"), QStringLiteral("smith"));
    struct Expect {
        const char* name;
        QPushButton* TCrisForm::*button;
        TEditMode mode;
        bool curGroupShown;
        const char* curGroup;
        const char* firstLabel;
        const char* first;
        bool lastShown;
        const char* last;
    };
    const Expect cases[] = {
        { "new group", &TCrisForm::BNewGroup, emNewGroup, false, "", "New Group Name", "", false, "" },
        { "new participant", &TCrisForm::BNewPart, emNewParticipant, true, "Add to A", "First Name", "", true,
            "SMITH" },
        { "edit group", &TCrisForm::BEditGroup, emEditGroup, false, "", "New Group Name", "A", false, "" },
        { "edit participant", &TCrisForm::BEditPart, emEditParticipant, false, "", "First Name", "ANN", true, "SMITH" },
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.name);
        F().MGroups->SetItemIndex(0);
        F().MGivers->SetItemIndex(0);
        F().EFirstName->setText(QStringLiteral("left over"));
        F().ELastName->setText(QStringLiteral("left over"));
        (F().*e.button)->click();
        EXPECT_EQ(e.mode, F().EditMode);
        EXPECT_TRUE(PanelOpen());
        EXPECT_TRUE(CommandsDisabled());
        EXPECT_TRUE(F().BEditNotes->isEnabled());
        EXPECT_EQ(e.curGroupShown, !F().LCurGroup->isHidden());
        if (e.curGroupShown) {
            EXPECT_EQ(e.curGroup, F().LCurGroup->text());
        }
        EXPECT_EQ(e.firstLabel, F().LFirstName->text());
        EXPECT_FALSE(F().EFirstName->isHidden());
        EXPECT_EQ(e.first, F().EFirstName->text());
        EXPECT_EQ(e.lastShown, !F().LLastName->isHidden());
        EXPECT_EQ(e.lastShown, !F().ELastName->isHidden());
        if (e.lastShown) {
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
    F().BNewGroup->click();
    QTest::keyClicks(F().EFirstName, QStringLiteral("north"));
    QTest::keyClick(F().EFirstName, Qt::Key_Return);
    EXPECT_EQ((Strings { "NORTH" }), GroupEntries());
    EXPECT_FALSE(PanelOpen());
    EXPECT_EQ(F().BNewGroup, F().focusWidget());
    // Enter on the focused button starts the next addition.
    QTest::keyClick(F().BNewGroup, Qt::Key_Return);
    EXPECT_TRUE(PanelOpen());
    F().BCancel->click();

    F().BNewPart->click();
    QTest::keyClicks(F().EFirstName, QStringLiteral("ann"));
    QTest::keyClick(F().EFirstName, Qt::Key_Return);
    EXPECT_EQ((Strings { "ANN" }), ParticipantKeys());
    EXPECT_EQ(F().BNewPart, F().focusWidget());
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
    F().MGroups->SetItemIndex(0);
    emit F().MGroups->Click();
    emit F().MGroups->DoubleClick();
    EXPECT_EQ("A", F().CurrentGroup);
    EXPECT_EQ(emNewParticipant, F().EditMode);
    EXPECT_TRUE(PanelOpen());
    F().BCancel->click();

    F().MGivers->SetItemIndex(F().MGivers->IndexOf("2 BOB JONES"));
    emit F().MGivers->Click();
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
    F().MGroups->SetItemIndex(1);
    F().BNewPart->click(); // no current group yet: the selection supplies it
    EXPECT_EQ("B", F().CurrentGroup);
    F().BCancel->click();
    F().MGroups->SetItemIndex(0);
    F().BNewPart->click();
    EXPECT_EQ("B", F().CurrentGroup);
}

// ---- Ok and Cancel ---------------------------------------------------------------------

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
        (F().*button)->click();
        F().EFirstName->setText(first);
        F().ELastName->setText(QStringLiteral("jones"));
        F().BOk->click();
        EXPECT_TRUE(NobodyAssigned()) << first.toStdString();
        EXPECT_FALSE(PanelOpen());
    }
    EXPECT_EQ((Strings { "A", "B" }), GroupEntries());
    EXPECT_EQ(2, F().Participants->Count());
}

TEST_F(EditingTest, EmptyAndPlaceholderGroupNamesAreIgnoredSilently)
{
    AddGroup(QStringLiteral("   "));
    AddGroup(QStringLiteral(" . "));
    EXPECT_TRUE(GroupEntries().empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ("", F().CurrentGroup);
}

TEST_F(EditingTest, ParticipantWithBothNamesEmptyIsIgnoredSoNoKeyIsEmpty)
{
    AddGroup(QStringLiteral("a"));
    AddParticipant(QStringLiteral("  "), QString());
    EXPECT_EQ(0, F().Participants->Count());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(PanelOpen());

    AddParticipant(QStringLiteral("ann"), QString()); // one name is enough
    AddParticipant(QString(), QStringLiteral("lee"));
    EXPECT_EQ((Strings { "ANN", "LEE" }), ParticipantKeys());
    EXPECT_EQ((Strings { "1  LEE", "1 ANN " }), Lines(F().MGivers));

    // An edit that would empty both names changes nothing.
    F().MGivers->SetItemIndex(F().MGivers->IndexOf("1 ANN "));
    F().BEditPart->click();
    F().EFirstName->setText(QStringLiteral(" "));
    F().ELastName->clear();
    F().BOk->click();
    EXPECT_EQ((Strings { "ANN", "LEE" }), ParticipantKeys());
    EXPECT_EQ("ANN", Participant("ANN")->FirstName);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EditingTest, NewParticipantJoinsTheCurrentGroupWithCleanedNames)
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
    // The participant stays selected, ready for Edit or Delete.
    EXPECT_EQ(0, F().MGivers->ItemIndex());
}

TEST_F(EditingTest, NamesAreCutToTheirCapacities)
{
    AddGroup(QString(70, QLatin1Char('g')));
    EXPECT_EQ(std::string(60, 'G'), GroupEntries().at(0));
    EXPECT_EQ(std::string(60, 'G'), F().CurrentGroup);
    // A group name longer than 50 characters still takes members.
    AddParticipant(QString(35, QLatin1Char('f')), QStringLiteral("x"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ((Strings { std::string(30, 'F') + "X" }), ParticipantKeys());
}

TEST_F(EditingTest, EditParticipantRenamesInPlaceAndKeepsTheGroup)
{
    TwoGroupsAssigned();
    AddParticipant(QStringLiteral("cat"), QStringLiteral("jones"));
    TCCUser* bob = Participant("BOBJONES");
    F().MGivers->SetItemIndex(Selected("2 BOB JONES"));
    F().BEditPart->click();
    F().EFirstName->setText(QStringLiteral("robert"));
    F().BOk->click();
    EXPECT_EQ((Strings { "ANNSMITH", "ROBERTJONES", "CATJONES" }), ParticipantKeys());
    EXPECT_EQ(bob, UserAt(*F().Participants, 1));
    EXPECT_EQ(1, bob->GroupNo);
    EXPECT_TRUE(NobodyAssigned());

    // Unchanged names meet their own entry.
    F().MGivers->SetItemIndex(Selected("2 ROBERT JONES"));
    F().BEditPart->click();
    F().BOk->click();
    EXPECT_EQ((std::vector<TShownMessage> { ErrorBox("Participant ROBERTJONES already exists") }), messages.shown);
    EXPECT_EQ("ROBERT", bob->FirstName);
}

TEST_F(EditingTest, EditGroupRenamesInPlaceAndAcceptsAnotherGroupsName)
{
    TwoGroupsAssigned();
    F().MGroups->SetItemIndex(0);
    F().BEditGroup->click();
    F().EFirstName->setText(QStringLiteral("b"));
    F().BOk->click();
    EXPECT_EQ((Strings { "B", "B" }), GroupEntries());
    EXPECT_EQ("B", F().CurrentGroup);
    EXPECT_EQ(0, Participant("ANNSMITH")->GroupNo);
    EXPECT_TRUE(messages.shown.empty());

    // An empty or "." name leaves the group as it was.
    for (const char* name : { "", "." }) {
        F().MGroups->SetItemIndex(1);
        F().BEditGroup->click();
        F().EFirstName->setText(QString::fromLatin1(name));
        F().BOk->click();
        EXPECT_EQ((Strings { "B", "B" }), GroupEntries());
    }
}

// ---- Deleting ---------------------------------------------------------------------------

TEST_F(EditingTest, DeleteParticipantRemovesTheSelectedRecord)
{
    TwoGroupsAssigned();
    AddParticipant(QStringLiteral("cat"), QStringLiteral("jones"));
    ClickLine(F().MGivers, Selected("2 BOB JONES"));
    F().BDelPart->click();
    EXPECT_EQ((Strings { "ANNSMITH", "CATJONES" }), ParticipantKeys());
    EXPECT_EQ(nullptr, F().CurrentParticipant);
    EXPECT_TRUE(NobodyAssigned());
    EXPECT_EQ((Strings { "1 ANN SMITH", "2 CAT JONES" }), Lines(F().MGivers));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EditingTest, DeleteParticipantFindsTheEntryByRecordNotByText)
{
    AddGroup(QStringLiteral("a"));
    AddParticipant(QStringLiteral("ann"), QString());
    AddParticipant(QStringLiteral("bob"), QString());
    // An entry whose text no longer matches its record is still the one deleted.
    F().Participants->SetString(1, "ANN");
    F().RefreshLists();
    F().MGivers->SetItemIndex(Selected("1 BOB "));
    F().BDelPart->click();
    ASSERT_EQ(1, F().Participants->Count());
    EXPECT_EQ("ANN", UserAt(*F().Participants, 0)->FirstName);
}

TEST_F(EditingTest, DeletedGroupsLeavePlaceholdersAndOnlyATrailingRunGoes)
{
    AddGroup(QStringLiteral("a"));
    AddGroup(QStringLiteral("b"));
    AddGroup(QStringLiteral("c"));
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
    AddGroup(QStringLiteral("a"));
    AddGroup(QStringLiteral("b"));
    AddGroup(QStringLiteral("c"));
    AddGroup(QStringLiteral("d"));
    for (int line : { 1, 2 }) {
        F().MGroups->SetItemIndex(line);
        F().BDelGroup->click();
    }
    ASSERT_EQ((Strings { "A", ".", ".", "D" }), GroupEntries());
    // The second "." clicked: the participant joins the first "." entry.
    ClickLine(F().MGroups, 2);
    AddParticipant(QStringLiteral("dot"), QString());
    EXPECT_EQ(1, Participant("DOT")->GroupNo);
    // And "Edit Group Name" on the second renames the first.
    F().MGroups->SetItemIndex(2);
    F().BEditGroup->click();
    F().EFirstName->setText(QStringLiteral("back"));
    F().BOk->click();
    EXPECT_EQ((Strings { "A", "BACK", ".", "D" }), GroupEntries());
}

} // namespace
