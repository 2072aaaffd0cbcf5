// The *GYRO component as a whole, run in-process on a fresh ISF: the listing of both
// methods, the three cards with their defaults and limits, the stops (bad method, bad
// fields, missing cards and inputs), the page settings it resets, the row numbers under a
// selection, the rows and columns of zeros that must never turn into NaN, one dimension,
// and a second run that starts again from UFACT1.
#include <cmath>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../reference/gyro_reference_values.inc"
#include "executive/component.hpp"
#include "printing/page.hpp"
#include "selection/gyro.hpp"
#include "test_gyro_fixture.hpp"

namespace korvex {
namespace {

using testing::Mat;

Mat twelve() {
  return Mat::from(gyro_reference::twelve_nvar, gyro_reference::twelve_nfac, gyro_reference::twelve_input);
}

// The last blank-separated field of a line as a number (NaN when it is not one).
double last_number(const std::string& line) {
  std::istringstream in(line);
  std::string field;
  std::string last;
  while (in >> field) last = field;
  try {
    return std::stod(last);
  } catch (...) {
    return NAN;
  }
}

// The whitespace-separated fields of a line.
std::vector<std::string> fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

class GyroDriver : public testing::GyroRun {
 protected:
  // The inputs every run needs: the title and the coefficients.
  void put_inputs(const Mat& ufact) {
    put_title();
    put_ufact1(ufact);
  }
  testing::RunResult gyro(const std::vector<std::string>& cards) { return run(&GYRO, cards); }

  // Varimax statistics lines: (cycle, variance) pairs after the "Cycle" heading.
  std::vector<std::pair<int, double>> varimax_lines() {
    const std::vector<std::string> lines = listing();
    static const std::regex row(R"(^ {1,9}(\d+) +(-?\d*\.\d{8})$)");
    std::vector<std::pair<int, double>> out;
    const int head = find_line(lines, "     Cycle    Variance");
    for (int i = std::max(head, 0) + 1; head >= 0 && i < static_cast<int>(lines.size()); ++i) {
      std::smatch m;
      if (lines[static_cast<std::size_t>(i)].find("Change of Communalities") != std::string::npos) break;
      if (std::regex_match(lines[static_cast<std::size_t>(i)], m, row)) out.emplace_back(std::stoi(m[1]), std::stod(m[2]));
    }
    return out;
  }
  // Quartimax iteration lines: (sweep, sum, difference).
  struct Sweep {
    int n;
    double sum, difference;
  };
  std::vector<Sweep> quartimax_lines() {
    const std::vector<std::string> lines = listing();
    static const std::regex row(R"(^ {2,9}(\d+) +(-?0\.\d{7}E[+-]\d\d) +(-?0\.\d{7}E[+-]\d\d)$)");
    std::vector<Sweep> out;
    for (const std::string& l : lines) {
      std::smatch m;
      if (std::regex_match(l, m, row)) out.push_back({std::stoi(m[1]), std::stod(m[2]), std::stod(m[3])});
    }
    return out;
  }
  double criterion_line(const std::string& caption) {
    const std::vector<std::string> lines = listing();
    const int at = find_line(lines, caption);
    EXPECT_GE(at, 0) << caption;
    return at < 0 ? NAN : last_number(lines[static_cast<std::size_t>(at)]);
  }
  // The data rows (first field a number) of the matrix printed under title.
  std::vector<std::vector<std::string>> printed_rows(const std::string& title) {
    const std::vector<std::string> lines = listing();
    std::vector<std::vector<std::string>> rows;
    const int at = find_line(lines, " " + title);
    if (at < 0) return rows;
    bool started = false;
    for (int i = at + 1; i < static_cast<int>(lines.size()); ++i) {
      const std::vector<std::string> f = fields(lines[static_cast<std::size_t>(i)]);
      const bool data = f.size() >= 3 && std::regex_match(f[0], std::regex(R"(\d+)")) &&
                        !std::regex_match(f[1], std::regex(R"(\d+)"));
      if (data) {
        rows.push_back(f);
        started = true;
      } else if (started && lines[static_cast<std::size_t>(i)].find_first_not_of(' ') != std::string::npos) {
        break;
      }
    }
    return rows;
  }
  void expect_row_sums_kept(const Mat& before, const Mat& after, double tol) {
    ASSERT_EQ(after.rows, before.rows);
    for (int i = 1; i <= before.rows; ++i) EXPECT_NEAR(after.row_ss(i), before.row_ss(i), tol) << "row " << i;
  }
  void expect_identity_basis(int numfac) {
    Kpar kpar{};
    const Mat b = read_matrix("BASIS1", &kpar);
    EXPECT_EQ(kpar[0], 2);
    ASSERT_EQ(b.rows, numfac);
    ASSERT_EQ(b.cols, numfac);
    for (int i = 1; i <= numfac; ++i) {
      for (int j = 1; j <= numfac; ++j) EXPECT_EQ(b(i, j), i == j ? 1.0 : 0.0);
    }
  }
};

// ---- the two methods ------------------------------------------------------------------------

TEST_F(GyroDriver, VarimaxWithDefaultCardsListsEveryPart) {
  put_inputs(twelve());
  ASSERT_FALSE(gyro({"VARMAX", "", ""}).stopped);
  const std::vector<std::string> lines = listing();
  // Heading centred on the default 118 columns; problem lines; the unrotated matrix before
  // the method line.
  EXPECT_EQ(lines[5], std::string(34, ' ') + "O R T H O G O N A L  R O T A T I O N  P R O G R A M");
  EXPECT_EQ(lines[8], std::string(53, ' ') + "G   Y   R   O");
  const int order[] = {find_line(lines, " Problem identification: ROTATION TEST RUN"),
                       find_line(lines, " Variables: 12"), find_line(lines, " Dimensions: 3"),
                       find_line(lines, " Unrotated Factor Coefficients"),
                       find_line(lines, " The Varimax method of rotation will be used."),
                       find_line(lines, " Convergence statistics from varimax subroutine modified from a program in"),
                       find_line(lines, " Change of Communalities from Initial Estimates to Final Value"),
                       find_line(lines, "SUMMARY OF THE ANALYSIS"),
                       find_line(lines, " Rotated Factor Coefficients"),
                       find_line(lines, " Partial Communalities"),
                       find_line(lines, " Cumulative Communalities and Total Communality"),
                       find_line(lines, " Augmented Factor Coefficients"),
                       find_line(lines, " Squared Augmented Correlations"),
                       find_line(lines, " Cumulative Proportion of Converged Communality Exhausted by the 3 Successive Dimensions")};
  for (std::size_t i = 0; i < std::size(order); ++i) {
    EXPECT_GE(order[i], 0) << i;
    if (i > 0) {
      EXPECT_GT(order[i], order[i - 1]) << i;
    }
  }
  EXPECT_EQ(count_lines(lines, "Unrotated Factor Coefficients"), 1);

  // The defaults: at most 10 evaluations, ending on a change of at most 1.0E-7 or the limit.
  const auto stats = varimax_lines();
  ASSERT_GE(stats.size(), 2u);
  ASSERT_LE(stats.size(), 10u);
  for (std::size_t k = 0; k < stats.size(); ++k) EXPECT_EQ(stats[k].first, static_cast<int>(k) + 1);
  if (stats.size() < 10) {
    EXPECT_LE(std::fabs(stats.back().second - stats[stats.size() - 2].second), 1.5e-7);
  }
  EXPECT_GT(stats.back().second, stats.front().second);
  // The summary shows the first and the last evaluation.
  EXPECT_DOUBLE_EQ(criterion_line("Original matrix variance of squared factor coefficients"), stats.front().second);
  EXPECT_DOUBLE_EQ(criterion_line("Rotated matrix variance of squared factor coefficients:"), stats.back().second);

  // The check table: every change is zero at three decimals.
  for (const auto& row : printed_rows("Change of Communalities from Initial Estimates to Final Value")) {
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(std::fabs(std::stod(row[4])), 0.0) << row[1];
    EXPECT_EQ(row[2], row[3]) << row[1];
  }
  // Squared augmented rows sum to 1; the cumulative proportion ends at 1.
  for (const auto& row : printed_rows("Squared Augmented Correlations")) {
    EXPECT_NEAR(std::stod(row[2]) + std::stod(row[3]) + std::stod(row[4]), 1.0, 0.0021) << row[1];
  }
  EXPECT_GE(find_line(lines, "1.000 Factor3"), 0);

  Kpar kpar{};
  const Mat rf = read_matrix("RFACT1", &kpar);
  EXPECT_EQ(kpar[0], 2);
  ASSERT_EQ(rf.rows, 12);
  ASSERT_EQ(rf.cols, 3);
  expect_row_sums_kept(twelve(), rf, 1e-5);
  expect_identity_basis(3);
  EXPECT_EQ(current_component().name, "GEP   ");
}

TEST_F(GyroDriver, QuartimaxListsItsSweepsAndRaisesTheFourthPowers) {
  put_inputs(twelve());
  ASSERT_FALSE(gyro({"QRTMAX", "  50", "1.0E-7"}).stopped);
  const std::vector<std::string> lines = listing();
  EXPECT_GE(find_line(lines, " The Quartimax method of rotation will be used."), 0);
  const double s0 = twelve().fourth_powers();
  const int before_line = find_line(lines, " Sum of fourth powers before rotation ... ");
  ASSERT_GE(before_line, 0);
  EXPECT_NEAR(last_number(lines[static_cast<std::size_t>(before_line)]), s0, 1e-6 * s0);
  EXPECT_EQ(lines[static_cast<std::size_t>(before_line) + 2], " Criterion for convergence...             0.1000000E-06");
  EXPECT_EQ(lines[static_cast<std::size_t>(before_line) + 4], " Iteration  Sum of 4th powers         Difference");

  const auto sweeps = quartimax_lines();
  ASSERT_GE(sweeps.size(), 2u);
  double previous = s0;
  for (std::size_t k = 0; k < sweeps.size(); ++k) {
    EXPECT_EQ(sweeps[k].n, static_cast<int>(k) + 1);
    EXPECT_GE(sweeps[k].sum, previous - 1e-6 * previous) << "sweep " << k + 1;
    EXPECT_NEAR(sweeps[k].difference, sweeps[k].sum - previous, 2e-6 * previous);
    previous = sweeps[k].sum;
  }
  EXPECT_LT(std::fabs(sweeps.back().difference), 1e-7);
  EXPECT_NEAR(criterion_line("Original matrix variance of squared factor coefficients"), s0, 1e-6 * s0);
  EXPECT_NEAR(criterion_line("Rotated matrix variance of squared factor coefficients:"), sweeps.back().sum, 1e-6 * s0);

  const Mat rf = read_matrix("RFACT1");
  expect_row_sums_kept(twelve(), rf, 1e-5);
  EXPECT_NEAR(rf.fourth_powers(), sweeps.back().sum, 1e-5);
  expect_identity_basis(3);
}

// ---- cards: defaults, limits, criteria ------------------------------------------------------

TEST_F(GyroDriver, CycleAndCriterionCards) {
  struct Case {
    std::vector<std::string> cards;
    int lines_min, lines_max;   // statistics or sweep lines
    std::string criterion_line;  // quartimax only: the criterion in force
  };
  const std::vector<Case> cases = {
      {{"QRTMAX", "", ""}, 1, 10, " Criterion for convergence...             0.1000000E-02"},
      {{"QRTMAX", "", "      25"}, 1, 10, " Criterion for convergence...             0.2500000E-02"},
      {{"QRTMAX", "", "0.5"}, 1, 10, " Criterion for convergence...             0.1000000E-01"},
      {{"QRTMAX", "0", "-1"}, 1, 1, ""},
      {{"QRTMAX", "1", "-1"}, 1, 1, ""},
      {{"QRTMAX", "  20", "-1"}, 20, 20, ""},
      {{"QRTMAX", " 100", "-1"}, 50, 50, ""},
      {{"VARMAX", "", ""}, 2, 10, ""},
      {{"VARMAX", "0", ""}, 1, 1, ""},
      {{"VARMAX", "   1", ""}, 1, 1, ""},
      {{"VARMAX", "   5", "-1"}, 5, 5, ""},
      {{"VARMAX", " 100", "-1"}, 49, 49, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cards[0] + "|" + c.cards[1] + "|" + c.cards[2]);
    fresh_process();
    put_inputs(twelve());
    ASSERT_FALSE(gyro(c.cards).stopped);
    const int n = c.cards[0] == "QRTMAX" ? static_cast<int>(quartimax_lines().size())
                                         : static_cast<int>(varimax_lines().size());
    EXPECT_GE(n, c.lines_min);
    EXPECT_LE(n, c.lines_max);
    if (!c.criterion_line.empty()) {
      EXPECT_GE(find_line(listing(), c.criterion_line), 0);
    }
    if (c.cards[0] == "VARMAX" && n == 1) {
      // One evaluation and no rotation: the coefficients come back as they were.
      EXPECT_LT(testing::matched_difference(read_matrix("RFACT1"), twelve()), 1e-6);
    }
  }
}

// ---- stops ----------------------------------------------------------------------------------

TEST_F(GyroDriver, BadCardsStopAfterTheUnrotatedCoefficients) {
  struct Case {
    std::vector<std::string> cards;
    std::string message;
    bool method_line;  // the method line comes before the field is read
  };
  const std::vector<Case> cases = {
      {{"varmax", "", ""}, "Invalid method: varmax", false},
      {{"", "", ""}, "Invalid method:       ", false},
      {{"VARIMAX", "", ""}, "Invalid method: VARIMA", false},
      {{"XXXXXX", "", ""}, "Case statement failed: Invalid method", false},
      {{"VARMAX", "1O", ""}, "BCDBIN ERROR: Unrecognized character in \"1O  \".", true},
      {{"QRTMAX", "-5", ""}, "BCDBIN ERROR: Unrecognized character in \"-5  \".", true},
      {{"VARMAX", ""}, "Unexpected end-of-file condition occurred.", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    fresh_process();
    put_inputs(twelve());
    const testing::RunResult r = gyro(c.cards);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.console.find("\n " + c.message + "\n"), std::string::npos) << r.console;
    const std::vector<std::string> lines = listing();
    EXPECT_GE(find_line(lines, " Unrotated Factor Coefficients"), 0);
    EXPECT_EQ(find_line(lines, "method of rotation will be used.") >= 0, c.method_line);
    EXPECT_EQ(read_matrix("RFACT1").rows, -1);
  }
}

TEST_F(GyroDriver, MissingOrOversizedInputsStop) {
  struct Case {
    bool title, ufact;
    int cols;
    std::string console;  // expected on the console ("" for the listing's report only)
    std::string listing;
    int code;
  };
  const std::vector<Case> cases = {
      {false, true, 3, "", " FILE IDFILE COULD NOT BE LOCATED ON INTERMEDIATE STORAGE FILE", 10007},
      {true, false, 3, "", " FILE UFACT1 COULD NOT BE LOCATED ON INTERMEDIATE STORAGE FILE", 10007},
      {true, true, 51, " GYRO: UFACT1 has 12 rows and 51 columns (1-999 and 1-50 allowed).\n", "", 0},
      {true, true, 0, " GYRO: UFACT1 has 12 rows and 0 columns (1-999 and 1-50 allowed).\n", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cols);
    fresh_process();
    if (c.title) put_title();
    if (c.ufact) {
      Mat m(12, c.cols);
      for (int j = 1; j <= c.cols; ++j) m(1 + (j - 1) % 12, j) = 0.5;
      put_ufact1(m);
    }
    const testing::RunResult r = gyro({"VARMAX", "", ""});
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.code, c.code);
    if (!c.console.empty()) {
      EXPECT_NE(r.console.find(c.console), std::string::npos) << r.console;
    }
    const std::vector<std::string> lines = listing();
    if (!c.listing.empty()) {
      EXPECT_GE(find_line(lines, c.listing), 0);
    }
    // Only the heading came before the stop.
    EXPECT_GE(find_line(lines, "G   Y   R   O"), 0);
    EXPECT_EQ(find_line(lines, "Unrotated Factor Coefficients"), -1);
  }
}

// ---- page settings and row labels -----------------------------------------------------------

TEST_F(GyroDriver, ResetsTheListingToItsDefaultWidthAndLength) {
  put_inputs(twelve());
  set_ncline(132);
  set_nlpage(40);
  ASSERT_FALSE(gyro({"QRTMAX", "", ""}).stopped);
  EXPECT_EQ(get_ncline(), 118);
  EXPECT_EQ(get_nlpage(), 78);
  const std::vector<std::string> lines = listing();
  EXPECT_EQ(lines[5], std::string(34, ' ') + "O R T H O G O N A L  R O T A T I O N  P R O G R A M");
  EXPECT_EQ(lines[1].size(), 118u);  // the page header spans the line
  for (const std::string& l : lines) EXPECT_LE(l.size(), 118u);
}

TEST_F(GyroDriver, RowsCarryTheOriginalNumbersOfASelection) {
  // 14 variables, 2 of them (3 and 8) inactive: UFACT1 has the 12 active ones in REORD1 order.
  put_inputs(twelve());
  std::vector<std::string> names;
  std::vector<std::int32_t> order = {1, 2, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 3, 8};
  for (std::int32_t o : order) names.push_back("ITEM_" + std::to_string(o));
  put_names(names, 2);
  put_reord(order, 2);
  ASSERT_FALSE(gyro({"VARMAX", "", ""}).stopped);
  for (const std::string title : {"Unrotated Factor Coefficients", "Change of Communalities from Initial Estimates to Final Value",
                                  "Rotated Factor Coefficients", "Squared Augmented Correlations"}) {
    const auto rows = printed_rows(title);
    ASSERT_EQ(rows.size(), 12u) << title;
    for (std::size_t k = 0; k < 12; ++k) {
      EXPECT_EQ(rows[k][0], std::to_string(order[k])) << title;
      EXPECT_EQ(rows[k][1], "ITEM_" + std::to_string(order[k])) << title;
    }
  }
}

TEST_F(GyroDriver, WithoutNamesRowsAreNamedByNumber) {
  put_inputs(twelve());
  ASSERT_FALSE(gyro({"VARMAX", "", ""}).stopped);
  const auto rows = printed_rows("Rotated Factor Coefficients");
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[0][1], "VAR01");
  EXPECT_EQ(rows[11][0], "12");
  EXPECT_EQ(rows[11][1], "VAR12");
}

// ---- zeros, one dimension, a second run ------------------------------------------------------

TEST_F(GyroDriver, ZeroRowsAndColumnsNeverTurnIntoNaN) {
  Mat zero_row = twelve();
  for (int j = 1; j <= 3; ++j) zero_row(5, j) = 0.0;
  Mat zero_columns(8, 3);  // two columns of zeros: every pair sum is 0
  for (int i = 1; i <= 8; ++i) zero_columns(i, 1) = 0.1 * i;
  struct Case {
    Mat m;
    std::string method;
    int zero_row;  // 0: none
  };
  const std::vector<Case> cases = {{zero_row, "VARMAX", 5}, {zero_row, "QRTMAX", 5},
                                   {zero_columns, "VARMAX", 0}, {zero_columns, "QRTMAX", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method + " zero row " + std::to_string(c.zero_row));
    fresh_process();
    put_inputs(c.m);
    ASSERT_FALSE(gyro({c.method, "  49", ""}).stopped);
    const std::vector<std::string> lines = listing();
    for (const std::string& l : lines) {
      EXPECT_EQ(l.find("NaN"), std::string::npos) << l;
      EXPECT_EQ(l.find("Inf"), std::string::npos) << l;
    }
    EXPECT_TRUE(std::isfinite(criterion_line("Original matrix variance of squared factor coefficients")));
    EXPECT_TRUE(std::isfinite(criterion_line("Rotated matrix variance of squared factor coefficients:")));
    const Mat rf = read_matrix("RFACT1");
    for (double x : rf.v) ASSERT_TRUE(std::isfinite(x));
    expect_row_sums_kept(c.m, rf, 1e-5);
    if (c.zero_row > 0) {
      for (int j = 1; j <= 3; ++j) EXPECT_EQ(rf(c.zero_row, j), 0.0);
      const auto augmented = printed_rows("Augmented Factor Coefficients");
      ASSERT_EQ(augmented.size(), 12u);
      const std::vector<std::string> zeros = {"5", "VAR05", "0.000", "0.000", "0.000"};
      EXPECT_EQ(augmented[4], zeros);
    }
    if (c.method == "VARMAX" && c.zero_row > 0) {
      // The remaining rows are still rotated: the criterion rises.
      const auto stats = varimax_lines();
      ASSERT_GE(stats.size(), 2u);
      EXPECT_GT(stats.back().second, stats.front().second + 0.1);
    }
  }
}

TEST_F(GyroDriver, OneDimensionComesBackUnchanged) {
  Mat one(12, 1);
  for (int i = 1; i <= 12; ++i) one(i, 1) = twelve()(i, 1);
  for (const std::string method : {"VARMAX", "QRTMAX"}) {
    SCOPED_TRACE(method);
    fresh_process();
    put_inputs(one);
    ASSERT_FALSE(gyro({method, "", ""}).stopped);
    if (method == "VARMAX") {
      // Normalised rows of one column are all +1 or -1: the criterion is 0 at once, and the
      // first change (against 0) ends the loop.
      const auto stats = varimax_lines();
      ASSERT_EQ(stats.size(), 1u);
      EXPECT_LT(std::fabs(stats[0].second), 1e-7);
    } else {
      const auto sweeps = quartimax_lines();
      ASSERT_EQ(sweeps.size(), 1u);
      EXPECT_EQ(sweeps[0].difference, 0.0);
    }
    const Mat rf = read_matrix("RFACT1");
    for (int i = 1; i <= 12; ++i) EXPECT_NEAR(rf(i, 1), one(i, 1), 1e-6);
    for (const auto& row : printed_rows("Augmented Factor Coefficients")) {
      EXPECT_TRUE(row[2] == "1.000" || row[2] == "-1.000") << row[2];
    }
    EXPECT_GE(find_line(listing(), "1.000 Factor1"), 0);
    expect_identity_basis(1);
  }
}

TEST_F(GyroDriver, ASecondRunStartsAgainFromUfact1) {
  put_inputs(twelve());
  ASSERT_FALSE(gyro({"QRTMAX", "", ""}).stopped);
  ASSERT_GT(testing::matched_difference(read_matrix("RFACT1"), twelve()), 0.1);
  // One evaluation and no rotation: RFACT1 is replaced by the unrotated coefficients.
  ASSERT_FALSE(gyro({"VARMAX", "   1", ""}).stopped);
  EXPECT_LT(testing::matched_difference(read_matrix("RFACT1"), twelve()), 1e-6);
}

}  // namespace
}  // namespace korvex
