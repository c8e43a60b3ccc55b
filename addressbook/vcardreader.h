#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The few vCard lines the address book takes over from other address books:
// the name, the e-mail addresses and the home and work phones.

inline constexpr std::size_t kMaxVCardFileBytes = 16u * 1024u * 1024u;
inline constexpr std::size_t kMaxVCardLineBytes = 64u * 1024u;
inline constexpr std::size_t kMaxVCardAddresses = 1000;
inline constexpr std::size_t kMaxVCardContacts = 10000;

struct VCardContact {
    std::string FirstName, MiddleName, LastName;
    std::string Email;  // the default address
    std::string HomePhone, BusinessPhone;
    std::string DisplayName;
    std::vector<std::string> Addresses;  // the default one carries " (Default E-Mail)"
};

// What reading left out.
struct VCardReadCounts {
    std::size_t Empty { 0 };  // cards without a name, an address or a phone
    bool Truncated { false };  // more than kMaxVCardContacts cards held something
};

// One contact per BEGIN:VCARD ... END:VCARD (a text without them is one contact).
// Folded lines are joined, quoted-printable and UTF-8 values become code-page text,
// lines longer than kMaxVCardLineBytes are skipped. Empty cards are left out and
// counted; reading stops after kMaxVCardContacts contacts.
std::vector<VCardContact> ReadVCards(std::string_view bytes, VCardReadCounts* counts = nullptr);

// Reads a regular file of cards, never more than kMaxVCardFileBytes of it; false
// with a message for the user when it cannot be read or is larger than that.
bool ReadVCardFile(const std::string& path, std::vector<VCardContact>& contacts, std::string& error,
    VCardReadCounts* counts = nullptr);
