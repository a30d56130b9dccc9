#pragma once
// The modal message boxes of the program, behind an interface so that headless
// tests answer them in advance instead of blocking on a dialog.

#include <QString>
#include <QStringList>

/// The answers to the question asked before unsaved work would be lost.
enum class TSaveAnswer { Save, Discard, Cancel };

/// The icon of a message box.
enum class TMessageKind { Information, Warning, Error };

class IMessageService {
public:
    virtual ~IMessageService() = default;

    /// An error box shown by a command, which then goes on: error icon, one OK button.
    virtual void ErrorBox(const QString& text) = 0;
    /// The top-level error display for an error raised out of a command. `text` is final
    /// (its full stop already added); the caption is the application title.
    virtual void ApplicationError(const QString& text) = 0;
    /// A warning with OK and Cancel; true when the user answers OK.
    virtual bool WarningOkCancel(const QString& text) = 0;
    /// A question with Save (the default), Discard and Cancel; a box closed without an
    /// answer is Cancel.
    virtual TSaveAnswer QuestionSaveDiscardCancel(const QString& text) = 0;
    /// A question with Yes and No (the default, as is a box closed without an answer), for
    /// a step that cannot be taken back; true for Yes.
    virtual bool QuestionYesNo(const QString& text) = 0;
    /// A box whose text heads a list of lines (refused lines, files, names) in a scrolling
    /// area, so that any number of them fits on the screen. With `askOkCancel` it asks and
    /// answers true for OK (a box closed without an answer is Cancel); otherwise it has one
    /// OK button and answers true.
    virtual bool ListMessage(TMessageKind kind, const QString& text, const QStringList& lines, bool askOkCancel) = 0;
};
