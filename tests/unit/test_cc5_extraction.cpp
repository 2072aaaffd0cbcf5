// CC5's dimensions against independent computations: single-pivot dimensions against the
// pivoted Cholesky factor (tests/reference/cc5_pivot_cholesky.R and .out), preset
// multiple-group dimensions against the formula a = R[, k] e / sqrt(e' R[k, k] e) worked in
// double here, the reflection of a negatively correlated pair, and the outputs that must
// agree with one another (DIAGV1 and UFACT1, CLUST1 and REFLX1).
#include <cmath>
#include <string>
#include <vector>

#include "test_cc5_fixture.hpp"

namespace korvex {
namespace {

using testing::Cc5Run;
using testing::Factors;
using testing::Sym;

// A three-factor model rounded to three decimals (the matrix of cc5_pivot_cholesky.R).
Sym seven() {
  return Sym::from_lower(7, {0.252, 0.572, 0.14, 0.495, 0.332, 0.428, 0.439, 0.252, 0.215, 0.562, 0.382,
                             0.202, 0.406, 0.461, 0.439, 0.423, 0.4, 0.258, 0.353, 0.355, 0.415});
}

class Cc5Extraction : public Cc5Run {};

TEST_F(Cc5Extraction, SinglePivotDimensionsAreThePivotedCholeskyFactor) {
  put_inputs(seven(), std::vector<double>(7, 1.0));
  // KON1 = 5, NDIM = 3, ITERC = 1.
  ASSERT_FALSE(run({card1({{9, "5"}, {17, "3"}, {21, "1"}}), card2()}).stopped);
  // From cc5_pivot_cholesky.out (R's chol with pivoting, rows in the original order).
  const double want[7][3] = {
      {1.0000000, 0.0000000, 0.0000000}, {0.2520000, 0.2188756, 0.9426502},
      {0.5720000, 0.1231327, 0.2842043}, {0.1400000, 0.9901515, 0.0000000},
      {0.4950000, 0.3572181, 0.0128082}, {0.3320000, 0.3570363, 0.4245365},
      {0.4280000, 0.2000502, 0.2443726},
  };
  const Factors f = ufact1();
  ASSERT_EQ(f.n, 7);
  ASSERT_EQ(f.nf, 3);
  for (int i = 1; i <= 7; ++i) {
    for (int L = 1; L <= 3; ++L) EXPECT_NEAR(f(i, L), want[i - 1][L - 1], 1e-5) << i << "," << L;
  }
  const std::vector<float> d = diagv1();
  ASSERT_EQ(d.size(), 7u);
  for (int i = 1; i <= 7; ++i) {
    float h = 0.0f;
    for (int L = 1; L <= 3; ++L) h = h + f(i, L) * f(i, L);
    EXPECT_EQ(d[static_cast<std::size_t>(i - 1)], h) << "variable " << i;
  }
  EXPECT_EQ(table("CLUST1"), (std::vector<std::vector<std::int32_t>>{{1}, {4}, {2}}));
  EXPECT_EQ(table("REFLX1"), (std::vector<std::vector<std::int32_t>>{{1}, {4}, {2}}));
}

// Two clusters of three; variable 3 runs against 1 and 2 (lower triangle by columns).
Sym two_clusters() {
  return Sym::from_lower(6, {0.60, -0.50, 0.15, 0.10, 0.20,    // column 1
                             -0.45, 0.12, 0.18, 0.05,          // column 2
                             -0.10, -0.08, -0.15,              // column 3
                             0.55, 0.50,                       // column 4
                             0.40});                           // column 5
}
const std::vector<double> two_cluster_h = {0.60, 0.55, 0.50, 0.50, 0.45, 0.40};

// The signs e of a reflection list (-1 where the entry is negative).
std::vector<int> signs(const std::vector<std::int32_t>& refl) {
  std::vector<int> e;
  for (std::int32_t v : refl) e.push_back(v < 0 ? -1 : 1);
  return e;
}

std::vector<int> positions(const std::vector<std::int32_t>& keys) { return {keys.begin(), keys.end()}; }

// The best off-diagonal sum of the key submatrix over every sign pattern, in double.
double best_reflected_sum(const Sym& r, const std::vector<int>& keys) {
  const int k = static_cast<int>(keys.size());
  double best = -1e30;
  for (int bits = 0; bits < (1 << k); ++bits) {
    double s = 0.0;
    for (int p = 0; p < k; ++p) {
      for (int q = 0; q < k; ++q) {
        if (p != q) s += ((bits >> p) & 1 ? -1 : 1) * ((bits >> q) & 1 ? -1 : 1) * r(keys[p], keys[q]);
      }
    }
    best = std::max(best, s);
  }
  return best;
}

double reflected_sum(const Sym& r, const std::vector<int>& keys, const std::vector<int>& e) {
  double s = 0.0;
  for (std::size_t p = 0; p < keys.size(); ++p) {
    for (std::size_t q = 0; q < keys.size(); ++q) {
      if (p != q) s += e[p] * e[q] * r(keys[p], keys[q]);
    }
  }
  return s;
}

Sym with_diagonal(Sym r, const std::vector<double>& h) {
  for (int i = 1; i <= r.n; ++i) r.at(i, i) = h[static_cast<std::size_t>(i - 1)];
  return r;
}

void expect_column(const Factors& f, int L, const std::vector<double>& want, double tol) {
  for (int i = 1; i <= f.n; ++i) EXPECT_NEAR(f(i, L), want[static_cast<std::size_t>(i - 1)], tol) << "row " << i << ", dimension " << L;
}

// Dimension 1 from the first list on R with the estimates on its diagonal, dimension 2 from
// the second on what dimension 1 leaves; the signs are those of REFLX1, and they give the
// best reflected sum there is.
TEST_F(Cc5Extraction, PresetListsFromCardsAreMultipleGroupDimensions) {
  put_inputs(two_clusters(), two_cluster_h);
  // KON1 = 3, NDIM = 2, ITERC = 1.
  ASSERT_FALSE(run({card1({{9, "3"}, {17, "2"}, {21, "1"}}), card2(), "1,2,3.", "4,5,6."}).stopped);
  const std::vector<std::vector<std::int32_t>> clust = table("CLUST1");
  const std::vector<std::vector<std::int32_t>> refl = table("REFLX1");
  ASSERT_EQ(clust, (std::vector<std::vector<std::int32_t>>{{1, 2, 3}, {4, 5, 6}}));
  ASSERT_EQ(refl.size(), 2u);
  const Factors f = ufact1();
  ASSERT_EQ(f.nf, 2);

  const Sym r0 = with_diagonal(two_clusters(), two_cluster_h);
  const std::vector<double> a1 = testing::group_factor(r0, positions(clust[0]), signs(refl[0]));
  expect_column(f, 1, a1, 1e-5);
  EXPECT_NEAR(reflected_sum(r0, positions(clust[0]), signs(refl[0])),
              best_reflected_sum(r0, positions(clust[0])), 1e-6);
  EXPECT_EQ(refl[0], (std::vector<std::int32_t>{1, 2, -3}));

  const Sym r1 = testing::residual(r0, a1);
  expect_column(f, 2, testing::group_factor(r1, positions(clust[1]), signs(refl[1])), 1e-5);
  EXPECT_NEAR(reflected_sum(r1, positions(clust[1]), signs(refl[1])),
              best_reflected_sum(r1, positions(clust[1])), 1e-6);

  const std::vector<float> d = diagv1();
  ASSERT_EQ(d.size(), 6u);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(d[static_cast<std::size_t>(i - 1)], 0.0f + f(i, 1) * f(i, 1) + f(i, 2) * f(i, 2));
}

// A second pass puts the communalities of the first on the diagonal of the matrix as read
// and extracts the same keys with the same signs again.
TEST_F(Cc5Extraction, LaterPassesStartFromTheCorrelationsWithTheNewCommunalities) {
  put_inputs(two_clusters(), two_cluster_h);
  ASSERT_FALSE(run({card1({{9, "3"}, {17, "2"}, {21, "2"}}), card2(), "1,2,3.", "4,5,6."}).stopped);
  const std::vector<std::vector<std::int32_t>> refl = table("REFLX1");
  ASSERT_EQ(refl.size(), 2u);
  const std::vector<int> k1 = {1, 2, 3};
  const std::vector<int> k2 = {4, 5, 6};

  const Sym r0 = with_diagonal(two_clusters(), two_cluster_h);
  const std::vector<double> a1 = testing::group_factor(r0, k1, signs(refl[0]));
  const std::vector<double> a2 = testing::group_factor(testing::residual(r0, a1), k2, signs(refl[1]));
  std::vector<double> h1(6);
  for (std::size_t i = 0; i < 6; ++i) h1[i] = a1[i] * a1[i] + a2[i] * a2[i];

  const Sym p0 = with_diagonal(two_clusters(), h1);
  const std::vector<double> b1 = testing::group_factor(p0, k1, signs(refl[0]));
  const std::vector<double> b2 = testing::group_factor(testing::residual(p0, b1), k2, signs(refl[1]));
  const Factors f = ufact1();
  ASSERT_EQ(f.nf, 2);
  expect_column(f, 1, b1, 1e-5);
  expect_column(f, 2, b2, 1e-5);
  EXPECT_NE(std::fabs(b1[0] - a1[0]), 0.0);  // the passes do differ
  EXPECT_NE(find_line(listing(), "(ITERATION NUMBER 2)"), -1);
}

// Small clusters worked by hand: one key (communality 0.64, correlations 0.32 and -0.48)
// gives 0.8, 0.4 and -0.6; two keys of communality 0.5 correlating -0.5 are summed with
// the first reflected: s = 2, coefficients -0.707 and +0.707, and (0.2 - 0.1) / sqrt(2)
// with the sign of the unreflected side for the third variable.
TEST_F(Cc5Extraction, SmallClustersWorkedByHand) {
  struct Case {
    std::vector<double> lower;
    std::vector<double> h;
    std::string list;
    std::vector<float> coefficients;
    std::vector<std::int32_t> refl;
  };
  const float r2 = std::sqrt(0.5f);
  const std::vector<Case> cases = {
      {{0.32, -0.48, 0.10}, {0.64, 0.5, 0.5}, "1.", {0.8f, 0.4f, -0.6f}, {1}},
      {{-0.5, 0.2, 0.1}, {0.5, 0.5, 0.5}, "1,2.", {-r2, r2, -0.1f / 1.4142136f}, {-1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    fresh_process();
    put_inputs(Sym::from_lower(3, c.lower), c.h);
    ASSERT_FALSE(run({card1({{9, "3"}, {17, "1"}}), card2(), c.list}).stopped);
    const Factors f = ufact1();
    ASSERT_EQ(f.nf, 1);
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(f(i, 1), c.coefficients[static_cast<std::size_t>(i - 1)], 1e-6);
    EXPECT_EQ(table("REFLX1"), (std::vector<std::vector<std::int32_t>>{c.refl}));
  }
  // The pair's report: every reflection method reaches a mean off-diagonal 0.5, variable 1
  // is reflected, and the mean key correlation is s / k^2 = 0.5.
  const std::vector<std::string> lines = listing();
  // With 118 columns: c = 23 columns per method and h = 11 before the first.
  const int head = find_line(lines, "CUBED");
  ASSERT_GE(head, 1);
  const std::string blanks17(17, ' ');
  EXPECT_EQ(lines[static_cast<std::size_t>(head - 1)], std::string(52, ' ') + "FIRST" + blanks17 + "SIGNED");
  EXPECT_EQ(lines[static_cast<std::size_t>(head)], std::string(27, ' ') + "OPTIMAL" + std::string(18, ' ') + "POWER" +
                                                       std::string(16, ' ') + "SQUARED" + std::string(18, ' ') + "CUBED");
  EXPECT_EQ(lines[static_cast<std::size_t>(head + 1)], std::string(11, ' ') + blanks17 + "0.5000" + blanks17 + "0.5000" +
                                                           blanks17 + "0.5000" + blanks17 + "0.5000");
  const int reflected = find_line(lines, "VARIABLES REFLECTED");
  ASSERT_NE(reflected, -1);
  EXPECT_NE(find_line(lines, "1 VAR_1", reflected), -1);
  const int mean = find_line(lines, "MEAN CORRELATION BETWEEN THE KEY CLUSTER VARIABLES (AS REFLECTED) OF DIMENSION 1");
  ASSERT_NE(mean, -1);
  EXPECT_EQ(lines[static_cast<std::size_t>(mean + 2)], "          0.500");
}

// A preset analysis from the CLUST1 of an earlier analysis repeats it exactly.
TEST_F(Cc5Extraction, PresetFromAPriorAnalysisRepeatsIt) {
  put_inputs(two_clusters(), two_cluster_h);
  ASSERT_FALSE(run({card1({}), card2()}).stopped);  // mutual collinearity, four passes
  const Factors first = ufact1();
  const std::vector<std::vector<std::int32_t>> clust = table("CLUST1");
  const std::vector<std::vector<std::int32_t>> refl = table("REFLX1");
  ASSERT_GE(first.nf, 1);
  put_diag(two_cluster_h);  // the estimates the first analysis started from
  ASSERT_FALSE(run({card1({{9, "4"}}), card2()}).stopped);
  const Factors second = ufact1();
  ASSERT_EQ(second.nf, first.nf);
  for (int L = 1; L <= first.nf; ++L) EXPECT_EQ(second.col[static_cast<std::size_t>(L - 1)], first.col[static_cast<std::size_t>(L - 1)]);
  EXPECT_EQ(table("CLUST1"), clust);
  EXPECT_EQ(table("REFLX1"), refl);
  EXPECT_NE(find_line(listing(), "KEY VARIABLES DETERMINED BY PRIOR ANALYSIS"), -1);
}

}  // namespace
}  // namespace korvex
