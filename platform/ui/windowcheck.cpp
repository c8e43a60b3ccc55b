#include "platform/ui/windowcheck.h"

#include "platform/ui/label.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QToolButton>

#include <optional>

namespace {

// A control's text on its way to the screen.
struct TShownText {
    QString source;
    QString shown;
    // Drawn as it stands: an accelerator "&" shows as itself.
    bool literal { false };
    bool rich { false };
};

std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

TShownText literally(const QString& text) { return { text, text, true, false }; }
TShownText withAccelerators(const QString& text) { return { text, WithoutAccelerators(text), false, false }; }

bool isRichText(const QLabel* label)
{
    return label->textFormat() == Qt::RichText
        || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
}

std::optional<TShownText> shownText(QWidget* widget)
{
    // A form's caption breaks its lines and, unless it shows someone else's text, draws its accelerator.
    if (auto* caption = dynamic_cast<TLabel*>(widget))
        return TShownText { caption->text(), caption->ShownText(), false, false };
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (isRichText(label)) {
            QTextDocument document;
            document.setHtml(label->text());
            return TShownText { label->text(), document.toPlainText(), false, true };
        }
        // Qt turns a label's "&" into an underline only when the label has a control to focus.
        return label->buddy() ? withAccelerators(label->text()) : literally(label->text());
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        return withAccelerators(box->title());
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (!button)
        return std::nullopt;
    if (qobject_cast<QPushButton*>(button) || qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)
        || qobject_cast<QToolButton*>(button))
        return withAccelerators(button->text());
    // A button that paints itself draws its text as it stands.
    return literally(button->text());
}

bool hasLoneAmpersand(const QString& text)
{
    static const QRegularExpression lone(QStringLiteral("(?<!&)&(?!&)"));
    return text.contains(lone);
}

bool isSymbolFamily(const QString& family)
{
    const QString name = family.trimmed().toLower();
    return name == QLatin1String("marlett") || name == QLatin1String("symbol") || name == QLatin1String("webdings")
        || name.startsWith(QLatin1String("wingdings"));
}

bool isCodeLetter(QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); }

// The symbol faces draw their pictures at letters and digits: such a letter in a text
// face, or a caption of one small letter or digit where a picture belongs, is the code
// showing through. A capital alone is a caption of its own ("B" for bold).
bool showsCodeLetter(const QWidget* widget, const QString& shown)
{
    if (isSymbolFamily(widget->font().family())) {
        if (isSymbolFamily(QFontInfo(widget->font()).family()))
            return false;
        for (const QChar c : shown)
            if (isCodeLetter(c))
                return true;
        return false;
    }
    const QString caption = shown.trimmed();
    return caption.size() == 1 && isCodeLetter(caption[0]) && !caption[0].isUpper();
}

// A line is cut when it is wider than the label; lines that wrap or break are cut
// too when they need more height than the label has.
bool isCut(const QLabel* label, const QString& shown, bool rich)
{
    if (rich)
        return label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                                 : label->sizeHint().width() > label->width();
    const QRect area = LabelTextArea(*label);
    constexpr int kUnbounded = 1 << 20;
    const int flags = Qt::TextExpandTabs | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed = label->fontMetrics().boundingRect(
        QRect(0, 0, label->wordWrap() ? area.width() : kUnbounded, kUnbounded), flags, shown);
    const bool lines = label->wordWrap() || shown.contains(QLatin1Char('\n'));
    return needed.width() > area.width() || (lines && needed.height() > area.height());
}

std::string nameOf(const QWidget* widget, const QWidget* window)
{
    if (!widget->objectName().isEmpty())
        return utf8(widget->objectName());
    const QWidget* owner = widget->parentWidget();
    const auto unnamed = [](const QWidget* w) { return w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")); };
    while (owner && owner != window && unnamed(owner))
        owner = owner->parentWidget();
    return utf8((owner ? owner->objectName() : QString()) + QLatin1Char('/')
        + QLatin1String(widget->metaObject()->className()));
}

}  // namespace

QString WithoutAccelerators(QString caption)
{
    caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

std::vector<TControlFault> CheckWindowControls(QWidget* window)
{
    std::vector<TControlFault> faults;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->window() != window || !widget->isVisibleTo(window))
            continue;
        const std::optional<TShownText> text = shownText(widget);
        if (!text || text->shown.isEmpty())
            continue;
        const auto fault = [&](const char* what) { faults.push_back({ nameOf(widget, window), what, utf8(text->source) }); };
        if (text->literal && hasLoneAmpersand(text->source))
            fault("ampersand");
        if (showsCodeLetter(widget, text->shown))
            fault("symbol letter");
        if (auto* label = qobject_cast<QLabel*>(widget); label && isCut(label, text->shown, text->rich))
            fault("cut");
    }
    return faults;
}
