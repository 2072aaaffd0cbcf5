// Triangle printers: the lower triangle with the diagonal in strips whose rows start at the
// strip's first column, the labelling variants (numbers, order vector, integers), and the
// plain triangle written to a text file in strips of 20 six-column values.
#include <cstdlib>
#include <functional>
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

std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
std::string field(std::string_view text, int w) { return sp(w - static_cast<int>(text.size())) + std::string(text); }
std::string page_header(int page) { return "1" + sp(108) + "Page" + field(std::to_string(page), 5); }
std::string two_digits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

class TrianglePrinters : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    init_page();
    u_ = get_monout();
  }
  std::int32_t u_ = 0;
  std::int32_t page_ = 0;
  std::int32_t lines_ = 0;
};

// 20 names of 20 characters at 118 characters per line: k = 9, three header line pairs
// (h = 11), 60 rows per block. Strips of columns 1-9, 10-18 and 19-20 start at rows 1, 10
// and 19; three strips do not fit one page, so the triangle starts a page, the third strip
// takes another, and the caller gets lines = 0. a(i, j) = i + j / 100 shows "i.jj0".
TEST_F(TrianglePrinters, StripsOfNineColumnsStartAtTheirFirstColumnsRow) {
  const int n = 20;
  std::vector<float> a(static_cast<std::size_t>(n * n));
  std::vector<std::string> vnames;
  for (int i = 1; i <= n; ++i) {
    vnames.push_back("LONG VARIABLE NAME" + two_digits(i));
    for (int j = 1; j <= n; ++j) {
      a[static_cast<std::size_t>((j - 1) * n + (i - 1))] = static_cast<float>(i) + static_cast<float>(j) / 100.0f;
    }
  }
  pr_matrix_tri(a, vnames, n, n, 1, 3, "CORRELATION MATRIX", page_, lines_, u_);
  const auto row = [&](int i, int f, int l) {
    std::string s = " " + field(std::to_string(i), 5) + "  " + vnames[static_cast<std::size_t>(i - 1)] + "   ";
    for (int j = f; j <= std::min(l, i); ++j) s += field(std::to_string(i) + "." + two_digits(j) + "0", 9);
    return s;
  };
  const auto out = file_lines("MONOUT");
  ASSERT_EQ(out.size(), 80u);
  EXPECT_EQ(out[0], page_header(1));
  EXPECT_EQ(out[1], " CORRELATION MATRIX");
  for (int i = 1; i <= 20; ++i) EXPECT_EQ(out[static_cast<std::size_t>(11 + i)], row(i, 1, 9)) << i;
  EXPECT_EQ(out[36], " CORRELATION MATRIX");
  EXPECT_EQ(out[38], sp(13) + field("10", 27) + field("13", 27) + field("16", 27));
  for (int i = 10; i <= 20; ++i) EXPECT_EQ(out[static_cast<std::size_t>(37 + i)], row(i, 10, 18)) << i;
  const std::vector<std::string> third_strip = {
      page_header(2),
      " CORRELATION MATRIX",
      " ",
      sp(13) + field("19", 27),
      sp(13) + field("LONG VARIABLE NAME19", 27),
      " ",
      sp(22) + field("20", 27),
      sp(22) + field("LONG VARIABLE NAME20", 27),
      " ",
      "",
      "",
      " ",
      "    19  LONG VARIABLE NAME19   " + field("19.190", 9),
      "    20  LONG VARIABLE NAME20   " + field("20.190", 9) + field("20.200", 9),
      " ", " ", " ", " ",
  };
  EXPECT_EQ(std::vector<std::string>(out.begin() + 62, out.end()), third_strip);
  EXPECT_EQ(page_, 2);
  EXPECT_EQ(lines_, 0);
}

// The listing members on one 3 x 3 matrix with one-character names (c = 1): their row
// labels, header labels and values; a(i, j) = (10 i + j) / 100.
TEST_F(TrianglePrinters, MembersLabelRowsAndColumns) {
  const std::vector<std::string> abc = names({"A", "B", "C"});
  std::vector<float> a(9);
  std::vector<std::int32_t> ia(9);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) {
      a[static_cast<std::size_t>((j - 1) * 3 + (i - 1))] = static_cast<float>(10 * i + j) / 100.0f;
      ia[static_cast<std::size_t>((j - 1) * 3 + (i - 1))] = 10 * i + j;
    }
  }
  const std::vector<std::int32_t> num = {11, 12, 13};
  const std::vector<std::int32_t> order = {2, -3, 1};
  const auto cells = [](std::initializer_list<std::string_view> texts) {
    std::string s;
    for (std::string_view t : texts) s += field(t, 9);
    return s;
  };
  struct Case {
    const char* member;
    std::function<void(std::int32_t&, std::int32_t&, std::int32_t)> print;
    std::vector<std::string> lines;  // title, subtitle (if any), header and rows
  };
  const Case cases[] = {
      {"pr_matrix_tri",
       [&](std::int32_t& p, std::int32_t& l, std::int32_t u) { pr_matrix_tri(a, abc, 3, 3, 1, 3, "TRI  ", p, l, u, 0, "SUB"); },
       {" TRI  ", " SUB", " ", sp(12) + cells({"1", "2", "3"}), sp(12) + cells({"A", "B", "C"}), " ",
        "     1  A   " + cells({"0.110"}), "     2  B   " + cells({"0.210", "0.220"}),
        "     3  C   " + cells({"0.310", "0.320", "0.330"})}},
      {"pr_matrix_tri2",
       [&](std::int32_t& p, std::int32_t& l, std::int32_t u) { pr_matrix_tri2(a, num, abc, 3, 3, 1, 3, "TRI2", p, l, u); },
       {" TRI2", " ", sp(12) + cells({"11", "12", "13"}), sp(12) + cells({"A", "B", "C"}), " ",
        "    11  A   " + cells({"0.110"}), "    12  B   " + cells({"0.210", "0.220"}),
        "    13  C   " + cells({"0.310", "0.320", "0.330"})}},
      // Display position i stands for item |order(i)|; values are taken by position.
      {"pr_matrix_idx",
       [&](std::int32_t& p, std::int32_t& l, std::int32_t u) { pr_matrix_idx(a, order, num, abc, 3, 3, 1, 3, "IDX", p, l, u); },
       {" IDX", " ", sp(12) + cells({"12", "13", "11"}), sp(12) + cells({"B", "C", "A"}), " ",
        "    12  B   " + cells({"0.110"}), "    13  C   " + cells({"0.210", "0.220"}),
        "    11  A   " + cells({"0.310", "0.320", "0.330"})}},
      {"pr_imatrix_tri",
       [&](std::int32_t& p, std::int32_t& l, std::int32_t u) { pr_imatrix_tri(ia, abc, 3, 3, "N", p, l, u); },
       {" N", " ", sp(12) + cells({"1", "2", "3"}), sp(12) + cells({"A", "B", "C"}), " ",
        "     1  A   " + cells({"11"}), "     2  B   " + cells({"21", "22"}),
        "     3  C   " + cells({"31", "32", "33"})}},
  };
  for (const Case& c : cases) {
    const std::size_t before = file_lines("MONOUT").size();
    std::int32_t page = 0, lines = 0;
    c.print(page, lines, u_);
    const auto out = file_lines("MONOUT");
    std::vector<std::string> expected = {page_header(1)};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    expected.insert(expected.end(), 4, " ");
    EXPECT_EQ(std::vector<std::string>(out.begin() + static_cast<std::ptrdiff_t>(before), out.end()), expected)
        << c.member;
    EXPECT_EQ(lines, 63) << c.member;  // 76 - (5 + 3) - 4
  }
}

// The ordered triangle labels its rows and columns through the order vector, so an item may
// stand in several positions: the order may be longer than the tables of numbers and names,
// and may show an item beyond position n. The name width and the header are those of the
// names shown (here "LONGNAME", c = 8, k = 11); a(i, j) = (10 i + j) / 100.
TEST_F(TrianglePrinters, OrderedTriangleMeasuresTheNamesItShows) {
  const std::vector<std::string> table = names({"A", "B", "C", "LONGNAME"});
  const std::vector<std::int32_t> num = {11, 12, 13, 14};
  const auto cells = [](const std::vector<std::string>& texts) {
    std::string s;
    for (const std::string& t : texts) s += field(t, 9);
    return s;
  };
  // Six positions over a table of four; two positions showing only the fourth name.
  const std::vector<std::int32_t> orders[] = {{4, 1, -2, 1, 3, 4}, {4, 1}};
  for (const std::vector<std::int32_t>& order : orders) {
    const auto n = static_cast<std::int32_t>(order.size());
    std::vector<float> a(static_cast<std::size_t>(n * n));
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) {
        a[static_cast<std::size_t>((j - 1) * n + (i - 1))] = static_cast<float>(10 * i + j) / 100.0f;
      }
    }
    const std::size_t before = file_lines("MONOUT").size();
    std::int32_t page = 0, lines = 0;
    pr_matrix_idx(a, order, num, table, n, n, 1, 3, "IDX", page, lines, u_);
    std::vector<std::string> numbers, shown;
    for (const std::int32_t o : order) {
      const auto item = static_cast<std::size_t>(std::abs(o) - 1);
      numbers.push_back(std::to_string(num[item]));
      shown.push_back(std::string(io::trim_right(table[item])));
    }
    std::vector<std::string> expected = {page_header(1), " IDX", " ", sp(19) + cells(numbers),
                                         sp(19) + cells(shown), " "};
    for (int i = 1; i <= n; ++i) {
      std::vector<std::string> values;
      for (int j = 1; j <= i; ++j) values.push_back("0." + std::to_string(10 * i + j) + "0");
      const auto at = static_cast<std::size_t>(i - 1);
      expected.push_back(" " + field(numbers[at], 5) + "  " + io::pad(shown[at], 8) + "   " + cells(values));
    }
    expected.insert(expected.end(), 4, " ");
    const auto out = file_lines("MONOUT");
    EXPECT_EQ(std::vector<std::string>(out.begin() + static_cast<std::ptrdiff_t>(before), out.end()), expected)
        << n << " positions";
  }
}

// ---- plain triangle --------------------------------------------------------------------

class TrianglePlain : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    init_page();
    u_ = get_unit("RRESID");
  }
  std::vector<std::string> written() { return file_lines("CORRESID"); }
  std::int32_t u_ = 0;
};

// Six-column cells of a(i, j) = j / 100 with 3 decimals: " 0.jj0".
std::string plain_cells(int from, int to) {
  std::string s;
  for (int j = from; j <= to; ++j) s += " 0." + two_digits(j) + "0";
  return s;
}

std::vector<float> by_column(int n) {
  std::vector<float> a(static_cast<std::size_t>(n * n));
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= n; ++i) a[static_cast<std::size_t>((j - 1) * n + (i - 1))] = static_cast<float>(j) / 100.0f;
  }
  return a;
}

TEST_F(TrianglePlain, FortyFiveVariablesInStripsOfTwentyTwentyAndFive) {
  pr_matrix_plain(by_column(45), 45, 45, 3, u_);
  const auto out = written();
  ASSERT_EQ(out.size(), 78u);  // 45 + 25 + 5 rows, an empty record after each strip's block
  EXPECT_EQ(out[0], " " + plain_cells(1, 1));
  EXPECT_EQ(out[19], " " + plain_cells(1, 20));
  EXPECT_EQ(out[44], " " + plain_cells(1, 20));
  EXPECT_EQ(out[45], " ");
  EXPECT_EQ(out[46], " " + plain_cells(21, 21));
  EXPECT_EQ(out[70], " " + plain_cells(21, 40));
  EXPECT_EQ(out[71], " ");
  EXPECT_EQ(out[72], " " + plain_cells(41, 41));
  EXPECT_EQ(out[76], " " + plain_cells(41, 45));
  EXPECT_EQ(out[77], " ");
}

TEST_F(TrianglePlain, BlocksFollowThePageLength) {
  set_nlpage(20);  // blocks of 20 rows
  pr_matrix_plain(by_column(45), 45, 45, 3, u_);
  const auto out = written();
  ASSERT_EQ(out.size(), 81u);
  for (const std::size_t blank : {20u, 41u, 47u, 68u, 74u, 80u}) EXPECT_EQ(out[blank], " ") << blank;
  EXPECT_EQ(out[21], " " + plain_cells(1, 20));  // row 21 opens the second block
  EXPECT_EQ(out[48], " " + plain_cells(21, 21));
}

TEST_F(TrianglePlain, ExponentFormAndOverflow) {
  struct Case {
    std::vector<float> a;  // column by column
    std::int32_t n, ndig;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      // Even 0 decimals do not fit: exponent form in 10-column cells.
      {{1.5f, -2.5e8f, -2.5e8f, 1.0f}, 2, 3, {"   1.50E+00", "  -2.50E+08  1.00E+00", " "}},
      {{0.5f}, 1, -1, {"   5.00E-01", " "}},
      // A value wider than its cell: asterisks.
      {{-10.0f}, 1, 3, {" ******", " "}},
      {{}, 0, 3, {}},
  };
  for (const Case& c : cases) {
    const std::size_t before = written().size();
    pr_matrix_plain(c.a, c.n, c.n, c.ndig, u_);
    const auto out = written();
    EXPECT_EQ(std::vector<std::string>(out.begin() + static_cast<std::ptrdiff_t>(before), out.end()), c.lines)
        << c.n << " " << c.ndig;
  }
}

}  // namespace
}  // namespace korvex
