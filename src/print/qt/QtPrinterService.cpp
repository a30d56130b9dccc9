#include "print/qt/QtPrinterService.h"

#include "print/qt/QtPrinterCanvas.h"

#include <filesystem>
#include <system_error>

TQtPrinterService::TQtPrinterService(TAskPdfPath askPdfPath, TFindDefaultPrinter findDefaultPrinter)
    : askPdfPath_(std::move(askPdfPath))
    , findDefaultPrinter_(std::move(findDefaultPrinter))
{
}

std::unique_ptr<TCanvas> TQtPrinterService::OpenJob(const std::string& documentFile)
{
    const QPrinterInfo printer = findDefaultPrinter_();
    if (!printer.isNull())
        return TQtPrinterCanvas::ForPrinter(printer);

    // Without a printer Qt would switch to PDF output on its own and fail for want of
    // a file name; ask for one, as desktop systems do for their PDF printer.
    const std::optional<std::string> path = askPdfPath_ ? askPdfPath_() : std::nullopt;
    if (!path)
        return nullptr;
    // The finished PDF is moved over the chosen name, which would turn the open document
    // into a PDF without a word; a link or another name for it counts as the document.
    std::error_code ignored;
    if (!documentFile.empty() && std::filesystem::equivalent(*path, documentFile, ignored))
        throw EPrintError("The PDF file would replace the document " + documentFile);
    return TQtPrinterCanvas::ForPdf(*path);
}
