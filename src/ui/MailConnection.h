#pragma once
// Where the window's letters go by e-mail, and what speaks to the server: libcurl in the
// program, a scripted transport in tests.

#include "mail/MailServer.h"
#include "mail/MailTransport.h"

#include <functional>
#include <memory>
#include <string>

/// The server and the login, as the Email Letters dialog names them.
struct TMailConnection {
    mail::TServerUrl server;
    std::string user; ///< empty: no login
    std::string caCertFile; ///< empty: the system's certificates
};

/// Makes the transport a sending speaks through. Called on the sending's own thread: a
/// host name is resolved there, so a slow name server never holds the window.
using TMailTransportMaker
    = std::function<std::unique_ptr<mail::IMailTransport>(const TMailConnection&, mail::IPasswordSource&)>;

/// SMTP through libcurl, to the addresses the host stands for, judged as the tool judges them.
std::unique_ptr<mail::IMailTransport> CurlMailTransport(
    const TMailConnection& connection, mail::IPasswordSource& passwords);
