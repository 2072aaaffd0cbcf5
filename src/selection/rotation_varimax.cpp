// Normalised varimax rotation of GYRO's factor coefficients: rows scaled to unit length,
// pairs of dimensions turned cycle after cycle by the angle that maximises the varimax
// criterion of the pair, until the criterion stops changing or the cycle limit is reached;
// then the rows are scaled back and the communalities checked in a table.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/rotation.hpp"

namespace korvex::rotation {

namespace {

constexpr float tau = 0.00116f;       // smallest ratio of the pair sums that still turns
constexpr float half_root = 0.70710677f;  // single-precision square root of one half
constexpr float eps_cap = 0.0001f;    // a looser criterion from the card is tightened to this
constexpr std::int32_t max_evaluations = 49;
// Beyond this ratio t * t overflows; the angle formulas are then taken at their limit.
constexpr float ratio_limit = 1.0e18f;

constexpr std::string_view statistics_line =
    "Convergence statistics from varimax subroutine modified from a program in";
constexpr std::string_view change_title =
    "Change of Communalities from Initial Estimates to Final Value";

// Turns columns j and l of f by the pair's varimax angle.
void rotate_pair(std::span<float> f, std::int32_t numvar, std::int32_t j, std::int32_t l,
                 float n) {
  float a = 0.0f;
  float b = 0.0f;
  float c = 0.0f;
  float d = 0.0f;
  for (std::int32_t i = 1; i <= numvar; ++i) {
    const float x = f[rc(i, j)];
    const float y = f[rc(i, l)];
    const float u = x * x - y * y;
    const float v = 2.0f * x * y;
    a += u;
    b += v;
    c += u * u - v * v;
    d += 2.0f * u * v;
  }
  const float num = d - 2.0f * a * b / n;
  const float den = c - (a * a - b * b) / n;
  const plane_rotation r = varimax_pair_angle(num, den);
  if (!r.rotate) return;
  for (std::int32_t i = 1; i <= numvar; ++i) {
    const float x = f[rc(i, j)];
    const float y = f[rc(i, l)];
    f[rc(i, j)] = r.cos_phi * x + r.sin_phi * y;
    f[rc(i, l)] = r.cos_phi * y - r.sin_phi * x;
  }
}

}  // namespace

float gyro_varimax_criterion(std::span<const float> f, std::int32_t numvar, std::int32_t numfac) {
  const auto n = static_cast<float>(numvar);
  float total = 0.0f;
  for (std::int32_t m = 1; m <= numfac; ++m) {
    float s2 = 0.0f;
    float s4 = 0.0f;
    for (std::int32_t i = 1; i <= numvar; ++i) {
      const float sq = f[rc(i, m)] * f[rc(i, m)];
      s2 += sq;
      s4 += sq * sq;
    }
    total += (n * s4 - s2 * s2) / (n * n);
  }
  return total;
}

plane_rotation varimax_pair_angle(float num, float den) {
  plane_rotation r;
  float cos4 = 0.0f;
  float sin4 = 0.0f;
  if (den > num) {
    // den is 0 only with num < 0: the ratio is infinite and the formulas tend to (0, 1).
    const bool unbounded = den == 0.0f;
    const float t = unbounded ? 0.0f : std::fabs(num) / std::fabs(den);
    if (unbounded || t > ratio_limit) {
      cos4 = 0.0f;
      sin4 = 1.0f;
    } else if (t >= tau) {
      cos4 = 1.0f / std::sqrt(1.0f + t * t);
      sin4 = t * cos4;
    } else if (den >= 0.0f) {
      return r;
    } else {
      // Kept for completeness: den > num with den < 0 makes t at least 1.
      r.rotate = true;
      r.cos_phi = half_root;
      r.sin_phi = half_root;
      return r;
    }
  } else if (num > den) {
    // num is 0 only with den < 0: the ratio is infinite and the formulas tend to (1, 0).
    const bool unbounded = num == 0.0f;
    const float t = unbounded ? 0.0f : std::fabs(den) / std::fabs(num);
    if (unbounded || t > ratio_limit) {
      cos4 = 1.0f;
      sin4 = 0.0f;
    } else if (t >= tau) {
      sin4 = 1.0f / std::sqrt(1.0f + t * t);
      cos4 = t * sin4;
    } else {
      cos4 = 0.0f;
      sin4 = 1.0f;
    }
  } else if (num + den >= tau) {  // num = den
    cos4 = half_root;
    sin4 = half_root;
  } else {
    return r;  // equal sums below the threshold (or NaN sums): the pair stays
  }
  // Half angles twice: from 4 phi to phi.
  const float cos2 = std::sqrt((1.0f + cos4) * 0.5f);
  const float sin2 = sin4 / (2.0f * cos2);
  float cos_phi = std::sqrt((1.0f + cos2) * 0.5f);
  float sin_phi = sin2 / (2.0f * cos_phi);
  // Quadrant of 4 phi.
  if (den <= 0.0f) {
    const float cn = half_root * cos_phi + half_root * sin_phi;
    const float sn = std::fabs(half_root * cos_phi - half_root * sin_phi);
    cos_phi = cn;
    sin_phi = sn;
  }
  if (num <= 0.0f) sin_phi = -sin_phi;
  r.rotate = true;
  r.cos_phi = cos_phi;
  r.sin_phi = sin_phi;
  return r;
}

void gyro_varimax(std::span<float> f, std::int32_t numvar, std::int32_t numfac, float& before,
                  float& after, std::int32_t max_cycles, float criterion,
                  const variable_labels& labels, listing& out) {
  PAGER(0, out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen, statistics_line, out.page, out.lines, out.unit);
  PAGER(-2, out.page, out.lines, out.unit);
  write_formatted(out.unit, "(5X,\"Cycle\",4X,\"Variance\")");
  PAGER(-1, out.page, out.lines, out.unit);

  const float eps = std::min(criterion, eps_cap);
  const auto n = static_cast<float>(numvar);
  std::vector<float> history(max_evaluations + 1, 0.0f);  // history[0] = V_0 = 0
  std::vector<float> g(f.size(), 0.0f);

  // Each row to unit length. A row of zeros has no direction: it stays zero (h = 0) and so
  // adds nothing to the pair sums, where a division by 0 would make every sum NaN.
  std::vector<float> h(at(numvar) + 1, 0.0f);
  for (std::int32_t i = 1; i <= numvar; ++i) {
    float ss = 0.0f;
    for (std::int32_t m = 1; m <= numfac; ++m) ss += f[rc(i, m)] * f[rc(i, m)];
    h[at(i)] = std::sqrt(ss);
    for (std::int32_t m = 1; m <= numfac; ++m) f[rc(i, m)] = safe_div(f[rc(i, m)], h[at(i)]);
  }

  std::int32_t k = 0;
  for (;;) {
    ++k;
    history[static_cast<std::size_t>(k)] = gyro_varimax_criterion(f, numvar, numfac);
    for (std::int32_t m = 1; m <= numfac; ++m) {
      for (std::int32_t i = 1; i <= numvar; ++i) g[rc(i, m)] = f[rc(i, m)] * h[at(i)];
    }
    PAGER(1, out.page, out.lines, out.unit);
    write_formatted(out.unit, "(1X,I9,f12.8)", {k, history[static_cast<std::size_t>(k)]});
    if (k >= max_evaluations || k >= max_cycles ||
        std::fabs(history[static_cast<std::size_t>(k)] - history[static_cast<std::size_t>(k - 1)]) <=
            eps) {
      break;
    }
    for (std::int32_t j = 1; j <= numfac - 1; ++j) {
      for (std::int32_t l = j + 1; l <= numfac; ++l) rotate_pair(f, numvar, j, l, n);
    }
  }

  // The check table: initial and final communality of every variable and their change.
  std::vector<float> table(static_cast<std::size_t>(ld) * 3, 0.0f);
  for (std::int32_t i = 1; i <= numvar; ++i) {
    const float initial = h[at(i)] * h[at(i)];
    float final_value = 0.0f;
    for (std::int32_t m = 1; m <= numfac; ++m) final_value += g[rc(i, m)] * g[rc(i, m)];
    table[rc(i, 1)] = initial;
    table[rc(i, 2)] = final_value;
    table[rc(i, 3)] = final_value - initial;
  }
  const std::vector<std::string> heads = {io::pad("Initial", name_length),
                                          io::pad("Final", name_length),
                                          io::pad("Change", name_length)};
  const std::vector<std::int32_t> head_numbers = {1, 2, 3};
  pr_matrix_lab(table, labels.numbers, head_numbers, labels.names, heads, numvar, 3, ld, 1, 3,
                change_title, out.page, out.lines, out.unit);

  for (std::int32_t m = 1; m <= numfac; ++m) {
    for (std::int32_t i = 1; i <= numvar; ++i) f[rc(i, m)] = g[rc(i, m)];
  }
  before = history[1];
  after = history[static_cast<std::size_t>(k)];
}

}  // namespace korvex::rotation
