#include "ui/TemplateMemo.h"

#include "platform/gui/QtAnsi.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

TTemplateMemo::TTemplateMemo(QWidget* parent)
    : QTextEdit(parent)
{
    setAcceptRichText(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Words wrap at blanks; a word wider than the memo wraps inside itself.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Tab moves on to the next control: the template has no use for tab characters.
    setTabChangesFocus(true);
}

void TTemplateMemo::FitWrapWidthTo(const QSize& size)
{
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    setLineWrapColumnOrWidth(std::max(1, size.width() - 2 * frameWidth()));
}

std::vector<std::string> TTemplateMemo::DisplayedLines() const
{
    std::vector<std::string> lines;
    QTextDocument* doc = document();
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (!block.next().isValid() && text.isEmpty())
            break; // the empty line after a final line break is no line of its own
        layout->blockBoundingRect(block); // lays the block out if it is not yet
        const QTextLayout* blockLayout = block.layout();
        const int count = blockLayout != nullptr ? blockLayout->lineCount() : 0;
        if (count == 0) {
            lines.push_back(QStringToAnsiChecked(text));
            continue;
        }
        for (int i = 0; i < count; ++i) {
            const QTextLine line = blockLayout->lineAt(i);
            lines.push_back(QStringToAnsiChecked(text.mid(line.textStart(), line.textLength())));
        }
    }
    return lines;
}

void TTemplateMemo::SetLines(const std::vector<std::string>& lines)
{
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        text += AnsiToQString(lines[i]);
    }
    setPlainText(text);
}

void TTemplateMemo::keyPressEvent(QKeyEvent* event)
{
    // Shift+Enter would insert a line separator of its own, which the template has no
    // byte for: every line break is an ordinary one.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & Qt::ShiftModifier)) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier, event->text());
        QTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    const QString typed = event->text();
    const bool control = !typed.isEmpty() && (typed.at(0).unicode() < 0x20 || typed.at(0).unicode() == 0x7F);
    if (!typed.isEmpty() && !control && !IsAnsiRepresentable(typed)) {
        QApplication::beep();
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TTemplateMemo::inputMethodEvent(QInputMethodEvent* event)
{
    if (!IsAnsiRepresentable(event->commitString())) {
        QApplication::beep();
        QInputMethodEvent refused(event->preeditString(), event->attributes());
        QTextEdit::inputMethodEvent(&refused);
        event->accept();
        return;
    }
    QTextEdit::inputMethodEvent(event);
}

bool TTemplateMemo::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText() && IsAnsiRepresentable(source->text());
}

void TTemplateMemo::insertFromMimeData(const QMimeData* source)
{
    // Text with a character a document cannot store is refused whole rather than
    // stored with a substitute.
    if (!canInsertFromMimeData(source)) {
        QApplication::beep();
        return;
    }
    QMimeData plain;
    plain.setText(source->text());
    QTextEdit::insertFromMimeData(&plain);
}
