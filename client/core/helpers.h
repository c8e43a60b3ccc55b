#pragma once

#include "platform/win/registry.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

// Small routines most of the client calls: where its files lie, starting
// programs, the numbered application sounds, safe file names, registry reads.
// The scrambler lives beside them in scrambler.h.

// The program folder, with its trailing separator.
std::string AppPath();
// The Windows directory, without a trailing separator.
std::string WindowsDir();

// Starts "name.exe args" from the program folder with the show command; the result is not awaited.
void RunProgram(const std::string& commandLine, int showCommand);

// An http or https address (after trimming, in any letter case): the only kind of
// link from a page, a peer or a file that may leave the program.
bool IsWebLink(const std::string& link);
// Opens a web address with the shell's "open", shown normally; anything else opens nothing.
void OpenWebLink(const std::string& url);
// Opens a document or folder of this machine that the program itself names.
void OpenDocument(const std::string& path);

// An e-mail address a "mailto:" may carry: no '?', '&', '#', '%', ',' or ';' (which would
// add recipients, headers or a body), no blank and no control byte.
bool IsPlainMailAddress(std::string_view address);
// "mailto:" and the trimmed address; one that is not plain counts as no address.
std::string MailtoUrl(const std::string& address);
// "mailto:" and each plain address, trimmed, followed by "; "; the others are left out.
std::string MailtoUrl(const std::vector<std::string>& addresses);

// Plays sound 1..16 of the program folder while the Sound setting is on; with
// noStop nothing starts while another sound of ours plays.
void PlayAppSound(std::uint8_t number, bool noStop);
// The wave file of a sound number, "" outside 1..16.
std::string AppSoundFile(std::uint8_t number);

// The name trimmed of blanks and control characters, with \ / : * ? " < > | made "-".
std::string MakeSafeFileName(const std::string& name);

// The string value, "" when the key or the value is missing (or not text); never creates the key.
std::string ReadRegString(HKEY root, const std::string& keyPath, const std::string& valueName);

// Tells the user, once for each file, that a settings write failed ("Unable to
// write to <file>"); the program goes on with what it holds in memory.
void ReportWriteFailure(const std::exception& error);

// Bits per pixel of the desktop.
int ScreenColorDepth();
