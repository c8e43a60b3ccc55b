#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What the sign-up wizard checks, sends and reads, without a window.

inline constexpr int kMaxLocalUsers = 5;
inline constexpr int kMaxPasswordLength = 255;

struct SignupFields {
    std::string firstName;
    std::string lastName;
    std::string email;
    std::string address;
    std::string city;
    std::string state;
    std::string zip;
    std::string userName;
    std::string password;
    std::string password2;
    bool usePublicKey { false };
    std::string publicKey;
};

enum class SignupField { None, FirstName, LastName, Email, Address, City, Zip, UserName, Password, PublicKey };

// A refused page: the message shown, the field that gets the focus, and
// whether a beep comes first. An empty message lets the page pass.
struct PageCheck {
    std::string message;
    SignupField focus { SignupField::None };
    bool beep { false };
    bool clearPasswords { false };
    bool passed() const { return message.empty(); }
};

// \ & / : * ? " ' < > | = anywhere in the text.
bool HoldsForbiddenCharacter(std::string_view text);

// The messages for a value the service would refuse, naming its field ("City").
std::string TooLongMessage(const std::string& field, std::size_t limit);
std::string NotPermittedMessage(const std::string& field);
std::string PasswordTooLongMessage();

PageCheck CheckPersonalPage(const SignupFields& fields);
PageCheck CheckUserNamePage(const SignupFields& fields);

// Each field within its limit can still make a request longer than a download sends.
PageCheck CheckRegistrationRequest(const std::string& url);

// The form the service and user.dat keep: the password lower-cased and trimmed, scrambled.
std::string StoredPasswordOf(const std::string& password);

// An empty address, city, zip or e-mail goes out, and stays in its field, as "nil".
std::string OrNil(const std::string& value);

// The "/register.asp" address; every value trimmed and encoded.
std::string RegistrationUrl(const std::string& host, const SignupFields& fields, const std::string& scrambledPassword);

enum class RegistrationAnswer { Success, Duplicate, Error };
// The reply file's whole text, trimmed.
RegistrationAnswer ReadRegistrationAnswer(const std::string& replyText);

// The machine's registered owner as a first and a last name: the text before the
// first blank and the rest; one word is a last name only.
struct OwnerName {
    std::string first;
    std::string last;
};
OwnerName SplitOwner(const std::string& owner);

// Five users already have folders here.
bool TooManyLocalUsers();
