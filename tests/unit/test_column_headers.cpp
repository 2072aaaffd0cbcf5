// Column headers of the matrix printers and of the spherical-analysis pages: the completed
// header layouts, the printed header lines (every number and name ending on the last
// column of its value cell), the counts kept within what a layout can hold, and the stops.
#include <string>
#include <vector>

#include "executive/stop.hpp"
#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"

namespace korvex {
namespace {

using testing::RunFolder;

// Names of 20 characters, as the components hold them.
std::vector<std::string> names(std::initializer_list<std::string_view> list) {
  std::vector<std::string> v;
  for (std::string_view s : list) v.push_back(io::pad(s, 20));
  return v;
}

std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
// text right-aligned in a field of w columns.
std::string field(std::string_view text, int w) { return sp(w - static_cast<int>(text.size())) + std::string(text); }

class HeadersTest : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    init_page();
    u_ = get_monout();
  }
  // Runs f, which must stop the run through proc_error, and checks the message line.
  template <typename F>
  void expect_fatal(F f, const std::string& message) {
    try {
      f();
      ADD_FAILURE() << "no stop for " << message;
    } catch (const Stop& stop) {
      EXPECT_EQ(stop.code(), 0);
    }
    const auto console = lines_of(out_.str());
    bool found = false;
    for (const auto& line : console) found = found || line == " " + message;
    EXPECT_TRUE(found) << out_.str();
  }
  std::int32_t u_ = 0;
};

// Header layouts at 118 characters per line: k = (118 - c - 11) / 9 columns; one, two or
// three line pairs by the longest column name.
TEST_F(HeadersTest, LayoutsCompletedByRowAndColumnNameLengths) {
  struct Case {
    int ncline;
    std::string_view row;  // the longest row name
    std::string_view col;  // the longest column name
    int hdr_len;
    int k;
    std::vector<std::string> layouts;  // the layouts this hdr_len uses
  };
  const std::string name17 = "SEVENTEEN_CHARS17";
  const std::string name18 = "EIGHTEEN_CHARS__18";
  const Case cases[] = {
      {118, "ROWNAME8", "COLNAME8", 1, 11, {"(19X,11I09)  ", "(19X,11A09)"}},
      {118, "ROWNAME8", "COLNAME_9", 2, 11, {"(10X,06I18)  ", "(10X,06A18)", "(19X,05I18)", "(19X,05A18)"}},
      {118, "ROWNAME8", name17, 2, 11, {"(10X,06I18)  ", "(10X,06A18)", "(19X,05I18)", "(19X,05A18)"}},
      {118, "ROW_NAME_OF_20_CHARS", name18, 3, 9,
       {"(13X,03I27)  ", "(13X,03A27)", "(22X,03I27)", "(22X,03A27)", "(31X,03I27)", "(31X,03A27)"}},
      {118, "ROW_NAME_OF_20_CHARS", "COLUMN_NAME_OF_20_CH", 3, 9,
       {"(13X,03I27)  ", "(13X,03A27)", "(22X,03I27)", "(22X,03A27)", "(31X,03I27)", "(31X,03A27)"}},
      // Short row names under three line pairs: the first skip (c - 7) would be negative.
      {118, "ROW4", name18, 3, 11,
       {"(01X,04I27)  ", "(01X,04A27)", "(06X,04I27)", "(06X,04A27)", "(15X,03I27)", "(15X,03A27)"}},
      // Narrow page: k = 2, so k / 3 would be a repeat count of 0.
      {50, "ROW_NAME_OF_20_CHARS", name18, 3, 2,
       {"(13X,01I27)  ", "(13X,01A27)", "(22X,01I27)", "(22X,01A27)", "(31X,01I27)", "(31X,01A27)"}},
  };
  for (const Case& c : cases) {
    set_ncline(c.ncline);
    create_header_formats(names({"R", c.row}), names({"C", c.col}), 2, 2);
    const header_state_record& h = header_state();
    EXPECT_EQ(h.hdr_len, c.hdr_len) << c.col;
    EXPECT_EQ(h.k, c.k) << c.row;
    for (std::size_t i = 0; i < c.layouts.size(); ++i) EXPECT_EQ(h.layouts[i], c.layouts[i]) << c.col << " " << i;
  }
}

TEST_F(HeadersTest, OneLinePairRightJustifiesNamesInTheirCells) {
  // c = 8: cell j ends in column 19 + 9j; a strip may start at any column.
  const auto cols = names({"A", "BB", "CCC", "DDDD"});
  create_header_formats(names({"ROWNAME8"}), cols, 1, 4);
  const std::vector<std::int32_t> num = {1, 2, 3, 4};
  print_headers(num, cols, 2, 4, u_);
  const auto lines = file_lines("MONOUT");
  const std::vector<std::string> expected = {
      " ",
      sp(19) + field("2", 9) + field("3", 9) + field("4", 9),
      sp(19) + field("BB", 9) + field("CCC", 9) + field("DDDD", 9),
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(HeadersTest, TwoLinePairsStaggerOddAndEvenColumns) {
  // A strip of 3 columns: numbers and names of columns 1 and 3, then of column 2.
  const auto cols = names({"NINECHARS", "B", "C"});
  create_header_formats(names({"ROWNAME8"}), cols, 1, 3);
  const std::vector<std::int32_t> num = {1, 2, 3};
  print_headers(num, cols, 1, 3, u_);
  const auto lines = file_lines("MONOUT");
  const std::vector<std::string> expected = {
      " ",
      sp(10) + field("1", 18) + field("3", 18),
      sp(10) + field("NINECHARS", 18) + field("C", 18),
      sp(19) + field("2", 18),
      sp(19) + field("B", 18),
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(HeadersTest, ThreeLinePairsWithEmptyLinesAndUnusedPairs) {
  // c = 20, k = 9; a strip of 2 columns leaves the third pair without values.
  const auto cols = names({"LONG VARIABLE NAME19", "LONG VARIABLE NAME20"});
  create_header_formats(names({"ROW_NAME_OF_20_CHARS"}), cols, 1, 2);
  const std::vector<std::int32_t> num = {19, 20};
  print_headers(num, cols, 1, 2, u_);
  const auto lines = file_lines("MONOUT");
  const std::vector<std::string> expected = {
      " ", sp(13) + field("19", 27), sp(13) + field("LONG VARIABLE NAME19", 27),
      " ", sp(22) + field("20", 27), sp(22) + field("LONG VARIABLE NAME20", 27),
      " ", "",                       "",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(HeadersTest, OrderedHeadersUseTheAbsoluteOrderEntries) {
  const auto all = names({"N1", "N2", "N3", "N4", "N5"});
  create_header_formats(names({"ROWNAME8"}), all, 1, 5);
  const std::vector<std::int32_t> order = {3, -5};
  const std::vector<std::int32_t> numbers = {101, 102, 103, 104, 105};
  print_headers_idx(order, numbers, all, 1, 2, u_);
  const auto lines = file_lines("MONOUT");
  const std::vector<std::string> expected = {
      " ",
      sp(19) + field("103", 9) + field("105", 9),
      sp(19) + field("N3", 9) + field("N5", 9),
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(HeadersTest, StopsOnImpossibleHeaderDepth) {
  reset_header_state();
  const auto cols = names({"C"});
  const std::vector<std::int32_t> num = {1};
  expect_fatal([&] { print_headers(num, cols, 1, 1, u_); }, "print_headers: bad value of hdr_len.");
  // A column name of 27 characters would need four line pairs.
  const std::vector<std::string> long_name = {std::string(27, 'X')};
  expect_fatal([&] { create_header_formats(names({"R"}), long_name, 1, 1); },
               "create_header_formats(1): bad value of hdr_len.");
}

// ---- spherical-analysis headers ------------------------------------------------------------

TEST_F(HeadersTest, SpanLayoutsFollowTheRowLabelWidth) {
  struct Case {
    std::string_view label;
    std::string_view col;
    int hdr_len;
    std::vector<std::string> layouts;
  };
  const Case cases[] = {
      {"LABEL___10", "COLNAME8", 1, {"(10X,11A09)"}},
      // 22-character labels: k = 10.
      {"ROW LABEL OF 22 CHARS.", "COLNAME_9", 2, {"(13X,05A18)", "(22X,05A18)"}},
      {"ROW LABEL OF 22 CHARS.", "EIGHTEEN_CHARS__18", 3, {"(04X,04A27)", "(13X,04A27)", "(22X,04A27)"}},
      // Labels of 5 characters: the skips c - 9 and c - 18 would not be positive.
      {"LAB_5", "EIGHTEEN_CHARS__18", 3, {"(01X,04A27)", "(01X,04A27)", "(05X,04A27)"}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> labels = {std::string(c.label)};
    create_header_format_SPAN(labels, names({c.col}), 1, 1);
    EXPECT_EQ(span_header_state().hdr_len, c.hdr_len) << c.label;
    for (std::size_t i = 0; i < c.layouts.size(); ++i) {
      EXPECT_EQ(span_header_state().layouts[i], c.layouts[i]) << c.label << " " << i;
    }
  }
}

TEST_F(HeadersTest, SpanThreePairsOnFourColumnsGiveSevenLines) {
  const std::vector<std::string> labels = {"ROW LABEL OF 22 CHARS."};
  const auto cols = names({"EIGHTEEN_CHARS__01", "B", "C", "D"});
  create_header_format_SPAN(labels, cols, 1, 4);
  const std::vector<std::int32_t> num = {1, 2, 3, 4};
  print_column_header_SPAN(num, cols, 1, 4, u_, "   *");
  const auto lines = file_lines("MONOUT");
  // m = 18: an unmarked number fills 18 columns, a marked one 16, then a blank and the mark.
  const std::vector<std::string> expected = {
      " ",
      sp(4) + field("1", 27) + field("4 *", 27),
      sp(4) + field("EIGHTEEN_CHARS__01", 27) + field("D", 27),
      sp(13) + field("2", 27),
      sp(13) + field("B", 27),
      sp(22) + field("3", 27),
      sp(22) + field("C", 27),
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(HeadersTest, SpanNumberLabelsAndMarks) {
  // Labels are m characters wide: the number with its leading zeros blanked, and with a
  // mark the number in m - 2 characters, a blank and the mark.
  struct Case {
    std::string_view col;  // sets m
    std::int32_t number;
    char mark;
    std::string label;
  };
  const Case cases[] = {
      {"SIX_CH", 7, ' ', "     7"}, {"SIX_CH", 12, '*', "  12 *"}, {"TW", 123, ' ', "23"},
      {"TW", 123, '*', " *"},       {"T", 5, '#', "#"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> labels = {"LABEL___10"};
    const auto cols = names({c.col});
    create_header_format_SPAN(labels, cols, 1, 1);
    const std::vector<std::int32_t> num = {c.number};
    const std::string marks(1, c.mark);
    const auto before = file_lines("MONOUT").size();
    print_column_header_SPAN(num, cols, 1, 1, u_, marks);
    const auto lines = file_lines("MONOUT");
    ASSERT_EQ(lines.size(), before + 3);
    EXPECT_EQ(lines[before + 1], sp(10) + field(c.label, 9)) << c.number << c.mark;
    EXPECT_EQ(lines[before + 2], sp(10) + field(c.col, 9));
  }
}

TEST_F(HeadersTest, SpanStops) {
  reset_span_header_state();
  const auto cols = names({"C"});
  const std::vector<std::int32_t> num = {1};
  expect_fatal([&] { print_column_header_SPAN(num, cols, 1, 1, u_, " "); },
               "print_column_header_SPAN: bad value of hdr_len.");
  out_.str("");
  const std::vector<std::string> labels = {"LABEL"};
  const std::vector<std::string> long_name = {std::string(27, 'X')};
  expect_fatal([&] { create_header_format_SPAN(labels, long_name, 1, 1); },
               "create_header_format_SPAN(1): bad value of hdr_len.");
  EXPECT_EQ(lines_of(out_.str()).front(), " hdr_len: 4");
}

}  // namespace
}  // namespace korvex
