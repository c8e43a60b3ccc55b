#include "kit/qorapplication.h"

#include "kit/qorcont.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/form.h"
#include "platform/win/namedmutex.h"

#include <QCoreApplication>
#include <QCursor>

namespace {

TQORApplication* g_application = nullptr;
int g_initCount = 0;

std::string AddRegistrySeparator(const std::string& s)
{
    if (!qorprocs::IsBlank(s) && s.back() == '\\')
        return s;
    return s + '\\';
}

}  // namespace

std::string ProgramFileName()
{
    return codepage::FromUtf8(QCoreApplication::applicationFilePath().toStdString());
}

TQORApplication::TQORApplication()
{
    m_iniCtrl = std::make_unique<TQORIniCtrl>();
    m_mutex = std::make_unique<TNamedMutex>(ExtractFileName(ProgramFileName()));
    m_prevInstance = m_mutex->AlreadyExisted();
    m_window = AllocateHWnd([this](TMessage& message) { WndProc(message); });
    m_timerPool = std::make_unique<TQORTimerPool>(50);
    m_timerPool->Loaded();
    SetLogFile("");
    SetScreenCursor(crQORHand, QCursor(Qt::PointingHandCursor));
}

TQORApplication::~TQORApplication()
{
    m_timerPool.reset();
    DeallocateHWnd(m_window);
    m_mutex.reset();
}

int TQORApplication::HookMainWindow(TMainWindowHook hook)
{
    const int id = m_nextHookId++;
    m_mainHooks.emplace_back(id, std::move(hook));
    return id;
}

void TQORApplication::UnhookMainWindow(int id)
{
    std::erase_if(m_mainHooks, [id](const auto& entry) { return entry.first == id; });
}

void TQORApplication::WndProc(TMessage& message)
{
    // A hook may unhook itself or another while it runs.
    const auto hooks = m_mainHooks;
    for (const auto& [id, hook] : hooks)
        if (hook && hook(message))
            return;
    message.Result = DefWindowProc(m_window, message.Msg, message.WParam, message.LParam);
}

void TQORApplication::SetLogFile(const std::string& name)
{
    std::string file = name;
    if (qorprocs::IsBlank(file))
        file = ChangeFileExt(ProgramFileName(), ".LOG");
    else if (ExtractFileExt(file).empty())
        file += ".LOG";
    if (m_logPrefix == qorprocs::ppFixed)
        m_logFile = file;
    else
        m_logFile = qorprocs::GetPrefixPath(m_logPrefix, true) + ExtractFileName(file);
}

std::uint16_t TQORApplication::AddTimer(int interval, TQORTimerItem::TItemEvent callback, void* data)
{
    for (int slot = 1; slot <= kTimerSlots; ++slot) {
        if (m_timerSlots[static_cast<std::size_t>(slot)] != 0)
            continue;
        const auto id = static_cast<std::uint16_t>(kTimerBase + slot);
        // The slot is taken only once the pool has accepted the timer.
        m_timerPool->AddTimer(id, interval, std::move(callback), data);
        m_timerSlots[static_cast<std::size_t>(slot)] = 1;
        return id;
    }
    return 0;
}

void TQORApplication::RemoveTimer(std::uint16_t id)
{
    if (id <= kTimerBase || id > kTimerBase + kTimerSlots)
        return;
    m_timerPool->RemoveTimer(id);
    m_timerSlots[static_cast<std::size_t>(id - kTimerBase)] = 0;
}

TQORTimerItem* TQORApplication::GetTimer(std::uint16_t id) const { return m_timerPool->FindTimer(id); }

const QImage& TQORApplication::GetPatternBitmap(TColor color)
{
    if (m_pattern.isNull()) {
        m_pattern = QImage(8, 8, QImage::Format_RGB32);
        m_pattern.fill(Qt::white);
    }
    if (color != m_patternColor) {
        const QRgb rgb = ToQColor(ColorToRGB(color)).rgb();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if ((x % 2) != (y % 2))
                    m_pattern.setPixel(x, y, rgb);
        m_patternColor = color;
    }
    return m_pattern;
}

std::string TQORApplication::DefaultRegistryPath() const
{
    std::string path = "Software\\";
    if (!qorprocs::IsBlank(Company))
        path += AddRegistrySeparator(Company);
    const std::string title = Application::Title();
    path += AddRegistrySeparator(qorprocs::IsBlank(title) ? ProgramFileName() : title);
    if (!qorprocs::IsBlank(Version))
        path += AddRegistrySeparator(Version);
    return path;
}

void QORInitialize()
{
    if (g_initCount++ == 0) {
        g_application = new TQORApplication;
        QORCreateContainer();
    }
}

void QORFinalize()
{
    if (g_initCount == 0 || --g_initCount > 0)
        return;
    QORFreeContainer();
    delete g_application;
    g_application = nullptr;
}

TQORApplication* QORApplication() { return g_application; }
