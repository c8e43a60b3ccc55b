// Runs a fuzz target once over each file named on the command line (a folder
// stands for the files in it), so the normal build replays seeds and kept crashes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int runFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    const std::vector<char> bytes { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    // Named first, so a crash in the target shows which input it was.
    std::printf("Running: %s\n", path.c_str());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int failures = 0;
    int runs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    failures += runFile(entry.path());
                    ++runs;
                }
            }
        } else {
            failures += runFile(path);
            ++runs;
        }
    }
    std::printf("%d inputs run\n", runs);
    // No inputs means a misnamed or missing corpus, which would otherwise pass unseen.
    return failures == 0 && runs > 0 ? 0 : 1;
}
