// The File menu as the user meets it: the warning, the two dialogs, the messages,
// and documents that come back exactly as they were saved.

#include "FileCommandsTestSupport.h"

#include <QTextDocument>

#include <functional>

namespace {

const QString kOpenFilter = QStringLiteral("Tinselwick Files   *.KKS|*.KKS|All Files    *.*|*.*");
const QString kSaveFilter = QStringLiteral("Tinselwick Files  *.KKS|*.KKS|All Files|  *.*");
const QString kWarning = QStringLiteral("New File will delete current Information");

TEST_F(FileCommandsTest, DialogsCarryTheirExtensionFiltersAndPresetName)
{
    Retrieve(std::nullopt);
    ASSERT_EQ(fileDialogs.openRequests.size(), 1u);
    const TFileDialogRequest& open = fileDialogs.openRequests[0];
    EXPECT_EQ(open.DefaultExtension, "kks");
    EXPECT_EQ(open.Filter, kOpenFilter);
    EXPECT_TRUE(open.FileName.isEmpty());

    BuildSmallRegister();
    Save(std::nullopt); // no file name yet: Save is Save As, here cancelled
    EXPECT_TRUE(F().CurrentFileName.empty());
    SaveAs(Path("party.kks"));
    SaveAs(std::nullopt);
    Save();
    EXPECT_TRUE(TakeRaised().empty());

    // Save with a file name asks nothing: three dialogs for four commands.
    ASSERT_EQ(fileDialogs.saveRequests.size(), 3u);
    const QString presets[] = { QString(), QString(), Path("party.kks") };
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const TFileDialogRequest& save = fileDialogs.saveRequests[i];
        EXPECT_EQ(save.DefaultExtension, "kks");
        EXPECT_EQ(save.Filter, kSaveFilter);
        EXPECT_EQ(save.FileName, presets[i]);
    }
}

TEST_F(FileCommandsTest, RetrieveWarnsOnlyWhileAListExistsAndCancelChangesNothing)
{
    struct TCase {
        const char* name;
        std::function<void()> build;
        bool warns;
    };
    const TCase cases[] = {
        { "no document", [] {}, false },
        { "a group only", [this] { AddGroup("SMITH"); }, true },
        { "groups and participants", [this] { BuildSmallRegister(); }, true },
        { "both lists emptied",
            [this] {
                AddAndDeleteEverything();
                ASSERT_TRUE(F().GroupNames && F().GroupNames->Empty());
                ASSERT_TRUE(F().Participants && F().Participants->Empty());
            },
            true },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        NewForm();
        c.build();
        messages.Take();

        // Cancel in the warning: no dialog, and not even the rebuild that would close the
        // panel. (Opening the panel makes a groups list, so not without a document.)
        if (c.warns)
            F().BNewGroup->click();
        const TFormState before = State();
        Retrieve(std::nullopt, false);
        const std::vector<TShownMessage> shown = messages.Take();
        if (c.warns) {
            ASSERT_EQ(shown, std::vector<TShownMessage>({ { TShownMessage::Warning, kWarning } }));
            EXPECT_TRUE(fileDialogs.openRequests.empty());
            EXPECT_TRUE(PanelOpen());
            EXPECT_EQ(State(), before);
        } else {
            EXPECT_TRUE(shown.empty());
            EXPECT_EQ(fileDialogs.openRequests.size(), 1u);
        }

        // OK, then Cancel in the open dialog: the lists are rebuilt and nothing else changes.
        if (c.warns)
            F().BNewGroup->click();
        Retrieve(std::nullopt, true);
        EXPECT_EQ(messages.Take().size(), c.warns ? 1u : 0u);
        EXPECT_FALSE(PanelOpen());
        EXPECT_TRUE(CommandsEnabled());
        EXPECT_EQ(State(), before);
    }
}

TEST_F(FileCommandsTest, DocumentsComeBackAsTheyWereSaved)
{
    struct TCase {
        const char* name;
        std::function<void()> build;
        bool drawn; // aligned lists come back sorted, so only a full draw looks the same on screen
    };
    const TCase cases[] = {
        { "a drawn register with a deleted group",
            [this] {
                Register({ { "SMITH", 2 }, { "GONE", 0 }, { "JONES", 2 }, { "MIKE", 1 } });
                ClickLine(F().MGroups, 1);
                F().BDelGroup->click();
                ASSERT_EQ(GroupEntries(), (Strings { "SMITH", ".", "JONES", "MIKE" }));
                // Blank lines and blanks at either end are part of the template.
                F().SetTemplateLines({ "Dear [M],   ", "", "  you give to [G].  ", "\xC9t\xE9 \x80 5" });
                F().BGo->click();
                for (const std::string& key : ParticipantKeys())
                    ASSERT_TRUE(Participant(key)->HasTaker()) << key;
            },
            true },
        { "a partial assignment",
            [this] {
                BuildSmallRegister();
                Link("ANNSMITH", "CAROLJONES");
                Link("CAROLJONES", "BOBSMITH");
                F().RefreshLists();
                ASSERT_FALSE(F().TakersSorted());
            },
            false },
        { "a memo with wrapped lines, stored as displayed, one line each",
            [this] {
                BuildSmallRegister();
                std::string paragraph;
                for (int i = 0; i < 40; ++i)
                    paragraph += "present" + std::to_string(i) + " ";
                F().SetTemplateLines({ "Dear [M],", paragraph, std::string(150, 'W') });
                ASSERT_GT(F().TemplateLines().size(), 4u) << "the long lines wrap in the memo";
            },
            false },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        NewForm();
        c.build();
        SaveAs(Path("party.kks"));
        ASSERT_TRUE(TakeRaised().empty());
        EXPECT_EQ(F().CurrentFileName, Native(Path("party.kks")));
        const TFormState saved = State();

        NewForm();
        F().SetTemplateLines({ "something else" });
        Retrieve(Path("party.kks"));
        EXPECT_TRUE(messages.Take().empty()); // an empty window asks nothing
        const TFormState retrieved = State();
        if (c.drawn) {
            EXPECT_EQ(retrieved, saved);
        }
        EXPECT_EQ(retrieved.participants, saved.participants);
        EXPECT_EQ(retrieved.groups, saved.groups);
        EXPECT_EQ(retrieved.templateLines, saved.templateLines);
        EXPECT_EQ(retrieved.fileName, saved.fileName);
        EXPECT_TRUE(retrieved.takersSorted);
        EXPECT_EQ(F().MNotes->document()->blockCount(), static_cast<int>(saved.templateLines.size()));
    }
}

TEST_F(FileCommandsTest, IncompleteDocumentsAreReportedAndLeaveNoRegister)
{
    struct TCase {
        const char* name;
        std::function<void()> build;
        bool templateStored; // read back (groups were stored) or left as it was
    };
    const TCase cases[] = {
        { "a group, and Add Participant cancelled",
            [this] {
                AddGroup("SMITH");
                F().BNewPart->click();
                F().BCancel->click();
            },
            true },
        { "every participant and group deleted", [this] { AddAndDeleteEverything(); }, false },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        NewForm();
        c.build();
        ASSERT_TRUE(F().GroupNames && F().Participants);
        ASSERT_TRUE(F().Participants->Empty());
        F().SetTemplateLines({ "Stored [M]" });
        const QString path = Path(QString::fromLatin1(c.name).replace(' ', '-') + ".kks");
        SaveAs(path);
        ASSERT_TRUE(TakeRaised().empty());
        ASSERT_TRUE(QFile::exists(path));

        NewForm();
        AddGroup("OLD");
        AddParticipant("OLD", "TIMER");
        F().SetTemplateLines({ "Mine" });
        messages.Take();
        Retrieve(path);
        EXPECT_EQ(messages.Take(),
            std::vector<TShownMessage>(
                { { TShownMessage::Warning, kWarning }, { TShownMessage::ErrorBox, "File " + path + " incomplete" } }));
        EXPECT_FALSE(F().GroupNames);
        EXPECT_FALSE(F().Participants);
        EXPECT_TRUE(Lines(F().MGivers).empty());
        EXPECT_TRUE(Lines(F().MGroups).empty());
        EXPECT_EQ(F().TemplateLines(), std::vector<std::string> { c.templateStored ? "Stored [M]" : "Mine" });
        EXPECT_EQ(F().CurrentFileName, Native(path)); // the file is named anyway
        EXPECT_TRUE(F().TakersSorted());
    }
}

TEST_F(FileCommandsTest, SavingWithoutBothListsRaisesAndTouchesNothing)
{
    WriteBytes(Path("old.kks"), "old bytes");
    const std::function<void()> registers[] = {
        [] {}, [this] { AddGroup("SMITH"); }, // Add Participant never used
    };
    for (const auto& build : registers) {
        NewForm();
        build();
        SaveAs(Path("old.kks"));
        SaveAs(Path("new.kks"));
        EXPECT_EQ(TakeRaised(), std::vector<QString>(2, "Insufficient Information in Lists to Save."));
        EXPECT_TRUE(F().CurrentFileName.empty());
        EXPECT_EQ(Bytes(Path("old.kks")), "old bytes");
        EXPECT_EQ(Entries(), QStringList { "old.kks" });

        F().CurrentFileName = Native(Path("old.kks"));
        Save();
        EXPECT_EQ(TakeRaised(), std::vector<QString> { "Insufficient Information in Lists to Save." });
        EXPECT_EQ(Bytes(Path("old.kks")), "old bytes");
    }
}

TEST_F(FileCommandsTest, SaveWritesToTheCurrentFileAndChangesNothingInMemory)
{
    BuildSmallRegister();
    SaveAs(Path("first.kks"));
    const QByteArray first = Bytes(Path("first.kks"));
    ASSERT_FALSE(first.isEmpty());

    F().BGo->click();
    const TFormState drawn = State();
    Save();
    EXPECT_TRUE(TakeRaised().empty());
    EXPECT_EQ(State(), drawn);
    EXPECT_NE(Bytes(Path("first.kks")), first) << "the draw was saved over the first file";
    EXPECT_EQ(Entries(), QStringList { "first.kks" });

    // After a Retrieve, Save writes back to the retrieved file.
    SaveAs(Path("second.kks"));
    Retrieve(Path("first.kks"));
    AddGroup("EXTRA");
    Save();
    NewForm();
    Retrieve(Path("first.kks"));
    EXPECT_EQ(GroupEntries(), (std::vector<std::string> { "SMITH", "JONES", "MIKE", "EXTRA" }));
    Retrieve(Path("second.kks"));
    EXPECT_EQ(GroupEntries(), (std::vector<std::string> { "SMITH", "JONES", "MIKE" }));
}

TEST_F(FileCommandsTest, RetrieveKeepsTheCurrentGroupForTheNextParticipant)
{
    BuildSmallRegister();
    SaveAs(Path("party.kks"));
    ClickLine(F().MGroups, 1); // JONES
    ASSERT_EQ(F().CurrentGroup, "JONES");
    F().BNewGroup->click();
    F().EditMode = emNewGroup;
    Retrieve(Path("party.kks"));
    EXPECT_EQ(F().CurrentGroup, "JONES");
    EXPECT_EQ(F().EditMode, emNewGroup);
    AddParticipant("EVE", "NEW");
    EXPECT_EQ(Participant("EVENEW")->GroupNo, 1);
}

TEST_F(FileCommandsTest, ARelativeChoiceBecomesAFullPath)
{
    BuildSmallRegister();
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    SaveAs(QStringLiteral("relative.kks"));
    QDir::setCurrent(previous);
    EXPECT_TRUE(TakeRaised().empty());
    EXPECT_EQ(F().CurrentFileName, Native(Path("relative.kks")));
    EXPECT_TRUE(QFile::exists(Path("relative.kks")));
}

TEST_F(FileCommandsTest, AFileNameOutsideTheTemplatesEncodingIsShownReadably)
{
    BuildSmallRegister();
    const QString path = Path(QStringLiteral("F\u00FCr M\u00FCller.kks")); // "Für Müller"
    SaveAs(path);
    ASSERT_TRUE(TakeRaised().empty());
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(F().CurrentFileName, Native(path));

    WriteBytes(path, "not a document");
    Retrieve(path);
    const std::vector<QString> raised = TakeRaised();
    ASSERT_EQ(raised.size(), 1u);
    EXPECT_EQ(raised[0], "File Open Failed::File is Not of Acceptable Type::" + path + ".");
}

} // namespace
