// The fixed header of the uncompressed RGB pictures.
#pragma once

#include <cstdint>

namespace zy {

/// Bytes of the picture header; the pixel rows follow at this offset.
inline constexpr int32_t kTiffHeaderSize = 196;

/// Fills buffer (at least kTiffHeaderSize bytes) with the header of a
/// width x height picture stored as one strip; size receives its length.
void xtiff_tc_header(int32_t width, int32_t height, uint8_t* buffer, int32_t& size);

}  // namespace zy
