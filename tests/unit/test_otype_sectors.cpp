// Sectors of the profile space: partition cards, place values, the sector of a value on a
// cut point, the pool of sector nodes and its limit, and the choice of the core O-types.
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "test_otype_fixture.hpp"

namespace korvex::testing {
namespace {

using otype::partitions;
using otype::pool;
using otype::state;

class OtypeSectors : public OtypeRun {
 protected:
  void SetUp() override {
    OtypeRun::SetUp();
    state().monout = get_unit("MONOUT");
  }
  // Runs the partition definition of method kpart on ndim dimensions with these cards.
  RunResult define(std::int32_t kpart, std::int32_t ndim, const std::vector<std::string>& cards) {
    return run_with_cards(
        [&] {
          state().c.monin = get_unit("MONIN");
          state().c.kpart = kpart;
          state().c.ndim = ndim;
          otype::OTPCRD();
        },
        cards);
  }
  // Counts one object of the given sector with the given profile into the pool.
  static void count(std::int32_t sector, std::vector<float> profile) {
    auto& s = state();
    s.cur.type = sector;
    for (std::size_t j = 0; j < profile.size(); ++j) s.cur.profile[j] = profile[j];
    otype::OTFULL(1);
  }
  // A pool of sectors 0, 1, 2, ... holding counts[i] objects each (one dimension).
  static void fill_pool(const std::vector<int>& counts) {
    state().c.ndim = 1;
    partitions().place_value[0] = 1;
    otype::OTFULL(0);
    for (std::size_t i = 0; i < counts.size(); ++i)
      for (int k = 0; k < counts[i]; ++k) count(static_cast<std::int32_t>(i), {static_cast<float>(i + k)});
    otype::SECSRT();
  }
};

TEST_F(OtypeSectors, EqualPartitionsAndValuesOnCuts) {
  auto& s = state();
  s.c.nparts = 2;
  s.dim_mean[0] = 0.0f;
  s.dim_sd[0] = 1.0f;
  ASSERT_FALSE(define(1, 1, {}).stopped);
  EXPECT_FLOAT_EQ(otype::cut_point(1, 1), -1.0f);
  EXPECT_FLOAT_EQ(otype::cut_point(2, 1), 1.0f);
  const std::vector<std::pair<float, int>> cases = {{1.0f, 2}, {-1.0f, 0}, {0.5f, 1}, {-3.0f, 0}, {7.0f, 2}};
  for (const auto& [x, want] : cases) {
    s.cur.profile[0] = x;
    otype::SECCEL();
    EXPECT_EQ(s.cur.type, want) << x;
  }
}

TEST_F(OtypeSectors, PlaceValuesAndLabels) {
  auto& s = state();
  s.c.ndim = 2;
  auto& p = partitions();
  p.part_count[0] = p.part_count[1] = 3;
  std::int32_t overflow = 0;
  otype::SECPLV(p.part_count, p.place_value, 2, overflow);
  EXPECT_EQ(overflow, 0);
  EXPECT_EQ(p.place_value[0], 3);
  EXPECT_EQ(p.place_value[1], 1);
  p.part_index[0] = 2;
  p.part_index[1] = 0;
  EXPECT_EQ(otype::SECNUM(p.place_value, p.part_index, 2), 6);
  std::string label(10, ' ');
  otype::SECNAM(label, 6);
  EXPECT_EQ(label, "        20");
  EXPECT_EQ(otype::SECDIG(10), '*');
}

TEST_F(OtypeSectors, ThirtyBinaryDimensionsFitOneMoreDoesNot) {
  state().c.nparts = 1;
  EXPECT_FALSE(define(1, 30, {}).stopped);
  reset_otype();
  state().c.nparts = 1;
  state().monout = get_unit("MONOUT");
  const RunResult r = define(1, 31, {});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("TOO MANY CELLS FOR MACHINE WORD LENGTH"), std::string::npos);
}

TEST_F(OtypeSectors, PartitionCards) {
  // A blank field ends the cut points of a card.
  ASSERT_FALSE(define(2, 3, {"-0.5            0.5"}).stopped);
  for (int d = 0; d < 3; ++d) EXPECT_EQ(partitions().cut_count[static_cast<std::size_t>(d)], 1);
  EXPECT_FLOAT_EQ(otype::cut_point(1, 3), -0.5f);
  // Four implied decimals without a point.
  ASSERT_FALSE(define(4, 2, {"    5000  1.5", "  -2.0"}).stopped);
  EXPECT_FLOAT_EQ(otype::cut_point(1, 1), 0.5f);
  EXPECT_EQ(partitions().cut_count[0], 2);
  EXPECT_EQ(partitions().cut_count[1], 1);
  RunResult r = define(4, 2, {"1.0", ""});
  EXPECT_NE(r.console.find("BAD PARTITION CARD."), std::string::npos);
  r = define(2, 2, {""});
  EXPECT_NE(r.console.find("NUMBER OF PARTITIONS IS TOO LARGE OR TOO SMALL."), std::string::npos);
}

TEST_F(OtypeSectors, PartitionCountsPerDimension) {
  const RunResult r = define(3, 4, {"   2   3  10   1"});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(listing().find("0THE NUMBER OF PARTITIONS..  10, FOR DIMENSION   3 IS LESS THAN ONE "
                           "OR GREATER THAN   9"),
            std::string::npos);
  EXPECT_NE(r.console.find("NUMBER OF PARTITIONS IS TOO LARGE OR TOO SMALL."), std::string::npos);
  // 20 dimensions take a second card.
  std::string first;
  for (int d = 0; d < 18; ++d) first += "   1";
  const RunResult two = define(3, 20, {first, "   1   4"});
  ASSERT_FALSE(two.stopped) << two.console;
  EXPECT_EQ(partitions().cut_count[17], 1);
  EXPECT_EQ(partitions().cut_count[19], 4);
  EXPECT_EQ(partitions().part_count[19], 5);
}

// 30 dimensions: nodes of 34 words, 279 of them below word 9467; the objects of later new
// sectors are reported and counted nowhere, those of existing sectors still count.
TEST_F(OtypeSectors, FullPoolRefusesNewSectors) {
  auto& s = state();
  s.c.ndim = 30;
  auto& p = partitions();
  for (int d = 0; d < 30; ++d) p.part_count[static_cast<std::size_t>(d)] = 2;
  std::int32_t overflow = 0;
  otype::SECPLV(p.part_count, p.place_value, 30, overflow);
  otype::OTFULL(0);
  s.cur.name = "LATE                ";
  for (int k = 0; k < 281; ++k) {
    s.cur.ordinal = k + 1;
    count(k * 7 + 1, std::vector<float>(30, 1.0f));
  }
  count(1, std::vector<float>(30, 3.0f));
  EXPECT_TRUE(pool().full);
  otype::SECSRT();
  EXPECT_EQ(pool().occupied, 279);
  EXPECT_EQ(pool().word[2], 2);  // sector 1 at word 1 took its second object
  EXPECT_FLOAT_EQ(otype::pool_real(5), 2.0f);
  const std::string out = listing();
  std::string label(30, ' ');
  otype::SECNAM(label, 279 * 7 + 1);
  EXPECT_NE(out.find("0FULL - SECTOR " + label + " WAS NOT INCLUDED. SUBJECT LATE                , ORD POS.   280 DEFINED SECTOR."),
            std::string::npos);
  EXPECT_NE(out.find("ORD POS.   281 DEFINED"), std::string::npos);
  EXPECT_EQ(out.find("ORD POS.   279 DEFINED"), std::string::npos);
}

TEST_F(OtypeSectors, ThresholdRisesUntilFortyRemain) {
  std::vector<int> counts;
  for (int c = 1; c <= 45; ++c) counts.push_back(c);
  fill_pool(counts);
  state().c.kcrit = 2;
  otype::OTCORE();
  EXPECT_EQ(state().c.ntypes, 40);
  EXPECT_EQ(state().type_count[0], 6);
  EXPECT_NE(listing().find("0TOO MANY OTYPES, KCRIT =     6 USED."), std::string::npos);
  EXPECT_EQ(state().type_names[0].substr(0, 8), "OTYPE01 ");
}

// 41 sectors of 3 objects: no larger count exists, the 40 lowest sectors are kept.
TEST_F(OtypeSectors, EqualCountsBeyondFortyKeepForty) {
  fill_pool(std::vector<int>(41, 3));
  state().c.kcrit = 2;
  otype::OTCORE();
  EXPECT_EQ(state().c.ntypes, 40);
  EXPECT_EQ(state().lookup[39], 39);
  EXPECT_NE(listing().find("0TOO MANY OTYPES, KCRIT =     3 USED."), std::string::npos);
  // The same under the wanted-number rule.
  reset_otype();
  state().monout = get_unit("MONOUT");
  fill_pool(std::vector<int>(41, 3));
  state().c.kotype = 1;
  otype::OTCORE();
  EXPECT_EQ(state().c.ntypes, 40);
  EXPECT_EQ(state().lookup[39], 39);
}

TEST_F(OtypeSectors, WantedNumberOfCoreTypes) {
  fill_pool({9, 7, 7, 5, 2});
  state().c.kotype = 3;
  otype::OTCORE();
  EXPECT_EQ(state().c.ntypes, 3);
  EXPECT_EQ(state().c.maxnum, 3);
  EXPECT_EQ(state().type_count[2], 7);
  EXPECT_EQ(state().type_names[2].substr(0, 6), "OTYPE3");
  // Means of the sector's objects: values i + k for k = 0..count-1.
  EXPECT_FLOAT_EQ(otype::omean(1, 1), 4.0f);
  EXPECT_FLOAT_EQ(otype::omean(1, 2), 4.0f);
  const std::string out = listing();
  EXPECT_NE(out.find("SECTOR NUMBERS OF SCORE PATTERNS ACCEPTED AS CORE OTYPES"), std::string::npos);
  EXPECT_NE(out.find("OMEANS OF CORE OTYPES (WITHOUT ASSIGNEES)"), std::string::npos);
  EXPECT_NE(out.find("NUMBER OF OBJECTS IN EACH CORE OTYPE (WITHOUT ASSIGNEES)"), std::string::npos);

  reset_otype();
  state().monout = get_unit("MONOUT");
  fill_pool({9, 7, 7, 7});
  state().c.kotype = 3;
  otype::OTCORE();
  EXPECT_EQ(state().c.ntypes, 4);
}

TEST_F(OtypeSectors, NoSectorReachesTheThreshold) {
  fill_pool({3, 4});
  state().c.kcrit = 5;
  const RunResult r = run_with_cards([] { otype::OTCORE(); }, {});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("NO OTYPES REMAINING"), std::string::npos);
}

}  // namespace
}  // namespace korvex::testing
