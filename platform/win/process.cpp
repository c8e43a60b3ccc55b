#include "platform/win/process.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/shell.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace {

constexpr UINT kWinExecStarted = 33;
constexpr HINSTANCE kShellExecuteDone = 42;
// How many blanks of an unquoted command line are tried as the end of a program path.
constexpr int kMaxProgramGuesses = 32;

struct Observer {
    std::function<void(const process::Launch&)> see;
    bool alsoStart { false };
};

Observer& observer()
{
    static Observer instance;
    return instance;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A program name as the platform writes it, as a full path here.
std::string fullName(const std::string& name, const std::string& baseDir)
{
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() != '/')
        path = baseDir + "/" + path;
    return path;
}

std::string withoutExe(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos && SameText(path.substr(dot), ".exe"))
        return path.substr(0, dot);
    return path;
}

bool isProgram(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(FileSystemName(path)));
    return info.isFile() && info.isExecutable();
}

std::optional<std::string> findProgram(const std::string& name, const std::string& baseDir)
{
    const std::string full = fullName(name, baseDir);
    for (const std::string& candidate : { withoutExe(full), full }) {
        const std::string resolved = ResolveFileName(candidate);
        if (isProgram(resolved))
            return resolved;
    }
    return std::nullopt;
}

process::Launch launchOf(const std::string& name, const std::string& baseDir, std::vector<std::string> arguments)
{
    process::Launch launch;
    const auto found = findProgram(name, baseDir);
    launch.found = found.has_value();
    launch.program = found ? *found : withoutExe(fullName(name, baseDir));
    launch.arguments = std::move(arguments);
    return launch;
}

// False when the program exists but could not be started.
bool start(const process::Launch& launch)
{
    Observer& watcher = observer();
    if (watcher.see)
        watcher.see(launch);
    if (!launch.found || (watcher.see && !watcher.alsoStart))
        return true;
    QStringList arguments;
    for (const std::string& argument : launch.arguments)
        arguments << codepage::ToUnicode(argument);
    QProcess child;
    child.setProgram(QString::fromStdString(FileSystemName(launch.program)));
    child.setArguments(arguments);
    if (!launch.directory.empty())
        child.setWorkingDirectory(QString::fromStdString(FileSystemName(launch.directory)));
    // The child knows it was started by one of ours, so it keeps off its parent's automation socket.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KORVO_PARENT"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    return child.startDetached();
}

}  // namespace

UINT WinExec(const std::string& cmdLine, int showCmd)
{
    const std::string text = TrimLeft(cmdLine);
    if (text.empty())
        return static_cast<UINT>(ERROR_FILE_NOT_FOUND);
    const std::string programDir = GetProgramDir();
    std::string name;
    std::string rest;
    if (text[0] == '"') {
        const std::size_t close = text.find('"', 1);
        name = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        rest = close == std::string::npos ? std::string() : text.substr(close + 1);
    } else {
        // Unquoted, a path with blanks is tried at each blank in turn, as the platform does.
        std::size_t end = 0;
        for (int guess = 0; guess < kMaxProgramGuesses && end != std::string::npos; ++guess) {
            end = text.find_first_of(" \t", end + (guess ? 1 : 0));
            const std::string candidate = text.substr(0, end);
            if (findProgram(candidate, programDir)) {
                name = candidate;
                break;
            }
        }
        if (name.empty())
            name = text.substr(0, text.find_first_of(" \t"));
        rest = name.size() < text.size() ? text.substr(name.size()) : std::string();
    }
    process::Launch launch = launchOf(name, programDir, process::SplitCommandLine(rest));
    launch.showCmd = showCmd;
    if (!start(launch))
        return ERROR_BAD_FORMAT;
    return launch.found ? kWinExecStarted : static_cast<UINT>(ERROR_FILE_NOT_FOUND);
}

HINSTANCE ShellExecute(HWND, const std::string& operation, const std::string& file, const std::string& parameters,
    const std::string& directory, int showCmd)
{
    if (!operation.empty() && !SameText(operation, "open") && !SameText(operation, "explore"))
        return SE_ERR_NOASSOC;
    if (file.empty())
        return SE_ERR_FNF;
    if (shell::IsUrl(file))
        return ShellOpen(file) ? kShellExecuteDone : SE_ERR_NOASSOC;
    const std::string baseDir = directory.empty() ? GetProgramDir() : fullName(directory, GetProgramDir());
    process::Launch launch = launchOf(file, baseDir, process::SplitCommandLine(parameters));
    launch.directory = directory.empty() ? std::string() : baseDir;
    launch.showCmd = showCmd;
    if (!launch.found) {
        const std::string document = ResolveFileName(fullName(file, baseDir));
        if (QFileInfo::exists(QString::fromStdString(FileSystemName(document))))
            return ShellOpen(document) ? kShellExecuteDone : SE_ERR_NOASSOC;
    }
    if (!start(launch))
        return SE_ERR_ACCESSDENIED;
    return launch.found ? kShellExecuteDone : SE_ERR_FNF;
}

namespace process {

bool StartProgram(const std::string& name, const std::vector<std::string>& arguments, int showCmd)
{
    Launch launch = launchOf(name, GetProgramDir(), arguments);
    launch.showCmd = showCmd;
    const bool started = start(launch);
    return launch.found && started;
}

void SetObserver(std::function<void(const Launch&)> see, bool alsoStart)
{
    observer() = Observer { std::move(see), alsoStart };
}

std::vector<std::string> SplitCommandLine(const std::string& text)
{
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i >= text.size())
            break;
        std::string argument;
        bool quoted = false;
        while (i < text.size() && (quoted || !isBlank(text[i]))) {
            if (text[i] == '\\') {
                std::size_t slashes = 0;
                while (i < text.size() && text[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < text.size() && text[i] == '"') {
                    argument.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(slashes, '\\');
                }
            } else if (text[i] == '"') {
                if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += text[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace process
