#pragma once
// A random source that hands out the numbers of another one and keeps a note of each,
// so that a test can see exactly which numbers a draw took.

#include "draw/Random.h"

#include <vector>

class TRecordingRandom : public IRandomNumbers {
public:
    struct Number {
        std::uint32_t bound;
        std::uint32_t value;
        bool operator==(const Number&) const = default;
    };

    explicit TRecordingRandom(TRandomSource& source)
        : source_(source)
    {
    }

    std::uint32_t Next(std::uint32_t n) override
    {
        const std::uint32_t value = source_.Next(n);
        taken_.push_back({ n, value });
        return value;
    }

    const std::vector<Number>& Taken() const { return taken_; }

private:
    TRandomSource& source_;
    std::vector<Number> taken_;
};
