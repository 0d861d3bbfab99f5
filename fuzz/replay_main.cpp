// A main() for the fuzz targets where libFuzzer is not available: runs every file named on the
// command line, or found under a folder named there, through LLVMFuzzerTestOneInput once.
// Fails when there was nothing to run or an input took longer than the time bound.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

// Generous, since replays also run in the sanitizer build.
constexpr auto kSlowInput = std::chrono::milliseconds(1000);

std::vector<std::uint8_t> readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        if (std::filesystem::is_directory(arg)) {
            for (const auto &entry : std::filesystem::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
            }
        } else if (std::filesystem::is_regular_file(arg)) {
            inputs.push_back(arg);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::cerr << "no inputs to replay\n";
        return 1;
    }
    std::chrono::nanoseconds slowest {0};
    std::filesystem::path slowestPath;
    for (const auto &path : inputs) {
        const auto bytes = readFile(path);
        const auto start = std::chrono::steady_clock::now();
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        const auto took = std::chrono::steady_clock::now() - start;
        if (took > slowest) {
            slowest = took;
            slowestPath = path;
        }
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count();
    std::cout << "replayed " << inputs.size() << " inputs; slowest " << ms << " ms ("
              << slowestPath.string() << ")\n";
    if (slowest > kSlowInput) {
        std::cerr << "an input took longer than " << kSlowInput.count() << " ms\n";
        return 1;
    }
    return 0;
}
