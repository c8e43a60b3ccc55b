#include "client/features/newsalert.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/features/mailcheck.h"
#include "client/features/newsfiles.h"
#include "client/features/newsparser.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/graphics.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kLinkRole = Qt::UserRole + 1;

TForm9* g_latest = nullptr;


}  // namespace

TAlertList::TAlertList(QWidget* parent)
    : QTreeWidget(parent)
{
    setObjectName("ListBox1");
    setRootIsDecorated(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
}

std::vector<std::pair<std::string, std::string>> TAlertList::Rows() const
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = topLevelItem(i);
        rows.emplace_back(codepage::FromUnicode(row->text(0)), codepage::FromUnicode(row->data(0, kLinkRole).toString()));
    }
    return rows;
}

std::string TAlertList::AutomationText() const
{
    std::string text;
    for (const auto& [caption, sub] : Rows())
        text += (text.empty() ? "" : "\n") + caption + "\t" + sub;
    return text;
}

void TAlertList::mousePressEvent(QMouseEvent* event)
{
    if (OnPress)
        OnPress();
    QTreeWidget::mousePressEvent(event);
}

std::function<std::int64_t()>& TForm9::Clock()
{
    static std::function<std::int64_t()> clock = [] {
        static QElapsedTimer started = [] {
            QElapsedTimer timer;
            timer.start();
            return timer;
        }();
        return static_cast<std::int64_t>(started.elapsed());
    };
    return clock;
}

TForm9::TForm9(std::uint8_t mode, std::vector<std::string> alertLines)
    : TForm("Form9")
    , m_mode(mode)
    , m_alertLines(std::move(alertLines))
{
    g_latest = this;
    SetBorderStyle(bsSingle);
    SetPosition(poScreenCenter);
    SetFormStyle(fsStayOnTop);
    SetClientWidth(465);
    SetClientHeight(256);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(8, 8, 32, 32);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(48, 8, 400, 32);
    Label1->setFont(ToQFont(TFontSpec("Arial", 16, fsBold)));
    ListBox1 = new TAlertList(this);
    ListBox1->setGeometry(8, 48, 449, 166);
    CloseButton = new QPushButton("&Close", this);
    CloseButton->setObjectName("CloseButton");
    CloseButton->setGeometry(382, 222, 75, 25);
    DetailsButton = new QPushButton("&Details", this);
    DetailsButton->setObjectName("DetailsButton");
    DetailsButton->setGeometry(300, 222, 75, 25);
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Application::Guarded([this] { Timer1Timer(); }); });
    QObject::connect(CloseButton, &QPushButton::clicked, this, [this] { Close(); });
    QObject::connect(DetailsButton, &QPushButton::clicked, this, [this] { Application::Guarded([this] { DetailsClick(); }); });
    QObject::connect(ListBox1, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_mode == NewsMode)
            Application::Guarded([this] { DetailsClick(); });
    });
    ListBox1->OnPress = [this] { restartTimeout(); };
    OnClose = [this](TCloseAction& action) {
        if (m_mode == NewsMode) {
            std::string text;
            for (const std::string& line : m_alertLines)
                text += line + "\r\n";
            WriteFileAtomically(NewsFile("Alerts.txt"), text);
        }
        action = caFree;
    };
    Loaded();
    FormShow();
}

TForm9::~TForm9()
{
    if (g_latest == this)
        g_latest = nullptr;
}

void TForm9::FormShow()
{
    if (m_mode == NewsMode)
        fillNews();
    else
        fillMail();
    fitColumns();
    restartTimeout();
}

void TForm9::showHeading(const std::string& caption, const char* heading, const std::string& icon)
{
    SetCaption(caption);
    Label1->setText(heading);
    const std::string file = NewsFile(icon);
    if (FileExists(file))
        Image1->setPixmap(QPixmap(QString::fromStdString(FileSystemName(file))).scaled(32, 32));
}

void TForm9::fillNews()
{
    showHeading("News Alert", "News Alert!", "assets/news.ico");
    ListBox1->setHeaderLabels({ "Breaking Headlines" });
    for (const std::string& line : m_alertLines) {
        if (ListBox1->topLevelItemCount() >= kMaxRows)
            break;
        const std::size_t split = line.find(kNewsSeparator);
        auto* row = new QTreeWidgetItem(ListBox1, QStringList { codepage::ToUnicode(line.substr(0, split)) });
        row->setData(0, kLinkRole, codepage::ToUnicode(split == std::string::npos ? std::string() : line.substr(split + 1)));
    }
    ListBox1->setCursor(Qt::PointingHandCursor);
    PlayAppSound(11, false);
}

void TForm9::fillMail()
{
    showHeading("Mail Alert", "You Have Mail!", "assets/mail.ico");
    DetailsButton->setText("Read Mail");
    ListBox1->setHeaderLabels({ "From", "Subject" });
    std::vector<std::pair<std::string, std::string>> rows;
    const std::string folder = TMailCheck::MailFolder(Session().userId);
    if (!folder.empty()) {
        ForEachPageLine(folder + "headers.inf", [&](std::string_view line) {
            if (line.empty())
                return true;
            const std::size_t split = line.find(';');
            rows.emplace_back(std::string(line.substr(0, split)),
                              split == std::string_view::npos ? std::string() : std::string(line.substr(split + 1)));
            return rows.size() < static_cast<std::size_t>(kMaxRows);
        });
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
    for (const auto& [from, subject] : rows) {
        auto* row = new QTreeWidgetItem(ListBox1, QStringList { codepage::ToUnicode(from), codepage::ToUnicode(subject) });
        row->setData(0, kLinkRole, codepage::ToUnicode(subject));
    }
}

void TForm9::fitColumns()
{
    int width = ListBox1->viewport()->width();
    if (ListBox1->topLevelItemCount() >= 8)
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (m_mode == NewsMode) {
        ListBox1->setColumnWidth(0, width);
    } else {
        ListBox1->setColumnWidth(0, 140);
        ListBox1->setColumnWidth(1, std::max(0, width - 140));
    }
}

void TForm9::DetailsClick()
{
    if (m_mode == MailMode) {
        Close();
        if (Form1)
            Form1->SpeedButton10Click();
        return;
    }
    const QTreeWidgetItem* row = ListBox1->currentItem();
    if (!row)
        return;
    const std::string link = codepage::FromUnicode(row->data(0, kLinkRole).toString());
    if (!IsWebLink(link))
        return;
    OpenWebLink(Trim(link));
    PlayAppSound(9, true);
}

void TForm9::restartTimeout()
{
    m_deadline = Clock()() + kTimeoutMs;
    Timer1->start(kTimeoutMs);
}

void TForm9::Timer1Timer()
{
    const std::int64_t left = m_deadline - Clock()();
    if (left > 0) {
        Timer1->start(static_cast<int>(std::min<std::int64_t>(left, kTimeoutMs)));
        return;
    }
    Close();
}

namespace {

// An alert stands on the bar; without the bar there is nothing to alert.
void ShowOnTheBar(TForm9* form)
{
    if (!Form1) {
        form->Free();
        return;
    }
    form->setParent(Form1, form->windowFlags());
    form->Show();
    form->BringToFront();
}

}  // namespace

void ShowNewsAlertWindow(const std::vector<std::string>& alertLines)
{
    ShowOnTheBar(new TForm9(TForm9::NewsMode, alertLines));
}

void ShowMailAlert() { ShowOnTheBar(new TForm9(TForm9::MailMode, {})); }

TForm9* AlertWindow() { return g_latest; }
