#include "platform/win/sound.h"

#include "platform/rtl/directories.h"
#include "platform/rtl/files.h"
#include "platform/win/messages.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace {

std::uint32_t littleEndian32(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8
        | static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::string resolveSound(const std::string& fileName)
{
    std::string path = fileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() != '/')
        path = GetProgramDir() + "/" + path;
    return ResolveFileName(path);
}

class Player {
public:
    bool play(const std::string& fileName, unsigned flags)
    {
        if ((flags & SND_MEMORY) && !fileName.empty())
            return false;
        if (fileName.empty() || (flags & SND_PURGE)) {
            stop();
            notify("", flags);
            return true;
        }
        if ((flags & SND_NOSTOP) && m_playing)
            return false;
        stop();
        notify(fileName, flags);
        const std::string path = resolveSound(fileName);
        const int duration = sound::WaveDurationMs(path);
        if (duration < 0)
            return false;
        m_playing = true;
        const bool loop = (flags & SND_LOOP) && (flags & SND_ASYNC);
        if (!loop) {
            // Our own clock says when a sound ends, so a missing device changes nothing but the noise.
            QTimer::singleShot(duration, qApp, [this, generation = m_generation] {
                if (generation == m_generation)
                    finish();
            });
        }
        if (!QMediaDevices::audioOutputs().isEmpty()) {
            m_effect = new QSoundEffect(qApp);
            m_effect->setSource(QUrl::fromLocalFile(QString::fromStdString(FileSystemName(path))));
            m_effect->setLoopCount(loop ? QSoundEffect::Infinite : 1);
            m_effect->play();
        }
        if (!(flags & SND_ASYNC))
            Application::ProcessMessagesUntil([this] { return !m_playing; }, duration + 1000);
        return true;
    }

    void stop()
    {
        ++m_generation;
        finish();
    }

    void setObserver(std::function<void(const std::string&, unsigned)> observer) { m_observer = std::move(observer); }
    bool playing() const { return m_playing; }

private:
    void finish()
    {
        m_playing = false;
        if (m_effect) {
            m_effect->stop();
            m_effect->deleteLater();
            m_effect = nullptr;
        }
    }

    void notify(const std::string& fileName, unsigned flags)
    {
        if (m_observer)
            m_observer(fileName, flags);
    }

    std::function<void(const std::string&, unsigned)> m_observer;
    QPointer<QSoundEffect> m_effect;
    bool m_playing { false };
    std::uint64_t m_generation { 0 };
};

Player& player()
{
    static Player instance;
    return instance;
}

bool onMainThread()
{
    return !QCoreApplication::instance() || QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace

bool PlaySound(const std::string& fileName, unsigned flags)
{
    if (!onMainThread()) {
        // Sounds belong to the main thread; a worker's request is queued there.
        QMetaObject::invokeMethod(qApp, [fileName, flags] { player().play(fileName, flags | SND_ASYNC); },
            Qt::QueuedConnection);
        return true;
    }
    return player().play(fileName, flags);
}

bool sndPlaySound(const std::string& fileName, unsigned flags) { return PlaySound(fileName, flags); }

namespace sound {

void SetObserver(std::function<void(const std::string& file, unsigned flags)> observer)
{
    player().setObserver(std::move(observer));
}

bool IsPlaying() { return player().playing(); }

int WaveDurationMs(const std::string& fileName)
{
    std::ifstream in(FileSystemName(fileName), std::ios::binary | std::ios::ate);
    const std::streamoff fileSize = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    in.seekg(0);
    unsigned char header[12];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header))
        return -1;
    if (std::string_view(reinterpret_cast<char*>(header), 4) != "RIFF"
        || std::string_view(reinterpret_cast<char*>(header) + 8, 4) != "WAVE")
        return -1;
    std::uint32_t byteRate = 0;
    // Walk the chunks; a hostile size can only make us skip to the end.
    for (int chunks = 0; chunks < 64; ++chunks) {
        unsigned char chunk[8];
        if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk))
            return -1;
        const std::string_view id(reinterpret_cast<char*>(chunk), 4);
        const std::uint32_t size = littleEndian32(chunk + 4);
        if (id == "fmt ") {
            unsigned char format[16];
            if (size < sizeof format || !in.read(reinterpret_cast<char*>(format), sizeof format))
                return -1;
            byteRate = littleEndian32(format + 8);
            in.seekg(static_cast<std::streamoff>(size - sizeof format + (size & 1)), std::ios::cur);
        } else if (id == "data") {
            if (byteRate == 0)
                return -1;
            // A header may promise more sound than the file holds.
            const std::uint64_t held = static_cast<std::uint64_t>(std::max<std::streamoff>(0, fileSize - in.tellg()));
            const std::uint64_t bytes = std::min<std::uint64_t>(size, held);
            return static_cast<int>(std::min<std::uint64_t>(bytes * 1000 / byteRate, 24u * 3600 * 1000));
        } else {
            in.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
        }
    }
    return -1;
}

}  // namespace sound
