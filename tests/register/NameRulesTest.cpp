// The name rules shared by the window's edit panel and the import of a participant list.

#include "register/NameRules.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(CleanName, TrimsUpperCasesEveryLetterWithACapitalAndKeepsTheFirstWord)
{
    const std::pair<const char*, const char*> cases[]
        = { { "  mary ann  ", "MARY" }, { "red team", "RED" }, { "", "" }, { "   ", "" }, { "\t\x01 bob\r\n", "BOB" },
              { "a\tb c", "A\tB" }, // only a blank splits: a tab inside the name stays
              { "o'neil-2", "O'NEIL-2" }, { ".", "." }, { " . x", "." },
              { "ann\xa0lee", "ANN\xa0LEE" }, // a non-breaking space (0xA0) is no blank and no trim
              // Names as people write them: José Müller, Çedric Núñez, Zoë Østergård.
              { "jos\xe9", "JOS\xc9" }, { "m\xfcller", "M\xdcLLER" }, { "\347edric", "\307EDRIC" },
              { "n\xfa\361ez", "N\xda\321EZ" }, // octal: a hex escape would go on into "e"
              { "zo\xeb", "ZO\xcb" }, { "\xf8sterg\xe5rd", "\xd8STERG\xc5RD" },
              { "\xe0\xfe\x9a\x9c\x9e\xff", "\xc0\xde\x8a\x8c\x8e\x9f" }, // à..þ, and the four apart
              { "stra\xdf\x65\xf7\xb5\xaa", "STRA\xdf\x45\xf7\xb5\xaa" } }; // ß, ÷, µ and ª stay
    for (const auto& [typed, cleaned] : cases)
        EXPECT_EQ(cleaned, CleanName(typed)) << typed;
}

TEST(CutText, KeepsAtMostTheCapacity)
{
    EXPECT_EQ(std::string(60, 'A'), CutText(std::string(75, 'A'), kGroupNameCapacity));
    EXPECT_EQ("ABC", CutText("ABC", 60));
    // The current group holds as much as any group name, so every group can be found again.
    EXPECT_EQ(kGroupNameCapacity, kCurrentGroupCapacity);
}

TEST(NameRules, ParticipantNamesAreCleanedAndCutToTheRecordsCapacity)
{
    const TParticipantNames names = CleanParticipantNames(" ann marie ", std::string(35, 'b'));
    EXPECT_EQ("ANN", names.first);
    EXPECT_EQ(std::string(30, 'B'), names.last);
    EXPECT_EQ("ANN" + std::string(30, 'B'), names.Key());
    EXPECT_FALSE(CleanParticipantNames("  ", "\t").HasKey());
    EXPECT_FALSE(IsGroupName(CleanGroupName(" . x")));
    EXPECT_EQ(std::string(60, 'G'), CleanGroupName(std::string(70, 'g')));
}

} // namespace
