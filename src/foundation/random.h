#pragma once
// The thread's random engine and the random picks made with it.
//
// Every thread owns one std::mt19937 (thread_local, "calling thread only"),
// seeded once from std::random_device on its first use; no engine is shared,
// so no lock is needed. Every random choice of the program draws from the
// engine of the thread that makes it.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace zrb {

// The calling thread's engine, created and seeded on first use.
std::mt19937& lf_initThreadRng();

// Reseeds the calling thread's engine, so that a test can replay its draws.
void gf_seedThreadRng(std::uint32_t seed);

// Puts the elements into a random order; one element or none draws nothing.
void gf_shuffle(std::vector<std::string>& items);

// value ± value × percentage / 100, the sign from the lowest bit of one draw
// (0: plus, 1: minus). Only the sign is random, never the amount. A percentage
// of 0 or less returns the value without drawing.
double gf_randomPercentage(double value, double percentage);

}  // namespace zrb
