// The description's text: parsing with comments allowed and duplicate keys
// refused, and finding where a JSON pointer lies in the text.
#pragma once

#include <string>

#include "zyscene/json_fields.h"

namespace zy::zyscene {

/// A place in a text, both 1-based; the column counts characters, not bytes.
struct TextPosition {
    int line;
    int column;
};

/// Parses a description (// and /* */ comments allowed). Throws InputError with
/// line and column for a syntax error or a key given twice in one object.
Json parse_description(const std::string& text);

/// Where the value at pointer starts in text (at_key: where its key starts);
/// text must be one that parse_description accepted. When the pointer leads
/// nowhere, the deepest place reached.
TextPosition locate_pointer(const std::string& text, const std::string& pointer, bool at_key);

}  // namespace zy::zyscene
