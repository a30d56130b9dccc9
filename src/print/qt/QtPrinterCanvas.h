#pragma once
// The printer's canvas on Qt: a QPrinter (a system printer, or a PDF file) with one
// painter, measured with the printer's own font metrics. A job that is destroyed
// before it ended is aborted, and a PDF written so far is removed.

#include "print/Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <memory>
#include <optional>
#include <string>

class QPrinter;
class QPrinterInfo;
namespace platform {
class TAtomicFile;
}

class TQtPrinterCanvas final : public TCanvas {
public:
    /// A job for a system printer at its high resolution, on its printable area.
    static std::unique_ptr<TQtPrinterCanvas> ForPrinter(const QPrinterInfo& printer);
    /// A job that writes a PDF file of A4 sheets, each sheet wholly printable. A
    /// `dotsPerInch` of 0 takes the printer's high resolution. The file appears (or is
    /// replaced) only when the job ends without error.
    static std::unique_ptr<TQtPrinterCanvas> ForPdf(const std::string& path, int dotsPerInch = 0);
    /// The same into the temporary file of `file` (its target named `path` in messages),
    /// which the caller commits, or drops, once its other files are done too.
    static std::unique_ptr<TQtPrinterCanvas> ForStagedPdf(
        platform::TAtomicFile& file, const std::string& path, int dotsPerInch = 0);

    ~TQtPrinterCanvas() override;
    TQtPrinterCanvas(const TQtPrinterCanvas&) = delete;
    TQtPrinterCanvas& operator=(const TQtPrinterCanvas&) = delete;

    /// Kept in a PDF file's metadata; a printer's job keeps no title.
    void SetDocumentTitle(std::string_view title) override;
    void BeginDocument() override;
    void NewPage() override;
    void EndDocument() override;
    TRect ClipRect() const override;
    int FontSize() const override { return fontSize_; }
    void SetFontSize(int points) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    void TextOut(int x, int y, std::string_view text) override;
    bool IsPrinterCanvas() const override { return true; }

    /// The family of the face the texts are set in, as the font system resolved it.
    QString FaceName() const;
    /// The resolution the job's pixels are counted in.
    int DotsPerInch() const;

private:
    TQtPrinterCanvas(std::unique_ptr<QPrinter> printer, std::optional<std::string> pdfPath, std::string whereTo);

    const QFontMetrics& Metrics();
    /// The PDF's temporary file: the canvas's own, or the caller's staged one.
    platform::TAtomicFile* PdfFile() const;
    void RequirePrinting(const char* what) const;
    /// Ends a job on a PDF file that cannot be written: the temporary file goes, and the
    /// message names the file and says whether an earlier one is still there.
    [[noreturn]] void FailPdf(const std::string& reason);

    enum class TState { NotBegun, Printing, Ended };

    // Declared before the printer and the painter so that it is removed only after
    // they have let go of the file.
    std::unique_ptr<platform::TAtomicFile> pdfFile_;
    platform::TAtomicFile* stagedFile_ = nullptr; // the caller's, with ForStagedPdf
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    QFont font_;
    int fontSize_ = 0;
    std::optional<QFontMetrics> metrics_;
    std::optional<std::string> pdfPath_;
    std::string whereTo_;
    TState state_ = TState::NotBegun;
};
