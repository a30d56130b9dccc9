// The draw on registers of n participants, against a plain Fisher-Yates shuffle of n
// indices with the same generator. Each draw row carries the shuffle's time for the same n
// (shuffle_us) and the ratio of the two (vs_shuffle), so the growth of the ratio with n can
// be read off directly; the separate Shuffle rows give the baseline on its own.
//
// The shuffle calls the generator through its reference, as the draw's callers do. Built
// with -O3 the compiler keeps the generator's state in a register there and the shuffle
// runs about twice as fast (the draw does not change), so compare vs_shuffle only between
// builds of the same type: the default one, RelWithDebInfo, is what scripts/test.sh builds.

#include "BenchSupport.h"
#include "Timing.h"
#include "draw/Draw.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace {

void Shuffle(std::vector<std::uint32_t>& order, TRandomSource& random)
{
    for (std::size_t i = order.size(); i > 1; --i)
        std::swap(order[i - 1], order[random.Next(static_cast<std::uint32_t>(i))]);
}

/// Microseconds per shuffle of n indices, timed over enough rounds to be steady.
double ShuffleMicroseconds(int n)
{
    std::vector<std::uint32_t> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0u);
    TRandomSource random(1);
    // In batches: reading the thread clock costs more than a small shuffle.
    return bench::MicrosecondsPerRound(
        [&] {
            Shuffle(order, random);
            benchmark::DoNotOptimize(order.data());
        },
        256);
}

std::vector<std::int32_t> Layout(const std::string& name, int n)
{
    std::vector<std::int32_t> groups(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (name == "households")
            groups[static_cast<std::size_t>(i)] = i / 2;
        else if (name == "half_and_pairs")
            groups[static_cast<std::size_t>(i)] = i < n / 2 ? 0 : 1 + (i - n / 2) / 2;
        else // two equal groups, interleaved
            groups[static_cast<std::size_t>(i)] = i % 2;
    }
    return groups;
}

void BM_Shuffle(benchmark::State& state)
{
    std::vector<std::uint32_t> order(static_cast<std::size_t>(state.range(0)));
    std::iota(order.begin(), order.end(), 0u);
    TRandomSource random(1);
    for (auto _ : state) {
        Shuffle(order, random);
        benchmark::DoNotOptimize(order.data());
    }
}

void RunDraw(benchmark::State& state, const std::string& layout)
{
    const int n = static_cast<int>(state.range(0));
    const std::vector<std::int32_t> groups = Layout(layout, n);
    const auto list = bench::MakeParticipants(
        n, [](int i) { return std::pair<std::string, std::string>("P" + std::to_string(i), ""); },
        [&](int i) { return groups[static_cast<std::size_t>(i)]; });
    const double shuffle = ShuffleMicroseconds(n);
    TRandomSource random(1);
    TDrawReport report;
    double passes = 0;
    double further = 0;
    double completed = 0;
    const double start = bench::ThreadMicroseconds();
    for (auto _ : state) {
        if (DrawAssignments(list.get(), random, report) != TDrawOutcome::Complete)
            state.SkipWithError("the draw did not complete");
        passes += report.passes;
        further += static_cast<double>(report.furtherPasses);
        completed += report.completed;
    }
    const double spent = bench::ThreadMicroseconds() - start;
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["shuffle_us"] = shuffle;
    state.counters["passes"] = passes / iterations;
    state.counters["further"] = further / iterations;
    state.counters["completed"] = completed / iterations;
    state.counters["vs_shuffle"] = spent / iterations / shuffle;
}

void BM_DrawHouseholds(benchmark::State& state)
{
    RunDraw(state, "households");
}
void BM_DrawHalfAndPairs(benchmark::State& state)
{
    RunDraw(state, "half_and_pairs");
}
void BM_DrawTwoEqualGroups(benchmark::State& state)
{
    RunDraw(state, "two_equal_groups");
}

BENCHMARK(BM_Shuffle)->Arg(10)->Arg(100)->Arg(1000)->Arg(30000);
BENCHMARK(BM_DrawHouseholds)->Arg(10)->Arg(100)->Arg(1000)->Arg(30000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawHalfAndPairs)->Arg(10)->Arg(1000)->Arg(30000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawTwoEqualGroups)->Arg(10)->Arg(1000)->Arg(30000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunBenchmarks(argc, argv);
}
