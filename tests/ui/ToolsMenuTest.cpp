// The Tools menu's import, export and letters, run as the user runs them.

#include "FileCommandsTestSupport.h"

#include "exchange/RegisterExport.h"
#include "register/KksDocument.h"

namespace {

TEST_F(FileCommandsTest, ImportAsksFirstRefusesABadFileWholeAndMakesANewUnnamedRegister)
{
    WriteBytes(Path("bad.csv"), "first,last,household\nann,lee,LEE\n,,KAY\nbob,lee,\n");
    WriteBytes(Path("good.csv"), "first,last,household\nann,lee,LEE\nbob,lee,lee\ncarol ann,kay,KAY\n");
    const Strings freshTemplate = F().TemplateLines();
    BuildSmallRegister();
    SaveAs(Path("party.kks"));
    F().SetDrawRules({ QString(), QString(), true }, 0);
    AddGroup("EXTRA");
    const TFormState before = State();
    const TShownMessage question { TShownMessage::Question, "Save the changes to party.kks before importing?" };
    messages.Take();

    messages.questionAnswers = { TSaveAnswer::Cancel, TSaveAnswer::Discard, TSaveAnswer::Save };
    fileDialogs.answers = { Path("bad.csv"), Path("good.csv") };
    F().ImportParticipants1->trigger();
    F().ImportParticipants1->trigger();
    EXPECT_EQ(messages.Take(),
        (Messages { question, question,
            Listed(TMessageKind::Error, "Nothing was imported: these lines of bad.csv were refused.",
                { "bad.csv:3: no name", "bad.csv:4: no group" }) }));
    EXPECT_EQ(State(), before);

    F().ImportParticipants1->trigger(); // Save first: the group added goes to party.kks
    EXPECT_EQ(messages.Take(),
        (Messages { question,
            Listed(TMessageKind::Information, "Imported 3 participants in 2 groups, 1 name cut:",
                { "good.csv:4: first name \"carol ann\" cut to \"CAROL\"" }) }));
    EXPECT_EQ(ReadKksDocument(Native(Path("party.kks")), nullptr).GroupNames->Texts(), before.groups);
    EXPECT_EQ(GroupEntries(), (Strings { "LEE", "KAY" }));
    EXPECT_EQ(ParticipantKeys(), (Strings { "ANNLEE", "BOBLEE", "CAROLKAY" }));
    EXPECT_EQ(F().TemplateLines(), freshTemplate);
    EXPECT_EQ(F().CurrentFileName, "");
    EXPECT_TRUE(!F().DrawRules().Any() && F().LRules->text().isEmpty());
    Save(std::nullopt);
    EXPECT_EQ(fileDialogs.saveRequests.size(), 2u) << "Save asks for a name";
}

TEST_F(FileCommandsTest, ExportWritesWhatTheToolWritesRefusesTheDocumentAndAsksBeforeReplacing)
{
    BuildSmallRegister();
    SaveAs(Path("party.kks"));
    F().BGo->click();
    Save();
    WriteBytes(Path("old.csv"), "old");
    const auto exportTo
        = [this](const QString& file) { fileDialogs.answers = { file }, F().ExportParticipants1->trigger(); };
    messages.warningAnswers = { false, true };
    exportTo(Path("party.kks"));
    exportTo(Path("old.csv")); // Cancel
    EXPECT_EQ(Bytes(Path("old.csv")), "old");
    exportTo(Path("old.csv"));
    const TShownMessage replace { TShownMessage::Warning, "old.csv exists already. Replace it?" };
    EXPECT_EQ(messages.Take(),
        (Messages {
            { TShownMessage::ApplicationError, "The CSV file would replace the document " + Path("party.kks") + "." },
            replace, replace }));
    EXPECT_EQ(
        Bytes(Path("old.csv")).toStdString(), ExportRegister(ReadKksDocument(Native(Path("party.kks")), nullptr)));
}

TEST_F(FileCommandsTest, LettersToFolderWriteAFilePerGiverWithATakerAndReplaceNothingUnasked)
{
    BuildSmallRegister();
    Link("ANNSMITH", "CAROLJONES");
    Link("CAROLJONES", "ANNSMITH");
    const QString folder = Path("letters");
    const QStringList files { "ANN SMITH.pdf", "CAROL JONES.pdf" };
    const TShownMessage written = Listed(TMessageKind::Warning,
        "2 letters written to " + folder + ". No letter for these givers, who have no taker:",
        { "BOB SMITH", "DAVE JONES", "MIKE ROSS" });
    const TShownMessage exist
        = Listed(TMessageKind::Warning, "These files exist already in " + folder + ". Replace them?", files, true);
    fileDialogs.answers = { folder, folder, folder };
    messages.listAnswers = { false, true };

    F().LettersToFolder1->trigger();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), files);
    EXPECT_TRUE(Bytes(folder + "/ANN SMITH.pdf").startsWith("%PDF"));
    WriteBytes(folder + "/ANN SMITH.pdf", "mine");
    F().LettersToFolder1->trigger(); // Cancel: nothing replaced
    EXPECT_EQ(Bytes(folder + "/ANN SMITH.pdf"), "mine");
    F().LettersToFolder1->trigger();
    EXPECT_TRUE(Bytes(folder + "/ANN SMITH.pdf").startsWith("%PDF"));
    EXPECT_EQ(messages.Take(), (Messages { written, exist, exist, written }));
}

} // namespace
