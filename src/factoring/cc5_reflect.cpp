// Reflection of the key variables of a dimension: in the first pass, which keys count with
// reversed sign is decided on the key submatrix (by first powers after trials with signed
// squares and cubes, and by an exhaustive search over the sign patterns for ten keys or
// fewer), and the sums each method reaches are kept for the report; later passes reuse the
// decision. The rows and columns of the reflected keys change sign in R while the
// coefficients are formed, and change back afterwards.
#include <algorithm>
#include <array>
#include <vector>

#include "executive/errors.hpp"
#include "factoring/cc5_internal.hpp"

namespace korvex::cc5 {

namespace {

constexpr std::int32_t exhaustive_limit = 10;

float first_power(float x) { return x; }
float signed_square(float x) { return x >= 0.0f ? x * x : -(x * x); }
float cube(float x) { return x * x * x; }

using column_function = float (*)(float);

// The key submatrix being reflected (k x k, leading dimension k, zero diagonal), its column
// sums under the method in use and the sign of every key.
struct key_submatrix {
  std::int32_t k = 0;
  std::vector<float> m;
  std::vector<float> cs;
  std::span<std::int32_t> sign;

  float& at2(std::int32_t l, std::int32_t p) {
    return m[static_cast<std::size_t>(p - 1) * static_cast<std::size_t>(k) + at(l)];
  }
  void column_sums(column_function f) {
    for (std::int32_t p = 1; p <= k; ++p) {
      float t = 0.0f;
      for (std::int32_t l = 1; l <= k; ++l) t = t + f(at2(l, p));
      cs[at(p)] = t;
    }
  }
  // Reflects key p: its row and column change sign and every column sum follows.
  void reflect(std::int32_t p, column_function f) {
    for (std::int32_t l = 1; l <= k; ++l) {
      at2(l, p) = -at2(l, p);
      at2(p, l) = at2(l, p);
      cs[at(l)] = cs[at(l)] + 2.0f * f(at2(l, p));
    }
    cs[at(p)] = -cs[at(p)];
    sign[at(p)] = -sign[at(p)];
  }
  // Reflects the key of the smallest negative column sum (the first of equal ones) until
  // no column sum is negative, or until the cap is reached.
  void flip_until_nonnegative(column_function f) {
    const std::int32_t cap = reflection_flip_cap(k);
    for (std::int32_t flips = 0; flips < cap; ++flips) {
      std::int32_t p = 1;
      for (std::int32_t l = 2; l <= k; ++l) {
        if (cs[at(l)] < cs[at(p)]) p = l;
      }
      if (cs[at(p)] >= 0.0f) return;
      reflect(p, f);
    }
  }
  float total() const {
    float t = 0.0f;
    for (std::int32_t l = 1; l <= k; ++l) t = t + cs[at(l)];
    return t;
  }
};

// Changes the sign of row and column v of R; the diagonal element, changed twice, keeps it.
void change_sign(analysis& s, std::int32_t v) {
  for (std::int32_t i = 1; i <= s.c.numvar; ++i) {
    s.r(v, i) = -s.r(v, i);
    s.r(i, v) = -s.r(i, v);
  }
}

void apply_reflection(analysis& s, std::span<const std::int32_t> keys,
                      std::span<const std::int32_t> refl, std::int32_t nkeys) {
  for (std::int32_t k = 1; k <= nkeys; ++k) {
    if (refl[at(k)] < 0) change_sign(s, keys[at(k)]);
  }
}

}  // namespace

// Exact arithmetic raises the off-diagonal total with every reflection, so a handful of
// passes over the keys settles any pattern; the cap only guards against rounding (or a
// value that is not a number) keeping the loop alive.
std::int32_t reflection_flip_cap(std::int32_t k) { return 64 * k + 64; }

void reflection_search(std::span<const float> m, std::int32_t k, std::span<std::int32_t> sign,
                       std::array<float, 4>& rsum) {
  assert(k >= 2 && m.size() >= static_cast<std::size_t>(k) * static_cast<std::size_t>(k));
  rsum = {0.0f, 0.0f, 0.0f, -0.0f};
  key_submatrix w;
  w.k = k;
  w.cs.assign(static_cast<std::size_t>(k), 0.0f);
  w.sign = sign;
  // Signed squares, cubes, then first powers; each trial starts afresh, and the pattern and
  // matrix of the last one (first powers) are kept.
  const std::int32_t trials[3] = {2, 3, 1};
  const column_function functions[4] = {nullptr, first_power, signed_square, cube};
  for (const std::int32_t t : trials) {
    w.m.assign(m.begin(), m.begin() + static_cast<std::ptrdiff_t>(k) * k);
    for (std::int32_t l = 1; l <= k; ++l) {
      w.at2(l, l) = 0.0f;
      sign[at(l)] = 1;
    }
    if (t != 1) {
      w.column_sums(functions[t]);
      w.flip_until_nonnegative(functions[t]);
    }
    w.column_sums(first_power);
    w.flip_until_nonnegative(first_power);
    rsum[static_cast<std::size_t>(t - 1)] = rsum[static_cast<std::size_t>(t - 1)] + w.total();
  }
  if (k > exhaustive_limit) return;

  // Every sign pattern of keys 1..k-1 relative to the first-power one, one key changed per
  // step in Gray-code order; key k keeps its sign. A tie keeps the pattern found first.
  rsum[3] = rsum[0];
  float best = rsum[0];
  float total = rsum[0];
  std::vector<std::int32_t> best_sign(sign.begin(), sign.begin() + k);
  std::vector<std::int32_t> digit(static_cast<std::size_t>(k - 1), 1);
  for (;;) {
    std::int32_t i = 1;
    for (; i <= k - 1; ++i) {
      digit[at(i)] = -digit[at(i)];
      if (digit[at(i)] == -1) break;
    }
    if (i > k - 1) break;
    total = total - 4.0f * w.cs[at(i)];
    w.reflect(i, first_power);
    if (total > best) {
      best = total;
      rsum[3] = total;
      std::copy(sign.begin(), sign.begin() + k, best_sign.begin());
    }
  }
  std::copy(best_sign.begin(), best_sign.end(), sign.begin());
}

void CC5_refl(std::span<const std::int32_t> keys, std::span<std::int32_t> refl, std::int32_t nkeys,
              std::span<float> a, std::int32_t mode) {
  analysis& s = state();
  switch (mode) {
    case 1:
      if (s.c.iter_no == 1) {
        if (nkeys == 1) {
          refl[0] = keys[0];
          return;
        }
        std::vector<float> m(static_cast<std::size_t>(nkeys) * static_cast<std::size_t>(nkeys));
        for (std::int32_t p = 1; p <= nkeys; ++p) {
          for (std::int32_t l = 1; l <= nkeys; ++l) {
            m[static_cast<std::size_t>(p - 1) * static_cast<std::size_t>(nkeys) + at(l)] =
                s.r(keys[at(l)], keys[at(p)]);
          }
        }
        std::vector<std::int32_t> sign(static_cast<std::size_t>(nkeys), 1);
        reflection_search(m, nkeys, sign, s.RSUM);
        for (std::int32_t l = 1; l <= nkeys; ++l) refl[at(l)] = sign[at(l)] * keys[at(l)];
      }
      apply_reflection(s, keys, refl, nkeys);
      break;
    case 2:
      for (std::int32_t k = 1; k <= nkeys; ++k) {
        if (refl[at(k)] < 0) a[at(keys[at(k)])] = -a[at(keys[at(k)])];
      }
      apply_reflection(s, keys, refl, nkeys);
      break;
    default:
      proc_error("CC5_refl: select case faulure");
  }
}

}  // namespace korvex::cc5
