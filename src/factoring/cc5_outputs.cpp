// The results of a key-cluster analysis: the ISF entries CLUST1, REFLX1, DIAGV1 and UFACT1
// that rotation, residuals, reactivation, scoring and structure read; the tables of
// communality change, partial and cumulative communalities and augmented coefficients of
// the summary; and the title block printed once the inputs are read.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/utilities.hpp"
#include "factoring/cc5_internal.hpp"
#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"

namespace korvex::cc5 {

namespace {

// A table of n rows and nf columns with leading dimension 999, filled by f(i, L).
template <typename F>
std::vector<float> dimension_table(std::int32_t n, std::int32_t nf, F f) {
  std::vector<float> t(static_cast<std::size_t>(ld) * static_cast<std::size_t>(std::max(nf, 1)),
                       0.0f);
  for (std::int32_t L = 1; L <= nf; ++L) {
    for (std::int32_t i = 1; i <= n; ++i) t[rc(i, L)] = f(i, L);
  }
  return t;
}

// A table with variables as rows and dimensions as columns.
void print_dimension_table(analysis& s, std::span<const float> t, std::string_view heading) {
  listing& o = s.out;
  pr_matrix_lab(t, s.ORD, s.DIMNUM, s.VARNAM, s.DNAMES, s.c.numvar, s.c.nf, ld, 1, 3, heading,
                o.page, o.lines, o.unit);
}

}  // namespace

// Nothing reaches the ISF unless every coefficient is a finite number (a correlation
// matrix holding values that are not numbers could otherwise carry them into UFACT1).
void CC5_output() {
  analysis& s = state();
  const control_block& c = s.c;
  const std::int32_t n = c.numvar;
  for (std::int32_t L = 1; L <= c.nf; ++L) {
    for (std::int32_t i = 1; i <= n; ++i) {
      if (!std::isfinite(s.A[rc(i, L)])) {
        proc_error("CC5_output: a factor coefficient is not a finite number; nothing stored.");
      }
    }
  }
  Kpar kpar{};
  std::int32_t notfound = 0;
  make_kpar(kpar, c.nf, 0, 0);
  isf_int_table("CLUST1", 1, kpar, notfound, s.NDEF, s.KEYS);
  make_kpar(kpar, c.nf, 0, 0);
  isf_int_table("REFLX1", 1, kpar, notfound, s.NDEF, s.REFL);
  for (std::int32_t i = 1; i <= n; ++i) s.DIAGIN[at(i)] = 0.0f;
  for (std::int32_t L = 1; L <= c.nf; ++L) {
    for (std::int32_t i = 1; i <= n; ++i) {
      const float a = s.A[rc(i, L)];
      s.DIAGIN[at(i)] = s.DIAGIN[at(i)] + a * a;
    }
  }
  make_kpar(kpar, n, 1, 0);
  isf_real_matrix("DIAGV1", 1, kpar, notfound, s.DIAGIN);
  make_kpar(kpar, n, c.nf, 0);
  isf_real_matrix("UFACT1", 1, kpar, notfound, s.A);
}

void CC5_comm_change() {
  analysis& s = state();
  listing& o = s.out;
  const std::int32_t n = s.c.numvar;
  const std::vector<float> t = dimension_table(n, 3, [&](std::int32_t i, std::int32_t L) {
    switch (L) {
      case 1:
        return s.HINIT[at(i)];
      case 2:
        return s.H[at(i)];
      default:
        return s.H[at(i)] - s.HINIT[at(i)];
    }
  });
  const std::vector<std::string> columns = {io::pad("Initial", name_length),
                                            io::pad("Final", name_length),
                                            io::pad("Change", name_length)};
  const std::vector<std::int32_t> numbers = {1, 2, 3};
  pr_matrix_lab(t, s.ORD, numbers, s.VARNAM, columns, n, 3, ld, 1, 3,
                "Change of Communalities from Initial Estimates to Final Values", o.page, o.lines,
                o.unit);
}

// A variable (or a whole solution) with no final communality has its ratios printed as 0.
void CC5_communalities() {
  analysis& s = state();
  const control_block& c = s.c;
  const std::int32_t n = c.numvar;
  const std::int32_t nf = c.nf;
  const auto a = [&](std::int32_t i, std::int32_t L) { return s.A[rc(i, L)]; };

  const std::vector<float> partial =
      dimension_table(n, nf, [&](std::int32_t i, std::int32_t L) { return a(i, L) * a(i, L); });
  if (c.kshort == 0) print_dimension_table(s, partial, "PARTIAL COMMUNALITIES");

  std::vector<float> cumulative = partial;
  for (std::int32_t L = 2; L <= nf; ++L) {
    for (std::int32_t i = 1; i <= n; ++i) {
      cumulative[rc(i, L)] = cumulative[rc(i, L - 1)] + a(i, L) * a(i, L);
    }
  }
  print_dimension_table(s, cumulative, "CUMULATIVE COMMUNALITIES AND TOTAL COMMUNALITY");

  for (std::int32_t L = 1; L <= nf; ++L) {
    float t = 0.0f;
    for (std::int32_t i = 1; i <= n; ++i) t = t + cumulative[rc(i, L)];
    s.PCOMM[at(L)] = t;
  }
  const float total = s.PCOMM[at(nf)];
  for (std::int32_t L = 1; L <= nf; ++L) s.PCOMM[at(L)] = safe_div(s.PCOMM[at(L)], total);

  const auto final_h = [&](std::int32_t i) { return cumulative[rc(i, nf)]; };
  if (c.kshort == 0) {
    const std::vector<float> augmented = dimension_table(n, nf, [&](std::int32_t i, std::int32_t L) {
      return safe_div(a(i, L), std::sqrt(final_h(i)));
    });
    print_dimension_table(s, augmented, "AUGMENTED FACTOR COEFFICIENTS");
    const std::vector<float> squared = dimension_table(n, nf, [&](std::int32_t i, std::int32_t L) {
      return safe_div(a(i, L) * a(i, L), final_h(i));
    });
    print_dimension_table(s, squared, "SQUARED AUGMENTED CORRELATIONS");
  }
}

void CC5_title() {
  analysis& s = state();
  listing& o = s.out;
  const std::int32_t w = std::min(get_ncline() - 1, 100);
  pr_line(0, w, "CUMULATIVE COMMUNALITY (CC) KEY CLUSTER ANALYSIS", o.page, o.lines, o.unit);
  PAGER(-4, o.page, o.lines, o.unit);
  pr_scalar(s.c.raw_msq, 1, 3, "MEAN SQUARE, M.S., OF RAW CORRELATION MATRIX EXCLUDING DIAGONAL",
            o.page, o.lines, o.unit);
  PAGER(-1, o.page, o.lines, o.unit);
  pr_line(-1, w, "INITIAL ESTIMATES OF COMMUNIALITY ARE FOUND IN DVP.", o.page, o.lines, o.unit);
  PAGER(-4, o.page, o.lines, o.unit);
  pr_scalar(s.c.sum_h, 1, 3, "SUM OF ESTIMATED COMMUNALITIES", o.page, o.lines, o.unit);
  CC5_iter_title();
}

}  // namespace korvex::cc5
