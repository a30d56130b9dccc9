#include "persist/BlockPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

TEST(BlockPool, BlocksNeverOverlapAndComeBackAfterBeingGiven)
{
    // Odd sizes, several runs of growth, and blocks given back out of order.
    for (const std::size_t size : { 1u, 24u, 200u, 201u }) {
        TBlockPool pool(size);
        std::vector<std::uintptr_t> taken;
        for (int i = 0; i < 300; ++i)
            taken.push_back(reinterpret_cast<std::uintptr_t>(pool.Take()));
        std::sort(taken.begin(), taken.end());
        for (std::size_t i = 0; i < taken.size(); ++i) {
            EXPECT_EQ(0u, taken[i] % __STDCPP_DEFAULT_NEW_ALIGNMENT__) << size;
            if (i > 0) {
                EXPECT_GE(taken[i] - taken[i - 1], size) << size;
            }
        }
        for (std::size_t i = 0; i < taken.size(); i += 2)
            pool.Give(reinterpret_cast<void*>(taken[i]));
        std::vector<std::uintptr_t> again;
        for (std::size_t i = 0; i < taken.size(); i += 2)
            again.push_back(reinterpret_cast<std::uintptr_t>(pool.Take()));
        std::sort(again.begin(), again.end());
        for (std::size_t i = 0; i < again.size(); ++i)
            EXPECT_EQ(taken[2 * i], again[i]) << size;
    }
}

} // namespace
