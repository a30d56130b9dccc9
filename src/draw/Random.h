#pragma once
// The program's random source: a 32-bit linear congruential generator whose
// next(n) is the upper half of the 64-bit product of the new state and n.
// One instance serves the whole process (the draw and the test letter).

#include <cstdint>

class TRandomSource {
public:
    explicit TRandomSource(std::uint32_t seed = 0)
        : seed_(seed)
    {
    }

    void SetSeed(std::uint32_t seed) { seed_ = seed; }
    std::uint32_t Seed() const { return seed_; }

    static constexpr std::uint32_t kMultiplier = 134775813u;

    /// An integer in 0 .. n-1, for n >= 1.
    std::uint32_t Next(std::uint32_t n)
    {
        seed_ = seed_ * kMultiplier + 1u;
        return Scale(seed_, n);
    }

    /// The number a state gives for the bound n: the upper half of their product.
    static std::uint32_t Scale(std::uint32_t state, std::uint32_t n)
    {
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state) * n) >> 32);
    }

private:
    std::uint32_t seed_;
};

/// Any other source with the same contract, for callers of the draw that want to see or
/// steer its numbers. The program itself always draws from a TRandomSource.
class IRandomNumbers {
public:
    virtual ~IRandomNumbers() = default;
    /// An integer in 0 .. n-1, for n >= 1.
    virtual std::uint32_t Next(std::uint32_t n) = 0;
};

/// The process-wide source.
TRandomSource& ProgramRandom();

/// Seeds the process-wide source from the low 32 bits of the monotonic high-resolution clock.
void SeedProgramRandomFromClock();
