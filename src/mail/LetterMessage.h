#pragma once
// One giver's letter as an Internet message (RFC 5322 with MIME): the text body the
// printed page holds and, if wanted, the page itself as a PDF attachment. The message
// names the giver alone; their taker is only inside the letter.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TCCUser;

namespace mail {

struct TAttachment {
    std::string fileName; ///< UTF-8
    std::string bytes; ///< a PDF file
};

/// What a message holds. Names and subject are UTF-8 and must pass IsHeaderSafe; the
/// addresses must pass IsMailAddress.
struct TLetterMessage {
    std::string from;
    std::string toName;
    std::string toAddress;
    std::string subject;
    std::string body; ///< UTF-8 lines joined by CRLF
    std::optional<TAttachment> attachment;
    std::time_t date = 0;
    std::string messageId; ///< without the angle brackets
};

/// The message's bytes, lines ending in CRLF, ready for SMTP's DATA or an .eml file.
std::string ComposeMessage(const TLetterMessage& message);

/// The letter as the printed page has it, in UTF-8: the giver's full name (the heading),
/// an empty line, then each template line expanded for the giver. A line break inside a
/// template line (a document is outside input) ends a line here too.
std::string LetterText(const TCCUser& giver, const std::vector<std::string>& templateLines);

/// A token no other message will have: random bytes as hexadecimal digits.
std::string UniqueToken(std::size_t bytes);

/// "<token>@domain of the sender" as a Message-ID takes it (without brackets).
std::string NewMessageId(std::string_view from);

} // namespace mail
