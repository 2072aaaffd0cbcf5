// Dense single-precision algebra of the score weights: the sweep inverse of a symmetric
// matrix (pivots in natural order, every pivot recorded), Gauss-Jordan inversion with
// complete pivoting, and the four matrix products the regression weights are built from.
#include <cmath>
#include <utility>
#include <vector>

#include "scoring/facs_internal.hpp"

namespace korvex::facs {

namespace {

bool usable_pivot(float p) { return p != 0.0f && std::isfinite(p); }

}  // namespace

void SWEEP(std::span<float> a, std::int32_t ld, std::int32_t n, std::span<float> piv) {
  if (n < 1) return;
  // Only the lower triangle is carried through the sweeps (every update of the upper one is
  // the same value stored twice); it is mirrored once at the end.
  std::vector<float> w1(static_cast<std::size_t>(n));
  std::vector<float> w2(static_cast<std::size_t>(n));
  auto lower = [&](std::int32_t i, std::int32_t j) -> float& {
    return i >= j ? a[ix(i, j, ld)] : a[ix(j, i, ld)];
  };
  bool complete = true;
  for (std::int32_t i = 1; i <= n; ++i) {
    for (std::int32_t j = 1; j <= n; ++j) w1[at(j)] = lower(j, i);
    const float p = w1[at(i)];
    piv[at(i)] = p;
    if (!usable_pivot(p)) {
      for (std::int32_t j = i + 1; j <= n; ++j) piv[at(j)] = 0.0f;
      complete = false;
      break;
    }
    for (std::int32_t j = 1; j <= n; ++j) w2[at(j)] = -w1[at(j)] / p;
    for (std::int32_t m = 1; m <= n; ++m) {
      const float wm = w1[at(m)];
      float* col = &a[ix(1, m, ld)];
      const float* v = w2.data();
      for (std::int32_t e = m; e <= n; ++e) {
        const float prod = wm * v[e - 1];
        col[e - 1] = col[e - 1] + prod;
      }
    }
    w2[at(i)] = -1.0f / p;
    for (std::int32_t j = 1; j <= n; ++j) lower(j, i) = w2[at(j)];
  }
  for (std::int32_t m = 1; m <= n; ++m) {
    for (std::int32_t e = m; e <= n; ++e) {
      float& v = a[ix(e, m, ld)];
      if (complete) v = -v;
      a[ix(m, e, ld)] = v;
    }
  }
}

void PIVINV(std::span<float> a, std::int32_t n, std::int32_t lda, std::span<float> pivot) {
  if (n < 1) return;
  auto el = [&](std::int32_t i, std::int32_t j) -> float& { return a[ix(i, j, lda)]; };
  if (n == 1) {
    pivot[0] = el(1, 1);
    if (usable_pivot(pivot[0])) el(1, 1) = 1.0f / el(1, 1);
    return;
  }
  std::vector<std::int32_t> done(static_cast<std::size_t>(n), 0);
  std::vector<std::int32_t> rowx(static_cast<std::size_t>(n), 0);
  std::vector<std::int32_t> colx(static_cast<std::size_t>(n), 0);
  for (std::int32_t s = 1; s <= n; ++s) {
    float big = -1.0f;
    std::int32_t irow = 1;
    std::int32_t icol = 1;
    for (std::int32_t i = 1; i <= n; ++i) {
      if (done[at(i)] != 0) continue;
      for (std::int32_t j = 1; j <= n; ++j) {
        if (done[at(j)] != 0) continue;
        const float m = std::fabs(el(i, j));
        if (m >= big) {
          big = m;
          irow = i;
          icol = j;
        }
      }
    }
    done[at(icol)] = 1;
    if (irow != icol)
      for (std::int32_t j = 1; j <= n; ++j) std::swap(el(irow, j), el(icol, j));
    rowx[at(s)] = irow;
    colx[at(s)] = icol;
    const float p = el(icol, icol);
    pivot[at(s)] = p;
    if (!usable_pivot(p)) {
      for (std::int32_t t = s + 1; t <= n; ++t) pivot[at(t)] = 0.0f;
      return;
    }
    const float pinv = 1.0f / p;
    el(icol, icol) = 1.0f;
    for (std::int32_t j = 1; j <= n; ++j) el(icol, j) = el(icol, j) * pinv;
    for (std::int32_t i = 1; i <= n; ++i) {
      if (i == icol) continue;
      const float d = el(i, icol);
      el(i, icol) = 0.0f;
      for (std::int32_t j = 1; j <= n; ++j) el(i, j) = el(i, j) - el(icol, j) * d;
    }
  }
  for (std::int32_t s = n; s >= 1; --s) {
    if (rowx[at(s)] == colx[at(s)]) continue;
    for (std::int32_t i = 1; i <= n; ++i) std::swap(el(i, rowx[at(s)]), el(i, colx[at(s)]));
  }
}

void MPROD(std::span<float> c, std::int32_t ldc, std::span<const float> a, std::int32_t lda,
           std::span<const float> b, std::int32_t ldb, std::int32_t n, std::int32_t m,
           std::int32_t l) {
  for (std::int32_t i = 1; i <= n; ++i) {
    for (std::int32_t j = 1; j <= m; ++j) {
      float sum = 0.0f;
      for (std::int32_t t = 1; t <= l; ++t) sum += a[ix(i, t, lda)] * b[ix(t, j, ldb)];
      c[ix(i, j, ldc)] = sum;
    }
  }
}

void MPRODL(std::span<float> c, std::int32_t ldc, std::int32_t lda, std::span<const float> b,
            std::int32_t ldb, std::int32_t n, std::int32_t m, std::int32_t l) {
  std::vector<float> row(static_cast<std::size_t>(m > 0 ? m : 0));
  for (std::int32_t i = 1; i <= n; ++i) {
    for (std::int32_t j = 1; j <= m; ++j) {
      float sum = 0.0f;
      for (std::int32_t t = 1; t <= l; ++t) sum += c[ix(i, t, lda)] * b[ix(t, j, ldb)];
      row[at(j)] = sum;
    }
    for (std::int32_t j = 1; j <= m; ++j) c[ix(i, j, ldc)] = row[at(j)];
  }
}

void MPRODR(std::span<float> c, std::int32_t ldc, std::span<const float> a, std::int32_t lda,
            std::int32_t ldb, std::int32_t n, std::int32_t m, std::int32_t l) {
  std::vector<float> col(static_cast<std::size_t>(n > 0 ? n : 0));
  for (std::int32_t j = 1; j <= m; ++j) {
    for (std::int32_t i = 1; i <= n; ++i) {
      float sum = 0.0f;
      for (std::int32_t t = 1; t <= l; ++t) sum += a[ix(i, t, lda)] * c[ix(t, j, ldb)];
      col[at(i)] = sum;
    }
    for (std::int32_t i = 1; i <= n; ++i) c[ix(i, j, ldc)] = col[at(i)];
  }
}

void TPROD(std::span<float> c, std::int32_t ldc, std::span<const float> a, std::int32_t lda,
           std::span<const float> b, std::int32_t ldb, std::int32_t n, std::int32_t m,
           std::int32_t l) {
  for (std::int32_t j = 1; j <= m; ++j) {
    for (std::int32_t i = 1; i <= n; ++i) {
      float sum = 0.0f;
      for (std::int32_t t = 1; t <= l; ++t) sum += a[ix(t, i, lda)] * b[ix(t, j, ldb)];
      c[ix(i, j, ldc)] = sum;
    }
  }
}

}  // namespace korvex::facs
