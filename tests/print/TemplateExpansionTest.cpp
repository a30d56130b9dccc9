#include "print/Letters.h"

#include "Participants.h"

#include <gtest/gtest.h>

namespace {

struct TExpansionCase {
    const char* name;
    std::string line;
    std::string expected;
};

class TemplateExpansion : public ::testing::TestWithParam<TExpansionCase> {
protected:
    void SetUp() override
    {
        people = MakeParticipants({{"John", "Smith"}, {"Ann", "Lee", 1}});
        john = UserAt(*people, 0);
        john->SetTaker(UserAt(*people, 1));
    }
    std::unique_ptr<TStringList> people;
    TCCUser* john = nullptr;
};

const std::string k300(300, 'x');
const std::string k256(256, 'x');

const TExpansionCase kCases[] = {
    // The worked examples.
    {"GiverPlaceholder", "Dear [M]", "Dear John Smith"},
    {"LowerCaseKeys", "[g] and [m]", "Ann Lee and John Smith"},
    {"TwoCharacterKeyKeptRestExpanded", "See [MG] or [G]", "See [MG] or Ann Lee"},
    {"UnknownKeyStopsTheRestOfTheLine", "Hello [M], [X] and [G]", "Hello John Smith, [X] and [G]"},
    {"UnknownKeyFirstStopsEverything", "[X] then [M]", "[X] then [M]"},
    {"ClosingBracketBeforeOpening", "a] b [M]", "a] b John Smith"},
    // Further rules.
    {"NoBracketAtAll", "Merry Christmas", "Merry Christmas"},
    {"EmptyLine", "", ""},
    {"EmptyBracketsKept", "[] [M]", "[] John Smith"},
    {"BlankInsideBracketsKept", "[ M] [G]", "[ M] Ann Lee"},
    {"PlaceholdersSideBySide", "[M][G][m]", "John SmithAnn LeeJohn Smith"},
    {"DoubledOpeningBracket", "[[M]]", "[[M]]"},
    {"BracketAroundDigitStops", "[1] [M]", "[1] [M]"},
    // A "[" that is never closed is plain text, wherever it stands.
    {"UnclosedPlaceholder", "Dear [M", "Dear [M"},
    {"UnclosedAfterPlaceholder", "[M] and [G", "John Smith and [G"},
    {"UnclosedAfterStrayClosing", "a] [M", "a] [M"},
    {"OnlyOpeningBrackets", "[[[", "[[["},
    // At most 256 characters after each closing bracket carry on.
    {"TailCutAfterPlaceholder", "[M]" + k300, "John Smith" + k256},
    {"TailCutAfterKeptBrackets", "[MG]" + k300, "[MG]" + k256},
    {"TailCutAfterStrayClosing", "x]" + k300 + "[M]", "x]" + k256},
    {"TailOfExactly256Kept", "[M]" + k256 + "[G]", "John Smith" + k256},
    {"TailCutHidesLaterPlaceholder", "[M]" + std::string(254, 'y') + "[G]", "John Smith" + std::string(254, 'y') + "[G"},
    {"LineWithoutOpeningIsNeverCut", "]" + k300, "]" + k300},
    {"UnknownKeyLineIsNeverCut", "[X]" + k300, "[X]" + k300},
};

TEST_P(TemplateExpansion, ExpandsForGiverWithTaker)
{
    EXPECT_EQ(ExpandTemplateLine(GetParam().line, john), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, TemplateExpansion, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TemplateExpansionWithoutParticipant, LineComesBackUnchanged)
{
    EXPECT_EQ(ExpandTemplateLine("Dear [M], [G]", nullptr), "Dear [M], [G]");
    EXPECT_EQ(ExpandTemplateLine("[M]" + k300, nullptr), "[M]" + k300);
}

TEST(TemplateExpansionWithoutTaker, TakerPlaceholderBecomesNothing)
{
    auto people = MakeParticipants({{"John", "Smith"}, {"Ann", "Lee"}});
    const TCCUser* john = UserAt(*people, 0);
    EXPECT_EQ(ExpandTemplateLine("You have been assigned [G] in the Kris Kringle. ", john),
              "You have been assigned  in the Kris Kringle. ");
    EXPECT_EQ(ExpandTemplateLine("[g][M]", john), "John Smith");
}

TEST(TemplateExpansionNames, EmptyLastNameLeavesTrailingSpace)
{
    auto people = MakeParticipants({{"CHER", ""}, {"Ann", "Lee"}});
    UserAt(*people, 0)->SetTaker(UserAt(*people, 1));
    UserAt(*people, 1)->SetTaker(UserAt(*people, 0));
    EXPECT_EQ(ExpandTemplateLine("Dear [M].", UserAt(*people, 0)), "Dear CHER .");
    EXPECT_EQ(ExpandTemplateLine("For [G].", UserAt(*people, 1)), "For CHER .");
}

TEST(TemplateExpansionNames, NamesAreNotExpandedAgain)
{
    // A name that itself looks like a placeholder is printed as it stands.
    auto people = MakeParticipants({{"[G]", "[M]"}, {"Ann", "Lee"}});
    TCCUser* odd = UserAt(*people, 0);
    odd->SetTaker(UserAt(*people, 1));
    EXPECT_EQ(ExpandTemplateLine("Dear [M] for [G]", odd), "Dear [G] [M] for Ann Lee");
}

TEST(TemplateExpansionLongLines, OnlyTheFirst256CharactersAfterABracketCarryOn)
{
    // 1,000 placeholders in a row: after the first "]" only 256 characters carry on,
    // which hold 85 more placeholders and the "[" of the next one.
    auto people = MakeParticipants({{"A", "B"}, {"C", "D"}});
    std::string line;
    for (int i = 0; i < 1000; ++i)
        line += "[M]";
    std::string expected;
    for (int i = 0; i < 86; ++i)
        expected += "A B";
    expected += "[";
    const std::string expanded = ExpandTemplateLine(line, UserAt(*people, 0));
    EXPECT_EQ(expanded.size(), expected.size());
    EXPECT_TRUE(expanded == expected);
}

} // namespace
