// Oblique cluster domains of CSA2: the weighted definer sums, the correlations between the
// domains (stored as BASIS1), the validities of the raw cluster scores, the correlations of
// the variables with the domains (stored as RFACT1), the raw-score tables, the augmented
// matrices and the generality table. All arithmetic is single precision, in index order.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"
#include "structure/csa2_internal.hpp"

namespace korvex::csa2 {

namespace {

std::int32_t definer(state& s, std::int32_t j, std::int32_t c) {
  const std::int32_t v = s.IR(j, c);
  return v < 0 ? -v : v;
}

// The weights and definer numbers of every cluster, without page accounting. A line holds
// 20 weights; a cluster of more than 40 definers goes on over further lines of 20.
void debug_weights(state& s) {
  write_formatted(s.monout, "(1X,A)", {"DEBUG PRINTOUT OF W(I,J)"});
  write_formatted(s.monout, "(1X)");
  for (std::int32_t c = 1; c <= s.ncl; ++c) {
    const std::int32_t n = s.ircnt[at(c)];
    std::vector<io::Value> w{c};
    for (std::int32_t j = 1; j <= std::min(n, 40); ++j) w.emplace_back(s.WGT(j, c));
    write_formatted(s.monout, "(1X,I3,4X,20F4.0/8X,20F4.0)", w);
    if (n > 40) {
      std::vector<io::Value> rest;
      for (std::int32_t j = 41; j <= n; ++j) rest.emplace_back(s.WGT(j, c));
      write_formatted(s.monout, "(8X,20F4.0)", rest);
    }
    std::vector<io::Value> nums;
    for (std::int32_t j = 1; j <= n; ++j) nums.emplace_back(s.varnum[at(definer(s, j, c))]);
    write_formatted(s.monout, "(8x,20I4/8x,20I4)", nums);
    write_formatted(s.monout, "(1x)");
  }
}

// SUM(c,e): the weighted sum of the correlations between the definers of c and e. A
// cluster whose own sum is not positive has no domain: the run stops before anything is
// stored, since its square root would put NaN or infinities into BASIS1 and RFACT1.
void cluster_sums(state& s) {
  for (std::int32_t e = 1; e <= s.ncl; ++e) {
    for (std::int32_t c = 1; c <= s.ncl; ++c) {
      float x = 0.0f;
      for (std::int32_t j = 1; j <= s.ircnt[at(c)]; ++j) {
        for (std::int32_t k = 1; k <= s.ircnt[at(e)]; ++k) {
          x += s.WGT(j, c) * s.WGT(k, e) * s.A(definer(s, j, c), definer(s, k, e));
        }
      }
      s.sum[rc(c, e, ld_clu)] = x;
    }
  }
  for (std::int32_t c = 1; c <= s.ncl; ++c) {
    const float x = s.sum[rc(c, c, ld_clu)];
    if (!(x > 0.0f)) {
      proc_error("CSA2: cluster " + std::to_string(c) + " (" +
                 std::string(io::trim_right(s.clunam[at(c)])) +
                 ") has no domain: definer sum " +
                 (std::isnan(x) ? std::string("not a number") : std::string("not positive")) + ".");
    }
  }
}

// Writes a real matrix of rows x cols (leading dimension ld) under label, one record a column.
void store(std::string_view label, const std::vector<float>& m, std::int32_t rows,
           std::int32_t cols, std::int32_t ld) {
  std::vector<float> out(static_cast<std::size_t>(ld_var) * cols, 0.0f);
  for (std::int32_t j = 1; j <= cols; ++j) {
    for (std::int32_t i = 1; i <= rows; ++i) out[rc(i, j, ld_var)] = m[rc(i, j, ld)];
  }
  Kpar kpar{2, rows, cols};
  std::int32_t notfound = 0;
  isf_real_matrix(label, 1, kpar, notfound, out);
}

// The generality table of the clusters (communality sum, mean square of A, and per cluster
// the share of it that the domain reproduces).
void generality(state& s) {
  const std::int32_t nv = s.nv;
  float suma = 0.0f;
  float diag2 = 0.0f;
  float off2 = 0.0f;
  for (std::int32_t i = 1; i <= nv; ++i) {
    suma += s.A(i, i);
    diag2 += s.A(i, i) * s.A(i, i);
  }
  for (std::int32_t i = 1; i <= nv; ++i) {
    for (std::int32_t j = i + 1; j <= nv; ++j) off2 += s.A(i, j) * s.A(i, j);
  }
  const float nv2 = static_cast<float>(nv) * static_cast<float>(nv);
  const float b = (diag2 + 2.0f * off2) / nv2;
  const float rms = safe_sqrt(b);

  pager(s, s.ncl + 25);
  const std::string hb(32, hard_blank);
  const auto h = [&](std::size_t n) { return std::string_view(hb).substr(0, n); };
  const auto blanks = [&](std::size_t n) {
    std::vector<io::Value> v;
    for (std::size_t i = 0; i < n; ++i) v.emplace_back(h(1));
    return v;
  };
  const auto text_n = [&](std::string_view layout, std::size_t n, std::vector<io::Value> more) {
    std::vector<io::Value> v = blanks(n);
    v.insert(v.end(), more.begin(), more.end());
    line(s, -1, io::format(layout, v).front());
  };
  line(s, -1, "GENERALITY OF EACH OBLIQUE CLUSTER");
  pager(s, -4);
  text_n("(10A1,\"A - SUM OF COMMUNALITIES\",25X,F8.4)", 10, {suma});
  text_n("(10A1,\"B - MEAN SQUARES OF RAW CORRELATIONS\",        13X,F8.4,7X,\"(RMS = \",F7.4,\")\")",
         10, {b, rms});
  text_n("(10A1,\"C - MEAN SQUARE OF CORRELATIONS REPRODUCED BY\" )", 10, {});
  text_n("(14A1,\"EACH CLUSTER DIMENSION\")", 14, {});
  pager(s, -1);
  text_n("(10A1,\"D OR C/B - REPRODUCABILITY(EXHAUSTION) OF THE\")", 10, {});
  text_n("(21A1,\"MEAN SQUARES OF RAW CORRELATIONS\")", 21, {});
  pager(s, -1);
  text_n("(10A1, \"E - ROOT MEAN SQUARES (E=SQUARE ROOT OF D)\")", 10, {});
  pager(s, -1);
  text_n("(10A1,\"F - REPRODUCABILITY(EXHAUSTION) OF\")", 10, {});
  pager(s, -1);
  text_n("(14A1,\"COMMUNALITY OF VARIABLES\")", 14, {});
  pager(s, -1);
  text_n("(32A1,\"CLUSTER           C           D           E           F\")", 32, {});

  for (std::int32_t c = 1; c <= s.ncl; ++c) {
    float sc = 0.0f;
    for (std::int32_t i = 1; i <= nv; ++i) sc += s.RVD(i, c) * s.RVD(i, c);
    const float cc = sc * sc / nv2;
    const float dd = safe_div(cc, b);
    const float ee = safe_sqrt(dd);
    const float ff = safe_div(sc, suma);
    std::string name(20, ' ');
    rjust_text(s.clunam[at(c)], name);
    write_formatted(s.monout, "(20X,A20,4F12.3)", {name, cc, dd, ee, ff});
  }
}

// The correlation of the domain score of a variable: a value over the square root of
// communalities, 0 where that root is 0 (a variable without common variance).
float augmented(float x, float h) { return safe_div(x, safe_sqrt(h)); }

}  // namespace

void cluster_domains(state& s) {
  const std::int32_t ncl = s.ncl;
  const std::int32_t nv = s.nv;
  if (s.kdebug == 1) debug_weights(s);
  cluster_sums(s);
  if (s.kdebug == 1) {
    pr_matrix_lab(s.sum, s.clunum, s.clunum, s.clunam, s.clunam, ncl, ncl, ld_clu, 1, 3,
                  "DEBUG PRINTOUT OF SUM(I,J)", s.page, s.lines, s.monout);
  }

  // Domain correlations.
  for (std::int32_t e = 1; e <= ncl; ++e) {
    for (std::int32_t c = 1; c <= ncl; ++c) {
      s.rdom[rc(c, e, ld_clu)] =
          s.sum[rc(c, e, ld_clu)] /
          std::sqrt(s.sum[rc(c, c, ld_clu)] * s.sum[rc(e, e, ld_clu)]);
    }
  }
  pr_matrix_tri(s.rdom, s.clunam, ncl, ld_clu, 1, 3,
                " CORRELATIONS BETWEEN OBLIQUE CLUSTER DOMAINS  (CORRELATIONS BETWEEN ROTATED "
                "OBLIQUE FACTORS) ",
                s.page, s.lines, s.monout);

  // Domain validities: the definer sum over itself with unities in place of communalities.
  for (std::int32_t c = 1; c <= ncl; ++c) {
    float u = 0.0f;
    for (std::int32_t j = 1; j <= s.ircnt[at(c)]; ++j) u += 1.0f - s.comm[at(definer(s, j, c))];
    const float sc = s.sum[rc(c, c, ld_clu)];
    s.valid[at(c)] = safe_sqrt(safe_div(sc, sc + u));
  }

  // Variables with the domains.
  for (std::int32_t c = 1; c <= ncl; ++c) {
    const float root = std::sqrt(s.sum[rc(c, c, ld_clu)]);
    for (std::int32_t i = 1; i <= nv; ++i) {
      float x = 0.0f;
      for (std::int32_t j = 1; j <= s.ircnt[at(c)]; ++j) {
        x += s.A(definer(s, j, c), i) * s.WGT(j, c);
      }
      s.RVD(i, c) = x / root;
    }
  }

  // Every value is formed before the first is stored, so a stop leaves both entries as
  // they were.
  store("BASIS1", s.rdom, ncl, ncl, ld_clu);
  privo(s.valid, s.clunum, s.clunam, ncl, 1, 3,
        " DOMAIN VALIDITIES OF CLUSTER SCORES (ACCURACY OF FACTOR ESTIMATES) ", s.page, s.lines,
        s.monout, 1);
  pr_matrix_lab(s.rvd, s.varnum, s.clunum, s.varnam, s.clunam, nv, ncl, ld_var, 1, 3,
                " CORRELATIONS OF VARIABLES WITH OBLIQUE CLUSTER DOMAINS  (ROTATED OBLIQUE "
                "FACTOR COEFFICIENTS) ",
                s.page, s.lines, s.monout);
  store("RFACT1", s.rvd, nv, ncl, ld_var);

  // Raw cluster scores: with the domains (RSD), then with each other (RSS over RDOM).
  for (std::int32_t c = 1; c <= ncl; ++c) {
    for (std::int32_t i = 1; i <= ncl; ++i) {
      const float x = s.valid[at(i)] * s.rdom[rc(i, c, ld_clu)];
      s.rsd[rc(c, i, ld_clu)] = x;
      s.sum[rc(i, c, ld_clu)] = x;
    }
  }
  for (std::int32_t c = 1; c <= ncl; ++c) {
    for (std::int32_t i = 1; i <= ncl; ++i) {
      s.rdom[rc(i, c, ld_clu)] = s.valid[at(c)] * s.sum[rc(i, c, ld_clu)];
    }
  }
  if (s.krawsc == 1) {
    new_page_if_short(ncl + 10, s.page, s.lines, s.monout);
    std::vector<std::string> fnames(max_clusters, std::string(name_length, ' '));
    gen_kind_names(fnames, ncl, 3);
    line(s, -1, "CORRELATIONS OF RAW CLUSTER SCORES WITH SCORES ON CLUSTER DOMAINS");
    line(s, -1, std::string(4, hard_blank) + "(CORRELATIONS OF FACTOR ESTIMATES WITH FACTORS)");
    line(s, -1, "ROWS REPRESENT THE FACTOR SCORES, COLUMNS THE FACTORS");
    pager(s, -1);
    pr_matrix_lab(s.rsd, s.clunum, s.clunum, fnames, s.clunam, ncl, ncl, ld_clu, 1, 3, " ",
                  s.page, s.lines, s.monout);
  }
  pr_matrix_tri(s.rdom, s.clunam, ncl, ld_clu, 1, 3,
                "CORRELATION OF RAW CLUSTER SCORES WITH EACH OTHER (CORRELATIONS BETWEEN FACTOR "
                "ESTIMATES)",
                s.page, s.lines, s.monout, 0,
                std::string_view("Diagonal elements represent cluster reliabilities"));

  if (s.kaugco == 1) {
    std::vector<float> g(static_cast<std::size_t>(ld_var) * ncl, 0.0f);
    for (std::int32_t c = 1; c <= ncl; ++c) {
      for (std::int32_t i = 1; i <= nv; ++i) {
        g[rc(i, c, ld_var)] = augmented(s.RVD(i, c), s.comm[at(i)]);
      }
    }
    pr_matrix_lab(g, s.varnum, s.clunum, s.varnam, s.clunam, nv, ncl, ld_var, 1, 3,
                  "CORRELATIONS OF VARIABLE DOMAIN SCORES AND CLUSTER DOMAIN SCORES", s.page,
                  s.lines, s.monout);
  }

  generality(s);

  if (s.kaugcr == 1) {
    std::vector<float> g2(static_cast<std::size_t>(nv) * nv, 0.0f);
    for (std::int32_t j = 1; j <= nv; ++j) {
      for (std::int32_t i = 1; i <= nv; ++i) {
        g2[rc(i, j, nv)] = augmented(s.A(i, j), s.comm[at(i)] * s.comm[at(j)]);
      }
    }
    pr_matrix_tri2(g2, s.varnum, s.varnam, nv, nv, 1, 3,
                   " CORRELATIONS OF SCORES ON VARIABLE DOMAINS WITH EACH OTHER (AUGMENTED "
                   "CORRELATION MATRIX) ",
                   s.page, s.lines, s.monout);
  }
}

}  // namespace korvex::csa2
