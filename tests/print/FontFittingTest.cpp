#include "print/Letters.h"

#include "RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

using TMetric = TRecordingCanvas::TMetric;

struct TFitCase {
    const char* name;
    int size;
    int widthLimit;
    TMetric height;
    TMetric width;
    std::vector<int> sizesSet;
};

int Narrow(int, std::string_view)
{
    return 1;
}
int Fixed1(int, std::string_view)
{
    return 1;
}

const TFitCase kFitCases[] = {
    // 66 * 66 / 72 is exactly 60.5: the half goes to the even 60 (floating point says 61).
    { "TrueHalfRoundsDownToEven", 66, 1000, [](int s, std::string_view) { return s * 12 / 11; }, Narrow, { 66, 60 } },
    // 123 * 123 / 246 = 61.5 goes up to 62; 62 * 123 / 124 = 61.5 again rounds to 62
    // itself, so the size steps down one point.
    { "TrueHalfRoundsUpToEven", 123, 1000, [](int s, std::string_view) { return 2 * s; }, Narrow, { 123, 62, 61 } },
    { "AlreadyFitsKeepsSize", 40, 1000, [](int s, std::string_view) { return s; }, Narrow, { 40 } },
    // Width ratio 3 beats height ratio 1.2: 50 / 3 gives 17 (the height would give 42).
    { "WiderRatioDecides", 50, 1000, [](int s, std::string_view) { return s * 6 / 5; },
        [](int s, std::string_view) { return s * 60; }, { 50, 17, 16 } },
    { "SeveralPasses", 100, 1000, Fixed1, [](int s, std::string_view) { return 500 + 10 * s; },
        { 100, 67, 57, 53, 51, 50 } },
    { "NeverBelowThreePoints", 20, 1000, [](int s, std::string_view) { return 100 * s; }, Narrow, { 20, 3 } },
    { "WidthLimitTenIsNotFitted", 100, 10, [](int s, std::string_view) { return 5 * s; }, Narrow, { 100 } },
    { "SizeFiveIsNotFitted", 5, 1000, [](int s, std::string_view) { return 5 * s; }, Narrow, { 5 } },
    // A box less than a pixel high gets the smallest font there is.
    { "ZeroSizeGetsOnePoint", 0, 1000, [](int s, std::string_view) { return 5 * s; }, Narrow, { 1 } },
};

class FitFontToBoxSequence : public ::testing::TestWithParam<TFitCase> { };

TEST_P(FitFontToBoxSequence, SetsTheExpectedSizes)
{
    const TFitCase& c = GetParam();
    TRecordingCanvas canvas;
    canvas.Height = c.height;
    canvas.Width = c.width;
    FitFontToBox(canvas, c.size, c.widthLimit, "SAMPLE");
    EXPECT_EQ(canvas.SizesSet, c.sizesSet);
    EXPECT_EQ(canvas.FontSize(), c.sizesSet.back());
}

INSTANTIATE_TEST_SUITE_P(Loop, FitFontToBoxSequence, ::testing::ValuesIn(kFitCases),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FitFontToBox, LeavesAnyOtherCanvasAlone)
{
    TRecordingCanvas canvas;
    canvas.Printer = false;
    FitFontToBox(canvas, 66, 1000, "SAMPLE");
    EXPECT_TRUE(canvas.Log.empty());
}

TEST(FitFontToBox, EndsAtTheFirstFittingSizeOrAtThreePoints)
{
    // Irregular metrics, as real fonts have: whatever the box, the sizes only fall, no
    // size before the last fits, and the last fits or is 3 points.
    for (int size = 6; size <= 400; size += 7) {
        TRecordingCanvas canvas;
        canvas.Height = [](int s, std::string_view) { return s + s / 3 + (s % 5); };
        canvas.Width = [](int s, std::string_view) { return 37 * s + (s % 11) * 13; };
        auto fits = [&](int s) { return canvas.Height(s, "") <= size && canvas.Width(s, "") <= 3000; };
        FitFontToBox(canvas, size, 3000, "SAMPLE");
        const std::vector<int>& sizes = canvas.SizesSet;
        for (std::size_t i = 0; i + 1 < sizes.size(); ++i) {
            EXPECT_GT(sizes[i], sizes[i + 1]) << "box " << size;
            EXPECT_FALSE(fits(sizes[i])) << "box " << size << " went on past " << sizes[i];
        }
        EXPECT_TRUE(fits(sizes.back()) || sizes.back() == 3) << "box " << size;
    }
}

} // namespace
