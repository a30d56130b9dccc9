#pragma once
// Where the letters go and how safely: the server's URL, the addresses its name stands
// for, and the judgement whether the connection must be encrypted. Judged here, with no
// network, so that the rule is tested where it is made.

#include <string>
#include <string_view>
#include <vector>

namespace mail {

enum class TTransportSecurity {
    Tls, ///< smtps: TLS from the first byte
    StartTls, ///< smtp: STARTTLS, and a server that does not offer it is refused
    StartTlsIfOffered, ///< smtp to this machine only: STARTTLS when offered, else plain (a local relay)
};

struct TServerUrl {
    bool implicitTls = false; ///< smtps rather than smtp
    std::string host; ///< a name or a numeric address, without brackets
    int port = 0;
};

/// smtps://HOST[:PORT] (port 465 unless given) or smtp://HOST[:PORT] (port 587), an
/// IPv6 address in brackets; a final "/" is allowed, nothing else. Raises
/// std::invalid_argument saying what is wrong.
TServerUrl ParseServerUrl(std::string_view url);

/// True for a numeric address of this machine's loopback: 127.0.0.0/8, ::1, and
/// 127.0.0.0/8 written as IPv4-mapped IPv6.
bool IsLoopbackAddress(std::string_view numeric);

/// How the connection is secured when it goes to `addresses` (the numeric addresses the
/// host stands for, the only ones it may connect to): plain SMTP may go without TLS only
/// when every one of them is a loopback address.
TTransportSecurity JudgeSecurity(const TServerUrl& url, const std::vector<std::string>& addresses);

/// The numeric addresses of `host` (itself when it is one). Raises std::runtime_error
/// naming the host when it cannot be resolved.
std::vector<std::string> ResolveHost(const std::string& host);

} // namespace mail
