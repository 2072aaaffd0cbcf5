// The scatterplot statistics of data far from zero against their spread (a million with a
// spread of 1, 4000 with 0.05, 99.97 with 0.01): variable means and deviations, the pair's
// correlation, and both directions' slice counts, predictions, standard errors and etas,
// against numpy (tests/reference/rscat_far_from_zero.py). Raw moments, even in double, leave
// such spreads to the rounding of two large terms.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "test_rscat_fixture.hpp"
#include "../reference/rscat_far_from_zero_values.inc"

namespace korvex::testing {
namespace {

namespace ref = rscat_far_from_zero;

// A value stored in single precision, against the exact one: at most one unit in the last
// place of the exact value rounded to single precision.
::testing::AssertionResult within_one_ulp(float got, double exact) {
  const float rounded = static_cast<float>(exact);
  const double ulp = std::nextafter(std::fabs(rounded), INFINITY) - std::fabs(rounded);
  if (std::fabs(static_cast<double>(got) - exact) <= ulp) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << got << " is " << (static_cast<double>(got) - exact) / ulp << " ulp from " << exact;
}

class RscatAccuracy : public RscatRun {
 protected:
  void SetUp() override {
    RscatRun::SetUp();
    rscat::rscat_control_record& c = rscat::rscat_control();
    c.NSUB = ref::subjects;
    c.NVAR = 3;
    c.SLICE = ref::slices;
    c.MISS = 1;
    c.XDATA = ref::values;
  }
};

TEST_F(RscatAccuracy, VariableMeansAndDeviations) {
  rscat::variable_statistics();
  const rscat::rscat_control_record& c = rscat::rscat_control();
  for (int j = 0; j < 3; ++j) {
    EXPECT_TRUE(within_one_ulp(c.MEANV[j], ref::mean[j])) << "variable " << j + 1;
    EXPECT_NEAR(c.SDEV[j] / ref::sd[j], 1.0, 1e-6) << "variable " << j + 1;
  }
}

// Every pair as the run draws it: the pair's statistics, then the slices of X predicting Y and
// of Y predicting X. Scale-free figures to 1e-6; predictions, which lie where the data lie, to
// one unit in the last place.
TEST_F(RscatAccuracy, PairAndSliceStatistics) {
  rscat::rscat_control_record& c = rscat::rscat_control();
  for (std::size_t d = 0; d < ref::directions.size(); d += 2) {
    const std::int32_t X = ref::directions[d].p;
    const std::int32_t Y = ref::directions[d].q;
    rscat::pair_result pr;
    rscat::pair_stats(X, Y, pr);
    EXPECT_NEAR(pr.r, ref::directions[d].r, 1e-6) << X << "," << Y;
    for (std::int32_t v : {X, Y}) {
      EXPECT_NEAR(c.SDEV[v - 1] / ref::sd[v - 1], 1.0, 1e-6) << "variable " << v;
      EXPECT_TRUE(within_one_ulp(c.MEANV[v - 1], ref::mean[v - 1])) << "variable " << v;
    }
    for (std::size_t k = d; k < d + 2; ++k) {
      const ref::direction_values& want = ref::directions[k];
      const bool forward = want.p == X;
      rscat::direction_stats& got = forward ? pr.xy : pr.yx;
      rscat::slice_stats(want.p, want.q, pr.r, pr.N, forward ? pr.mean_x : pr.mean_y,
                         forward ? pr.mean_y : pr.mean_x, got);
      const double sdq = ref::sd[want.q - 1];
      EXPECT_NEAR(got.eta, want.eta, 1e-6) << want.p << "->" << want.q;
      EXPECT_NEAR(got.eta_unbiased, want.eta_unbiased, 1e-6) << want.p << "->" << want.q;
      for (std::size_t s = 0; s < want.rows.size(); ++s) {
        const ref::slice_row& row = want.rows[s];
        const std::string where = std::to_string(want.p) + "->" + std::to_string(want.q) +
                                  " slice " + std::to_string(s + 1);
        ASSERT_EQ(got.count[s], row.count) << where;
        if (row.count == 0) continue;
        EXPECT_TRUE(within_one_ulp(got.linear[s], row.linear)) << where;
        EXPECT_TRUE(within_one_ulp(got.curvilinear[s], row.curvilinear)) << where;
        EXPECT_NEAR(got.se_biased[s], row.se_biased, 1e-6 * sdq) << where;
        if (row.count > 1) {
          EXPECT_NEAR(got.se_unbiased[s], row.se_unbiased, 1e-6 * sdq) << where;
        }
      }
    }
  }
}

}  // namespace
}  // namespace korvex::testing
