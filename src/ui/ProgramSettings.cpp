#include "ui/ProgramSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace {

/// Far more than the settings ever take; a larger file is not ours, and is left alone.
constexpr qint64 kLargestFile = 1 << 20;
/// Documents whose rules are kept; the one set longest ago goes first.
constexpr std::size_t kRememberedDocuments = 200;

/// Only a regular file of a sensible size is opened: a pipe would hold the start up.
bool MayOpen(const QFileInfo& file)
{
    return file.isFile() && file.size() <= kLargestFile;
}

/// A path from the file: absolute, or nothing.
QString PathValue(const QSettings& file, const QString& key)
{
    const QString path = file.value(key).toString();
    return QDir::isAbsolutePath(path) ? path : QString();
}

} // namespace

TProgramSettings::TProgramSettings(QString fileName)
    : fileName_(std::move(fileName))
{
    Read();
}

QString TProgramSettings::StandardFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/tinselwick/tinselwick.conf");
}

TChosenRules TProgramSettings::RulesFor(const QString& document) const
{
    const auto found
        = std::find_if(rules_.begin(), rules_.end(), [&](const auto& entry) { return entry.first == document; });
    return found != rules_.end() ? found->second : TChosenRules();
}

void TProgramSettings::SetRulesFor(const QString& document, const TChosenRules& rules)
{
    std::erase_if(rules_, [&](const auto& entry) { return entry.first == document; });
    if (rules.Any()) {
        rules_.insert(rules_.begin(), { document, rules });
        if (rules_.size() > kRememberedDocuments)
            rules_.pop_back();
    }
    Write();
}

void TProgramSettings::SetLastFolder(const QString& folder)
{
    if (folder == lastFolder_)
        return;
    lastFolder_ = folder;
    Write();
}

void TProgramSettings::SetWindowGeometry(const QByteArray& geometry)
{
    geometry_ = geometry;
    Write();
}

void TProgramSettings::SetMail(const TMailChoices& mail)
{
    if (mail == mail_)
        return;
    mail_ = mail;
    Write();
}

void TProgramSettings::Read()
{
    if (fileName_.isEmpty() || !MayOpen(QFileInfo(fileName_)))
        return;
    QSettings file(fileName_, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return;
    geometry_ = file.value(QStringLiteral("window/geometry")).toByteArray();
    lastFolder_ = PathValue(file, QStringLiteral("folders/last"));
    file.beginGroup(QStringLiteral("mail"));
    mail_.host = file.value(QStringLiteral("host")).toString();
    const int port = file.value(QStringLiteral("port")).toInt();
    mail_.port = port > 0 && port <= 65535 ? port : TMailChoices().port;
    mail_.implicitTls = file.value(QStringLiteral("tls")).toString() == QStringLiteral("true");
    mail_.user = file.value(QStringLiteral("user")).toString();
    mail_.from = file.value(QStringLiteral("from")).toString();
    mail_.subject = file.value(QStringLiteral("subject")).toString();
    file.endGroup();
    const int count = std::min<int>(file.beginReadArray(QStringLiteral("rules")), kRememberedDocuments);
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        const QString document = PathValue(file, QStringLiteral("document"));
        const TChosenRules rules { PathValue(file, QStringLiteral("avoid")), PathValue(file, QStringLiteral("exclude")),
            file.value(QStringLiteral("oneCircle")).toString() == QStringLiteral("true") };
        if (!document.isEmpty() && rules.Any() && RulesFor(document) == TChosenRules())
            rules_.emplace_back(document, rules);
    }
    file.endArray();
}

void TProgramSettings::Write() const
{
    // A file that was not read (not a regular file, or far too large) is not replaced either.
    const QFileInfo info(fileName_);
    if (fileName_.isEmpty() || (info.exists() && !MayOpen(info)))
        return;
    QSettings file(fileName_, QSettings::IniFormat);
    file.clear();
    if (!geometry_.isEmpty())
        file.setValue(QStringLiteral("window/geometry"), geometry_);
    if (!lastFolder_.isEmpty())
        file.setValue(QStringLiteral("folders/last"), lastFolder_);
    if (mail_ != TMailChoices()) {
        file.beginGroup(QStringLiteral("mail"));
        file.setValue(QStringLiteral("host"), mail_.host);
        file.setValue(QStringLiteral("port"), mail_.port);
        file.setValue(QStringLiteral("tls"), mail_.implicitTls ? QStringLiteral("true") : QStringLiteral("false"));
        file.setValue(QStringLiteral("user"), mail_.user);
        file.setValue(QStringLiteral("from"), mail_.from);
        file.setValue(QStringLiteral("subject"), mail_.subject);
        file.endGroup();
    }
    file.beginWriteArray(QStringLiteral("rules"), static_cast<int>(rules_.size()));
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        file.setArrayIndex(static_cast<int>(i));
        const auto& [document, rules] = rules_[i];
        file.setValue(QStringLiteral("document"), document);
        file.setValue(QStringLiteral("avoid"), rules.avoidFile);
        file.setValue(QStringLiteral("exclude"), rules.excludeFile);
        file.setValue(QStringLiteral("oneCircle"), rules.oneCircle ? QStringLiteral("true") : QStringLiteral("false"));
    }
    file.endArray();
    file.sync();
}
