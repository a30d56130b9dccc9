#include "platform/gui/QtKeyring.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

#include <stdexcept>

namespace {

/// The keyring's folder for the program's secrets.
const QString kService = QStringLiteral("Tinselwick");

/// Runs `job` to its end. The keyring answers over the session bus and may first ask the
/// user to unlock it; the caller waits for that, as it would for a message box.
void Run(QKeychain::Job& job, const QString& key)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false); // a password in a plain file would be worse than none kept
    job.setKey(key);
    bool finished = false;
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    job.start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

[[noreturn]] void Fail(const char* what, const QKeychain::Job& job)
{
    // Without a secret service on the session bus the library knows no better than
    // "Unknown error"; that is the usual case on a desktop without a keyring.
    QString why = job.errorString();
    if (job.error() == QKeychain::NoBackendAvailable || why.isEmpty() || why == QStringLiteral("Unknown error"))
        why = QStringLiteral("no keyring answers on this desktop");
    throw std::runtime_error(
        std::string("The desktop keyring could not ") + what + " the password: " + why.toStdString() + ".");
}

} // namespace

std::optional<QString> TQtKeyring::Read(const QString& key)
{
    QKeychain::ReadPasswordJob job(kService);
    Run(job, key);
    if (job.error() != QKeychain::NoError)
        return std::nullopt;
    return job.textData();
}

void TQtKeyring::Write(const QString& key, const QString& secret)
{
    QKeychain::WritePasswordJob job(kService);
    job.setTextData(secret);
    Run(job, key);
    if (job.error() != QKeychain::NoError)
        Fail("keep", job);
}

void TQtKeyring::Forget(const QString& key)
{
    QKeychain::DeletePasswordJob job(kService);
    Run(job, key);
    if (job.error() != QKeychain::NoError && job.error() != QKeychain::EntryNotFound)
        Fail("forget", job);
}
