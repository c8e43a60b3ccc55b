#include "client/core/helpers.h"

#include "client/core/session.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/win/process.h"
#include "platform/win/shell.h"
#include "platform/win/sound.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <array>
#include <set>

std::string AppPath() { return IncludeTrailingPathDelimiter(GetProgramDir()); }

std::string WindowsDir() { return GetWindowsDir(); }

void ReportWriteFailure(const std::exception& error)
{
    // A disk that refuses one write refuses the next as well: one message is enough.
    static std::set<std::string> reported;
    if (reported.insert(error.what()).second)
        MessageDlg(std::string("\r") + error.what(), mtError, mbOK, 0);
}

void RunProgram(const std::string& commandLine, int showCommand) { WinExec(commandLine, showCommand); }

bool IsWebLink(const std::string& link)
{
    const std::string lower = LowerCase(Trim(link));
    return lower.starts_with("http://") || lower.starts_with("https://");
}

void OpenWebLink(const std::string& url)
{
    if (IsWebLink(url))
        ShellOpen(url);
}

void OpenDocument(const std::string& path) { ShellOpen(path); }

bool IsPlainMailAddress(std::string_view address)
{
    return std::none_of(address.begin(), address.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c <= ' ' || c == 0x7F || c == '?' || c == '&' || c == '#' || c == '%' || c == ',' || c == ';';
    });
}

std::string MailtoUrl(const std::string& address)
{
    const std::string trimmed = Trim(address);
    return IsPlainMailAddress(trimmed) ? "mailto:" + trimmed : "mailto:";
}

std::string MailtoUrl(const std::vector<std::string>& addresses)
{
    std::string url = "mailto:";
    for (const std::string& address : addresses) {
        const std::string trimmed = Trim(address);
        if (!trimmed.empty() && IsPlainMailAddress(trimmed))
            url += trimmed + "; ";
    }
    return url;
}

std::string AppSoundFile(std::uint8_t number)
{
    static const std::array<const char*, 16> files { "alert.wav", "beep.wav", "remind.wav", "alert2.wav",
                                                     "startup.wav", "alert3.wav", "filein.wav", "snap.wav",
                                                     "roll.wav", "aboutsound.wav", "sound3.wav", "Sendfile.wav",
                                                     "selectoff.wav", "textsnd.wav", "textrcv.wav", "newmail.wav" };
    if (number < 1 || number > files.size())
        return {};
    return files[number - 1];
}

void PlayAppSound(std::uint8_t number, bool noStop)
{
    const std::string file = AppSoundFile(number);
    if (file.empty() || !Session().sound)
        return;
    unsigned flags = SND_ASYNC | SND_NODEFAULT | SND_FILENAME;
    if (noStop)
        flags |= SND_NOSTOP;
    PlaySound(AppPath() + file, flags);
}

std::string MakeSafeFileName(const std::string& name)
{
    std::string result = Trim(name);
    for (char& c : result) {
        switch (c) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            c = '-';
            break;
        default:
            break;
        }
    }
    return result;
}

std::string ReadRegString(HKEY root, const std::string& keyPath, const std::string& valueName)
{
    TRegistry registry(root);
    if (!registry.OpenKeyReadOnly(keyPath))
        return {};
    try {
        return registry.ReadString(valueName);
    } catch (const ERegistryException&) {
        return {};
    }
}

int ScreenColorDepth()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}
