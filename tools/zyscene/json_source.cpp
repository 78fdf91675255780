#include "zyscene/json_source.h"

#include <set>
#include <vector>

#include "zyscene/input_error.h"

namespace zy::zyscene {

namespace {

TextPosition position_of(const std::string& text, std::size_t offset) {
    TextPosition p{1, 1};
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++p.line;
            p.column = 1;
        } else if ((c & 0xC0) != 0x80) {  // UTF-8 continuation bytes do not start a character
            ++p.column;
        }
    }
    return p;
}

// Walks text that nlohmann has already accepted, so it can assume well-formed
// JSON and only needs to know where things are.
class Scanner {
public:
    explicit Scanner(const std::string& text) : s_(text) {}

    std::size_t at() const { return i_; }
    char peek() {
        skip_space();
        return i_ < s_.size() ? s_[i_] : '\0';
    }
    void advance() { ++i_; }

    std::string key() {
        skip_space();
        const std::size_t start = i_;
        skip_string();
        const std::string raw = s_.substr(start, i_ - start);
        // Only keys with escapes need the full decoding.
        if (raw.find('\\') == std::string::npos) return raw.substr(1, raw.size() - 2);
        return Json::parse(raw).get<std::string>();
    }

    // After a key: the colon, then the value starts.
    void colon() {
        skip_space();
        ++i_;
        skip_space();
    }

    void skip_value() {
        const char c = peek();
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            advance();
            while (peek() != close) {
                if (c == '{') {
                    key();
                    colon();
                }
                skip_value();
                if (peek() == ',') advance();
            }
            advance();
        } else if (c == '"') {
            skip_string();
        } else {
            while (i_ < s_.size() && std::string_view(",]} \t\r\n/").find(s_[i_]) == std::string_view::npos) ++i_;
        }
    }

    // Refuses a key given twice in one object, anywhere below the current value.
    void check_unique_keys() {
        const char c = peek();
        if (c != '{' && c != '[') {
            skip_value();
            return;
        }
        const char close = c == '{' ? '}' : ']';
        advance();
        std::set<std::string> keys;
        while (peek() != close) {
            if (c == '{') {
                const std::size_t key_at = at();
                const std::string k = key();
                if (!keys.insert(k).second) {
                    InputError e("", "member \"" + k + "\" given twice in one object");
                    const auto p = position_of(s_, key_at);
                    e.line = p.line;
                    e.column = p.column;
                    throw e;
                }
                colon();
            }
            check_unique_keys();
            if (peek() == ',') advance();
        }
        advance();
    }

private:
    void skip_space() {
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++i_;
            } else if (c == '/' && i_ + 1 < s_.size() && s_[i_ + 1] == '/') {
                while (i_ < s_.size() && s_[i_] != '\n') ++i_;
            } else if (c == '/' && i_ + 1 < s_.size() && s_[i_ + 1] == '*') {
                const auto end = s_.find("*/", i_ + 2);
                i_ = end == std::string::npos ? s_.size() : end + 2;
            } else {
                return;
            }
        }
    }

    void skip_string() {
        ++i_;  // opening quote
        while (i_ < s_.size() && s_[i_] != '"') i_ += s_[i_] == '\\' ? 2 : 1;
        ++i_;
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

std::vector<std::string> pointer_tokens(const std::string& pointer) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < pointer.size()) {
        std::size_t end = pointer.find('/', i + 1);
        if (end == std::string::npos) end = pointer.size();
        std::string t;
        for (std::size_t k = i + 1; k < end; ++k) {
            if (pointer[k] == '~' && k + 1 < end) {
                t += pointer[k + 1] == '1' ? '/' : '~';
                ++k;
            } else {
                t += pointer[k];
            }
        }
        tokens.push_back(t);
        i = end;
    }
    return tokens;
}

// Moves the scanner onto the member or element named by token inside the
// container it stands on; false when there is none.
bool enter(Scanner& scan, const std::string& token, std::size_t& key_at) {
    const char c = scan.peek();
    if (c != '{' && c != '[') return false;
    const char close = c == '{' ? '}' : ']';
    scan.advance();
    for (std::size_t index = 0; scan.peek() != close; ++index) {
        if (c == '{') {
            key_at = scan.at();
            const bool match = scan.key() == token;
            scan.colon();
            if (match) return true;
        } else if (token == std::to_string(index)) {
            scan.peek();
            return true;
        }
        scan.skip_value();
        if (scan.peek() == ',') scan.advance();
    }
    return false;
}

}  // namespace

Json parse_description(const std::string& text) {
    Json j;
    try {
        j = Json::parse(text, nullptr, true, true);
    } catch (const Json::exception& e) {
        // nlohmann's messages start with "[json.exception.KIND] " and, for syntax
        // errors, "parse error at line L, column C: "; keep what follows.
        std::string what = e.what();
        const auto kind = what.find("] ");
        what = kind == std::string::npos ? what : what.substr(kind + 2);
        const auto* syntax = dynamic_cast<const Json::parse_error*>(&e);
        const auto colon = syntax ? what.find(": ", what.find("column")) : std::string::npos;
        InputError err("", colon == std::string::npos ? what : what.substr(colon + 2));
        if (syntax) {
            const auto p = position_of(text, syntax->byte == 0 ? 0 : syntax->byte - 1);
            err.line = p.line;
            err.column = p.column;
        }
        throw err;
    }
    Scanner(text).check_unique_keys();
    return j;
}

TextPosition locate_pointer(const std::string& text, const std::string& pointer, bool at_key) {
    Scanner scan(text);
    scan.peek();
    std::size_t place = scan.at();
    const auto tokens = pointer_tokens(pointer);
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        std::size_t key_at = place;
        if (!enter(scan, tokens[t], key_at)) break;
        place = (at_key && t + 1 == tokens.size()) ? key_at : scan.at();
    }
    return position_of(text, place);
}

}  // namespace zy::zyscene
