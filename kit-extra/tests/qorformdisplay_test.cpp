#include "kit-extra/qorformdisplay.h"

#include "platform/rtl/exceptions.h"
#include "platform/ui/form.h"

#include <QPointer>
#include <gtest/gtest.h>

TEST(FormDisplay, ShowsTheFormOfThatNameInsideItsBevel)
{
    TQORFormDisplay display;
    display.resize(200, 120);
    display.Bevel().SetStyleOuter(bvRaised);
    display.Bevel().SetWidthOuter(2);
    auto* form = new TForm("EmbeddedForm");
    display.SetFormName("EmbeddedForm");
    ASSERT_EQ(display.Form(), form);
    EXPECT_EQ(form->parentWidget(), &display);
    EXPECT_EQ(form->geometry(), QRect(2, 2, 196, 116));
    display.show();  // a hidden widget hears of its size only when shown
    display.resize(100, 50);
    EXPECT_EQ(form->geometry(), QRect(2, 2, 96, 46));
}

TEST(FormDisplay, NameOfSpacesFreesTheForm)
{
    TQORFormDisplay display;
    QPointer<TForm> form = new TForm("SpacedOut");
    display.SetFormName("SpacedOut");
    ASSERT_EQ(display.Form(), form.data());
    display.SetFormName("   ");
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(display.FormName(), "");
}

TEST(FormDisplay, MissingFormShowsNothingAndNoFormRaises)
{
    TQORFormDisplay display;
    display.SetFormName("NoSuchForm");
    EXPECT_EQ(display.Form(), nullptr);
    try {
        display.ShowForm(nullptr);
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "TQORFormDisplay: Form not instanced!");
    }
}

TEST(FormDisplay, AnotherFormReplacesAndFreesTheFirst)
{
    TQORFormDisplay display;
    QPointer<TForm> first = new TForm("First");
    auto* second = new TForm("Second");
    display.SetFormName("First");
    display.SetFormName("Second");
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(display.Form(), second);
}

TEST(FormDisplay, TheFormThatHoldsItIsRefusedAndTheShownOneStays)
{
    TForm holder("Holder");
    auto* display = new TQORFormDisplay(&holder);
    auto* shown = new TForm("Shown");
    display->SetFormName("Shown");
    display->ShowForm(&holder);
    EXPECT_EQ(display->Form(), shown);
    EXPECT_EQ(display->FormName(), "Shown");
    EXPECT_EQ(holder.parentWidget(), nullptr);
    EXPECT_EQ(display->parentWidget(), &holder);
}
