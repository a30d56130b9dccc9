#include "ui/FormLayout.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

/// The line height of the lists as designed.
constexpr int kDesignItemHeight = 13;

double ScaleForCaptions(const std::vector<TPlace>& places, const QFont& font, const QWidget* sample)
{
    const QFontMetrics metrics(font);
    QStyle* style = sample->style();
    const int buttonPadding = 2
        * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, sample)
            + style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, sample));
    double scale = static_cast<double>(metrics.height()) / kDesignItemHeight;
    for (const TPlace& place : places) {
        if (auto* button = qobject_cast<QPushButton*>(place.widget)) {
            const int wanted = metrics.horizontalAdvance(button->text()) + buttonPadding;
            scale = std::max(scale, static_cast<double>(wanted) / place.width);
            scale = std::max(scale, static_cast<double>(metrics.height() + 6) / place.height);
        }
    }
    return std::max(scale, 1.0);
}

} // namespace

TFormLayout::TFormLayout(std::vector<TPlace> places, const std::vector<QWidget*>& lists, QSize designClient,
    const QFont& font, const QWidget* sample)
    : places_(std::move(places))
    , scale_(ScaleForCaptions(places_, font, sample))
    , opening_(Scaled(designClient.width()), Scaled(designClient.height()))
    , lineHeight_(std::max(Scaled(kDesignItemHeight), QFontMetrics(font).height()))
{
    for (const TPlace& place : places_) {
        if (std::find(lists.begin(), lists.end(), place.widget) == lists.end())
            continue;
        columns_.push_back({ place.left, place.left + place.width });
        if (rows_.empty())
            rows_.push_back({ place.top, place.top + place.height });
    }
    std::sort(columns_.begin(), columns_.end(), [](TSpan a, TSpan b) { return a.from < b.from; });
}

int TFormLayout::Scaled(int design) const
{
    return static_cast<int>(std::lround(design * scale_));
}

int TFormLayout::Shift(int design, const std::vector<TSpan>& spans, int gain)
{
    // A coordinate inside a span moves by its share of that span's gain, so a control
    // laid over part of a list keeps lying over the same part of it.
    int shift = 0;
    for (const TSpan& span : spans) {
        if (design >= span.to)
            shift += gain;
        else if (design > span.from)
            shift += gain * (design - span.from) / (span.to - span.from);
    }
    return shift;
}

namespace {

void Place(const TPlace& place, QPoint at, QSize size)
{
    // A label is never smaller than its text.
    if (place.width == 0 || place.height == 0)
        size = size.expandedTo(place.widget->sizeHint());
    place.widget->setGeometry(QRect(at, size));
}

} // namespace

void TFormLayout::PlaceInner() const
{
    for (const TPlace& place : places_) {
        if (place.growth == TGrowth::Inner)
            Place(
                place, QPoint(Scaled(place.left), Scaled(place.top)), QSize(Scaled(place.width), Scaled(place.height)));
    }
}

void TFormLayout::Apply(QSize size) const
{
    const QSize extra = (size - opening_).expandedTo(QSize(0, 0));
    // Equal shares keep the three lists equally wide; what is left over stays at the right.
    const int perColumn = columns_.empty() ? 0 : extra.width() / static_cast<int>(columns_.size());
    const auto x = [&](int design) { return Shift(design, columns_, perColumn); };
    const auto y = [&](int design) { return Shift(design, rows_, extra.height()); };

    for (const TPlace& place : places_) {
        QPoint at(Scaled(place.left), Scaled(place.top));
        QSize wanted(Scaled(place.width), Scaled(place.height));
        switch (place.growth) {
        case TGrowth::Inner:
            continue;
        case TGrowth::Centre:
            at += QPoint(extra.width() / 2, extra.height() / 2);
            break;
        case TGrowth::Stretch:
            wanted += QSize(x(place.left + place.width) - x(place.left), y(place.top + place.height) - y(place.top));
            at += QPoint(x(place.left), y(place.top));
            break;
        case TGrowth::Move:
            at += QPoint(x(place.left), y(place.top));
            break;
        }
        Place(place, at, wanted);
    }
}
