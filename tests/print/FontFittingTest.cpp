#include "print/Letters.h"

#include "RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

struct TFitCase {
    const char* name;
    int size;
    int widthLimit;
    TRecordingCanvas::TMetric height;
    TRecordingCanvas::TMetric width;
    std::vector<int> sizesSet;
};

int Narrow(int, std::string_view) { return 1; }

const TFitCase kFitCases[] = {
    // 66 * 66 / 72 is exactly 60.5: the half goes to the even 60 (floating point says 61).
    {"TrueHalfRoundsDownToEven", 66, 1000, [](int s, std::string_view) { return s * 12 / 11; }, Narrow, {66, 60}},
    // 123 * 123 / 246 is exactly 61.5: the half goes up to the even 62; 62 * 123 / 124 is
    // 61.5 again, now rounding back to 62 itself, so the size steps down one point.
    {"TrueHalfRoundsUpToEven", 123, 1000, [](int s, std::string_view) { return 2 * s; }, Narrow, {123, 62, 61}},
    {"AlreadyFitsKeepsSize", 40, 1000, [](int s, std::string_view) { return s; }, Narrow, {40}},
    // Width ratio 3 beats height ratio 1.2: 50 / 3 = 16.67 gives 17 (the height would give 42).
    {"WiderRatioDecides", 50, 1000, [](int s, std::string_view) { return s * 6 / 5; },
     [](int s, std::string_view) { return s * 60; }, {50, 17, 16}},
    // 100 * 1000 / 1004 rounds back to 100, so the size drops by one point.
    {"RoundingToSameSizeStepsDownOne", 100, 1000, [](int, std::string_view) { return 1; },
     [](int s, std::string_view) { return s * 1004 / 100; }, {100, 99}},
    // A width that does not shrink in proportion takes several passes.
    {"SeveralPasses", 100, 1000, [](int, std::string_view) { return 1; },
     [](int s, std::string_view) { return 500 + 10 * s; }, {100, 67, 57, 53, 51, 50}},
    {"NeverBelowThreePoints", 20, 1000, [](int s, std::string_view) { return 100 * s; }, Narrow, {20, 3}},
    {"StopsAtThreePointsEvenIfTooBig", 9, 1000, [](int, std::string_view) { return 1000; }, Narrow, {9, 3}},
    // Small boxes are not fitted at all.
    {"WidthLimitTenIsNotFitted", 100, 10, [](int s, std::string_view) { return 5 * s; }, Narrow, {100}},
    {"SizeFiveIsNotFitted", 5, 1000, [](int s, std::string_view) { return 5 * s; }, Narrow, {5}},
    // A box less than a pixel high gets the smallest font there is.
    {"ZeroSizeGetsOnePoint", 0, 1000, [](int s, std::string_view) { return 5 * s; }, Narrow, {1}},
    {"NegativeSizeGetsOnePoint", -4, 1000, [](int s, std::string_view) { return 5 * s; }, Narrow, {1}},
};

class FitFontToBoxSequence : public ::testing::TestWithParam<TFitCase> {};

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
    EXPECT_EQ(canvas.FontSize(), 10);
}

TEST(FitFontToBox, MeasuresTheSampleItGets)
{
    TRecordingCanvas canvas;
    std::vector<std::string> measured;
    canvas.Width = [&](int size, std::string_view text) {
        measured.emplace_back(text);
        return size * static_cast<int>(text.size());
    };
    FitFontToBox(canvas, 50, 100, "ABCDEFGHIJ");
    ASSERT_FALSE(measured.empty());
    for (const std::string& text : measured)
        EXPECT_EQ(text, "ABCDEFGHIJ");
    EXPECT_EQ(canvas.FontSize(), 10);
}

TEST(FitFontToBox, EveryPassLowersTheSizeAndEndsFitting)
{
    // Irregular metrics, as real fonts have: whatever the sizes, the loop ends at the
    // first size that fits or at 3 points, never rising on the way.
    for (int size = 6; size <= 400; size += 7) {
        TRecordingCanvas canvas;
        canvas.Height = [](int s, std::string_view) { return s + s / 3 + (s % 5); };
        canvas.Width = [](int s, std::string_view) { return 37 * s + (s % 11) * 13; };
        FitFontToBox(canvas, size, 3000, "SAMPLE");
        const std::vector<int>& sizes = canvas.SizesSet;
        for (std::size_t i = 1; i < sizes.size(); ++i)
            EXPECT_LT(sizes[i], sizes[i - 1]) << "box " << size;
        const int last = sizes.back();
        const bool fits = canvas.Height(last, "") <= size && canvas.Width(last, "") <= 3000;
        EXPECT_TRUE(fits || last == 3) << "box " << size;
        for (std::size_t i = 0; i + 1 < sizes.size(); ++i)
            EXPECT_FALSE(canvas.Height(sizes[i], "") <= size && canvas.Width(sizes[i], "") <= 3000)
                << "box " << size << " went on past a fitting size " << sizes[i];
    }
}

} // namespace
