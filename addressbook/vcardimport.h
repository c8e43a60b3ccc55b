#pragma once

#include "addressbook/vcardreader.h"

#include <string>
#include <vector>

// Stores read cards as contact files in a group folder (or the root).
struct VCardImportResult {
    int Written { 0 };
    std::vector<std::string> Failures;  // one message per file that could not be written
};

// Each card goes to folder + its contact file name; a card without a name to
// "vcard" + a random number. An existing file keeps the keys a card does not carry.
VCardImportResult StoreVCardContacts(const std::vector<VCardContact>& contacts, const std::string& folder);
