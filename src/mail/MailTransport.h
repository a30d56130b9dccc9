#pragma once
// The seam between a run of letters and the mail server: a session that takes one
// message at a time, and the password it may need. The real one speaks SMTP through
// libcurl (CurlTransport.h); tests and the window's tests can script their own.

#include <stdexcept>
#include <string>

namespace mail {

/// Why a message did not get through; the run decides from this what happens next.
enum class TFailure {
    Unreachable, ///< no connection could be made
    Security, ///< TLS could not be had, or the certificate was refused
    Login, ///< the server refused the user name or password
    Refused, ///< the server answered the message with a 4xx or 5xx reply
    ConnectionLost, ///< the connection dropped, or the server closed it (421)
    Timeout, ///< the server did not answer in time
};

/// A message that did not get through; the message says why, the server's reply included.
class ETransportError : public std::runtime_error {
public:
    ETransportError(TFailure failure, const std::string& message)
        : std::runtime_error(message)
        , failure_(failure)
    {
    }
    TFailure Failure() const { return failure_; }

private:
    TFailure failure_;
};

/// Where the password comes from: asked at most once, right before the first login, so
/// that nobody is asked for it when the letters cannot go anyway.
class IPasswordSource {
public:
    virtual ~IPasswordSource() = default;
    virtual std::string Password() = 0;
};

struct TEnvelope {
    std::string from;
    std::string to;
};

class IMailTransport {
public:
    virtual ~IMailTransport() = default;
    /// Hands one message to the server, opening a session when none is open; returns once
    /// the server has accepted it. Raises ETransportError; the session is closed after
    /// any failure.
    virtual void Send(const TEnvelope& envelope, const std::string& message) = 0;
    /// Ends the session; the next Send opens a new one.
    virtual void EndSession() = 0;
};

} // namespace mail
