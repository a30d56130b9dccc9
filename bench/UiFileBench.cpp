// Retrieve and Save as the user runs them (menu item, answered warning and dialog),
// for registers of n participants up to 32,767, the largest a document can hold.
// Each iteration is the whole command: reading or writing the file (Save flushes it
// to disk and renames it into place), replacing the register, rebuilding the lists.

#include "draw/Random.h"
#include "platform/gui/FileDialogService.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/MessageService.h"
#include "print/PrinterService.h"
#include "register/CCUser.h"
#include "register/PersistenceStartup.h"
#include "ui/FmMainCC.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

/// Answers OK to the warning, offers one file to both dialogs, and counts errors.
class TAnsweringServices : public IMessageService,
                           public IFileDialogService,
                           public IHelpViewer,
                           public IPrinterService {
public:
    QString file;
    int errors = 0;

    void ErrorBox(const QString&) override { ++errors; }
    void ApplicationError(const QString&) override { ++errors; }
    bool WarningOkCancel(const QString&) override { return true; }
    std::optional<QString> GetOpenFileName(const TFileDialogRequest&) override { return file; }
    std::optional<QString> GetSaveFileName(const TFileDialogRequest&) override { return file; }
    void ShowTopic(const QString&, int) override { }
    std::unique_ptr<TCanvas> OpenJob() override { return nullptr; }
};

struct TBench {
    QTemporaryDir dir;
    TAnsweringServices services;
    TRandomSource random { 7 };
    std::unique_ptr<TCrisForm> form;

    /// A window holding n participants in 100 groups, drawn, saved once as the bench file.
    explicit TBench(int n)
    {
        services.file = dir.filePath(QStringLiteral("bench.kks"));
        form = std::make_unique<TCrisForm>(TFormServices { services, services, services, services, random });
        form->GroupNames = std::make_unique<TStringList>();
        for (int g = 0; g < 100; ++g)
            form->GroupNames->Add("GROUP" + std::to_string(g));
        form->Participants = std::make_unique<TStringList>(true);
        form->Participants->Reserve(n);
        for (int i = 0; i < n; ++i) {
            auto* user = new TCCUser(form->Participants.get(), form.get());
            user->SetNames("FIRSTNAME" + std::to_string(i), "LASTNAME" + std::to_string(i % 1000));
            user->GroupNo = i % 100;
            form->Participants->Add(user->FullName(), user);
        }
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
    StartPersistenceWithVersion();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
