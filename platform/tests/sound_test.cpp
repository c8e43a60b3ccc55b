#include "platform/win/sound.h"

#include "platform/testing/scratch.h"
#include "platform/win/messages.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

// A mono 8-bit PCM wave at 8000 samples a second: one byte a millisecond / 8.
std::string wave(int milliseconds)
{
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(milliseconds) * 8;
    auto u32 = [](std::uint32_t v) {
        return std::string { char(v & 255), char(v >> 8 & 255), char(v >> 16 & 255), char(v >> 24 & 255) };
    };
    auto u16 = [](std::uint16_t v) { return std::string { char(v & 255), char(v >> 8 & 255) }; };
    std::string bytes = "RIFF" + u32(36 + dataBytes) + "WAVE";
    bytes += "fmt " + u32(16) + u16(1) + u16(1) + u32(8000) + u32(8000) + u16(1) + u16(8);
    bytes += "data" + u32(dataBytes) + std::string(dataBytes, char(128));
    return bytes;
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sound::SetObserver([this](const std::string& file, unsigned flags) { heard.emplace_back(file, flags); });
    }
    void TearDown() override
    {
        PlaySound("", SND_PURGE);
        sound::SetObserver(nullptr);
    }

    ScratchDirs dirs;
    std::vector<std::pair<std::string, unsigned>> heard;
};

}  // namespace

TEST_F(SoundTest, AProgramFolderSoundIsFoundWhateverItsCaseAndPlaysToItsEnd)
{
    dirs.write("app/Alert.wav", wave(30));
    EXPECT_TRUE(PlaySound("alert.wav", SND_ASYNC | SND_NODEFAULT));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].first, "alert.wav");
    EXPECT_TRUE(sound::IsPlaying());
    EXPECT_TRUE(Application::ProcessMessagesUntil([] { return !sound::IsPlaying(); }, 5000));
}

TEST_F(SoundTest, NoStopRefusesToStartWhileAnotherSoundPlays)
{
    dirs.write("app/roll.wav", wave(20));
    dirs.write("app/beep.wav", wave(20));
    ASSERT_TRUE(PlaySound("roll.wav", SND_ASYNC | SND_LOOP));
    heard.clear();
    EXPECT_FALSE(PlaySound("beep.wav", SND_ASYNC | SND_NOSTOP));
    EXPECT_TRUE(heard.empty());
    EXPECT_TRUE(PlaySound("", SND_PURGE));
    EXPECT_FALSE(sound::IsPlaying());
    EXPECT_TRUE(PlaySound("beep.wav", SND_ASYNC | SND_NOSTOP));
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[1].first, "beep.wav");
}

TEST_F(SoundTest, ALoopedSoundGoesOnUntilStopped)
{
    dirs.write("app/snap.wav", wave(10));
    ASSERT_TRUE(PlaySound("snap.wav", SND_ASYNC | SND_LOOP));
    // Its end, were it played once, would be due on the loop's clock before this.
    QObject clock;
    bool twiceItsLength = false;
    QTimer::singleShot(2 * sound::WaveDurationMs(dirs.appDir() + "/snap.wav"), &clock, [&] { twiceItsLength = true; });
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return twiceItsLength; }, 5000));
    EXPECT_TRUE(sound::IsPlaying());
    PlaySound("", SND_ASYNC);
    EXPECT_FALSE(sound::IsPlaying());
}

TEST_F(SoundTest, ANewSoundStopsTheOneBefore)
{
    dirs.write("app/remind.wav", wave(20));
    dirs.write("app/textrcv.wav", wave(20));
    ASSERT_TRUE(PlaySound("remind.wav", SND_ASYNC | SND_LOOP));
    ASSERT_TRUE(PlaySound("textrcv.wav", SND_ASYNC));
    EXPECT_TRUE(Application::ProcessMessagesUntil([] { return !sound::IsPlaying(); }, 5000))
        << "the looped sound must not carry on after the new one ends";
}

TEST_F(SoundTest, AMissingOrBrokenFilePlaysNothingAndSaysSo)
{
    dirs.write("app/broken.wav", "RIFF\x04\0\0\0WAVE");
    EXPECT_FALSE(PlaySound("missing.wav", SND_ASYNC | SND_NODEFAULT));
    EXPECT_FALSE(PlaySound("broken.wav", SND_ASYNC));
    EXPECT_FALSE(sound::IsPlaying());
}

TEST_F(SoundTest, AWaitedSoundHasEndedWhenTheCallReturns)
{
    dirs.write("app/startup.wav", wave(30));
    EXPECT_TRUE(PlaySound("startup.wav", SND_SYNC));
    EXPECT_FALSE(sound::IsPlaying());
}

TEST_F(SoundTest, TheWaveHoldersStopEndsThePlayingSound)
{
    dirs.write("app/alert2.wav", wave(20));
    ASSERT_TRUE(PlaySound("alert2.wav", SND_ASYNC | SND_LOOP));
    EXPECT_TRUE(sndPlaySound("", SND_MEMORY));
    EXPECT_FALSE(sound::IsPlaying());
}

TEST(WaveDuration, ComesFromTheHeaderAndTheBytesActuallyHeld)
{
    ScratchDirs dirs;
    dirs.write("app/half.wav", wave(500));
    EXPECT_EQ(sound::WaveDurationMs(dirs.appDir() + "/half.wav"), 500);
    std::string cut = wave(500);
    cut.resize(cut.size() - 2000);
    dirs.write("app/cut.wav", cut);
    EXPECT_EQ(sound::WaveDurationMs(dirs.appDir() + "/cut.wav"), 250);
    dirs.write("app/text.wav", "not a wave at all");
    EXPECT_EQ(sound::WaveDurationMs(dirs.appDir() + "/text.wav"), -1);
}
