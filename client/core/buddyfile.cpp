#include "client/core/buddyfile.h"

#include "client/core/helpers.h"
#include "client/core/session.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr const char* kSection = "Friend";

}  // namespace

std::string UserRoot()
{
    return WindowsDir() + PathDelim + "my friends" + PathDelim + Session().userId + PathDelim;
}

std::string BuddyFileName(const std::string& name)
{
    if (!IsValidBuddyName(name) || !IsSafeFileName(Session().userId))
        return {};
    return SafeJoin(ExcludeTrailingPathDelimiter(UserRoot()), name + ".cnt");
}

bool IsBuddyBlocked(const std::string& name)
{
    const std::string file = BuddyFileName(name);
    return !file.empty() && TIniFile(file).ReadBool(kSection, "BLOCK", false);
}

std::string GetBuddyDirectConnect(const std::string& name)
{
    const std::string file = BuddyFileName(name);
    return file.empty() ? std::string() : TIniFile(file).ReadString(kSection, "DirectConnect", "");
}

std::string GetBuddyEmail(const std::string& name)
{
    const std::string file = BuddyFileName(name);
    return file.empty() ? std::string() : TIniFile(file).ReadString(kSection, "Email", "");
}

void WriteBuddyValue(const std::string& name, const std::string& key, const std::string& value)
{
    const std::string file = BuddyFileName(name);
    if (!file.empty())
        TIniFile(file).WriteString(kSection, key, value);
}

void WriteBuddyIdentity(const std::string& name)
{
    WriteBuddyValue(name, "UserID", name);
    WriteBuddyValue(name, "UserRef", name);
}

std::vector<std::string> BuddyFileNames()
{
    std::vector<std::string> names;
    // Without a signed-on user there is no folder to read.
    if (!IsSafeFileName(Session().userId))
        return names;
    for (const TSearchRec& entry : ListDirectory(UserRoot() + "*.cnt", faAnyFile & ~faDirectory)) {
        if (entry.Name.size() <= 4)
            continue;
        std::string name = entry.Name.substr(0, entry.Name.size() - 4);
        if (IsValidBuddyName(name))
            names.push_back(std::move(name));
    }
    return names;
}

int LoadBuddyFiles(TBuddyStore& store, bool reset)
{
    if (reset)
        store.Clear();
    int refused = 0;
    for (const std::string& name : BuddyFileNames()) {
        if (reset)
            WriteBuddyValue(name, "online", "0");
        if (Tbuddy* known = store.Find(name)) {
            known->Blocked = IsBuddyBlocked(name);
            continue;
        }
        if (store.Full()) {
            ++refused;
            continue;
        }
        auto buddy = std::make_unique<Tbuddy>();
        buddy->Name = name;
        buddy->Connecting = false;
        buddy->KeepAlive = 30;
        buddy->Online = false;
        buddy->Blocked = IsBuddyBlocked(name);
        buddy->DirectConnect = GetBuddyDirectConnect(name);
        store.Add(std::move(buddy));
    }
    return refused;
}
