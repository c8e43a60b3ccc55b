#include "kit/qorapplication.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/sysutils.h"
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

}  // namespace

std::string ProgramFileName()
{
    return codepage::FromUtf8(QCoreApplication::applicationFilePath().toStdString());
}

TQORApplication::TQORApplication()
{
    m_mutex = std::make_unique<TNamedMutex>(ExtractFileName(ProgramFileName()));
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
