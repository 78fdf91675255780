// Pixel bytes of texture images as linear intensities.
#pragma once

#include <cstdint>

namespace zy {

/// Linear intensity 0..1 of a pixel byte (gamma 1.8), from a table built on
/// first use (safe under threads).
double log_exp_gamma_fast(uint8_t value);

}  // namespace zy
