// Handle-based file layer over standard streams: small integer handles 0..99
// and negative status numbers instead of exceptions.
#pragma once

#include <cstdint>

namespace zy {

inline constexpr int kHandleCount = 100;
inline constexpr int kPieceSize = 32000;

enum FileStatus : int32_t {
    kBadMode = -1,
    kOpenFailed = -33,
    kNoHandle = -35,
    kBadHandle = -37,
    kShortWrite = -39,
};

/// Empties the handle table.
void init_emulator();
/// Opens with mode 0 read, 1 write keeping contents, 2 create/empty; prints the
/// file layer's lines. Returns a handle or a negative status.
int32_t Fopen(const char* name, int16_t mode);
int32_t Fcreate(const char* name, int16_t attribute);
/// Accepts the name and deletes nothing.
int32_t Fdelete(const char* name);
int32_t Fread(int32_t handle, int32_t count, void* buffer);
int32_t Fwrite(int32_t handle, int32_t count, const void* buffer);
/// Note the argument order. Mode 0 from start, 1 from current, 2 from end.
int32_t Fseek(int32_t offset, int32_t handle, int16_t mode);
int32_t Fclose(int32_t handle);

/// Truncation toward zero through a 32-bit integer, saturating outside its range;
/// NaN gives 0.
double trunc(double x);
/// The same, as the 32-bit integer.
int32_t trunc_i32(double x);

}  // namespace zy
