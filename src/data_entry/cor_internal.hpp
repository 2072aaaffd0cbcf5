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

namespace korvex::cor {

inline constexpr std::int32_t max_variables = 999;
inline constexpr std::int32_t max_subjects = 400000;
inline constexpr std::int32_t title_word_count = 12;
inline constexpr std::int32_t title_word_length = 6;
inline constexpr std::size_t ld = 999;  // leading dimension of matrices exchanged with the ISF

// Index of element (i, j), both 1-based, of a matrix with leading dimension 999.
inline std::size_t at(std::int32_t i, std::int32_t j) {
  return static_cast<std::size_t>(j - 1) * ld + static_cast<std::size_t>(i - 1);
}

// Place of the pair (j, k), j <= k, in a lower triangle with diagonal packed column by column
// for nv variables (0-based): column j holds k = j..nv.
inline std::size_t packed(std::int32_t j, std::int32_t k, std::int32_t nv) {
  const auto jj = static_cast<std::int64_t>(j);
  return static_cast<std::size_t>((jj - 1) * (2 * std::int64_t{nv} - jj + 2) / 2 + (k - j));
}

// ---- the data storage file --------------------------------------------------------------
// Each read returns an input/output status: 0 read, -1 end of file, a positive code when the
// record is damaged or shorter than the items asked for (nothing is stored then).

// One title record: 12 words of 6 characters into words(1..12).
std::int32_t read_title_record(std::int32_t unit, std::span<std::string> words);
// The first two integers of the counts record: the number of variables and the missing-data
// flag (1 when the subject records carry no presence flags).
std::int32_t read_counts_record(std::int32_t unit, std::int32_t& nvx, std::int32_t& missing_flag);
// The first n names of the names record into names(1..n).
std::int32_t read_names_record(std::int32_t unit, std::span<std::string> names, std::int32_t n);

// Reads subject records one after another from the current position of a unit, taking the
// first nv values of each (names, numbers and presence flags are not read).
class subject_reader {
 public:
  subject_reader(std::int32_t unit, std::int32_t nv) : unit_(unit), nv_(nv) {}
  // values(1..nv) of the next record; false at the end of the subject records: the end of
  // the file, or a record too short to hold nv values (the zero record of the trailer).
  bool next(std::span<float> values);
  std::int32_t subjects_read() const { return count_; }

 private:
  std::int32_t unit_;
  std::int32_t nv_;
  std::int32_t count_ = 0;
  std::vector<std::byte> record_;
};

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

// The 104-character title of the correlation matrix listing: caption padded to 24, the
// 72-character run title and 8 blanks.
std::string matrix_title(std::string_view caption, std::string_view title72);

}  // namespace korvex::cor
