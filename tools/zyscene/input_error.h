// The one failure the compiler reports: bad input, with the place where it is.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace zy::zyscene {

/// Bad input in the description (or in a file it names). The place is a JSON
/// pointer into the description, or a line and column when there is no value
/// to point at (syntax errors).
struct InputError : std::runtime_error {
    InputError(std::string pointer, const std::string& what, bool at_key = false)
        : std::runtime_error(what), pointer(std::move(pointer)), at_key(at_key) {}

    std::string pointer;  ///< JSON pointer of the value at fault, "" for none
    bool at_key;          ///< the fault is the member's key itself, not its value
    int line = 0;         ///< 1-based line when known directly, else 0
    int column = 0;       ///< 1-based column when line is known
};

}  // namespace zy::zyscene
