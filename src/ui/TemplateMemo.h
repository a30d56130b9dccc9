#pragma once
// The letter template memo: plain text, word-wrapped at its own width, no scroll
// bars, and only characters that a document can store. Its lines as displayed
// are the template.

#include <QTextEdit>

#include <string>
#include <vector>

class TTemplateMemo : public QTextEdit {
    Q_OBJECT
public:
    explicit TTemplateMemo(QWidget* parent = nullptr);

    /// The lines as the memo shows them (Windows-1252): a wrapped line counts as several,
    /// broken where it wraps (a blank at a break stays at the end of the upper line);
    /// a final empty line does not count.
    std::vector<std::string> DisplayedLines() const;

    /// Replaces the whole text, one line per entry (Windows-1252).
    void SetLines(const std::vector<std::string>& lines);

    /// Wraps at the width the memo has at `size` even while it is hidden (a hidden
    /// widget learns its size only when first shown).
    void FitWrapWidthTo(const QSize& size);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
