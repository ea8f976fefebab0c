#include "foundation/random.h"

#include <algorithm>

namespace zrb {

namespace {

std::mt19937 lf_seededEngine() {
    std::random_device device;
    return std::mt19937(device());
}

}  // namespace

std::mt19937& lf_initThreadRng() {
    thread_local std::mt19937 engine = lf_seededEngine();
    return engine;
}

void gf_seedThreadRng(std::uint32_t seed) { lf_initThreadRng().seed(seed); }

void gf_shuffle(std::vector<std::string>& items) {
    if (items.size() > 1) std::ranges::shuffle(items, lf_initThreadRng());
}

double gf_randomPercentage(double value, double percentage) {
    if (!(percentage > 0.0)) return value;
    const double sign = (lf_initThreadRng()() & 1u) != 0 ? -1.0 : 1.0;
    return value + sign * value * percentage / 100.0;
}

}  // namespace zrb
