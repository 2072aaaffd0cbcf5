// The O-type statistics of data far from zero against their spread (a million with a spread of
// 1, 4000 with 0.05): after a pass and its new means, each dimension's variance over the
// members, from which the standard deviations, homogeneities and eta are printed, against
// numpy (tests/reference/otype_far_from_zero.py). The stored O-type mean is rounded to single
// precision, and correcting the members' shifted sums with it would swamp such a spread.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "executive/utilities.hpp"
#include "test_otype_fixture.hpp"
#include "../reference/otype_far_from_zero_values.inc"

namespace korvex::testing {
namespace {

namespace ref = otype_far_from_zero;
using otype::omean;
using otype::state;

class OtypeAccuracy : public OtypeRun {};

TEST_F(OtypeAccuracy, VarianceOfMembersFarFromZero) {
  put_scores(ref::objects, {ref::sd[0], ref::sd[1]});
  bind_method1_units();
  auto& s = state();
  s.c.kcrit = 1;
  s.c.unique = 100.0f;  // no object is rejected
  s.c.kmem = 1;
  s.c.kstat = 1;
  otype::OTINPT();
  s.c.ntypes = 1;
  s.c.maxnum = 1;
  GENAME("OTYPE", s.type_names, 1, 0);
  s.lookup_mode = 1;
  s.type_num[0] = 1;
  s.type_position[0] = 1;
  s.lookup[0] = 1;
  omean(1, 1) = ref::objects[0][0];
  omean(2, 1) = ref::objects[0][1];
  otype::OTASGN();
  otype::OTITRP();
  ASSERT_EQ(s.type_count[0], static_cast<std::int32_t>(ref::objects.size()));
  for (std::int32_t j = 1; j <= 2; ++j) {
    EXPECT_EQ(omean(j, 1), static_cast<float>(ref::mean[j - 1])) << "dimension " << j;
    EXPECT_NEAR(otype::type_variance(j, 1) / ref::variance[j - 1], 1.0, 1e-6) << "dimension " << j;
  }
}

}  // namespace
}  // namespace korvex::testing
