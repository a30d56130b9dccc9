// Participant lists in and out of CSV, and the pairs a draw must not make.

#include "exchange/Csv.h"
#include "exchange/DrawExclusions.h"
#include "exchange/RegisterExport.h"
#include "exchange/RegisterImport.h"
#include "register/CCUser.h"
#include "register/RegisterTestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

using TLines = std::vector<std::pair<std::int64_t, std::string>>;

TLines Problems(const std::vector<TLineProblem>& problems)
{
    TLines lines;
    for (const TLineProblem& p : problems)
        lines.emplace_back(p.line, p.reason);
    return lines;
}

/// "KEY group" per participant, in list order.
std::vector<std::string> Members(const TStringList& groups, const TStringList& participants)
{
    std::vector<std::string> members;
    for (int i = 0; i < participants.Count(); ++i) {
        const TCCUser* user = UserAt(participants, i);
        const bool named = user->GroupNo >= 0 && user->GroupNo < groups.Count();
        members.push_back(participants.Strings(i) + " " + (named ? groups.Strings(user->GroupNo) : "?"));
    }
    return members;
}

class Exchange : public TRegisterTest { };

TEST_F(Exchange, ImportReadsQuotedFieldsLineEndsAndAnyKnownHeaderThroughTheNameRules)
{
    const std::string csv = "\xEF\xBB\xBFNotes,First Name, LAST ,Household\r\n"
                            "\"likes tea, not coffee\",  ann marie ,Lee,smith\r\n"
                            "\"two\nlines, and \"\"quotes\"\"\",bob,\"O'Kay\",Jones\n"
                            "\n"
                            "x,Ren\xC3\xA9\x65,lee,SMITH\n"
                            ",cat,,\"jones\"\n"
                            ",\xC3\xA7\x65\x64ric,n\xC3\xBA\xC3\xB1\x65z,jones";
    const TImportedRegister r = ImportRegister(csv);
    EXPECT_EQ(TLines {}, Problems(r.problems));
    EXPECT_EQ((std::vector<std::string> { "SMITH", "JONES" }), r.groupNames->Texts());
    EXPECT_EQ((std::vector<std::string> { "ANNLEE SMITH", "BOBO'KAY JONES",
                  "REN\xC9"
                  "ELEE SMITH",
                  "CAT JONES", "\xC7\x45\x44RICN\xDA\xD1\x45Z JONES" }),
        Members(*r.groupNames, *r.participants));
    EXPECT_EQ("ANN", UserAt(*r.participants, 0)->FirstName);
}

TEST_F(Exchange, ImportRefusesEveryBadRowWithItsLineAndTheWindowsWords)
{
    const std::string csv = "first,last,group\n"
                            "ann,lee,home\n"
                            "bob,kay,\n"
                            "cat,day,.\n"
                            " , ,home\n"
                            "ANN,Lee,away\n"
                            "\xC5\x81ukasz,nowak,home\n"
                            "dan,ray,home,extra\n"
                            "gil,ray,\"Home Team\"\n"
                            "\"eve\n"
                            "multi\",x,\"home\"\n"
                            "fay,ng,\"home";
    const TImportedRegister r = ImportRegister(csv);
    EXPECT_EQ((TLines { { 3, "no group" }, { 4, "\".\" cannot name a group" }, { 5, "no name" },
                  { 6, "Participant ANNLEE already exists" },
                  { 7,
                      "first name \"\xC5\x81ukasz\": The character \"\xC5\x81\" (U+0141) cannot be stored: texts are "
                      "kept in the Windows-1252 code page" },
                  { 8, "more fields than the header's 3 columns" }, { 9, "Group HOME already exists" },
                  { 10, "a line break, tab or other control character in the first name" },
                  { 12, "a field in quotes is never closed" } }),
        Problems(r.problems));

    const std::pair<const char*, TLines> headers[] = {
        { "", { { 1, "no header row" } } },
        { "first,last\nann,lee\n", { { 1, "no group column (\"group\", \"household\" or \"department\")" } } },
        { "group,notes\nhome,x\n", { { 1, "no name column (\"first\", \"first name\", \"last\" or \"last name\")" } } },
        { "first,Household,group\n", { { 1, "two columns say the same thing: \"Household\" and \"group\"" } } },
        { "\n\nfirst,group\n", { { 3, "no participants after the header" } } },
        { "first,group\nann,\"ho\"me\nbob,home\n",
            { { 2,
                "a quote in the middle of a field (a field in quotes must end with a quote followed by a comma or the "
                "end of the line)" } } },
    };
    for (const auto& [text, problems] : headers)
        EXPECT_EQ(problems, Problems(ImportRegister(text).problems)) << text;
    // The name rule would capitalise š and á, but ě has no place in the code page at all.
    EXPECT_EQ((TLines { { 2,
                  "first name \"\xC5\xA1t\xC4\x9Bp\xC3\xA1n\": The character \"\xC4\x9B\" (U+011B) cannot be stored: "
                  "texts are kept in the Windows-1252 code page" } }),
        Problems(ImportRegister("first,group\n\xC5\xA1t\xC4\x9Bp\xC3\xA1n,home\n").problems));
}

TEST_F(Exchange, ExportWritesEveryParticipantAndImportGivesThemBack)
{
    TKksDocument d { std::make_unique<TStringList>(), std::make_unique<TStringList>(true), {}, true };
    for (const char* group : { "HOME", ".", "SMITH,\"JR\"" })
        d.GroupNames->Add(group);
    auto add = [&d](const char* first, const char* last, int group) {
        auto* user = new TCCUser(d.Participants.get(), nullptr);
        user->SetNames(first, last);
        user->GroupNo = group;
        d.Participants->Add(user->FullName(), user);
        return user;
    };
    TCCUser* ann = add("ANN", "LEE", 0);
    TCCUser* jose = add("JOS\xC9", "", 2);
    add("DOT", "KAY", 1);
    add("NO", "GROUP", 7);
    ann->SetTaker(jose);
    jose->SetTaker(ann);
    const std::string csv = ExportRegister(d);
    EXPECT_EQ("group,first,last,taker_first,taker_last\r\n"
              "HOME,ANN,LEE,JOS\xC3\x89,\r\n"
              "\"SMITH,\"\"JR\"\"\",JOS\xC3\x89,,ANN,LEE\r\n"
              ",DOT,KAY,,\r\n"
              ",NO,GROUP,,\r\n",
        csv);

    // Participants without a named group cannot come back; the others do, in their groups.
    d.Participants->Delete(3);
    d.Participants->Delete(2);
    const TImportedRegister back = ImportRegister(ExportRegister(d));
    EXPECT_EQ(TLines {}, Problems(back.problems));
    EXPECT_EQ(Members(*d.GroupNames, *d.Participants), Members(*back.groupNames, *back.participants));
}

TEST_F(Exchange, PairsToAvoidComeFromLastYearByKeyAndFromAListByPrintedName)
{
    TRegister lastYear;
    TRegister now;
    // Last year's names were cleaned before accented letters were capitalised.
    TCCUser* then[] = { lastYear.Add("ann", "lee", 0), lastYear.Add("BOB", "KAY", 1), lastYear.Add("GONE", "AWAY", 2),
        lastYear.Add("ZO\xEB", "\xF8STERG\xE5RD", 3) };
    then[0]->SetTaker(then[1]);
    then[1]->SetTaker(then[3]);
    then[3]->SetTaker(then[2]);
    then[2]->SetTaker(then[0]);
    TCCUser* ann = now.Add("ANN", "LEE", 0);
    TCCUser* bob = now.Add("BOB", "KAY", 1);
    TCCUser* cat = now.Add("CAT", "NEW", 1);
    TCCUser* zoe = now.Add("ZO\xCB", "\xD8STERG\xC5RD", 0);
    EXPECT_EQ((TExcludedPairs { { bob, zoe }, { ann, bob } }), LastYearsPairs(lastYear.participants, now.participants));

    std::vector<TLineProblem> problems;
    const TExcludedPairs pairs = ReadExcludedPairs(
        "Taker,Giver\n\"Bob  kay\",ann LEE\ncat new,nobody\nann lee,\"cat new\"\n", now.participants, problems);
    EXPECT_EQ((TExcludedPairs { { ann, bob }, { cat, ann } }), pairs);
    EXPECT_EQ((TLines { { 3, "nobody is called \"nobody\"" } }), Problems(problems));
    problems.clear();
    ReadExcludedPairs("from,to\n", now.participants, problems);
    EXPECT_EQ((TLines { { 1, "the header must name the columns \"giver\" and \"taker\"" } }), Problems(problems));
}

} // namespace
