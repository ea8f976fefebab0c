#pragma once
// What the main window paints, as a list of drawing operations in client
// coordinates: filled rectangles (bands and lights), one-pixel lines and texts
// in the window's default font with a transparent background. The logic builds
// the list; the win32 side draws it with GDI inside WM_PAINT, the posix side
// keeps it so that tests can check every text, position and colour.
//
// Plain values: any thread may build, copy and compare them.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zrb::platform {

struct Colour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

struct FillOp {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive, as FillRect
    int bottom = 0;  // exclusive
    Colour colour;
    friend bool operator==(const FillOp&, const FillOp&) = default;
};

struct LineOp {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;  // the end point itself is not drawn, as LineTo
    int y2 = 0;
    Colour colour;
    friend bool operator==(const LineOp&, const LineOp&) = default;
};

struct TextOp {
    int x = 0;  // top left of the text
    int y = 0;
    Colour colour;
    std::u16string text;
    friend bool operator==(const TextOp&, const TextOp&) = default;
};

using DrawOp = std::variant<FillOp, LineOp, TextOp>;
using DrawList = std::vector<DrawOp>;

}  // namespace zrb::platform
