// `tinselwick-cli draw` as a whole process, from its start to its end, on a document of
// n participants in households of two, against the least such a process can do
// (draw_process_baseline: read the bytes, shuffle n indices, write the bytes unflushed).
// The two run in turn, one pair an iteration, so a drift of the shared machine touches
// both alike; the counters are medians: draw_ms, baseline_ms (wall time from start to
// exit) and vs_baseline (the median of the pairs' ratios), and the same for the CPU time
// the two processes used (draw_cpu_ms, baseline_cpu_ms). The documents live in TMPDIR.

#include "BenchSupport.h"
#include "Timing.h"
#include "register/KksDocument.h"

#include <chrono>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct TProcessTimes {
    double wallMs = 0;
    double cpuMs = 0;
};

double Milliseconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) * 1e-3;
}

/// Runs the program to its end with its output thrown away; aborts the run when it fails.
TProcessTimes RunProcess(benchmark::State& state, std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    rusage usage {};
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0
        || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        state.SkipWithError(("failed: " + arguments.front()).c_str());
    const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - start;
    posix_spawn_file_actions_destroy(&actions);
    return { wall.count(), Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime) };
}

void BM_DrawProcessHouseholds(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const bench::TScratchFolder folder;
    const auto groups = bench::MakeGroups(n / 2);
    const auto participants = bench::MakeParticipants(
        n,
        [](int i) {
            return std::pair<std::string, std::string>("P" + std::to_string(i), "HOUSE" + std::to_string(i / 2));
        },
        [](int i) { return i / 2; });
    const std::string document = (folder / "register.kks");
    WriteKksDocument(document, *groups, *participants, { "Dear [M],", "you give to [G]." });

    std::vector<double> draw, baseline, ratio, drawCpu, baselineCpu;
    std::uint32_t seed = 1;
    for (auto _ : state) {
        const std::string count = std::to_string(n);
        const std::string seedText = std::to_string(seed++);
        const TProcessTimes ours = RunProcess(state,
            { TINSELWICK_CLI, "draw", document, "--seed", seedText, "--output", (folder / "drawn.kks"), "--force" });
        const TProcessTimes least
            = RunProcess(state, { TINSELWICK_DRAW_BASELINE, document, (folder / "copied.kks"), count, seedText });
        state.SetIterationTime(ours.wallMs * 1e-3);
        draw.push_back(ours.wallMs);
        baseline.push_back(least.wallMs);
        ratio.push_back(ours.wallMs / least.wallMs);
        drawCpu.push_back(ours.cpuMs);
        baselineCpu.push_back(least.cpuMs);
    }
    state.counters["draw_ms"] = bench::Median(draw);
    state.counters["baseline_ms"] = bench::Median(baseline);
    state.counters["vs_baseline"] = bench::Median(ratio);
    state.counters["draw_cpu_ms"] = bench::Median(drawCpu);
    state.counters["baseline_cpu_ms"] = bench::Median(baselineCpu);
}

BENCHMARK(BM_DrawProcessHouseholds)->Arg(1000)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunBenchmarks(argc, argv);
}
