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
    EXPECT_EQ(TLines {}, Problems(r.problems.Listed()));
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
        Problems(r.problems.Listed()));

    const std::pair<const char*, TLines> headers[] = {
        { "", { { 1, "no header row" } } },
        { "first,last\nann,lee\n", { { 1, "no group column (\"group\", \"household\" or \"department\")" } } },
        { "group,email\nhome,x\n", { { 1, "no name column (\"first\", \"first name\", \"last\" or \"last name\")" } } },
        { "first,Household,group\n", { { 1, "two columns say the same thing: \"Household\" and \"group\"" } } },
        { "\n\nfirst,group\n", { { 3, "no participants after the header" } } },
        { "first,group\nann,\"ho\"me\nbob,home\n",
            { { 2,
                "a quote in the middle of a field (a field in quotes must end with a quote followed by a comma or the "
                "end of the line)" } } },
    };
    for (const auto& [text, problems] : headers)
        EXPECT_EQ(problems, Problems(ImportRegister(text).problems.Listed())) << text;
    // The name rule would capitalise š and á, but ě has no place in the code page at all.
    EXPECT_EQ((TLines { { 2,
                  "first name \"\xC5\xA1t\xC4\x9Bp\xC3\xA1n\": The character \"\xC4\x9B\" (U+011B) cannot be stored: "
                  "texts are kept in the Windows-1252 code page" } }),
        Problems(ImportRegister("first,group\n\xC5\xA1t\xC4\x9Bp\xC3\xA1n,home\n").problems.Listed()));
}

// Hostile and careless files: each row was read wrongly or silently once.
TEST_F(Exchange, ImportRefusesWhatItCannotReadSoundlyNamingLineAndCause)
{
    const std::string header = "first,last,group\n";
    const std::pair<std::string, TLines> cases[] = {
        // Encodings: a Windows-1252 file, UTF-8 cut at a cell's end, UTF-16.
        { header + "Jos\xE9,Lee,Caf\xE9\nM\xFCller,Kay,home\n",
            { { 2,
                "the byte 0xe9 (byte 4 of the line) is not UTF-8: the file looks like Windows-1252 or Latin-1; save "
                "it as UTF-8" } } },
        { header + "Jos\xC3\xA9,Lee,home\nAnn\xC3,Lee,home\r\nBob,Kay,x\xE2\x82\n",
            { { 3, "the byte 0xc3 (byte 4 of the line) is not UTF-8" },
                { 4, "the byte 0xe2 (byte 10 of the line) is not UTF-8" } } },
        { std::string("\xFF\xFE"
                      "f\0i\0",
              6),
            { { 1, "the file is UTF-16 (it begins with the bytes 0xff 0xfe): save it as UTF-8" } } },
        { "\xFE\xFF", { { 1, "the file is UTF-16 (it begins with the bytes 0xfe 0xff): save it as UTF-8" } } },
        // Headers: a misspelt or blank heading over a name column, a missing group column.
        { "frist,last,group\nann,lee,home\n",
            { { 1, "no first-name column (\"first\" or \"first name\"); not recognised: \"frist\"" } } },
        { ",last,group\nann,lee,home\n",
            { { 1, "no first-name column (\"first\" or \"first name\"); not recognised: column 1 (no heading)" } } },
        { "first,surname,group\nann,lee,home\n",
            { { 1, "no last-name column (\"last\" or \"last name\"); not recognised: \"surname\"" } } },
        { "first,last,grp,\x1b]0;x\x07\n",
            { { 1,
                "no group column (\"group\", \"household\" or \"department\"); not recognised: \"grp\", "
                "\"\\x1b]0;x\\x07\"" } } },
        { std::string(kMaxHeaderCells, ',') + "first,last,group\n", { { 1, "a header of more than 1000 cells" } } },
        // Names: the code page's unassigned bytes are control characters, as C0 ones are.
        { header + "a\xC2\x81z,x,home\nc,\xC2\x9D,home\nd,e,\xC2\x90\n",
            { { 2, "a line break, tab or other control character in the first name" },
                { 3, "a line break, tab or other control character in the last name" },
                { 4, "a line break, tab or other control character in the group" } } },
        // Line ends: a lone CR ends a line, as LF and CRLF do.
        { "first,last,group\rann,lee,home\r\rbob,kay,\r\ncat,day,\n", { { 4, "no group" }, { 5, "no group" } } },
    };
    for (const auto& [csv, problems] : cases)
        EXPECT_EQ(problems, Problems(ImportRegister(csv).problems.Listed())) << csv.substr(0, 60);
}

TEST_F(Exchange, ImportStopsPastADocumentsCapacityAndListsAHundredRefusedLines)
{
    std::string many = "first,group\n";
    for (int k = 0; k < 40000; ++k)
        many += "p" + std::to_string(k) + ",home\n";
    EXPECT_EQ((TLines { { 32769,
                  "more than 32767 participants, the most a document holds; the rest of the file is not read" } }),
        Problems(ImportRegister(many).problems.Listed()));

    std::string same = "first,group\n";
    for (int k = 0; k < 250; ++k)
        same += "ann,home\n";
    const TImportedRegister refused = ImportRegister(same);
    ASSERT_EQ(TLineProblems::kListed, refused.problems.Listed().size());
    EXPECT_EQ(149, refused.problems.Unlisted());
    const std::string report = RefusedLinesReport("f.csv", refused.problems);
    EXPECT_TRUE(report.starts_with("f.csv:3: Participant ANN already exists\nf.csv:4: ")) << report;
    EXPECT_TRUE(report.ends_with("f.csv:102: Participant ANN already exists\nf.csv: 149 more lines refused\n"))
        << report;
}

TEST_F(Exchange, ImportTellsTheColumnsItIgnoresAndEveryCellItCuts)
{
    const std::string csv = "\xEF\xBB\xBF\xEF\xBB\xBF"
                            "First,Notes,Last,E-Mail,Group,,\n"
                            "Ann Marie,x,De la Cruz,a@b.c,Sales Team,,\n"
                            "bob,,kay,,sales team\n"
                            "Wolfeschlegelsteinhausenbergerdorff,,,,home\n";
    const TImportedRegister r = ImportRegister(csv);
    ASSERT_EQ(TLines {}, Problems(r.problems.Listed()));
    EXPECT_EQ((std::vector<std::string> { "ANNDE SALES", "BOBKAY SALES", "WOLFESCHLEGELSTEINHAUSENBERGER HOME" }),
        Members(*r.groupNames, *r.participants));
    EXPECT_EQ("f.csv:1: ignored column \"Notes\"\n"
              "f.csv:2: first name \"Ann Marie\" cut to \"ANN\"\n"
              "f.csv:2: last name \"De la Cruz\" cut to \"DE\"\n"
              "f.csv:2: group \"Sales Team\" cut to \"SALES\"\n"
              "f.csv:4: first name \"Wolfeschlegelsteinhausenbergerdorff\" cut to \"WOLFESCHLEGELSTEINHAUSENBERGER\"\n",
        ImportNotes("f.csv", r));
    EXPECT_EQ("3 participants in 2 groups, 4 names cut\n", ImportSummary(r));
}

TEST(Csv, FormulaCellsGoOutBehindAnApostropheAndComeBackAsTheyWere)
{
    const std::vector<std::string> fields
        = { "=CMD|'/C calc'!A0", "+1", "-2", "@SUM(A1)", "\tx", "\ry", "'=z", "''-w", "'plain", "'", "a-b", "" };
    const std::string line = CsvLine(fields);
    EXPECT_EQ("'=CMD|'/C calc'!A0,'+1,'-2,'@SUM(A1),'\tx,\"'\ry\",''=z,'''-w,'plain,',a-b,\r\n", line);
    TCsvReader reader(line);
    TCsvRecord record;
    ASSERT_TRUE(reader.Next(record, fields.size()));
    EXPECT_EQ(fields, record.fields);
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
    EXPECT_EQ(TLines {}, Problems(back.problems.Listed()));
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

    // Read as the import reads: encodings, lone CRs; and no text of the file raw in a message.
    const std::pair<const char*, TLines> files[] = {
        { "giver,taker\rann lee,bob kay\r\x1b]0;PWNED\x07,ann lee\r",
            { { 3, "nobody is called \"\\x1b]0;PWNED\\x07\"" } } },
        { "giver,taker\nJOS\xC9,ann lee\n",
            { { 2,
                "the byte 0xc9 (byte 4 of the line) is not UTF-8: the file looks like Windows-1252 or Latin-1; save "
                "it as UTF-8" } } },
    };
    for (const auto& [csv, expected] : files) {
        problems.clear();
        ReadExcludedPairs(csv, now.participants, problems);
        EXPECT_EQ(expected, Problems(problems)) << csv;
    }
}

} // namespace
