#include "localservice/tests/service_fixture.h"

#include <string>

namespace {

class Notes : public ServiceTest {
protected:
    std::string send(const std::string& to, const std::string& encodedMessage, const std::string& link = "")
    {
        return get("/notein.asp?to=" + to + "&From=alice&message=" + encodedMessage + "&Link=" + link).body;
    }
    std::string fetchBob() { return get(std::string("/getnotes.asp?UserID=bob&Password=") + kBobPassword).body; }
};

TEST_F(Notes, ANoteArrivesByteForByte)
{
    // '&' as the client's 0xEF, '#', '+', '%', a byte >= 0x80 and a shifted control byte.
    ASSERT_EQ(send("BOB", "%23Hi%EF+50%25%E9%01", "http%3A%2F%2Fh%2F%3Fa%3D1%B612%2F9%2F2026%208%3A00%3A00%20PM"),
              "success\r\n");
    EXPECT_EQ(fetchBob(), "alice\xB6#Hi\xEF+50%\xE9\x01\xB6http://h/?a=1\xB6" "12/9/2026 8:00:00 PM\r\n.\r\n");
}

TEST_F(Notes, NotesComeOldestFirstAndASecondFetchIsEmpty)
{
    send("Bob", "one");
    send("Bob", "two");
    EXPECT_EQ(fetchBob(), "alice\xB6one\xB6\r\nalice\xB6two\xB6\r\n.\r\n");
    EXPECT_EQ(fetchBob(), ".\r\n");
}

TEST_F(Notes, AWrongPasswordGetsNothingAndLosesNothing)
{
    send("Bob", "kept");
    const std::string before = dump();
    EXPECT_EQ(get(std::string("/getnotes.asp?UserID=bob&Password=") + kAlicePassword).body, ".\r\n");
    EXPECT_EQ(get(std::string("/getnotes.asp?UserID=nobody&Password=") + kAlicePassword).body, ".\r\n");
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(fetchBob(), "alice\xB6kept\xB6\r\n.\r\n");
}

TEST_F(Notes, ANoteForAnUnknownOrEmptyAddresseeIsNil)
{
    const std::string before = dump();
    EXPECT_EQ(send("nobody", "hello"), "nil\r\n");
    EXPECT_EQ(send("", "hello"), "nil\r\n");
    EXPECT_EQ(dump(), before);
}

TEST_F(Notes, AFullBoxKeepsTheOldestAndRefusesTheNewest)
{
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(send("Bob", "n" + std::to_string(i)), "success\r\n");
    EXPECT_EQ(send("Bob", "late"), "nil\r\n");
    // A reply carries 64 notes at most; the rest wait for the next fetch, in order.
    const std::string first = fetchBob();
    EXPECT_TRUE(first.starts_with("alice\xB6n0\xB6\r\n"));
    EXPECT_TRUE(first.ends_with("alice\xB6n63\xB6\r\n.\r\n"));
    EXPECT_EQ(send("Bob", "room%20again"), "success\r\n");
    std::string rest;
    for (std::string reply = fetchBob(); reply != ".\r\n"; reply = fetchBob())
        rest += reply;
    EXPECT_TRUE(rest.starts_with("alice\xB6n64\xB6\r\n"));
    EXPECT_TRUE(rest.ends_with("alice\xB6n199\xB6\r\nalice\xB6room again\xB6\r\n.\r\n"));
}

TEST_F(Notes, LongNotesLeaveInWholeRepliesOfAtMostHalfAMegabyte)
{
    for (int i = 0; i < 130; ++i)
        ASSERT_EQ(send("Bob", std::to_string(1000 + i) + std::string(8 * 1024 - 4, 'm')), "success\r\n");
    int next = 1000;
    int replies = 0;
    for (std::string reply = fetchBob(); reply != ".\r\n"; reply = fetchBob(), ++replies) {
        EXPECT_LE(reply.size(), 512u * 1024u);
        ASSERT_TRUE(reply.ends_with("\r\n.\r\n"));
        for (std::size_t at = 0; at + 3 < reply.size(); at = reply.find("\r\n", at) + 2, ++next)
            ASSERT_EQ(reply.substr(at, 10), "alice\xB6" + std::to_string(next)) << at;
    }
    EXPECT_EQ(next, 1130);
    EXPECT_EQ(replies, 3);
}

TEST_F(Notes, BadNotesAreRefusedAndChangeNothing)
{
    const std::string before = dump();
    for (const std::string& target : {
             "/notein.asp?to=Bob&From=alice&message=" + std::string(8 * 1024 + 1, 'm') + "&Link=",
             std::string("/notein.asp?to=Bob&From=alice&message=a%0D%0Aeve%B6x%B6&Link="),
             std::string("/notein.asp?to=Bob&From=alice&message=a%B6b&Link="),
             std::string("/notein.asp?to=Bob&From=al%B6ice&message=hi&Link="),
             std::string("/notein.asp?to=Bob&From=alice&message=hi&Link=a%0Ab"),
             std::string("/notein.asp?to=Bob&From=alice&message=hi"),
             std::string("/notein.asp?to=Bob&to=alice&From=alice&message=hi&Link="),
             std::string("/getnotes.asp?UserID=bob"),
             std::string("/getnotes.asp?UserID=&Password=112-243-"),
             std::string("/getnotes.asp?UserID=bob&Password=") }) {
        const HttpAnswer answer = get(target);
        EXPECT_EQ(answer.status, 400) << target;
        EXPECT_EQ(answer.body, "error\r\n") << target;
    }
    EXPECT_EQ(dump(), before);
}

TEST_F(Notes, AnEightKilobyteMessageIsKept)
{
    EXPECT_EQ(send("Bob", std::string(8 * 1024, 'm')), "success\r\n");
}

}  // namespace
