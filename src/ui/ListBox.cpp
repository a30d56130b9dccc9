#include "ui/ListBox.h"

#include "persist/AnsiText.h"
#include "platform/gui/QtAnsi.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

void SortLines(std::vector<TListLine>& lines)
{
    std::stable_sort(lines.begin(), lines.end(),
        [](const TListLine& a, const TListLine& b) { return AnsiCompareText(a.Text, b.Text) < 0; });
}

/// Relative luminance as the accessibility guidelines define it (sRGB, 0 black to 1 white).
double Luminance(const QColor& colour)
{
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

/// `faint` moved toward `strong` just far enough for text on `background` to reach the
/// contrast of 4.5:1 that the guidelines ask of text; it still looks fainter than `strong`.
QColor ReadableOn(const QColor& background, const QColor& faint, const QColor& strong)
{
    constexpr double kTextContrast = 4.5;
    constexpr int kSteps = 20;
    for (int step = 0; step < kSteps; ++step) {
        const double t = static_cast<double>(step) / kSteps;
        const auto mix = [t](double from, double to) { return from + t * (to - from); };
        const QColor mixed = QColor::fromRgbF(static_cast<float>(mix(faint.redF(), strong.redF())),
            static_cast<float>(mix(faint.greenF(), strong.greenF())),
            static_cast<float>(mix(faint.blueF(), strong.blueF())));
        if (Contrast(mixed, background) >= kTextContrast)
            return mixed;
    }
    return strong;
}

bool IsMovingKey(const QKeyEvent* event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

int TListBoxModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant TListBoxModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return shown_[row];
    case Qt::SizeHintRole:
        return QSize(1, itemHeight_);
    default:
        return {};
    }
}

void TListBoxModel::Assign(std::vector<TListLine> lines)
{
    beginResetModel();
    lines_ = std::move(lines);
    shown_.clear();
    shown_.reserve(lines_.size());
    for (const TListLine& line : lines_)
        shown_.push_back(AnsiToQString(line.Text));
    endResetModel();
}

TListBox::TListBox(QWidget* parent)
    : QListView(parent)
    , model_(new TListBoxModel(this))
{
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // All lines are one text high: the view then lays out thousands of lines
    // without measuring each.
    setUniformItemSizes(true);
    connect(this, &QAbstractItemView::clicked, this, [this] { emit Click(); });
    KeepDisabledTextReadable();
}

void TListBox::KeepDisabledTextReadable()
{
    QPalette colours = palette();
    const QColor strong = colours.color(QPalette::Active, QPalette::Text);
    for (const auto& [text, background] : { std::pair { QPalette::Text, QPalette::Base },
             std::pair { QPalette::HighlightedText, QPalette::Highlight } }) {
        colours.setColor(QPalette::Disabled, text,
            ReadableOn(colours.color(QPalette::Disabled, background), colours.color(QPalette::Disabled, text), strong));
    }
    setPalette(colours);
}

void TListBox::SetLines(std::vector<TListLine> lines)
{
    if (sorted_)
        SortLines(lines);
    model_->Assign(std::move(lines));
    // New lines are shown from the first, as a freshly filled box shows them.
    LayOut();
    verticalScrollBar()->setValue(0);
}

const std::string& TListBox::Line(int index) const
{
    return model_->Lines().at(static_cast<std::size_t>(index)).Text;
}

TObject* TListBox::Object(int index) const
{
    return model_->Lines().at(static_cast<std::size_t>(index)).Object;
}

int TListBox::IndexOf(const std::string& text) const
{
    const auto& lines = model_->Lines();
    const auto it = std::find_if(lines.begin(), lines.end(), [&](const TListLine& l) { return l.Text == text; });
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

int TListBox::IndexOfObject(const TObject* object) const
{
    const auto& lines = model_->Lines();
    const auto it = std::find_if(lines.begin(), lines.end(), [&](const TListLine& l) { return l.Object == object; });
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

void TListBox::SetSorted(bool sorted)
{
    if (sorted == sorted_)
        return;
    sorted_ = sorted;
    if (sorted_ && Count() > 1)
        SetLines(model_->Lines());
}

int TListBox::ItemIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

void TListBox::SetItemIndex(int index)
{
    if (index < 0 || index >= Count()) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex item = model_->index(index);
    selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
    LayOut();
    scrollTo(item, QAbstractItemView::EnsureVisible);
}

int TListBox::TopIndex() const
{
    if (Count() == 0)
        return 0;
    LayOut();
    // Scrolling goes by whole lines, so the scroll bar's value is the top line.
    return verticalScrollBar()->value();
}

void TListBox::SetTopIndex(int index)
{
    if (Count() == 0)
        return;
    LayOut();
    verticalScrollBar()->setValue(std::clamp(index, 0, Count() - 1));
}

void TListBox::SetItemHeight(int height)
{
    model_->SetItemHeight(height);
    if (Count() > 0)
        SetLines(std::vector<TListLine>(model_->Lines()));
}

void TListBox::LayOut() const
{
    // A rebuilt model is laid out lazily; the scroll range must be current before
    // the top line is read or set.
    const_cast<TListBox*>(this)->executeDelayedItemsLayout();
    const_cast<TListBox*>(this)->updateGeometries();
}

bool TListBox::LineFits(int index) const
{
    const QModelIndex item = model_->index(index);
    if (!item.isValid())
        return true;
    LayOut();
    // The text is drawn inside a small margin on either side of the line.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return fontMetrics().horizontalAdvance(item.data().toString()) + 2 * margin <= visualRect(item).width();
}

bool TListBox::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex item = indexAt(help->pos());
        if (item.isValid() && !LineFits(item.row()))
            QToolTip::showText(help->globalPos(), item.data().toString(), viewport(), visualRect(item));
        else
            QToolTip::hideText();
        return true;
    }
    return QListView::viewportEvent(event);
}

void TListBox::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex before = currentIndex();
    const int selectedBefore = ItemIndex();
    QListView::keyPressEvent(event);
    // A key that moves through the lines selects the line it lands on and shows it, also
    // when that line was current already (Tab makes the first line current, unselected;
    // End on the selected last line scrolled out of view).
    if (IsMovingKey(event) && currentIndex().isValid()) {
        if (!selectionModel()->isSelected(currentIndex()))
            selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
        scrollTo(currentIndex());
    }
    if (currentIndex() != before || ItemIndex() != selectedBefore)
        emit Click();
}

void TListBox::mousePressEvent(QMouseEvent* event)
{
    // A press below the last line keeps the selection: Ok of "Edit Group Name" reads
    // the selected line, and it must not vanish under the user's hand.
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void TListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first click of a double-click may rebuild the lines, which invalidates the
    // index the view remembers from the press; the double-click counts all the same.
    if (event->button() == Qt::LeftButton) {
        emit DoubleClick();
        event->accept();
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}
