#include "client/features/noteform.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "client/core/scrambler.h"
#include "client/features/nivletcore.h"
#include "client/features/nivlets.h"
#include "client/features/passworddlg.h"
#include "client/features/reminders.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/label.h"

#include <QCheckBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>

#include <algorithm>
#include <QTextBlock>
#include <QTextLayout>

namespace {

constexpr int kWidth = 154;
constexpr int kHeight = 222;
constexpr int kMaxMemoLength = 550;
constexpr int kBottomMargin = 30;
constexpr int kMaxArrivedNoteWindows = 10;

int RandomUpTo(int limit) { return limit <= 0 ? 0 : static_cast<int>(QRandomGenerator::global()->bounded(limit + 1)); }

QString Styled(TColor color) { return QString("color: %1;").arg(ToQColor(color).name()); }

}  // namespace

TForm8::TForm8()
    : TForm("Form8")
{
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetBounds(0, 0, kWidth, kHeight);
    const TFontSpec font("MS Sans Serif", 8);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(1, 1, kWidth - 2, 24);
    title = new TLabel(codepage::ToUnicode(Ansi("Nivlet® ")), this);
    title->setObjectName("title");
    title->setGeometry(20, 5, 100, 16);
    title->setFont(ToQFont(TFontSpec("MS Sans Serif", 8, fsBold)));
    Label3 = new TLabel(this);
    Label3->setObjectName("Label3");
    SetFontAndText(*Label3, TFontSpec("Marlett", 8), "u");
    Label3->setGeometry(kWidth - 16, 4, 12, 16);
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->installEventFilter(this);
    Label1 = new TLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(6, 38, kWidth - 12, 14);
    Label1->setFont(ToQFont(font));
    Label2 = new TLabel(this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(6, 52, kWidth - 12, 14);
    Label2->setFont(ToQFont(font));
    Label2->setVisible(false);
    // The sender's name and date as the sender gave them.
    Label1->SetShowAccelChar(false);
    Label2->SetShowAccelChar(false);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setFrameStyle(QFrame::NoFrame);
    Memo1->setGeometry(6, 68, kWidth - 12, 104);
    Memo1->setFont(ToQFont(font));
    Memo1->installEventFilter(this);
    QObject::connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = Memo1->toPlainText();
        if (text.size() > kMaxMemoLength)
            Memo1->setPlainText(text.left(kMaxMemoLength));
        if (m_composing)
            Memo1->setReadOnly(text.startsWith('#'));
    });
    m_lowerPanel = new QWidget(this);
    m_lowerPanel->setObjectName("Panel1");
    m_lowerPanel->setGeometry(1, kHeight - 51, kWidth - 2, 50);
    const auto button = [this](const char* name, const char* text, int left, int width) {
        auto* b = new QPushButton(codepage::ToUnicode(text), m_lowerPanel);
        b->setObjectName(name);
        b->setFlat(true);
        b->setGeometry(left, 2, width, 22);
        b->setFont(ToQFont(TFontSpec("MS Sans Serif", 8)));
        return b;
    };
    SpeedButton1 = button("SpeedButton1", "&Send", 2, 48);
    SpeedButton2 = button("SpeedButton2", "&Cancel", 51, 48);
    SpeedButton3 = button("SpeedButton3", "Encrypt", 100, 48);
    Button1 = button("Button1", "Open Link", 2, 80);
    Button1->move(2, 26);
    Button1->setVisible(false);
    gotit = new QCheckBox(codepage::ToUnicode("&Thanks, I  know."), m_lowerPanel);
    gotit->setObjectName("gotit");
    gotit->setGeometry(2, 26, kWidth - 6, 20);
    gotit->setFont(ToQFont(TFontSpec("MS Sans Serif", 8)));
    gotit->setVisible(false);
    QObject::connect(SpeedButton1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { SpeedButton1Click(); }); });
    QObject::connect(SpeedButton2, &QPushButton::clicked, this, [this] { Application::Guarded([this] { SpeedButton2Click(); }); });
    QObject::connect(SpeedButton3, &QPushButton::clicked, this, [this] { Application::Guarded([this] { SpeedButton3Click(); }); });
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Button1Click(); }); });
    OnClose = [this](TCloseAction& action) { formClose(action); };
    // A thin border instead of a caption.
    OnPaint = [this](QPainter& canvas) {
        canvas.setPen(Qt::black);
        canvas.drawRect(0, 0, width() - 1, height() - 1);
    };
    OnMouseDown = [this](TMouseButton mouseButton, TShiftState, int x, int y) {
        // The banner drags the window, except the icon's corner below the title.
        const bool icon = x < 16 && y >= 25 && y <= 37;
        m_dragging = mouseButton == mbLeft && y < 38 && !icon;
        m_dragFrom = QPoint(x, y);
    };
    OnMouseMove = [this](TShiftState, int x, int y) {
        if (m_dragging)
            SetBounds(Left() + x - m_dragFrom.x(), Top() + y - m_dragFrom.y(), Width(), Height());
    };
    OnMouseUp = [this](TMouseButton, TShiftState, int, int) { m_dragging = false; };
    setNoteColor(clYellow);
    Loaded();
}

void TForm8::setNoteColor(TColor color)
{
    NoteColor = color;
    SetColor(color);
    Memo1->setStyleSheet(QString("QPlainTextEdit { background: %1; }").arg(ToQColor(color).name()));
}

void TForm8::setLinkBanner()
{
    const std::string banner = AppPath() + "assets/link_default.bmp";
    if (FileExists(banner))
        Image1->setPixmap(QPixmap(QString::fromStdString(FileSystemName(banner))));
}

void TForm8::keepAboveScreenBottom()
{
    if (Top() + Height() > Screen::Height() - kBottomMargin)
        SetTop(std::max(0, Screen::Height() - kBottomMargin - Height()));
}

void TForm8::fitMemoLines()
{
    int lines = 0;
    for (QTextBlock block = Memo1->document()->begin(); block.isValid(); block = block.next())
        lines += block.layout() ? std::max(1, block.layout()->lineCount()) : 1;
    if (lines < 9)
        return;
    const int height = lines * Memo1->fontMetrics().height() + 135;
    SetHeight(height);
    Memo1->resize(Memo1->width(), height - 118);
    m_lowerPanel->move(1, height - m_lowerPanel->height() - 1);
    keepAboveScreenBottom();
}

std::string TForm8::MemoText() const { return codepage::FromUnicode(Memo1->toPlainText()); }

std::string TForm8::ButtonText(QPushButton* button) const { return codepage::FromUnicode(button->text()); }

void TForm8::Compose(const std::string& to, const std::string& link, const std::string& text)
{
    m_composing = true;
    Addressee = to;
    if (!link.empty()) {
        setNoteColor(clLime);
        setLinkBanner();
        LinkField = link;
        std::string memo = text.empty() ? std::string() : text + "\n";
        Memo1->setPlainText(codepage::ToUnicode(memo + "[" + link + "]"));
    } else {
        LinkField = "x";
        Memo1->setPlainText(codepage::ToUnicode(text));
    }
    Label1->setText(codepage::ToUnicode("To: " + to));
    SetCaption("To: " + to);
    const int left = (Form1 ? Form1->Left() : Screen::Width()) - Width() - 10;
    SetBounds(left, std::max(0, QCursor::pos().y() - 60), Width(), Height());
    keepAboveScreenBottom();
    Show();
    Activate();
    Memo1->setFocus();
}

void TForm8::ShowNote(const std::string& from, const std::string& linkField, const std::string& text, TKind kind)
{
    m_composing = false;
    setNoteColor(clYellow);
    SetCaption("From: " + from);
    Label3->setVisible(true);
    if (nivlet::HasWebLink(linkField)) {
        setNoteColor(clLime);
        Button1->setVisible(true);
        Button1->setToolTip("Click here to open this URL");
        Button1->setCursor(Qt::PointingHandCursor);
        setLinkBanner();
    }
    const int screenWidth = Screen::Width();
    const int screenHeight = Screen::Height();
    if (kind == nkReminder) {
        title->setText(codepage::ToUnicode(Ansi("Pralto® ")));
        setNoteColor(clAqua);
        Label1->setStyleSheet(Styled(clBlue));
        Label2->setVisible(true);
        Memo1->resize(Memo1->width(), 124);
        SpeedButton2->setVisible(false);
        SpeedButton3->setVisible(false);
        SetBounds(RandomUpTo(screenWidth / 2 - Width()), RandomUpTo(screenHeight - Height()), Width(), Height());
        gotit->setText(codepage::ToUnicode("&Delete Reminder"));
        gotit->setStyleSheet(Styled(clBlue));
        gotit->setVisible(true);
    } else if (kind == nkQuickTip) {
        setNoteColor(clInfoBk);
        Label1->setStyleSheet(Styled(clRed));
        if (Form1)
            SetBounds(Form1->Left() - Width() - 10, Form1->Top(), Width(), Height());
        SpeedButton2->setVisible(false);
        SpeedButton3->setVisible(false);
        Label3->setVisible(false);
        gotit->setVisible(true);
    }
    SpeedButton2->setText("&Reply");
    SpeedButton1->setText("&Close");
    if (!text.empty() && text.front() == '#')
        SpeedButton3->setText("Decrypt");
    Sender = from;
    LinkField = linkField;
    Label1->setText(codepage::ToUnicode("From: " + from));
    Label2->setText(codepage::ToUnicode(nivlet::DatePart(linkField)));
    Memo1->setPlainText(codepage::ToUnicode(nivlet::FromWireText(text)));
    Memo1->setReadOnly(true);
    if (kind == nkNote) {
        Label1->setStyleSheet(Styled(clRed));
        Label2->setVisible(true);
        SetBounds(RandomUpTo(screenWidth / 2 - Width()),
                  std::max(0, RandomUpTo(screenHeight - Height() - kBottomMargin)), Width(), Height());
    }
    keepAboveScreenBottom();
    // A note that arrives must not take the keyboard from what the user is typing in.
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    Show();
    fitMemoLines();
}

void TForm8::SpeedButton1Click()
{
    if (ButtonText(SpeedButton1) == "&Close") {
        Close();
        return;
    }
    if (m_sending)
        return;
    std::string text;
    for (const char ch : MemoText())
        if (ch != '\n' && ch != '\r')
            text += ch;
    if (!Trim(text).empty()) {
        text = nivlet::ToWireText(text);
        PlayAppSound(12, false);
        Sender = Session().userId;
        // The window's own link field stays as it was, for another try.
        const std::string linkField = LinkField + nivlet::kSeparator + DateTimeToStr(Now());
        TPeerConnection* connection = AsPeerConnection(FindBuddySocket(Addressee));
        // A line the socket cannot take goes the way of an offline note.
        if (!connection || !connection->Write(BuildPeerFrame("note", Session().userId, linkField, Trim(text)))) {
            // The note stays here until the service has taken it.
            m_sending = true;
            SpeedButton1->setEnabled(false);
            SendNivlet(Addressee, Sender, text, linkField, [window = QPointer<TForm8>(this)](bool accepted) {
                if (!window)
                    return;
                window->m_sending = false;
                window->SpeedButton1->setEnabled(true);
                if (accepted)
                    window->Close();
            });
            return;
        }
    }
    Close();
}

void TForm8::SpeedButton2Click()
{
    if (ButtonText(SpeedButton2) == "&Reply")
        ComposeNivlet(Sender, "", "");
    else
        Close();
}

void TForm8::SpeedButton3Click()
{
    if (!m_composing && ButtonText(SpeedButton3) == "Decrypt") {
        std::string entered;
        if (!TPasswordDlg::Ask(entered))
            return;
        std::string scrambled;
        try {
            scrambled = ScrambleText(LowerCase(entered));
        } catch (const EScrambleError&) {
            return;
        }
        if (scrambled != Session().scrambledPassword)
            return;
        SpeedButton3->setText("Encrypt");
        Memo1->setPlainText(codepage::ToUnicode(nivlet::ShiftNoteText(MemoText())));
        return;
    }
    const std::string text = MemoText();
    if (Trim(text).empty())
        return;
    const bool wasReadOnly = Memo1->isReadOnly();
    Memo1->setPlainText(codepage::ToUnicode(nivlet::ShiftNoteText(text)));
    if (!m_composing)
        Memo1->setReadOnly(wasReadOnly);
    SpeedButton3->setText(ButtonText(SpeedButton3) == "Encrypt" ? "Decrypt" : "Encrypt");
}

void TForm8::Button1Click()
{
    const std::string text = MemoText();
    if (!text.empty() && text.front() == '#')
        return;
    NavigateTo(nivlet::LinkPart(LinkField));
}

void TForm8::Label3Click() { SetWindowState(wsMinimized); }

bool TForm8::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label3 && event->type() == QEvent::MouseButtonRelease) {
        Label3Click();
        return true;
    }
    if (watched == Memo1 && m_composing && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Application::Guarded([this] { SpeedButton1Click(); });
            return true;
        }
    }
    return TForm::eventFilter(watched, event);
}

void TForm8::formClose(TCloseAction& action)
{
    if (gotit->isVisible() && gotit->isChecked()) {
        if (codepage::FromUnicode(gotit->text()) == "&Delete Reminder")
            Tasks().DeleteReminder(nivlet::LinkPart(LinkField), false);
        else
            TIniFile(AppPath() + "Channels.ini").WriteBool("repeat", LinkField, true);
    }
    action = caFree;
}

void ComposeNivlet(const std::string& to, const std::string& link, const std::string& text)
{
    if (!Session().online) {
        Application::MessageBox("\rA valid Internet connection was not found. Please connect to the Internet.",
                                Application::Title(), MB_OK | MB_ICONINFORMATION);
        return;
    }
    (new TForm8())->Compose(to, link, text);
}

TForm8* ShowNoteWindow(const std::string& from, const std::string& linkField, const std::string& text, int kind)
{
    auto* window = new TForm8();
    window->ShowNote(from, linkField, text, static_cast<TForm8::TKind>(kind));
    return window;
}

void ShowNoteAlert(const std::string& from, const std::string& linkField, const std::string& text)
{
    // A flood of notes is stored and listed in the guide; only so many pop up at once.
    int open = 0;
    for (TForm* form : Screen::Forms())
        if (const auto* note = dynamic_cast<TForm8*>(form); note && note->OpenedOnArrival && !note->isHidden())
            ++open;
    if (open >= kMaxArrivedNoteWindows)
        return;
    PlayAppSound(8, false);
    ShowNoteWindow(from, linkField, text, TForm8::nkNote)->OpenedOnArrival = true;
}
