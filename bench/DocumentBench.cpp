// Documents of n participants in 100 groups, each giving to the next one, written
// and read in memory and through a real file (the file write includes its fsync).

#include "BenchSupport.h"
#include "platform/DebugOutput.h"
#include "register/KksDocument.h"

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

void BM_WriteDocumentInMemory(benchmark::State& state)
{
    const TBenchRegister r(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TMemoryStream memory;
        r.Write(memory);
        benchmark::DoNotOptimize(memory.Size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReadDocumentInMemory(benchmark::State& state)
{
    TMemoryStream written;
    TBenchRegister(static_cast<int>(state.range(0))).Write(written);
    const std::vector<std::uint8_t> bytes = written.Bytes();
    for (auto _ : state) {
        TMemoryStream memory(bytes);
        TKksDocument document = ReadKksDocument(memory, "memory", nullptr);
        benchmark::DoNotOptimize(document.Participants->Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_WriteDocumentToFile(benchmark::State& state)
{
    const TBenchRegister r(static_cast<int>(state.range(0)));
    const bench::TScratchFolder folder;
    for (auto _ : state)
        r.Write(folder.File("bench.kks"));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReadDocumentFromFile(benchmark::State& state)
{
    const TBenchRegister r(static_cast<int>(state.range(0)));
    const bench::TScratchFolder folder;
    r.Write(folder.File("bench.kks"));
    for (auto _ : state) {
        TKksDocument document = ReadKksDocument(folder.File("bench.kks"), nullptr);
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
