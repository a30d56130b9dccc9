#include "print/Letters.h"

#include "print/TextArea.h"
#include "print/TextOnPage.h"
#include "register/CCUser.h"

#include <algorithm>
#include <cstdint>

namespace {

// How much of the text after a closing bracket a segment carries on.
constexpr std::size_t kTailLimit = 256;

// Room for names longer than the first participant's.
constexpr std::string_view kBodySampleSuffix = "MMMMM";

// Sets the heading size: 48 lower-case letters in a box five line steps high.
constexpr std::string_view kHeadingSample = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

int ClampToInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

std::string ExpandTemplateLine(std::string_view line, const TCCUser* participant)
{
    if (participant == nullptr)
        return std::string(line);

    // Each pass handles the first "[" and the first "]" of the segment and carries on
    // with (at most 256 characters of) the text after that "]". The segment shrinks on
    // every pass, so the loop ends.
    std::string result;
    std::string_view segment = line;
    for (;;) {
        const std::size_t open = segment.find('[');
        const std::size_t close = segment.find(']');
        // No "[", or a "[" that is never closed: the rest is plain text.
        if (open == std::string_view::npos || close == std::string_view::npos) {
            result += segment;
            break;
        }
        const std::string_view tail = segment.substr(close + 1, kTailLimit);
        if (close == open + 2) {
            const char key = segment[open + 1];
            if (key == 'M' || key == 'm') {
                result += segment.substr(0, open);
                result += participant->SpacedName();
            } else if (key == 'G' || key == 'g') {
                result += segment.substr(0, open);
                if (participant->Taker != nullptr)
                    result += participant->Taker->SpacedName();
            } else {
                // An unknown key ends all substitution: the segment stands as typed.
                result += segment;
                break;
            }
        } else {
            // Brackets around anything but one character (or a "]" before the "["): keep
            // everything up to that "]".
            result += segment.substr(0, close + 1);
        }
        segment = tail;
    }
    return result;
}

std::string ChooseBodySample(const TStringList& participants, const std::vector<std::string>& templateLines)
{
    const TCCUser* first = participants.Empty() ? nullptr : UserAt(participants, 0);
    std::string longest;
    for (const std::string& line : templateLines) {
        std::string expanded = ExpandTemplateLine(line, first);
        if (expanded.size() > longest.size())
            longest = std::move(expanded);
    }
    return longest + std::string(kBodySampleSuffix);
}

TLetterLayout LayOutLetters(TCanvas& canvas, std::size_t templateLineCount, std::string_view bodySample)
{
    TLetterLayout layout;
    layout.Page = canvas.ClipRect();
    const TTextArea area = TextAreaOf(layout.Page);
    layout.Margin = area.Margin;
    layout.TextWidth = area.TextWidth;

    const std::int64_t lines = static_cast<std::int64_t>(std::min<std::size_t>(templateLineCount, INT32_MAX));
    layout.Divisor = ClampToInt(std::max<std::int64_t>(2 * lines + 40, 50));
    layout.ProvisionalHeight = (layout.Page.Bottom - layout.Page.Top) / layout.Divisor;

    FitFontToBox(canvas, layout.ProvisionalHeight, layout.TextWidth, bodySample);
    layout.LineStep = ClampToInt(static_cast<std::int64_t>(canvas.TextHeight(bodySample)) * 5 / 4);
    layout.BodySize = canvas.FontSize();

    FitFontToBox(canvas, ClampToInt(5 * static_cast<std::int64_t>(layout.LineStep)), layout.TextWidth, kHeadingSample);
    layout.HeadingSize = canvas.FontSize();
    return layout;
}

void PrintLetter(
    TCanvas& canvas, const TLetterLayout& layout, const TCCUser& giver, const std::vector<std::string>& templateLines)
{
    canvas.SetFontSize(layout.HeadingSize);
    DrawCentredText(
        canvas, layout.Page, TextAreaOf(layout.Page), layout.Page.Top + 5 * layout.LineStep, giver.SpacedName());

    // The body sits at the bottom of this page's clipping rectangle, the last line six
    // line steps above it.
    const TRect page = canvas.ClipRect();
    const std::int64_t lineCount = static_cast<std::int64_t>(templateLines.size());
    const std::int64_t step = layout.LineStep;
    std::int64_t y = page.Bottom - (lineCount + 5) * step;
    // A long template starts above the page. A line whose step ends at the page's top or
    // above cannot show on it: such lines are neither expanded nor measured, or a template
    // of thousands of lines costs seconds a letter for nothing.
    std::int64_t first = 0;
    if (step > 0 && y < page.Top)
        first = std::min<std::int64_t>((page.Top - y) / step, lineCount);
    y += first * step;
    canvas.SetFontSize(layout.BodySize);
    for (auto line = templateLines.begin() + first; line != templateLines.end(); ++line) {
        DrawTextUpTo(canvas, layout.Margin, ClampToInt(y), ExpandTemplateLine(*line, &giver), page.Right);
        y += step;
    }
}

namespace {

/// The title of a file of letters. One giver's letter is named after the giver alone: the
/// metadata of a letter mailed unopened must not tell whom it gives to.
std::string LettersTitle(const TCCUser* onlyGiver)
{
    if (onlyGiver == nullptr)
        return "Kris Kringle letters";
    std::string name = onlyGiver->SpacedName();
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return "Kris Kringle letter for " + name;
}

/// The letters of the entries first to last, one job.
void PrintLetterRange(TCanvas& canvas, const TStringList& participants, const std::vector<std::string>& templateLines,
    int first, int last)
{
    const std::string bodySample = ChooseBodySample(participants, templateLines);
    canvas.SetDocumentTitle(LettersTitle(first == last ? UserAt(participants, first) : nullptr));
    canvas.BeginDocument();
    const TLetterLayout layout = LayOutLetters(canvas, templateLines.size(), bodySample);

    // A page break goes before every letter but the first, so that neither entries
    // without a record nor the last letter leave an empty page behind.
    bool anyLetter = false;
    for (int i = first; i <= last; ++i) {
        const TCCUser* giver = UserAt(participants, i);
        if (giver == nullptr)
            continue;
        if (anyLetter)
            canvas.NewPage();
        PrintLetter(canvas, layout, *giver, templateLines);
        anyLetter = true;
    }
    canvas.EndDocument();
}

} // namespace

void PrintLetters(TCanvas& canvas, const TStringList* participants, const std::vector<std::string>& templateLines,
    bool testLetter, TRandomSource& random)
{
    if (participants == nullptr || participants->Count() < 2)
        return;
    const int count = participants->Count();
    // The test letter's entry is drawn before the job begins, so that the file can be titled.
    const int first = testLetter ? static_cast<int>(random.Next(static_cast<std::uint32_t>(count))) : 0;
    PrintLetterRange(canvas, *participants, templateLines, first, testLetter ? first : count - 1);
}

void PrintTestLetter(
    TCanvas& canvas, const TStringList* participants, const std::vector<std::string>& templateLines, int entry)
{
    if (participants == nullptr || participants->Count() < 2)
        return;
    PrintLetterRange(canvas, *participants, templateLines, entry, entry);
}

void PrintGiversLetter(TCanvas& canvas, const TStringList& participants, const std::vector<std::string>& templateLines,
    const TCCUser& giver)
{
    std::optional<TLetterLayout> layout;
    PrintGiversLetter(canvas, participants, templateLines, giver, layout);
}

void PrintGiversLetter(TCanvas& canvas, const TStringList& participants, const std::vector<std::string>& templateLines,
    const TCCUser& giver, std::optional<TLetterLayout>& layout)
{
    canvas.SetDocumentTitle(LettersTitle(&giver));
    canvas.BeginDocument();
    // The fitting is most of a page's work: the face is measured at every size it tries.
    if (!layout)
        layout = LayOutLetters(canvas, templateLines.size(), ChooseBodySample(participants, templateLines));
    PrintLetter(canvas, *layout, giver, templateLines);
    canvas.EndDocument();
}

void PrintLetters(IPrinterService& printer, const TStringList* participants,
    const std::vector<std::string>& templateLines, bool testLetter, TRandomSource& random)
{
    if (participants == nullptr || participants->Count() < 2)
        return;
    if (const std::unique_ptr<TCanvas> job = printer.OpenJob(std::string()))
        PrintLetters(*job, participants, templateLines, testLetter, random);
}

std::string LetterFileStem(const TCCUser& giver)
{
    // The bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D stand for no character of the code page:
    // they read as control characters wherever the name is shown.
    const auto unwanted = [](unsigned char c) {
        return c == '/' || c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
    };
    std::string name = giver.SpacedName();
    for (char& c : name)
        if (unwanted(static_cast<unsigned char>(c)))
            c = '_';
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    if (!name.empty() && name.front() == '.')
        name.front() = '_';
    return name;
}
