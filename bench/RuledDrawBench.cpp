// The draw with rules on 30,000 participants in every layout, the tight ones included
// (one group of exactly half; two equal groups; 10 exclusions per participant), each row
// beside the plain draw of the same register. Last year's takers ("avoid") come from a
// draw of the same register with another seed.

#include "BenchSupport.h"
#include "draw/RuledDraw.h"

#include <string>
#include <vector>

namespace {

constexpr int kParticipants = 30000;

int GroupOf(const std::string& layout, int i, int n)
{
    if (layout == "households")
        return i / 2;
    if (layout == "half_and_pairs")
        return i < n / 2 ? 0 : 1 + (i - n / 2) / 2;
    return i % 2; // two equal groups
}

std::unique_ptr<TStringList> Register(const std::string& layout, int n)
{
    return bench::MakeParticipants(
        n, [](int i) { return std::pair<std::string, std::string>("P" + std::to_string(i), "LAST"); },
        [&](int i) { return GroupOf(layout, i, n); });
}

TDrawRequest Request(TStringList& list, bool avoid, int excludedPerPerson, bool circle)
{
    TDrawRequest request { {}, circle };
    if (avoid) {
        TRandomSource lastYear(4242);
        DrawAssignments(&list, lastYear);
        for (int i = 0; i < list.Count(); ++i)
            request.excluded.emplace_back(UserAt(list, i), UserAt(list, i)->Taker);
    }
    TRandomSource pick(7);
    const auto n = static_cast<std::uint32_t>(list.Count());
    for (int i = 0; i < list.Count(); ++i)
        for (int k = 0; k < excludedPerPerson; ++k)
            request.excluded.emplace_back(UserAt(list, i), UserAt(list, static_cast<int>(pick.Next(n))));
    return request;
}

void RuledDraw(benchmark::State& state, const std::string& layout, bool avoid, int excluded, bool circle)
{
    const auto list = Register(layout, kParticipants);
    const TDrawRequest request = Request(*list, avoid, excluded, circle);
    TRandomSource random(1);
    for (auto _ : state)
        if (DrawWithRules(list.get(), nullptr, request, random).outcome != TDrawOutcome::Complete)
            state.SkipWithError("the draw with rules failed");
    state.counters["exclusions"] = static_cast<double>(request.excluded.size());
}

void PlainDraw(benchmark::State& state, const std::string& layout)
{
    const auto list = Register(layout, kParticipants);
    TRandomSource random(1);
    for (auto _ : state)
        if (DrawAssignments(list.get(), random) != TDrawOutcome::Complete)
            state.SkipWithError("the plain draw failed");
}

void RegisterAll()
{
    for (const std::string layout : { "households", "half_and_pairs", "two_equal_groups" }) {
        const std::string n = "/" + std::to_string(kParticipants);
        benchmark::RegisterBenchmark(("Plain/" + layout + n).c_str(), PlainDraw, layout)->Unit(benchmark::kMillisecond);
        struct Row {
            const char* name;
            bool avoid;
            int excluded;
            bool circle;
        };
        for (const Row row : { Row { "Avoid", true, 0, false }, Row { "Exclude10", false, 10, false },
                 Row { "AvoidExclude10", true, 10, false }, Row { "Circle", false, 0, true },
                 Row { "CircleAvoidExclude10", true, 10, true } })
            benchmark::RegisterBenchmark((std::string(row.name) + "/" + layout + n).c_str(), RuledDraw, layout,
                row.avoid, row.excluded, row.circle)
                ->Unit(benchmark::kMillisecond);
    }
}

const bool kRegistered = (RegisterAll(), true);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunBenchmarks(argc, argv);
}
