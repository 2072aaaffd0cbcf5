// CC5's choice of key variables, through whole runs: the single-pivot and salient-centroid
// rankings and the pivot-collinearity keys against values worked in double precision
// (tests/reference/cc5_reference.py and .out), clusters that the two collinearity methods
// must find, the candidate messages and fallbacks when no pivot qualifies, preset lists
// from the cards and from CLUST1 with their errors, and the stop when the first dimension
// has no key at all.
#include <string>
#include <vector>

#include "test_cc5_fixture.hpp"

namespace korvex {
namespace {

using testing::Cc5Run;
using testing::Sym;
using Lists = std::vector<std::vector<std::int32_t>>;

// The two-factor matrix of cc5_reference.py (lower triangle by columns).
Sym r9() {
  return Sym::from_lower(9, {0.78, 0.725, 0.695, 0.64, 0.175, 0.215, 0.12, 0.25, 0.688, 0.668, 0.61, 0.213,
                             0.248, 0.155, 0.275, 0.61, 0.565, 0.123, 0.16, 0.078, 0.195, 0.545, 0.245, 0.272,
                             0.188, 0.29, 0.155, 0.185, 0.11, 0.21, 0.695, 0.642, 0.615, 0.608, 0.59, 0.535});
}
const std::vector<double> h9 = {0.82, 0.745, 0.643, 0.602, 0.5, 0.732, 0.663, 0.565, 0.53};
const std::vector<double> h9b = {0.31, 0.62, 0.61, 0.54, 0.70, 0.71, 0.78, 0.56, 0.49};

// Nearly uncorrelated variables: no PSQ between two of them reaches 0.4.
Sym r6() {
  return Sym::from_lower(6, {0.21, -0.05, 0.12, 0.02, 0.15, 0.08, -0.18, 0.11, 0.04, 0.25, 0.01, -0.09, 0.07,
                             0.19, -0.13});
}

// Two uncorrelated one-factor clusters, interleaved: odd positions load on one factor,
// even positions on the other.
Sym interleaved() {
  return Sym::from_lower(9, {0.0, 0.765, 0.0, 0.72, 0.0, 0.675, 0.0, 0.63, 0.0, 0.68, 0.0, 0.638, 0.0, 0.595,
                             0.0, 0.0, 0.68, 0.0, 0.638, 0.0, 0.595, 0.0, 0.6, 0.0, 0.56, 0.0, 0.0, 0.6, 0.0,
                             0.56, 0.0, 0.525, 0.0, 0.0, 0.525, 0.0});
}
const std::vector<double> h_interleaved = {0.81, 0.722, 0.722, 0.64, 0.64, 0.562, 0.562, 0.49, 0.49};

class Cc5Keys : public Cc5Run {};

// First dimension of each ranking method (cc5_reference.out, matrix R9b): the highest
// residual communality is variable 7, the highest sum of squared r variable 2, the
// highest variance of squared r variable 1; the leading four of the last two rankings.
TEST_F(Cc5Keys, SinglePivotAndSalientCentroidRankings) {
  struct Case {
    std::string kon1;
    std::string nsort;
    std::vector<std::int32_t> keys;
  };
  const std::vector<Case> cases = {
      {"5", "", {7}}, {"6", "", {2}}, {"7", "", {1}}, {"8", "4", {1, 7, 2, 6}}, {"9", "4", {2, 1, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("KON1 " + c.kon1);
    fresh_process();
    put_inputs(r9(), h9b);
    ASSERT_FALSE(run({card1({{9, c.kon1}, {17, "1"}, {33, c.nsort}}), card2()}).stopped);
    const Lists clust = table("CLUST1");
    ASSERT_EQ(clust.size(), 1u);
    EXPECT_EQ(clust[0], c.keys);
  }
}

// Salient keys are capped by the number of variables (eight asked, five there).
TEST_F(Cc5Keys, SalientCentroidTakesAtMostEveryVariable) {
  put_inputs(Sym::from_lower(5, {0.5, 0.4, 0.3, 0.2, 0.45, 0.35, 0.25, 0.4, 0.3, 0.35}), {0.6, 0.5, 0.45, 0.4, 0.3});
  ASSERT_FALSE(run({card1({{9, "8"}, {17, "1"}}), card2()}).stopped);
  const Lists clust = table("CLUST1");
  ASSERT_EQ(clust.size(), 1u);
  EXPECT_EQ(clust[0].size(), 5u);
}

// Pivot collinearity on R9 (cc5_reference.out): pivot 1, then PSQ .9994 (5), .9985 (3),
// .9975 (2) all reach 0.4, and the fifth, .9869 (4), falls short of 2 S(4) - S(2) = .9956.
TEST_F(Cc5Keys, PivotCollinearityStopsAtTheFifthKeyThreshold) {
  put_inputs(r9(), h9);
  ASSERT_FALSE(run({card1({{9, "1"}, {21, "1"}}), card2()}).stopped);
  const Lists clust = table("CLUST1");
  ASSERT_GE(clust.size(), 1u);
  EXPECT_EQ(clust[0], (std::vector<std::int32_t>{1, 5, 3, 2}));
  // The key report lists the pivot's PSQ values.
  const std::vector<std::string> lines = listing();
  const int psq = find_line(lines, "PSQ VALUES FOR THE PIVOT VARIABLE OF DIMENSION 1");
  ASSERT_NE(psq, -1);
  EXPECT_NE(find_line(lines, "4  0.987  VAR_4", psq), -1);
}

// Both collinearity methods find the clusters: every key of dimension 1 is an odd
// position (pivot 1, the largest variance of squared r), every key of dimension 2 an even
// one (pivot 2), and the two dimensions exhaust the communality.
TEST_F(Cc5Keys, CollinearityMethodsFindUncorrelatedClusters) {
  for (const std::string kon1 : {"1", "2"}) {
    SCOPED_TRACE("KON1 " + kon1);
    fresh_process();
    put_inputs(interleaved(), h_interleaved);
    ASSERT_FALSE(run({card1({{9, kon1}, {21, "1"}}), card2()}).stopped);
    const Lists clust = table("CLUST1");
    ASSERT_EQ(clust.size(), 2u);
    ASSERT_GE(clust[0].size(), 4u);
    ASSERT_GE(clust[1].size(), 3u);
    EXPECT_EQ(clust[0][0], 1);
    EXPECT_EQ(clust[1][0], 2);
    for (std::int32_t k : clust[0]) EXPECT_EQ(k % 2, 1) << k;
    for (std::int32_t k : clust[1]) EXPECT_EQ(k % 2, 0) << k;
  }
}

// No candidate qualifies (cc5_reference.out, R6 and R3): NPIV candidates are tried, each
// failure named with the next in line; the first dimension falls back to the first
// candidate alone, the second dimension ends the analysis. With three variables only two
// candidates are tried (NPIV is cut to NUMVAR - 1).
TEST_F(Cc5Keys, CandidateMessagesAndFallbacks) {
  struct Case {
    std::string kon1;
    bool three;
    std::vector<int> dim1;  // candidates in the order tried, then the next in line
    std::vector<int> dim2;
    std::string word;       // V ARIABLE (method 1) or VARIABLE (method 2)
    std::string fallback;
  };
  const std::vector<Case> cases = {
      {"1", false, {5, 3, 1, 6, 2}, {3, 1, 4, 2, 6}, "V ARIABLE", "ARBITRARILY"},
      {"2", false, {5, 3, 1, 6, 2}, {3, 1, 4, 2, 6}, "VARIABLE", "ARBITARILY"},
      {"1", true, {3, 1, 2}, {1, 2, 3}, "V ARIABLE", "ARBITRARILY"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("KON1 " + c.kon1 + (c.three ? ", three variables" : ""));
    fresh_process();
    if (c.three) {
      put_inputs(Sym::from_lower(3, {0.21, -0.05, 0.08}), {1.0, 1.0, 1.0});
    } else {
      put_inputs(r6(), std::vector<double>(6, 1.0));
    }
    ASSERT_FALSE(run({card1({{9, c.kon1}}), card2()}).stopped);
    EXPECT_EQ(table("CLUST1"), (Lists{{c.dim1[0]}}));
    // The listing as one text, runs of blanks taken as one (messages run over lines).
    std::string text;
    for (const std::string& l : listing()) {
      for (char ch : l + " ") {
        if (ch != ' ' || text.empty() || text.back() != ' ') text += ch;
      }
    }
    std::size_t at = 0;
    for (int dim = 1; dim <= 2; ++dim) {
      const std::vector<int>& cand = dim == 1 ? c.dim1 : c.dim2;
      for (std::size_t k = 0; k + 1 < cand.size(); ++k) {
        const std::string n1 = std::to_string(cand[k]);
        const std::string n2 = std::to_string(cand[k + 1]);
        at = text.find(" IN DIMENSION " + std::to_string(dim) + ", BELOW, " + c.word + " " + n1 + " (VAR_" + n1, at);
        ASSERT_NE(at, std::string::npos) << "dimension " << dim << ", candidate " << n1;
        at = text.find("AND VARIABLE " + n2 + " (VAR_" + n2, at);
        ASSERT_NE(at, std::string::npos) << "dimension " << dim << ", next " << n2;
      }
      const std::size_t fallback = text.find(c.fallback);
      EXPECT_EQ(fallback != std::string::npos && fallback < at, dim == 2) << "dimension " << dim;
    }
    EXPECT_EQ(text.find(" IN DIMENSION 3"), std::string::npos);
  }
}

// Preset lists from the cards are numbers of the active variables, mapped to positions of
// CORRM1: with variables 3 and 6 of 8 set aside, "4,5,8." are positions 3, 4 and 6.
TEST_F(Cc5Keys, PresetListsUseTheOriginalNumbersOfASelection) {
  put_title();
  put_corr(r6());
  put_diag(std::vector<double>(6, 0.5));
  put_names({"A", "B", "D", "E", "G", "H", "C", "F"}, 2);
  put_reord({1, 2, 4, 5, 7, 8, 3, 6}, 2);
  ASSERT_FALSE(run({card1({{9, "3"}, {17, "1"}}), card2(), " 4, 5,", "8."}).stopped);
  EXPECT_EQ(table("CLUST1"), (Lists{{3, 4, 6}}));
  const std::vector<std::string> lines = listing();
  EXPECT_NE(find_line(lines, "KEY VARIABLES DEFINING DIMENSION 1   (VARIABLE 4 IS THE PIVOT VARIABLE)"), -1);
}

TEST_F(Cc5Keys, PresetListErrors) {
  struct Case {
    std::vector<std::string> lists;
    std::string message;
  };
  // A hundred numbers (a number may run over the end of a card).
  std::string all;
  for (int i = 1; i <= 100; ++i) all += std::to_string(i % 6 + 1) + (i < 100 ? "," : ".");
  std::vector<std::string> hundred;
  for (std::size_t p = 0; p < all.size(); p += 80) hundred.push_back(all.substr(p, 80));
  const std::vector<Case> cases = {
      {{"1,0."}, "Input number too big or zero."},
      {{"."}, "Input number too big or zero."},
      {{"1;2."}, "Inappropiate character in ordinal number."},
      {{"1,7."}, "CC5_keys: Preset indicator 0002 with value 0007 is invalid"},
      {hundred, "Too many numbers in list: room for 99."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    fresh_process();
    put_inputs(r6(), std::vector<double>(6, 0.5));
    std::vector<std::string> cards = {card1({{9, "3"}, {17, "1"}}), card2()};
    cards.insert(cards.end(), c.lists.begin(), c.lists.end());
    const testing::Cc5Outcome o = run(cards);
    EXPECT_TRUE(o.stopped);
    EXPECT_NE(o.console.find(c.message), std::string::npos) << o.console;
    EXPECT_FALSE(on_isf("UFACT1"));
  }
}

// The key lists of a prior analysis: an empty first list stops the run (10001), an empty
// later list ends the analysis before it, and a CLUST1 that the work arrays cannot hold,
// or that names a variable CORRM1 does not have, is refused.
TEST_F(Cc5Keys, ListsOfAPriorAnalysis) {
  struct Case {
    Lists lists;
    int nf;  // dimensions extracted; 0 for a stop
    int code;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{{1, 2}, {3, 4}}, 2, -1, ""},
      {{{1, 2}, {}, {3}}, 1, -1, ""},
      {{{}, {1}}, 0, 10001, " QUIT: ERROR=10001"},
      {{{1, 7}}, 0, 0, "CC5_input: CLUST1 list 1 holds variable 7; CORRM1 has 6 variables."},
      {Lists(51, {1}), 0, 0, "CC5_input: CLUST1 holds 51 key lists; at most 50 can be used."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    fresh_process();
    put_inputs(r6(), std::vector<double>(6, 0.5));
    if (c.lists.size() > 50) {
      // More lists than a CLUST1 of this system holds: written with room for them.
      std::vector<std::int32_t> counts(c.lists.size(), 1);
      std::vector<std::int32_t> members(99 * c.lists.size(), 1);
      Kpar kpar{1, static_cast<std::int32_t>(c.lists.size())};
      std::int32_t notfound = 0;
      isf_int_table("CLUST1", 1, kpar, notfound, counts, members);
    } else {
      put_clust(c.lists);
    }
    const testing::Cc5Outcome o = run({card1({{9, "4"}}), card2()});
    if (c.nf > 0) {
      ASSERT_FALSE(o.stopped) << o.console;
      EXPECT_EQ(ufact1().nf, c.nf);
      continue;
    }
    EXPECT_TRUE(o.stopped);
    EXPECT_EQ(o.code, c.code);
    EXPECT_NE(o.console.find(c.message), std::string::npos) << o.console;
  }
}

TEST_F(Cc5Keys, NoKeyForTheFirstDimensionStops) {
  for (const std::string kon1 : {"8", "9", "4"}) {
    SCOPED_TRACE("KON1 " + kon1);
    fresh_process();
    put_inputs(r6(), std::vector<double>(6, 0.5));
    const testing::Cc5Outcome o = run({card1({{9, kon1}, {33, "0"}}), card2()});
    EXPECT_TRUE(o.stopped);
    if (kon1 == "4") {
      EXPECT_EQ(o.code, 10005);  // no CLUST1 at all
      EXPECT_NE(find_line(listing(), "CANNOT FIND CLUST1 FILE ON INTERMEDIATE STORAGE FILE"), -1);
    } else {
      EXPECT_EQ(o.code, 10001);
      EXPECT_NE(o.console.find(" QUIT: ERROR=10001"), std::string::npos);
    }
    EXPECT_FALSE(on_isf("UFACT1"));
  }
}

}  // namespace
}  // namespace korvex
