// Runs a libFuzzer entry point without libFuzzer, so the ordinary (gcc, sanitizer) test build can
// exercise it: every file named on the command line (or found in a named folder), then random
// inputs until a run count or a time budget is used up. The seed is printed so a failure can be
// repeated with --seed.
//
//     settings_fuzz_smoke [--runs=N] [--seconds=S] [--seed=X] [file-or-folder...]
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunOne(const std::vector<std::uint8_t>& input) { LLVMFuzzerTestOneInput(input.data(), input.size()); }

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t RunCorpus(const std::filesystem::path& path) {
    std::size_t count = 0;
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (entry.is_regular_file()) {
                RunOne(ReadFile(entry.path()));
                ++count;
            }
        }
    } else {
        RunOne(ReadFile(path));
        ++count;
    }
    return count;
}

// Random bytes find little in a text rule; most inputs are drawn from the units the rule and the
// line format care about, with a few raw bytes for the UTF-8 decoding and the odd value.
std::vector<std::uint8_t> RandomInput(std::mt19937_64& rng) {
    static constexpr std::string_view kAlphabet = " +-$xX0123456789abcdefABCDEFz\n\n\x01";
    std::uniform_int_distribution<int> lengthOf(0, 64);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> input(static_cast<std::size_t>(lengthOf(rng)));
    const bool raw = kind(rng) == 0;
    for (auto& b : input)
        b = static_cast<std::uint8_t>(raw || kind(rng) == 0 ? byte(rng) : kAlphabet[pick(rng)]);
    // Now and then a value past the profile read limit, in whichever line the position falls.
    if (kind(rng) == 0) {
        std::uniform_int_distribution<std::size_t> at(0, input.size());
        const auto filler = static_cast<std::uint8_t>(kAlphabet[pick(rng)] == '\n' ? 'p' : '7');
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at(rng)), 2100, filler);
    }
    return input;
}

bool Option(const char* arg, const char* name, unsigned long long& value) {
    const std::size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0) return false;
    value = std::strtoull(arg + length, nullptr, 0);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long long runs = 20000;
    unsigned long long seconds = 5;
    unsigned long long seed = std::random_device{}();
    std::vector<std::filesystem::path> corpus;
    for (int i = 1; i < argc; ++i) {
        if (Option(argv[i], "--runs=", runs) || Option(argv[i], "--seconds=", seconds) ||
            Option(argv[i], "--seed=", seed)) {
            continue;
        }
        corpus.emplace_back(argv[i]);
    }

    std::size_t corpusInputs = 0;
    for (const auto& path : corpus) corpusInputs += RunCorpus(path);

    std::printf("seed %llu\n", seed);
    std::fflush(stdout);
    std::mt19937_64 rng(seed);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    unsigned long long done = 0;
    while (done < runs && std::chrono::steady_clock::now() < deadline) {
        RunOne(RandomInput(rng));
        ++done;
    }
    std::printf("%zu corpus inputs, %llu random inputs, no property failed\n", corpusInputs, done);
    return 0;
}
