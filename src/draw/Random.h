#pragma once
// The program's random source. A draw without a seed takes its numbers from the secure
// generator; a seed selects the classic linear congruential generator, so that a draw can
// be repeated number for number. One instance serves the whole process (the draw and the
// test letter).

#include "draw/SecureRandom.h"

#include <cstdint>
#include <memory>

/// A 32-bit linear congruential generator whose next(n) is the upper half of the 64-bit
/// product of the new state and n. Whoever knows the seed can work out every number, and
/// there are only 2^32 seeds: for tests and audits, never for a secret.
class TSeededRandom {
public:
    explicit TSeededRandom(std::uint32_t seed = 0)
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

class TRandomSource {
public:
    /// The secure generator on the system's bits.
    TRandomSource();
    /// The secure generator on the bits of `entropy`.
    explicit TRandomSource(IEntropySource& entropy);
    /// The seeded generator, from `seed`.
    explicit TRandomSource(std::uint32_t seed);

    /// From now on the seeded generator, from `seed`.
    void SetSeed(std::uint32_t seed)
    {
        secure_.reset();
        seeded_.SetSeed(seed);
    }
    bool IsSeeded() const { return secure_ == nullptr; }
    /// The seeded generator's state.
    std::uint32_t Seed() const { return seeded_.Seed(); }

    /// An integer in 0 .. n-1, for n >= 1.
    std::uint32_t Next(std::uint32_t n) { return secure_ ? secure_->Next(n) : seeded_.Next(n); }

    /// Calls `f` with the generator in use, so that a long loop calls it without asking
    /// which one it is every time.
    template <class F> decltype(auto) Visit(F&& f) { return secure_ ? f(*secure_) : f(seeded_); }

private:
    TSeededRandom seeded_;
    std::unique_ptr<TSecureRandom> secure_;
};

/// Any other source with the same contract, for callers of the draw that want to see or
/// steer its numbers. The program itself always draws from a TRandomSource.
class IRandomNumbers {
public:
    virtual ~IRandomNumbers() = default;
    /// An integer in 0 .. n-1, for n >= 1.
    virtual std::uint32_t Next(std::uint32_t n) = 0;
};

/// The process-wide source: secure until a seed is set.
TRandomSource& ProgramRandom();
