#include "zyscene/json_fields.h"

#include <cmath>
#include <limits>

#include "zyscene/input_error.h"
#include "zyscene/near_names.h"

namespace zy::zyscene {

std::string pointer_child(const std::string& pointer, const std::string& key) {
    std::string out = pointer + "/";
    for (char c : key) {
        if (c == '~')
            out += "~0";
        else if (c == '/')
            out += "~1";
        else
            out += c;
    }
    return out;
}

float fit_single(double v, const std::string& pointer, const std::string& note) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (!std::isfinite(v) || v > kMax || v < -kMax)
        throw InputError(pointer, Json(v).dump() + " is beyond the range of a 32-bit float" + note);
    return static_cast<float>(v);
}

void Node::fail(const std::string& what) const { throw InputError(pointer_, what); }

bool Node::boolean() const {
    if (!value_->is_boolean()) fail("must be true or false");
    return value_->get<bool>();
}

double Node::number() const {
    if (!value_->is_number()) fail("must be a number");
    const double v = value_->get<double>();
    if (!std::isfinite(v)) fail("must be a finite number");
    return v;
}

double Node::number(double lo, double hi) const {
    const double v = number();
    if (v < lo || v > hi) fail("must be a number from " + Json(lo).dump() + " to " + Json(hi).dump());
    return v;
}

int64_t Node::whole(int64_t lo, int64_t hi) const {
    const std::string range = "must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
    if (!value_->is_number()) fail(range);
    if (value_->is_number_unsigned()) {
        const auto u = value_->get<uint64_t>();
        if (u > static_cast<uint64_t>(hi) || static_cast<int64_t>(u) < lo) fail(range);
        return static_cast<int64_t>(u);
    }
    if (value_->is_number_integer()) {
        const auto v = value_->get<int64_t>();
        if (v < lo || v > hi) fail(range);
        return v;
    }
    const double d = value_->get<double>();
    // The range test comes first so that the conversion below is defined.
    if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi)) || d != std::floor(d)) fail(range);
    return static_cast<int64_t>(d);
}

std::string Node::text() const {
    if (!value_->is_string()) fail("must be a string");
    return value_->get<std::string>();
}

float Node::single() const { return fit_single(number(), pointer_); }

V3D Node::vec3() const {
    if (!value_->is_array() || value_->size() != 3) fail("must be an array of three numbers [x, y, z]");
    const auto e = items();
    return {e[0].number(), e[1].number(), e[2].number()};
}

V3D read_point(const Node& n) {
    const V3D v = n.vec3();
    for (const double c : {v.x, v.y, v.z}) fit_single(c, n.pointer());
    return v;
}

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::array<uint8_t, 3> Node::colour() const {
    const char* shape = "must be a colour: [red, green, blue] with whole numbers 0..255, or \"#rrggbb\"";
    std::array<uint8_t, 3> rgb{};
    if (value_->is_string()) {
        const auto s = value_->get<std::string>();
        if (s.size() != 7 || s[0] != '#') fail(shape);
        for (int i = 0; i < 3; ++i) {
            const int hi = hex_digit(s[1 + 2 * i]);
            const int lo = hex_digit(s[2 + 2 * i]);
            if (hi < 0 || lo < 0) fail(shape);
            rgb[i] = static_cast<uint8_t>(hi * 16 + lo);
        }
        return rgb;
    }
    if (!value_->is_array() || value_->size() != 3) fail(shape);
    const auto e = items();
    for (int i = 0; i < 3; ++i) rgb[i] = static_cast<uint8_t>(e[i].whole(0, 255));
    return rgb;
}

int Node::choice(std::span<const char* const> names, const char* what) const {
    std::string known;
    for (const char* n : names) known += (known.empty() ? "" : ", ") + std::string(n);
    if (!value_->is_string()) fail(std::string("must be the name of ") + what + " (" + known + ")");
    const auto s = value_->get<std::string>();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (s == names[i]) return static_cast<int>(i);
    fail("unknown " + std::string(what) + " \"" + s + "\" (known: " + known + ")");
}

std::vector<Node> Node::items(std::size_t min_count) const {
    if (!value_->is_array()) fail("must be an array");
    if (value_->size() < min_count) fail("must hold at least " + std::to_string(min_count) + " elements");
    std::vector<Node> out;
    out.reserve(value_->size());
    for (std::size_t i = 0; i < value_->size(); ++i)
        out.emplace_back((*value_)[i], pointer_child(pointer_, std::to_string(i)));
    return out;
}

Members::Members(const Node& object) : node_(object) {
    if (!object.value().is_object()) object.fail("must be an object { ... }");
}

bool Members::has(const std::string& key) const { return node_.value().contains(key); }

std::optional<Node> Members::optional(const std::string& key) {
    asked_.insert(key);
    const auto it = node_.value().find(key);
    if (it == node_.value().end()) return std::nullopt;
    read_.insert(key);
    return Node(*it, pointer_child(node_.pointer(), key));
}

Node Members::required(const std::string& key) {
    auto n = optional(key);
    if (n) return *n;
    std::vector<std::string> present;
    for (auto it = node_.value().begin(); it != node_.value().end(); ++it) present.push_back(it.key());
    const std::string near = closest_name(key, present);
    node_.fail("missing member \"" + key + "\"" + (near.empty() ? "" : " (found \"" + near + "\")"));
}

bool Members::boolean_or(const std::string& key, bool fallback) {
    const auto n = optional(key);
    return n ? n->boolean() : fallback;
}

int64_t Members::whole_or(const std::string& key, int64_t lo, int64_t hi, int64_t fallback) {
    const auto n = optional(key);
    return n ? n->whole(lo, hi) : fallback;
}

float Members::single_or(const std::string& key, float fallback) {
    const auto n = optional(key);
    return n ? n->single() : fallback;
}

V3D Members::vec3_or(const std::string& key, const V3D& fallback) {
    const auto n = optional(key);
    return n ? n->vec3() : fallback;
}

std::array<uint8_t, 3> Members::colour_or(const std::string& key, const std::array<uint8_t, 3>& fallback) {
    const auto n = optional(key);
    return n ? n->colour() : fallback;
}

std::vector<std::pair<std::string, Node>> Members::all() {
    std::vector<std::pair<std::string, Node>> out;
    for (auto it = node_.value().begin(); it != node_.value().end(); ++it) {
        read_.insert(it.key());
        out.emplace_back(it.key(), Node(it.value(), pointer_child(node_.pointer(), it.key())));
    }
    return out;
}

void Members::finish() const {
    for (auto it = node_.value().begin(); it != node_.value().end(); ++it)
        if (!read_.contains(it.key())) {
            const std::string near = closest_name(it.key(), {asked_.begin(), asked_.end()});
            throw InputError(pointer_child(node_.pointer(), it.key()),
                             "unknown member \"" + it.key() + "\"" +
                                 (near.empty() ? "" : " (did you mean \"" + near + "\"?)"),
                             true);
        }
}

}  // namespace zy::zyscene
