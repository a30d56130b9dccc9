// The address list, the journal and the run's handling of a server that fails, below the
// command line: a register in memory or on disk and a scripted transport.

#include "mail/MailRun.h"
#include "mail/AddressList.h"
#include "mail/SentJournal.h"
#include "platform/Windows1252.h"
#include "register/KksDocument.h"
#include "register/RegisterTestSupport.h"
#include "support/FileFaults.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>

#include <sys/stat.h>

using namespace testsupport;
using namespace mail;

namespace {

class MailRunTest : public TRegisterTest {
protected:
    /// ANN LEE, BOB KAY, JOSÉ NÚÑEZ, CY OH, DEE POE, EVE RAY, each giving to the next.
    void SetUp() override
    {
        TRegisterTest::SetUp();
        r.groups.Add("X");
        for (const auto& [first, last] :
            std::vector<std::pair<std::string, std::string>> { { "ANN", "LEE" }, { "BOB", "KAY" },
                { "JOS\xC9", "N\xDA\xD1\x45Z" }, { "CY", "OH" }, { "DEE", "POE" }, { "EVE", "RAY" } })
            givers.push_back(r.Add(first, last, 0));
        for (std::size_t g = 0; g < givers.size(); ++g)
            givers[g]->SetTaker(givers[(g + 1) % givers.size()]);
    }
    std::vector<const TCCUser*> Givers() const { return { givers.begin(), givers.end() }; }
    std::string Save()
    {
        WriteKksDocument(document, r.groups, r.participants, { "Dear [M]" });
        return document;
    }
    /// The document and a people list with everybody's address.
    void SaveWithPeople()
    {
        Save();
        std::string csv = "first,last,email\n";
        for (const TCCUser* giver : Givers())
            csv += giver->FirstName == "JOS\xC9"
                ? "Jos\xC3\xA9,N\xC3\x9A\xC3\x91\x45Z,jose@example.org\n"
                : giver->FirstName + "," + giver->LastName + "," + giver->FirstName + "@example.org\n";
        std::ofstream(dir / "people.csv") << csv;
    }

    TTempDir dir;
    std::string document = dir / "evening.kks";
    TRegister r;
    std::vector<TCCUser*> givers;
};

using TProblems = std::vector<std::pair<std::int64_t, std::string>>;

TProblems Listed(const TLineProblems& problems)
{
    TProblems listed;
    for (const TLineProblem& p : problems.Listed())
        listed.emplace_back(p.line, p.reason);
    return listed;
}

TEST_F(MailRunTest, EveryGiverNeedsOneAddressOfTheirOwnAndStrangersAreOnlyNamed)
{
    const std::string csv = "Email,First Name,Last Name,Team\n"
                            "ann@example.org,Ann,Lee,A\n"
                            "bob@example.org,  bob , KAY ,B\n"
                            "jose@example.org,Jos\xC3\xA9,N\xC3\xBA\xC3\xB1\x65z,C\n"
                            "ANN@example.org,Cy,Oh,D\n"
                            "bob2@example.org,Bob,Kay,B\n"
                            "dee@,Dee,Poe,E\n"
                            "olga@example.org,Olga,Organiser\n"
                            "lukasz@example.org,\xC5\x81ukasz,Nowak\n"
                            ",,,someone\n";
    for (const bool allowShared : { false, true }) {
        SCOPED_TRACE(allowShared);
        const TAddressMatch match = MatchAddresses(csv, Givers(), allowShared);
        const std::string shared = "ANN LEE and CY OH share the address ANN@example.org (lines 2 and 5): one inbox ";
        TProblems errors { { 6, "a second line for BOB KAY (the first is line 3)" },
            { 7, "\"dee@\" is not an e-mail address (DEE POE)" }, { 0, "no line for EVE RAY" } };
        TProblems warnings { { 8, "Olga Organiser matches no participant" },
            { 9, "\xC5\x81ukasz Nowak matches no participant: " + MessageOf<platform::ECodePageError>([] {
                 platform::Utf8ToWindows1252("\xC5\x81");
             }) },
            { 10, "a line without a name" } };
        if (allowShared)
            warnings.insert(warnings.begin(), { 5, shared + "receives both letters" });
        else
            errors.insert(errors.begin(), { 5, shared + "would show both letters" });
        EXPECT_EQ(Listed(match.errors), errors);
        EXPECT_EQ(Listed(match.warnings), warnings);
        EXPECT_EQ(match.addresses,
            (std::vector<std::string> {
                "ann@example.org", "bob@example.org", "jose@example.org", "ANN@example.org", "", "" }));
    }
    for (const auto& [header, problem] : std::vector<std::pair<std::string, std::string>> {
             { "first,last,group\n", "no e-mail column (\"email\", \"e-mail\" or \"mail\")" },
             { "mail,group\n", "no name column (\"first\", \"first name\", \"last\" or \"last name\")" },
             { "first,last,email,E-Mail\n", "two columns say the same thing: \"email\" and \"E-Mail\"" } })
        EXPECT_EQ(Listed(MatchAddresses(header, Givers(), false).errors), (TProblems { { 1, problem } })) << header;
}

TEST_F(MailRunTest, TheJournalKnowsItsDrawAndSurvivesALineCutShort)
{
    Save();
    ::chmod(document.c_str(), 0640);
    {
        TSentJournal journal(document, Givers());
        EXPECT_EQ(journal.State(), TSentJournal::TState::None);
        journal.RecordSent(*givers[0], 40000000);
        journal.RecordSent(*givers[2], 40000000);
    }
    struct stat status { };
    ASSERT_EQ(::stat(TSentJournal::PathFor(document).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    std::ofstream(TSentJournal::PathFor(document), std::ios::app) << "sent\t1970-01-01T00:00:00+0000\tCY";
    {
        TSentJournal journal(document, Givers());
        EXPECT_EQ(journal.State(), TSentJournal::TState::SameDraw);
        EXPECT_EQ(journal.SentCount(), 2);
        EXPECT_TRUE(journal.WasSent(*givers[2]));
        EXPECT_FALSE(journal.WasSent(*givers[3]));
        journal.RecordSent(*givers[3], 40000000);
    }
    EXPECT_EQ(TSentJournal(document, Givers()).SentCount(), 3);

    for (std::size_t g = 0; g < givers.size(); ++g) // the other way round: a different draw
        givers[g]->SetTaker(givers[(g + givers.size() - 1) % givers.size()]);
    const TSentJournal changed(document, Givers());
    EXPECT_EQ(changed.State(), TSentJournal::TState::EarlierDraw);
    EXPECT_EQ(changed.EarlierCount(), 3);
    EXPECT_EQ(changed.EarlierDate().substr(0, 4), "1971");
    EXPECT_FALSE(changed.WasSent(*givers[2]));
}

/// Answers each Send with the next failure queued, or accepts; can cancel the run.
class TScriptedTransport final : public IMailTransport {
public:
    void Send(const TEnvelope& envelope, const std::string&) override
    {
        ++tries;
        if (!failures.empty()) {
            const TFailure failure = failures.front();
            failures.pop_front();
            throw ETransportError(failure, "scripted");
        }
        accepted.push_back(envelope.to);
    }
    void EndSession() override { ++sessionsEnded; }

    std::deque<TFailure> failures;
    std::vector<std::string> accepted;
    int tries = 0;
    int sessionsEnded = 0;
};

TEST_F(MailRunTest, ALostConnectionIsTriedThreeTimesMoreAndAnythingElseStopsTheRun)
{
    SaveWithPeople();
    struct Row {
        std::deque<TFailure> failures;
        int tries;
        int sent;
        std::optional<TFailure> stop;
    };
    const auto lost = TFailure::ConnectionLost;
    const Row rows[] = {
        { { lost, lost, lost }, 9, 6, std::nullopt },
        { { lost, lost, lost, lost }, 4, 0, lost },
        { { lost, TFailure::Refused }, 2, 0, TFailure::Refused },
        { { TFailure::Timeout }, 1, 0, TFailure::Timeout },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tries);
        std::remove(TSentJournal::PathFor(document).c_str());
        TMailSettings settings;
        settings.from = "org@example.org";
        settings.retryPause = std::chrono::milliseconds(1);
        settings.perConnection = 4;
        TMailRun run(document, dir / "people.csv", settings);
        ASSERT_TRUE(run.Ready()) << (run.Errors().Empty() ? "" : run.Errors().Listed().front().reason);
        TScriptedTransport transport;
        transport.failures = row.failures;
        const TSendResult result = run.Send(transport, {});
        EXPECT_EQ(transport.tries, row.tries);
        EXPECT_EQ(result.sent, row.sent);
        EXPECT_EQ(result.remaining, 6 - row.sent);
        EXPECT_EQ(result.failure, row.stop);
        EXPECT_EQ(transport.sessionsEnded, row.sent == 6 ? 2 : 1) << "after four messages, and at the end";
        EXPECT_EQ(TSentJournal(document, Givers()).SentCount(), row.sent);
    }

    // Cancelled while the second message is in flight: it is finished, then the run stops.
    std::atomic<bool> cancel = false;
    TMailSettings settings;
    settings.from = "org@example.org";
    TMailRun run(document, dir / "people.csv", settings);
    TScriptedTransport transport;
    const TSendResult result
        = run.Send(transport, { true, [&](const TMailProgress& p) { cancel = cancel || p.number == 2; }, &cancel });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(transport.accepted, (std::vector<std::string> { "ANN@example.org", "BOB@example.org" }));
    EXPECT_EQ(result.remaining, 4);

    // A journal that cannot be written would let letters go twice: nothing goes at all.
    const TPermissionsApply permissions;
    ::chmod(dir.Path().c_str(), 0500);
    TScriptedTransport untouched;
    EXPECT_THROW(run.Send(untouched, { true, {}, nullptr }), std::runtime_error);
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_TRUE(!permissions.Active() || untouched.tries == 0);
}

TEST_F(MailRunTest, WhileOneRunSendsAnotherIsRefusedAndAfterwardsSendsOnlyTheRest)
{
    SaveWithPeople();
    TMailSettings settings;
    settings.from = "org@example.org";
    TMailRun first(document, dir / "people.csv", settings);
    TMailRun second(document, dir / "people.csv", settings); // reads the journal before any letter goes
    TScriptedTransport transport;
    TScriptedTransport untouched;
    std::string refusal;
    std::atomic<bool> cancel = false;
    first.Send(transport,
        { false,
            [&](const TMailProgress& p) {
                if (p.number == 2 && !p.accepted)
                    refusal = MessageOf<std::runtime_error>([&] { second.Send(untouched, {}); });
                cancel = cancel || p.number == 3;
            },
            &cancel });
    EXPECT_EQ(refusal, "Letters of " + document + " are being sent by another run; try again once it has ended");
    EXPECT_EQ(untouched.tries + untouched.sessionsEnded, 0);
    const TSendResult rest = second.Send(untouched, {});
    EXPECT_EQ(
        untouched.accepted, (std::vector<std::string> { "CY@example.org", "DEE@example.org", "EVE@example.org" }));
    EXPECT_EQ(rest.skipped, 3);
}

} // namespace
