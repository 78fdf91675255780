#include "render/tiff_header.h"

#include <array>
#include <cstring>

namespace zy {

namespace {

constexpr uint16_t kShort = 3, kLong = 4, kRational = 5;

struct Entry {
    uint16_t tag, type;
    uint32_t count, value;  // a single SHORT value sits in the first two bytes
};

// Big-endian, one directory of 14 entries at 8, one strip at 196; the image
// size fields stay 0 here and are filled per picture.
constexpr Entry kEntries[] = {
    {254, kLong, 1, 0},        // NewSubfileType
    {256, kShort, 1, 0},       // ImageWidth
    {257, kShort, 1, 0},       // ImageLength
    {258, kShort, 3, 182},     // BitsPerSample, three values at 182
    {259, kShort, 1, 1},       // Compression: none
    {262, kShort, 1, 2},       // PhotometricInterpretation: RGB
    {273, kLong, 1, 196},      // StripOffsets
    {277, kShort, 1, 3},       // SamplesPerPixel
    {278, kShort, 1, 0},       // RowsPerStrip
    {279, kLong, 1, 0},        // StripByteCounts
    {282, kRational, 1, 188},  // XResolution
    {283, kRational, 1, 188},  // YResolution
    {284, kShort, 1, 1},       // PlanarConfiguration: chunky
    {296, kShort, 1, 2},       // ResolutionUnit: inch
};
static_assert(std::size(kEntries) == 14);

constexpr void put16(std::array<uint8_t, kTiffHeaderSize>& b, int at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

constexpr void put32(std::array<uint8_t, kTiffHeaderSize>& b, int at, uint32_t v) {
    put16(b, at, v >> 16);
    put16(b, at + 2, v & 0xFFFF);
}

constexpr std::array<uint8_t, kTiffHeaderSize> make_template() {
    std::array<uint8_t, kTiffHeaderSize> b{};
    put16(b, 0, 0x4D4D);
    put16(b, 2, 42);
    put32(b, 4, 8);
    put16(b, 8, 14);
    int at = 10;
    for (const Entry& e : kEntries) {
        put16(b, at, e.tag);
        put16(b, at + 2, e.type);
        put32(b, at + 4, e.count);
        if (e.type == kShort && e.count == 1)
            put16(b, at + 8, e.value);
        else
            put32(b, at + 8, e.value);
        at += 12;
    }
    put32(b, at, 0);  // no next directory
    put16(b, 182, 8);
    put16(b, 184, 8);
    put16(b, 186, 8);
    put32(b, 188, 720000);  // 72 per inch, shared by both axes
    put32(b, 192, 10000);
    return b;
}

constexpr std::array<uint8_t, kTiffHeaderSize> _tc_header = make_template();
static_assert(_tc_header[30] == 0 && _tc_header[31] == 0 && _tc_header[82 + 8 + 3] == 196);

}  // namespace

void xtiff_tc_header(int32_t width, int32_t height, uint8_t* buffer, int32_t& size) {
    std::array<uint8_t, kTiffHeaderSize> b = _tc_header;
    put16(b, 30, static_cast<uint32_t>(width));
    put16(b, 42, static_cast<uint32_t>(height));
    put16(b, 114, static_cast<uint32_t>(height));
    put32(b, 126, static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 3u);
    std::memcpy(buffer, b.data(), b.size());
    size = kTiffHeaderSize;
}

}  // namespace zy
