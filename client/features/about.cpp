#include "client/features/about.h"

#include "client/core/settings.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/graphics.h"
#include "platform/ui/label.h"
#include "platform/win/sound.h"
#include "platform/win/sysinfo.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kLineHeight = 15;
constexpr int kTextTop = 180;
constexpr int kBlankBelow = 150;
constexpr int kThanksGap = 100;
constexpr int kScrollMs = 45;
const char* const kAboutSound = "aboutSound.wav";

}  // namespace

const std::vector<std::string>& CreditLines()
{
    static const std::vector<std::string> lines {
        "/bKorvo for Linux",
        "",
        "/bDesign and programming",
        "The Korvo team",
        "",
        "/bBuddies, chat and files",
        "Peer network and buddy list",
        "",
        "/bNews, mail and channels",
        "Headlines, mail check and guide",
        "",
        "/bGames",
        "Chess by mail and online",
        "",
        "/bTesting",
        "Everyone who signed on early",
    };
    return lines;
}

QImage DrawCredits(const std::vector<std::string>& lines, const std::string& userName)
{
    const int count = static_cast<int>(lines.size());
    QImage image(Tabout::kCreditsWidth, count * kLineHeight + kTextTop + kBlankBelow, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter canvas(&image);
    canvas.setPen(Qt::black);
    const TFontSpec plain("Ms Sans Serif", 8);
    const TFontSpec bold("Ms Sans Serif", 8, fsBold);
    int y = kTextTop;
    for (const std::string& line : lines) {
        std::string text = line;
        const auto mark = text.find("/b");
        canvas.setFont(ToQFont(mark == std::string::npos ? plain : bold));
        if (mark != std::string::npos)
            text.erase(mark, 2);
        canvas.drawText(10, y + canvas.fontMetrics().ascent(), codepage::ToUnicode(text));
        y += kLineHeight;
    }
    canvas.setFont(ToQFont(plain));
    const int thanks = kTextTop + (count - 1) * kLineHeight + kThanksGap;
    canvas.drawText(10, thanks + canvas.fontMetrics().ascent(),
                    codepage::ToUnicode("Extra special thanks to " + userName + ", We love ya!"));
    return image;
}

std::string FormatKilobytes(unsigned long long kilobytes)
{
    std::string digits = std::to_string(kilobytes);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits + " KB";
}

Tabout::Tabout()
    : TForm("about")
{
    SetCaption("About");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(380);
    SetClientHeight(386);
    const auto label = [this](const char* name, const std::string& text, int x, int y, int width) {
        auto* item = new TLabel(codepage::ToUnicode(text), this);
        item->setObjectName(name);
        item->setGeometry(x, y, width, 18);
        return item;
    };
    ProductName = label("ProductName", Ansi("KORVO®"), 12, 10, 356);
    QFont heading = ProductName->font();
    heading.setBold(true);
    heading.setPixelSize(18);
    ProductName->setFont(heading);
    ProductName->setFixedHeight(24);
    Version = label("Version", "", 12, 38, 356);
    MemoryLabel = label("MemoryLabel", "Memory Available:", 12, 60, 110);
    PhysMem = label("PhysMem", "", 124, 60, 244);
    PaintBox1 = new QWidget(this);
    PaintBox1->setObjectName("PaintBox1");
    PaintBox1->setGeometry(11, 88, kCreditsWidth, kViewHeight);
    PaintBox1->installEventFilter(this);
    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(152, 350, 75, 25);
    Timer1 = new QTimer(this);
    Timer1->setInterval(kScrollMs);
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Application::Guarded([this] { Timer1Timer(); }); });
    QObject::connect(OKButton, &QPushButton::clicked, this, [this] { Application::Guarded([this] { OKButtonClick(); }); });
    OnShow = [this] { FormShow(); };
    // Closing, however it happens, ends the tune.
    OnClose = [](TCloseAction&) { PlaySound("", SND_PURGE); };
    m_credits = DrawCredits(CreditLines(), TIniFile(kLarkspireIni).ReadString("MAIN", "userName", "Unknown"));
    Loaded();
}

Tabout::~Tabout() { PlaySound("", SND_PURGE); }

void Tabout::FormShow()
{
    MEMORYSTATUS memory;
    GlobalMemoryStatus(&memory);
    PhysMem->setText(codepage::ToUnicode(FormatKilobytes(memory.dwTotalPhys / 1024)));
    Version->setText(codepage::ToUnicode("Version " + TIniFile(kLarkspireIni).ReadString("MAIN", "Version", "Unknown")));
    PlaySound(kAboutSound, SND_ASYNC | SND_LOOP | SND_NODEFAULT | SND_FILENAME);
    Timer1->start();
}

void Tabout::Timer1Timer()
{
    if (++m_offset >= m_credits.height())
        m_offset = 0;
    PaintBox1->update();
}

void Tabout::OKButtonClick()
{
    Timer1->stop();
    SetModalResult(mrOk);
    Close();
}

void Tabout::PaintCredits(QPainter& canvas) const
{
    // Rows past the picture's end show the window's background, as the copy leaves them.
    canvas.fillRect(0, 0, kCreditsWidth, kViewHeight, Qt::white);
    const int rows = std::min(kViewHeight, m_credits.height() - m_offset);
    canvas.drawImage(QPoint(0, 0), m_credits, QRect(0, m_offset, kCreditsWidth, rows));
}

bool Tabout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PaintBox1 && event->type() == QEvent::Paint) {
        QPainter canvas(PaintBox1);
        PaintCredits(canvas);
        return true;
    }
    return TForm::eventFilter(watched, event);
}

void ShowAbout()
{
    Tabout about;
    about.ShowModal();
}
