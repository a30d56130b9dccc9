// The rules of the mail library that need no server: how a server's URL is judged, how
// header texts and bodies are encoded, which addresses are addresses.

#include "mail/MailAddress.h"
#include "mail/MailServer.h"
#include "mail/MimeText.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace mail;

namespace {

using S = TTransportSecurity;

std::string Repeat(const std::string& text, int times)
{
    std::string repeated;
    while (times-- > 0)
        repeated += text;
    return repeated;
}

// Nothing here connects anywhere: the judgement works on the addresses it is handed.
TEST(MailServer, PlainSmtpGoesWithoutTlsOnlyWhenEveryAddressIsThisMachines)
{
    struct Row {
        const char* url;
        std::vector<std::string> addresses;
        int port;
        S security;
    };
    const Row rows[] = {
        { "smtps://mail.example.org", { "10.0.0.25" }, 465, S::Tls },
        { "smtps://localhost", { "127.0.0.1" }, 465, S::Tls },
        { "smtp://mail.example.org", { "10.0.0.25" }, 587, S::StartTls },
        { "SMTP://localhost:2525/", { "127.0.0.1", "::1" }, 2525, S::StartTlsIfOffered },
        { "smtp://127.5.6.7:25", { "127.5.6.7" }, 25, S::StartTlsIfOffered },
        { "smtp://[::1]:1025", { "::1" }, 1025, S::StartTlsIfOffered },
        { "smtp://relay", { "::ffff:127.0.0.1" }, 587, S::StartTlsIfOffered },
        { "smtp://relay:25", { "127.0.0.1", "10.0.0.25" }, 25, S::StartTls },
        { "smtp://relay", { "::ffff:10.0.0.25" }, 587, S::StartTls },
        { "smtp://relay", { "128.0.0.1" }, 587, S::StartTls },
        { "smtp://relay", { "::2" }, 587, S::StartTls },
        { "smtp://relay", {}, 587, S::StartTls },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        const TServerUrl url = ParseServerUrl(row.url);
        EXPECT_EQ(url.port, row.port);
        EXPECT_EQ(JudgeSecurity(url, row.addresses), row.security);
    }
    for (const char* wrong : { "http://mail", "smtp://", "smtp://user@mail", "smtp://mail/path", "smtp://mail?x",
             "smtp://mail:0", "smtp://mail:65536", "smtp://mail:", "smtp://mail:2x", "smtp://[::1", "smtp://[mail]:25",
             "smtp://ma il", "mail:25" }) {
        SCOPED_TRACE(wrong);
        EXPECT_THROW(ParseServerUrl(wrong), std::invalid_argument);
    }
}

TEST(MimeText, HeaderTextsAreEncodedOnlyWhereTheyNeedIt)
{
    struct Row {
        std::string (*encode)(std::string_view);
        std::string text;
        std::string encoded;
    };
    const auto subject = [](std::string_view text) { return EncodeUnstructured(text, 9); };
    const Row rows[] = {
        { EncodePhrase, "ANN LEE", "ANN LEE" },
        { EncodePhrase, "O'NEIL", "O'NEIL" },
        { EncodePhrase, "ST. JOHN", "\"ST. JOHN\"" },
        { EncodePhrase, "A \"B\\", "\"A \\\"B\\\\\"" },
        { EncodePhrase, "JOS\xC3\x89 L=E?", "=?UTF-8?Q?JOS=C3=89_L=3DE=3F?=" },
        // Words of whole characters, the first beside "To: ", each on a line of at most 76.
        { EncodePhrase, "JOS\xC3\x89 " + Repeat("\xC3\x91", 30),
            "=?UTF-8?Q?JOS=C3=89_" + Repeat("=C3=91", 8) + "?=\r\n =?UTF-8?Q?" + Repeat("=C3=91", 10)
                + "?=\r\n =?UTF-8?Q?" + Repeat("=C3=91", 10) + "?=\r\n =?UTF-8?Q?" + Repeat("=C3=91", 2) + "?=" },
        { subject, "Your Kris Kringle", "Your Kris Kringle" },
        { subject, "No\xC3\xABl_?", "=?UTF-8?Q?No=C3=ABl=5F=3F?=" },
        { subject, "A subject that goes on and on, long past the width that a header line should have",
            "A subject that goes on and on, long past the width that a header line\r\n should have" },
        { FileNameParameter, "ANN \"A\" LEE.pdf", "filename=\"ANN \\\"A\\\" LEE.pdf\"" },
        { FileNameParameter, "JOS\xC3\x89 N%.pdf", "filename*=UTF-8''JOS%C3%89%20N%25.pdf" },
        { QuotedPrintable, "plain line\r\nends in a blank \r\na=b \xC3\xA9\r\n",
            "plain line\r\nends in a blank=20\r\na=3Db =C3=A9\r\n" },
        { QuotedPrintable, std::string(76, 'x'), std::string(76, 'x') },
        { QuotedPrintable, std::string(80, 'x'), std::string(75, 'x') + "=\r\n" + std::string(5, 'x') },
        { QuotedPrintable, std::string(74, 'x') + "\xC3\xA9", std::string(74, 'x') + "=\r\n=C3=A9" },
        { Base64Lines, "", "" },
        { Base64Lines, "Ma", "TWE=\r\n" },
        { Base64Lines, std::string(58, 'a'), Repeat("YWFh", 19) + "\r\nYQ==\r\n" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.encode(row.text), row.encoded);
    }
}

TEST(MailAddress, OnlyABareAddrSpecIsAnAddressAndHeadersTakeNoControlCharacter)
{
    for (const char* good : { "ann@example.org", "a.b+c@sub.example.org", "\"ann lee\"@example.org",
             "\"a\\\"b\"@example.org", "x@[127.0.0.1]", "o'neil@example.org" })
        EXPECT_TRUE(IsMailAddress(good)) << good;
    const std::string longLocal = std::string(65, 'a') + "@example.org";
    for (const std::string& bad : std::vector<std::string> { "", "ann", "ann@", "@example.org", "ann@@example.org",
             "a..b@example.org", ".a@example.org", "a.@example.org", "Ann Lee <ann@example.org>", "ann@exa mple.org",
             "jos\xC3\xA9@example.org", "\"a\"b\"@example.org", "ann@example.org\r\nBcc: x@example.org", longLocal })
        EXPECT_FALSE(IsMailAddress(bad)) << bad;
    for (const char* safe : { "JOS\xC3\x89", "\xE2\x82\xAC 5", "" })
        EXPECT_TRUE(IsHeaderSafe(safe)) << safe;
    for (const char* unsafe : { "a\tb", "a\r\nBcc: x", "a\x7F", "\xC2\x85", "\xC3", "\xC0\x80", "\xED\xA0\x80" })
        EXPECT_FALSE(IsHeaderSafe(unsafe)) << unsafe;
}

} // namespace
