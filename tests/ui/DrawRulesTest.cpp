// The draw rules: chosen in their dialog, kept by "Do Assignment ", remembered for the document.

#include "FileCommandsTestSupport.h"

#include "support/CliRunner.h"
#include "ui/DrawRulesDialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>

#include <map>

namespace {

TEST_F(FileCommandsTest, TheDialogTakesOnlyFilesThatReadAndTheRulesShowBesideTheDrawButton)
{
    BuildSmallRegister();
    SaveAs(Path("last.kks"));
    WriteBytes(Path("broken.kks"), "not a document");
    WriteBytes(Path("pairs.csv"), "giver,taker\nann smith,carol jones\nbob smith,zed\n");
    F().DrawRules1->trigger();
    auto* dialog = F().findChild<TDrawRulesDialog*>();
    ASSERT_NE(dialog, nullptr);
    const auto box = [dialog](const char* name) { return dialog->findChild<QAbstractButton*>(name); };
    const auto* pairs = dialog->findChild<QListWidget*>("MExcludedPairs");
    fileDialogs.answers = { Path("broken.kks"), Path("last.kks"), Path("pairs.csv"), Path("pairs.csv") };

    box("CAvoid")->click(); // broken.kks: told, and the rule stays off
    EXPECT_FALSE(box("CAvoid")->isChecked());
    box("BAvoidFile")->click();
    EXPECT_EQ(dialog->findChild<QLabel*>("LAvoidFile")->text(), "last.kks");
    box("CExclude")->click(); // an unknown name: listed, and the file is not taken
    EXPECT_FALSE(box("CExclude")->isChecked());
    EXPECT_TRUE(pairs->count() == 1 && pairs->item(0)->text() == "pairs.csv:3: nobody is called \"zed\"");
    WriteBytes(Path("pairs.csv"), "giver,taker\nann smith,carol jones\nbob smith,dave jones\n");
    box("BExcludeFile")->click();
    EXPECT_TRUE(pairs->count() == 2 && pairs->item(1)->text() == "BOB SMITH \u2192 DAVE JONES");
    box("COneCircle")->click();
    box("BRulesOk")->click();

    const Messages shown = messages.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].kind == TShownMessage::ErrorBox && shown[0].text.startsWith("broken.kks cannot be read: "));
    EXPECT_EQ(F().DrawRules(), (TChosenRules { Path("last.kks"), Path("pairs.csv"), true }));
    EXPECT_EQ(F().LRules->text(), "Rules: avoid last.kks, 2 pairs kept apart, one circle");
}

TEST_F(FileCommandsTest, DoAssignmentKeepsEveryRuleAndAFailureLeavesTheRegisterAsItWas)
{
    Register({ { "A", 4 }, { "B", 4 }, { "C", 4 }, { "D", 4 }, { "E", 3 }, { "F", 3 }, { "G", 3 }, { "H", 3 },
        { "I", 3 }, { "J", 3 }, { "K", 3 }, { "L", 3 } });
    F().BGo->click();
    SaveAs(Path("last.kks"));
    std::map<std::string, std::string> lastYear;
    for (const TParticipantState& p : State().participants)
        lastYear[p.key] = p.taker;
    WriteBytes(Path("pairs.csv"), "giver,taker\na0 x,b0 x\nc1 x,d2 x\n");
    F().SetDrawRules({ Path("last.kks"), Path("pairs.csv"), true }, 2);
    F().BGo->click();
    std::string giver = "A0X";
    for (int step = 1; step <= 40; ++step) {
        const TCCUser* taker = Participant(giver)->Taker;
        ASSERT_NE(taker, nullptr);
        EXPECT_NE(taker->FullName(), lastYear[giver]);
        EXPECT_TRUE(giver + taker->FullName() != "A0XB0X" && giver + taker->FullName() != "C1XD2X");
        giver = taker->FullName();
        EXPECT_EQ(giver == "A0X", step == 40) << "one circle through all 40";
    }

    // One household of three among four people: no circle, in the tool's words.
    NewForm();
    Register({ { "SMITH", 3 }, { "JONES", 1 } });
    Link("SMITH0X", "JONES0X");
    F().SetDrawRules({ QString(), QString(), true }, 0);
    SaveAs(Path("party.kks"));
    const TFormState before = State();
    F().BGo->click();
    WriteBytes(Path("pairs.csv"), "giver,taker\nsmith0 x,nobody\n");
    F().SetDrawRules({ QString(), Path("pairs.csv"), false }, 0);
    F().BGo->click();
    EXPECT_EQ(State(), before);
    const auto cli = testsupport::RunCli({ "draw", Native(Path("party.kks")), "--one-circle" }, Native(dir.path()));
    EXPECT_EQ(messages.Take(),
        (Messages { { TShownMessage::ErrorBox, QString::fromStdString(cli.err).trimmed() },
            Listed(TMessageKind::Error,
                "No draw: these lines of the pairs file name somebody who is not in the register.",
                { "pairs.csv:2: nobody is called \"nobody\"" }) }));
}

TEST_F(FileCommandsTest, RulesAreRememberedByDocumentFollowSaveAsAndAGoneFileIsDropped)
{
    BuildSmallRegister();
    SaveAs(Path("last.kks"));
    WriteBytes(Path("pairs.csv"), "giver,taker\nann smith,carol jones\n");
    const TChosenRules rules { Path("last.kks"), Path("pairs.csv"), true };
    F().SetDrawRules(rules, 1);
    SaveAs(Path("this.kks"));
    for (const char* document : { "last.kks", "this.kks" }) {
        Restart();
        Retrieve(Path(document));
        EXPECT_EQ(F().DrawRules(), rules) << document;
        EXPECT_EQ(F().LRules->text(), "Rules: avoid last.kks, 1 pair kept apart, one circle");
    }
    QFile::remove(Path("pairs.csv"));
    for (const bool told : { true, false }) { // told once: the settings forget the rule
        Restart();
        Retrieve(Path("this.kks"));
        EXPECT_EQ(F().DrawRules(), (TChosenRules { Path("last.kks"), QString(), true }));
        const TShownMessage dropped
            = Listed(TMessageKind::Warning, "These draw rules of this.kks were dropped: their files are gone.",
                { "Pairs that must not be drawn: " + Path("pairs.csv") });
        EXPECT_EQ(messages.Take(), told ? Messages { dropped } : Messages {});
    }
}

} // namespace
