// The scoring component's numeric routines: the sweep inverse and its pivots, complete
// pivoting inversion, the punched deck's decimals and integers, the composite of one subject
// with missing definers, and the rounding of a stored value that bounds a composite's spread.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "executive/units.hpp"
#include "test_facs_fixture.hpp"

namespace korvex::testing {
namespace {

using facs::ix;

std::vector<float> to_float(const double* v, int n) {
  return std::vector<float>(v, v + n);
}

TEST(FacsSweep, SmallCasesAndTheBlockBeyondN) {
  // Order 1.
  std::vector<float> a1 = {4.0f};
  std::vector<float> p1(1);
  facs::SWEEP(a1, 1, 1, p1);
  EXPECT_FLOAT_EQ(a1[0], 0.25f);
  EXPECT_FLOAT_EQ(p1[0], 4.0f);
  // 2 x 2 inside a 3 x 3 array: the third row and column stay as they were.
  std::vector<float> a2 = {1.0f, 0.5f, 7.0f, 0.5f, 1.0f, 8.0f, 9.0f, 10.0f, 11.0f};
  std::vector<float> p2(2);
  facs::SWEEP(a2, 3, 2, p2);
  EXPECT_NEAR(a2[ix(1, 1, 3)], 4.0f / 3.0f, 1e-6);
  EXPECT_NEAR(a2[ix(2, 2, 3)], 4.0f / 3.0f, 1e-6);
  EXPECT_NEAR(a2[ix(1, 2, 3)], -2.0f / 3.0f, 1e-6);
  EXPECT_NEAR(a2[ix(2, 1, 3)], -2.0f / 3.0f, 1e-6);
  EXPECT_FLOAT_EQ(p2[0], 1.0f);
  EXPECT_FLOAT_EQ(p2[1], 0.75f);
  EXPECT_EQ(a2[ix(3, 1, 3)], 7.0f);
  EXPECT_EQ(a2[ix(3, 2, 3)], 8.0f);
  EXPECT_EQ(a2[ix(1, 3, 3)], 9.0f);
  EXPECT_EQ(a2[ix(3, 3, 3)], 11.0f);
  // The identity stays the identity.
  std::vector<float> id(16, 0.0f);
  for (int i = 1; i <= 4; ++i) id[ix(i, i, 4)] = 1.0f;
  std::vector<float> p4(4);
  facs::SWEEP(id, 4, 4, p4);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(p4[static_cast<std::size_t>(i - 1)], 1.0f);
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(id[ix(i, j, 4)], i == j ? 1.0f : 0.0f);
  }
}

TEST(FacsSweep, AgreesWithNumpyOnACorrelationMatrixOfOrder50) {
  std::vector<float> a = to_float(kC50, 2500);
  std::vector<float> piv(50);
  facs::SWEEP(a, 50, 50, piv);
  double biggest = 0.0;
  for (double v : kC50Inv) biggest = std::max(biggest, std::fabs(v));
  double worst = 0.0;
  for (int k = 0; k < 2500; ++k) worst = std::max(worst, std::fabs(a[static_cast<std::size_t>(k)] - kC50Inv[k]));
  EXPECT_LE(worst, 1e-4 * biggest);
  for (int i = 0; i < 50; ++i) EXPECT_NEAR(piv[static_cast<std::size_t>(i)], kC50Piv[i], 1e-4 * kC50Piv[i]);
}

TEST(FacsSweep, AZeroPivotEndsTheSweepWithoutDividing) {
  std::vector<float> a = {1.0f, 1.0f, 1.0f, 1.0f};
  std::vector<float> piv(2, -1.0f);
  facs::SWEEP(a, 2, 2, piv);
  EXPECT_EQ(piv[0], 1.0f);
  EXPECT_EQ(piv[1], 0.0f);
}

TEST(FacsPivinv, AgreesWithNumpyOnARandomMatrix) {
  std::vector<float> a = to_float(kP10, 100);
  std::vector<float> piv(10);
  facs::PIVINV(a, 10, 10, piv);
  double biggest = 0.0;
  for (double v : kP10Inv) biggest = std::max(biggest, std::fabs(v));
  double worst = 0.0;
  for (int k = 0; k < 100; ++k) worst = std::max(worst, std::fabs(a[static_cast<std::size_t>(k)] - kP10Inv[k]));
  EXPECT_LE(worst, 1e-4 * biggest);
  // The first pivot is the element of largest magnitude of the whole matrix.
  float first = 0.0f;
  for (int k = 0; k < 100; ++k)
    if (std::fabs(static_cast<float>(kP10[k])) >= std::fabs(first)) first = static_cast<float>(kP10[k]);
  EXPECT_EQ(piv[0], first);
}

TEST(FacsPivinv, TiesGoToTheElementFoundLast) {
  // |2| and |-2| in row 1 tie; the later one, (1, 2), is the first pivot.
  std::vector<float> a = {2.0f, 1.0f, -2.0f, 1.0f};  // [[2, -2], [1, 1]]
  std::vector<float> piv(2);
  facs::PIVINV(a, 2, 2, piv);
  EXPECT_EQ(piv[0], -2.0f);
  // The inverse of [[2, -2], [1, 1]] is [[0.25, 0.5], [-0.25, 0.5]].
  EXPECT_NEAR(a[ix(1, 1, 2)], 0.25f, 1e-6);
  EXPECT_NEAR(a[ix(1, 2, 2)], 0.5f, 1e-6);
  EXPECT_NEAR(a[ix(2, 1, 2)], -0.25f, 1e-6);
  EXPECT_NEAR(a[ix(2, 2, 2)], 0.5f, 1e-6);
  // Order 1.
  std::vector<float> b = {4.0f};
  std::vector<float> p1(1);
  facs::PIVINV(b, 1, 1, p1);
  EXPECT_EQ(b[0], 0.25f);
  EXPECT_EQ(p1[0], 4.0f);
}

class FacsPunch : public FacsTest {};

TEST_F(FacsPunch, SetspnDecimalsAndItsLimit) {
  facs::state().monpun = get_unit("MONPUN");
  const struct {
    float x;
    int ndp;
  } cases[] = {{1.0f, 5}, {0.3f, 5}, {10.0f, 4}, {10.5f, 3}, {100.0f, 3}, {150.0f, 2}, {100000.0f, 0}};
  for (const auto& c : cases) {
    facs::SETSPN(c.x);
    EXPECT_EQ(facs::state().ndp, c.ndp) << c.x;
    EXPECT_EQ(facs::state().scale, std::pow(10.0f, static_cast<float>(c.ndp))) << c.x;
  }
  const std::vector<std::string> deck = file_lines("MONPUN");
  ASSERT_EQ(deck.size(), std::size(cases));
  EXPECT_EQ(deck[2], "(9F8.4,A6)" + std::string(70, ' '));
  const RunResult r = run_with_cards([] { facs::SETSPN(100001.0f); }, {});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("SYSTEM ERROR (SETSPN 1): \"NDP\" LT 0(-1)"), std::string::npos) << r.console;
  // The stop names the decimal count the magnitude gives, however far below 0 it is.
  const RunResult big = run_with_cards([] { facs::SETSPN(1.0e7f); }, {});
  EXPECT_TRUE(big.stopped);
  EXPECT_NE(big.console.find("SYSTEM ERROR (SETSPN 1): \"NDP\" LT 0(-2)"), std::string::npos)
      << big.console;
}

TEST_F(FacsPunch, ScoresOfTwelveCompositesTakeTwoLines) {
  facs::facs_state& s = facs::state();
  s.monpun = get_unit("MONPUN");
  s.nf = 12;
  s.scale = 10000.0f;
  std::vector<float> v = {53.21875f, -0.37f, 1.0f, 0.0f, 12345.0f, -1000.0f,
                          std::nanf(""), 50.0f, 49.99995f, 1.5f, 2.5f, -3.5f};
  facs::facs_punch_scores(v, "SUBJECT ONE");
  const std::vector<std::string> lines = file_lines("MONPUN");
  ASSERT_EQ(lines.size(), 2u);
  const std::string name = "SUBJECT ONE         ";
  EXPECT_EQ(lines[0], "  532188   -3700   10000       0************************  500000  500000" +
                          std::string(1, ' ') + name + "01");
  EXPECT_EQ(lines[1], "   15000   25000  -35000" + std::string(49, ' ') + name + "02");
  EXPECT_EQ(lines[0].size(), 95u);
}

TEST_F(FacsPunch, MissingDefinersCountAtTheMeanOfThePresentOnes) {
  facs::facs_state& s = facs::state();
  s.nv = 4;
  s.nf = 1;
  s.pmin = 0.55f;
  for (int j = 1; j <= 4; ++j) {
    s.xmean[facs::at(j)] = 0.0f;
    s.w[ix(1, j, facs::max_comp)] = 1.0f;
  }
  const std::vector<std::int32_t> list = {1, 2, 3, 4};
  float y = -1.0f;
  std::int32_t c = 0;
  EXPECT_TRUE(facs::replaced_composite(std::vector<float>{1.0f, 0.5f, 1.5f, std::nanf("")}, list, 1, y, c));
  EXPECT_EQ(y, 4.0f);
  EXPECT_EQ(c, 3);
  EXPECT_FALSE(facs::replaced_composite(std::vector<float>{1.0f, std::nanf(""), 1.5f, std::nanf("")}, list, 1, y, c));
  EXPECT_EQ(y, 0.0f);
  EXPECT_EQ(c, -2);
  s.pmin = 0.0f;
  const std::vector<float> none(4, std::nanf(""));
  EXPECT_FALSE(facs::replaced_composite(none, list, 1, y, c));
  EXPECT_EQ(c, 0);
}

// Half the gap from |x| to the next single-precision number up, across binades, at their
// edges, and for zero and subnormal values.
TEST(FacsRounding, HalfSpacingIsHalfTheGapToTheNextNumberUp) {
  using lim = std::numeric_limits<float>;
  const float values[] = {0.0f, -0.0f, lim::denorm_min(), 1000.0f * lim::denorm_min(), lim::min(),
                          std::nextafter(lim::min(), 1.0f), 0.5f, std::nextafter(1.0f, 0.0f), 1.0f,
                          -1.0f, 3.0f, 10000.0f, std::nextafter(1048576.0f, 0.0f), 1048576.0f,
                          1.0e7f, -16777216.0f, -3.0e38f, std::nextafter(lim::max(), 0.0f)};
  for (float x : values) {
    const float a = std::fabs(x);
    const double gap = static_cast<double>(std::nextafter(a, lim::infinity())) - static_cast<double>(a);
    EXPECT_EQ(facs::half_spacing(x), gap / 2.0) << x;
  }
  // Whole numbers near 1e7 lie 1 apart; 2^20 is 1/8 below the next number up.
  EXPECT_EQ(facs::half_spacing(1.0e7f), 0.5);
  EXPECT_EQ(facs::half_spacing(1048576.0f), 0.0625);
  EXPECT_EQ(facs::half_spacing(0.0f), std::ldexp(1.0, -150));
}

}  // namespace
}  // namespace korvex::testing
