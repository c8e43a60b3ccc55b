#include "platform/ui/automation.h"

#include "platform/testing/scratch.h"
#include "platform/rtl/codepage.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/filedialogs.h"
#include "platform/ui/form.h"
#include "platform/win/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMouseEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A small sign-on-like window, driven only through its own controls.
class TTestForm final : public TForm {
public:
    TTestForm()
        : TForm("TestForm")
    {
        SetCaption("Automation Test");
        SetBounds(0, 0, 240, 120);
        Edit1 = new QLineEdit(this);
        Edit1->setObjectName("Edit1");
        Edit1->setGeometry(8, 8, 120, 21);
        Button1 = new QPushButton("&OK", this);
        Button1->setObjectName("Button1");
        Button1->setGeometry(8, 40, 75, 25);
        CheckBox1 = new QCheckBox("Remember", this);
        CheckBox1->setObjectName("CheckBox1");
        CheckBox1->setGeometry(100, 40, 100, 17);
        ComboBox1 = new QComboBox(this);
        ComboBox1->setObjectName("ComboBox1");
        ComboBox1->addItems({ "alice", "bob" });
        ComboBox1->setGeometry(8, 72, 120, 21);
        Menu1 = new QMenu(this);
        Menu1->addAction("E&xit", [this] { ++exits; });
        QObject::connect(Edit1, &QLineEdit::textEdited, [this](const QString&) { ++edits; });
        QObject::connect(Button1, &QPushButton::clicked, [this] { Button1Click(); });
        QObject::connect(CheckBox1, &QCheckBox::clicked, [this] { ++checkClicks; });
        QObject::connect(ComboBox1, &QComboBox::activated, [this](int index) { chosen = index; });
    }

    void Button1Click()
    {
        ++clicks;
        if (onButton)
            onButton();
    }

    QLineEdit* Edit1;
    QPushButton* Button1;
    QCheckBox* CheckBox1;
    QComboBox* ComboBox1;
    QMenu* Menu1;
    std::function<void()> onButton;
    int clicks { 0 };
    int edits { 0 };
    int checkClicks { 0 };
    int exits { 0 };
    int chosen { -1 };
};

// A button that acts when the mouse goes down, as the bar's speed buttons do.
class PressButton final : public QPushButton {
public:
    using QPushButton::QPushButton;
    int downs { 0 };

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        ++downs;
        QPushButton::mousePressEvent(event);
    }
};

class Automation : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dirs.root() + "/automation.sock";
        ASSERT_TRUE(automation::Start(path));
        form = new TTestForm;
        form->Show();
        client.connectToServer(QString::fromStdString(path));
        ASSERT_TRUE(client.waitForConnected(5000));
        dialogs::ClearHistory();
    }
    void TearDown() override
    {
        client.disconnectFromServer();
        form->Free();
        automation::Stop();
        dialogs::SetResponder({});
        dialogs::ClearHistory();
    }

    std::string ask(const std::string& line)
    {
        client.write((line + "\n").c_str());
        client.flush();
        Application::ProcessMessagesUntil([&] { return client.canReadLine(); }, 5000);
        if (!client.canReadLine())
            return "(no reply)";
        std::string reply = client.readLine().toStdString();
        if (!reply.empty() && reply.back() == '\n')
            reply.pop_back();
        return reply;
    }

    ScratchDirs dirs;
    std::string path;
    TTestForm* form { nullptr };
    QLocalSocket client;
};

}  // namespace

TEST_F(Automation, AnswersPingAndRefusesUnknownCommands)
{
    EXPECT_EQ(ask("ping"), "ok pong");
    EXPECT_EQ(ask("dance"), "error unknown command dance");
    EXPECT_EQ(ask("click\tNo Such Window\tButton1"), "error no window No Such Window");
    EXPECT_EQ(ask("click\tAutomation Test\tButton9"), "error no control Button9");
}

TEST_F(Automation, ListsVisibleWindowsAndFindsOneByTitle)
{
    auto* hidden = new TForm("Hidden");
    hidden->SetCaption("Not Shown");
    const std::string list = ask("windows");
    EXPECT_NE(list.find("TestForm:Automation Test"), std::string::npos) << list;
    EXPECT_EQ(list.find("Not Shown"), std::string::npos);
    EXPECT_EQ(ask("find\tAutomation Test"), "ok TestForm\t1\t0,0,240,120");
    EXPECT_EQ(ask("find\tNot Shown"), "ok Hidden\t0\t0,0,640,480");
    hidden->Free();
}

TEST_F(Automation, SetsTextAsTypingDoesAndReadsItBack)
{
    EXPECT_EQ(ask("set\tAutomation Test\tEdit1\tcaf\xC3\xA9 one"), "ok");
    EXPECT_EQ(form->Edit1->text(), QString::fromUtf8("caf\xC3\xA9 one"));
    EXPECT_EQ(form->edits, 1);
    EXPECT_EQ(ask("text\tAutomation Test\tEdit1"), "ok caf\xC3\xA9 one");
    EXPECT_EQ(ask("text\tAutomation Test\tButton1"), "ok OK");
    EXPECT_EQ(ask("set\tAutomation Test\tComboBox1\tbob"), "ok");
    EXPECT_EQ(form->chosen, 1);
    EXPECT_EQ(ask("set\tAutomation Test\tComboBox1\tcarol"), "error cannot set the text of ComboBox1");
}

TEST_F(Automation, AListsTreesAndTablesCurrentRowIsItsText)
{
    auto* window = new TForm("Lists");
    window->SetCaption("Lists");
    auto* list = new QListWidget(window);
    list->setObjectName("List1");
    list->addItems({ "one", "two" });
    auto* tree = new QTreeWidget(window);
    tree->setObjectName("Tree1");
    tree->setColumnCount(2);
    tree->addTopLevelItem(new QTreeWidgetItem(QStringList { "Work", "pop.example.org" }));
    tree->addTopLevelItem(new QTreeWidgetItem(QStringList { "Home", "pop.example.net" }));
    auto* table = new QTableWidget(2, 2, window);
    table->setObjectName("Table1");
    table->setItem(1, 0, new QTableWidgetItem("second"));
    table->setItem(1, 1, new QTableWidgetItem("row"));
    window->Show();
    EXPECT_EQ(ask("text\tLists\tTree1"), "ok ") << "no current row yet";
    list->setCurrentRow(1);
    tree->setCurrentItem(tree->topLevelItem(0), 1);
    table->setCurrentCell(1, 1);
    EXPECT_EQ(ask("text\tLists\tList1"), "ok two");
    EXPECT_EQ(ask("text\tLists\tTree1"), "ok Work");
    EXPECT_EQ(ask("text\tLists\tTable1"), "ok second");
    window->Free();
}

TEST_F(Automation, ClickAndCheckRunTheControlsHandlers)
{
    EXPECT_EQ(ask("click\tAutomation Test\tButton1"), "ok");
    EXPECT_EQ(ask("check\tAutomation Test\tCheckBox1\t1"), "ok");
    EXPECT_EQ(ask("checked\tAutomation Test\tCheckBox1"), "ok 1");
    EXPECT_EQ(form->clicks, 1);
    EXPECT_EQ(form->checkClicks, 1);
    EXPECT_EQ(ask("check\tAutomation Test\tCheckBox1\t1"), "ok");
    EXPECT_EQ(ask("ping"), "ok pong");
    EXPECT_EQ(form->checkClicks, 1) << "checking a checked box changes nothing";
    form->Button1->setEnabled(false);
    EXPECT_EQ(ask("click\tAutomation Test\tButton1"), "error control disabled or hidden Button1");

    auto* down = new PressButton("Go", form);
    down->setObjectName("Button2");
    down->setGeometry(8, 100, 75, 25);
    down->show();
    EXPECT_EQ(ask("click\tAutomation Test\tButton2"), "ok");
    EXPECT_EQ(ask("ping"), "ok pong");
    EXPECT_EQ(down->downs, 1);
}

TEST_F(Automation, AClickThatOpensAModalWindowStillLetsItBeDriven)
{
    TModalResult result = mrNone;
    form->onButton = [&] {
        auto* dialog = new TForm("Dialog1");
        dialog->SetCaption("Add Buddy");
        auto* ok = new QPushButton("OK", dialog);
        ok->setObjectName("OKButton");
        QObject::connect(ok, &QPushButton::clicked, [dialog] { dialog->SetModalResult(mrOk); });
        result = dialog->ShowModal();
        dialog->Free();
    };
    // The client here shares our thread, so it sends all its lines before the modal loop
    // starts; the commands after the click are read inside that loop.
    client.write("click\tAutomation Test\tButton1\nwindows\nclick\tAutomation Test\tButton1\n"
                 "click\tAdd Buddy\tOKButton\n");
    client.flush();
    std::vector<std::string> replies;
    Application::ProcessMessagesUntil([&] {
        while (client.canReadLine())
            replies.push_back(client.readLine().trimmed().toStdString());
        return replies.size() == 4 && result != mrNone;
    }, 5000);
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_EQ(replies[0], "ok");
    EXPECT_NE(replies[1].find("Dialog1:Add Buddy"), std::string::npos) << replies[1];
    EXPECT_EQ(replies[2], "error window blocked by a modal window Automation Test");
    EXPECT_EQ(replies[3], "ok");
    EXPECT_EQ(form->clicks, 1);
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(ask("windows").find("Add Buddy"), std::string::npos);
}

TEST_F(Automation, AnswersTheNextMessageBoxAndReportsItsText)
{
    int answer = 0;
    form->onButton = [&] { answer = MessageBox(form, "\rRemove this buddy?", "Korvo", MB_YESNO | MB_ICONQUESTION); };
    EXPECT_EQ(ask("answer\tno"), "ok");
    EXPECT_EQ(ask("click\tAutomation Test\tButton1"), "ok");
    EXPECT_EQ(ask("lastbox"), "ok 7\tKorvo\t\\rRemove this buddy?");
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(ask("boxes"), "ok \\rRemove this buddy?");
    EXPECT_EQ(ask("clearboxes"), "ok");
    EXPECT_EQ(ask("lastbox"), "error no message box");
    EXPECT_EQ(ask("answer\tmaybe"), "error answer needs a button id");
}

TEST_F(Automation, AnswersTheNextFileDialogWithAPath)
{
    std::string chosen = "none";
    form->onButton = [&] {
        TOpenDialog dialog;
        chosen = dialog.Execute(form) ? dialog.FileName : "cancelled";
    };
    EXPECT_EQ(ask("file\t/home/alice/Zo\u00eb's notes.txt"), "ok");
    EXPECT_EQ(ask("click\tAutomation Test\tButton1"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return chosen != "none"; }, 5000));
    EXPECT_EQ(chosen, codepage::FromUtf8("/home/alice/Zo\u00eb's notes.txt"));
    EXPECT_EQ(ask("file"), "error file needs a path");
}

TEST_F(Automation, AnswersTheNextColourDialog)
{
    TColor chosen = clNone;
    bool answered = false;
    form->onButton = [&] {
        TColorDialog dialog;
        answered = dialog.Execute(form);
        chosen = dialog.Color;
    };
    EXPECT_EQ(ask("color\t#ff8000"), "ok");
    EXPECT_EQ(ask("click\tAutomation Test\tButton1"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return chosen != clNone; }, 5000));
    EXPECT_TRUE(answered);
    EXPECT_EQ(chosen, RGB(255, 128, 0));
    EXPECT_EQ(ask("color\tred"), "error color needs #rrggbb");
    EXPECT_EQ(ask("color"), "error color needs #rrggbb");
}

TEST_F(Automation, ChoosesMenuItemsByTheirText)
{
    EXPECT_EQ(ask("menu\tAutomation Test\tExit"), "ok");
    EXPECT_EQ(ask("ping"), "ok pong");
    EXPECT_EQ(form->exits, 1);
    EXPECT_EQ(ask("menu\tAutomation Test\tOpen"), "error no menu item Open");
}

TEST_F(Automation, ClosesAWindowThroughItsCloseRoad)
{
    bool asked = false;
    form->OnCloseQuery = [&](bool&) { asked = true; };
    EXPECT_EQ(ask("close\tAutomation Test"), "ok");
    EXPECT_EQ(ask("ping"), "ok pong");
    EXPECT_TRUE(asked);
    EXPECT_FALSE(form->Visible());
}

TEST_F(Automation, SavesAWindowAsAPicture)
{
    const QString dir = QStringLiteral(KORVO_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    const std::string file = (dir + "/automation_grab.png").toStdString();
    EXPECT_EQ(ask("grab\tAutomation Test\t" + file), "ok 240x120");
    QImage shot(QString::fromStdString(file));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(240, 120));
    EXPECT_EQ(shot.pixelColor(230, 110), QColor(192, 192, 192)) << "the button-face background";
}

TEST_F(Automation, LintNamesTheControlsAUserWouldReadWrongly)
{
    EXPECT_EQ(ask("lint\tAutomation Test"), "ok");
    auto* label = new QLabel("&Name:", form);
    label->setObjectName("Label1");
    label->setGeometry(8, 96, 20, 16);
    label->show();
    EXPECT_EQ(ask("lint\tAutomation Test"), "ok Label1|ampersand|&Name:\tLabel1|cut|&Name:");
    EXPECT_EQ(ask("lint\tNo Such Window"), "error no window No Such Window");
}

TEST_F(Automation, AnOverlongLineEndsTheConnection)
{
    const std::string huge(automation::kMaxLineBytes + 10, 'x');
    client.write(huge.c_str());
    client.flush();
    Application::ProcessMessagesUntil([&] { return client.state() == QLocalSocket::UnconnectedState; }, 5000);
    EXPECT_EQ(client.state(), QLocalSocket::UnconnectedState);
    EXPECT_EQ(client.readLine().toStdString(), "error line too long\n");
}

TEST(AutomationEscape, TabsLineBreaksAndBackslashesSurviveTheWire)
{
    const std::string text = "a\tb\r\nc\\d";
    EXPECT_EQ(automation::Escape(text), "a\\tb\\r\\nc\\\\d");
    EXPECT_EQ(automation::Unescape(automation::Escape(text)), text);
}

TEST(AutomationStart, IsOffWithoutTheVariable)
{
    unsetenv("KORVO_AUTOMATION");
    EXPECT_FALSE(automation::StartIfRequested());
}

TEST_F(Automation, KeysReachTheControlAndTheFormsKeyHandlers)
{
    std::vector<WORD> keys;
    form->SetKeyPreview(true);
    form->OnKeyDown = [&](WORD& key, TShiftState) { keys.push_back(key); };
    EXPECT_EQ(ask("key\tAutomation Test\tEdit1\tq"), "ok");
    EXPECT_EQ(ask("key\tAutomation Test\tEdit1\tReturn"), "ok");
    EXPECT_EQ(ask("ping"), "ok pong");
    EXPECT_EQ(keys, (std::vector<WORD> { 'Q', VK_RETURN }));
    EXPECT_EQ(form->Edit1->text(), "q");
    EXPECT_EQ(ask("key\tAutomation Test\tEdit1\tHyper"), "error unknown key Hyper");
}

namespace {

// A control that reports its own text and records the mouse as it comes.
class TracePad final : public QWidget, public automation::TextSource {
public:
    explicit TracePad(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName("Pad1");
        setGeometry(130, 8, 100, 100);
    }
    std::string AutomationText() const override { return "pad text"; }
    std::vector<std::string> trace;

protected:
    void mousePressEvent(QMouseEvent* e) override { add("press", e); }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (e->buttons() & Qt::LeftButton)
            add("move", e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override { add("release", e); }

private:
    void add(const char* what, QMouseEvent* e)
    {
        const QPoint at = e->position().toPoint();
        trace.push_back(std::string(what) + " " + std::to_string(at.x()) + "," + std::to_string(at.y()));
    }
};

}  // namespace

TEST_F(Automation, DragPressesMovesAndReleasesInTheControlsPixels)
{
    auto* pad = new TracePad(form);
    pad->show();
    EXPECT_EQ(ask("drag\tAutomation Test\tPad1\t10,20\t90,60"), "ok");
    EXPECT_EQ(ask("ping"), "ok pong");
    ASSERT_GE(pad->trace.size(), 3u);
    EXPECT_EQ(pad->trace.front(), "press 10,20");
    EXPECT_EQ(pad->trace[pad->trace.size() - 2], "move 90,60");
    EXPECT_EQ(pad->trace.back(), "release 90,60");
    EXPECT_EQ(ask("drag\tAutomation Test\tPad1\t10,20"), "error drag needs two points x,y");
    EXPECT_EQ(ask("drag\tAutomation Test\tPad1\t10;20\t1,1"), "error drag needs two points x,y");
    pad->setEnabled(false);
    EXPECT_EQ(ask("drag\tAutomation Test\tPad1\t10,20\t90,60"), "error control disabled or hidden Pad1");
}

TEST_F(Automation, AControlWithATextOfItsOwnAnswersIt)
{
    new TracePad(form);
    EXPECT_EQ(ask("text\tAutomation Test\tPad1"), "ok pad text");
}

TEST(AutomationStart, AStartedProgramTakesItsOwnPathAndASecondCopyTheNext)
{
    ScratchDirs dirs;
    const std::string base = dirs.root() + "/a.sock";
    setenv("KORVO_AUTOMATION", base.c_str(), 1);
    QLocalServer other;
    ASSERT_TRUE(other.listen(QString::fromStdString(base + ".chess")));
    ASSERT_TRUE(automation::StartForProgram("chess"));
    QLocalSocket second;
    second.connectToServer(QString::fromStdString(base + ".chess.2"));
    EXPECT_TRUE(second.waitForConnected(5000));
    second.abort();
    other.close();
    ASSERT_TRUE(automation::StartForProgram("chess"));
    QLocalSocket first;
    first.connectToServer(QString::fromStdString(base + ".chess"));
    EXPECT_TRUE(first.waitForConnected(5000)) << "with no live copy the first path is taken";
    first.abort();
    automation::Stop();
    unsetenv("KORVO_AUTOMATION");
}

TEST_F(Automation, DropHandsTheFilesToTheWindowsDropHandler)
{
    EXPECT_EQ(ask("drop\tAutomation Test\t/tmp/a.vcf"), "error window takes no files Automation Test");
    std::vector<std::string> dropped;
    form->SetAcceptFiles(true);
    form->OnDropFiles = [&](const std::vector<std::string>& files, int, int) { dropped = files; };
    EXPECT_EQ(ask("drop\tAutomation Test\trelative.vcf"), "error not an absolute path relative.vcf");
    EXPECT_EQ(ask("drop\tAutomation Test\t/tmp/caf\xC3\xA9.vcf\t/tmp/b.VCF"), "ok");
    EXPECT_EQ(ask("ping"), "ok pong");
    EXPECT_EQ(dropped, (std::vector<std::string> { "/tmp/caf\xE9.vcf", "/tmp/b.VCF" }));
}
