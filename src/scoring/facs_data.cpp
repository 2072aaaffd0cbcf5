// The reading of the data storage file that comes before either scoring pass: the check that
// the file holds MEANS1's data, the data's own mean and extremes of every variable (from which
// the scoring passes take their centres and see which variables need their standard scores
// formed in double), and, for the complete-data pass, the spread of each composite that the
// correlations cannot tell from rounding. It stores nothing: a file that is not MEANS1's
// stops the run before the pass has written a score or a weight.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>
#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "data_entry/dsf_reader.hpp"
#include "data_entry/means_check.hpp"
#include "executive/errors.hpp"
#include "executive/positioning.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "scoring/facs_internal.hpp"
#include "storage/storage.hpp"

namespace korvex::facs {

namespace {

// The running moments of one measured composite over the subjects, in double precision: its
// mean and sum of squared deviations (updated in subject order), and the sum of the squares of
// its rounding bound.
struct composite_moments {
  double mean = 0.0;
  double m2 = 0.0;
  double bound_sq = 0.0;
};

// Whether the reading must measure composite k of the complete-data pass: false when the
// correlations show a variance that no rounding of the stored values can explain, which is
// every composite of ordinary data, so that the reading costs them nothing. W is the
// standard-score weight (the method's weights before the pass gives the composite its spread),
// R the correlations. The variance W'RW is known to within the rounding of R's elements (a
// few units of 2^-24 of the size sum |W_j r_jb W_b|; 2^-20 of it is allowed). The rounding
// bound of a subject's composite is never more than sum |W_j| (h_max + 2 eps d_max) / SD_j: no
// deviation from the mean is more than SD sqrt(N - 1), and h_max is the half spacing at the
// largest value that allows. A composite whose variance lies clear above four times the square
// of that is scored as the correlations say; the others are measured. A standard deviation
// below least_deviation (or not a number) leaves the composite unmeasured: the pass stops on it.
bool must_measure(std::int32_t k, std::span<const std::int32_t> list) {
  const facs_state& s = state();
  const std::vector<float>& r = r_matrix();
  const bool alone = list.size() == 1;
  const double reach = std::sqrt(std::max(0.0, static_cast<double>(s.nsub) - 1.0));
  double variance = 0.0;
  double size = 0.0;
  double bound = 0.0;
  for (const std::int32_t j : list) {
    const double sd = s.xsd[at(j)];
    if (!(sd >= least_deviation)) return false;
    const double wj = s.w[ix(k, j, max_comp)];
    for (const std::int32_t b : list) {
      const double term = wj * static_cast<double>(r[ix(b, j, max_vars)]) *
                          static_cast<double>(s.w[ix(k, b, max_comp)]);
      variance += term;
      size += std::fabs(term);
    }
    const double d_max = sd * reach;
    const double x_max = std::fabs(static_cast<double>(s.xmean[at(j)])) + d_max;
    const double h_max =
        alone ? 0.0 : half_spacing(static_cast<float>(std::min(x_max, 3.0e38)));
    bound += std::fabs(wj) / sd * (h_max + deviation_rounding(s.xsd[at(j)]) * d_max);
  }
  return !(variance - std::ldexp(size, -20) > 4.0 * bound * bound);
}

// The definer lists of the composites the complete-data pass must measure (empty lists for
// the others); empty for the missing-data pass, which measures every composite as it scores.
std::vector<std::vector<std::int32_t>> measured_lists() {
  facs_state& s = state();
  std::vector<std::vector<std::int32_t>> lists(static_cast<std::size_t>(s.nf));
  std::fill(s.measured.begin(), s.measured.end(), std::uint8_t{0});
  if (s.ipass != 2) return lists;
  read_correlations();
  const std::vector<std::vector<std::int32_t>> all = definer_lists();
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    if (all[at(k)].empty() || !must_measure(k, all[at(k)])) continue;
    lists[at(k)] = all[at(k)];
    s.measured[at(k)] = 1;
  }
  return lists;
}

// One subject's composite k, exactly as far as double precision goes, about the means of
// MEANS1 (the reading comes before the centres are known; a shift of every subject by one
// amount leaves the spread as it is), and its rounding bound as the missing-data pass forms it.
void measure(std::span<const float> x, std::span<const std::int32_t> list, std::int32_t k,
             std::int32_t subject, composite_moments& m) {
  const facs_state& s = state();
  const bool alone = list.size() == 1;
  double y = 0.0;
  double b = 0.0;
  for (const std::int32_t j : list) {
    const double w = static_cast<double>(s.w[ix(k, j, max_comp)]) / s.xsd[at(j)];
    const double d = static_cast<double>(x[at(j)]) - static_cast<double>(s.xmean[at(j)]);
    y += w * d;
    b += term_rounding(w, x[at(j)], d, alone, deviation_rounding(s.xsd[at(j)]));
  }
  const double delta = y - m.mean;
  m.mean += delta / subject;
  m.m2 += delta * (y - m.mean);
  m.bound_sq += b * b;
}

// Widens low and high (nv of them) by one subject's values x. A missing value (NaN) leaves
// both as they are: every comparison with it fails. Four variables at a time where the
// processor has SSE2, whose minimum and maximum return their second operand on a NaN or a tie,
// as the plain loop's comparisons do.
void widen_extremes(std::span<const float> x, float* __restrict low, float* __restrict high) {
  const std::size_t nv = x.size();
  const float* v = x.data();
  std::size_t j = 0;
#if defined(__SSE2__)
  for (; j + 4 <= nv; j += 4) {
    const __m128 value = _mm_loadu_ps(v + j);
    _mm_storeu_ps(low + j, _mm_min_ps(value, _mm_loadu_ps(low + j)));
    _mm_storeu_ps(high + j, _mm_max_ps(value, _mm_loadu_ps(high + j)));
  }
#endif
  for (; j < nv; ++j) {
    low[j] = v[j] < low[j] ? v[j] : low[j];
    high[j] = v[j] > high[j] ? v[j] : high[j];
  }
}

}  // namespace

void read_data(std::string_view pass) {
  facs_state& s = state();
  const auto nv = static_cast<std::size_t>(s.nv);
  dsf::means_check check("FACS", std::span<const float>(s.xmean.data(), nv), s.nsub);
  std::fill_n(s.low.begin(), nv, std::numeric_limits<float>::infinity());
  std::fill_n(s.high.begin(), nv, -std::numeric_limits<float>::infinity());
  const std::vector<std::vector<std::int32_t>> lists = measured_lists();
  std::vector<composite_moments> moments(static_cast<std::size_t>(s.nf));
  std::vector<float> x(nv, 0.0f);
  dsf::subject_reader reader(s.mtdst, s.nv);
  for (std::int32_t subject = 1; subject <= s.nsub; ++subject) {
    const std::int32_t status = reader.read(x, nullptr, nullptr);
    if (status == -1) check.ended_after(subject - 1);
    if (status != 0)
      fatal_with_number(std::string(pass) + " Error: Error while reading data from the DST", status);
    check.add(x);
    widen_extremes(x, s.low.data(), s.high.data());
    for (std::int32_t k = 1; k <= s.nf; ++k)
      if (s.measured[at(k)] != 0) measure(x, lists[at(k)], k, subject, moments[at(k)]);
  }
  check.finish(reader, x);
  for (std::size_t j = 0; j < nv; ++j) s.own[j] = check.own_mean(j);
  const double n = s.nsub;
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    const composite_moments& m = moments[at(k)];
    s.spread[at(k)] = n > 0.0 ? std::sqrt(m.m2 / n) : 0.0;
    s.rounding[at(k)] = n > 0.0 ? std::sqrt(m.bound_sq / n) : 0.0;
  }
  rewind_unit(s.mtdst);
  skip_to_zero_record(s.mtdst);
}

void variable_centres() {
  facs_state& s = state();
  const auto nv = static_cast<std::size_t>(s.nv);
  // A variable without a present value weighs in no score; it keeps XMEAN.
  for (std::size_t j = 0; j < nv; ++j) {
    const auto stored = static_cast<double>(s.xmean[j]);
    const double own = s.own[j];
    const bool near = std::fabs(own - stored) <= centre_tolerance * std::fabs(s.xsd[j]);
    s.centre[j] = near ? stored : own;
    // The largest deviation from the centre, and whether single precision holds every weight of
    // the variable as a normal number.
    const bool present = s.low[j] <= s.high[j];
    const double reach = present ? std::max(static_cast<double>(s.high[j]) - s.centre[j],
                                            s.centre[j] - static_cast<double>(s.low[j]))
                                 : 0.0;
    bool held = fits_single(reach);
    const auto v = static_cast<std::int32_t>(j) + 1;
    for (std::int32_t k = 1; k <= s.nf; ++k)
      if (s.zweight[ix(k, v, max_comp)] != 0.0f) held = held && std::isnormal(s.w[ix(k, v, max_comp)]);
    s.standard_units[j] = held ? 0 : 1;
    s.relative_rounding[j] = deviation_rounding(s.xsd[j]);
  }
}

std::string rounding_verdict(double spread, double bound) {
  return io::format_line(
      "('ITS SPREAD,',1PE10.3,', IS WITHIN THE',1PE10.3,' THAT ROUNDING CAN LEAVE')",
      {spread, bound});
}

void refuse_unscorable_deviation(std::int32_t j) {
  const facs_state& s = state();
  const float sd = s.xsd[at(j)];
  const std::string name(io::trim_right(s.vname[at(j)]));
  if (!(sd > 0.0f))
    proc_error(io::format_line(
        "('FACS Error: VARIABLE ',I0,' (',A,') HAS A WEIGHT BUT NO SPREAD ',"
        "'(STANDARD DEVIATION 0); ITS STANDARD SCORES CANNOT BE FORMED.')",
        {j, name}));
  // Below the normal range a standard deviation keeps only the bits above 2^-149: 7.8E-44 is
  // held to within a percent, and every standard score of the variable would be off by as much.
  if (sd < least_deviation)
    proc_error(io::format_line("('FACS Error: VARIABLE ',I0,' (',A,') HAS A STANDARD DEVIATION "
                               "OF',1PE10.3,', SO FAR BELOW THE NORMAL SINGLE-PRECISION RANGE "
                               "THAT STDEV1 HOLDS TOO FEW OF ITS DIGITS TO FORM STANDARD SCORES.')",
                               {j, name, static_cast<double>(sd)}),
               "RESCALE THE DATA BEFORE *DAP: MULTIPLY THE VARIABLE BY A POWER OF TEN IN MTXIN1");
}

}  // namespace korvex::facs
