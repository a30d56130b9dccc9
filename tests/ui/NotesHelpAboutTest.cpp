// The template memo ("Edit Notes"), the help command and window, and the About box.

#include "FormFixture.h"

#include "platform/gui/QtHelpViewer.h"
#include "print/DefaultTemplate.h"
#include "ui/CCAbout.h"

#include <QAccessible>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <set>

namespace {

// ---- The template memo --------------------------------------------------------------

TEST_F(FormTest, EditNotesShowsTheMemoAndDisablesTheCommandsUntilEndEdit)
{
    F().BEditNotes->setFocus();
    F().BEditNotes->click();
    EXPECT_FALSE(F().MNotes->isHidden());
    EXPECT_EQ("End Edit", F().BEditNotes->text());
    EXPECT_TRUE(CommandsAre(false));
    EXPECT_TRUE(F().BEditNotes->isEnabled());
    EXPECT_TRUE(F().MGroups->isEnabled());
    for (QAction* action : { F().Retrieve1, F().Save1, F().SaveAs1, F().Help2, F().About1 })
        EXPECT_TRUE(action->isEnabled());
    EXPECT_NE(F().MNotes, F().focusWidget()); // showing the memo does not move the focus into it

    F().BEditNotes->click();
    EXPECT_TRUE(F().MNotes->isHidden());
    EXPECT_EQ("Edit Notes", F().BEditNotes->text());
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_EQ(DefaultTemplateLines(), F().TemplateLines());
}

TEST_F(FormTest, NothingUnderTheShownMemoTakesTheFocusOrAClickEvenWhenEnabled)
{
    Register({ { "a", 2 }, { "b", 2 } });
    F().BNewGroup->click(); // the open edit panel keeps the commands disabled through Edit Notes twice
    F().BEditNotes->click();
    F().BEditNotes->click();
    EXPECT_TRUE(CommandsAre(false));
    F().BCancel->click();
    F().MGivers->setFocus();
    F().BEditNotes->click();
    F().RefreshLists(); // as Retrieve does: the commands come back while the memo stays
    // A click on the groups list's edge beside the memo, then Tab round the window.
    const QPoint edge = F().MGroups->mapTo(form.get(), QPoint(F().MGroups->width() - 10, 8));
    QTest::mouseClick(F().windowHandle(), Qt::LeftButton, {}, edge);
    std::set<QWidget*> reached;
    for (int i = 0; i < 30; ++i, QTest::keyClick(F().focusWidget(), Qt::Key_Tab))
        reached.insert(F().focusWidget());
    for (QWidget* covered : F().CoveredByMemo())
        EXPECT_EQ(0u, reached.count(covered)) << covered->objectName().toStdString();
    EXPECT_EQ(-1, F().MGroups->ItemIndex());
}

TEST_F(FormTest, MemoCoversTheListsButNotItsButtonOrThePrintButtons)
{
    const QRect memo = F().MNotes->geometry();
    for (QWidget* covered : std::vector<QWidget*> { F().MGivers, F().MTakers, F().BNewPart, F().BEditPart, F().BDelPart,
             F().BNewGroup, F().BEditGroup, F().BDelGroup, F().BGo })
        EXPECT_TRUE(memo.contains(covered->geometry())) << covered->objectName().toStdString();
    // The list labels lie under the memo and go with it.
    for (QLabel* label : { F().LUserList, F().LTakerList, F().LGroupList }) {
        EXPECT_TRUE(memo.contains(label->geometry().topLeft())) << label->objectName().toStdString();
        F().BEditNotes->click();
        EXPECT_TRUE(label->isHidden());
        F().BEditNotes->click();
        EXPECT_FALSE(label->isHidden());
    }
    EXPECT_TRUE(memo.contains(F().BEditNotes->geometry()));
    // The button lies above the memo; the print buttons beside it.
    const QObjectList& stack = F().centralWidget()->children();
    EXPECT_GT(stack.indexOf(F().BEditNotes), stack.indexOf(F().MNotes));
    for (QWidget* beside : { F().BPrint, F().BOneLetter, F().BTest })
        EXPECT_FALSE(memo.intersects(beside->geometry()));
    EXPECT_GT(F().MGroups->geometry().right(), memo.right());
}

TEST_F(FormTest, TemplateLinesAreTheLinesAsDisplayedLongOnesWrapped)
{
    const std::string longLine = "You are requested to purchase and wrap a suitable present for [G] and bring it "
                                 "along to the office party on the last Friday before the holidays, wrapped.";
    for (const std::string& text : { longLine, std::string(400, 'W') }) { // a word wider than the memo wraps inside
        SCOPED_TRACE(text.substr(0, 5));
        F().SetTemplateLines({ "Dear [M]", text, "", "Bye " });
        const Strings lines = F().TemplateLines();
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ("Dear [M]", lines.front());
        EXPECT_EQ("Bye ", lines.back());
        EXPECT_EQ("", lines[lines.size() - 2]); // an empty line in the middle counts
        // Several lines, broken after a blank where there is one, together the same text.
        std::string joined;
        for (auto part = lines.begin() + 1; part != lines.end() - 2; ++part) {
            joined += *part;
            if (part != lines.end() - 3 && text.find(' ') != std::string::npos) {
                EXPECT_EQ(' ', part->back()) << *part;
            }
        }
        EXPECT_EQ(text, joined);
    }
}

TEST_F(FormTest, AFinalEmptyLineDoesNotCount)
{
    const std::pair<const char*, Strings> cases[]
        = { { "one\ntwo\n", { "one", "two" } }, { "one\n\n", { "one", "" } }, { "", {} } };
    for (const auto& [text, lines] : cases) {
        F().MNotes->setPlainText(QString::fromLatin1(text));
        EXPECT_EQ(lines, F().TemplateLines()) << text;
    }
    F().SetTemplateLines({});
    EXPECT_TRUE(F().TemplateLines().empty());
    F().SetTemplateLines({ "caf\xe9 \x80" });
    EXPECT_EQ((Strings { "caf\xe9 \x80" }), F().TemplateLines());
}

TEST_F(FormTest, MemoRefusesCharactersADocumentCannotStore)
{
    F().MNotes->clear();
    Type(F().MNotes, QStringLiteral(u"Za\u0142\u00f3\u017e")); // the l with stroke is refused
    QTest::keyClick(F().MNotes, Qt::Key_Return, Qt::ShiftModifier); // a plain line break
    Type(F().MNotes, QStringLiteral(u"\u20ac5"));
    EXPECT_EQ((Strings { "Za\xf3\x9e",
                  "\x80"
                  "5" }),
        F().TemplateLines());

    QApplication::clipboard()->setText(QStringLiteral(u"paste \u2603 me"));
    F().MNotes->paste();
    QApplication::clipboard()->setText(QStringLiteral(u" ok\u00e9"));
    F().MNotes->paste();
    EXPECT_EQ((Strings { "Za\xf3\x9e",
                  "\x80"
                  "5 ok\xe9" }),
        F().TemplateLines());
}

TEST_F(FormTest, NameFieldsRefuseCharactersADocumentCannotStore)
{
    F().EFirstName->clear();
    Type(F().EFirstName, QStringLiteral(u"Jo\u0142\u00eb"));
    EXPECT_EQ(QStringLiteral(u"Jo\u00eb"), F().EFirstName->text());
    QApplication::clipboard()->setText(QStringLiteral(u"\u0141ukasz"));
    F().EFirstName->paste();
    EXPECT_EQ(QStringLiteral(u"Jo\u00eb"), F().EFirstName->text());
    QApplication::clipboard()->setText(QStringLiteral(u"l\u00e9a"));
    F().ELastName->clear();
    F().ELastName->paste();
    EXPECT_EQ(QStringLiteral(u"l\u00e9a"), F().ELastName->text());
}

TEST_F(FormTest, TypedAccentedNamesAreCapitalisedInTheDocumentEncodingAndMeetTheirOldSpelling)
{
    AddGroup(QStringLiteral(u"s\u00fcd"));
    AddParticipant(QStringLiteral(u"jos\u00e9"), QStringLiteral(u"m\u00fcller"));
    EXPECT_EQ((Strings { "S\xdc"
                         "D" }),
        GroupEntries());
    EXPECT_EQ((Strings { "JOS\xc9M\xdcLLER" }), ParticipantKeys());
    EXPECT_EQ(QStringLiteral(u"1 JOS\u00c9 M\u00dcLLER"), F().MGivers->model()->index(0, 0).data().toString());

    // A document written before kept the small letters: the same person all the same.
    auto* zoe = new TCCUser(F().Participants.get(), &F());
    zoe->SetNames("ZO\xeb", "\xf8STERG\xe5RD");
    F().Participants->Add(zoe->FullName(), zoe);
    AddParticipant(QStringLiteral(u"zo\u00eb"), QStringLiteral(u"\u00f8sterg\u00e5rd"));
    EXPECT_EQ((Messages { ErrorBox("Participant ZO\xcb\xd8STERG\xc5RD already exists") }), messages.Take());
}

// ---- Help -----------------------------------------------------------------------------

TEST_F(FormTest, HelpShowsTopicOneOfTheHelpFileBesideTheProgramElseInTheInstalledDataFolder)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QStringList expected { programFolder.filePath(QStringLiteral("Holvik.hlp")),
        QDir::cleanPath(programFolder.filePath(QStringLiteral("../share/tinselwick/Holvik.hlp"))) };
    F().Help2->trigger();
    ASSERT_EQ(1u, help.shown.size());
    EXPECT_EQ(expected, help.shown[0].first);
    EXPECT_EQ(1, help.shown[0].second);

    F().FormActivate(&F());
    EXPECT_EQ(expected, F().HelpFiles());
    F().activateWindow();
    QTest::keyClick(&F(), Qt::Key_F1);
    ASSERT_EQ(2u, help.shown.size());
    EXPECT_EQ(std::make_pair(expected, 1), help.shown[1]);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(HelpWindow, ShowsTheFirstReadableFileAtTopicOne)
{
    THelpWindow window;
    const QString shipped = QStringLiteral(TINSELWICK_HELP_FILE);
    window.ShowTopic({ QStringLiteral("/nonexistent/Holvik.hlp"), QFileInfo(shipped).absolutePath(), shipped }, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(QFileInfo(shipped).absoluteFilePath(), window.LoadedFile());
    const QTextDocument* document = window.Browser()->document();
    EXPECT_TRUE(document->toPlainText().contains(QStringLiteral("Kris Kringle")));
    // Every topic the contents links to has its anchor.
    for (int topic = 1; topic <= 8; ++topic) {
        bool found = false;
        for (QTextBlock block = document->begin(); block.isValid() && !found; block = block.next())
            for (auto it = block.begin(); !it.atEnd() && !found; ++it)
                found = it.fragment().charFormat().anchorNames().contains(HelpTopicAnchor(topic));
        EXPECT_TRUE(found) << "topic " << topic;
    }
    // A screen reader meets a document named by the title; Escape closes the window.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&window);
    EXPECT_EQ(QAccessible::Document, accessible->role());
    EXPECT_EQ("Tinselwick Help", accessible->text(QAccessible::Name));
    QTest::keyClick(window.Browser(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST(HelpWindow, ReportsAMissingFileInItsOwnWindowWithEveryPlaceItLooked)
{
    TQtHelpViewer viewer;
    const QString missing = QStringLiteral("/nonexistent/folder/Holvik.hlp");
    const QString missingToo = QStringLiteral("/nonexistent/share/tinselwick/Holvik.hlp");
    viewer.ShowTopic({ missing, missingToo }, 1);
    ASSERT_NE(nullptr, viewer.Window());
    EXPECT_TRUE(viewer.Window()->isVisible());
    EXPECT_TRUE(viewer.Window()->LoadedFile().isEmpty());
    const QString text = viewer.Window()->Browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Help is not available")));
    EXPECT_TRUE(text.contains(missing));
    EXPECT_TRUE(text.contains(missingToo));
    // Closing it does not end the program.
    EXPECT_FALSE(viewer.Window()->testAttribute(Qt::WA_QuitOnClose));
}

// ---- About ------------------------------------------------------------------------------

TEST_F(FormTest, AboutBoxIsShownWithoutBlockingAndHiddenByOk)
{
    TAboutCC about;
    F().SetAboutBox(&about);
    EXPECT_TRUE(about.isHidden());
    EXPECT_EQ("About Tinselwick", about.windowTitle());
    EXPECT_EQ(QSize(342, 266), about.size());
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_EQ("Tinselwick", about.ProductName->text());
    EXPECT_EQ("OK", about.OKButton->text());
    EXPECT_TRUE(about.OKButton->icon().isNull()); // the caption alone
    EXPECT_TRUE(about.OKButton->isDefault());
    EXPECT_FALSE(about.windowIcon().isNull());

    F().About1->trigger();
    EXPECT_TRUE(about.isVisible());
    EXPECT_FALSE(about.isModal());
    EXPECT_EQ(about.OKButton, about.focusWidget());
    F().About1->trigger(); // only brought to the front again
    EXPECT_TRUE(about.isVisible());
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(1, std::count_if(windows.begin(), windows.end(), [](QWidget* w) {
        return qobject_cast<TAboutCC*>(w) != nullptr && w->isVisible();
    }));
    // The main window stays usable meanwhile.
    AddGroup(QStringLiteral("a"));
    EXPECT_EQ((Strings { "A" }), GroupEntries());

    about.OKButton->click();
    EXPECT_TRUE(about.isHidden());
    F().About1->trigger();
    about.close(); // the frame's close button hides it too
    EXPECT_TRUE(about.isHidden());
    F().About1->trigger();
    QTest::keyClick(about.OKButton, Qt::Key_Escape); // and Escape
    EXPECT_TRUE(about.isHidden());
    F().SetAboutBox(nullptr);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(AboutBox, PanelHasALoweredOuterAndARaisedInnerBevel)
{
    TAboutCC about;
    const QImage panel = about.Panel->grab().toImage();
    const auto light = [&](int x, int y) { return panel.pixelColor(x, y).lightness(); };
    const int w = panel.width() - 1, h = panel.height() / 2;
    EXPECT_TRUE(light(0, h) < light(w, h) && light(1, h) > light(w - 1, h)); // the outer edge lowered, the inner raised
}

TEST(AboutBox, F1AsksForTheSameHelpTopic)
{
    TAboutCC about;
    QSignalSpy requests(&about, &TAboutCC::HelpRequested);
    about.show();
    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    QTest::keyClick(&about, Qt::Key_F1);
    EXPECT_EQ(1, requests.count());
    about.hide();
}

} // namespace
