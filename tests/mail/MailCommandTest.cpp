// tinselwick-cli mail as the organiser runs it, against a real SMTP server on this
// machine's loopback that keeps every message it accepts (TestSmtpServer.h). Messages
// are read back with Python's own e-mail package, an encoder other than ours.

#include "persist/PersistTestSupport.h"
#include "platform/Windows1252.h"
#include "register/KksDocument.h"
#include "register/RegisterTestSupport.h"
#include "support/CliRunner.h"

#include "TestSmtpServer.h"
#include "print/PdfTools.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include <sys/stat.h>

using namespace testsupport;

namespace {

struct TPerson {
    std::string name; // UTF-8, first name and last name
    std::string address;
};

const std::vector<TPerson> kPeople { { "ANN LEE", "ann@example.org" }, { "BOB KAY", "bob@example.org" },
    { "JOS\xC3\x89 N\xC3\x9A\xC3\x91\x45Z", "jose@example.org" }, { "CY OH", "cy@example.org" },
    { "DEE POE", "dee@example.org" }, { "EVE RAY", "eve@example.org" } };
constexpr const char* kLongLine = "in the Kris Kringle, on a line long enough to travel as quoted-printable text.";

std::string First(const TPerson& p)
{
    return p.name.substr(0, p.name.find(' '));
}
std::string Last(const TPerson& p)
{
    return p.name.substr(p.name.find(' ') + 1);
}

class MailCommand : public TRegisterTest {
protected:
    void SetUp() override
    {
        TRegisterTest::SetUp();
        WriteEvening(1);
        WriteList(kPeople);
    }

    /// Everybody gives to the one `step` places further on in the list.
    void WriteEvening(int step, bool complete = true)
    {
        TRegister r;
        r.groups.Add("X");
        for (const TPerson& p : kPeople)
            r.Add(platform::Utf8ToWindows1252(First(p)), platform::Utf8ToWindows1252(Last(p)), 0);
        for (int k = 0; k < 6 - (complete ? 0 : 1); ++k)
            UserAt(r.participants, k)->SetTaker(UserAt(r.participants, (k + step) % 6));
        WriteKksDocument(
            document, r.groups, r.participants, { "Dear [M]", std::string("You have been assigned [G] ") + kLongLine });
    }
    void WriteList(const std::vector<TPerson>& people)
    {
        std::ofstream list(csv);
        list << "First,Last,Group,E-Mail\n";
        for (const TPerson& p : people)
            list << First(p) << "," << Last(p) << ",X," << p.address << "\n";
        list << "Olga,Organiser,,olga@example.org\n";
    }

    TCliRun Mail(const TTestSmtpServer& server, std::vector<std::string> extra = {}, bool login = true,
        const std::string& password = TTestSmtpServer::kPassword)
    {
        std::vector<std::string> arguments { "mail", document, "--addresses", csv, "--server", server.Url(), "--from",
            "org@example.org" };
        if (login)
            extra.insert(extra.begin(), { "--user", TTestSmtpServer::kUser, "--cacert", TestCertificate().cert });
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunCli(arguments, dir.Path().string(),
            "env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR=" + ShellQuoted(dir.Path().string())
                + " TINSELWICK_SMTP_PASSWORD=" + ShellQuoted(password));
    }

    std::vector<std::string> JournalLines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(document + ".sent");
        for (std::string line; std::getline(in, line);)
            if (line.starts_with("sent\t"))
                lines.push_back(line);
        return lines;
    }

    TTempDir dir;
    std::string document = dir / "evening.kks";
    std::string csv = dir / "people.csv";
};

std::string Text(const QJsonValue& value)
{
    return value.toString().toStdString();
}

/// How many of the people a text names: a line that names two could show a pair.
int NamesIn(const std::string& text)
{
    return static_cast<int>(std::count_if(
        kPeople.begin(), kPeople.end(), [&](const TPerson& p) { return text.find(p.name) != std::string::npos; }));
}

TEST_F(MailCommand, EachGiverGetsOneMessageWithTheirOwnTakerAndNoOtherPair)
{
    TTestSmtpServer server;
    const TCliRun run = Mail(server, { "--subject", "Your Kris Kringle, No\xC3\xABl" });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, csv + ":8: warning: Olga Organiser matches no participant\n");
    const std::vector<QJsonObject> messages = server.Messages();
    ASSERT_EQ(messages.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        const TPerson& giver = kPeople[k];
        const TPerson& taker = kPeople[(k + 1) % 6];
        const QJsonObject& m = messages[k];
        SCOPED_TRACE(giver.name);
        EXPECT_EQ(m["rcpt_tos"].toArray().toVariantList(), QVariantList { QString::fromStdString(giver.address) });
        EXPECT_EQ(Text(m["to"]), giver.name + " <" + giver.address + ">");
        EXPECT_EQ(Text(m["from"]), "org@example.org");
        EXPECT_EQ(Text(m["subject"]), "Your Kris Kringle, No\xC3\xABl");
        EXPECT_EQ(Text(m["body_encoding"]), "quoted-printable");
        std::string body = Text(m["body"]);
        body.erase(std::remove(body.begin(), body.end(), '\r'), body.end());
        EXPECT_EQ(body,
            giver.name + "\n\nDear " + giver.name + "\nYou have been assigned " + taker.name + " " + kLongLine + "\n");
        EXPECT_EQ(NamesIn(body), 2) << "the giver and their taker, nobody else";
        EXPECT_NE(m["message_id"], messages[(k + 1) % 6]["message_id"]);
    }
    const std::string jose = ReadText(server.Kept(3, ".eml"));
    EXPECT_NE(jose.find("\r\nTo: =?UTF-8?Q?JOS=C3=89_N=C3=9A=C3=91EZ?= <jose@example.org>\r\n"), std::string::npos);
    EXPECT_NE(jose.find("\r\nSubject: =?UTF-8?Q?Your_Kris_Kringle=2C_No=C3=ABl?=\r\n"), std::string::npos);

    EXPECT_NE(run.out.find("Sent 3 of 6: JOS\xC3\x89 N\xC3\x9A\xC3\x91\x45Z <jose@example.org>\n"), std::string::npos);
    EXPECT_TRUE(run.out.ends_with("\n6 letters sent.\n")) << run.out;
    for (std::size_t start = 0; start < run.out.size(); start = run.out.find('\n', start) + 1)
        EXPECT_LE(NamesIn(run.out.substr(start, run.out.find('\n', start) - start)), 1);
    EXPECT_EQ(JournalLines().size(), 6u);
    for (std::string line : JournalLines())
        EXPECT_EQ(NamesIn(std::regex_replace(line, std::regex("\t"), " ")), 1) << line;
}

TEST_F(MailCommand, TheAttachedPdfIsThePrintedLetter)
{
    if (!HaveTool("pdftotext"))
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    TTestSmtpServer server;
    ASSERT_EQ(Mail(server, { "--attach-pdf" }).exitCode, 0);
    const std::string letters = dir / "letters";
    ASSERT_EQ(RunCli({ "letters", document, "--pdf-dir", letters }, dir.Path().string(),
                  "env -u DISPLAY XDG_RUNTIME_DIR=" + ShellQuoted(dir.Path().string()))
                  .exitCode,
        0);
    const std::vector<QJsonObject> messages = server.Messages();
    ASSERT_EQ(messages.size(), 6u);
    for (int k = 0; k < 6; ++k) {
        const TPerson& giver = kPeople[static_cast<std::size_t>(k)];
        const QJsonObject attachment = messages[static_cast<std::size_t>(k)]["attachments"].toArray().at(0).toObject();
        EXPECT_EQ(Text(attachment["name"]), giver.name + ".pdf");
        EXPECT_EQ(Text(attachment["type"]), "application/pdf");
        const std::string text = PdfText(server.Kept(k + 1, ".pdf"));
        EXPECT_NE(text.find(kPeople[static_cast<std::size_t>(k + 1) % 6].name), std::string::npos) << text;
        EXPECT_EQ(text, PdfText(letters + "/" + giver.name + ".pdf"));
        const auto title
            = [](const std::string& pdf) { return CommandOutput("pdfinfo " + Quoted(pdf) + " | head -3"); };
        EXPECT_EQ(title(server.Kept(k + 1, ".pdf")), title(letters + "/" + giver.name + ".pdf"));
    }
}

TEST_F(MailCommand, TheJournalTakesAStoppedRunUpAndKnowsAChangedDraw)
{
    {
        TTestSmtpServer busy({ .refuse = 5 });
        const TCliRun run = Mail(busy);
        EXPECT_EQ(run.exitCode, 4);
        EXPECT_NE(
            run.err.find("The letter for DEE POE <dee@example.org> did not go: The mail server " + busy.Url().substr(7)
                + " answered: 451 4.3.0 Mailbox busy, try later\n4 sent, 2 remain: the same command sends the "
                  "rest.\n"),
            std::string::npos)
            << run.err;
        EXPECT_EQ(busy.Messages().size(), 4u);
        EXPECT_EQ(JournalLines().size(), 4u);
    }
    TTestSmtpServer server;
    const TCliRun run = Mail(server);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.ends_with("2 letters sent, 4 skipped (sent before, by " + document + ".sent).\n")) << run.out;
    ASSERT_EQ(server.Messages().size(), 2u);
    EXPECT_EQ(Text(server.Messages()[0]["to"]), "DEE POE <dee@example.org>");
    EXPECT_EQ(Text(server.Messages()[1]["to"]), "EVE RAY <eve@example.org>");
    EXPECT_EQ(JournalLines().size(), 6u);

    WriteEvening(2);
    const TCliRun refused = Mail(server);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("\nLetters of an earlier draw went to 6 people on 20"), std::string::npos)
        << refused.err;
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(Mail(server, { "--restart" }).exitCode, 0);
    ASSERT_EQ(server.Messages().size(), 8u);
    EXPECT_NE(Text(server.Messages()[2]["body"]).find("assigned JOS\xC3\x89"), std::string::npos);
    EXPECT_EQ(JournalLines().size(), 6u);
}

TEST_F(MailCommand, NothingIsSentWhenTheServerOrTheListSaysNo)
{
    TTestSmtpServer server;
    std::vector<TPerson> shared = kPeople;
    shared[1].address = "ANN@example.org";
    struct Row {
        const char* what;
        std::vector<TPerson> list;
        std::vector<std::string> options;
        std::string password;
        bool complete;
        int exitCode;
        std::string err;
        int connections;
    };
    const std::string list = csv + ":";
    const Row rows[] = {
        { "wrong password", kPeople, {}, "wrong", true, 1, "refused the login of organiser: 535 5.7.8", 1 },
        { "unknown certificate", kPeople, { "--cacert", "/etc/ssl/certs/ca-certificates.crt" }, "", true, 1,
            "No secure connection to the mail server localhost:", 1 },
        { "missing address", { kPeople.begin(), kPeople.end() - 1 }, {}, "", true, 1, list + " no line for EVE RAY\n",
            0 },
        { "shared address", shared, {}, "", true, 1, list + "3: ANN LEE and BOB KAY share the address", 0 },
        { "incomplete draw", kPeople, {}, "", false, 3,
            "the draw is not complete. These givers have no taker:\n  EVE RAY\n", 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteList(row.list);
        WriteEvening(1, row.complete);
        const int before = server.Connections();
        const TCliRun run
            = Mail(server, row.options, true, row.password.empty() ? TTestSmtpServer::kPassword : row.password);
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
        EXPECT_EQ(server.Connections() - before, row.connections);
        EXPECT_TRUE(server.Messages().empty());
        EXPECT_FALSE(std::filesystem::exists(document + ".sent"));
    }
}

TEST_F(MailCommand, SessionsFollowTheServer)
{
    struct Row {
        TServerOptions server;
        std::vector<std::string> options;
        bool login;
        int connections;
    };
    const Row rows[] = {
        { { .drop = 3 }, { "--pace", "0.05" }, true, 2 },
        { {}, { "--per-connection", "4" }, true, 2 },
        { { .plain = true }, {}, false, 1 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.connections);
        std::filesystem::remove(document + ".sent");
        TTestSmtpServer server(row.server);
        const TCliRun run = Mail(server, row.options, row.login);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::vector<std::string> to;
        for (const QJsonObject& m : server.Messages())
            to.push_back(Text(m["rcpt_tos"].toArray().at(0)));
        EXPECT_EQ(to,
            (std::vector<std::string> { "ann@example.org", "bob@example.org", "jose@example.org", "cy@example.org",
                "dee@example.org", "eve@example.org" }));
        EXPECT_EQ(server.Connections(), row.connections);
    }
}

TEST_F(MailCommand, ADryRunWritesFilesForTheOrganiserAloneAndSendsNothing)
{
    TTestSmtpServer server;
    const std::string folder = dir / "messages";
    const TCliRun run = Mail(server, { "--dry-run", folder });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "6 messages written to " + folder + ", none sent. Each file shows whom its giver gives to.\n");
    struct stat status { };
    ::stat(folder.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    for (const TPerson& p : kPeople) {
        const std::string file = folder + "/" + p.name + ".eml";
        ASSERT_EQ(::stat(file.c_str(), &status), 0) << file;
        EXPECT_EQ(status.st_mode & 0777, 0600u);
        EXPECT_NE(ReadText(file).find("<" + p.address + ">\r\n"), std::string::npos);
    }
    const std::string refused = Mail(server, { "--dry-run", folder }).err;
    EXPECT_NE(refused.find("\nNothing written: these files exist already"), std::string::npos);
    EXPECT_NE(refused.find("\n  " + folder + "/" + kPeople[2].name + ".eml\n"), std::string::npos) << refused;
    EXPECT_EQ(Mail(server, { "--dry-run", folder, "--force" }).exitCode, 0);
    const std::string inFolder = folder + "/ANN LEE.eml";
    std::filesystem::copy_file(csv, inFolder, std::filesystem::copy_options::overwrite_existing);
    csv = inFolder;
    EXPECT_NE(Mail(server, { "--dry-run", folder, "--force" }).err.find("which the run reads"), std::string::npos);
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_FALSE(std::filesystem::exists(document + ".sent"));
}

} // namespace
