// The two scoring passes run in-process after DAP and the correlation component: scores,
// effective weights and intercorrelations against numpy, the missing-data replica with its
// matched N's, the punched deck, the score pages, and the stops and fallbacks for unused,
// constant and unscorable variables and composites.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "printing/page.hpp"
#include "test_facs_fixture.hpp"

namespace korvex::testing {
namespace {

constexpr const char* kBlank = "";

class FacsPasses : public FacsTest {
 protected:
  // Rows of kDataA with extra 8-column fields from extra(i) before the name.
  static std::vector<std::string> extend(const char* const* rows, std::size_t n, std::size_t width,
                                         const std::function<std::string(std::size_t)>& extra) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < n; ++i) {
      const std::string a = rows[i];
      out.push_back(a.substr(0, width) + extra(i) + a.substr(width));
    }
    return out;
  }
  void load_rows(const std::vector<std::string>& rows, int nv, int nomiss, bool cor2) {
    std::vector<const char*> ptrs;
    for (const std::string& r : rows) ptrs.push_back(r.c_str());
    load_data(ptrs.data(), ptrs.size(), nv, nomiss, cor2);
  }
  static void expect_scores(const std::vector<std::vector<float>>& got, const double* want,
                            std::size_t nsub, int nf, double tol) {
    ASSERT_EQ(got.size(), nsub);
    for (std::size_t i = 0; i < nsub; ++i) {
      ASSERT_EQ(got[i].size(), static_cast<std::size_t>(nf));
      for (int k = 0; k < nf; ++k) {
        EXPECT_FALSE(std::isnan(got[i][static_cast<std::size_t>(k)]));
        EXPECT_NEAR(got[i][static_cast<std::size_t>(k)], want[static_cast<std::size_t>(k) * nsub + i], tol)
            << "subject " << i + 1 << " composite " << k + 1;
      }
    }
  }
  // The numbers on the listing line that follows the line holding `text` by `offset`.
  std::vector<double> numbers_after(const std::string& text, std::size_t offset) {
    const std::vector<std::string> lines = listing_after(text, offset);
    std::vector<double> out;
    if (lines.size() < offset) return out;
    std::istringstream in(lines[offset - 1]);
    for (std::string word; in >> word;) {
      char* end = nullptr;
      const double v = std::strtod(word.c_str(), &end);
      if (end != word.c_str() && *end == '\0') out.push_back(v);
    }
    return out;
  }
};

TEST_F(FacsPasses, CompleteDataSimpleSums) {
  load_a();
  put_reflx({{1, 2, 3}, {4, 5, -6}});
  const RunResult r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  expect_scores(get_scores(), kFscor1, std::size(kDataA), 2, 2e-3);
  int rows = 0;
  int cols = 0;
  const std::vector<float> weigh1 = get_matrix("WEIGH1", rows, cols);
  ASSERT_EQ(weigh1.size(), 12u);
  for (std::size_t i = 0; i < 12; ++i) EXPECT_NEAR(weigh1[i], kWeigh1[i], 1e-5);
  // sqrt(w'Rw) under its caption; the score correlations with 1.000 on the diagonal.
  EXPECT_EQ(numbers_after(" STANDARD DEVIATIONS OF CLUSTER COMPOSITES", 2),
            (std::vector<double>{std::round(kCsd1[0] * 1000) / 1000}));
  EXPECT_NEAR(numbers_after(" STANDARD DEVIATIONS OF CLUSTER COMPOSITES", 3)[0], kCsd1[1], 5e-4);
  const std::vector<double> c1 = numbers_after(" INTERCORRELATIONS BETWEEN CLUSTER SCORES", 5);
  const std::vector<double> c2 = numbers_after(" INTERCORRELATIONS BETWEEN CLUSTER SCORES", 6);
  ASSERT_EQ(c1.size(), 2u);
  ASSERT_EQ(c2.size(), 3u);
  EXPECT_EQ(c1[1], 1.0);
  EXPECT_NEAR(c2[1], kScoreCorr1[1], 1e-3);
  EXPECT_EQ(c2[2], 1.0);
}

TEST_F(FacsPasses, ASubjectAtTheMeansScoresSmeanAndNeverMinusZero) {
  const char* rows[] = {"   0.000   0.000  A", "   1.000   2.000  B", "   2.000   4.000  C",
                        "   1.000   3.000  D", "   1.000   1.000  E"};
  load_data(rows, 5, 2, 1);
  put_reflx({{1, -2}});
  RunResult r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(get_scores()[1][0], 50.0f);
  r = run_with_cards(&FACS, {kBlank, "  0.0000", kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  const float zero = get_scores()[1][0];
  EXPECT_EQ(zero, 0.0f);
  EXPECT_FALSE(std::signbit(zero));
}

TEST_F(FacsPasses, CompleteEstimationAndStoredWeightsReproduceIt) {
  load_a();
  put_matrix("UFACT1", kF, 6, 2);
  RunResult r = run_with_cards(&FACS, {"   5", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::vector<float>> first = get_scores();
  expect_scores(first, kFscor5, std::size(kDataA), 2, 2e-3);
  r = run_with_cards(&FACS, {"   8", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::vector<float>> again = get_scores();
  ASSERT_EQ(again.size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i)
    for (std::size_t k = 0; k < 2; ++k) EXPECT_NEAR(again[i][k], first[i][k], 1e-4);
}

TEST_F(FacsPasses, MissingDataReplicaAndMatchedNs) {
  load_data(kDataM, std::size(kDataM), 7, 0, false);
  put_reflx({{1, 2, 3, 4}, {5, -6, 7}});
  const RunResult r = run_with_cards(&FACS, {"   1   1   1", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_TRUE(listing_has(std::string(27, ' ') + "IS LESS THAN   55. THE SCORE IS TREATED AS MISSING."));
  const std::vector<std::vector<float>> scores = get_scores();
  expect_scores(scores, kScoresM, std::size(kDataM), 2, 2e-3);
  EXPECT_EQ(scores[4][0], -999.0f);
  // Subject 5 on the score page: -999 and the 2 definers present.
  bool found = false;
  for (const std::string& l : file_lines("MONOUT"))
    if (l.rfind("      5  S005", 0) == 0) {
      found = true;
      EXPECT_NE(l.find("           -999.  2"), std::string::npos) << l;
    }
  EXPECT_TRUE(found);
  // The matched N's: ok' ok of the scored-subject indicators.
  const std::vector<double> n1 = numbers_after("MATCHED N'S FOR INTERCORRELATIONS", 5);
  const std::vector<double> n2 = numbers_after("MATCHED N'S FOR INTERCORRELATIONS", 6);
  EXPECT_EQ(n1, (std::vector<double>{1, kMatchedM[0], kMatchedM[2]}));
  EXPECT_EQ(n2, (std::vector<double>{2, kMatchedM[1], kMatchedM[3]}));
}

TEST_F(FacsPasses, PunchedDecks) {
  load_a();
  put_reflx({{1, 2, 3}, {4, 5, -6}});
  RunResult r = run_with_cards(&FACS, {"   1   1   0   1", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  std::vector<std::string> deck = file_lines("MONPUN");
  ASSERT_EQ(deck.size(), 2 + std::size(kDataA));
  EXPECT_EQ(deck[0], "(9F8.4,A6)" + std::string(70, ' '));
  EXPECT_EQ(deck[1], "FACTOR SCORES" + std::string(67, ' '));
  const std::vector<std::vector<float>> scores = get_scores();
  for (std::size_t i = 0; i < scores.size(); ++i) {
    const std::string& line = deck[i + 2];
    ASSERT_EQ(line.size(), 95u);
    EXPECT_EQ(line.substr(16, 57), std::string(57, ' '));
    EXPECT_EQ(line.substr(73, 20), std::string(kDataA[i]).substr(50, 4) + std::string(16, ' '));
    EXPECT_EQ(line.substr(93), "01");
    for (std::size_t k = 0; k < 2; ++k) {
      const double v = scores[i][k];
      const double want = std::copysign(std::trunc(std::fabs(v) * 10000.0 + 0.5), v);
      EXPECT_NEAR(std::atof(line.substr(8 * k, 8).c_str()), want, 1.0) << line;
    }
  }
  // The missing-data pass with SD 10 and SMEAN 50: two decimals, -999.0 as -99900.
  load_data(kDataM, std::size(kDataM), 7, 0, false);
  put_reflx({{1, 2, 3, 4}, {5, -6, 7}});
  r = run_with_cards(&FACS, {"   1   1   0   1", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  deck = file_lines("MONPUN");
  const std::size_t start = 2 + std::size(kDataA);
  ASSERT_EQ(deck.size(), start + 2 + std::size(kDataM));
  EXPECT_EQ(deck[start], "(9F8.2,A6)" + std::string(70, ' '));
  EXPECT_EQ(deck[start + 2 + 4].substr(0, 8), "  -99900");
}

TEST_F(FacsPasses, ScorePagesInStripsAndBlocks) {
  std::vector<std::vector<int>> twelve;
  for (int k = 1; k <= 12; ++k) twelve.push_back({(k - 1) % 6 + 1});
  load_data(kDataA, 120, 6, 1);
  put_reflx(twelve);
  RunResult r = run_with_cards(&FACS, {"   1   1   1", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  std::vector<std::string> lines = file_lines("MONOUT");
  int strips = 0;
  std::vector<std::string> firsts;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != " CLUSTER SCORE MATRIX") continue;
    ++strips;
    ASSERT_GE(i, 1u);
    EXPECT_EQ(lines[i - 1].substr(0, 110), "1" + std::string(109, ' '));
    EXPECT_EQ(lines[i - 1].substr(110, 4), "PAGE");
    firsts.push_back(lines[i + 5].substr(0, 36));
  }
  EXPECT_EQ(strips, 9);
  ASSERT_EQ(firsts.size(), 9u);
  EXPECT_EQ(firsts[0].substr(0, 13), "      1  S001");
  EXPECT_EQ(firsts[3].substr(0, 13), "     51  S051");
  EXPECT_EQ(firsts[6].substr(0, 13), "    101  S101");
  // No deck punched in this program run: whole numbers. After punching: four decimals.
  const std::vector<std::string> row = listing_after(" CLUSTER SCORE MATRIX", 5);
  ASSERT_EQ(row.size(), 5u);
  EXPECT_EQ(row[4].back(), '.') << row[4];
  r = run_with_cards(&FACS, {"   1   1   1   1", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  lines = file_lines("MONOUT");
  std::string last;
  for (std::size_t i = 0; i + 5 < lines.size(); ++i)
    if (lines[i] == " CLUSTER SCORE MATRIX") last = lines[i + 5];
  const std::size_t point = last.find('.');
  ASSERT_NE(point, std::string::npos);
  EXPECT_EQ(last.size() - point - 1, 4u + 3u * 21u) << last;
}

TEST_F(FacsPasses, NarrowPagesPrintOneCompositePerStrip) {
  set_ncline(50);
  std::vector<std::vector<int>> three = {{1}, {2}, {3}};
  load_data(kDataA, 10, 6, 1);
  put_reflx(three);
  const RunResult r = run_with_cards(&FACS, {"   1   1   1", kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  int strips = 0;
  for (const std::string& l : file_lines("MONOUT"))
    if (l == " CLUSTER SCORE MATRIX") ++strips;
  EXPECT_EQ(strips, 3);
}

TEST_F(FacsPasses, UnusedVariablesNeverSpoilAScore) {
  // Missing values only in an unused seventh variable: the complete-data pass.
  const auto gappy = extend(kDataA, std::size(kDataA), 48, [](std::size_t i) {
    return i % 3 == 0 ? std::string(8, ' ') : std::string(i % 3 == 1 ? "   1.500" : "   2.500");
  });
  load_rows(gappy, 7, 0, false);
  ASSERT_FALSE(run_with_cards(&COR3, {kBlank}).stopped);
  put_reflx({{1, 2, 3}, {4, 5, -6}});
  RunResult r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(facs::state().ipass, 2);
  expect_scores(get_scores(), kFscor1, std::size(kDataA), 2, 2e-3);
  // A constant unused variable.
  const auto constant = extend(kDataA, std::size(kDataA), 48, [](std::size_t) { return std::string("   1.500"); });
  load_rows(constant, 7, 1, true);
  r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  expect_scores(get_scores(), kFscor1, std::size(kDataA), 2, 2e-3);
  int rows = 0;
  int cols = 0;
  for (float v : get_matrix("WEIGH1", rows, cols)) EXPECT_FALSE(std::isnan(v));
  // The same variable as a definer: a clear stop.
  put_reflx({{1, 2, 7}});
  r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("FACS Error: VARIABLE 7 (VAR7) HAS A WEIGHT BUT NO SPREAD"), std::string::npos)
      << r.console;
  // Analyst weights that are all zero for composite 2.
  r = run_with_cards(&FACS, {"   4", kBlank, kBlank, "   2", "  1.0000", "  0.0000"});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("FACS Error: COMPOSITE 2 (Cluster2) HAS NO POSITIVE VARIANCE"), std::string::npos)
      << r.console;
}

TEST_F(FacsPasses, AMissingDataCompositeThatNoSubjectCanScore) {
  // Variables 8 and 9 are never present together.
  const auto apart = extend(kDataM, std::size(kDataM), 56, [](std::size_t i) {
    const std::string v = "   " + std::to_string(i % 5) + ".000";
    return i % 2 == 0 ? v + std::string(8, ' ') : std::string(8, ' ') + v;
  });
  load_rows(apart, 9, 0, false);
  put_reflx({{1, 2, 3, 4}, {8, 9}});
  const RunResult r = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(facs::state().ipass, 3);
  EXPECT_TRUE(listing_has("COMPOSITE 2 (Cluster2) CANNOT BE SCORED"));
  const std::vector<std::vector<float>> scores = get_scores();
  ASSERT_EQ(scores.size(), std::size(kDataM));
  for (std::size_t i = 0; i < scores.size(); ++i) {
    EXPECT_EQ(scores[i][1], -999.0f);
    EXPECT_FALSE(std::isnan(scores[i][0]));
    EXPECT_NEAR(scores[i][0], kScoresM[i], 2e-3);
  }
}

TEST_F(FacsPasses, ADeviationBeyondSinglePrecisionKeepsItsScore) {
  // One subject at 3.4e38 and 99 at -4e36: the mean is -5.6e35, so the first deviation,
  // 3.4056e38, is just beyond single precision (3.4028e38), while 1 / SD (2.9e-38) is still a
  // normal number and the sum, -5.6e37, is within the range DAP stores. A variable of two
  // values, one of them held by 1 subject of 100, has the standard scores sqrt(99) and
  // -1 / sqrt(99). A second variable goes unweighted.
  std::string text;
  for (int i = 0; i < 100; ++i)
    text += std::string(i == 0 ? "   340000000000000000000000000000000000000."
                               : "    -4000000000000000000000000000000000000.") +
            (i % 2 == 0 ? "  1.\n" : "  2.\n");
  write_file("MTXIN1", text);
  const RunResult dap = run_with_cards(&DAP, {"ONE FAR OUTLIER", "   2   100 1   0", "(F43.0,F4.0)", "DATA"});
  ASSERT_FALSE(dap.stopped) << dap.console;
  std::vector<float> r(2 * 999, 0.0f);
  Kpar kpar{2, 2, 100};
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 1, kpar, notfound, r, 2);
  put_reflx({{1}});
  const double high = 50.0 + 10.0 * std::sqrt(99.0);
  const double low = 50.0 - 10.0 / std::sqrt(99.0);
  for (const char* control : {"   1   1   0   0 .55   0", "   1   1   0   0 .55   1"}) {
    const RunResult run = run_with_cards(&FACS, {control, kBlank, kBlank});
    ASSERT_FALSE(run.stopped) << control << run.console;
    EXPECT_FALSE(listing_has("CANNOT BE SCORED")) << control;
    const std::vector<std::vector<float>> scores = get_scores();
    ASSERT_EQ(scores.size(), 100u) << control;
    EXPECT_NEAR(scores[0][0], high, 1e-3) << control;
    for (std::size_t i = 1; i < scores.size(); ++i) EXPECT_NEAR(scores[i][0], low, 1e-4) << control << i;
  }
}

// The rule by which both passes refuse a composite: its spread over the subjects (standard
// units) is not above the root mean square of what rounding can leave in it. Each row clusters
// every variable of its data, written as text and read into single precision; the figures are
// those of tests/reference/facs_rounding_rule.py (its .out beside it). The missing-data pass
// lists the refusal and leaves every score missing; the complete-data pass stops on it.
TEST_F(FacsPasses, BothPassesJudgeACompositeAlike) {
  const auto u = [](int i) { return ((37 * i) % 101 - 50) / 50.0; };
  const auto field = [](const char* layout, double v) {
    char text[40];
    std::snprintf(text, sizeof text, layout, v);
    const std::string value = text;
    return std::string(16 - std::min<std::size_t>(16, value.size()), ' ') + value;
  };
  struct row {
    const char* name;
    int nv;
    int nsub;
    std::function<std::string(int)> line;  // the data line of subject i (1-based)
    const char* figures;                   // "" where the composite is scored
  };
  const double a[] = {10000.012, 9999.987, 10000.003, 9999.995, 10000.021, 9999.978, 10000.008, 9999.991};
  const int items[4][5] = {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {2, 3, 4, 5, 1}, {5, 4, 3, 1, 2}};
  const row rows[] = {
      {"issue_pair_8_digits", 2, 8,
       [&](int i) { return field("%.3f", a[i - 1]) + field("%.3f", 30000 - a[i - 1]); },
       "ITS SPREAD, 5.651E-02, IS WITHIN THE 1.091E-01 THAT ROUNDING CAN LEAVE"},
      {"whole_items_at_1e7", 4, 10,
       [&](int i) {
         std::string l;
         for (int j = 0; j < 4; ++j) l += field("%.0f", 10000000.0 + items[j][(i - 1) % 5]);
         return l;
       },
       "ITS SPREAD, 1.265E+00, IS WITHIN THE 1.414E+00 THAT ROUNDING CAN LEAVE"},
      {"pair_near_1e6", 2, 40,
       [&](int i) { return field("%.4f", 1e6 + u(i)) + field("%.4f", 3e6 - (1e6 + u(i))); },
       "ITS SPREAD, 7.721E-02, IS WITHIN THE 1.638E-01 THAT ROUNDING CAN LEAVE"},
      {"pair_at_2_20", 2, 40,
       [&](int i) {
         return field("%.4f", 1048576.0 + u(i)) + field("%.4f", 2097152.0 - (1048576.0 + u(i)));
       },
       "ITS SPREAD, 7.720E-02, IS WITHIN THE 1.654E-01 THAT ROUNDING CAN LEAVE"},
      {"half_beside_1e6", 2, 40,
       [&](int i) { return field("%.4f", 0.5 + 0.1 * u(i)) + field("%.4f", 1e6 - (0.5 + 0.1 * u(i))); },
       "ITS SPREAD, 3.169E-01, IS WITHIN THE 5.215E-01 THAT ROUNDING CAN LEAVE"},
      {"two_varying_at_1e7", 2, 40,
       [&](int i) {
         return field("%.0f", 10000000.0 + (7 * i) % 11) + field("%.0f", 10000000.0 + (5 * i) % 13);
       },
       ""},
      {"ordinary_pair", 2, 40,
       [&](int i) { return field("%.4f", 50 + 10 * u(i)) + field("%.4f", 20 + 5 * u(3 * i)); }, ""},
  };
  for (const row& r : rows) {
    // Each row in a new process in a new folder: the complete-data pass may stop.
    TearDown();
    SetUp();
    std::string text;
    for (int i = 1; i <= r.nsub; ++i) text += r.line(i) + "\n";
    write_file("MTXIN1", text);
    char param[32];
    std::snprintf(param, sizeof param, "%4d%6d 1   0", r.nv, r.nsub);
    const std::string layout = "(" + std::to_string(r.nv) + "F16.0)";
    ASSERT_FALSE(run_with_cards(&DAP, {"ROUNDING RULE", param, layout, "DATA"}).stopped) << r.name;
    ASSERT_FALSE(run_with_cards(&COR2, {}).stopped) << r.name;
    std::vector<int> all;
    for (int j = 1; j <= r.nv; ++j) all.push_back(j);
    put_reflx({all});
    const bool refused = *r.figures != '\0';

    const RunResult missing = run_with_cards(&FACS, {"   1   1   0   0 .55   1", kBlank, kBlank});
    ASSERT_FALSE(missing.stopped) << r.name << missing.console;
    EXPECT_EQ(listing_has(std::string("COMPOSITE 1 (Cluster1) CANNOT BE SCORED: ") + r.figures + "."),
              refused)
        << r.name;
    const std::vector<std::vector<float>> scores = get_scores();
    ASSERT_EQ(scores.size(), static_cast<std::size_t>(r.nsub)) << r.name;
    EXPECT_EQ(scores[0][0] == -999.0f, refused) << r.name;

    const RunResult complete = run_with_cards(&FACS, {kBlank, kBlank, kBlank});
    EXPECT_EQ(complete.stopped, refused) << r.name << complete.console;
    if (refused) {
      // The stop's lines, cut at the page width in the listing: the cause, then the figures
      // and the remedy.
      EXPECT_TRUE(listing_has("FACS Error: COMPOSITE 1 (Cluster1) HAS NO POSITIVE VARIANCE: IT DOES "
                              "NOT VARY OVER THE SUBJECTS"))
          << r.name;
      EXPECT_TRUE(listing_has(std::string(r.figures) + ": IF ITS VARIABLES DO VARY, SUBTRACT A"))
          << r.name;
      EXPECT_TRUE(listing_has("ROUND NUMBER FROM THEM IN MTXIN1 BEFORE *DAP")) << r.name;
    }
  }
}

// A weighted variable whose standard deviation lies far below the normal single-precision
// range: x near 1e-38 and 3e-38 - x, ten subjects. STDEV1 holds 6.586E-44 (47 units of 2^-149;
// numpy: the SD of the stored values is 46.5 units), a hundredth off, and the composite's
// rounding would be scored as if it varied. Both passes stop, naming the variable.
TEST_F(FacsPasses, AStandardDeviationFarBelowTheNormalRangeStops) {
  const char* const rows[] = {"        9.999974E-39        2.000003E-38", "        9.999999E-39        2.000000E-38",
                              "        1.000005E-38        1.999995E-38", "        9.999945E-39        2.000005E-38",
                              "        9.999987E-39        2.000001E-38", "        9.999865E-39        2.000013E-38",
                              "        9.999980E-39        2.000002E-38", "        9.999816E-39        2.000018E-38",
                              "        1.000000E-38        2.000000E-38", "        9.999961E-39        2.000004E-38"};
  std::string text;
  for (const char* r : rows) text += std::string(r) + "\n";
  for (const char* control : {"   1   1   0   0 .55   1", "   1   1   0   0 .55   0"}) {
    TearDown();
    SetUp();
    write_file("MTXIN1", text);
    ASSERT_FALSE(run_with_cards(&DAP, {"SUBNORMAL SPREAD", "   2    10 1   0", "(2F20.0)", "DATA"}).stopped);
    ASSERT_FALSE(run_with_cards(&COR2, {}).stopped);
    put_reflx({{1, 2}});
    const RunResult r = run_with_cards(&FACS, {control, kBlank, kBlank});
    EXPECT_TRUE(r.stopped) << control;
    EXPECT_TRUE(listing_has("FACS Error: VARIABLE 1 (VAR1) HAS A STANDARD DEVIATION OF 6.586E-44, SO FAR "
                            "BELOW THE NORMAL"))
        << control;
    EXPECT_TRUE(listing_has("RESCALE THE DATA BEFORE *DAP: MULTIPLY THE VARIABLE BY A POWER OF TEN IN MTXIN1"))
        << control;
    EXPECT_TRUE(get_scores().empty()) << control;
  }
}

}  // namespace
}  // namespace korvex::testing
