#include "platform/gui/QtMessageService.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace {

QString Caption()
{
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

int Show(QWidget* parent, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok)
{
    QMessageBox box(icon, Caption(), text, buttons, parent);
    // A dialog takes no face from its parent by itself; the box speaks in the window's.
    if (parent != nullptr)
        box.setFont(parent->font());
    box.setDefaultButton(defaultButton);
    // The screen reader announces the box by its caption and reads the text label.
    box.setAccessibleName(Caption());
    return box.exec();
}

QMessageBox::Icon BoxIcon(TMessageKind kind)
{
    switch (kind) {
    case TMessageKind::Information:
        return QMessageBox::Information;
    case TMessageKind::Warning:
        return QMessageBox::Warning;
    case TMessageKind::Error:
        break;
    }
    return QMessageBox::Critical;
}

QStyle::StandardPixmap DialogIcon(TMessageKind kind)
{
    switch (kind) {
    case TMessageKind::Information:
        return QStyle::SP_MessageBoxInformation;
    case TMessageKind::Warning:
        return QStyle::SP_MessageBoxWarning;
    case TMessageKind::Error:
        break;
    }
    return QStyle::SP_MessageBoxCritical;
}

/// A message box's face with the lines under its text in a read-only, scrolling field:
/// a message box of its own grows with its text until it leaves the screen.
int ShowWithLines(QWidget* parent, TMessageKind kind, const QString& text, const QStringList& lines, bool askOkCancel)
{
    QDialog box(parent);
    box.setWindowTitle(Caption());
    box.setAccessibleName(Caption());
    if (parent != nullptr)
        box.setFont(parent->font());
    auto* layout = new QGridLayout(&box);
    auto* icon = new QLabel(&box);
    const int iconSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(box.style()->standardIcon(DialogIcon(kind), nullptr, &box).pixmap(iconSize, iconSize));
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    auto* label = new QLabel(text, &box);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label, 0, 1);
    auto* list = new QPlainTextEdit(lines.join(QLatin1Char('\n')), &box);
    list->setObjectName(QStringLiteral("MessageLines"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setAccessibleName(text);
    // As high as its lines, up to a dozen; more scroll.
    const QFontMetrics metrics(list->font());
    const int height = metrics.lineSpacing() * static_cast<int>(std::min<qsizetype>(lines.size(), 12))
        + 2 * (list->frameWidth() + static_cast<int>(list->document()->documentMargin())) + 2;
    list->setMinimumSize(metrics.averageCharWidth() * 60, height);
    if (lines.size() <= 12)
        list->setMaximumHeight(height);
    layout->addWidget(list, 1, 1);
    auto* buttons = new QDialogButtonBox(
        askOkCancel ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(buttons, 2, 0, 1, 2);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    return box.exec();
}

} // namespace

void TQtMessageService::ErrorBox(const QString& text)
{
    Show(parent_, QMessageBox::Critical, text, QMessageBox::Ok);
}

void TQtMessageService::ApplicationError(const QString& text)
{
    Show(parent_, QMessageBox::Critical, text, QMessageBox::Ok);
}

bool TQtMessageService::WarningOkCancel(const QString& text)
{
    return Show(parent_, QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

TSaveAnswer TQtMessageService::QuestionSaveDiscardCancel(const QString& text)
{
    // Escape and the frame's close button give Cancel: only a deliberate Discard loses work.
    switch (Show(parent_, QMessageBox::Question, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        QMessageBox::Save)) {
    case QMessageBox::Save:
        return TSaveAnswer::Save;
    case QMessageBox::Discard:
        return TSaveAnswer::Discard;
    default:
        return TSaveAnswer::Cancel;
    }
}

bool TQtMessageService::QuestionYesNo(const QString& text)
{
    return Show(parent_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

bool TQtMessageService::ListMessage(TMessageKind kind, const QString& text, const QStringList& lines, bool askOkCancel)
{
    if (lines.isEmpty()) {
        const int answer = Show(parent_, BoxIcon(kind), text,
            askOkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::StandardButtons(QMessageBox::Ok));
        return answer == QMessageBox::Ok;
    }
    const int answer = ShowWithLines(parent_, kind, text, lines, askOkCancel);
    return !askOkCancel || answer == QDialog::Accepted;
}
