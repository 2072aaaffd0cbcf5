// Private ground of the selection components SELECT, SLEEP and RESTOR: the storage
// conventions, the listing counters, the work block SELECT and SLEEP fill from the ISF, and
// the routines they share (start steps, banner, index vectors, in-place permutations, the
// selection-state writer and the "CORR.TXT" text matrix). Only src/selection and its tests
// include this header; other folders see selection.hpp.
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

namespace korvex::selection {

// Matrices are column by column with leading dimension 999: element (i, j), both 1-based, at
// a[(j - 1) * 999 + (i - 1)]. Vectors are 0-based containers addressed with 1-based positions.
inline constexpr std::int32_t ld = 999;
inline constexpr std::int32_t max_variables = 999;
inline constexpr std::int32_t max_dimensions = 50;
// Fewer active variables than this leave nothing to correlate or factor.
inline constexpr std::int32_t min_active = 2;
// The count word of VNAMS1 without and with a selection in force.
inline constexpr std::int32_t no_selection_word = 2;
inline constexpr std::int32_t selection_word = 3;

using korvex::at;
using korvex::rc;

// A component's own listing counters (both 0 at its start, so it numbers pages from 1).
using listing = korvex::listing_counters;

// The selection work block of one SELECT or SLEEP run: everything is filled from the ISF
// and the cards of that run; nothing passes from one run to the next.
struct selection_run {
  listing out;
  std::int32_t monin = -1;
  std::int32_t mtcorr = -1;
  std::string title;      // 72 characters
  std::vector<float> r;   // the correlation matrix, 999 x 999, both triangles
  std::int32_t numvar = 0;
  std::int32_t numsub = 0;  // second size word of CORRM1, carried through
  std::int32_t numdel = 0;
  std::vector<std::int32_t> index;  // position k: original ordinal placed at k (999 entries)
  std::vector<std::string> names;   // VNAMS1, reordered once the index is complete
};

// Prints text centred through pr_line, in lines of at most min(maxlen, ncline - 1)
// characters (the line less its carriage-control column).
void print_centred(listing& out, std::string_view text, std::int32_t maxlen);

// Steps common to SELECT and SLEEP before their banner: the common start step, a fresh
// page-settings copy, the units MONIN, MONOUT and MTCORR (opening "CORR.TXT" for appending on
// first use), a new listing page and the run title.
void selection_start(selection_run& run);

// The banner: the spaced program line (cut at min(ncline - 1, its length)), the spaced
// component line likewise, and the run title, all centred, with the blank lines between.
void print_banner(listing& out, std::string_view program, std::string_view component,
                  std::string_view title);

// CORRM1 as a full symmetric matrix into run.r with a unit diagonal; NUMVAR and NUMSUB from
// its KPAR. Absent: isf_not_found (10007).
void read_correlations(selection_run& run);

// VNAMS1 into run.names. Absent: isf_not_found. A count word other than 2 (a selection in
// force) stops the run with `refusal`; a name count other than NUMVAR stops it too, since
// names and correlations would then describe different variables.
void read_names(selection_run& run, std::string_view refusal);

// Exchange sort of list(1..count) ascending. Two equal ordinals stop the run with
// "YOU SELECTED NUMBER " + the ordinal in four zero-padded digits + "TWICE.".
void select_sort_check(std::span<std::int32_t> list, std::int32_t count);

// The index vector of a selection: list(1..count) holds the selected ordinals as read; on
// return list(1..count) holds them ascending and list(count+1..numvar) the others ascending.
void SETIND(std::span<std::int32_t> list, std::int32_t numvar, std::int32_t count);

// The index vector of a suppression: list(1..count) holds the sleeper ordinals as read; on
// return list(1..numvar-count) holds the active ordinals ascending and the rest the sleepers
// ascending.
void SETIND_SLEEP(std::span<std::int32_t> list, std::int32_t numvar, std::int32_t count);

// Stops the run unless numvar - numdel leaves at least min_active active variables.
void require_active(std::int32_t numvar, std::int32_t numdel);

// a_new(i, j) = a_old(perm(i), perm(j)) for 1 <= i, j <= n, in place by row and column
// exchanges (at most n - 1 of each). perm must be a permutation of 1..n.
void permute_symmetric(std::span<float> a, std::int32_t n, std::span<const std::int32_t> perm);

// x_new(i) = x_old(perm(i)) for i = 1..n; perm must be a permutation of 1..n.
template <typename T>
void permute_items(std::span<T> x, std::int32_t n, std::span<const std::int32_t> perm) {
  std::vector<T> work(x.begin(), x.begin() + n);
  for (std::int32_t i = 1; i <= n; ++i) x[at(i)] = work[at(perm[at(i)])];
}

// Records the selection: CORRM2 (3: NUMVAR, NUMSUB, NUMDEL) from the whole permuted matrix,
// CORRM1 (2: NUMACT, NUMSUB) from its active block, then VNAMS1 and REORD1 with
// (3: NUMVAR, 1, NUMDEL), in this order, each replacing the label's entry.
void write_selection_state(selection_run& run);

// Appends the whole permuted matrix to "CORR.TXT": for each row i the values r(i, 1..i),
// the diagonal as 1.000, under the layout "(20f6.3)" (twenty to a line).
void write_corr_text(selection_run& run);

// Sets r(i, i) := 1.0 for i = 1..n.
void unit_diagonal(std::span<float> r, std::int32_t n);

}  // namespace korvex::selection
