#pragma once
// The rules an organiser set for a document's draw, as the files they come from, and
// the request of the draw with rules made from them. The files are read again for every
// draw, as the command-line tool reads its --avoid and --exclude files.

#include "draw/RuledDraw.h"
#include "exchange/DrawExclusions.h"
#include "persist/StringList.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

struct TChosenRules {
    QString avoidFile; ///< last year's document (full path); empty: no such rule
    QString excludeFile; ///< a CSV file of giver,taker pairs (full path); empty: no such rule
    bool oneCircle = false;

    bool Any() const { return !avoidFile.isEmpty() || !excludeFile.isEmpty() || oneCircle; }
    bool operator==(const TChosenRules&) const = default;
};

/// The words beside the draw button: "Rules: avoid 2025.kks, 12 pairs kept apart, one
/// circle"; empty without rules. `keptApart` counts the pairs of the exclusion file.
QString RulesLine(const TChosenRules& rules, int keptApart);

/// The pairs of a giver,taker CSV file, names looked up in `participants`; every line
/// naming somebody unknown goes into `problems`. Raises when the file cannot be read.
TExcludedPairs ReadPairsFile(const QString& file, const TStringList& participants, std::vector<TLineProblem>& problems);

/// The refused lines of a file as the command-line tool reports them: "NAME:LINE: reason".
QStringList LineProblemReport(const QString& file, const std::vector<TLineProblem>& problems);

/// The request of the draw with `rules` over `participants`: last year's pairs from the
/// document, the pairs of the CSV file, one circle. Raises when a file cannot be read;
/// lines of the CSV file naming somebody unknown go into `problems`.
TDrawRequest MakeDrawRequest(
    const TChosenRules& rules, const TStringList& participants, std::vector<TLineProblem>& problems);
