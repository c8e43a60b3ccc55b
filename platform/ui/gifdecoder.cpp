#include "platform/ui/gifdecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

struct Reader {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
};

int readBytes(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* reader = static_cast<Reader*>(gif->UserData);
    if (length <= 0)
        return 0;
    const std::size_t n = std::min(static_cast<std::size_t>(length), reader->size - reader->pos);
    std::memcpy(buffer, reader->data + reader->pos, n);
    reader->pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// Browsers treat 0 and 1 hundredths as "as fast as sensible"; so do we.
int delayOf(int hundredths)
{
    return hundredths < 2 ? 100 : hundredths * 10;
}

}  // namespace

bool GifDecoder::Decode(const std::string& bytes)
{
    m_frames.clear();
    m_width = m_height = 0;
    m_loopCount = -1;
    m_error.clear();

    Reader reader { reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0 };
    int openError = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readBytes, &openError));
    if (!gif) {
        m_error = "not a GIF file";
        return false;
    }
    if (gif->SWidth <= 0 || gif->SHeight <= 0 || gif->SWidth > kMaxSide || gif->SHeight > kMaxSide) {
        m_error = "picture size out of bounds";
        return false;
    }
    const int width = gif->SWidth;
    const int height = gif->SHeight;
    const std::size_t frameBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;

    QImage canvas(width, height, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    GraphicsControlBlock control { DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR };
    std::vector<GifByteType> pixels;
    bool done = false;

    while (!done) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
            m_error = "file ends early";
            break;
        }
        if (type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) {
                m_error = "bad extension";
                break;
            }
            bool netscape = false;
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                DGifExtensionToGCB(block[0], block + 1, &control);
            if (code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 && std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0)
                netscape = true;
            bool broken = false;
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) {
                    broken = true;
                    break;
                }
                if (netscape && block && block[0] >= 3 && block[1] == 1)
                    m_loopCount = block[2] | (block[3] << 8);
            }
            if (broken) {
                m_error = "bad extension";
                break;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) {
            m_error = "unknown record";
            break;
        }
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
            m_error = "bad image descriptor";
            break;
        }
        const GifImageDesc& desc = gif->Image;
        if (desc.Width <= 0 || desc.Height <= 0 || desc.Width > kMaxSide || desc.Height > kMaxSide) {
            m_error = "frame size out of bounds";
            break;
        }
        const ColorMapObject* colours = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (!colours || colours->ColorCount <= 0 || !colours->Colors) {
            m_error = "frame without colours";
            break;
        }
        if (m_frames.size() >= kMaxFrames || (m_frames.size() + 1) * frameBytes > kMaxTotalBytes) {
            m_error = "too many frames";
            break;
        }
        const int fw = desc.Width;
        const int fh = desc.Height;
        pixels.assign(static_cast<std::size_t>(fw) * static_cast<std::size_t>(fh), 0);
        bool complete = true;
        auto readRow = [&](int row) {
            if (complete && DGifGetLine(gif.get(), pixels.data() + static_cast<std::size_t>(row) * fw, fw) == GIF_ERROR)
                complete = false;
        };
        if (desc.Interlace) {
            static constexpr int kStart[] = { 0, 4, 2, 1 };
            static constexpr int kStep[] = { 8, 8, 4, 2 };
            for (int pass = 0; pass < 4; ++pass)
                for (int row = kStart[pass]; row < fh; row += kStep[pass])
                    readRow(row);
        } else {
            for (int row = 0; row < fh; ++row)
                readRow(row);
        }
        if (!complete) {
            m_error = "file ends inside a frame";
            break;
        }

        const QRect area = QRect(desc.Left, desc.Top, fw, fh).intersected(canvas.rect());
        const GifDisposal disposal = static_cast<GifDisposal>(std::clamp(control.DisposalMode, 0, 3));
        QImage previous;
        if (disposal == GifDisposal::Previous)
            previous = canvas.copy();
        for (int y = area.top(); y <= area.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
            const GifByteType* source = pixels.data() + static_cast<std::size_t>(y - desc.Top) * fw;
            for (int x = area.left(); x <= area.right(); ++x) {
                const int index = source[x - desc.Left];
                if (index == control.TransparentColor || index >= colours->ColorCount)
                    continue;
                const GifColorType& c = colours->Colors[index];
                line[x] = qRgb(c.Red, c.Green, c.Blue);
            }
        }
        m_frames.push_back({ canvas.copy(), delayOf(control.DelayTime), disposal, area });

        if (disposal == GifDisposal::Background) {
            for (int y = area.top(); y <= area.bottom(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
                std::fill(line + area.left(), line + area.right() + 1, qRgba(0, 0, 0, 0));
            }
        } else if (disposal == GifDisposal::Previous) {
            canvas = previous;
        }
        control = GraphicsControlBlock { DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR };
    }

    if (m_frames.empty()) {
        if (m_error.empty())
            m_error = "no frames";
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}
