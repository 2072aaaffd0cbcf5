// The iteration of O-types: assignment rules (ties, the rejection bound, moves), deletion
// of small O-types, condensation of close ones, the membership table, the statistics and
// the hierarchical condensation report.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "test_otype_fixture.hpp"
#include "../reference/otype_deletion_values.inc"

namespace korvex::testing {
namespace {

using otype::omean;
using otype::state;

class OtypeEufit : public OtypeRun {
 protected:
  // Objects with these profiles (method 1, deviations sd) and O-types with these means
  // (one column per O-type), numbered 1..n; the first pass is ready to run.
  void prepare(const std::vector<std::vector<float>>& objects, const std::vector<float>& sd,
               const std::vector<std::vector<float>>& means, float unique = 1.0f) {
    put_scores(objects, sd);
    bind_method1_units();
    auto& s = state();
    s.c.kcrit = 1;
    s.c.unique = unique;
    s.c.kmem = 0;
    s.c.kstat = 0;
    s.c.kohom = 1;
    otype::OTINPT();
    const auto n = static_cast<std::int32_t>(means.size());
    s.c.ntypes = n;
    s.c.maxnum = n;
    GENAME("OTYPE", s.type_names, n, 0);
    s.lookup_mode = 1;
    for (std::int32_t i = 1; i <= n; ++i) {
      s.type_num[otype::at(i)] = i;
      s.type_position[otype::at(i)] = i;
      s.lookup[otype::at(i)] = i;
      for (std::size_t j = 0; j < means[otype::at(i)].size(); ++j)
        omean(static_cast<std::int32_t>(j + 1), i) = means[otype::at(i)][j];
    }
  }
  RunResult pass(const std::function<void()>& f) { return run_with_cards(f, {}); }
};

TEST_F(OtypeEufit, AssignmentTiesBoundAndMoves) {
  // BSTDEV 1: at distance 1.0 accepted, 1.5 rejected; 0.0 lies as near to -1 as to +1.
  prepare({{0.0f}, {2.0f}, {-2.5f}, {9.9f}}, {1.0f}, {{-1.0f}, {1.0f}, {10.0f}});
  otype::OTASGN();
  auto& s = state();
  EXPECT_EQ(s.type_count[0], 1);  // the tie went to the lower position
  EXPECT_EQ(s.type_count[1], 1);  // 2.0 at distance 1.0 from +1
  EXPECT_EQ(s.rejects[0], 1);     // -2.5 is 1.5 from -1
  EXPECT_EQ(s.type_count[2], 1);
  const std::string out = listing();
  EXPECT_NE(out.find("     3" + std::string(24, ' ') + "1.50RRRR"), std::string::npos) << out;
  EXPECT_NE(out.find("     2" + std::string(24, ' ') + "1.00****"), std::string::npos);
  // The next pass: O-type 3 moves away, its member moves to O-type 2.
  omean(1, 3) = 100.0f;
  omean(1, 2) = 9.0f;
  otype::OTASGN();
  EXPECT_EQ(s.leaving[2], 1);
  EXPECT_EQ(s.entering[1], 1);
  EXPECT_NE(listing().find("     4" + std::string(24, ' ') + "0.90(03)"), std::string::npos);
}

// Squared distances that overflow single precision leave no nearest O-type: rejected.
TEST_F(OtypeEufit, ObjectWithoutFiniteDistanceIsRejected) {
  prepare({{1.0e20f}, {0.5f}}, {1.0f}, {{0.0f}, {1.0f}}, 1.0e30f);
  auto& s = state();
  s.c.kotout = 1;
  s.final_pass = 1;
  otype::OTASGN();
  EXPECT_EQ(s.type_count[0] + s.type_count[1], 1);
  EXPECT_EQ(s.rejects[0] + s.rejects[1], 0);
  const std::vector<std::string> lines = file_lines("OOTYPE");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(26, 14), "   0    0.00RR");
}

TEST_F(OtypeEufit, SmallOtypesAreDeletedAndAllCanVanish) {
  prepare({{0.0f}, {0.1f}, {0.2f}, {5.0f}, {5.1f}, {5.2f}, {5.3f}, {5.4f}}, {10.0f},
          {{0.0f}, {5.0f}});
  auto& s = state();
  otype::OTASGN();
  s.c.kcrit = 5;
  otype::OTITRP();
  EXPECT_EQ(s.c.ntypes, 1);
  EXPECT_EQ(s.type_num[0], 2);
  EXPECT_EQ(s.type_position[1], 1);
  EXPECT_EQ(s.lookup[0], 0);
  // The survivor's counts of the pass move with it; the stop test still sees the newcomers
  // of the deleted O-type.
  EXPECT_EQ(s.entering[0], 5);
  EXPECT_EQ(s.pass_moves, 8);
  const std::string out = listing();
  EXPECT_NE(out.find("0THE NUMBER OF OBJECTS,    3, IN OTYPE OTYPE1               IS LESS THAN "
                     "KCRIT(    5). OTYPE DELETED."),
            std::string::npos);
  EXPECT_NE(out.find("SELECTED OMEANS OF OTYPES"), std::string::npos);
  EXPECT_NE(out.find("PAST MEMBERS, NEW MEMBERS, LOST MEMBERS, PRESENT MEMBERS, OUTCASTS"), std::string::npos);
  EXPECT_NE(out.find("         TOTAL                        0         8         0         8         0"),
            std::string::npos);
  s.c.kcrit = 9;
  otype::OTASGN();
  const RunResult r = pass([] { otype::OTITRP(); });
  EXPECT_NE(r.console.find("ALL OTYPES HAVE VANISHED."), std::string::npos);
}

TEST_F(OtypeEufit, CloseOtypesAreCondensed) {
  prepare({{0.0f, 0.0f}}, {3.0f, 4.0f}, {{0.0f, 0.0f}, {2.4f, 0.0f}, {10.0f, 0.0f}, {12.6f, 0.0f}});
  auto& s = state();
  EXPECT_FLOAT_EQ(s.c.conddv, 2.5f);
  s.type_count = {10, 4, 3, 3};
  otype::OTCOND();
  EXPECT_EQ(s.c.ntypes, 3);
  EXPECT_EQ(s.type_count[0], 14);
  EXPECT_FLOAT_EQ(omean(1, 1), (4.0f * 2.4f + 10.0f * 0.0f) / 14.0f);
  EXPECT_EQ(s.lookup[1], 1);  // members stored under 2 now belong to 1
  EXPECT_EQ(s.type_num[1], 3);
  const std::string out = listing();
  EXPECT_NE(out.find("0VALUE OF CONDEN IS 0.50, EQUIVALENT D-VALUE IS  2.50"), std::string::npos);
  EXPECT_NE(out.find("0OTYPE OTYPE2               CONDENSED INTO OTYPE OTYPE1               WITH "
                     "D-VALUE OF  2.40"),
            std::string::npos);
  EXPECT_EQ(out.find("CONDENSED INTO OTYPE OTYPE3"), std::string::npos);
  EXPECT_NE(out.find("OMEANS OF OTYPES AFTER CONDENSATION"), std::string::npos);
}

// Means near 1e36 of 600 and 400 members: the count-weighted mean of a merge, in the
// condensation and in the hierarchical report, is their common mean, not an overflow.
TEST_F(OtypeEufit, MergedMeansOfManyMembersStayInRange) {
  prepare({{1.0e36f}}, {1.0e18f}, {{1.0e36f}, {1.0e36f}});
  auto& s = state();
  s.c.khier = 0;
  s.type_count = {600, 400};
  otype::OTDIST();
  const std::string out = listing();
  EXPECT_NE(out.find("     3  01CN02    1.00E+36"), std::string::npos) << out;
  EXPECT_EQ(out.find("Infinity"), std::string::npos);
  otype::OTCOND();
  EXPECT_EQ(s.c.ntypes, 1);
  EXPECT_EQ(s.type_count[0], 1000);
  EXPECT_EQ(omean(1, 1), 1.0e36f);
}

// An O-type of 12 entries at 118 columns: one block of 10 rows; 1300 objects: two parts.
TEST_F(OtypeEufit, MembershipTableLayoutAndParts) {
  std::vector<std::vector<float>> objects;
  for (int i = 0; i < 12; ++i) objects.push_back({static_cast<float>(i) * 0.01f});
  prepare(objects, {1.0f}, {{0.0f}});
  otype::OTASGN();
  std::vector<std::string> lines = file_lines("MONOUT");
  std::size_t rows = 0;
  for (const std::string& l : lines)
    if (l.find("****") != std::string::npos && l.find("ASTERICK") == std::string::npos) ++rows;
  EXPECT_EQ(rows, 10u);
  // Entry 11 heads the second column of the first row.
  EXPECT_NE(listing().find("0.00****   " + std::string(3, ' ') + "11"), std::string::npos) << listing();
}

TEST_F(OtypeEufit, MembershipTableInPartsOf1250) {
  std::vector<std::vector<float>> objects(1300, std::vector<float>{0.0f});
  prepare(objects, {1.0f}, {{0.0f}});
  otype::OTASGN();
  const std::string out = listing();
  EXPECT_NE(out.find("PART  1 PAGE"), std::string::npos);
  EXPECT_NE(out.find("PART  2 PAGE"), std::string::npos);
  std::size_t after = out.find("PART  2 PAGE");
  std::size_t in_two = 0;
  for (std::size_t p = out.find("****", after); p != std::string::npos; p = out.find("****", p + 1)) ++in_two;
  EXPECT_EQ(in_two, 50u);
}

// A constant dimension and an O-type without members: -0.0, never NaN or Inf.
TEST_F(OtypeEufit, DegenerateStatistics) {
  prepare({{1.0f, 3.0f}, {2.0f, 3.0f}, {3.0f, 3.0f}}, {1.0f, 0.0f}, {{2.0f, 3.0f}, {50.0f, 3.0f}}, 100.0f);
  otype::OTASGN();
  otype::OTSTAT();
  const std::string out = listing();
  EXPECT_EQ(out.find("NaN"), std::string::npos);
  EXPECT_EQ(out.find("Inf"), std::string::npos);
  EXPECT_NE(out.find("0.00 CLUS2"), std::string::npos);
  // Homogeneity of dimension 1: variance 2/3 against 1.
  EXPECT_NE(out.find("0.58 CLUS1"), std::string::npos);
}

// Merges by closest pair with count-weighted means; two O-types without members merge into
// their plain mean.
TEST_F(OtypeEufit, HierarchicalCondensation) {
  prepare({{0.0f}}, {1.0f}, {{0.0f}, {1.0f}, {5.0f}});
  auto& s = state();
  s.c.khier = 0;
  s.type_num = {3, 5, 1};
  s.c.maxnum = 5;
  s.type_count = {0, 0, 2};
  otype::OTDIST();
  const std::string out = listing();
  EXPECT_NE(out.find("EUCLIDEAN DISTANCES BETWEEN OTYPES"), std::string::npos);
  EXPECT_NE(out.find("HIERARCHICAL CONDENSATION OF OTYPES"), std::string::npos);
  EXPECT_NE(out.find("03CN05"), std::string::npos);
  EXPECT_NE(out.find("     6  03CN05        0.50"), std::string::npos);
  // One merged count 0: the count-weighted rule.
  EXPECT_NE(out.find("     7  01CN06        5.00"), std::string::npos);
  EXPECT_NE(out.find("                              1.00"), std::string::npos);
  EXPECT_EQ(out.find("NaN"), std::string::npos);
  EXPECT_EQ(otype::CNNAME(3, 12), "03CN12              ");
}

// Whole runs on small score sets in which an O-type is deleted in a pass before the last,
// against the replica of the passes: the number of passes, the stored membership and the
// stored means. In half of them the pass after a deletion still moves objects only into or
// out of the deleted O-types, so a stop test that looked at the survivors alone would end
// the passes too early.
class OtypeDeletionReplica : public OtypeRun, public ::testing::WithParamInterface<int> {};

TEST_P(OtypeDeletionReplica, PassesMembershipAndMeans) {
  const auto& set = otype_deletion_reference::data_sets[static_cast<std::size_t>(GetParam())];
  const auto ndim = static_cast<std::size_t>(set.ndim);
  std::vector<std::vector<float>> objects;
  for (std::size_t k = 0; k < set.scores.size(); k += ndim)
    objects.emplace_back(set.scores.begin() + static_cast<std::ptrdiff_t>(k),
                         set.scores.begin() + static_cast<std::ptrdiff_t>(k + ndim));
  put_scores(objects, set.sd);
  char kcrit[8];
  std::snprintf(kcrit, sizeof kcrit, "%4d", set.kcrit);
  // INMETH 1, no hierarchy, 2 partitions, no membership table, reports or punched decks.
  const RunResult r = run({card({{1, "   0"}, {2, "   1"}, {3, "   1"}, {4, "   1"}, {5, "   2"},
                                 {6, kcrit}, {7, "   0"}, {8, "   1"}, {9, "  20"}, {10, "   1"},
                                 {11, "   1"}, {12, "   0"}, {13, set.unique}, {14, set.conden},
                                 {15, "   4"}, {16, "   0"}})});
  const std::string why = "seed " + std::to_string(set.seed) +
                          (set.early_stop ? ", a survivors-only stop ends after pass " +
                                                std::to_string(set.early_stop)
                                          : std::string());
  ASSERT_FALSE(r.stopped) << why << r.console;
  const std::string out = listing();
  int passes = 0;
  for (std::size_t p = out.find("I T E R A T I O N"); p != std::string::npos;
       p = out.find("I T E R A T I O N", p + 1))
    ++passes;
  EXPECT_EQ(passes, set.passes) << why;
  EXPECT_NE(out.find("OTYPE DELETED."), std::string::npos) << why;

  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<std::int32_t> counts(40), numbers(40);
  std::vector<std::string> names(40);
  OXFIL1("OTYPE1", 0, kpar, notfound, counts, names, numbers);
  ASSERT_EQ(notfound, 0);
  ASSERT_EQ(kpar[1], static_cast<std::int32_t>(set.stored.size())) << why;
  for (std::size_t i = 0; i < set.stored.size(); ++i) {
    const auto& want = set.stored[i];
    EXPECT_EQ(numbers[i], want.number) << why;
    EXPECT_EQ(names[i].substr(0, 6), want.name) << why;
    ASSERT_EQ(counts[i], static_cast<std::int32_t>(want.members.size())) << why;
    std::vector<std::int32_t> rec(999);
    std::int32_t n = 0;
    isf_rwreci(0, n, rec);
    rec.resize(static_cast<std::size_t>(n));
    EXPECT_EQ(rec, want.members) << why << ", " << want.name;
  }
  std::vector<std::string> dnames(999);
  std::vector<std::int32_t> order(999);
  MXFIL1(0, "OMEAN1", notfound, kpar, dnames, order);
  ASSERT_EQ(kpar[2], static_cast<std::int32_t>(set.stored.size()));
  for (const auto& want : set.stored) {
    std::vector<float> row(ndim);
    std::string name;
    std::int32_t number = 0;
    MXFIL3(row, name, number);
    EXPECT_EQ(number, want.number);
    for (std::size_t j = 0; j < ndim; ++j) EXPECT_NEAR(row[j], want.mean[j], 1e-5f) << why;
  }
}

INSTANTIATE_TEST_SUITE_P(
    DataSets, OtypeDeletionReplica,
    ::testing::Range(0, static_cast<int>(otype_deletion_reference::data_sets.size())));

}  // namespace
}  // namespace korvex::testing
