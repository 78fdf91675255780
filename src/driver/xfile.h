// Name-normalising wrappers around the file layer, a size query and the one
// buffered sequential reader.
#pragma once

#include <cstdint>

namespace zy {

int32_t xf_Fopen(const char* name, int16_t mode);
int32_t xf_Fcreate(const char* name, int16_t attribute);
int32_t xf_unlink(const char* name);
/// Opens a file for writing in place (mode 1): an existing one cut to its first
/// size bytes, a new one created holding the size bytes of initial. Prints the
/// same lines as a creation. Unlike a creation it never leaves the file empty,
/// not even for a moment.
int32_t xf_Fopen_or_create(const char* name, const void* initial, int32_t size);
/// Size of the named file, or -1 when it cannot be opened.
int32_t xf_size(const char* name);

/// Creates the reader buffer; 0, or -1 when the allocation failed.
int32_t xf_init(int32_t size);
void xf_end();
/// Opens name at offset; bytes from offset to the end, or -1.
int32_t xf_ropen(const char* name, int32_t offset);
/// 0 when all length bytes were delivered, -2 when length exceeds the buffer,
/// -1 when the file cannot supply them.
int32_t xf_read(void* destination, int32_t length);
int32_t xf_rclose();

}  // namespace zy
