#include "client/features/reminderform.h"

#include "client/features/notetree.h"
#include "client/features/reminders.h"
#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"
#include "platform/testing/widgetinput.h"
#include "platform/ui/form.h"

#include "client/core/session.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class ReminderForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        Session().userId = "alice";
        Tasks().Clear();
        NoteTree().Clear();
        Tasks().Folder = TasksFolder("alice");
    }
    void TearDown() override
    {
        for (TForm* form : Screen::Forms())
            if (dynamic_cast<TForm15*>(form))
                form->Free();
        Tasks().Clear();
        NoteTree().Clear();
    }
    static TForm15* Open()
    {
        for (TForm* form : Screen::Forms())
            if (auto* found = dynamic_cast<TForm15*>(form))
                return found;
        return nullptr;
    }
    static std::string Text(QComboBox* box) { return codepage::FromUnicode(box->currentText()); }

    ScratchDirs dirs;
};

TEST_F(ReminderForm, ANewReminderStartsTodayAtNoonOnce)
{
    EditReminder("");
    TForm15* form = Open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption(), Ansi("Pralto®"));
    EXPECT_EQ(DateToStr(form->ChosenDate()), DateToStr(Date()));
    EXPECT_EQ(Text(form->ComboBox1), "12:00 PM");
    EXPECT_EQ(Text(form->ComboBox2), "Occurs only once");
    EXPECT_FALSE(form->Button1->isEnabled());
}

TEST_F(ReminderForm, ChangingTheDateOrTimeRebuildsTheChoicesKeepingTheOneChosen)
{
    EditReminder("");
    TForm15* form = Open();
    form->SetChosenDate(EncodeDate(2026, 12, 9));
    form->ComboBox2->setCurrentIndex(4);
    form->ComboBox1->setCurrentIndex(21);
    EXPECT_EQ(Text(form->ComboBox2), "Repeat every day at 10:30 AM");
    form->ComboBox2->setCurrentIndex(1);
    form->SetChosenDate(EncodeDate(2026, 12, 10));
    EXPECT_EQ(Text(form->ComboBox2), "Repeat every Thursday");
}

TEST_F(ReminderForm, ApplyingListsAndSavesTheReminder)
{
    EditReminder("");
    TForm15* form = Open();
    form->SetChosenDate(EncodeDate(2026, 12, 24));
    form->ComboBox1->setCurrentIndex(37);
    form->ComboBox2->setCurrentIndex(3);
    form->Memo1->setPlainText("gifts");
    form->Button1->click();
    ASSERT_EQ(Tasks().Count(), 1);
    const TTask& task = Tasks().Item(0);
    EXPECT_EQ(task.Date, "12/24/2026");
    EXPECT_EQ(task.Time, "6:30 PM");
    EXPECT_EQ(task.Repeat, TTask::rpYearly);
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/tasks/" + task.TaskID + ".tsk"));
    EXPECT_EQ(NoteTree().Praltos.children.at(0).text, "12/24/2026 6:30 PM - gifts (Recuring)");
}

TEST_F(ReminderForm, EditingAReminderShowsItAndResetsItsShowing)
{
    Tasks().AddReminder("r1", "3/14/2026", "8:00 AM", "3/14/2026 8:00:00 AM", true, true, "pie", TTask::rpOnce);
    EditReminder("r1");
    TForm15* form = Open();
    EXPECT_EQ(DateToStr(form->ChosenDate()), "3/14/2026");
    EXPECT_EQ(Text(form->ComboBox1), "8:00 AM");
    EXPECT_EQ(codepage::FromUnicode(form->Memo1->toPlainText()), "pie");
    form->Memo1->setPlainText("more pie");
    form->Button1->click();
    ASSERT_EQ(Tasks().Count(), 1);
    EXPECT_EQ(Tasks().Item(0).Text, "more pie");
    EXPECT_FALSE(Tasks().Item(0).Completed);
    EXPECT_EQ(Tasks().Item(0).LastDisplayed, "1/1/1900 12:00:00 PM");
}

TEST_F(ReminderForm, LabelsUnderlineTheirLetterAndAltWithItFocusesTheirBox)
{
    EditReminder("");
    TForm15* form = Open();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(ShowActive(form));
    const struct {
        const char* caption;
        const char* shown;
        int letter;
        Qt::Key key;
        QWidget* box;
    } labels[] = {
        { "&Date:", "Date:", 0, Qt::Key_D, form->DateTimePicker1 },
        { "Tim&e:", "Time:", 3, Qt::Key_E, form->ComboBox1 },
        { "&Repeat:", "Repeat:", 0, Qt::Key_R, form->ComboBox2 },
        { "&Message", "Message", 0, Qt::Key_M, form->Memo1 },
    };
    for (const auto& label : labels) {
        QLabel* shown = FindLabel(form, label.caption);
        ASSERT_NE(shown, nullptr) << label.caption;
        EXPECT_TRUE(PaintsUnderlined(shown, label.shown, label.letter));
        PressAlt(form, label.key);
        EXPECT_TRUE(label.box->hasFocus()) << label.caption;
    }
    QDir().mkpath(KORVO_BUILD_DIR "/screenshots");
    EXPECT_TRUE(form->grab().save(KORVO_BUILD_DIR "/screenshots/pralto.png"));
}

}  // namespace
