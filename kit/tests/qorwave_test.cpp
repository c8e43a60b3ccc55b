#include "kit/qorwave.h"

#include "platform/rtl/streams.h"
#include "platform/testing/scratch.h"
#include "platform/win/sound.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::string u32(std::uint32_t v) { return { char(v & 255), char(v >> 8 & 255), char(v >> 16 & 255), char(v >> 24 & 255) }; }
std::string u16(std::uint16_t v) { return { char(v & 255), char(v >> 8 & 255) }; }

// A stereo 16-bit PCM sound at 22050 samples a second.
std::string riff(std::uint32_t dataBytes = 64)
{
    std::string bytes = "RIFF" + u32(36 + dataBytes) + "WAVE";
    bytes += "fmt " + u32(16) + u16(1) + u16(2) + u32(22050) + u32(88200) + u16(4) + u16(16);
    bytes += "data" + u32(dataBytes) + std::string(dataBytes, '\x11');
    return bytes;
}

class QorWave : public ::testing::Test {
protected:
    void SetUp() override
    {
        sound::SetObserver([this](const std::string& file, unsigned flags) { heard.emplace_back(file, flags); });
    }
    void TearDown() override { sound::SetObserver(nullptr); }

    std::vector<std::pair<std::string, unsigned>> heard;
};

}  // namespace

TEST_F(QorWave, HeaderTellsRateChannelsAndAlignment)
{
    TStringStream s(riff());
    s.SetPosition(10);
    TQORWaveHeader header;
    ASSERT_TRUE(TQORWave::GetWaveData(&s, header));
    EXPECT_EQ(header.RiffSize, 100);
    EXPECT_EQ(header.SamplesPerSec, 22050);
    EXPECT_EQ(header.Channels, 2);
    EXPECT_TRUE(header.PCM);
    EXPECT_EQ(header.BlockAlign, 4);
    EXPECT_EQ(s.Position(), 0);
}

TEST_F(QorWave, HeaderOfNothingIsNoSound)
{
    TQORWaveHeader header;
    EXPECT_FALSE(TQORWave::GetWaveData(nullptr, header));
    TStringStream empty;
    EXPECT_FALSE(TQORWave::GetWaveData(&empty, header));
}

TEST_F(QorWave, TruncatedHeaderIsAnErrorCheckingTheWave)
{
    TQORWave wave;
    TStringStream s("RIFF" + u32(4) + "WAVE");
    try {
        wave.LoadFromStream(s);
        FAIL() << "accepted a cut header";
    } catch (const EErrorCheckingWave& error) {
        EXPECT_EQ(error.Message(), "GetWaveData: Cannot open file stream");
    }
    EXPECT_TRUE(wave.Empty());
}

TEST_F(QorWave, BytesThatAreNoRiffKeepThePreviousSound)
{
    TQORWave wave;
    TStringStream good(riff());
    wave.LoadFromStream(good);
    std::string bad = riff();
    bad[3] = 'X';
    TStringStream s(bad);
    try {
        wave.LoadFromStream(s);
        FAIL() << "accepted RIFX";
    } catch (const EInvalidWave& error) {
        EXPECT_EQ(error.Message(), "TQORWave: Cannot open file stream");
    }
    EXPECT_EQ(wave.Bytes(), riff());
}

TEST_F(QorWave, LoadingAtTheEndOfAStreamIsRefused)
{
    TQORWave wave;
    TStringStream s(riff());
    s.SetPosition(s.Size());
    EXPECT_THROW(wave.LoadFromStream(s), EInvalidWave);
}

TEST_F(QorWave, EmptyStreamClears)
{
    TQORWave wave;
    TStringStream good(riff());
    wave.LoadFromStream(good);
    int changes = 0;
    wave.OnChange = [&](TQORObject*) { ++changes; };
    TStringStream empty;
    wave.LoadFromStream(empty);
    EXPECT_TRUE(wave.Empty());
    EXPECT_EQ(changes, 1);
}

TEST_F(QorWave, SizedRoundTripAndEmptyWaveWritesZero)
{
    TQORWave wave;
    TStringStream good(riff(10));
    wave.LoadFromStream(good);
    TStringStream sized;
    wave.SaveToStreamSized(sized);
    EXPECT_EQ(sized.DataString(), u32(static_cast<std::uint32_t>(riff(10).size())) + riff(10));
    sized.SetPosition(0);
    TQORWave back;
    back.LoadFromStreamSized(sized);
    EXPECT_EQ(back.Bytes(), riff(10));

    TQORWave empty;
    TStringStream zero;
    empty.SaveToStreamSized(zero);
    EXPECT_EQ(zero.DataString(), u32(0));
}

TEST_F(QorWave, SizedLengthNegativeOrBeyondTheStreamIsRefused)
{
    TQORWave wave;
    TStringStream good(riff());
    wave.LoadFromStream(good);
    for (std::int32_t size : { -1, 1000, 2000000000 }) {
        TStringStream s(u32(static_cast<std::uint32_t>(size)) + riff());
        EXPECT_THROW(wave.LoadFromStreamSized(s), EReadError) << size;
        EXPECT_EQ(wave.Bytes(), riff());
    }
}

TEST_F(QorWave, CompressedRoundTrip)
{
    TQORWave wave;
    TStringStream good(riff(5000));
    wave.LoadFromStream(good);
    TStringStream packed;
    wave.SaveToStreamCompressed(packed);
    EXPECT_LT(packed.Size(), 1000);
    packed.SetPosition(0);
    TQORWave back;
    back.LoadFromStreamCompressed(packed);
    EXPECT_EQ(back.Bytes(), riff(5000));
}

TEST_F(QorWave, WaveBlobsFollowTheCompressedFlag)
{
    TQORWave wave;
    TStringStream good(riff());
    wave.LoadFromStream(good);
    for (bool compressed : { false, true }) {
        TStringStream s;
        WriteWave(s, wave, compressed);
        s.SetPosition(0);
        TQORWave back;
        ReadWave(s, back, compressed);
        EXPECT_EQ(back.Bytes(), riff());
    }
}

TEST_F(QorWave, RealFileRoundTrip)
{
    ScratchDirs dirs;
    dirs.write("app/ring.wav", riff(300));
    auto wave = TQORWave::CreateFromFile(dirs.appDir() + "/ring.wav");
    EXPECT_EQ(wave->Size(), 344);
    wave->SaveToFile(dirs.appDir() + "/copy.wav");
    EXPECT_EQ(dirs.read("app/copy.wav"), riff(300));
    EXPECT_EQ(sound::WaveDurationMs(dirs.appDir() + "/copy.wav"), 3);
}

TEST_F(QorWave, BrokenFileNamesItInTheError)
{
    ScratchDirs dirs;
    dirs.write("app/bad.wav", "not a sound at all, not even close");
    TQORWave wave;
    try {
        wave.LoadFromFile(dirs.appDir() + "/bad.wav");
        FAIL();
    } catch (const EInvalidWave& error) {
        EXPECT_EQ(error.Message(), "TQORWave: Cannot open file " + dirs.appDir() + "/bad.wav");
    }
    EXPECT_THROW(wave.LoadFromFile(dirs.appDir() + "/missing.wav"), EFOpenError);
}

TEST_F(QorWave, AssignCopiesClearsAndAlwaysNotifies)
{
    TQORWave source;
    TStringStream good(riff());
    source.LoadFromStream(good);
    TQORWave wave;
    int changes = 0;
    wave.OnChange = [&](TQORObject*) { ++changes; };
    wave.Assign(&source);
    EXPECT_EQ(wave.Bytes(), riff());
    EXPECT_EQ(wave.Data()->Position(), 0);
    TQORWave empty;
    wave.Assign(&empty);
    EXPECT_TRUE(wave.Empty());
    EXPECT_EQ(changes, 2);
    wave.Assign(&source);
    wave.Assign(nullptr);
    EXPECT_TRUE(wave.Empty());
    EXPECT_EQ(changes, 4);
}

TEST_F(QorWave, DataIsStoredOnlyWithBytes)
{
    TQORWave wave;
    EXPECT_FALSE(wave.DataStored());
    TStringStream good(riff());
    wave.LoadFromStream(good);
    EXPECT_TRUE(wave.DataStored());
}

TEST_F(QorWave, ReplacingOrDroppingHeldBytesStopsTheSound)
{
    TQORWave wave;
    TStringStream good(riff());
    wave.LoadFromStream(good);
    EXPECT_TRUE(heard.empty());
    wave.Clear();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], std::make_pair(std::string(), SND_MEMORY));
    TQORWave::Stop();
    EXPECT_EQ(heard.size(), 2u);
}
