#include "persist/StringListIndex.h"
#include "persist/AnsiText.h"
#include "persist/SortedPointerList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

TEST(StringListIndex, AnswersAsTheListsOwnLookup)
{
    // Case twins, Latin-1 and Windows-1252 letters, the division sign (no letter), texts
    // around eight and sixteen characters, duplicates (the first wins) and the empty text.
    const std::vector<std::string> texts
        = { "ANNLEE", "annlee", "ÉLODIEÅSE", "élodieåse", "\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", "A\xF7", "A\xD7",
              "ABCDEFGH", "abcdefgh", "ABCDEFGHI", "ABCDEFGHIJKLMNOP", "abcdefghijklmnoq", "", "[M]", "{m}", "ANNLEE" };
    TStringList list;
    for (std::size_t i = 0; i < texts.size(); i += 2)
        list.Add(texts[i]);
    const TStringListIndex index(list);
    for (const std::string& text : texts)
        EXPECT_EQ(list.IndexOf(text), index.IndexOf(text)) << text;
}

TEST(SortedPointerList, InsertionsWithoutOrderAreOrderedWhenAPositionIsAsked)
{
    // Thousands of addresses come and go unordered, as live objects do; positions asked
    // in between must still be those of a plain sorted array.
    std::mt19937 random(3);
    TSortedPointerList list;
    std::vector<const void*> model;
    for (int round = 0; round < 20; ++round) {
        for (int k = 0; k < 500; ++k) {
            const void* p = reinterpret_cast<const void*>((random() % 100000 + 1) * 64);
            if (std::find(model.begin(), model.end(), p) == model.end()) {
                list.InsertNew(p);
                model.push_back(p);
            }
        }
        for (int k = 0; k < 200 && !model.empty(); ++k) {
            const std::size_t at = random() % model.size();
            ASSERT_TRUE(list.Remove(model[at]));
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        }
        std::sort(model.begin(), model.end(), std::less<const void*>());
        ASSERT_EQ(static_cast<int>(model.size()), list.Count());
        const std::size_t probe = random() % model.size();
        ASSERT_EQ(static_cast<int>(probe), list.Find(model[probe]).position);
        ASSERT_EQ(model.back(), list.Items(list.Count() - 1));
        ASSERT_EQ(model.front(), list.Items(0));
    }
}

} // namespace
