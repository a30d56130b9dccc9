#pragma once
// The secure generator: numbers nobody can work out, before or after a draw, from bits of
// the system's cryptographic generator read a block at a time.

#include "draw/Entropy.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

/// An integer in 0 .. n-1 (n >= 1), each equally likely, from the 32-bit words `word` gives:
/// the upper half of word × n (Lemire's multiply-and-reject). The products whose lower half
/// falls below 2^32 mod n are the surplus that would favour the small numbers, and are drawn
/// again; the division that finds that remainder is needed only when the lower half is below
/// n, about once in 2^32 / n numbers. Inlined by force: left to itself the compiler calls it
/// from the draw's inner loop, which then keeps its state in memory, and the unseeded draw
/// took twice as long as the seeded one instead of two fifths longer.
template <class Word> [[gnu::always_inline]] inline std::uint32_t UniformBelow(std::uint32_t n, Word&& word)
{
    std::uint64_t product = std::uint64_t { word() } * n;
    auto low = static_cast<std::uint32_t>(product);
    if (low < n) [[unlikely]] {
        const std::uint32_t surplus = (0u - n) % n;
        while (low < surplus) {
            product = std::uint64_t { word() } * n;
            low = static_cast<std::uint32_t>(product);
        }
    }
    return static_cast<std::uint32_t>(product >> 32);
}

class TSecureRandom {
public:
    /// Words read at a time: 16 KB, one call to the system for four thousand numbers.
    static constexpr std::size_t kBlockWords = 4096;

    explicit TSecureRandom(IEntropySource& entropy)
        : entropy_(entropy)
        , words_(std::make_unique<std::uint32_t[]>(kBlockWords))
    {
    }
    // A copy would hand out the very numbers of the original.
    TSecureRandom(const TSecureRandom&) = delete;
    TSecureRandom& operator=(const TSecureRandom&) = delete;

    /// An integer in 0 .. n-1, for n >= 1.
    std::uint32_t Next(std::uint32_t n)
    {
        return UniformBelow(n, [this] {
            if (next_ >= kBlockWords) [[unlikely]]
                Refill();
            return words_[next_++];
        });
    }

    /// The words not yet handed out, a new block read first when none are left. A hot loop
    /// takes its words from these through a pointer of its own, and says with Consume how
    /// many it took.
    std::span<const std::uint32_t> Unread()
    {
        if (next_ >= kBlockWords)
            Refill();
        return { words_.get() + next_, kBlockWords - next_ };
    }
    void Consume(std::size_t count) { next_ += count; }

private:
    void Refill();

    IEntropySource& entropy_;
    std::unique_ptr<std::uint32_t[]> words_;
    std::size_t next_ = kBlockWords; ///< nothing is read before the first number is asked for
};
