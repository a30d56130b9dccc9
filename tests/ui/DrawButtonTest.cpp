// "Do Assignment ": the draw from the window, and the two display modes of the
// takers list it leaves behind.

#include "FormFixture.h"

#include "draw/Draw.h"

#include <algorithm>
#include <set>

namespace {

using DrawButtonTest = FormTest;

TEST_F(DrawButtonTest, SuccessListsEveryTakerOnceInTextOrder)
{
    Register({ { "a", 3 }, { "b", 3 }, { "c", 2 } });
    F().BGo->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(F().TakersSorted());

    std::set<const TCCUser*> takers;
    for (int i = 0; i < F().Participants->Count(); ++i) {
        const TCCUser* giver = UserAt(*F().Participants, i);
        ASSERT_NE(nullptr, giver->Taker);
        EXPECT_NE(giver->GroupNo, giver->Taker->GroupNo);
        takers.insert(giver->Taker);
    }
    EXPECT_EQ(8u, takers.size());

    Strings expected = Lines(F().MGivers); // every participant's display line, sorted
    EXPECT_EQ(expected, Lines(F().MTakers));
    EXPECT_TRUE(CommandsEnabled());
}

TEST_F(DrawButtonTest, FailureShowsTheRebuiltAlignedListsBehindTheMessage)
{
    Register({ { "a", 1 }, { "b", 3 } });
    // Stale lines on screen: the message must come after the rebuild.
    F().MGivers->Clear();
    Strings giversWhileShown;
    Strings takersWhileShown;
    messages.whileShown = [&](const TShownMessage&) {
        giversWhileShown = Lines(F().MGivers);
        takersWhileShown = Lines(F().MTakers);
    };
    F().BGo->click();

    const std::string failure = std::string(kDrawFailedMessage) + ".";
    ASSERT_EQ((std::vector<TShownMessage> { Raised(failure.c_str()) }), messages.shown);
    EXPECT_FALSE(F().TakersSorted());
    EXPECT_EQ((Strings { "1 A0 X", "2 B0 X", "2 B1 X", "2 B2 X" }), giversWhileShown);

    // The lone member of A gives to someone in B, and one member of B gives to him:
    // line by line, with the two members of B left over marked.
    const TCCUser* a0 = Participant("A0X");
    ASSERT_NE(nullptr, a0->Taker);
    ASSERT_EQ(4u, takersWhileShown.size());
    EXPECT_EQ(a0->Taker->DisplayName(), takersWhileShown[0]);
    EXPECT_EQ(2, std::count(takersWhileShown.begin(), takersWhileShown.end(), kNotAssignedLine));
    EXPECT_EQ(1, std::count(takersWhileShown.begin(), takersWhileShown.end(), "1 A0 X"));

    // The first unassigned line and its participant are selected.
    const int firstUnassigned = static_cast<int>(
        std::find(takersWhileShown.begin(), takersWhileShown.end(), kNotAssignedLine) - takersWhileShown.begin());
    EXPECT_EQ(firstUnassigned, F().MTakers->ItemIndex());
    EXPECT_EQ(firstUnassigned, F().MGivers->ItemIndex());
    EXPECT_TRUE(CommandsEnabled());
}

TEST_F(DrawButtonTest, AfterAFailedDrawEditAndDeleteActOnTheParticipantClicked)
{
    Register({ { "c", 3 }, { "big", 7 }, { "d", 2 } });
    F().BGo->click(); // seven of twelve in one group: the draw fails
    const int firstUnassigned = F().MGivers->ItemIndex();
    const auto clickLine = [this](int line) { // "2 BIG5 X" is line 8
        const QModelIndex index = F().MGivers->model()->index(line, 0);
        F().MGivers->scrollTo(index);
        QTest::mouseClick(F().MGivers->viewport(), Qt::LeftButton, {}, F().MGivers->visualRect(index).center());
    };
    clickLine(8);
    ASSERT_NE(8, firstUnassigned);
    QTest::keyClick(F().MGivers, Qt::Key_Down);
    F().BEditPart->click();
    EXPECT_EQ("BIG6", F().EFirstName->text());
    F().BCancel->click(); // any other command points at the first unassigned line again
    EXPECT_EQ(firstUnassigned, F().MGivers->ItemIndex());
    clickLine(8);
    F().BDelPart->click();
    EXPECT_EQ(nullptr, Participant("BIG5X"));
}

TEST_F(DrawButtonTest, FailedThenSuccessfulDrawIsSortedAgain)
{
    Register({ { "a", 1 }, { "b", 3 } });
    F().BGo->click();
    ASSERT_FALSE(F().TakersSorted());
    messages.Take();

    AddGroup(QStringLiteral("c"));
    AddParticipant(QStringLiteral("c0"), QStringLiteral("x"));
    AddParticipant(QStringLiteral("c1"), QStringLiteral("x"));
    EXPECT_EQ(0, F().MTakers->Count()); // the edit removed the partial draw
    F().BGo->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(F().TakersSorted());
    EXPECT_EQ(Lines(F().MGivers), Lines(F().MTakers));
}

TEST_F(DrawButtonTest, FewerThanTwoParticipantsDrawNothingAndSayNothing)
{
    F().BGo->click(); // no list at all
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(F().TakersSorted());

    Register({ { "a", 1 } });
    F().BGo->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(nullptr, Participant("A0X")->Taker);
    EXPECT_EQ(0, F().MTakers->Count());
}

TEST_F(DrawButtonTest, ANewDrawDiscardsThePreviousOne)
{
    Register({ { "a", 2 }, { "b", 2 } });
    // A link that breaks the group rule cannot survive a new draw.
    Link("A0X", "A1X");
    F().BGo->click();
    EXPECT_TRUE(messages.shown.empty());
    for (int i = 0; i < F().Participants->Count(); ++i) {
        const TCCUser* giver = UserAt(*F().Participants, i);
        EXPECT_NE(giver->GroupNo, giver->Taker->GroupNo);
        EXPECT_EQ(giver, giver->Taker->Giver);
    }
}

} // namespace
