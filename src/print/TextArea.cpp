#include "print/TextArea.h"

TTextArea TextAreaOf(const TRect& page)
{
    TTextArea area;
    area.Margin = (page.Right - page.Left) / 12;
    area.TextRight = page.Right - area.Margin;
    area.TextWidth = area.TextRight - area.Margin;
    return area;
}

int CentredX(int margin, int textAreaWidth, int width)
{
    return margin + (textAreaWidth - width) / 2;
}
