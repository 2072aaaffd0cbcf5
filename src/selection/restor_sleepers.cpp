// The sleeper variables' share of a reactivation: their coefficients on the dimensions that
// the key-cluster analysis extracted from the active variables (least squares through the
// inverted cross-products of the active coefficients), the report of those coefficients,
// and the partial, cumulative and total communalities that become DIAGV1.
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/restor_int.hpp"
#include "storage/storage.hpp"

namespace korvex::restor {

namespace {

constexpr std::size_t table_title_width = 100;

inline std::size_t wc(std::int32_t i, std::int32_t j) {
  return static_cast<std::size_t>(j - 1) * ldw + static_cast<std::size_t>(i - 1);
}

// The rows numact+1..numvar of a 999-row table, labelled with the sleepers' original
// numbers and names, one column per dimension.
void print_sleeper_rows(restor_run& run, std::span<const float> table, std::string_view title) {
  const auto first = at(run.numact + 1);
  pr_matrix_lab(std::span<const float>(table).subspan(first),
                std::span<const std::int32_t>(run.order).subspan(first), run.dim_numbers,
                std::span<const std::string>(run.names).subspan(first), run.dim_names,
                run.numdel, run.numfac, ld, 1, 3, io::pad(title, table_title_width),
                run.out.page, run.out.lines, run.out.unit);
}

}  // namespace

bool restor_invert(std::span<float> a, std::int32_t n, float tiny) {
  std::vector<std::int32_t> mark(static_cast<std::size_t>(n), 0);
  std::vector<std::int32_t> row_of(static_cast<std::size_t>(n), 0);
  std::vector<std::int32_t> col_of(static_cast<std::size_t>(n), 0);
  for (std::int32_t p = 1; p <= n; ++p) {
    float big = 0.0f;
    std::int32_t r = 0;
    std::int32_t c = 0;
    for (std::int32_t j = 1; j <= n; ++j) {
      if (mark[at(j)] == 1) continue;
      for (std::int32_t k = 1; k <= n; ++k) {
        if (mark[at(k)] == 1) continue;
        if (std::fabs(a[wc(j, k)]) > std::fabs(big)) {
          big = a[wc(j, k)];
          r = j;
          c = k;
        }
      }
    }
    // No pivot of its own: the pass would divide by zero or by rounding noise.
    if (c == 0 || !(std::fabs(big) > tiny)) return false;
    ++mark[at(c)];
    row_of[at(p)] = r;
    col_of[at(p)] = c;
    if (r != c) {
      for (std::int32_t k = 1; k <= n; ++k) std::swap(a[wc(r, k)], a[wc(c, k)]);
    }
    const float pivot = a[wc(c, c)];
    a[wc(c, c)] = 1.0f;
    for (std::int32_t k = 1; k <= n; ++k) a[wc(c, k)] = a[wc(c, k)] / pivot;
    for (std::int32_t l = 1; l <= n; ++l) {
      if (l == c) continue;
      const float f = a[wc(l, c)];
      a[wc(l, c)] = 0.0f;
      for (std::int32_t k = 1; k <= n; ++k) a[wc(l, k)] = a[wc(l, k)] - f * a[wc(c, k)];
    }
  }
  for (std::int32_t p = n; p >= 1; --p) {
    const std::int32_t r = row_of[at(p)];
    const std::int32_t c = col_of[at(p)];
    if (r == c) continue;
    for (std::int32_t k = 1; k <= n; ++k) std::swap(a[wc(k, r)], a[wc(k, c)]);
  }
  return true;
}

void restor_sleeper_factors(restor_run& run) {
  const std::int32_t nf = run.numfac;
  const std::int32_t na = run.numact;
  if (na < nf) {
    proc_error("RESTOR: " + std::to_string(na) + " active variables cannot carry " +
               std::to_string(nf) +
               " dimensions; the sleeper coefficients would be undetermined.");
  }
  std::vector<float> w(static_cast<std::size_t>(ldw) * ldw, 0.0f);
  float largest = 0.0f;
  for (std::int32_t j = 1; j <= nf; ++j) {
    for (std::int32_t k = 1; k <= nf; ++k) {
      float s = 0.0f;
      for (std::int32_t a = 1; a <= na; ++a) s += run.f[rc(a, j)] * run.f[rc(a, k)];
      w[wc(j, k)] = s;
      largest = std::fmax(largest, std::fabs(s));
    }
  }
  // Pivots this small against the largest cross-product are single-precision rounding of a
  // singular matrix; inverting them would store noise as coefficients.
  const float tiny = static_cast<float>(nf) * FLT_EPSILON * largest;
  if (!restor_invert(w, nf, tiny)) {
    proc_error("RESTOR: the factor coefficients of the active variables are linearly "
               "dependent (F'F is singular); the sleeper coefficients cannot be computed.");
  }
  std::vector<float> g(static_cast<std::size_t>(ldw) * static_cast<std::size_t>(std::max(na, 1)),
                       0.0f);
  for (std::int32_t k = 1; k <= nf; ++k) {
    for (std::int32_t a = 1; a <= na; ++a) {
      float s = 0.0f;
      for (std::int32_t m = 1; m <= nf; ++m) s += w[wc(k, m)] * run.f[rc(a, m)];
      g[wc(k, a)] = s;
    }
  }
  for (std::int32_t sl = na + 1; sl <= run.numvar; ++sl) {
    for (std::int32_t k = 1; k <= nf; ++k) {
      float s = 0.0f;
      for (std::int32_t a = 1; a <= na; ++a) s += run.r[rc(a, sl)] * g[wc(k, a)];
      run.f[rc(sl, k)] = s;
    }
  }
}

void restor_print_sleepers(restor_run& run) {
  if (run.reflections_found) {
    Pr_indicator(run.reflections, run.reflection_counts, run.dim_numbers, run.dim_names,
                 run.order, run.names, run.numact, run.numfac, run.out.page, run.out.lines,
                 run.out.unit);
  }
  PAGER(-2, run.out.page, run.out.lines, run.out.unit);
  print_sleeper_rows(run, run.f, "FACTOR COEFFICIENTS OF SLEEPER VARIABLES");
}

void restor_communalities(restor_run& run) {
  std::vector<float> q(static_cast<std::size_t>(ld) * selection::max_dimensions, 0.0f);
  for (std::int32_t k = 1; k <= run.numfac; ++k) {
    for (std::int32_t i = 1; i <= run.numvar; ++i) q[rc(i, k)] = run.f[rc(i, k)] * run.f[rc(i, k)];
  }
  print_sleeper_rows(run, q, "PARTIAL COMMUNALITIES");
  for (std::int32_t k = 2; k <= run.numfac; ++k) {
    for (std::int32_t i = 1; i <= run.numvar; ++i) q[rc(i, k)] = q[rc(i, k)] + q[rc(i, k - 1)];
  }
  print_sleeper_rows(run, q, "CUMULATIVE COMMUNALITIES AND TOTAL COMMUNALITY");

  std::vector<float> h(static_cast<std::size_t>(run.numvar), 0.0f);
  for (std::int32_t i = 1; i <= run.numvar; ++i) h[at(i)] = q[rc(i, run.numfac)];
  selection::permute_items<float>(h, run.numvar, run.inverse);
  Kpar kpar{};
  std::int32_t notfound = 0;
  make_kpar(kpar, run.numvar, 1, 0);
  isf_real_vector("DIAGV1", 1, kpar, notfound, h);
}

}  // namespace korvex::restor
