#pragma once
// Texts are single-byte Windows-1252 inside the program; the world outside (the
// terminal, JSON, Qt's widgets) speaks Unicode. These functions are the border.
// Every byte 0x00-0xFF decodes, and decodes back to the same byte; encoding refuses
// characters the code page cannot hold instead of writing a substitute.

#include <QString>

#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

/// Raised for text that the Windows-1252 code page cannot hold.
class ECodePageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QString FromWindows1252(std::string_view bytes);
/// Raises ECodePageError naming the first character that does not fit.
std::string ToWindows1252(const QString& text);

std::string Windows1252ToUtf8(std::string_view bytes);
/// Raises ECodePageError for characters outside the code page and for invalid UTF-8.
std::string Utf8ToWindows1252(std::string_view utf8);

} // namespace platform
