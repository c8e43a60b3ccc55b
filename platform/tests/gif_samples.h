#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <string>
#include <vector>

// Small GIF files written with giflib's encoder, so decoder and picture tests
// need no binary fixtures.
namespace gif_samples {

struct Frame {
    int left { 0 };
    int top { 0 };
    int width { 0 };
    int height { 0 };
    std::vector<std::uint8_t> pixels;  // colour indices, row by row
    int delayHundredths { 10 };
    int disposal { DISPOSAL_UNSPECIFIED };
    int transparent { NO_TRANSPARENT_COLOR };
    bool interlace { false };
};

struct Options {
    int width { 4 };
    int height { 4 };
    int loopCount { -1 };  // -1: no NETSCAPE2.0 block
};

// Palette: 0 black, 1 red, 2 green, 3 blue.
inline std::string Write(const Options& options, const std::vector<Frame>& frames)
{
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, [](GifFileType* file, const GifByteType* data, int length) {
        static_cast<std::string*>(file->UserData)->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
        return length;
    }, &error);
    EGifSetGifVersion(gif, true);
    GifColorType colours[4] = { { 0, 0, 0 }, { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 } };
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifPutScreenDesc(gif, options.width, options.height, 2, 0, map);
    if (options.loopCount >= 0) {
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
        const GifByteType loop[3] = { 1, static_cast<GifByteType>(options.loopCount & 0xFF),
            static_cast<GifByteType>(options.loopCount >> 8) };
        EGifPutExtensionBlock(gif, 3, loop);
        EGifPutExtensionTrailer(gif);
    }
    for (const Frame& frame : frames) {
        GraphicsControlBlock control { frame.disposal, false, frame.delayHundredths, frame.transparent };
        GifByteType block[4];
        const std::size_t length = EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block);
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlace, nullptr);
        std::vector<GifPixelType> row(static_cast<std::size_t>(frame.width));
        auto put = [&](int y) {
            for (int x = 0; x < frame.width; ++x)
                row[static_cast<std::size_t>(x)] = frame.pixels[static_cast<std::size_t>(y * frame.width + x)];
            EGifPutLine(gif, row.data(), frame.width);
        };
        if (frame.interlace) {
            // The encoder takes lines in the order they are stored.
            static constexpr int kStart[] = { 0, 4, 2, 1 };
            static constexpr int kStep[] = { 8, 8, 4, 2 };
            for (int pass = 0; pass < 4; ++pass)
                for (int y = kStart[pass]; y < frame.height; y += kStep[pass])
                    put(y);
        } else {
            for (int y = 0; y < frame.height; ++y)
                put(y);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

inline Frame Solid(int width, int height, std::uint8_t colour)
{
    Frame frame;
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(static_cast<std::size_t>(width * height), colour);
    return frame;
}

// Two 4x4 frames, red then blue, 50 ms and 70 ms.
inline std::string RedThenBlue(int loopCount = 0)
{
    Frame red = Solid(4, 4, 1);
    red.delayHundredths = 5;
    Frame blue = Solid(4, 4, 3);
    blue.delayHundredths = 7;
    return Write({ 4, 4, loopCount }, { red, blue });
}

}  // namespace gif_samples
