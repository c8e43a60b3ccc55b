#include "platform/ui/label.h"

#include "platform/testing/widgetinput.h"
#include "platform/ui/form.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// A form of two boxes, each under its label.
class LabelForm : public ::testing::Test {
protected:
    LabelForm()
    {
        form.SetClientWidth(200);
        form.SetClientHeight(120);
        first = new TLabel(QStringLiteral("&Name:"), &form);
        first->setGeometry(8, 8, 180, 16);
        name = new QLineEdit(&form);
        name->setGeometry(8, 26, 180, 21);
        first->SetFocusControl(name);
        second = new TLabel(QStringLiteral("&Other"), &form);
        second->setGeometry(8, 54, 180, 16);
        other = new QLineEdit(&form);
        other->setGeometry(8, 72, 180, 21);
    }

    TForm form;
    TLabel* first { nullptr };
    QLineEdit* name { nullptr };
    TLabel* second { nullptr };
    QLineEdit* other { nullptr };
};

TEST(Label, ShowsItsCaptionWithoutAcceleratorMarksAndKeepsItAsText)
{
    const struct {
        const char* caption;
        const char* shown;
    } cases[] = {
        { "&Date:", "Date:" },
        { "Tim&e:", "Time:" },
        { "Salt && Pepper", "Salt & Pepper" },
        { "Fish &", "Fish &" },
        { "a&&&", "a&&" },
        { "\rA\r\nB\rC", "\nA\nB\nC" },
        { "<b>bold</b>", "<b>bold</b>" },
    };
    for (const auto& each : cases) {
        const TLabel label(QString::fromLatin1(each.caption), nullptr);
        EXPECT_EQ(label.ShownText().toStdString(), each.shown) << each.caption;
        EXPECT_EQ(label.text().toStdString(), each.caption);
    }
}

TEST_F(LabelForm, PaintsWhatShowsAsPlainText)
{
    form.show();
    for (const char* caption : { "Salt && Pepper &", "\rfirst\r\nsecond\rthird", "<b>bold</b> &&" }) {
        first->setText(QString::fromLatin1(caption));
        first->setGeometry(8, 8, 180, 50);
        first->setWordWrap(true);
        EXPECT_EQ(PaintedDifference(first, first->ShownText()), QRect()) << caption;
    }
}

TEST_F(LabelForm, UnderlinesTheLetterAfterTheAmpersand)
{
    form.show();
    EXPECT_TRUE(PaintsUnderlined(first, QStringLiteral("Name:"), 0));
    first->setText(QStringLiteral("Tim&e:"));
    EXPECT_TRUE(PaintsUnderlined(first, QStringLiteral("Time:"), 3));
    first->setEnabled(false);
    EXPECT_TRUE(PaintsUnderlined(first, QStringLiteral("Time:"), 3)) << "disabled";
}

TEST_F(LabelForm, AltWithTheLetterFocusesTheFocusControlOnly)
{
    ASSERT_TRUE(ShowActive(&form));
    other->setFocus();
    PressAlt(&form, Qt::Key_N);
    EXPECT_TRUE(name->hasFocus());
    PressAlt(&form, Qt::Key_O);
    EXPECT_TRUE(name->hasFocus()) << "a label without a focus control takes nothing";
    second->SetFocusControl(other);
    PressAlt(&form, Qt::Key_O);
    EXPECT_TRUE(other->hasFocus());
    first->setEnabled(false);
    PressAlt(&form, Qt::Key_N);
    EXPECT_TRUE(other->hasFocus()) << "a disabled label takes nothing";
}

TEST_F(LabelForm, AButtonKeepsItsLetterBesideALabelWithoutFocusControl)
{
    auto* button = new QPushButton(QStringLiteral("&Open"), &form);
    button->setGeometry(8, 96, 75, 22);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    ASSERT_TRUE(ShowActive(&form));
    name->setFocus();
    PressAlt(&form, Qt::Key_O);
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return clicks == 1; }, 5000));
}

}  // namespace
