#pragma once

#include "platform/win/messages.h"
#include "platform/win/wintypes.h"

#include <functional>
#include <string>
#include <vector>

// Starting programs as the platform's simple launch does. "name.exe args" starts
// the program folder's `name` (a name with folders keeps them, backslashes
// becoming '/'), with the arguments split by the platform's command-line rules,
// as a detached process with an argument vector, never through a shell. The
// child inherits the environment, so KORVO_WINDIR, KORVO_APPDIR and
// KORVO_LOCAL_ADDRESS carry over; KORVO_PARENT is set in it, so it knows another
// of this system's programs started it. Arguments reach the child in UTF-8.

// Above 31 when started; ERROR_FILE_NOT_FOUND (2) when there is no such program,
// ERROR_BAD_FORMAT when it could not be started.
UINT WinExec(const std::string& cmdLine, int showCmd);

inline constexpr HINSTANCE SE_ERR_FNF = 2;
inline constexpr HINSTANCE SE_ERR_ACCESSDENIED = 5;
inline constexpr HINSTANCE SE_ERR_NOASSOC = 31;

// operation "open" (or empty): a URL or document opens through ShellOpen; a
// program starts with parameters split as above, in directory when given.
// Above 32 when done; SE_ERR_FNF, SE_ERR_ACCESSDENIED or SE_ERR_NOASSOC otherwise.
HINSTANCE ShellExecute(HWND hwnd, const std::string& operation, const std::string& file,
    const std::string& parameters, const std::string& directory, int showCmd);

namespace process {

// Starts the program folder's `name` (".exe" optional) with these arguments as
// they stand: nothing is split or quoted. False when there is no such program
// or it could not be started.
bool StartProgram(const std::string& name, const std::vector<std::string>& arguments, int showCmd);

struct Launch {
    // The program's full path (as found, or as it would be when missing).
    std::string program;
    // Code-page text.
    std::vector<std::string> arguments;
    std::string directory;
    int showCmd { SW_SHOWNORMAL };
    bool found { false };
};

// Sees every launch, found or not; with alsoStart false nothing is started
// (the launch then reports success when the program exists).
void SetObserver(std::function<void(const Launch&)> observer, bool alsoStart = false);

// The arguments of a command-line tail by the C runtime's rules: blanks and tabs
// separate; double quotes group (a doubled one inside quotes is a quote);
// 2n backslashes before a quote give n and the quote groups, 2n+1 give n and a
// literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(const std::string& text);

}  // namespace process
