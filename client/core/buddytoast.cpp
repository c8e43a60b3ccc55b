#include "client/core/buddytoast.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/sysutils.h"

#include <QApplication>

TForm13* Form13 = nullptr;

TForm13::TForm13() : TForm("Form13")
{
    Form13 = this;
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    setWindowFlag(Qt::Tool, true);
    setAttribute(Qt::WA_ShowWithoutActivating);
    SetBounds(0, 0, 187, 18);
    Panel1 = new QLabel(this);
    Panel1->setObjectName("Panel1");
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFont(ToQFont(TFontSpec("MS Sans Serif", 8)));
    Panel1->setAutoFillBackground(true);
    SetBackgroundColor(clYellow);
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(10000);
    connect(Timer1, &QTimer::timeout, this, [this] {
        SetText("");
        Hide();
    });
    OnResize = [this] { Panel1->setGeometry(0, 0, ClientWidth(), ClientHeight()); };
    Loaded();
}

TForm13::~TForm13()
{
    if (Form13 == this)
        Form13 = nullptr;
}

std::string TForm13::Text() const { return codepage::FromUnicode(Panel1->text()); }
void TForm13::SetText(const std::string& text) { Panel1->setText(codepage::ToUnicode(text)); }

void TForm13::SetBackgroundColor(TColor color)
{
    m_background = color;
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    palette.setColor(QPalette::WindowText, Qt::black);
    Panel1->setPalette(palette);
}

std::string OnlineToastText(const std::string& currentText, const std::string& name, TToastKind kind)
{
    if (kind == tkOffline)
        return name + " is offline";
    int at = Pos(" is online", currentText);
    if (at == 0)
        at = Pos(" are online", currentText);
    if (at == 0)
        return name + " is online";
    return AnsiLowerCase(Copy(currentText, 1, at - 1) + ", " + name + " are online");
}

void ShowOnlineToast(const std::string& name, TToastKind kind)
{
    TForm13* toast = Form13;
    if (!toast)
        return;
    QWidget* previous = QApplication::activeWindow();
    toast->SetTop(0);
    toast->SetBackgroundColor(kind == tkOffline ? clWhite : clYellow);
    toast->SetText(OnlineToastText(toast->Text(), name, kind));
    const int width = 6 * static_cast<int>(toast->Text().size());
    toast->SetBounds(Screen::Width() / 2 - width / 2, 0, width, toast->Height());
    toast->Timer1->start();
    toast->SetVisible(true);
    if (previous && previous != toast)
        previous->activateWindow();
}
