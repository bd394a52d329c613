// The rounding rules of both programs, in one place: to the nearest whole number with halves
// going to the even neighbour, and the checked conversion to a 16-bit integer.
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace base {

// Thrown when a value does not fit the 16-bit integer it must be stored in.
class OverflowError : public std::range_error {
public:
    OverflowError() : std::range_error("Overflow") {}
};

// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline double RoundHalfEven(double value) {
    return std::nearbyint(value);  // the default floating-point mode rounds half to even
}

// Rounds half to even and stores in 16 bits; throws OverflowError outside -32768..32767.
inline std::int16_t ToInt16(double value) {
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
        throw OverflowError();
    }
    return static_cast<std::int16_t>(rounded);
}

// Rounds half to even and stores in 32 bits; throws OverflowError outside the signed range.
inline std::int32_t ToInt32(double value) {
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        throw OverflowError();
    }
    return static_cast<std::int32_t>(rounded);
}

// Booleans stored as 16-bit integers: -1 for true, 0 for false.
using Bool16 = std::int16_t;
constexpr Bool16 kTrue = -1;
constexpr Bool16 kFalse = 0;

}  // namespace base
