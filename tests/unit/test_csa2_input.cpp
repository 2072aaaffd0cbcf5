// *CSA2 cards, inputs and definers: the defaults of two blank cards and their echo, the
// implied decimals of the limit, cluster names, the definer listing in blocks, the checks
// that refuse bad definers and sizes before anything is indexed or stored, the stop when
// every variable is excluded, the full reorder list, and narrow or short pages.
#include <cstdlib>
#include <string>
#include <vector>

#include "io/fixed_text.hpp"
#include "printing/page.hpp"
#include "structure/csa2_internal.hpp"
#include "test_csa2_fixture.hpp"

namespace korvex {
namespace {

class Csa2Input : public testing::Csa2Run {
 protected:
  // n variables with correlations 0.3 and communalities 0.6 (h overrides single ones).
  void put_uniform(std::int32_t n, std::vector<std::pair<int, double>> h = {}) {
    std::vector<double> r(static_cast<std::size_t>(n * n), 0.3);
    std::vector<double> d(static_cast<std::size_t>(n), 0.6);
    for (const auto& [v, x] : h) d[static_cast<std::size_t>(v - 1)] = x;
    put_correlations(r, d);
  }
  std::vector<std::string> listing() { return file_lines("MONOUT"); }
};

TEST_F(Csa2Input, BlankCardsTakeTheDefaultsAndEchoThem) {
  testing::put_isf_title("DEFAULTS");
  put_uniform(4);
  put_definers({{1, 2}, {3, 4}});
  const testing::RunResult r = run({"", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  const csa2::state& s = csa2::qvcsa2();
  EXPECT_EQ(s.kbasis, 0);
  EXPECT_EQ(s.kclmat, 2);
  EXPECT_EQ(s.kaugco + s.kaugcr + s.kdebug + s.krawsc + s.ktitle + s.ktcol, 0);
  EXPECT_EQ(s.hlimit, 0.2f);
  const std::vector<std::string> l = listing();
  for (const char* text :
       {"C   S   A   2", "C L U S T E R  S T R U C T U R E  A N A L Y S I S",
        " ANALYSIS BASED ON CORRELATIONS AMONG RAW SCORES",
        " CLUSTER CORRELATION MATRIX: calculate, do not print.",
        " AUGMENTED ROTATED FACTOR COEFFICIENTS: do not print.",
        " VARIABLE TITLES: do not print.", "          VARIABLES IN CLUSTER 1    (Cluster1)",
        "EXPANDED CLUSTER STRUCTURE"}) {
    EXPECT_GE(find(l, text), 0) << text;
  }
  EXPECT_EQ(find(l, "THE REORDERED CORRELATION MATRIX"), -1);  // KCLMAT 2
  EXPECT_EQ(find(l, "DEBUG"), -1);
}

TEST_F(Csa2Input, LimitWithoutPointHasFourImpliedDecimals) {
  testing::put_isf_title("LIMIT");
  put_uniform(3);
  put_definers({{1, 2, 3}});
  ASSERT_FALSE(run({"   0   1", "  25"}).stopped);
  EXPECT_FLOAT_EQ(csa2::qvcsa2().hlimit, 0.0025f);
  EXPECT_EQ(find(listing(), "EXPANDED CLUSTER STRUCTURE"), -1);  // KCLMAT 1
}

TEST_F(Csa2Input, ClusterNamesFollowTheNumberOfClusters) {
  for (const std::int32_t ncl : {9, 12}) {
    SCOPED_TRACE(ncl);
    reset_isf();
    isf_init();
    testing::put_isf_title("NAMES");
    put_uniform(ncl);
    std::vector<std::vector<std::int32_t>> lists;
    for (std::int32_t c = 1; c <= ncl; ++c) lists.push_back({c});
    put_definers(lists);
    ASSERT_FALSE(run({"   0   1", ""}).stopped);
    const csa2::state& s = csa2::qvcsa2();
    EXPECT_EQ(s.clunam[0].substr(0, 10), ncl == 9 ? "Cluster1  " : "Cluster01 ");
    EXPECT_EQ(s.clunam[static_cast<std::size_t>(ncl - 1)].substr(0, 10),
              ncl == 9 ? "Cluster9  " : "Cluster12 ");
  }
  EXPECT_GE(find(listing(), "          VARIABLES IN CLUSTER 12    (Cluster12)"), 0);
}

// 40 variables with 16-character names at width 118: five entries a line (w = 16 + 2 + 4),
// lead 3 and 1 spare blank per entry; 33 definers form a block of 5 rows of 5 and a block
// of 5 rows holding 8 entries down the columns. Reflected definers show a negative number.
TEST_F(Csa2Input, DefinerListingInBlocks) {
  testing::put_isf_title("BLOCKS");
  std::vector<std::string> names;
  for (int i = 1; i <= 40; ++i) names.push_back("Sixteen_chars_" + std::string(i < 10 ? "0" : "") + std::to_string(i));
  testing::put_isf_names(names);
  put_uniform(40);
  std::vector<std::int32_t> defs;
  for (int i = 1; i <= 33; ++i) defs.push_back(i == 7 ? -7 : i);
  put_definers({defs});
  ASSERT_FALSE(run({"   0   1", ""}).stopped);
  const std::vector<std::string> l = listing();
  const int h = find(l, "VARIABLES IN CLUSTER 1    (Cluster1)");
  ASSERT_GE(h, 0);
  const auto entry = [&](int v) {
    const std::string n = std::to_string(v);
    return std::string(4 - n.size(), ' ') + n + " " + names[static_cast<std::size_t>(std::abs(v) - 1)];
  };
  const auto row = [&](std::vector<int> vs) {
    std::string s = "   ";
    for (std::size_t i = 0; i < vs.size(); ++i) s += entry(vs[i]) + (i + 1 < vs.size() ? " " : "");
    return s;
  };
  EXPECT_EQ(l[static_cast<std::size_t>(h + 1)], " ");
  EXPECT_EQ(io::trim_right(l[static_cast<std::size_t>(h + 2)]), row({1, 6, 11, 16, 21}));
  EXPECT_EQ(io::trim_right(l[static_cast<std::size_t>(h + 3)]), row({2, -7, 12, 17, 22}));
  EXPECT_EQ(io::trim_right(l[static_cast<std::size_t>(h + 6)]), row({5, 10, 15, 20, 25}));
  EXPECT_EQ(l[static_cast<std::size_t>(h + 7)], " ");
  EXPECT_EQ(io::trim_right(l[static_cast<std::size_t>(h + 8)]), row({26, 31}));
  EXPECT_EQ(io::trim_right(l[static_cast<std::size_t>(h + 10)]), row({28, 33}));
  EXPECT_EQ(io::trim_right(l[static_cast<std::size_t>(h + 11)]), row({29}));
  EXPECT_EQ(io::trim_right(l[static_cast<std::size_t>(h + 12)]), row({30}));
  EXPECT_EQ(l[static_cast<std::size_t>(h + 13)], " ");
}

// Inputs refused before anything indexes with them; each case stops with its message.
TEST_F(Csa2Input, BadInputsStopWithAClearMessage) {
  struct Case {
    const char* what;
    std::vector<std::vector<std::int32_t>> definers;
    std::int32_t nv;
    std::string message;
  };
  std::vector<std::vector<std::int32_t>> fifty_one(51, std::vector<std::int32_t>{1});
  const std::vector<Case> cases = {
      {"zero in list 2, position 3", {{1, 2}, {4, 5, 0}}, 8, "ir(3,2) contains invalid value: 0"},
      {"above NV", {{1, 9}}, 8, "ir(2,1) contains invalid value: 9"},
      {"reflected above NV", {{-9}}, 8, "ir(1,1) contains invalid value: -9"},
      {"51 clusters", fifty_one, 8, "CSA2: REFLX1 holds 51 clusters; from 1 to 50 clusters can be analysed."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reset_isf();
    isf_init();
    testing::put_isf_title("BAD");
    put_uniform(c.nv);
    put_definers(c.definers);
    const testing::RunResult r = run({"", ""});
    EXPECT_TRUE(r.stopped);
    EXPECT_NE(r.console.find(c.message), std::string::npos) << r.console;
    EXPECT_EQ(find(listing(), "VARIABLES IN CLUSTER"), -1);  // stopped before the listing
  }
}

TEST_F(Csa2Input, MismatchedSizesStop) {
  testing::put_isf_title("SIZES");
  put_uniform(5);
  put_communalities({0.5, 0.5, 0.5, 0.5});
  put_definers({{1, 2}});
  testing::RunResult r = run({"", ""});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("CSA2: CORRM1 is of order 5 but DIAGV1 holds 4 communalities."),
            std::string::npos)
      << r.console;

  put_communalities({0.5, 0.5, 0.5, 0.5, 0.5});
  testing::put_isf_names({"A", "B", "C"});
  r = run({"", ""});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("CSA2: VNAMS1 names 3 active variables but the correlations are of 5."),
            std::string::npos)
      << r.console;

  put_matrix("UFACT1", 4, 1, {0.5, 0.6, 0.7, 0.8});
  put_definers({{1, 2}, {3, 4}});
  r = run({"   1", ""});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("CSA2: UFACT1 has 1 factors, fewer than the 2 clusters of REFLX1."),
            std::string::npos)
      << r.console;
}

TEST_F(Csa2Input, MissingRunTitleStopsWithTheStorageReport) {
  put_uniform(3);
  put_definers({{1, 2}});
  const testing::RunResult r = run({"", ""});
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.code, 10007);
  EXPECT_GE(find(listing(), " FILE IDFILE COULD NOT BE LOCATED ON INTERMEDIATE STORAGE FILE"), 0);
}

// A cluster without a domain (a single definer of communality 0) stops before BASIS1 and
// RFACT1 are written: both keep what an earlier component stored.
TEST_F(Csa2Input, ClusterWithoutDomainStopsAndKeepsTheStoredEntries) {
  testing::put_isf_title("NO DOMAIN");
  put_uniform(4, {{3, 0.0}});
  put_definers({{1, 2}, {3}});
  put_matrix("BASIS1", 1, 1, {1.0});
  put_matrix("RFACT1", 4, 1, {0.1, 0.2, 0.3, 0.4});
  const testing::RunResult r = run({"", ""});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("CSA2: cluster 2 (Cluster2) has no domain: definer sum not positive."),
            std::string::npos)
      << r.console;
  std::int32_t rows = 0, cols = 0;
  EXPECT_EQ(get_matrix("BASIS1", rows, cols), (std::vector<float>{1.0f}));
  EXPECT_EQ(get_matrix("RFACT1", rows, cols), (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));

  // Reflections that cancel: {1, -1} sums h - 2h + h = 0.
  put_definers({{1, -1}});
  EXPECT_TRUE(run({"", ""}).stopped);
}

TEST_F(Csa2Input, AllVariablesExcludedStopsWith10009) {
  testing::put_isf_title("ALL OUT");
  put_uniform(4);
  put_definers({{1, 2}, {3, 4}});
  const testing::RunResult r = run({"", "0.99"});
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.code, 10009);
  EXPECT_NE(r.console.find(" QUIT: ERROR=10009"), std::string::npos);
  EXPECT_GE(find(listing(), "   ALL VARIABLES WERE EXCLUDED BECAUSE THEIR COMMUNALITY WAS BELOW "
                            "THE LOWER LIMIT0.99000001"),
            0);
}

// The reorder list holds 1998 entries. Clusters that share their definers fill it: every
// cluster's members are its definers 1..d (the assigned variables are among them), so the
// clusters bring clusters x 74 (or one 73) entries. What does not fit of a cluster is left
// out silently; an excluded variable (75, communality 0.1) that finds the list full stops.
TEST_F(Csa2Input, FullReorderListStopsOnlyForAnExcludedVariable) {
  struct Case {
    std::int32_t clusters;
    std::int32_t last_size;  // definers of the last cluster
    std::int32_t nv;         // 75: variable 75 excluded; 74: none excluded
    bool stops;
  };
  const Case cases[] = {
      {27, 74, 75, true},   // 27 x 74 = 1998, then the excluded variable
      {27, 73, 75, false},  // 26 x 74 + 73 = 1997, the excluded variable is the 1998th
      {28, 74, 74, false},  // 2072 members, nothing excluded: the list is cut at 1998
  };
  for (const Case& c : cases) {
    testing::put_isf_title("FULL REORDER LIST");
    put_uniform(c.nv, c.nv == 75 ? std::vector<std::pair<int, double>>{{75, 0.1}}
                                 : std::vector<std::pair<int, double>>{});
    std::vector<std::vector<std::int32_t>> lists;
    for (std::int32_t k = 1; k <= c.clusters; ++k) {
      std::vector<std::int32_t> d;
      for (std::int32_t v = 1; v <= (k == c.clusters ? c.last_size : 74); ++v) d.push_back(v);
      lists.push_back(d);
    }
    put_definers(lists);
    const testing::RunResult r = run({"   0   2", ""});
    EXPECT_EQ(r.stopped, c.stops) << c.clusters << " " << c.last_size << "\n" << r.console;
    EXPECT_EQ(r.console.find("NZ exceeded NZMAX") != std::string::npos, c.stops) << r.console;
  }
}

// After a selection the printed numbers come from REORD1 and the data set has NV + NSLEEP
// variables.
TEST_F(Csa2Input, SelectionNumbersFromReorderList) {
  testing::put_isf_title("SELECTED");
  testing::put_isf_names({"Gamma", "Alpha", "Delta", "Beta", "Eps"}, 2);
  testing::put_isf_reord({3, 1, 4, 2, 5}, 2);
  put_uniform(3);
  put_definers({{1, -3}});
  ASSERT_FALSE(run({"   0   1", ""}).stopped);
  const csa2::state& s = csa2::qvcsa2();
  EXPECT_EQ(s.nsleep, 2);
  EXPECT_EQ(s.ntotal, 5);
  const std::vector<std::string> l = listing();
  const int h = find(l, "VARIABLES IN CLUSTER 1");
  ASSERT_GE(h, 0);
  EXPECT_EQ(io::trim_right(l[static_cast<std::size_t>(h + 2)]), "         3 Gamma");
  EXPECT_NE(l[static_cast<std::size_t>(h + 3)].find("-4 Delta"), std::string::npos);
}

// The narrowest line (50) with 20-character names puts one excluded entry on a line (no
// gap item), and the shortest page (20 lines) still runs to the end.
TEST_F(Csa2Input, NarrowLinesAndShortPagesRunToTheEnd) {
  testing::put_isf_title("NARROW");
  std::vector<std::string> names;
  for (int i = 1; i <= 30; ++i) names.push_back("Twenty_character_" + std::string(i < 10 ? "00" : "0") + std::to_string(i));
  testing::put_isf_names(names);
  put_uniform(30, {{29, 0.1}, {30, 0.1}});
  put_definers({{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {13, 14}});
  set_ncline(50);
  set_nlpage(20);
  const testing::RunResult r = run({"   0   0   1   1   0   1", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> l = listing();
  const int ex = find(l, " VARIABLES EXCLUDED BECAUSE OF COMMUNALITIES BELOW 0.2000");
  ASSERT_GE(ex, 0);
  EXPECT_EQ(l[static_cast<std::size_t>(ex + 2)], "   29  Twenty_character_029");
  EXPECT_EQ(l[static_cast<std::size_t>(ex + 3)], "   30  Twenty_character_030");
  EXPECT_GE(find(l, "THE REORDERED CORRELATION MATRIX"), 0);
}

// Equal highest |coefficients| go to the lower cluster: variable 4 correlates 0.1 with the
// definer of cluster 1 and 0.3 with those of clusters 2 and 3, so it joins cluster 2.
TEST_F(Csa2Input, TiesJoinTheLowerCluster) {
  testing::put_isf_title("TIES");
  put_correlations({1, 0.3, 0.3, 0.1, 0.3, 1, 0.3, 0.3, 0.3, 0.3, 1, 0.3, 0.1, 0.3, 0.3, 1},
                   {0.6, 0.6, 0.6, 0.6});
  put_definers({{1}, {2}, {3}});
  ASSERT_FALSE(run({"", ""}).stopped);
  const std::vector<std::string> l = listing();
  const int c2 = find(l, "  VARIABLES IN OBLIQUE CLUSTER    2");
  const int c3 = find(l, "  VARIABLES IN OBLIQUE CLUSTER    3");
  ASSERT_GE(c2, 0);
  const int v4 = find(l, "    4     V004", c2);
  EXPECT_GT(v4, c2);
  EXPECT_LT(v4, c3);
}

// Debug listings: A, the weights (a cluster of 45 definers goes on over a third line of
// weights) and SUM; a variable of communality 0 gives augmented entries of 0, never a
// division by zero in the listing.
TEST_F(Csa2Input, DebugListingsAndZeroCommunality) {
  testing::put_isf_title("DEBUG");
  put_uniform(50, {{50, 0.0}});
  std::vector<std::int32_t> defs;
  for (int i = 1; i <= 45; ++i) defs.push_back(i);
  put_definers({defs, {46, 47}});
  const testing::RunResult r = run({"   0   2   1   1   1   1", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> l = listing();
  EXPECT_GE(find(l, "DEBUG PRINTOUT OF A(I,J) correlation matrix (observed or reproduced)"), 0);
  EXPECT_GE(find(l, "DEBUG PRINTOUT OF SUM(I,J)"), 0);
  const int w = find(l, " DEBUG PRINTOUT OF W(I,J)");
  ASSERT_GE(w, 0);
  EXPECT_EQ(l[static_cast<std::size_t>(w + 2)], "   1    " + [] {
    std::string x;
    for (int i = 0; i < 20; ++i) x += "  1.";
    return x;
  }());
  EXPECT_EQ(l[static_cast<std::size_t>(w + 4)], std::string(8, ' ') + "  1.  1.  1.  1.  1.");
  for (const std::string& line : l) {
    EXPECT_EQ(line.find("NaN"), std::string::npos) << line;
    EXPECT_EQ(line.find("Inf"), std::string::npos) << line;
  }
  const int aug = find(l, "CORRELATIONS OF VARIABLE DOMAIN SCORES AND CLUSTER DOMAIN SCORES");
  const int row = find(l, "   50  V050", aug);
  ASSERT_GT(row, aug);
  EXPECT_EQ(numbers(l[static_cast<std::size_t>(row)]), (std::vector<double>{50, 0, 0}));
}

}  // namespace
}  // namespace korvex
