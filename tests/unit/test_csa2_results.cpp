// *CSA2 against values computed independently (tests/reference/csa2_reference.py): the
// stored domain correlations and coefficients, the validities and reliabilities of the raw
// cluster scores, the generality table, the augmented matrices and the expanded structure
// with its A-, B- and C-reliabilities, on ten variables and the clusters {1, 2, -3},
// {4, 5}, {7}.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "test_csa2_fixture.hpp"

namespace korvex {
namespace {

struct ref_member {
  int v;
  double avgr, brel, crel;
  int ordadd;
};
#include "../reference/csa2_reference_values.inc"

constexpr std::int32_t nv = 10;
const std::vector<std::string> names = {"Verbal", "Reading",  "Vocabulary", "Spatial", "Rotation",
                                        "Memory", "Speed",    "Spelling",   "Grammar", "Comprehension"};
// The start of a matrix row: the ordinal in 5 columns after the carriage control, the name.
std::string row_key(int v) {
  const std::string n = std::to_string(v);
  return std::string(5 - n.size(), ' ') + n + "  " + names[static_cast<std::size_t>(v - 1)];
}
constexpr std::int32_t ncl = 3;

class Csa2Results : public testing::Csa2Run {
 protected:
  void put_inputs() {
    testing::put_isf_title("CLUSTER STRUCTURE ON TEN ABILITY TESTS");
    testing::put_isf_names(names);
    put_correlations(ref_R, ref_H);
    put_definers({{1, 2, -3}, {4, 5}, {7}});
  }
  std::vector<std::string> listing() { return file_lines("MONOUT"); }
};

// BASIS1 = S / sqrt(outer(diag S, diag S)) and RFACT1 = A W / sqrt(diag S).
TEST_F(Csa2Results, StoredDomainsMatchReference) {
  put_inputs();
  const testing::RunResult r = run({"", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  std::int32_t rows = 0, cols = 0;
  const std::vector<float> basis = get_matrix("BASIS1", rows, cols);
  ASSERT_EQ(rows, ncl);
  ASSERT_EQ(cols, ncl);
  for (std::size_t i = 0; i < basis.size(); ++i) EXPECT_NEAR(basis[i], ref_RDOM[i], 1e-5) << i;
  const std::vector<float> rfact = get_matrix("RFACT1", rows, cols);
  ASSERT_EQ(rows, nv);
  ASSERT_EQ(cols, ncl);
  for (std::size_t i = 0; i < rfact.size(); ++i) EXPECT_NEAR(rfact[i], ref_RVD[i], 1e-5) << i;
}

// Validities sqrt(S_cc / (S_cc + sum(1 - h))) and their squares as the diagonal of the raw
// score intercorrelations; the one-definer cluster 3 has validity sqrt(h7).
TEST_F(Csa2Results, ValiditiesAndReliabilities) {
  put_inputs();
  ASSERT_FALSE(run({"", ""}).stopped);
  const std::vector<std::string> l = listing();
  int t = find(l, "DOMAIN VALIDITIES OF CLUSTER SCORES (ACCURACY OF FACTOR ESTIMATES)");
  ASSERT_GE(t, 0);
  std::vector<double> v;
  for (int i = t + 1; i < static_cast<int>(l.size()) && v.size() < 6; ++i) {
    const std::vector<double> x = numbers(l[static_cast<std::size_t>(i)]);
    v.insert(v.end(), x.begin(), x.end());
  }
  ASSERT_EQ(v.size(), 6u);
  for (int c = 0; c < ncl; ++c) {
    EXPECT_EQ(v[static_cast<std::size_t>(2 * c)], c + 1);
    EXPECT_NEAR(v[static_cast<std::size_t>(2 * c + 1)], ref_valid[static_cast<std::size_t>(c)], 0.001);
  }
  EXPECT_NEAR(ref_valid[2], std::sqrt(0.3), 1e-9);
  EXPECT_NE(find(l, "|"), -1);  // the items are separated

  t = find(l, "CORRELATION OF RAW CLUSTER SCORES WITH EACH OTHER (CORRELATIONS BETWEEN FACTOR ESTIMATES)");
  ASSERT_GE(t, 0);
  ASSERT_GE(find(l, "Diagonal elements represent cluster reliabilities", t), t);
  // Rows of the lower triangle: ordinal, name, values; the diagonal is the last value.
  for (int c = 1; c <= ncl; ++c) {
    const int row = find(l, "    " + std::to_string(c) + "  Cluster" + std::to_string(c), find(l, "Diagonal elements", t));
    ASSERT_GE(row, 0);
    const std::vector<double> x = numbers(l[static_cast<std::size_t>(row)]);
    ASSERT_EQ(x.size(), static_cast<std::size_t>(c + 1));
    EXPECT_NEAR(x.back(), ref_RSS[static_cast<std::size_t>((c - 1) * ncl + (c - 1))], 0.001);
  }
}

// The generality table: A, B with its RMS, and C, D, E, F of every cluster.
TEST_F(Csa2Results, GeneralityTable) {
  put_inputs();
  ASSERT_FALSE(run({"", ""}).stopped);
  const std::vector<std::string> l = listing();
  const int a = find(l, "A - SUM OF COMMUNALITIES");
  ASSERT_GE(a, 0);
  EXPECT_NEAR(numbers(l[static_cast<std::size_t>(a)]).back(), ref_gA, 1e-4);
  const int b = find(l, "B - MEAN SQUARES OF RAW CORRELATIONS");
  ASSERT_GE(b, 0);
  const std::vector<double> bx = numbers(l[static_cast<std::size_t>(b)]);
  ASSERT_EQ(bx.size(), 2u);
  EXPECT_NEAR(bx[0], ref_gB, 1e-4);
  EXPECT_NEAR(bx[1], ref_rms, 1e-4);
  EXPECT_NE(l[static_cast<std::size_t>(b)].find("(RMS = "), std::string::npos);
  const int head = find(l, "CLUSTER           C           D           E           F");
  ASSERT_GE(head, 0);
  for (int c = 1; c <= ncl; ++c) {
    const std::string& row = l[static_cast<std::size_t>(head + c)];
    // Twenty blanks (the carriage control among them), the name right-justified in 20.
    EXPECT_EQ(row.substr(0, 40), std::string(32, ' ') + "Cluster" + std::to_string(c));
    const std::vector<double> x = numbers(row);
    ASSERT_EQ(x.size(), 4u);
    const auto k = static_cast<std::size_t>(c - 1);
    EXPECT_NEAR(x[0], ref_gC[k], 0.001);
    EXPECT_NEAR(x[1], ref_gD[k], 0.001);
    EXPECT_NEAR(x[2], ref_gE[k], 0.001);
    EXPECT_NEAR(x[3], ref_gF[k], 0.001);
  }
}

// KAUGCO 1 and KAUGCR 1: RVD / sqrt(h) and A / sqrt(outer(h, h)), unit diagonal.
TEST_F(Csa2Results, AugmentedMatrices) {
  put_inputs();
  ASSERT_FALSE(run({"   0   2   1   1", ""}).stopped);
  const std::vector<std::string> l = listing();
  int t = find(l, "CORRELATIONS OF VARIABLE DOMAIN SCORES AND CLUSTER DOMAIN SCORES");
  ASSERT_GE(t, 0);
  for (int i = 1; i <= nv; ++i) {
    const int row = find(l, row_key(i), t + 1);
    ASSERT_GE(row, 0);
    const std::vector<double> x = numbers(l[static_cast<std::size_t>(row)]);
    ASSERT_EQ(x.size(), 1u + ncl) << l[static_cast<std::size_t>(row)];
    for (int c = 0; c < ncl; ++c)
      EXPECT_NEAR(x[static_cast<std::size_t>(c + 1)], ref_aug_co[static_cast<std::size_t>(c * nv + i - 1)], 0.001);
  }
  t = find(l, " CORRELATIONS OF SCORES ON VARIABLE DOMAINS WITH EACH OTHER (AUGMENTED CORRELATION MATRIX) ");
  ASSERT_GE(t, 0);
  for (int i = 1; i <= nv; ++i) {
    const int row = find(l, row_key(i), t + 1);
    ASSERT_GE(row, 0);
    const std::vector<double> x = numbers(l[static_cast<std::size_t>(row)]);
    ASSERT_EQ(x.size(), static_cast<std::size_t>(1 + i));
    for (int j = 1; j <= i; ++j)
      EXPECT_NEAR(x[static_cast<std::size_t>(j)], ref_aug_cr[static_cast<std::size_t>((j - 1) * nv + i - 1)], 0.001);
    EXPECT_NEAR(x.back(), 1.0, 1e-6);
  }
}

// KBASIS 1: A = F F' over the first NCL columns of UFACT1 (its fourth column is ignored).
TEST_F(Csa2Results, ReproducedCorrelationsUseFirstColumns) {
  testing::put_isf_title("REPRODUCED");
  put_matrix("UFACT1", nv, 4, ref_F);
  put_definers({{1, 2, -3}, {4, 5}, {7}});
  const testing::RunResult r = run({"   1", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  std::int32_t rows = 0, cols = 0;
  const std::vector<float> basis = get_matrix("BASIS1", rows, cols);
  ASSERT_EQ(basis.size(), 9u);
  for (std::size_t i = 0; i < basis.size(); ++i) EXPECT_NEAR(basis[i], ref_rep_RDOM[i], 1e-5);
  const std::vector<float> rfact = get_matrix("RFACT1", rows, cols);
  ASSERT_EQ(rfact.size(), 30u);
  for (std::size_t i = 0; i < rfact.size(); ++i) EXPECT_NEAR(rfact[i], ref_rep_RVD[i], 1e-5);
  const std::vector<std::string> l = listing();
  EXPECT_GE(find(l, "ANALYSIS BASED ON CORRELATIONS REPRODUCED FROM FACTOR COEFFICIENTS"), 0);
  EXPECT_GE(find(l, "V001"), 0);  // no VNAMS1: generated names
}

// Every page holds at most the page length, from one page header to the next: the cluster
// block headings count all the lines they write, so the expanded structure with its three
// blocks and the reordered matrix does not run past the page.
TEST_F(Csa2Results, PagesEndAtThePageLength) {
  {
    const std::int32_t nl = 78;
    put_inputs();
    ASSERT_FALSE(run({"   0   0   1   1   0   1", "0.5"}).stopped);
    const std::vector<std::string> l = listing();
    int last = -1;
    for (int i = 0; i < static_cast<int>(l.size()); ++i) {
      if (l[static_cast<std::size_t>(i)].rfind('1', 0) != 0) continue;
      if (last >= 0) {
        EXPECT_LE(i - last, nl) << "page header at line " << i + 1;
      }
      last = i;
    }
    ASSERT_GE(find(l, "  VARIABLES IN OBLIQUE CLUSTER    3"), 0);
  }
}

// The expanded structure with the limit 0.5: variables 7 and 8 (communalities 0.3 and
// exactly 0.5) are excluded; definer 5 of cluster 2 joins cluster 3; reliabilities and the
// orders of addition as the reference gives them.
TEST_F(Csa2Results, ExpandedStructure) {
  put_inputs();
  ASSERT_FALSE(run({"   0   0", "0.5"}).stopped);
  const std::vector<std::string> l = listing();
  const std::vector<std::vector<ref_member>> members = {ref_members1, ref_members2, ref_members3};
  const std::vector<double> arel = {ref_arel1, ref_arel2, ref_arel3};
  const std::vector<double> lbfc = {ref_lbfc1, ref_lbfc2, ref_lbfc3};
  const std::vector<std::vector<int>> definers = {{1, 2, 3}, {4, 5}, {7}};
  int at = find(l, "EXPANDED CLUSTER STRUCTURE");
  ASSERT_GE(at, 0);
  for (int c = 1; c <= ncl; ++c) {
    const auto k = static_cast<std::size_t>(c - 1);
    at = find(l, "  VARIABLES IN OBLIQUE CLUSTER  " + std::string(2, ' ') + std::to_string(c), at);
    ASSERT_GE(at, 0) << c;
    const std::string& h = l[static_cast<std::size_t>(at + 2)];
    ASSERT_NE(h.find("LBFC="), std::string::npos);
    const std::vector<double> hx = numbers(h);
    ASSERT_EQ(hx.size(), 2u);
    EXPECT_NEAR(hx[0], lbfc[k], 1e-4);
    EXPECT_NEAR(hx[1], arel[k], 1e-4);
    int row = at + 9;  // heading lines, then one blank line before the rows
    for (const ref_member& m : members[k]) {
      const std::string& line = l[static_cast<std::size_t>(row++)];
      const std::vector<double> x = numbers(line);
      ASSERT_FALSE(x.empty()) << line;
      EXPECT_EQ(x[0], m.v) << line;
      const bool is_def = std::find(definers[k].begin(), definers[k].end(), m.v) != definers[k].end();
      EXPECT_EQ(line.find(" (D) ") != std::string::npos, is_def) << line;
      if (is_def) {
        ASSERT_EQ(x.size(), 4u) << line;
        EXPECT_NEAR(x[3], m.avgr, 0.001);
      } else {
        ASSERT_EQ(x.size(), 7u) << line;
        EXPECT_NEAR(x[1], ref_RVD[k * nv + static_cast<std::size_t>(m.v - 1)], 0.001);
        EXPECT_NEAR(x[2], ref_H[static_cast<std::size_t>(m.v - 1)], 0.001);
        EXPECT_NEAR(x[3], m.avgr, 0.001);
        EXPECT_NEAR(x[4], m.brel, 0.001);
        EXPECT_NEAR(x[5], m.crel, 0.001);
        EXPECT_EQ(x[6], m.ordadd);
      }
    }
  }
  const int ex = find(l, " VARIABLES EXCLUDED BECAUSE OF COMMUNALITIES BELOW 0.5000");
  ASSERT_GE(ex, 0);
  EXPECT_EQ(numbers(l[static_cast<std::size_t>(ex + 2)]), (std::vector<double>{7}));
  EXPECT_EQ(numbers(l[static_cast<std::size_t>(ex + 3)]), (std::vector<double>{8}));

  // The reordered matrix: members of 1, 2, 3 in printed order, then 7 and 8; 5 and 7 twice.
  const int m = find(l, "THE REORDERED CORRELATION MATRIX", ex);
  ASSERT_GE(m, 0);
  std::vector<int> order;
  for (const auto& blk : members)
    for (const ref_member& x : blk) order.push_back(x.v);
  order.push_back(7);
  order.push_back(8);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 9, 10, 4, 5, 6, 5, 7, 7, 8}));
  int row = m;
  for (std::size_t i = 0; i < order.size(); ++i) {
    row = find(l, row_key(order[i]), row + 1);
    ASSERT_GE(row, 0) << i;
    // The first strip holds 10 columns.
    const std::vector<double> x = numbers(l[static_cast<std::size_t>(row)]);
    ASSERT_EQ(x.size(), std::min<std::size_t>(i, 9) + 2) << l[static_cast<std::size_t>(row)];
    const auto v = static_cast<std::size_t>(order[i] - 1);
    if (i < 10) {
      EXPECT_NEAR(x.back(), ref_H[v], 0.001);  // the diagonal is the communality
    }
  }
}

}  // namespace
}  // namespace korvex
