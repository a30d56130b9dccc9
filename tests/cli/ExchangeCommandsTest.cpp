// tinselwick-cli import and export as an organiser runs them: the built program on files.

#include "register/CCUser.h"
#include "register/KksDocument.h"
#include "register/RegisterTestSupport.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;

namespace {

class ExchangeCommands : public TRegisterTest {
protected:
    TCliRun Run(const std::vector<std::string>& arguments) { return RunCli(arguments, dir.Path().string()); }

    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = dir / name;
        WriteFileBytes(path, Bytes(text.begin(), text.end()));
        return path;
    }

    TTempDir dir;
};

TEST_F(ExchangeCommands, ImportMakesADocumentAndExportGivesTheListBack)
{
    const std::string csv
        = Write("office.csv", "first,last,department\nAnn,Lee,Sales\nBob,Kay,IT\nJos\xC3\xA9,,Sales\n");
    const std::string kks = dir / "office.kks";
    const TCliRun imported = Run({ "import", csv, "--output", kks });
    ASSERT_EQ(0, imported.exitCode) << imported.err;
    EXPECT_EQ("3 participants in 2 groups\n", imported.out);
    const TKksDocument document = ReadKksDocument(kks, nullptr);
    EXPECT_EQ((std::vector<std::string> { "SALES", "IT" }), document.GroupNames->Texts());
    EXPECT_EQ((std::vector<std::string> { "ANNLEE", "BOBKAY", "JOS\xC9" }), document.Participants->Texts());
    EXPECT_FALSE(document.TemplateLines.empty());

    const std::string header = "group,first,last,taker_first,taker_last\r\n";
    const std::string rows = "SALES,ANN,LEE,,\r\nIT,BOB,KAY,,\r\nSALES,JOS\xC3\x89,,,\r\n";
    EXPECT_EQ(header + rows, Run({ "export", kks, "--csv", "-" }).out);
    ASSERT_EQ(0, Run({ "export", kks, "--csv", dir / "back.csv" }).exitCode);
    EXPECT_EQ(header + rows, ReadText(dir / "back.csv"));
}

TEST_F(ExchangeCommands, ImportRefusesEveryBadLineAndAnExistingDocumentWritingNothing)
{
    const std::string csv = Write("bad.csv", "first,last,group\nann,lee,home\nbob,kay,\nann,lee,away\n");
    const std::string kks = dir / "out.kks";
    const TCliRun run = Run({ "import", csv, "--output", kks });
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(csv + ":3: no group\n" + csv + ":4: Participant ANNLEE already exists\n", run.err);
    EXPECT_FALSE(std::filesystem::exists(kks));

    const std::string good = Write("good.csv", "first,group\nann,home\nbob,away\n");
    Write("out.kks", "keep me");
    const TCliRun refused = Run({ "import", good, "--output", kks });
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_EQ(kks + " exists already (--force replaces it)\n", refused.err);
    EXPECT_EQ("keep me", ReadText(kks));
    EXPECT_EQ(0, Run({ "import", good, "--output", kks, "--force" }).exitCode);
    EXPECT_EQ(2, ReadKksDocument(kks, nullptr).Participants->Count());
}

TEST_F(ExchangeCommands, ImportTellsWhatItIgnoredCutOrRefusedOnStandardError)
{
    std::string doubled = "first,group\n";
    std::string doubledErr;
    for (int line = 2; line <= 104; ++line) {
        doubled += "ann,home\n";
        if (line > 2 && line <= 102)
            doubledErr += "CSV:" + std::to_string(line) + ": Participant ANN already exists\n";
    }
    const struct {
        std::string csv;
        int exitCode;
        std::string err;
        std::string out;
    } cases[] = {
        { "first,last,group,notes\nAnn,De la Cruz,home,x\n", 0,
            "CSV:1: ignored column \"notes\"\nCSV:2: last name \"De la Cruz\" cut to \"DE\"\n",
            "1 participants in 1 groups, 1 name cut\n" },
        { "first,group\nJos\xE9,home\n", 1,
            "CSV:2: the byte 0xe9 (byte 4 of the line) is not UTF-8: the file looks like Windows-1252 or Latin-1; "
            "save it as UTF-8\n",
            "" },
        { doubled, 1, doubledErr + "CSV: 2 more lines refused\n", "" },
    };
    for (const auto& c : cases) {
        const std::string csv = Write("people.csv", c.csv);
        const TCliRun run = Run({ "import", csv, "--output", dir / "out.kks", "--force" });
        EXPECT_EQ(c.exitCode, run.exitCode) << c.csv;
        std::string err = c.err;
        for (std::size_t at = err.find("CSV"); at != std::string::npos; at = err.find("CSV", at + csv.size()))
            err.replace(at, 3, csv);
        EXPECT_EQ(err, run.err);
        EXPECT_EQ(c.out, run.out);
    }
}

} // namespace
