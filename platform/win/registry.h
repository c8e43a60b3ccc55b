#pragma once

#include "platform/rtl/exceptions.h"

#include <cstdint>
#include <string>
#include <vector>

// The registry: every root kept in one text file in the Windows directory
// (registry.reg), in the platform's export format, read afresh whenever another
// process changed it and rewritten whole at each change. Key paths are
// '\\'-separated and case-blind; text is code-page bytes. The shell folders read
// as XDG folders (or folders of the Windows directory) until the file names others.

using HKEY = std::uintptr_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr HKEY HKEY_USERS = 0x80000003;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006;

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// A cursor on one key at a time, as the class library's registry class.
class TRegistry final {
public:
    TRegistry() = default;
    explicit TRegistry(HKEY rootKey) : m_rootKey(rootKey) {}

    HKEY RootKey() const { return m_rootKey; }
    // Closes the open key.
    void SetRootKey(HKEY rootKey);

    // key beginning with '\\' starts at the root, else below the open key (or the root).
    // With canCreate missing keys are made. False when the key is missing or the root unknown.
    bool OpenKey(const std::string& key, bool canCreate);
    // Opens an existing key; writes through it then fail.
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    bool HasCurrentKey() const { return m_open; }
    // The open key's path below the root, without leading '\\'.
    std::string CurrentPath() const;

    bool CreateKey(const std::string& key);
    bool KeyExists(const std::string& key) const;
    // Removes the key with everything below it; false when it was not there.
    bool DeleteKey(const std::string& key);

    // Of the open key; empty when none is open. "" names the key's default value.
    std::vector<std::string> GetKeyNames() const;
    std::vector<std::string> GetValueNames() const;
    bool HasSubKeys() const;
    bool ValueExists(const std::string& name) const;
    TRegDataType GetDataType(const std::string& name) const;
    bool DeleteValue(const std::string& name);

    // "" when the value is missing; ERegistryException when it is not text. The
    // text ends before its first NUL.
    std::string ReadString(const std::string& name) const;
    // ERegistryException when the value is missing or not a number.
    int ReadInteger(const std::string& name) const;
    bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }
    // ERegistryException without a writable open key.
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int value);
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

private:
    std::vector<std::string> resolve(const std::string& key) const;
    void write(const std::string& name, int kind, const std::string& bytes, std::uint32_t number);

    HKEY m_rootKey { HKEY_CURRENT_USER };
    bool m_open { false };
    bool m_readOnly { false };
    std::vector<std::string> m_path;
};

// The registry's file: the Windows directory's registry.reg.
std::string RegistryFileName();
