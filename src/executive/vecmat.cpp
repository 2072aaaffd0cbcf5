// Vector and matrix routines (see vecmat.hpp). Every sum is a float accumulated one term at a
// time in index order; the build forbids contraction into fused multiply-adds, so the
// results are the same on every platform.
#include "executive/vecmat.hpp"

#include <cassert>
#include <cmath>
#include <limits>
#include <utility>

namespace korvex {

namespace {

std::size_t count(std::int32_t n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

// Debug check that a matrix of order n fits the array.
[[maybe_unused]] bool matrix_fits(std::span<const float> a, std::int32_t n) {
  return n < 1 || a.size() > mat_index(n, n);
}

}  // namespace

void vec_add(std::span<const float> a, std::span<const float> b, std::span<float> c,
             std::int32_t n) {
  assert(a.size() >= count(n) && b.size() >= count(n) && c.size() >= count(n));
  for (std::size_t i = 0; i < count(n); ++i) c[i] = a[i] + b[i];
}

float vec_sum(std::span<const float> x, std::int32_t n) {
  assert(x.size() >= count(n));
  float s = 0.0f;
  for (std::size_t i = 0; i < count(n); ++i) s = s + x[i];
  return s;
}

void vec_variance(std::span<const float> x, float& var, std::int32_t n) {
  assert(x.size() >= count(n));
  float s = 0.0f;
  float q = 0.0f;
  for (std::size_t i = 0; i < count(n); ++i) {
    s = s + x[i];
    q = q + x[i] * x[i];
  }
  const float fn = static_cast<float>(n);
  var = (fn * q - s * s) / (fn * fn);
}

void vec_max_index(std::span<const float> v, std::int32_t n, float& vmax, std::int32_t& imax) {
  assert(n >= 1 && v.size() >= count(n));
  vmax = v[0];
  imax = 1;
  for (std::int32_t i = 2; i <= n; ++i) {
    const float x = v[count(i) - 1];
    if (x > vmax) {
      vmax = x;
      imax = i;
    }
  }
}

void vec_min_index(std::span<const float> v, std::int32_t n, float& vmin, std::int32_t& imin) {
  assert(n >= 1 && v.size() >= count(n));
  vmin = v[0];
  imin = 1;
  // Starts at 1 on purpose: a NaN in v(1) is then taken over by itself, and the negated
  // test lets a NaN replace the current value.
  for (std::int32_t i = 1; i <= n; ++i) {
    const float x = v[count(i) - 1];
    if (!(x >= vmin)) {
      vmin = x;
      imin = i;
    }
  }
}

float dot_columns(std::span<const float> a, std::span<const float> b, std::int32_t n) {
  assert(a.size() >= count(n) && b.size() >= count(n));
  float s = 0.0f;
  for (std::size_t i = 0; i < count(n); ++i) s = s + a[i] * b[i];
  return s;
}

void column_sums_of_squares(std::span<const float> a, std::span<float> colss, std::int32_t n) {
  assert(matrix_fits(a, n) && colss.size() >= count(n));
  for (std::int32_t j = 1; j <= n; ++j) {
    const std::span<const float> column = a.subspan(mat_index(1, j), count(n));
    colss[at(j)] = dot_columns(column, column, n);
  }
}

// The cross products of column j with every column are summed over m in index order, as
// dot_columns would; since a is symmetric, element (m, i) is read as (i, m), which lets the
// sums of different i run side by side in psq itself.
void psq_row(std::int32_t j, std::span<const float> a, std::span<const float> colss,
             std::span<float> psq, std::int32_t n) {
  assert(matrix_fits(a, n) && colss.size() >= count(n) && psq.size() >= count(n));
  if (n < 1) return;
  float* c = psq.data();
  for (std::int32_t i = 0; i < n; ++i) c[i] = 0.0f;
  for (std::int32_t m = 1; m <= n; ++m) {
    const float amj = a[mat_index(m, j)];
    const float* column = &a[mat_index(1, m)];
    for (std::int32_t i = 0; i < n; ++i) c[i] = c[i] + column[i] * amj;
  }
  const float sj = colss[at(j)];
  for (std::int32_t i = 1; i <= n; ++i) {
    const float ci = psq[at(i)];
    const float d = colss[at(i)] * sj;
    psq[at(i)] = d == 0.0f ? 0.0f : ci * ci / d;
  }
}

void mean_sq_offdiag(std::span<const float> a, std::int32_t n, float& result) {
  assert(matrix_fits(a, n));
  float s = 0.0f;
  for (std::int32_t k = 1; k <= n - 1; ++k) {
    for (std::int32_t j = k + 1; j <= n; ++j) {
      const float x = a[mat_index(j, k)];
      s = s + x * x;
    }
  }
  const std::int64_t nn = static_cast<std::int64_t>(n) * n - n;
  result = s / (static_cast<float>(nn) * 0.5f);
}

void copy_real(std::span<const float> src, std::span<float> dst, std::int32_t n) {
  assert(src.size() >= count(n) && dst.size() >= count(n));
  for (std::size_t i = 0; i < count(n); ++i) dst[i] = src[i];
}

void copy_int(std::span<const std::int32_t> src, std::span<std::int32_t> dst, std::int32_t n) {
  assert(src.size() >= count(n) && dst.size() >= count(n));
  for (std::size_t i = 0; i < count(n); ++i) dst[i] = src[i];
}

void copy_int_to_real(std::span<const std::int32_t> src, std::span<float> dst, std::int32_t n) {
  assert(src.size() >= count(n) && dst.size() >= count(n));
  for (std::size_t i = 0; i < count(n); ++i) dst[i] = static_cast<float>(src[i]);
}

void copy_real_to_int(std::span<const float> src, std::span<std::int32_t> dst, std::int32_t n) {
  assert(src.size() >= count(n) && dst.size() >= count(n));
  constexpr auto lo = std::numeric_limits<std::int32_t>::min();
  constexpr auto hi = std::numeric_limits<std::int32_t>::max();
  for (std::size_t i = 0; i < count(n); ++i) {
    const float x = src[i];
    if (std::isnan(x)) {
      dst[i] = 0;
    } else if (x >= 2147483648.0f) {
      dst[i] = hi;
    } else if (x <= -2147483648.0f) {
      dst[i] = lo;
    } else {
      dst[i] = static_cast<std::int32_t>(x);  // in range: truncates toward zero
    }
  }
}

void fill_index(std::span<std::int32_t> v, std::int32_t n) {
  assert(v.size() >= count(n));
  for (std::int32_t i = 1; i <= n; ++i) v[count(i) - 1] = i;
}

void fill_int(std::span<std::int32_t> v, std::int32_t n, std::int32_t c) {
  assert(v.size() >= count(n));
  for (std::size_t i = 0; i < count(n); ++i) v[i] = c;
}

void fill_real(std::span<float> v, std::int32_t n, float c) {
  assert(v.size() >= count(n));
  for (std::size_t i = 0; i < count(n); ++i) v[i] = c;
}

void get_diagonal(std::span<const float> a, std::span<float> d, std::int32_t n) {
  assert(matrix_fits(a, n) && d.size() >= count(n));
  for (std::int32_t i = 1; i <= n; ++i) d[count(i) - 1] = a[mat_index(i, i)];
}

void put_diagonal(std::span<const float> v, std::span<float> a, std::int32_t n) {
  assert(matrix_fits(a, n) && v.size() >= count(n));
  for (std::int32_t i = 1; i <= n; ++i) a[mat_index(i, i)] = v[count(i) - 1];
}

void sort_desc_index(std::span<const float> src, std::span<float> dst,
                     std::span<std::int32_t> idx, std::int32_t n) {
  assert(src.size() >= count(n) && dst.size() >= count(n) && idx.size() >= count(n));
  for (std::int32_t i = 1; i <= n; ++i) {
    dst[count(i) - 1] = src[count(i) - 1];
    idx[count(i) - 1] = i;
  }
  for (std::int32_t gap = n / 2; gap > 0; gap /= 2) {
    for (std::int32_t i = 1; i <= n - gap; ++i) {
      for (std::int32_t j = i; j > 0; j -= gap) {
        float& here = dst[count(j) - 1];
        float& there = dst[count(j + gap) - 1];
        if (!(there > here || std::isnan(here) || std::isnan(there))) break;
        std::swap(here, there);
        std::swap(idx[count(j) - 1], idx[count(j + gap) - 1]);
      }
    }
  }
}

void top_k_indices(std::span<const float> v, std::int32_t n, std::span<std::int32_t> top,
                   std::int32_t k, std::int32_t skip) {
  if (k < 1) return;
  const bool skip_in_head = skip >= 1 && skip <= k;
  assert(top.size() >= count(k) && v.size() >= count(n));
  assert(k <= n && (!skip_in_head || k < n));
  const auto val = [&](std::int32_t i) { return v[count(i) - 1]; };
  const auto top_at = [&](std::int32_t p) -> std::int32_t& { return top[count(p) - 1]; };

  for (std::int32_t i = 1; i <= k; ++i) top_at(i) = i;
  std::int32_t start = k + 1;
  if (skip_in_head) {
    top_at(skip) = k + 1;
    start = k + 2;
  }
  // Selection sort of the head; it may leave equal values out of position order.
  for (std::int32_t j = 1; j <= k - 1; ++j) {
    for (std::int32_t l = j + 1; l <= k; ++l) {
      if (val(top_at(l)) > val(top_at(j))) std::swap(top_at(j), top_at(l));
    }
  }
  // The rest enters from the bottom and rises past strictly smaller values only.
  for (std::int32_t i = start; i <= n; ++i) {
    if (i == skip) continue;
    const float x = val(i);
    if (!(x > val(top_at(k)))) continue;
    top_at(k) = i;
    for (std::int32_t p = k - 1; p >= 1 && x > val(top_at(p)); --p) {
      top_at(p + 1) = top_at(p);
      top_at(p) = i;
    }
  }
}

}  // namespace korvex
