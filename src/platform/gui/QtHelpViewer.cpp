#include "platform/gui/QtHelpViewer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QUrl>
#include <QVBoxLayout>

QString HelpTopicAnchor(int context)
{
    return QStringLiteral("topic%1").arg(context);
}

namespace {

/// A screen reader meets the help window as a document to read, named by its title,
/// rather than as an anonymous filler around the text.
QAccessibleInterface* HelpWindowAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("THelpWindow") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Document);
    return nullptr;
}

} // namespace

THelpWindow::THelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , browser_(new QTextBrowser(this))
{
    static const bool accessibleAsDocument = (QAccessible::installFactory(HelpWindowAccessible), true);
    Q_UNUSED(accessibleAsDocument);
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

void THelpWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
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
