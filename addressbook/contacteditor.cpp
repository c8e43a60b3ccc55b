#include "addressbook/contacteditor.h"

#include "addressbook/contactstore.h"
#include "client/core/servicequery.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/label.h"
#include "platform/win/shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

namespace tivra {

namespace {


std::string TextOf(const QLineEdit* edit) { return codepage::FromUnicode(edit->text()); }
std::string TrimmedOf(const QLineEdit* edit) { return Trim(codepage::FromUnicode(edit->text())); }

std::vector<std::string> LinesOf(const QPlainTextEdit* edit)
{
    std::vector<std::string> lines;
    const QString text = edit->toPlainText();
    if (text.isEmpty())
        return lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        lines.push_back(codepage::FromUnicode(line));
    return lines;
}

void SetLines(QPlainTextEdit* edit, const std::vector<std::string>& lines)
{
    QStringList text;
    for (const std::string& line : lines)
        text << codepage::ToUnicode(line);
    edit->setPlainText(text.join(QLatin1Char('\n')));
}

QDate ToQDate(TDateTime date)
{
    int year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    return QDate(year, month, day);
}

TDateTime FromQDate(const QDate& date) { return EncodeDate(date.year(), date.month(), date.day()); }

bool HasDefaultMark(const std::string& entry)
{
    const std::string mark = kDefaultMark;
    return entry.size() >= mark.size() && entry.compare(entry.size() - mark.size(), mark.size(), mark) == 0;
}

std::string WithoutDefaultMark(std::string entry)
{
    const auto at = entry.find(kDefaultMark);
    if (at != std::string::npos)
        entry.erase(at, std::char_traits<char>::length(kDefaultMark));
    return entry;
}

// One tab: its opening line, then label and field pairs in a grid.
class Page {
public:
    Page(QTabWidget* tabs, const char* title, const char* opening)
        : m_page(new QWidget)
        , m_grid(new QGridLayout)
    {
        auto* layout = new QVBoxLayout(m_page);
        auto* line = new TLabel(codepage::ToUnicode(opening), m_page);
        layout->addWidget(line);
        layout->addLayout(m_grid);
        layout->addStretch(1);
        tabs->addTab(m_page, codepage::ToUnicode(title));
    }

    QWidget* widget() const { return m_page; }
    QLabel* lastLabel() const { return m_lastLabel; }

    template <typename Field>
    Field* add(const char* label, const char* name, Field* field, int column = 0)
    {
        field->setObjectName(name);
        auto* caption = new TLabel(codepage::ToUnicode(label), m_page);
        caption->setBuddy(field);
        m_lastLabel = caption;
        const int row = m_rows[column]++;
        m_grid->addWidget(caption, row, column * 2);
        m_grid->addWidget(field, row, column * 2 + 1);
        return field;
    }

    QLineEdit* edit(const char* label, const char* name, int column = 0)
    {
        return add(label, name, new QLineEdit(m_page), column);
    }

    void place(QWidget* widget, int column = 0)
    {
        const int row = m_rows[column]++;
        m_grid->addWidget(widget, row, column * 2, 1, 2);
    }

private:
    QWidget* m_page;
    QGridLayout* m_grid;
    QLabel* m_lastLabel { nullptr };
    int m_rows[2] { 0, 0 };
};

QPushButton* Button(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(codepage::ToUnicode(caption), parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

TForm2::TForm2(TAddContactItem addContactItem)
    : TForm("Form2")
    , m_addContactItem(std::move(addContactItem))
{
    SetCaption("Properties");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu | biHelp);
    SetPosition(poScreenCenter);
    SetClientWidth(503);
    SetClientHeight(399);

    auto* outer = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("PageControl1");
    outer->addWidget(tabs, 1);
    const auto guarded = [](auto handler) { return [handler] { Application::Guarded(handler); }; };

    Page contact(tabs, "Contact", "Enter general information about this contact here.");
    FirstName = contact.edit("&First:", "FirstName");
    MiddleName = contact.edit("&Middle:", "MiddleName", 1);
    LastName = contact.edit("&Last:", "LastName");
    BuddyName = contact.edit("&Buddy name:", "BuddyName", 1);
    auto* addresses = new QGroupBox(codepage::ToUnicode("E-&Mail Addresses"), contact.widget());
    auto* addressLayout = new QGridLayout(addresses);
    auto* newLabel = new TLabel(codepage::ToUnicode("Add &New"), addresses);
    addressLayout->addWidget(newLabel, 0, 0);
    NewEmail = new QLineEdit(addresses);
    NewEmail->setObjectName("NewEmail");
    newLabel->setBuddy(NewEmail);
    addressLayout->addWidget(NewEmail, 0, 1);
    EmailList = new QListWidget(addresses);
    EmailList->setObjectName("EmailList");
    addressLayout->addWidget(EmailList, 1, 0, 4, 2);
    AddEmail = Button(addresses, "AddEmail", "&Add");
    EditEmail = Button(addresses, "EditEmail", "&Edit");
    RemoveEmail = Button(addresses, "RemoveEmail", "&Remove");
    DefaultEmail = Button(addresses, "DefaultEmail", "&Set as Default");
    addressLayout->addWidget(AddEmail, 0, 2);
    addressLayout->addWidget(EditEmail, 1, 2);
    addressLayout->addWidget(RemoveEmail, 2, 2);
    addressLayout->addWidget(DefaultEmail, 3, 2);
    for (QPushButton* button : { AddEmail, EditEmail, RemoveEmail, DefaultEmail })
        button->setEnabled(false);
    contact.place(addresses);
    OnBuddyList = new QCheckBox(codepage::ToUnicode("Add to my Buddy List"), contact.widget());
    OnBuddyList->setObjectName("OnBuddyList");
    OnBuddyList->setEnabled(false);
    contact.place(OnBuddyList);

    Page home(tabs, "Home", "Enter home-related information about this contact here.");
    HomePhone = home.edit("&Home Phone:", "HomePhone", 1);
    HomeFax = home.edit("Fax:", "HomeFax", 1);
    HomeCellular = home.edit("Cellular:", "HomeCellular", 1);
    HomeOffice = home.edit("Home Office:", "HomeOffice", 1);
    HomeStreet = home.add("Street Address:", "HomeStreet", new QPlainTextEdit(home.widget()));
    HomeCity = home.edit("City:", "HomeCity");
    HomeState = home.edit("State/Province:", "HomeState");
    HomeState->setMaxLength(2);
    HomeZip = home.edit("Zip Code:", "HomeZip");
    HomeCountry = home.edit("Country:", "HomeCountry");
    HomeIP = home.edit("IP Address:", "HomeIP", 1);
    HomeWebPage = home.edit("Personal Web Page:", "HomeWebPage", 1);
    HomeWebPage->setText("http://");
    home.place(Button(home.widget(), "HomeGo", "Go >>"), 1);
    auto* homeMap = Button(home.widget(), "HomeMap", "&Find on Map (US only)");
    home.place(homeMap);

    Page business(tabs, "Business", "Enter business-related information about this contact here.");
    Company = business.edit("Company:", "Company");
    JobTitle = business.edit("&Job Title:", "JobTitle");
    Department = business.edit("&Department:", "Department");
    BusinessStreet = business.add("Street Address:", "BusinessStreet", new QPlainTextEdit(business.widget()));
    BusinessCity = business.edit("City:", "BusinessCity");
    BusinessState = business.edit("State/Province:", "BusinessState");
    BusinessState->setMaxLength(2);
    BusinessZip = business.edit("Zip Code:", "BusinessZip");
    BusinessCountry = business.edit("Country:", "BusinessCountry");
    BusinessPhone = business.edit("&Phone:", "BusinessPhone", 1);
    BusinessFax = business.edit("Fax:", "BusinessFax", 1);
    BusinessCellular = business.edit("Cellular:", "BusinessCellular", 1);
    Pager = business.edit("Pager:", "Pager", 1);
    Assistant = business.edit("Assistant:", "Assistant", 1);
    BusinessWebPage = business.edit("Business Web Page:", "BusinessWebPage", 1);
    BusinessWebPage->setText("http://");
    business.place(Button(business.widget(), "BusinessGo", "Go >>"), 1);
    auto* businessMap = Button(business.widget(), "BusinessMap", "&Find on Map (US only)");
    business.place(businessMap);

    Page personal(tabs, "Personal", "Enter personal information about this contact here.");
    Spouse = personal.edit("Spouse Name:", "Spouse");
    Children = personal.add("Children (0):", "Children", new QPlainTextEdit(personal.widget()));
    ChildrenLabel = personal.lastLabel();
    ChildrenLabel->setObjectName("ChildrenLabel");
    const auto datePicker = [&personal](const char* label, const char* name) {
        auto* picker = personal.add(label, name, new QDateEdit(personal.widget()), 1);
        picker->setDisplayFormat("M/d/yyyy");
        picker->setCalendarPopup(true);
        picker->setDate(QDate(1998, 9, 25));
        return picker;
    };
    Birthday = datePicker("Birthday:", "Birthday");
    Anniversary = datePicker("Anniversary:", "Anniversary");
    Sport = personal.edit("Favorite Sport:", "Sport", 1);
    Food = personal.edit("Favorite Food:", "Food", 1);
    Hobby = personal.edit("Hobby:", "Hobby", 1);
    Gender = personal.add("Gender:", "Gender", new QComboBox(personal.widget()));
    Gender->addItems({ "Unspecified", "Male", "Female" });
    auto* reminders = new QGroupBox(codepage::ToUnicode("Reminders"), personal.widget());
    auto* reminderLayout = new QVBoxLayout(reminders);
    BirthdayAlert = new QCheckBox(codepage::ToUnicode("Remind me of this contact's birthday"), reminders);
    BirthdayAlert->setObjectName("BirthdayAlert");
    AnniversaryAlert = new QCheckBox(codepage::ToUnicode("Remind me of this contact's anniversary"), reminders);
    AnniversaryAlert->setObjectName("AnniversaryAlert");
    BirthdayAlert->setEnabled(false);
    AnniversaryAlert->setEnabled(false);
    reminderLayout->addWidget(BirthdayAlert);
    reminderLayout->addWidget(AnniversaryAlert);
    personal.place(reminders);

    auto* other = new QWidget;
    auto* otherLayout = new QVBoxLayout(other);
    otherLayout->addWidget(new TLabel(codepage::ToUnicode("Enter additional notes about this contact here."), other));
    auto* notesBox = new QGroupBox(codepage::ToUnicode("Notes"), other);
    auto* notesLayout = new QVBoxLayout(notesBox);
    Notes = new QPlainTextEdit(notesBox);
    Notes->setObjectName("Notes");
    notesLayout->addWidget(Notes);
    otherLayout->addWidget(notesBox, 1);
    tabs->addTab(other, codepage::ToUnicode("Other"));

    auto* buttons = new QHBoxLayout;
    AddToBookButton = Button(this, "AddToBookButton", "Add &to Address Book");
    AddToBookButton->setVisible(false);
    buttons->addWidget(AddToBookButton);
    buttons->addStretch(1);
    CancelButton = Button(this, "CancelButton", "&Cancel");
    OkButton = Button(this, "OkButton", "Ok");
    buttons->addWidget(CancelButton);
    buttons->addWidget(OkButton);
    outer->addLayout(buttons);

    for (QLineEdit* name : { FirstName, MiddleName, LastName })
        QObject::connect(name, &QLineEdit::textChanged, this, [this] { updateCaption(); });
    QObject::connect(Children, &QPlainTextEdit::textChanged, this, [this] { updateChildrenLabel(); });
    QObject::connect(BuddyName, &QLineEdit::textChanged, this,
        [this] { OnBuddyList->setEnabled(!TrimmedOf(BuddyName).empty()); });
    QObject::connect(NewEmail, &QLineEdit::textChanged, this, [this] { AddEmail->setEnabled(!NewEmail->text().isEmpty()); });
    const auto listClick = [this] { updateEmailButtons(!EmailList->selectedItems().isEmpty()); };
    QObject::connect(EmailList, &QListWidget::itemSelectionChanged, this, listClick);
    QObject::connect(EmailList, &QListWidget::itemClicked, this, listClick);
    QObject::connect(AddEmail, &QPushButton::clicked, this, guarded([this] { AddEmailClick(); }));
    QObject::connect(EditEmail, &QPushButton::clicked, this, guarded([this] { EditEmailClick(); }));
    QObject::connect(RemoveEmail, &QPushButton::clicked, this, guarded([this] { RemoveEmailClick(); }));
    QObject::connect(DefaultEmail, &QPushButton::clicked, this, guarded([this] { SetDefaultEmailClick(); }));
    QObject::connect(homeMap, &QPushButton::clicked, this, guarded([this] { FindOnMapClick(false); }));
    QObject::connect(businessMap, &QPushButton::clicked, this, guarded([this] { FindOnMapClick(true); }));
    QObject::connect(OkButton, &QPushButton::clicked, this, guarded([this] { OkClick(); }));
    QObject::connect(CancelButton, &QPushButton::clicked, this, guarded([this] { Close(); }));
    QObject::connect(AddToBookButton, &QPushButton::clicked, this, guarded([this] { AddToAddressBookClick(); }));
    OnShow = [this] { FormShow(); };
    Loaded();
}

TForm2::~TForm2()
{
    // The fields outlive this part of the window: their last changes must not reach it.
    for (QWidget* field : findChildren<QWidget*>())
        field->blockSignals(true);
}

void TForm2::FormShow()
{
    m_root = AddressBookRoot();
    // Started alone, the editor may be the first to write into the address book.
    CreateAddressBookRoot(m_root);
    FirstName->setFocus();
    Gender->setCurrentIndex(0);
    if (Mode == "Edit" || Mode == "View")
        m_opened = Path;
    if (Mode == "Edit") {
        LoadContact();
    } else if (Mode == "View") {
        LoadContact();
        OkButton->setVisible(false);
        AddToBookButton->setVisible(true);
        AddToBookButton->setFocus();
    }
}

void TForm2::LoadContact()
{
    const TContact c = ReadContact(Path);
    FirstName->setText(codepage::ToUnicode(c.FirstName));
    MiddleName->setText(codepage::ToUnicode(c.MiddleName));
    LastName->setText(codepage::ToUnicode(c.LastName));
    BuddyName->setText(codepage::ToUnicode(c.Nickname));
    OnBuddyList->setChecked(c.OnBuddyList);
    HomeCity->setText(codepage::ToUnicode(c.HomeCity));
    HomeState->setText(codepage::ToUnicode(c.HomeState));
    HomeZip->setText(codepage::ToUnicode(c.HomeZip));
    HomeCountry->setText(codepage::ToUnicode(c.HomeCountry));
    HomePhone->setText(codepage::ToUnicode(c.HomePhone));
    HomeFax->setText(codepage::ToUnicode(c.HomeFax));
    HomeCellular->setText(codepage::ToUnicode(c.HomeCellular));
    HomeOffice->setText(codepage::ToUnicode(c.HomeOffice));
    HomeIP->setText(codepage::ToUnicode(c.HomeIP));
    HomeWebPage->setText(codepage::ToUnicode(c.HomeWebPage));
    Gender->setCurrentIndex(Gender->findText(codepage::ToUnicode(c.Gender)));
    Company->setText(codepage::ToUnicode(c.Company));
    BusinessCity->setText(codepage::ToUnicode(c.BusinessCity));
    BusinessState->setText(codepage::ToUnicode(c.BusinessState));
    BusinessZip->setText(codepage::ToUnicode(c.BusinessZip));
    BusinessCountry->setText(codepage::ToUnicode(c.BusinessCountry));
    JobTitle->setText(codepage::ToUnicode(c.JobTitle));
    Department->setText(codepage::ToUnicode(c.Department));
    BusinessPhone->setText(codepage::ToUnicode(c.BusinessPhone));
    BusinessFax->setText(codepage::ToUnicode(c.BusinessFax));
    BusinessCellular->setText(codepage::ToUnicode(c.BusinessCellular));
    Pager->setText(codepage::ToUnicode(c.Pager));
    Assistant->setText(codepage::ToUnicode(c.Assistant));
    BusinessWebPage->setText(codepage::ToUnicode(c.BusinessWebPage));
    Spouse->setText(codepage::ToUnicode(c.Spouse));
    Birthday->setDate(ToQDate(c.Birthday));
    Anniversary->setDate(ToQDate(c.Anniversary));
    Sport->setText(codepage::ToUnicode(c.Sport));
    Food->setText(codepage::ToUnicode(c.Food));
    Hobby->setText(codepage::ToUnicode(c.Hobby));
    AnniversaryAlert->setChecked(c.AnniversaryAlert);
    BirthdayAlert->setChecked(c.BirthdayAlert);
    SetLines(Notes, c.Notes);
    SetLines(HomeStreet, c.HomeAddress);
    SetLines(BusinessStreet, c.BusinessAddress);
    SetLines(Children, c.Children);
    EmailList->clear();
    for (const std::string& entry : c.MailAccounts)
        EmailList->addItem(codepage::ToUnicode(entry));
    if (!m_addContactItem)
        Application::SetTitle(Trim(c.FirstName + " " + c.MiddleName) + " " + Trim(c.LastName) + " Properties");
}

void TForm2::updateCaption()
{
    SetCaption(Trim(Trim(TextOf(FirstName)) + " " + Trim(TextOf(MiddleName))) + " " + Trim(TextOf(LastName))
        + " Properties");
}

void TForm2::updateChildrenLabel()
{
    int count = 0;
    for (const std::string& line : LinesOf(Children)) {
        if (!Trim(line).empty())
            ++count;
    }
    ChildrenLabel->setText(codepage::ToUnicode("Children (" + IntToStr(count) + ")"));
}

void TForm2::updateEmailButtons(bool selected)
{
    EditEmail->setEnabled(selected);
    RemoveEmail->setEnabled(selected);
    DefaultEmail->setEnabled(selected);
}

void TForm2::AddEmailClick()
{
    std::string text = TextOf(NewEmail);
    const bool at = text.find('@') != std::string::npos;
    if (!at || text.find('.') == std::string::npos) {
        NewEmail->setFocus();
        return;
    }
    if (Trim(text).empty())
        return;
    if (EmailList->count() == 0)
        text += kDefaultMark;
    EmailList->addItem(codepage::ToUnicode(Trim(text)));
    NewEmail->clear();
    NewEmail->setFocus();
}

void TForm2::EditEmailClick()
{
    QListWidgetItem* item = EmailList->currentItem();
    if (!item || !item->isSelected())
        return;
    NewEmail->setText(codepage::ToUnicode(WithoutDefaultMark(codepage::FromUnicode(item->text()))));
    delete item;
    updateEmailButtons(false);
    NewEmail->setFocus();
}

void TForm2::RemoveEmailClick()
{
    QListWidgetItem* item = EmailList->currentItem();
    if (!item || !item->isSelected())
        return;
    delete item;
    updateEmailButtons(false);
}

void TForm2::SetDefaultEmailClick()
{
    QListWidgetItem* chosen = EmailList->currentItem();
    if (!chosen || !chosen->isSelected())
        return;
    // One default: the marks of the others go, so the one shown is the one saved.
    for (int i = 0; i < EmailList->count(); ++i) {
        QListWidgetItem* item = EmailList->item(i);
        if (item != chosen && HasDefaultMark(codepage::FromUnicode(item->text())))
            item->setText(codepage::ToUnicode(WithoutDefaultMark(codepage::FromUnicode(item->text()))));
    }
    chosen->setText(codepage::ToUnicode(WithoutDefaultMark(codepage::FromUnicode(chosen->text())) + kDefaultMark));
    chosen->setSelected(true);
}

bool TForm2::SaveContact()
{
    const std::string first = TrimmedOf(FirstName), middle = TrimmedOf(MiddleName), last = TrimmedOf(LastName);
    const std::string name = ContactBaseName(first, middle, last);
    if (name.empty())
        return false;
    if (Mode == "New")
        Path = m_root + "/";
    const auto slash = Path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
    const std::string target = folder + name + ".zkt";
    const bool exists = FileExists(target);
    // Another contact's file is never replaced unasked; only the file opened here is ours.
    const bool sameFile = !m_opened.empty() && SameFile(target, m_opened);
    if (exists && !sameFile
        && MessageDlg("\rA contact named '" + Trim(Trim(first + " " + middle) + " " + last)
                + "' already exists. Replace it?",
               mtConfirmation, mbYes | mbNo, 0)
            != mrYes)
        return false;
    Path = target;

    TContact c;
    c.FirstName = first;
    c.MiddleName = middle;
    c.LastName = last;
    c.Nickname = TrimmedOf(BuddyName);
    c.OnBuddyList = OnBuddyList->isChecked();
    c.HomeCity = TextOf(HomeCity);
    c.HomeState = TextOf(HomeState);
    c.HomeZip = TextOf(HomeZip);
    c.HomeCountry = TextOf(HomeCountry);
    c.HomePhone = TextOf(HomePhone);
    c.HomeFax = TextOf(HomeFax);
    c.HomeCellular = TextOf(HomeCellular);
    c.HomeOffice = TextOf(HomeOffice);
    c.HomeIP = TextOf(HomeIP);
    c.HomeWebPage = TextOf(HomeWebPage);
    c.Gender = codepage::FromUnicode(Gender->currentText());
    c.Company = TextOf(Company);
    c.BusinessCity = TextOf(BusinessCity);
    c.BusinessState = TextOf(BusinessState);
    c.BusinessZip = TextOf(BusinessZip);
    c.BusinessCountry = TextOf(BusinessCountry);
    c.JobTitle = TextOf(JobTitle);
    c.Department = TextOf(Department);
    c.BusinessPhone = TextOf(BusinessPhone);
    c.BusinessFax = TextOf(BusinessFax);
    c.BusinessCellular = TextOf(BusinessCellular);
    c.Pager = TextOf(Pager);
    c.Assistant = TextOf(Assistant);
    c.BusinessWebPage = TextOf(BusinessWebPage);
    c.Spouse = TextOf(Spouse);
    c.Birthday = FromQDate(Birthday->date());
    c.Anniversary = FromQDate(Anniversary->date());
    c.Sport = TextOf(Sport);
    c.Food = TextOf(Food);
    c.Hobby = TextOf(Hobby);
    c.AnniversaryAlert = AnniversaryAlert->isChecked();
    c.BirthdayAlert = BirthdayAlert->isChecked();
    c.Notes = LinesOf(Notes);
    c.HomeAddress = LinesOf(HomeStreet);
    c.BusinessAddress = LinesOf(BusinessStreet);
    c.Children = LinesOf(Children);
    for (int i = 0; i < EmailList->count(); ++i)
        c.MailAccounts.push_back(codepage::FromUnicode(EmailList->item(i)->text()));

    const std::string display = Trim(Trim(first + " " + middle) + " " + last);
    const std::string email = DefaultAddress(c.MailAccounts);
    // The row follows the file only once it is written; a refused write raises before.
    WriteContact(Path, c);
    if (m_addContactItem) {
        if (exists && Row)
            m_addContactItem(Row, Path, display, Trim(c.HomePhone), Trim(c.BusinessPhone), email, last,
                middle, first);
        else if (!exists && Mode != "View" && Mode != "New")
            m_addContactItem(nullptr, Path, display, Trim(c.HomePhone), Trim(c.BusinessPhone), email, last,
                middle, first);
    }
    return true;
}

void TForm2::OkClick()
{
    const bool blank = ContactBaseName(TrimmedOf(FirstName), TrimmedOf(MiddleName), TrimmedOf(LastName)).empty();
    if (SaveContact() || blank)
        Close();
}

void TForm2::AddToAddressBookClick()
{
    // Written first; the viewed file goes only once the contact is safe elsewhere.
    const std::string viewed = Path;
    Path = m_root + "/" + ExtractFileName(viewed);
    if (SaveContact() && !SameFile(Path, viewed))
        DeleteFile(viewed);
    Close();
}

std::string TForm2::MapUrl(const std::string& street, const std::string& city, const std::string& zip,
    const std::string& state)
{
    return std::string("http://") + kMapHost + "/py/maps.py?Pyt=Tmap&addr=" + EncodeServiceValue(street)
        + "&csz=" + EncodeServiceValue(city) + "%2C+" + EncodeServiceValue(state) + "+" + EncodeServiceValue(zip)
        + "&Get+Map=Get+Map";
}

void TForm2::OpenMap(const std::string& street, const std::string& city, const std::string& zip,
    const std::string& state)
{
    ShellOpen(MapUrl(street, city, zip, state));
}

void TForm2::FindOnMapClick(bool business)
{
    const std::string street = Trim(codepage::FromUnicode((business ? BusinessStreet : HomeStreet)->toPlainText()));
    const std::string city = TrimmedOf(business ? BusinessCity : HomeCity);
    const std::string state = TrimmedOf(business ? BusinessState : HomeState);
    const std::string zip = TrimmedOf(business ? BusinessZip : HomeZip);
    if (street.empty() || city.empty() || state.empty() || zip.empty()) {
        MessageBox(this, "\rPlease enter the ADDRESS, CITY, STATE and ZIP information.", Application::Title(),
            MB_OK | MB_ICONWARNING);
        return;
    }
    OpenMap(street, city, zip, state);
}

}  // namespace tivra
