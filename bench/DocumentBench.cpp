// Documents of n participants in 100 groups, each giving to the next one, written
// and read in memory and through a real file (the file write includes its fsync).

#include "persist/KelPermObjFileStm.h"
#include "platform/DebugOutput.h"
#include "register/CCUser.h"
#include "register/KksDocument.h"
#include "register/PersistenceStartup.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

struct TBenchRegister {
    TStringList groups;
    TStringList participants { true };
    std::vector<std::string> templateLines { "Dear [M],", "", "you give to [G] this year.", "Father Christmas" };

    explicit TBenchRegister(int count)
    {
        for (int g = 0; g < 100; ++g)
            groups.Add("GROUP" + std::to_string(g));
        participants.Reserve(count);
        for (int i = 0; i < count; ++i) {
            auto* user = new TCCUser(&participants, nullptr);
            char first[16];
            std::snprintf(first, sizeof first, "F%06d", i);
            user->SetNames(first, "LASTNAME");
            user->GroupNo = i % 100;
            participants.Add(user->FullName(), user);
        }
        for (int i = 0; i < count; ++i)
            UserAt(participants, i)->SetTaker(UserAt(participants, (i + 1) % count));
    }
};

std::vector<std::uint8_t> DocumentBytes(const TBenchRegister& r)
{
    TMemoryStream memory;
    WriteKksDocument(memory, "memory", r.groups, r.participants, r.templateLines);
    return memory.Bytes();
}

class TBenchFolder {
public:
    TBenchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tinselwick-bench.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
    }
    ~TBenchFolder() { std::filesystem::remove_all(path_); }
    std::string File() const { return (path_ / "bench.kks").string(); }

private:
    std::filesystem::path path_;
};

void BM_WriteDocumentInMemory(benchmark::State& state)
{
    const TBenchRegister r(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TMemoryStream memory;
        WriteKksDocument(memory, "memory", r.groups, r.participants, r.templateLines);
        benchmark::DoNotOptimize(memory.Size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReadDocumentInMemory(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = DocumentBytes(TBenchRegister(static_cast<int>(state.range(0))));
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
    const TBenchFolder folder;
    for (auto _ : state)
        WriteKksDocument(folder.File(), r.groups, r.participants, r.templateLines);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReadDocumentFromFile(benchmark::State& state)
{
    const TBenchRegister r(static_cast<int>(state.range(0)));
    const TBenchFolder folder;
    WriteKksDocument(folder.File(), r.groups, r.participants, r.templateLines);
    for (auto _ : state) {
        TKksDocument document = ReadKksDocument(folder.File(), nullptr);
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
    StartPersistenceWithVersion();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
