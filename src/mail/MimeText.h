#pragma once
// The encodings a letter's message needs and the mail library does not give: non-ASCII
// header text as RFC 2047 encoded words, a file name as an RFC 2231 parameter, and the
// body's quoted-printable and base64. Everything works on UTF-8 and writes CRLF.

#include <string>
#include <string_view>

namespace mail {

/// True for text that may stand in a header: no control character (C0, DEL or C1), no
/// invalid UTF-8. A line break here could add a header of its own.
bool IsHeaderSafe(std::string_view utf8);

/// A display name for an address header: as it is when it is plain words, in quotes when
/// it holds punctuation, as encoded words when it holds anything but printable ASCII.
std::string EncodePhrase(std::string_view utf8);

/// An unstructured header's value (Subject), folded so that no line grows past 78
/// characters where it can be helped; `nameLength` is the length of "Subject: ".
std::string EncodeUnstructured(std::string_view utf8, std::size_t nameLength);

/// A file name as a Content-Disposition parameter: filename="..." for printable ASCII,
/// filename*=UTF-8''... (percent-encoded) for anything else.
std::string FileNameParameter(std::string_view utf8);

/// Quoted-printable (RFC 2045) of text whose lines end in CRLF: lines of at most 76
/// characters, soft breaks between, blanks at a line's end and every non-ASCII byte encoded.
std::string QuotedPrintable(std::string_view text);

/// Base64 in lines of 76 characters, each ending in CRLF.
std::string Base64Lines(std::string_view bytes);

} // namespace mail
