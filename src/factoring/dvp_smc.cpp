// Method 10 of DVP, squared multiple correlations: each variable's communality estimate is
// 1 - 1/r^jj from the inverse of the correlation matrix with unit diagonal. INVRNK inverts
// the 999 x 999 work matrix in place and reports the rank of a singular one, in which case
// the driver's pass falls back to the highest absolute correlations.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "factoring/dvp_internal.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex::dvp {

namespace {

constexpr float singular_pivot = 1.0e-8f;

// The rank report of a singular matrix: the rank and the rows that served as pivots.
constexpr const char* singular_report_layout =
    "(/' *** Error: The matix inversion routine has detect','ed a singularity.'"
    "/'     The matrix is of rank ',I3,'.'"
    "/'     The following is a set of linearly independent rows: '//6X,(10I8))";

constexpr const char* singular_warning_layout =
    "(//'*** WARNING: CORRELATION MATRIX IS SINGULAR, METHOD CHANGED TO HIGHEST R'/)";

// Finds the pivot of one step: the largest |a(j, k)| over unused rows j and columns k, the
// first in row-major order among equal magnitudes. The scan runs down the columns (the
// matrix is stored by columns) and settles ties by the smaller row, then the earlier column,
// which is the same choice. Returns best = 0 when every candidate is 0 (or not a number).
void find_pivot(std::span<const float> a, std::int32_t ld, std::span<const std::int32_t> unused,
                float& best, float& pivot, std::int32_t& prow, std::int32_t& pcol) {
  best = 0.0f;
  pivot = 0.0f;
  prow = 0;
  pcol = 0;
  for (const std::int32_t k : unused) {
    const float* column = a.data() + static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(ld);
    for (const std::int32_t j : unused) {
      const float v = std::fabs(column[j - 1]);
      if (v > best || (v == best && best > 0.0f && j < prow)) {
        best = v;
        pivot = column[j - 1];
        prow = j;
        pcol = k;
      }
    }
  }
}

}  // namespace

// Contract in dvp_internal.hpp. Rows and columns share one index set in mark: 0 unused, -1
// used as pivot without an exchange, s used as the pivot of the s-th row exchange, whose
// partner row jrow keeps.
void INVRNK(std::span<float> a, std::span<std::int32_t> jrow, std::span<std::int32_t> mark,
            std::int32_t ld, std::int32_t n, float& det, std::int32_t& singular,
            std::int32_t unit) {
  singular = 0;
  det = 1.0f;
  std::int32_t exchanges = 0;
  if (n < 1) return;
  assert(jrow.size() >= at(n) + 1 && mark.size() >= at(n) + 1 && ld >= n);
  assert(a.size() >= static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(ld) + static_cast<std::size_t>(n));
  for (std::int32_t i = 1; i <= n; ++i) {
    mark[at(i)] = 0;
    jrow[at(i)] = 0;
  }
  const auto col = [&](std::int32_t k) {
    return a.data() + static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(ld);
  };

  std::int32_t rank = n;
  std::vector<std::int32_t> unused;
  std::vector<float> t(static_cast<std::size_t>(n));
  unused.reserve(static_cast<std::size_t>(n));
  for (std::int32_t step = 1; step <= n; ++step) {
    unused.clear();
    for (std::int32_t i = 1; i <= n; ++i) {
      if (mark[at(i)] == 0) unused.push_back(i);
    }
    float best = 0.0f;
    float pivot = 0.0f;
    std::int32_t prow = 0;
    std::int32_t pcol = 0;
    find_pivot(a, ld, unused, best, pivot, prow, pcol);
    if (best < singular_pivot) {
      rank = step - 1;
      det = 0.0f;
      singular = 1;
      break;
    }
    det *= pivot;
    mark[at(pcol)] = -1;
    if (prow != pcol) {
      ++exchanges;
      mark[at(pcol)] = exchanges;
      det = -det;
      jrow[at(pcol)] = prow;
      for (std::int32_t m = 1; m <= n; ++m) std::swap(col(m)[prow - 1], col(m)[pcol - 1]);
    }
    const float rp = 1.0f / pivot;
    col(pcol)[pcol - 1] = 1.0f;
    for (std::int32_t m = 1; m <= n; ++m) col(m)[pcol - 1] *= rp;

    // Each element changes once per step, so the update can run column by column.
    float* const cp = col(pcol);
    for (std::int32_t l = 1; l <= n; ++l) t[at(l)] = cp[l - 1];
    t[at(pcol)] = 0.0f;
    for (std::int32_t m = 1; m <= n; ++m) {
      if (m == pcol) continue;
      float* const cm = col(m);
      const float s = cm[pcol - 1];
      for (std::int32_t l = 0; l < n; ++l) cm[l] -= t[static_cast<std::size_t>(l)] * s;
      cm[pcol - 1] = s;
    }
    for (std::int32_t l = 1; l <= n; ++l) {
      if (l != pcol) cp[l - 1] = -(rp * t[at(l)]);
    }
  }

  // Undo the exchanges, last first, as column exchanges.
  std::int32_t from = 1;
  for (std::int32_t s = exchanges; s >= 1; --s) {
    std::int32_t i = from;
    for (std::int32_t tries = 0; tries < n && mark[at(i)] != s; ++tries) i = i % n + 1;
    assert(mark[at(i)] == s);
    const std::int32_t p = jrow[at(i)];
    std::swap(mark[at(i)], mark[at(p)]);
    for (std::int32_t r = 1; r <= n; ++r) std::swap(col(i)[r - 1], col(p)[r - 1]);
    from = i % n + 1;
  }

  if (singular == 0) return;
  std::vector<io::Value> items;
  items.emplace_back(rank);
  for (std::int32_t j = 1; j <= n; ++j) {
    if (mark[at(j)] != 0) items.emplace_back(j);
  }
  write_formatted(unit, singular_report_layout, items);
}

bool squared_multiple_correlations(listing& out) {
  dvp_state_record& s = dvp_state();
  const std::int32_t n = s.numvar;
  const auto side = static_cast<std::size_t>(n);
  std::vector<float> saved = guarded_alloc("dvp: SMC: saved", [&] { return std::vector<float>(side * side); });
  for (std::int32_t k = 1; k <= n; ++k) {
    std::copy_n(&s.R[rc(1, k)], side, &saved[at(k) * side]);
  }
  for (std::int32_t j = 1; j <= n; ++j) s.r(j, j) = 1.0f;
  std::vector<std::int32_t> jrow(1000);
  std::vector<std::int32_t> mark(1000);
  float det = 0.0f;
  std::int32_t singular = 0;
  INVRNK(s.R, jrow, mark, max_vars, n, det, singular, out.unit);

  // An inverse whose diagonal overflowed is no more usable than a singular matrix.
  bool usable = singular == 0;
  for (std::int32_t j = 1; usable && j <= n; ++j) usable = std::isfinite(s.r(j, j));
  if (!usable) {
    PAGER(4, out.page, out.lines, out.unit);
    write_formatted(out.unit, singular_warning_layout);
    s.method = 50;
    for (std::int32_t k = 1; k <= n; ++k) {
      std::copy_n(&saved[at(k) * side], side, &s.R[rc(1, k)]);
    }
    HAT();
    return false;
  }
  for (std::int32_t j = 1; j <= n; ++j) {
    const float smc = 1.0f - safe_div(1.0f, s.r(j, j));
    s.diag[at(j)] = smc;
    if (smc >= 0.0f && smc < 1.0f) continue;
    std::string value = io::format_line("(F10.3)", {smc});
    value.erase(0, value.find_first_not_of(' '));
    const std::string text = "*** WARNING: SQUARED MULTIPLE CORRELATION OF VARIABLE " +
                             io::format_line("(I3)", {s.varnum[at(j)]}) + " IS " + value +
                             " (NOT IN 0 TO 1): MATRIX NOT POSITIVE DEFINITE";
    pr_line(-1, get_ncline_m1(), text, out.page, out.lines, out.unit);
  }
  return true;
}

}  // namespace korvex::dvp
