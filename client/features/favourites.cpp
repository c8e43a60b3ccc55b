#include "client/features/favourites.h"

#include "client/core/helpers.h"
#include "client/features/guidefiles.h"
#include "client/features/searchquery.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

const char* const kKeywordRefused
    = "\rA keyword cannot hold an equals sign or a line break, nor start with [ or ;. Please retry.";

namespace {

// A line break in a value would start a new line of the file.
std::string OneLine(const std::string& value)
{
    std::string line = value;
    for (char& c : line) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return line;
}

}  // namespace

std::string ShortcutPath(const std::string& folder, const std::string& name)
{
    const std::string safe = MakeSafeFileName(Trim(name));
    if (safe.empty() || folder.empty())
        return std::string();
    return IncludeTrailingBackslash(folder) + safe + ".URL";
}

bool AcceptableKeyword(const std::string& keyword)
{
    return Trim(keyword).empty() || UsableIniKey(keyword);
}

bool WriteUrlShortcut(const std::string& path, const std::string& keyword, const std::string& address)
{
    if (path.empty() || !DirectoryExists(ExtractFileDir(path)))
        return false;
    try {
        TIniFile ini(path);
        ini.WriteString("InternetShortcut", "URL", OneLine(address));
        ini.WriteString("InternetShortcut", "Keyword", OneLine(keyword));
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void RegisterKeyword(const std::string& keyword, const std::string& path)
{
    if (Trim(keyword).empty() || !UsableIniKey(keyword))
        return;
    TIniFile(AppPath() + "Channels.ini").WriteString("Channels", Trim(keyword), path);
}

TChannelTarget FindChannel(const std::string& keyword)
{
    TChannelTarget target;
    if (!UsableIniKey(keyword))
        return target;
    const std::string path = TIniFile(AppPath() + "Channels.ini").ReadString("Channels", Trim(keyword), "");
    if (Trim(path).empty())
        return target;
    target.address = Trim(TIniFile(path).ReadString("InternetShortcut", "URL", ""));
    target.caption = UpperCase(UpToFirstDot(ExtractFileName(path)));
    return target;
}
