// The notes server's reply is read whole, whatever it holds.
#include "client/features/nivletcore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const auto notes = nivlet::ReadNotesReply(reply);
    if (notes.size() > nivlet::kMaxNotesPerFetch)
        std::abort();
    for (const nivlet::TReceivedNote& note : notes) {
        if (note.from.empty() || note.from.size() > nivlet::kMaxSenderLength
            || note.message.size() > nivlet::kMaxMessageLength || note.linkField.size() > nivlet::kMaxLinkLength)
            std::abort();
        // Whatever the sender's name, the file named after it stays in its folder.
        const std::string name = nivlet::StoredNoteFileName(note.from, 0, 999);
        if (name.find('/') != std::string::npos || name.find("..") != std::string::npos)
            std::abort();
    }
    // The shift is undone by itself.
    if (nivlet::ShiftNoteText(nivlet::ShiftNoteText(reply)) != reply && !reply.empty() && reply.front() != '#')
        std::abort();
    return 0;
}
