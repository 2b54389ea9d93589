// The small least-squares fits' normal equations, solved.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>

namespace imaging {

template <std::size_t N>
using Vector = std::array<double, N>;

// Solves matrix · x = right by elimination with partial pivoting; nothing when the matrix is
// singular, as it is when the values fitted no longer span the terms.
template <std::size_t N>
std::optional<Vector<N>> SolveLinear(std::array<Vector<N>, N> matrix, Vector<N> right) {
  for (std::size_t column = 0; column < N; ++column) {
    std::size_t pivot = column;
    for (std::size_t row = column + 1; row < N; ++row)
      if (std::abs(matrix[row][column]) > std::abs(matrix[pivot][column])) pivot = row;
    if (!(std::abs(matrix[pivot][column]) > 1e-9 * std::abs(matrix[0][0]))) return std::nullopt;
    std::swap(matrix[column], matrix[pivot]);
    std::swap(right[column], right[pivot]);
    for (std::size_t row = column + 1; row < N; ++row) {
      const double factor = matrix[row][column] / matrix[column][column];
      for (std::size_t k = column; k < N; ++k) matrix[row][k] -= factor * matrix[column][k];
      right[row] -= factor * right[column];
    }
  }
  Vector<N> solution{};
  for (std::size_t row = N; row-- > 0;) {
    double value = right[row];
    for (std::size_t k = row + 1; k < N; ++k) value -= matrix[row][k] * solution[k];
    solution[row] = value / matrix[row][row];
  }
  return solution;
}

}  // namespace imaging
