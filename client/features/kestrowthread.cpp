#include "client/features/kestrowthread.h"

#include "client/core/adindex.h"
#include "client/core/download.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/process.h"

#include <QLabel>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <set>
#include <thread>

namespace {

std::string IndexFile() { return AdsFolder() + PathDelim + "ads.idx"; }

std::string ReadBounded(const std::string& fileName)
{
    std::string bytes;
    if (!FileExists(fileName))
        return bytes;
    TFileStream file(fileName, fmOpenRead);
    bytes.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(file.Size(), 0, kMaxReplyBytes)));
    bytes.resize(static_cast<std::size_t>(
        std::max<std::int64_t>(file.Read(bytes.data(), static_cast<std::int64_t>(bytes.size())), 0)));
    return bytes;
}

}  // namespace

std::string AdsServer()
{
    const std::string host = Trim(TIniFile(kLarkspireIni).ReadString("MAIN", "AdsServer", ""));
    return host.empty() ? Session().regsServer : host;
}

std::vector<std::string> ParseAdListing(std::string_view listing)
{
    std::vector<std::string> names;
    std::set<std::string> seen;
    bool first = true;
    while (!listing.empty() && names.size() < kMaxAdPictures) {
        const std::size_t end = listing.find('\n');
        std::string_view line = listing.substr(0, end);
        listing.remove_prefix(end == std::string_view::npos ? listing.size() : end + 1);
        if (first) {
            first = false;
            continue;
        }
        if (line.find("NAME=") == std::string_view::npos)
            continue;
        const std::size_t open = line.find('"');
        if (open == std::string_view::npos)
            continue;
        line.remove_prefix(open + 1);
        const std::string name(line.substr(0, line.find('"')));
        // The name becomes a file of the ads folder: nothing but a bare picture name.
        if (IsAdPictureName(name) && seen.insert(LowerCase(name)).second)
            names.push_back(name);
    }
    return names;
}

std::optional<double> ParseVersion(std::string_view text)
{
    const std::string trimmed = Trim(std::string(text));
    // Digits and one point: the C locale's plain decimals, no exponents or names.
    if (trimmed.empty() || trimmed.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    double value = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [stop, error] = std::from_chars(trimmed.data(), end, value, std::chars_format::fixed);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

void DeleteAdImages()
{
    for (const TSearchRec& entry : ListDirectory(AdsFolder() + PathDelim + "*.gif", faAnyFile & ~faDirectory))
        DeleteFile(AdsFolder() + PathDelim + entry.Name);
}

void RefreshAds(const std::string& host, const DownloadLimits& limits)
{
    if (host.empty())
        return;
    ForceDirectories(AdsFolder());
    const std::string base = "http://" + host + "/images";
    // An index that did not come whole is no index.
    if (!DownloadToFile(base + "/ads.idx", IndexFile(), limits).complete)
        DeleteFile(IndexFile());
    if (!FileExists(IndexFile()))
        return;
    TIniFile settings(kLarkspireIni);
    const TIniFile index(IndexFile());
    // A page without the code (an error page, a cut-off file) says nothing about
    // the set: the pictures stay, and the next sign-on asks again.
    if (!index.ValueExists("Index", "UpdateCode"))
        return;
    const auto remote = static_cast<std::uint16_t>(index.ReadInteger("Index", "UpdateCode", 1));
    const auto local = static_cast<std::uint16_t>(settings.ReadInteger("Main", "AdUpdateCode", 0));
    if (remote == local)
        return;

    const std::string table = AppPath() + "adtable.tmp";
    const bool listed = DownloadToFile(base, table, limits).complete;
    DeleteAdImages();
    const std::string listing = listed ? ReadBounded(table) : std::string();
    if (listing.empty())
        return;
    const std::vector<std::string> names = ParseAdListing(listing);
    // A few pictures at a time: each is a small file behind a round trip.
    std::atomic<std::size_t> next { 0 };
    std::atomic<std::int64_t> kept { 0 };
    // A picture that did not come (a failure, sign-off, Exit) leaves the old code, so
    // the next sign-on fetches the set again. One that came but is too large to show,
    // or finds the folder full, stays at the host: fetching it again changes nothing.
    std::atomic<bool> settled { true };
    const auto fetch = [&] {
        for (std::size_t i = next++; i < names.size(); i = next++) {
            const std::string file = SafeJoin(AdsFolder(), names[i]);
            try {
                if (!DownloadToFile(base + "/" + names[i], file, limits).complete) {
                    settled = false;
                    DeleteFile(file);
                    continue;
                }
                bool keep = AdPictureFits(file);
                if (keep) {
                    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(FileSystemName(file)));
                    keep = kept.fetch_add(size) + size <= kMaxAdFolderBytes;
                    if (!keep)
                        kept -= size;
                }
                if (!keep)
                    DeleteFile(file);
            } catch (const std::exception&) {
                // A picture that cannot be written is left out; the rest still come.
                settled = false;
            }
        }
    };
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < std::min(kParallelAdFetches, names.size()); ++i)
        workers.emplace_back(fetch);
    for (std::thread& worker : workers)
        worker.join();
    if (settled)
        settings.WriteInteger("Main", "AdUpdateCode", remote);
}

bool CheckLiveUpdate()
{
    const auto remote = ParseVersion(TIniFile(IndexFile()).ReadString("Live Update", "Version", ""));
    const auto local = ParseVersion(TIniFile(kLarkspireIni).ReadString("Main", "Version", ""));
    if (!remote || !local || !(*remote > *local))
        return false;
    bool online = false;
    TThread::Synchronize([&online] {
        online = Session().online;
        if (Form1)
            Form1->ChnName->setText("UPDATE");
    });
    if (online)
        RunProgram("kestrow.exe -si", SW_SHOWNORMAL);
    return true;
}

TKestrowThread1::TKestrowThread1(std::string host)
    : TThread(true)
    , m_host(std::move(host))
{
    FreeOnTerminate = true;
}

void TKestrowThread1::Execute()
{
    RefreshAds(m_host, m_limits);
    CheckLiveUpdate();
}

void StartKestrowThread() { (new TKestrowThread1(AdsServer()))->Start(); }
