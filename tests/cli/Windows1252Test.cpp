#include "platform/Windows1252.h"

#include <gtest/gtest.h>

namespace {

TEST(Windows1252, EveryByteSurvivesTheWayToUnicodeAndBack)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(all, platform::ToWindows1252(platform::FromWindows1252(all)));
    EXPECT_EQ(all, platform::Utf8ToWindows1252(platform::Windows1252ToUtf8(all)));
}

TEST(Windows1252, CodePageLettersMapToTheirUnicodeCharacters)
{
    EXPECT_EQ("\xE2\x82\xAC", platform::Windows1252ToUtf8("\x80")); // €
    EXPECT_EQ("\x8A", platform::Utf8ToWindows1252("\xC5\xA0")); // Š
    EXPECT_EQ("JOS\xC9", platform::Utf8ToWindows1252("JOS\xC3\x89")); // JOSÉ
}

TEST(Windows1252, TextTheCodePageCannotHoldIsRefused)
{
    const struct {
        const char* utf8;
        const char* message;
    } cases[] = {
        { "Ma\xC5\x82gorzata", // Małgorzata
            "The character \"\xC5\x82\" (U+0142) cannot be stored: texts are kept in the Windows-1252 code page" },
        { "Party \xF0\x9F\x8E\x81", // a wrapped present
            "The character \"\xF0\x9F\x8E\x81\" (U+1F381) cannot be stored: texts are kept in the Windows-1252 code "
            "page" },
        { "bad \xFF utf-8", "The text is not valid UTF-8" },
        { "Jos\xC3", "The text is not valid UTF-8" }, // a sequence cut short at the end
    };
    for (const auto& c : cases) {
        try {
            platform::Utf8ToWindows1252(c.utf8);
            ADD_FAILURE() << "accepted " << c.utf8;
        } catch (const platform::ECodePageError& e) {
            EXPECT_STREQ(c.message, e.what());
        }
    }
}

} // namespace
