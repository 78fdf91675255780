#include "zyscene/subdivision.h"

#include <cmath>
#include <queue>
#include <utility>

namespace zy::zyscene {

namespace {

void split(const Piece& p, int depth, const std::function<void(const Piece&)>& piece) {
    if (depth == 0) return piece(p);
    const auto mid = [](const Barycentric& a, const Barycentric& b) {
        return Barycentric{(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
    };
    const Barycentric m01 = mid(p[0], p[1]), m12 = mid(p[1], p[2]), m20 = mid(p[2], p[0]);
    for (const Piece& q : {Piece{p[0], m01, m20}, Piece{m01, p[1], m12}, Piece{m20, m12, p[2]}, Piece{m01, m12, m20}})
        split(q, depth - 1, piece);
}

}  // namespace

std::vector<int> split_depths(const std::vector<double>& areas, double most_area, std::size_t budget) {
    std::vector<int> depths(areas.size(), 0);
    // (area of one piece, triangle), largest first
    std::priority_queue<std::pair<double, std::size_t>> waiting;
    for (std::size_t i = 0; i < areas.size(); ++i)
        if (std::isfinite(areas[i]) && areas[i] > most_area) waiting.emplace(areas[i], i);
    while (!waiting.empty()) {
        const auto [area, i] = waiting.top();
        waiting.pop();
        // One more split turns each of the 4^depth pieces into four.
        const std::size_t added = std::size_t{3} << (2 * depths[i]);
        if (added > budget) continue;
        budget -= added;
        ++depths[i];
        if (area / 4 > most_area) waiting.emplace(area / 4, i);
    }
    return depths;
}

void for_each_piece(int depth, const std::function<void(const Piece&)>& piece) {
    split({Barycentric{1, 0, 0}, Barycentric{0, 1, 0}, Barycentric{0, 0, 1}}, depth, piece);
}

}  // namespace zy::zyscene
