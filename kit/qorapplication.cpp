#include "kit/qorapplication.h"

#include "platform/rtl/codepage.h"
#include "platform/ui/form.h"
#include "platform/win/namedmutex.h"

#include <QCoreApplication>

namespace {

TQORApplication* g_application = nullptr;
int g_initCount = 0;

std::string AddRegistrySeparator(const std::string& s)
{
    if (!qorprocs::IsBlank(s) && s.back() == '\\')
        return s;
    return s + '\\';
}

// The name routines here keep clear of the runtime's header, whose error
// constants collide with the platform types the mutex brings in.
std::string FileNamePart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HasExtension(const std::string& path) { return FileNamePart(path).find('.') != std::string::npos; }

std::string WithLogExtension(const std::string& path)
{
    const std::string name = FileNamePart(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return path + ".LOG";
    return path.substr(0, path.size() - (name.size() - dot)) + ".LOG";
}

}  // namespace

std::string ProgramFileName()
{
    return codepage::FromUtf8(QCoreApplication::applicationFilePath().toStdString());
}

TQORApplication::TQORApplication()
{
    m_mutex = std::make_unique<TNamedMutex>(FileNamePart(ProgramFileName()));
    m_prevInstance = m_mutex->AlreadyExisted();
    m_timerPool = std::make_unique<TQORTimerPool>(50);
    m_timerPool->Loaded();
    SetLogFile("");
}

TQORApplication::~TQORApplication()
{
    m_timerPool.reset();
    m_mutex.reset();
}

void TQORApplication::SetLogFile(const std::string& name)
{
    std::string file = name;
    if (qorprocs::IsBlank(file))
        file = WithLogExtension(ProgramFileName());
    else if (!HasExtension(file))
        file += ".LOG";
    if (m_logPrefix == qorprocs::ppFixed)
        m_logFile = file;
    else
        m_logFile = qorprocs::GetPrefixPath(m_logPrefix, true) + FileNamePart(file);
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
