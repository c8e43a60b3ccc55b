#include "client/features/formatglyph.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace {

constexpr int kGlyphSize = 16;

}  // namespace

QIcon FormatGlyph(QChar letter, const TFormatLook& look)
{
    QPixmap picture(kGlyphSize, kGlyphSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(look.bar.isValid() ? 12 : 14);
    font.setBold(look.bold);
    font.setItalic(look.italic);
    font.setUnderline(look.underline);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRect letterArea(0, 0, kGlyphSize, look.bar.isValid() ? kGlyphSize - 4 : kGlyphSize);
    painter.drawText(letterArea, Qt::AlignCenter, QString(letter));
    if (look.bar.isValid())
        painter.fillRect(2, kGlyphSize - 4, kGlyphSize - 4, 3, look.bar);
    painter.end();
    return QIcon(picture);
}

void SetFormatGlyph(QToolButton* button, const TFormatLook& look)
{
    if (button->text().isEmpty())
        return;
    button->setIcon(FormatGlyph(button->text().at(0), look));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
}
