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

namespace {

/// The first of `helpFiles` that is a file this process can read, as an absolute path.
QString FirstReadable(const QStringList& helpFiles)
{
    for (const QString& helpFile : helpFiles) {
        const QFileInfo info(helpFile);
        if (info.isFile() && QFile(helpFile).open(QIODevice::ReadOnly))
            return info.absoluteFilePath();
    }
    return QString();
}

} // namespace

void THelpWindow::ShowTopic(const QStringList& helpFiles, int context)
{
    const QString found = FirstReadable(helpFiles);
    if (found.isEmpty()) {
        loadedFile_.clear();
        browser_->clear();
        QString places;
        for (const QString& helpFile : helpFiles)
            places += QStringLiteral("<li><tt>%1</tt></li>").arg(helpFile.toHtmlEscaped());
        browser_->setHtml(QStringLiteral("<h2>Help is not available</h2>"
                                         "<p>Tinselwick looked for its help file in these places and "
                                         "could not find or open it:</p><ul>%1</ul>"
                                         "<p>Reinstalling the program puts it back.</p>")
                              .arg(places));
    } else if (loadedFile_ != found) {
        // Loaded through the browser's source so that links between topics resolve
        // against the file; the type is given because the name does not end in .html.
        browser_->setSource(QUrl::fromLocalFile(found), QTextDocument::HtmlResource);
        loadedFile_ = found;
    }
    if (!loadedFile_.isEmpty())
        browser_->scrollToAnchor(HelpTopicAnchor(context));
    show();
    raise();
    activateWindow();
}

TQtHelpViewer::TQtHelpViewer() = default;
TQtHelpViewer::~TQtHelpViewer() = default;

void TQtHelpViewer::ShowTopic(const QStringList& helpFiles, int context)
{
    if (!window_)
        window_ = std::make_unique<THelpWindow>();
    window_->ShowTopic(helpFiles, context);
}
