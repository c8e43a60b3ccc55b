#include "platform/testing/scratch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace {

void restore(const char* name, bool had, const std::string& value)
{
    if (had)
        setenv(name, value.c_str(), 1);
    else
        unsetenv(name);
}

}  // namespace

ScratchDirs::ScratchDirs()
{
    if (const char* v = getenv("KORVO_WINDIR")) {
        m_hadWinDir = true;
        m_savedWinDir = v;
    }
    if (const char* v = getenv("KORVO_APPDIR")) {
        m_hadAppDir = true;
        m_savedAppDir = v;
    }
    QDir(m_dir.path()).mkpath("windows/system");
    QDir(m_dir.path()).mkpath("app");
    setenv("KORVO_WINDIR", windowsDir().c_str(), 1);
    setenv("KORVO_APPDIR", appDir().c_str(), 1);
}

ScratchDirs::~ScratchDirs()
{
    restore("KORVO_WINDIR", m_hadWinDir, m_savedWinDir);
    restore("KORVO_APPDIR", m_hadAppDir, m_savedAppDir);
}

std::string ScratchDirs::root() const { return m_dir.path().toStdString(); }
std::string ScratchDirs::windowsDir() const { return root() + "/windows"; }
std::string ScratchDirs::appDir() const { return root() + "/app"; }

void ScratchDirs::write(const std::string& relativePath, const std::string& bytes) const
{
    const QString path = QString::fromStdString(root() + "/" + relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string ScratchDirs::read(const std::string& relativePath) const
{
    QFile file(QString::fromStdString(root() + "/" + relativePath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

bool ScratchDirs::exists(const std::string& relativePath) const
{
    return QFileInfo::exists(QString::fromStdString(root() + "/" + relativePath));
}
