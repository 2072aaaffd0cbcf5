// Direct communality estimates of DVP, read straight off the correlation matrix without
// iteration: the highest, mean and triad estimates (HAT) and the fixed values 0 and 1
// (INDVAL). The driver runs them for methods 50-52 and 70-71; approximation B, the
// proportional fit and the singular-matrix fallback use the highest-r variant.
#include <cmath>

#include "executive/utilities.hpp"
#include "factoring/dvp_internal.hpp"

namespace korvex::dvp {

namespace {

// Highest |r_ij| over j != i; 0 when i has no other variable. Reads column i (R is
// symmetric), so the scan is contiguous.
float highest_r(const dvp_state_record& s, std::int32_t i) {
  float best = 0.0f;
  for (std::int32_t j = 1; j <= s.numvar; ++j) {
    if (j != i && std::fabs(s.r(j, i)) > best) best = std::fabs(s.r(j, i));
  }
  return best;
}

// Mean |r_ij| over j != i, summed in ascending j; 0 for a single variable.
float mean_r(const dvp_state_record& s, std::int32_t i) {
  float sum = 0.0f;
  for (std::int32_t j = 1; j <= s.numvar; ++j) {
    if (j != i) sum += std::fabs(s.r(j, i));
  }
  return safe_div(sum, static_cast<float>(s.numvar - 1));
}

// Triad estimate of i: over the pairs (k, l) of other variables with the largest
// |r_il r_ik|, the mean of min(1, |product / r_kl|). A pair with r_kl = 0 counts 1 when
// the product is not 0 and 0 when it is (no information either way); no pair gives 0.
float triad(const dvp_state_record& s, std::int32_t i) {
  const std::int32_t n = s.numvar;
  float best = -2.0f;
  float count = 0.0f;
  float sum = 0.0f;
  for (std::int32_t k = 2; k <= n; ++k) {
    if (k == i) continue;
    const float r_ik = s.r(k, i);
    for (std::int32_t l = 1; l <= k - 1; ++l) {
      if (l == i) continue;
      const float p = std::fabs(s.r(l, i) * r_ik);
      if (!(p >= best)) continue;
      if (p > best) {
        best = p;
        count = 0.0f;
        sum = 0.0f;
      }
      count += 1.0f;
      const float r_kl = s.r(l, k);
      const float ratio = r_kl != 0.0f ? std::fmin(1.0f, std::fabs(best / r_kl)) : (best != 0.0f ? 1.0f : 0.0f);
      sum += ratio;
    }
  }
  return safe_div(sum, count);
}

}  // namespace

void HAT() {
  dvp_state_record& s = dvp_state();
  const std::int32_t variant = s.method % 10;
  assert(variant >= 0 && variant <= 2);
  for (std::int32_t i = 1; i <= s.numvar; ++i) {
    switch (variant) {
      case 0:
        s.diag[at(i)] = highest_r(s, i);
        break;
      case 1:
        s.diag[at(i)] = mean_r(s, i);
        break;
      default:
        s.diag[at(i)] = triad(s, i);
        break;
    }
  }
}

void INDVAL() {
  dvp_state_record& s = dvp_state();
  assert(s.method == 70 || s.method == 71);
  const float value = s.method == 71 ? 1.0f : 0.0f;
  for (std::int32_t i = 1; i <= s.numvar; ++i) s.diag[at(i)] = value;
}

}  // namespace korvex::dvp
