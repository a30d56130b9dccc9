// 1,000 letters by e-mail over one connection to a real SMTP server on this machine
// (tests/mail/TestSmtpServer.h: STARTTLS, AUTH, keeping nothing), without and with the
// PDF attachment, against a plain client: a bare libcurl loop that sends the same
// messages, made beforehand, to the same server, so that the server's own cost shows.
// The two run in turn, one pair an iteration; the counters are medians: mail_ms (the
// whole run: the document and list read and checked, each message made, sent and
// journaled), plain_ms, and vs_plain (the median of the pairs' ratios).

#include "BenchSupport.h"
#include "Timing.h"
#include "mail/CurlTransport.h"
#include "mail/MailRun.h"
#include "mail/SentJournal.h"
#include "print/qt/LetterFiles.h"
#include "print/qt/LetterPdf.h"
#include "register/KksDocument.h"

#include "mail/TestSmtpServer.h"

#include <QGuiApplication>

#include <curl/curl.h>

#include <chrono>
#include <fstream>

namespace {

constexpr int kLetters = 1000;

struct TUpload {
    const std::string* bytes;
    std::size_t done;
};

std::size_t Read(char* buffer, std::size_t size, std::size_t count, void* data)
{
    auto* upload = static_cast<TUpload*>(data);
    const std::size_t n = std::min(size * count, upload->bytes->size() - upload->done);
    std::memcpy(buffer, upload->bytes->data() + upload->done, n);
    upload->done += n;
    return n;
}

/// The plain client: every message over one libcurl handle, as the curl tool would send them.
bool SendPlainly(const testsupport::TTestSmtpServer& server, const std::vector<std::string>& messages,
    const std::vector<std::string>& recipients)
{
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, server.Url().c_str());
    curl_easy_setopt(curl, CURLOPT_USE_SSL, CURLUSESSL_ALL);
    curl_easy_setopt(curl, CURLOPT_SSLVERSION, CURL_SSLVERSION_TLSv1_2);
    curl_easy_setopt(curl, CURLOPT_CAINFO, testsupport::TestCertificate().cert.c_str());
    curl_easy_setopt(curl, CURLOPT_USERNAME, testsupport::TTestSmtpServer::kUser);
    curl_easy_setopt(curl, CURLOPT_PASSWORD, testsupport::TTestSmtpServer::kPassword);
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, "<org@example.org>");
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, Read);
    bool ok = true;
    for (std::size_t k = 0; k < messages.size() && ok; ++k) {
        TUpload upload { &messages[k], 0 };
        curl_slist* to = curl_slist_append(nullptr, ("<" + recipients[k] + ">").c_str());
        curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, to);
        curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(messages[k].size()));
        ok = curl_easy_perform(curl) == CURLE_OK;
        curl_slist_free_all(to);
    }
    curl_easy_cleanup(curl);
    return ok;
}

class TPasswords final : public mail::IPasswordSource {
public:
    std::string Password() override { return testsupport::TTestSmtpServer::kPassword; }
};

void BM_ThousandLetters(benchmark::State& state)
{
    const bench::TScratchFolder folder;
    const auto groups = bench::MakeGroups(10);
    const auto participants = bench::MakeParticipants(
        kLetters,
        [](int i) {
            return std::pair<std::string, std::string>("FIRST" + std::to_string(i), "LASTNAME" + std::to_string(i));
        },
        [](int i) { return i % 10; });
    bench::LinkInCircle(*participants);
    const std::string document = folder / "evening.kks";
    WriteKksDocument(document, *groups, *participants,
        { "Dear [M]", "You have been assigned [G] in the Kris Kringle.", "The value of the present is as agreed." });
    std::vector<std::string> recipients;
    {
        std::ofstream list(folder / "people.csv");
        list << "first,last,email\n";
        for (int i = 0; i < kLetters; ++i) {
            recipients.push_back("person" + std::to_string(i) + "@example.org");
            list << "FIRST" << i << ",LASTNAME" << i << "," << recipients.back() << "\n";
        }
    }
    mail::TMailSettings settings;
    settings.from = "org@example.org";
    settings.attachPdf = state.range(0) != 0;
    std::vector<std::string> messages;
    {
        mail::TMailRun run(document, folder / "people.csv", settings);
        TLetterPdfWriter letters(run.Participants(), run.TemplateLines(), kPdfFileDotsPerInch);
        run.SetLetterPdfMaker([&letters](const TCCUser& giver) { return letters.Letter(giver); });
        run.WriteMessageFiles(folder / "eml", false);
        for (int i = 0; i < kLetters; ++i) {
            const testsupport::Bytes bytes = testsupport::ReadFileBytes(
                folder / ("eml/FIRST" + std::to_string(i) + " LASTNAME" + std::to_string(i) + ".eml"));
            messages.emplace_back(bytes.begin(), bytes.end());
        }
    }
    testsupport::TTestSmtpServer server({ .countOnly = true });
    TPasswords passwords;
    std::vector<double> ours, plain, ratio;
    for (auto _ : state) {
        std::filesystem::remove(mail::TSentJournal::PathFor(document));
        auto start = std::chrono::steady_clock::now();
        mail::TMailRun run(document, folder / "people.csv", settings);
        TLetterPdfWriter letters(run.Participants(), run.TemplateLines(), kPdfFileDotsPerInch);
        run.SetLetterPdfMaker([&letters](const TCCUser& giver) { return letters.Letter(giver); });
        mail::TCurlSettings connection = mail::PlanConnection(mail::ParseServerUrl(server.Url()));
        connection.user = testsupport::TTestSmtpServer::kUser;
        connection.caCertFile = testsupport::TestCertificate().cert;
        mail::TCurlTransport transport(connection, &passwords);
        if (run.Send(transport, {}).sent != kLetters)
            state.SkipWithError("the run stopped");
        const std::chrono::duration<double, std::milli> mailTime = std::chrono::steady_clock::now() - start;
        start = std::chrono::steady_clock::now();
        if (!SendPlainly(server, messages, recipients))
            state.SkipWithError("the plain client failed");
        const std::chrono::duration<double, std::milli> plainTime = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(mailTime.count() * 1e-3);
        ours.push_back(mailTime.count());
        plain.push_back(plainTime.count());
        ratio.push_back(mailTime.count() / plainTime.count());
    }
    state.counters["mail_ms"] = bench::Median(ours);
    state.counters["plain_ms"] = bench::Median(plain);
    state.counters["vs_plain"] = bench::Median(ratio);
    state.counters["message_kb"] = static_cast<double>(messages.front().size()) / 1024;
}

BENCHMARK(BM_ThousandLetters)
    ->ArgName("pdf")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunBenchmarks<QGuiApplication>(argc, argv);
}
