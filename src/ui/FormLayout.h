#pragma once
// The main window's controls placed from their designed pixel places: enlarged by one
// factor where the font needs more room than a caption was given, and, when the user
// makes the window larger, with the lists taking the room and everything else moving
// along with their edges.

#include <QSize>
#include <QWidget>

#include <vector>

/// How a control meets the room the window gains beyond its opening size.
enum class TGrowth {
    Move, ///< keeps its size and moves with the edges of the lists left of and above it
    Stretch, ///< its edges move as Move's do, so the part over a list grows with the list
    Centre, ///< keeps its size and its place relative to the middle of the window
    Inner, ///< inside another control, which carries it
};

/// A control's designed place in pixels; a width or height of 0 is a label's text's (a
/// label is never smaller than its text).
struct TPlace {
    QWidget* widget;
    int left, top, width, height;
    TGrowth growth;
};

class TFormLayout {
public:
    /// `lists` name the controls (among `places`) that take the extra room: each an equal
    /// share of the width, all of them the whole extra height. `sample` is a button that
    /// gives the buttons' style for measuring captions in `font`.
    TFormLayout(std::vector<TPlace> places, const std::vector<QWidget*>& lists, QSize designClient, const QFont& font,
        const QWidget* sample);

    /// The factor (1 or more) by which the design grows so that every caption fits and a
    /// list line is at least a line of text high.
    double Scale() const { return scale_; }
    /// The client area's size when the window opens: the design, scaled.
    QSize OpeningSize() const { return opening_; }
    /// `design` pixels, scaled.
    int Scaled(int design) const;
    /// The height of a list line: as designed, scaled, and at least a line of text.
    int LineHeight() const { return lineHeight_; }

    /// Places the controls inside other controls; their places never change.
    void PlaceInner() const;
    /// Places every other control for a client area of `size` (no smaller than the opening size).
    void Apply(QSize size) const;

private:
    struct TSpan {
        int from, to; // designed pixels
    };
    /// How far a designed coordinate moves when each span gains `gain` pixels.
    static int Shift(int design, const std::vector<TSpan>& spans, int gain);

    std::vector<TPlace> places_;
    std::vector<TSpan> columns_; // the lists, left to right
    std::vector<TSpan> rows_; // the lists' common height
    double scale_ = 1.0;
    QSize opening_;
    int lineHeight_ = 0;
};
