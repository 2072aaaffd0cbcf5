// Private parts of the correlation components COR2 and COR3: the capacities they share,
// reading the head and the subject records of the data storage file on MTDST, the message
// lines and refusals both print, and the guarded double-precision arithmetic that turns
// their double totals into the single-precision results they store and print.
// Only the correlation sources of src/data_entry and their tests include this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data_entry/dsf_reader.hpp"
#include "data_entry/means_check.hpp"
#include "executive/vecmat.hpp"

namespace korvex::cor {

inline constexpr std::int32_t max_variables = 999;
inline constexpr std::int32_t max_subjects = 400000;
inline constexpr std::int32_t title_word_count = 12;
inline constexpr std::int32_t title_word_length = 6;
inline constexpr std::size_t ld = 999;  // leading dimension of matrices exchanged with the ISF

// Element (i, j), both 1-based, of a matrix with leading dimension 999 is at rc(i, j).
using korvex::rc;

// Place of the pair (j, k), j <= k, in a lower triangle with diagonal packed column by column
// for nv variables (0-based): column j holds k = j..nv.
inline std::size_t packed(std::int32_t j, std::int32_t k, std::int32_t nv) {
  const auto jj = static_cast<std::int64_t>(j);
  return static_cast<std::size_t>((jj - 1) * (2 * std::int64_t{nv} - jj + 2) / 2 + (k - j));
}

// ---- the data storage file --------------------------------------------------------------
// The public reader of the file (dsf_reader.hpp), under the names the correlation code uses.
using dsf::read_counts_record;
using dsf::read_names_record;
using dsf::read_title_record;
using dsf::subject_reader;

// ---- listing and refusals ----------------------------------------------------------------

// A message line: the text left-aligned through pr_line with the line width less one.
void message_line(std::string_view text, std::int32_t& page, std::int32_t& lines,
                  std::int32_t monout);

// Stops the run through proc_error when a variable selection is in force (VNAMS1 has the
// count word 3): component names the refusing component ("COR2", "COR3").
void refuse_selection_in_force(std::string_view component);

// ---- guarded arithmetic on the totals ----------------------------------------------------

// a / b, or 0 when b is zero.
inline double div0(double a, double b) { return b == 0.0 ? 0.0 : a / b; }
// The square root of x > 0, 0 otherwise (a tiny negative difference of rounded totals too).
double sqrt0(double x);
// A correlation kept within -1..1: rounding may carry a perfect correlation just past 1.
float clamp_correlation(double r);

// ---- MEANS1 against the data -------------------------------------------------------------
// The correlations are formed from the data's own totals; MEANS1 only centres them. A MEANS1
// that is not the data's (a *TAKE or *GIST after *DAP brought another data set's) would
// otherwise pass for the data's and pair their correlations with other data's results.

// The check itself lives with the reader of the file (means_check.hpp), which every component
// that reads the subject records shares.
using dsf::mean_is_own;
using dsf::refuse_extra_subjects;
using dsf::refuse_fewer_subjects;
using dsf::refuse_foreign_means;

// The 104-character title of the correlation matrix listing: caption padded to 24, the
// 72-character run title and 8 blanks.
std::string matrix_title(std::string_view caption, std::string_view title72);

}  // namespace korvex::cor
