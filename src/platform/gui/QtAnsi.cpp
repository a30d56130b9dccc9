#include "platform/gui/QtAnsi.h"

#include <QHash>

#include <array>
#include <stdexcept>

namespace {

// The upper control range is where Windows-1252 differs from Latin-1. The five
// bytes it leaves undefined map to the C1 controls of the same number, as the
// Windows converter does, so that every byte round-trips.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

// One table built once: thousands of list lines are converted per rebuild.
struct TCodePage {
    std::array<char16_t, 256> toUnicode {};
    QHash<char16_t, unsigned char> toByte;

    TCodePage()
    {
        for (int b = 0; b < 256; ++b) {
            const char16_t unit = (b >= 0x80 && b < 0xA0) ? kHighControls[static_cast<std::size_t>(b - 0x80)]
                                                          : static_cast<char16_t>(b);
            toUnicode[static_cast<std::size_t>(b)] = unit;
            toByte.insert(unit, static_cast<unsigned char>(b));
        }
    }
};

const TCodePage& CodePage()
{
    static const TCodePage page;
    return page;
}

} // namespace

QString AnsiToQString(std::string_view text)
{
    const TCodePage& page = CodePage();
    QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = QChar(page.toUnicode[static_cast<unsigned char>(text[i])]);
    return result;
}

std::optional<std::string> QStringToAnsi(const QString& text)
{
    const TCodePage& page = CodePage();
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const auto it = page.toByte.constFind(c.unicode());
        if (it == page.toByte.constEnd())
            return std::nullopt;
        result.push_back(static_cast<char>(*it));
    }
    return result;
}

std::string QStringToAnsiChecked(const QString& text)
{
    std::optional<std::string> converted = QStringToAnsi(text);
    if (!converted)
        throw std::invalid_argument("The text holds characters that cannot be stored");
    return std::move(*converted);
}

bool IsAnsiRepresentable(const QString& text)
{
    return QStringToAnsi(text).has_value();
}

QValidator::State TAnsiValidator::validate(QString& input, int& /*position*/) const
{
    return IsAnsiRepresentable(input) ? Acceptable : Invalid;
}
