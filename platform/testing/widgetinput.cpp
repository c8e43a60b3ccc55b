#include "platform/testing/widgetinput.h"

#include "platform/rtl/eventloop.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QTest>

namespace {

// A stock label like label showing text; with accelerated, the way Qt draws a
// label's accelerator (it does so for a label with a buddy).
QImage Painting(QLabel* label, const QString& text, bool accelerated)
{
    QLabel stock(text, label->parentWidget());
    stock.setTextFormat(Qt::PlainText);
    stock.setFont(label->font());
    stock.setGeometry(label->geometry());
    stock.setAlignment(label->alignment());
    stock.setWordWrap(label->wordWrap());
    stock.setMargin(label->margin());
    stock.setIndent(label->indent());
    stock.setEnabled(label->isEnabled());
    if (accelerated)
        stock.setBuddy(label->parentWidget());
    return stock.grab().toImage();
}

QRect Difference(const QImage& painted, const QImage& expected)
{
    if (painted.size() != expected.size())
        return painted.rect();
    QRect difference;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (painted.pixel(x, y) != expected.pixel(x, y))
                difference |= QRect(x, y, 1, 1);
    return difference;
}

// Pixels of row y between left and right (exclusive) that are not the row's background,
// which the right-most column shows in a left-aligned label.
int Ink(const QImage& image, int y, int left, int right)
{
    int ink = 0;
    for (int x = left; x < right; ++x)
        ink += image.pixel(x, y) != image.pixel(image.width() - 1, y);
    return ink;
}

}  // namespace

QLabel* FindLabel(QWidget* window, const QString& caption)
{
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->text() == caption)
            return label;
    return nullptr;
}

QRect PaintedDifference(QLabel* label, const QString& text)
{
    return Difference(label->grab().toImage(), Painting(label, text, false));
}

::testing::AssertionResult PaintsUnderlined(QLabel* label, const QString& shown, int letter)
{
    const QImage painted = label->grab().toImage();
    if (const QRect difference = Difference(painted, Painting(label, label->text(), true)); !difference.isEmpty())
        return ::testing::AssertionFailure() << "\"" << label->text().toStdString()
                                             << "\" is not drawn as an accelerated caption; it differs at x "
                                             << difference.left() << ".." << difference.right();
    const QImage plain = Painting(label, shown, false);
    const QFontMetrics metrics(label->font());
    const int start = label->contentsRect().left() + label->margin();
    // The cell less a pixel each side, where the next letters' antialiasing may reach.
    const int left = start + metrics.horizontalAdvance(shown.left(letter)) + 1;
    const int right = start + metrics.horizontalAdvance(shown.left(letter + 1)) - 1;
    for (int y = label->height() / 2; y < painted.height(); ++y)
        if (Ink(painted, y, left, right) == right - left && Ink(plain, y, left, right) < right - left)
            return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no line under \"" << shown.mid(letter, 1).toStdString() << "\" of \""
                                         << shown.toStdString() << "\" at x " << left << ".." << right;
}

bool ShowActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    return Application::ProcessMessagesUntil([window] { return QApplication::activeWindow() == window; }, 5000);
}

void PressAlt(QWidget* window, Qt::Key key)
{
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, key, Qt::AltModifier);
}
