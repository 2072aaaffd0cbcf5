// The pair angles of the two rotation methods, checked against what each angle is for: the
// varimax angle satisfies tan 4 phi = num / den in the quadrant of (den, num), apart from
// the pairs its threshold leaves alone; the quartimax angle follows its quadrant rules. The
// sums where a division meets an exact zero must give a finite angle.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "selection/rotation.hpp"

namespace korvex {
namespace {

using rotation::plane_rotation;
using rotation::quartimax_pair_angle;
using rotation::varimax_pair_angle;

constexpr double pi = 3.14159265358979323846;

TEST(GyroVarimaxAngle, FourPhiLiesInTheQuadrantOfTheSums) {
  struct Case {
    float num, den;
  };
  // Every sign combination, |num| above and below |den|, and the exact zeros that make the
  // ratio infinite (den = 0 with num < 0; num = 0 with den < 0).
  const std::vector<Case> cases = {
      {0.3f, 1.0f},   {-0.3f, 1.0f},  {2.0f, 1.0f},    {-2.0f, 1.0f},  {0.3f, -1.0f},
      {-0.3f, -1.0f}, {2.0f, -1.0f},  {-2.0f, -1.0f},  {1.0f, 0.0f},   {-1.0f, 0.0f},
      {0.0f, -1.0f},  {5.0f, 0.02f},  {-0.02f, -5.0f}, {1.0e30f, 1.0e-12f}, {-1.0e-12f, -1.0e30f},
      {1.0f, 1.0f},   {0.0005f, -1.0f}, {-0.0005f, -1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "num " << c.num << " den " << c.den);
    const plane_rotation r = varimax_pair_angle(c.num, c.den);
    ASSERT_TRUE(r.rotate);
    ASSERT_TRUE(std::isfinite(r.cos_phi) && std::isfinite(r.sin_phi));
    EXPECT_NEAR(static_cast<double>(r.cos_phi) * r.cos_phi + static_cast<double>(r.sin_phi) * r.sin_phi, 1.0, 1e-6);
    const double phi4 = 4.0 * std::atan2(static_cast<double>(r.sin_phi), static_cast<double>(r.cos_phi));
    const double radius = std::hypot(static_cast<double>(c.num), static_cast<double>(c.den));
    // 4 phi points along (den, num); the threshold's approximations stay within its size.
    EXPECT_NEAR(std::cos(phi4), c.den / radius, 2e-3);
    EXPECT_NEAR(std::sin(phi4), c.num / radius, 2e-3);
  }
}

TEST(GyroVarimaxAngle, ThresholdCases) {
  // num = den > 0 turns by 11.25 degrees.
  const plane_rotation equal = varimax_pair_angle(0.5f, 0.5f);
  ASSERT_TRUE(equal.rotate);
  EXPECT_NEAR(std::atan2(equal.sin_phi, equal.cos_phi), pi / 16.0, 1e-6);
  // A tiny angle with den > 0 is not worth a turn; nor are equal sums below the threshold,
  // zero sums, or sums that are not numbers.
  struct Still {
    float num, den;
  };
  for (const Still& s : std::vector<Still>{{0.001f, 1.0f}, {-0.001f, 1.0f}, {0.0005f, 0.0005f},
                                          {0.0f, 0.0f}, {-1.0f, -1.0f}, {NAN, 1.0f}, {1.0f, NAN}}) {
    EXPECT_FALSE(varimax_pair_angle(s.num, s.den).rotate) << s.num << " " << s.den;
  }
}

TEST(GyroQuartimaxAngle, QuadrantRulesAndZeroSums) {
  struct Case {
    float num, den;
    double phi;
  };
  const std::vector<Case> cases = {
      {-0.25f, -1.0f, pi / 16.0 + pi / 4.0},  // t = 1, den < 0
      {0.25f, -1.0f, -pi / 16.0 - pi / 4.0},  // t = -1, den < 0
      {0.25f, 1.0f, pi / 16.0},
      {-0.25f, 1.0f, -pi / 16.0},
      {1.0f, 0.0f, pi / 8.0},    // t infinite: the limit, no NaN
      {-1.0f, 0.0f, -pi / 8.0},
      {0.0f, -1.0f, pi / 4.0},   // t = -0 counts as t >= 0
      {0.0f, 0.0f, 0.0},         // two columns with nothing to gain stay
  };
  for (const Case& c : cases) {
    const float phi = quartimax_pair_angle(c.num, c.den);
    EXPECT_NEAR(phi, c.phi, 1e-6) << c.num << " " << c.den;
  }
}

}  // namespace
}  // namespace korvex
