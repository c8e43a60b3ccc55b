// Hostile wave bytes through every loader: refused with the wave's own errors or
// the stream's, and a refused load keeps the sound held before.
#include "kit/qorwave.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TQORWave wave;
    for (int loader = 0; loader < 3; ++loader) {
        const std::string before = wave.Bytes();
        TStringStream in(bytes);
        try {
            if (loader == 0)
                wave.LoadFromStream(in);
            else if (loader == 1)
                wave.LoadFromStreamSized(in);
            else
                wave.LoadFromStreamCompressed(in);
            TQORWaveHeader header;
            TStringStream held(wave.Bytes());
            if (!wave.Empty() && !TQORWave::GetWaveData(&held, header))
                std::abort();
        } catch (const Exception&) {
            if (wave.Bytes() != before)
                std::abort();
        }
    }
    return 0;
}
