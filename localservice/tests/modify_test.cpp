#include "client/core/scrambler.h"
#include "localservice/tests/service_fixture.h"

#include <string>

namespace {

class Modify : public ServiceTest {
protected:
    static std::string request(const std::string& user, const std::string& password, const std::string& newUser,
                               const std::string& newPassword)
    {
        return "/modify.asp?userid=" + user + "&password=" + password + "&mod_userid=" + newUser
             + "&mod_useremail=a%40b.org&mod_userphone=555%201234&mod_userpassword=" + newPassword
             + "&mod_publickey=k2";
    }
};

TEST_F(Modify, ANewPasswordIsTheOneThatLogsOn)
{
    EXPECT_EQ(get(request("alice", kAlicePassword, "alice", ScrambleText("new"))).body, "success\r\n");
    EXPECT_EQ(logIn("alice", kAlicePassword, "127.0.0.5"), "nil\r\n");
    EXPECT_EQ(logIn("alice", ScrambleText("new"), "127.0.0.5"), "success\r\n");
}

TEST_F(Modify, ANewUserIdRenamesTheUserWithItsWaitingNotes)
{
    ASSERT_EQ(get("/notein.asp?to=alice&From=Bob&message=hi&Link=").body, "success\r\n");
    EXPECT_EQ(get(request("ALICE", kAlicePassword, "Alicia", kAlicePassword)).body, "success\r\n");
    EXPECT_EQ(logIn("alice", kAlicePassword, "127.0.0.5"), "nil\r\n");
    EXPECT_EQ(logIn("alicia", kAlicePassword, "127.0.0.5"), "success\r\n");
    EXPECT_EQ(get(std::string("/getnotes.asp?UserID=Alicia&Password=") + kAlicePassword).body,
              "Bob\xB6hi\xB6\r\n.\r\n");
}

TEST_F(Modify, ATakenUserIdInAnyCaseIsNilAndChangesNothing)
{
    const std::string before = dump();
    EXPECT_EQ(get(request("alice", kAlicePassword, "BOB", kAlicePassword)).body, "nil\r\n");
    EXPECT_EQ(dump(), before);
}

TEST_F(Modify, AWrongPasswordOrUnknownUserIsNilAndChangesNothing)
{
    const std::string before = dump();
    EXPECT_EQ(get(request("alice", kBobPassword, "alice", kBobPassword)).body, "nil\r\n");
    EXPECT_EQ(get(request("nobody", kAlicePassword, "nobody", kBobPassword)).body, "nil\r\n");
    EXPECT_EQ(dump(), before);
}

TEST_F(Modify, MissingEmptyOrMalformedParametersAreRefusedAndChangeNothing)
{
    const std::string before = dump();
    const std::string good = request("alice", kAlicePassword, "alice", kAlicePassword);
    for (const std::string& target : {
             request("", kAlicePassword, "alice", kAlicePassword),
             request("alice", "", "alice", kAlicePassword),
             request("alice", kAlicePassword, "", kAlicePassword),
             request("alice", kAlicePassword, "alice", ""),
             request("alice", kAlicePassword, "al%20ice", kAlicePassword),
             request("alice", kAlicePassword, "alice", "secret"),
             good.substr(0, good.find("&mod_publickey")),
             good + "&mod_userid=eve",
             good + "%0D%0A" }) {
        const HttpAnswer answer = get(target);
        EXPECT_EQ(answer.status, 400) << target;
        EXPECT_EQ(answer.body, "error\r\n") << target;
    }
    EXPECT_EQ(dump(), before);
}

TEST_F(Modify, EscapedReservedCharactersArriveUnchanged)
{
    const std::string target = "/modify.asp?userid=alice&password=" + std::string(kAlicePassword)
                             + "&mod_userid=alice&mod_useremail=a%26mod_userid%3Deve%40x.org&mod_userphone=%28555%29%2B1"
                             + "&mod_userpassword=" + kAlicePassword + "&mod_publickey=k%2B%3D";
    EXPECT_EQ(get(target).body, "success\r\n");
    const std::string after = dump();
    EXPECT_NE(after.find("|a&mod_userid=eve@x.org|"), std::string::npos);
    EXPECT_NE(after.find("|(555)+1|"), std::string::npos);
    EXPECT_NE(after.find("|k+=|"), std::string::npos);
    EXPECT_EQ(logIn("alice", kAlicePassword, "127.0.0.5"), "success\r\n");
}

TEST_F(Modify, TheEmailGivenAtStartIsTheOneStored)
{
    start({ "--user", "carol:pw:carol@example.org" });
    EXPECT_NE(dump().find("|carol@example.org|"), std::string::npos);
}

}  // namespace
