#pragma once

#include "client/core/buddyfile.h"
#include "client/core/chatrouting.h"
#include "client/core/mainbar.h"
#include "client/core/peercallrecord.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/peerguard.h"
#include "client/core/peerlists.h"
#include "client/core/peersend.h"
#include "client/core/session.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "scriptedpeer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

inline constexpr std::uint16_t kPeerPort = 8096;

inline std::string Frame(const std::string& f1, const std::string& f2, const std::string& f3 = "", const std::string& f4 = "")
{
    return BuildPeerFrame(f1, f2, f3, f4);
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// alice signed on at LoopbackHost(1), listening on 8096; her buddies bob and carol
// call from hosts 2 and 3, strangers from 4 and up.
class PeerSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("KORVO_LOCAL_ADDRESS", LoopbackHost(1).c_str(), 1);
        Session() = TSession();
        Session().userId = "alice";
        Session().userEmail = "alice@example.org";
        Session().online = true;
        dirs.write("windows/my friends/alice/user.dat", "[user]\r\n");
        dirs.write("windows/my friends/alice/bob.cnt", "[Friend]\r\nUserID=bob\r\n");
        dirs.write("windows/my friends/alice/carol.cnt", "[Friend]\r\nUserID=carol\r\n");
        dirs.write("windows/my friends/alice/mallory.cnt", "[Friend]\r\nUserID=mallory\r\nBLOCK=1\r\n");
        dialogs::ClearHistory();
        peerCalls.Install();
        bar = std::make_unique<TForm1>();
        LoadBuddyFiles(true);
        StartPeerNetwork();
        ASSERT_TRUE(PeerNetwork()->Listening());
        // Where the service last saw them.
        PeerGuard().LookedUp("bob", LoopbackHost(2));
        PeerGuard().LookedUp("carol", LoopbackHost(3));
    }
    void TearDown() override
    {
        PeerGuard().Clear();
        StopPeerNetwork();
        PeerLists().Clear();
        Features().PeerFrame = {};
        bar.reset();
        unsetenv("KORVO_LOCAL_ADDRESS");
    }

    ScriptedPeer Call(int host) { return ScriptedPeer::Connect(LoopbackHost(host), LoopbackHost(1), kPeerPort); }
    // A buddy calling in and accepted.
    ScriptedPeer Online(const std::string& name, int host)
    {
        ScriptedPeer peer = Call(host);
        EXPECT_EQ(Introduce(peer, name), "\xFC");
        return peer;
    }
    // The caller says who it is; the first line the client writes back. Lines on one connection
    // are handled in order, so by then all sent before were handled, and nothing was written since.
    static std::string Introduce(ScriptedPeer& peer, const std::string& name)
    {
        peer.sendLine(Frame("inf", name, name + "@example.org", "alice"));
        return peer.readLine();
    }
    std::string Cnt(const std::string& name) const { return dirs.read("windows/my friends/alice/" + name + ".cnt"); }
    Tbuddy& Buddy(const std::string& name) const { return *bar->FindBuddy(name); }
    std::vector<std::string> Calls() const { return { peerCalls.Calls().begin(), peerCalls.Calls().end() }; }
    bool Settle() { RunLoopFor(150); return true; }

    ScratchDirs dirs;
    TPeerCallRecord peerCalls;
    std::unique_ptr<TForm1> bar;
};
