// The letters and the allocation list for registers of n participants: on Qt's PDF
// printer at 600 dpi (the whole job, file included), and on a canvas that only
// counts, which isolates the layout and template expansion from Qt's drawing.

#include "print/AllocationList.h"
#include "print/DefaultTemplate.h"
#include "print/Letters.h"
#include "print/qt/QtPrinterCanvas.h"
#include "register/CCUser.h"
#include "register/PersistenceStartup.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

/// n participants in ten groups, each giving to the next, names of realistic length.
std::unique_ptr<TStringList> MakeRegister(int n)
{
    auto list = std::make_unique<TStringList>(true);
    list->Reserve(n);
    for (int i = 0; i < n; ++i) {
        auto* user = new TCCUser(list.get(), nullptr);
        user->SetNames("FIRST" + std::to_string(i), "LASTNAME" + std::to_string(i));
        user->GroupNo = i % 10;
        list->Add(user->FullName(), user);
    }
    for (int i = 0; i < n; ++i)
        UserAt(*list, i)->SetTaker(UserAt(*list, (i + 1) % n));
    return list;
}

std::unique_ptr<TStringList> MakeGroups()
{
    auto groups = std::make_unique<TStringList>();
    for (int i = 0; i < 10; ++i)
        groups->Add("GROUP" + std::to_string(i));
    return groups;
}

/// Measures with fixed metrics and draws nothing.
class TCountingCanvas final : public TCanvas {
public:
    void BeginDocument() override { }
    void NewPage() override { ++pages; }
    void EndDocument() override { }
    TRect ClipRect() const override { return { 0, 0, 4958, 7017 }; }
    int FontSize() const override { return size_; }
    void SetFontSize(int points) override { size_ = points; }
    int TextWidth(std::string_view text) override { return size_ * static_cast<int>(text.size()) * 5; }
    int TextHeight(std::string_view) override { return size_ * 10; }
    void TextOut(int, int, std::string_view text) override { characters += text.size(); }
    bool IsPrinterCanvas() const override { return true; }

    long pages = 0;
    std::size_t characters = 0;

private:
    int size_ = 10;
};

std::string PdfPath()
{
    return "/tmp/tinselwick-print-bench-" + std::to_string(::getpid()) + ".pdf";
}

void LettersToPdf(benchmark::State& state)
{
    const auto participants = MakeRegister(static_cast<int>(state.range(0)));
    const std::string path = PdfPath();
    TRandomSource random(1);
    for (auto _ : state) {
        auto canvas = TQtPrinterCanvas::ForPdf(path, 600);
        PrintLetters(*canvas, participants.get(), DefaultTemplateLines(), false, random);
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(LettersToPdf)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void AllocationListToPdf(benchmark::State& state)
{
    const auto participants = MakeRegister(static_cast<int>(state.range(0)));
    const auto groups = MakeGroups();
    const std::string path = PdfPath();
    for (auto _ : state) {
        auto canvas = TQtPrinterCanvas::ForPdf(path, 600);
        PrintAllocationList(*canvas, participants.get(), groups.get());
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AllocationListToPdf)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void LettersLayoutOnly(benchmark::State& state)
{
    const auto participants = MakeRegister(static_cast<int>(state.range(0)));
    TRandomSource random(1);
    for (auto _ : state) {
        TCountingCanvas canvas;
        PrintLetters(canvas, participants.get(), DefaultTemplateLines(), false, random);
        benchmark::DoNotOptimize(canvas.characters);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(LettersLayoutOnly)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void ExpandDefaultTemplate(benchmark::State& state)
{
    const auto participants = MakeRegister(2);
    const TCCUser* giver = UserAt(*participants, 0);
    for (auto _ : state)
        for (const std::string& line : DefaultTemplateLines())
            benchmark::DoNotOptimize(ExpandTemplateLine(line, giver));
}
BENCHMARK(ExpandDefaultTemplate);

} // namespace

int main(int argc, char** argv)
{
    StartPersistenceWithVersion();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
