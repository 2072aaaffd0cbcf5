// The scattergram, the slice table pages and the spotter of RSCAT, on small constructed data:
// frequency codes and lines in the grid, percentile ranks, the continuation page of a long
// slice table, the spotter's groups, line breaks and last row, and degenerate pairs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_rscat_fixture.hpp"

namespace korvex::testing {
namespace {

class RscatGraph : public RscatRun {
 protected:
  // The 51 grid lines of the first scattergram: the line after " Marginal" and its empty line.
  std::vector<std::string> grid() {
    const auto out = listing();
    const int top = find(out, " Marginal");
    EXPECT_GE(top, 0);
    return {out.begin() + top + 2, out.begin() + top + 2 + 51};
  }
  // Cell c (1-based) of a grid line: the 51 cells start in column 13 of the record.
  static std::string cell(const std::string& line, int c) {
    return line.substr(static_cast<std::size_t>(12 + 2 * (c - 1)), 2);
  }
  // m subjects at the centre and two off it, so the variables have a spread.
  static void put_centre(int m) {
    std::vector<float> x(static_cast<std::size_t>(m), 0.0f);
    std::vector<float> y(static_cast<std::size_t>(m), 0.0f);
    x.push_back(10.0f);
    y.push_back(10.0f);
    x.push_back(-10.0f);
    y.push_back(-10.0f);
    put_pairs(x, y);
  }
};

TEST_F(RscatGraph, CentreCellShowsItsFrequencyCode) {
  const struct {
    int m;
    const char* code;
  } cases[] = {{7, " 7"}, {10, "10"}, {100, "A0"}, {359, "Z9"}, {360, "**"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m);
    fresh_process();
    put_centre(c.m);
    const RunResult r = rscat({nsin_card(c.m + 2, 1)});
    ASSERT_FALSE(r.stopped) << r.console;
    const auto g = grid();
    EXPECT_EQ(cell(g[25], 26), c.code);
    EXPECT_EQ(g[25].substr(g[25].size() - 2), c.code);  // the row margin
  }
}

// Row and column 26 are dotted, 6, 16, 36 and 46 dashed; where they cross 26 the dot wins.
TEST_F(RscatGraph, MeanAndDeviationLines) {
  put_centre(7);
  ASSERT_FALSE(rscat({nsin_card(9, 1)}).stopped);
  const auto g = grid();
  EXPECT_EQ(cell(g[25], 1), " .");   // row 26, empty
  EXPECT_EQ(cell(g[25], 16), " .");  // row 26 crosses column 16
  EXPECT_EQ(cell(g[15], 26), " .");  // row 16 crosses column 26
  EXPECT_EQ(cell(g[15], 16), " -");
  EXPECT_EQ(cell(g[15], 2), " -");
  EXPECT_EQ(cell(g[2], 6), " -");    // an ordinary row shows the dashed columns
  EXPECT_EQ(cell(g[2], 7), "  ");
  EXPECT_EQ(cell(g[2], 26), " .");
  EXPECT_EQ(g[2].substr(g[2].size() - 2), " 0");  // an empty row's margin
}

// Three subjects on the diagonal: columns 14, 26 and 38, rows 38, 26 and 14.
TEST_F(RscatGraph, PercentileRanksOfThreeSubjects) {
  put_pairs({1.0f, 2.0f, 3.0f}, {1.0f, 2.0f, 3.0f});
  ASSERT_FALSE(rscat({nsin_card(3, 1)}).stopped);
  const auto out = listing();
  const auto g = grid();
  std::string ranks = std::string(10, ' ');
  for (int k = 1; k <= 26; ++k) {
    const int rank = k < 8 ? 0 : k < 14 ? 33 : k < 20 ? 67 : 100;
    const std::string f = std::to_string(rank);
    ranks += std::string(4 - f.size(), ' ') + f;
  }
  const int bottom = find(out, " MR");
  ASSERT_GE(bottom, 0);
  EXPECT_EQ(out[static_cast<std::size_t>(bottom + 1)], ranks);
  // Row ranks count from the bottom up: 100 down to row 13, 67, 33 from row 27 to 37.
  EXPECT_EQ(g[0].substr(0, 4), " 100");
  EXPECT_EQ(g[14].substr(0, 4), "  67");
  EXPECT_EQ(g[36].substr(0, 4), "  33");
  EXPECT_EQ(g[38].substr(0, 4), "   0");
  EXPECT_EQ(cell(g[13], 38), " 1");
}

TEST_F(RscatGraph, LongSliceTableContinuesOnANewPage) {
  std::vector<float> x;
  std::vector<float> y;
  for (int i = 0; i < 60; ++i) {
    x.push_back(static_cast<float>(i % 30));
    y.push_back(static_cast<float>((7 * i) % 31));
  }
  put_pairs(x, y);
  ASSERT_FALSE(rscat({card(-1, -1, 25, 1, -1, 1, 60)}).stopped);
  const auto out = listing();
  const int row20 = find(out, "   6  |");
  ASSERT_GE(row20, 0);
  EXPECT_GE(find(out, "  25  |"), 0);
  EXPECT_EQ(out[static_cast<std::size_t>(row20 + 2)].substr(0, 7), "1KORVEX");
  const int head = find(out, "PAGE ", row20);
  ASSERT_GE(head, 0);
  EXPECT_EQ(out[static_cast<std::size_t>(head)].substr(111, 5), "PAGE ");
  EXPECT_LT(head, find(out, "   5  |"));
}

TEST_F(RscatGraph, SpotterGroupsSubjectsSharingACell) {
  std::vector<float> x;
  std::vector<float> y;
  for (int i = 1; i <= 40; ++i) {
    x.push_back(static_cast<float>(i % 7) - 3.0f);
    y.push_back(static_cast<float>(i % 5) - 2.0f + 0.1f * static_cast<float>(i % 3));
  }
  for (int s : {7, 12, 40}) y[static_cast<std::size_t>(s - 1)] = 10.0f;
  x[11] = 0.0f;
  x[39] = 0.0f;
  x[6] = 3.0f;
  put_pairs(x, y);
  ASSERT_FALSE(rscat({nsin_card(40)}).stopped);
  const auto out = listing();
  const int head = find(out, "SPOTTER   BY ORDINAL NUMBER");
  ASSERT_GE(head, 0);
  const std::string& row1 = out[static_cast<std::size_t>(head + 2)];
  EXPECT_EQ(row1.substr(4), "  (12,40),7");
}

TEST_F(RscatGraph, SpotterBreaksLongRowsAndStopsAfterTheLastOccupiedRow) {
  std::vector<float> x;
  std::vector<float> y;
  for (int i = 1; i <= 40; ++i) {
    x.push_back(static_cast<float>(i));
    y.push_back(0.0f);
  }
  x.push_back(20.0f);
  y.push_back(10.0f);
  put_pairs(x, y);
  ASSERT_FALSE(rscat({nsin_card(41)}).stopped);
  const auto out = listing();
  const int head = find(out, "SPOTTER   BY ORDINAL NUMBER");
  ASSERT_GE(head, 0);
  // The last lines of the spotter are the 40 subjects' row, broken once.
  int last = static_cast<int>(out.size()) - 1;
  while (last > head && out[static_cast<std::size_t>(last)].find_first_not_of(' ') == std::string::npos) --last;
  const std::string& first_part = out[static_cast<std::size_t>(last - 1)];
  const std::string& second_part = out[static_cast<std::size_t>(last)];
  ASSERT_GE(first_part.size(), 7u);
  EXPECT_EQ(second_part.substr(0, 6), std::string(6, ' '));
  EXPECT_EQ(first_part.back(), ',');
  EXPECT_NE(second_part.back(), ',');
  EXPECT_GE(first_part.size() - 6, 108u);
  EXPECT_LE(first_part.size() - 6, 115u);
  std::string all = first_part.substr(6) + second_part.substr(6);
  std::string bare;
  for (char ch : all) {
    if (ch != '(' && ch != ')') bare += ch;
  }
  std::string want;
  for (int i = 1; i <= 40; ++i) want += std::to_string(i) + (i < 40 ? "," : "");
  EXPECT_EQ(bare, want);
}

// Two variables may bring 5000 subjects; every one of them is plotted and spotted.
TEST_F(RscatGraph, CellListHoldsEveryPlottedSubject) {
  std::vector<float> x;
  std::vector<float> y;
  for (int i = 0; i < 5000; ++i) {
    x.push_back(static_cast<float>(i % 10));
    y.push_back(static_cast<float>((i / 10) % 7));
  }
  put_pairs(x, y);
  ASSERT_FALSE(rscat({nsin_card(5000)}).stopped);
  const auto out = listing();
  const int top = find(out, " Marginal");
  ASSERT_GE(top, 0);
  EXPECT_EQ(out[static_cast<std::size_t>(top)].substr(out[static_cast<std::size_t>(top)].size() - 5), " 5000");
  // The spotter names subject 5000 last in its cell (x 9, y 2, shared with 4930, 4860 ...).
  const int head = find(out, "SPOTTER   BY ORDINAL NUMBER");
  EXPECT_GE(find(out, ",4930,5000)", head), 0);
}

TEST_F(RscatGraph, SpotOneSuppressesTheSpotter) {
  put_centre(7);
  ASSERT_FALSE(rscat({nsin_card(9, 1)}).stopped);
  EXPECT_EQ(find(listing(), "SPOTTER"), -1);
}

// A constant variable, and a pair without a subject that has both values, run to the end.
TEST_F(RscatGraph, DegeneratePairsRunToTheEnd) {
  std::vector<std::vector<float>> s;
  for (int i = 0; i < 12; ++i) {
    s.push_back({5.0f, static_cast<float>(i), i % 2 == 0 ? -999.0f : 1.0f * static_cast<float>(i),
                 i % 2 == 1 ? -999.0f : 2.0f * static_cast<float>(i)});
  }
  put_scores(s);
  const RunResult r = rscat({nsin_card(12)});
  ASSERT_FALSE(r.stopped) << r.console;
  const auto out = listing();
  EXPECT_EQ(count(out, "PRODUCT MOMENT CORRELATION ="), 6);
  EXPECT_EQ(count(out, "SPOTTER   BY ORDINAL NUMBER"), 6);
}

// Fewer subjects than slices leave no within-slice degree of freedom: the corrected eta is 0,
// never above 1, while the plain eta keeps its value. Subjects come in twos per slice, so the
// within-slice sum of squares is not 0.
TEST_F(RscatGraph, FewerSubjectsThanSlicesGiveUnbiasedEtaZero) {
  for (int n : {6, 12}) {
    SCOPED_TRACE(n);
    fresh_process();
    std::vector<float> x;
    std::vector<float> y;
    for (int i = 0; i < n; ++i) {
      x.push_back(static_cast<float>(i / 2));
      y.push_back(static_cast<float>((i * 7) % 5));
    }
    put_pairs(x, y);
    ASSERT_FALSE(rscat({nsin_card(n, 1)}).stopped);
    const auto out = listing();
    for (const char* label : {"eta(yx)=  ", "eta(xy)=  "}) {
      const int at = find(out, label);
      ASSERT_GE(at, 0);
      const std::string& line = out[static_cast<std::size_t>(at)];
      EXPECT_EQ(line.substr(line.size() - 6), "0.0000") << line;
      const float eta = std::stof(line.substr(line.find(label) + 10, 6));
      EXPECT_GT(eta, 0.0f) << line;
      EXPECT_LT(eta, 1.0f) << line;
    }
  }
}

}  // namespace
}  // namespace korvex::testing
