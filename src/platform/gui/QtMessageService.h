#pragma once
// The message boxes on the desktop, captioned with the application title.

#include "platform/gui/MessageService.h"

#include <QPointer>
#include <QWidget>

class TQtMessageService : public IMessageService {
public:
    /// Boxes are centred over `parent` once it is set (it may be set after construction).
    explicit TQtMessageService(QWidget* parent = nullptr)
        : parent_(parent)
    {
    }
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ErrorBox(const QString& text) override;
    void ApplicationError(const QString& text) override;
    bool WarningOkCancel(const QString& text) override;
    TSaveAnswer QuestionSaveDiscardCancel(const QString& text) override;
    bool QuestionYesNo(const QString& text) override;
    bool ListMessage(TMessageKind kind, const QString& text, const QStringList& lines, bool askOkCancel) override;

private:
    QPointer<QWidget> parent_;
};
