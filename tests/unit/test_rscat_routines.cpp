// The small routines of the scatterplot component: frequency codes, the placing of a value in
// a slice or a grid cell (edges and positions that are not numbers), percentile ranks and
// the ordering of the cell list.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "scoring/rscat_internal.hpp"

namespace korvex::rscat {
namespace {

TEST(RscatRoutines, FrequencyCodes) {
  const struct {
    int count;
    const char* code;
  } cases[] = {{0, "  "}, {1, " 1"}, {7, " 7"}, {10, "10"}, {99, "99"}, {100, "A0"},
               {101, "A1"}, {110, "B0"}, {359, "Z9"}, {360, "**"}, {5000, "**"}};
  for (const auto& c : cases) EXPECT_EQ(freq_code(c.count), c.code) << c.count;
}

TEST(RscatRoutines, LinesOnlyFillBlankCells) {
  std::string blank = "  ";
  std::string three = " 3";
  dot_if_blank(blank);
  dot_if_blank(three);
  EXPECT_EQ(blank, " .");
  EXPECT_EQ(three, " 3");
  blank = "  ";
  dash_if_blank(blank);
  dash_if_blank(three);
  EXPECT_EQ(blank, " -");
  EXPECT_EQ(three, " 3");
}

// Cells are a tenth of an SD wide from LOWER; values beyond the range go to the edge cells,
// and a position that is not a number (no spread) is placed like a value at the upper bound.
// A LOWER past the float range (mean -1.18e38, SD 2.41e38) still places 3e38 in cell 42.
TEST(RscatRoutines, CellIndexKeepsEveryValueOnTheGrid) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float value;
    double lower;
    float cell;
    int index;
  } cases[] = {
      {0.0f, -25.5f, 1.0f, 25},  {25.5f, -25.5f, 1.0f, 50}, {1000.0f, -25.5f, 1.0f, 50},
      {-25.5f, -25.5f, 1.0f, 0}, {-30.0f, -25.5f, 1.0f, 0}, {-24.6f, -25.5f, 1.0f, 0},
      {5.0f, 5.0f, 0.0f, 50},    {nan, 0.0f, 1.0f, 50},     {-inf, 0.0f, 1.0f, 0},
      {3.0e38f, -7.3262935e38, 2.4103112e37f, 42},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cell_index(c.value, c.lower, c.cell), c.index) << c.value << " " << c.lower;
  }
}

TEST(RscatRoutines, SliceOfPlacesEdgesAndNonNumbers) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    float value;
    double lower, upper;
    int slices, slice;
  } cases[] = {
      {0.0f, 0.0f, 12.0f, 12, 1},   {0.99f, 0.0f, 12.0f, 12, 1},  {1.0f, 0.0f, 12.0f, 12, 2},
      {11.99f, 0.0f, 12.0f, 12, 12}, {12.0f, 0.0f, 12.0f, 12, 12}, {50.0f, 0.0f, 12.0f, 12, 12},
      {-3.0f, 0.0f, 12.0f, 12, 1},  {7.0f, 7.0f, 7.0f, 17, 17},   {nan, 0.0f, 1.0f, 12, 12},
      // bounds past the float range: 3e38 lies in slice 11 of -7.33e38 .. 4.97e38
      {3.0e38f, -7.3262935e38, 4.9662935e38, 12, 11},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(slice_of(c.value, c.lower, c.upper, c.slices), c.slice) << c.value;
  }
}

TEST(RscatRoutines, PercentileRanks) {
  EXPECT_EQ(percentile_rank(1, 3.0f, 0.5001f), 33);
  EXPECT_EQ(percentile_rank(2, 3.0f, 0.5001f), 67);
  EXPECT_EQ(percentile_rank(3, 3.0f, 0.50001f), 100);
  EXPECT_EQ(percentile_rank(1, 200.0f, 0.50001f), 1);  // 0.5 + 0.50001
  EXPECT_EQ(percentile_rank(0, 0.0f, 0.5001f), 0);     // no plotted subject
}

TEST(RscatRoutines, SortCodesOrdersByCellThenSubject) {
  std::vector<std::int32_t> keys = {2601, 101, 2601, 5151, 101, 2626};
  std::vector<std::int32_t> subjects = {9, 4, 2, 1, 3, 5};
  sort_codes(keys, subjects);
  EXPECT_EQ(keys, (std::vector<std::int32_t>{101, 101, 2601, 2601, 2626, 5151}));
  EXPECT_EQ(subjects, (std::vector<std::int32_t>{3, 4, 2, 9, 5, 1}));
}

}  // namespace
}  // namespace korvex::rscat
