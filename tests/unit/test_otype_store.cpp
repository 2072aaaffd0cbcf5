// The outputs of object typing and the restart from them: the means deck on MONPUN, the
// entries OMEAN1 and OTYPE1 as stored, and the reading of a stored membership.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/record_file.hpp"
#include "test_otype_fixture.hpp"

namespace korvex::testing {
namespace {

using otype::at;
using otype::omean;
using otype::state;

class OtypeStore : public OtypeRun {
 protected:
  // Objects of method 1 ready for a pass, with n O-types numbered 1..n.
  void prepare(const std::vector<std::vector<float>>& objects, std::int32_t ndim, std::int32_t n) {
    put_scores(objects, std::vector<float>(static_cast<std::size_t>(ndim), 1.0f));
    bind_method1_units();
    auto& s = state();
    s.c.kmem = 1;
    s.c.kstat = 1;
    s.c.unique = 1000.0f;
    s.c.kpunch = 2;
    otype::OTINPT();
    s.c.ntypes = n;
    GENAME("OTYPE", s.type_names, n, 0);
    s.lookup_mode = 1;
    for (std::int32_t i = 1; i <= n; ++i) {
      s.type_num[at(i)] = i;
      s.type_position[at(i)] = i;
      s.lookup[at(i)] = i;
    }
  }
  // Writes OTYPE1 with these member lists (numbers 1..n, names OTYPEi).
  static void put_membership(const std::vector<std::vector<std::int32_t>>& lists) {
    const auto n = static_cast<std::int32_t>(lists.size());
    Kpar kpar{2, n, 999};
    std::vector<std::int32_t> counts, numbers;
    std::vector<std::string> names;
    for (std::int32_t i = 1; i <= n; ++i) {
      counts.push_back(static_cast<std::int32_t>(lists[at(i)].size()));
      numbers.push_back(i);
      names.push_back("OTYPE" + std::to_string(i));
    }
    std::int32_t notfound = 0;
    OXFIL1("OTYPE1", 1, kpar, notfound, counts, names, numbers);
    for (auto l : lists)
      for (std::size_t f = 0; f < l.size(); f += 999) {
        std::int32_t k = static_cast<std::int32_t>(std::min<std::size_t>(999, l.size() - f));
        isf_rwreci(1, k, std::span<std::int32_t>(l.data() + f, static_cast<std::size_t>(k)));
      }
    isf_filfin(1);
  }
};

TEST_F(OtypeStore, MeansDeckCards) {
  prepare({std::vector<float>(12, 0.0f)}, 12, 2);
  auto& s = state();
  for (std::int32_t j = 1; j <= 12; ++j) {
    omean(j, 1) = static_cast<float>(j) + 0.5f;
    omean(j, 2) = -static_cast<float>(j);
  }
  s.type_names[1] = "OTYPE12             ";
  otype::OTPUNM();
  std::vector<std::string> cards = file_lines("MONPUN");
  ASSERT_EQ(cards.size(), 5u);
  EXPECT_EQ(cards[0], "OMEAN1 FILE, T..   0.00 D..  /  /  ");
  EXPECT_EQ(cards[1].substr(0, 16), "  1.5000  2.5000");
  EXPECT_EQ(cards[1].substr(64), "  9.5000OTYPE1 0");
  EXPECT_EQ(cards[2], " 10.5000 11.5000 12.5000" + std::string(48, ' ') + "OTYPE1 1");
  EXPECT_EQ(cards[4].substr(72), "OTYPE1 1");  // OTYPE12 keeps six characters
  for (const std::string& c : cards) EXPECT_EQ(c.find('\0'), std::string::npos);
  // Between the starting and the final deck nothing is punched; KPUNCH 0 punches nothing.
  s.pass_number = 3;
  otype::OTPUNM();
  s.pass_number = 0;
  s.c.kpunch = 0;
  otype::OTPUNM();
  EXPECT_EQ(file_lines("MONPUN").size(), 5u);
}

TEST_F(OtypeStore, FiveDimensionsFillOneCard) {
  prepare({std::vector<float>(5, 0.0f)}, 5, 1);
  for (std::int32_t j = 1; j <= 5; ++j) omean(j, 1) = 1.25f;
  otype::OTPUNM();
  const std::vector<std::string> cards = file_lines("MONPUN");
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[1], "  1.2500  1.2500  1.2500  1.2500  1.2500" + std::string(32, ' ') + "OTYPE1 0");
}

// OMEAN1 and OTYPE1 read back; 2,500 members in records of 999, 999 and 502.
TEST_F(OtypeStore, StoredEntries) {
  std::vector<std::vector<float>> objects(2600, std::vector<float>{0.0f, 0.0f});
  for (int i = 2500; i < 2600; ++i) objects[static_cast<std::size_t>(i)] = {10.0f, 10.0f};
  prepare(objects, 2, 2);
  omean(1, 2) = omean(2, 2) = 10.0f;
  otype::OTASGN();
  otype::WRAPUP();
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<std::string> names(999);
  std::vector<std::int32_t> index(999);
  MXFIL1(0, "OMEAN1", notfound, kpar, names, index);
  EXPECT_EQ(std::vector<std::int32_t>(kpar.begin(), kpar.begin() + 6), (std::vector<std::int32_t>{5, 2, 2, 999, 2, 2}));
  EXPECT_EQ(names[1].substr(0, 5), "CLUS2");
  std::vector<float> row(2);
  std::string name;
  std::int32_t number = 0;
  MXFIL3(row, name, number);
  MXFIL3(row, name, number);
  EXPECT_EQ(row[0], 10.0f);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(name.substr(0, 6), "OTYPE2");

  std::vector<std::int32_t> counts(40), nums(40);
  std::vector<std::string> tnames(40);
  OXFIL1("OTYPE1", 0, kpar, notfound, counts, tnames, nums);
  EXPECT_EQ(kpar[1], 2);
  EXPECT_EQ(kpar[2], 999);
  EXPECT_EQ(counts[0], 2500);
  std::vector<std::int32_t> rec(999);
  std::vector<std::int32_t> lengths;
  for (int r = 0; r < 4; ++r) {
    std::int32_t n = 0;
    isf_rwreci(0, n, rec);
    lengths.push_back(n);
    if (r == 3) {
      EXPECT_EQ(rec[0], 2501);
    }
  }
  EXPECT_EQ(lengths, (std::vector<std::int32_t>{999, 999, 502, 100}));
}

TEST_F(OtypeStore, ForgedScratchStops) {
  prepare({{0.0f}, {0.0f}}, 1, 1);
  otype::OTASGN();
  auto& s = state();
  s.type_count[0] = 3;
  RunResult r = run_with_cards([] { otype::WRAPUP(); }, {});
  EXPECT_NE(r.console.find("COUNT WRONG."), std::string::npos);
  // The same ordinal twice on the objects of the last pass.
  s.sc.mem_in.ordinal[1] = s.sc.mem_in.ordinal[0];
  s.sc.mem_pos = 0;
  s.sc.delivered = 0;
  s.type_count[0] = 2;
  r = run_with_cards([] { otype::WRAPUP(); }, {});
  EXPECT_NE(r.console.find("WRAPUP BUG."), std::string::npos);
}

// Ordinal 17 listed by the O-types at positions 2 and 5; an O-type whose listed objects
// are partly missing or absent; 1000 members read as records of 999 and 1.
TEST_F(OtypeStore, StoredMembership) {
  std::vector<std::vector<float>> objects;
  for (int i = 1; i <= 1100; ++i) objects.push_back({static_cast<float>(i)});
  objects[20] = {-999.0f};
  objects[21] = {-999.0f};
  prepare(objects, 1, 0);
  std::vector<std::int32_t> big;
  for (int i = 101; i <= 1100; ++i) big.push_back(i);
  put_membership({{1, 2}, {17, 3}, {21, 22, 23}, {3000}, {17}, big});
  auto& s = state();
  s.c.inmeth = 1;
  otype::OTINPT();
  otype::OTRDT1();
  otype::OTMEAN();
  const std::string out = listing();
  EXPECT_NE(out.find("0SUBJECT WHOSE ORDINAL POSITION IS   17 REQUIRED BY OTYPE2               AND "
                     "OTYPE5              , ONLY OTYPE5               WILL BE MET BY PROGRAM."),
            std::string::npos);
  EXPECT_EQ(s.type_count[1], 1);
  EXPECT_EQ(s.type_count[4], 1);
  EXPECT_FLOAT_EQ(omean(1, 2), 3.0f);
  EXPECT_FLOAT_EQ(omean(1, 3), 23.0f);
  EXPECT_NE(out.find("0SUBJECT WHOSE ORDINAL POSITION IS   21, WAS NOT FOUND (OR CONTAINED MISSING "
                     "DATA) BUT WAS REQUIRED BY OCLUSTER OTYPE3"),
            std::string::npos);
  EXPECT_NE(out.find("POSITION IS   22, WAS NOT FOUND"), std::string::npos);
  EXPECT_EQ(s.type_count[3], 0);
  EXPECT_TRUE(std::signbit(omean(1, 4)));
  EXPECT_EQ(s.type_count[5], 1000);
  EXPECT_FLOAT_EQ(omean(1, 6), 600.5f);
  EXPECT_NE(out.find("OMEANS OF OTYPES"), std::string::npos);
}

// Stored means of another number of dimensions than the input are refused.
TEST_F(OtypeStore, StoredMeansMustFitTheInput) {
  put_scores({{1.0f, 2.0f}}, {1.0f, 1.0f});
  Kpar kom{5, 3, 1, 999, 2, 2};
  std::vector<std::string> names = {"A", "B", "C"};
  std::vector<std::int32_t> order = {1, 2, 3};
  std::int32_t notfound = 0;
  MXFIL1(1, "OMEAN1", notfound, kom, names, order);
  std::vector<float> row = {1.0f, 2.0f, 3.0f};
  std::string name = "OTYPE1";
  std::int32_t number = 1;
  MXFIL3(row, name, number);
  const RunResult r = run({card({{1, "   2"}, {3, "   1"}})});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("OMEANS1 AND OTHER FILES DISAGREE."), std::string::npos);
}

// Stored means so far from the objects that a squared distance would pass 1.0e38 (the objects
// alone, variable scores of method 4, lie close together) are refused before any pass, with
// the widest dimension. At the small end the objects' own spans decide, as every O-type mean
// is one of theirs from the first pass on: stored means far apart do not admit objects that
// lie too close together.
TEST_F(OtypeStore, StoredMeansAreCheckedWithTheObjects) {
  const struct {
    std::vector<std::vector<float>> objects;
    std::vector<float> means;  // the one stored O-type
    const char* lines;
  } cases[] = {
      {{{1.0f, 2.0f}, {2.0f, 3.0f}}, {2.0e19f, 2.0f},
       " DIMENSION 1 (CLUS1) SPANS 2.000E+19 AMONG OBJECTS AND OMEAN1\n"
       " SQUARED DISTANCES CAN REACH 4.000E+38; OTYPE NEEDS THEM BELOW 1E+38: RESCALE IT\n"},
      {{{1.0e-25f, 2.0f}, {2.0e-25f, 3.0f}}, {-1.0f, 2.0f},
       " DIMENSION 1 (CLUS1) SPANS 1.000E-25 AMONG THE OBJECTS\n"
       " SQUARED DISTANCES ALONG IT REACH ONLY 1.000E-50; OTYPE NEEDS 1.0E-24: RESCALE IT\n"},
  };
  for (const auto& c : cases) {
    reset_otype();
    isf_init();
    put_variable_scores(c.objects, {1.0f, 1.0f});
    Kpar kom{5, 2, 1, 999, 2, 2};
    std::vector<std::string> names = {"A", "B"};
    std::vector<std::int32_t> order = {1, 2};
    std::int32_t notfound = 0;
    MXFIL1(1, "OMEAN1", notfound, kom, names, order);
    std::vector<float> row = c.means;
    std::string name = "OTYPE1";
    std::int32_t number = 1;
    MXFIL3(row, name, number);
    const std::size_t before = listing().size();
    const RunResult r = run({card({{1, "   2"}, {2, "   4"}, {3, "   1"}})});
    // The listing holds each line whole (the console cuts them at 80 characters).
    EXPECT_TRUE(r.stopped) << c.lines;
    const std::string out = listing().substr(before);
    EXPECT_NE(out.find(c.lines), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace korvex::testing
