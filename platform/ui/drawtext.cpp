#include "platform/ui/drawtext.h"

#include "platform/rtl/codepage.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>

namespace {

int QtFlags(unsigned format)
{
    int flags = 0;
    if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    // Vertical placement applies to one line only, as the platform's.
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        flags |= Qt::AlignVCenter;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    else if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (format & DT_EXPANDTABS)
        flags |= Qt::TextExpandTabs;
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    if (format & DT_NOCLIP)
        flags |= Qt::TextDontClip;
    return flags;
}

}  // namespace

int DrawTextA(QPainter& canvas, const std::string& text, QRect& rect, unsigned format)
{
    const QString unicode = codepage::ToUnicode(text);
    const int flags = QtFlags(format);
    if (format & DT_CALCRECT) {
        const QFontMetrics metrics(canvas.font());
        if (format & DT_SINGLELINE) {
            // One line is as high as the font's cell and as wide as what shows of the text.
            QString shown = unicode;
            if (!(format & DT_NOPREFIX))
                shown.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
            rect.setWidth(metrics.horizontalAdvance(shown));
            rect.setHeight(metrics.height());
            return metrics.height();
        }
        const int width = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE) ? rect.width() : 1 << 20;
        const QRect needed = metrics.boundingRect(QRect(rect.left(), rect.top(), width, 1 << 20), flags & ~Qt::AlignVCenter & ~Qt::AlignBottom, unicode);
        rect.setWidth(needed.width());
        rect.setHeight(needed.height());
        return needed.height();
    }
    QRect drawn;
    // Without DT_NOCLIP the text stays inside its rectangle.
    canvas.save();
    if (!(format & DT_NOCLIP))
        canvas.setClipRect(rect, canvas.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    canvas.drawText(rect, flags, unicode, &drawn);
    canvas.restore();
    return drawn.height();
}

void ExtTextOutA(QPainter& canvas, int x, int y, const std::string& text)
{
    const QFontMetrics metrics(canvas.font());
    canvas.drawText(QPoint(x, y + metrics.ascent()), codepage::ToUnicode(text));
}
