// Subspace selection of SPAN2 on hand-made coefficients: the span candidates, their order
// and weights, the acceptance test, the merge of the analyst's sets, and the selection on a
// whole coefficient matrix against an independent replica (tests/reference/span2_select.py).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "structure/span2_internal.hpp"
#include "test_span2_fixture.hpp"

namespace korvex::testing {
namespace {

using span2::state;
using span2::subspace;

// Puts rows into the run state as the driver leaves them: each row scaled to unit length.
void load(const Rows& rows, float clopr = 0.8f, std::int32_t minew = 1, std::int32_t mode = 1) {
  span2::reset_state();
  span2::run_state& s = state();
  s.NV = static_cast<std::int32_t>(rows.size());
  s.NF = static_cast<std::int32_t>(rows.front().size());
  s.coef.assign(999 * 50, 0.0f);
  s.CLOPR = clopr;
  s.options.MINEW = minew;
  s.MODE = mode;
  for (std::int32_t i = 1; i <= s.NV; ++i) {
    float h = 0.0f;
    for (std::int32_t j = 1; j <= s.NF; ++j) {
      s.c(i, j) = rows[span2::at(i)][span2::at(j)];
      h += s.c(i, j) * s.c(i, j);
    }
    if (h > 0.0f) {
      for (std::int32_t j = 1; j <= s.NF; ++j) s.c(i, j) *= 1.0f / std::sqrt(h);
    }
  }
}

std::vector<std::vector<std::int32_t>> sets() {
  std::vector<std::vector<std::int32_t>> out;
  for (const subspace& t : state().n_ptr) out.push_back(t.index);
  return out;
}
std::vector<std::int32_t> weights() {
  std::vector<std::int32_t> out;
  for (const subspace& t : state().n_ptr) out.push_back(t.nbig);
  return out;
}

using Sets = std::vector<std::vector<std::int32_t>>;

TEST(Span2Select, CandidatesTakeTheLargestMagnitudesTiesToTheLowerDimension) {
  struct Case {
    const char* label;
    Rows rows;
    std::int32_t k;
    Sets want;
  };
  const std::vector<Case> cases = {
      {"0.5 -0.5 0.3, k 1", {{0.5f, -0.5f, 0.3f}}, 1, {{1}}},
      {"0.5 -0.5 0.3, k 2", {{0.5f, -0.5f, 0.3f}}, 2, {{1, 2}}},
      {"all zero, k 2", {{0.0f, 0.0f, 0.0f}}, 2, {{1, 2}}},
      {"all zero, k 3", {{0.0f, 0.0f, 0.0f, 0.0f}}, 3, {{1, 2, 3}}},
      {"one non-zero last, k 2", {{0.0f, 0.0f, 0.7f}}, 2, {{1, 3}}},
      {"negative largest", {{0.1f, -0.9f, 0.3f, 0.2f}}, 2, {{2, 3}}},
  };
  for (const Case& c : cases) {
    load(c.rows);
    span2::span_preset(c.k);
    EXPECT_EQ(sets(), c.want) << c.label;
  }
}

TEST(Span2Select, EqualCandidatesShareOneEntryInLexicographicOrder) {
  // Variables proposing (2, 3), (1, 3), (1, 2) and (1, 3) again.
  load({{0.1f, 0.8f, 0.7f}, {0.8f, 0.1f, 0.7f}, {0.8f, 0.7f, 0.1f}, {0.7f, 0.2f, 0.8f}});
  span2::span_preset(2);
  EXPECT_EQ(sets(), (Sets{{1, 2}, {1, 3}, {2, 3}}));
  EXPECT_EQ(weights(), (std::vector<std::int32_t>{1, 2, 1}));
  // The coefficients are unchanged by the selection.
  EXPECT_FLOAT_EQ(state().c(1, 2), 0.8f / std::sqrt(0.01f + 0.64f + 0.49f));
}

TEST(Span2Select, AVariableCountsForTheFirstSubspaceThatHoldsEnough) {
  // Variable 1 holds over 0.8 in both (1, 2) and (1, 3); it proposes (1, 2) itself.
  // Variable 2 proposes (1, 3) and holds enough only there.
  load({{0.9f, 0.3f, 0.3f}, {0.7f, 0.1f, 0.7f}}, 0.8f, 1);
  span2::span_preset(2);
  ASSERT_EQ(sets(), (Sets{{1, 2}, {1, 3}}));
  span2::span_subspace_select(2);
  EXPECT_EQ(sets(), (Sets{{1, 2}, {1, 3}}));
  load({{0.9f, 0.3f, 0.3f}, {0.7f, 0.1f, 0.7f}, {0.9f, 0.28f, 0.29f}}, 0.8f, 2);
  span2::span_preset(2);
  span2::span_subspace_select(2);
  // (1, 2) gets variables 1 and 3 only, (1, 3) only variable 2.
  EXPECT_EQ(sets(), (Sets{{1, 2}}));
}

TEST(Span2Select, MinewBoundsTheCandidatesKept) {
  // Proposals (1, 2), (2, 3), (1, 3), (1, 2); at CLOPR 0.95 each of the first three credits
  // its own subspace and the fourth none.
  const Rows rows = {{0.9f, 0.3f, 0.1f}, {0.1f, 0.9f, 0.3f}, {0.3f, 0.1f, 0.9f}, {0.5f, 0.5f, 0.5f}};
  struct Case {
    std::int32_t minew;
    std::size_t kept;
  };
  for (const Case c : {Case{0, 3}, Case{1, 3}, Case{2, 0}, Case{5, 0}}) {
    load(rows, 0.95f, c.minew);
    span2::span_preset(2);
    span2::span_subspace_select(2);
    EXPECT_EQ(state().n_ptr.size(), c.kept) << "MINEW " << c.minew;
  }
  // A CLOPR of 0 credits everything to the first candidate: MINEW 4 keeps only it.
  load(rows, 0.0f, 4);
  span2::span_preset(2);
  span2::span_subspace_select(2);
  EXPECT_EQ(sets(), (Sets{{1, 2}}));
}

TEST(Span2Select, MergeAddsTheAnalystsSetsInOrder) {
  load({{0.9f, 0.3f, 0.1f, 0.0f}, {0.9f, 0.3f, 0.1f, 0.0f}, {0.0f, 0.1f, 0.3f, 0.9f},
        {0.0f, 0.1f, 0.3f, 0.9f}},
       0.8f, 2, 3);
  span2::span_preset(2);
  span2::span_subspace_select(2);
  ASSERT_EQ(sets(), (Sets{{1, 2}, {3, 4}}));
  span2::run_state& s = state();
  s.t_ptr = {subspace{1, 1, {2}}, subspace{2, 1, {1, 2}}, subspace{2, 1, {1, 3}},
             subspace{2, 1, {2, 3}}, subspace{2, 1, {3, 4}}, subspace{2, 1, {3, 5}},
             subspace{3, 1, {1, 2, 3}}};
  EXPECT_EQ(span2::span_preset_range(2), (std::array<std::int32_t, 2>{2, 6}));
  EXPECT_EQ(span2::span_preset_range(1), (std::array<std::int32_t, 2>{1, 1}));
  EXPECT_EQ(span2::span_preset_range(4), (std::array<std::int32_t, 2>{0, 0}));
  span2::span_subspace_merge(2, 6);
  EXPECT_EQ(sets(), (Sets{{1, 2}, {1, 3}, {2, 3}, {3, 4}, {3, 5}}));
  EXPECT_EQ(weights(), (std::vector<std::int32_t>{3, 1, 1, 3, 1}));
}

TEST(Span2Select, ModeThreeReportsAnUnproposedAnalystSetAndModeTwoTakesTheSetsAsTheyAre) {
  load({{0.9f, 0.3f, 0.1f}, {0.9f, 0.3f, 0.1f}}, 0.8f, 3, 3);
  span2::run_state& s = state();
  s.t_ptr = {subspace{2, 1, {2, 3}}};
  span2::select_for_dimension(2);  // (1, 2) has only 2 variables: dropped
  EXPECT_EQ(sets(), (Sets{{2, 3}}));
  s.options.MINEW = 2;
  span2::select_for_dimension(2);
  EXPECT_EQ(sets(), (Sets{{1, 2}, {2, 3}}));
  s.MODE = 2;
  s.options.MINEW = 99;
  s.t_ptr = {subspace{1, 1, {3}}, subspace{2, 1, {1, 3}}, subspace{2, 1, {2, 3}}};
  span2::select_for_dimension(2);
  EXPECT_EQ(sets(), (Sets{{1, 3}, {2, 3}}));
}

TEST(Span2Select, PointOrderIsRowColumnVariable) {
  const span2::g_point a{5, 3, 0, 7};
  EXPECT_TRUE(span2::span_point_after({5, 4, 0, 1}, a));
  EXPECT_FALSE(span2::span_point_after({9, 2, 0, 9}, a));
  EXPECT_TRUE(span2::span_point_after({6, 3, 0, 1}, a));
  EXPECT_TRUE(span2::span_point_after({5, 3, 0, 8}, a));
  EXPECT_FALSE(span2::span_point_after({5, 3, 0, 6}, a));
  EXPECT_TRUE(span2::span_point_after(a, a));
}

// 30 variables on 5 factors (tests/reference/span2_select.py, seed 7, rounded to 4
// decimals), and the kept sets of the replica for CLOPR 0.8 and MINEW 2.
Rows replica_rows() {
  return {
#include "../reference/span2_select_rows.inc"
  };
}

TEST(Span2Select, KeptSetsEqualTheReplica) {
  const Sets want2 = {
#include "../reference/span2_select_k2.inc"
  };
  const Sets want3 = {
#include "../reference/span2_select_k3.inc"
  };
  load(replica_rows(), 0.8f, 2, 1);
  span2::span_preset(2);
  span2::span_subspace_select(2);
  EXPECT_EQ(sets(), want2);
  span2::span_preset(3);
  span2::span_subspace_select(3);
  EXPECT_EQ(sets(), want3);
}

}  // namespace
}  // namespace korvex::testing
