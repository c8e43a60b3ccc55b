#include "client/core/ownerform.h"

#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/core/sessionchain.h"
#include "client/core/signon.h"
#include "platform/rtl/codepage.h"

#include <QPainter>
#include <QPixmap>

QIcon KorvoIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 128, 0));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 30, 30);
    painter.setPen(QColor(0, 255, 0));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, "K");
    painter.end();
    return QIcon(pixmap);
}

TForm10::TForm10() : TForm("Form10")
{
    QORTrayIcon1 = std::make_unique<TQORTrayIcon>(this);
    QORTrayIcon1->SetIcon(KorvoIcon());
    QORTrayIcon1->SetHint(Ansi("Korvo®"));
    QORTrayIcon1->OnClick = [this](TQORTrayIcon* sender) { QORTrayIcon1Click(sender); };
    QORTrayIcon1->Loaded();
    OnCreate = [this] { FormCreate(); };
    Loaded();
}

TForm10::~TForm10() = default;

void TForm10::FormCreate()
{
    // The hand cursor of the splash picture and the buddy list is Qt's own.
    ShowSignOn();
}

void TForm10::QORTrayIcon1Click(TQORTrayIcon* Sender)
{
    if (Signon())
        Signon()->Activate();
    else if (!Form1)
        // The sign-on window was closed with its close box: the icon is the way back to it.
        ShowSignOn();
    if (Form1) {
        // A bar at or left of its docked place goes out of sight; a tucked one comes back.
        if (Session().dockedLeft >= Form1->Left())
            Form1->Tuck();
        else
            Form1->Untuck();
    }
}
