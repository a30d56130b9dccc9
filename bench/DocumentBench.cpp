// Documents of n participants in 100 groups, each giving to the next one, written
// and read in memory and through a real file (the file write includes its fsync). The
// in-memory rows carry the time of a plain copy of the document's bytes into a buffer
// (copy_us) and their ratio to it (vs_copy), measured in the same run. Like the copy,
// they reuse their memory stream: what is timed is the document's bytes, not the
// allocation and first touch of a fresh buffer of some megabytes.

#include "BenchSupport.h"
#include "Timing.h"
#include "platform/DebugOutput.h"
#include "register/KksDocument.h"

#include <algorithm>
#include <cstdio>

namespace {

struct TBenchRegister {
    std::unique_ptr<TStringList> groups = bench::MakeGroups(100);
    std::unique_ptr<TStringList> participants;
    std::vector<std::string> templateLines { "Dear [M],", "", "you give to [G] this year.", "Father Christmas" };

    explicit TBenchRegister(int count)
        : participants(bench::MakeParticipants(
            count,
            [](int i) {
                char first[16];
                std::snprintf(first, sizeof first, "F%06d", i);
                return std::pair<std::string, std::string>(first, "LASTNAME");
            },
            [](int i) { return i % 100; }))
    {
        bench::LinkInCircle(*participants);
    }
    void Write(TStream& stream) const { WriteKksDocument(stream, "memory", *groups, *participants, templateLines); }
    void Write(const std::string& path) const { WriteKksDocument(path, *groups, *participants, templateLines); }
};

/// Microseconds per plain copy of `bytes` into a buffer, timed over enough rounds to be steady.
double CopyMicroseconds(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t> copy(bytes.size());
    return bench::MicrosecondsPerRound([&] {
        std::copy(bytes.begin(), bytes.end(), copy.begin());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    });
}

/// Runs `body` for every iteration and reports its time against a copy of `bytes`.
template <class Body> void AgainstCopy(benchmark::State& state, const std::vector<std::uint8_t>& bytes, Body body)
{
    const double copy = CopyMicroseconds(bytes);
    const double start = bench::ThreadMicroseconds();
    for (auto _ : state)
        body();
    const double spent = bench::ThreadMicroseconds() - start;
    state.counters["copy_us"] = copy;
    state.counters["vs_copy"] = spent / static_cast<double>(state.iterations()) / copy;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

std::vector<std::uint8_t> DocumentBytes(const TBenchRegister& r)
{
    TMemoryStream written;
    r.Write(written);
    return written.Bytes();
}

void BM_WriteDocumentInMemory(benchmark::State& state)
{
    const TBenchRegister r(static_cast<int>(state.range(0)));
    TMemoryStream memory;
    AgainstCopy(state, DocumentBytes(r), [&] {
        memory.Clear();
        r.Write(memory);
        benchmark::DoNotOptimize(memory.Size());
    });
}

void BM_ReadDocumentInMemory(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = DocumentBytes(TBenchRegister(static_cast<int>(state.range(0))));
    TMemoryStream memory(bytes);
    AgainstCopy(state, bytes, [&] {
        memory.Seek(0);
        TKksDocument document = ReadKksDocument(memory, "memory", nullptr);
        benchmark::DoNotOptimize(document.Participants->Count());
    });
}

void BM_WriteDocumentToFile(benchmark::State& state)
{
    const TBenchRegister r(static_cast<int>(state.range(0)));
    const bench::TScratchFolder folder;
    for (auto _ : state)
        r.Write((folder / "bench.kks"));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReadDocumentFromFile(benchmark::State& state)
{
    const TBenchRegister r(static_cast<int>(state.range(0)));
    const bench::TScratchFolder folder;
    r.Write((folder / "bench.kks"));
    for (auto _ : state) {
        TKksDocument document = ReadKksDocument((folder / "bench.kks"), nullptr);
        benchmark::DoNotOptimize(document.Participants->Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// 15,000 and 30,000 show how the time grows when the register doubles.
BENCHMARK(BM_WriteDocumentInMemory)->Arg(100)->Arg(15000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDocumentInMemory)->Arg(100)->Arg(15000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDocumentToFile)->Arg(100)->Arg(15000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDocumentFromFile)->Arg(100)->Arg(15000)->Arg(30000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    platform::SetDebugSink([](const std::string&) {});
    return bench::RunBenchmarks(argc, argv);
}
