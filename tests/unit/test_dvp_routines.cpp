// The numerical routines of DVP on their own: the small-matrix inversion with its singular
// flag, the large in-place inversion with its rank report, the direct estimates on the
// three-variable example and on degenerate matrices, and the PSQ row of whole columns.
#include <cmath>
#include <string>
#include <vector>

#include "test_dvp_fixture.hpp"

namespace korvex {
namespace {

using dvp::dvp_state;
using dvp::rc11;
using testing::Corr;
using testing::DvpRun;

// ---- MATINV -----------------------------------------------------------------------------

// A small matrix of leading dimension 11 from its rows.
std::vector<float> small(const std::vector<std::vector<float>>& rows) {
  std::vector<float> a(121, 0.0f);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t j = 0; j < rows[i].size(); ++j) a[j * 11 + i] = rows[i][j];
  }
  return a;
}

TEST(DvpMatinv, InvertsAndSolvesRegularMatrices) {
  std::vector<float> b(121, 0.0f);
  float det = 0.0f;
  std::int32_t singular = -1;

  std::vector<float> one = small({{4.0f}});
  dvp::MATINV(one, 1, b, 0, det, singular);
  EXPECT_FLOAT_EQ(one[0], 0.25f);
  EXPECT_FLOAT_EQ(det, 4.0f);
  EXPECT_EQ(singular, 0);

  // Pivots first on 4 at (2, 2) with no exchange; the inverse is ((-2, 1), (1.5, -0.5)).
  std::vector<float> two = small({{1.0f, 2.0f}, {3.0f, 4.0f}});
  dvp::MATINV(two, 2, b, 0, det, singular);
  EXPECT_FLOAT_EQ(det, -2.0f);
  EXPECT_FLOAT_EQ(two[rc11(1, 1)], -2.0f);
  EXPECT_FLOAT_EQ(two[rc11(1, 2)], 1.0f);
  EXPECT_FLOAT_EQ(two[rc11(2, 1)], 1.5f);
  EXPECT_FLOAT_EQ(two[rc11(2, 2)], -0.5f);

  // A row exchange: the largest entry sits off the diagonal.
  const std::vector<std::vector<float>> rows = {{2.0f, 1.0f, 0.5f}, {1.0f, 0.2f, 6.0f}, {0.5f, 3.0f, 1.0f}};
  std::vector<float> three = small(rows);
  std::vector<float> rhs(121, 0.0f);
  rhs[0] = 1.0f;  // B = e1: the solution is the first column of the inverse
  dvp::MATINV(three, 3, rhs, 1, det, singular);
  EXPECT_EQ(singular, 0);
  const float exact_det = 2.0f * (0.2f - 18.0f) - 1.0f * (1.0f - 3.0f) + 0.5f * (3.0f - 0.1f);
  EXPECT_NEAR(det, exact_det, 1e-4f);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_NEAR(rhs[rc11(i, 1)], three[rc11(i, 1)], 1e-6f) << i;
    for (int j = 1; j <= 3; ++j) {
      float product = 0.0f;  // (A A^-1)(i, j)
      for (int k = 1; k <= 3; ++k) product += rows[i - 1][k - 1] * three[rc11(k, j)];
      EXPECT_NEAR(product, i == j ? 1.0f : 0.0f, 1e-5f) << i << "," << j;
    }
  }
}

TEST(DvpMatinv, ReportsSingularMatricesInsteadOfStopping) {
  struct Case {
    const char* what;
    std::vector<std::vector<float>> rows;
  };
  const std::vector<Case> cases = {
      {"no non-zero entry at the first step", {{0.0f, 0.0f}, {0.0f, 0.0f}}},
      {"only zeros left before the last step", {{1.0f, 2.0f, 3.0f}, {2.0f, 4.0f, 6.0f}, {3.0f, 6.0f, 9.0f}}},
      {"the last remaining entry is 0", {{1.0f, 1.0f}, {1.0f, 1.0f}}},
  };
  for (const Case& c : cases) {
    std::vector<float> a = small(c.rows);
    std::vector<float> b(121, 1.0f);
    float det = 5.0f;
    std::int32_t singular = 0;
    dvp::MATINV(a, static_cast<std::int32_t>(c.rows.size()), b, 1, det, singular);
    EXPECT_EQ(singular, 1) << c.what;
    EXPECT_EQ(det, 0.0f) << c.what;
  }
}

// ---- INVRNK -----------------------------------------------------------------------------

class DvpInvrnk : public DvpRun {
 protected:
  std::vector<float> big(const Corr& c) {
    std::vector<float> a(static_cast<std::size_t>(999) * static_cast<std::size_t>(c.n), 0.0f);
    for (int j = 1; j <= c.n; ++j) {
      for (int i = 1; i <= c.n; ++i) a[static_cast<std::size_t>((j - 1) * 999 + (i - 1))] = c(i, j);
    }
    return a;
  }
};

TEST_F(DvpInvrnk, InvertsInPlace) {
  const Corr c = Corr::from_lower(3, {0.5f, 0.2f, 0.4f});
  std::vector<float> a = big(c);
  std::vector<std::int32_t> jrow(1000), mark(1000);
  float det = 0.0f;
  std::int32_t singular = -1;
  dvp::INVRNK(a, jrow, mark, 999, 3, det, singular, get_monout());
  EXPECT_EQ(singular, 0);
  EXPECT_NEAR(det, 1.0f - 0.25f - 0.04f - 0.16f + 2.0f * 0.5f * 0.2f * 0.4f, 1e-6f);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) {
      float product = 0.0f;
      for (int k = 1; k <= 3; ++k) product += c(i, k) * a[static_cast<std::size_t>((j - 1) * 999 + (k - 1))];
      EXPECT_NEAR(product, i == j ? 1.0f : 0.0f, 1e-6f) << i << "," << j;
    }
  }
}

TEST_F(DvpInvrnk, ReportsRankAndIndependentRowsOfASingularMatrix) {
  // Variables 2 and 4 are the same variable.
  Corr c = Corr::from_lower(4, {0.3f, 0.2f, 0.3f, 0.1f, 1.0f, 0.1f});
  std::vector<float> a = big(c);
  std::vector<std::int32_t> jrow(1000), mark(1000);
  float det = 1.0f;
  std::int32_t singular = 0;
  dvp::INVRNK(a, jrow, mark, 999, 4, det, singular, get_monout());
  EXPECT_EQ(singular, 1);
  EXPECT_EQ(det, 0.0f);
  const std::vector<std::string> want = {
      "",
      " *** Error: The matix inversion routine has detected a singularity.",
      "     The matrix is of rank   3.",
      "     The following is a set of linearly independent rows: ",
      "",
      "             1       2       3",
  };
  EXPECT_EQ(file_lines("MONOUT"), want);
}

TEST_F(DvpInvrnk, AcceptsAPivotOfExactlyTheThreshold) {
  for (const float pivot : {1.0e-8f, 0.99e-8f}) {
    std::vector<float> a(999, 0.0f);
    a[0] = pivot;
    std::vector<std::int32_t> jrow(1000), mark(1000);
    float det = 0.0f;
    std::int32_t singular = -1;
    dvp::INVRNK(a, jrow, mark, 999, 1, det, singular, get_monout());
    EXPECT_EQ(singular, pivot < 1.0e-8f ? 1 : 0) << pivot;
  }
}

// ---- HAT and INDVAL ---------------------------------------------------------------------

class DvpEstimates : public DvpRun {
 protected:
  // Loads c into the working state as the driver leaves it (zero diagonal).
  void load(const Corr& c) {
    auto& s = dvp_state();
    s.numvar = c.n;
    for (int j = 1; j <= c.n; ++j) {
      for (int i = 1; i <= c.n; ++i) s.r(i, j) = i == j ? 0.0f : c(i, j);
    }
  }
  std::vector<float> estimate(std::int32_t method) {
    auto& s = dvp_state();
    s.method = method;
    if (method >= 70) {
      dvp::INDVAL();
    } else {
      dvp::HAT();
    }
    return {s.diag.begin(), s.diag.begin() + s.numvar};
  }
};

TEST_F(DvpEstimates, ThreeVariableExample) {
  load(Corr::from_lower(3, {0.6f, 0.5f, 0.3f}));
  struct Case {
    std::int32_t method;
    std::vector<float> want;
  };
  const std::vector<Case> cases = {
      {50, {0.6f, 0.6f, 0.5f}},   {51, {0.55f, 0.45f, 0.4f}}, {52, {1.0f, 0.36f, 0.25f}},
      {70, {0.0f, 0.0f, 0.0f}},   {71, {1.0f, 1.0f, 1.0f}},
  };
  for (const Case& c : cases) {
    const std::vector<float> got = estimate(c.method);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(got[i], c.want[i], 1e-6f) << c.method << " variable " << i + 1;
  }
}

TEST_F(DvpEstimates, HighestAndMeanIgnoreTheDiagonal) {
  load(Corr::from_lower(3, {0.6f, -0.5f, 0.3f}));
  const std::vector<float> highest = estimate(50);
  const std::vector<float> mean = estimate(51);
  for (int j = 1; j <= 3; ++j) dvp_state().r(j, j) = 7.0f;
  EXPECT_EQ(estimate(50), highest);
  EXPECT_EQ(estimate(51), mean);
}

TEST_F(DvpEstimates, TriadsAverageTiedLargestProductsOnly) {
  // Variable 1: the pairs (2, 3) and (2, 4) share the largest product 0.8 x 0.5, with
  // r_23 = 0.8 and r_24 = 0.5 (ratios 0.5 and 0.8); pair (2, 5) falls short by 0.8 x 0.0001
  // and its r_25 = 0.1 would have counted 1.0.
  load(Corr::from_lower(5, {0.8f, 0.5f, 0.5f, 0.4999f, 0.8f, 0.5f, 0.1f, 0.3f, 0.3f, 0.3f}));
  const float p = 0.8f * 0.5f;
  EXPECT_FLOAT_EQ(estimate(52)[0], (p / 0.8f + p / 0.5f) / 2.0f);
}

TEST_F(DvpEstimates, DegenerateMatricesGiveFiniteValues) {
  struct Case {
    const char* what;
    Corr c;
    std::int32_t method;
    std::vector<float> want;
  };
  const std::vector<Case> cases = {
      // Variables 2 and 3 have no spread: r = 0 with everything.
      {"two constant variables, highest", Corr::from_lower(3, {0.0f, 0.0f, 0.0f}), 50, {0.0f, 0.0f, 0.0f}},
      {"two constant variables, triads", Corr::from_lower(4, {0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}), 52,
       {0.0f, 0.0f, 0.0f, 0.0f}},
      // A non-zero largest product over r_kl = 0 still counts 1.
      {"uncorrelated pair, triads", Corr::from_lower(3, {0.6f, 0.5f, 0.0f}), 52, {1.0f, 0.0f, 0.0f}},
      {"two variables, triads", Corr::from_lower(2, {0.7f}), 52, {0.0f, 0.0f}},
      {"one variable, mean", Corr::from_lower(1, {}), 51, {0.0f}},
      {"one variable, highest", Corr::from_lower(1, {}), 50, {0.0f}},
  };
  for (const Case& c : cases) {
    load(c.c);
    const std::vector<float> got = estimate(c.method);
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], c.want[i]) << c.what << " variable " << i + 1;
  }
}

// ---- PSQ of whole columns ---------------------------------------------------------------

TEST_F(DvpEstimates, PsqRowIsTheSquaredCosineOfWholeColumns) {
  Corr c = Corr::from_lower(4, {0.6f, 0.5f, 0.0f, 0.3f, 0.0f, 0.0f});
  load(c);
  auto& s = dvp_state();
  for (int j = 1; j <= 4; ++j) s.r(j, j) = j == 4 ? 0.0f : 0.5f;  // variable 4: a zero column
  std::vector<float> psq(999, -1.0f);
  std::vector<float> colss(4);
  column_sums_of_squares(s.R, colss, 4);
  psq_row(1, s.R, colss, psq, 4);
  const auto col = [&](int k) {
    std::vector<double> v;
    for (int i = 1; i <= 4; ++i) v.push_back(s.r(i, k));
    return v;
  };
  const auto dot = [](const std::vector<double>& x, const std::vector<double>& y) {
    double d = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) d += x[i] * y[i];
    return d;
  };
  for (int i = 1; i <= 3; ++i) {
    const double want = dot(col(i), col(1)) * dot(col(i), col(1)) / (dot(col(i), col(i)) * dot(col(1), col(1)));
    EXPECT_NEAR(psq[static_cast<std::size_t>(i - 1)], want, 1e-6) << i;
  }
  EXPECT_FLOAT_EQ(psq[0], 1.0f);
  EXPECT_EQ(psq[3], 0.0f);
}

}  // namespace
}  // namespace korvex
