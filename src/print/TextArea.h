#pragma once
// The horizontal frame both prints share: a margin of one twelfth of the page
// width on either side.

#include "print/Canvas.h"

struct TTextArea {
    int Margin = 0;
    /// The right edge of the text, one margin in from the page's right edge.
    int TextRight = 0;
    int TextWidth = 0;
};

/// The text area of a page rectangle (integer division, truncating toward zero).
TTextArea TextAreaOf(const TRect& page);

/// The x at which a text `width` pixels wide stands centred between the margins; a text
/// wider than the text area gets an x left of the margin, possibly negative.
int CentredX(int margin, int textAreaWidth, int width);
