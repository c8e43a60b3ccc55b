#include "platform/rtl/inifile.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/files.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string_view>
#include <vector>

namespace {

struct Line {
    enum class Kind { Other, Section, Key };
    std::string_view raw;
    Kind kind { Kind::Other };
    std::string_view name;
    std::string_view value;
};

std::string_view trimView(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

Line parseLine(std::string_view raw)
{
    Line line;
    line.raw = raw;
    const std::string_view text = trimView(raw);
    if (text.empty() || text.front() == ';')
        return line;
    if (text.front() == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = Line::Kind::Section;
            line.name = trimView(text.substr(1, close - 1));
            return line;
        }
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        return line;
    line.kind = Line::Kind::Key;
    line.name = trimView(text.substr(0, eq));
    line.value = trimView(text.substr(eq + 1));
    return line;
}

// Lines end in LF or CR LF; a final line break makes no empty line.
std::vector<Line> parse(std::string_view bytes)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view raw = bytes.substr(start, end - start);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        lines.push_back(parseLine(raw));
        start = next;
    }
    return lines;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The first section of that name: its header index and the index past its last line, or -1.
int findSection(const std::vector<Line>& lines, std::string_view section, std::size_t& end)
{
    const std::string_view wanted = trimView(section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Line::Kind::Section && AnsiSameText(lines[i].name, wanted)) {
            end = i + 1;
            while (end < lines.size() && lines[end].kind != Line::Kind::Section)
                ++end;
            return static_cast<int>(i);
        }
    }
    end = 0;
    return -1;
}

const Line* findKey(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    std::size_t end = 0;
    const int header = findSection(lines, section, end);
    if (header < 0)
        return nullptr;
    const std::string_view wanted = trimView(key);
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
        if (lines[i].kind == Line::Kind::Key && AnsiSameText(lines[i].name, wanted))
            return &lines[i];
    }
    return nullptr;
}

// A text for one line of the file: a line break in it would start a line of its own.
std::string singleLine(std::string_view text)
{
    std::string out(trimView(text));
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

std::string join(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

// The text with key=value in section: the key's first line rewritten, or a new
// line after the section's last key, or a new section at the end after a blank line.
std::string withValue(const std::string& bytes, const std::string& section, const std::string& key,
    const std::string& value)
{
    const std::string sectionName = singleLine(section);
    const std::string keyName = singleLine(key);
    const std::string newLine = keyName + "=" + singleLine(value);

    const std::vector<Line> lines = parse(bytes);
    std::vector<std::string> out;
    out.reserve(lines.size() + 3);
    for (const Line& line : lines)
        out.emplace_back(line.raw);

    std::size_t end = 0;
    const int header = findSection(lines, sectionName, end);
    if (header < 0) {
        if (!out.empty() && !trimView(out.back()).empty())
            out.emplace_back();
        out.push_back("[" + sectionName + "]");
        out.push_back(newLine);
        return join(out);
    }
    std::size_t insertAt = static_cast<std::size_t>(header) + 1;
    for (std::size_t i = insertAt; i < end; ++i) {
        if (lines[i].kind != Line::Kind::Key)
            continue;
        if (AnsiSameText(lines[i].name, keyName)) {
            // The key keeps the spelling the file gave it.
            out[i] = std::string(lines[i].name) + "=" + singleLine(value);
            return join(out);
        }
        insertAt = i + 1;
    }
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
    return join(out);
}

// The text with the section written anew at its end: what a new section's keys
// written one by one would give.
std::string withSectionAtEnd(const std::string& bytes, const std::string& section,
    const std::vector<std::pair<std::string, std::string>>& entries)
{
    const std::vector<Line> lines = parse(bytes);
    std::vector<std::string> out;
    out.reserve(lines.size() + entries.size() + 2);
    for (const Line& line : lines)
        out.emplace_back(line.raw);
    if (!out.empty() && !trimView(out.back()).empty())
        out.emplace_back();
    out.push_back("[" + singleLine(section) + "]");
    for (const auto& [key, value] : entries)
        out.push_back(singleLine(key) + "=" + singleLine(value));
    return join(out);
}

// The text without every section of that name; nothing when it has none.
std::optional<std::string> withoutSection(const std::string& bytes, const std::string& section)
{
    const std::vector<Line> lines = parse(bytes);
    const std::string_view wanted = trimView(section);
    std::vector<std::string> out;
    bool erasing = false;
    bool changed = false;
    for (const Line& line : lines) {
        if (line.kind == Line::Kind::Section)
            erasing = AnsiSameText(line.name, wanted);
        if (erasing) {
            changed = true;
            continue;
        }
        out.emplace_back(line.raw);
    }
    if (!changed)
        return std::nullopt;
    return join(out);
}

// Holds an exclusive lock on a folder, so writers of the files in it take turns
// and no one's read-modify-write is lost to another's.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : m_fd(::open(codepage::ToUtf8(folder.empty() ? std::string(".") : folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd { -1 };
};

// The key lines of the first section of that name, each key once (its first line).
std::vector<const Line*> firstKeyLines(const std::vector<Line>& lines, std::string_view section)
{
    std::vector<const Line*> keys;
    std::size_t end = 0;
    const int header = findSection(lines, section, end);
    if (header < 0)
        return keys;
    TStringList seen;
    seen.SetSorted(true);
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
        if (lines[i].kind != Line::Kind::Key)
            continue;
        const std::string name(lines[i].name);
        if (seen.IndexOf(name) >= 0)
            continue;
        seen.Add(name);
        keys.push_back(&lines[i]);
    }
    return keys;
}

// strings := one entry for each key of the section, its first line made into text.
template <class Entry>
void listFirstKeys(const std::string& bytes, const std::string& section, TStringList& strings, Entry entry)
{
    const std::vector<Line> lines = parse(bytes);  // views into bytes
    strings.BeginUpdate();
    strings.Clear();
    for (const Line* key : firstKeyLines(lines, section))
        strings.Add(entry(*key));
    strings.EndUpdate();
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName)
    : m_fileName(fileName.find(PathDelim) == std::string::npos ? GetWindowsDir() + PathDelim + fileName : fileName)
{
}

std::string TIniFile::readFile() const
{
    std::string bytes;
    if (!ReadWholeFile(m_fileName, bytes))
        bytes.clear();
    return bytes;
}

void TIniFile::writeFile(const std::string& bytes) const
{
    if (!WriteFileAtomically(m_fileName, bytes))
        throw EIniFileException("Unable to write to " + m_fileName);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const
{
    const std::string bytes = readFile();
    const std::vector<Line> lines = parse(bytes);
    const Line* line = findKey(lines, section, key);
    return line ? std::string(unquote(line->value)) : defaultValue;
}

std::vector<std::optional<std::string>> TIniFile::ReadValues(
    const std::vector<std::pair<std::string, std::string>>& keys) const
{
    const std::string bytes = readFile();
    const std::vector<Line> lines = parse(bytes);
    std::vector<std::optional<std::string>> values;
    values.reserve(keys.size());
    for (const auto& [section, key] : keys) {
        const Line* line = findKey(lines, section, key);
        values.push_back(line ? std::optional<std::string>(unquote(line->value)) : std::nullopt);
    }
    return values;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    return StrToIntDef(ReadString(section, key, std::string()), defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& key, double defaultValue) const
{
    return StrToFloatDef(ReadString(section, key, std::string()), defaultValue);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    const FolderLock lock(ExtractFileDir(m_fileName));
    if (!lock.held())
        throw EIniFileException("Unable to write to " + m_fileName);
    writeFile(withValue(readFile(), section, key, value));
}

void TIniFile::Rewrite(const std::function<void(TIniText&)>& edit)
{
    const FolderLock lock(ExtractFileDir(m_fileName));
    if (!lock.held())
        throw EIniFileException("Unable to write to " + m_fileName);
    TIniText text(readFile());
    edit(text);
    writeFile(text.Bytes());
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& section, const std::string& key, double value)
{
    WriteString(section, key, FloatToStr(value));
}

void TIniFile::ReadSection(const std::string& section, TStringList& strings) const
{
    listFirstKeys(readFile(), section, strings, [](const Line& key) { return std::string(key.name); });
}

void TIniFile::ReadSections(TStringList& strings) const
{
    const std::string bytes = readFile();
    const std::vector<Line> lines = parse(bytes);
    strings.BeginUpdate();
    strings.Clear();
    TStringList seen;
    seen.SetSorted(true);
    for (const Line& line : lines) {
        if (line.kind != Line::Kind::Section)
            continue;
        const std::string name(line.name);
        if (seen.IndexOf(name) >= 0)
            continue;
        seen.Add(name);
        strings.Add(name);
    }
    strings.EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& section, TStringList& strings) const
{
    listFirstKeys(readFile(), section, strings,
        [](const Line& key) { return std::string(key.name) + "=" + std::string(unquote(key.value)); });
}

void TIniFile::EraseSection(const std::string& section)
{
    const FolderLock lock(ExtractFileDir(m_fileName));
    if (const std::optional<std::string> bytes = withoutSection(readFile(), section))
        writeFile(*bytes);
}

void TIniFile::EraseFirstSection(const std::string& section)
{
    const FolderLock lock(ExtractFileDir(m_fileName));
    const std::string bytes = readFile();
    const std::vector<Line> lines = parse(bytes);
    std::size_t end = 0;
    const int header = findSection(lines, section, end);
    if (header < 0)
        return;
    std::vector<std::string> out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i < static_cast<std::size_t>(header) || i >= end)
            out.emplace_back(lines[i].raw);
    }
    writeFile(join(out));
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key)
{
    const FolderLock lock(ExtractFileDir(m_fileName));
    const std::string bytes = readFile();
    const std::vector<Line> lines = parse(bytes);
    std::size_t end = 0;
    const int header = findSection(lines, section, end);
    if (header < 0)
        return;
    const std::string_view wanted = trimView(key);
    std::vector<std::string> out;
    bool changed = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool inSection = i > static_cast<std::size_t>(header) && i < end;
        if (inSection && lines[i].kind == Line::Kind::Key && AnsiSameText(lines[i].name, wanted)) {
            changed = true;
            continue;
        }
        out.emplace_back(lines[i].raw);
    }
    if (changed)
        writeFile(join(out));
}

bool TIniFile::SectionExists(const std::string& section) const
{
    const std::string bytes = readFile();
    std::size_t end = 0;
    return findSection(parse(bytes), section, end) >= 0;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const
{
    const std::string bytes = readFile();
    return findKey(parse(bytes), section, key) != nullptr;
}

void TIniText::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    m_bytes = withValue(m_bytes, section, key, value);
}

void TIniText::EraseSection(const std::string& section)
{
    if (std::optional<std::string> bytes = withoutSection(m_bytes, section))
        m_bytes = std::move(*bytes);
}

void TIniText::WriteSection(const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries)
{
    EraseSection(section);
    if (!entries.empty())
        m_bytes = withSectionAtEnd(m_bytes, section, entries);
}
