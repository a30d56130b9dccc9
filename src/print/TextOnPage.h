#pragma once
// Texts that stay on the paper. The layout places every text by its own rules, and a
// text that stays inside the printable area keeps that place, even past the margins.
// One that would leave the printable area is drawn, by itself, at the largest smaller
// size that keeps it inside; the size set before is set again afterwards.

#include "print/Canvas.h"
#include "print/TextArea.h"

#include <string_view>

/// Draws `text` with its top-left corner at (x, y), lowered where it would pass `right`.
void DrawTextUpTo(TCanvas& canvas, int x, int y, std::string_view text, int right);

/// Draws `text` at y, centred between the margins of `area`; a text that would leave
/// `page` is lowered to the page's width and centred on the page instead.
void DrawCentredText(TCanvas& canvas, const TRect& page, const TTextArea& area, int y, std::string_view text);
