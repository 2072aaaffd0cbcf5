// *GYRO against rotations computed independently (tests/reference/gyro_reference.R): R's
// normalised varimax and GPArotation's quartimax on three coefficient matrices. Results are
// compared after matching columns and signs, which neither method fixes; the criteria must
// reach the reference's, and each row's sum of squares must survive the rotation.
#include <cmath>
#include <string>
#include <vector>

#include "../reference/gyro_reference_values.inc"
#include "selection/gyro.hpp"
#include "test_gyro_fixture.hpp"

namespace korvex {
namespace {

using testing::Mat;

struct Fixture {
  std::string name;
  Mat input, varimax, quartimax;
  double varimax_criterion, fourth_powers;
};

std::vector<Fixture> fixtures() {
  using namespace gyro_reference;
  return {
      {"twelve", Mat::from(twelve_nvar, twelve_nfac, twelve_input), Mat::from(twelve_nvar, twelve_nfac, twelve_varimax),
       Mat::from(twelve_nvar, twelve_nfac, twelve_quartimax), twelve_varimax_criterion, twelve_quartimax_fourth_powers},
      {"nine", Mat::from(nine_nvar, nine_nfac, nine_input), Mat::from(nine_nvar, nine_nfac, nine_varimax),
       Mat::from(nine_nvar, nine_nfac, nine_quartimax), nine_varimax_criterion, nine_quartimax_fourth_powers},
      {"fifteen", Mat::from(fifteen_nvar, fifteen_nfac, fifteen_input), Mat::from(fifteen_nvar, fifteen_nfac, fifteen_varimax),
       Mat::from(fifteen_nvar, fifteen_nfac, fifteen_quartimax), fifteen_varimax_criterion, fifteen_quartimax_fourth_powers},
  };
}

class GyroReference : public testing::GyroRun {
 protected:
  Mat rotate(const Fixture& f, const std::vector<std::string>& cards) {
    fresh_process();
    put_title("REFERENCE " + f.name);
    put_ufact1(f.input);
    const testing::RunResult r = run(&GYRO, cards);
    EXPECT_FALSE(r.stopped) << r.console;
    Kpar kpar{};
    const Mat b = read_matrix("BASIS1", &kpar);
    EXPECT_EQ(b.rows, f.input.cols);
    for (int i = 1; i <= b.rows; ++i) {
      for (int j = 1; j <= b.cols; ++j) EXPECT_EQ(b(i, j), i == j ? 1.0 : 0.0);
    }
    return read_matrix("RFACT1");
  }
  static void expect_row_sums_kept(const Mat& before, const Mat& after) {
    for (int i = 1; i <= before.rows; ++i) EXPECT_NEAR(after.row_ss(i), before.row_ss(i), 1e-5) << "row " << i;
  }
};

TEST_F(GyroReference, VarimaxAgreesWithNormalisedVarimax) {
  for (const Fixture& f : fixtures()) {
    SCOPED_TRACE(f.name);
    const Mat rf = rotate(f, {"VARMAX", "  49", ""});
    ASSERT_EQ(rf.rows, f.input.rows);
    ASSERT_EQ(rf.cols, f.input.cols);
    EXPECT_LT(testing::matched_difference(rf, f.varimax), 5e-3);
    EXPECT_GE(rf.varimax_criterion(), f.varimax_criterion - 1e-6);
    expect_row_sums_kept(f.input, rf);
  }
}

TEST_F(GyroReference, QuartimaxAgreesWithGradientProjection) {
  for (const Fixture& f : fixtures()) {
    SCOPED_TRACE(f.name);
    const Mat rf = rotate(f, {"QRTMAX", "  50", "1.0E-7"});
    ASSERT_EQ(rf.rows, f.input.rows);
    EXPECT_LT(testing::matched_difference(rf, f.quartimax), 1e-3);
    EXPECT_GE(rf.fourth_powers(), f.fourth_powers - 1e-5);
    expect_row_sums_kept(f.input, rf);
  }
}

}  // namespace
}  // namespace korvex
