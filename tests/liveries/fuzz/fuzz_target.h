#pragma once
// The two halves of a fuzz target: the entry point libFuzzer calls with each
// input, and the seeds from which the replay driver (and a fresh libFuzzer
// corpus) start.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

std::vector<std::string> fuzzSeeds();

// A literal's bytes, the zero bytes inside it included (for seeds).
template <std::size_t N>
std::string fuzzBytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}
