#pragma once

#include <QColor>
#include <QIcon>

class QToolButton;

// The chat window's format buttons show pictures, not letters: the button's letter
// drawn as it formats text (bold, italic, underlined), the colour button's over a colour bar.
struct TFormatLook {
    bool bold { false };
    bool italic { false };
    bool underline { false };
    // Drawn under the letter when valid.
    QColor bar;
};

QIcon FormatGlyph(QChar letter, const TFormatLook& look);
// The button's first letter becomes its picture; the text stays for whoever reads it.
void SetFormatGlyph(QToolButton* button, const TFormatLook& look);
