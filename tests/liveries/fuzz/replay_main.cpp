// Runs a fuzz target without libFuzzer: every seed, then a fixed series of
// mutations of them (byte flips, cuts, insertions, repeats, splices) and of
// random bytes. The series is the same on every run, so a failure repeats.
// With a folder argument it also writes the seeds there as a libFuzzer corpus;
// "--mutations N" runs N mutations per seed and N random inputs (a shorter
// series, for targets that write a file per input under Wine).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "fuzz_target.h"

namespace {

constexpr int mutationsPerSeed = 1000;
constexpr int randomInputs = 1000;
constexpr std::size_t maxRandomInput = 20000;  // bytes

std::string lf_mutate(std::string input, const std::vector<std::string>& seeds, std::mt19937& rng) {
    const auto pick = [&](std::size_t n) { return n == 0 ? std::size_t{0} : std::size_t{rng() % n}; };
    const int steps = 1 + static_cast<int>(rng() % 4);
    for (int s = 0; s < steps; ++s) {
        switch (rng() % 6) {
        case 0:
            if (!input.empty()) input[pick(input.size())] ^= static_cast<char>(1u << (rng() % 8));
            break;
        case 1:
            input.resize(pick(input.size() + 1));
            break;
        case 2: {
            const std::size_t at = pick(input.size() + 1);
            input.insert(at, std::string(1 + pick(64), static_cast<char>(rng())));
            break;
        }
        case 3: {
            const std::size_t from = pick(input.size() + 1);
            const std::size_t length = pick(input.size() - from + 1);
            input.insert(pick(input.size() + 1), input.substr(from, length));
            break;
        }
        case 4: {
            const auto& other = seeds[pick(seeds.size())];
            input = input.substr(0, pick(input.size() + 1)) + other.substr(pick(other.size() + 1));
            break;
        }
        default:
            if (!input.empty()) input.erase(pick(input.size()), 1 + pick(16));
            break;
        }
    }
    return input;
}

void lf_run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

}  // namespace

int main(int argc, char** argv) {
    const auto seeds = fuzzSeeds();
    int mutations = mutationsPerSeed;
    int random = randomInputs;
    std::filesystem::path corpus;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--mutations" && i + 1 < argc)
            mutations = random = std::max(0, std::atoi(argv[++i]));
        else
            corpus = arg;
    }
    if (!corpus.empty()) {
        std::filesystem::create_directories(corpus);
        for (std::size_t i = 0; i < seeds.size(); ++i)
            std::ofstream(corpus / ("seed" + std::to_string(i)), std::ios::binary) << seeds[i];
    }
    std::mt19937 rng(20240601);
    std::size_t runs = 0;
    for (const auto& seed : seeds) {
        lf_run(seed);
        ++runs;
        for (int i = 0; i < mutations; ++i, ++runs) lf_run(lf_mutate(seed, seeds, rng));
    }
    for (int i = 0; i < random; ++i, ++runs) {
        std::string input(rng() % maxRandomInput, '\0');
        std::ranges::generate(input, [&] { return static_cast<char>(rng()); });
        lf_run(input);
    }
    std::printf("%zu inputs, no failure\n", runs);
    return 0;
}
