// MEANS1 against the data: COR2 and COR3 correlate the data storage file with its own totals,
// and a MEANS1 that is not the data's (another data set's, brought by *TAKE or *GIST after
// *DAP) stops them before anything is stored, unless the path does not use it. Small data
// whose means are exact in decimal, so the messages can be written out here.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data_entry/correlation.hpp"
#include "test_cor_fixture.hpp"

namespace korvex::testing {
namespace {

const float nan = std::nanf("");

// Three variables by four subjects: means 2.5, 4 and 12 (with the NaN, 8/3 for variable 1).
cor_data small(bool missing) {
  const float values[] = {1, 2, 10, 2, 4, 11, 3, 4, 13, 4, 6, 14};
  cor_data d = make_data(3, 4, values);
  if (missing) {
    d.values[3] = nan;  // subject 2, variable 1
    d.nomiss = 0;
  }
  return d;
}

// Two variables by 4000 subjects: variable 1 the whole numbers s mod 21; variable 2 missing but
// for three subjects, 1610612736 (1.5 * 2^30), -1610612736 and 180, whose mean is exactly 60.
// A deviation from 60 taken in single precision rounds back to +-1610612736, which would put
// the mean at 100; the three present values alone set the allowance for rounding.
cor_data far_values(bool) {
  cor_data d;
  d.nv = 2;
  d.nsub = 4000;
  d.nomiss = 0;
  for (std::int32_t s = 1; s <= d.nsub; ++s) {
    d.values.push_back(static_cast<float>(s % 21));
    d.values.push_back(nan);
  }
  d.values[1] = 1610612736.0f;
  d.values[3] = -1610612736.0f;
  d.values[5] = 180.0f;
  return d;
}

// Three variables by five subjects, the first at the ends of the single-precision range
// (3e38, -3e38 three times, 1e37), whose deviations from their mean -1.18e38 lie beyond it;
// with `missing`, variable 3 of subject 5 is missing.
cor_data limit_values(bool missing) {
  const float values[] = {3e38f, 1, 2, -3e38f, 2, 1, -3e38f, 3, 4, -3e38f, 4, 3, 1e37f, 5, 5};
  cor_data d = make_data(3, 5, values);
  if (missing) {
    d.values[14] = nan;
    d.nomiss = 0;
  }
  return d;
}

// Three variables by three subjects, the first of subnormal values (1.0e-40, 1.1e-40, 1.3e-40),
// whose stored mean is as far from the data's as half the subnormal spacing 2^-149 allows.
cor_data subnormal_values(bool) {
  const float values[] = {1.0e-40f, 1, 2, 1.1e-40f, 3, 2, 1.3e-40f, 2, 5};
  return make_data(3, 3, values);
}

std::string remedy(const char* component) {
  return std::string("MEANS1 IS NOT THE DATA'S: RUN *DAP AFTER *TAKE OR *GIST, BEFORE *") +
         component;
}

struct means_case {
  const char* name;
  const char* component;  // "COR2" or "COR3"
  std::string card;       // COR3's option card
  bool missing;           // the data have a missing value
  float mean1;            // MEANS1's mean of variable 1 (NaN: the data's own)
  std::int32_t extra;     // subject records beyond those MEANS1 counts (negative: fewer)
  const char* first_line;  // the message's first line; "" when the run goes on
  double r21;              // r(2, 1) stored when the run goes on
  cor_data (*data)(bool) = small;  // the data
};

class CorMeansCheck : public CorRun, public ::testing::WithParamInterface<means_case> {};

TEST_P(CorMeansCheck, MeansOfOtherDataNeverMeetTheData) {
  const means_case& c = GetParam();
  write_earlier_corrm1();

  cor_data d = c.data(c.missing);
  cor_data file = d;
  for (std::int32_t s = 0; s < c.extra; ++s) {
    file.values.insert(file.values.end(), {5, 5, 5});
    ++file.nsub;
  }
  write_dsf(file, {}, -1, c.extra < 0 ? d.nsub + c.extra : -1);
  write_isf(d);
  if (!std::isnan(c.mean1)) {
    std::int32_t notfound = 0;
    Kpar kpar{};
    std::vector<float> means = {c.mean1, d.mean(2), d.mean(3)};
    make_kpar(kpar, 3, 1, 4);
    isf_real_vector("MEANS1", 1, kpar, notfound, means);
  }
  write_file("MONIN", c.card + "\n");
  const bool cor2 = std::string(c.component) == "COR2";
  const Stopped s = stop_of([&] { cor2 ? COR2() : COR3(); });

  if (*c.first_line != '\0') {
    EXPECT_TRUE(s.stopped);
    EXPECT_EQ(s.code, 0);
    EXPECT_EQ(s.message, c.first_line + remedy(c.component));
    // Both lines in the listing too; nothing stored.
    EXPECT_EQ(listing_with(c.first_line).size(), 1u);
    EXPECT_EQ(listing_with(remedy(c.component)).size(), 1u);
    expect_earlier_corrm1(c.name);
    return;
  }
  Kpar got{};
  const std::vector<float> a = read_square("CORRM1", got);
  EXPECT_FALSE(s.stopped) << s.console;
  ASSERT_EQ(got[1], d.nv);
  EXPECT_EQ(got[2], d.nsub);
  EXPECT_NEAR(el(a, 2, 1), c.r21, 1e-7);
}

// Columns 37-40: insert means; columns 41-44, any number but 0 and 1: complete data.
const std::string inserted_card = std::string(39, ' ') + "1";
const std::string forced_complete_card = std::string(43, ' ') + "2";

// r(2, 1) of the data: over all four subjects 6 / sqrt(5 * 8); over the three with variable 1
// present, or with their mean 8/3 put in for subject 2 (whose variable 2 lies at its mean),
// 6 / sqrt(14/3 * 8). Complete data forced count the missing value as t = 2, which leaves
// variable 1 as it was without the NaN.
const double r_all = 6.0 / std::sqrt(40.0);
const double r_three = 6.0 / std::sqrt(112.0 / 3.0);

const means_case cases[] = {
    // The data's own means, or within the rounding of a stored mean: no stop.
    {"cor2_own", "COR2", "", false, nan, 0, "", r_all},
    {"cor2_one_unit_off", "COR2", "", false, std::nextafter(2.5f, 3.0f), 0, "", r_all},
    {"cor3_own", "COR3", "", false, nan, 0, "", r_all},
    // Complete data forced on data with a missing value: MEANS1 is the mean of the values
    // present, which is what the check takes.
    {"cor3_forced_complete_own", "COR3", forced_complete_card, true, nan, 0, "", r_all},
    {"cor3_inserted_own", "COR3", inserted_card, true, nan, 0, "", r_three},
    // The missing-data path does not use MEANS1 and keeps the data's numbers.
    {"cor3_matched_other_means", "COR3", "", true, 50.0f, 0, "", r_three},
    // MEANS1 of other data.
    {"cor2_other_means", "COR2", "", false, 5.0f, 0,
     "VARIABLE 1: MEAN 2.500000E+00 IN THE DATA, 5.000000E+00 IN MEANS1", 0.0},
    {"cor3_other_means", "COR3", "", false, -5.0f, 0,
     "VARIABLE 1: MEAN 2.500000E+00 IN THE DATA,-5.000000E+00 IN MEANS1", 0.0},
    {"cor3_forced_complete_other_means", "COR3", forced_complete_card, true, 2.5f, 0,
     "VARIABLE 1: MEAN 2.666667E+00 IN THE DATA, 2.500000E+00 IN MEANS1", 0.0},
    {"cor3_inserted_other_means", "COR3", inserted_card, true, 5.0f, 0,
     "VARIABLE 1: MEAN 2.666667E+00 IN THE DATA, 5.000000E+00 IN MEANS1", 0.0},
    {"cor2_one_unit_in_a_thousand", "COR2", "", false, 2.5025f, 0,
     "VARIABLE 1: MEAN 2.500000E+00 IN THE DATA, 2.502500E+00 IN MEANS1", 0.0},
    // More subject records than MEANS1 counts, on every path.
    {"cor2_more_subjects", "COR2", "", false, nan, 1,
     "THE DATA STORAGE FILE HOLDS MORE SUBJECTS THAN THE 4 OF MEANS1", 0.0},
    {"cor3_more_subjects", "COR3", "", false, nan, 2,
     "THE DATA STORAGE FILE HOLDS MORE SUBJECTS THAN THE 4 OF MEANS1", 0.0},
    {"cor3_matched_more_subjects", "COR3", "", true, nan, 1,
     "THE DATA STORAGE FILE HOLDS MORE SUBJECTS THAN THE 4 OF MEANS1", 0.0},
    // Fewer subject records than MEANS1 counts (a *DAP of fewer subjects after *TAKE), on
    // every path.
    {"cor2_fewer_subjects", "COR2", "", false, nan, -1,
     "THE DATA STORAGE FILE HOLDS 3 SUBJECTS, FEWER THAN THE 4 OF MEANS1", 0.0},
    {"cor3_fewer_subjects", "COR3", "", false, nan, -2,
     "THE DATA STORAGE FILE HOLDS 2 SUBJECTS, FEWER THAN THE 4 OF MEANS1", 0.0},
    {"cor3_forced_complete_fewer_subjects", "COR3", forced_complete_card, true, nan, -1,
     "THE DATA STORAGE FILE HOLDS 3 SUBJECTS, FEWER THAN THE 4 OF MEANS1", 0.0},
    {"cor3_inserted_fewer_subjects", "COR3", inserted_card, true, nan, -1,
     "THE DATA STORAGE FILE HOLDS 3 SUBJECTS, FEWER THAN THE 4 OF MEANS1", 0.0},
    {"cor3_matched_fewer_subjects", "COR3", "", true, nan, -2,
     "THE DATA STORAGE FILE HOLDS 2 SUBJECTS, FEWER THAN THE 4 OF MEANS1", 0.0},
    // Values whose distance from the mean single precision cannot hold: the mean is the
    // data's own. r(2, 1) by exact rational arithmetic (Python's fractions), the missing
    // values of variable 2 counted as its mean 60.
    {"cor3_forced_complete_far_values", "COR3", forced_complete_card, true, nan, 0, "",
     -0.001846889609145697, far_values},
    // Deviations beyond the single-precision range: numpy's r(2, 1) of the stored values.
    {"cor2_values_at_the_range_ends", "COR2", "", false, nan, 0, "", -0.34030621114533277,
     limit_values},
    {"cor3_values_at_the_range_ends", "COR3", "", false, nan, 0, "", -0.34030621114533277,
     limit_values},
    {"cor3_matched_values_at_the_range_ends", "COR3", "", true, nan, 0, "",
     -0.34030621114533277, limit_values},
    // Subnormal values: a mean rounded to the subnormal spacing is still the data's own.
    // numpy's r(2, 1) of the stored values.
    {"cor2_subnormal_values", "COR2", "", false, nan, 0, "", 0.3273595979825456, subnormal_values},
    {"cor3_subnormal_values", "COR3", "", false, nan, 0, "", 0.3273595979825456, subnormal_values},
};

INSTANTIATE_TEST_SUITE_P(Cases, CorMeansCheck, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvex::testing
