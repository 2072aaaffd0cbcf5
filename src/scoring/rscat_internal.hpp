// Private parts of the correlation scatterplot component RSCAT: the run-wide scatterplot
// state that the input, the variable statistics, the slice table, the scattergram and the
// spotter share, and the routines those steps call on each other. Nothing outside
// src/scoring/rscat_*.cpp includes this.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/layout.hpp"

namespace korvex::rscat {

inline constexpr std::int32_t max_variables = 18;
inline constexpr std::int32_t max_pairs = 24;
inline constexpr std::int32_t max_pair_numbers = 2 * max_pairs;
inline constexpr std::int32_t max_slices = 52;
inline constexpr std::int32_t grid_size = 51;       // cells across and up the scattergram
inline constexpr std::int32_t capacity = 10000;      // values the data block holds
inline constexpr float missing_score = -999.0f;      // FACS's code for a score it could not form

// The scatterplot state of one run, with the run's own listing counters.
struct rscat_control_record {
  std::int32_t NSUB = 0;
  std::int32_t NVAR = 0;
  std::int32_t SELECT = 1;
  std::int32_t DATA = 1;
  std::int32_t SLICE = 0;
  std::int32_t SPOT = 0;
  std::int32_t COMMON = 0;
  std::int32_t NPAIRS = 0;
  std::int32_t MISS = 1;
  std::int32_t MAXVAL = capacity;
  std::int32_t NOLIST = 0;
  // Subject i (1-based) on selected variable j: XDATA[(i - 1) + (j - 1) * NSUB]; NaN = missing.
  std::vector<float> XDATA;
  std::vector<std::string> VLABEL;            // 20-character names of the selected variables
  std::string RTITLE = std::string(160, ' ');  // run title in columns 1-72
  std::array<std::array<std::int32_t, 2>, max_pairs> PAIRS{};  // (X, Y) positions
  // Plotting bounds, mean -+ 2.55 SD: single-precision values (see single()) that may lie
  // beyond the largest float when the data fill the single-precision range.
  std::array<double, max_variables> LOWER{};
  std::array<double, max_variables> UPPER{};
  std::array<float, max_variables> SDEV{};
  std::array<float, max_variables> MEANV{};
  std::vector<std::string> SUBJNAME;  // the subject names, owned by the entry for one run

  // Listing state of the run.
  std::int32_t page = 0;
  std::int32_t lines = 0;
  std::int32_t monout = -1;
  std::int32_t width = 117;  // line width less one

  float x(std::int32_t subject, std::int32_t var) const {
    return XDATA[static_cast<std::size_t>(subject - 1) +
                 static_cast<std::size_t>(var - 1) * static_cast<std::size_t>(NSUB)];
  }
};

rscat_control_record& rscat_control();

// A result rounded to single precision as a float operation rounds it, but without the
// float's overflow: beyond the largest float it keeps a 24-bit significand in a double. The
// plotting bounds of data that fill the single-precision range (3e38 and -3e38 give a mean
// -+ 2.55 SD near -+7e38), the slice bounds and the slopes between them lie out there and
// must still place and predict the data. Each step on such values is taken in double and
// rounded here: within the float range that is the float operation's result bit for bit (a
// double holds the exact result of a float +, -, * or / closely enough that rounding it
// again to single precision gives the once-rounded result).
double single(double x);
// LOWER and UPPER of selected variable v from its MEANV and SDEV: mean -+ 2.55 SD in single
// precision, kept where they pass the float range.
void plotting_range(std::int32_t v);

// ---- input (control card, pair cards, data) -----------------------------------------------

// Fills rscat_control from the control card, the pair cards and the data source; stops the
// run with the system's message on every input fault.
void INPUT();
// Reads pair cards from MONIN until "." and returns the 6-character entries (digits only, blank
// padded); error = 1 after a character that may not stand there (the caret line is printed)
// or more than max entries.
void read_pair_cards(std::vector<std::string>& entries, std::int32_t max, std::int32_t& count,
                     std::int32_t& error);
// One line of the control-card echo: name right-justified in 6, first and last column, text.
void echo_field(std::string_view text, std::int32_t first, std::int32_t last, std::string_view name);

// ---- run and variable statistics -------------------------------------------------------

void rscat_main();
void explain_graph();
// Mean, standard deviation and bounds of every selected variable (sums in double, the squares
// about the variable's own mean).
void variable_statistics();

// A PAGER call on the run's own counters.
void pager(std::int32_t n);
// A formatted write to the run's listing.
void put(std::string_view layout, std::initializer_list<io::Value> values = {});

// ---- pair statistics and slice table -----------------------------------------------------

// The slice statistics of one direction (slices of P predicting Q); arrays 0-based by slice.
// The line, its predictions, the standard errors within the slices and the slice bounds are
// single-precision values (single()) that may pass the float range: a slope of 3e38 per unit,
// bounds of -+7e38, or the unbiased error of a slice holding 3e38 and -3e38 (4.2e38).
struct direction_stats {
  std::array<std::int32_t, max_slices> count{};
  std::array<float, max_slices> mean_p{};
  std::array<double, max_slices> linear{};
  std::array<float, max_slices> curvilinear{};
  std::array<double, max_slices> se_biased{};
  std::array<double, max_slices> se_unbiased{};
  // bound k (1-based k, element k - 1): the upper edge of slice k
  std::array<double, max_slices> bounds{};
  double A = 0.0;
  double B = 0.0;
  float se_linear = 0.0f;
  float eta = 0.0f;
  float eta_unbiased = 0.0f;
};

struct pair_result {
  float N = 0.0f;          // subjects with both values
  std::int32_t plotted = 0;  // the integer part of N
  float r = 0.0f;
  double mean_x = 0.0;  // the means of X and Y over the pair's subjects, kept in double for
  double mean_y = 0.0;  // the slice totals and the linear predictions
  // The standard deviations in double: a spread below the least single-precision number
  // (values 0 and 1.4e-45) leaves SDEV at 0 though the data vary, and the slope needs it.
  double sd_x = 0.0;
  double sd_y = 0.0;
  direction_stats xy;  // P = X, Q = Y
  direction_stats yx;  // P = Y, Q = X
};

// Statistics of the pair over the subjects with both values; replaces MEANV, SDEV, LOWER and
// UPPER of X and Y. Sums are totalled in double, the squares and products about the pair's
// means, results stored in single precision.
void pair_stats(std::int32_t X, std::int32_t Y, pair_result& pr);
// The slices of P predicting Q; mean_p, mean_q, sd_p and sd_q are the pair's means and
// standard deviations of P and Q in double (pair_stats).
void slice_stats(std::int32_t p, std::int32_t q, float r, float N, double mean_p, double mean_q,
                 double sd_p, double sd_q, direction_stats& d);
// The slice position (1..SLICE) of a value of P; a position that is not a number counts as the
// upper bound.
std::int32_t slice_of(float value, double lower, double upper, std::int32_t slices);
// Pair statistics, both directions and the printed slice table with the prediction lines.
void slice_table(std::int32_t X, std::int32_t Y, pair_result& pr);

// ---- scattergram and spotter -------------------------------------------------------------

// What the scattergram leaves for the spotter.
struct scattergram_result {
  std::vector<std::int32_t> codes;     // 100 * row + column, sorted ascending
  std::vector<std::int32_t> subjects;  // subject numbers, ascending within a cell
  std::array<std::int32_t, grid_size> row_counts{};
  std::array<std::int32_t, grid_size> col_counts{};
  std::array<std::int32_t, 26> row_ranks{};
  std::array<std::int32_t, 26> col_ranks{};
};

// The cell offset 0..50 of a value from the low edge of the grid (column = offset + 1, row =
// 51 - offset): the integer part of min(50, max(0, (value - lower) / cell)), and 50 when that
// quotient is not a number (a variable without spread).
std::int32_t cell_index(float value, double lower, float cell);
// Sorts (key, companion) pairs ascending by key, then companion.
void sort_codes(std::vector<std::int32_t>& keys, std::vector<std::int32_t>& companions);
// The 2-character frequency code of a count.
std::string freq_code(std::int32_t count);
// Percentile rank: integer part of 100 * count / N + bias; 0 when N has no plotted subject.
std::int32_t percentile_rank(std::int32_t count, float N, float bias);
void dot_if_blank(std::string& text);
void dash_if_blank(std::string& text);

void scattergram(std::int32_t X, std::int32_t Y, const pair_result& pr, scattergram_result& g);
void print_spotter(std::int32_t X, std::int32_t Y, std::int32_t n, const scattergram_result& g);

}  // namespace korvex::rscat
