#include "client/features/reminderform.h"

#include "client/features/reminders.h"
#include "client/features/task.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/label.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>

#include <algorithm>

namespace {

constexpr int kMaxMessageLength = 254;
constexpr int kNoonChoice = 24;

}  // namespace

TForm15::TForm15()
    : TForm("Form15")
{
    SetCaption(Ansi("Pralto®"));
    SetBorderStyle(bsDialog);
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    SetClientWidth(300);
    SetClientHeight(250);
    auto* intro = new TLabel(
        "Korvo can remind you of an important event via nivlets. Enter the event information below.", this);
    intro->setWordWrap(true);
    intro->setGeometry(8, 6, 284, 30);
    const auto label = [this](const char* text, int top, QWidget* control) {
        auto* caption = new TLabel(codepage::ToUnicode(text), this);
        caption->setGeometry(8, top + 3, 60, 16);
        caption->SetFocusControl(control);
    };
    DateTimePicker1 = new QDateEdit(this);
    DateTimePicker1->setObjectName("DateTimePicker1");
    DateTimePicker1->setDisplayFormat("dddd, MMMM d, yyyy");
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setGeometry(70, 40, 222, 22);
    label("&Date:", 40, DateTimePicker1);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    for (const std::string& time : HalfHourTimes())
        ComboBox1->addItem(codepage::ToUnicode(time));
    ComboBox1->setGeometry(70, 66, 100, 22);
    label("Tim&e:", 66, ComboBox1);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    ComboBox2->setGeometry(70, 92, 222, 22);
    label("&Repeat:", 92, ComboBox2);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(8, 138, 284, 70);
    label("&Message", 118, Memo1);
    Button1 = new QPushButton(codepage::ToUnicode("&Apply"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(136, 218, 75, 25);
    Button1->setEnabled(false);
    Button2 = new QPushButton(codepage::ToUnicode("&Cancel"), this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(217, 218, 75, 25);
    QObject::connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = Memo1->toPlainText();
        if (text.size() > kMaxMessageLength) {
            Memo1->setPlainText(text.left(kMaxMessageLength));
            return;
        }
        Button1->setEnabled(!text.trimmed().isEmpty());
    });
    QObject::connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] { FillRepeatChoices(); });
    QObject::connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { FillRepeatChoices(); });
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Button1Click(); }); });
    QObject::connect(Button2, &QPushButton::clicked, this, [this] { Close(); });
    OnClose = [](TCloseAction& action) { action = caFree; };
    SetChosenDate(Date());
    ComboBox1->setCurrentIndex(kNoonChoice);
    FillRepeatChoices();
    Loaded();
}

TDateTime TForm15::ChosenDate() const
{
    const QDate date = DateTimePicker1->date();
    TDateTime result = 0;
    return TryEncodeDate(date.year(), date.month(), date.day(), result) ? result : Date();
}

void TForm15::SetChosenDate(TDateTime date)
{
    int year, month, day;
    DecodeDate(date, year, month, day);
    DateTimePicker1->setDate(QDate(year, month, day));
}

void TForm15::FillRepeatChoices()
{
    const int chosen = std::max(0, ComboBox2->currentIndex());
    const QSignalBlocker quiet(ComboBox2);
    ComboBox2->clear();
    for (const std::string& choice : RepeatChoices(ChosenDate(), codepage::FromUnicode(ComboBox1->currentText())))
        ComboBox2->addItem(codepage::ToUnicode(choice));
    ComboBox2->setCurrentIndex(chosen);
}

void TForm15::Button1Click()
{
    const std::string text = codepage::FromUnicode(Memo1->toPlainText());
    if (Trim(text).empty())
        return;
    if (TaskID.empty())
        TaskID = NewTaskId(Now(), static_cast<int>(QRandomGenerator::global()->bounded(1000)));
    Tasks().AddReminder(TaskID, DateToStr(ChosenDate()), codepage::FromUnicode(ComboBox1->currentText()),
                        "1/1/1900 12:00:00 PM", true, false, text, std::max(0, ComboBox2->currentIndex()));
    Close();
}

void EditReminder(const std::string& id)
{
    auto* form = new TForm15();
    if (const TTask* task = id.empty() ? nullptr : Tasks().Find(id)) {
        form->TaskID = task->TaskID;
        TDateTime date = 0;
        if (TryStrToDateTime(task->Date, date))
            form->SetChosenDate(date);
        const int time = form->ComboBox1->findText(codepage::ToUnicode(task->Time));
        if (time >= 0)
            form->ComboBox1->setCurrentIndex(time);
        form->FillRepeatChoices();
        form->ComboBox2->setCurrentIndex(std::clamp<int>(task->Repeat, 0, 4));
        form->Memo1->setPlainText(codepage::ToUnicode(task->Text));
    }
    form->Show();
    form->Memo1->setFocus();
}
