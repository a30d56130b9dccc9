// The draw of 30,000 participants without a seed (the secure generator) against the same
// draw with a seed (the classic generator). Each unseeded row carries the seeded draw's time
// for its layout (seeded_us) and the ratio of the two (vs_seeded), which is to stay below 2.

#include "BenchSupport.h"
#include "Timing.h"
#include "draw/Draw.h"

#include <string>

namespace {

int GroupOf(const std::string& layout, int i, int n)
{
    if (layout == "households")
        return i / 2;
    if (layout == "half_and_pairs")
        return i < n / 2 ? 0 : 1 + (i - n / 2) / 2;
    return i % 2; // two equal groups, interleaved
}

void RunUnseeded(benchmark::State& state, const std::string& layout)
{
    const int n = static_cast<int>(state.range(0));
    const auto list = bench::MakeParticipants(
        n, [](int i) { return std::pair<std::string, std::string>("P" + std::to_string(i), ""); },
        [&](int i) { return GroupOf(layout, i, n); });
    TRandomSource seeded(1);
    const double seededTime = bench::MicrosecondsPerRound([&] { DrawAssignments(list.get(), seeded); });
    TRandomSource secure;
    const double start = bench::ThreadMicroseconds();
    for (auto _ : state)
        if (DrawAssignments(list.get(), secure) != TDrawOutcome::Complete)
            state.SkipWithError("the draw did not complete");
    const double spent = (bench::ThreadMicroseconds() - start) / static_cast<double>(state.iterations());
    state.counters["seeded_us"] = seededTime;
    state.counters["vs_seeded"] = spent / seededTime;
}

void BM_UnseededHouseholds(benchmark::State& state)
{
    RunUnseeded(state, "households");
}
void BM_UnseededHalfAndPairs(benchmark::State& state)
{
    RunUnseeded(state, "half_and_pairs");
}
void BM_UnseededTwoEqualGroups(benchmark::State& state)
{
    RunUnseeded(state, "two_equal_groups");
}

BENCHMARK(BM_UnseededHouseholds)->Arg(30000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnseededHalfAndPairs)->Arg(30000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnseededTwoEqualGroups)->Arg(30000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunBenchmarks(argc, argv);
}
