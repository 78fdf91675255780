// Triangles split into smaller ones of the same shape, within a budget.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

namespace zy::zyscene {

/// A point of a triangle by the weights of its corners.
using Barycentric = std::array<double, 3>;
using Piece = std::array<Barycentric, 3>;

/// How often each triangle is split (each split turns a piece into four, at
/// its edges' midpoints) so that no piece covers more than `most_area`, with
/// at most `budget` pieces added in all. When the budget runs short, the
/// triangles with the largest pieces are split first, so the detail that is
/// lost is spread evenly over the surface rather than over the file's order.
std::vector<int> split_depths(const std::vector<double>& areas, double most_area, std::size_t budget);

/// Calls `piece` for each of the 4^depth pieces of a triangle split `depth`
/// times. The weights are exact binary fractions, so points on a shared edge
/// come out the same from either triangle.
void for_each_piece(int depth, const std::function<void(const Piece&)>& piece);

}  // namespace zy::zyscene
