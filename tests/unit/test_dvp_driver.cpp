// The *DVP component as a whole, run in-process on a fresh ISF: the parameter card and its
// errors, the method titles and the initial pass, the inputs and their absence, the
// active-variable numbers, the scratch file, the state kept between runs, and the guards
// that keep every estimate finite (constant variables, singular matrices, the fallbacks of
// approximation B and the proportional fit, the quadratic formula's steps).
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "test_dvp_fixture.hpp"

namespace korvex {
namespace {

using testing::Corr;
using testing::DvpRun;

Corr three() { return Corr::from_lower(3, {0.6f, 0.5f, 0.3f}); }

Corr six() {
  return Corr::from_lower(6, {0.611f, 0.548f, 0.235f, 0.146f, 0.332f, 0.525f, 0.300f, 0.205f, 0.353f, 0.343f,
                              0.246f, 0.360f, 0.468f, 0.409f, 0.317f});
}

// Eight variables, of which 1 and 2 have no spread (r = 0 with everything).
Corr with_constants() {
  Corr c = Corr::from_lower(8, std::vector<float>(28, 0.0f));
  const float r[6][6] = {{1, .6f, .5f, .4f, .3f, .2f},  {.6f, 1, .45f, .35f, .25f, .15f},
                         {.5f, .45f, 1, .3f, .2f, .1f}, {.4f, .35f, .3f, 1, .5f, .4f},
                         {.3f, .25f, .2f, .5f, 1, .3f}, {.2f, .15f, .1f, .4f, .3f, 1}};
  for (int i = 0; i < 6; ++i) {
    for (int j = 0; j < 6; ++j) c.set(i + 3, j + 3, r[i][j]);
  }
  return c;
}

class DvpDriver : public DvpRun {};

// ---- the card and the method table --------------------------------------------------------

TEST_F(DvpDriver, TitlesOfEveryMethodAndOfTheInitialPass) {
  struct Case {
    std::vector<std::string> fields;
    std::vector<std::string> titles;  // in listing order
  };
  const std::vector<Case> cases = {
      {{"10"}, {"Communality Estimates by Squared Multiple Correlations"}},
      {{"31"}, {"Communality Estimates by Converged Quadratic Formula"}},
      {{"32", "", "", "71"},
       {"Initial Diagonal Values Set to One", "Communality Estimates by Converged Quadratic Formula"}},
      {{"50", "", "", "40"},
       {"Initial Communiality Estimates by Approximation B (Excluding Diagonals)",
        "Communality Estimates by Highest Absolute R"}},
      {{"51", "", "", "41"},
       {"Initial Communality Estimates by Modified Approximation B (Highest Absolute R in Diagonal)",
        "Communality Estimates by Average Absolute R"}},
      {{"40", "", "", "51"}, {"Initial Communality Estimates by Average Absolute R",
                              "Communality Estimates by Approximation B (Excluding Diagonal}"}},
      {{"71", "", "", "52"}, {"Initial Communiality Estimates by Triads", "Diagonal Values Set to One"}},
      {{"70", "", "", "60"},
       {"Initial Communiality Estimates by Proporational Fit", "Diagonal Values Set to Zero"}},
      {{"60", "", "", "50"},
       {"Initial Communality Estimates by Highest Absolute R", "Communiality Estimates by Proporational Fit"}},
      {{"52", "", "", "70"}, {"Initial Diagonal Values Set to Zero", "Communiality Estimates by Triads"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(card(c.fields));
    fresh_process();
    put_inputs(six());
    ASSERT_FALSE(run({card(c.fields)}).stopped);
    const std::vector<std::string> lines = listing();
    int at = 0;
    for (const std::string& t : c.titles) {
      at = find_line(lines, " " + t, at);
      EXPECT_GE(at, 0) << t;
      EXPECT_EQ(lines[static_cast<std::size_t>(std::max(at, 0))], " " + t);
    }
    EXPECT_EQ(count_lines(lines, "Estimates by") + count_lines(lines, "Values Set to"),
              static_cast<int>(c.titles.size()));
  }
}

TEST_F(DvpDriver, CardErrorsStopBeforeAnythingIsStored) {
  struct Case {
    std::string card;
    std::string message;
  };
  const std::vector<Case> cases = {
      {card({"20"}), "DVP method (columns 1-4) is invalid"},
      {card({"42"}), "DVP method (columns 1-4) is invalid"},
      {card({"0"}), "DVP method (columns 1-4) is invalid"},
      {card({"50", "", "", "10"}), "DVP initial method (columns 13-16) is invalid"},
      {card({"50", "", "", "30"}), "DVP initial method (columns 13-16) is invalid"},
      {card({"50", "", "", "53"}), "DVP initial method (columns 13-16) is invalid"},
      {card({"50", "", "", "", "1A"}), "BCDBIN ERROR: Unrecognized character in \"  1A\"."},
      {card({"-50"}), "BCDBIN ERROR: Unrecognized character in \" -50\"."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.card);
    fresh_process();
    put_inputs(three());
    const testing::DvpStop s = run({c.card});
    EXPECT_TRUE(s.stopped);
    EXPECT_EQ(s.code, 0);
    EXPECT_NE(s.console.find("\n " + c.message + "\n"), std::string::npos) << s.console;
    EXPECT_TRUE(diagv1().empty());
  }
}

TEST_F(DvpDriver, MissingCardAndMissingEntries) {
  // No card at all.
  put_inputs(three());
  testing::DvpStop s = run({});
  EXPECT_TRUE(s.stopped);
  EXPECT_NE(s.console.find("Error occurred reading parameter record: Bad io_stat = -01"), std::string::npos);

  // IDFILE and CORRM1 are required; the listing says which one is missing.
  for (const std::string label : {"IDFILE", "CORRM1"}) {
    fresh_process();
    if (label == "CORRM1") put_title();
    if (label == "IDFILE") put_corr(three());
    s = run({card({"50"})});
    EXPECT_TRUE(s.stopped) << label;
    EXPECT_EQ(s.code, 10005) << label;
    EXPECT_GE(find_line(listing(), "0CANNOT FIND " + label + " FILE ON INTERMEDIATE STORAGE FILE"), 0) << label;
    EXPECT_TRUE(diagv1().empty()) << label;
  }
}

TEST_F(DvpDriver, SpareFieldAndImpliedDecimalsOfTheTolerance) {
  // Digits in columns 17-20 change nothing; the tolerance "  05" has four implied decimals
  // (0.0005), which the quadratic formula does not reach in 40 sweeps, while ".05" is
  // reached in 3.
  put_inputs(Corr::from_lower(6, {0.611f, 0.548f, 0.235f, 0.146f, 0.332f, 0.525f, 0.300f, 0.205f, 0.353f,
                                  0.343f, 0.246f, 0.360f, 0.468f, 0.409f, 0.317f}));
  ASSERT_FALSE(run({card({"30", "", "", "", "9999", ".05"})}).stopped);
  const std::vector<float> converged = diagv1();
  EXPECT_EQ(count_lines(listing(), "ITERATIONS THE PROGRAM IS PROCEEDING"), 0);
  ASSERT_FALSE(run({card({"30", "", "", "", "", "  05"})}).stopped);
  EXPECT_EQ(count_lines(listing(), " AFTER 40 ITERATIONS THE PROGRAM IS PROCEEDING, ALTHOUGH THE FOLLOWING ARE NOT"), 1);
  ASSERT_FALSE(run({card({"30", "", "", "", "", ".05"})}).stopped);
  EXPECT_EQ(diagv1(), converged);
  // An iteration limit of three digits (columns 29-32 hold up to 9999) is shown whole, not
  // as the asterisks of a two-column field.
  ASSERT_FALSE(run({card({"30", "", "", "", "", "0.0", "", "150"})}).stopped);
  EXPECT_EQ(count_lines(listing(), " AFTER 150 ITERATIONS THE PROGRAM IS PROCEEDING, ALTHOUGH THE FOLLOWING ARE NOT"), 1);
}

// ---- the listing around the estimates ----------------------------------------------------

TEST_F(DvpDriver, HeadingAndQuadraticFormulaHeading) {
  put_inputs(three());
  ASSERT_FALSE(run({card({"30", "", "", "", "", "", "", "1"})}).stopped);
  const std::vector<std::string> lines = listing();
  const std::vector<std::string> head = {
      " ",
      "1KORVEX" + std::string(102, ' ') + "Page    1",
      " ", " ", " ", " ", " ",
      std::string(36, ' ') + "D I A G O N A L    V A L U E S    P R O G R A M",
      " ", " ",
      std::string(53, ' ') + "DVP TEST RUN",
      " ", " ", " ", " ",
      std::string(24, ' ') + "Communalities Estimates by Quadratic Formula Method",
      " ", " ",
      " Initial Communality Estimates by Highest Absolute R",
  };
  ASSERT_GE(lines.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<int>(head.size())), head);
  // Reference lists, the notice of maxit 1, then the final listing.
  const int refs = find_line(lines, " Reference Variables for Computing the Communality of Each Variable");
  const int notice = find_line(lines, " AFTER  1 ITERATIONS THE PROGRAM IS PROCEEDING, ALTHOUGH THE FOLLOWING ARE NOT");
  const int final_title = find_line(lines, " Communality Estimates by Converged Quadratic Formula");
  EXPECT_LT(0, refs);
  EXPECT_LT(refs, notice);
  EXPECT_LT(notice, final_title);
}

TEST_F(DvpDriver, LargestCorrelationsAndPsqMatrixOnRequest) {
  put_inputs(six());
  ASSERT_FALSE(run({card({"40", "3", "1"})}).stopped);
  std::vector<std::string> lines = listing();
  const int top = find_line(lines, "Largest Correlations for Each Variable");
  const int psq = find_line(lines, " Matrix of PSQ values");
  const int title = find_line(lines, " Communality Estimates by Approximation B (Excluding Diagonal}");
  EXPECT_GE(top, 0);
  EXPECT_LT(top, psq);
  EXPECT_LT(psq, title);

  // kpsq 2 prints nothing more than kpsq 0; ntop 0 no largest correlations.
  fresh_process();
  put_inputs(six());
  ASSERT_FALSE(run({card({"40", "", "2"})}).stopped);
  lines = listing();
  EXPECT_EQ(find_line(lines, "Matrix of PSQ values"), -1);
  EXPECT_EQ(find_line(lines, "Largest Correlations"), -1);
}

TEST_F(DvpDriver, IterationTablesOfTheQuadraticFormula) {
  put_inputs(six());
  ASSERT_FALSE(run({card({"30", "", "", "", "", "", "1", "3"})}).stopped);
  std::vector<std::string> lines = listing();
  const int diffs = find_line(lines, " Differences Between Current Iteration Estimate of Communality and Previous Iteration Estimate");
  const int ests = find_line(lines, " Communality Estimates After Each Iteration ");
  ASSERT_GE(diffs, 0);
  ASSERT_GT(ests, diffs);
  EXPECT_GE(find_line(lines, "     1  Delta_1 ", diffs), 0);
  EXPECT_GE(find_line(lines, "     0  Initial ", ests), 0);
  EXPECT_GE(find_line(lines, "     1  Iter_1  ", ests), 0);

  // maxit 0: no sweep, the Initial row only, the notice shows 0 and the estimates stay.
  fresh_process();
  put_inputs(six());
  ASSERT_FALSE(run({card({"30", "", "", "", "", "", "1", "0"})}).stopped);
  lines = listing();
  EXPECT_EQ(find_line(lines, "Delta_"), -1);
  EXPECT_GE(find_line(lines, "     0  Initial "), 0);
  EXPECT_EQ(find_line(lines, "Iter_"), -1);
  EXPECT_GE(find_line(lines, " AFTER  0 ITERATIONS THE PROGRAM IS PROCEEDING"), 0);
  EXPECT_EQ(diagv1(), six().highest());
  for (int k = 1; k <= 6; ++k) EXPECT_EQ(dvp::dvp_state().r(k, k), 0.0f);
}

// ---- names, numbers and state -------------------------------------------------------------

TEST_F(DvpDriver, NumbersFollowTheActiveVariableProtocol) {
  struct Case {
    const char* what;
    bool selection;
    bool reord;
    std::vector<std::string> rows;  // the first three rows of the listing
  };
  const std::vector<Case> cases = {
      {"no selection", false, true,
       {"          1  0.600  Alpha  |", "          2  0.600   Beta  |", "          3  0.500  Gamma  |"}},
      {"selection in force", true, true,
       {"          2  0.600  Alpha  |", "          5  0.600   Beta  |", "          7  0.500  Gamma  |"}},
      {"selection without REORD1", true, false,
       {"          1  0.600  Alpha  |", "          2  0.600   Beta  |", "          3  0.500  Gamma  |"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fresh_process();
    put_inputs(three());
    // Three active variables of seven; REORD1 is consulted only under a selection.
    put_names({"Alpha", "Beta", "Gamma", "Delta", "Eps", "Zeta", "Eta"}, c.selection ? 4 : -1);
    if (c.reord) put_reord({2, 5, 7, 1, 3, 4, 6}, 4);
    ASSERT_FALSE(run({card({"50"})}).stopped);
    const std::vector<std::string> lines = listing();
    const int title = find_line(lines, " Communality Estimates by Highest Absolute R");
    ASSERT_GE(title, 0);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + title + 2, lines.begin() + title + 5), c.rows);
    EXPECT_EQ(diagv1().size(), 3u);
  }
}

TEST_F(DvpDriver, ScratchFileIsTheComponentsOwn) {
  put_inputs(six());
  ASSERT_FALSE(run({card({"41"})}).stopped);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "MTSC1"));

  fresh_process();
  put_inputs(six());
  write_file("MTSC1", "left over");
  const testing::DvpStop s = run({card({"50"})});
  EXPECT_TRUE(s.stopped);
  EXPECT_EQ(s.code, 5303);
  EXPECT_NE(s.console.find(" Temp file exists: "), std::string::npos);
}

TEST_F(DvpDriver, QuadraticFormulaStartsFromThePreviousRunsValues) {
  // Methods 31 and 32 without an initial method start from what diag holds: the last run's
  // values; maxit 0 hands them back unchanged. A fresh process starts from zeros.
  put_inputs(six());
  ASSERT_FALSE(run({card({"50"})}).stopped);
  ASSERT_FALSE(run({card({"31", "", "", "", "", "", "", "0"})}).stopped);
  EXPECT_EQ(diagv1(), six().highest());
  EXPECT_EQ(count_lines(listing(), "Communalities Estimates by Quadratic Formula Method"), 0);
  EXPECT_EQ(count_lines(listing(), "Initial"), 0);

  fresh_process();
  put_inputs(six());
  ASSERT_FALSE(run({card({"32", "", "", "", "", "", "", "0"})}).stopped);
  EXPECT_EQ(diagv1(), std::vector<float>(6, 0.0f));
}

TEST_F(DvpDriver, InitialValuesDoNotReachTheFinalMethod) {
  put_inputs(six());
  ASSERT_FALSE(run({card({"60", "", "", "70"})}).stopped);
  const std::vector<float> after_zero = diagv1();
  ASSERT_FALSE(run({card({"60", "", "", "71"})}).stopped);
  EXPECT_EQ(diagv1(), after_zero);
  ASSERT_FALSE(run({card({"50", "", "", "71"})}).stopped);
  EXPECT_EQ(diagv1(), six().highest());
}

// ---- guards and fallbacks -----------------------------------------------------------------

TEST_F(DvpDriver, EveryMethodStaysFiniteWithConstantVariables) {
  for (const char* method : {"10", "30", "31", "32", "40", "41", "50", "51", "52", "60", "70", "71"}) {
    SCOPED_TRACE(method);
    fresh_process();
    put_inputs(with_constants());
    ASSERT_FALSE(run({card({method})}).stopped);
    const std::vector<float> d = diagv1();
    ASSERT_EQ(d.size(), 8u);
    for (float v : d) EXPECT_TRUE(std::isfinite(v));
    if (std::string(method) != "71") {
      EXPECT_EQ(d[0], 0.0f);
      EXPECT_EQ(d[1], 0.0f);
    }
  }
}

TEST_F(DvpDriver, ProportionalFitKeepsTheEstimateOfASingularFit) {
  // Variables 1 and 2 are constant: each takes the other among its references, so its
  // normal equations are singular and it keeps its starting value 0, once per sweep.
  put_inputs(with_constants());
  ASSERT_FALSE(run({card({"60", "", "", "", "", "", "", "", "", "2"})}).stopped);
  const std::vector<std::string> lines = listing();
  EXPECT_EQ(count_lines(lines, " THE NORMAL EQUATIONS FOR VARIABLE   1 ARE SINGULAR; ITS PREVIOUS ESTIMATE IS KEPT"), 2);
  EXPECT_EQ(count_lines(lines, " THE NORMAL EQUATIONS FOR VARIABLE   2 ARE SINGULAR; ITS PREVIOUS ESTIMATE IS KEPT"), 2);
  EXPECT_EQ(count_lines(lines, "ARE SINGULAR; ITS PREVIOUS ESTIMATE IS KEPT"), 4);
}

TEST_F(DvpDriver, QuadraticFormulaStepsThatAreNotNumbers) {
  // From zero estimates (a fresh process, method 31) every reference variable has a zero
  // diagonal element, the inverse's corner is 0 and every step is 0/0: the estimates keep
  // their values, the iteration never converges and says so.
  put_inputs(Corr::from_lower(4, {0.6f, 0.5f, 0.4f, 0.3f, 0.2f, 0.35f}));
  ASSERT_FALSE(run({card({"31", "", "", "", "", "", "", "3"})}).stopped);
  EXPECT_EQ(diagv1(), std::vector<float>(4, 0.0f));
  const std::vector<std::string> lines = listing();
  EXPECT_EQ(count_lines(lines, " AFTER  3 ITERATIONS THE PROGRAM IS PROCEEDING, ALTHOUGH THE FOLLOWING ARE NOT"), 1);
  EXPECT_EQ(count_lines(lines, " THE QUADRATIC FORMULA GAVE NO NUMBER FOR  12 STEP(S); THOSE ESTIMATES WERE KEPT"), 1);
}

TEST_F(DvpDriver, QuadraticFormulaShrinksASingularMatrix) {
  // Variable 4 is variable 3 again, so each is the other's first reference; with estimates
  // of 1 their bordered matrix is singular and a smaller one is taken (told with ktab 1).
  put_inputs(Corr::from_lower(5, {0.5f, 0.4f, 0.4f, 0.3f, 0.45f, 0.45f, 0.2f, 1.0f, 0.25f, 0.25f}));
  ASSERT_FALSE(run({card({"30", "", "", "71", "", "", "1", "1"})}).stopped);
  const std::vector<std::string> lines = listing();
  EXPECT_GE(find_line(lines, " THE MATRIX FOR VARIABLE   3COMPOSED WITH  1 OTHER VARIABLES IS SINGULAR, A SMALLER MATRIX WILL BE CONSIDERED"), 0);
  for (float v : diagv1()) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(DvpDriver, SquaredMultipleCorrelationsOfASingularMatrix) {
  // Variables 2 and 4 are the same variable: rank 3, highest r instead.
  const Corr c = Corr::from_lower(4, {0.3f, 0.2f, 0.3f, 0.1f, 1.0f, 0.1f});
  put_inputs(c);
  ASSERT_FALSE(run({card({"10"})}).stopped);
  EXPECT_EQ(diagv1(), c.highest());
  const std::vector<std::string> lines = listing();
  const int report = find_line(lines, " *** Error: The matix inversion routine has detected a singularity.");
  ASSERT_GE(report, 0);
  const std::vector<std::string> want = {
      " *** Error: The matix inversion routine has detected a singularity.",
      "     The matrix is of rank   3.",
      "     The following is a set of linearly independent rows: ",
      "",
      "             1       2       3",
  };
  EXPECT_EQ(std::vector<std::string>(lines.begin() + report, lines.begin() + report + 5), want);
  const int warning = find_line(lines, "*** WARNING: CORRELATION MATRIX IS SINGULAR, METHOD CHANGED TO HIGHEST R");
  EXPECT_EQ(lines[static_cast<std::size_t>(warning)], "*** WARNING: CORRELATION MATRIX IS SINGULAR, METHOD CHANGED TO HIGHEST R");
  EXPECT_GT(warning, report);
  EXPECT_GT(find_line(lines, " Communality Estimates by Highest Absolute R"), warning);
  EXPECT_EQ(find_line(lines, "Squared Multiple"), -1);
}

TEST_F(DvpDriver, SquaredMultipleCorrelationsWarnOutsideTheUnitInterval) {
  // An identity matrix gives zeros and no warning; pairwise correlations that no data set
  // could give (r12 = r13 = 0.9, r23 = 0) make the matrix indefinite.
  put_inputs(Corr::from_lower(3, {0.0f, 0.0f, 0.0f}));
  ASSERT_FALSE(run({card({"10"})}).stopped);
  EXPECT_EQ(diagv1(), std::vector<float>(3, 0.0f));
  EXPECT_EQ(count_lines(listing(), "WARNING"), 0);

  fresh_process();
  put_inputs(Corr::from_lower(3, {0.9f, 0.9f, 0.0f}));
  ASSERT_FALSE(run({card({"10"})}).stopped);
  const std::vector<float> d = diagv1();
  int outside = 0;
  for (float v : d) outside += (v >= 0.0f && v < 1.0f) ? 0 : 1;
  EXPECT_GT(outside, 0);
  EXPECT_EQ(count_lines(listing(), " *** WARNING: SQUARED MULTIPLE CORRELATION OF VARIABLE"), outside);
  EXPECT_GE(find_line(listing(), "(NOT IN 0 TO 1): MATRIX NOT POSITIVE DEFINITE"), 0);
}

TEST_F(DvpDriver, FallbacksOfApproximationBAndTheProportionalFit) {
  struct Case {
    std::string method;
    Corr c;
    std::string notice;
    std::string title;
  };
  const std::vector<Case> cases = {
      {"40", three(), "  APPROXIMATION B REQUIRES AT LEAST 4 VARIABLES",
       " Communality Estimates by Approximation B (Excluding Diagonal}"},
      {"41", three(), "  APPROXIMATION B REQUIRES AT LEAST 4 VARIABLES",
       " Communality Estimates by Modified Approximation B (Highest Absolute R in Diagonal)"},
      {"60", six(), "  THE PF METHOD REQUIRES MORE THAN 6 VARIABLES", " Communiality Estimates by Proporational Fit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    fresh_process();
    put_inputs(c.c);
    ASSERT_FALSE(run({card({c.method})}).stopped);
    EXPECT_EQ(diagv1(), c.c.highest());
    const std::vector<std::string> lines = listing();
    const int notice = find_line(lines, c.notice);
    ASSERT_GE(notice, 1);
    const std::vector<std::string> want = {"  ", c.notice, "  ", "  HIGHEST R METHOD USED INSTEAD.", c.title};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + notice - 1, lines.begin() + notice + 4), want);
  }
}

TEST_F(DvpDriver, ApproximationBLeavesTheMatrixAndTakesTiesByValue) {
  // For variable 1, variables 2, 3 and 4 are exchangeable (exactly equal PSQ, above that of
  // 5 and 6), so whichever order the ties come in, B(1) = (3 x 0.5 x 0.5) / (3 x 0.4).
  Corr c = Corr::from_lower(6, {0.5f, 0.5f, 0.5f, 0.1f, 0.1f, 0.4f, 0.4f, 0.2f, 0.2f, 0.4f, 0.2f, 0.2f, 0.2f, 0.2f,
                                0.6f});
  put_inputs(c);
  ASSERT_FALSE(run({card({"40"})}).stopped);
  EXPECT_FLOAT_EQ(diagv1()[0], ((0.5f * 0.5f + 0.5f * 0.5f) + 0.5f * 0.5f) / ((0.4f + 0.4f) + 0.4f));
  const auto& s = dvp::dvp_state();
  for (int j = 1; j <= 6; ++j) {
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(s.r(i, j), i == j ? 0.0f : c(i, j)) << i << "," << j;
  }
}

}  // namespace
}  // namespace korvex
