#pragma once
// Conversion between the program's single-byte texts (Windows-1252) and the
// Unicode strings of the toolkit, and a validator that keeps typed and pasted
// text within what a document can store.

#include <QString>
#include <QValidator>

#include <optional>
#include <string>
#include <string_view>

/// The Unicode form of a Windows-1252 text. Every byte has a character.
QString AnsiToQString(std::string_view text);

/// The Windows-1252 form of `text`, or nothing when a character has no byte there.
std::optional<std::string> QStringToAnsi(const QString& text);

/// As QStringToAnsi, for text known to be representable (from a validated field);
/// raises std::invalid_argument otherwise, rather than store a substitute.
std::string QStringToAnsiChecked(const QString& text);

/// True when every character of `text` has a Windows-1252 byte.
bool IsAnsiRepresentable(const QString& text);

/// True when `text`, without the characters up to U+0020 at its ends (which the name
/// rules trim), holds a control character: C0, DEL, or C1 (of which Windows-1252 keeps
/// U+0081, U+008D, U+008F, U+0090 and U+009D, for its unassigned bytes).
bool HoldsControlCharacter(const QString& text);

/// Refuses any input (typed or pasted) holding a character outside Windows-1252, or a
/// control character inside the name, so the field never holds text a document could
/// not store or a name nobody can see whole. Nothing is replaced: a pasted line break
/// after a name is let in, since the name rules trim it.
class TAnsiValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};
