#pragma once

#include "addressbook/vcardreader.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Stores read cards as contact files in a group folder (or the root).
struct VCardImportResult {
    int Written { 0 };
    std::vector<std::string> Failures;  // one message per file that could not be written
};

// Cards stored between two calls of the caller's pause.
inline constexpr std::size_t kVCardImportBatch = 200;

// Each card goes to folder + its contact file name; a card without a name to
// "vcard" + a random number that no file of the folder has. An existing file
// keeps the keys a card does not carry. A name another card of this import took,
// or one holding text the code page could not keep ('?') that an existing file
// has, gets a free variant: name + "_" + a number from 2. betweenBatches runs
// after every kVCardImportBatch cards; false from it ends the import there.
VCardImportResult StoreVCardContacts(const std::vector<VCardContact>& contacts, const std::string& folder,
    const std::function<bool()>& betweenBatches = {});

// The note for the user on what reading the file left out; "" when nothing was.
std::string VCardImportNotice(const std::string& path, const VCardReadCounts& counts);
