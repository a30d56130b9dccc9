#pragma once
// Random bits a test writes: the words given, then those of a fixed generator; every block
// asked for is noted.

#include "draw/Entropy.h"

#include <random>
#include <vector>

struct TScriptedEntropy : IEntropySource {
    explicit TScriptedEntropy(std::vector<std::uint32_t> words = {}, std::uint32_t seed = 1)
        : script(std::move(words))
        , rest(seed)
    {
    }
    void Fill(std::span<std::uint32_t> words) override
    {
        blocks.push_back(words.size());
        for (std::uint32_t& word : words)
            word = taken < script.size() ? script[taken++] : static_cast<std::uint32_t>(rest());
    }

    std::vector<std::uint32_t> script;
    std::size_t taken = 0;
    std::mt19937 rest;
    std::vector<std::size_t> blocks; ///< the size of every block asked for, in words
};
