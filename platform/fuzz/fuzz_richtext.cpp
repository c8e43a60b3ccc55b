// Rich text is what buddies send in every chat line: any bytes must read into a
// document without a crash and within bounds, and whatever was read must write
// out as rich text that reads back to the same characters.
#include "platform/ui/richtext.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

struct Harness {
    // Documents need fonts, not a screen.
    int headless { ::setenv("QT_QPA_PLATFORM", "offscreen", 0) };
    int argc { 1 };
    char name[16] { "fuzz_richtext" };
    char* argv[2] { name, nullptr };
    QGuiApplication app { argc, argv };
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Harness harness;
    const std::string_view rtf(reinterpret_cast<const char*>(data), size);
    QTextDocument document;
    richtext::Load(document, rtf);
    if (static_cast<std::size_t>(document.characterCount()) > richtext::kMaxText + 2)
        std::abort();
    const std::string written = richtext::Write(document);
    if (written.size() > richtext::kMaxWritten)
        std::abort();
    for (char c : written)
        if (static_cast<unsigned char>(c) >= 0x80)
            std::abort();
    QTextDocument again;
    if (!richtext::Load(again, written) && document.characterCount() > 1)
        std::abort();
    return 0;
}
