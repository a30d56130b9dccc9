#include "platform/gui/QtAnsi.h"

#include "platform/Windows1252.h"

#include <QHash>

#include <array>
#include <stdexcept>

namespace {

// One table built once, from the system's Windows-1252 converter: thousands of
// list lines are converted per rebuild, and a converter object per line costs
// far more than a table lookup.
struct TCodePage {
    std::array<char16_t, 256> toUnicode {};
    QHash<char16_t, unsigned char> toByte;

    TCodePage()
    {
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QString decoded = platform::FromWindows1252(std::string_view(&byte, 1));
            // Every byte decodes to one UTF-16 unit in this code page; anything else
            // would be a converter fault, and the byte then stays unmapped.
            if (decoded.size() != 1)
                continue;
            const char16_t unit = decoded.at(0).unicode();
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

bool HoldsControlCharacter(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 0x20)
        --last;
    for (qsizetype i = first; i < last; ++i)
        if (text.at(i).category() == QChar::Other_Control)
            return true;
    return false;
}

QValidator::State TAnsiValidator::validate(QString& input, int& /*position*/) const
{
    return IsAnsiRepresentable(input) && !HoldsControlCharacter(input) ? Acceptable : Invalid;
}
