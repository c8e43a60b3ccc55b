#pragma once

#include "platform/rtl/exceptions.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TIniText;
class TStringList;

// Raised when a write cannot reach the file: "Unable to write to <file>".
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// An INI file with the platform's profile semantics: sections and keys are
// case-blind and the first match wins; values come back trimmed and unquoted.
// The file is read at every call and written in place at every write, keeping
// its order, comments and unknown lines. A bare name lives in the Windows directory.
class TIniFile {
public:
    explicit TIniFile(const std::string& fileName);
    virtual ~TIniFile() = default;

    const std::string& FileName() const { return m_fileName; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // Several section and key pairs from one reading of the file: each value as
    // ReadString gives it, nothing for a missing key.
    std::vector<std::optional<std::string>> ReadValues(
        const std::vector<std::pair<std::string, std::string>>& keys) const;
    // Decimal, or hex written "0x.." or "$.."; anything else gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // True when the value reads as a non-zero integer.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    double ReadFloat(const std::string& section, const std::string& key, double defaultValue) const;

    // A missing file is created; a missing folder is not, and the write raises
    // EIniFileException. Line breaks in the texts become blanks, so a value
    // cannot add lines of its own.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void WriteFloat(const std::string& section, const std::string& key, double value);

    // Key names of the section, each once, in file order.
    void ReadSection(const std::string& section, TStringList& strings) const;
    // Section names, each once, in file order.
    void ReadSections(TStringList& strings) const;
    // "key=value" lines of the section, values as ReadString gives them.
    void ReadSectionValues(const std::string& section, TStringList& strings) const;
    // Removes every section of that name with all its lines.
    void EraseSection(const std::string& section);
    // Removes only the first section of that name, the one every read finds.
    void EraseFirstSection(const std::string& section);
    // Removes the key's lines from the section.
    void DeleteKey(const std::string& section, const std::string& key);
    // True when the section's header is in the file.
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // Writes are immediate; kept for callers that flush.
    void UpdateFile() {}
    // Many writes in one: edit changes the file's text in memory, which then reaches
    // the disk in a single write, so a long contact is not rewritten once per line.
    // Raises EIniFileException as WriteString does.
    void Rewrite(const std::function<void(TIniText&)>& edit);

private:
    std::string readFile() const;
    void writeFile(const std::string& bytes) const;

    std::string m_fileName;
};

// An INI file's text built in memory by the rules TIniFile writes with, so a
// file of many keys reaches the disk in one write.
class TIniText {
public:
    TIniText() = default;
    explicit TIniText(std::string bytes) : m_bytes(std::move(bytes)) {}

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void EraseSection(const std::string& section);
    // What EraseSection and then a WriteString per entry give, in one pass over the
    // text; the keys must differ from each other.
    void WriteSection(const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries);
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};
