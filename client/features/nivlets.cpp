#include "client/features/nivlets.h"

#include "client/core/download.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/features/addchannel.h"
#include "client/features/nivletcore.h"
#include "client/features/notetree.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <algorithm>

namespace {

// A notes reply is read no further than this; a longer one only loses notes past the bound.
constexpr std::int64_t kReplyBound = 4 * 1024 * 1024;

// Raised at every sign-off, so a thread of an earlier session touches nothing of the next.
unsigned g_session = 0;

int RandomBelow1000() { return static_cast<int>(QRandomGenerator::global()->bounded(1000)); }

std::string NotesInFile() { return AppPath() + "notesin.dat"; }

bool SessionOpen() { return Form1 != nullptr && QCoreApplication::instance() != nullptr; }

// A note with a web link is also kept as a favourite, under its sender in
// "From Korvo®"; a note that cannot be kept so is still listed.
void AddNoteFavourite(const std::string& from, const std::string& text, const std::string& linkField)
{
    const std::string favorites = Session().favoritesFolder;
    if (favorites.empty() || text.empty() || text[0] == '#' || !nivlet::HasWebLink(linkField))
        return;
    const std::string folder = IncludeTrailingPathDelimiter(favorites) + "From Korvo\xAE" + PathDelim
        + nivlet::SafeSenderName(from);
    if (!ForceDirectories(folder))
        return;
    CreateUrlShortcut(nullptr, Trim(text.substr(0, text.find('['))), folder, "", nivlet::LinkPart(linkField));
}

}  // namespace

std::function<void(const std::string&, const std::string&, const std::string&)>& NoteAlertShower()
{
    static std::function<void(const std::string&, const std::string&, const std::string&)> shower;
    return shower;
}

void SaveNivlet(const std::string& from, const std::string& linkField, const std::string& text)
{
    const std::string folder = nivlet::MessagesFolder(Session().userId);
    if (folder.empty())
        return;
    const TDateTime received = Now();
    const std::string file
        = nivlet::WriteStoredNote(folder, nivlet::TReceivedNote { from, text, linkField }, received, RandomBelow1000());
    AddNoteFavourite(from, text, linkField);
    NoteTree().AddNivlet(from, text, DateTimeToStr(received), file);
    if (NoteAlertShower())
        NoteAlertShower()(from, linkField, text);
}

void LoadNivlets()
{
    const std::string folder = nivlet::MessagesFolder(Session().userId);
    NoteTree().Nivlets.children.clear();
    if (folder.empty())
        return;
    // Set first, so the guide shows the branch open as the notes arrive in it.
    NoteTree().Nivlets.expanded = true;
    for (const TSearchRec& entry : ListDirectory(folder + "*.txt", 0)) {
        const std::string file = folder + entry.Name;
        const nivlet::TStoredNote note = nivlet::ReadStoredNote(file);
        AddNoteFavourite(note.from, note.message, note.link);
        NoteTree().AddNivlet(note.from, note.message, note.date, file);
    }
}

TNivletOutThread1::TNivletOutThread1(std::string url, std::string addressee)
    : TThread(true)
    , Addressee(std::move(addressee))
    , m_url(std::move(url))
{
    FreeOnTerminate = true;
}

void TNivletOutThread1::Execute() { DownloadToFile(m_url, AppPath() + "notesout.txt"); }

TNivletsReadThread1::TNivletsReadThread1(std::string url)
    : TThread(true)
    , m_url(std::move(url))
{
    FreeOnTerminate = true;
}

void TNivletsReadThread1::Execute() { DownloadToFile(m_url, NotesInFile()); }

void SendNivlet(const std::string& to, const std::string& from, const std::string& text, const std::string& linkField)
{
    const TSession& s = Session();
    auto* thread = new TNivletOutThread1(nivlet::NoteInUrl(s.notesServer, to, from, text, linkField), to);
    const unsigned session = g_session;
    thread->OnTerminate = [session](TThread* sender) {
        if (session != g_session || !SessionOpen())
            return;
        const auto* out = static_cast<TNivletOutThread1*>(sender);
        Application::MessageBox("\rYour Nivlet was sent to be delivered the next time " + UpperCase(out->Addressee)
                                    + " is online.",
                                Application::Title(), MB_OK | MB_ICONINFORMATION);
    };
    thread->Start();
}

void StartNivletRead()
{
    TSession& s = Session();
    if (s.nivletReadRunning || !Form1)
        return;
    s.nivletReadRunning = true;
    auto* thread = new TNivletsReadThread1(nivlet::GetNotesUrl(s.notesServer, s.userId, s.scrambledPassword));
    const unsigned session = g_session;
    thread->OnTerminate = [session](TThread*) {
        if (session != g_session || !SessionOpen()) {
            // The notes belong to a session that has ended; the next fetch asks again.
            if (!Session().nivletReadRunning)
                DeleteFile(NotesInFile());
            return;
        }
        ReadNotesInFile();
    };
    thread->Start();
}

void ReadNotesInFile()
{
    const std::string path = NotesInFile();
    std::string reply;
    try {
        if (FileExists(path)) {
            TFileStream file(path, fmOpenRead);
            reply.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(file.Size(), 0, kReplyBound)));
            reply.resize(static_cast<std::size_t>(
                std::max<std::int64_t>(file.Read(reply.data(), static_cast<std::int64_t>(reply.size())), 0)));
        }
    } catch (const std::exception&) {
        reply.clear();
    }
    DeleteFile(path);
    Session().nivletReadRunning = false;
    for (const nivlet::TReceivedNote& note : nivlet::ReadNotesReply(reply))
        SaveNivlet(note.from, note.linkField, note.message);
}

void AbandonNivletThreads()
{
    ++g_session;
    Session().nivletReadRunning = false;
}
