#include "print/qt/QtPrinterService.h"

#include "print/qt/QtPrinterCanvas.h"

TQtPrinterService::TQtPrinterService(TAskPdfPath askPdfPath, TFindDefaultPrinter findDefaultPrinter)
    : askPdfPath_(std::move(askPdfPath))
    , findDefaultPrinter_(std::move(findDefaultPrinter))
{
}

std::unique_ptr<TCanvas> TQtPrinterService::OpenJob()
{
    const QPrinterInfo printer = findDefaultPrinter_();
    if (!printer.isNull())
        return TQtPrinterCanvas::ForPrinter(printer);

    // Without a printer Qt would switch to PDF output on its own and fail for want of
    // a file name; ask for one, as desktop systems do for their PDF printer.
    const std::optional<std::string> path = askPdfPath_ ? askPdfPath_() : std::nullopt;
    if (!path)
        return nullptr;
    return TQtPrinterCanvas::ForPdf(*path);
}
