#pragma once
// Where print jobs go. The program's service prints on the default printer, or
// to a PDF file where the system has none; tests hand in a recording canvas.

#include "print/Canvas.h"

#include <memory>

class IPrinterService {
public:
    virtual ~IPrinterService() = default;
    /// A canvas for one job, not yet begun; nullptr when the user cancelled (no job at all).
    /// Raises with the platform's message when no printer can be used.
    virtual std::unique_ptr<TCanvas> OpenJob() = 0;
};
