#include "cli/CliCommand.h"

#include "platform/AtomicFile.h"
#include "platform/PosixFile.h"
#include "platform/Windows1252.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <sys/stat.h>

namespace cli {

namespace {

    QCommandLineOption OptionFor(const TSharedOptionUse& use)
    {
        switch (use.option) {
        case TSharedOption::Seed:
            return { "seed", use.help, "N" };
        case TSharedOption::Output:
            return { "output", use.help, "OUT" };
        case TSharedOption::Pdf:
            return { "pdf", use.help, "OUT" };
        case TSharedOption::Force:
            break;
        }
        return { "force", use.help };
    }

    /// Digits only: a sign or a blank is more likely a slip than a seed, and a seed that
    /// is taken for another number repeats the wrong draw.
    std::uint32_t ParseSeed(const QString& text)
    {
        bool ok = !text.isEmpty() && text.size() <= 10
            && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        const qulonglong value = ok ? text.toULongLong(&ok) : 0;
        if (!ok || value > std::numeric_limits<std::uint32_t>::max())
            throw EUsageError(("Invalid seed '" + text + "': a whole number from 0 to 4294967295").toStdString());
        return static_cast<std::uint32_t>(value);
    }

    TSharedOptions ReadSharedOptions(const QCommandLineParser& parser, std::initializer_list<TSharedOptionUse> shared)
    {
        TSharedOptions options;
        for (const TSharedOptionUse& use : shared) {
            const QString name = OptionFor(use).names().front();
            if (!parser.isSet(name))
                continue;
            switch (use.option) {
            case TSharedOption::Seed:
                options.seed = ParseSeed(parser.value(name));
                break;
            case TSharedOption::Output:
                options.output = parser.value(name);
                break;
            case TSharedOption::Pdf:
                options.pdf = parser.value(name);
                break;
            case TSharedOption::Force:
                options.force = true;
                break;
            }
        }
        return options;
    }

} // namespace

std::optional<TSharedOptions> ParseArguments(
    QCommandLineParser& parser, const TInvocation& invocation, std::initializer_list<TSharedOptionUse> shared)
{
    for (const TSharedOptionUse& use : shared)
        parser.addOption(OptionFor(use));
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
        return std::nullopt;
    }
    return ReadSharedOptions(parser, shared);
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
    return Escaped(platform::FromWindows1252(windows1252));
}

QString Escaped(const QString& text, bool keepLineBreaks)
{
    const auto isControl = [](char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); };
    if (std::none_of(text.begin(), text.end(), [&](QChar c) { return isControl(c.unicode()); }))
        return text;
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (!isControl(c.unicode()) || (keepLineBreaks && c == u'\n'))
            escaped += c;
        else
            escaped += QString("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
    }
    return escaped;
}

std::string SameFileMessage(const std::string& target, const std::string& input)
{
    return "Not written: " + target + " is " + input + ", which the command reads (--force does not replace it)";
}

void CheckOutputTarget(const std::string& target, const std::vector<std::string>& inputs, bool force)
{
    struct stat out { };
    if (::stat(target.c_str(), &out) == 0) {
        for (const std::string& input : inputs) {
            struct stat in { };
            if (::stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
                throw EUsageError(SameFileMessage(target, input));
        }
    }
    // A link counts even when it leads nowhere: the name is taken.
    struct stat name { };
    if (!force && ::lstat(target.c_str(), &name) == 0)
        throw std::runtime_error(target + " exists already (--force replaces it)");
}

} // namespace cli
