#pragma once

#include "client/core/buddyfile.h"
#include "client/core/mainbar.h"
#include "client/core/peercallrecord.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/peerguard.h"
#include "client/core/peerlists.h"
#include "client/core/session.h"
#include "client/core/tests/scriptedpeer.h"
#include "client/features/notefeatures.h"
#include "client/features/noteform.h"
#include "client/features/notetree.h"
#include "client/features/reminders.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

// alice signed on at LoopbackHost(1) with the main bar, her buddy bob able to call
// in from host 2, and a notes service of her own with alice and bob on it.
class NoteSessionTest : public ::testing::Test {
protected:
    static constexpr std::uint16_t kPeerPort = 8096;
    static constexpr const char* kAlicePassword = "112-243-";  // "pw" scrambled

    void SetUp() override
    {
        setenv("KORVO_LOCAL_ADDRESS", LoopbackHost(1).c_str(), 1);
        Session() = TSession();
        Session().userId = "alice";
        Session().scrambledPassword = kAlicePassword;
        Session().online = true;
        dirs.write("windows/my friends/alice/user.dat", "[user]\r\n");
        dirs.write("windows/my friends/alice/bob.cnt", "[Friend]\r\nUserID=bob\r\n");
        dialogs::ClearHistory();
        peerCalls.Install();
        InstallNoteFeatures();
        bar = std::make_unique<TForm1>();
        LoadBuddyFiles(true);
        StartPeerNetwork();
        ASSERT_TRUE(PeerNetwork()->Listening());
        // Where the service last saw bob.
        PeerGuard().LookedUp("bob", LoopbackHost(2));
    }
    void TearDown() override
    {
        PeerGuard().Clear();
        for (TForm* form : NoteWindows())
            form->Free();
        Tasks().Clear();
        NoteTree().Clear();
        StopPeerNetwork();
        PeerLists().Clear();
        Features().PeerFrame = {};
        bar.reset();
        unsetenv("KORVO_LOCAL_ADDRESS");
        dialogs::SetResponder(nullptr);
    }

    void startService()
    {
        service = std::make_unique<ServiceProcess>(std::vector<std::string> {
            "--db", db.filePath("notes.db").toStdString(), "--user", "alice:pw", "--user", "bob:pw" });
        ASSERT_TRUE(service->started()) << service->error();
        Session().notesServer = service->hostPort();
    }

    // bob calls in and is accepted.
    ScriptedPeer bobOnline()
    {
        ScriptedPeer peer = ScriptedPeer::Connect(LoopbackHost(2), LoopbackHost(1), kPeerPort);
        peer.sendLine(BuildPeerFrame("inf", "bob", "bob@example.org", "alice"));
        EXPECT_EQ(peer.readLine(), "\xFC");
        return peer;
    }

    static std::vector<TForm8*> NoteWindows()
    {
        std::vector<TForm8*> windows;
        for (TForm* form : Screen::Forms())
            if (auto* note = dynamic_cast<TForm8*>(form))
                windows.push_back(note);
        return windows;
    }
    bool waitFor(const std::function<bool()>& done) { return Application::ProcessMessagesUntil(done, 10000); }
    std::vector<std::string> storedNotes() const
    {
        std::vector<std::string> names;
        for (const TSearchRec& entry : ListDirectory(WindowsDirPath() + "/my friends/alice/messages/*.txt", 0))
            names.push_back(entry.Name);
        return names;
    }
    static std::string WindowsDirPath() { return std::getenv("KORVO_WINDIR"); }

    ScratchDirs dirs;
    TPeerCallRecord peerCalls;
    QTemporaryDir db;
    std::unique_ptr<ServiceProcess> service;
    std::unique_ptr<TForm1> bar;
};
