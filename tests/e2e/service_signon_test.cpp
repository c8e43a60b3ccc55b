#include "peer_host.h"

#include "platform/testing/serviceprocess.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Machines that find each other through one service, whose users are Alice and bob.
struct ServiceSignon : ::testing::Test {
    void SetUp() override
    {
        service = std::make_unique<ServiceProcess>(
            std::vector<std::string> { "--db", dirs.root() + "/users.db", "--user", "Alice:pw", "--user", "bob:pw" });
        ASSERT_TRUE(service->started()) << service->error();
    }
    std::unique_ptr<Host> machine(const std::string& user, int host, const std::string& buddy)
    {
        auto machine = std::make_unique<Host>(user, host);
        machine->lists(buddy);
        machine->dirs.write("app/servers.ini", "[servers]\r\n0=" + service->hostPort() + "\r\n");
        return machine;
    }
    // The lookup of alice, asked from this machine.
    std::string lookUpAlice() const { return HttpGet(service->port(), "/lookup.asp?buddy=alice").body; }

    ScratchDirs dirs;
    std::unique_ptr<ServiceProcess> service;
};

}  // namespace

TEST_F(ServiceSignon, ANameTypedInAnotherLetterCaseSignsOnAsTheFoldersUser)
{
    auto alice = machine("Alice", 2, "bob");
    auto bob = machine("bob", 3, "alice");
    alice->start();
    ASSERT_TRUE(alice->process->waitForSignOn());
    EXPECT_EQ(alice->process->command("set\tSign On\tComboBox1\talice"), "ok");
    ASSERT_TRUE(alice->process->signOn());
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return lookUpAlice() == "alice\xB6" + alice->address + "\r\n.\r\n"; }, 20000));
    EXPECT_NE(alice->dirs.read("windows/larkspire.ini").find("userLoginName=Alice\r\n"), std::string::npos);

    // bob finds her through the service; she knows him from her own folder's buddy list.
    bob->start();
    ASSERT_TRUE(bob->process->signOn());
    EXPECT_TRUE(bob->seesOnline("alice", true)) << bob->cnt("alice");
    EXPECT_TRUE(alice->seesOnline("bob", true)) << alice->cnt("bob");
    EXPECT_FALSE(alice->dirs.exists("windows/my friends/alice"));
}

TEST_F(ServiceSignon, ARefreshFromAnotherAddressMovesNobody)
{
    auto alice = machine("Alice", 2, "bob");
    auto bob = machine("bob", 3, "alice");
    alice->start();
    ASSERT_TRUE(alice->process->signOn());
    const std::string atAlice = "alice\xB6" + alice->address + "\r\n.\r\n";
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return lookUpAlice() == atAlice; }, 20000));

    // A third machine says alice is now at its address: the service still answers as ever.
    const std::string attacker = LoopbackHost(4);
    EXPECT_EQ(HttpGet(service->port(), "/refresh.asp?Login=alice&IPAddress=" + attacker + "&publickey=", attacker).body,
              "ok\r\n");
    EXPECT_EQ(lookUpAlice(), atAlice);

    // bob's lookup still leads him to alice herself.
    bob->start();
    ASSERT_TRUE(bob->process->signOn());
    EXPECT_TRUE(bob->seesOnline("alice", true)) << bob->cnt("alice");
    EXPECT_TRUE(alice->seesOnline("bob", true)) << alice->cnt("bob");
}
