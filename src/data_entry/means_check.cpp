// The check that the data storage file holds MEANS1's data: the test of one mean, the stops
// with their figures and remedy, and the totals a reading of the subject records keeps for it.
#include "data_entry/means_check.hpp"

#include <algorithm>
#include <cmath>
#include <string>

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
      count_(means.size(), 0) {
  for (std::size_t j = 0; j < means_.size(); ++j)
    if (std::isfinite(means_[j])) centre_[j] = means_[j];
}

void means_check::add(std::span<const float> values) {
  const std::size_t nv = means_.size();
  for (std::size_t j = 0; j < nv; ++j) {
    // A missing value adds +0 (the NaN of its deviation is never chosen): the totals are
    // those of a loop that skips it, without a branch that values missing at random defeat.
    const float v = values[j];
    const bool present = !std::isnan(v);
    const double d = static_cast<double>(v) - centre_[j];
    sum_[j] += present ? d : 0.0;
    squares_[j] += present ? d * d : 0.0;
    count_[j] += present ? 1 : 0;
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
  if (count_[j] == 0) return static_cast<double>(means_[j]);
  return centre_[j] + sum_[j] / count_[j];
}

void means_check::finish(subject_reader& reader, std::span<float> scratch) const {
  if (reader.next(scratch)) refuse_extra_subjects(component_, nsub_);
  compare_means();
}

void means_check::compare_means() const {
  for (std::size_t j = 0; j < means_.size(); ++j) {
    // A variable without a present value has no mean of its own to compare.
    if (count_[j] == 0) continue;
    const double rms = std::sqrt(squares_[j] / count_[j]);
    if (!mean_is_own(means_[j], own_mean(j), rms))
      refuse_foreign_means(component_, static_cast<std::int32_t>(j + 1), own_mean(j), means_[j]);
  }
}

}  // namespace korvex::dsf
