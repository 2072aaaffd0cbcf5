// The listing of a key-cluster analysis, written dimension by dimension as the passes run:
// the keys chosen and why, the reflected key cluster and how the reflection methods compare,
// what the new dimension explains; also the pass headings and, at the end, the key-variable
// table with the orthogonal coefficients and the exhaustion table of the summary.
#include <algorithm>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "factoring/cc5_internal.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex::cc5 {

namespace {

constexpr std::size_t title_length = 120;
constexpr std::size_t short_title_length = 100;

// A title built from a layout: written into a buffer of the given length and handed on
// trimmed.
std::string title(std::string_view layout, std::initializer_list<io::Value> values,
                  std::size_t length = title_length) {
  return std::string(io::trim_right(io::pad(io::format_line(layout, values), length)));
}

void line(std::string_view text, listing& o) {
  pr_line(-1, report_width(), text, o.page, o.lines, o.unit);
}

std::int32_t longest_name(const analysis& s) { return max_len_trim(s.VARNAM, s.c.numvar); }

// MB 1: the dimension line and, in the first pass, the sums and variances of the squared
// residual correlations, the keys, and the PSQ values behind the choice.
void key_report(analysis& s, std::int32_t L, std::int32_t nkeys,
                std::span<const std::int32_t> keys, std::int32_t mp) {
  listing& o = s.out;
  const control_block& c = s.c;
  const std::int32_t n = c.numvar;
  if (L > 1) PAGER(0, o.page, o.lines, o.unit);
  PAGER(-1, o.page, o.lines, o.unit);
  PAGER(1, o.page, o.lines, o.unit);
  line(title("(\"KEY CLUSTER DIMENSION \",I0)", {L}, short_title_length), o);
  if (mp == 1) return;

  PAGER(-2, o.page, o.lines, o.unit);
  std::vector<float> colss(static_cast<std::size_t>(n));
  column_sums_of_squares(s.R, colss, n);
  if (c.kshort == 0) {
    privo(colss, s.ORD, s.VARNAM, n, 1, 3,
          "SUM OF THE SQUARED CORRELATIONS FOR EACH VARIABLE (DIAGONAL INCLUDED)", o.page,
          o.lines, o.unit);
    privo(s.VSQ, s.ORD, s.VARNAM, n, 1, 3,
          "VARIANCE OF THE SQUARED CORRELATIONS FOR EACH VARIABLE (DIAGONAL INCLUDED)", o.page,
          o.lines, o.unit);
  }
  pr_ivector2(keys, s.ORD, s.VARNAM, nkeys, longest_name(s),
              title("(\"KEY VARIABLES DEFINING DIMENSION \",  I0, \"   (VARIABLE \",I0,\" IS THE "
                    "PIVOT VARIABLE)\")",
                    {L, s.ORD[at(keys[0])]}),
              o.page, o.lines, o.unit);
  if (c.kshort != 0) return;
  if (c.kon1 == 1) {
    std::vector<float> v(static_cast<std::size_t>(n));
    psq_row(keys[0], s.R, colss, v, n);
    privo(v, s.ORD, s.VARNAM, n, 1, 4,
          title("(\"PSQ VALUES FOR THE PIVOT VARIABLE OF DIMENSION \",I0)", {L}), o.page, o.lines,
          o.unit);
  } else if (c.kon1 == 2) {
    std::vector<float> table(static_cast<std::size_t>(n) * static_cast<std::size_t>(nkeys));
    std::vector<std::int32_t> colnum(static_cast<std::size_t>(nkeys));
    std::vector<std::string> colnames(static_cast<std::size_t>(nkeys));
    for (std::int32_t m = 1; m <= nkeys; ++m) {
      const std::int32_t key = keys[at(m)];
      psq_row(key, s.R, colss,
                  std::span<float>(table).subspan(static_cast<std::size_t>(m - 1) * n, n), n);
      colnum[at(m)] = s.ORD[at(key)];
      colnames[at(m)] = s.VARNAM[at(key)];
    }
    pr_matrix_lab(table, s.ORD, colnum, s.VARNAM, colnames, n, nkeys, n, 1, 3,
                  title("(\"PSQ VALUES FOR THE KEY VARIABLES OF DIMENSION \",I0)", {L}), o.page,
                  o.lines, o.unit);
  }
}

// MB 3: the reflection comparison and the reflected key submatrix (two keys or more).
void key_cluster(analysis& s, std::int32_t L, std::int32_t nkeys,
                 std::span<const std::int32_t> keys, std::span<const std::int32_t> refl,
                 std::int32_t mp) {
  if (nkeys < 2) return;
  listing& o = s.out;
  PAGER(-2, o.page, o.lines, o.unit);
  CC5_refl_compare(keys, refl, nkeys);
  PAGER(-2, o.page, o.lines, o.unit);
  const auto k = static_cast<std::size_t>(nkeys);
  std::vector<float> sub(k * k);
  std::vector<std::string> names(k);
  for (std::int32_t l = 1; l <= nkeys; ++l) {
    names[at(l)] = s.VARNAM[at(keys[at(l)])];
    for (std::int32_t m = 1; m <= nkeys; ++m) sub[at(l) * k + at(m)] = s.r(keys[at(m)], keys[at(l)]);
  }
  const std::string t =
      mp == 2 ? title("(\"CORRELATIONS BETWEEN THE KEY CLUSTER VARIABLES (AS REFLECTED) OF "
                      "DIMENSION \",I0)",
                      {L})
              : title("(\"RESIDUAL CORRELATIONS BETWEEN THE KEY CLUSTER VARIABLES (AS REFLECTED) "
                      "OF DIMENSION\",I0)",
                      {L});
  pr_matrix_tri(sub, names, nkeys, nkeys, 1, 3, t, o.page, o.lines, o.unit, 0,
                "Diagonal elements represent variable communalities");
}

// MB 4 (after the dimensionality test): what the new dimension explains.
void extracted(analysis& s, std::int32_t L, std::int32_t nkeys, std::span<const float> a,
               float rmsq, float pexh) {
  listing& o = s.out;
  const control_block& c = s.c;
  const std::int32_t n = c.numvar;
  const std::string hb(1, hard_blank);
  if (nkeys >= 2) {
    pr_scalar(c.mean_key_r, 1, 3,
              title("(\"MEAN CORRELATION BETWEEN THE KEY CLUSTER VARIABLES (AS REFLECTED) OF "
                    "DIMENSION\",A1,I0,\"   (DIAGONAL ELEMENTS ARE INCLUDED)\")",
                    {hb, L}),
              o.page, o.lines, o.unit);
  }
  if (c.kshort == 0) {
    privo(a, s.ORD, s.VARNAM, n, 1, 3, title("(\"FACTOR COEFFICIENTS ON DIMENSION \",I0)", {L}),
          o.page, o.lines, o.unit);
    privo(s.ASQ, s.ORD, s.VARNAM, n, 1, 3,
          title("(\"PARTIAL COMMUNALITIES OF DIMENSION \",I0)", {L}), o.page, o.lines, o.unit);
    privo(s.H, s.ORD, s.VARNAM, n, 1, 3, title("(\"CUMULATIVE SUM OF PARTIAL COMMUNALITIES\")", {}),
          o.page, o.lines, o.unit);
  }
  const std::string plural = L > 1 ? "S" : " ";
  pr_scalar(safe_div(vec_sum(s.H, n), c.sum_h), 1, 3,
            title("(\"PROPORTION OF INITIAL COMMUNALITY EXHAUSTED BY \",I0,\" DIMENSION\", A1)",
                  {L, plural}),
            o.page, o.lines, o.unit);
  pr_scalar(rmsq, 1, 3, "MEAN SQUARED RESIDUAL CORRELATION", o.page, o.lines, o.unit);
  pr_scalar(pexh, 1, 3,
            title("(\"PROPORTION OF MEAN SQUARE OF RAW CORRELATION MATRIX EXHAUSTED BY \",I0,\" "
                  "DIMENSION\", A1)",
                  {L, plural}),
            o.page, o.lines, o.unit);
  if (c.kprt1 == 2) {
    pr_matrix_lab(s.R, s.ORD, s.ORD, s.VARNAM, s.VARNAM, n, n, ld, 1, 3, "RESIDUAL MATRIX",
                  o.page, o.lines, o.unit);
  }
}

}  // namespace

void CC5_print2(std::int32_t L, std::int32_t nkeys, std::span<const std::int32_t> keys,
                std::span<const float> a, std::span<const std::int32_t> refl, float rmsq,
                float pexh, std::int32_t mp, std::int32_t mb) {
  analysis& s = state();
  if (mp != 1 && mp != 2) proc_error("CC5_print2: invalid MP");
  if (s.c.kmode == 1) {
    if (mb == 4) CCTST1(L);
    return;
  }
  switch (mb) {
    case 1:
      key_report(s, L, nkeys, keys, mp);
      break;
    case 3:
      key_cluster(s, L, nkeys, keys, refl, mp);
      break;
    case 4:
      CCTST1(L);
      if (s.c.kmode == 2) extracted(s, L, nkeys, a, rmsq, pexh);
      break;
    default:
      proc_error("CC5_print2: invalid MB");
  }
}

void CC5_iter_title() {
  analysis& s = state();
  if (s.c.kmode != 2) return;
  listing& o = s.out;
  PAGER(0, o.page, o.lines, o.unit);
  PAGER(-1, o.page, o.lines, o.unit);
  pr_line(0, report_width(),
          title("(\"DIMENSIONAL ANALYSIS ITERATION NUMBER \",I0)", {s.c.iter_no}, short_title_length),
          o.page, o.lines, o.unit);
}

// The comparison columns sit under headings placed by counts written into the layouts at
// run time: c = (ncline - 1) / 5 columns per method, h = c / 2 before the first.
void CC5_refl_compare(std::span<const std::int32_t> keys, std::span<const std::int32_t> refl,
                      std::int32_t nkeys) {
  analysis& s = state();
  listing& o = s.out;
  if (s.c.iter_no == 1) {
    const float den = static_cast<float>(nkeys * nkeys - nkeys);
    const float t1 = s.RSUM[0] / den;
    const float t2 = s.RSUM[1] / den;
    const float t3 = s.RSUM[2] / den;
    const float t4 = s.RSUM[3] / den;
    PAGER(-1, o.page, o.lines, o.unit);
    line(" MEAN OFF-DIAGONAL CORRELATION BETWEEN KEY VARIABLES RESULTING FROM DIFFERENT "
         "REFLECTION METHODS",
         o);
    PAGER(-1, o.page, o.lines, o.unit);
    PAGER(3, o.page, o.lines, o.unit);
    const std::int32_t c = (get_ncline() - 1) / 5;
    const std::int32_t h = c / 2;
    const auto count = [](std::int32_t v) { return std::clamp(v, 1, 999); };
    write_formatted(o.unit,
                    io::format_line("(\"(\",I3.3,\"X,\"\"FIRST\"\"\",I3.3,\"X,          "
                                    "\"\"SIGNED\"\")\")",
                                    {count(2 * c + h - 5), count(c - 6)}));
    write_formatted(o.unit,
                    io::format_line("(\"(\",I3.3,\"X,\"\"OPTIMAL\"\"\",I3.3,\"X,       "
                                    "\"\"POWER\"\"\",I3.3,\"X,\"\"SQUARED\"\"\",I3.3,"
                                    "\"X,\"\"CUBED\"\")\")",
                                    {count(c + h - 7), count(c - 5), count(c - 7), count(c - 5)}));
    write_formatted(o.unit, io::format_line("(\"(\",I3.3,\"X,4F\",I3.3,\".4)\")", {count(h), count(c)}),
                    {t4, t1, t2, t3});
    PAGER(-1, o.page, o.lines, o.unit);
  }
  if (s.c.iter_no != 1 && s.c.kprt2 != 2) return;
  std::vector<std::int32_t> reflected;
  for (std::int32_t k = 1; k <= nkeys; ++k) {
    if (refl[at(k)] < 0) reflected.push_back(keys[at(k)]);
  }
  if (reflected.empty()) {
    line(" VARIABLES REFLECTED", o);
    PAGER(-2, o.page, o.lines, o.unit);
    line(io::format_line("(6X,\"NONE\")", {}), o);
    return;
  }
  pr_ivector2(reflected, s.ORD, s.VARNAM, static_cast<std::int32_t>(reflected.size()),
              longest_name(s), "VARIABLES REFLECTED", o.page, o.lines, o.unit);
}

void CC5_ortho_coef() {
  analysis& s = state();
  listing& o = s.out;
  const control_block& c = s.c;
  Pr_indicator(s.REFL, s.NDEF, s.DIMNUM, s.DNAMES, s.ORD, s.VARNAM, c.numvar, c.nf, o.page,
               o.lines, o.unit);
  pr_matrix_lab(s.A, s.ORD, s.DIMNUM, s.VARNAM, s.DNAMES, c.numvar, c.nf, ld, 1, 3,
                "ORTHO. FACTOR COEFFICIENTS", o.page, o.lines, o.unit);
}

void CC5_exhaustion() {
  analysis& s = state();
  listing& o = s.out;
  const control_block& c = s.c;
  const std::int32_t n = c.numvar;
  std::vector<float> mrc(static_cast<std::size_t>(c.nf));
  float total = vec_sum(s.H, n);
  for (std::int32_t L = 1; L <= c.nf; ++L) {
    const std::span<const float> a = s.a(L);
    float t = 0.0f;
    for (std::int32_t i = 1; i <= n; ++i) t = t + a[at(i)] * a[at(i)];
    total = total - t;
    mrc[at(L)] = total / c.fnvar;
  }
  PAGER(-2, o.page, o.lines, o.unit);
  pr_vector(mrc, s.DNAMES, c.nf, 1, 3,
            title("(\"MEAN RESIDUAL CONVERGED COMMUNALITY AFTER EACH OF THE \",I0,\" SUCCESSIVE "
                  "DIMENSIONS\")",
                  {c.nf}),
            o.page, o.lines, o.unit);
  pr_vector(s.PCOMM, s.DNAMES, c.nf, 1, 3,
            title("(\"CUMULATIVE PROPORTION OF CONVERGED COMMUNALIITY EXHAUSTED BY THE \", I0, "
                  "\" SUCCESSIVE DIMENSIONS\")",
                  {c.nf}),
            o.page, o.lines, o.unit);
  pr_vector(s.RMSQ, s.DNAMES, c.nf, 1, 3,
            title("(\"MEAN SQUARED RESIDUAL CORRELATION REMAINING AFTER EACH OF THE \", I0,\" "
                  "SUCCESSIVE DIMENSIONS\")",
                  {c.nf}),
            o.page, o.lines, o.unit);
  pr_vector(s.PEXH, s.DNAMES, c.nf, 1, 3,
            title("(\"CUMULATIVE PROPORTION OF M.S. OF RAW CORRELATION MATRIX EXHAUSTED BY THE "
                  "\",I0,\" SUCCESSIVE DIMENSIONS\")",
                  {c.nf}),
            o.page, o.lines, o.unit);
}

}  // namespace korvex::cc5
