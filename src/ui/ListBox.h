#pragma once
// A list box in the manner the main window needs: lines of single-byte text with
// an attached object each, an optional sort by text without regard to letter
// case, a selected line and a top visible line. The lines are always replaced as
// a whole, so a rebuild is one sort and one model reset, never a sort per line.
// A line too long for the box shows whole in its tooltip.

#include "persist/Object.h"

#include <QAbstractListModel>
#include <QListView>

#include <string>
#include <vector>

struct TListLine {
    std::string Text; ///< Windows-1252
    TObject* Object = nullptr;
};

class TListBoxModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void Assign(std::vector<TListLine> lines);
    const std::vector<TListLine>& Lines() const { return lines_; }
    void SetItemHeight(int height) { itemHeight_ = height; }

private:
    std::vector<TListLine> lines_;
    std::vector<QString> shown_;
    int itemHeight_ = 13;
};

class TListBox : public QListView {
    Q_OBJECT
public:
    explicit TListBox(QWidget* parent = nullptr);

    /// Replaces every line. A sorted box orders them by text, letter case ignored
    /// (Windows-1252 folding), lines of equal text in the order given.
    void SetLines(std::vector<TListLine> lines);
    void Clear() { SetLines({}); }

    int Count() const { return static_cast<int>(model_->Lines().size()); }
    const std::string& Line(int index) const;
    TObject* Object(int index) const;
    /// First line whose text equals `text` exactly, or -1.
    int IndexOf(const std::string& text) const;
    /// Line that carries `object`, or -1.
    int IndexOfObject(const TObject* object) const;

    bool Sorted() const { return sorted_; }
    /// Turning the flag on sorts the lines present; turning it off keeps their order.
    void SetSorted(bool sorted);

    /// The selected line, or -1.
    int ItemIndex() const;
    /// Selects line `index` (scrolled into view), or nothing for -1 or a line out of range.
    void SetItemIndex(int index);

    /// The line at the top of the visible area (0 when empty).
    int TopIndex() const;
    /// Scrolls so that line `index` is at the top, as far as the lines allow.
    void SetTopIndex(int index);

    void SetItemHeight(int height);

    /// True when line `index` shows whole, without an ellipsis.
    bool LineFits(int index) const;

signals:
    /// The user picked a line with the mouse or the keyboard (not a change made by the program).
    void Click();
    /// A double-click anywhere in the box.
    void DoubleClick();

protected:
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void LayOut() const;
    /// A disabled box greys its text only so far that it stays easy to read.
    void KeepDisabledTextReadable();

    TListBoxModel* model_;
    bool sorted_ = false;
};
