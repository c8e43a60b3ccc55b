#include "kit/qorclass.h"

#include "kit/qorapplication.h"
#include "kit/qorsysin.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/form.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kLetters = 26;

std::vector<TQORIniCtrl*>& liveControls()
{
    static std::vector<TQORIniCtrl*> controls;
    return controls;
}

std::vector<std::pair<int, TQORIniCtrl::TWatch>>& insertionWatches()
{
    static std::vector<std::pair<int, TQORIniCtrl::TWatch>> watches;
    return watches;
}

}  // namespace

TQORIniCtrl::TQORIniCtrl(TForm* owner) : m_owner(owner)
{
    liveControls().push_back(this);
    if (!owner)
        return;
    // A watcher may stop watching while it is told.
    const auto watches = insertionWatches();
    for (const auto& [id, watch] : watches)
        watch(this);
}

TQORIniCtrl::~TQORIniCtrl()
{
    std::erase(liveControls(), this);
    const auto watches = std::move(m_freeWatches);
    for (const auto& [id, watch] : watches)
        watch(this);
}

std::vector<TQORIniCtrl*> TQORIniCtrl::OnForm(const TForm* form)
{
    std::vector<TQORIniCtrl*> found;
    if (!form)
        return found;
    for (TQORIniCtrl* control : liveControls())
        if (control->m_owner == form)
            found.push_back(control);
    return found;
}

int TQORIniCtrl::FreeNotification(TWatch watch)
{
    const int id = m_nextWatch++;
    m_freeWatches.emplace_back(id, std::move(watch));
    return id;
}

void TQORIniCtrl::RemoveFreeNotification(int id)
{
    std::erase_if(m_freeWatches, [id](const auto& entry) { return entry.first == id; });
}

int TQORIniCtrl::WatchInsertions(TWatch watch)
{
    static int nextId = 1;
    const int id = nextId++;
    insertionWatches().emplace_back(id, std::move(watch));
    return id;
}

void TQORIniCtrl::UnwatchInsertions(int id)
{
    std::erase_if(insertionWatches(), [id](const auto& entry) { return entry.first == id; });
}

HKEY RootKeyToHKey(int rootKey)
{
    switch (rootKey & 0x7F) {
    case rpClassesRoot: return HKEY_CLASSES_ROOT;
    case rpCurrentUser: return HKEY_CURRENT_USER;
    case rpLocalMachine: return HKEY_LOCAL_MACHINE;
    case rpUsers: return HKEY_USERS;
    case rpCurrentConfig: return HKEY_CURRENT_CONFIG;
    case rpDynData: return HKEY_DYN_DATA;
    default: return 0;
    }
}

TQORRegIniFile::TQORRegIniFile(HKEY rootKey, const std::string& keyPath) : m_root(rootKey), m_path(keyPath)
{
    while (!m_path.empty() && m_path.back() == '\\')
        m_path.pop_back();
    TRegistry registry(m_root);
    if (!registry.OpenKey("\\" + m_path, true))
        throw ERegistryException("Failed to create key " + m_path);
}

std::string TQORRegIniFile::keyOf(const std::string& section) const
{
    return section.empty() ? "\\" + m_path : "\\" + m_path + "\\" + section;
}

std::string TQORRegIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue) const
{
    TRegistry registry(m_root);
    if (!registry.OpenKeyReadOnly(keyOf(section)) || !registry.ValueExists(ident))
        return defaultValue;
    return registry.ReadString(ident);
}

void TQORRegIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    TRegistry registry(m_root);
    if (!registry.OpenKey(keyOf(section), true))
        throw ERegistryException("Failed to create key " + section);
    registry.WriteString(ident, value);
}

void TQORRegIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    TRegistry registry(m_root);
    if (registry.OpenKey(keyOf(section), false))
        registry.DeleteValue(ident);
}

void TQORIniCtrl::SetAlphaCounter(bool value)
{
    m_alphaCounter = value;
    if (value)
        m_maxEntries = std::min(m_maxEntries, kLetters);
}

void TQORIniCtrl::SetMaxEntries(std::uint8_t value)
{
    if (m_alphaCounter && value > kLetters)
        return;
    m_maxEntries = value;
}

void TQORIniCtrl::SetNetUser(bool value)
{
    m_netUser = value;
    if (value)
        m_user = GetNetUser();
}

std::string TQORIniCtrl::GetNetUser() const { return GetNetUserName(); }

std::string TQORIniCtrl::IniPath() const
{
    std::string name = m_iniFile;
    if (name.empty())
        name = ChangeFileExt(ProgramFileName(), ".INI");
    else if (ExtractFileExt(name).empty())
        name += ".INI";
    if (m_iniPrefix == qorprocs::ppFixed)
        return name;
    return qorprocs::GetPrefixPath(m_iniPrefix, true) + ExtractFileName(name);
}

std::string TQORIniCtrl::RegistryPath() const
{
    if (!qorprocs::IsBlank(m_regPath))
        return m_regPath.back() == '\\' ? m_regPath : m_regPath + '\\';
    if (QORApplication())
        return QORApplication()->DefaultRegistryPath();
    return "Software\\" + Application::Title() + "\\";
}

std::string TQORIniCtrl::SectionName(const std::string& section)
{
    if (qorprocs::IsBlank(section))
        return m_lastSection.empty() ? "Common" : m_lastSection;
    std::string name = section;
    if (!useRegistry()) {
        if (!m_common)
            name += "." + (m_netUser ? GetNetUser() : m_user);
    } else if (section == "#ROOT") {
        name.clear();
    }
    m_lastSection = name;
    return name;
}

std::string TQORIniCtrl::ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue)
{
    const std::string name = SectionName(section);
    if (useRegistry())
        return TQORRegIniFile(RootKeyToHKey(m_regRoot), RegistryPath()).ReadString(name, ident, defaultValue);
    return TIniFile(IniPath()).ReadString(name, ident, defaultValue);
}

void TQORIniCtrl::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    const std::string name = SectionName(section);
    if (useRegistry()) {
        TQORRegIniFile(RootKeyToHKey(m_regRoot), RegistryPath()).WriteString(name, ident, value);
        return;
    }
    TIniFile file(IniPath());
    file.WriteString(name, ident, value);
}

void TQORIniCtrl::DeleteKey(const std::string& section, const std::string& ident)
{
    const std::string name = SectionName(section);
    if (useRegistry()) {
        TQORRegIniFile(RootKeyToHKey(m_regRoot), RegistryPath()).DeleteKey(name, ident);
        return;
    }
    TIniFile file(IniPath());
    file.DeleteKey(name, ident);
}
