// Quartimax rotation of GYRO's factor coefficients: the coefficients as they are (no row
// normalisation), every pair of dimensions turned sweep after sweep by the angle that
// maximises the sum of fourth powers, until that sum stops changing or the sweep limit is
// reached. Each sweep prints one iteration line.
#include <algorithm>
#include <cmath>
#include <string>

#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/rotation.hpp"

namespace korvex::rotation {

namespace {

constexpr float quarter_pi = 0.7853982f;
constexpr float eps_cap = 0.01f;  // a looser criterion from the card is tightened to this
constexpr std::int32_t max_sweeps = 50;

// Turns columns i and j of f by the pair's quartimax angle (even a tiny one).
void rotate_pair(std::span<float> f, std::int32_t numvar, std::int32_t i, std::int32_t j) {
  float num = 0.0f;
  float den = 0.0f;
  for (std::int32_t k = 1; k <= numvar; ++k) {
    const float x = f[rc(k, i)];
    const float y = f[rc(k, j)];
    const float u = x * x - y * y;
    num += u * x * y;
    den += u * u - 4.0f * x * x * y * y;
  }
  const float phi = quartimax_pair_angle(num, den);
  const float c = std::cos(phi);
  const float s = std::sin(phi);
  for (std::int32_t k = 1; k <= numvar; ++k) {
    const float x = f[rc(k, i)];
    const float y = f[rc(k, j)];
    f[rc(k, i)] = c * x + s * y;
    f[rc(k, j)] = c * y - s * x;
  }
}

}  // namespace

float sum_fourth_powers(std::span<const float> f, std::int32_t numvar, std::int32_t numfac) {
  float s = 0.0f;
  for (std::int32_t m = 1; m <= numfac; ++m) {
    for (std::int32_t i = 1; i <= numvar; ++i) {
      const float sq = f[rc(i, m)] * f[rc(i, m)];
      s += sq * sq;
    }
  }
  return s;
}

float quartimax_pair_angle(float num, float den) {
  // Two columns with nothing to gain (both sums exactly zero, as for two columns of zeros)
  // stay where they are; 0 / 0 would turn them by NaN.
  if (num == 0.0f && den == 0.0f) return 0.0f;
  const float t = 4.0f * num / den;
  float phi = std::atan(t) / 4.0f;
  if (t >= 0.0f && den < 0.0f) phi += quarter_pi;
  if ((t < 0.0f || std::isnan(t)) && den < 0.0f) phi -= quarter_pi;
  return phi;
}

void gyro_quartimax(std::span<float> f, std::int32_t numvar, std::int32_t numfac, float& before,
                    float& after, std::int32_t max_cycles, float criterion, listing& out) {
  const std::int32_t limit = std::min(max_cycles, max_sweeps);
  const float eps = std::min(criterion, eps_cap);
  const float s0 = sum_fourth_powers(f, numvar, numfac);
  before = s0;
  after = s0;

  PAGER(-1, out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen,
          io::format_line("(\"Sum of fourth powers before rotation ...\",E14.7)", {s0}),
          out.page, out.lines, out.unit);
  PAGER(-1, out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen, io::format_line("(\"Criterion for convergence...\",E26.7)", {eps}),
          out.page, out.lines, out.unit);
  PAGER(-1, out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen, "Iteration  Sum of 4th powers         Difference", out.page,
          out.lines, out.unit);

  std::int32_t sweeps = 0;
  float previous = s0;
  for (;;) {
    for (std::int32_t i = 1; i <= numfac - 1; ++i) {
      for (std::int32_t j = i + 1; j <= numfac; ++j) rotate_pair(f, numvar, i, j);
    }
    const float s = sum_fourth_powers(f, numvar, numfac);
    after = s;
    ++sweeps;
    const float difference = s - previous;
    PAGER(-1, out.page, out.lines, out.unit);
    PAGER(1, out.page, out.lines, out.unit);
    const std::string mark(1, hard_blank);
    pr_line(-1, out.maxlen, io::format_line("(A1,I8,2E19.7)", {mark, sweeps, s, difference}),
            out.page, out.lines, out.unit);
    if (eps > std::fabs(difference) || sweeps >= limit) break;
    previous = s;
  }
}

}  // namespace korvex::rotation
