// CC5's inner routines on their own: the reflection search (against every sign pattern,
// worked in double), the masked maximum of key selection, and the PSQ row that reads the
// residual matrix by rows because it is kept symmetric.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "factoring/cc5_internal.hpp"

namespace korvex {
namespace {

using cc5::reflection_search;

// Off-diagonal sum of m (k x k) with the keys signed by e, in double.
double signed_sum(const std::vector<float>& m, int k, const std::vector<int>& e) {
  double s = 0.0;
  for (int p = 0; p < k; ++p) {
    for (int l = 0; l < k; ++l) {
      if (p != l) s += e[static_cast<std::size_t>(p)] * e[static_cast<std::size_t>(l)] * m[static_cast<std::size_t>(p * k + l)];
    }
  }
  return s;
}

// The best off-diagonal sum over every sign pattern.
double best_sum(const std::vector<float>& m, int k) {
  double best = -1e30;
  for (int bits = 0; bits < (1 << k); ++bits) {
    std::vector<int> e(static_cast<std::size_t>(k));
    for (int p = 0; p < k; ++p) e[static_cast<std::size_t>(p)] = (bits >> p) & 1 ? -1 : 1;
    best = std::max(best, signed_sum(m, k, e));
  }
  return best;
}

std::vector<float> random_symmetric(int k, std::mt19937& rng) {
  std::uniform_real_distribution<float> u(-0.9f, 0.9f);
  std::vector<float> m(static_cast<std::size_t>(k * k), 0.0f);
  for (int p = 0; p < k; ++p) {
    m[static_cast<std::size_t>(p * k + p)] = 0.7f;  // the diagonal plays no part
    for (int l = p + 1; l < k; ++l) {
      const float v = u(rng);
      m[static_cast<std::size_t>(p * k + l)] = v;
      m[static_cast<std::size_t>(l * k + p)] = v;
    }
  }
  return m;
}

TEST(Cc5Reflection, TwoKeysWithANegativeCorrelation) {
  const std::vector<float> m = {0.5f, -0.5f, -0.5f, 0.5f};
  std::vector<std::int32_t> sign(2, 0);
  std::array<float, 4> rsum{};
  reflection_search(m, 2, sign, rsum);
  EXPECT_EQ(sign, (std::vector<std::int32_t>{-1, 1}));  // the lower index is reflected
  EXPECT_EQ(rsum, (std::array<float, 4>{1.0f, 1.0f, 1.0f, 1.0f}));
}

TEST(Cc5Reflection, PositiveKeysAreNeverReflected) {
  const int k = 4;
  std::vector<float> m(16, 0.3f);
  std::vector<std::int32_t> sign(4, 0);
  std::array<float, 4> rsum{};
  reflection_search(m, k, sign, rsum);
  EXPECT_EQ(sign, (std::vector<std::int32_t>{1, 1, 1, 1}));
  for (float s : rsum) EXPECT_FLOAT_EQ(s, 12 * 0.3f);
}

// Up to ten keys the search finds the best pattern; its own sum is what it reports, and no
// trial method does better.
TEST(Cc5Reflection, OptimalSearchFindsTheBestPattern) {
  std::mt19937 rng(5150u);
  for (int k = 2; k <= 10; ++k) {
    for (int rep = 0; rep < 20; ++rep) {
      SCOPED_TRACE("k = " + std::to_string(k) + ", rep " + std::to_string(rep));
      const std::vector<float> m = random_symmetric(k, rng);
      std::vector<std::int32_t> sign(static_cast<std::size_t>(k), 0);
      std::array<float, 4> rsum{};
      reflection_search(m, k, sign, rsum);
      const std::vector<int> e(sign.begin(), sign.end());
      const double best = best_sum(m, k);
      EXPECT_NEAR(rsum[3], best, 1e-4);
      EXPECT_NEAR(signed_sum(m, k, e), best, 1e-4);
      for (int t = 0; t < 3; ++t) EXPECT_LE(rsum[static_cast<std::size_t>(t)], rsum[3] + 1e-4);
    }
  }
}

// From eleven keys on only the first-power method decides: every column sum of the
// reflected matrix is non-negative, and the optimal sum stays -0.0.
TEST(Cc5Reflection, ElevenKeysOrMoreUseTheFirstPowerPattern) {
  std::mt19937 rng(77u);
  for (int k : {11, 12, 30}) {
    const std::vector<float> m = random_symmetric(k, rng);
    std::vector<std::int32_t> sign(static_cast<std::size_t>(k), 0);
    std::array<float, 4> rsum{};
    reflection_search(m, k, sign, rsum);
    EXPECT_EQ(rsum[3], 0.0f);
    EXPECT_TRUE(std::signbit(rsum[3]));
    for (int p = 0; p < k; ++p) {
      double cs = 0.0;
      for (int l = 0; l < k; ++l) {
        if (l != p) cs += sign[static_cast<std::size_t>(l)] * sign[static_cast<std::size_t>(p)] * m[static_cast<std::size_t>(p * k + l)];
      }
      EXPECT_GE(cs, -1e-5) << "k " << k << " key " << p + 1;
    }
    EXPECT_NEAR(rsum[0], signed_sum(m, k, std::vector<int>(sign.begin(), sign.end())), 1e-3);
  }
}

// A value that is not a number can never satisfy the sign loop; the cap ends it.
TEST(Cc5Reflection, NotANumberCannotKeepTheLoopGoing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int k : {3, 12}) {
    std::vector<float> m(static_cast<std::size_t>(k * k), -0.2f);
    m[1] = nan;
    m[static_cast<std::size_t>(k)] = nan;
    std::vector<std::int32_t> sign(static_cast<std::size_t>(k), 0);
    std::array<float, 4> rsum{};
    reflection_search(m, k, sign, rsum);  // returns
    for (std::int32_t s : sign) EXPECT_TRUE(s == 1 || s == -1);
  }
}

TEST(Cc5PickMax, LowestNonExcludedPositionOfTheLargestValue) {
  struct Case {
    std::vector<float> v;
    std::vector<std::int32_t> excl;
    std::int32_t nexcl;
    std::int32_t want;
  };
  const std::vector<Case> cases = {
      {{1, 5, 5, 2}, {}, 0, 2},             // first maximum
      {{1, 5, 5, 2}, {2}, 1, 3},            // the tie after an exclusion
      {{9, 5, 5, 7}, {1}, 1, 4},            // largest among the rest
      {{9, 5, 5, 7}, {1, 2, 4}, 3, 3},      // all but one excluded
      {{9, 5, 5, 7}, {1, 2, 3, 4}, 4, 0},   // nothing left
      {{9, 5, 5, 7}, {4, 4, 4, 4, 4}, 5, 0},  // nexcl >= n
      {{9, 5, 5, 7}, {1}, -1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cc5::CC5_pick_max(c.v, static_cast<std::int32_t>(c.v.size()), c.excl, c.nexcl), c.want);
  }
}

class Cc5PsqRow : public ::testing::Test {
 protected:
  void SetUp() override { cc5::begin_analysis(); }
  void TearDown() override { cc5::end_analysis(); }
};

TEST_F(Cc5PsqRow, SquaredCosinesOfWholeColumns) {
  cc5::analysis& s = cc5::state();
  const int n = 5;
  s.c.numvar = n;
  const double r[5][5] = {{0.7, 0.5, -0.3, 0.0, 0.2},
                          {0.5, 0.6, 0.1, 0.0, -0.4},
                          {-0.3, 0.1, 0.9, 0.0, 0.25},
                          {0.0, 0.0, 0.0, 0.0, 0.0},
                          {0.2, -0.4, 0.25, 0.0, 0.5}};
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) s.r(i, j) = static_cast<float>(r[i - 1][j - 1]);
  }
  std::vector<float> colss(n);
  std::vector<float> psq(n);
  column_sums_of_squares(s.R, colss, n);
  for (int j = 1; j <= n; ++j) {
    psq_row(j, s.R, colss, psq, n);
    for (int i = 1; i <= n; ++i) {
      double c = 0, si = 0, sj = 0;
      for (int m = 0; m < n; ++m) {
        c += r[m][i - 1] * r[m][j - 1];
        si += r[m][i - 1] * r[m][i - 1];
        sj += r[m][j - 1] * r[m][j - 1];
      }
      const double want = si * sj == 0.0 ? 0.0 : c * c / (si * sj);
      EXPECT_NEAR(psq[static_cast<std::size_t>(i - 1)], want, 1e-6) << i << "," << j;
    }
  }
}

}  // namespace
}  // namespace korvex
