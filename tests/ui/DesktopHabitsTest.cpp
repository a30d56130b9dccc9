// A desktop program's habits: the title and its unsaved mark, the File keys, where the
// dialogs start, no file replaced unasked, and settings that survive a damaged file.

#include "FileCommandsTestSupport.h"

#include "ui/DrawRulesDialog.h"

#include <QAbstractButton>
#include <QStandardPaths>

#include <functional>
#include <set>
#include <sys/stat.h>

namespace {

TEST_F(FileCommandsTest, TheTitleNamesTheDocumentAndMarksUnsavedWorkAndTheFileKeysWork)
{
    F().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    const auto keys = [this](Qt::Key key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(&F(), key, modifiers); };
    const std::pair<std::function<void()>, const char*> steps[] = {
        { [] {}, "Tinselwick" },
        { [this] { BuildSmallRegister(); }, "Tinselwick*" },
        { [&] { fileDialogs.answers = { Path("party.kks") }, keys(Qt::Key_S, Qt::ControlModifier); },
            "party.kks - Tinselwick" },
        { [this] { F().BEditNotes->click(), Type(F().MNotes, "x"); }, "party.kks* - Tinselwick" },
        { [this] { QTest::keyClick(F().MNotes, Qt::Key_Backspace), F().BEditNotes->click(); },
            "party.kks - Tinselwick" },
        { [this] { F().BGo->click(); }, "party.kks* - Tinselwick" },
        { [&] { fileDialogs.answers = { Path("copy.kks") }, keys(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier); },
            "copy.kks - Tinselwick" },
        { [this] { AddGroup("NEW"); }, "copy.kks* - Tinselwick" },
        { [&] {
             messages.warningAnswers = { true }, fileDialogs.answers = { Path("party.kks") };
             keys(Qt::Key_O, Qt::ControlModifier);
         },
            "party.kks - Tinselwick" },
    };
    for (const auto& [step, title] : steps) {
        step();
        EXPECT_EQ(ShownTitle(), title);
    }
    AddGroup("NEW");
    messages.Take();
    keys(Qt::Key_Q, Qt::ControlModifier); // closes, but asks first: here Cancel
    EXPECT_TRUE(F().isVisible());
    EXPECT_EQ(
        messages.Take(), (Messages { { TShownMessage::Question, "Save the changes to party.kks before closing?" } }));
}

TEST_F(FileCommandsTest, DialogsStartAtTheDocumentElseTheLastFolderElseDocumentsElseHome)
{
    const QString documents = Path("Documents");
    WriteBytes(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/user-dirs.dirs",
        "XDG_DOCUMENTS_DIR=\"" + documents.toUtf8() + "\"\n");
    ASSERT_TRUE(QDir().mkpath(documents) && QDir().mkpath(Path("last")) && QDir().mkpath(Path("doc")));
    BuildSmallRegister();
    // Where every dialog of the window starts: each is opened and cancelled.
    const auto starts = [this] {
        fileDialogs.openRequests.clear(), fileDialogs.saveRequests.clear(), fileDialogs.folderRequests.clear();
        fileDialogs.answers.clear();
        messages.warningAnswers = { true };
        messages.questionAnswers = { TSaveAnswer::Discard };
        for (QAction* item : { F().Retrieve1, F().SaveAs1, F().ImportParticipants1, F().ExportParticipants1,
                 F().LettersToFolder1, F().DrawRules1 })
            item->trigger();
        auto* rules = F().findChild<TDrawRulesDialog*>();
        rules->findChild<QAbstractButton*>("BExcludeFile")->click();
        rules->done(QDialog::Rejected);
        delete rules;
        std::set<QString> folders(fileDialogs.folderRequests.begin(), fileDialogs.folderRequests.end());
        for (const auto* requests : { &fileDialogs.openRequests, &fileDialogs.saveRequests })
            for (const TFileDialogRequest& request : *requests)
                folders.insert(request.InitialFolder);
        EXPECT_EQ(
            fileDialogs.openRequests.size() + fileDialogs.saveRequests.size() + fileDialogs.folderRequests.size(), 6u);
        return folders;
    };
    using Folders = std::set<QString>;
    EXPECT_EQ(starts(), Folders { documents });
    QDir(documents).removeRecursively();
    EXPECT_EQ(starts(), Folders { QDir::homePath() }) << "never the program's own folder";
    fileDialogs.answers = { Path("last/out.csv") };
    F().ExportParticipants1->trigger();
    EXPECT_EQ(starts(), Folders { Path("last") });
    SaveAs(Path("doc/party.kks"));
    fileDialogs.answers = { Path("last/out.csv") };
    messages.warningAnswers = { true };
    F().ExportParticipants1->trigger();
    EXPECT_EQ(starts(), Folders { Path("doc") });
}

TEST_F(FileCommandsTest, SaveAsAsksBeforeReplacingAnotherFileButNeverTheDocumentItself)
{
    BuildSmallRegister();
    WriteBytes(Path("other.kks"), "keep me");
    SaveAs(Path("other.kks"), false);
    EXPECT_EQ(Bytes(Path("other.kks")), "keep me");
    EXPECT_EQ(F().CurrentFileName, "");
    SaveAs(Path("party.kks"), false); // a new name
    AddGroup("MORE");
    SaveAs(Path("party.kks"), false); // the document's own name
    EXPECT_FALSE(F().HasUnsavedChanges());
    SaveAs(Path("other.kks"), true);
    EXPECT_EQ(Bytes(Path("other.kks")), Bytes(Path("party.kks")));
    const TShownMessage replace { TShownMessage::Warning, "other.kks exists already. Replace it?" };
    EXPECT_EQ(messages.Take(), (Messages { replace, replace }));
}

TEST_F(FileCommandsTest, SettingsComeBackInTheNextRunAndADamagedFileIsIgnored)
{
    F().resize(F().size() + QSize(120, 80));
    const QSize size = F().size();
    ASSERT_TRUE(F().close());
    Restart();
    EXPECT_EQ(F().size(), size);

    const TChosenRules rules { "/a/last.kks", "/a/pairs.csv", true };
    const QString damaged[] = { "a folder", "a pipe", "[window\ngeometry=@ByteArray(\\x" };
    for (const QString& kind : damaged) {
        SCOPED_TRACE(kind.toStdString());
        const QString file = Path(kind);
        if (kind == "a folder")
            ASSERT_TRUE(QDir().mkpath(file));
        else if (kind == "a pipe")
            ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else
            WriteBytes(file, kind.toUtf8());
        TProgramSettings first(file);
        EXPECT_TRUE(first.LastFolder().isEmpty() && first.WindowGeometry().isEmpty());
        first.SetRulesFor("/a/this.kks", rules);
        first.SetLastFolder("/a");
        const bool replaced = QFileInfo(file).isFile(); // only a file of ours is written over
        EXPECT_EQ(TProgramSettings(file).RulesFor("/a/this.kks"), replaced ? rules : TChosenRules());
        EXPECT_EQ(TProgramSettings(file).LastFolder(), replaced ? "/a" : "");
    }
}

} // namespace
