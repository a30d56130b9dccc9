#pragma once
// A real SMTP server on this machine's loopback for the mail tests and the benchmark:
// smtp_test_server.py (Debian's python3-aiosmtpd) started on a free port of 127.0.0.1,
// STARTTLS with a certificate made for the run by openssl, AUTH, every message kept.
// It stops when this object goes (its standard input closes).

#include "support/Files.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

/// A certificate for localhost and 127.0.0.1, made once per process.
struct TTestCertificate {
    TTestCertificate()
    {
        const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                                    "-subj /CN=localhost -addext subjectAltName=DNS:localhost,IP:127.0.0.1 -days 2 "
                                    "-keyout '"
            + key + "' -out '" + cert + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("openssl could not make the test certificate");
    }
    TTempDir dir;
    std::string key = dir / "key.pem";
    std::string cert = dir / "cert.pem";
};

inline const TTestCertificate& TestCertificate()
{
    static const TTestCertificate certificate;
    return certificate;
}

struct TServerOptions {
    int refuse = 0; ///< answers 451 to this message (from 1)
    int drop = 0; ///< drops the connection at this message, unanswered
    bool plain = false; ///< no STARTTLS and no AUTH: a local relay
    bool countOnly = false; ///< keeps nothing (benchmark)
};

class TTestSmtpServer {
public:
    static constexpr const char* kUser = "organiser";
    static constexpr const char* kPassword = "s3cret pass:w%rd";

    explicit TTestSmtpServer(const TServerOptions& options = {})
    {
        std::vector<std::string> words { TINSELWICK_TEST_PYTHON, TINSELWICK_SMTP_SERVER_SCRIPT, "--folder",
            folder_.Path().string(), "--refuse", std::to_string(options.refuse), "--drop",
            std::to_string(options.drop) };
        if (options.plain)
            words.push_back("--plain");
        else
            words.insert(words.end(),
                { "--cert", TestCertificate().cert, "--key", TestCertificate().key, "--user", kUser, "--password",
                    kPassword });
        if (options.countOnly)
            words.push_back("--count-only");
        Start(words);
    }
    ~TTestSmtpServer()
    {
        ::close(input_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    TTestSmtpServer(const TTestSmtpServer&) = delete;
    TTestSmtpServer& operator=(const TTestSmtpServer&) = delete;

    std::string Url() const { return "smtp://localhost:" + std::to_string(port_); }
    /// The messages kept, in the order accepted.
    std::vector<QJsonObject> Messages() const
    {
        std::vector<QJsonObject> messages;
        for (int n = 1; std::filesystem::exists(Kept(n, ".json")); ++n)
            messages.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(Text(Kept(n, ".json")))).object());
        return messages;
    }
    /// A kept message's file: ".eml", ".json" or ".pdf".
    std::string Kept(int number, const char* extension) const
    {
        char name[16];
        std::snprintf(name, sizeof name, "%04d", number);
        return folder_ / (name + std::string(extension));
    }
    int Connections() const
    {
        const std::string count = Text(folder_ / "connections");
        return count.empty() ? 0 : std::stoi(count);
    }

private:
    static std::string Text(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void Start(const std::vector<std::string>& words)
    {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& word : words)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        std::string line;
        char c = 0;
        while (spawned == 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        if (spawned != 0 || line.rfind("PORT ", 0) != 0) {
            ::close(input_);
            if (spawned == 0)
                ::waitpid(pid_, nullptr, 0);
            throw std::runtime_error("The test SMTP server did not start (python3-aiosmtpd installed?)");
        }
        port_ = std::stoi(line.substr(5));
    }

    TTempDir folder_;
    pid_t pid_ = -1;
    int input_ = -1;
    int port_ = 0;
};

} // namespace testsupport
