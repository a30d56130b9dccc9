// Closing the window: which commands leave work unsaved, and what each answer to the question does.

#include "FileCommandsTestSupport.h"

namespace {

struct TCase {
    const char* name;
    bool fromFile; // party.kks just saved, else a fresh start
    // Controls by name: a list's last line clicked, a File item, a button (a panel it opens is
    // filled with NEW and confirmed), or the memo, typed into.
    std::vector<const char*> steps;
    bool unsaved, closes; // after the steps; after the answer to the question, if asked
    TSaveAnswer answer;
    const char *saveDialog = nullptr, *raised = nullptr; // the name Save asks for (none: cancelled); its error
};

TEST_F(FileCommandsTest, ClosingAsksOnlyWithUnsavedWorkAndEachAnswerDoesWhatItSays)
{
    using enum TSaveAnswer;
    const TCase cases[] = {
        { "a fresh start", false, {}, false, true, Cancel },
        { "a group added; Save fails", false, { "BNewGroup" }, true, false, Save, "new.kks",
            "Insufficient Information in Lists to Save." },
        { "a participant added; Save names a file", false, { "BNewGroup", "BNewPart" }, true, true, Save, "new.kks" },
        { "Save's dialog cancelled", false, { "BNewGroup", "BNewPart" }, true, false, Save },
        { "a group renamed; Discard", true, { "MGroups", "BEditGroup" }, true, true, Discard },
        { "a participant renamed; Cancel", true, { "MGivers", "BEditPart" }, true, false, Cancel },
        { "a participant deleted; Discard", true, { "MGivers", "BDelPart" }, true, true, Discard },
        { "a group saved, then deleted", true, { "BNewGroup", "Save1", "MGroups", "BDelGroup" }, true, false, Cancel },
        { "a draw; Save to its file", true, { "BGo" }, true, true, Save },
        { "the template typed in", true, { "BEditNotes", "MNotes" }, true, false, Cancel },
        { "saved as", true, { "BNewGroup", "SaveAs1" }, false, true, Cancel },
        { "retrieved", true, { "BNewGroup", "Retrieve1" }, false, true, Cancel },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        NewForm();
        if (c.fromFile)
            BuildSmallRegister(), SaveAs(Path("party.kks"));
        fileDialogs.answers = { Path("party.kks") };
        messages.warningAnswers = { true };
        for (const char* step : c.steps) {
            QObject* control = F().findChild<QObject*>(step);
            if (auto* list = qobject_cast<TListBox*>(control))
                ClickLine(list, list->Count() - 1);
            else if (auto* item = qobject_cast<QAction*>(control))
                item->trigger();
            else if (control == F().MNotes)
                Type(F().MNotes, "P.S.");
            else
                qobject_cast<QPushButton*>(control)->click();
            if (PanelOpen())
                F().EFirstName->setText("NEW"), F().ELastName->setText("NEW"), F().BOk->click();
        }
        EXPECT_EQ(F().HasUnsavedChanges(), c.unsaved);
        const TFormState before = State();
        messages.Take();
        messages.questionAnswers = { c.answer };
        fileDialogs.answers = { c.saveDialog ? std::optional(Path(c.saveDialog)) : std::nullopt };
        EXPECT_EQ(F().close(), c.closes);
        const QString question
            = c.fromFile ? "Save the changes to party.kks before closing?" : "Save the register before closing?";
        Messages expected { { TShownMessage::Question, question }, Raised(c.raised ? c.raised : "") };
        expected.resize(c.unsaved + (c.raised != nullptr));
        EXPECT_EQ(messages.Take(), expected);
        EXPECT_TRUE(c.closes || State() == before); // a window that stays is as it was
    }
}

} // namespace
