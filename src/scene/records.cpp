#include "scene/records.h"

#include <cstring>
#include <initializer_list>

#include "geometry/xmath.h"

namespace zy {

void translate(void* field, int n) {
    auto* b = static_cast<unsigned char*>(field);
    for (int i = 0, j = n - 1; i < j; ++i, --j) {
        const unsigned char c = b[i];
        b[i] = b[j];
        b[j] = c;
    }
}

namespace {

unsigned char* at(void* rec, std::size_t offset) { return static_cast<unsigned char*>(rec) + offset; }

void translate_each(void* rec, std::initializer_list<std::size_t> offsets, int n) {
    for (std::size_t o : offsets) translate(at(rec, o), n);
}

}  // namespace

void translate_V3S(void* rec) { translate_each(rec, {0, 4, 8}, 4); }

void translate_V3I(void* rec) { translate_each(rec, {0, 2, 4}, 2); }

void translate_MAT4_64(void* rec) {
    for (std::size_t i = 0; i < 16; ++i) translate(at(rec, 8 * i), 8);
}

void translate_RT_INF(void* rec) {
    translate_each(rec, {82, 84, 86, 88, 90, 92}, 2);
    translate_each(rec, {116, 120, 124, 128}, 4);
    translate_each(rec, {168, 170, 172, 174, 176, 178, 180, 182, 184}, 2);
    translate_each(rec, {188, 192, 196}, 4);
}

void translate_RT_SRF(void* rec) { translate_each(rec, {28, 32, 36, 40}, 4); }

void translate_RT_CAM(void* rec) {
    for (std::size_t o : {0, 12, 24}) translate_V3S(at(rec, o));
    translate(at(rec, 36), 8);
}

void translate_RT_LIGHT(void* rec) {
    translate_V3S(at(rec, 4));
    translate_V3S(at(rec, 16));
    translate(at(rec, 28), 4);
    translate_each(rec, {32, 34, 36}, 2);
}

void translate_RT_TRI(void* rec) {
    translate_each(rec, {0, 4, 8}, 4);
    for (std::size_t o : {12, 18, 24}) translate_V3I(at(rec, o));
    translate(at(rec, 30), 2);
}

void translate_IIM_HEADER(void* rec) { translate_each(rec, {0, 2, 4, 6}, 2); }

void trans_double64_2_double(const void* src, double* dst) { std::memcpy(dst, src, 8); }

void mat4_64_2_mat4(const void* src, MAT4* dst) { std::memcpy(dst->m, src, 128); }

int16_t read_be16(const void* bytes) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    return static_cast<int16_t>(static_cast<uint16_t>((b[0] << 8) | b[1]));
}

int32_t read_be32(const void* bytes) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    return static_cast<int32_t>((uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3]);
}

}  // namespace zy
