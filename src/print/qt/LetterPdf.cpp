#include "print/qt/LetterPdf.h"

#include "platform/ProgramFont.h"
#include "platform/Windows1252.h"
#include "print/Letters.h"
#include "print/PrinterService.h"

#include "Version.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <optional>

namespace {

// Every job starts at the size a printer job starts at, and sets its own before drawing.
constexpr int kInitialFontSize = 10;

/// A canvas on a PDF writer into a memory buffer: the printer's canvas of a PDF file in
/// every measure (A4, the whole sheet printable, metrics of the writer's resolution).
class TPdfBufferCanvas final : public TCanvas {
public:
    explicit TPdfBufferCanvas(int dotsPerInch)
        : writer_(&buffer_)
        , font_(platform::ProgramFont(kInitialFontSize))
    {
        buffer_.open(QIODevice::WriteOnly);
        writer_.setResolution(dotsPerInch);
        writer_.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer_.setCreator(QStringLiteral("Tinselwick ") + QString::fromLatin1(kTinselwickVersion));
    }

    void SetDocumentTitle(std::string_view title) override
    {
        if (!painter_.isActive())
            writer_.setTitle(platform::FromWindows1252(title));
    }

    void BeginDocument() override
    {
        if (!painter_.begin(&writer_))
            throw EPrintError("The PDF writer could not start");
        painter_.setFont(font_);
    }
    void NewPage() override
    {
        if (!writer_.newPage())
            throw EPrintError("A new page could not be started in the PDF");
    }
    void EndDocument() override
    {
        if (!painter_.end())
            throw EPrintError("The PDF could not be completed");
    }
    TRect ClipRect() const override { return TRect { 0, 0, writer_.width(), writer_.height() }; }
    int FontSize() const override { return fontSize_; }
    void SetFontSize(int points) override
    {
        fontSize_ = std::max(points, 1);
        font_.setPointSize(fontSize_);
        metrics_.reset();
        if (painter_.isActive())
            painter_.setFont(font_);
    }
    int TextWidth(std::string_view text) override
    {
        return Metrics().horizontalAdvance(platform::FromWindows1252(text));
    }
    int TextHeight(std::string_view) override { return Metrics().height(); }
    void TextOut(int x, int y, std::string_view text) override
    {
        if (!text.empty())
            painter_.drawText(x, y + Metrics().ascent(), platform::FromWindows1252(text));
    }
    bool IsPrinterCanvas() const override { return true; }

    std::string Bytes() const { return buffer_.data().toStdString(); }

private:
    const QFontMetrics& Metrics()
    {
        if (!metrics_)
            metrics_.emplace(font_, &writer_);
        return *metrics_;
    }

    QBuffer buffer_;
    QPdfWriter writer_;
    QPainter painter_;
    QFont font_;
    int fontSize_ = kInitialFontSize;
    std::optional<QFontMetrics> metrics_;
};

} // namespace

TLetterPdfWriter::TLetterPdfWriter(
    const TStringList& participants, const std::vector<std::string>& templateLines, int dotsPerInch)
    : participants_(participants)
    , templateLines_(templateLines)
    , dotsPerInch_(dotsPerInch)
{
}

std::string TLetterPdfWriter::Letter(const TCCUser& giver)
{
    TPdfBufferCanvas canvas(dotsPerInch_);
    PrintGiversLetter(canvas, participants_, templateLines_, giver, layout_);
    return canvas.Bytes();
}
