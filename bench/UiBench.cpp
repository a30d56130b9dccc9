// The main window with n participants: "Do Assignment " (the draw and the rebuild
// of the lists, in sorted mode after success and aligned mode after failure) and
// RefreshLists on its own in both display modes. Each iteration is the whole
// command as a click runs it. The title's unsaved mark: compared whole after a command,
// and for the template alone at a key typed into it.

#include "WindowBench.h"

#include <QApplication>
#include <QTextCursor>

namespace {

enum class TRegister {
    Drawable, ///< 100 groups of equal size: the draw succeeds
    OneGroupTooBig, ///< one group holds 60 percent: the draw fails and leaves a partial assignment
};

struct TWindow : bench::TBenchWindow {
    TWindow(int n, TRegister kind)
        : TBenchWindow(
            20241224, n,
            [n](int i) {
                return std::pair<std::string, std::string>(
                    "FIRST" + std::to_string((i * 7919) % n), "LAST" + std::to_string(i % 977));
            },
            [kind](int i) { return kind == TRegister::OneGroupTooBig && i % 5 < 3 ? 0 : i % 100; })
    {
        form->resize(700, 400);
        form->show();
        // The participant last clicked sits in the middle, so sorted mode selects and scrolls.
        form->CurrentParticipant = UserAt(*form->Participants, n / 2);
    }
};

void DoAssignment(benchmark::State& state, TRegister kind)
{
    TWindow window(static_cast<int>(state.range(0)), kind);
    for (auto _ : state)
        window.form->BGo->click();
    const bool failed = window.services.errors != 0;
    if (failed != (kind == TRegister::OneGroupTooBig))
        state.SkipWithError("the draw did not end as expected");
    state.counters["takers_lines"] = window.form->MTakers->Count();
}
BENCHMARK_CAPTURE(DoAssignment, success, TRegister::Drawable)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(DoAssignment, failure, TRegister::OneGroupTooBig)
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void RefreshLists(benchmark::State& state, TRegister kind)
{
    TWindow window(static_cast<int>(state.range(0)), kind);
    window.form->BGo->click(); // sorted mode after success, aligned mode after failure
    for (auto _ : state)
        window.form->RefreshLists();
    state.counters["takers_lines"] = window.form->MTakers->Count();
    state.counters["sorted"] = window.form->TakersSorted() ? 1 : 0;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK_CAPTURE(RefreshLists, sorted_mode, TRegister::Drawable)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RefreshLists, aligned_mode, TRegister::OneGroupTooBig)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void UnsavedMarkAfterCommand(benchmark::State& state)
{
    TWindow window(static_cast<int>(state.range(0)), TRegister::Drawable);
    window.form->BGo->click(); // the register differs from the (empty) saved one
    for (auto _ : state)
        window.form->UpdateTitle();
    state.counters["marked"] = window.form->isWindowModified() ? 1 : 0;
}
BENCHMARK(UnsavedMarkAfterCommand)->Arg(1000)->Arg(30000)->Unit(benchmark::kMicrosecond)->UseRealTime();

void UnsavedMarkPerTemplateKey(benchmark::State& state)
{
    TWindow window(static_cast<int>(state.range(0)), TRegister::Drawable);
    window.form->BGo->click();
    QTextCursor cursor = window.form->MNotes->textCursor();
    for (auto _ : state) { // two keys: a letter typed and taken back
        cursor.insertText(QStringLiteral("x"));
        cursor.deletePreviousChar();
    }
    state.counters["marked"] = window.form->isWindowModified() ? 1 : 0;
}
BENCHMARK(UnsavedMarkPerTemplateKey)->Arg(1000)->Arg(30000)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return bench::RunBenchmarks<QApplication>(argc, argv);
}
