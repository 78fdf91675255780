#include "driver/stop.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "driver/console.h"
#include "driver/emulator.h"
#include "driver/memoire.h"
#include "driver/program_state.h"
#include "driver/xfile.h"
#include "names/file_names.h"
#include "scene/rt_var.h"

namespace zy {

const char* const _err_str[11] = {
    "Memory allocation error!", "File create error!", "File open error!", "File read error!",
    "File write error!",        "File format error!", "Image not found!", "Internal error!",
    "Application error!",       "VDI error!",         "Erreur chargement LDG",
};

namespace {

[[noreturn]] void exit_process(int /*error*/) {
    std::fflush(stdout);
    std::exit(1);
}

FinalStep final_step = exit_process;

void close_if_open(int32_t& handle) {
    if (handle >= 0) Fclose(handle);
    handle = -1;
}

}  // namespace

void set_final_step(FinalStep step) { final_step = step ? step : exit_process; }

int my_form_alert(int /*kind*/, const char* text) {
    console_line(text);
    return 0;
}

void prg_term2(int error, long line, const char* module) {
    if (error > 0 && error <= 11) {
        char alert[500];
        std::snprintf(alert, sizeof alert, "[1][%s|ligne %ld|%s][Ok]", _err_str[error - 1], line, module);
        my_form_alert(1, alert);
    }
    free_all(0);
    close_if_open(handle_tiff);
    close_if_open(f_handle);
    close_if_open(brk_handle);
    xf_end();
    if (error == 0) {
        for (const char* ext : {".BRK", ".SYS", ".INF"}) {
            char name[500];
            std::snprintf(name, sizeof name, "%s%s", rt_var.path, scnname);
            extension(name, ext);
            xf_unlink(name);
        }
    }
    console_line("It's the END !!!!!! ");
    std::fflush(stdout);
    final_step(error);
    std::exit(1);  // a final step that returns still ends the process
}

}  // namespace zy
