#include "mail/CurlTransport.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace mail {

namespace {

    // A server's reply is shown to the user; a long or strange one is cut and made plain.
    constexpr std::size_t kReplyLimit = 300;

    void StartCurl()
    {
        static std::once_flag once;
        std::call_once(once, [] {
            if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
                throw std::runtime_error("The mail library cannot start");
        });
    }

    std::string HostInUrl(const TServerUrl& server)
    {
        return server.host.find(':') != std::string::npos ? "[" + server.host + "]" : server.host;
    }

    /// Keeps the server's last reply line (what it said to the message), and nothing that
    /// went the other way: the login and the message stay out of every log.
    int KeepReply(CURL*, curl_infotype type, char* data, std::size_t size, void* reply)
    {
        if (type != CURLINFO_HEADER_IN)
            return 0;
        std::string line(data, size);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.empty())
            return 0;
        line.resize(std::min(line.size(), kReplyLimit));
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
                c = '?';
        *static_cast<std::string*>(reply) = line;
        return 0;
    }

    struct TUpload {
        const std::string* bytes = nullptr;
        std::size_t done = 0;
    };

    std::size_t ReadUpload(char* buffer, std::size_t size, std::size_t count, void* upload)
    {
        auto* u = static_cast<TUpload*>(upload);
        const std::size_t n = std::min(size * count, u->bytes->size() - u->done);
        std::memcpy(buffer, u->bytes->data() + u->done, n);
        u->done += n;
        return n;
    }

    class TRecipients {
    public:
        explicit TRecipients(const std::string& address)
            : list_(curl_slist_append(nullptr, ("<" + address + ">").c_str()))
        {
            if (list_ == nullptr)
                throw std::bad_alloc();
        }
        ~TRecipients() { curl_slist_free_all(list_); }
        TRecipients(const TRecipients&) = delete;
        TRecipients& operator=(const TRecipients&) = delete;
        curl_slist* List() const { return list_; }

    private:
        curl_slist* list_;
    };

} // namespace

/// One easy handle: libcurl keeps its connection open from one message to the next.
struct TCurlTransport::TSession {
    CURL* curl = nullptr;
    curl_slist* resolve = nullptr;
    std::string reply;
    char error[CURL_ERROR_SIZE] = {};
    TUpload upload;

    ~TSession()
    {
        curl_easy_cleanup(curl); // says QUIT on an open connection
        curl_slist_free_all(resolve);
    }
};

TCurlSettings PlanConnection(const TServerUrl& server)
{
    TCurlSettings settings;
    settings.server = server;
    settings.addresses = ResolveHost(server.host);
    settings.security = JudgeSecurity(server, settings.addresses);
    return settings;
}

TCurlTransport::TCurlTransport(TCurlSettings settings, IPasswordSource* passwords)
    : settings_(std::move(settings))
    , passwords_(passwords)
{
    StartCurl();
}

TCurlTransport::~TCurlTransport()
{
    session_.reset();
    std::fill(password_.begin(), password_.end(), '\0');
}

void TCurlTransport::EndSession()
{
    session_.reset();
}

TCurlTransport::TSession& TCurlTransport::Session()
{
    if (session_)
        return *session_;
    if (!settings_.user.empty() && !passwordAsked_) {
        password_ = passwords_ != nullptr ? passwords_->Password() : std::string();
        passwordAsked_ = true;
    }
    auto session = std::make_unique<TSession>();
    CURL* curl = session->curl = curl_easy_init();
    if (curl == nullptr)
        throw std::bad_alloc();
    const TServerUrl& server = settings_.server;
    const std::string url
        = (server.implicitTls ? "smtps://" : "smtp://") + HostInUrl(server) + ":" + std::to_string(server.port);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    // The connection goes to the addresses the security was judged on, and to no other
    // that the name might stand for a moment later. (A numeric host is its own address.)
    std::string pinned = server.host + ":" + std::to_string(server.port) + ":";
    for (const std::string& address : settings_.addresses)
        pinned += (pinned.back() == ':' ? "" : ",")
            + (address.find(':') != std::string::npos ? "[" + address + "]" : address);
    if (settings_.addresses != std::vector<std::string> { server.host }) {
        session->resolve = curl_slist_append(nullptr, pinned.c_str());
        curl_easy_setopt(curl, CURLOPT_RESOLVE, session->resolve);
    }
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_USE_SSL,
        settings_.security == TTransportSecurity::StartTlsIfOffered ? CURLUSESSL_TRY : CURLUSESSL_ALL);
    curl_easy_setopt(curl, CURLOPT_SSLVERSION, CURL_SSLVERSION_TLSv1_2);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings_.caCertFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, settings_.caCertFile.c_str());
    if (!settings_.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, settings_.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password_.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, settings_.connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, settings_.replyTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, session->error);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, KeepReply);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &session->reply);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &session->upload);
    session_ = std::move(session);
    return *session_;
}

void TCurlTransport::Send(const TEnvelope& envelope, const std::string& message)
{
    TSession& session = Session();
    const TRecipients recipients(envelope.to);
    const std::string from = "<" + envelope.from + ">";
    curl_easy_setopt(session.curl, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(session.curl, CURLOPT_MAIL_RCPT, recipients.List());
    curl_easy_setopt(session.curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    session.upload = { &message, 0 };
    session.reply.clear();
    session.error[0] = '\0';
    const CURLcode code = curl_easy_perform(session.curl);
    curl_easy_setopt(session.curl, CURLOPT_MAIL_RCPT, nullptr);
    if (code == CURLE_OK)
        return;
    long reply = 0;
    curl_easy_getinfo(session.curl, CURLINFO_RESPONSE_CODE, &reply);
    Fail(code, reply);
}

void TCurlTransport::Fail(int code, long reply)
{
    const std::string server = HostInUrl(settings_.server) + ":" + std::to_string(settings_.server.port);
    const std::string said = session_->reply.empty() ? std::string(session_->error) : session_->reply;
    const std::string detail
        = session_->error[0] != '\0' ? std::string(session_->error) : curl_easy_strerror(CURLcode(code));
    session_.reset();
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        throw ETransportError(TFailure::Unreachable, "Cannot reach the mail server " + server + ": " + detail);
    case CURLE_USE_SSL_FAILED:
        throw ETransportError(TFailure::Security,
            "The mail server " + server
                + " offers no STARTTLS: only a server on this machine may be used without encryption");
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
        throw ETransportError(TFailure::Security, "No secure connection to the mail server " + server + ": " + detail);
    case CURLE_LOGIN_DENIED:
        throw ETransportError(
            TFailure::Login, "The mail server " + server + " refused the login of " + settings_.user + ": " + said);
    case CURLE_OPERATION_TIMEDOUT:
        throw ETransportError(TFailure::Timeout, "The mail server " + server + " did not answer in time");
    default:
        break;
    }
    if (reply == 421)
        throw ETransportError(TFailure::ConnectionLost, "The mail server " + server + " closed the session: " + said);
    if (reply >= 400)
        throw ETransportError(TFailure::Refused, "The mail server " + server + " answered: " + said);
    throw ETransportError(
        TFailure::ConnectionLost, "The connection to the mail server " + server + " broke: " + detail);
}

} // namespace mail
