// The File menu: Retrieve, Save and Save As. Not available in this build yet.

#include "ui/FmMainCC.h"

#include <stdexcept>

namespace {

[[noreturn]] void NotAvailable() { throw std::runtime_error("Not available yet"); }

} // namespace

void TCrisForm::Retrieve1Click(QObject*) { NotAvailable(); }

void TCrisForm::Save1Click(QObject*) { NotAvailable(); }

void TCrisForm::SaveAs1Click(QObject*) { NotAvailable(); }

void TCrisForm::SaveDocument(const std::string&) { NotAvailable(); }
