#pragma once
// Random bits a test writes: the words given first, then those of a fixed generator, with
// a note of every block the secure source asks for.

#include "draw/Entropy.h"

#include <deque>
#include <random>
#include <vector>

class TScriptedEntropy : public IEntropySource {
public:
    explicit TScriptedEntropy(std::vector<std::uint32_t> words = {}, std::uint32_t seed = 1)
        : script_(words.begin(), words.end())
        , rest_(seed)
    {
    }

    void Fill(std::span<std::uint32_t> words) override
    {
        blocks.push_back(words.size());
        for (std::uint32_t& word : words) {
            word = script_.empty() ? static_cast<std::uint32_t>(rest_()) : script_.front();
            if (!script_.empty())
                script_.pop_front();
        }
    }

    /// The size of every block asked for, in words.
    std::vector<std::size_t> blocks;

private:
    std::deque<std::uint32_t> script_;
    std::mt19937 rest_;
};
