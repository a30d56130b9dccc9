#pragma once
// A canvas that records what the layout asks of it, with text metrics simple enough
// to work out by hand: by default a text is twice its point size high and half its
// point size wide per character.

#include "print/Canvas.h"
#include "print/PrinterService.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TDrawnText {
    int X = 0;
    int Y = 0;
    int Size = 0;
    std::string Text;
};

class TRecordingCanvas : public TCanvas {
public:
    using TMetric = std::function<int(int size, std::string_view text)>;

    TRect Page { 0, 0, 4960, 7015 };
    bool Printer = true;
    TMetric Height = [](int size, std::string_view) { return 2 * size; };
    TMetric Width = [](int size, std::string_view text) { return size * static_cast<int>(text.size()) / 2; };

    /// Every call in order: "begin", "page", "end", "size N", "text X,Y:TEXT".
    std::vector<std::string> Log;
    /// Every size set, in order.
    std::vector<int> SizesSet;
    /// How many texts were measured: the layout's work, counted.
    int Measured = 0;
    /// The texts drawn on each page; a page is opened by BeginDocument and NewPage.
    std::vector<std::vector<TDrawnText>> Pages;

    /// The title the job was given for its file.
    std::string Title;

    void SetDocumentTitle(std::string_view title) override { Title = Pages.empty() ? title : "after the begin"; }
    void BeginDocument() override
    {
        Log.push_back("begin");
        Pages.emplace_back();
    }
    void NewPage() override
    {
        Log.push_back("page");
        Pages.emplace_back();
    }
    void EndDocument() override { Log.push_back("end"); }
    TRect ClipRect() const override { return Page; }
    int FontSize() const override { return size_; }
    void SetFontSize(int points) override
    {
        size_ = points;
        SizesSet.push_back(points);
        Log.push_back("size " + std::to_string(points));
    }
    int TextWidth(std::string_view text) override
    {
        ++Measured;
        return Width(size_, text);
    }
    int TextHeight(std::string_view text) override
    {
        ++Measured;
        return Height(size_, text);
    }
    void TextOut(int x, int y, std::string_view text) override
    {
        Log.push_back("text " + std::to_string(x) + "," + std::to_string(y) + ":" + std::string(text));
        if (Pages.empty()) {
            ADD_FAILURE() << "text drawn before the document began";
            Pages.emplace_back();
        }
        Pages.back().push_back({ x, y, size_, std::string(text) });
    }
    bool IsPrinterCanvas() const override { return Printer; }

private:
    int size_ = 10;
};

/// A printer service whose jobs all draw on one recording canvas; it counts the jobs
/// opened and can play a user who cancels.
class TRecordingPrinter : public IPrinterService {
public:
    TRecordingCanvas Canvas;
    int Opened = 0;
    bool Cancel = false;

    std::unique_ptr<TCanvas> OpenJob(const std::string&) override
    {
        ++Opened;
        return Cancel ? nullptr : std::make_unique<TJob>(Canvas);
    }

private:
    class TJob : public TCanvas {
    public:
        explicit TJob(TCanvas& to)
            : to_(to)
        {
        }
        void BeginDocument() override { to_.BeginDocument(); }
        void NewPage() override { to_.NewPage(); }
        void EndDocument() override { to_.EndDocument(); }
        TRect ClipRect() const override { return to_.ClipRect(); }
        int FontSize() const override { return to_.FontSize(); }
        void SetFontSize(int points) override { to_.SetFontSize(points); }
        int TextWidth(std::string_view text) override { return to_.TextWidth(text); }
        int TextHeight(std::string_view text) override { return to_.TextHeight(text); }
        void TextOut(int x, int y, std::string_view text) override { to_.TextOut(x, y, text); }
        bool IsPrinterCanvas() const override { return to_.IsPrinterCanvas(); }

    private:
        TCanvas& to_;
    };
};
