#pragma once

#include "kit/qorobject.h"
#include "kit/qorprocs.h"
#include "platform/win/registry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class TForm;

enum TQORRegRootKey { rpClassesRoot, rpCurrentUser, rpLocalMachine, rpUsers, rpCurrentConfig, rpDynData };
enum TQORIniTarget { itIniFile, itRegistry, itAuto };

// The registry root of a root-key value (its low 7 bits); 0 for others.
HKEY RootKeyToHKey(int rootKey);

// An INI file kept in a registry key: sections are subkeys, an empty section is
// the key itself. The key is opened, and made when missing, at construction.
class TQORRegIniFile final {
public:
    // ERegistryException when the key can be neither opened nor made.
    TQORRegIniFile(HKEY rootKey, const std::string& keyPath);

    std::string ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue) const;
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void DeleteKey(const std::string& section, const std::string& ident);

private:
    std::string keyOf(const std::string& section) const;

    HKEY m_root;
    std::string m_path;
};

// Named string values in an INI file or the registry, in a common section or
// one per user. Each call opens its target, acts, and closes it again.
class TQORIniCtrl : public TQORComponent {
public:
    // A control placed on a form tells the form's components it arrived.
    explicit TQORIniCtrl(TForm* owner = nullptr);
    ~TQORIniCtrl() override;

    TForm* Owner() const { return m_owner; }
    // The controls placed on a form, oldest first.
    static std::vector<TQORIniCtrl*> OnForm(const TForm* form);

    // Calls watch with the control when it is destroyed; an id to stop watching.
    using TWatch = std::function<void(TQORIniCtrl* control)>;
    int FreeNotification(TWatch watch);
    void RemoveFreeNotification(int id);
    // Calls watch with every control placed on a form from now on.
    static int WatchInsertions(TWatch watch);
    static void UnwatchInsertions(int id);

    // Failures of the file or the registry come back to the caller.
    std::string ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue);
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void DeleteKey(const std::string& section, const std::string& ident);

    // While on, MaxEntries is at most 26 (one letter per entry).
    bool AlphaCounter() const { return m_alphaCounter; }
    void SetAlphaCounter(bool value);
    std::uint8_t MaxEntries() const { return m_maxEntries; }
    // Refused above 26 while AlphaCounter is on.
    void SetMaxEntries(std::uint8_t value);

    bool Common() const { return m_common; }
    void SetCommon(bool value) { m_common = value; }
    bool NetUser() const { return m_netUser; }
    // On also takes the network user name as User.
    void SetNetUser(bool value);
    const std::string& User() const { return m_user; }
    void SetUser(const std::string& value) { m_user = value; }

    // Empty: the program's name with ".INI"; a name without extension gets ".INI".
    const std::string& IniFile() const { return m_iniFile; }
    void SetIniFile(const std::string& value) { m_iniFile = value; }
    qorprocs::TQORPathPrefix IniPrefix() const { return m_iniPrefix; }
    void SetIniPrefix(qorprocs::TQORPathPrefix value) { m_iniPrefix = value; }
    // Blank: the application's default registry path.
    const std::string& RegPath() const { return m_regPath; }
    void SetRegPath(const std::string& value) { m_regPath = value; }
    TQORRegRootKey RegRoot() const { return m_regRoot; }
    void SetRegRoot(TQORRegRootKey value) { m_regRoot = value; }
    // itAuto means the registry.
    TQORIniTarget Target() const { return m_target; }
    void SetTarget(TQORIniTarget value) { m_target = value; }

    // Where the values go, as the next call would use them.
    std::string IniPath() const;
    std::string RegistryPath() const;
    // The section a requested name stands for; remembered as the last one used.
    std::string SectionName(const std::string& section);

    virtual std::string GetNetUser() const;

private:
    bool useRegistry() const { return m_target != itIniFile; }

    bool m_alphaCounter { false };
    bool m_common { true };
    std::string m_iniFile;
    qorprocs::TQORPathPrefix m_iniPrefix { qorprocs::ppWindows };
    std::uint8_t m_maxEntries { 16 };
    bool m_netUser { false };
    std::string m_user;
    std::string m_regPath;
    TQORRegRootKey m_regRoot { rpCurrentUser };
    TQORIniTarget m_target { itAuto };
    std::string m_lastSection;
    TForm* m_owner { nullptr };
    std::vector<std::pair<int, TWatch>> m_freeWatches;
    int m_nextWatch { 1 };
};
