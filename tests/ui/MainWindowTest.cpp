// The main window as it starts, and the rebuild of its three lists.

#include "FormFixture.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMenuBar>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>

namespace {

QString AccessibleName(QObject* object)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QStringLiteral("<none>");
}

TEST_F(FormTest, StartsWithNoDocumentEmptyListsAndEveryCommandEnabled)
{
    EXPECT_EQ("CrisForm", F().objectName());
    EXPECT_EQ("Tinselwick", ShownTitle());
    EXPECT_TRUE(F().GroupNames == nullptr && F().Participants == nullptr && F().CurrentParticipant == nullptr);
    EXPECT_EQ(emNone, F().EditMode);
    EXPECT_EQ("", F().CurrentGroup + F().CurrentFileName);
    EXPECT_EQ(0, F().MGivers->Count() + F().MTakers->Count() + F().MGroups->Count());
    EXPECT_TRUE(F().PEdit->isHidden());
    EXPECT_TRUE(F().MNotes->isHidden());
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_TRUE(F().BEditNotes->isEnabled());
    EXPECT_TRUE(F().MGivers->Sorted());
    EXPECT_FALSE(F().MTakers->Sorted()); // aligned mode
    EXPECT_FALSE(F().MGroups->Sorted());
    EXPECT_FALSE(F().MTakers->isEnabled());
    EXPECT_TRUE(messages.shown.empty());
}

// The window's arrangement as its design gives it, stated once: the three lists side by
// side, each under its label; the command buttons in rows below them, column by column
// (nullptr: an empty cell).
const char* const kListColumns[][2]
    = { { "LUserList", "MGivers" }, { "LTakerList", "MTakers" }, { "LGroupList", "MGroups" } };
const char* const kButtonRows[][4] = {
    { "BNewPart", "BNewGroup", "BGo", "BPrint" },
    { "BEditPart", "BEditGroup", nullptr, "BOneLetter" },
    { "BDelPart", "BDelGroup", "BEditNotes", "BTest" },
};

class ArrangementTest : public FormTest {
protected:
    void ExpectDesignedArrangement();
};

// Larger and maximised as at the opening size: nothing cut, the lists take the room,
// the memo stays over them (all but the groups list's right edge), the panel inside.
TEST_F(ArrangementTest, ControlsKeepTheDesignedArrangementAsTheWindowGrowsAndTheListsTakeTheRoom)
{
    const QSize opening = F().centralWidget()->minimumSize(), list = F().MGivers->size();
    for (const QSize extra : { QSize(0, 0), QSize(300, 0), QSize(0, 200), QSize(1300, 700) }) {
        F().resize(F().size() - F().centralWidget()->size() + opening + extra);
        QApplication::processEvents();
        ExpectDesignedArrangement();
        EXPECT_EQ(list + QSize(extra.width() / 3, extra.height()), F().MGivers->size());
        for (QWidget* covered : F().CoveredByMemo())
            EXPECT_TRUE(F().MNotes->geometry().contains(covered->geometry()) || covered == F().MGroups);
        EXPECT_TRUE(F().MNotes->geometry().right() < std::min(F().MGroups->geometry().right(), F().BPrint->x()));
        EXPECT_TRUE(F().centralWidget()->rect().contains(F().PEdit->geometry()));
    }
    F().showMaximized();
    QApplication::processEvents();
    EXPECT_GT(F().MGroups->width(), list.width());
}

void ArrangementTest::ExpectDesignedArrangement()
{
    const auto box = [this](const char* name) {
        const QWidget* widget = F().findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget != nullptr ? widget->geometry() : QRect();
    };
    for (std::size_t c = 0; c < std::size(kListColumns); ++c) {
        const QRect label = box(kListColumns[c][0]), list = box(kListColumns[c][1]);
        EXPECT_TRUE(label.left() == list.left() && label.right() >= list.right()) << kListColumns[c][1];
        EXPECT_LT(label.bottom(), list.top()) << kListColumns[c][1];
        EXPECT_EQ(list.size(), box("MGivers").size()) << kListColumns[c][1];
        if (c > 0) {
            EXPECT_LT(box(kListColumns[c - 1][0]).right(), label.left()) << "labels stay clear of each other";
            EXPECT_LT(box(kListColumns[c - 1][1]).right(), list.left());
        }
    }
    const int slack = static_cast<int>(std::lround(3 * F().LayoutScale())); // a column may lean a little
    for (std::size_t r = 0; r < std::size(kButtonRows); ++r) {
        for (std::size_t c = 0; c < 4; ++c) {
            if (kButtonRows[r][c] == nullptr)
                continue;
            SCOPED_TRACE(kButtonRows[r][c]);
            const QRect button = box(kButtonRows[r][c]);
            EXPECT_EQ(button.top(), box(kButtonRows[r][0]).top());
            EXPECT_NEAR(button.left(), box(kButtonRows[0][c]).left(), slack);
            EXPECT_GT(button.top(), r > 0 ? box(kButtonRows[r - 1][0]).bottom() : box("MGivers").bottom());
            if (c > 0 && kButtonRows[r][c - 1] != nullptr) {
                EXPECT_GT(button.left(), box(kButtonRows[r][c - 1]).right());
            }
        }
    }
    for (QPushButton* button : F().findChildren<QPushButton*>()) {
        SCOPED_TRACE(button->objectName().toStdString());
        const QFontMetrics metrics(button->font());
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        EXPECT_LE(metrics.horizontalAdvance(button->text()) + 2 * margin, button->width());
        EXPECT_LE(metrics.height(), button->height());
    }
    // The lists show at least seven lines, so the fifth-line rule of the rebuild has room.
    const int lineHeight = F().MGivers->sizeHintForRow(0) > 0 ? F().MGivers->sizeHintForRow(0) : 13;
    EXPECT_GE(F().MGivers->viewport()->height() / lineHeight, 6);
}

TEST_F(FormTest, TabOrderFollowsTheDesignedSequence)
{
    // As the design lists it, with the edit panel's own order where the panel stands.
    const QStringList expected = { "BNewPart", "BDelPart", "BNewGroup", "BDelGroup", "BGo", "BTest", "BPrint",
        "EFirstName", "ELastName", "BOk", "BCancel", "BEditPart", "BEditGroup", "MGivers", "MTakers", "MGroups",
        "MNotes", "BEditNotes", "BOneLetter" };
    QStringList chain;
    QWidget* widget = F().BNewPart;
    do {
        if (expected.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != F().BNewPart && chain.size() < 40);
    EXPECT_EQ(expected, chain);
}

TEST_F(FormTest, MenusOfferFileToolsAndHelpWithTheirKeys)
{
    EXPECT_EQ("MainMenu1", F().menuBar()->objectName());
    EXPECT_EQ((QList<QAction*> { F().FileOnMenu->menuAction(), F().Tools1->menuAction(), F().Help1->menuAction() }),
        F().menuBar()->actions());
    EXPECT_EQ("File", F().FileOnMenu->title());
    EXPECT_EQ("Help", F().Help1->title());
    const std::vector<std::tuple<QAction*, const char*, const char*>> items
        = { { F().Retrieve1, "Retrieve", "Ctrl+O" }, { F().Save1, "Save", "Ctrl+S" },
              { F().SaveAs1, "Save As", "Ctrl+Shift+S" }, { F().Help2, "Help ", "F1" }, { F().About1, "About", "" } };
    for (const auto& [action, caption, keys] : items) {
        EXPECT_EQ(QString::fromLatin1(caption), action->text());
        EXPECT_EQ(QKeySequence(QString::fromLatin1(keys)), action->shortcut());
    }
    EXPECT_EQ((QList<QAction*> { F().Retrieve1, F().Save1, F().SaveAs1 }), F().FileOnMenu->actions());
    EXPECT_EQ((QList<QAction*> { F().Help2, F().About1 }), F().Help1->actions());
    // The Tools menu and each of its items have a mnemonic of their own.
    const std::vector<QAction*> tools = F().ToolItems();
    QString mnemonics = F().Tools1->title().section('&', 1).left(1);
    for (QAction* item : tools)
        mnemonics += item->text().section('&', 1).left(1).toUpper();
    EXPECT_EQ("TIERLM", mnemonics);
    EXPECT_EQ(F().Tools1->actions(), QList<QAction*>(tools.begin(), tools.end()));
    // In the client area's face, as the message boxes over the window are.
    for (const QWidget* menu :
        std::initializer_list<const QWidget*> { F().menuBar(), F().FileOnMenu, F().Tools1, F().Help1 })
        EXPECT_EQ(F().centralWidget()->font().family(), menu->font().family());

    // File and Help have no mnemonics; F10 reaches the menus from the keyboard.
    F().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    F().BGo->setFocus();
    QTest::keyClick(&F(), Qt::Key_F10);
    EXPECT_EQ(F().FileOnMenu->menuAction(), F().menuBar()->activeAction());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape); // the menu closes,
    QTest::keyClick(F().menuBar(), Qt::Key_Escape); // then the bar: the user goes on from there
    EXPECT_EQ(F().BGo, F().focusWidget());
}

TEST_F(FormTest, EveryControlHasAnAccessibleName)
{
    for (QPushButton* button : F().findChildren<QPushButton*>())
        EXPECT_EQ(button->text(), AccessibleName(button)) << button->objectName().toStdString();
    EXPECT_EQ("List of Participants", AccessibleName(F().MGivers));
    EXPECT_EQ("Assigned to Participants", AccessibleName(F().MTakers));
    EXPECT_EQ("List of Groups", AccessibleName(F().MGroups));
    EXPECT_EQ("Letter template", AccessibleName(F().MNotes));

    // The fields are named by the label above them, which follows the panel's mode.
    F().BNewGroup->click();
    EXPECT_EQ("New Group Name", AccessibleName(F().EFirstName));
    F().BOk->click();
    AddGroup(QStringLiteral("red"));
    F().BNewPart->click();
    EXPECT_EQ("First Name", AccessibleName(F().EFirstName));
    EXPECT_EQ("Last Name", AccessibleName(F().ELastName));
}

TEST_F(FormTest, DisabledTakersListKeepsItsTextReadable)
{
    const auto luminance = [this](QPalette::ColorRole role) { // as the accessibility guidelines define it
        const QColor c = F().MTakers->palette().color(QPalette::Disabled, role);
        const auto linear = [](float v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF()) + 0.05;
    };
    const auto contrast
        = [&](auto a, auto b) { return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b)); };
    EXPECT_GE(contrast(QPalette::Text, QPalette::Base), 4.5);
    EXPECT_GE(contrast(QPalette::HighlightedText, QPalette::Highlight), 4.5);
}

/// What a user can read of a list line: the line, or its tooltip when the line is cut.
std::string ReadableText(TListBox* list, int line)
{
    const QModelIndex index = list->model()->index(line, 0);
    const QPoint at = list->visualRect(index).center();
    QHelpEvent tip(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &tip);
    return (list->LineFits(line) ? index.data().toString() : QToolTip::text()).toStdString();
}

TEST_F(FormTest, LongNamesShowWholeInATooltipOrInAWiderWindow)
{
    for (int g = 1; g <= 11; ++g)
        AddGroup(QStringLiteral("G%1").arg(g));
    const std::string group = "HOUSEHOLDOFTHEGREATAUNTSANDUNCLESFROMTHEFARNORTHERNISLANDSXY"; // 60 characters
    AddGroup(QString::fromStdString(group));
    AddParticipant(QStringLiteral("MAXIMILIANALEXANDERBARTHOLOMEW"), QStringLiteral("WOLFESCHLEGELSTEINHAUSENBERGER"));
    EXPECT_FALSE(F().MGivers->LineFits(0)); // cut at the opening size, whole in the tooltip
    EXPECT_EQ("12 MAXIMILIANALEXANDERBARTHOLOMEW WOLFESCHLEGELSTEINHAUSENBERGER", ReadableText(F().MGivers, 0));
    EXPECT_EQ(group, ReadableText(F().MGroups, 11));
    // The panel's group label stays inside the panel, the name whole in its tooltip.
    F().BNewPart->click();
    EXPECT_TRUE(F().PEdit->rect().contains(F().LCurGroup->geometry()));
    EXPECT_EQ("Add to " + group, F().LCurGroup->toolTip().toStdString());
    F().resize(1920, 1080); // a window wide enough shows the line whole
    QApplication::processEvents();
    EXPECT_TRUE(F().MGivers->LineFits(0));
}

TEST_F(FormTest, TakersListKeepsBesideTheParticipantsWhereverTheyAreScrolled)
{
    enum TWay { ScrollBar, Wheel, EndKey };
    for (const int inA : { 8, 1 }) { // 8 of 16 in A: the draw succeeds (sorted); 1: it fails (aligned)
        for (const TWay way : { ScrollBar, Wheel, EndKey }) {
            NewForm();
            Register({ { "A", inA }, { "B", 16 - inA } });
            F().BGo->click();
            ASSERT_EQ(inA == 8, F().TakersSorted());
            F().MGivers->SetTopIndex(0);
            const QPointF at(10, 10);
            QWheelEvent wheel(at, F().MGivers->viewport()->mapToGlobal(at), {}, { 0, -120 }, {}, {}, {}, false);
            if (way == ScrollBar)
                F().MGivers->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
            else if (way == Wheel)
                QApplication::sendEvent(F().MGivers->viewport(), &wheel);
            else
                QTest::keyClick(F().MGivers, Qt::Key_End);
            EXPECT_GT(F().MGivers->TopIndex(), 0) << inA << way;
            EXPECT_EQ(F().MGivers->TopIndex(), F().MTakers->TopIndex()) << inA << way;
        }
    }
}

TEST_F(FormTest, KeysInAListSelectTheLineTheyReachAndTheFocusStaysInTheList)
{
    F().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    Register({ { "A", 3 }, { "B", 2 } }); // after an addition the focus waits on "Add Participant"
    for (int i = 0; i < 20 && F().focusWidget() != F().MGivers; ++i)
        QTest::keyClick(F().focusWidget(), Qt::Key_Tab);
    const std::pair<Qt::Key, int> steps[]
        = { { Qt::Key_Home, 0 }, { Qt::Key_Down, 1 }, { Qt::Key_End, 4 }, { Qt::Key_Up, 3 }, { Qt::Key_PageUp, 0 } };
    for (const auto& [key, line] : steps) {
        QTest::keyClick(F().focusWidget(), key);
        EXPECT_TRUE(F().focusWidget() == F().MGivers && F().MGivers->ItemIndex() == line
            && F().MGivers->Object(line) == F().CurrentParticipant)
            << key;
    }
    QTest::keyClick(F().MGivers, Qt::Key_Tab); // on to the groups: Tab alone chooses none
    EXPECT_TRUE(F().focusWidget() == F().MGroups && F().MGroups->ItemIndex() == -1);
    QTest::keyClick(F().MGroups, Qt::Key_Home); // the first line, current already, is chosen
    EXPECT_EQ("A", F().CurrentGroup);
    F().BGo->click(); // any other rebuild puts the focus where the next addition starts
    EXPECT_EQ(F().BNewPart, F().focusWidget());
}

// ---- RefreshLists -----------------------------------------------------------------

TEST_F(FormTest, ParticipantsAreListedByDisplayTextSoGroupTenComesBeforeTwo)
{
    AddGroup(QStringLiteral("none"));
    AddParticipant(QStringLiteral("ann"), QStringLiteral("smith"));
    Participant("ANNSMITH")->GroupNo = -1;
    F().RefreshLists();
    EXPECT_EQ((Strings { "ANN SMITH" }), Lines(F().MGivers)); // a record without group has no number
    NewForm();

    for (int g = 1; g <= 12; ++g) {
        AddGroup(QStringLiteral("G%1").arg(g));
        AddParticipant(QStringLiteral("P%1").arg(g), QStringLiteral("X"));
    }
    AddParticipant(QStringLiteral("anna"), QStringLiteral("x")); // group 12 again
    EXPECT_EQ((Strings { "1 P1 X", "10 P10 X", "11 P11 X", "12 ANNA X", "12 P12 X", "2 P2 X", "3 P3 X", "4 P4 X",
                  "5 P5 X", "6 P6 X", "7 P7 X", "8 P8 X", "9 P9 X" }),
        Lines(F().MGivers));
    // Each line carries its record.
    for (int i = 0; i < F().MGivers->Count(); ++i)
        EXPECT_EQ(F().MGivers->Line(i), dynamic_cast<TCCUser*>(F().MGivers->Object(i))->DisplayName());
    EXPECT_EQ(12, F().MGroups->Count());
    EXPECT_EQ("G12", F().MGroups->Line(11));
}

TEST_F(FormTest, TakersAreListedOnlyWhenTheFirstListedParticipantHasOne)
{
    AddGroup(QStringLiteral("A"));
    AddParticipant(QStringLiteral("ann"), QStringLiteral("a"));
    AddGroup(QStringLiteral("B"));
    AddParticipant(QStringLiteral("bob"), QStringLiteral("b"));
    AddParticipant(QStringLiteral("cat"), QStringLiteral("b"));

    Link("BOBB", "ANNA"); // not the first line ("1 ANN A")
    F().RefreshLists();
    EXPECT_EQ(0, F().MTakers->Count());

    Link("ANNA", "CATB");
    F().RefreshLists();
    EXPECT_EQ((Strings { "2 CAT B", "1 ANN A", kNotAssignedLine }), Lines(F().MTakers));
    EXPECT_EQ(Participant("CATB"), F().MTakers->Object(0));
    EXPECT_EQ(nullptr, F().MTakers->Object(2));
    // Aligned mode: the first unassigned line and its participant are selected.
    EXPECT_EQ(2, F().MTakers->ItemIndex());
    EXPECT_EQ(2, F().MGivers->ItemIndex());
    EXPECT_EQ("2 CAT B", F().MGivers->Line(2));
}

TEST_F(FormTest, AlignedModeWithoutUnassignedLineKeepsTheClickedParticipantSelected)
{
    Register({ { "A", 3 } });
    ClickLine(F().MGivers, 1);
    EXPECT_EQ(Participant("A1X"), F().CurrentParticipant);
    EXPECT_EQ(1, F().MGivers->ItemIndex());
    // So Edit works on the participant the user clicked.
    F().BEditPart->click();
    EXPECT_EQ("A1", F().EFirstName->text());
}

TEST_F(FormTest, SortedModeShowsTheCurrentParticipantAsFifthLineAndAlignsTheTakers)
{
    Register({ { "A", 6 }, { "B", 6 } });
    F().BGo->click();
    ASSERT_TRUE(messages.shown.empty());
    ASSERT_TRUE(F().MTakers->Sorted());
    ASSERT_EQ(12, F().MTakers->Count());

    ClickLine(F().MGivers, 6);
    EXPECT_EQ(6, F().MGivers->ItemIndex());
    EXPECT_EQ(2, F().MGivers->TopIndex());
    EXPECT_EQ(2, F().MTakers->TopIndex());
    EXPECT_EQ(-1, F().MTakers->ItemIndex());

    ClickLine(F().MGivers, 3); // index 3 or less: no scrolling
    EXPECT_EQ(3, F().MGivers->ItemIndex());
    EXPECT_EQ(0, F().MGivers->TopIndex());
    EXPECT_EQ(0, F().MTakers->TopIndex());
}

TEST_F(FormTest, ClearDocumentForgetsTheRegisterButKeepsTheCurrentGroup)
{
    AddGroup(QStringLiteral("A"));
    AddParticipant(QStringLiteral("ann"), QStringLiteral("a"));
    F().CurrentFileName = "/tmp/x.kks";
    F().SetTakersSorted(true);
    F().ClearDocument();
    EXPECT_TRUE(F().GroupNames == nullptr && F().Participants == nullptr && F().CurrentParticipant == nullptr);
    EXPECT_EQ("A", F().CurrentGroup);
    EXPECT_EQ("/tmp/x.kks", F().CurrentFileName);
    EXPECT_TRUE(F().TakersSorted());
    EXPECT_EQ(0, F().MGivers->Count() + F().MGroups->Count());
}

TEST_F(FormTest, RaisedErrorIsShownWithFullStopAndTheProgramGoesOn)
{
    F().RunGuarded([] { throw std::runtime_error("Something went wrong"); });
    F().RunGuarded([] { throw 42; });
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ(Raised("Something went wrong."), messages.shown[0]);
    EXPECT_EQ(TShownMessage::ApplicationError, messages.shown[1].kind); // whatever was thrown
    // The window still works afterwards.
    AddGroup(QStringLiteral("A"));
    EXPECT_EQ((Strings { "A" }), GroupEntries());
}

} // namespace
