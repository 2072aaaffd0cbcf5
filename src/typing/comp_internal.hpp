// Internals of the comparison components: COMP1 punches one group's factor solution as a
// labelled card deck; COMP2 reads one such deck per group, selects variables and dimensions,
// and stores the similarities among the dimensions. Private to src/typing/comp_*.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "executive/vecmat.hpp"
#include "io/layout.hpp"

namespace korvex::comp {

inline constexpr std::int32_t ld = 999;             // leading dimension of the matrix
inline constexpr std::int32_t max_groups = 99;      // group numbers have two digits in G01D01
inline constexpr std::int32_t max_variables = 999;  // rows of a group
inline constexpr std::int32_t max_group_dims = 50;  // dimensions of one group
inline constexpr std::int32_t max_dims = 999;       // dimensions of all groups together
inline constexpr std::int32_t max_definers = 99;    // definers of one dimension

// Element (i, j), both 1-based, of a column-major matrix with 999 rows.
inline std::size_t cell(std::int32_t i, std::int32_t j) {
  return static_cast<std::size_t>(j - 1) * ld + static_cast<std::size_t>(i - 1);
}

// ---- labelled card punching -------------------------------------------------------------
// values(1..n) as 80-column cards with the label code/item/card number in columns 73-80.
// KON selects the field: 1 I8 (9 a card), 2 I4 (18), 3 A20 (3), 5 A6 (12). PUNCH scales each
// value x to trunc(x * 1.0E7 / scale +- 0.5) and takes KON 1; PUNCHI takes 1 and 2; PUNCHC
// takes 3 and 5. Any other KON stops the run ("INVALID KON VALUE IN SUBROUTINE PUNCH").
void PUNCH(std::span<const float> values, std::int32_t n, float scale, std::int32_t code,
           std::int32_t item, std::int32_t KON, std::int32_t unit);
void PUNCHI(std::span<const std::int32_t> values, std::int32_t n, float scale, std::int32_t code,
            std::int32_t item, std::int32_t KON, std::int32_t unit);
void PUNCHC(std::span<const std::string> values, std::int32_t n, float scale, std::int32_t code,
            std::int32_t item, std::int32_t KON, std::int32_t unit);

// ---- COMP2 state ------------------------------------------------------------------------

// The state of one COMP2 run, shared by its steps.
struct comp2_state {
  // option card
  std::int32_t ngroups = 1;
  std::int32_t varsel = 3;
  std::int32_t dimsel = 0;
  std::int32_t index = 0;
  // the group being read (its count card)
  std::int32_t group = 0;
  std::int32_t nvar = 0;
  std::int32_t ndim = 0;
  std::int32_t clust1_flag = 0;
  std::int32_t format_flag = 0;
  std::int32_t first_column = 0;
  std::int32_t nvar_group1 = 0;  // group 1's NVAR, the reference of the later groups
  std::int32_t total_dims = 0;
  std::int32_t nsel_vars = 0;
  std::int32_t nsel_dims = 0;
  // units and paging
  std::int32_t monin = 0;
  std::int32_t monout = 0;
  std::int32_t page = 0;
  std::int32_t lines = 0;
  std::vector<std::string> title;  // 12 words of 6 characters
  std::vector<float> a;            // 999 x 999, column by column
  std::vector<std::string> dim_names;
  std::vector<std::string> ref_names;
  std::vector<std::string> group_names;
  std::vector<std::string> sel_var_names;
  std::vector<std::string> sel_dim_names;
  // analyst's lists (names as read, before matching)
  std::vector<std::string> var_list;
  std::vector<std::string> dim_list;
  std::int32_t var_list_count = 0;
  std::int32_t dim_list_count = 0;
  // definers of each column as read: counts (0 when the group punched none) and lists of 99
  std::vector<std::int32_t> def_count;
  std::vector<std::int32_t> def_list;
  // the original column of each selected column (definer lists stay in reading order)
  std::vector<std::int32_t> dim_origin;
  std::vector<std::int32_t> index_vec;
  std::vector<std::int32_t> mark;
};

// The state of the current (or last) COMP2 run.
comp2_state& state();
// Sizes every table and forgets everything (start of COMP2, and tests).
void reset_state();

// One read statement on MONIN under layout, starting on a new card. The end of MONIN before
// every target is filled, or a card that does not fit, stops the run naming `what`.
void read_cards(std::string_view layout, std::span<const io::Target> targets, std::string_view what);

// ---- COMP2 steps ------------------------------------------------------------------------

// Title card, option card (each value checked), description page, analyst's name lists.
void C2PARM();
// Every group's deck: count card and limits, dimension names, coefficients, variable names,
// the group's coefficient listing and its definer lists. Every misfit stops the run.
void C2GRPS();
// Rows and columns to compare; unknown or repeated names stop the run with QUIT(10008)
// after all of them were listed. Prints the selected coefficients.
void C2SELE();
// The similarity index of every pair of selected dimensions into the leading nd x nd block.
void C2SIMI();
// Prints the similarity matrix and stores IDFILE, VNAMS1 and CORRM1.
void C2OUTP();

// Matches names_sel(1..nsel) against names(1..n): index(e) the position of selection name e.
// Every unknown name and every name used more than once gets its listing lines and counts
// one error. usage receives the use count of names(1..n).
void C2NSEL(std::span<const std::string> names, std::span<const std::string> names_sel,
            std::int32_t n, std::int32_t nsel, std::span<std::int32_t> usage,
            std::span<std::int32_t> index, std::int32_t& errors, std::int32_t& page,
            std::int32_t& lines, std::int32_t unit);
// Compacts a (leading dimension ld_a) in place: mode 0 rows (new row k = old row index(k),
// k = 1..nrows, over ncols columns); any other mode columns (new column k = old column
// index(k), k = 1..ncols, over nrows rows).
void C2PICK(std::span<float> a, std::int32_t ld_a, std::int32_t nrows, std::int32_t ncols,
            std::span<const std::int32_t> index, std::int32_t mode);
// Cross products in place: for k >= j <= nc, a(k, j) = sum over i = 1..nr of a(i, k) a(i, j)
// in single precision and row order; diag(j) = a(j, j). Column j is written only after all
// its products are formed; nothing above the diagonal is touched.
void C2XPRD(std::span<float> a, std::int32_t nr, std::int32_t nc, std::int32_t ld_a,
            std::span<float> diag);

}  // namespace korvex::comp
