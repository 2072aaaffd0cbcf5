// Unit tests of the vector and matrix routines: single-precision sums in index order, the
// NaN and tie behaviour of the largest/smallest element, the descending index sort and the
// k-largest selection (which decide pivots and listing order), and the 999-row matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "executive/vecmat.hpp"

namespace korvex {
namespace {

const float nan_f = std::numeric_limits<float>::quiet_NaN();

// Equal values, or both NaN.
bool same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// A square matrix of order up to n in a 999-row column-major array, every element `fill`.
std::vector<float> matrix(std::int32_t n, float fill) {
  return std::vector<float>(mat_index(n, n) + 1, fill);
}

// ---- sums -------------------------------------------------------------------------------

TEST(VecmatSums, SumsAreSinglePrecisionInIndexOrder) {
  // 1e8 + 1 is 1e8 in single precision, so the order of the terms shows in the result.
  const std::vector<float> absorbed = {1e8f, 1.0f, -1e8f};
  const std::vector<float> kept = {1e8f, -1e8f, 1.0f};
  EXPECT_EQ(vec_sum(absorbed, 3), 0.0f);
  EXPECT_EQ(vec_sum(kept, 3), 1.0f);
  EXPECT_EQ(vec_sum(kept, 0), 0.0f);
  EXPECT_EQ(vec_sum(kept, -2), 0.0f);

  const std::vector<float> ones = {1.0f, 1.0f, 1.0f};
  EXPECT_EQ(dot_columns(absorbed, ones, 3), 0.0f);
  EXPECT_EQ(dot_columns(kept, ones, 3), 1.0f);
  EXPECT_EQ(dot_columns(kept, ones, 0), 0.0f);

  std::vector<float> c(3, -9.0f);
  vec_add(absorbed, kept, c, 2);
  EXPECT_EQ(c, (std::vector<float>{2e8f, -1e8f + 1.0f, -9.0f}));
}

TEST(VecmatSums, VarianceIsThePopulationVariance) {
  float var = -1.0f;
  vec_variance(std::vector<float>{1.0f, 2.0f, 3.0f, 4.0f}, var, 4);
  EXPECT_EQ(var, 1.25f);
  vec_variance(std::vector<float>{5.0f}, var, 1);
  EXPECT_EQ(var, 0.0f);
  vec_variance(std::vector<float>{}, var, 0);
  EXPECT_TRUE(std::isnan(var));
}

TEST(VecmatSums, MeanSquareOffDiagonalReadsOnlyTheLowerTriangle) {
  std::vector<float> a = matrix(3, 100.0f);  // upper triangle and diagonal must not count
  a[mat_index(2, 1)] = 0.5f;
  float r = -1.0f;
  mean_sq_offdiag(a, 2, r);
  EXPECT_EQ(r, 0.25f);

  a[mat_index(3, 1)] = 1.0f;
  a[mat_index(3, 2)] = 0.5f;
  mean_sq_offdiag(a, 3, r);
  EXPECT_EQ(r, 0.5f);  // (0.25 + 1 + 0.25) / 3

  mean_sq_offdiag(a, 1, r);
  EXPECT_TRUE(std::isnan(r));
}

// ---- largest and smallest element -------------------------------------------------------

TEST(VecmatExtremes, MaxAndMinIndexTiesAndNans) {
  struct Case {
    std::vector<float> v;
    float vmax;
    std::int32_t imax;
    float vmin;
    std::int32_t imin;
  };
  const Case cases[] = {
      {{3, 7, 7, 1}, 7, 2, 1, 4},
      {{3, 1, 1, 7}, 7, 4, 1, 2},
      {{nan_f, 5}, nan_f, 1, 5, 2},        // NaN first: kept by max, replaced in min
      {{1, nan_f, 5}, 5, 3, 5, 3},         // a NaN replaces the minimum, then is replaced
      {{5, 3, nan_f}, 5, 1, nan_f, 3},
      {{-2}, -2, 1, -2, 1},
  };
  for (const Case& c : cases) {
    const auto n = static_cast<std::int32_t>(c.v.size());
    float vmax = 0, vmin = 0;
    std::int32_t imax = 0, imin = 0;
    vec_max_index(c.v, n, vmax, imax);
    vec_min_index(c.v, n, vmin, imin);
    const std::string trace = ::testing::PrintToString(c.v);
    EXPECT_EQ(imax, c.imax) << trace;
    EXPECT_EQ(imin, c.imin) << trace;
    EXPECT_TRUE(same(vmax, c.vmax)) << trace << " max " << vmax;
    EXPECT_TRUE(same(vmin, c.vmin)) << trace << " min " << vmin;
  }
}

// ---- descending index sort --------------------------------------------------------------

TEST(VecmatSort, SortDescIndexKeepsTheShellSortTieOrder) {
  struct Case {
    std::vector<float> src;
    std::vector<std::int32_t> idx;
  };
  const Case cases[] = {
      {{0.2f, 0.9f, 0.5f}, {2, 3, 1}},
      {{1, 1, 1, 2}, {4, 1, 3, 2}},        // equal values out of index order
      {{2, 2, 2, 2, 2}, {1, 2, 3, 4, 5}},  // equal values are never exchanged
      {{1, nan_f, 2}, {3, 2, 1}},          // a NaN is always exchanged: it stays in between
      {{7}, {1}},
  };
  for (const Case& c : cases) {
    const auto n = static_cast<std::int32_t>(c.src.size());
    std::vector<float> dst(c.src.size(), -1.0f);
    std::vector<std::int32_t> idx(c.src.size(), -1);
    sort_desc_index(c.src, dst, idx, n);
    EXPECT_EQ(idx, c.idx) << ::testing::PrintToString(c.src);
    for (std::size_t i = 0; i < dst.size(); ++i) {
      EXPECT_TRUE(same(dst[i], c.src[static_cast<std::size_t>(c.idx[i]) - 1])) << i;
    }
  }

  std::vector<float> dst = {-1.0f};
  std::vector<std::int32_t> idx = {-1};
  sort_desc_index(std::vector<float>{3.0f}, dst, idx, 0);
  EXPECT_EQ(dst[0], -1.0f);
  EXPECT_EQ(idx[0], -1);
}

TEST(VecmatSort, SortDescIndexOrdersAPermutation) {
  std::mt19937 gen(12345);
  std::uniform_int_distribution<int> pick(0, 20);  // many ties
  for (int n : {2, 3, 16, 17, 200}) {
    std::vector<float> src(static_cast<std::size_t>(n));
    for (float& x : src) x = static_cast<float>(pick(gen)) * 0.25f;
    std::vector<float> dst(src.size());
    std::vector<std::int32_t> idx(src.size());
    sort_desc_index(src, dst, idx, n);
    std::vector<bool> seen(src.size(), false);
    for (std::size_t i = 0; i < src.size(); ++i) {
      ASSERT_GE(idx[i], 1);
      ASSERT_LE(idx[i], n);
      const auto from = static_cast<std::size_t>(idx[i]) - 1;
      EXPECT_FALSE(seen[from]);
      seen[from] = true;
      EXPECT_EQ(dst[i], src[from]);
      if (i > 0) {
        EXPECT_GE(dst[i - 1], dst[i]) << "n=" << n << " i=" << i;
      }
    }
  }
}

// ---- k largest --------------------------------------------------------------------------

TEST(VecmatTopK, TopKIndicesTiesSkipAndNans) {
  struct Case {
    std::vector<float> v;
    std::int32_t k, skip;
    std::vector<std::int32_t> top;
  };
  const std::vector<float> v5 = {0.1f, 0.8f, 0.3f, 0.8f, 0.5f};
  const Case cases[] = {
      {v5, 2, 0, {2, 4}},
      {v5, 2, 2, {4, 5}},
      {v5, 2, 9, {2, 4}},                   // skip outside 1..n leaves nothing out
      {v5, 2, 4, {2, 5}},                   // skip in the scanned tail
      {v5, 5, 0, {2, 4, 5, 3, 1}},
      {{2, 2, 3, 2, 2}, 3, 0, {3, 2, 1}},   // head sort puts equal values out of order
      {{1, 2, 3, 3}, 2, 0, {3, 4}},         // a later equal value never passes
      {{0.5f, 0.7f, nan_f, 0.9f}, 2, 0, {4, 2}},  // a NaN never enters from the scan
      {{0.9f, 0.1f, 0.2f}, 1, 1, {3}},
  };
  for (const Case& c : cases) {
    std::vector<std::int32_t> top(static_cast<std::size_t>(c.k), -1);
    top_k_indices(c.v, static_cast<std::int32_t>(c.v.size()), top, c.k, c.skip);
    EXPECT_EQ(top, c.top) << ::testing::PrintToString(c.v) << " k=" << c.k
                          << " skip=" << c.skip;
  }

  std::vector<std::int32_t> untouched = {-1};
  top_k_indices(v5, 5, untouched, 0, 0);
  EXPECT_EQ(untouched[0], -1);
}

// ---- copies, fills, diagonals -----------------------------------------------------------

TEST(VecmatCopy, RealToIntTruncatesAndNeverOverflows) {
  constexpr auto lo = std::numeric_limits<std::int32_t>::min();
  constexpr auto hi = std::numeric_limits<std::int32_t>::max();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> src = {2.7f, -2.7f, -0.5f, nan_f, 3e9f, -3e9f, inf, -inf,
                                  2147483648.0f, -2147483648.0f, 2147483520.0f};
  std::vector<std::int32_t> dst(src.size(), 99);
  copy_real_to_int(src, dst, static_cast<std::int32_t>(src.size()));
  EXPECT_EQ(dst, (std::vector<std::int32_t>{2, -2, 0, 0, hi, lo, hi, lo, hi, lo, 2147483520}));
}

TEST(VecmatCopy, CopiesAndFillsTouchOnlyTheFirstN) {
  std::vector<std::int32_t> iv = {9, 9, 9, 9};
  std::vector<float> rv = {9, 9, 9, 9};
  fill_index(iv, 3);
  EXPECT_EQ(iv, (std::vector<std::int32_t>{1, 2, 3, 9}));
  copy_int_to_real(iv, rv, 2);
  EXPECT_EQ(rv, (std::vector<float>{1, 2, 9, 9}));
  fill_real(rv, 1, -0.5f);
  fill_int(iv, 2, 7);
  EXPECT_EQ(rv, (std::vector<float>{-0.5f, 2, 9, 9}));
  EXPECT_EQ(iv, (std::vector<std::int32_t>{7, 7, 3, 9}));
  std::vector<float> r2 = {0, 0, 0, 0};
  std::vector<std::int32_t> i2 = {0, 0, 0, 0};
  copy_real(rv, r2, 3);
  copy_int(iv, i2, 3);
  EXPECT_EQ(r2, (std::vector<float>{-0.5f, 2, 9, 0}));
  EXPECT_EQ(i2, (std::vector<std::int32_t>{7, 7, 3, 0}));

  // n <= 0 changes nothing.
  for (const std::int32_t n : {0, -3}) {
    fill_index(iv, n);
    fill_int(iv, n, 0);
    fill_real(rv, n, 0);
    copy_real(r2, rv, n);
    copy_int(i2, iv, n);
    copy_int_to_real(i2, rv, n);
    copy_real_to_int(r2, iv, n);
    vec_add(r2, r2, rv, n);
  }
  EXPECT_EQ(rv, (std::vector<float>{-0.5f, 2, 9, 9}));
  EXPECT_EQ(iv, (std::vector<std::int32_t>{7, 7, 3, 9}));
}

TEST(VecmatMatrix, DiagonalRoundTripLeavesTheRestAlone) {
  std::vector<float> a = matrix(4, 5.0f);
  const std::vector<float> v = {1.0f, 2.0f, 3.0f};
  put_diagonal(v, a, 3);
  std::vector<float> d(3, 0.0f);
  get_diagonal(a, d, 3);
  EXPECT_EQ(d, v);
  // Element (j, k) sits at (k - 1) * 999 + (j - 1): the diagonal steps by 1000.
  EXPECT_EQ(a[0], 1.0f);
  EXPECT_EQ(a[1000], 2.0f);
  EXPECT_EQ(a[2000], 3.0f);
  std::size_t changed = 0;
  for (float x : a) changed += x != 5.0f;
  EXPECT_EQ(changed, 3u);
}

}  // namespace
}  // namespace korvex
