// COMP1 run in-process on ISF entries written with the typed accessors: the punched deck
// card by card, the REFLX1 entries it refuses to punch, the names it forms or refuses, its
// stops, and the labelled card routines with their KON check.
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "test_comp_fixture.hpp"
#include "typing/comp_internal.hpp"

namespace korvex {
namespace {

constexpr int nv = 20;

class Comp1 : public testing::CompRun {
 protected:
  // RFACT1 of 20 x nf: coefficient (i, j) = ((i * 7 + j * 13) % 19 - 9) / 10, with the
  // rounding cases in factor 1.
  void put_rfact1(int nf, float first = 0.75316f) {
    std::vector<float> a(999u * static_cast<std::size_t>(nf), 0.0f);
    for (int j = 1; j <= nf; ++j) {
      for (int i = 1; i <= nv; ++i) {
        a[static_cast<std::size_t>((j - 1) * 999 + i - 1)] = static_cast<float>((i * 7 + j * 13) % 19 - 9) / 10.0f;
      }
    }
    a[0] = first;
    a[1] = -0.00004f;
    a[2] = -0.00006f;
    Kpar kpar{2, nv, nf};
    std::int32_t notfound = 0;
    isf_real_matrix("RFACT1", 1, kpar, notfound, a);
  }
  void put_reflx1(const std::vector<std::vector<int>>& lists) {
    std::vector<std::int32_t> counts;
    std::vector<std::int32_t> members(99u * lists.size(), 0);
    for (std::size_t j = 0; j < lists.size(); ++j) {
      counts.push_back(static_cast<std::int32_t>(lists[j].size()));
      for (std::size_t k = 0; k < lists[j].size(); ++k) members[j * 99 + k] = lists[j][k];
    }
    Kpar kpar{1, static_cast<std::int32_t>(lists.size())};
    std::int32_t notfound = 0;
    isf_int_table("REFLX1", 1, kpar, notfound, counts, members);
  }
  std::vector<std::string> names20(const std::string& stem, int n) {
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i) v.push_back(stem + std::to_string(i));
    return v;
  }
  testing::RunResult comp1() { return run_with_cards(&COMP1, {}); }
};

TEST_F(Comp1, PunchesTheWholeDeck) {
  testing::put_isf_title("GROUP OF TWENTY");
  put_rfact1(3);
  testing::put_isf_names(names20("X", nv));
  put_reflx1({{1, -4, 7}, {2, 3}, {5, 6, 20, 19}});
  const testing::RunResult r = comp1();
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> p = file_lines("MONPUN");
  ASSERT_EQ(p.size(), 3u + 9u + 7u + 1u + 3u);
  EXPECT_EQ(p[0], "DATA FILE PREPARED BY COMP1 FOR COMP2");
  EXPECT_EQ(p[1], "GROUP OF TWENTY" + std::string(57, ' ') + "24IDFILE");
  EXPECT_EQ(p[2], "  20   3   0" + std::string(60, ' ') + "PARAMTRS");
  // 0.75316 -> 7532, -0.00004 -> 0, -0.00006 -> -1; (4*7+13) % 19 - 9 = -6 -> -6000
  EXPECT_EQ(p[3].substr(0, 32), "    7532       0      -1   -6000");
  EXPECT_EQ(p[3].substr(72), "08000100");
  EXPECT_EQ(p[4].substr(72), "08000101");
  EXPECT_EQ(p[11].size(), 80u);
  EXPECT_EQ(p[11].substr(16, 56), std::string(56, ' '));
  EXPECT_EQ(p[11].substr(72), "08000302");
  EXPECT_EQ(p[12], "X1                  X2                  X3                  " + std::string(12, ' ') + "17000000");
  EXPECT_EQ(p[18].substr(72), "17000006");
  EXPECT_EQ(p[18].substr(0, 40), "X19                 X20                 ");
  EXPECT_EQ(p[19], "   3   2   4" + std::string(60, ' ') + "09000000");
  EXPECT_EQ(p[20], "   1   4   7" + std::string(60, ' ') + "09000100");  // -4 punched as 4
  EXPECT_EQ(p[22], "   5   6  20  19" + std::string(56, ' ') + "09000300");
  EXPECT_EQ(file_lines("MONOUT"), std::vector<std::string>{});
}

TEST_F(Comp1, RefusesReflx1ThatDoesNotFit) {
  const std::vector<std::vector<std::vector<int>>> cases = {
      {{1}, {2}},                 // one list fewer than the 3 factors
      {{1}, {2}, {21}},           // a definer beyond the 20 variables
      {{1}, {0, 2}, {3}},         // a definer 0
      {{1}, {2}, {3}, {4}},       // one list more
  };
  for (const auto& lists : cases) {
    SCOPED_TRACE(lists.size());
    fresh_run();
    testing::put_isf_title("GROUP");
    put_rfact1(3);
    put_reflx1(lists);
    const testing::RunResult r = comp1();
    ASSERT_FALSE(r.stopped) << r.console;
    const std::vector<std::string> p = file_lines("MONPUN");
    ASSERT_EQ(p.size(), 3u + 9u + 7u);  // no definer cards
    EXPECT_EQ(p[2], "  20   3   1" + std::string(60, ' ') + "PARAMTRS");
    EXPECT_EQ(file_lines("MONOUT"),
              (std::vector<std::string>{"0REFLX1 FILE INCONSISTENT WITH RFACT1 FILE", " REFLX1 FILE NOT PUNCHED", "0"}));
  }
}

TEST_F(Comp1, NamesFormedOrRefused) {
  // Without VNAMS1: V001 .. V020, and no REFLX1: flag 1 without a warning.
  testing::put_isf_title("GROUP");
  put_rfact1(1);
  ASSERT_FALSE(comp1().stopped);
  std::vector<std::string> p = file_lines("MONPUN");
  ASSERT_EQ(p.size(), 3u + 3u + 7u);
  EXPECT_EQ(p[2].substr(0, 12), "  20   1   1");
  EXPECT_EQ(p[6].substr(0, 60), "V001                V002                V003                ");
  EXPECT_EQ(p[12].substr(0, 40), "V019                V020                ");
  EXPECT_EQ(file_lines("MONOUT"), std::vector<std::string>{});

  // After a selection VNAMS1 holds the inactive names last: its length is d1 - d3.
  fresh_run();
  testing::put_isf_title("GROUP");
  put_rfact1(1);
  testing::put_isf_names(names20("A", nv + 2), 2);
  ASSERT_FALSE(comp1().stopped);
  p = file_lines("MONPUN");
  EXPECT_EQ(p[12].substr(0, 40), "A19                 A20                 ");

  // Another length stops the run before anything is punched.
  fresh_run();
  testing::put_isf_title("GROUP");
  put_rfact1(1);
  testing::put_isf_names(names20("A", nv + 1));
  const testing::RunResult r = comp1();
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("BAD RFACT1 OR VNAMS1 FILE."), std::string::npos);
  EXPECT_EQ(file_lines("MONPUN"), std::vector<std::string>{});
}

TEST_F(Comp1, Stops) {
  // Without IDFILE, or without RFACT1: the not-found report and stop code 10007.
  put_rfact1(1);
  testing::RunResult r = comp1();
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.code, 10007);
  EXPECT_NE(listing().find(" FILE IDFILE COULD NOT BE LOCATED"), std::string::npos);
  fresh_run();
  testing::put_isf_title("GROUP");
  r = comp1();
  EXPECT_EQ(r.code, 10007);
  EXPECT_NE(listing().find(" FILE RFACT1 COULD NOT BE LOCATED"), std::string::npos);
  // A coefficient that 8 columns cannot carry would punch as asterisks: refused, no card.
  fresh_run();
  testing::put_isf_title("GROUP");
  put_rfact1(1, 12345.0f);
  r = comp1();
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("RFACT1 COEFFICIENT OF VARIABLE 1 ON FACTOR 1 CANNOT BE PUNCHED IN 8 COLUMNS."),
            std::string::npos);
  EXPECT_EQ(file_lines("MONPUN"), std::vector<std::string>{});
}

TEST_F(Comp1, PunchRoutinesAndTheirKon) {
  const std::int32_t unit = get_unit("MONPUN");
  const std::vector<std::int32_t> iv{12, -3, 123456};
  comp::PUNCHI(iv, 3, 1000.0f, 5, 12345, 1, unit);
  const std::vector<std::string> words{"ABCDEF", "GH"};
  comp::PUNCHC(words, 2, 1000.0f, 24, 7, 5, unit);
  const std::vector<std::string> p = file_lines("MONPUN");
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0], "      12      -3  123456" + std::string(48, ' ') + "05234500");
  EXPECT_EQ(p[1], "ABCDEFGH    " + std::string(60, ' ') + "24000700");
  const std::vector<float> x{1.0f};
  for (const int kon : {0, 2, 3, 4, 5, 6}) {
    SCOPED_TRACE(kon);
    const testing::RunResult r = run_with_cards([&] { comp::PUNCH(x, 1, 1000.0f, 8, 1, kon, unit); }, {});
    EXPECT_TRUE(r.stopped);
    EXPECT_NE(r.console.find("INVALID KON VALUE IN SUBROUTINE PUNCH"), std::string::npos);
  }
  const testing::RunResult r = run_with_cards([&] { comp::PUNCHC(words, 2, 1000.0f, 8, 1, 1, unit); }, {});
  EXPECT_NE(r.console.find("INVALID KON VALUE IN SUBROUTINE PUNCH"), std::string::npos);
}

}  // namespace
}  // namespace korvex
