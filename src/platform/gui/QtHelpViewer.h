#pragma once
// The help viewer on Linux: a window of our own that shows an HTML help file,
// one topic per anchor, and reports a missing file inside itself.

#include "platform/gui/HelpViewer.h"

#include <QTextBrowser>
#include <QWidget>

#include <memory>

/// The help window: non-modal, never keeps the program running on its own.
class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    /// Loads the first readable of `helpFiles` (unless it is already shown) and scrolls
    /// to the topic's anchor.
    void ShowTopic(const QStringList& helpFiles, int context);

    QTextBrowser* Browser() const { return browser_; }
    /// The file last shown, empty when it could not be read.
    const QString& LoadedFile() const { return loadedFile_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTextBrowser* browser_;
    QString loadedFile_;
};

class TQtHelpViewer : public IHelpViewer {
public:
    TQtHelpViewer();
    ~TQtHelpViewer() override;

    void ShowTopic(const QStringList& helpFiles, int context) override;

    /// The window, created on first use (nullptr before).
    THelpWindow* Window() const { return window_.get(); }

private:
    std::unique_ptr<THelpWindow> window_;
};
