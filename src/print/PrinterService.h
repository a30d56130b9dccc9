#pragma once
// Where print jobs go. The program's service prints on the default printer, or
// to a PDF file where the system has none; tests hand in a recording canvas.

#include "print/Canvas.h"

#include <memory>
#include <stdexcept>
#include <string>

/// A print job that could not be started, continued or finished; the message says why.
class EPrintError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IPrinterService {
public:
    virtual ~IPrinterService() = default;
    /// A canvas for one job, not yet begun; nullptr when the user cancelled (no job at all).
    /// Raises with the platform's message when no printer can be used, and when the job's
    /// output would replace `documentFile` (the open document, empty when there is none).
    virtual std::unique_ptr<TCanvas> OpenJob(const std::string& documentFile) = 0;
};
