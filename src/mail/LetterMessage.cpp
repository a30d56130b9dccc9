#include "mail/LetterMessage.h"

#include "mail/MailAddress.h"
#include "mail/MimeText.h"
#include "platform/Windows1252.h"
#include "print/Letters.h"
#include "register/CCUser.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <sys/random.h>

namespace mail {

namespace {

    constexpr std::size_t kBodyLineLimit = 76;

    /// RFC 5322's date-time in local time, in English whatever the locale.
    std::string DateValue(std::time_t date)
    {
        static constexpr const char* kDays[] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
        static constexpr const char* kMonths[]
            = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
        std::tm local {};
        ::localtime_r(&date, &local);
        const long offset = local.tm_gmtoff / 60;
        char text[64];
        std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %c%02ld%02ld", kDays[local.tm_wday],
            local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
            offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
        return text;
    }

    /// How the body travels: as it is while every line is short and nothing in it is a
    /// control character, else quoted-printable.
    const char* BodyEncoding(std::string_view body)
    {
        bool ascii = true;
        std::size_t lineLength = 0;
        for (std::size_t k = 0; k < body.size(); ++k) {
            const auto c = static_cast<unsigned char>(body[k]);
            if (c == '\r' && k + 1 < body.size() && body[k + 1] == '\n') {
                lineLength = 0;
                ++k;
                continue;
            }
            if ((c < 0x20 && c != '\t') || c == 0x7F || ++lineLength > kBodyLineLimit)
                return "quoted-printable";
            ascii = ascii && c < 0x80;
        }
        return ascii ? "7bit" : "8bit";
    }

    std::string TextPart(const std::string& body)
    {
        const std::string encoding = BodyEncoding(body);
        return "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: " + encoding + "\r\n\r\n"
            + (encoding == "quoted-printable" ? QuotedPrintable(body) : body) + "\r\n";
    }

} // namespace

std::string ComposeMessage(const TLetterMessage& message)
{
    std::string text = "Date: " + DateValue(message.date) + "\r\n";
    text += "From: " + message.from + "\r\n";
    text += "To: " + (message.toName.empty() ? "" : EncodePhrase(message.toName) + " ") + "<" + message.toAddress
        + ">\r\n";
    text += "Subject: " + EncodeUnstructured(message.subject, 9) + "\r\n";
    text += "Message-ID: <" + message.messageId + ">\r\n";
    text += "MIME-Version: 1.0\r\n";
    if (!message.attachment)
        return text + TextPart(message.body);

    std::string boundary;
    do
        boundary = "=_" + UniqueToken(12);
    while (message.body.find(boundary) != std::string::npos);
    text += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    text += "--" + boundary + "\r\n" + TextPart(message.body);
    text += "--" + boundary + "\r\nContent-Type: application/pdf\r\nContent-Disposition: attachment;\r\n "
        + FileNameParameter(message.attachment->fileName) + "\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    text += Base64Lines(message.attachment->bytes);
    return text + "--" + boundary + "--\r\n";
}

std::string LetterText(const TCCUser& giver, const std::vector<std::string>& templateLines)
{
    std::string page = giver.SpacedName() + "\r\n\r\n";
    for (const std::string& line : templateLines) {
        const std::string expanded = ExpandTemplateLine(line, &giver);
        for (std::size_t k = 0; k < expanded.size(); ++k) {
            const char c = expanded[k];
            if (c == '\r' || c == '\n') {
                page += "\r\n";
                k += c == '\r' && k + 1 < expanded.size() && expanded[k + 1] == '\n';
            } else {
                page += c;
            }
        }
        page += "\r\n";
    }
    page.resize(page.size() - 2);
    return platform::Windows1252ToUtf8(page);
}

std::string UniqueToken(std::size_t bytes)
{
    std::string random(bytes, '\0');
    for (std::size_t got = 0; got < bytes;) {
        const ssize_t n = ::getrandom(random.data() + got, bytes - got, 0);
        if (n < 0 && errno != EINTR)
            throw std::runtime_error("The system gives no random numbers");
        got += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (const char c : random) {
        token += kHex[static_cast<unsigned char>(c) >> 4];
        token += kHex[static_cast<unsigned char>(c) & 15];
    }
    return token;
}

std::string NewMessageId(std::string_view from)
{
    const std::string_view domain = DomainOf(from);
    return UniqueToken(16) + "@" + std::string(domain.empty() ? "localhost" : domain);
}

} // namespace mail
