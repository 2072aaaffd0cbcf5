// The check that the data storage file holds MEANS1's data: the test of one mean, the stops
// with their figures and remedy, and the totals a reading of the subject records keeps for it.
#include "data_entry/means_check.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "executive/errors.hpp"
#include "io/layout.hpp"

namespace korvex::dsf {

bool mean_is_own(float m, double own, double rms) {
  if (std::isnan(m)) return false;
  // A stored mean is within half a unit in the last place of the mean DAP totalled; the few
  // units allowed cover that rounding and the rounding of the double totals, whose share (the
  // term in rms) does not shrink with a mean near 0. Below the normal range a unit in the last
  // place no longer shrinks with the mean: it is 2^-149 for every subnormal number, and the
  // last term allows a few of those. They make no allowance for a card deck: a mean unloaded
  // by *GIST and loaded back is rounded to the decimals of the deck's layout and passes only
  // where that rounding happens to be as small.
  const double scale = std::max(std::fabs(static_cast<double>(m)), std::fabs(own));
  return std::fabs(own - static_cast<double>(m)) <=
         std::ldexp(scale, -21) + std::ldexp(rms, -20) + std::ldexp(1.0, -147);
}

namespace {

std::string remedy_line(std::string_view component) {
  return "MEANS1 IS NOT THE DATA'S: RUN *DAP AFTER *TAKE OR *GIST, BEFORE *" +
         std::string(component);
}

}  // namespace

void refuse_foreign_means(std::string_view component, std::int32_t variable, double own,
                          float m) {
  const std::string line = io::format_line(
      "('VARIABLE ',I0,': MEAN',1PE13.6,' IN THE DATA,',1PE13.6,' IN MEANS1')",
      {variable, own, static_cast<double>(m)});
  proc_error(line, remedy_line(component));
}

void refuse_extra_subjects(std::string_view component, std::int32_t nsub) {
  const std::string line = io::format_line(
      "('THE DATA STORAGE FILE HOLDS MORE SUBJECTS THAN THE ',I0,' OF MEANS1')", {nsub});
  proc_error(line, remedy_line(component));
}

void refuse_fewer_subjects(std::string_view component, std::int32_t held, std::int32_t nsub) {
  const std::string line = io::format_line(
      "('THE DATA STORAGE FILE HOLDS ',I0,' SUBJECTS, FEWER THAN THE ',I0,' OF MEANS1')",
      {held, nsub});
  proc_error(line, remedy_line(component));
}

void refuse_other_variables(std::string_view component, std::int32_t held, std::int32_t nv) {
  const std::string line = io::format_line(
      "('MEANS1 HOLDS THE MEANS OF ',I0,' VARIABLES, THE DATA STORAGE FILE HAS ',I0)",
      {held, nv});
  proc_error(line, remedy_line(component));
}

means_check::means_check(std::string_view component, std::span<const float> means,
                         std::int32_t nsub)
    : component_(component),
      nsub_(nsub),
      means_(means.begin(), means.end()),
      centre_(means.size(), 0.0),
      sum_(means.size(), 0.0),
      squares_(means.size(), 0.0),
      count_(means.size(), 0.0) {
  for (std::size_t j = 0; j < means_.size(); ++j)
    if (std::isfinite(means_[j])) centre_[j] = means_[j];
}

void means_check::add(std::span<const float> values) {
  const std::size_t nv = means_.size();
  const float* v = values.data();
  const double* centre = centre_.data();
  double* __restrict sum = sum_.data();
  double* __restrict squares = squares_.data();
  double* __restrict count = count_.data();
  std::size_t j = 0;
  // A missing value adds +0 (its deviation, a NaN, is masked to +0): the totals are those of a
  // loop that skips it, without a branch that values missing at random defeat. Two variables
  // at a time where the processor has SSE2, with the operations of the plain loop below.
#if defined(__SSE2__)
  const __m128d one = _mm_set1_pd(1.0);
  for (; j + 2 <= nv; j += 2) {
    const __m128d x = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v + j))));
    const __m128d present = _mm_cmpord_pd(x, x);
    const __m128d d = _mm_and_pd(_mm_sub_pd(x, _mm_loadu_pd(centre + j)), present);
    _mm_storeu_pd(sum + j, _mm_add_pd(_mm_loadu_pd(sum + j), d));
    _mm_storeu_pd(squares + j, _mm_add_pd(_mm_loadu_pd(squares + j), _mm_mul_pd(d, d)));
    _mm_storeu_pd(count + j, _mm_add_pd(_mm_loadu_pd(count + j), _mm_and_pd(one, present)));
  }
#endif
  for (; j < nv; ++j) {
    const double x = v[j];
    const bool present = x == x;
    const double d = present ? x - centre[j] : 0.0;
    sum[j] += d;
    squares[j] += d * d;
    count[j] += present ? 1.0 : 0.0;
  }
}

void means_check::ended_after(std::int32_t held) const {
  refuse_fewer_subjects(component_, held, nsub_);
}

void means_check::ended_after_own(std::int32_t held) const {
  if (held < nsub_) ended_after(held);
  if (held > nsub_) refuse_extra_subjects(component_, nsub_);
  compare_means();
}

double means_check::own_mean(std::size_t j) const {
  if (count_[j] == 0.0) return static_cast<double>(means_[j]);
  return centre_[j] + sum_[j] / count_[j];
}

void means_check::finish(subject_reader& reader, std::span<float> scratch) const {
  if (reader.next(scratch)) refuse_extra_subjects(component_, nsub_);
  compare_means();
}

void means_check::compare_means() const {
  for (std::size_t j = 0; j < means_.size(); ++j) {
    // A variable without a present value has no mean of its own to compare.
    if (count_[j] == 0.0) continue;
    const double rms = std::sqrt(squares_[j] / count_[j]);
    if (!mean_is_own(means_[j], own_mean(j), rms))
      refuse_foreign_means(component_, static_cast<std::int32_t>(j + 1), own_mean(j), means_[j]);
  }
}

}  // namespace korvex::dsf
