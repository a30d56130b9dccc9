#include "platform/ProgramFont.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace platform {

QFont ProgramFont(int points)
{
    // The window's layout was drawn for an 8-point sans serif; its metric-compatible
    // free face is preferred where it is installed, else the system's default face.
    // Asked once: the font database's answer goes through the system's whole font
    // configuration, and every page and every PDF letter asks for the face.
    const QString preferred = QStringLiteral("Liberation Sans");
    static const bool installed = QFontDatabase::hasFamily(preferred);
    QFont font = installed ? QFont(preferred) : QGuiApplication::font();
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setPointSize(points);
    return font;
}

} // namespace platform
