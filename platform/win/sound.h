#pragma once

#include <functional>
#include <string>

// PlaySound of the program's wave files. One sound plays at a time per program;
// starting one stops the last. Without an audio device everything behaves the
// same, only silently: a sound "plays" for the length its wave header gives.

inline constexpr unsigned SND_SYNC = 0x0000;
inline constexpr unsigned SND_ASYNC = 0x0001;
inline constexpr unsigned SND_NODEFAULT = 0x0002;
inline constexpr unsigned SND_MEMORY = 0x0004;
inline constexpr unsigned SND_LOOP = 0x0008;
inline constexpr unsigned SND_NOSTOP = 0x0010;
inline constexpr unsigned SND_PURGE = 0x0040;
inline constexpr unsigned SND_NOWAIT = 0x2000;
inline constexpr unsigned SND_ALIAS = 0x10000;
inline constexpr unsigned SND_FILENAME = 0x20000;

// fileName: a bare name or a relative path is looked up in the program folder
// (case-blind), a full path is used as it is. An empty name or SND_PURGE stops
// the playing sound. SND_NOSTOP: nothing starts while a sound plays (false).
// Without SND_ASYNC the call returns when the sound has ended. There is no
// default sound: a missing or broken file plays nothing and gives false.
// Memory images are not played; SND_MEMORY with no bytes stops, as the
// wave holder's Stop asks.
bool PlaySound(const std::string& fileName, unsigned flags);
bool sndPlaySound(const std::string& fileName, unsigned flags);

namespace sound {

// Sees every sound that starts, or would have started had its file been
// playable, as (the name given, flags), and every stop as ("", flags).
// A sound refused by SND_NOSTOP is not seen. Main thread.
void SetObserver(std::function<void(const std::string& file, unsigned flags)> observer);

// A sound of this program is playing (a looped one until it is stopped).
bool IsPlaying();

// The length of a RIFF/WAVE PCM file's sound in milliseconds, or -1 when the
// file is no such sound.
int WaveDurationMs(const std::string& fileName);

}  // namespace sound
