#include "localservice/staticfiles.h"

#include <algorithm>
#include <filesystem>

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
