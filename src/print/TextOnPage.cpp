#include "print/TextOnPage.h"

#include <algorithm>
#include <cstdint>

namespace {

/// Sets the largest size below the current one (one point at the least) at which `text`
/// is at most `room` pixels wide; `width` is its width at the current size.
void LowerToWidth(TCanvas& canvas, std::string_view text, std::int64_t room, std::int64_t width)
{
    const int size = canvas.FontSize();
    // Widths grow about in proportion to the size: start from there, then step to the
    // exact size, since glyph widths are rounded at every size.
    const std::int64_t estimate = room > 0 && width > 0 ? size * room / width : 1;
    int lowered = static_cast<int>(std::clamp<std::int64_t>(estimate, 1, size - 1));
    canvas.SetFontSize(lowered);
    while (lowered > 1 && canvas.TextWidth(text) > room)
        canvas.SetFontSize(--lowered);
    while (lowered + 1 < size) {
        canvas.SetFontSize(lowered + 1);
        if (canvas.TextWidth(text) > room) {
            canvas.SetFontSize(lowered);
            break;
        }
        ++lowered;
    }
}

} // namespace

void DrawTextUpTo(TCanvas& canvas, int x, int y, std::string_view text, int right)
{
    const int size = canvas.FontSize();
    const std::int64_t width = canvas.TextWidth(text);
    if (x + width <= right || size <= 1) {
        canvas.TextOut(x, y, text);
        return;
    }
    LowerToWidth(canvas, text, static_cast<std::int64_t>(right) - x, width);
    canvas.TextOut(x, y, text);
    canvas.SetFontSize(size);
}

void DrawCentredText(TCanvas& canvas, const TRect& page, const TTextArea& area, int y, std::string_view text)
{
    const int size = canvas.FontSize();
    const int width = canvas.TextWidth(text);
    const int x = CentredX(area.Margin, area.TextWidth, width);
    if ((x >= page.Left && static_cast<std::int64_t>(x) + width <= page.Right) || size <= 1) {
        canvas.TextOut(x, y, text);
        return;
    }
    const std::int64_t pageWidth = static_cast<std::int64_t>(page.Right) - page.Left;
    LowerToWidth(canvas, text, pageWidth, width);
    canvas.TextOut(static_cast<int>(page.Left + (pageWidth - canvas.TextWidth(text)) / 2), y, text);
    canvas.SetFontSize(size);
}
