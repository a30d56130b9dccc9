#include "mail/MailServer.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

namespace mail {

namespace {

    constexpr int kSmtpsPort = 465;
    constexpr int kSubmissionPort = 587;

    bool StartsWithNoCase(std::string_view text, std::string_view prefix)
    {
        return text.size() >= prefix.size()
            && std::equal(prefix.begin(), prefix.end(), text.begin(),
                [](char p, char t) { return p == (t >= 'A' && t <= 'Z' ? static_cast<char>(t - 'A' + 'a') : t); });
    }

    bool IsHostNameChar(char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
    }

    int ParsePort(std::string_view digits)
    {
        int port = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9' || port > 65535)
                return 0;
            port = port * 10 + (c - '0');
        }
        return port <= 65535 ? port : 0;
    }

} // namespace

TServerUrl ParseServerUrl(std::string_view url)
{
    const std::string quoted = "'" + std::string(url) + "'";
    TServerUrl server;
    if (StartsWithNoCase(url, "smtps://")) {
        server.implicitTls = true;
        url.remove_prefix(8);
    } else if (StartsWithNoCase(url, "smtp://")) {
        url.remove_prefix(7);
    } else {
        throw std::invalid_argument("The server " + quoted + " is neither smtps://HOST[:PORT] nor smtp://HOST[:PORT]");
    }
    if (url.ends_with('/'))
        url.remove_suffix(1);
    const bool bracketed = url.starts_with('[');
    std::string_view host = url;
    std::size_t portAt = std::string_view::npos;
    if (bracketed) {
        const std::size_t close = url.find(']');
        host = url.substr(1, close == std::string_view::npos ? 0 : close - 1);
        in6_addr ignored {};
        if (close == std::string_view::npos || ::inet_pton(AF_INET6, std::string(host).c_str(), &ignored) != 1
            || (close + 1 < url.size() && url[close + 1] != ':'))
            throw std::invalid_argument("The server " + quoted + " has no valid IPv6 address in its brackets");
        if (close + 1 < url.size())
            portAt = close + 2;
    } else if (const std::size_t colon = url.find(':'); colon != std::string_view::npos) {
        host = url.substr(0, colon);
        portAt = colon + 1;
    }
    if (host.empty() || (!bracketed && !std::all_of(host.begin(), host.end(), IsHostNameChar)))
        throw std::invalid_argument("The server " + quoted
            + " names no host: a name of letters, digits, dots and hyphens, or a numeric address (no user, path or "
              "query)");
    server.host = std::string(host);
    server.port = portAt == std::string_view::npos ? (server.implicitTls ? kSmtpsPort : kSubmissionPort)
                                                   : ParsePort(url.substr(portAt));
    if (server.port == 0)
        throw std::invalid_argument("The server " + quoted + " has no valid port (1 to 65535)");
    return server;
}

bool IsLoopbackAddress(std::string_view numeric)
{
    const std::string text(numeric);
    in_addr v4 {};
    if (::inet_pton(AF_INET, text.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6 {};
    if (::inet_pton(AF_INET6, text.c_str(), &v6) != 1)
        return false;
    return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
}

TTransportSecurity JudgeSecurity(const TServerUrl& url, const std::vector<std::string>& addresses)
{
    if (url.implicitTls)
        return TTransportSecurity::Tls;
    const bool local = !addresses.empty() && std::all_of(addresses.begin(), addresses.end(), IsLoopbackAddress);
    return local ? TTransportSecurity::StartTlsIfOffered : TTransportSecurity::StartTls;
}

std::vector<std::string> ResolveHost(const std::string& host)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(host.c_str(), nullptr, &hints, &found); error != 0)
        throw std::runtime_error("Cannot find the server " + host + ": " + ::gai_strerror(error));
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> owned(found, ::freeaddrinfo);
    std::vector<std::string> addresses;
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        char text[NI_MAXHOST];
        if (::getnameinfo(a->ai_addr, a->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) == 0
            && std::find(addresses.begin(), addresses.end(), text) == addresses.end())
            addresses.emplace_back(text);
    }
    if (addresses.empty())
        throw std::runtime_error("Cannot find the server " + host + ": it has no address");
    return addresses;
}

} // namespace mail
