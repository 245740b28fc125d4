// Runs the fuzz target over every file of the seed corpus, without libFuzzer, so that each test run
// checks the round trip on inputs that once mattered. The target aborts on a failed check.
#include "os/tests/filetesting.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> corpusFiles(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : TASKFILE_CORPUS;
    const std::vector<std::filesystem::path> files = corpusFiles(folder);
    if (files.empty()) {
        // An empty or misplaced corpus would otherwise pass without checking anything.
        std::fprintf(stderr, "no corpus files in %s\n", folder.c_str());
        return 1;
    }
    for (const auto& file : files) {
        const std::string bytes = testsupport::readBytes(file);
        std::printf("%s (%zu bytes)\n", file.filename().c_str(), bytes.size());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu corpus files\n", files.size());
    return 0;
}
