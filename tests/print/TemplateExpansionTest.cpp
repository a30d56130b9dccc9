#include "print/Letters.h"

#include "Participants.h"

#include <gtest/gtest.h>

namespace {

struct TExpansionCase {
    const char* name;
    std::string line;
    std::string expected;
};

const std::string k300(300, 'x');
const std::string k256(256, 'x');

// Giver John Smith, taker Ann Lee.
const TExpansionCase kCases[] = {
    { "GiverPlaceholder", "Dear [M]", "Dear John Smith" },
    { "LowerCaseKeys", "[g] and [m]", "Ann Lee and John Smith" },
    { "TwoCharacterKeyKeptRestExpanded", "See [MG] or [G]", "See [MG] or Ann Lee" },
    { "UnknownKeyStopsTheRestOfTheLine", "Hello [M], [X] and [G]", "Hello John Smith, [X] and [G]" },
    { "UnknownKeyFirstStopsEverything", "[X] then [M]", "[X] then [M]" },
    { "ClosingBracketBeforeOpening", "a] b [M]", "a] b John Smith" },
    { "EmptyBracketsKept", "[] [M]", "[] John Smith" },
    { "BlankInsideBracketsKept", "[ M] [G]", "[ M] Ann Lee" },
    { "DoubledOpeningBracket", "[[M]]", "[[M]]" },
    // A "[" that is never closed is plain text, wherever it stands.
    { "UnclosedPlaceholder", "Dear [M", "Dear [M" },
    { "UnclosedAfterPlaceholder", "[M] and [G", "John Smith and [G" },
    { "UnclosedAfterStrayClosing", "a] [M", "a] [M" },
    // At most 256 characters after each closing bracket carry on.
    { "TailCutAfterPlaceholder", "[M]" + k300, "John Smith" + k256 },
    { "TailCutAfterKeptBrackets", "[MG]" + k300, "[MG]" + k256 },
    { "TailOfExactly256Kept", "[M]" + k256 + "[G]", "John Smith" + k256 },
    { "TailCutSplitsLaterPlaceholder", "[M]" + std::string(254, 'y') + "[G]",
        "John Smith" + std::string(254, 'y') + "[G" },
    { "LineWithoutOpeningIsNeverCut", "]" + k300, "]" + k300 },
    { "UnknownKeyLineIsNeverCut", "[X]" + k300, "[X]" + k300 },
};

class TemplateExpansion : public ::testing::TestWithParam<TExpansionCase> { };

TEST_P(TemplateExpansion, ForGiverWithTaker)
{
    auto people = MakeParticipants({ { "John", "Smith" }, { "Ann", "Lee" } });
    UserAt(*people, 0)->SetTaker(UserAt(*people, 1));
    EXPECT_EQ(ExpandTemplateLine(GetParam().line, UserAt(*people, 0)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, TemplateExpansion, ::testing::ValuesIn(kCases),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TemplateExpansionGivers, AbsentGiverTakerOrLastName)
{
    auto people = MakeParticipants({ { "CHER", "" }, { "Ann", "Lee" }, { "[G]", "[M]" } });
    UserAt(*people, 2)->SetTaker(UserAt(*people, 0));
    EXPECT_EQ(ExpandTemplateLine("Dear [M], [G]", nullptr), "Dear [M], [G]");
    EXPECT_EQ(ExpandTemplateLine("assigned [G] in", UserAt(*people, 1)), "assigned  in");
    EXPECT_EQ(ExpandTemplateLine("Dear [M].", UserAt(*people, 0)), "Dear CHER .");
    // Names are inserted as they stand, never expanded again.
    EXPECT_EQ(ExpandTemplateLine("[M] for [G]", UserAt(*people, 2)), "[G] [M] for CHER ");
}

TEST(TemplateExpansionGivers, ChainedPlaceholdersStopAfter256Characters)
{
    // After the first "]" only 256 characters carry on: 85 more placeholders and a "[".
    auto people = MakeParticipants({ { "A", "B" }, { "C", "D" } });
    std::string line;
    for (int i = 0; i < 1000; ++i)
        line += "[M]";
    std::string expected;
    for (int i = 0; i < 86; ++i)
        expected += "A B";
    EXPECT_TRUE(ExpandTemplateLine(line, UserAt(*people, 0)) == expected + "[");
}

} // namespace
