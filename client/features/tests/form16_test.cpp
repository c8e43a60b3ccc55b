#include "client/features/form16.h"

#include "client/core/scrambler.h"
#include "platform/testing/scratch.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    edit->insert(text);
}

TEST(WebMailLogOn, ApplyIsEnabledOnlyByANonBlankBox)
{
    ScratchDirs dirs;
    TForm16 form;
    EXPECT_FALSE(form.Button1->isEnabled());
    Type(form.Edit1, "   ");
    EXPECT_FALSE(form.Button1->isEnabled());
    Type(form.Edit1, "ann");
    EXPECT_TRUE(form.Button1->isEnabled());
    Type(form.Edit2, "");
    EXPECT_FALSE(form.Button1->isEnabled());
}

TEST(WebMailLogOn, ApplyKeepsTheNameAndThePasswordsCaseUnderTheUsersSection)
{
    ScratchDirs dirs;
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserName=Ann\r\n");
    TForm16 form;
    form.Show();
    Type(form.Edit1, " Ann.Smith ");
    Type(form.Edit2, " MixedCase ");
    form.Button1->click();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[MAIN]\r\nuserName=Ann\r\n\r\n[Online Mail.Ann]\r\nuserName=Ann.Smith\r\n"
                                                  "userPassword=" + ScrambleText("MixedCase") + "\r\n");
}

TEST(WebMailLogOn, CancelWritesNothing)
{
    ScratchDirs dirs;
    TForm16 form;
    form.Show();
    Type(form.Edit1, "ann");
    form.Button2->click();
    EXPECT_FALSE(dirs.exists("windows/larkspire.ini"));
}

}  // namespace
