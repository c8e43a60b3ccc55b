#include "client/core/scrambler.h"
#include "localservice/tests/service_fixture.h"
#include "platform/testing/loopback.h"

#include <string>

namespace {

using Pages = ServiceTest;

// The dump's lines, each without its last field.
std::string WithoutLastFields(const std::string& dump)
{
    std::string result;
    std::size_t start = 0;
    for (std::size_t end = dump.find('\n'); end != std::string::npos; start = end + 1, end = dump.find('\n', start)) {
        const std::string line = dump.substr(start, end - start);
        const std::size_t cut = line.size() >= 2 ? line.rfind('|', line.size() - 2) : std::string::npos;
        result += line.substr(0, cut == std::string::npos ? 0 : cut) + "\n";
    }
    return result;
}

TEST_F(Pages, LogOnWithTheScrambledPasswordSucceeds)
{
    EXPECT_EQ(logIn("alice", kAlicePassword, "127.0.0.5"), "success\r\n");
}

TEST_F(Pages, LogOnWithAnotherPasswordIsNil)
{
    EXPECT_EQ(logIn("alice", kBobPassword, "127.0.0.5"), "nil\r\n");
    EXPECT_EQ(get("/lookup.asp?buddy=alice").body, ".\r\n");
}

TEST_F(Pages, LogOnOfAnUnknownUserIsNil)
{
    const std::string before = dump();
    EXPECT_EQ(logIn("mallory", kAlicePassword, "127.0.0.5"), "nil\r\n");
    EXPECT_EQ(dump(), before);
}

TEST_F(Pages, LogOnFindsTheNameWhateverItsCase)
{
    EXPECT_EQ(logIn("ALICE", kAlicePassword, "127.0.0.5"), "success\r\n");
    EXPECT_EQ(logIn("bob", kBobPassword, "127.0.0.6"), "success\r\n");
    EXPECT_EQ(get("/lookup.asp?buddy=Alice&buddy=BOB").body, "Alice\xB6" "127.0.0.5\r\nBOB\xB6" "127.0.0.6\r\n.\r\n");
}

TEST_F(Pages, ALongPasswordMatchesInTheCutFormTheSignOnSends)
{
    const std::string password(100, 'p');
    start({ "--user", "carol:  " + std::string(100, 'P') + " " });
    const std::string sent = ScrambleText(password).substr(0, 255);
    EXPECT_EQ(logIn("carol", sent, "127.0.0.8"), "success\r\n");
}

TEST_F(Pages, ParameterNamesAreCaseBlind)
{
    EXPECT_EQ(get("/LOGIN.ASP?login=alice&PASSWORD=112-243-&ipaddress=127.0.0.5&PublicKey=").body, "success\r\n");
}

TEST_F(Pages, LookupAnswersInTheOrderAskedThenTheTerminator)
{
    logIn("alice", kAlicePassword, "127.0.0.5");
    logIn("Bob", kBobPassword, "127.0.0.6");
    const HttpAnswer answer = get("/lookup.asp?buddy=Bob&buddy=alice");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, "Bob\xB6" "127.0.0.6\r\nalice\xB6" "127.0.0.5\r\n.\r\n");
}

TEST_F(Pages, LookupLeavesOutUsersNotLoggedOnAndUnknownNames)
{
    logIn("Bob", kBobPassword, "127.0.0.6");
    EXPECT_EQ(get("/lookup.asp?buddy=alice&buddy=nobody&buddy=bob").body, "bob\xB6" "127.0.0.6\r\n.\r\n");
}

TEST_F(Pages, LookupAnswersAtMost256Lines)
{
    logIn("alice", kAlicePassword, "127.0.0.5");
    std::string query = "/lookup.asp?buddy=alice";
    for (int i = 1; i < 300; ++i)
        query += "&buddy=alice";
    const std::string body = get(query).body;
    std::size_t lines = 0;
    for (std::size_t at = body.find("\r\n"); at != std::string::npos; at = body.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 257u);
    EXPECT_TRUE(body.ends_with("alice\xB6" "127.0.0.5\r\n.\r\n"));
}

TEST_F(Pages, RefreshFromTheAddressOfTheLogOnMovesTheUser)
{
    logIn("alice", kAlicePassword, "127.0.0.1");
    EXPECT_EQ(get("/refresh.asp?Login=alice&IPAddress=127.0.0.9&publickey=k1").body, "ok\r\n");
    EXPECT_EQ(get("/lookup.asp?buddy=alice").body, "alice\xB6" "127.0.0.9\r\n.\r\n");
}

TEST_F(Pages, RefreshFromAnotherAddressOnlyTellsTheUserIsStillThere)
{
    logIn("alice", kAlicePassword, "127.0.0.5");
    const std::string before = dump();
    const std::string other = LoopbackHost(9);
    EXPECT_EQ(HttpGet(service->port(), "/refresh.asp?Login=alice&IPAddress=" + other + "&publickey=k1", other).body,
              "ok\r\n");
    EXPECT_EQ(get("/lookup.asp?buddy=alice").body, "alice\xB6" "127.0.0.5\r\n.\r\n");
    // Only the time seen may change: every row is as it was up to its last field.
    EXPECT_EQ(WithoutLastFields(dump()), WithoutLastFields(before));
}

TEST_F(Pages, RefreshOfAUserNotLoggedOnIsNil)
{
    const std::string before = dump();
    EXPECT_EQ(get("/refresh.asp?Login=alice&IPAddress=127.0.0.9&publickey=k1").body, "nil\r\n");
    EXPECT_EQ(dump(), before);
}

TEST_F(Pages, PercentEncodedValuesArriveAsCodePageBytes)
{
    start({ "--user", "J\xC3\xB6rg:pw" });  // "Jörg" in UTF-8 on the command line
    EXPECT_EQ(logIn("J%F6rg", kAlicePassword, "127.0.0.7"), "success\r\n");
    EXPECT_EQ(get("/lookup.asp?buddy=J%F6RG").body, "J\xF6RG\xB6" "127.0.0.7\r\n.\r\n");
}

// Each bad request answers 400 "error" and leaves every user as it was.
class BadRequests : public ServiceTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(BadRequests, AnswerErrorAndChangeNothing)
{
    logIn("Bob", kBobPassword, "127.0.0.6");
    const std::string before = dump();
    const HttpAnswer answer = get(GetParam());
    EXPECT_EQ(answer.status, 400);
    EXPECT_EQ(answer.body, "error\r\n");
    EXPECT_EQ(dump(), before);
}

const std::string kGoodTail = "&Password=112-243-&IPAddress=127.0.0.5&publickey=k";

INSTANTIATE_TEST_SUITE_P(
    Pages, BadRequests,
    ::testing::Values(
        "/login.asp?Password=112-243-&IPAddress=127.0.0.5&publickey=k",  // no Login
        "/login.asp?Login=alice&IPAddress=127.0.0.5&publickey=k",  // no Password
        "/login.asp?Login=alice&Password=112-243-&publickey=k",  // no IPAddress
        "/login.asp?Login=alice&Password=112-243-&IPAddress=127.0.0.5",  // no publickey
        "/login.asp?Login=alice&login=alice" + kGoodTail,  // Login twice
        "/login.asp?Login=" + kGoodTail,  // empty Login
        "/login.asp?Login=alice&Password=&IPAddress=127.0.0.5&publickey=k",  // empty Password
        "/login.asp?Login=alice&Password=pw&IPAddress=127.0.0.5&publickey=k",  // plain password
        "/login.asp?Login=" + std::string(65, 'a') + kGoodTail,  // name over 64 bytes
        "/login.asp?Login=alice%0D%0Abob%B6" "6.6.6.6" + kGoodTail,  // smuggled lines
        "/login.asp?Login=al%B6ice" + kGoodTail,  // separator byte
        "/login.asp?Login=al/ice" + kGoodTail,  // slash
        "/login.asp?Login=al%5Cice" + kGoodTail,  // backslash
        "/login.asp?Login=alice&Password=112-243-&IPAddress=localhost&publickey=k",
        "/login.asp?Login=alice&Password=112-243-&IPAddress=127.0.0.256&publickey=k",
        "/login.asp?Login=alice&Password=112-243-&IPAddress=127.0.0.5%0D%0A&publickey=k",
        "/login.asp?Login=alice&Password=112-243-&IPAddress=127.0.0&publickey=k",
        "/login.asp?Login=alice&Password=112-243-&IPAddress=127.0.0.5&publickey=a%0Ab",
        "/login.asp?Login=alice&Password=112-243-&IPAddress=127.0.0.5&publickey",  // pair without '='
        "/lookup.asp",  // nobody asked for
        "/lookup.asp?buddy=bob&buddy=x%0D%0Ay",  // smuggled line among good names
        "/lookup.asp?buddy=" + std::string(65, 'b'),
        "/refresh.asp?Login=Bob&IPAddress=6.6.6.6",  // no publickey
        "/refresh.asp?Login=Bob&Login=Bob&IPAddress=6.6.6.6&publickey=k",
        "/refresh.asp?Login=Bob&IPAddress=6.6.6.6x&publickey=k",
        "/refresh.asp?Login=&IPAddress=6.6.6.6&publickey=k"));

}  // namespace
