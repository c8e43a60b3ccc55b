#include "kit/qorapplication.h"

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
    if (g_initCount++ == 0)
        g_application = new TQORApplication;
}

void QORFinalize()
{
    if (g_initCount == 0 || --g_initCount > 0)
        return;
    delete g_application;
    g_application = nullptr;
}

TQORApplication* QORApplication() { return g_application; }
