// Retrieve and Save as the user runs them (menu item, answered warning and dialog),
// for registers of n participants up to 32,767, the largest a document can hold.
// Each iteration is the whole command: reading or writing the file (Save flushes it
// to disk and renames it into place), replacing the register, rebuilding the lists.

#include "WindowBench.h"

#include <QAction>
#include <QApplication>

#include <stdexcept>

namespace {

/// A window holding n participants in 100 groups, drawn, saved once as the bench file.
struct TBench : bench::TBenchWindow {
    bench::TScratchFolder dir;

    explicit TBench(int n)
        : TBenchWindow(
            7, n,
            [](int i) {
                return std::pair<std::string, std::string>(
                    "FIRSTNAME" + std::to_string(i), "LASTNAME" + std::to_string(i % 1000));
            },
            [](int i) { return i % 100; })
    {
        services.answerOk = true;
        services.file = QString::fromStdString((dir / "bench.kks"));
        form->BGo->click();
        form->SaveAs1->trigger();
        if (services.errors != 0 || !form->Participants || !UserAt(*form->Participants, 0)->HasTaker())
            throw std::runtime_error("the bench register could not be drawn and saved");
    }
};

void RetrieveDocument(benchmark::State& state)
{
    TBench bench(static_cast<int>(state.range(0)));
    for (auto _ : state)
        bench.form->Retrieve1->trigger();
    if (bench.services.errors != 0 || bench.form->Participants->Count() != state.range(0))
        state.SkipWithError("Retrieve failed");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RetrieveDocument)->Arg(100)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();

void SaveDocument(benchmark::State& state)
{
    TBench bench(static_cast<int>(state.range(0)));
    for (auto _ : state)
        bench.form->Save1->trigger();
    if (bench.services.errors != 0)
        state.SkipWithError("Save failed");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SaveDocument)->Arg(100)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return bench::RunBenchmarks<QApplication>(argc, argv);
}
