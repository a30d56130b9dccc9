#include "ui/CCAbout.h"

#include <QAction>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace {

/// A small wrapped present: the box's own window icon.
QIcon GiftIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xC0, 0x20, 0x20));
    painter.drawRect(4, 12, 24, 18);
    painter.drawRect(2, 8, 28, 6);
    painter.setBrush(QColor(0xF0, 0xD0, 0x40));
    painter.drawRect(14, 8, 4, 22);
    painter.drawEllipse(QRectF(8, 2, 8, 7));
    painter.drawEllipse(QRectF(16, 2, 8, 7));
    return QIcon(pixmap);
}

QFont ProductFont()
{
    // A Times-like face 19 pixels high; the free metric-compatible one where installed.
    QFont font(QFontDatabase::hasFamily(QStringLiteral("Liberation Serif")) ? QStringLiteral("Liberation Serif")
                                                                            : QStringLiteral("serif"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(19);
    return font;
}

/// Draws a bevel one pixel wide along the inside of `edge`: `light` above and at the left,
/// `dark` below and at the right makes it raised, the other way round lowered.
void DrawBevel(QPainter& painter, const QRect& edge, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(edge.topLeft(), edge.topRight());
    painter.drawLine(edge.topLeft(), edge.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(edge.bottomLeft(), edge.bottomRight());
    painter.drawLine(edge.topRight(), edge.bottomRight());
}

/// A panel set into the box with a lowered outer bevel, its face raised by an inner one.
class TBevelledPanel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        DrawBevel(painter, rect(), dark, light);
        DrawBevel(painter, rect().adjusted(1, 1, -1, -1), light, dark);
    }
};

} // namespace

TAboutCC::TAboutCC(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutCC"));
    setWindowTitle(QStringLiteral("About Tinselwick"));
    setWindowIcon(GiftIcon());
    setModal(false);
    // Closing the main window ends the program even while the box is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(342, 266);

    Panel = new TBevelledPanel(this);
    Panel->setObjectName(QStringLiteral("Panel1"));
    Panel->setGeometry(10, 8, 321, 185);
    Panel->setContentsMargins(2, 2, 2, 2);
    Panel->setAutoFillBackground(true);
    QPalette panelColours = Panel->palette();
    panelColours.setColor(QPalette::Window, QColor(0, 0, 0x80));
    Panel->setPalette(panelColours);

    ProductName = new QLabel(QStringLiteral("Tinselwick"), Panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setFont(ProductFont());
    QPalette labelColours = ProductName->palette();
    labelColours.setColor(QPalette::WindowText, Qt::white);
    ProductName->setPalette(labelColours);
    ProductName->setAttribute(Qt::WA_TranslucentBackground);
    ProductName->move(88, 16);
    ProductName->adjustSize();

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    QFont bold = OKButton->font();
    bold.setBold(true);
    OKButton->setFont(bold);
    OKButton->setDefault(true);
    OKButton->setGeometry(127, 218, 77, 27);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(OKButton); });

    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WindowShortcut);
    connect(help, &QAction::triggered, this, &TAboutCC::HelpRequested);
    addAction(help);
}

void TAboutCC::OKButtonClick(QObject*)
{
    hide();
}

void TAboutCC::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
    OKButton->setFocus(Qt::OtherFocusReason);
}
