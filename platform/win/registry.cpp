#include "platform/win/registry.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/desktop.h"

#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int REG_SZ = 1;
constexpr int REG_EXPAND_SZ = 2;
constexpr int REG_BINARY = 3;
constexpr int REG_DWORD = 4;

constexpr std::size_t kMaxFileBytes = 16 << 20;
constexpr std::size_t kMaxDepth = 64;

const char* const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct Value {
    std::string name;
    int kind { REG_SZ };
    std::string bytes;
    std::uint32_t number { 0 };
    // A default of ours, not in the file; the folder it names is made when it is read.
    bool builtIn { false };
};

struct Node {
    std::string name;
    std::vector<Value> values;
    std::map<std::string, std::unique_ptr<Node>> children;  // by upper-case name
    bool builtIn { false };

    Node* child(const std::string& childName)
    {
        auto it = children.find(AnsiUpperCase(childName));
        return it == children.end() ? nullptr : it->second.get();
    }

    Node* makeChild(const std::string& childName, bool asBuiltIn = false)
    {
        if (Node* existing = child(childName))
            return existing;
        auto node = std::make_unique<Node>();
        node->name = childName;
        node->builtIn = asBuiltIn;
        Node* made = node.get();
        children[AnsiUpperCase(childName)] = std::move(node);
        return made;
    }

    Value* value(const std::string& valueName)
    {
        for (Value& v : values)
            if (AnsiSameText(v.name, valueName))
                return &v;
        return nullptr;
    }

    void setValue(Value v)
    {
        if (Value* existing = value(v.name))
            *existing = std::move(v);
        else
            values.push_back(std::move(v));
    }
};

struct RootName {
    HKEY key;
    const char* name;
    const char* shortName;
};

constexpr RootName kRoots[] = {
    { HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR" },
    { HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU" },
    { HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM" },
    { HKEY_USERS, "HKEY_USERS", "HKU" },
    { HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC" },
    { HKEY_DYN_DATA, "HKEY_DYN_DATA", "HKDD" },
};

bool knownRoot(HKEY key)
{
    return std::any_of(std::begin(kRoots), std::end(kRoots), [key](const RootName& root) { return root.key == key; });
}

struct Store {
    std::map<HKEY, Node> roots;
};

std::vector<std::string> splitPath(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// --- reading the export format ------------------------------------------

std::optional<HKEY> rootByName(const std::string& name)
{
    for (const RootName& root : kRoots)
        if (SameText(name, root.name) || SameText(name, root.shortName))
            return root.key;
    return std::nullopt;
}

// A quoted text at pos (on the opening quote); pos ends after the closing one.
std::optional<std::string> readQuoted(std::string_view line, std::size_t& pos)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    std::string text;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return text;
        }
        if (c == '\\' && pos + 1 < line.size() && (line[pos + 1] == '\\' || line[pos + 1] == '"'))
            text += line[++pos];
        else
            text += c;
    }
    return std::nullopt;
}

std::optional<std::string> readHexBytes(std::string_view text)
{
    std::string bytes;
    int digits = 0;
    int current = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit >= 0) {
            if (++digits > 2)
                return std::nullopt;
            current = current * 16 + digit;
        } else if (c == ',') {
            if (digits == 0)
                return std::nullopt;
            bytes += static_cast<char>(current);
            digits = current = 0;
        } else if (c != ' ' && c != '\t') {
            return std::nullopt;
        }
    }
    if (digits > 0)
        bytes += static_cast<char>(current);
    return bytes;
}

std::optional<Value> parseValue(std::string_view line)
{
    Value value;
    std::size_t pos = 0;
    if (line[0] == '@') {
        pos = 1;
    } else {
        auto name = readQuoted(line, pos);
        if (!name)
            return std::nullopt;
        value.name = *name;
    }
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    std::string_view data = line.substr(pos + 1);
    while (!data.empty() && data.front() == ' ')
        data.remove_prefix(1);
    if (!data.empty() && data.front() == '"') {
        std::size_t at = 0;
        auto text = readQuoted(data, at);
        if (!text)
            return std::nullopt;
        value.bytes = *text;
        return value;
    }
    if (data.size() > 6 && SameText(data.substr(0, 6), "dword:")) {
        const std::string_view digits = data.substr(6);
        std::uint32_t number = 0;
        if (digits.empty() || digits.size() > 8)
            return std::nullopt;
        for (char c : digits) {
            const int digit = HexDigitValue(c);
            if (digit < 0)
                return std::nullopt;
            number = number * 16 + static_cast<std::uint32_t>(digit);
        }
        value.kind = REG_DWORD;
        value.number = number;
        return value;
    }
    if (data.size() >= 4 && SameText(data.substr(0, 3), "hex")) {
        std::string_view rest = data.substr(3);
        int kind = REG_BINARY;
        if (rest.front() == '(') {
            const std::size_t close = rest.find(')');
            if (close == std::string_view::npos || close < 2 || close > 9)
                return std::nullopt;
            kind = 0;
            for (char c : rest.substr(1, close - 1)) {
                const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
                if (digit < 0)
                    return std::nullopt;
                kind = kind * 16 + digit;
            }
            rest = rest.substr(close + 1);
        }
        if (rest.empty() || rest.front() != ':')
            return std::nullopt;
        auto bytes = readHexBytes(rest.substr(1));
        if (!bytes)
            return std::nullopt;
        value.kind = kind;
        if (kind == REG_SZ || kind == REG_EXPAND_SZ) {
            value.bytes = bytes->substr(0, bytes->find('\0'));
        } else if (kind == REG_DWORD && bytes->size() == 4) {
            for (int i = 3; i >= 0; --i)
                value.number = value.number << 8 | static_cast<unsigned char>((*bytes)[static_cast<std::size_t>(i)]);
        } else {
            value.bytes = *bytes;
        }
        return value;
    }
    return std::nullopt;
}

void parse(const std::string& bytes, Store& store)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    Node* current = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = TrimLeft(lines[i]);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            current = nullptr;
            line = TrimRight(line);
            if (line.size() < 3 || line.back() != ']' || line[1] == '-')
                continue;
            const auto parts = splitPath(std::string_view(line).substr(1, line.size() - 2));
            const auto root = parts.empty() ? std::nullopt : rootByName(parts[0]);
            if (!root || parts.size() > kMaxDepth)
                continue;
            current = &store.roots[*root];
            for (std::size_t p = 1; p < parts.size(); ++p)
                current = current->makeChild(parts[p]);
            continue;
        }
        if (!current || (line[0] != '"' && line[0] != '@'))
            continue;
        // Long hex values go on over several lines, each but the last ending in a backslash.
        while (line.find("=hex") != std::string::npos && !line.empty() && line.back() == '\\' && i + 1 < lines.size()) {
            line.pop_back();
            line += Trim(lines[++i]);
        }
        if (auto value = parseValue(line))
            current->setValue(std::move(*value));
    }
}

// --- writing it -----------------------------------------------------------

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string hexData(const std::string& prefix, const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out = prefix;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (i > 0)
            out += (i % 24 == 0) ? ",\\\r\n  " : ",";
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

std::string valueLine(const Value& value)
{
    std::string line = value.name.empty() ? "@=" : quoted(value.name) + "=";
    const bool plainText = value.bytes.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
    if (value.kind == REG_SZ && plainText)
        return line + quoted(value.bytes);
    if (value.kind == REG_DWORD) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", value.number);
        return line + text;
    }
    if (value.kind == REG_SZ || value.kind == REG_EXPAND_SZ)
        return line + hexData(value.kind == REG_SZ ? "hex(1):" : "hex(2):", value.bytes + '\0');
    if (value.kind == REG_BINARY)
        return line + hexData("hex:", value.bytes);
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.kind));
    return line + hexData(prefix, value.bytes);
}

void writeNode(const Node& node, const std::string& path, std::string& out)
{
    const bool ownValues = std::any_of(node.values.begin(), node.values.end(), [](const Value& v) { return !v.builtIn; });
    if (!node.builtIn || ownValues) {
        out += "\r\n[" + path + "]\r\n";
        for (const Value& value : node.values)
            if (!value.builtIn)
                out += valueLine(value) + "\r\n";
    }
    for (const auto& [upper, child] : node.children)
        writeNode(*child, path + "\\" + child->name, out);
}

std::string serialize(const Store& store)
{
    std::string out = "REGEDIT4\r\n";
    for (const RootName& root : kRoots) {
        auto it = store.roots.find(root.key);
        if (it == store.roots.end())
            continue;
        const Node& node = it->second;
        if (!node.values.empty()) {
            out += "\r\n[" + std::string(root.name) + "]\r\n";
            for (const Value& value : node.values)
                if (!value.builtIn)
                    out += valueLine(value) + "\r\n";
        }
        for (const auto& [upper, child] : node.children)
            writeNode(*child, std::string(root.name) + "\\" + child->name, out);
    }
    return out;
}

// --- defaults ---------------------------------------------------------------

std::string standardFolder(QStandardPaths::StandardLocation location)
{
    return codepage::FromUtf8(QStandardPaths::writableLocation(location).toStdString());
}

void applyDefaults(Store& store)
{
    const std::string windowsDir = GetWindowsDir();
    // A simulated host keeps all its folders in its own Windows directory, as an
    // old single-user installation did, so hosts on one machine stay apart.
    const char* simulated = getenv("KORVO_WINDIR");
    const bool ownFolders = simulated && *simulated;
    auto personal = [&](QStandardPaths::StandardLocation location, const char* fallback) {
        const std::string xdg = ownFolders ? std::string() : standardFolder(location);
        return xdg.empty() ? windowsDir + "/" + fallback : xdg;
    };
    const std::pair<const char*, std::string> folders[] = {
        { "Desktop", personal(QStandardPaths::DesktopLocation, "Desktop") },
        { "Personal", personal(QStandardPaths::DocumentsLocation, "My Documents") },
        { "My Pictures", personal(QStandardPaths::PicturesLocation, "My Documents/My Pictures") },
        { "My Music", personal(QStandardPaths::MusicLocation, "My Documents/My Music") },
        { "AppData", personal(QStandardPaths::GenericDataLocation, "Application Data") },
        { "Favorites", windowsDir + "/Favorites" },
        { "Start Menu", windowsDir + "/Start Menu" },
        { "Programs", windowsDir + "/Start Menu/Programs" },
        { "Startup", windowsDir + "/Start Menu/Programs/StartUp" },
        { "Recent", windowsDir + "/Recent" },
        { "SendTo", windowsDir + "/SendTo" },
        { "Templates", windowsDir + "/ShellNew" },
        { "Fonts", windowsDir + "/Fonts" },
        { "NetHood", windowsDir + "/NetHood" },
        { "Cache", windowsDir + "/Temporary Internet Files" },
        { "Cookies", windowsDir + "/Cookies" },
        { "History", windowsDir + "/History" },
    };
    Node* node = &store.roots[HKEY_CURRENT_USER];
    for (const std::string& part : splitPath(kShellFolders))
        node = node->makeChild(part, true);
    for (const auto& [name, path] : folders) {
        if (node->value(name))
            continue;
        Value value;
        value.name = name;
        value.bytes = path;
        value.builtIn = true;
        node->values.push_back(std::move(value));
    }
}

// --- the cached file ----------------------------------------------------------

struct FileStamp {
    bool exists { false };
    dev_t device { 0 };
    ino_t inode { 0 };
    off_t size { 0 };
    long long modifiedNs { 0 };

    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& fileName)
{
    FileStamp stamp;
    struct stat info {};
    if (stat(FileSystemName(fileName).c_str(), &info) == 0) {
        stamp.exists = true;
        stamp.device = info.st_dev;
        stamp.inode = info.st_ino;
        stamp.size = info.st_size;
        stamp.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    }
    return stamp;
}

class RegistryFile {
public:
    // The current contents, read again when the file changed.
    Store& store()
    {
        const std::string fileName = RegistryFileName();
        const FileStamp stamp = stampOf(fileName);
        if (!m_loaded || fileName != m_fileName || !(stamp == m_stamp)) {
            m_store = Store {};
            std::string bytes;
            if (stamp.exists && static_cast<std::size_t>(stamp.size) <= kMaxFileBytes && ReadWholeFile(fileName, bytes))
                parse(bytes, m_store);
            applyDefaults(m_store);
            m_fileName = fileName;
            m_stamp = stamp;
            m_loaded = true;
        }
        return m_store;
    }

    void save()
    {
        if (!WriteFileAtomically(m_fileName, serialize(m_store))) {
            m_loaded = false;
            throw ERegistryException("Failed to write the registry file " + m_fileName);
        }
        m_stamp = stampOf(m_fileName);
    }

    std::mutex mutex;

private:
    Store m_store;
    std::string m_fileName;
    FileStamp m_stamp;
    bool m_loaded { false };
};

RegistryFile& registryFile()
{
    static RegistryFile file;
    return file;
}

// Other processes of the desktop change the file too; a change is read, made
// and written under this lock so none is lost.
class ChangeLock {
public:
    ChangeLock()
    {
        const std::string folder = desktop::Folder();
        if (folder.empty())
            return;
        m_fd = open((folder + "/registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            flock(m_fd, LOCK_EX);
    }
    ~ChangeLock()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    ChangeLock(const ChangeLock&) = delete;
    ChangeLock& operator=(const ChangeLock&) = delete;

private:
    int m_fd { -1 };
};

Node* findNode(Store& store, HKEY root, const std::vector<std::string>& path)
{
    auto it = store.roots.find(root);
    if (it == store.roots.end()) {
        if (!knownRoot(root))
            return nullptr;
        it = store.roots.emplace(root, Node {}).first;
    }
    Node* node = &it->second;
    for (const std::string& part : path) {
        node = node->child(part);
        if (!node)
            return nullptr;
    }
    return node;
}

}  // namespace

std::string RegistryFileName() { return GetWindowsDir() + "/registry.reg"; }

void TRegistry::SetRootKey(HKEY rootKey)
{
    CloseKey();
    m_rootKey = rootKey;
}

std::vector<std::string> TRegistry::resolve(const std::string& key) const
{
    const bool relative = key.empty() || key[0] != '\\';
    std::vector<std::string> path = relative && m_open ? m_path : std::vector<std::string> {};
    for (std::string& part : splitPath(key))
        path.push_back(std::move(part));
    return path;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    const std::vector<std::string> path = resolve(key);
    if (path.size() > kMaxDepth || !knownRoot(m_rootKey))
        return false;
    RegistryFile& file = registryFile();
    {
        std::lock_guard guard(file.mutex);
        if (!findNode(file.store(), m_rootKey, path)) {
            if (!canCreate)
                return false;
            ChangeLock lock;
            Node* node = findNode(file.store(), m_rootKey, {});
            for (const std::string& part : path) {
                node = node->makeChild(part);
                node->builtIn = false;
            }
            file.save();
        }
    }
    m_path = path;
    m_open = true;
    m_readOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
    const std::vector<std::string> path = resolve(key);
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    if (!findNode(file.store(), m_rootKey, path))
        return false;
    m_path = path;
    m_open = true;
    m_readOnly = true;
    return true;
}

void TRegistry::CloseKey()
{
    m_open = false;
    m_readOnly = false;
    m_path.clear();
}

std::string TRegistry::CurrentPath() const
{
    std::string path;
    for (const std::string& part : m_path)
        path += (path.empty() ? "" : "\\") + part;
    return path;
}

bool TRegistry::CreateKey(const std::string& key)
{
    TRegistry other(m_rootKey);
    other.m_open = m_open;
    other.m_path = m_path;
    return other.OpenKey(key, true);
}

bool TRegistry::KeyExists(const std::string& key) const
{
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    return findNode(file.store(), m_rootKey, resolve(key)) != nullptr;
}

bool TRegistry::DeleteKey(const std::string& key)
{
    std::vector<std::string> path = resolve(key);
    if (path.empty())
        return false;
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    ChangeLock lock;
    const std::string last = path.back();
    path.pop_back();
    Node* parent = findNode(file.store(), m_rootKey, path);
    if (!parent || parent->children.erase(AnsiUpperCase(last)) == 0)
        return false;
    file.save();
    return true;
}

std::vector<std::string> TRegistry::GetKeyNames() const
{
    std::vector<std::string> names;
    if (!m_open)
        return names;
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    if (Node* node = findNode(file.store(), m_rootKey, m_path))
        for (const auto& [upper, child] : node->children)
            names.push_back(child->name);
    return names;
}

std::vector<std::string> TRegistry::GetValueNames() const
{
    std::vector<std::string> names;
    if (!m_open)
        return names;
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    if (Node* node = findNode(file.store(), m_rootKey, m_path))
        for (const Value& value : node->values)
            names.push_back(value.name);
    return names;
}

bool TRegistry::HasSubKeys() const { return !GetKeyNames().empty(); }

bool TRegistry::ValueExists(const std::string& name) const
{
    if (!m_open)
        return false;
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    Node* node = findNode(file.store(), m_rootKey, m_path);
    return node && node->value(name);
}

TRegDataType TRegistry::GetDataType(const std::string& name) const
{
    if (!m_open)
        return TRegDataType::rdUnknown;
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    Node* node = findNode(file.store(), m_rootKey, m_path);
    const Value* value = node ? node->value(name) : nullptr;
    if (!value)
        return TRegDataType::rdUnknown;
    switch (value->kind) {
    case REG_SZ:
        return TRegDataType::rdString;
    case REG_EXPAND_SZ:
        return TRegDataType::rdExpandString;
    case REG_DWORD:
        return TRegDataType::rdInteger;
    case REG_BINARY:
        return TRegDataType::rdBinary;
    default:
        return TRegDataType::rdUnknown;
    }
}

bool TRegistry::DeleteValue(const std::string& name)
{
    if (!m_open || m_readOnly)
        return false;
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    ChangeLock lock;
    Node* node = findNode(file.store(), m_rootKey, m_path);
    if (!node)
        return false;
    auto it = std::find_if(node->values.begin(), node->values.end(), [&](const Value& v) { return AnsiSameText(v.name, name); });
    if (it == node->values.end())
        return false;
    const bool wasInFile = !it->builtIn;
    node->values.erase(it);
    if (wasInFile)
        file.save();
    return true;
}

std::string TRegistry::ReadString(const std::string& name) const
{
    if (!m_open)
        return {};
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    Node* node = findNode(file.store(), m_rootKey, m_path);
    const Value* value = node ? node->value(name) : nullptr;
    if (!value)
        return {};
    if (value->kind != REG_SZ && value->kind != REG_EXPAND_SZ)
        throw ERegistryException("Invalid data type for '" + name + "'");
    // The platform's own folders always exist; ours are made when first asked for.
    if (value->builtIn)
        ForceDirectories(value->bytes);
    // Text ends at its first NUL, as every reader of a registry string takes it.
    return value->bytes.substr(0, value->bytes.find('\0'));
}

int TRegistry::ReadInteger(const std::string& name) const
{
    const Value* value = nullptr;
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    if (m_open)
        if (Node* node = findNode(file.store(), m_rootKey, m_path))
            value = node->value(name);
    if (!value)
        throw ERegistryException("Failed to get data for '" + name + "'");
    if (value->kind != REG_DWORD)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return static_cast<int>(value->number);
}

void TRegistry::write(const std::string& name, int kind, const std::string& bytes, std::uint32_t number)
{
    if (!m_open || m_readOnly)
        throw ERegistryException("Failed to set data for '" + name + "'");
    RegistryFile& file = registryFile();
    std::lock_guard guard(file.mutex);
    ChangeLock lock;
    Node* node = findNode(file.store(), m_rootKey, m_path);
    if (!node)
        throw ERegistryException("Failed to set data for '" + name + "'");
    Value value;
    value.name = name;
    value.kind = kind;
    value.bytes = bytes;
    value.number = number;
    node->setValue(std::move(value));
    node->builtIn = false;
    file.save();
}

void TRegistry::WriteString(const std::string& name, const std::string& value) { write(name, REG_SZ, value, 0); }

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) { write(name, REG_EXPAND_SZ, value, 0); }

void TRegistry::WriteInteger(const std::string& name, int value) { write(name, REG_DWORD, {}, static_cast<std::uint32_t>(value)); }
