// The whole way of a suppression through the analysis: SLEEP sets two of six variables
// aside, DVP and CC5 factor the active four, RESTOR brings the sleepers back, and a later
// CC5 works on all six again. The sleepers' coefficients are checked against least squares
// solved here in double precision from what CC5 left on the ISF.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "factoring/cc5.hpp"
#include "factoring/factoring.hpp"
#include "test_select_fixture.hpp"

namespace korvex::testing {
namespace {

// x solving the symmetric positive definite system a x = b (n x n, row-major), by
// Gaussian elimination with partial pivoting in double precision.
std::vector<double> solve(std::vector<double> a, std::vector<double> b, std::size_t n) {
  for (std::size_t p = 0; p < n; ++p) {
    std::size_t best = p;
    for (std::size_t i = p + 1; i < n; ++i) {
      if (std::fabs(a[i * n + p]) > std::fabs(a[best * n + p])) best = i;
    }
    for (std::size_t k = 0; k < n; ++k) std::swap(a[p * n + k], a[best * n + k]);
    std::swap(b[p], b[best]);
    for (std::size_t i = p + 1; i < n; ++i) {
      const double m = a[i * n + p] / a[p * n + p];
      for (std::size_t k = p; k < n; ++k) a[i * n + k] -= m * a[p * n + k];
      b[i] -= m * b[p];
    }
  }
  std::vector<double> x(n, 0.0);
  for (std::size_t i = n; i-- > 0;) {
    double s = b[i];
    for (std::size_t k = i + 1; k < n; ++k) s -= a[i * n + k] * x[k];
    x[i] = s / a[i * n + i];
  }
  return x;
}

class RestorChain : public SelectionTest {
 protected:
  void SetUp() override {
    SelectionTest::SetUp();
    reset_dvp();
  }
  void TearDown() override {
    reset_dvp();
    SelectionTest::TearDown();
  }
};

TEST_F(RestorChain, SleepFactorRestoreAndFactorAgain) {
  const Square r = six_correlations();
  put_analysis(r, six_names);
  // SLEEP's list; DVP's card; CC5's two cards; CC5's two cards again after RESTOR.
  deck({"Reading, 5.", "", "", "", "", ""});
  ASSERT_FALSE(run(&SLEEP).stopped);
  const Outcome dvp = run(&DVP);
  ASSERT_FALSE(dvp.stopped) << dvp.console;
  const Outcome cc5 = run(&CC5);
  ASSERT_FALSE(cc5.stopped) << cc5.console;

  Kpar kpar{};
  const std::vector<std::vector<float>> fa = factors(&kpar);
  const std::size_t nf = static_cast<std::size_t>(kpar[2]);
  ASSERT_EQ(fa.size(), 4u) << "CC5 factors the active variables only";
  ASSERT_GE(nf, 1u);

  const Outcome restor = run(&RESTOR);
  ASSERT_FALSE(restor.stopped) << restor.console;

  const Entry<float> c1 = square("CORRM1");
  EXPECT_EQ(c1.kpar[1], 6);
  EXPECT_EQ(c1.kpar[2], 250);
  EXPECT_EQ(c1.values, r.a) << "the correlations come back exactly";

  // B = R[s, a] F_a (F_a' F_a)^-1, row by row through the normal equations.
  const std::vector<int> active = {1, 3, 4, 6};
  std::vector<double> ftf(nf * nf, 0.0);
  for (std::size_t j = 0; j < nf; ++j) {
    for (std::size_t k = 0; k < nf; ++k) {
      for (std::size_t a = 0; a < 4; ++a) ftf[j * nf + k] += static_cast<double>(fa[a][j]) * fa[a][k];
    }
  }
  const std::vector<std::vector<float>> f = factors(&kpar);
  ASSERT_EQ(f.size(), 6u);
  for (std::size_t a = 0; a < 4; ++a) EXPECT_EQ(f[static_cast<std::size_t>(active[a] - 1)], fa[a]);
  for (const int s : {2, 5}) {
    std::vector<double> rhs(nf, 0.0);
    for (std::size_t k = 0; k < nf; ++k) {
      for (std::size_t a = 0; a < 4; ++a) rhs[k] += static_cast<double>(r(s, active[a])) * fa[a][k];
    }
    const std::vector<double> b = solve(ftf, rhs, nf);
    for (std::size_t k = 0; k < nf; ++k) {
      EXPECT_NEAR(f[static_cast<std::size_t>(s - 1)][k], b[k], 1e-5) << "sleeper " << s << " dimension " << k + 1;
    }
  }

  const Entry<float> d = reals("DIAGV1");
  ASSERT_EQ(d.values.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    float h = 0.0f;
    for (const float x : f[i]) h += x * x;
    EXPECT_EQ(d.values[i], h) << "variable " << i + 1;
  }

  const Outcome again = run(&CC5);
  EXPECT_FALSE(again.stopped) << again.console;
  EXPECT_EQ(factors().size(), 6u);
}

}  // namespace
}  // namespace korvex::testing
