#include "signup/signuprules.h"

#include "client/core/scrambler.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

SignupFields goodFields()
{
    SignupFields f;
    f.firstName = "Ada";
    f.lastName = "Lovelace";
    f.email = "ada@example.org";
    f.address = "12 St James's Square";
    f.city = "London";
    f.state = "United Kingdom";
    f.zip = "SW1Y";
    f.userName = "ada";
    f.password = "Secret";
    f.password2 = "Secret";
    return f;
}

const char* const kIllegal = "\rIllegal characters found. (spaces or  &&\\:*/?\"'<|=>) are not permitted. Please retry";
const char* const kBadUserName =
    "\rSpaces or  &&\\:*/?\"'<>|= characters are not permitted in your user name. Please retry.";

TEST(SignupRules, APersonalPageWithRequiredFieldsPasses)
{
    SignupFields f = goodFields();
    f.address = "";
    f.firstName = "Ada Jane";
    EXPECT_TRUE(CheckPersonalPage(f).passed());
}

TEST(SignupRules, MissingNamesAndBadAddressesAreRefusedInOrder)
{
    SignupFields f = goodFields();
    f.firstName = "  ";
    f.lastName = "";
    EXPECT_EQ(CheckPersonalPage(f).message, "\rYou entered an invalid First Name. Please re-type.");
    EXPECT_EQ(CheckPersonalPage(f).focus, SignupField::FirstName);
    f.firstName = "Ada";
    EXPECT_EQ(CheckPersonalPage(f).message, "\rYou entered an invalid Last Name. Please re-type.");
    f = goodFields();
    f.email = "a@b";
    EXPECT_EQ(CheckPersonalPage(f).message, "\rYou entered an invalid E-mail address. Please re-type.");
    EXPECT_EQ(CheckPersonalPage(f).focus, SignupField::Email);
}

TEST(SignupRules, AnyOfTheTwelveCharactersInAFieldBeepsWithTheIllegalMessage)
{
    SignupFields f = goodFields();
    f.city = "a=b";
    const PageCheck check = CheckPersonalPage(f);
    EXPECT_EQ(check.message, kIllegal);
    EXPECT_TRUE(check.beep);
    EXPECT_EQ(check.focus, SignupField::None);
    f = goodFields();
    f.email = "a@b.org&x=1";
    EXPECT_EQ(CheckPersonalPage(f).message, kIllegal);
}

TEST(SignupRules, UserNamesThatCannotBeAFolderAreRefused)
{
    for (const char* name : { "a@b", "a b", "a.b", "..", ".", "MESSAGES", "messages", "a/b", "a\\b", "a:b", "a*b",
                              "a?b", "a\"b", "a'b", "a<b", "a>b", "a|b", "a=b", "a&b" }) {
        SignupFields f = goodFields();
        f.userName = name;
        const PageCheck check = CheckUserNamePage(f);
        if (std::string(name) == "a@b") {
            // The at sign is none of the twelve.
            EXPECT_TRUE(check.passed());
            continue;
        }
        EXPECT_EQ(check.message, kBadUserName) << name;
        EXPECT_EQ(check.focus, SignupField::UserName);
    }
}

TEST(SignupRules, AnEmptyUserNameOrPasswordIsAskedFor)
{
    SignupFields f = goodFields();
    f.userName = "  ";
    EXPECT_EQ(CheckUserNamePage(f).message, "\rYou must choose a Username before you can proceed.");
    f = goodFields();
    f.password = f.password2 = " ";
    EXPECT_EQ(CheckUserNamePage(f).message, "\rYou must choose a Password before you can proceed.");
}

TEST(SignupRules, PasswordsAreComparedExactlyAndBothAreEmptiedWhenTheyDiffer)
{
    SignupFields f = goodFields();
    f.password = "x ";
    f.password2 = "x";
    const PageCheck check = CheckUserNamePage(f);
    EXPECT_EQ(check.message, "\rThe passwords you typed are not identical. Please retype them.");
    EXPECT_TRUE(check.clearPasswords);
}

TEST(SignupRules, ATickedPublicKeyNeedsAKey)
{
    SignupFields f = goodFields();
    f.usePublicKey = true;
    f.publicKey = "  ";
    EXPECT_EQ(CheckUserNamePage(f).message, "\rPlease enter your Korvo public key.");
    EXPECT_EQ(CheckUserNamePage(f).focus, SignupField::PublicKey);
    f.publicKey = "k=1&x";
    EXPECT_TRUE(CheckUserNamePage(f).passed());
    f.usePublicKey = false;
    f.publicKey = "";
    EXPECT_TRUE(CheckUserNamePage(f).passed());
}

TEST(SignupRules, FieldsTheServiceCouldNotKeepAreRefusedNamingTheField)
{
    SignupFields f = goodFields();
    f.address = "12 St James Square";
    f.city = std::string(255, 'c');
    EXPECT_TRUE(CheckPersonalPage(f).passed());
    f.city += "c";
    PageCheck check = CheckPersonalPage(f);
    EXPECT_EQ(check.message, "\rThe City may hold at most 255 characters. Please re-type.");
    EXPECT_EQ(check.focus, SignupField::City);
    f = goodFields();
    f.address = "12\x01St";
    check = CheckPersonalPage(f);
    EXPECT_EQ(check.message, "\rThe Address holds characters that are not permitted. Please re-type.");
    EXPECT_EQ(check.focus, SignupField::Address);
    // The value goes out trimmed: blanks around it count for nothing.
    f.address = "12 St James Square";
    f.zip = "  " + std::string(255, 'z') + "  ";
    EXPECT_TRUE(CheckPersonalPage(f).passed());
}

TEST(SignupRules, AUserNameTheServiceCouldNotKeepIsRefused)
{
    SignupFields f = goodFields();
    f.userName = std::string(64, 'a');
    EXPECT_TRUE(CheckUserNamePage(f).passed());
    f.userName += "a";
    EXPECT_EQ(CheckUserNamePage(f).message, "\rThe User Name may hold at most 64 characters. Please re-type.");
    EXPECT_EQ(CheckUserNamePage(f).focus, SignupField::UserName);
    // The one check of every name, telling which character it refused.
    const std::pair<const char*, const char*> refused[] = { { "a\tb", "a tab (character 9)" },
                                                            { "a\xB6" "b", "a paragraph sign (character 182)" },
                                                            { "a\x7F", "a delete character (character 127)" },
                                                            { "a\xA0" "b", "a no-break space (character 160)" },
                                                            { "a\xAD" "b", "a soft hyphen (character 173)" } };
    for (const auto& [name, character] : refused) {
        f.userName = name;
        EXPECT_EQ(CheckUserNamePage(f).message,
                  std::string("\rThe User Name holds ") + character + ", which is not permitted. Please re-type.")
            << name;
    }
}

TEST(SignupRules, APasswordIsTooLongWhenItsScrambledFormIsOver255)
{
    // Cut where the scrambled form passes 255 characters, wherever that falls.
    std::string longest;
    while (ScrambleText(longest + "a").size() <= 255)
        longest += "a";
    SignupFields f = goodFields();
    f.password = f.password2 = longest;
    EXPECT_TRUE(CheckUserNamePage(f).passed());
    f.password = f.password2 = longest + "a";
    EXPECT_EQ(CheckUserNamePage(f).message, "\rThe Password is too long. Please choose a shorter one.");
    EXPECT_EQ(CheckUserNamePage(f).focus, SignupField::Password);
    f.password = f.password2 = std::string(300, 'a');
    EXPECT_EQ(CheckUserNamePage(f).message, "\rThe Password is too long. Please choose a shorter one.");
}

TEST(SignupRules, APublicKeyOverWhatASignUpKeepsIsRefusedTickedOrNot)
{
    SignupFields f = goodFields();
    f.usePublicKey = true;
    f.publicKey = std::string(255, 'k');
    EXPECT_TRUE(CheckUserNamePage(f).passed());
    f.publicKey = std::string(256, 'k');
    EXPECT_EQ(CheckUserNamePage(f).message, "\rThe Public Key may hold at most 255 characters. Please re-type.");
    EXPECT_EQ(CheckUserNamePage(f).focus, SignupField::PublicKey);
    f.usePublicKey = false;
    f.publicKey = std::string(1024, 'k');
    EXPECT_EQ(CheckUserNamePage(f).message, "\rThe Public Key may hold at most 255 characters. Please re-type.");
    f.publicKey = "k\nk";
    EXPECT_EQ(CheckUserNamePage(f).message,
              "\rThe Public Key holds characters that are not permitted. Please re-type.");
}

TEST(SignupRules, PasswordsDifferingInCaseStoreOneValue)
{
    EXPECT_EQ(StoredPasswordOf("Secret"), StoredPasswordOf("secret"));
    EXPECT_EQ(StoredPasswordOf(" Secret "), "115-19-231-157-31-111-");
}

TEST(SignupRules, TheRequestAddressIsTrimmedEncodedAndFillsEmptyFieldsWithNil)
{
    SignupFields f = goodFields();
    f.firstName = " Ada ";
    f.address = " ";
    f.city = "San Jose";
    f.zip = "";
    f.userName = "ada";
    f.publicKey = "k=1&UserName=eve";
    EXPECT_EQ(RegistrationUrl("127.0.0.1:8096", f, StoredPasswordOf("pw")),
              "http://127.0.0.1:8096/register.asp?FirstName=Ada&LastName=Lovelace&Address=nil&City=San%20Jose"
              "&State=United%20Kingdom&Zip=nil&UserName=ada&Password=112-243-&PublicKey=k%3D1%26UserName%3Deve"
              "&LastIPAddress=0.0.0.0&PhoneNumber=0&emailaddress=ada%40example.org&CreditCard=0&CreditCardName=0"
              "&CreditCardExpiration=0&CreditCardNumber=0&LNR=0");
}

TEST(SignupRules, TheAnswerIsTheTrimmedReply)
{
    EXPECT_EQ(ReadRegistrationAnswer("\r\n success \r\n"), RegistrationAnswer::Success);
    EXPECT_EQ(ReadRegistrationAnswer("duplicate\r\n"), RegistrationAnswer::Duplicate);
    EXPECT_EQ(ReadRegistrationAnswer(""), RegistrationAnswer::Error);
    EXPECT_EQ(ReadRegistrationAnswer("not found\r\n"), RegistrationAnswer::Error);
    EXPECT_EQ(ReadRegistrationAnswer("success\r\nmore"), RegistrationAnswer::Error);
}

TEST(SignupRules, AnOwnerOfOneWordIsALastNameOnly)
{
    EXPECT_EQ(SplitOwner("Ada").first, "");
    EXPECT_EQ(SplitOwner("Ada").last, "Ada");
    EXPECT_EQ(SplitOwner("Ada King Lovelace").first, "Ada");
    EXPECT_EQ(SplitOwner("Ada King Lovelace").last, "King Lovelace");
}

TEST(SignupRules, FiveUserFoldersAreTheLimit)
{
    ScratchDirs dirs;
    for (const char* user : { "a", "b", "c", "d" })
        dirs.write(std::string("windows/my friends/") + user + "/user.dat", "");
    dirs.write("windows/my friends/messages/x.txt", "");
    dirs.write("windows/my friends/a.b", "");
    dirs.write("windows/my friends/old.folder/user.dat", "");
    EXPECT_FALSE(TooManyLocalUsers());
    dirs.write("windows/my friends/e/user.dat", "");
    EXPECT_TRUE(TooManyLocalUsers());
}

}  // namespace
