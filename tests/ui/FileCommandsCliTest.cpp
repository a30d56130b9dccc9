// The desktop program and tinselwick-cli read and write the same documents.

#include "FileCommandsTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

struct TCliRun {
    int exitCode = -1;
    QByteArray out, err;
};

TCliRun RunCli(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(TINSELWICK_CLI), arguments);
    TCliRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

/// The register and template as `show --json` reports them, from the window's state.
QJsonObject AsJson(const TFormState& s)
{
    QJsonArray groups, participants, lines;
    for (const std::string& g : s.groups)
        groups.append(QString::fromLatin1(g.c_str()));
    for (const TParticipantState& p : s.participants) {
        QJsonObject o;
        o["key"] = QString::fromLatin1(p.key.c_str());
        o["first"] = QString::fromLatin1(p.first.c_str());
        o["last"] = QString::fromLatin1(p.last.c_str());
        o["group"] = p.group;
        o["taker"] = p.taker.empty() ? QJsonValue() : QJsonValue(QString::fromLatin1(p.taker.c_str()));
        participants.append(o);
    }
    for (const std::string& line : s.templateLines)
        lines.append(QString::fromLatin1(line.c_str()));
    return { { "groups", groups }, { "participants", participants }, { "template", lines } };
}

TEST_F(FileCommandsTest, TheCommandLineToolShowsWhatTheProgramSaved)
{
    BuildSmallRegister();
    AddGroup("GONE");
    AddGroup("LAST");
    AddParticipant("ZOE", "LAST");
    ClickLine(F().MGroups, 3);
    F().BDelGroup->click();
    Link("ANNSMITH", "ZOELAST");
    Link("ZOELAST", "CAROLJONES");
    F().SetTemplateLines({ "Dear [M],  ", "", "Caf\xE9 for [G]" });
    SaveAs(Path("party.kks"));
    ASSERT_TRUE(TakeRaised().empty());

    const TCliRun run = RunCli({ "show", "--json", Path("party.kks") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject shown = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(shown, AsJson(State())) << run.out.toStdString();
    EXPECT_EQ(shown["groups"].toArray().at(3).toString(), ".");
}

TEST_F(FileCommandsTest, TheMemberOfAPlaceholderKeepsItAndTheDocumentReadsBackEverywhere)
{
    for (const char* group : { "A", "B", "C" })
        AddGroup(group);
    ClickLine(F().MGroups, 1);
    F().BDelGroup->click();
    ClickLine(F().MGroups, 1); // the "." line
    AddParticipant("DOT", "KAY");
    ClickLine(F().MGroups, 2);
    F().BDelGroup->click();
    EXPECT_EQ((Strings { "A", "." }), Lines(F().MGroups));
    ClickLine(F().MGroups, 0);
    AddParticipant("ANN", "LEE");
    SaveAs(Path("party.kks"));
    const TFormState saved = State();
    NewForm();
    Retrieve(Path("party.kks"));
    EXPECT_EQ(saved.giverLines, State().giverLines);
    for (const char* command : { "show", "draw" })
        EXPECT_EQ(0, RunCli({ command, Path("party.kks") }).exitCode) << command;
}

TEST_F(FileCommandsTest, TheProgramRetrievesADrawMadeByTheCommandLineTool)
{
    BuildSmallRegister();
    SaveAs(Path("party.kks"));
    const TFormState undrawn = State();

    const TCliRun run = RunCli({ "draw", Path("party.kks") });
    if (run.exitCode == 2 && run.err.contains("not available"))
        GTEST_SKIP() << "this build of tinselwick-cli has no draw command";
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    NewForm();
    Retrieve(Path("party.kks"));
    EXPECT_TRUE(messages.Take().empty());
    const TFormState drawn = State();
    EXPECT_EQ(drawn.groups, undrawn.groups);
    EXPECT_EQ(drawn.templateLines, undrawn.templateLines);
    ASSERT_EQ(drawn.participants.size(), undrawn.participants.size());
    for (std::size_t i = 0; i < drawn.participants.size(); ++i) {
        const TParticipantState& p = drawn.participants[i];
        SCOPED_TRACE(p.key);
        EXPECT_EQ(p.key, undrawn.participants[i].key);
        EXPECT_FALSE(p.taker.empty());
        EXPECT_FALSE(p.giver.empty());
        EXPECT_NE(Participant(p.taker)->GroupNo, p.group) << "nobody draws his own group";
    }
    EXPECT_TRUE(drawn.takersSorted);
    EXPECT_EQ(drawn.takerLines.size(), drawn.giverLines.size());

    // And the tool reads the same assignment back.
    const TCliRun show = RunCli({ "show", "--json", Path("party.kks") });
    ASSERT_EQ(show.exitCode, 0) << show.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(show.out).object(), AsJson(drawn));
}

} // namespace
