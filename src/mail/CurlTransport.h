#pragma once
// SMTP through libcurl: one connection carries message after message until the run ends
// the session. TLS 1.2 or later, the certificate and host name verified against the
// system's store or a given file; the connection goes only to the addresses judged.

#include "mail/MailServer.h"
#include "mail/MailTransport.h"

#include <memory>
#include <string>
#include <vector>

namespace mail {

struct TCurlSettings {
    TServerUrl server;
    /// The numeric addresses the host was judged on; the connection goes to no other.
    std::vector<std::string> addresses;
    TTransportSecurity security = TTransportSecurity::StartTls;
    std::string user; ///< empty: no login
    std::string caCertFile; ///< empty: the system's store
    long connectTimeoutSeconds = 30;
    long replyTimeoutSeconds = 120;
};

/// Settings for `server`: its name resolved and the connection judged (JudgeSecurity).
TCurlSettings PlanConnection(const TServerUrl& server);

class TCurlTransport final : public IMailTransport {
public:
    /// `passwords` is asked once, before the first login; it may be null when no user is set.
    TCurlTransport(TCurlSettings settings, IPasswordSource* passwords);
    ~TCurlTransport() override;
    TCurlTransport(const TCurlTransport&) = delete;
    TCurlTransport& operator=(const TCurlTransport&) = delete;

    void Send(const TEnvelope& envelope, const std::string& message) override;
    void EndSession() override;

private:
    struct TSession;
    TSession& Session();
    [[noreturn]] void Fail(int code, long reply);

    TCurlSettings settings_;
    IPasswordSource* passwords_;
    std::string password_;
    bool passwordAsked_ = false;
    std::unique_ptr<TSession> session_;
};

} // namespace mail
