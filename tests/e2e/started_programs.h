#pragma once

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Programs the system's own programs started during a scenario (a plug-in, the
// client after a sign-up): the test did not start them, so it finds them to end them.

// The pids of the programs named `program` whose environment holds `marker`.
inline std::vector<int> ProcessesWith(const std::string& program, const std::string& marker)
{
    std::vector<int> pids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream environ(entry.path() / "environ", std::ios::binary);
        const std::string env((std::istreambuf_iterator<char>(environ)), {});
        std::error_code error;
        const auto exe = std::filesystem::read_symlink(entry.path() / "exe", error);
        if (!error && exe.filename() == program && env.find(marker) != std::string::npos)
            pids.push_back(std::stoi(name));
    }
    return pids;
}

inline void KillProcessesWith(const std::string& program, const std::string& marker)
{
    for (const int pid : ProcessesWith(program, marker))
        ::kill(pid, SIGKILL);
}
