#pragma once

#include "platform/win/registry.h"

#include <cstdint>
#include <exception>
#include <string>

// Small routines most of the client calls: where its files lie, starting
// programs, the numbered application sounds, safe file names, registry reads.
// The scrambler lives beside them in scrambler.h.

// The program folder, with its trailing separator.
std::string AppPath();
// The Windows directory, without a trailing separator.
std::string WindowsDir();

// Starts "name.exe args" from the program folder with the show command; the result is not awaited.
void RunProgram(const std::string& commandLine, int showCommand);

// Opens a web address with the shell's "open", shown normally.
void OpenWebLink(const std::string& url);

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
