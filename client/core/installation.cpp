#include "client/core/installation.h"

#include "client/core/helpers.h"
#include "client/core/session.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/registry.h"

#include <cstdio>
#include <string>

namespace {

// The guide's branches, in the order the guide lists them.
const char* const kCategories[] = { "News Headlines", "Nivlets", "Praltos", "Favorites", "Programs" };

struct TEngineFile {
    const char* file;
    const char* text;
};

// Quickseek.inf is the default engine when the user has chosen none.
const TEngineFile kEngines[] = {
    { "Quickseek.inf",
        "[Engine]\r\nname=QuickSeek\r\ndisplayname=QuickSeek\r\ndirections=Words to find:\r\nexample=red car, paris\r\n"
        "Post=https://duckduckgo.com/html/?q=%1\r\nProcess=1\r\nGroup=A\r\n" },
    { "Wikipedia.inf",
        "[Engine]\r\nname=Wikipedia\r\ndisplayname=Wikipedia\r\ndirections=Article to find:\r\nexample=chess\r\n"
        "Post=https://en.wikipedia.org/w/index.php?search=%1\r\nProcess=1\r\nGroup=A\r\n" },
};

void LayDownCategories()
{
    TIniFile channels(AppPath() + "Channels.ini");
    if (channels.SectionExists("Categories"))
        return;
    int index = 0;
    for (const char* category : kCategories)
        channels.WriteString("Categories", IntToStr(index++), category);
}

void LayDownEngines()
{
    const std::string folder = AppPath() + "engines";
    if (!ListDirectory(folder + PathDelim + "*.inf", 0).empty())
        return;
    ForceDirectories(folder);
    for (const TEngineFile& engine : kEngines) {
        const std::string path = folder + PathDelim + engine.file;
        if (!FileExists(path) && !WriteFileAtomically(path, engine.text))
            std::fprintf(stderr, "[larkspire] could not write %s\n", path.c_str());
    }
}

// The command under HKEY_LOCAL_MACHINE that starts a program of the folder, when none is registered there.
void Register(const std::string& key, const std::string& program, const std::string& parameters)
{
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (!ReadRegString(HKEY_LOCAL_MACHINE, key, "").empty() || !registry.OpenKey(key, true))
        return;
    const std::string command = "\"" + AppPath() + program + "\"";
    registry.WriteString("", parameters.empty() ? command : command + " " + parameters);
}

void RegisterOwnPrograms()
{
    const TSession defaults;
    Register("\\SOFTWARE\\Clients\\Mail\\" + defaults.mailClient + "\\shell\\open\\command", "mail", "/config");
    const std::string book = "\\SOFTWARE\\Clients\\Contacts\\" + defaults.addressBook;
    Register(book + "\\shell\\open\\command", "tivra", "");
    Register(book + "\\Protocols\\new\\open\\command", "tivra", "/new");
}

}  // namespace

void LayDownInstallation()
{
    try {
        LayDownCategories();
    } catch (const Exception& error) {
        std::fprintf(stderr, "[larkspire] guide branches not laid down: %s\n", error.Message().c_str());
    }
    LayDownEngines();
    try {
        RegisterOwnPrograms();
    } catch (const Exception& error) {
        std::fprintf(stderr, "[larkspire] programs not registered: %s\n", error.Message().c_str());
    }
}
