#include "client/core/scrambler.h"
#include "localservice/tests/service_fixture.h"

namespace {

using UserStore = ServiceTest;

TEST_F(UserStore, CommittedLogOnsSurviveAKilledService)
{
    ASSERT_EQ(logIn("alice", kAlicePassword, "127.0.0.5"), "success\r\n");
    service->kill();
    start();
    EXPECT_EQ(get("/lookup.asp?buddy=alice").body, "alice\xB6" "127.0.0.5\r\n.\r\n");
}

TEST_F(UserStore, UsersAddedOnceRemainAfterARestartWithoutThem)
{
    start({ "--user", "carol:Hello:carol@example.org" });
    service->kill();
    service = std::make_unique<ServiceProcess>(std::vector<std::string> { "--db", database() });
    ASSERT_TRUE(service->started()) << service->error();
    EXPECT_EQ(logIn("carol", ScrambleText("hello"), "127.0.0.8"), "success\r\n");
}

TEST_F(UserStore, ARepeatedUserOptionSetsANewPassword)
{
    start({ "--user", "alice:other" });
    EXPECT_EQ(logIn("alice", kAlicePassword, "127.0.0.5"), "nil\r\n");
}

}  // namespace
