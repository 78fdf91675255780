#include "driver/program_state.h"

#include <cstdio>
#include <cstring>

#include "driver/emulator.h"
#include "driver/xfile.h"
#include "scene/rt_var.h"

namespace zy {

char prg_var[141];
char scnname[14];
int32_t first_frame = 0;
int32_t first_line = 0;
int32_t line_limit = kNoLineLimit;
int16_t actframe = 0;
int32_t autosave = 0;
int32_t handle_tiff = -1;
int32_t brk_handle = -1;
int32_t f_handle = -1;

void reset_program_state() {
    prg_var[0] = '\0';
    std::memset(scnname, 0, sizeof scnname);
    first_frame = first_line = 0;
    actframe = 0;
    autosave = 0;
    handle_tiff = brk_handle = f_handle = -1;
}

int16_t exist(const char* name, int16_t /*mode*/) {
    const int32_t h = xf_Fopen(name, 0);
    if (h < 0) return 0;
    Fclose(h);
    return 1;
}

namespace {

// An existing break file is opened in place rather than emptied, and a new one
// appears already holding its numbers: a process killed before they are
// written must not leave a file that stops the next run instead of resuming it.
void open_break_file(const unsigned char (&numbers)[4]) {
    if (brk_handle >= 0) return;
    char name[500];
    std::snprintf(name, sizeof name, "%s%s", rt_var.path, scnname);
    extension(name, ".BRK");
    brk_handle = xf_Fopen_or_create(name, numbers, 4);
}

}  // namespace

void write_break_file(int16_t frame, int16_t line) {
    // Both numbers in one write: a process killed between two separate writes
    // would leave the next frame paired with the previous frame's last line,
    // and a rerun would skip that frame.
    const auto f = static_cast<uint16_t>(frame);
    const auto l = static_cast<uint16_t>(line);
    const unsigned char bytes[4] = {static_cast<unsigned char>(f >> 8), static_cast<unsigned char>(f & 0xFF),
                                    static_cast<unsigned char>(l >> 8), static_cast<unsigned char>(l & 0xFF)};
    open_break_file(bytes);
    if (brk_handle < 0) return;
    Fseek(0, brk_handle, 0);
    Fwrite(brk_handle, 4, bytes);
}

}  // namespace zy
