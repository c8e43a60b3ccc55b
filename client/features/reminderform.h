#pragma once

#include "platform/rtl/dates.h"
#include "platform/ui/form.h"

#include <string>

class QComboBox;
class QDateEdit;
class QPlainTextEdit;
class QPushButton;

// "Pralto®": enters or edits one reminder.
class TForm15 final : public TForm {
public:
    TForm15();

    QDateEdit* DateTimePicker1 { nullptr };
    QComboBox* ComboBox1 { nullptr };  // the time
    QComboBox* ComboBox2 { nullptr };  // the repeat choice
    QPlainTextEdit* Memo1 { nullptr };
    QPushButton* Button1 { nullptr };  // "&Apply"
    QPushButton* Button2 { nullptr };  // "&Cancel"

    // The reminder being edited; "" for a new one.
    std::string TaskID;

    // The five choices for the chosen date and time; the chosen index stays.
    void FillRepeatChoices();
    void Button1Click();

    TDateTime ChosenDate() const;
    void SetChosenDate(TDateTime date);
};

// Opens the form for a listed reminder, or for a new one when the id is not listed.
void EditReminder(const std::string& id);
