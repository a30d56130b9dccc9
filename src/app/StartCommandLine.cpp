#include "app/StartCommandLine.h"

#include "Version.h"

#include <QCommandLineParser>
#include <QFile>
#include <QStringList>

namespace {

constexpr int kExitUsageError = 2;

TStartRequest UsageError(const QString& message)
{
    return { kExitUsageError, QStringLiteral("tinselwick: %1\nTry 'tinselwick --help'.\n").arg(message), {} };
}

} // namespace

TStartRequest ParseStartCommandLine(int argc, const char* const argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tinselwick runs a secret-gift draw: a register of groups and participants, a draw\n"
                       "that gives every giver a taker from another group, and the letters and allocation\n"
                       "list to print."));
    const QCommandLineOption help({ QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Shows this help."));
    const QCommandLineOption version(
        { QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("Shows the version."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE.kks"),
        QStringLiteral("A document to open at start, as File > Retrieve opens it."), QStringLiteral("[FILE.kks]"));

    QStringList words;
    for (int i = 0; i < argc; ++i)
        words << QFile::decodeName(argv[i]);
    if (!parser.parse(words))
        return UsageError(parser.errorText());
    if (parser.isSet(help)) {
        // Without an application object the parser cannot know the program's name.
        return { 0, parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("tinselwick")), {} };
    }
    if (parser.isSet(version))
        return { 0, QStringLiteral("tinselwick %1\n").arg(QString::fromLatin1(kTinselwickVersion)), {} };
    const QStringList documents = parser.positionalArguments();
    if (documents.size() > 1)
        return UsageError(QStringLiteral("Only one document can be opened at start."));
    return { std::nullopt, QString(), documents.value(0) };
}
