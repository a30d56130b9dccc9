// The letters and the allocation list for registers of n participants: on Qt's PDF
// printer at 600 dpi (the whole job, file included), as one PDF file per giver, and on
// a canvas that only counts, which isolates the layout and template expansion from
// Qt's drawing.

#include "BenchSupport.h"
#include "print/AllocationList.h"
#include "print/DefaultTemplate.h"
#include "print/Letters.h"
#include "print/qt/LetterFiles.h"
#include "print/qt/LetterPdf.h"
#include "print/qt/QtPrinterCanvas.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

/// n participants in ten groups, each giving to the next, names of realistic length.
std::unique_ptr<TStringList> MakeRegister(int n)
{
    auto list = bench::MakeParticipants(
        n,
        [](int i) {
            return std::pair<std::string, std::string>("FIRST" + std::to_string(i), "LASTNAME" + std::to_string(i));
        },
        [](int i) { return i % 10; });
    bench::LinkInCircle(*list);
    return list;
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

void LettersToPdf(benchmark::State& state)
{
    const auto participants = MakeRegister(static_cast<int>(state.range(0)));
    const bench::TScratchFolder folder;
    const std::string path = (folder / "bench.pdf");
    TRandomSource random(1);
    for (auto _ : state) {
        auto canvas = TQtPrinterCanvas::ForPdf(path, 600);
        PrintLetters(*canvas, participants.get(), DefaultTemplateLines(), false, random);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(LettersToPdf)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each run writes every file anew over the last run's, as --pdf-dir --force does.
void LetterFilesToFolder(benchmark::State& state)
{
    const auto participants = MakeRegister(static_cast<int>(state.range(0)));
    const bench::TScratchFolder scratch;
    const std::string folder = (scratch / "letters");
    const std::vector<TLetterFile> files = PlanLetterFiles(*participants, folder);
    for (auto _ : state)
        WriteLetterFiles(folder, files, *participants, DefaultTemplateLines(), 600);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(LetterFilesToFolder)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One giver's letter after another made in memory, as messages carry them: one thread,
// no file, the fonts fitted once.
void LetterPdfInMemory(benchmark::State& state)
{
    const auto participants = MakeRegister(100);
    TLetterPdfWriter letters(*participants, DefaultTemplateLines(), 600);
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes += letters.Letter(*UserAt(*participants, 7)).size();
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(LetterPdfInMemory)->Unit(benchmark::kMillisecond);

void AllocationListToPdf(benchmark::State& state)
{
    const auto participants = MakeRegister(static_cast<int>(state.range(0)));
    const auto groups = bench::MakeGroups(10);
    const bench::TScratchFolder folder;
    const std::string path = (folder / "bench.pdf");
    for (auto _ : state) {
        auto canvas = TQtPrinterCanvas::ForPdf(path, 600);
        PrintAllocationList(*canvas, participants.get(), groups.get());
    }
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
    return bench::RunBenchmarks<QGuiApplication>(argc, argv);
}
