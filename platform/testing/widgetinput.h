#pragma once

#include <QRect>
#include <QString>
#include <Qt>
#include <gtest/gtest.h>

class QLabel;
class QWidget;

// The label in window whose text is caption, or nullptr.
QLabel* FindLabel(QWidget* window, const QString& caption);

// Where the painting of label differs from that of a plain-text label of the same
// parent, size and alignment showing text; an empty rectangle when they agree.
QRect PaintedDifference(QLabel* label, const QString& text);

// The one-line, left-aligned label draws its caption as Qt draws an accelerated one,
// and shows shown with a line under the whole cell of the character at index letter.
::testing::AssertionResult PaintsUnderlined(QLabel* label, const QString& shown, int letter);

// Shows window and waits until it is the active window, so that its shortcuts apply.
bool ShowActive(QWidget* window);

// Alt+key as the keyboard gives it to the active window: shortcuts first, then the focused control.
void PressAlt(QWidget* window, Qt::Key key);
