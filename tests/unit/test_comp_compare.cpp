// COMP2 run in-process on comparison decks: the three indices on every road against numpy
// (tests/reference/comp_decks.py), the stored entries, the selections, the zero
// denominators that must not turn into NaN, a deck with its own format card, and the stops
// for bad options, misfit decks and bad name lists.
#include <cmath>
#include <string>
#include <vector>

#include "../reference/comp_reference_values.inc"
#include "test_comp_fixture.hpp"
#include "typing/comp_internal.hpp"

namespace korvex {
namespace {

using testing::GroupDeck;

std::vector<std::vector<int>> columns(const int* v, int nv, int nf) {
  std::vector<std::vector<int>> c(static_cast<std::size_t>(nf));
  for (int j = 0; j < nf; ++j) c[static_cast<std::size_t>(j)].assign(v + j * nv, v + (j + 1) * nv);
  return c;
}

// The two reference groups (20 variables, 3 and 4 factors) with their definer lists.
std::vector<GroupDeck> reference_groups() {
  namespace r = comp_reference;
  GroupDeck g1{"GROUP ONE", columns(r::punched1, r::nv, 3), {}, {{1, 4, 7}, {2, 3}, {5, 6, 20, 19}}};
  GroupDeck g2{"GROUP TWO", columns(r::punched2, r::nv, 4), {}, {{1, 4}, {2, 3, 8}, {9, 10}, {11, 12, 13}}};
  return {g1, g2};
}

class Comp2 : public testing::CompRun {
 protected:
  // CORRM1 equals want (nd x nd, row by row) within 1e-5 and holds no NaN.
  void expect_corrm1(const double* want, int nd, int nv) {
    Kpar kpar{};
    const std::vector<float> a = corrm1(kpar);
    EXPECT_EQ(kpar[0], 2);
    EXPECT_EQ(kpar[1], nd);
    EXPECT_EQ(kpar[2], nv);
    for (int j = 0; j < nd; ++j) {
      for (int k = 0; k < nd; ++k) {
        if (j == k) continue;
        const float got = a[static_cast<std::size_t>(k) * 999 + static_cast<std::size_t>(j)];
        EXPECT_FALSE(std::isnan(got));
        EXPECT_NEAR(got, want[j * nd + k], 1e-5) << "pair " << j + 1 << "," << k + 1;
      }
    }
  }
};

TEST_F(Comp2, IndicesOverAllVariablesMatchNumpy) {
  namespace r = comp_reference;
  const struct {
    const char* options;
    const double* want;
    const char* title;
  } cases[] = {
      {"   2   0   0   0", r::all_cosine, "COSINES AMONG DIMENSIONS"},
      {"   2   0   0   1", r::all_psq, "SIGNED PSQ AMONG DIMENSIONS"},
      {"   2   0   0   2", r::all_correlation, "CORRELATIONS AMONG DIMENSIONS"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const testing::RunResult res = comp2(c.options, {}, reference_groups());
    ASSERT_FALSE(res.stopped) << res.console;
    expect_corrm1(c.want, r::nd, r::nv);
    EXPECT_NE(listing().find(c.title), std::string::npos);
  }
  Kpar kpar{};
  const std::vector<std::string> names = vnams1(kpar);
  EXPECT_EQ(kpar[1], 7);
  EXPECT_EQ(names[0], "G01D01              ");
  EXPECT_EQ(names[3], "G02D01              ");
  EXPECT_EQ(names[6], "G02D04              ");
  std::vector<std::string> title(12);
  std::int32_t notfound = 1;
  isf_idfile(0, notfound, title);
  EXPECT_EQ(title[0] + title[1] + title[2], "THE COMPARISON RUN");
}

TEST_F(Comp2, KeyClusterAndPairwiseRoadsMatchNumpy) {
  namespace r = comp_reference;
  const struct {
    const char* options;
    const double* want;
    int nv;
  } cases[] = {
      {"   2   2   0   0", r::key_cosine, 15},  {"   2   2   0   1", r::key_psq, 15},
      {"   2   2   0   2", r::key_correlation, 15}, {"   2   3   0   0", r::pair_cosine, 15},
      {"   2   3   0   1", r::pair_psq, 15},  {"   2   3   0   2", r::pair_correlation, 15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const testing::RunResult res = comp2(c.options, {}, reference_groups());
    ASSERT_FALSE(res.stopped) << res.console;
    expect_corrm1(c.want, r::nd, c.nv);
  }
}

TEST_F(Comp2, GroupColumnsAndListing) {
  const testing::RunResult res = comp2("   2   0   0   0", {}, reference_groups());
  ASSERT_FALSE(res.stopped) << res.console;
  const std::string l = listing();
  for (const char* text : {" C O M P A R A T I V E  C L U S T E R  A N A L Y S I S", "C O M P 2",
                           "ALL VARIABLES WILL BE USED", "ALL DIMENSIONS WILL BE USED",
                           "COSINE OF ANGULAR SEPARATION OF DIMENSIONS",
                           "           INDENTIFICATION OF GROUP  1\n\n          GROUP ONE",
                           "           INDENTIFICATION OF GROUP  2\n\n          GROUP TWO",
                           "FACTOR COEFFICIENTS FROM THIS GROUP",
                           "FACTOR COEFFICIENTS OF VARIABLES AND FACTORS SELECTED FOR COMPARISON"}) {
    EXPECT_NE(l.find(text), std::string::npos) << text;
  }
  // The second group's coefficients are columns 4 to 7 of the compared matrix.
  EXPECT_NE(l.find("G01D01   G01D02   G01D03   G02D01   G02D02   G02D03   G02D04"), std::string::npos);
  EXPECT_NE(l.find("0.7532   0.6928   0.4783   0.0487   0.8396   0.3077   0.5773"), std::string::npos);
}

// Two groups of 3 variables whose definer lists choose the rows the pair is compared over.
TEST_F(Comp2, SelectionsOfRows) {
  GroupDeck a{"A", {{1000, 2000, 3000, 4000, 5000, 6000, 7000}}, {}, {{1, 4}}};
  GroupDeck b{"B", {{7000, 1000, 5000, 2000, 6000, 3000, 4000}}, {}, {{4, 7}}};
  // VARSEL 2: the variables 1, 4 and 7, in variable order.
  ASSERT_FALSE(comp2("   2   2   0   2", {}, {a, b}).stopped);
  Kpar kpar{};
  std::vector<float> s = corrm1(kpar);
  EXPECT_EQ(kpar[2], 3);
  // (0.1, 0.4, 0.7) against (0.7, 0.2, 0.4): numpy corrcoef -0.5960396
  EXPECT_NEAR(s[1], -0.5960396f, 1e-5);
  EXPECT_NE(listing().find("KEY CLUSTER VARIABLES WILL BE USED"), std::string::npos);

  // VARSEL 1: the analyst's rows in the order of the list.
  ASSERT_FALSE(comp2("   2   1   0   0", {"V005,V001,", "V003."}, {a, b}).stopped);
  s = corrm1(kpar);
  EXPECT_EQ(kpar[2], 3);
  // (0.5, 0.1, 0.3) against (0.6, 0.7, 0.5): the cosine index of their congruence phi
  const double phi = (0.30 + 0.07 + 0.15) / std::sqrt(0.35 * 1.10);
  EXPECT_NEAR(s[1], phi / (1 + std::sqrt(1 - phi * phi)), 1e-5);
  const std::string l = listing();
  EXPECT_NE(l.find("     1  V005      0.5000   0.6000\n     2  V001      0.1000   0.7000\n     3  V003      0.3000   0.5000"), std::string::npos) << l;
}

// The pairwise rule with definers {1, 2} and {2, 3}: each pair over the union, each
// dimension against itself over its own definers only.
TEST_F(Comp2, PairwiseUnionOfDefiners) {
  GroupDeck a{"A", {{5000, -3000, 2000, 9000}, {1000, 4000, -6000, 9000}}, {}, {{1, 2}, {2, 3}}};
  ASSERT_FALSE(comp2("   1   3   0   2", {}, {a}).stopped);
  Kpar kpar{};
  const std::vector<float> s = corrm1(kpar);
  EXPECT_EQ(kpar[2], 3);  // variable 4 defines nothing
  // over variables 1, 2, 3: numpy corrcoef((0.5, -0.3, 0.2), (0.1, 0.4, -0.6)) = -0.4259261
  EXPECT_NEAR(s[1], -0.4259261f, 1e-5);
}

// Small cases: identical columns give 1; orthogonal ones 0; P = 0 gives a cosine
// index of 0; a negative product a negative PSQ.
TEST_F(Comp2, SmallCasesOfTheIndices) {
  const struct {
    std::vector<int> x, y;
    const char* options;
    float want;
  } cases[] = {
      {{3000, 4000}, {3000, 4000}, "   1   0   0   0", 1.0f},
      {{3000, 4000}, {3000, 4000}, "   1   0   0   1", 1.0f},
      {{3000, 4000, 1000}, {3000, 4000, 1000}, "   1   0   0   2", 1.0f},
      {{10000, 0}, {0, 10000}, "   1   0   0   0", 0.0f},
      {{10000, 0}, {0, 10000}, "   1   0   0   1", 0.0f},
      {{10000, 10000}, {10000, -10000}, "   1   0   0   0", 0.0f},
      // P^2 / (A B) = 0.25 with P < 0: (1, 0) against (-0.5, 0.8660)
      {{10000, 0}, {-5000, 8660}, "   1   0   0   1", -0.25f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    GroupDeck g{"SMALL", {c.x, c.y}, {}, {}};
    const testing::RunResult res = comp2(c.options, {}, {g});
    ASSERT_FALSE(res.stopped) << res.console;
    Kpar kpar{};
    EXPECT_NEAR(corrm1(kpar)[1], c.want, 1e-4);
  }
}

// A denominator of 0 stores 0 off the diagonal and 1 on it, with a line naming the pair.
TEST_F(Comp2, ZeroDenominatorsStoreNoNaN) {
  const struct {
    GroupDeck g;
    const char* options;
    const char* line;
  } cases[] = {
      {{"ZERO", {{0, 0, 0}, {1000, 2000, 3000}}, {}, {}}, "   1   0   0   1",
       " THE INDEX OF G01D01 AND G01D02 HAS A ZERO DENOMINATOR; IT IS SET TO 0."},
      {{"ZERO", {{0, 0, 0}, {1000, 2000, 3000}}, {}, {}}, "   1   0   0   2",
       " THE INDEX OF G01D01 AND G01D01 HAS A ZERO DENOMINATOR; IT IS SET TO 1."},
      {{"CONST", {{5000, 5000, 5000}, {1000, 2000, 3000}}, {}, {}}, "   1   0   0   2",
       " THE INDEX OF G01D01 AND G01D02 HAS A ZERO DENOMINATOR; IT IS SET TO 0."},
      {{"ONE DEFINER", {{5000, 2000, 3000}, {1000, 2000, 3000}}, {}, {{1}, {2, 3}}}, "   1   3   0   2",
       " THE INDEX OF G01D01 AND G01D01 HAS A ZERO DENOMINATOR; IT IS SET TO 1."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const testing::RunResult res = comp2(c.options, {}, {c.g});
    ASSERT_FALSE(res.stopped) << res.console;
    Kpar kpar{};
    const std::vector<float> s = corrm1(kpar);
    EXPECT_FALSE(std::isnan(s[1]));
    EXPECT_NE(listing().find(std::string(c.line) + "\n"), std::string::npos) << listing();
  }
  // The zero column's similarity with the other stays 0 in CORRM1.
  GroupDeck z{"ZERO", {{0, 0, 0}, {1000, 2000, 3000}}, {}, {}};
  ASSERT_FALSE(comp2("   1   0   0   2", {}, {z}).stopped);
  Kpar kpar{};
  EXPECT_EQ(corrm1(kpar)[1], 0.0f);
}

// A deck whose format flag is 1 reads its coefficients under its own format card.
TEST_F(Comp2, DeckWithItsOwnFormatCard) {
  const std::vector<std::string> cards{
      "OWN FORMAT", "   1   0   0   2", "DATA FILE PREPARED BY COMP1 FOR COMP2", "OWN FORMAT GROUP",
      "   3   2   1   1", "(3F10.5)", "   0.10000   0.20000   0.40000", "   0.40000   0.20000   0.10000",
      "V001                V002                V003"};
  const testing::RunResult res = run_with_cards(&COMP2, cards);
  ASSERT_FALSE(res.stopped) << res.console;
  Kpar kpar{};
  // numpy corrcoef((0.1, 0.2, 0.4), (0.4, 0.2, 0.1)) = -0.9285714
  EXPECT_NEAR(corrm1(kpar)[1], -0.9285714f, 1e-5);

  // Coefficients whose products overflow single precision stop the run; nothing is stored.
  fresh_run();
  const std::vector<std::string> big{
      "TOO LARGE", "   1   0   0   1", "DATA FILE PREPARED BY COMP1 FOR COMP2", "BIG",
      "   3   2   1   1", "(3E10.2)", "   0.1E+00   0.2E+00   0.4E+00", "   1.0E+30   1.0E+30   0.1E+00",
      "V001                V002                V003"};
  const testing::RunResult stop = run_with_cards(&COMP2, big);
  EXPECT_TRUE(stop.stopped);
  EXPECT_NE(stop.console.find("INDEX OF G01D01 AND G01D02 IS NOT A FINITE NUMBER: COEFFICIENTS TOO LARGE\n"),
            std::string::npos)
      << stop.console;
  std::int32_t notfound = 0;
  std::vector<float> a(999u * 999u);
  isf_real_square("CORRM1", 0, kpar, notfound, a, 2);
  EXPECT_EQ(notfound, 1);
}

// Stops: the message (or stop code) of each misfit, before anything is stored.
TEST_F(Comp2, StopsForBadOptionsDecksAndLists) {
  GroupDeck g20{"G", {std::vector<int>(20, 1000), std::vector<int>(20, 2000)}, {}, {{1}, {2}}};
  GroupDeck g21{"G", {std::vector<int>(21, 1000)}, {}, {{1}}};
  GroupDeck g51{"G", std::vector<std::vector<int>>(51, std::vector<int>(20, 1000)), {}, {}};
  GroupDeck noclust{"G", {std::vector<int>(20, 1000)}, {}, {}};
  GroupDeck renamed = g20;
  renamed.names = {"OTHER"};
  GroupDeck baddef{"G", {std::vector<int>(20, 1000)}, {}, {{21}}};
  const struct {
    const char* options;
    std::vector<std::string> lists;
    std::vector<GroupDeck> groups;
    const char* message;
    int code;
  } cases[] = {
      {"   2   0   0   0", {}, {g20, g21}, "NUMBER VARIABLES NOT CONSISTENT IN ONE OR MORE GROUPS", 0},
      {"   1   0   0   0", {}, {g51}, "NUMBER DIMENSIONS EXCEEDS 50 IN ONE OR MORE GROUPS", 0},
      {"", {}, {noclust}, "CLUST1 IS REQUIRED FOR ANALYSIS AND IS MISSING FROM ONE OR MORE GROUPS", 0},
      {"   2   0   0   0", {}, {g20, renamed}, "VARIABLE NAMES ARE NOT CONSISTENT AMONG TWO OR MORE GROUPS", 0},
      {"   1   2   0   0", {}, {baddef}, "VALUE OF A CLUSTER DEFINER IS OUT OF BOUNDS", 0},
      {"   1   4", {}, {g20}, "COMP2 OPTION CARD: VARSEL (COLUMNS 5-8) IS 4; IT MUST BE 0 TO 3.", 0},
      {"   0", {}, {}, "COMP2 OPTION CARD: NGROUPS (COLUMNS 1-4) IS 0; IT MUST BE 1 TO 99.", 0},
      {"   1   0   2", {}, {g20}, "COMP2 OPTION CARD: DIMSEL (COLUMNS 9-12) IS 2; IT MUST BE 0 TO 1.", 0},
      {"   1   0   0   3", {}, {g20}, "COMP2 OPTION CARD: INDEX (COLUMNS 13-16) IS 3; IT MUST BE 0 TO 2.", 0},
      {"   1   0   1", {"G01D01;G01D02."}, {g20}, "INAPPROPRIATE CHARACTER FOUND IN LIST OF SELECTED DIMENSIONS", 0},
      {"   1   0   1", {"G01D01."}, {g20}, "NUMBER OF SELECTED DIMENSIONS LESS THAN 2", 0},
      {"   1   1", {"V001."}, {g20}, "NUMBER OF SELECTED VARIABLES LESS THAN 2", 0},
      {"   1   0   1", {"G01D01,G01D05."}, {g20}, "", 10008},
      {"   1   0   0   0", {}, {}, "COMP2: MONIN ENDED BEFORE THE FIRST CARD OF GROUP 1.", 0},
      {"   1   0   0   0", {}, {GroupDeck{}}, "COUNT CARD OF GROUP 1: 0 VARIABLES, 0 DIMENSIONS; EACH MUST BE AT LEAST 1.", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.options) + " " + c.message);
    const testing::RunResult res = comp2(c.options, c.lists, c.groups);
    EXPECT_TRUE(res.stopped);
    EXPECT_EQ(res.code, c.code);
    EXPECT_NE(res.console.find(c.message), std::string::npos) << res.console;
    std::int32_t notfound = 0;
    Kpar kpar{};
    std::vector<float> a(999u * 999u);
    isf_real_square("CORRM1", 0, kpar, notfound, a, 2);
    EXPECT_EQ(notfound, 1);
  }
}

TEST_F(Comp2, UnknownAndRepeatedNamesAreAllListed) {
  GroupDeck g{"G", {{1000, 2000, 3000}, {3000, 1000, 2000}, {2000, 2000, 1000}}, {}, {}};
  const testing::RunResult res = comp2("   1   0   1", {"G01D01,G01D05,G01D01."}, {g});
  EXPECT_TRUE(res.stopped);
  EXPECT_EQ(res.code, 10008);
  EXPECT_NE(res.console.find(" QUIT: ERROR=10008"), std::string::npos);
  const std::string l = listing();
  EXPECT_NE(l.find("0THE NAME \"G01D05              \" USED IN SELECTION CANNOT BE FOUND IN UNSELECTED "
                   "LIST OF NAMES.\n"),
            std::string::npos)
      << l;
  EXPECT_NE(l.find("0THE SELECTION NAMES \"G01D01              \" IS USED MORE THAN ONCE..\n"),
            std::string::npos);
  EXPECT_NE(l.find("0    2 ERROR(S) IN COLUMN (DIMENSION) SELECTION.\n"), std::string::npos);
}

TEST_F(Comp2, RoutinesPickAndCrossProducts) {
  // a 3 x 3 matrix in a leading dimension of 4, column by column
  std::vector<float> a{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
  const std::vector<std::int32_t> rows{3, 1};
  comp::C2PICK(a, 4, 2, 3, rows, 0);
  EXPECT_EQ(a, (std::vector<float>{3, 1, 3, 0, 6, 4, 6, 0, 9, 7, 9, 0}));
  const std::vector<std::int32_t> cols{3, 2};
  comp::C2PICK(a, 4, 2, 2, cols, 1);
  EXPECT_EQ(a, (std::vector<float>{9, 7, 3, 0, 6, 4, 6, 0, 9, 7, 9, 0}));
  std::vector<float> b{1, 2, 0, 0, 3, 4, 0, 0};
  std::vector<float> diag(2);
  comp::C2XPRD(b, 2, 2, 4, diag);
  // (1,2).(1,2) = 5, (3,4).(1,2) = 11, (3,4).(3,4) = 25; above the diagonal untouched
  EXPECT_EQ(b, (std::vector<float>{5, 11, 0, 0, 3, 25, 0, 0}));
  EXPECT_EQ(diag, (std::vector<float>{5, 25}));
}

}  // namespace
}  // namespace korvex
