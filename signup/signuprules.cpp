#include "signup/signuprules.h"

#include "client/core/accountlimits.h"
#include "client/core/download.h"
#include "client/core/scrambler.h"
#include "client/core/servicequery.h"
#include "client/core/userlist.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr std::string_view kForbidden { "\\&/:*?\"'<>|=" };

PageCheck refuse(std::string message, SignupField focus)
{
    return PageCheck { std::move(message), focus };
}

// The service keeps a value only within its limits; the value goes out trimmed.
PageCheck checkServiceLimits(const std::string& value, const char* name, SignupField field, std::size_t limit)
{
    const std::string sent = Trim(value);
    if (HoldsControlByte(sent))
        return refuse(NotPermittedMessage(name), field);
    if (sent.size() > limit)
        return refuse(TooLongMessage(name, limit), field);
    return {};
}

}  // namespace

bool HoldsForbiddenCharacter(std::string_view text) { return text.find_first_of(kForbidden) != std::string_view::npos; }

std::string TooLongMessage(const std::string& field, std::size_t limit)
{
    return "\rThe " + field + " may hold at most " + std::to_string(limit) + " characters. Please re-type.";
}

std::string NotPermittedMessage(const std::string& field)
{
    return "\rThe " + field + " holds characters that are not permitted. Please re-type.";
}

std::string PasswordTooLongMessage() { return "\rThe Password is too long. Please choose a shorter one."; }

PageCheck CheckPersonalPage(const SignupFields& fields)
{
    if (Trim(fields.firstName).empty())
        return refuse("\rYou entered an invalid First Name. Please re-type.", SignupField::FirstName);
    if (Trim(fields.lastName).empty())
        return refuse("\rYou entered an invalid Last Name. Please re-type.", SignupField::LastName);
    const std::string email = Trim(fields.email);
    if (email.empty() || email.find('@') == std::string::npos || email.find('.') == std::string::npos)
        return refuse("\rYou entered an invalid E-mail address. Please re-type.", SignupField::Email);
    for (const std::string* field : { &fields.firstName, &fields.email, &fields.zip, &fields.city, &fields.lastName,
                                      &fields.address }) {
        if (HoldsForbiddenCharacter(Trim(*field))) {
            PageCheck check { "\rIllegal characters found. (spaces or  &&\\:*/?\"'<|=>) are not permitted. Please retry" };
            check.beep = true;
            return check;
        }
    }
    const struct {
        const std::string& value;
        const char* name;
        SignupField field;
    } limited[] = { { fields.firstName, "First Name", SignupField::FirstName },
                    { fields.lastName, "Last Name", SignupField::LastName },
                    { fields.email, "E-mail address", SignupField::Email },
                    { fields.address, "Address", SignupField::Address },
                    { fields.city, "City", SignupField::City },
                    { fields.zip, "Zip", SignupField::Zip } };
    for (const auto& field : limited) {
        const PageCheck check = checkServiceLimits(field.value, field.name, field.field, kMaxProfileFieldLength);
        if (!check.passed())
            return check;
    }
    return {};
}

PageCheck CheckUserNamePage(const SignupFields& fields)
{
    const std::string user = Trim(fields.userName);
    // A dot would let ".." or "a.b" name a folder the client does not count as a
    // user, and "messages" is the client's own folder.
    if (HoldsForbiddenCharacter(user) || user.find(' ') != std::string::npos || user.find('.') != std::string::npos
        || SameText(user, "messages"))
        return refuse("\rSpaces or  &&\\:*/?\"'<>|= characters are not permitted in your user name. Please retry.",
                      SignupField::UserName);
    if (user.empty())
        return refuse("\rYou must choose a Username before you can proceed.", SignupField::UserName);
    if (std::string refusal = UserNameRefusal(user); !refusal.empty())
        return refuse(std::move(refusal), SignupField::UserName);
    if (fields.password != fields.password2) {
        PageCheck check = refuse("\rThe passwords you typed are not identical. Please retype them.", SignupField::Password);
        check.clearPasswords = true;
        return check;
    }
    if (Trim(fields.password).empty())
        return refuse("\rYou must choose a Password before you can proceed.", SignupField::Password);
    // Each character scrambles to two to four: the stored form, not the typed one, has the limit.
    if (Trim(fields.password).size() > kScrambleMaxLength
        || StoredPasswordOf(fields.password).size() > kMaxScrambledLength)
        return refuse(PasswordTooLongMessage(), SignupField::Password);
    if (fields.usePublicKey && Trim(fields.publicKey).empty())
        return refuse("\rPlease enter your Korvo public key.", SignupField::PublicKey);
    // The key goes out ticked or not; at sign-up it is a field like the others.
    return checkServiceLimits(fields.publicKey, "Public Key", SignupField::PublicKey, kMaxProfileFieldLength);
}

PageCheck CheckRegistrationRequest(const std::string& url)
{
    if (url.size() <= kMaxUrlLength)
        return {};
    return refuse("\rYour details are too long to be sent together. Please shorten some of them.", SignupField::None);
}

std::string StoredPasswordOf(const std::string& password) { return ScrambleText(LowerCase(Trim(password))); }

std::string OrNil(const std::string& value)
{
    const std::string trimmed = Trim(value);
    return trimmed.empty() ? "nil" : trimmed;
}

std::string RegistrationUrl(const std::string& host, const SignupFields& fields, const std::string& scrambledPassword)
{
    const auto value = [](const std::string& text) { return EncodeServiceValue(Trim(text)); };
    return "http://" + host + "/register.asp?FirstName=" + value(fields.firstName) + "&LastName="
        + value(fields.lastName) + "&Address=" + value(OrNil(fields.address)) + "&City=" + value(OrNil(fields.city))
        + "&State=" + value(fields.state) + "&Zip=" + value(OrNil(fields.zip)) + "&UserName="
        + value(fields.userName) + "&Password=" + value(scrambledPassword) + "&PublicKey=" + value(fields.publicKey)
        + "&LastIPAddress=0.0.0.0" + "&PhoneNumber=0" + "&emailaddress=" + value(OrNil(fields.email))
        + "&CreditCard=0" + "&CreditCardName=0" + "&CreditCardExpiration=0" + "&CreditCardNumber=0" + "&LNR=0";
}

RegistrationAnswer ReadRegistrationAnswer(const std::string& replyText)
{
    const std::string answer = Trim(replyText);
    if (answer == "success")
        return RegistrationAnswer::Success;
    if (answer == "duplicate")
        return RegistrationAnswer::Duplicate;
    return RegistrationAnswer::Error;
}

OwnerName SplitOwner(const std::string& owner)
{
    const std::size_t blank = owner.find(' ');
    if (blank == std::string::npos)
        return OwnerName { "", owner };
    return OwnerName { owner.substr(0, blank), owner.substr(blank + 1) };
}

bool TooManyLocalUsers() { return static_cast<int>(ListLocalUsers().size()) >= kMaxLocalUsers; }
