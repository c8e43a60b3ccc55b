#include "client/features/newbuddyform.h"

#include "client/core/session.h"
#include "platform/testing/scratch.h"
#include "platform/testing/widgetinput.h"
#include "platform/ui/dialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// As typing does: the box's edit events fire.
void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    edit->insert(text);
}

class BuddyDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        Session().userId = "alice";
        dirs.write("windows/my friends/alice/user.dat", "[user]\r\n");
        dialogs::ClearHistory();
        dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDOK; });
    }
    void TearDown() override { dialogs::SetResponder({}); }

    std::string cnt(const std::string& name) const { return dirs.read("windows/my friends/alice/" + name + ".cnt"); }

    ScratchDirs dirs;
};

TEST_F(BuddyDialog, ANameWithABlankIsRefusedWithTheMessage)
{
    TNewBuddyForm form;
    form.Show();
    Type(form.Edit1, "bob smith");
    form.Button1->click();
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History().back().request.text,
              "\rSpaces or  \\/:*?\"'<>|= characters are not permitted in your user name. Please retry.");
    EXPECT_TRUE(form.Visible());
    EXPECT_FALSE(dirs.exists("windows/my friends/alice/bob smith.cnt"));
    // A character that is none of those is named, not taken for one of them.
    form.Edit1->setText("bob\rsmith");
    form.Button1->click();
    EXPECT_EQ(dialogs::History().back().request.text,
              "\rThe User Name holds a carriage return (character 13), which is not permitted. Please re-type.");
    EXPECT_TRUE(form.Visible());
}

TEST_F(BuddyDialog, DotNamesAreRefusedToo)
{
    for (const char* name : { ".", ".." }) {
        TNewBuddyForm form;
        form.Show();
        Type(form.Edit1, name);
        form.Button1->click();
        EXPECT_TRUE(form.Visible()) << name;
    }
    EXPECT_EQ(dialogs::History().size(), 2u);
}

TEST_F(BuddyDialog, ANewBuddyGetsItsContactFileWithTheNameAsFullName)
{
    TNewBuddyForm form;
    form.Show();
    EXPECT_EQ(form.Caption(), "Add New Properties");
    Type(form.Edit1, " bob");
    EXPECT_EQ(form.Edit2->text(), " bob");
    form.Button1->click();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.BuddyName(), "bob");
    EXPECT_EQ(cnt("bob"), "[Friend]\r\nEmail=\r\nUserID=bob\r\nUserRef=bob\r\nDirectConnect=\r\nAUTOANS=0\r\n"
                          "AUTOREJECT=0\r\nfloat=1\r\n");
}

TEST_F(BuddyDialog, NamesAreCappedAt64Bytes)
{
    TNewBuddyForm form;
    form.Show();
    Type(form.Edit1, QString(80, 'x'));
    EXPECT_EQ(form.Edit1->text().size(), 64);
}

TEST_F(BuddyDialog, EditingLoadsTheBuddysFields)
{
    dirs.write("app/Channels.ini", "[settings]\r\nIselected=carol\r\n");
    dirs.write("windows/my friends/alice/carol.cnt",
               "[Friend]\r\nUserID=carol\r\nUserRef=Carol King\r\nDirectConnect=10.0.0.9\r\nemail=c@example.org\r\n"
               "AUTOREJECT=1\r\n");
    TNewBuddyForm form;
    form.Show();
    EXPECT_EQ(form.Caption(), "Edit Properties");
    EXPECT_EQ(form.Edit1->text(), "carol");
    EXPECT_EQ(form.Edit2->text(), "Carol King");
    EXPECT_EQ(form.Edit3->text(), "c@example.org");
    EXPECT_EQ(form.Edit4->text(), "10.0.0.9");
    EXPECT_FALSE(form.CheckBox2->isChecked());
    EXPECT_TRUE(form.CheckBox3->isChecked());
}

TEST_F(BuddyDialog, OptionalSettingsAreWrittenAndTheAutoBoxesExcludeEachOther)
{
    TNewBuddyForm form;
    form.Show();
    EXPECT_FALSE(form.Edit3->isEnabled());
    form.CheckBox1->click();
    EXPECT_TRUE(form.Edit3->isEnabled());
    Type(form.Edit1, "dave");
    form.Edit2->setText(" Dave Doe ");
    form.Edit3->setText("d@example.org");
    form.Edit4->setText(" 10.1.2.3 ");
    form.CheckBox2->click();
    form.CheckBox3->click();
    EXPECT_FALSE(form.CheckBox2->isChecked());
    form.Button1->click();
    EXPECT_EQ(cnt("dave"), "[Friend]\r\nEmail=d@example.org\r\nUserID=dave\r\nUserRef=Dave Doe\r\nDirectConnect=10.1.2.3\r\n"
                           "AUTOANS=0\r\nAUTOREJECT=1\r\nfloat=1\r\n");
}

TEST_F(BuddyDialog, CancelEmptiesTheNameAndWritesNothing)
{
    TNewBuddyForm form;
    form.Show();
    Type(form.Edit1, "erin");
    form.Button2->click();
    EXPECT_EQ(form.BuddyName(), "");
    EXPECT_FALSE(dirs.exists("windows/my friends/alice/erin.cnt"));
}

TEST_F(BuddyDialog, LabelsUnderlineTheirLetterAndAltWithItFocusesTheirBoxOnceEnabled)
{
    TNewBuddyForm form;
    ASSERT_TRUE(ShowActive(&form));
    QLabel* fullName = FindLabel(&form, "Buddy's &Full Name");
    ASSERT_NE(fullName, nullptr);
    PressAlt(&form, Qt::Key_F);
    EXPECT_TRUE(form.Edit1->hasFocus()) << "the optional boxes stay out of reach while disabled";
    EXPECT_TRUE(PaintsUnderlined(fullName, "Buddy's Full Name", 8)) << "disabled";
    form.CheckBox1->click();
    const struct {
        const char* caption;
        const char* shown;
        int letter;
        Qt::Key key;
        QLineEdit* box;
    } labels[] = {
        { "Buddy's &Full Name", "Buddy's Full Name", 8, Qt::Key_F, form.Edit2 },
        { "Buddy's &Email Address:", "Buddy's Email Address:", 8, Qt::Key_E, form.Edit3 },
        { "&Buddy's User Name:", "Buddy's User Name:", 0, Qt::Key_B, form.Edit1 },
    };
    for (const auto& label : labels) {
        QLabel* shown = FindLabel(&form, label.caption);
        ASSERT_NE(shown, nullptr) << label.caption;
        EXPECT_TRUE(PaintsUnderlined(shown, label.shown, label.letter));
        PressAlt(&form, label.key);
        EXPECT_TRUE(label.box->hasFocus()) << label.caption;
    }
    QDir().mkpath(KORVO_BUILD_DIR "/screenshots");
    EXPECT_TRUE(form.grab().save(KORVO_BUILD_DIR "/screenshots/newbuddy.png"));
}

}  // namespace
