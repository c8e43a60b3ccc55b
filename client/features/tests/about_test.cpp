#include "client/features/about.h"

#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"
#include "platform/win/sound.h"
#include "platform/win/sysinfo.h"

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nVersion=2.1\r\nuserName=Ann\r\n");
        sound::SetObserver([this](const std::string& file, unsigned flags) { sounds.emplace_back(file, flags); });
    }
    void TearDown() override { sound::SetObserver({}); }

    ScratchDirs dirs;
    std::vector<std::pair<std::string, unsigned>> sounds;
};

TEST(AboutText, KilobytesGetThousandsSeparators)
{
    EXPECT_EQ(FormatKilobytes(0), "0 KB");
    EXPECT_EQ(FormatKilobytes(999), "999 KB");
    EXPECT_EQ(FormatKilobytes(16384), "16,384 KB");
    EXPECT_EQ(FormatKilobytes(16316412), "16,316,412 KB");
}

TEST(AboutText, CreditsAreFifteenRowsALinePlusTheirMargins)
{
    const std::vector<std::string> lines { "/bTitle", "one", "two" };
    const QImage image = DrawCredits(lines, "Ann");
    EXPECT_EQ(image.width(), 357);
    EXPECT_EQ(image.height(), 3 * 15 + 330);
    EXPECT_EQ(DrawCredits(CreditLines(), "Ann").height(), static_cast<int>(CreditLines().size()) * 15 + 330);
}

TEST(AboutText, TheBoldMarkIsNotDrawnAndTheThanksLineIs)
{
    const QImage plain = DrawCredits({ "Title" }, "Ann");
    const QImage bold = DrawCredits({ "/bTitle" }, "Ann");
    // The same word, bold, darkens more pixels; nothing is drawn above the text.
    const auto ink = [](const QImage& image, int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) != Qt::white;
        return count;
    };
    EXPECT_GT(ink(bold, 180, 195), ink(plain, 180, 195));
    EXPECT_EQ(ink(plain, 0, 180), 0);
    EXPECT_GT(ink(plain, 280, 295), 0);
}

TEST_F(AboutBox, ShowsVersionMemoryAndPlaysItsTuneUntilClosed)
{
    Tabout about;
    about.Show();
    EXPECT_EQ(about.Caption(), "About");
    EXPECT_EQ(about.ClientWidth(), 380);
    EXPECT_EQ(about.ClientHeight(), 386);
    EXPECT_EQ(codepage::FromUnicode(about.ProductName->text()), Ansi("KORVO®"));
    EXPECT_EQ(about.Version->text(), "Version 2.1");
    MEMORYSTATUS memory;
    GlobalMemoryStatus(&memory);
    EXPECT_EQ(about.PhysMem->text().toStdString(), FormatKilobytes(memory.dwTotalPhys / 1024));
    ASSERT_FALSE(sounds.empty());
    EXPECT_EQ(sounds.front().first, "aboutSound.wav");
    EXPECT_TRUE(sounds.front().second & SND_LOOP);
    EXPECT_TRUE(sounds.front().second & SND_ASYNC);
    EXPECT_TRUE(about.Timer1->isActive());
    EXPECT_EQ(about.Timer1->interval(), 45);

    const QDir dir(QStringLiteral(KORVO_BUILD_DIR "/screenshots"));
    QDir().mkpath(dir.path());
    EXPECT_TRUE(about.grab().save(dir.filePath("about.png")));

    about.OKButton->click();
    EXPECT_FALSE(about.Timer1->isActive());
    EXPECT_FALSE(about.Visible());
    EXPECT_EQ(sounds.back().first, "");
}

TEST_F(AboutBox, TheCreditsScrollOneRowATickAndStartOver)
{
    Tabout about;
    const int height = about.Credits().height();
    for (int i = 0; i < height - 1; ++i)
        about.Timer1Timer();
    EXPECT_EQ(about.ScrollOffset(), height - 1);
    about.Timer1Timer();
    EXPECT_EQ(about.ScrollOffset(), 0);
}

TEST_F(AboutBox, TheThanksLineNamesTheUser)
{
    Tabout about;
    EXPECT_EQ(about.Credits(), DrawCredits(CreditLines(), "Ann"));
    EXPECT_NE(about.Credits(), DrawCredits(CreditLines(), "Bob"));
}

}  // namespace
