// The *FAST component run in-process on a fresh ISF: residual and reproduced matrices against
// a double-precision computation from the same inputs, the CORRM1 it leaves (with its
// qualifier word), the text files "CORRESID" and "CORREPRO", the control card and its
// refusals, a CORRM1 that does not fit UFACT1, no factors, two runs in a row, the first-page
// option and missing inputs.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "selection/fast.hpp"
#include "test_gyro_fixture.hpp"

namespace korvex {
namespace {

using testing::Mat;

// Coefficients of n variables on k factors, with a little of everything (signs, sizes).
Mat factors(int n, int k) {
  Mat a(n, k);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= k; ++j) a(i, j) = (i + j) % (k + 1) == 0 ? 0.55 + 0.02 * i : 0.13 * std::sin(i * 1.7 + j);
  }
  return a;
}

// A correlation matrix: the factors' part plus a small pattern off the diagonal.
Mat correlations(const Mat& a) {
  Mat r(a.rows, a.rows);
  for (int i = 1; i <= a.rows; ++i) {
    for (int j = 1; j <= a.rows; ++j) {
      double s = 0.0;
      for (int h = 1; h <= a.cols; ++h) s += a(i, h) * a(j, h);
      r(i, j) = i == j ? 1.0 : s + 0.01 * ((i * j) % 7) - 0.03;
    }
  }
  return r;
}

// A A', or R - A A' off the diagonal with 1 on it.
Mat reproduced(const Mat& a) {
  Mat p(a.rows, a.rows);
  for (int i = 1; i <= a.rows; ++i) {
    for (int j = 1; j <= a.rows; ++j) {
      for (int h = 1; h <= a.cols; ++h) p(i, j) += a(i, h) * a(j, h);
    }
  }
  return p;
}
Mat residual(const Mat& r, const Mat& a) {
  Mat p = reproduced(a);
  for (int i = 1; i <= r.rows; ++i) {
    for (int j = 1; j <= r.rows; ++j) p(i, j) = i == j ? 1.0 : r(i, j) - p(i, j);
  }
  return p;
}

// The control card: name in columns 1-6, the flags in 17-20 and 21-24.
std::string card(const std::string& name, int first_page, int save) {
  std::string c = name + std::string(16 - std::min<std::size_t>(16, name.size()), ' ');
  auto field = [](int v) {
    const std::string s = std::to_string(v);
    return std::string(4 - s.size(), ' ') + s;
  };
  return c + field(first_page) + field(save);
}

// The lower triangle with its diagonal as a text matrix writes it: row i holds i values.
Mat parse_triangle(const std::vector<std::string>& lines, int n) {
  Mat m(n, n);
  int row = 0;
  for (const std::string& l : lines) {
    std::istringstream in(l);
    std::vector<double> values;
    for (double x; in >> x;) values.push_back(x);
    if (values.empty()) continue;
    ++row;
    EXPECT_EQ(static_cast<int>(values.size()), std::min(row, 20)) << l;
    for (int j = 1; j <= static_cast<int>(values.size()) && row <= n; ++j) m(row, j) = values[static_cast<std::size_t>(j - 1)];
  }
  EXPECT_EQ(row, n);
  return m;
}

class Fast : public testing::GyroRun {
 protected:
  testing::RunResult fast(const std::string& control) { return run(&FAST, {control}); }
  static void expect_off_diagonal_near(const Mat& got, const Mat& want, double tol) {
    ASSERT_EQ(got.rows, want.rows);
    for (int i = 1; i <= want.rows; ++i) {
      for (int j = 1; j <= want.rows; ++j) {
        if (i != j) {
          EXPECT_NEAR(got(i, j), want(i, j), tol) << i << "," << j;
        }
      }
    }
  }
};

TEST_F(Fast, ResidualReplacesCorrm1AndIsSavedAsText) {
  const Mat a = factors(12, 3);
  const Mat r = correlations(a);
  put_title("RESIDUAL RUN");
  put_ufact1(a);
  put_corrm1(r);
  ASSERT_FALSE(fast(card("RESIDU", 0, 1)).stopped);

  Kpar kpar{};
  const Mat c = read_corrm1(&kpar);
  EXPECT_EQ(kpar[0], 2);
  EXPECT_EQ(kpar[1], 12);
  EXPECT_EQ(kpar[2], 1);
  const Mat want = residual(r, a);
  expect_off_diagonal_near(c, want, 1e-5);

  // The text file holds the triangle with its diagonal of 1.
  const Mat text = parse_triangle(file_lines("CORRESID"), 12);
  for (int i = 1; i <= 12; ++i) {
    EXPECT_EQ(text(i, i), 1.0);
    for (int j = 1; j < i; ++j) EXPECT_NEAR(text(i, j), want(i, j), 5.1e-4);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "CORREPRO"));

  const std::vector<std::string> lines = listing();
  const int order[] = {find_line(lines, "F   A   S   T"), find_line(lines, "Saving the Residual Correlation Matrix"),
                       find_line(lines, "RESIDUAL RUN"),
                       find_line(lines, "Caution: The residual/reproduced matrix will always replace the original correlation matrix"),
                       find_line(lines, "in the CORRM1 file on the ISF. You will no longer have access to the original matrix."),
                       find_line(lines, " Ortho. Factor Coefficients from CC5"),
                       find_line(lines, " Residual Correlation Matrix after")};
  for (std::size_t i = 0; i < std::size(order); ++i) {
    EXPECT_GE(order[i], 0) << i;
    if (i > 0) {
      EXPECT_GT(order[i], order[i - 1]) << i;
    }
  }
  EXPECT_EQ(lines[static_cast<std::size_t>(order[6]) + 1], " 3 Dimensions have been Extracted");
  EXPECT_EQ(find_line(lines, "|Using FAST option"), -1);
}

TEST_F(Fast, ReproducedShowsCommunalitiesAndNeedsNoCorrm1) {
  const Mat a = factors(9, 2);
  put_title();
  put_ufact1(a);
  ASSERT_FALSE(fast(card("reProd", 0, 1)).stopped);  // any case; CORRM1 is not on the ISF

  Kpar kpar{};
  const Mat c = read_corrm1(&kpar);
  EXPECT_EQ(kpar[1], 9);
  EXPECT_EQ(kpar[2], 2);
  const Mat want = reproduced(a);
  expect_off_diagonal_near(c, want, 1e-6);

  const Mat text = parse_triangle(file_lines("CORREPRO"), 9);
  for (int i = 1; i <= 9; ++i) {
    for (int j = 1; j <= i; ++j) EXPECT_NEAR(text(i, j), want(i, j), 5.1e-4) << i << "," << j;
  }
  const std::vector<std::string> lines = listing();
  const int title = find_line(lines, "  THE MATRIX OF CORRELATIONS REPRODUCED FROM THE FACTOR COEFFICIENTS");
  ASSERT_GE(title, 0);
  EXPECT_EQ(lines[static_cast<std::size_t>(title)], "   THE MATRIX OF CORRELATIONS REPRODUCED FROM THE FACTOR COEFFICIENTS");
  // The printed diagonal holds the communalities: the last value of row i.
  for (int i = 1; i <= 9; ++i) {
    const int row = find_line(lines, "     " + std::to_string(i) + "  VAR" + std::to_string(i), title);
    ASSERT_GE(row, 0);
    std::istringstream in(lines[static_cast<std::size_t>(row)]);
    std::string field, last;
    while (in >> field) last = field;
    EXPECT_NEAR(std::stod(last), want(i, i), 5.1e-4) << i;
  }
}

TEST_F(Fast, ControlNames) {
  struct Case {
    std::string name;
    bool accepted;
    int qualifier;
  };
  const std::vector<Case> cases = {{"RESIDU", true, 1},    {"residual", true, 1}, {"REPROD", true, 2},
                                   {"Reproduced", true, 2}, {"RESID", false, 0},   {"REPRO", false, 0},
                                   {"", false, 0},          {"XRESIDU", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fresh_process();
    const Mat a = factors(6, 2);
    put_title();
    put_ufact1(a);
    put_corrm1(correlations(a));
    // Columns 7-16 are skipped, so a long word is read as its first six letters.
    const testing::RunResult r = fast(c.name.size() > 6 ? c.name : card(c.name, 0, 0));
    EXPECT_EQ(r.stopped, !c.accepted);
    Kpar kpar{};
    read_corrm1(&kpar);
    if (c.accepted) {
      EXPECT_EQ(kpar[2], c.qualifier);
    } else {
      EXPECT_NE(r.console.find("\n The control name for FAST is invalid.\n"), std::string::npos) << r.console;
      EXPECT_EQ(kpar[2], 100);  // CORRM1 untouched
      EXPECT_EQ(find_line(listing(), "F   A   S   T"), -1);
    }
  }
}

TEST_F(Fast, ResidualRefusesACorrm1OfOtherVariables) {
  const Mat a = factors(12, 3);
  put_title();
  put_ufact1(a);
  put_corrm1(correlations(factors(10, 3)));
  const testing::RunResult r = fast(card("RESIDU", 0, 0));
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("\n FAST: CORRM1 is of order 10 but UFACT1 has 12 variables.\n"), std::string::npos)
      << r.console;
  Kpar kpar{};
  read_corrm1(&kpar);
  EXPECT_EQ(kpar[1], 10);
  EXPECT_EQ(kpar[2], 100);
}

TEST_F(Fast, NoFactorsLeaveTheCorrelationsWithAUnitDiagonal) {
  const Mat r = correlations(factors(7, 2));
  put_title();
  put_ufact1(Mat(7, 0));
  put_corrm1(r);
  ASSERT_FALSE(fast(card("RESIDU", 0, 0)).stopped);
  Kpar kpar{};
  const Mat c = read_corrm1(&kpar);
  EXPECT_EQ(kpar[2], 1);
  expect_off_diagonal_near(c, r, 1e-7);
  EXPECT_EQ(find_line(listing(), "Residual Correlation Matrix after"), -1);
}

TEST_F(Fast, ResidualTwiceRemovesTheFactorsTwice) {
  const Mat a = factors(8, 2);
  const Mat r = correlations(a);
  put_title();
  put_ufact1(a);
  put_corrm1(r);
  ASSERT_FALSE(fast(card("RESIDU", 0, 0)).stopped);
  ASSERT_FALSE(fast(card("RESIDU", 0, 0)).stopped);
  expect_off_diagonal_near(read_corrm1(), residual(residual(r, a), a), 1e-5);
}

TEST_F(Fast, SubtitleCountsTheDimensions) {
  for (const int k : {1, 2}) {
    fresh_process();
    const Mat a = factors(5, k);
    put_title();
    put_ufact1(a);
    put_corrm1(correlations(a));
    ASSERT_FALSE(fast(card("RESIDU", 0, 0)).stopped);
    const std::vector<std::string> lines = listing();
    const int at = find_line(lines, " Residual Correlation Matrix after");
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines[static_cast<std::size_t>(at) + 1],
              k == 1 ? " 1 Dimension  have been Extracted" : " 2 Dimensions have been Extracted");
  }
}

TEST_F(Fast, FirstPageOptionCutsOnlyTheOutputMatrix) {
  // 60 variables: the triangle takes several pages, the coefficients fewer.
  const Mat a = factors(60, 2);
  const auto run_with = [&](int flag) {
    fresh_process();
    put_title();
    put_ufact1(a);
    put_corrm1(correlations(a));
    EXPECT_FALSE(fast(card("RESIDU", flag, 0)).stopped);
    return listing();
  };
  const std::vector<std::string> full = run_with(0);
  const std::vector<std::string> cut = run_with(1);
  EXPECT_GE(find_line(cut, "|Using FAST option to print only first page of the output matrix|"), 0);
  EXPECT_EQ(find_line(full, "|Using FAST option"), -1);
  // Every coefficient row is printed either way; the triangle is cut short.
  EXPECT_GE(find_line(cut, "    60  VAR60"), 0);
  EXPECT_LT(count_lines(cut, "Residual Correlation Matrix after"), count_lines(full, "Residual Correlation Matrix after"));
  EXPECT_LT(cut.size(), full.size());
  // The matrix is stored whole whatever is printed.
  expect_off_diagonal_near(read_corrm1(), residual(correlations(a), a), 1e-5);
}

TEST_F(Fast, MissingInputsStop) {
  struct Case {
    bool title, ufact, corrm;
    std::string control, label;
  };
  const std::vector<Case> cases = {{false, true, true, "RESIDU", "IDFILE"},
                                   {true, false, true, "RESIDU", "UFACT1"},
                                   {true, true, false, "RESIDU", "CORRM1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fresh_process();
    const Mat a = factors(5, 2);
    if (c.title) put_title();
    if (c.ufact) put_ufact1(a);
    if (c.corrm) put_corrm1(correlations(a));
    const testing::RunResult r = fast(card(c.control, 0, 0));
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.code, 10007);
    EXPECT_GE(find_line(listing(), " FILE " + c.label + " COULD NOT BE LOCATED ON INTERMEDIATE STORAGE FILE"), 0);
  }
}

}  // namespace
}  // namespace korvex
