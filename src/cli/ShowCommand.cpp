// tinselwick-cli show [--json] FILE: a document as text or as one JSON object.
// Reading only: the file is opened shared and never written.

#include "cli/CliCommand.h"
#include "platform/PosixFile.h"
#include "platform/Windows1252.h"
#include "register/CCUser.h"
#include "register/KksDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>
#include <unordered_map>

namespace cli {
namespace {

    QString GroupLabel(const TStringList& groups, std::int32_t groupNo)
    {
        if (groupNo < 0 || groupNo >= groups.Count())
            return "no group";
        return QString("group %1 %2").arg(groupNo + 1).arg(Display(groups.Strings(groupNo)));
    }

    QString ShowAsText(const TKksDocument& document)
    {
        const TStringList& groups = *document.GroupNames;
        const TStringList& participants = *document.Participants;
        QString text = QString("Groups: %1\n").arg(groups.Count());
        for (int i = 0; i < groups.Count(); ++i)
            text += QString("  %1  %2\n").arg(i + 1).arg(Display(groups.Strings(i)));

        text += QString("Participants: %1\n").arg(participants.Count());
        for (int i = 0; i < participants.Count(); ++i) {
            const TCCUser* user = UserAt(participants, i);
            const QString taker = user->Taker != nullptr ? Display(user->Taker->SpacedName()) : QString("(no taker)");
            text += QString("  %1  (%2)  gives to  %3\n")
                        .arg(Display(user->SpacedName()), GroupLabel(groups, user->GroupNo), taker);
        }

        const auto& lines = document.TemplateLines;
        text += QString("Template: %1 line%2\n").arg(lines.size()).arg(lines.size() == 1 ? "" : "s");
        for (const std::string& line : lines)
            text += "  " + Display(line) + "\n";
        return text;
    }

    /// The JSON writer escapes C0 controls but leaves DEL and C1 ones (U+0080-U+009F) as
    /// they are, and a terminal acts on those too. Outside strings JSON is plain ASCII, so
    /// every such character is in a string, where \u00XX stands for it exactly.
    QString WithC1Escaped(const QString& json)
    {
        QString escaped;
        escaped.reserve(json.size());
        for (const QChar c : json) {
            if (c.unicode() >= 0x7F && c.unicode() <= 0x9F)
                escaped += QString("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
            else
                escaped += c;
        }
        return escaped;
    }

    /// A document's text as it is, for the JSON writer.
    QString Value(const std::string& windows1252)
    {
        return platform::FromWindows1252(windows1252);
    }

    QString ShowAsJson(const TKksDocument& document)
    {
        QJsonArray groups;
        for (int i = 0; i < document.GroupNames->Count(); ++i)
            groups.append(Value(document.GroupNames->Strings(i)));

        QJsonArray participants;
        const TStringList& list = *document.Participants;
        // A taker is named by its key as the document holds it, which a hand-made or
        // damaged document may spell otherwise than the taker's names.
        std::unordered_map<const TObject*, int> entryOf;
        entryOf.reserve(static_cast<std::size_t>(list.Count()));
        for (int i = 0; i < list.Count(); ++i)
            entryOf.emplace(list.Objects(i), i);
        for (int i = 0; i < list.Count(); ++i) {
            const TCCUser* user = UserAt(list, i);
            QJsonObject participant;
            participant["key"] = Value(list.Strings(i));
            participant["first"] = Value(user->FirstName);
            participant["last"] = Value(user->LastName);
            participant["group"] = static_cast<qint64>(user->GroupNo);
            participant["taker"]
                = user->Taker != nullptr ? QJsonValue(Value(list.Strings(entryOf.at(user->Taker)))) : QJsonValue();
            participants.append(participant);
        }

        QJsonArray lines;
        for (const std::string& line : document.TemplateLines)
            lines.append(Value(line));

        QJsonObject root;
        root["groups"] = groups;
        root["participants"] = participants;
        root["template"] = lines;
        return WithC1Escaped(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented)));
    }

} // namespace

int RunShowCommand(TInvocation& invocation)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Shows the groups, participants, takers and template of a document.");
    const QCommandLineOption json("json", "One JSON object (UTF-8) instead of text.");
    parser.addOption(json);
    parser.addPositionalArgument("FILE", "The document (.kks) to show.");
    if (!ParseArguments(parser, invocation))
        return kExitOk;
    const std::string fileName = NativePath(RequirePositionals(parser, 1, "one document file").at(0));

    const TKksDocument document = ReadKksDocument(fileName, nullptr);
    if (document.Incomplete())
        throw std::runtime_error("File " + platform::FullPathName(fileName) + " incomplete");
    WriteOut(parser.isSet(json) ? ShowAsJson(document) : ShowAsText(document));
    return kExitOk;
}

} // namespace cli
