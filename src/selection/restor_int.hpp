// Private parts of the reactivation component RESTOR: its working storage (the reordered
// correlation matrix, the factor coefficients, the order vectors, the key and reflection
// lists) and the steps the driver (restor.cpp) and the sleeper computations
// (restor_sleepers.cpp) share. Only these files and the tests include it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "selection/select_int.hpp"

namespace korvex::restor {

using selection::at;
using selection::ld;
using selection::listing;
using selection::rc;

// Leading dimension of the small dimension-by-dimension work matrices.
inline constexpr std::int32_t ldw = selection::max_dimensions;
// Rows of each key or reflection list.
inline constexpr std::int32_t list_rows = 99;

// Everything one RESTOR run works on. Positions are reordered positions (active variables
// 1..numact, sleepers numact+1..numvar) unless a step says otherwise.
struct restor_run {
  listing out;
  std::string title;  // 72 characters

  std::int32_t numvar = 0;
  std::int32_t numsub = 0;
  std::int32_t numact = 0;
  std::int32_t numfac = 0;
  std::int32_t numdel = 0;

  std::vector<float> r;  // CORRM2, 999 x 999, both triangles
  std::vector<float> f;  // factor coefficients, 999 x 50
  std::vector<std::string> names;      // reordered until the write-back
  std::vector<std::string> dim_names;  // numfac
  std::vector<std::int32_t> dim_numbers;
  std::vector<std::int32_t> order;    // order(p): original number at position p
  std::vector<std::int32_t> inverse;  // inverse(i): position of original number i

  bool clusters_found = false;
  bool reflections_found = false;
  std::vector<std::int32_t> cluster_counts;  // 50
  std::vector<std::int32_t> clusters;        // 99 x 50
  std::vector<std::int32_t> reflection_counts;
  std::vector<std::int32_t> reflections;
};

// Reads IDFILE, VNAMS1, CORRM2, UFACT1, CLUST1, REFLX1 and REORD1 and checks them against
// each other. A missing IDFILE, VNAMS1, CORRM2, UFACT1 or REORD1 stops through
// isf_not_found; a VNAMS1 without the selection mark, or any inconsistency (sizes, an order
// that is not a permutation, list entries that are not active positions), stops through
// proc_error. Nothing is printed or written.
void restor_read_isf(restor_run& run);

// inverse(order(i)) = i for i = 1..n.
void restor_inverse_order(std::span<const std::int32_t> order, std::span<std::int32_t> inverse,
                          std::int32_t n);

// Gauss-Jordan inversion in place with full pivoting of the n x n matrix a (leading
// dimension 50, n <= 50). Of equal candidate magnitudes the first in row-then-column order
// is the pivot. Returns false, a being then unusable, when some pass finds no candidate of
// magnitude above `tiny` (every remaining candidate zero, not a number, or below it).
bool restor_invert(std::span<float> a, std::int32_t n, float tiny = 0.0f);

// The sleeper rows of f: B = R_sa F_a (F_a' F_a)^-1, single precision, every sum in
// increasing index order. Stops the run when F_a' F_a is singular (fewer active variables
// than dimensions, or dimensions without independent active coefficients).
void restor_sleeper_factors(restor_run& run);

// The key-variable table (when REFLX1 was read) and the sleepers' coefficients.
void restor_print_sleepers(restor_run& run);

// The sleepers' partial and cumulative communalities, and DIAGV1 with every variable's total
// communality in original order.
void restor_communalities(restor_run& run);

// The write-back: VNAMS1 (no selection), UFACT1, and CLUST1 and REFLX1 when they were read,
// all in original variable numbers.
void restor_write_isf(restor_run& run);

}  // namespace korvex::restor
