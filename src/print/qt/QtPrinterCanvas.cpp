#include "print/qt/QtPrinterCanvas.h"

#include "platform/AtomicFile.h"
#include "platform/ProgramFont.h"
#include "platform/Windows1252.h"
#include "print/PrinterService.h"

#include "Version.h"

#include <QFile>
#include <QFontInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <fstream>

namespace {

// A PDF whose writing stopped early (a full disk, say) lacks its end marker.
bool PdfIsComplete(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return false;
    const std::streamoff size = file.tellg();
    const std::streamoff tailSize = std::min<std::streamoff>(size, 64);
    std::string tail(static_cast<std::size_t>(tailSize), '\0');
    file.seekg(size - tailSize);
    file.read(tail.data(), tailSize);
    return file && tail.find("%%EOF") != std::string::npos;
}

// Every job starts here and sets its own sizes before it draws.
constexpr int kInitialFontSize = 10;

} // namespace

std::unique_ptr<TQtPrinterCanvas> TQtPrinterCanvas::ForPrinter(const QPrinterInfo& info)
{
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    return std::unique_ptr<TQtPrinterCanvas>(
        new TQtPrinterCanvas(std::move(printer), std::nullopt, "the printer " + info.printerName().toStdString()));
}

std::unique_ptr<TQtPrinterCanvas> TQtPrinterCanvas::ForPdf(const std::string& path, int dotsPerInch)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    if (dotsPerInch > 0)
        printer->setResolution(dotsPerInch);
    printer->setPageSize(QPageSize(QPageSize::A4));
    // A PDF page has no border that cannot be printed: the whole sheet is the printable area.
    printer->setFullPage(true);
    printer->setCreator(QStringLiteral("Tinselwick ") + QString::fromLatin1(kTinselwickVersion));
    return std::unique_ptr<TQtPrinterCanvas>(new TQtPrinterCanvas(std::move(printer), path, "the PDF file " + path));
}

std::unique_ptr<TQtPrinterCanvas> TQtPrinterCanvas::ForStagedPdf(
    platform::TAtomicFile& file, const std::string& path, int dotsPerInch)
{
    auto canvas = ForPdf(path, dotsPerInch);
    canvas->stagedFile_ = &file;
    return canvas;
}

TQtPrinterCanvas::TQtPrinterCanvas(
    std::unique_ptr<QPrinter> printer, std::optional<std::string> pdfPath, std::string whereTo)
    : printer_(std::move(printer))
    , font_(platform::ProgramFont(kInitialFontSize))
    , fontSize_(kInitialFontSize)
    , pdfPath_(std::move(pdfPath))
    , whereTo_(std::move(whereTo))
{
}

TQtPrinterCanvas::~TQtPrinterCanvas()
{
    if (state_ != TState::Printing)
        return;
    // The job failed after it began: it is aborted where the print engine can do that,
    // and the painter is closed in any case, so no job stays open. A PDF written so far
    // goes with pdfFile_. (Qt's CUPS engine cannot abort: there the pages drawn so far
    // still reach the printer.)
    printer_->abort();
    if (painter_.isActive())
        painter_.end();
}

void TQtPrinterCanvas::RequirePrinting(const char* what) const
{
    if (state_ != TState::Printing)
        throw EPrintError(std::string("Cannot ") + what + " outside a print job on " + whereTo_);
}

void TQtPrinterCanvas::SetDocumentTitle(std::string_view title)
{
    if (pdfPath_ && state_ == TState::NotBegun)
        printer_->setDocName(platform::FromWindows1252(title));
}

void TQtPrinterCanvas::BeginDocument()
{
    if (state_ != TState::NotBegun)
        throw EPrintError("The print job on " + whereTo_ + " has already been started");
    if (pdfPath_) {
        try {
            if (stagedFile_ == nullptr)
                pdfFile_ = std::make_unique<platform::TAtomicFile>(*pdfPath_);
        } catch (const std::exception& error) {
            FailPdf(error.what());
        }
        printer_->setOutputFileName(QFile::decodeName(QByteArray::fromStdString(PdfFile()->TemporaryPath())));
    }
    if (!painter_.begin(printer_.get())) {
        if (pdfPath_)
            FailPdf("the PDF writer could not start");
        throw EPrintError("The print job could not be started on " + whereTo_);
    }
    state_ = TState::Printing;
    painter_.setFont(font_);
}

void TQtPrinterCanvas::NewPage()
{
    RequirePrinting("start a page");
    if (printer_->newPage())
        return;
    if (pdfPath_)
        FailPdf("a new page could not be stored");
    throw EPrintError("A new page could not be started on " + whereTo_);
}

void TQtPrinterCanvas::EndDocument()
{
    RequirePrinting("end the document");
    const bool ended = painter_.end();
    state_ = TState::Ended;
    const bool failed = !ended || printer_->printerState() == QPrinter::Error;
    if (!pdfPath_) {
        if (failed)
            throw EPrintError("The print job could not be finished on " + whereTo_);
        return;
    }
    if (failed || !PdfIsComplete(PdfFile()->TemporaryPath())) {
        // Qt does not say why a PDF could not be stored: the file system is asked instead.
        const std::string why = PdfFile()->WriteProblem();
        FailPdf(why.empty() ? "the file could not be completed" : why);
    }
    if (stagedFile_ != nullptr)
        return;
    try {
        pdfFile_->Commit();
    } catch (const std::exception& error) {
        FailPdf(error.what());
    }
}

platform::TAtomicFile* TQtPrinterCanvas::PdfFile() const
{
    return stagedFile_ != nullptr ? stagedFile_ : pdfFile_.get();
}

void TQtPrinterCanvas::FailPdf(const std::string& reason)
{
    // Whether an earlier file stays is for the owner of a staged file to say.
    const bool earlier = pdfFile_ ? pdfFile_->Replaces() : false;
    pdfFile_.reset();
    throw EPrintError("The PDF file " + *pdfPath_ + " could not be written: " + reason
        + (earlier ? ". The earlier file is unchanged." : "."));
}

TRect TQtPrinterCanvas::ClipRect() const
{
    // The painter's origin is the top-left corner of the printable area.
    return TRect { 0, 0, printer_->width(), printer_->height() };
}

void TQtPrinterCanvas::SetFontSize(int points)
{
    // No font is smaller than one point.
    fontSize_ = std::max(points, 1);
    font_.setPointSize(fontSize_);
    metrics_.reset();
    if (painter_.isActive())
        painter_.setFont(font_);
}

const QFontMetrics& TQtPrinterCanvas::Metrics()
{
    // Printer metrics, not screen metrics scaled: glyph widths do not scale linearly.
    if (!metrics_)
        metrics_.emplace(font_, printer_.get());
    return *metrics_;
}

int TQtPrinterCanvas::TextWidth(std::string_view text)
{
    return Metrics().horizontalAdvance(platform::FromWindows1252(text));
}

int TQtPrinterCanvas::TextHeight(std::string_view)
{
    return Metrics().height();
}

void TQtPrinterCanvas::TextOut(int x, int y, std::string_view text)
{
    RequirePrinting("draw a text");
    if (text.empty())
        return;
    // Qt places a text by its baseline; the layout gives the top of the character cell.
    painter_.drawText(x, y + Metrics().ascent(), platform::FromWindows1252(text));
}

QString TQtPrinterCanvas::FaceName() const
{
    return QFontInfo(font_).family();
}

int TQtPrinterCanvas::DotsPerInch() const
{
    return printer_->resolution();
}
