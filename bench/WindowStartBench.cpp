// The desktop program from its start to the first paint of its main window, against a bare
// Qt program that shows one empty window (bare_window_baseline), both measured by the same
// probe (WindowShownProbe.cpp) loaded into the process, which ends it after that paint. The
// two run in turn, one pair an iteration; the counters are medians: shown_ms, bare_ms and
// vs_bare (the median of the pairs' ratios). Needs a display (DISPLAY, e.g. of Xvfb).

#include "Timing.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

/// Milliseconds from the launch of `program` to its first paint, as its probe reports.
double MillisecondsToFirstPaint(benchmark::State& state, const char* program)
{
    std::vector<std::string> environment { std::string("LD_PRELOAD=") + TINSELWICK_WINDOW_PROBE };
    for (char** e = environ; *e != nullptr; ++e)
        environment.emplace_back(*e);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    environment.push_back(
        "TINSELWICK_LAUNCHED_NS=" + std::to_string(static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec));
    std::vector<char*> envp;
    for (std::string& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = { const_cast<char*>(program), nullptr };
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, program, &actions, nullptr, argv, envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    char text[64] = {};
    const ssize_t got = started ? ::read(pipeEnds[0], text, sizeof text - 1) : -1;
    ::close(pipeEnds[0]);
    int status = -1;
    if (!started || ::waitpid(pid, &status, 0) != pid || got <= 0)
        state.SkipWithError((std::string("no paint reported by ") + program).c_str());
    return std::strtod(text, nullptr);
}

void BM_WindowShown(benchmark::State& state)
{
    if (std::getenv("DISPLAY") == nullptr) {
        state.SkipWithError("needs a display: set DISPLAY (e.g. Xvfb :72)");
        return;
    }
    std::vector<double> shown, bare, ratio;
    for (auto _ : state) {
        const double ours = MillisecondsToFirstPaint(state, TINSELWICK_PROGRAM);
        const double least = MillisecondsToFirstPaint(state, TINSELWICK_BARE_WINDOW);
        state.SetIterationTime(ours * 1e-3);
        shown.push_back(ours);
        bare.push_back(least);
        ratio.push_back(ours / least);
    }
    state.counters["shown_ms"] = bench::Median(shown);
    state.counters["bare_ms"] = bench::Median(bare);
    state.counters["vs_bare"] = bench::Median(ratio);
}

BENCHMARK(BM_WindowShown)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
