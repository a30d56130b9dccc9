#include "ui/ChosenRules.h"

#include "exchange/DrawExclusions.h"
#include "platform/AtomicFile.h"
#include "register/KksDocument.h"
#include "ui/UserFiles.h"

#include <QFileInfo>

QString RulesLine(const TChosenRules& rules, int keptApart)
{
    QStringList parts;
    if (!rules.avoidFile.isEmpty())
        parts << QStringLiteral("avoid ") + QFileInfo(rules.avoidFile).fileName();
    if (!rules.excludeFile.isEmpty())
        parts << QStringLiteral("%1 pair%2 kept apart").arg(keptApart).arg(keptApart == 1 ? "" : "s");
    if (rules.oneCircle)
        parts << QStringLiteral("one circle");
    return parts.isEmpty() ? QString() : QStringLiteral("Rules: ") + parts.join(QStringLiteral(", "));
}

TExcludedPairs ReadPairsFile(const QString& file, const TStringList& participants, std::vector<TLineProblem>& problems)
{
    return ReadExcludedPairs(platform::ReadWholeFile(NativeFullPath(file)), participants, problems);
}

QStringList LineProblemReport(const QString& file, const std::vector<TLineProblem>& problems)
{
    const QString name = QFileInfo(file).fileName();
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(problems.size()));
    for (const TLineProblem& problem : problems)
        lines << name + QLatin1Char(':') + QString::number(problem.line) + QStringLiteral(": ")
                + QString::fromStdString(problem.reason);
    return lines;
}

TDrawRequest MakeDrawRequest(
    const TChosenRules& rules, const TStringList& participants, std::vector<TLineProblem>& problems)
{
    TDrawRequest request;
    request.oneCircle = rules.oneCircle;
    if (!rules.avoidFile.isEmpty()) {
        const TKksDocument lastYear = ReadKksDocument(NativeFullPath(rules.avoidFile), nullptr);
        if (lastYear.Participants)
            request.excluded = LastYearsPairs(*lastYear.Participants, participants);
    }
    if (!rules.excludeFile.isEmpty()) {
        const TExcludedPairs pairs = ReadPairsFile(rules.excludeFile, participants, problems);
        request.excluded.insert(request.excluded.end(), pairs.begin(), pairs.end());
    }
    return request;
}
