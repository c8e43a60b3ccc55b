#include "addressbook/vcardreader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto contacts = ReadVCards(std::string_view(reinterpret_cast<const char*>(data), size));
    if (contacts.size() > kMaxVCardContacts)
        __builtin_trap();
    for (const VCardContact& card : contacts) {
        if (card.Addresses.size() > kMaxVCardAddresses)
            __builtin_trap();
    }
    return 0;
}
