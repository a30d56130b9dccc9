// A desktop program's habits: the title and its unsaved mark, the File keys, no other
// file replaced unasked, where the dialogs start, and settings that survive a damaged file.

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
    const auto keys = [this](const QString& file, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        fileDialogs.answers = { file };
        QTest::keyClick(&F(), key, modifiers);
    };
    const auto control = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const std::pair<std::function<void()>, const char*> steps[] = {
        { [] {}, "Tinselwick" },
        { [this] { BuildSmallRegister(); }, "Tinselwick*" },
        { [&] { keys(Path("party.kks"), Qt::Key_S, control); }, "party.kks - Tinselwick" },
        { [this] { F().BEditNotes->click(), Type(F().MNotes, "x"); }, "party.kks* - Tinselwick" },
        { [this] { QTest::keyClick(F().MNotes, Qt::Key_Backspace), F().BEditNotes->click(); },
            "party.kks - Tinselwick" },
        { [this] { F().BGo->click(); }, "party.kks* - Tinselwick" },
        { [&] { keys(Path("copy.kks"), Qt::Key_S, control | shift); }, "copy.kks - Tinselwick" },
        { [this] { AddGroup("NEW"); }, "copy.kks* - Tinselwick" },
        { [&] { keys(Path("party.kks"), Qt::Key_S, control | shift); }, "copy.kks* - Tinselwick" }, // Cancel
        { [&] { keys(Path("copy.kks"), Qt::Key_S, control | shift); }, "copy.kks - Tinselwick" }, // its own file
        { [&] { messages.warningAnswers = { true }, keys(Path("party.kks"), Qt::Key_O, control); },
            "party.kks - Tinselwick" },
    };
    for (const auto& [step, title] : steps) {
        step();
        EXPECT_EQ(ShownTitle(), title);
    }
    EXPECT_EQ(GroupEntries(), (Strings { "SMITH", "JONES", "MIKE" })) << "party.kks was not replaced";
    AddGroup("NEW");
    keys(QString(), Qt::Key_Q, control); // closes, but asks first: here Cancel
    EXPECT_TRUE(F().isVisible());
    EXPECT_EQ(messages.Take(),
        (Messages { { TShownMessage::Warning, "party.kks exists already. Replace it?" },
            { TShownMessage::Warning, "New File will delete current Information" },
            { TShownMessage::Question, "Save the changes to party.kks before closing?" } }));
}

TEST_F(FileCommandsTest, DialogsStartAtTheDocumentElseTheLastFolderElseDocumentsElseHome)
{
    const QString documents = Path("Documents");
    WriteBytes(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/user-dirs.dirs",
        "XDG_DOCUMENTS_DIR=\"" + documents.toUtf8() + "\"\n");
    ASSERT_TRUE(QDir().mkpath(documents) && QDir().mkpath(Path("last")) && QDir().mkpath(Path("doc")));
    BuildSmallRegister();
    const auto starts = [this] { // where every dialog of the window starts: each is opened and cancelled
        fileDialogs.startedIn.clear(), fileDialogs.answers.clear();
        messages.warningAnswers = { true };
        messages.questionAnswers = { TSaveAnswer::Discard };
        for (QAction* item : { F().Retrieve1, F().SaveAs1, F().ImportParticipants1, F().ExportParticipants1,
                 F().LettersToFolder1, F().DrawRules1 })
            item->trigger();
        auto* rules = F().findChild<TDrawRulesDialog*>();
        rules->findChild<QAbstractButton*>("BExcludeFile")->click();
        delete rules;
        EXPECT_EQ(fileDialogs.startedIn.size(), 6u);
        return std::set<QString>(fileDialogs.startedIn.begin(), fileDialogs.startedIn.end());
    };
    const auto exportTo = [this](const QString& file) {
        fileDialogs.answers = { file }, messages.warningAnswers = { true };
        F().ExportParticipants1->trigger();
    };
    using Folders = std::set<QString>;
    EXPECT_EQ(starts(), Folders { documents });
    QDir(documents).removeRecursively();
    EXPECT_EQ(starts(), Folders { QDir::homePath() }) << "never the program's own folder";
    exportTo(Path("last/out.csv"));
    EXPECT_EQ(starts(), Folders { Path("last") });
    SaveAs(Path("doc/party.kks"));
    exportTo(Path("last/out.csv"));
    EXPECT_EQ(starts(), Folders { Path("doc") });
}

TEST_F(FileCommandsTest, SettingsComeBackInTheNextRunAndADamagedFileIsIgnored)
{
    F().resize(F().size() + QSize(120, 80));
    const QSize size = F().size();
    ASSERT_TRUE(F().close());
    Restart();
    EXPECT_EQ(F().size(), size);

    const TChosenRules rules { "/a/last.kks", "/a/pairs.csv", true };
    for (const QString kind : { "a pipe", "[window\ngeometry=@ByteArray(\\x" }) {
        SCOPED_TRACE(kind.toStdString());
        const QString file = Path(kind);
        if (kind == "a pipe") // reading it would hold the start up
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
