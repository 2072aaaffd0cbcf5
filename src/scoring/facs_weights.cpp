// The weight matrix of the eight scoring methods: simple signed sums of definers, the two
// regression estimates, analyst and stored weights, and the two complete estimations through
// the sweep inverse of the correlations. The matrix is printed variable by composite.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "scoring/facs_internal.hpp"

namespace korvex::facs {

namespace {

// The singularity test over recorded pivots; a pivot that is not a number fails as well.
void check_pivots(std::span<const float> piv, std::int32_t n) {
  for (std::int32_t i = 1; i <= n; ++i)
    if (!(std::fabs(piv[at(i)]) > 1.0e-5f)) proc_error("MATRIX NEARLY SINGULAR");
}

void simple_sums() {
  facs_state& s = state();
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    for (std::int32_t j = 1; j <= s.nv; ++j) s.w[ix(k, j, max_comp)] = 0.0f;
    for (std::int32_t i = 1; i <= s.ndef[at(k)]; ++i) {
      const std::int32_t c = s.ldef[ix(i, k, max_defs)];
      if (c > 0) s.w[ix(k, c, max_comp)] = 1.0f;
      if (c < 0) s.w[ix(k, -c, max_comp)] = -1.0f;
    }
  }
  pager(0);
  pager(3);
  write_formatted(s.monout, "(A)",
                  {" DEFINING VARIABLES OF CLUSTERS USED IN COMPUTING CLUSTER SCORES"});
  write_formatted(s.monout, "(A)", {"  (NEGATIVE INDICES INDICATE REFLECTION)"});
  PRDEFN();
}

// Methods 2 and 3: (I + F'DF)^-1 F'D, or B (I + F'DF B)^-1 F'D.
void regression_estimate(bool oblique) {
  facs_state& s = state();
  // A communality of 1 or more has no unique variance: its weight would be infinite.
  for (std::int32_t j = 1; j <= s.nv; ++j) {
    if (!(s.diag[at(j)] < 1.0f)) {
      const std::string& name = s.vname[at(j)];
      proc_error(io::format_line(
          "('FACS1 Error: THE COMMUNALITY OF VARIABLE ',I0,' (',A,') IS 1.0 OR MORE; ',"
          "'REGRESSION WEIGHTS CANNOT BE FORMED.')",
          {j, name.substr(0, static_cast<std::size_t>(last_nonblank(name)))}));
    }
  }
  for (std::int32_t j = 1; j <= s.nv; ++j) {
    const float d = 1.0f / (1.0f - s.diag[at(j)]);
    for (std::int32_t k = 1; k <= s.nf; ++k)
      s.w[ix(k, j, max_comp)] = s.f[ix(j, k, max_vars)] * d;
  }
  std::vector<float> g(static_cast<std::size_t>(max_comp) * max_comp, 0.0f);
  MPROD(g, max_comp, s.w, max_comp, s.f, max_vars, s.nf, s.nf, s.nv);
  if (oblique) MPRODL(g, max_comp, max_comp, s.basis, max_comp, s.nf, s.nf, s.nf);
  for (std::int32_t i = 1; i <= s.nf; ++i) g[ix(i, i, max_comp)] += 1.0f;
  std::vector<float> piv(static_cast<std::size_t>(s.nf), 0.0f);
  PIVINV(g, s.nf, max_comp, piv);
  check_pivots(piv, s.nf);
  if (oblique) MPRODR(g, max_comp, s.basis, max_comp, max_comp, s.nf, s.nf, s.nf);
  MPRODR(s.w, max_comp, g, max_comp, max_comp, s.nf, s.nv, s.nf);
}

// Methods 5 and 6: F' R^-1, or B F' R^-1.
void complete_estimate(bool oblique) {
  facs_state& s = state();
  std::vector<float>& r = r_matrix();
  std::vector<float> piv(static_cast<std::size_t>(s.nv), 0.0f);
  SWEEP(r, max_vars, s.nv, piv);
  check_pivots(piv, s.nv);
  TPROD(s.w, max_comp, s.f, max_vars, r, max_vars, s.nf, s.nv, s.nv);
  if (oblique) MPRODR(s.w, max_comp, s.basis, max_comp, max_comp, s.nf, s.nv, s.nf);
}

}  // namespace

void WTMAT() {
  facs_state& s = state();
  std::string title;
  switch (s.iw) {
    case 1:
    case 7:
      simple_sums();
      title = "NOMINAL WEIGHT MATRIX";
      break;
    case 2:
    case 3:
      regression_estimate(s.iw == 3);
      title = " REGRESSION MATRIX - WEIGHTS IN LINEAR COMPOSITES";
      break;
    case 5:
    case 6:
      complete_estimate(s.iw == 6);
      title = " REGRESSION MATRIX - WEIGHTS IN LINEAR COMPOSITES";
      break;
    default:
      title = "INPUT WEIGHT MATRIX";
      break;
  }
  std::string txt;
  std::int32_t ltxt = 0;
  txt.assign(120, ' ');
  BLDSTR(txt, ltxt, title);
  for (std::int32_t k = 1; k <= s.nf; ++k)
    for (std::int32_t j = 1; j <= s.nv; ++j) s.f[ix(j, k, max_vars)] = s.w[ix(k, j, max_comp)];
  pr_matrix(s.f, s.vname, s.cname, s.nv, s.nf, max_vars, 1, 3, txt.substr(0, at(ltxt + 1)),
            s.npage, s.nline, s.monout);
}

}  // namespace korvex::facs
