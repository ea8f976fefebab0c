#include <cmath>
#include <cstdint>
#include <limits>

#include <gsl/narrow>

#include "airports/stand_options.h"

namespace zrb {

namespace {

constexpr double tooWideNm = 0.0009719222462203025;        // 1.8 m
constexpr double smallSpanLimitNm = 0.009611230689557531;  // 17.8 m half span
constexpr double smallStepNm = 0.00755939524838013;        // 14 m
constexpr double largeStepNm = 0.011339092872570195;       // 21 m

}  // namespace

bool lf_standFitsSize(const Stand& stand, double halfSpanNm) {
    const double r = stand.radius;
    const double h = halfSpanNm;
    // A span or radius that is not a number compares false everywhere and
    // would pass the width test.
    if (!std::isfinite(r) || !std::isfinite(h)) return false;
    if (h - r > tooWideNm) return false;
    const double step = h <= smallSpanLimitNm ? smallStepNm : largeStepNm;
    const double k = std::round((r - h) / step);
    // Out of range, the conversion itself would be undefined: fail as the
    // narrowing check does.
    if (k < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        k > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        throw gsl::narrowing_error();
    return gsl::narrow<std::int32_t>(k) == 0;
}

}  // namespace zrb
