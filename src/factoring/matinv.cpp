// MATINV, the small-matrix inversion of DVP's iterative methods: Gauss-Jordan elimination
// with complete pivoting on matrices of order up to 11, solving for right-hand sides in the
// same sweep. The quadratic formula inverts each variable's bordered matrix with it and the
// proportional fit solves each variable's normal equations.
#include <array>
#include <cmath>
#include <utility>

#include "factoring/dvp_internal.hpp"

namespace korvex::dvp {

// Contract in dvp_internal.hpp. A step whose remaining rows and columns hold only zeros has
// no pivot: the matrix is singular and the routine says so instead of reusing the previous
// step's pivot position.
void MATINV(std::span<float> A, std::int32_t n, std::span<float> B, std::int32_t m, float& det,
            std::int32_t& singular) {
  det = 1.0f;
  singular = 0;
  if (n < 1) return;
  assert(n <= ref_ld && A.size() >= rc11(n, n) + 1);
  assert(m < 1 || B.size() >= rc11(n, m) + 1);
  const auto a = [&](std::int32_t i, std::int32_t j) -> float& { return A[rc11(i, j)]; };
  const auto b = [&](std::int32_t i, std::int32_t j) -> float& { return B[rc11(i, j)]; };

  std::array<std::int32_t, ref_ld> ipivot{};
  std::array<std::int32_t, ref_ld> pivot_row{};
  std::array<std::int32_t, ref_ld> pivot_col{};

  for (std::int32_t i = 1; i <= n; ++i) {
    // Complete pivoting over the rows and columns not yet used; among equal magnitudes the
    // first in row-major order stays.
    float amax = 0.0f;
    std::int32_t irow = 0;
    std::int32_t icolumn = 0;
    for (std::int32_t j = 1; j <= n; ++j) {
      if (ipivot[at(j)] == 1) continue;
      for (std::int32_t k = 1; k <= n; ++k) {
        assert(ipivot[at(k)] <= 1);
        if (ipivot[at(k)] == 1) continue;
        if (std::fabs(a(j, k)) > std::fabs(amax)) {
          amax = a(j, k);
          irow = j;
          icolumn = k;
        }
      }
    }
    if (icolumn == 0) {
      det = 0.0f;
      singular = 1;
      return;
    }
    ipivot[at(icolumn)] += 1;

    const bool exchanged = irow != icolumn;
    if (exchanged) {
      for (std::int32_t c = 1; c <= n; ++c) std::swap(a(irow, c), a(icolumn, c));
      for (std::int32_t c = 1; c <= m; ++c) std::swap(b(irow, c), b(icolumn, c));
    }
    pivot_row[at(i)] = irow;
    pivot_col[at(i)] = icolumn;
    const float pivot = a(icolumn, icolumn);
    det *= pivot;
    if (exchanged) det = -det;

    a(icolumn, icolumn) = 1.0f;
    for (std::int32_t c = 1; c <= n; ++c) a(icolumn, c) /= pivot;
    for (std::int32_t c = 1; c <= m; ++c) b(icolumn, c) /= pivot;

    for (std::int32_t l = 1; l <= n; ++l) {
      if (l == icolumn) continue;
      const float t = a(l, icolumn);
      a(l, icolumn) = 0.0f;
      for (std::int32_t c = 1; c <= n; ++c) a(l, c) -= a(icolumn, c) * t;
      for (std::int32_t c = 1; c <= m; ++c) b(l, c) -= b(icolumn, c) * t;
    }
  }

  // The row exchanges become column exchanges of the inverse, last step first. B's rows were
  // exchanged together with A's, so the solutions are already in natural order.
  for (std::int32_t i = n; i >= 1; --i) {
    const std::int32_t r = pivot_row[at(i)];
    const std::int32_t c = pivot_col[at(i)];
    if (r == c) continue;
    for (std::int32_t k = 1; k <= n; ++k) std::swap(a(k, r), a(k, c));
  }
}

}  // namespace korvex::dvp
