#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The few vCard fields the address book takes over from other address books,
// in the spellings of versions 2.1, 3.0 and 4.0: the name, the e-mail addresses
// (the preferred one the default) and the home and work phones. The other
// fields are counted, so the user can be told what was left out.

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
    std::size_t Dropped { 0 };  // fields of the cards read that have no place in the store
};

// One contact per BEGIN:VCARD ... END:VCARD (a text without them is one contact).
// Folded lines are joined, quoted-printable and UTF-8 values become code-page text,
// lines longer than kMaxVCardLineBytes are skipped and counted. Empty cards are
// left out and counted; reading stops after kMaxVCardContacts contacts.
std::vector<VCardContact> ReadVCards(std::string_view bytes, VCardReadCounts* counts = nullptr);

// Reads a regular file of cards, never more than kMaxVCardFileBytes of it; false
// with a message for the user when it cannot be read or is larger than that.
bool ReadVCardFile(const std::string& path, std::vector<VCardContact>& contacts, std::string& error,
    VCardReadCounts* counts = nullptr);
