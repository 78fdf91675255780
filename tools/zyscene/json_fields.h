// Typed, checked reading of the JSON description: every read names the JSON
// pointer of the value, so bad input is reported at its place.
#pragma once

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "geometry/xmath.h"
#include "scene/records.h"

namespace zy::zyscene {

/// Members are held sorted by key (an order-keeping object would make parsing
/// quadratic in the number of members).
using Json = nlohmann::json;

/// v rounded to a 32-bit float; throws InputError at pointer when it does not
/// fit, the message ending in note.
float fit_single(double v, const std::string& pointer, const std::string& note = "");

/// Appends a key or an index to a JSON pointer, escaping '~' and '/'.
std::string pointer_child(const std::string& pointer, const std::string& key);

/// A value of the description with its JSON pointer; the readers throw
/// InputError naming that pointer when the value does not fit.
class Node {
public:
    Node(const Json& value, std::string pointer) : value_(&value), pointer_(std::move(pointer)) {}

    const Json& value() const { return *value_; }
    const std::string& pointer() const { return pointer_; }
    [[noreturn]] void fail(const std::string& what) const;

    bool boolean() const;
    /// A finite number.
    double number() const;
    /// A finite number within [lo, hi].
    double number(double lo, double hi) const;
    /// A whole number within [lo, hi] (2.0 counts as whole).
    int64_t whole(int64_t lo, int64_t hi) const;
    std::string text() const;
    /// A finite number that a 32-bit float can hold (it is rounded to one).
    float single() const;
    /// [x, y, z] of finite numbers.
    V3D vec3() const;
    /// [r, g, b] of whole numbers 0..255, or "#rrggbb".
    std::array<uint8_t, 3> colour() const;
    /// Index of the string value in names.
    int choice(std::span<const char* const> names, const char* what) const;
    /// The elements of an array, at least min_count of them.
    std::vector<Node> items(std::size_t min_count = 0) const;

private:
    const Json* value_;
    std::string pointer_;
};

/// [x, y, z] that 32-bit floats can hold. Blends of such points stay within
/// them, so the values between keyframes fit as well.
V3D read_point(const Node& n);

/// The members of a JSON object. Each key must be read exactly by the code
/// that understands it; finish() refuses the first key nobody read.
class Members {
public:
    explicit Members(const Node& object);

    const Node& node() const { return node_; }
    bool has(const std::string& key) const;
    std::optional<Node> optional(const std::string& key);
    Node required(const std::string& key);
    /// The member read as the type of its name, or fallback when it is absent.
    bool boolean_or(const std::string& key, bool fallback);
    int64_t whole_or(const std::string& key, int64_t lo, int64_t hi, int64_t fallback);
    float single_or(const std::string& key, float fallback);
    V3D vec3_or(const std::string& key, const V3D& fallback);
    std::array<uint8_t, 3> colour_or(const std::string& key, const std::array<uint8_t, 3>& fallback);
    /// All members in order, each counted as read.
    std::vector<std::pair<std::string, Node>> all();
    /// Throws for the first member that was not read.
    void finish() const;

private:
    Node node_;
    std::set<std::string> read_;
    /// Every key asked for, present or not: the names finish() suggests.
    std::set<std::string> asked_;
};

}  // namespace zy::zyscene
