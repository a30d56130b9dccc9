// The list box the main window is built on: sorting without regard to case,
// attached objects, selection, top line, and which changes count as clicks.

#include "ui/ListBox.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TTag : public TObject { };

std::vector<std::string> Texts(const TListBox& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.Count(); ++i)
        texts.push_back(list.Line(i));
    return texts;
}

std::vector<TListLine> Plain(std::initializer_list<const char*> texts)
{
    std::vector<TListLine> lines;
    for (const char* text : texts)
        lines.push_back({ text, nullptr });
    return lines;
}

class ListBoxTest : public ::testing::Test {
protected:
    TListBox list;
    void SetUp() override
    {
        list.resize(121, 97);
        list.SetItemHeight(13);
        list.show();
        QApplication::processEvents();
    }
};

TEST_F(ListBoxTest, SortedBoxOrdersByTextIgnoringCaseStablyWithTheObjects)
{
    using Texts_ = std::vector<std::string>;
    list.SetLines(Plain({ "b", "C", "a" })); // unsorted: as given
    EXPECT_EQ((Texts_ { "b", "C", "a" }), Texts(list));
    list.SetSorted(true); // sorts what is there
    EXPECT_EQ((Texts_ { "a", "b", "C" }), Texts(list));
    // Numbers sort as text, so group 10 comes before group 2.
    list.SetLines(Plain({ "2 bob", "10 ann", "1 Zed", "1 adam", "12 x", "\xe9mile", "Eve" }));
    EXPECT_EQ((Texts_ { "1 adam", "1 Zed", "10 ann", "12 x", "2 bob", "Eve", "\xe9mile" }), Texts(list));

    TTag first, second, third;
    list.SetLines({ { "1 ANN ", &first }, { "0", nullptr }, { "1 ann ", &second }, { "1 ANN ", &third } });
    EXPECT_EQ((std::vector<TObject*> { nullptr, &first, &second, &third }),
        (std::vector<TObject*> { list.Object(0), list.Object(1), list.Object(2), list.Object(3) }));
    EXPECT_EQ(2, list.IndexOfObject(&second));

    list.SetSorted(false);
    list.SetLines(Plain({ "b", "a" }));
    EXPECT_EQ((Texts_ { "b", "a" }), Texts(list));
}

TEST_F(ListBoxTest, SelectionAndTopLineFollowTheProgram)
{
    std::vector<TListLine> lines;
    for (int i = 0; i < 30; ++i)
        lines.push_back({ "line " + std::to_string(100 + i), nullptr });
    list.SetLines(lines);
    EXPECT_EQ(-1, list.ItemIndex());
    EXPECT_EQ(0, list.TopIndex());

    list.SetItemIndex(3);
    EXPECT_EQ(3, list.ItemIndex());
    list.SetTopIndex(10);
    EXPECT_EQ(10, list.TopIndex());
    list.SetItemIndex(-1);
    EXPECT_EQ(-1, list.ItemIndex());
    list.SetItemIndex(30); // out of range: nothing selected
    EXPECT_EQ(-1, list.ItemIndex());

    // A selection far down is scrolled into view.
    list.SetTopIndex(0);
    list.SetItemIndex(25);
    EXPECT_GT(list.TopIndex(), 15);

    // A rebuild starts at the top with nothing selected.
    list.SetLines(lines);
    EXPECT_EQ(-1, list.ItemIndex());
    EXPECT_EQ(0, list.TopIndex());
}

TEST_F(ListBoxTest, KeyboardAndMouseChoicesAreClicksProgramChangesAreNot)
{
    list.SetLines(Plain({ "a", "b", "c" }));
    QSignalSpy clicks(&list, &TListBox::Click);
    list.SetItemIndex(0);
    EXPECT_EQ(0, clicks.count());

    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(1, clicks.count());
    EXPECT_EQ(1, list.ItemIndex());

    const QRect third = list.visualRect(list.model()->index(2, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(2, clicks.count());
    EXPECT_EQ(2, list.ItemIndex());
}

TEST_F(ListBoxTest, DoubleClickCountsEvenWhenTheFirstClickRebuiltTheLines)
{
    list.SetLines(Plain({ "a", "b", "c" }));
    QSignalSpy doubleClicks(&list, &TListBox::DoubleClick);
    // The main window rebuilds its lists on a click; the second click must still count.
    QObject::connect(&list, &TListBox::Click, &list, [this] {
        const int selected = list.ItemIndex();
        list.SetLines(Plain({ "a", "b", "c" }));
        list.SetItemIndex(selected);
    });
    const QPoint second = list.visualRect(list.model()->index(1, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(1, doubleClicks.count());
    EXPECT_EQ(1, list.ItemIndex());
}

} // namespace
