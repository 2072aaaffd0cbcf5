// COMP2's similarities among the selected dimensions: the cosine index, the signed PSQ or the
// correlation of every pair, over all selected variables or, pair by pair, over the
// definers of the two dimensions; then the listing of the matrix and the ISF entries IDFILE,
// VNAMS1 and CORRM1 that later components read. An index without a denominator is stored
// as 0 off the diagonal and 1 on it, with a listing line, so no NaN reaches CORRM1.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"
#include "typing/comp_internal.hpp"

namespace korvex::comp {

namespace {

// The value of an index whose denominator is 0, with the listing line naming the pair.
float undefined_index(comp2_state& s, std::int32_t j, std::int32_t k) {
  PAGER(1, s.page, s.lines, s.monout);
  write_formatted(s.monout, "(' THE INDEX OF ',A,' AND ',A,' HAS A ZERO DENOMINATOR; IT IS SET TO ',I1,'.')",
                  {io::trim_right(s.sel_dim_names[at0(j - 1)]), io::trim_right(s.sel_dim_names[at0(k - 1)]),
                   j == k ? 1 : 0});
  return j == k ? 1.0f : 0.0f;
}

// The cosine index (1 - sin)/cos of two vectors from the product ab of their sums of squares
// and their cross product p: (sqrt(ab) - sqrt(ab - p^2)) / p, taken in the equal form
// p / (sqrt(ab) + sqrt(ab - p^2)), because the difference of the two roots loses most of its
// digits in single precision when the dimensions are nearly orthogonal.
float cosine_index(float ab, float p) {
  if (p == 0.0f) return 0.0f;
  return p / (safe_sqrt(ab) + safe_sqrt(ab - p * p));
}

// Roads 1 and 2: every pair over all nv selected variables; the correlation on centred
// columns. The indices land in the lower triangle.
void over_all_variables(comp2_state& s, std::int32_t nv, std::int32_t nd) {
  std::vector<float> diag(at0(nd), 0.0f);
  if (s.index == 2) {
    for (std::int32_t j = 1; j <= nd; ++j) {
      float sum = 0.0f;
      for (std::int32_t i = 1; i <= nv; ++i) sum += s.a[cell(i, j)];
      const float mean = sum / static_cast<float>(nv);
      for (std::int32_t i = 1; i <= nv; ++i) s.a[cell(i, j)] -= mean;
    }
  }
  C2XPRD(s.a, nv, nd, ld, diag);
  for (std::int32_t j = 1; j <= nd; ++j) {
    for (std::int32_t k = j; k <= nd; ++k) {
      const float ab = diag[at0(j - 1)] * diag[at0(k - 1)];
      const float p = s.a[cell(k, j)];
      float v = 0.0f;
      if (s.index == 0) {
        v = cosine_index(ab, p);
      } else if (ab == 0.0f) {
        v = undefined_index(s, j, k);
      } else if (s.index == 1) {
        v = std::copysign(p * p / ab, p);
      } else {
        const float root = safe_sqrt(ab);
        v = root > 0.0f ? p / root : undefined_index(s, j, k);
      }
      s.a[cell(k, j)] = v;
    }
  }
}

// Road 3: each pair over the union of its two definer lists (j's definers first), the lists
// already renumbered to the selected rows.
void over_definers(comp2_state& s, std::int32_t nd) {
  std::vector<float> work(at0(nd), 0.0f);
  std::vector<std::int32_t> u;
  for (std::int32_t j = 1; j <= nd; ++j) {
    const std::int32_t oj = s.dim_origin[at0(j - 1)];
    const std::int32_t* dj = &s.def_list[at0(oj - 1) * at0(max_definers)];
    const std::int32_t nj = s.def_count[at0(oj - 1)];
    for (std::int32_t k = j; k <= nd; ++k) {
      const std::int32_t ok = s.dim_origin[at0(k - 1)];
      const std::int32_t* dk = &s.def_list[at0(ok - 1) * at0(max_definers)];
      const std::int32_t nk = s.def_count[at0(ok - 1)];
      u.assign(dj, dj + nj);
      for (std::int32_t m = 0; m < nk; ++m) {
        if (find_int(u, static_cast<std::int32_t>(u.size()), dk[m]) > static_cast<std::int32_t>(u.size())) {
          u.push_back(dk[m]);
        }
      }
      float a2 = 0.0f, b2 = 0.0f, p = 0.0f, sj = 0.0f, sk = 0.0f;
      for (const std::int32_t i : u) {
        const float x = s.a[cell(i, j)];
        const float y = s.a[cell(i, k)];
        a2 += x * x;
        b2 += y * y;
        p += x * y;
        sj += x;
        sk += y;
      }
      float v = 0.0f;
      if (s.index == 0) {
        v = cosine_index(a2 * b2, p);
      } else if (s.index == 1) {
        const float ab = a2 * b2;
        v = ab == 0.0f ? undefined_index(s, j, k) : std::copysign(p * p / ab, p);
      } else {
        const float n = static_cast<float>(u.size());
        const float mj = sj / n;
        const float mk = sk / n;
        const float root = safe_sqrt((a2 / n - mj * mj) * (b2 / n - mk * mk));
        v = root > 0.0f ? (p / n - mk * mj) / root : undefined_index(s, j, k);
      }
      work[at0(k - 1)] = v;
    }
    for (std::int32_t k = j; k <= nd; ++k) s.a[cell(k, j)] = work[at0(k - 1)];
  }
}

}  // namespace

void C2XPRD(std::span<float> a, std::int32_t nr, std::int32_t nc, std::int32_t ld_a,
            std::span<float> diag) {
  auto el = [&](std::int32_t i, std::int32_t j) -> float& {
    return a[static_cast<std::size_t>(j - 1) * at0(ld_a) + at0(i - 1)];
  };
  std::vector<float> work(at0(std::max(nc, 0)));
  for (std::int32_t j = 1; j <= nc; ++j) {
    for (std::int32_t k = j; k <= nc; ++k) {
      float sum = 0.0f;
      for (std::int32_t i = 1; i <= nr; ++i) sum += el(i, k) * el(i, j);
      work[at0(k - 1)] = sum;
    }
    diag[at0(j - 1)] = work[at0(j - 1)];
    for (std::int32_t k = j; k <= nc; ++k) el(k, j) = work[at0(k - 1)];
  }
}

void C2SIMI() {
  comp2_state& s = state();
  const std::int32_t nd = s.nsel_dims;
  if (s.varsel == 3) {
    over_definers(s, nd);
  } else {
    over_all_variables(s, s.nsel_vars, nd);
  }
  // Coefficients so large that their products overflow single precision leave no number;
  // such a matrix must not reach the listing or CORRM1.
  for (std::int32_t j = 1; j <= nd; ++j) {
    for (std::int32_t k = j; k <= nd; ++k) {
      if (std::isfinite(s.a[cell(k, j)])) continue;
      proc_error("INDEX OF " + std::string(io::trim_right(s.sel_dim_names[at0(j - 1)])) + " AND " +
                 std::string(io::trim_right(s.sel_dim_names[at0(k - 1)])) +
                 " IS NOT A FINITE NUMBER: COEFFICIENTS TOO LARGE");
    }
  }
  for (std::int32_t j = 1; j <= nd; ++j) {
    for (std::int32_t k = j + 1; k <= nd; ++k) s.a[cell(j, k)] = s.a[cell(k, j)];
  }
}

void C2OUTP() {
  comp2_state& s = state();
  const std::int32_t nd = s.nsel_dims;
  const char* title = s.index == 0   ? "COSINES AMONG DIMENSIONS"
                      : s.index == 1 ? "SIGNED PSQ AMONG DIMENSIONS"
                                     : "CORRELATIONS AMONG DIMENSIONS";
  PAGER(0, s.page, s.lines, s.monout);
  PAGER(1, s.page, s.lines, s.monout);
  std::vector<io::Value> words(s.title.begin(), s.title.end());
  write_formatted(s.monout, "(10X,12A6)", words);
  PAGER(-5, s.page, s.lines, s.monout);
  pr_matrix(s.a, s.sel_dim_names, s.sel_dim_names, nd, nd, ld, 1, 5, title, s.page, s.lines, s.monout);
  std::int32_t notfound = 0;
  isf_idfile(1, notfound, s.title);
  Kpar kpar{2, nd, 1};
  isf_name_vector("VNAMS1", 1, kpar, notfound, s.sel_dim_names);
  kpar = Kpar{2, nd, s.nsel_vars};
  isf_real_square("CORRM1", 1, kpar, notfound, s.a, 2);
}

}  // namespace korvex::comp
