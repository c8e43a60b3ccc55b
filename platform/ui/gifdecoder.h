#pragma once

#include <QImage>

#include <cstddef>
#include <string>
#include <vector>

// Frame disposal as a GIF names it: what happens to a frame's area before the next one.
enum class GifDisposal { Unspecified = 0, Keep = 1, Background = 2, Previous = 3 };

// One frame as shown: the whole logical screen with every earlier frame's
// disposal applied, so a player only draws image after image.
struct GifFrame {
    QImage image;  // ARGB32, logical-screen size
    int delayMs { 100 };
    GifDisposal disposal { GifDisposal::Unspecified };
    QRect area;  // where this frame's own pixels went
};

// Decodes a GIF file's bytes with giflib. A file from a server or a disk is not
// trusted: sizes, frame count and total memory are bounded, and a truncated file
// keeps the frames that arrived whole.
class GifDecoder {
public:
    static constexpr int kMaxSide = 4096;
    static constexpr std::size_t kMaxFrames = 1000;
    static constexpr std::size_t kMaxTotalBytes = 256u * 1024 * 1024;

    // False, with no frames, when not even one frame could be decoded.
    bool Decode(const std::string& bytes);

    bool Empty() const { return m_frames.empty(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const std::vector<GifFrame>& Frames() const { return m_frames; }
    // Repetitions after the first play: -1 none asked (play once), 0 for ever.
    int LoopCount() const { return m_loopCount; }
    // Why decoding stopped early, or "" when the file ended properly.
    const std::string& Error() const { return m_error; }

private:
    std::vector<GifFrame> m_frames;
    int m_width { 0 };
    int m_height { 0 };
    int m_loopCount { -1 };
    std::string m_error;
};
