// Rectangle printers on the listing: golden lines written from the row and header geometry
// (c + 11 columns before the first 9-column value cell), the decimals chosen from the
// largest magnitude, the opening lines and page breaks, the page-fit rule and the stop
// request, and the labelled, selected and integer members.
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"

namespace korvex {
namespace {

using testing::RunFolder;

std::vector<std::string> names(std::initializer_list<std::string_view> list) {
  std::vector<std::string> v;
  for (std::string_view s : list) v.push_back(io::pad(s, 20));
  return v;
}

// Names prefix01 .. prefixNN (two digits).
std::vector<std::string> numbered(std::string_view prefix, int n) {
  std::vector<std::string> v;
  for (int i = 1; i <= n; ++i) v.push_back(io::pad(std::string(prefix) + (i < 10 ? "0" : "") + std::to_string(i), 20));
  return v;
}

std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
std::string field(std::string_view text, int w) { return sp(w - static_cast<int>(text.size())) + std::string(text); }
// The printers' own page header at 118 characters per line.
std::string page_header(int page) { return "1" + sp(108) + "Page" + field(std::to_string(page), 5); }

// A matrix stored column by column with leading dimension ld.
struct Matrix {
  Matrix(int ld_, int ncols) : ld(ld_), a(static_cast<std::size_t>(ld_ * ncols), 0.0f) {}
  void set(int i, int j, float v) { a[static_cast<std::size_t>((j - 1) * ld + (i - 1))] = v; }
  int ld;
  std::vector<float> a;
};

class MatrixPrinters : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    init_page();
    u_ = get_monout();
  }
  std::vector<std::string> listing() { return file_lines("MONOUT"); }
  std::int32_t u_ = 0;
  std::int32_t page_ = 0;
  std::int32_t lines_ = 0;
};

// The 2 x 3 matrix of the golden listings below.
Matrix small_matrix() {
  Matrix m(2, 3);
  m.set(1, 1, 0.5f);
  m.set(1, 2, 0.123456f);
  m.set(1, 3, -0.9999f);
  m.set(2, 1, -0.25f);
  m.set(2, 2, 1.0f);
  m.set(2, 3, 0.042f);
  return m;
}

TEST(MatrixLayouts, RowLayoutsCompletedAtRunTime) {
  EXPECT_EQ(matrix_detail::real_row_layout(8, 11, 3), "(1X,I5,2X,A08,3X,11F09.03) ");
  EXPECT_EQ(matrix_detail::real_row_layout(8, 11, -1), "(1X,I5,2X,A08,3X,1P11E09.2)");
  EXPECT_EQ(matrix_detail::real_row_layout(20, 9, 0), "(1X,I5,2X,A20,3X,09F09.00) ");
  EXPECT_EQ(matrix_detail::int_row_layout(8, 11), "(1X,I5,2X,A08,3X,11I09)");
  EXPECT_EQ(matrix_detail::plain_row_layout(3), "(1X,20F06.03)" + sp(14));
  EXPECT_EQ(matrix_detail::plain_row_layout(-1), "(1X,1P20E10.2)" + sp(13));
  // An infinite magnitude has no fixed-point form.
  EXPECT_EQ(matrix_detail::value_decimals(std::numeric_limits<float>::infinity(), 3), -1);
}

TEST_F(MatrixPrinters, GoldenBlockOnAFreshPage) {
  const Matrix m = small_matrix();
  pr_matrix(m.a, names({"ROWNAME1", "ROW2"}), names({"C1", "C2", "C3"}), 2, 3, m.ld, 1, 3,
            "CORRELATIONS   ", page_, lines_, u_);
  const std::vector<std::string> expected = {
      page_header(1),
      " CORRELATIONS",
      " ",
      sp(19) + field("1", 9) + field("2", 9) + field("3", 9),
      sp(19) + field("C1", 9) + field("C2", 9) + field("C3", 9),
      " ",
      "     1  ROWNAME1   " + field("0.500", 9) + field("0.123", 9) + field("-1.000", 9),
      "     2  ROW2       " + field("-0.250", 9) + field("1.000", 9) + field("0.042", 9),
      " ", " ", " ", " ",
  };
  EXPECT_EQ(listing(), expected);
  EXPECT_EQ(page_, 1);
  // 78 - 2 lines of the new page, less the block (5 + 2) and its 4 empty lines.
  EXPECT_EQ(lines_, 64);
}

TEST_F(MatrixPrinters, SubtitleIsPrintedButNotCounted) {
  const Matrix m = small_matrix();
  pr_matrix(m.a, names({"ROWNAME1", "ROW2"}), names({"C1", "C2", "C3"}), 2, 3, m.ld, 1, 3,
            "CORRELATIONS", page_, lines_, u_, 0, "PAIRWISE  ");
  const auto lines = listing();
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[1], " CORRELATIONS");
  EXPECT_EQ(lines[2], " PAIRWISE");
  EXPECT_EQ(lines[7], "     1  ROWNAME1   " + field("0.500", 9) + field("0.123", 9) + field("-1.000", 9));
  EXPECT_EQ(lines_, 64);
}

// Two empty lines open the matrix when at least 3 lines are left; a block that does not fit
// begins a page of its own; a negative page number asks for pages without a header.
TEST_F(MatrixPrinters, OpeningLinesAndPageBreaks) {
  struct Case {
    std::int32_t page, lines;
    std::vector<std::string> first;  // the first lines written
    std::int32_t page_after, lines_after;
  };
  const Case cases[] = {
      {1, 30, {" ", " ", " CORRELATIONS"}, 1, 17},
      {1, 3, {" ", " ", page_header(2), " CORRELATIONS"}, 2, 64},
      {1, 2, {page_header(2), " CORRELATIONS"}, 2, 64},
      {-1, 0, {"1", " CORRELATIONS"}, -1, 64},
  };
  const Matrix m = small_matrix();
  for (const Case& c : cases) {
    const std::size_t before = listing().size();
    std::int32_t page = c.page, lines = c.lines;
    pr_matrix(m.a, names({"ROWNAME1", "ROW2"}), names({"C1", "C2", "C3"}), 2, 3, m.ld, 1, 3,
              "CORRELATIONS", page, lines, u_);
    const auto all = listing();
    for (std::size_t i = 0; i < c.first.size(); ++i) EXPECT_EQ(all[before + i], c.first[i]) << c.lines << " " << i;
    EXPECT_EQ(page, c.page_after) << c.lines;
    EXPECT_EQ(lines, c.lines_after) << c.lines;
  }
}

// d = min(ndig, 7 - t), t the integer part of log10 of the largest magnitude (at least 1);
// exponent form for mode other than 1 or negative d.
TEST_F(MatrixPrinters, DecimalsFollowTheLargestMagnitude) {
  struct Case {
    float value;
    std::int32_t mode, ndig;
    std::string cell;
  };
  const Case cases[] = {
      {0.5f, 1, 3, "    0.500"},         {-0.25f, 1, 3, "   -0.250"},
      {1000.0f, 1, 5, "1000.0000"},        {-12.5f, 1, 5, "-12.50000"},
      {99000000.0f, 1, 3, "99000000."},    {1.0e8f, 1, 3, " 1.00E+08"},
      {-1.0e8f, 1, 3, "-1.00E+08"},        {0.5f, 2, 3, " 5.00E-01"},
      {0.5f, 1, -1, " 5.00E-01"},
  };
  for (const Case& c : cases) {
    const std::vector<float> a = {c.value};
    const std::size_t before = listing().size();
    std::int32_t page = 0, lines = 0;
    pr_matrix(a, names({"ROWNAME8"}), names({"C"}), 1, 1, 1, c.mode, c.ndig, "T", page, lines, u_);
    EXPECT_EQ(listing()[before + 6], "     1  ROWNAME8   " + c.cell) << c.value << " " << c.mode << " " << c.ndig;
  }
}

TEST_F(MatrixPrinters, IntegerMatrixKeepsTheDeclaredTitle) {
  const std::vector<std::int32_t> ia = {123, -45, 1234567890};
  pr_imatrix(ia, names({"ROWNAME8"}), names({"N", "M", "K"}), 1, 3, 1, "COUNTS  ", page_, lines_, u_);
  const auto lines = listing();
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[1], " COUNTS  ");
  // A count wider than its cell shows as asterisks.
  EXPECT_EQ(lines[6], "     1  ROWNAME8   " + field("123", 9) + field("-45", 9) + "*********");
  EXPECT_EQ(lines_, 65);
}

// 60 rows in two strips (k = 11 with 5-character row names) cannot share one page: the
// matrix starts a page, every further strip that does not fit starts another, and the
// caller gets lines = 0.
TEST_F(MatrixPrinters, MatrixThatDoesNotFitStartsAPageAndReturnsNoLines) {
  Matrix m(60, 12);
  for (int j = 1; j <= 12; ++j) {
    for (int i = 1; i <= 60; ++i) m.set(i, j, 0.1f);
  }
  std::int32_t page = 3, lines = 50;
  pr_matrix(m.a, numbered("ROW", 60), numbered("C", 12), 60, 12, m.ld, 1, 3, "BIG", page, lines, u_);
  const auto out = listing();
  ASSERT_EQ(out.size(), 142u);
  EXPECT_EQ(out[0], " ");
  EXPECT_EQ(out[1], " ");
  EXPECT_EQ(out[2], page_header(4));
  EXPECT_EQ(out[5], sp(16) + field("1", 9) + field("2", 9) + field("3", 9) + field("4", 9) + field("5", 9) +
                        field("6", 9) + field("7", 9) + field("8", 9) + field("9", 9) + field("10", 9) +
                        field("11", 9));
  std::string eleven_cells;
  for (int j = 0; j < 11; ++j) eleven_cells += field("0.100", 9);
  EXPECT_EQ(out[67], "    60  ROW60   " + eleven_cells);
  EXPECT_EQ(out[72], page_header(5));
  EXPECT_EQ(out[75], sp(16) + field("12", 9));
  EXPECT_EQ(out[76], sp(16) + field("C12", 9));
  EXPECT_EQ(out[78], "     1  ROW01   " + field("0.100", 9));
  EXPECT_EQ(page, 5);
  EXPECT_EQ(lines, 0);
}

// The stop request ends the printing at the second block that does not fit.
TEST_F(MatrixPrinters, StopRequestEndsAtTheSecondBlockThatDoesNotFit) {
  struct Case {
    std::int32_t nlpage, nrows, ncols, flag;
    std::size_t records;
    std::int32_t pages;
  };
  const Case cases[] = {
      {78, 60, 12, 0, 140, 2},  // two strips, a page each
      {78, 60, 12, 1, 70, 1},
      {30, 60, 1, 0, 82, 3},  // blocks of 25 rows: 25, 25 and 10
      {30, 60, 1, 1, 31, 1},
  };
  for (const Case& c : cases) {
    reset_run_state();
    init_units();
    init_page();
    set_nlpage(c.nlpage);
    Matrix m(c.nrows, c.ncols);
    std::int32_t page = 0, lines = 0;
    pr_matrix(m.a, numbered("ROW", c.nrows), numbered("C", c.ncols), c.nrows, c.ncols, m.ld, 1, 3, "T",
              page, lines, get_monout(), c.flag);
    EXPECT_EQ(listing().size(), c.records) << c.nlpage << " " << c.ncols << " " << c.flag;
    EXPECT_EQ(page, c.pages) << c.nlpage << " " << c.ncols << " " << c.flag;
    EXPECT_EQ(lines, 0);
  }
}

TEST_F(MatrixPrinters, EmptyMatrixWritesOnlyTheOpeningLines) {
  struct Case {
    std::int32_t nrows, ncols, lines;
    std::size_t records;
    std::int32_t lines_after;
  };
  const Case cases[] = {
      {0, 3, 10, 2, 8},
      {5, 0, 10, 2, 8},
      {0, 3, 2, 0, 0},
      // 10 strips of no rows still fail the page-fit test.
      {0, 100, 10, 2, 0},
  };
  for (const Case& c : cases) {
    reset_run_state();
    init_units();
    init_page();
    const std::vector<float> a(1000, 0.0f);
    std::int32_t page = 1, lines = c.lines;
    pr_matrix(a, numbered("R", 5), numbered("C", 100), c.nrows, c.ncols, 5, 1, 3, "T", page, lines,
              get_monout());
    EXPECT_EQ(listing().size(), c.records) << c.nrows << " " << c.ncols;
    EXPECT_EQ(lines, c.lines_after) << c.nrows << " " << c.ncols;
    EXPECT_EQ(page, 1);
  }
}

TEST_F(MatrixPrinters, LabelledMatrixWithBlankTitlePrintsNoTitleLines) {
  const Matrix m = small_matrix();
  const std::vector<std::int32_t> rownum = {7, 9};
  const std::vector<std::int32_t> colnum = {3, 5};
  pr_matrix_lab(m.a, rownum, colnum, names({"ROWNAME1", "ROW2"}), names({"C1", "C2"}), 2, 2, m.ld, 1,
                3, "      ", page_, lines_, u_, 0, "SUBTITLE");
  const std::vector<std::string> expected = {
      page_header(1),
      " ",
      sp(19) + field("3", 9) + field("5", 9),
      sp(19) + field("C1", 9) + field("C2", 9),
      " ",
      "     7  ROWNAME1   " + field("0.500", 9) + field("0.123", 9),
      "     9  ROW2       " + field("-0.250", 9) + field("1.000", 9),
      " ", " ", " ", " ",
  };
  EXPECT_EQ(listing(), expected);
  // The block still counts its title line.
  EXPECT_EQ(lines_, 64);
}

TEST_F(MatrixPrinters, SelectedMatrixTakesSignedRowsAndColumns) {
  Matrix m(3, 3);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) m.set(i, j, static_cast<float>(10 * i + j) / 100.0f);
  }
  m.set(2, 2, 5000.0f);  // not selected: does not change the decimals
  const std::vector<std::int32_t> rowsel = {3, -1};
  const std::vector<std::int32_t> colsel = {-3, 1};
  pr_matrix_sel(m.a, names({"R1", "LONGNAME12", "R3"}), names({"X", "Y"}), rowsel, colsel, 2, 2, m.ld,
                1, 5, "SEL", page_, lines_, u_);
  const std::vector<std::string> expected = {
      page_header(1),
      " SEL",
      " ",
      sp(13) + field("-3", 9) + field("1", 9),
      sp(13) + field("X", 9) + field("Y", 9),
      " ",
      "     3  R3   " + field("-0.33000", 9) + field("0.31000", 9),
      "    -1  R1   " + field("0.13000", 9) + field("-0.11000", 9),
      " ", " ", " ", " ",
  };
  EXPECT_EQ(listing(), expected);
}

TEST_F(MatrixPrinters, BlankRowNamesKeepValuesUnderTheirHeaders) {
  const std::vector<float> a = {0.5f};
  pr_matrix(a, names({""}), names({"C1"}), 1, 1, 1, 1, 3, "T", page_, lines_, u_);
  const auto lines = listing();
  // A row-name field of one column: 12 columns before the first cell, as in the header.
  EXPECT_EQ(lines[3], sp(12) + field("1", 9));
  EXPECT_EQ(lines[6], "     1      " + field("0.500", 9));
}

// Pages narrower than one cell after the row names and shorter than a block's overhead
// still print every value: one column per strip, one row per block.
TEST_F(MatrixPrinters, DegeneratePageSettingsStillPrintEveryValue) {
  set_ncline(30);
  set_nlpage(3);
  const Matrix m = small_matrix();
  pr_matrix(m.a, names({"ROW_NAME_OF_20_CHAR1", "ROW_NAME_OF_20_CHAR2"}), names({"C1", "C2", "C3"}), 2, 3,
            m.ld, 1, 3, "A TITLE LONGER THAN THE LINE OF THIRTY", page_, lines_, u_);
  int rows = 0;
  for (const auto& line : listing()) {
    if (line.rfind("     1  ROW_NAME", 0) == 0 || line.rfind("     2  ROW_NAME", 0) == 0) {
      ++rows;
      EXPECT_EQ(line.size(), 31u + 9u) << line;
    }
  }
  EXPECT_EQ(rows, 6);
  EXPECT_EQ(listing()[1], " A TITLE LONGER THAN THE LINE ");  // cut at ncline - 1
  EXPECT_EQ(page_, 6);
  EXPECT_EQ(lines_, 0);
}

}  // namespace
}  // namespace korvex
