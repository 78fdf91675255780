// The one road out of the renderer: error numbers, the alert line, clean-up,
// the end line and the exit status.
#pragma once

namespace zy {

enum ErrorNumber : int {
    kNormalEnd = 0,
    kErrMemory = 1,      ///< "Memory allocation error!"
    kErrCreate = 2,      ///< "File create error!"
    kErrOpen = 3,        ///< "File open error!"
    kErrRead = 4,        ///< "File read error!"
    kErrWrite = 5,       ///< "File write error!"
    kErrFormat = 6,      ///< "File format error!"
    kErrImage = 7,       ///< "Image not found!"
    kErrInternal = 8,    ///< "Internal error!"
};

/// The texts of errors 1..11.
extern const char* const _err_str[11];

/// The last step of the stop routine; the default exits with status 1. Tests and
/// fuzzers install one that throws or long-jumps so a stop is an ordinary outcome.
using FinalStep = void (*)(int error);
void set_final_step(FinalStep step);

/// Prints the alert (error > 0), releases memory, closes the global files, prints
/// the end line and ends through the final step. Never returns.
[[noreturn]] void prg_term2(int error, long line, const char* module);

/// Prints text and a newline; returns 0.
int my_form_alert(int kind, const char* text);

}  // namespace zy

/// Stops the program with an error number, naming the caller's line.
#define ZY_STOP(error) ::zy::prg_term2((error), __LINE__, "ZYR_MAIN")
