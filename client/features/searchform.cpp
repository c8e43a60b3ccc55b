#include "client/features/searchform.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/servicelogon.h"
#include "client/features/favourites.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/label.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

TSearchform* g_bar = nullptr;


std::string EnginesFolder() { return AppPath() + "engines"; }
std::string QueriesFile() { return EnginesFolder() + "/queries.txt"; }
std::string ResearchFile() { return EnginesFolder() + "/research.txt"; }

constexpr int kBarHeight = 33;
constexpr int kBlinkTicks = 6;
constexpr int kQueryLeft = 344;
constexpr int kQueryMinWidth = 160;
// Narrower than this the query box does not get for the directions and sample text.
constexpr int kQueryLeastWidth = 60;
constexpr int kTextLeft = 40;

// A press on the display name makes its engine the default.
class PressFilter final : public QObject {
public:
    PressFilter(QObject* parent, std::function<void()> pressed) : QObject(parent), m_pressed(std::move(pressed)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            Application::Guarded(m_pressed);
        return false;
    }

private:
    std::function<void()> m_pressed;
};

}  // namespace

TSearchform::TSearchform() : TForm("TSearchform")
{
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetCaption("Korvo Search");
    const QRect area = Screen::WorkAreaRect();
    SetBounds(0, area.bottom() + 1 - kBarHeight, Screen::Width() + 1, kBarHeight);

    auto label = [this](const char* name, const std::string& text, int left, int width) {
        auto* l = new TLabel(codepage::ToUnicode(text), this);
        l->setObjectName(name);
        l->setGeometry(left, 2, width, 13);
        return l;
    };
    Label1 = label("Label1", "Find:", 4, 30);
    Label1->setGeometry(4, 9, 30, 13);
    Label2 = label("Label2", "", kTextLeft, 300);
    Label3 = label("Label3", "", kTextLeft, 300);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    Button1 = new QPushButton("&Go", this);
    Button1->setObjectName("Button1");
    Label4 = label("Label4", "", 0, 120);
    Label4->setCursor(Qt::PointingHandCursor);
    Label5 = label("Label5", codepage::FromUtf8("Korvo®"), 0, 40);
    // The menu and close buttons show the window-control pictures, as the guide's header does.
    const TFontSpec buttonFont("Marlett", 10);
    SpeedButton2 = new QPushButton(this);
    SpeedButton2->setObjectName("SpeedButton2");
    SetFontAndText(*SpeedButton2, buttonFont, "6");
    SpeedButton2->setToolTip("Set As Default");
    SpeedButton1 = new QPushButton(this);
    SpeedButton1->setObjectName("SpeedButton1");
    SetFontAndText(*SpeedButton1, buttonFont, "r");
    SpeedButton1->setToolTip("Close");

    OnResize = [this] { ArrangeControls(); };
    ArrangeControls();

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    ClearHistory1 = PopupMenu1->addAction("Clear Search &History");
    ClearHistory1->setObjectName("ClearHistory1");
    PopupMenu1->addSeparator();
    MakeDefault1 = PopupMenu1->addAction("");
    MakeDefault1->setObjectName("MakeDefault1");
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);

    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { GoClick(); }); });
    QObject::connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this,
                     [this] { Application::Guarded([this] { GoClick(); }); });
    QObject::connect(ComboBox1, &QComboBox::currentTextChanged, this, [this] {
        if (!m_filling)
            Application::Guarded([this] { QueryChanged(); });
    });
    QObject::connect(ComboBox2, QOverload<int>::of(&QComboBox::activated), this,
                     [this](int index) { Application::Guarded([this, index] { EngineChosen(index); }); });
    QObject::connect(SpeedButton1, &QPushButton::clicked, this, [this] { Close(); });
    QObject::connect(SpeedButton2, &QPushButton::clicked, this, [this] {
        const int right = Screen::Width();
        PopupMenu1->popup(QPoint(right - PopupMenu1->sizeHint().width(), y() - 50));
    });
    QObject::connect(ClearHistory1, &QAction::triggered, this, [this] { Application::Guarded([this] { ClearHistoryClick(); }); });
    QObject::connect(MakeDefault1, &QAction::triggered, this, [this] { StartDefaultBlink(); });
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Application::Guarded([this] { BlinkTick(); }); });
    Label4->installEventFilter(new PressFilter(this, [this] { StartDefaultBlink(); }));

    OnShow = [this] { FormShow(); };
    OnClose = [this](TCloseAction& action) {
        // The history is written only here.
        SaveSearchHistory(QueriesFile(), m_history);
        if (g_bar == this)
            g_bar = nullptr;
        action = caFree;
    };
}

TSearchform::~TSearchform()
{
    if (g_bar == this)
        g_bar = nullptr;
}

// The button group sits at the right; the query box stretches to 4 pixels left of it. On a
// narrow screen the box moves left over the room the directions and sample text do not need,
// and gives way for them down to its least width.
void TSearchform::ArrangeControls()
{
    const int right = width();
    const int groupLeft = right - 460;
    SpeedButton1->setGeometry(right - 22, 6, 18, 18);
    SpeedButton2->setGeometry(right - 42, 6, 18, 18);
    Label5->setGeometry(right - 84, 9, 40, 13);
    Label4->setGeometry(right - 206, 9, 120, 13);
    Button1->setGeometry(right - 250, 4, 40, 22);
    ComboBox2->setGeometry(groupLeft, 4, 206, 22);
    const int queryRight = groupLeft - 4;
    const int textEnd = kTextLeft + std::max(Label2->sizeHint().width(), Label3->sizeHint().width()) + 4;
    int queryLeft = std::max(queryRight - kQueryMinWidth, std::min(textEnd, kQueryLeft));
    queryLeft = std::clamp(std::min(queryLeft, queryRight - kQueryLeastWidth), kTextLeft, kQueryLeft);
    ComboBox1->setGeometry(queryLeft, 4, std::max(0, queryRight - queryLeft), 22);
    const int textWidth = std::max(0, queryLeft - 4 - kTextLeft);
    Label2->setGeometry(kTextLeft, 2, textWidth, 13);
    Label3->setGeometry(kTextLeft, 17, textWidth, 13);
}

void TSearchform::FormShow()
{
    if (FileExists(QueriesFile()))
        m_history = LoadSearchHistory(QueriesFile());
    m_filling = true;
    ComboBox1->clear();
    for (const std::string& query : m_history)
        ComboBox1->addItem(codepage::ToUnicode(query));
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QString());
    m_filling = false;
    LoadEngines();
    SelectEngine(DefaultSearchEngine());
    if (Trim(codepage::FromUnicode(ComboBox1->currentText())).empty()) {
        m_filling = true;
        ComboBox1->setEditText(codepage::ToUnicode(Trim(codepage::FromUnicode(QApplication::clipboard()->text()))));
        m_filling = false;
    }
    ComboBox1->setFocus();
}

void TSearchform::LoadEngines()
{
    m_engines = ListSearchEngines(EnginesFolder());
    ComboBox2->clear();
    for (const std::string& path : m_engines)
        ComboBox2->addItem(codepage::ToUnicode(ReadSearchEngine(path).name));
}

void TSearchform::SelectEngine(const std::string& path)
{
    const auto it = std::find(m_engines.begin(), m_engines.end(), path);
    if (it != m_engines.end())
        ComboBox2->setCurrentIndex(static_cast<int>(it - m_engines.begin()));
    m_engine = ReadSearchEngine(path);
    m_enginePath = path;
    Label4->setText(codepage::ToUnicode(m_engine.displayname));
    Label4->setToolTip(codepage::ToUnicode("Click to make " + m_engine.displayname + " your default search engine"));
    Label2->setText(codepage::ToUnicode(m_engine.directions));
    Label3->setText(codepage::ToUnicode(m_engine.example));
    ComboBox1->lineEdit()->setPlaceholderText(codepage::ToUnicode("Example: " + m_engine.example));
    ComboBox1->setToolTip(codepage::ToUnicode("Example: " + m_engine.example));
    MakeDefault1->setText(codepage::ToUnicode("Make " + m_engine.displayname + " My &Default"));
    ArrangeControls();
}

void TSearchform::GoClick()
{
    const std::string query = Trim(codepage::FromUnicode(ComboBox1->currentText()));
    if (query.empty())
        return;
    AddToSearchHistory(m_history, query);
    m_filling = true;
    ComboBox1->clear();
    for (const std::string& entry : m_history)
        ComboBox1->addItem(codepage::ToUnicode(entry));
    ComboBox1->setEditText(codepage::ToUnicode(query));
    m_filling = false;
    m_url = BuildQueryUrl(m_engine.Post, query, m_engine.Process);
    NavigateTo(m_url);
    // The engine used, listed or not: the one that made this address.
    RememberEngine(ResearchFile(), query, m_enginePath);
}

void TSearchform::EngineChosen(int index)
{
    if (index < 0 || index >= static_cast<int>(m_engines.size()))
        return;
    SelectEngine(m_engines[static_cast<std::size_t>(index)]);
    GoClick();
    ComboBox1->setFocus();
}

void TSearchform::QueryChanged()
{
    const std::string engine = RememberedEngine(ResearchFile(), codepage::FromUnicode(ComboBox1->currentText()));
    if (!engine.empty())
        SelectEngine(engine);
}

void TSearchform::StartDefaultBlink()
{
    m_blink = 0;
    Timer1->start();
}

void TSearchform::BlinkTick()
{
    ++m_blink;
    if (m_blink >= kBlinkTicks) {
        Timer1->stop();
        SetDefaultSearchEngine(m_enginePath);
        Label4->setText(codepage::ToUnicode(m_engine.displayname));
        return;
    }
    Label4->setText(m_blink % 2 ? QString() : codepage::ToUnicode(m_engine.displayname));
}

void TSearchform::ClearHistoryClick()
{
    m_filling = true;
    ComboBox1->clear();
    ComboBox1->setEditText(QString());
    m_filling = false;
    m_history.clear();
    DeleteFile(QueriesFile());
    DeleteFile(ResearchFile());
}

TSearchform* SearchBar() { return g_bar; }

void StartSearchBar()
{
    if (!g_bar)
        g_bar = new TSearchform();
    g_bar->Show();
    g_bar->BringToFront();
}

void SearchWeb(const std::string& query)
{
    const std::string url = SearchWebUrl(ReadSearchEngine(DefaultSearchEngine()).Post, query);
    if (!url.empty())
        NavigateTo(url);
}

bool OpenChannel(const std::string& keyword)
{
    const TChannelTarget target = FindChannel(keyword);
    // Only a web page may leave the program: an ftp or file favourite opens nothing,
    // so it does not count as opened.
    if (!IsWebLink(target.address))
        return false;
    NavigateTo(target.address);
    if (Form1) {
        Form1->filter->clear();
        Form1->ChnName->setText(codepage::ToUnicode(target.caption));
    }
    return true;
}
