#pragma once

#include "platform/rtl/thread.h"

#include <functional>
#include <string>

// Receiving, storing, listing, sending and fetching Nivlet notes. The window
// that shows one is the note window; these only decide and store.

// Stores a received note, lists it in the guide and shows it with its alert.
void SaveNivlet(const std::string& from, const std::string& linkField, const std::string& text);
// At sign-on: every stored note of the user listed in the guide.
void LoadNivlets();
// To the notes server, for an addressee who is not connected. done hears, on the
// main thread and while the session lasts, whether the service took the note;
// the user is then told either way.
void SendNivlet(const std::string& to, const std::string& from, const std::string& text, const std::string& linkField,
                std::function<void(bool accepted)> done = nullptr);
// Fetches the notes waiting at the notes server, one fetch at a time.
void StartNivletRead();
// Reads notesin.dat of the program folder: stores each note, deletes the file, clears
// the guard. True when the reply came full, so more notes may wait at the service.
bool ReadNotesInFile();
// Sign-off: threads still running find their session gone and do nothing.
void AbandonNivletThreads();

// How a received note is shown (sound and window); the note window fills it.
std::function<void(const std::string& from, const std::string& linkField, const std::string& text)>& NoteAlertShower();

class TNivletOutThread1 final : public TThread {
public:
    TNivletOutThread1(std::string url, std::string addressee);
    const std::string Addressee;
    // The service's answer was "success".
    bool Accepted { false };

protected:
    void Execute() override;

private:
    const std::string m_url;
};

class TNivletsReadThread1 final : public TThread {
public:
    explicit TNivletsReadThread1(std::string url);

protected:
    void Execute() override;

private:
    const std::string m_url;
};
