#include "print/Letters.h"

#include <algorithm>
#include <cstdint>

namespace {

/// p / q rounded to the nearest whole number, a true half to the even neighbour (p >= 0, q > 0).
/// Worked out on integers: in floating point a quotient such as 4356 / 72 = 60.5 may come
/// out a hair above the half and round the wrong way.
std::int64_t RoundHalfToEven(std::int64_t p, std::int64_t q)
{
    const std::int64_t quotient = p / q;
    const std::int64_t twiceRemainder = 2 * (p % q);
    if (twiceRemainder > q || (twiceRemainder == q && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

} // namespace

void FitFontToBox(TCanvas& canvas, int size, int widthLimit, std::string_view sample)
{
    if (!canvas.IsPrinterCanvas())
        return;

    // A size below one point comes from a page divided into more rows than it has
    // pixels; no font is smaller than one point, so that is what such a box gets.
    canvas.SetFontSize(std::max(size, 1));
    std::int64_t height = canvas.TextHeight(sample);
    std::int64_t width = canvas.TextWidth(sample);
    if (widthLimit <= 10 || size <= 5)
        return;

    // `size` is at once the first point size tried and the box height in pixels.
    const std::int64_t boxHeight = size;
    const std::int64_t boxWidth = widthLimit;
    std::int64_t current = size;
    while ((height > boxHeight || width > boxWidth) && current > 3) {
        // ratio = max(height / boxHeight, width / boxWidth) = over / box; the next size is
        // current / ratio = current * box / over. Inside the loop the ratio exceeds 1, so
        // `over` is positive.
        const bool heightRules = height * boxWidth >= width * boxHeight;
        const std::int64_t over = heightRules ? height : width;
        const std::int64_t box = heightRules ? boxHeight : boxWidth;
        std::int64_t next = RoundHalfToEven(current * box, over);
        if (next >= current)
            next = current - 1;
        if (next < 3)
            next = 3;
        canvas.SetFontSize(static_cast<int>(next));
        height = canvas.TextHeight(sample);
        width = canvas.TextWidth(sample);
        current = next;
    }
}
