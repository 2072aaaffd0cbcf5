// Private state of COR3, the covariance and correlation component with allowance for missing
// data: its option card and switches, what its inputs gave, and the two halves that share
// them: the card, input checks and heading (cor3.cpp) and the pass over the data with the
// matched statistics, ISF outputs and listings (cor3_stats.cpp).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::cor {

// The option card: 16 fields of four columns (columns 1-64), each 0 or positive. A switch
// acts only when its field holds exactly 1; field 11 counts any non-zero value as 1.
struct cor3_options {
  std::array<std::int32_t, 17> field{};  // field[1..16] as read (field[0] unused)

  // Switches formed from the fields, each 0 or 1.
  std::int32_t first_page = 0;  // 1: only the first page of covariances and correlations
  std::int32_t print_sd = 0;
  std::int32_t print_cov = 0;
  std::int32_t print_means = 0;
  std::int32_t print_n = 0;
  std::int32_t unbiased = 0;    // divisor N - 1
  std::int32_t save_means = 0;  // 2MEAN1
  std::int32_t save_n = 0;      // 2SENS1
  std::int32_t save_sd = 0;     // 2STDV1
  std::int32_t save_cov = 0;    // COVAR1
  std::int32_t save_cor = 0;    // CORRM1
  std::int32_t print_cor = 1;
  std::int32_t compute_sd = 0;
  std::int32_t compute_cov = 0;
  std::int32_t compute_cor = 0;
  std::int32_t need_moments = 0;  // matched sums of squares and standard deviations
  std::int32_t need_cov = 0;      // cross products and covariances
  std::int32_t complete = 0;      // every statistic over all subjects
  std::int32_t insert_means = 0;  // a missing value becomes the variable's mean
};

// Decodes fields 1-10 and 12-16 of the card (80 columns, blank-padded) with field_int and
// forms the switches that do not depend on field 11. A non-digit stops the run with
// field_int's message.
void decode_cor3_card(std::string_view card, cor3_options& o);
// Decodes field 11 with the file's missing-data flag as its default and forms complete and
// insert_means.
void decode_cor3_field11(std::string_view card, std::int32_t missing_flag, cor3_options& o);
// Complete data: the matched-only options go off.
void drop_matched_options(cor3_options& o);

// One run of COR3.
struct cor3_state {
  std::int32_t monin = 0;
  std::int32_t monout = 0;
  std::int32_t mtdst = 0;
  std::int32_t page = 0;
  std::int32_t lines = 0;
  cor3_options options;
  std::string card;
  std::vector<std::string> title;  // record 1 of the data storage file, 12 words
  std::int32_t missing_flag = 0;   // second word of record 3
  std::int32_t nv = 0;
  std::int32_t nsub = 0;
  std::vector<std::string> names;
  std::vector<float> means;          // MEANS1
  // The centre c(k) that the totals of the pass are taken about: the mean of MEANS1 (0 where
  // it is NaN), or, on the missing-data path when MEANS1 is not the data's, the data's own.
  // Near the mean, so that the variance is never the small difference of two large moments.
  std::vector<float> shift;
  std::vector<std::int32_t> counts;  // present values per variable
};

// The value a missing value counts as on the complete-data path when no mean is inserted: the
// mean m truncated to a whole number while its magnitude is below 2^23, else the mean itself;
// 0 for a NaN.
inline float truncated_mean(float m) {
  return std::isnan(m) ? 0.0f : (std::fabs(m) < 8388608.0f ? std::trunc(m) : m);
}

// The 72-character title line of the state.
std::string cor3_title_line(const cor3_state& st);

// The statistics after the heading: the pass over the data storage file, matched N, means,
// standard deviations, covariances and correlations, their ISF entries and listings.
void cor3_statistics(cor3_state& st);

}  // namespace korvex::cor
