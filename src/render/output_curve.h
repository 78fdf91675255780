// The output curve: a linear colour channel to its picture byte. The scene
// compiler shares it to choose stored colours by the bytes they will show.
#pragma once

#include <cmath>
#include <cstdint>

namespace zy {

/// Divisor of a colour byte and factor of a picture byte: the largest double
/// below 255, so that byte 255 reads a hair above 1 and 0.5 writes 127.
inline constexpr double kByteScale = 254.99999999999997;

/// Gamma 2: the square root, 1 from 1 up, 0 for negative or NaN values.
inline double RT_GAMMA_CORRECT(double v) {
    if (v >= 1.0) return 1.0;
    if (!(v > 0.0)) return 0.0;  // degenerate geometry can make NaN or negative light
    return std::sqrt(v);
}

/// Picture byte of a gamma-corrected channel, clamped to 0..1 first.
inline uint8_t colour_byte(double c) {
    const double k = c <= 0.0 ? 0.0 : c >= 1.0 ? 1.0 : c;
    return static_cast<uint8_t>(k * kByteScale + 0.5);  // at most 255.5: no overflow
}

/// The picture byte of a stored colour byte shown unchanged (an unlit sky,
/// a fully lit matte surface).
inline uint8_t shown_byte(uint8_t stored) { return colour_byte(RT_GAMMA_CORRECT(stored / kByteScale)); }

}  // namespace zy
