#pragma once

#include "kit/qorobject.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

#include <cstdint>
#include <memory>
#include <string>

class EInvalidWave : public Exception {
public:
    using Exception::Exception;
};
class EErrorCheckingWave : public Exception {
public:
    using Exception::Exception;
};

// What the start of a RIFF/WAVE sound says about it.
struct TQORWaveHeader {
    std::int32_t RiffSize { 0 };
    std::int32_t SamplesPerSec { 0 };
    // 1 mono, 2 stereo, 0 any other count.
    std::uint8_t Channels { 0 };
    bool PCM { false };
    std::uint16_t BlockAlign { 0 };
};

// One sound held as the bytes of a RIFF/WAVE file. Bytes are checked as they
// come in; a refused load keeps the sound held before.
class TQORWave final : public TQORObject {
public:
    TQORWave() = default;
    ~TQORWave() override;
    TQORWave(const TQORWave&) = delete;
    TQORWave& operator=(const TQORWave&) = delete;

    static std::unique_ptr<TQORWave> CreateFromFile(const std::string& fileName);

    // The property a form file keeps the bytes under, present only when DataStored().
    static constexpr const char* kDataProperty = "Data";
    bool DataStored() const { return !Empty(); }

    bool Empty() const;
    std::int64_t Size() const;
    // The sound bytes, nullptr when empty.
    TMemoryStream* Data() const { return m_data.get(); }
    std::string Bytes() const;

    // Stops the playing sound when bytes are held, then takes data (or none).
    void SetData(std::unique_ptr<TMemoryStream> data);
    void Clear() { SetData(nullptr); }

    // The common loader: size bytes from stream. A stream without bytes clears;
    // a size below 0 or beyond what the stream holds raises EReadError before
    // anything is allocated; bytes that are no sound raise EInvalidWave or
    // EErrorCheckingWave.
    void ReadData(std::int64_t size, TStream& stream);
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(TStream& stream);
    void ReadSized(TStream& stream);
    void LoadFromStreamSized(TStream& stream) { ReadSized(stream); }
    void LoadFromStreamCompressed(TStream& stream);

    void WriteData(TStream& stream, bool withSize) const;
    void SaveToStream(TStream& stream) const { WriteData(stream, false); }
    void SaveToFile(const std::string& fileName) const;
    void WriteSized(TStream& stream) const { WriteData(stream, true); }
    void SaveToStreamSized(TStream& stream) const { WriteSized(stream); }
    void SaveToStreamCompressed(TStream& stream) const;

    // A copy of source's bytes; nullptr clears.
    void Assign(const TQORWave* source);

    // Stops whatever sound this program plays.
    static void Stop();

    // Reads the header from the stream's start and puts the stream back at 0.
    // False for no stream, an empty one or bytes that are no RIFF/WAVE sound;
    // EErrorCheckingWave when the header runs short.
    static bool GetWaveData(TStream* stream, TQORWaveHeader& header);

private:
    void readChecked(std::int64_t size, TStream& stream, const std::string& name);

    std::unique_ptr<TMemoryStream> m_data;
};

// A sound as a list item stores it: a sized blob, or a compressed one.
void WriteWave(TStream& stream, const TQORWave& wave, bool compressed);
void ReadWave(TStream& stream, TQORWave& wave, bool compressed);
