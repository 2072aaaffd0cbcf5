// Private ground of the rotation component GYRO and the residual component FAST: the
// inputs both take from the ISF (UFACT1, variable names and listed numbers), the
// listing counters a component lends to its routines, and GYRO's rotation routines
// (varimax, quartimax, their pair angles and criteria) and summary. Only src/selection and
// its tests include this header; other folders see gyro.hpp and fast.hpp.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "executive/vecmat.hpp"
#include "printing/page.hpp"

namespace korvex::rotation {

// Storage conventions: matrices are column by column with leading dimension 999, element
// (i, j) (1-based) at a[(j - 1) * 999 + (i - 1)]; vectors are 0-based containers addressed
// with 1-based positions. All arithmetic is single precision.
inline constexpr std::int32_t ld = 999;
inline constexpr std::int32_t max_variables = 999;
inline constexpr std::int32_t max_factors = 50;

using korvex::at;
using korvex::rc;

// The listing of one component run: its own page number and lines-left counter (both 0
// when the component starts), the listing unit, and the longest text a pr_line call takes.
struct listing : listing_counters {
  std::int32_t maxlen = 117;
};

// ---- inputs -----------------------------------------------------------------------------

// UFACT1: numvar rows (variables) and numfac columns (dimensions) in a, which holds 999 x 50
// values whatever the entry's size.
struct factor_matrix {
  std::int32_t numvar = 0;
  std::int32_t numfac = 0;
  std::vector<float> a;
};

// Reads UFACT1. Absent: isf_not_found (10007). A matrix outside 1..999 rows or
// min_factors..50 columns stops the run through proc_error with a message that names the
// component and the sizes found.
factor_matrix read_factor_matrix(std::string_view component, std::int32_t min_factors);

// The names and listed numbers of the numvar rows of a factor matrix, under the
// active-variable protocol: the first numvar names of VNAMS1 and, while a selection is in
// force, the original numbers of REORD1; otherwise (or without REORD1) 1..numvar. Rows that
// VNAMS1 does not reach, or every row when it is absent, are named "VAR" and a number.
struct variable_labels {
  std::vector<std::string> names;
  std::vector<std::int32_t> numbers;
};
variable_labels read_variable_labels(std::int32_t numvar);

// ---- varimax ----------------------------------------------------------------------------

// The varimax criterion of the numvar x numfac matrix f: the sum over the dimensions of
// (n s4 - s2^2) / n^2, s2 and s4 the column sums of squares and fourth powers, n = numvar.
float gyro_varimax_criterion(std::span<const float> f, std::int32_t numvar, std::int32_t numfac);

// The plane rotation of one pair of columns: rotate false leaves the pair as it is.
struct plane_rotation {
  bool rotate = false;
  float cos_phi = 1.0f;
  float sin_phi = 0.0f;
};

// The varimax angle of a pair from its sums num and den (the rules of the method, with the
// divisions by an exact zero taken at their limits). Never NaN for finite sums.
plane_rotation varimax_pair_angle(float num, float den);

// Rotates f by normalised varimax. f holds numvar x numfac coefficients (leading dimension
// 999) and comes back rotated in its own scale. Prints the convergence statistics and the
// communality check table (rows labelled by `labels`); before / after receive the criterion
// of the first and of the last evaluation. A row whose coefficients are all zero is left
// unnormalised and stays zero. Never stops the run.
void gyro_varimax(std::span<float> f, std::int32_t numvar, std::int32_t numfac, float& before,
                  float& after, std::int32_t max_cycles, float criterion,
                  const variable_labels& labels, listing& out);

// ---- quartimax --------------------------------------------------------------------------

// Sum of the fourth powers of the numvar x numfac coefficients, column by column.
float sum_fourth_powers(std::span<const float> f, std::int32_t numvar, std::int32_t numfac);

// The quartimax angle of a pair from its sums num and den; 0 when both are zero.
float quartimax_pair_angle(float num, float den);

// Rotates f by quartimax, sweep after sweep over the pairs of columns, printing the sum of
// fourth powers before rotation, the criterion in force and one line per sweep; before /
// after receive the sum of fourth powers before rotation and after the last sweep.
void gyro_quartimax(std::span<float> f, std::int32_t numvar, std::int32_t numfac, float& before,
                    float& after, std::int32_t max_cycles, float criterion, listing& out);

// ---- summary ----------------------------------------------------------------------------

// Prints the summary of a rotation (criteria, rotated coefficients, partial and cumulative
// communalities, augmented coefficients and their squares, cumulative proportions) and
// writes RFACT1 from f and BASIS1 (the identity of order numfac). f is overwritten by the
// identity in its top-left numfac x numfac block on return. A row of zero communality has
// augmented coefficients 0.
void gyro_summary(std::span<float> f, const variable_labels& labels,
                  std::span<const std::string> factor_names, std::string_view title,
                  float before, float after, std::int32_t numvar, std::int32_t numfac,
                  listing& out);

}  // namespace korvex::rotation
