#pragma once
// What the program keeps between runs besides documents: the draw rules of each
// document, the folder last used in a file dialog, the window's size and place, and the
// mail server and sender the letters last went through (never a password). An
// INI file where the desktop keeps settings ($XDG_CONFIG_HOME/tinselwick/); a damaged
// or unreadable file counts as empty, so it never stops the program from starting. The
// register itself is never saved here.

#include "ui/ChosenRules.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

/// The mail server and sender of letters by e-mail, as the organiser last used them.
struct TMailChoices {
    QString host;
    int port = 587;
    bool implicitTls = false; ///< TLS from the first byte rather than STARTTLS
    QString user;
    QString from;
    QString subject; ///< empty: the default subject
    bool operator==(const TMailChoices&) const = default;
};

class TProgramSettings {
public:
    /// Reads `fileName`; an empty name keeps everything in memory.
    explicit TProgramSettings(QString fileName);

    /// $XDG_CONFIG_HOME/tinselwick/tinselwick.conf (~/.config when the variable is unset).
    static QString StandardFileName();

    /// The rules last set for the document (a full path); none when it has none.
    TChosenRules RulesFor(const QString& document) const;
    /// Remembers the document's rules (forgets them when there are none) and writes the file.
    void SetRulesFor(const QString& document, const TChosenRules& rules);

    /// The folder of the file last chosen in a dialog; empty before the first.
    const QString& LastFolder() const { return lastFolder_; }
    void SetLastFolder(const QString& folder);

    /// The window's size and place, as the toolkit saves them; empty before the first close.
    const QByteArray& WindowGeometry() const { return geometry_; }
    void SetWindowGeometry(const QByteArray& geometry);

    const TMailChoices& Mail() const { return mail_; }
    void SetMail(const TMailChoices& mail);

private:
    void Read();
    void Write() const;

    QString fileName_;
    std::vector<std::pair<QString, TChosenRules>> rules_; ///< the document most recently set first
    QString lastFolder_;
    QByteArray geometry_;
    TMailChoices mail_;
};
