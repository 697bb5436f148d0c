#pragma once

namespace zorv {

// A colour in the generic RGB colour space: red, green, blue and alpha, each
// between 0 and 1. What icons decode their pixels to.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static const Color white;
    static const Color black;

    friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color Color::white{1, 1, 1, 1};
inline constexpr Color Color::black{0, 0, 0, 1};

}  // namespace zorv
