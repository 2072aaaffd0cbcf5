// The *CC5 component as a whole, run in-process on a fresh ISF: the two parameter cards and
// their errors, the heading of every analysis type and criterion, the number of passes and
// the summary lines, the print levels of the later passes, the inputs and the size checks
// against CORRM1 (with and without a selection), the limits put on the communality
// estimates, the number of dimensions, the guards that keep every printed ratio and every
// stored value finite, and the special cautions on wide and narrow lines.
#include <cmath>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "test_cc5_fixture.hpp"

namespace korvex {
namespace {

using testing::Cc5Outcome;
using testing::Cc5Run;
using testing::Sym;

// The two-factor matrix of cc5_reference.py with its communalities.
Sym r9() {
  return Sym::from_lower(9, {0.78, 0.725, 0.695, 0.64, 0.175, 0.215, 0.12, 0.25, 0.688, 0.668, 0.61, 0.213,
                             0.248, 0.155, 0.275, 0.61, 0.565, 0.123, 0.16, 0.078, 0.195, 0.545, 0.245, 0.272,
                             0.188, 0.29, 0.155, 0.185, 0.11, 0.21, 0.695, 0.642, 0.615, 0.608, 0.59, 0.535});
}
const std::vector<double> h9 = {0.82, 0.745, 0.643, 0.602, 0.5, 0.732, 0.663, 0.565, 0.53};

// Small correlations that never settle into clusters.
Sym near_identity(int n) {
  Sym s(n);
  for (int j = 1; j <= n; ++j) {
    s.set(j, j, 1.0);
    for (int i = j + 1; i <= n; ++i) s.set(i, j, 0.02 * std::sin(i * 7.0 + j * 3.0));
  }
  return s;
}

class Cc5Driver : public Cc5Run {
 protected:
  // The listing line that follows the first line holding `text` (the value of a scalar is
  // two lines below its caption).
  static std::string value_after(const std::vector<std::string>& lines, const std::string& text) {
    const int at = find_line(lines, text);
    if (at < 0 || at + 2 >= static_cast<int>(lines.size())) return "";
    return lines[static_cast<std::size_t>(at + 2)];
  }
  // The numbers of the row labelled `label` in the first table after `title`.
  static std::vector<double> row_after(const std::vector<std::string>& lines, const std::string& title,
                                       const std::string& label) {
    const int t = find_line(lines, title);
    const int r = find_line(lines, label, t);
    std::vector<double> v;
    if (t < 0 || r < 0) return v;
    std::istringstream in(lines[static_cast<std::size_t>(r)].substr(lines[static_cast<std::size_t>(r)].find(label) + label.size()));
    for (double x; in >> x;) v.push_back(x);
    return v;
  }
};

TEST_F(Cc5Driver, DefaultCardsListing) {
  put_inputs(r9(), h9);
  ASSERT_FALSE(run({card1({}), card2()}).stopped);
  const std::vector<std::string> lines = listing();
  const std::vector<std::string> in_order = {
      "C    C    5",
      "K E Y    C L U S T E R    ( M U T I P L E - G R O U P )    A N A L Y S I S",
      "CC5 TEST RUN",
      " DIMENSIONALITY OF SOLUTION DETERMINED BY COMMUNALITY EXHAUSTION CRITERION  (0.92000002)",
      " PIVOT VARIABLE SELECTED BY VARIANCE OF R-SQUARE METHOD",
      " KEY VARIABLES SELECTED BY MUTUAL COLLINEARITY METHOD",
      " REFLECTION OF CLUSTER SUBMATRIX IS OPTIMAL IF K IS 10 OR LESS, OTHERWISE BY FIRST-POWER METHOD",
      "CUMULATIVE COMMUNALITY (CC) KEY CLUSTER ANALYSIS",
      " MEAN SQUARE, M.S., OF RAW CORRELATION MATRIX EXCLUDING DIAGONAL",
      " INITIAL ESTIMATES OF COMMUNIALITY ARE FOUND IN DVP.",
      " SUM OF ESTIMATED COMMUNALITIES",
      "DIMENSIONAL ANALYSIS ITERATION NUMBER 1",
      " KEY CLUSTER DIMENSION 1",
      " PROPORTION OF INITIAL COMMUNALITY EXHAUSTED BY 1 DIMENSION",
      " KEY CLUSTER DIMENSION 2",
      " PROPORTION OF INITIAL COMMUNALITY EXHAUSTED BY 2 DIMENSIONS",
      "SUMMARY OF THE ANALYSIS",
      "(ITERATION NUMBER 4)",
      "SPECIAL CAUTIONS..",
      " Change of Communalities from Initial Estimates to Final Values",
      " PIVOT VARIABLES (FIRST ROW) AND KEY VARIABLES DEFINING THE DIMENSIONS",
      " ORTHO. FACTOR COEFFICIENTS",
      " PARTIAL COMMUNALITIES",
      " CUMULATIVE COMMUNALITIES AND TOTAL COMMUNALITY",
      " AUGMENTED FACTOR COEFFICIENTS",
      " SQUARED AUGMENTED CORRELATIONS",
      " MEAN RESIDUAL CONVERGED COMMUNALITY AFTER EACH OF THE 2 SUCCESSIVE DIMENSIONS",
      " CUMULATIVE PROPORTION OF CONVERGED COMMUNALIITY EXHAUSTED BY THE 2 SUCCESSIVE DIMENSIONS",
      " MEAN SQUARED RESIDUAL CORRELATION REMAINING AFTER EACH OF THE 2 SUCCESSIVE DIMENSIONS",
      " CUMULATIVE PROPORTION OF M.S. OF RAW CORRELATION MATRIX EXHAUSTED BY THE 2 SUCCESSIVE DIMENSIONS",
  };
  int at = 0;
  for (const std::string& t : in_order) {
    const int found = find_line(lines, t, at);
    ASSERT_NE(found, -1) << t;
    at = found;
  }
  EXPECT_NE(find_line(lines, " DIMENSIONALITY OF SOLUTION DETERMINED BY COMMUNALITY EXHAUSTION CRITERION  (0.92000002)"), -1);
  EXPECT_EQ(count_lines(lines, "DIMENSIONAL ANALYSIS ITERATION NUMBER"), 1);  // later passes print nothing
  EXPECT_EQ(count_lines(lines, "KEY CLUSTER DIMENSION 3"), 0);
  EXPECT_EQ(count_lines(lines, "COMMUNALITIES HAD NOT CONVERGED"), 0);
  // The whole solution is exhausted by its dimensions.
  const int pcomm = find_line(lines, "CUMULATIVE PROPORTION OF CONVERGED COMMUNALIITY");
  EXPECT_NE(find_line(lines, "1.000 Dimension_02", pcomm), -1);
  // The cautions stand in a 60-column block from column 29 of the 117 after the control
  // character; a paragraph's first line is indented by three.
  const int second = find_line(lines, "BETWEEN DIMENSION-DEFINING KEY CLUSTER VARIABLES");
  ASSERT_GE(second, 1);
  EXPECT_EQ(lines[static_cast<std::size_t>(second)].find_first_not_of(' '), 29u);
  EXPECT_EQ(lines[static_cast<std::size_t>(second - 1)].find_first_not_of(' '), 32u);
}

TEST_F(Cc5Driver, HeadingOfEachSetUp) {
  struct Case {
    std::map<int, std::string> fields;
    std::vector<std::string> card2_fields;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  };
  const std::vector<Case> cases = {
      {{{1, "2"}, {17, "3"}}, {}, {" DIMENSIONALITY OF SOLUTION SELECTED BY ANALYST (INPUT)  (3)"}, {"EXHAUSTION CRITERION"}},
      {{{1, "2"}}, {"", "0.85"}, {" DIMENSIONALITY OF SOLUTION DETERMINED BY SUM OF SQUARED R EXHAUSTION CRITERION  (0.85000002)"}, {}},
      {{{1, "3"}}, {}, {" DIMENSIONALITY OF SOLUTION DETERMINED BY COMMUNALITY INCREMENT CRITERION  ( 0.92000002)"}, {}},
      {{{9, "5"}, {5, "1"}},
       {},
       {"D I A G O N A L    ( P I V O T    V A R I A B L E  )    A N A L Y S I S",
        " THE VARIABLE HAVING HIGHEST RESIDUAL COMMUNALITY IS SELECTED AS THE ONLY CLUSTER VARIABLE"},
       {"PIVOT VARIABLE SELECTED BY"}},
      {{{9, "1"}, {13, "0"}}, {}, {" KEY VARIABLES SELECTED BY PIVOT VARIABLE COLLINEARITY METHOD", "PIVOT VARIABLE SELECTED BY"}, {"REFLECTION OF CLUSTER"}},
      {{{9, "8"}, {25, "1"}},
       {},
       {"S A L I E N T    C E N T R O I D    A N A L Y S I S", "| Using CC5 option for reducing amount of its output |",
        " ALL VARIABLES ARE KEY VARIABLES AND ARE ARRANGED IN ORDER OF DESCENDING VARIANCE OF SQUARED R"},
       {}},
      {{{9, "6"}}, {}, {" THE VARIABLE HAVING HIGHEST SUM OF SOUARED R IS SELECTED AS THE ONLY CLUSTER VARIABLE"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(card1(c.fields));
    fresh_process();
    put_inputs(r9(), h9);
    ASSERT_FALSE(run({card1(c.fields), card2(c.card2_fields)}).stopped);
    const std::vector<std::string> lines = listing();
    for (const std::string& t : c.present) EXPECT_NE(find_line(lines, t), -1) << t;
    for (const std::string& t : c.absent) EXPECT_EQ(find_line(lines, t), -1) << t;
  }
}

// An analysis type or criterion outside its range stops in the heading; what came before
// stays on the listing (no banner for an unknown type).
TEST_F(Cc5Driver, UnknownTypeOrCriterionStopsInTheHeading) {
  for (const auto& fields : {std::map<int, std::string>{{9, "10"}}, std::map<int, std::string>{{1, "5"}}}) {
    SCOPED_TRACE(card1(fields));
    fresh_process();
    put_inputs(r9(), h9);
    const Cc5Outcome o = run({card1(fields), card2()});
    EXPECT_TRUE(o.stopped);
    EXPECT_NE(o.console.find("CC5_heading: select case failure, KON1"), std::string::npos) << o.console;
    const std::vector<std::string> lines = listing();
    EXPECT_NE(find_line(lines, "C    C    5"), -1);
    EXPECT_EQ(find_line(lines, "A N A L Y S I S") != -1, fields.count(1) == 1);
    EXPECT_FALSE(on_isf("UFACT1"));
  }
}

TEST_F(Cc5Driver, CardErrors) {
  struct Case {
    std::vector<std::string> cards;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{card1({{9, "X"}}), card2()}, "BCDBIN ERROR: Unrecognized character in \"   X\"."},
      {{card1({{37, "-1"}}), card2()}, "BCDBIN ERROR: Unrecognized character in \"  -1\"."},
      {{card1({})}, "Unexpected end-of-file condition occurred."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    fresh_process();
    put_inputs(r9(), h9);
    const Cc5Outcome o = run(c.cards);
    EXPECT_TRUE(o.stopped);
    EXPECT_NE(o.console.find(c.message), std::string::npos) << o.console;
  }
}

// The passes and the summary: one pass, n passes, iteration to convergence, and the limit
// of 31 passes (also for ITERC above 31); a diagonal analysis never iterates.
TEST_F(Cc5Driver, PassesAndSummaryLines) {
  struct Case {
    std::map<int, std::string> fields;
    std::string tolerance;
    std::vector<std::string> lines;
    std::vector<std::string> absent;
  };
  const std::vector<Case> cases = {
      {{{21, "1"}}, "", {"SUMMARY OF THE ANALYSIS", "(ITERATION NUMBER 1)"}, {"HAD NOT CONVERGED", "AFTER CONVERGENCE"}},
      {{{21, "3"}}, "", {"SUMMARY OF THE ANALYSIS", "(ITERATION NUMBER 3)"}, {"HAD NOT CONVERGED", "AFTER CONVERGENCE"}},
      {{{21, "0"}}, "0", {"SUMMARY OF THE ANALYSIS", "COMMUNALITIES HAD NOT CONVERGED", "AFTER  31 ITERATIONS", "(ITERATION NUMBER 31)"}, {"AFTER CONVERGENCE"}},
      {{{21, "40"}}, "", {"COMMUNALITIES HAD NOT CONVERGED", "AFTER  31 ITERATIONS", "(ITERATION NUMBER 31)"}, {"AFTER CONVERGENCE"}},
      {{{21, "0"}}, "0.5", {"SUMMARY OF THE ANALYSIS", "AFTER CONVERGENCE AT 0.5000", "(ITERATION NUMBER 2)"}, {"HAD NOT CONVERGED"}},
      {{{9, "5"}, {21, "4"}}, "", {"SUMMARY OF THE ANALYSIS", "(ITERATION NUMBER 1)"}, {"HAD NOT CONVERGED", "AFTER CONVERGENCE"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(card1(c.fields) + "|" + c.tolerance);
    fresh_process();
    put_inputs(r9(), h9);
    ASSERT_FALSE(run({card1(c.fields), card2({"", "", c.tolerance})}).stopped);
    const std::vector<std::string> lines = listing();
    int at = find_line(lines, "SUMMARY OF THE ANALYSIS");
    for (const std::string& t : c.lines) {
      at = find_line(lines, t, at);
      EXPECT_NE(at, -1) << t;
    }
    for (const std::string& t : c.absent) EXPECT_EQ(find_line(lines, t), -1) << t;
    EXPECT_FALSE(diagv1().empty());
  }
}

// Later passes print at the level of card 1 columns 69-72: blank (or 2) nothing at all,
// 0 only the final pass, 1 every pass, with the reflected variables listed again. Columns
// 65-68 = 1 add the residual matrix after every dimension of a printed pass.
TEST_F(Cc5Driver, PrintLevelsOfTheLaterPasses) {
  put_inputs(r9(), h9);
  ASSERT_FALSE(run({card1({{21, "3"}}), card2()}).stopped);
  const std::vector<std::string> first_only = listing();
  const int reflected = count_lines(first_only, "VARIABLES REFLECTED");
  ASSERT_GE(reflected, 1);
  const int nf = ufact1().nf;
  EXPECT_EQ(count_lines(first_only, "DIMENSIONAL ANALYSIS ITERATION NUMBER"), 1);

  struct Case {
    std::string field69;
    std::vector<int> headings;  // passes with a heading
    int reflected_lists;
    int residual_titles;  // key clusters under the later-pass title
  };
  const std::vector<Case> cases = {
      {"2", {1}, reflected, 0},
      {"0", {1, 3}, reflected, reflected},
      {"1", {1, 2, 3}, 3 * reflected, 2 * reflected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("columns 69-72: " + c.field69);
    fresh_process();
    put_inputs(r9(), h9);
    ASSERT_FALSE(run({card1({{21, "3"}, {69, c.field69}}), card2()}).stopped);
    const std::vector<std::string> lines = listing();
    EXPECT_EQ(count_lines(lines, "DIMENSIONAL ANALYSIS ITERATION NUMBER"), static_cast<int>(c.headings.size()));
    for (int h : c.headings) EXPECT_NE(find_line(lines, "DIMENSIONAL ANALYSIS ITERATION NUMBER " + std::to_string(h)), -1);
    EXPECT_EQ(count_lines(lines, "VARIABLES REFLECTED"), c.reflected_lists);
    EXPECT_EQ(count_lines(lines, "RESIDUAL CORRELATIONS BETWEEN THE KEY CLUSTER VARIABLES (AS REFLECTED) OF DIMENSION"),
              c.residual_titles);
    EXPECT_EQ(find_line(lines, "(AS REFLECTED) OF DIMENSION1") != -1, c.residual_titles > 0);
  }

  fresh_process();
  put_inputs(r9(), h9);
  ASSERT_FALSE(run({card1({{21, "3"}, {65, "1"}}), card2()}).stopped);
  EXPECT_EQ(count_lines(listing(), "RESIDUAL MATRIX"), nf);
}

// With reduced output the variable-by-variable lists go; the key lists, the proportions,
// the key clusters and the cumulative table stay.
TEST_F(Cc5Driver, ReducedOutput) {
  put_inputs(r9(), h9);
  ASSERT_FALSE(run({card1({{25, "1"}}), card2()}).stopped);
  const std::vector<std::string> lines = listing();
  for (const std::string gone : {"SUM OF THE SQUARED CORRELATIONS", "VARIANCE OF THE SQUARED CORRELATIONS", "PSQ VALUES",
                                  "FACTOR COEFFICIENTS ON DIMENSION", "PARTIAL COMMUNALITIES", "CUMULATIVE SUM OF PARTIAL",
                                  "AUGMENTED"}) {
    EXPECT_EQ(find_line(lines, gone), -1) << gone;
  }
  for (const std::string kept : {"KEY VARIABLES DEFINING DIMENSION 1", "CORRELATIONS BETWEEN THE KEY CLUSTER VARIABLES",
                                  "PROPORTION OF INITIAL COMMUNALITY EXHAUSTED BY 1 DIMENSION",
                                  "CUMULATIVE COMMUNALITIES AND TOTAL COMMUNALITY", "ORTHO. FACTOR COEFFICIENTS",
                                  "MEAN RESIDUAL CONVERGED COMMUNALITY"}) {
    EXPECT_NE(find_line(lines, kept), -1) << kept;
  }
}

TEST_F(Cc5Driver, MissingAndInconsistentInputs) {
  struct Case {
    std::string what;
    int code;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"no IDFILE", 10005, ""},
      {"no CORRM1", 10005, ""},
      {"no DIAGV1", 10005, ""},
      {"VNAMS1 of 7", 0, "CC5_inital: VNAMS1 is inconsistent with CORRM1."},
      {"VNAMS1 counting inactive variables", 0, "CC5_inital: VNAMS1 is inconsistent with CORRM1 (SLEEP CASE)."},
      {"REORD1 counting one inactive of 8", 0, "CC5_inital: REORD1 is inconsistent with CORRM1 (SLEEP CASE)."},
      {"DIAGV1 of 5", 0, "CC5_inital: DIAGV1 is inconsistent with CORRM1."},
      {"DIAGV1 with one size word", 0, "CC5_initial: DIAGV1KPAR parameters are inconsistant"},
  };
  const Sym r = near_identity(6);
  const std::vector<double> h(6, 0.5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fresh_process();
    if (c.what != "no IDFILE") put_title();
    if (c.what != "no CORRM1") put_corr(r);
    if (c.what == "DIAGV1 of 5") {
      put_diag({0.5, 0.5, 0.5, 0.5, 0.5});
    } else if (c.what == "DIAGV1 with one size word") {
      std::vector<float> x(6, 0.5f);
      Kpar kpar{1, 6};
      std::int32_t notfound = 0;
      isf_real_vector("DIAGV1", 1, kpar, notfound, x);
    } else if (c.what != "no DIAGV1") {
      put_diag(h);
    }
    if (c.what == "VNAMS1 of 7") put_names(std::vector<std::string>(7, "X"));
    if (c.what == "VNAMS1 counting inactive variables") put_names(std::vector<std::string>(6, "X"), 2);
    if (c.what == "REORD1 counting one inactive of 8") {
      put_names(std::vector<std::string>(8, "X"), 2);
      put_reord({1, 2, 3, 4, 5, 6, 7, 8}, 1);
    }
    const Cc5Outcome o = run({card1({}), card2()});
    EXPECT_TRUE(o.stopped);
    EXPECT_EQ(o.code, c.code);
    if (c.code == 10005) {
      const std::string label = c.what.substr(3);
      EXPECT_NE(find_line(listing(), "CANNOT FIND " + label + " FILE ON INTERMEDIATE STORAGE FILE"), -1);
    } else {
      EXPECT_NE(o.console.find(c.message), std::string::npos) << o.console;
    }
    EXPECT_FALSE(on_isf("UFACT1"));
  }
}

// Numbers and names follow the active-variable protocol: a REORD1 left behind by an undone
// selection is not read, while a selection in force lists the original numbers (here
// variables 3 and 6 of 8 are set aside); without VNAMS1 the names are VAR_ and the
// position, as many digits as the number of variables has.
TEST_F(Cc5Driver, NamesAndNumbers) {
  const Sym r = near_identity(6);
  put_inputs(r, std::vector<double>(6, 0.5));
  put_names({"A", "B", "C", "D", "E", "F"});
  put_reord({8, 7, 6, 5, 4, 3, 2, 1}, 2);  // stale
  ASSERT_FALSE(run({card1({{9, "5"}, {17, "1"}}), card2()}).stopped);
  std::vector<double> row = row_after(listing(), "Change of Communalities", "     6  F");
  EXPECT_EQ(row.size(), 3u);

  fresh_process();
  put_title();
  put_corr(r);
  put_diag(std::vector<double>(6, 0.5), 3, 2);  // DIAGV1 written while the selection held
  put_names({"A", "B", "D", "E", "G", "H", "C", "F"}, 2);
  put_reord({1, 2, 4, 5, 7, 8, 3, 6}, 2);
  ASSERT_FALSE(run({card1({{9, "5"}, {17, "1"}}), card2()}).stopped);
  row = row_after(listing(), "Change of Communalities", "     8  H");
  EXPECT_EQ(row.size(), 3u);

  fresh_process();
  put_inputs(near_identity(12), std::vector<double>(12, 0.5));
  ASSERT_FALSE(run({card1({{9, "5"}, {17, "1"}}), card2()}).stopped);
  const std::vector<std::string> lines = listing();
  EXPECT_NE(find_line(lines, "    1  VAR_01"), -1);
  EXPECT_NE(find_line(lines, "   12  VAR_12"), -1);
}

// Estimates enter limited to [0, 1] (one that is not a number as 0): the pivot of
// the highest residual communality, at 1.3, has the coefficient 1.
TEST_F(Cc5Driver, EstimatesAreLimitedToTheUnitInterval) {
  put_inputs(near_identity(6), {1.3, -0.2, std::numeric_limits<double>::quiet_NaN(), 0.5, 0.5, 0.5});
  ASSERT_FALSE(run({card1({{9, "5"}, {17, "1"}}), card2()}).stopped);
  EXPECT_EQ(ufact1()(1, 1), 1.0f);
  const std::vector<std::string> lines = listing();
  const std::vector<double> initial = {row_after(lines, "Change of Communalities", "VAR_1").at(0),
                                       row_after(lines, "Change of Communalities", "VAR_2").at(0),
                                       row_after(lines, "Change of Communalities", "VAR_3").at(0)};
  EXPECT_EQ(initial, (std::vector<double>{1.0, 0.0, 0.0}));
  EXPECT_EQ(value_after(lines, "SUM OF ESTIMATED COMMUNALITIES"), "          2.500");
}

// The number of dimensions: with NDIM the first pass extracts that many even when the
// exhaustion level was reached long before (at most 50); without it, the exhaustion level
// decides, and a structure that never exhausts stops at 50.
TEST_F(Cc5Driver, NumberOfDimensions) {
  struct Case {
    int n;
    std::string ndim;
    std::string level;
    int nf;
  };
  const std::vector<Case> cases = {
      {9, "3", "0.0001", 3},
      {9, "", "0.0001", 1},
      {60, "", "1.0", 50},
      {60, "55", "", 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("n " + std::to_string(c.n) + " NDIM " + c.ndim + " level " + c.level);
    fresh_process();
    if (c.n == 9) {
      put_inputs(r9(), h9);
    } else {
      put_inputs(near_identity(c.n), std::vector<double>(static_cast<std::size_t>(c.n), 1.0));
    }
    ASSERT_FALSE(run({card1({{9, "5"}, {17, c.ndim}}), card2({"", c.level})}).stopped);
    EXPECT_EQ(ufact1().nf, c.nf);
    EXPECT_EQ(table("CLUST1").size(), static_cast<std::size_t>(c.nf));
  }
}

// A key whose residual communality is 0 cannot form a dimension: three lines on the
// console and the listing, then the processing error; nothing is stored.
TEST_F(Cc5Driver, ComputationalFailure) {
  put_inputs(near_identity(6), {0.5, 0.0, 0.5, 0.5, 0.5, 0.5});
  const Cc5Outcome o = run({card1({{9, "3"}, {17, "2"}}), card2(), "1.", "2."});
  EXPECT_TRUE(o.stopped);
  const std::string lines = "Communality has gone below zero.\nPlease preset number of dimensions smaller.\n"
                            "Columns 1-4 to 4 and columns 17-20 to 1\n";
  EXPECT_NE(o.console.find(lines), std::string::npos) << o.console;
  EXPECT_NE(o.console.find("CC5>CCDIMR: Computational failure."), std::string::npos);
  const std::vector<std::string> listed = listing();
  EXPECT_NE(find_line(listed, " Communality has gone below zero."), -1);
  EXPECT_NE(find_line(listed, " Columns 1-4 to 4 and columns 17-20 to 1"), -1);
  EXPECT_FALSE(on_isf("UFACT1"));
  EXPECT_FALSE(on_isf("CLUST1"));
}

// Ratios with a zero divisor print 0: an identity matrix has no off-diagonal mean square
// to exhaust, and a variable left with no communality has no augmented coefficients.
// Correlations that are not numbers never reach the ISF.
TEST_F(Cc5Driver, GuardsAgainstZeroDivisorsAndValuesThatAreNotNumbers) {
  put_inputs(Sym::from_lower(4, std::vector<double>(6, 0.0)), {1.0, 1.0, 0.0, 1.0});
  ASSERT_FALSE(run({card1({{9, "5"}, {17, "3"}}), card2()}).stopped);
  const std::vector<std::string> lines = listing();
  for (const std::string& l : lines) {
    EXPECT_EQ(l.find("NaN"), std::string::npos) << l;
    EXPECT_EQ(l.find("nan"), std::string::npos) << l;
    EXPECT_EQ(l.find("Inf"), std::string::npos) << l;
  }
  EXPECT_EQ(value_after(lines, "PROPORTION OF MEAN SQUARE OF RAW CORRELATION MATRIX EXHAUSTED BY 1 DIMENSION"), "          1.000");
  EXPECT_EQ(row_after(lines, "AUGMENTED FACTOR COEFFICIENTS", "VAR_3"), (std::vector<double>{0.0, 0.0, 0.0}));
  EXPECT_EQ(row_after(lines, "SQUARED AUGMENTED CORRELATIONS", "VAR_3"), (std::vector<double>{0.0, 0.0, 0.0}));
  EXPECT_EQ(diagv1(), (std::vector<float>{1.0f, 1.0f, 0.0f, 1.0f}));

  fresh_process();
  Sym bad = near_identity(4);
  bad.set(2, 1, std::numeric_limits<double>::quiet_NaN());
  put_inputs(bad, {0.5, 0.5, 0.5, 0.5});
  const Cc5Outcome o = run({card1({{9, "3"}, {17, "1"}}), card2(), "1,2."});
  EXPECT_TRUE(o.stopped);
  EXPECT_NE(o.console.find("CC5_output: a factor coefficient is not a finite number; nothing stored."), std::string::npos)
      << o.console;
  EXPECT_FALSE(on_isf("UFACT1"));
  EXPECT_FALSE(on_isf("CLUST1"));
}

// On a line narrower than 62 characters the cautions start in the first column and keep
// within the line.
TEST_F(Cc5Driver, CautionsOnANarrowLine) {
  put_inputs(r9(), h9);
  set_ncline(50);
  ASSERT_FALSE(run({card1({}), card2()}).stopped);
  const std::vector<std::string> lines = listing();
  const int first = find_line(lines, "SPECIAL CAUTIONS..");
  const int last = find_line(lines, "Change of Communalities");
  ASSERT_NE(first, -1);
  ASSERT_GT(last, first);
  for (int i = first; i < last; ++i) EXPECT_LE(lines[static_cast<std::size_t>(i)].size(), 50u) << lines[static_cast<std::size_t>(i)];
  const int second = find_line(lines, "(1) ON THE PRECEDING PAGES", first);
  ASSERT_NE(second, -1);
  EXPECT_EQ(lines[static_cast<std::size_t>(second)].find_first_not_of(' '), 4u);
  EXPECT_EQ(lines[static_cast<std::size_t>(second + 1)].find_first_not_of(' '), 1u);
}

}  // namespace
}  // namespace korvex
