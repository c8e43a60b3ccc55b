#include "platform/ui/label.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

// Line feeds for the line breaks.
QString BrokenLines(const QString& caption)
{
    QString text = caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The caption in the form Qt's mnemonic drawing takes: line feeds for the line
// breaks, and a trailing lone '&', which marks nothing, doubled so that it shows.
QString MnemonicText(const QString& caption)
{
    QString text = BrokenLines(caption);
    qsizetype run = 0;
    while (run < text.size() && text[text.size() - 1 - run] == QLatin1Char('&'))
        ++run;
    if (run % 2 == 1)
        text += QLatin1Char('&');
    return text;
}

}  // namespace

TLabel::TLabel(QWidget* parent)
    : TLabel(QString(), parent)
{
}

TLabel::TLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent)
{
    // A caption is text, whatever it holds.
    setTextFormat(Qt::PlainText);
}

void TLabel::SetShowAccelChar(bool show)
{
    m_showAccelChar = show;
    update();
}

QString TLabel::ShownText() const
{
    if (!m_showAccelChar)
        return BrokenLines(text());
    const QString text = MnemonicText(this->text());
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

void TLabel::paintEvent(QPaintEvent* event)
{
    if (!pixmap().isNull() || movie() || text().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = LabelTextArea(*this);
    const int align = QStyle::visualAlignment(layoutDirection(), alignment());
    QStyleOption option;
    option.initFrom(this);
    int flags = align | Qt::TextExpandTabs
        | (layoutDirection() == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
    if (m_showAccelChar)
        flags |= Qt::TextShowMnemonic;
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    if (m_showAccelChar && !style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this))
        flags |= Qt::TextHideMnemonic;
    const QString drawn = m_showAccelChar ? MnemonicText(text()) : BrokenLines(text());
    style()->drawItemText(&painter, area, flags, option.palette, isEnabled(), drawn, foregroundRole());
}

QRect LabelTextArea(const QLabel& label)
{
    const int margin = label.margin();
    QRect area = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    // As a plain label: without an indent of its own, a framed label keeps half an 'x' off its frame.
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0)
        indent = label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin;
    if (indent > 0) {
        const int align = QStyle::visualAlignment(label.layoutDirection(), label.alignment());
        if (align & Qt::AlignLeft)
            area.setLeft(area.left() + indent);
        if (align & Qt::AlignRight)
            area.setRight(area.right() - indent);
        if (align & Qt::AlignTop)
            area.setTop(area.top() + indent);
        if (align & Qt::AlignBottom)
            area.setBottom(area.bottom() - indent);
    }
    return area;
}
