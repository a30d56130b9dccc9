#include "platform/Windows1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {
namespace {

    constexpr const char* kCodePage = "windows-1252";

    [[noreturn]] void RefuseCharacter(const QString& text)
    {
        // Find the culprit one code point at a time, so the message can name it.
        for (qsizetype i = 0; i < text.size();) {
            const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
            const qsizetype width = pair ? 2 : 1;
            const QString one = text.mid(i, width);
            QStringEncoder encoder(kCodePage);
            const QByteArray ignored = encoder.encode(one);
            if (encoder.hasError()) {
                const char32_t codePoint
                    = pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
                throw ECodePageError("The character \"" + one.toStdString() + "\" (U+"
                    + QString::number(codePoint, 16).toUpper().rightJustified(4, u'0').toStdString()
                    + ") cannot be stored: texts are kept in the Windows-1252 code page");
            }
            i += width;
        }
        throw ECodePageError("The text cannot be stored in the Windows-1252 code page");
    }

} // namespace

QString FromWindows1252(std::string_view bytes)
{
    QStringDecoder decoder(kCodePage);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string ToWindows1252(const QString& text)
{
    // A fresh encoder per text: its error state is sticky.
    QStringEncoder encoder(kCodePage);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        RefuseCharacter(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string Windows1252ToUtf8(std::string_view bytes)
{
    return FromWindows1252(bytes).toStdString();
}

std::string Utf8ToWindows1252(std::string_view utf8)
{
    // Stateless: a sequence cut short at the end is an error, not held back for more.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
    if (decoder.hasError())
        throw ECodePageError("The text is not valid UTF-8");
    return ToWindows1252(text);
}

} // namespace platform
