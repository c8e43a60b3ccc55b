#include "client/features/searchform.h"

#include "client/core/features.h"
#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/features/favourites.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class SearchStrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        record = dirs.root() + "/opened.txt";
        setenv("KORVO_NO_BROWSER", record.c_str(), 1);
        dirs.write("app/engines/Quickseek.inf",
                   "[Engine]\r\nname=Quick\r\ndisplayname=QuickSeek\r\nexample=red car\r\nPost=http://quick/find?q=%1&in=%2\r\n");
        dirs.write("app/engines/other.inf", "[Engine]\r\nname=Other\r\ndisplayname=OtherSeek\r\nPost=http://other/?q=%1\r\nProcess=0\r\n");
    }
    void TearDown() override { setenv("KORVO_NO_BROWSER", "1", 1); }
    // Waits for the browser to have been asked for that address.
    bool opened(const std::string& url)
    {
        return Application::ProcessMessagesUntil([&] { return dirs.read("opened.txt").find(url + "\r\n") != std::string::npos; }, 10000);
    }
    TSearchform* open()
    {
        StartSearchBar();
        return SearchBar();
    }
    void type(TSearchform* bar, const std::string& query) { bar->ComboBox1->setEditText(codepage::ToUnicode(query)); }

    ScratchDirs dirs;
    std::string record;
};

}  // namespace

TEST_F(SearchStrip, SpansTheScreenAboveTheWorkAreasBottom)
{
    TSearchform* bar = open();
    EXPECT_EQ(bar->Height(), 33);
    EXPECT_EQ(bar->Width(), Screen::Width() + 1);
    EXPECT_EQ(bar->Top() + bar->Height(), Screen::WorkAreaRect().bottom() + 1);
    EXPECT_EQ(bar->ComboBox2->count(), 2);
    EXPECT_EQ(bar->Label4->text(), "QuickSeek");
    EXPECT_EQ(bar->Label4->toolTip(), "Click to make QuickSeek your default search engine");
    EXPECT_EQ(bar->MakeDefault1->text(), "Make QuickSeek My &Default");
    EXPECT_EQ(bar->SpeedButton1->text(), QString(QChar(0x2715)));
    EXPECT_EQ(bar->SpeedButton2->text(), QString(QChar(0x25BC)));
    bar->Close();
}

TEST_F(SearchStrip, TheQueryBoxStretchesToTheButtonGroupAtAnyWidth)
{
    TSearchform* bar = open();
    for (const int width : { 641, 801, 1025, 1921 }) {
        bar->SetWidth(width);
        const QRect query = bar->ComboBox1->geometry();
        const QRect engines = bar->ComboBox2->geometry();
        EXPECT_EQ(bar->SpeedButton1->geometry().right(), width - 5) << width;
        EXPECT_EQ(query.right() + 1 + 4, engines.left()) << width;
        EXPECT_GT(query.left(), bar->Label1->geometry().right()) << width;
        EXPECT_LT(bar->Label2->geometry().right(), query.left()) << width;
        EXPECT_LT(bar->Label3->geometry().right(), query.left()) << width;
        EXPECT_GE(query.width(), width > 700 ? 160 : 100) << width;
        if (width >= 1025) {
            EXPECT_EQ(query.left(), 344) << width;
        }
    }
    // Directions that need the room are shown whole at 800 pixels; the query box gives way.
    bar->Label2->setText("Words to find, apart by commas");
    bar->SetWidth(1025);
    bar->SetWidth(801);
    EXPECT_GE(bar->Label2->width(), bar->Label2->sizeHint().width());
    EXPECT_LT(bar->Label2->geometry().right(), bar->ComboBox1->geometry().left());
    EXPECT_GE(bar->ComboBox1->width(), 60);
    bar->Close();
}

TEST_F(SearchStrip, GoOpensTheEnginesAddressAndRemembersTheEngine)
{
    TSearchform* bar = open();
    type(bar, "red car, paris");
    bar->GoClick();
    EXPECT_TRUE(opened("http://quick/find?q=red+car&in=paris"));
    EXPECT_EQ(TIniFile(dirs.appDir() + "/engines/research.txt").ReadString("Research", "red car, paris", ""),
              dirs.appDir() + "/engines/Quickseek.inf");
    type(bar, "   ");
    bar->GoClick();
    EXPECT_EQ(bar->History().size(), 1u);
    bar->Close();
    EXPECT_EQ(dirs.read("app/engines/queries.txt"), "red car, paris\r\n");
}

TEST_F(SearchStrip, ThirtyQueriesLeaveTwentySix)
{
    TSearchform* bar = open();
    for (int i = 1; i <= 30; ++i) {
        type(bar, "query " + std::to_string(i));
        bar->GoClick();
    }
    EXPECT_EQ(bar->ComboBox1->count(), 26);
    bar->Close();
    bar = open();
    EXPECT_EQ(bar->History().size(), 26u);
    EXPECT_EQ(bar->History().front(), "query 30");
    bar->Close();
}

TEST_F(SearchStrip, AQueryUsedBeforeSwitchesToItsEngine)
{
    TSearchform* bar = open();
    bar->EngineChosen(1);
    type(bar, "owls");
    bar->GoClick();
    EXPECT_TRUE(opened("http://other/?q=owls"));
    bar->SelectEngine(dirs.appDir() + "/engines/Quickseek.inf");
    type(bar, "hawks");
    type(bar, "owls");
    EXPECT_EQ(bar->Label4->text(), "OtherSeek");
    bar->Close();
}

TEST_F(SearchStrip, TheSixthBlinkMakesTheEngineTheDefault)
{
    TSearchform* bar = open();
    bar->SelectEngine(dirs.appDir() + "/engines/other.inf");
    bar->StartDefaultBlink();
    EXPECT_EQ(TIniFile("larkspire.ini").ReadString("Main", "Default search engine", ""), "");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !bar->Timer1->isActive(); }, 5000));
    EXPECT_EQ(TIniFile("larkspire.ini").ReadString("Main", "Default search engine", ""), dirs.appDir() + "/engines/other.inf");
    EXPECT_EQ(bar->Label4->text(), "OtherSeek");
    bar->Close();
}

TEST_F(SearchStrip, ClearingTheHistoryDeletesBothFiles)
{
    TSearchform* bar = open();
    type(bar, "owls");
    bar->GoClick();
    bar->Close();
    bar = open();
    ASSERT_TRUE(FileExists(dirs.appDir() + "/engines/queries.txt"));
    ASSERT_TRUE(FileExists(dirs.appDir() + "/engines/research.txt"));
    bar->ClearHistoryClick();
    EXPECT_FALSE(FileExists(dirs.appDir() + "/engines/queries.txt"));
    EXPECT_FALSE(FileExists(dirs.appDir() + "/engines/research.txt"));
    EXPECT_EQ(bar->ComboBox1->count(), 0);
    bar->Close();
}

TEST_F(SearchStrip, AKeywordInTheMainBarOpensItsChannelAndAnUnknownWordSearches)
{
    Session() = TSession();
    Session().userId = "me";
    dirs.write("windows/my friends/me/user.dat", "[user]\r\n");
    const std::string path = ShortcutPath(dirs.windowsDir(), "Bird News");
    ASSERT_TRUE(WriteUrlShortcut(path, "birds", "http://birds.org/"));
    RegisterKeyword("birds", path);
    Features().Command.OpenChannel = OpenChannel;
    Features().Command.SearchWeb = SearchWeb;
    auto bar = std::make_unique<TForm1>();
    bar->filter->setText("birds");
    char enter = '\r';
    bar->FilterKeyPress(enter);
    EXPECT_TRUE(opened("http://birds.org/"));
    EXPECT_EQ(bar->ChnName->text(), "BIRD NEWS");
    EXPECT_EQ(bar->filter->text(), "");
    bar->filter->setText("C++ owls");
    enter = '\r';
    bar->FilterKeyPress(enter);
    EXPECT_TRUE(opened("http://quick/find?q=C%2B%2B owls&in=%2"));
    // A favourite that is no web page opens nothing, and says so: the word is searched.
    const std::string ftp = ShortcutPath(dirs.windowsDir(), "Ftp Files");
    ASSERT_TRUE(WriteUrlShortcut(ftp, "files", "ftp://files.org/"));
    RegisterKeyword("files", ftp);
    const std::string disk = ShortcutPath(dirs.windowsDir(), "Local Disk");
    ASSERT_TRUE(WriteUrlShortcut(disk, "disk", "file:///etc/passwd"));
    RegisterKeyword("disk", disk);
    EXPECT_FALSE(OpenChannel("disk"));
    bar->filter->setText("files");
    enter = '\r';
    bar->FilterKeyPress(enter);
    EXPECT_TRUE(opened("http://quick/find?q=files&in=%2"));
    EXPECT_EQ(bar->ChnName->text(), "BIRD NEWS");
    Features().Command = {};
}
