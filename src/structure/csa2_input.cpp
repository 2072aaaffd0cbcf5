// Inputs of CSA2: the definer table REFLX1, the correlation matrix with communalities in
// the diagonal (observed from CORRM1 and DIAGV1, or reproduced from UFACT1), and the
// variable names and numbers. Sizes are checked here, before anything indexes with them.
#include <string>
#include <vector>

#include "data_entry/active_variables.hpp"
#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "printing/matrix_printers.hpp"
#include "storage/storage.hpp"
#include "structure/csa2_internal.hpp"

namespace korvex::csa2 {

namespace {

// REFLX1 into ir and IRCNT; more than 50 clusters, none, or a list of 0 or more than 99
// definers stops the run.
void read_definers(state& s) {
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<std::int32_t> counts(ld_var, 0);
  std::vector<std::int32_t> members(static_cast<std::size_t>(ld_var) * max_definers, 0);
  isf_int_table("REFLX1", 0, kpar, notfound, counts, members);
  isf_not_found("REFLX1", notfound);
  s.ncl = kpar[1];
  if (s.ncl < 1 || s.ncl > max_clusters) {
    proc_error("CSA2: REFLX1 holds " + std::to_string(s.ncl) +
               " clusters; from 1 to 50 clusters can be analysed.");
  }
  for (std::int32_t c = 1; c <= s.ncl; ++c) {
    const std::int32_t n = counts[at(c)];
    if (n < 1 || n > max_definers) {
      proc_error("CSA2: cluster " + std::to_string(c) + " of REFLX1 has " + std::to_string(n) +
                 " definers; a cluster has from 1 to 99.");
    }
    s.ircnt[at(c)] = n;
    for (std::int32_t j = 1; j <= n; ++j) s.IR(j, c) = members[rc(j, c, max_definers)];
  }
}

// A from CORRM1 with the communalities of DIAGV1 in its diagonal.
void read_observed(state& s) {
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_matrix("DIAGV1", 0, kpar, notfound, s.comm);
  isf_not_found("DIAGV1", notfound);
  s.nv = kpar[1];
  if (s.nv < 1) proc_error("CSA2: DIAGV1 holds no communalities.");
  Kpar kc{};
  isf_real_square("CORRM1", 0, kc, notfound, s.a, 2);
  isf_not_found("CORRM1", notfound);
  if (kc[1] != s.nv) {
    proc_error("CSA2: CORRM1 is of order " + std::to_string(kc[1]) + " but DIAGV1 holds " +
               std::to_string(s.nv) + " communalities.");
  }
  put_diagonal(s.comm, s.a, s.nv);
}

// A reproduced from the first NCL columns of UFACT1, diagonal included.
void read_reproduced(state& s) {
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<float> fcoef(static_cast<std::size_t>(ld_var) * ld_var, 0.0f);
  isf_real_matrix("UFACT1", 0, kpar, notfound, fcoef);
  isf_not_found("UFACT1", notfound);
  s.nv = kpar[1];
  if (s.nv < 1) proc_error("CSA2: UFACT1 holds no variables.");
  if (kpar[0] < 2 || kpar[2] < s.ncl) {
    proc_error("CSA2: UFACT1 has " + std::to_string(kpar[0] < 2 ? 1 : kpar[2]) +
               " factors, fewer than the " + std::to_string(s.ncl) + " clusters of REFLX1.");
  }
  for (std::int32_t j = 1; j <= s.nv; ++j) {
    for (std::int32_t i = 1; i <= s.nv; ++i) {
      float x = 0.0f;
      for (std::int32_t k = 1; k <= s.ncl; ++k) {
        x += fcoef[rc(i, k, ld_var)] * fcoef[rc(j, k, ld_var)];
      }
      s.A(i, j) = x;
    }
  }
  for (std::int32_t i = 1; i <= s.nv; ++i) s.comm[at(i)] = s.A(i, i);
}

// Names and numbers of the analysed variables: VNAMS1 (and REORD1 after a selection), or
// V001 ... numbered 1..NV without VNAMS1.
void read_names(state& s) {
  s.nsleep = 0;
  s.ntotal = s.nv;
  const active_variables v = read_active_variables(0);
  if (!v.names_found) {
    gen_v_names(s.varnam, s.nv);
    fill_index(s.varnum, s.nv);
    return;
  }
  if (v.selection && !v.order_found) isf_not_found("REORD1", 1);
  if (v.numact != s.nv) {
    proc_error("CSA2: VNAMS1 names " + std::to_string(v.numact) +
               " active variables but the correlations are of " + std::to_string(s.nv) + ".");
  }
  for (std::int32_t i = 1; i <= s.nv; ++i) {
    s.varnam[at(i)] = v.names[at(i)];
    s.varnum[at(i)] = v.selection ? v.numbers[at(i)] : i;
  }
  if (v.selection) {
    s.nsleep = v.numdel;
    s.ntotal = s.nv + s.nsleep;
  }
}

}  // namespace

void CSAINP(state& s) {
  read_definers(s);
  fill_index(s.clunum, s.ncl);
  gen_kind_names(s.clunam, s.ncl, 1);
  if (s.kbasis == 0) {
    read_observed(s);
  } else {
    read_reproduced(s);
  }
  read_names(s);
  if (s.kdebug == 1) {
    pr_matrix_tri2(s.a, s.varnum, s.varnam, s.nv, ld_var, 1, 3,
                   " DEBUG PRINTOUT OF A(I,J) correlation matrix (observed or reproduced)", s.page,
                   s.lines, s.monout);
  }
  if (s.ktitle == 1) RDTITL(s);
}

}  // namespace korvex::csa2
