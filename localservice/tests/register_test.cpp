#include "client/core/scrambler.h"
#include "localservice/tests/service_fixture.h"

#include <map>
#include <string>

namespace {

class Register : public ServiceTest {
protected:
    // The sign-up's request; `changes` replace fields (an empty name drops the field).
    std::string request(const std::map<std::string, std::string>& changes = {}) const
    {
        std::map<std::string, std::string> fields {
            { "FirstName", "Carol" }, { "LastName", "Day" }, { "Address", "1%20Main%20St" }, { "City", "nil" },
            { "State", "Oregon" }, { "Zip", "97201" }, { "UserName", "carol" }, { "Password", ScrambleText("hello") },
            { "PublicKey", "" }, { "LastIPAddress", "0.0.0.0" }, { "PhoneNumber", "0" },
            { "emailaddress", "carol%40example.org" }, { "CreditCard", "0" }, { "CreditCardName", "0" },
            { "CreditCardExpiration", "0" }, { "CreditCardNumber", "0" }, { "LNR", "0" } };
        for (const auto& [name, value] : changes) {
            if (value == "\x01")
                fields.erase(name);
            else
                fields[name] = value;
        }
        std::string target = "/register.asp?";
        for (const auto& [name, value] : fields)
            target += (target.back() == '?' ? "" : "&") + name + "=" + value;
        return target;
    }
};

TEST_F(Register, ANewUserIsRegisteredAndCanLogOn)
{
    EXPECT_EQ(get(request()).body, "success\r\n");
    EXPECT_EQ(logIn("CAROL", ScrambleText("hello"), "127.0.0.8"), "success\r\n");
}

TEST_F(Register, ATakenNameInAnyCaseIsDuplicateAndChangesNothing)
{
    const std::string before = dump();
    EXPECT_EQ(get(request({ { "UserName", "ALICE" } })).body, "duplicate\r\n");
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(logIn("alice", kAlicePassword, "127.0.0.5"), "success\r\n");
}

TEST_F(Register, BadRegistrationsAreRefusedAndChangeNothing)
{
    const std::string before = dump();
    const std::map<std::string, std::string> bad[] = {
        { { "UserName", "" } },
        { { "Password", "" } },
        { { "UserName", "\x01" } },
        { { "LNR", "\x01" } },
        { { "UserName", "car%20ol" } },
        { { "UserName", "car%3Aol" } },
        { { "UserName", "car%3Dol" } },
        { { "UserName", "car%B6ol" } },
        { { "UserName", "a.b" } },
        { { "UserName", ".." } },
        { { "UserName", "MESSAGES" } },
        { { "Password", "hello" } },
        { { "City", "a%0D%0Ab" } },
        { { "FirstName", std::string(256, 'f') } },
        { { "LastIPAddress", "nil" } },
    };
    for (const auto& changes : bad) {
        const HttpAnswer answer = get(request(changes));
        EXPECT_EQ(answer.status, 400) << request(changes);
        EXPECT_EQ(answer.body, "error\r\n");
    }
    EXPECT_EQ(dump(), before);
}

TEST_F(Register, ATwiceGivenFieldIsRefused)
{
    const std::string before = dump();
    EXPECT_EQ(get(request() + "&username=dave").status, 400);
    EXPECT_EQ(dump(), before);
}

}  // namespace
