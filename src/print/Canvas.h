#pragma once
// The drawing surface of one print job. The page layout speaks only to this
// interface, so it runs headless against a recording canvas in the tests.

#include <string_view>

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

class TCanvas {
public:
    virtual ~TCanvas() = default;

    /// The title a file of the job carries in its metadata (Windows-1252), given before the
    /// job begins; a job on a printer keeps none.
    virtual void SetDocumentTitle(std::string_view /*title*/) { }
    virtual void BeginDocument() = 0;
    virtual void NewPage() = 0;
    virtual void EndDocument() = 0;

    /// The clipping rectangle: on a printer, the printable area in device pixels.
    virtual TRect ClipRect() const = 0;
    /// Font size in whole points.
    virtual int FontSize() const = 0;
    virtual void SetFontSize(int points) = 0;
    /// Width and height in device pixels of a (Windows-1252) text in the current font.
    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;
    /// Draws a text with its top-left corner at (x, y).
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    /// True for the printer's canvas; font fitting acts only there.
    virtual bool IsPrinterCanvas() const = 0;
};
