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
