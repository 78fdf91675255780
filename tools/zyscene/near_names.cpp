#include "zyscene/near_names.h"

#include <algorithm>
#include <cctype>

namespace zy::zyscene {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Edits (insert, delete, change, swap of neighbours) from a to b.
std::size_t edits(const std::string& a, const std::string& b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

}  // namespace

std::string closest_name(const std::string& typed, const std::vector<std::string>& names) {
    // Long names are not compared letter by letter: the table would be large for nothing.
    constexpr std::size_t kLongest = 64;
    if (typed.size() > kLongest) return "";
    const std::string wanted = lower(typed);
    std::size_t best = std::max<std::size_t>(1, typed.size() / 3) + 1;
    std::string found;
    for (const std::string& name : names) {
        if (name == typed || name.size() > kLongest) continue;
        const std::size_t e = edits(wanted, lower(name));
        if (e < best) {
            best = e;
            found = name;
        }
    }
    return found;
}

std::string name_list(const std::vector<std::string>& names, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < names.size() && i < limit; ++i) out += (i == 0 ? "" : ", ") + names[i];
    if (names.size() > limit) out += ", ...";
    return out;
}

}  // namespace zy::zyscene
