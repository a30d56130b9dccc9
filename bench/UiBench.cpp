// The main window with n participants: "Do Assignment " (the draw and the rebuild
// of the lists, in sorted mode after success and aligned mode after failure) and
// RefreshLists on its own in both display modes. Each iteration is the whole
// command as a click runs it.

#include "draw/Random.h"
#include "persist/KelPermObjFileStm.h"
#include "platform/gui/FileDialogService.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/MessageService.h"
#include "print/PrinterService.h"
#include "register/CCUser.h"
#include "ui/FmMainCC.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

/// Counts the messages; answers nothing else.
class TQuietServices : public IMessageService, public IFileDialogService, public IHelpViewer, public IPrinterService {
public:
    int errors = 0;
    void ErrorBox(const QString&) override { ++errors; }
    void ApplicationError(const QString&) override { ++errors; }
    bool WarningOkCancel(const QString&) override { return false; }
    std::optional<QString> GetOpenFileName(const TFileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> GetSaveFileName(const TFileDialogRequest&) override { return std::nullopt; }
    void ShowTopic(const QString&, int) override { }
    std::unique_ptr<TCanvas> OpenJob() override { return nullptr; }
};

enum class TRegister {
    Drawable, ///< 100 groups of equal size: the draw succeeds
    OneGroupTooBig, ///< one group holds 60 percent: the draw fails and leaves a partial assignment
};

struct TWindow {
    TQuietServices services;
    TRandomSource random { 20241224 };
    std::unique_ptr<TCrisForm> form;

    TWindow(int n, TRegister kind)
    {
        form = std::make_unique<TCrisForm>(TFormServices { services, services, services, services, random });
        form->resize(700, 400);
        form->show();
        form->GroupNames = std::make_unique<TStringList>();
        for (int g = 0; g < 100; ++g)
            form->GroupNames->Add("GROUP" + std::to_string(g));
        form->Participants = std::make_unique<TStringList>(true);
        form->Participants->Reserve(n);
        for (int i = 0; i < n; ++i) {
            auto* user = new TCCUser(form->Participants.get(), form.get());
            user->SetNames("FIRST" + std::to_string((i * 7919) % n), "LAST" + std::to_string(i % 977));
            user->GroupNo = kind == TRegister::OneGroupTooBig && i % 5 < 3 ? 0 : i % 100;
            form->Participants->Add(user->FullName(), user);
        }
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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    InitializePersistenceLibrary();
    RegisterCCUserClass();
    SetCurrentVersion(21404, 18000);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
