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
#include <mutex>
#include <utility>

namespace {

// A notes reply is never longer than its download lets it be.
constexpr std::int64_t kReplyBound = kMaxReplyBytes;
// notein.asp answers one word.
constexpr std::int64_t kAnswerBound = 256;

// Raised at every sign-off, so a thread of an earlier session touches nothing of the next.
unsigned g_session = 0;

// Fetches share notesin.dat, so one runs at a time across sessions: a fetch asked
// for while an earlier session's is still out starts when that one ends.
bool g_fetchOut = false;
bool g_fetchWanted = false;

// The user hears once a session that notes wait at the service for want of room.
bool g_toldNoRoom = false;

// Sends share notesout.txt; each holds it from its request to reading the answer.
std::mutex g_noteOutFile;

int RandomBelow1000() { return static_cast<int>(QRandomGenerator::global()->bounded(1000)); }

std::string NotesInFile() { return AppPath() + "notesin.dat"; }

// A reply file's first bytes, "" when there is none.
std::string ReadReply(const std::string& path, std::int64_t bound)
{
    std::string reply;
    try {
        if (!FileExists(path))
            return reply;
        TFileStream file(path, fmOpenRead);
        reply.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(file.Size(), 0, bound)));
        reply.resize(static_cast<std::size_t>(
            std::max<std::int64_t>(file.Read(reply.data(), static_cast<std::int64_t>(reply.size())), 0)));
    } catch (const std::exception&) {
        reply.clear();
    }
    return reply;
}

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
    if (file.empty())
        return;
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

void TNivletOutThread1::Execute()
{
    const std::lock_guard lock(g_noteOutFile);
    const std::string reply = AppPath() + "notesout.txt";
    // Signing off must not lose the note on its way: the send goes on past it.
    DownloadLimits limits;
    limits.outlivesSession = true;
    DownloadToFile(m_url, reply, limits);
    Accepted = nivlet::NoteAccepted(ReadReply(reply, kAnswerBound));
}

TNivletsReadThread1::TNivletsReadThread1(std::string url)
    : TThread(true)
    , m_url(std::move(url))
{
    FreeOnTerminate = true;
}

void TNivletsReadThread1::Execute()
{
    // The service forgets the notes it hands over: the answer is read even after sign-off.
    DownloadLimits limits;
    limits.outlivesSession = true;
    DownloadToFile(m_url, NotesInFile(), limits);
}

void SendNivlet(const std::string& to, const std::string& from, const std::string& text, const std::string& linkField,
                std::function<void(bool accepted)> done)
{
    const TSession& s = Session();
    auto* thread = new TNivletOutThread1(nivlet::NoteInUrl(s.notesServer, to, from, text, linkField), to);
    const unsigned session = g_session;
    thread->OnTerminate = [session, text, done = std::move(done)](TThread* sender) {
        if (QCoreApplication::instance() == nullptr)
            return;
        const auto* out = static_cast<TNivletOutThread1*>(sender);
        const bool accepted = out->Accepted;
        const std::string addressee = UpperCase(out->Addressee);
        // Its window went with the session that sent it: the user still hears how it went.
        const bool windowGone = session != g_session || !SessionOpen();
        if (done && !windowGone)
            done(accepted);
        if (accepted)
            Application::MessageBox("\rYour Nivlet was sent to be delivered the next time " + addressee + " is online.",
                                    Application::Title(), MB_OK | MB_ICONINFORMATION);
        else if (windowGone)
            Application::MessageBox("\rYour Nivlet to " + addressee + " could not be delivered. It read:\r"
                                        + nivlet::FromWireText(text),
                                    Application::Title(), MB_OK | MB_ICONWARNING);
        else
            Application::MessageBox("\rYour Nivlet to " + addressee
                                        + " could not be delivered. It is kept in its window; please try again later.",
                                    Application::Title(), MB_OK | MB_ICONWARNING);
    };
    thread->Start();
}

namespace {

void StartFetch()
{
    const TSession& s = Session();
    const std::string folder = nivlet::MessagesFolder(s.userId);
    // Notes the service hands over are gone from it: they are only asked for when
    // every one of them can be kept.
    if (folder.empty() || !nivlet::RoomForFullReply(folder)) {
        Session().nivletReadRunning = false;
        if (!folder.empty() && !std::exchange(g_toldNoRoom, true))
            Application::MessageBox("\rYour Nivlets folder is nearly full. Nivlets waiting for you stay at the service "
                                    "until you delete some of yours.",
                                    Application::Title(), MB_OK | MB_ICONINFORMATION);
        return;
    }
    g_fetchOut = true;
    auto* thread = new TNivletsReadThread1(nivlet::GetNotesUrl(s.notesServer, s.userId, s.scrambledPassword));
    const unsigned session = g_session;
    thread->OnTerminate = [session, folder](TThread*) {
        g_fetchOut = false;
        if (session == g_session && SessionOpen()) {
            // The service keeps what did not fit in a reply: the next one brings it.
            if (ReadNotesInFile())
                StartNivletRead();
            return;
        }
        // The service handed these notes over and keeps them no longer: they go to
        // their user's folder, listed at that user's next sign-on.
        const std::string path = NotesInFile();
        if (!folder.empty())
            for (const nivlet::TReceivedNote& note : nivlet::ReadNotesReply(ReadReply(path, kReplyBound)))
                nivlet::WriteStoredNote(folder, note, Now(), RandomBelow1000());
        DeleteFile(path);
        if (g_fetchWanted && SessionOpen()) {
            g_fetchWanted = false;
            StartFetch();
        }
    };
    thread->Start();
}

}  // namespace

void StartNivletRead()
{
    TSession& s = Session();
    if (s.nivletReadRunning || !Form1)
        return;
    s.nivletReadRunning = true;
    if (g_fetchOut)
        g_fetchWanted = true;
    else
        StartFetch();
}

bool ReadNotesInFile()
{
    const std::string path = NotesInFile();
    const std::string reply = ReadReply(path, kReplyBound);
    Session().nivletReadRunning = false;
    for (const nivlet::TReceivedNote& note : nivlet::ReadNotesReply(reply))
        SaveNivlet(note.from, note.linkField, note.message);
    DeleteFile(path);
    return nivlet::ReplyCameFull(reply);
}

void AbandonNivletThreads()
{
    ++g_session;
    g_fetchWanted = false;
    g_toldNoRoom = false;
    Session().nivletReadRunning = false;
}
