#pragma once

#include <QTemporaryDir>

#include <string>

// A private Windows directory and program folder for one test, set in the
// environment (KORVO_WINDIR, KORVO_APPDIR) while the object lives.
class ScratchDirs {
public:
    ScratchDirs();
    ~ScratchDirs();
    ScratchDirs(const ScratchDirs&) = delete;
    ScratchDirs& operator=(const ScratchDirs&) = delete;

    // Without trailing separator, in the file system's UTF-8.
    std::string windowsDir() const;
    std::string appDir() const;
    std::string root() const;

    // Writes bytes to a file below root (folders made as needed).
    void write(const std::string& relativePath, const std::string& bytes) const;
    // The bytes of a file below root, or "" when it does not exist.
    std::string read(const std::string& relativePath) const;
    bool exists(const std::string& relativePath) const;

private:
    QTemporaryDir m_dir;
    std::string m_savedWinDir;
    std::string m_savedAppDir;
    bool m_hadWinDir { false };
    bool m_hadAppDir { false };
};
