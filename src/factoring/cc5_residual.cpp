// Carrying a key-cluster analysis from one dimension to the next: removing an extracted
// dimension from the residual matrix, the first pass that chooses the keys of every
// dimension and fixes their number, the dimensionality test, the convergence test of the
// communality iteration, and the two small routines that key selection uses (the PSQ row
// of a variable and the masked maximum).
#include <cmath>
#include <vector>

#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "factoring/cc5_internal.hpp"

namespace korvex::cc5 {

float residual_mean_square(std::int32_t n) {
  // A matrix of order 1 has no off-diagonal elements; its mean square is taken as 0.
  if (n < 2) return 0.0f;
  float result = 0.0f;
  mean_sq_offdiag(state().R, n, result);
  return result;
}

void CC5_residualize(std::span<const float> a, float& rmsq, float& pexh) {
  analysis& s = state();
  control_block& c = s.c;
  const std::int32_t n = c.numvar;
  for (std::int32_t j = 1; j <= n; ++j) {
    const float aj = a[at(j)];
    for (std::int32_t i = j; i <= n; ++i) {
      const float v = s.r(i, j) - a[at(i)] * aj;
      s.r(i, j) = v;
      s.r(j, i) = v;
    }
  }
  for (std::int32_t i = 1; i <= n; ++i) {
    s.ASQ[at(i)] = a[at(i)] * a[at(i)];
    s.RDIAG[at(i)] = s.r(i, i);
    s.H[at(i)] = s.HPREV[at(i)] - s.r(i, i);
  }
  c.h_excess = vec_sum(s.RDIAG, n) - c.h_floor;
  rmsq = residual_mean_square(n);
  // An identity matrix has no mean square to exhaust; the ratio is then 0, never 0/0.
  pexh = 1.0f - safe_div(rmsq, c.raw_msq);
}

void CC5_first_pass(std::int32_t kind, std::int32_t monin) {
  analysis& s = state();
  control_block& c = s.c;
  c.nf = 0;
  c.more_dims = 1;
  for (std::int32_t L = 1; L <= c.maxdim; ++L) {
    std::int32_t& nkeys = s.NDEF[at(L)];
    cckeys(L, s.keys(L), nkeys, monin);
    if (c.more_dims == 2) {
      c.nf = L - 1;
      break;
    }
    CC5_print2(L, nkeys, s.keys(L), s.a(L), s.refl(L), s.RMSQ[at(L)], s.PEXH[at(L)], kind, 1);
    CCDIMR(L, s.keys(L), s.refl(L), nkeys, s.a(L), kind);
    CC5_residualize(s.a(L), s.RMSQ[at(L)], s.PEXH[at(L)]);
    CCTST1(L);
    CC5_print2(L, nkeys, s.keys(L), s.a(L), s.refl(L), s.RMSQ[at(L)], s.PEXH[at(L)], kind, 4);
    if (c.more_dims == 2 || L == c.maxdim) {
      c.nf = L;
      break;
    }
  }
  bool all_single = true;
  for (std::int32_t l = 1; l <= c.nf; ++l) all_single = all_single && s.NDEF[at(l)] == 1;
  if (c.nf == 0 || all_single) c.iterc = 1;
}

// With dimensions asked for, the first pass extracts that many (at most 50) whatever the
// residual communality does; otherwise it stops once the exhaustion level is reached.
void CCTST1(std::int32_t L) {
  control_block& c = state().c;
  c.more_dims = 1;
  if (c.nf > 0) {
    if (L >= c.nf) c.more_dims = 2;
  } else if (c.ndim > 0) {
    if (L >= c.ndim) c.more_dims = 2;
  } else if (c.h_excess <= 0.0f || L >= c.maxdim) {  // a NaN does not stop
    c.more_dims = 2;
  }
}

void CC5_conv_test(std::int32_t cycle, std::int32_t limit, std::int32_t& code) {
  analysis& s = state();
  control_block& c = s.c;
  code = 1;
  if (c.iterc == 1) {
    code = 3;
    return;
  }
  if (c.iterc == 0) {
    float m = 0.0f;
    for (std::int32_t i = 1; i <= c.numvar; ++i) {
      const float d = std::fabs(s.RDIAG[at(i)]);
      if (d > m) m = d;
    }
    if (m < c.conv_tol) {
      code = 2;
      return;
    }
  }
  if (c.iter_no == c.iterc) {
    code = 3;
    return;
  }
  if (cycle == limit) c.kprt2 = 2;
}

std::int32_t CC5_pick_max(std::span<const float> v, std::int32_t n,
                          std::span<const std::int32_t> excl, std::int32_t nexcl) {
  if (nexcl < 0 || (nexcl > 0 && nexcl >= n)) return 0;
  if (nexcl == 0) {
    float vmax = 0.0f;
    std::int32_t imax = 0;
    vec_max_index(v, n, vmax, imax);
    return imax;
  }
  std::vector<char> excluded(static_cast<std::size_t>(n) + 1, 0);
  for (std::int32_t e = 1; e <= nexcl; ++e) {
    const std::int32_t x = excl[at(e)];
    if (x >= 1 && x <= n) excluded[static_cast<std::size_t>(x)] = 1;
  }
  std::int32_t best = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    if (excluded[static_cast<std::size_t>(i)] != 0) continue;
    if (best == 0 || v[at(i)] > v[at(best)]) best = i;
  }
  return best;
}

}  // namespace korvex::cc5
