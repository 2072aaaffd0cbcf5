// The scatterplot statistics of data far from zero against their spread (a million with a
// spread of 1, 4000 with 0.05, 99.97 with 0.01): variable means and deviations, the pair's
// correlation, and both directions' slice counts, predictions, standard errors and etas,
// against numpy (tests/reference/rscat_far_from_zero.py). Raw moments, even in double, leave
// such spreads to the rounding of two large terms.
// Then data that fill the single-precision range (3e38 and -3e38 beside small integers), whose
// plotting bounds lie beyond it, against numpy (tests/reference/rscat_overflow.py): the slices
// and grid cells the values fall in, and the statistics of every pair; spreads beyond the
// range (a slice holding 3e38 and -3e38) and below it (0 and 1.4e-45), whose standard errors
// and slopes must stay finite; and listings of both without an infinity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "test_rscat_fixture.hpp"
#include "../reference/rscat_far_from_zero_values.inc"
#include "../reference/rscat_overflow_values.inc"

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

// The variables of a reference script in place of RSCAT's input step, none missing.
template <class Values>
void use_data(std::int32_t subjects, std::int32_t slices, const Values& values) {
  rscat::rscat_control_record& c = rscat::rscat_control();
  c.NSUB = subjects;
  c.NVAR = static_cast<std::int32_t>(values.size()) / subjects;
  c.SLICE = slices;
  c.MISS = 1;
  c.XDATA = values;
}

class RscatAccuracy : public RscatRun {
 protected:
  void SetUp() override {
    RscatRun::SetUp();
    use_data(ref::subjects, ref::slices, ref::values);
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
                         forward ? pr.mean_y : pr.mean_x, forward ? pr.sd_x : pr.sd_y,
                         forward ? pr.sd_y : pr.sd_x, got);
      const double sdq = ref::sd[want.q - 1];
      EXPECT_NEAR(got.eta, want.eta, 1e-6) << want.p << "->" << want.q;
      EXPECT_NEAR(got.eta_unbiased, want.eta_unbiased, 1e-6) << want.p << "->" << want.q;
      for (std::size_t s = 0; s < want.rows.size(); ++s) {
        const ref::slice_row& row = want.rows[s];
        const std::string where = std::to_string(want.p) + "->" + std::to_string(want.q) +
                                  " slice " + std::to_string(s + 1);
        ASSERT_EQ(got.count[s], row.count) << where;
        if (row.count == 0) continue;
        EXPECT_TRUE(within_one_ulp(static_cast<float>(got.linear[s]), row.linear)) << where;
        EXPECT_TRUE(within_one_ulp(got.curvilinear[s], row.curvilinear)) << where;
        EXPECT_NEAR(got.se_biased[s], row.se_biased, 1e-6 * sdq) << where;
        if (row.count > 1) {
          EXPECT_NEAR(got.se_unbiased[s], row.se_unbiased, 1e-6 * sdq) << where;
        }
      }
    }
  }
}

namespace big = rscat_overflow;

// Agreement to 1e-6 relative, or absolute for figures below 1: nothing in these data is
// sensitive to rounding, so anything looser is an error. Infinities and NaN never agree.
::testing::AssertionResult close_to(double got, double want) {
  if (std::isfinite(got) && std::fabs(got - want) <= 1e-6 * std::max(1.0, std::fabs(want)))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << got << " against " << want;
}

class RscatOverflow : public RscatRun {
 protected:
  void SetUp() override {
    RscatRun::SetUp();
    use_data(big::subjects, big::slices, big::values);
  }
};

// Mean -+ 2.55 SD of the first variable lies near -7.3e38 and 5.0e38: the bounds must hold
// those values, and every value must land in its own cell of the grid, not all in the edge.
TEST_F(RscatOverflow, PlottingBoundsBeyondTheFloatRangePlaceEveryValue) {
  rscat::variable_statistics();
  const rscat::rscat_control_record& c = rscat::rscat_control();
  for (int j = 0; j < 3; ++j) {
    EXPECT_TRUE(close_to(c.MEANV[j], big::mean[j])) << "variable " << j + 1;
    EXPECT_TRUE(close_to(c.SDEV[j], big::sd[j])) << "variable " << j + 1;
    EXPECT_TRUE(close_to(c.LOWER[j], big::lower[j])) << "variable " << j + 1;
    EXPECT_TRUE(close_to(c.UPPER[j], big::upper[j])) << "variable " << j + 1;
    for (std::int32_t i = 1; i <= big::subjects; ++i) {
      EXPECT_EQ(rscat::cell_index(c.x(i, j + 1), c.LOWER[j], 0.1f * c.SDEV[j]), big::cell[j][i - 1])
          << "variable " << j + 1 << " subject " << i;
    }
  }
}

// Every pair as the run draws it; slopes and intercepts of up to 6e37 and predictions of
// either variable from the other, slice by slice.
TEST_F(RscatOverflow, PairAndSliceStatistics) {
  for (std::size_t d = 0; d < big::directions.size(); d += 2) {
    const std::int32_t X = big::directions[d].p;
    const std::int32_t Y = big::directions[d].q;
    rscat::pair_result pr;
    rscat::pair_stats(X, Y, pr);
    EXPECT_TRUE(close_to(pr.r, big::directions[d].r)) << X << "," << Y;
    for (std::size_t k = d; k < d + 2; ++k) {
      const big::direction_values& want = big::directions[k];
      const bool forward = want.p == X;
      rscat::direction_stats& got = forward ? pr.xy : pr.yx;
      rscat::slice_stats(want.p, want.q, pr.r, pr.N, forward ? pr.mean_x : pr.mean_y,
                         forward ? pr.mean_y : pr.mean_x, forward ? pr.sd_x : pr.sd_y,
                         forward ? pr.sd_y : pr.sd_x, got);
      const std::string dir = std::to_string(want.p) + "->" + std::to_string(want.q);
      const double sdq = big::sd[want.q - 1];
      EXPECT_TRUE(close_to(got.eta, want.eta)) << dir;
      EXPECT_TRUE(close_to(got.A, want.A)) << dir;
      EXPECT_TRUE(close_to(got.B / want.B, 1.0)) << dir;  // 2e-39 as well as 6e37
      for (std::size_t s = 0; s < want.rows.size(); ++s) {
        const big::slice_row& row = want.rows[s];
        const std::string where = dir + " slice " + std::to_string(s + 1);
        ASSERT_EQ(got.count[s], row.count) << where;
        if (row.count == 0) continue;
        // In units of Q's deviation: a prediction of -2e36 is the difference of two terms near
        // 1.2e38, and the slope is a single-precision figure.
        EXPECT_TRUE(close_to(got.linear[s] / sdq, row.linear / sdq)) << where;
        EXPECT_TRUE(close_to(got.curvilinear[s] / sdq, row.curvilinear / sdq)) << where;
      }
    }
  }
}

namespace spread = rscat_overflow_spread;

// The pair's statistics and both directions of the pair (X, Y), as slice_table draws them.
void draw_pair_statistics(std::int32_t X, std::int32_t Y, rscat::pair_result& pr) {
  rscat::pair_stats(X, Y, pr);
  rscat::slice_stats(X, Y, pr.r, pr.N, pr.mean_x, pr.mean_y, pr.sd_x, pr.sd_y, pr.xy);
  rscat::slice_stats(Y, X, pr.r, pr.N, pr.mean_y, pr.mean_x, pr.sd_y, pr.sd_x, pr.yx);
}

// Slices of V2 hold 3e38 and -3e38 together: V1's standard errors within them are 3e38 and,
// unbiased, 4.24e38, past the float range. V3 varies by 1.4e-45 only, so its stored deviation
// is 0: the slope of V4 on it (6e44) and its intercept must still come out, not infinite.
TEST_F(RscatOverflow, StandardErrorsAndSlopesOfSpreadsBeyondTheFloatRange) {
  use_data(spread::subjects, spread::slices, spread::values);
  rscat::pair_result pr;
  draw_pair_statistics(1, 2, pr);
  for (const spread::direction_values& want : spread::directions) {
    const rscat::direction_stats& got = want.p == 1 ? pr.xy : pr.yx;
    const std::string dir = std::to_string(want.p) + "->" + std::to_string(want.q);
    // Q's deviation, the unit of everything predicted and of the errors.
    const double sdq = spread::sd[want.q - 1];
    EXPECT_TRUE(close_to(pr.r, want.r)) << dir;
    // An eta of 0.0149 is the root of 1 - R with R = 0.9998, which carries the rounding of
    // Q's single-precision deviation: 2e-6, far below the printed fourth decimal.
    EXPECT_NEAR(got.eta, want.eta, 1e-5) << dir;
    EXPECT_TRUE(close_to(got.A / sdq, want.A / sdq)) << dir;
    // 3.3e-41 is held in a subnormal float, to 1.4e-45.
    EXPECT_TRUE(within_one_ulp(static_cast<float>(got.B), want.B)) << dir;
    for (std::size_t s = 0; s < want.rows.size(); ++s) {
      const spread::slice_row& row = want.rows[s];
      const std::string where = dir + " slice " + std::to_string(s + 1);
      ASSERT_EQ(got.count[s], row.count) << where;
      if (row.count == 0) continue;
      EXPECT_TRUE(close_to(got.linear[s] / sdq, row.linear / sdq)) << where;
      EXPECT_TRUE(close_to(got.curvilinear[s] / sdq, row.curvilinear / sdq)) << where;
      EXPECT_TRUE(close_to(got.se_biased[s] / sdq, row.se_biased / sdq)) << where;
      if (row.count > 1) {
        EXPECT_TRUE(close_to(got.se_unbiased[s] / sdq, row.se_unbiased / sdq)) << where;
      }
    }
  }
  rscat::pair_result tiny;
  draw_pair_statistics(3, 4, tiny);
  for (const spread::line_values& want : spread::lines) {
    const rscat::direction_stats& got = want.p == 3 ? tiny.xy : tiny.yx;
    const std::string dir = std::to_string(want.p) + "->" + std::to_string(want.q);
    EXPECT_TRUE(close_to(tiny.r, want.r)) << dir;
    EXPECT_TRUE(close_to(got.A, want.A)) << dir;
    // 6e44 to 1e-6 of itself; 1.4e-46, which single precision cannot hold, as 0.
    EXPECT_TRUE(close_to(got.B, want.B)) << dir;
  }
}

// The whole listing of every pair of both data sets, scores as FSCOR1 holds them: every
// figure too wide for its field prints as asterisks, none as an infinity.
TEST_F(RscatOverflow, ListingShowsNoInfinity) {
  struct data_set {
    const char* name;
    std::int32_t subjects;
    const std::vector<float>& values;
  };
  for (const data_set& set : {data_set{"fill", big::subjects, big::values},
                              data_set{"spread", spread::subjects, spread::values}}) {
    SCOPED_TRACE(set.name);
    fresh_process();
    const std::size_t nvar = set.values.size() / static_cast<std::size_t>(set.subjects);
    std::vector<std::vector<float>> scores(static_cast<std::size_t>(set.subjects));
    for (std::size_t i = 0; i < scores.size(); ++i) {
      for (std::size_t j = 0; j < nvar; ++j) {
        scores[i].push_back(set.values[i + j * static_cast<std::size_t>(set.subjects)]);
      }
    }
    put_scores(scores);
    const RunResult r = rscat({nsin_card(set.subjects)});
    ASSERT_FALSE(r.stopped) << r.console;
    const auto out = listing();
    const auto pairs = static_cast<int>(nvar * (nvar - 1) / 2);
    EXPECT_EQ(count(out, "PRODUCT MOMENT CORRELATION ="), pairs);
    EXPECT_EQ(count(out, "Inf"), 0);
    EXPECT_GT(count(out, "****************"), 0);
  }
}

}  // namespace
}  // namespace korvex::testing
