#include "cli/CliCommand.h"

#include "platform/Windows1252.h"

#include <QFile>

#include <cstdio>

namespace cli {

bool ParseArguments(QCommandLineParser& parser, const TInvocation& invocation)
{
    const QCommandLineOption help(QStringList { "h", "help" }, "Shows this help.");
    parser.addOption(help);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // The parser expects the program's name first; ours is "tinselwick-cli COMMAND".
    QStringList words { "tinselwick-cli " + invocation.command };
    words += invocation.arguments;
    if (!parser.parse(words))
        throw EUsageError(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        // Without an application object the parser cannot know the program's name.
        WriteOut(parser.helpText().replace("<executable_name>", "tinselwick-cli " + invocation.command));
        return false;
    }
    return true;
}

QStringList RequirePositionals(const QCommandLineParser& parser, int count, const QString& what)
{
    const QStringList positionals = parser.positionalArguments();
    if (positionals.size() != count)
        throw EUsageError(
            ("Expected " + what + (positionals.size() > count ? ", and nothing more" : "")).toStdString());
    return positionals;
}

std::string NativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void WriteOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
}

void WriteErr(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

QString Display(const std::string& windows1252)
{
    return platform::FromWindows1252(windows1252);
}

} // namespace cli
