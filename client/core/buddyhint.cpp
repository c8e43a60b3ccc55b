#include "client/core/buddyhint.h"

#include "platform/rtl/codepage.h"

#include <QCursor>
#include <QFrame>

TAwayMessageHint* AwayMessageHint = nullptr;

TAwayMessageHint::TAwayMessageHint() : TForm("AwayMessageHint")
{
    AwayMessageHint = this;
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    setWindowFlag(Qt::ToolTip, true);
    setAttribute(Qt::WA_ShowWithoutActivating);
    SetBounds(0, 0, 150, 60);
    auto* frame = new QFrame(this);
    frame->setObjectName("Frame");
    frame->setGeometry(0, 0, 150, 60);
    frame->setStyleSheet(QString("QFrame#Frame { border: 1px solid %1; background: %2; }")
                             .arg(ToQColor(clOlive).name(), ToQColor(clInfoBk).name()));
    buddy = new QLabel(frame);
    buddy->setObjectName("buddy");
    buddy->setGeometry(4, 2, 142, 14);
    buddy->setFont(ToQFont(TFontSpec("MS Sans Serif", 8, fsBold)));
    awaymessage = new QLabel(frame);
    awaymessage->setObjectName("awaymessage");
    awaymessage->setGeometry(4, 17, 142, 40);
    awaymessage->setWordWrap(true);
    awaymessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    awaymessage->setFont(ToQFont(TFontSpec("MS Sans Serif", 8)));
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Application::Guarded([this] { Timer1Timer(); }); });
    OnDeactivate = [this] { Dismiss(); };
    Loaded();
}

TAwayMessageHint::~TAwayMessageHint()
{
    if (AwayMessageHint == this)
        AwayMessageHint = nullptr;
}

void TAwayMessageHint::SetTitle(const std::string& title) { buddy->setText(codepage::ToUnicode(title)); }
void TAwayMessageHint::SetMessage(const std::string& message) { awaymessage->setText(codepage::ToUnicode(message)); }
std::string TAwayMessageHint::Title() const { return codepage::FromUnicode(buddy->text()); }
std::string TAwayMessageHint::Message() const { return codepage::FromUnicode(awaymessage->text()); }

void TAwayMessageHint::Dismiss()
{
    m_buddyName.clear();
    Timer1->stop();
    Hide();
}

void TAwayMessageHint::Timer1Timer()
{
    const bool inside = Watched && Watched->isVisible() && Watched->rect().contains(Watched->mapFromGlobal(QCursor::pos()));
    if (!inside)
        Dismiss();
    else if (!Visible())
        SetVisible(true);
}
