// The first phase of the scoring component run in-process: the report head and the nominal
// weights, the regression and complete-estimation weights against numpy, the scale options,
// the stops on degenerate inputs, MEANS2 and STDEV2, and the choice of the scoring pass.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "test_facs_fixture.hpp"

namespace korvex::testing {
namespace {

using facs::ix;

constexpr const char* kBlank = "";

class FacsFirstPhase : public FacsTest {
 protected:
  // The printed weights (variable by composite) of the last run.
  static double printed_weight(int j, int k) {
    return facs::state().f[ix(j, k, facs::max_vars)];
  }
};

TEST_F(FacsFirstPhase, SimpleSumHeadWeightsAndScaleEntries) {
  load_a();
  put_reflx({{1, 2, 3}, {4, 5, -6}});
  const RunResult r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> lines = file_lines("MONOUT");
  auto centred = [&](const std::string& text) {
    const int width = 117;
    const std::string want = std::string(1 + (width - static_cast<int>(text.size())) / 2, ' ') + text;
    for (const std::string& l : lines)
      if (l == want) return true;
    return false;
  };
  EXPECT_TRUE(centred("F   A   C   S"));
  EXPECT_TRUE(centred("C L U S T E R  /  F A C T O R  S C O R I N G"));
  EXPECT_TRUE(listing_has(" CLUSTER SCORES ARE COMPUTED BY THE SIMPLE SUM METHOD"));
  EXPECT_TRUE(listing_has(" DEFINING VARIABLES OF CLUSTERS USED IN COMPUTING CLUSTER SCORES"));
  EXPECT_TRUE(listing_has("  (NEGATIVE INDICES INDICATE REFLECTION)"));
  const std::vector<std::string> c2 = listing_after(" VARIABLES IN CLUSTER  2 (Cluster2)", 4);
  ASSERT_EQ(c2.size(), 4u);
  EXPECT_EQ(c2[3], "       -6    VAR6                ");
  const std::vector<std::string> w = listing_after("NOMINAL WEIGHT MATRIX", 10);
  ASSERT_EQ(w.size(), 10u);
  EXPECT_EQ(w[4], "     1  VAR1       1.000    0.000");
  EXPECT_EQ(w[9], "     6  VAR6       0.000   -1.000");
  EXPECT_TRUE(listing_has(" MEAN..   50.0000"));
  int rows = 0;
  int cols = 0;
  const std::vector<float> means2 = get_matrix("MEANS2", rows, cols);
  ASSERT_EQ(means2.size(), 1u);
  EXPECT_EQ(means2[0], 50.0f);
  const std::vector<float> stdev2 = get_matrix("STDEV2", rows, cols);
  EXPECT_EQ(stdev2, (std::vector<float>{10.0f, 10.0f}));
}

TEST_F(FacsFirstPhase, RegressionWeightsAgreeWithNumpy) {
  load_a();
  put_matrix("DIAGV1", kH, 6, 1);
  put_matrix("UFACT1", kF, 6, 2);
  put_matrix("RFACT1", kF, 6, 2);
  put_matrix("BASIS1", kBasis, 2, 2);
  RunResult r = run_with_cards(&FACS, {"   2", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_TRUE(listing_has(" REGRESSION MATRIX - WEIGHTS IN LINEAR COMPOSITES"));
  for (int j = 1; j <= 6; ++j)
    for (int k = 1; k <= 2; ++k) EXPECT_NEAR(printed_weight(j, k), kWt2[(k - 1) * 6 + j - 1], 1e-3);
  r = run_with_cards(&FACS, {"   3", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  for (int j = 1; j <= 6; ++j)
    for (int k = 1; k <= 2; ++k) EXPECT_NEAR(printed_weight(j, k), kWt3[(k - 1) * 6 + j - 1], 1e-3);
  // One factor: the closed form F(j) d_j / (1 + sum F(j)^2 d_j).
  put_matrix("UFACT1", kF, 6, 1);
  r = run_with_cards(&FACS, {"   2", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  for (int j = 1; j <= 6; ++j) EXPECT_NEAR(printed_weight(j, 1), kWt2One[j - 1], 1e-3);
}

TEST_F(FacsFirstPhase, CompleteEstimationWeightsAgreeWithNumpy) {
  load_a();
  put_matrix("UFACT1", kF, 6, 2);
  put_matrix("RFACT1", kF, 6, 2);
  const double identity[] = {1.0, 0.0, 0.0, 1.0};
  put_matrix("BASIS1", identity, 2, 2);
  RunResult r = run_with_cards(&FACS, {"   5", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  std::vector<double> five;
  for (int k = 1; k <= 2; ++k)
    for (int j = 1; j <= 6; ++j) {
      EXPECT_NEAR(printed_weight(j, k), kWt5[(k - 1) * 6 + j - 1], 1e-3);
      five.push_back(printed_weight(j, k));
    }
  r = run_with_cards(&FACS, {"   6", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  for (int k = 1; k <= 2; ++k)
    for (int j = 1; j <= 6; ++j) EXPECT_EQ(printed_weight(j, k), five[static_cast<std::size_t>((k - 1) * 6 + j - 1)]);
}

TEST_F(FacsFirstPhase, ScaleOptions) {
  load_a();
  put_reflx({{1, 2, 3}, {4, 5, -6}});
  // Columns with sums of squares 3.0 and 1.0.
  const double a = std::sqrt(0.5);
  const double b = std::sqrt(1.0 / 6.0);
  const double f[] = {a, a, a, a, a, a, b, b, b, b, b, b};
  put_matrix("UFACT1", f, 6, 2);
  RunResult r = run_with_cards(&FACS, {"   1   2", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  int rows = 0;
  int cols = 0;
  std::vector<float> sd = get_matrix("STDEV2", rows, cols);
  ASSERT_EQ(sd.size(), 2u);
  EXPECT_NEAR(sd[0], 8.660, 1e-3);
  EXPECT_NEAR(sd[1], 5.000, 1e-3);
  // Method 8 with option 2 still reads UFACT1 (WEIGH1 is there from the run above).
  r = run_with_cards(&FACS, {"   8   2", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  sd = get_matrix("STDEV2", rows, cols);
  EXPECT_NEAR(sd[0], 8.660, 1e-3);
  // Method 4 runs with 10 on every composite whatever the card says.
  std::vector<std::string> cards = {"   4   2", kBlank, kBlank, "   2",
                                    "  1.0000  1.0000  1.0000", "  0.0000  0.0000  0.0000  1.0000  1.0000 -1.0000"};
  r = run_with_cards(&FACS, cards);
  ASSERT_FALSE(r.stopped) << r.console;
  sd = get_matrix("STDEV2", rows, cols);
  EXPECT_EQ(sd, (std::vector<float>{10.0f, 10.0f}));
}

TEST_F(FacsFirstPhase, AnalystDeviationsOnTwoCards) {
  load_a();
  std::vector<std::vector<int>> lists;
  for (int k = 1; k <= 10; ++k) lists.push_back({(k - 1) % 6 + 1});
  put_reflx(lists);
  const RunResult r = run_with_cards(
      &FACS, {"   1   3", kBlank, kBlank,
              "  1.0000  2.0000  3.0000  4.0000  5.0000  6.0000  7.0000  8.0000  9.0000",
              " 10.0000"});
  ASSERT_FALSE(r.stopped) << r.console;
  int rows = 0;
  int cols = 0;
  const std::vector<float> sd = get_matrix("STDEV2", rows, cols);
  ASSERT_EQ(sd.size(), 10u);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(sd[static_cast<std::size_t>(k)], static_cast<float>(k + 1));
}

struct StopCase {
  const char* what;
  std::vector<std::string> cards;
  std::string message;
};

TEST_F(FacsFirstPhase, DegenerateInputsStopCleanly) {
  load_a();
  put_reflx({{1, 2, 3}, {4, 5, -6}});
  put_matrix("UFACT1", kF, 6, 2);
  double h[6];
  std::copy(std::begin(kH), std::end(kH), h);
  h[2] = 1.0;
  put_matrix("DIAGV1", h, 6, 1);
  const StopCase cases[] = {
      {"unit communality", {"   2", kBlank, kBlank},
       "FACS1 Error: THE COMMUNALITY OF VARIABLE 3 (VAR3) IS 1.0 OR MORE; REGRESSION WEIGHTS CANNOT BE FORMED."},
      {"zero deviation on the cards", {"   1   3", kBlank, kBlank, " 10.0000  0.0000"},
       "FACS1 Error: THE STANDARD DEVIATION GIVEN FOR COMPOSITE 2 (Cluster2) IS NOT GREATER THAN 0."},
      {"NF 1 for analyst weights", {"   4", kBlank, kBlank, "   1"},
       "FACS1 Error: THE VALUE OF NF (THE NUMBER OF COMPOSITES) IS TOO LARGE OR TOO SMALL"},
  };
  for (const StopCase& c : cases) {
    const RunResult r = run_with_cards(&FACS, c.cards);
    EXPECT_TRUE(r.stopped) << c.what;
    EXPECT_NE(r.console.find(c.message.substr(0, 60)), std::string::npos) << c.what << "\n" << r.console;
  }
  // An all-zero factor matrix: no STDEV2 is written.
  const double zero[12] = {};
  put_matrix("UFACT1", zero, 6, 2);
  const RunResult r = run_with_cards(&FACS, {"   1   2", kBlank, kBlank});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("FACS1 Error: THE FACTOR MATRIX HAS NO NONZERO COEFFICIENT"), std::string::npos)
      << r.console;
  int rows = 0;
  int cols = 0;
  EXPECT_TRUE(get_matrix("STDEV2", rows, cols).empty());
}

TEST_F(FacsFirstPhase, InconsistentInputsStop) {
  load_data(kDataB, std::size(kDataB), 6, 1);
  put_matrix("UFACT1", kF, 6, 2);
  RunResult r = run_with_cards(&FACS, {"   5", kBlank, kBlank});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("MATRIX NEARLY SINGULAR"), std::string::npos) << r.console;
  EXPECT_EQ(r.console.find("NaN"), std::string::npos);
  // A definer beyond the variables.
  put_reflx({{1, 2, 7}});
  r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  EXPECT_NE(r.console.find("FACS1 Error: One or more unknown cluster definers."), std::string::npos)
      << r.console;
  // A basis that is not NF x NF.
  put_matrix("RFACT1", kF, 6, 2);
  put_matrix("BASIS1", kBasis, 1, 1);
  r = run_with_cards(&FACS, {"   6", kBlank, kBlank});
  EXPECT_NE(r.console.find("FACS1 Error: INCONSISTENT IST INFORMATION"), std::string::npos) << r.console;
  // A definer list without a single cluster.
  put_reflx({});
  r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  EXPECT_NE(r.console.find("FACS1 Error: THE VALUE OF NF"), std::string::npos) << r.console;
  // A selection in force.
  put_reflx({{1, 2, 3}});
  put_isf_names({"A", "B", "C", "D", "E", "F"}, 1);
  r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  EXPECT_NE(r.console.find("FACS1 Error: INCONSISTENT IST INFORMATION"), std::string::npos) << r.console;
}

TEST_F(FacsFirstPhase, DefinersNamedByTheAnalyst) {
  load_a();
  RunResult r = run_with_cards(&FACS, {"   7", kBlank, kBlank, "   2", "VAR1, VAR3,", "VAR2.", "VAR6,VAR5."});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_TRUE(listing_has(" CLUSTER SCORES ARE COMPUTED BY THE SIMPLE SUM METHOD - DEFINERS INPUT BY ANALYST"));
  const float want[2][6] = {{1, 1, 1, 0, 0, 0}, {0, 0, 0, 0, 1, 1}};
  for (int k = 1; k <= 2; ++k)
    for (int j = 1; j <= 6; ++j) EXPECT_EQ(printed_weight(j, k), want[k - 1][j - 1]);
  // Unknown names are all reported, then the run stops.
  r = run_with_cards(&FACS, {"   7", kBlank, kBlank, "   2", "VAR1,NOPE.", "OTHER."});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("FACS1 Error: One or more unknown cluster definers."), std::string::npos);
  EXPECT_TRUE(listing_has(" THE CLUSTER DEFINER NAME \"NOPE\" IS NOT IN VNAMES LIST."));
  EXPECT_TRUE(listing_has(" THE CLUSTER DEFINER NAME \"OTHER\" IS NOT IN VNAMES LIST."));
  // An empty list, and a count of composites out of range.
  r = run_with_cards(&FACS, {"   7", kBlank, kBlank, "   1", "."});
  EXPECT_NE(r.console.find("FACS1 Error: One or more unknown cluster definers."), std::string::npos);
  r = run_with_cards(&FACS, {"   7", kBlank, kBlank, "  51"});
  EXPECT_NE(r.console.find("FACS1 Error: THE VALUE OF NF"), std::string::npos);
}

// A cluster of valid names takes at most 99 of them; a longer list stops with the limit,
// not with the message for unknown names.
TEST_F(FacsFirstPhase, AClusterOfMoreThan99DefinersStopsWithTheLimit) {
  load_a();
  // A list of n names, every one a variable's name, twelve to a card.
  const auto name_cards = [](int n) {
    std::vector<std::string> cards;
    std::string card;
    for (int i = 1; i <= n; ++i) {
      card += "VAR" + std::to_string((i - 1) % 6 + 1) + (i == n ? "." : ",");
      if (i % 12 == 0 || i == n) {
        cards.push_back(card);
        card.clear();
      }
    }
    return cards;
  };
  const struct {
    int first, second;  // the definer counts of clusters 1 and 2
    const char* message;  // nullptr: the definer lists are taken
  } cases[] = {
      {99, 3, nullptr},
      {3, 150, "FACS1 Error: CLUSTER 2 HAS MORE THAN 99 DEFINERS; A CLUSTER TAKES AT MOST 99."},
      // Last: the stop leaves the list of cluster 2 unread on MONIN.
      {100, 3, "FACS1 Error: CLUSTER 1 HAS MORE THAN 99 DEFINERS; A CLUSTER TAKES AT MOST 99."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.first) + " and " + std::to_string(c.second));
    std::vector<std::string> cards = {"   7", kBlank, kBlank, "   2"};
    for (const int n : {c.first, c.second}) {
      const std::vector<std::string> list = name_cards(n);
      cards.insert(cards.end(), list.begin(), list.end());
    }
    const RunResult r = run_with_cards(&FACS, cards);
    if (c.message == nullptr) {
      EXPECT_FALSE(r.stopped) << r.console;
      continue;
    }
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.console, std::string(" * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n ") +
                             c.message + "\n\n");
    EXPECT_EQ(r.console.find("unknown cluster definers"), std::string::npos);
  }
}

TEST_F(FacsFirstPhase, DataFileOfAnotherWidthIsRefused) {
  load_a();
  put_reflx({{1, 2}});
  const double means[] = {0, 0, 0, 0, 0};
  std::vector<float> m(999, 0.0f);
  Kpar kpar{3, 5, 1, 200};
  std::int32_t notfound = 0;
  isf_real_matrix("MEANS1", 1, kpar, notfound, m);
  put_matrix("STDEV1", means, 5, 1);
  const RunResult r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find(" SYSTEM ERROR"), std::string::npos);
  EXPECT_TRUE(listing_has(" THE NUMBER OF VARIABLES ON THE DST: 6,  DOES NOT EQUAL THE NUMBER OF "
                          "VARIABLES ON THE IST: 5."));
}

TEST_F(FacsFirstPhase, ScalingEntriesAreStoredBeforeTheDataFileCheck) {
  put_isf_title("NO DATA ENTRY IN THIS RUN");
  const double means[] = {1.0, 2.0, 3.0};
  const double sds[] = {1.0, 1.0, 1.0};
  std::vector<float> m(999, 0.0f);
  for (int j = 0; j < 3; ++j) m[static_cast<std::size_t>(j)] = static_cast<float>(means[j]);
  Kpar kpar{3, 3, 1, 10};
  std::int32_t notfound = 0;
  isf_real_matrix("MEANS1", 1, kpar, notfound, m);
  put_matrix("STDEV1", sds, 3, 1);
  put_reflx({{1, 2}, {3}});
  const RunResult r = run_with_cards(&FACS, {kBlank, "  0.0000", kBlank});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("FACS1 Error: DST is empty. Be sure DAP was run before FACS."), std::string::npos)
      << r.console;
  int rows = 0;
  int cols = 0;
  EXPECT_EQ(get_matrix("MEANS2", rows, cols), std::vector<float>{0.0f});
  EXPECT_EQ(get_matrix("STDEV2", rows, cols), (std::vector<float>{10.0f, 10.0f}));
}

// kDataA with a seventh variable that is missing for every third subject.
std::vector<std::string> data_with_gappy_seventh() {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < std::size(kDataA); ++i) {
    const std::string a = kDataA[i];
    rows.push_back(a.substr(0, 48) + (i % 3 == 0 ? std::string(8, ' ') : std::string(i % 3 == 1 ? "   1.500" : "   2.500")) +
                   a.substr(48));
  }
  return rows;
}

TEST_F(FacsFirstPhase, PassDecision) {
  const std::vector<std::string> rows = data_with_gappy_seventh();
  std::vector<const char*> ptrs;
  for (const std::string& r : rows) ptrs.push_back(r.c_str());
  load_data(ptrs.data(), ptrs.size(), 7, 0, false);
  const RunResult cor = run_with_cards(&COR3, {kBlank});
  ASSERT_FALSE(cor.stopped) << cor.console;
  put_reflx({{1, 2, 3}, {4, 5, -6}});
  // Variable 7 has missing values but no weight: the complete-data pass.
  RunResult r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(facs::state().ipass, 2);
  // Variable 7 weighted: the missing-data pass.
  put_reflx({{1, 2, 3, 7}, {4, 5, -6}});
  r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(facs::state().ipass, 3);
  // Asked for, with regression weights: refused.
  r = run_with_cards(&FACS, {"   1                   1", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(facs::state().ipass, 3);
}

TEST_F(FacsFirstPhase, MissingDataPassRefusesRegressionWeights) {
  load_a();
  put_matrix("DIAGV1", kH, 6, 1);
  put_matrix("UFACT1", kF, 6, 2);
  const RunResult r = run_with_cards(&FACS, {"   2                   1", kBlank, kBlank});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("FACS1 Error: DST CONTAINS MISSING DATA AND WEIGHT MATRIX SOMETHING OTHER THAN -1"),
            std::string::npos)
      << r.console;
}

}  // namespace
}  // namespace korvex::testing
