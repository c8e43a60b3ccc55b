#pragma once

#include <functional>
#include <string>
#include <vector>

class QMimeData;

// The desktop's shell: opening a web address or a document in the program the
// desktop has for it, and the files of a drop. Text is code-page bytes.

// Opens a URL ("http://...", "mailto:...", "www.x.com") or a document or folder
// by its path. False when the desktop has nothing to open it with. Never opens
// anything while a hook is set or KORVO_NO_BROWSER is set: with that variable
// holding a full path, each address asked for is appended to that file as a
// line, so scripted runs can see what would have opened.
bool ShellOpen(const std::string& urlOrDocument);

namespace shell {

// Sees every address ShellOpen is asked for, in place of opening it.
void SetOpenHook(std::function<void(const std::string& urlOrDocument)> hook);

// A scheme before a colon ("http:", "mailto:"; not a one-letter drive), or "www.".
bool IsUrl(const std::string& text);

// The local files of a drop, as full paths, in their order.
std::vector<std::string> DroppedFiles(const QMimeData* data);

}  // namespace shell
