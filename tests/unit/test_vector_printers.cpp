// Golden text tests of the vector and list printers (items per line, items running down
// columns of ten-line multiples, blocks per page, the value forms and the line-filling
// columns of privo), of the largest-correlations listing and of the pivot and key variable
// table. Expected lines are built from the items as the layouts lay them out.
#include <string>
#include <vector>

#include "executive/vecmat.hpp"
#include "printing_fixture.hpp"

namespace korvex {
namespace {

using Lines = std::vector<std::string>;

class PrintingVector : public testing::PrintingRun {
 protected:
  // "VARIAB01" ... (8 characters, blank-padded to 20 as the system's names are).
  static std::vector<std::string> names8(int n) {
    std::vector<std::string> v;
    const int digits = n > 99 ? 3 : 2;
    for (int j = 1; j <= n; ++j) {
      const std::string num = std::to_string(j);
      v.push_back(ljust(
          std::string("VARIAB").substr(0, 8 - digits) + std::string(digits - num.size(), '0') + num,
          20));
    }
    return v;
  }
  // One item of pr_vector / pr_ivector: a blank, the value in 14 columns, a blank, the name.
  static std::string item(const std::string& value, const std::string& name, std::size_t c) {
    return " " + rjust(value, 14) + " " + name.substr(0, c);
  }
  // 1.5 * j with two decimals.
  static std::string three_halves(int j) {
    return std::to_string(j * 3 / 2) + (j % 2 != 0 ? ".50" : ".00");
  }
};

// ---- pr_vector ---------------------------------------------------------------------------

TEST_F(PrintingVector, TwentyFiveValuesRunDownColumnsOfTen) {
  const auto names = names8(25);
  std::vector<float> x;
  for (int j = 1; j <= 25; ++j) x.push_back(1.5f * static_cast<float>(j));
  std::int32_t page = 1, lines = 60;
  pr_vector(x, names, 25, 1, 2, "MEANS", page, lines, unit_);
  Lines expected = {" MEANS", " "};
  for (int r = 1; r <= 10; ++r) {  // k = 118 / 24 = 4 items, but R = 10 rows
    std::string line;
    for (int q = r; q <= 25; q += 10) line += item(three_halves(q), names[q - 1], 8);
    expected.push_back(line);
  }
  expected.insert(expected.end(), 3, " ");
  EXPECT_EQ(listing(), expected);
  EXPECT_EQ(page, 1);
  EXPECT_EQ(lines, 44);  // 60 - 1 (title) - 10 - 5
}

TEST_F(PrintingVector, ShortAndLongVectors) {
  // Three values: one item per line, whatever k is.
  auto names = names8(3);
  std::int32_t page = 1, lines = 60;
  pr_vector(std::vector<float>{1.5f, 3.0f, 4.5f}, names, 3, 1, 2, "T", page, lines, unit_);
  EXPECT_EQ(listing(), (Lines{" T", " ", item("1.50", names[0], 8), item("3.00", names[1], 8),
                              item("4.50", names[2], 8), " ", " ", " "}));

  // A hundred values: R = 30, line 1 holds items 1, 31, 61 and 91.
  reset_run_state();
  init_units();
  init_page();
  names = names8(100);
  std::vector<float> x;
  for (int j = 1; j <= 100; ++j) x.push_back(1.5f * static_cast<float>(j));
  lines = 60;
  pr_vector(x, names, 100, 1, 2, "T", page, lines, get_monout());
  const Lines got = listing();
  ASSERT_EQ(got.size(), 35u);
  EXPECT_EQ(got[2], item(three_halves(1), names[0], 8) + item(three_halves(31), names[30], 8) +
                        item(three_halves(61), names[60], 8) +
                        item(three_halves(91), names[90], 8));
  EXPECT_EQ(got[31], item(three_halves(30), names[29], 8) + item(three_halves(60), names[59], 8) +
                         item(three_halves(90), names[89], 8));
}

TEST_F(PrintingVector, EachBlockOfALongVectorBeginsAPage) {
  // B = rows_per_block(5) * k = 70 * 4 = 280 items per block.
  const auto names = names8(300);
  std::vector<float> x;
  for (int j = 1; j <= 300; ++j) x.push_back(1.5f * static_cast<float>(j));
  std::int32_t page = 3, lines = 70;
  pr_vector(x, names, 300, 1, 2, "SUMS", page, lines, unit_);
  const Lines got = listing();
  ASSERT_EQ(got.size(), 92u);  // 3 + 70 rows + 3, then 3 + 10 rows + 3
  EXPECT_EQ(got[0], printer_header(4));
  EXPECT_EQ(got[1], " SUMS");
  EXPECT_EQ(got[3], item(three_halves(1), names[0], 8) + item(three_halves(71), names[70], 8) +
                        item(three_halves(141), names[140], 8) +
                        item(three_halves(211), names[210], 8));
  EXPECT_EQ(got[76], printer_header(5));
  EXPECT_EQ(got[77], " SUMS");
  EXPECT_EQ(got[79],
            item(three_halves(281), names[280], 8) + item(three_halves(291), names[290], 8));
  EXPECT_EQ(page, 5);
  EXPECT_EQ(lines, 0);  // the caller's next output begins a new page
}

TEST_F(PrintingVector, ValueForms) {
  struct Case {
    std::int32_t mode, ndig;
    std::vector<float> x;
    std::string first;  // the first value's field
  };
  const Case cases[] = {
      {1, 3, {1.5f, 999.25f}, "1.500"},
      {1, 3, {1.5f, 1.5e8f}, "1.500000E+00"},  // e = 9
      {2, 3, {1.5f}, "1.500000E+00"},
      {1, 12, {0.5f}, "0.500000000"},   // d = min(12, 12, 9)
      {1, -1, {0.5f}, "5.000000E-01"},  // no decimals at all: exponent form
      // The digit rule allows 9 decimals for 1234.5; -1234.500000000 needs 15 columns, so
      // the vector goes to exponent form rather than to asterisks.
      {1, 9, {-1234.5f, 1.0f}, "-1.234500E+03"},
  };
  for (const Case& c : cases) {
    reset_run_state();
    init_units();
    init_page();
    const auto names = names8(static_cast<int>(c.x.size()));
    std::int32_t page = 1, lines = 60;
    pr_vector(c.x, names, static_cast<int>(c.x.size()), c.mode, c.ndig, "T", page, lines,
              get_monout());
    EXPECT_EQ(listing()[2], item(c.first, names[0], 8)) << c.first;
  }
}

// ---- integer vectors and name lists ------------------------------------------------------

TEST_F(PrintingVector, NameListSeparatesAFittingBlockAndIntegerVectorDoesNot) {
  const auto names = names8(8);
  std::vector<std::int32_t> num{1, 2, 3, 4, 5, 6, 7, 8};
  std::int32_t page = 1, lines = 40;
  pr_name_list(names, num, 8, "NAMES", page, lines, unit_);
  Lines expected = {" ", " ", " NAMES", " "};
  for (int j = 1; j <= 8; ++j)
    expected.push_back(" " + rjust(j, 6) + "  " + names[j - 1].substr(0, 8));
  expected.insert(expected.end(), 3, " ");
  EXPECT_EQ(listing(), expected);
  EXPECT_EQ(lines, 25);  // exactly the 15 records written

  reset_run_state();
  init_units();
  init_page();
  lines = 40;
  pr_ivector(num, names, 8, "COUNTS", page, lines, get_monout());
  expected = {" COUNTS", " "};
  for (int j = 1; j <= 8; ++j) expected.push_back(item(std::to_string(j), names[j - 1], 8));
  expected.insert(expected.end(), 3, " ");
  EXPECT_EQ(listing(), expected);
  EXPECT_EQ(lines, 27);
}

TEST_F(PrintingVector, ItemsPerLineOfNameListAndIntegerVector) {
  // Names of 8: a name list holds 118 / 17 = 6 items a line, an integer vector 118 / 24 = 4.
  const auto names = names8(50);
  std::vector<std::int32_t> num;
  for (int j = 1; j <= 50; ++j) num.push_back(j);
  std::int32_t page = 1, lines = 70;
  pr_name_list(names, num, 50, "NAMES", page, lines, unit_);  // R = 10
  std::string line;
  for (int q = 1; q <= 41; q += 10) line += " " + rjust(q, 6) + "  " + names[q - 1].substr(0, 8);
  EXPECT_EQ(listing()[4], line);

  reset_run_state();
  init_units();
  init_page();
  lines = 70;
  pr_ivector(num, names, 50, "COUNTS", page, lines, get_monout());  // R = 20
  EXPECT_EQ(listing()[2],
            item("1", names[0], 8) + item("21", names[20], 8) + item("41", names[40], 8));
}

TEST_F(PrintingVector, OrderedIntegerVectorAndCutTitle) {
  const std::vector<std::string> names{"A", "BB", "CCC"};
  const std::vector<std::int32_t> iv{10, 20, 30}, order{3, 1, 2};
  std::int32_t page = 1, lines = 30;
  pr_ivector2(order, iv, names, 3, 4, std::string(130, 'T'), page, lines, unit_);
  EXPECT_EQ(listing(), (Lines{" ", " ", " " + std::string(117, 'T'), " ", item("30", "CCC ", 4),
                              item("10", "A   ", 4), item("20", "BB  ", 4), " ", " ", " "}));
  EXPECT_EQ(lines, 20);
}

// ---- privo and its columns -----------------------------------------------------------------

TEST(PrintingListFormats, ColumnsFillTheLine) {
  struct Case {
    std::int32_t sep, c, ncline, k;
    std::string valfmt, namefmt;
  };
  const Case cases[] = {
      {1, 8, 118, 4, "(T03,03(03X,I3,1X,F06.3,2X,A08,'  |'),(03X,I3,1X,F06.3,2X,A08))",
       "(T03,03(10X,I3,2X,A08,'  |'),(10X,I3,2X,A08))"},
      {0, 8, 118, 4, "(T03,04(06X,I3,1X,F06.3,2X,A08))", "(T03,04(13X,I3,2X,A08))"},
      {1, 20, 132, 3, "(T04,02(05X,I3,1X,F06.3,2X,A20,'  |'),(05X,I3,1X,F06.3,2X,A20))",
       "(T04,02(12X,I3,2X,A20,'  |'),(12X,I3,2X,A20))"},
      {0, 20, 50, 1, "(T02,01(14X,I3,1X,F06.3,2X,A20))", "(T02,01(21X,I3,2X,A20))"},
      {1, 20, 50, 1, "(T02,01(11X,I3,1X,F06.3,2X,A20,'  |'),(11X,I3,1X,F06.3,2X,A20))",
       "(T02,01(18X,I3,2X,A20,'  |'),(18X,I3,2X,A20))"},
  };
  for (const Case& c : cases) {
    set_ncline(c.ncline);
    const std::vector<std::string> names{"A", std::string(static_cast<std::size_t>(c.c), 'N')};
    std::int32_t k = 0;
    std::string valfmt, namefmt;
    make_list_formats(names, 2, k, c.sep, valfmt, &namefmt);
    EXPECT_EQ(k, c.k) << c.valfmt;
    EXPECT_EQ(valfmt, c.valfmt);
    EXPECT_EQ(namefmt, c.namefmt);
  }
  set_ncline(118);
}

// Two digits of j, zero-padded.
std::string two(int j) { return j < 10 ? "0" + std::to_string(j) : std::to_string(j); }

class PrintingPrivo : public PrintingVector {
 protected:
  void SetUp() override {
    PrintingVector::SetUp();
    for (int j = 1; j <= 12; ++j) {
      // Odd items have names of 8, even ones of 3 characters (right-adjusted in 8).
      names_.push_back(ljust((j % 2 != 0 ? "VARIAB" : "V") + two(j), 20));
      x_.push_back(static_cast<float>(j) * 0.125f);
      num_.push_back(100 + j);
    }
    x_[1] = -0.25f;
  }
  static std::string value(int j) {
    static const char* texts[] = {" 0.125", "-0.250", " 0.375", " 0.500", " 0.625", " 0.750",
                                  " 0.875", " 1.000", " 1.125", " 1.250", " 1.375", " 1.500"};
    return texts[j - 1];
  }
  std::string name(int j) const {
    const std::string& s = names_[j - 1];
    return rjust(s.substr(0, s.find(' ')), 8);
  }
  // f + 1 blanks, ordinal, blank, value, 2 blanks, right-adjusted name.
  std::string pv(int j, std::size_t lead) const {
    return blanks(lead) + std::to_string(num_[j - 1]) + " " + value(j) + "  " + name(j);
  }

  std::vector<std::string> names_;
  std::vector<float> x_;
  std::vector<std::int32_t> num_;
};

TEST_F(PrintingPrivo, SeparatedColumns) {
  std::int32_t page = 1, lines = 40;
  privo(x_, num_, names_, 12, 1, 3, "COMMUNALITIES", page, lines, unit_, 1);
  Lines expected = {" COMMUNALITIES", " ", "  " + pv(1, 3) + "  |" + pv(11, 3) + "  |",
                    "  " + pv(2, 3) + "  |" + pv(12, 3) + "  |"};
  for (int j = 3; j <= 10; ++j) expected.push_back("  " + pv(j, 3) + "  |");
  expected.insert(expected.end(), 3, " ");
  EXPECT_EQ(listing(), expected);
  EXPECT_EQ(name(2), "     V02");
  EXPECT_EQ(lines, 24);  // the wrapped title is counted twice, as the system does
}

TEST_F(PrintingPrivo, WithoutSeparatorsAndOtherForms) {
  std::int32_t page = 1, lines = 40;
  privo(x_, num_, names_, 12, 1, 7, "COMMUNALITIES", page, lines, unit_);  // 3 decimals anyway
  const Lines got = listing();
  ASSERT_EQ(got.size(), 15u);
  EXPECT_EQ(got[2], "  " + pv(1, 6) + pv(11, 6));
  EXPECT_EQ(got[4], "  " + pv(3, 6));

  // A value of 100 or more does not fit the 3-decimal field.
  reset_run_state();
  init_units();
  init_page();
  privo(std::vector<float>{150.0f}, num_, names_, 1, 1, 3, "T", page, lines, get_monout());
  EXPECT_EQ(listing()[2], "  " + blanks(6) + "101 ******  " + names_[0].substr(0, 8));

  // Exponent form: ordinals as wide as n's digits, items of the integer-vector width.
  reset_run_state();
  init_units();
  init_page();
  privo(x_, std::vector<std::int32_t>{1, 2, 3}, names_, 3, 2, 3, "T", page, lines, get_monout());
  EXPECT_EQ(listing()[2], " 1 " + rjust("1.250000E-01", 14) + " " + name(1));
}

TEST_F(PrintingPrivo, LongTitleWrapsAtTheLineWidth) {
  set_ncline(50);
  std::int32_t page = 1, lines = 40;
  const std::string title = "SQUARED MULTIPLE CORRELATIONS OF THE VARIABLES WITH ALL OTHERS";
  privo(x_, num_, names_, 2, 1, 3, title, page, lines, unit_);
  const Lines got = listing();
  EXPECT_EQ(got[0], " SQUARED MULTIPLE CORRELATIONS OF THE VARIABLES");
  EXPECT_EQ(got[1], " WITH ALL OTHERS");
  EXPECT_EQ(got[2], " ");
}

// ---- largest correlations ------------------------------------------------------------------

class PrintingTopten : public PrintingVector {
 protected:
  void SetUp() override {
    PrintingVector::SetUp();
    r_.assign(static_cast<std::size_t>(matrix_ld) * 12, 0.0f);
  }
  void set(int i, int j, float v) {
    r_[mat_index(i, j)] = v;
    r_[mat_index(j, i)] = v;
  }
  // 3 blanks, ordinal, blank, signed value, 2 blanks, right-adjusted name (separated form).
  static std::string cell(int num, const std::string& value, const std::string& name) {
    return "   " + rjust(num, 3) + " " + rjust(value, 6) + "  " + rjust(name, 8);
  }
  static std::string name_cell(int num, const std::string& name) {
    return blanks(10) + rjust(num, 3) + "  " + rjust(name, 8);
  }
  std::vector<float> r_;
};

TEST_F(PrintingTopten, StrongestCorrelatesSideBySide) {
  const std::vector<std::string> names{"ALPHA", "BETA", "GAMMA", "EPSILONS", "ETA"};
  const std::vector<std::int32_t> num{11, 12, 13, 14, 15};
  set(1, 2, 0.5f), set(1, 3, -0.9f), set(1, 4, 0.2f), set(1, 5, 0.5f);
  set(2, 3, 0.1f), set(2, 4, -0.3f), set(2, 5, 0.7f);
  set(3, 4, 0.4f), set(3, 5, 0.05f);
  set(4, 5, -0.6f);
  std::int32_t page = 1, lines = 60;
  topten(r_, 5, names, num, 3, page, lines, unit_, 1);
  const std::string heading = blanks(7) + "3 Largest Correlations for Each Variable";
  const Lines expected = {
      " ", " ", heading,
      // Four variables a line (k = 117 / 27); equal magnitudes keep matrix order (2 before 5).
      " ",
      "  " + name_cell(11, "ALPHA") + "  |" + name_cell(12, "BETA") + "  |" +
          name_cell(13, "GAMMA") + "  |" + name_cell(14, "EPSILONS"),
      " ",
      "  " + cell(13, "-0.900", "GAMMA") + "  |" + cell(15, "0.700", "ETA") + "  |" +
          cell(11, "-0.900", "ALPHA") + "  |" + cell(15, "-0.600", "ETA"),
      "  " + cell(12, "0.500", "BETA") + "  |" + cell(11, "0.500", "ALPHA") + "  |" +
          cell(14, "0.400", "EPSILONS") + "  |" + cell(13, "0.400", "GAMMA"),
      "  " + cell(15, "0.500", "ETA") + "  |" + cell(14, "-0.300", "EPSILONS") + "  |" +
          cell(12, "0.100", "BETA") + "  |" + cell(12, "-0.300", "BETA"),
      " ", "  " + name_cell(15, "ETA") + "  |", " ", "  " + cell(12, "0.700", "BETA") + "  |",
      "  " + cell(14, "-0.600", "EPSILONS") + "  |", "  " + cell(11, "0.500", "ALPHA") + "  |", " ",
      " "};
  EXPECT_EQ(listing(), expected);
  EXPECT_EQ(lines, 41);  // 60 - 2 - 1 - 7 - 7 - 2
  EXPECT_EQ(page, 1);
}

TEST_F(PrintingTopten, GroupThatDoesNotFitBeginsAPageWithTheHeadingAgain) {
  const std::vector<std::string> names{"ALPHA", "BETA", "GAMMA", "EPSILONS", "ETA"};
  const std::vector<std::int32_t> num{11, 12, 13, 14, 15};
  set(1, 2, 0.5f), set(1, 3, -0.9f), set(1, 4, 0.2f), set(1, 5, 0.5f);
  set(2, 3, 0.1f), set(2, 4, -0.3f), set(2, 5, 0.7f);
  set(3, 4, 0.4f), set(3, 5, 0.05f);
  set(4, 5, -0.6f);
  std::int32_t page = 1, lines = 9;
  topten(r_, 5, names, num, 30, page, lines, unit_, 1);  // shows n - 1 = 4 correlates
  const Lines got = listing();
  const std::string heading = blanks(7) + "4 Largest Correlations for Each Variable";
  ASSERT_GE(got.size(), 10u);
  EXPECT_EQ(Lines(got.begin(), got.begin() + 10),
            (Lines{" ", " ", heading, " ", " ", pager_header(2), " ", " ", heading, " "}));
  EXPECT_EQ(page, 2);
  EXPECT_EQ(lines, 76 - 2 - 8 - 8 - 2);
}

TEST_F(PrintingTopten, LongListsArePrintedInChunksThatFillThePage) {
  // r(j, i) = j / 100: the correlates of i are the other variables from the last down.
  for (int i = 1; i <= 12; ++i) {
    for (int j = 1; j <= 12; ++j)
      r_[mat_index(j, i)] = i == j ? 0.0f : static_cast<float>(j) / 100.0f;
  }
  const auto names = names8(12);
  std::vector<std::int32_t> num;
  for (int j = 1; j <= 12; ++j) num.push_back(j);
  set_nlpage(20);  // 11 + 4 > (20 - 3) / 3: long lists
  std::int32_t page = 1, lines = 14;
  topten(r_, 12, names, num, 30, page, lines, unit_);
  const Lines got = listing();
  const std::string heading = blanks(6) + "11 Largest Correlations for Each Variable";
  auto nitem = [&](int j) { return blanks(13) + rjust(j, 3) + "  " + names[j - 1].substr(0, 8); };
  // Correlate t of any variable: its number, t / 100 and its name.
  auto vitem = [&](int t) {
    return blanks(6) + rjust(t, 3) + " " + " 0." + two(t) + "0  " + names[t - 1].substr(0, 8);
  };
  // 14 lines, 2 empty lines and the heading leave 11: a chunk of 7 correlates for variables
  // 1-4, then a new page with the heading and the names again for the other 4.
  ASSERT_GE(got.size(), 30u);
  EXPECT_EQ(got[2], heading);
  EXPECT_EQ(got[4], "  " + nitem(1) + nitem(2) + nitem(3) + nitem(4));
  EXPECT_EQ(got[6], "  " + vitem(12) + vitem(12) + vitem(12) + vitem(12));
  EXPECT_EQ(got[12], "  " + vitem(6) + vitem(6) + vitem(6) + vitem(6));
  EXPECT_EQ(Lines(got.begin() + 13, got.begin() + 21),
            (Lines{" ", pager_header(2), " ", " ", heading, " ",
                   "  " + nitem(1) + nitem(2) + nitem(3) + nitem(4), " "}));
  EXPECT_EQ(got[21], "  " + vitem(5) + vitem(5) + vitem(5) + vitem(5));
  EXPECT_EQ(got[24], "  " + vitem(2) + vitem(1) + vitem(1) + vitem(1));
  EXPECT_EQ(got[25], " ");
  EXPECT_EQ(got[26], pager_header(3));  // variables 5-8: 8 lines left is too few
}

// ---- pivot and key variable table ----------------------------------------------------------

class PrintingIndicator : public testing::PrintingRun {
 protected:
  void SetUp() override {
    PrintingRun::SetUp();
    key_lists_.assign(key_list_rows * 5, 0);
    auto key = [&](int k, int j, int v) {
      key_lists_[static_cast<std::size_t>((j - 1) * key_list_rows + k - 1)] = v;
    };
    key(1, 1, 1), key(2, 1, -5);
    key(1, 2, 2);
    key(1, 3, 3), key(2, 3, 4), key(3, 3, 6);
    key(1, 5, 5), key(2, 5, -2);
  }
  void print(std::int32_t ndim, std::int32_t& page, std::int32_t& lines) {
    Pr_indicator(key_lists_, counts_, dim_numbers_, dim_names_, var_numbers_, var_names_, 6, ndim,
                 page, lines, unit_);
  }
  // A blank, the number in 14 columns, a blank, the name in 8 columns.
  static std::string cell(int number, const std::string& name) {
    return " " + rjust(number, 14) + " " + ljust(name, 8);
  }

  std::vector<std::int32_t> key_lists_;
  std::vector<std::int32_t> counts_{2, 1, 3, 0, 2};
  std::vector<std::int32_t> dim_numbers_{1, 2, 3, 4, 5};
  std::vector<std::string> dim_names_{"CLUSTER1", "CLUSTER2", "CLUSTER3", "CLUSTER4", "CLUSTER5"};
  std::vector<std::int32_t> var_numbers_{101, 102, 103, 104, -105, 106};
  std::vector<std::string> var_names_{"ALPHA", "BETA", "GAMMA", "DELTA", "EPSILON", "ZETA"};
};

const char* const pivot_title =
    " PIVOT VARIABLES (FIRST ROW) AND KEY VARIABLES DEFINING THE DIMENSIONS";
const char* const reflected_note = "    NEGATIVE VALUES INDICATE REFLECTED VARIABLES";

TEST_F(PrintingIndicator, BlocksOfFourDimensions) {
  std::int32_t page = 1, lines = 50;
  print(5, page, lines);
  const std::string empty = blanks(24);
  EXPECT_EQ(
      listing(),
      (Lines{" ", " ", pivot_title, reflected_note, " ",
             cell(1, "CLUSTER1") + cell(2, "CLUSTER2") + cell(3, "CLUSTER3") + cell(4, "CLUSTER4"),
             " ", cell(101, "ALPHA") + cell(102, "BETA") + cell(103, "GAMMA") + empty,
             cell(-105, "EPSILON") + empty + cell(104, "DELTA") + empty,
             empty + empty + cell(106, "ZETA") + empty, " ", " ",
             // Enough lines left: the second block goes on without the heading.
             cell(5, "CLUSTER5"), " ", cell(105, "EPSILON"), cell(-102, "BETA"), " ", " "}));
  EXPECT_EQ(lines, 36);  // 50 - 2 - 3 - 3 - 2 - 2 - 2
}

TEST_F(PrintingIndicator, SecondBlockShortOfLinesRepeatsTheHeading) {
  std::int32_t page = 1, lines = 11;
  print(5, page, lines);
  const Lines got = listing();
  ASSERT_EQ(got.size(), 24u);
  EXPECT_EQ(Lines(got.begin() + 12, got.begin() + 20),
            (Lines{" ", pager_header(2), " ", pivot_title, reflected_note, " ", cell(5, "CLUSTER5"),
                   " "}));
  EXPECT_EQ(page, 2);
  EXPECT_EQ(lines, 76 - 3 - 2 - 2);
}

TEST_F(PrintingIndicator, NoDimensionsOnlyPages) {
  std::int32_t page = 1, lines = 6;
  print(0, page, lines);
  EXPECT_EQ(listing(), (Lines{" ", " "}));
  EXPECT_EQ(lines, 4);
  lines = 5;
  print(0, page, lines);
  EXPECT_EQ(listing().size(), 5u);
  EXPECT_EQ(page, 2);
}

}  // namespace
}  // namespace korvex
