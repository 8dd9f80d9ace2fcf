// Replays saved fuzz inputs through a fuzz target without libFuzzer, so that
// ordinary builds and their test runs cover the seed corpus and every input
// that once failed.
//
// Usage: <program> PATH...
// Each PATH is a file or a folder; every regular file of a folder whose name
// does not start with '.' is one input, replayed in name order. A PATH
// without any input fails, so a replay cannot pass on nothing. A failing
// input aborts the program (the target's checks, a sanitizer); the name of
// the input is printed before it runs.
#include "fuzz_target.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const fs::path& path, std::error_code& error)
{
    std::vector<fs::path> inputs;
    if (!fs::exists(path, error)) {
        if (!error) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        }
        return inputs;
    }
    if (!fs::is_directory(path, error)) {
        inputs.push_back(path);
        return inputs;
    }
    for (fs::directory_iterator entry(path, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!name.empty() && name[0] != '.' && entry->is_regular_file(error)) {
            inputs.push_back(entry->path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

bool replay(const fs::path& input)
{
    std::ifstream file(input, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", input.string().c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", input.string().c_str(), bytes.size());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    LLVMFuzzerInitialize(&argc, &argv);
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        const std::vector<fs::path> inputs = inputsOf(argv[i], error);
        if (error) {
            std::fprintf(stderr, "cannot list %s: %s\n", argv[i], error.message().c_str());
            return 1;
        }
        if (inputs.empty()) {
            std::fprintf(stderr, "no input in %s\n", argv[i]);
            return 1;
        }
        for (const fs::path& input : inputs) {
            if (!replay(input)) {
                return 1;
            }
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs without a failure\n", replayed);
    return 0;
}
