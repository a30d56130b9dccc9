#include "platform/gui/QtHelpViewer.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QVBoxLayout>

QString HelpTopicAnchor(int context)
{
    return QStringLiteral("topic%1").arg(context);
}

THelpWindow::THelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tinselwick Help"));
    // Closing the main window ends the program even while help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setAccessibleName(QStringLiteral("Help text"));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(560, 480);
}

void THelpWindow::ShowTopic(const QString& helpFile, int context)
{
    const QFileInfo info(helpFile);
    QFile file(helpFile);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        loadedFile_.clear();
        browser_->clear();
        browser_->setHtml(QStringLiteral("<h2>Help is not available</h2>"
                                         "<p>Cannot find or open the help file:</p><p><tt>%1</tt></p>"
                                         "<p>Tinselwick looks for it in the folder of the program itself. "
                                         "Reinstalling the program puts it back.</p>")
                              .arg(helpFile.toHtmlEscaped()));
    } else if (loadedFile_ != info.absoluteFilePath()) {
        // Loaded through the browser's source so that links between topics resolve
        // against the file; the type is given because the name does not end in .html.
        file.close();
        browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()), QTextDocument::HtmlResource);
        loadedFile_ = info.absoluteFilePath();
    }
    if (!loadedFile_.isEmpty())
        browser_->scrollToAnchor(HelpTopicAnchor(context));
    show();
    raise();
    activateWindow();
}

TQtHelpViewer::TQtHelpViewer() = default;
TQtHelpViewer::~TQtHelpViewer() = default;

void TQtHelpViewer::ShowTopic(const QString& helpFile, int context)
{
    if (!window_)
        window_ = std::make_unique<THelpWindow>();
    window_->ShowTopic(helpFile, context);
}
