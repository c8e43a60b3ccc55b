#include "kit/qorwave.h"

#include "kit/qorblob.h"
#include "kit/qorprocs.h"
#include "platform/rtl/streams.h"
#include "platform/win/sound.h"

#include <cstring>

namespace {

// What the loaders put where the file name would go when they read from a stream.
constexpr const char* kStreamName = "stream";

std::string cannotOpen(const std::string& name) { return qorprocs::ResText("Cannot open file " + name); }

}  // namespace

TQORWave::~TQORWave()
{
    if (!Empty())
        Stop();
}

std::unique_ptr<TQORWave> TQORWave::CreateFromFile(const std::string& fileName)
{
    auto wave = std::make_unique<TQORWave>();
    wave->LoadFromFile(fileName);
    return wave;
}

bool TQORWave::Empty() const { return !m_data || m_data->Size() == 0; }

std::int64_t TQORWave::Size() const { return Empty() ? 0 : m_data->Size(); }

std::string TQORWave::Bytes() const
{
    if (Empty())
        return {};
    return std::string(m_data->Memory(), static_cast<std::size_t>(m_data->Size()));
}

void TQORWave::SetData(std::unique_ptr<TMemoryStream> data)
{
    if (!Empty())
        Stop();
    m_data = std::move(data);
    if (m_data)
        m_data->SetPosition(0);
    Change();
}

void TQORWave::ReadData(std::int64_t size, TStream& stream) { readChecked(size, stream, kStreamName); }

void TQORWave::readChecked(std::int64_t size, TStream& stream, const std::string& name)
{
    if (stream.Size() == 0) {
        Clear();
        return;
    }
    if (size < 0 || size > stream.Size() - stream.Position())
        throw EReadError("Stream read error");
    auto data = std::make_unique<TMemoryStream>();
    data->SetSize(size);
    stream.ReadBuffer(data->Memory(), size);
    TQORWaveHeader header;
    bool valid = false;
    try {
        valid = GetWaveData(data.get(), header);
    } catch (const EErrorCheckingWave&) {
        throw EErrorCheckingWave("GetWaveData: " + cannotOpen(name));
    }
    if (!valid)
        throw EInvalidWave("TQORWave: " + cannotOpen(name));
    SetData(std::move(data));
}

void TQORWave::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    readChecked(file.Size(), file, fileName);
}

void TQORWave::LoadFromStream(TStream& stream) { ReadData(stream.Size() - stream.Position(), stream); }

void TQORWave::ReadSized(TStream& stream)
{
    const std::int32_t size = ReadInteger(stream);
    ReadData(size, stream);
}

void TQORWave::LoadFromStreamCompressed(TStream& stream)
{
    TMemoryStream decoded;
    ReadCompressed(stream, decoded);
    decoded.SetPosition(0);
    LoadFromStream(decoded);
}

void TQORWave::WriteData(TStream& stream, bool withSize) const
{
    const std::string bytes = Bytes();
    if (withSize)
        WriteRawBlob(stream, bytes);
    else
        stream.WriteString(bytes);
}

void TQORWave::SaveToFile(const std::string& fileName) const
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

void TQORWave::SaveToStreamCompressed(TStream& stream) const
{
    TMemoryStream bytes;
    SaveToStream(bytes);
    bytes.SetPosition(0);
    WriteCompressed(bytes, stream, bytes.Size());
}

void TQORWave::Assign(const TQORWave* source)
{
    if (source == this)
        return;
    if (!source) {
        Clear();
        return;
    }
    if (!Empty())
        Stop();
    if (source->Empty()) {
        m_data.reset();
    } else {
        m_data = std::make_unique<TMemoryStream>();
        m_data->WriteString(source->Bytes());
        m_data->SetPosition(0);
    }
    Change();
}

void TQORWave::Stop() { sndPlaySound("", SND_MEMORY); }

bool TQORWave::GetWaveData(TStream* stream, TQORWaveHeader& header)
{
    if (!stream || stream->Size() == 0)
        return false;
    struct Rewind {
        TStream* stream;
        ~Rewind() { stream->SetPosition(0); }
    } rewind { stream };
    stream->SetPosition(0);
    try {
        char tag[4];
        stream->ReadBuffer(tag, 4);
        if (std::memcmp(tag, "RIFF", 4) != 0)
            return false;
        const std::int32_t riffSize = ReadInteger(*stream);
        stream->ReadBuffer(tag, 4);
        if (std::memcmp(tag, "WAVE", 4) != 0)
            return false;
        stream->ReadBuffer(tag, 4);
        if (std::memcmp(tag, "fmt ", 4) != 0)
            return false;
        ReadInteger(*stream);
        std::uint8_t format[14];
        stream->ReadBuffer(format, sizeof format);
        const int formatTag = format[0] | (format[1] << 8);
        const int channels = format[2] | (format[3] << 8);
        header.RiffSize = riffSize;
        header.SamplesPerSec = static_cast<std::int32_t>(format[4] | (format[5] << 8) | (format[6] << 16) | (static_cast<std::uint32_t>(format[7]) << 24));
        header.Channels = channels == 1 || channels == 2 ? static_cast<std::uint8_t>(channels) : 0;
        header.PCM = formatTag == 1;
        header.BlockAlign = static_cast<std::uint16_t>(format[12] | (format[13] << 8));
        return true;
    } catch (const EReadError&) {
        throw EErrorCheckingWave("GetWaveData: " + cannotOpen(kStreamName));
    }
}

void WriteWave(TStream& stream, const TQORWave& wave, bool compressed)
{
    if (compressed)
        wave.SaveToStreamCompressed(stream);
    else
        wave.SaveToStreamSized(stream);
}

void ReadWave(TStream& stream, TQORWave& wave, bool compressed)
{
    if (compressed)
        wave.LoadFromStreamCompressed(stream);
    else
        wave.LoadFromStreamSized(stream);
}
