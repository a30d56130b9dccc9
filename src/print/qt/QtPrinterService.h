#pragma once
// The program's printer service: jobs go to the system's default printer without a
// printer dialog, or, where the system has none, to a PDF file whose name the user
// is asked for once per job.

#include "print/PrinterService.h"

#include <QPrinterInfo>

#include <functional>
#include <optional>
#include <string>

class TQtPrinterService final : public IPrinterService {
public:
    /// Asks where to save the PDF; nullopt when the user cancels.
    using TAskPdfPath = std::function<std::optional<std::string>()>;
    /// The system's default printer; a null printer when there is none.
    using TFindDefaultPrinter = std::function<QPrinterInfo()>;

    explicit TQtPrinterService(
        TAskPdfPath askPdfPath, TFindDefaultPrinter findDefaultPrinter = &QPrinterInfo::defaultPrinter);

    /// A job on the default printer, else on the PDF file the user names; nullptr when
    /// the user cancels the question. A PDF named as `documentFile` is refused.
    std::unique_ptr<TCanvas> OpenJob(const std::string& documentFile) override;

private:
    TAskPdfPath askPdfPath_;
    TFindDefaultPrinter findDefaultPrinter_;
};
