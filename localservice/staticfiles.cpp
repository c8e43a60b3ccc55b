#include "localservice/staticfiles.h"

#include <algorithm>
#include <filesystem>
#include <vector>

std::optional<std::string> StaticFilePath(const std::string& root, std::string_view path)
{
    if (root.empty() || path.empty() || path.front() != '/' || path.find("..") != std::string_view::npos
        || path.find('\\') != std::string_view::npos || path.find('\0') != std::string_view::npos)
        return std::nullopt;

    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path base = fs::canonical(root, error);
    if (error)
        return std::nullopt;
    const fs::path file = fs::weakly_canonical(base / fs::path(path.substr(1)), error);
    if (error || !fs::is_regular_file(file, error))
        return std::nullopt;
    // A link inside the folder must not lead out of it.
    const auto [baseEnd, fileIt] = std::mismatch(base.begin(), base.end(), file.begin(), file.end());
    if (baseEnd != base.end())
        return std::nullopt;
    return file.string();
}

std::optional<std::string> ImageListing(const std::string& root)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (root.empty() || !fs::is_directory(fs::path(root) / "images", error))
        return std::nullopt;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(root) / "images", error)) {
        const std::string name = entry.path().filename().string();
        const bool printable = std::none_of(name.begin(), name.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"';
        });
        if (printable && entry.is_regular_file(error))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::string listing = "images\r\n";
    for (const std::string& name : names)
        listing += "NAME=\"" + name + "\"\r\n";
    return listing;
}
