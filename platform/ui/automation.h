#pragma once

#include <functional>
#include <string>
#include <vector>

// Scripted driving of a program's windows for end-to-end tests: one command per
// line on a Unix socket, one reply line each ("ok ..." or "error ..."), fields
// separated by tabs, text in UTF-8. It only does what a user's input would do.
// The commands are described in tests/e2e/README.md.
namespace automation {

// Listens on the socket path in KORVO_AUTOMATION, when that is set; call once
// after the QApplication exists. True when listening.
bool StartIfRequested();
// Listens on socketPath (UTF-8), replacing a stale socket file; stops any earlier listener.
bool Start(const std::string& socketPath);
void Stop();

// A command of the program's own that only reports: its reply fields, in the code page.
void AddCommand(const std::string& name, std::function<std::vector<std::string>()> reply);

// A control whose `text` is a value of its own rather than a caption (a chess
// board answers its position); code-page text.
class TextSource {
public:
    virtual ~TextSource() = default;
    virtual std::string AutomationText() const = 0;
};

// Listens on P.<program> for a program started with KORVO_AUTOMATION=P by
// another of this system's programs, or on P.<program>.2 while a live copy
// listens on the first; true when listening.
bool StartForProgram(const std::string& program);
// StartForProgram when another of this system's programs started this one
// (KORVO_PARENT is set), else StartIfRequested.
bool StartForThisProgram(const std::string& program);

// The longest command line accepted; a longer one ends the connection.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;

// Field escaping on the wire: backslash, tab, CR and LF as \\ \t \r \n.
std::string Escape(const std::string& utf8);
std::string Unescape(const std::string& field);

}  // namespace automation
