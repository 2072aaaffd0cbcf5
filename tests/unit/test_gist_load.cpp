// Loading entries from decks, run in-process: GIST reads the control cards of MONIN in a fresh
// run folder and the stored ISF entries are read back with the accessors. Covers the square
// layouts and matrix orders, implied decimals, indicator sets, names that later listings use,
// data from another unit, and every stop of the control, layout, parameter and data cards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/storage.hpp"
#include "test_gist_fixture.hpp"

namespace korvex::testing {
namespace {

class GistLoad : public GistFolder {};

// Every square layout describes the same symmetric matrix of order 4.
TEST_F(GistLoad, EverySquareLayoutStoresTheSameTriangle) {
  const std::vector<std::vector<std::string>> decks = {
      {"CORRM1     1   0   0", "   4 100", f8({"0.5"}), f8({"0.3", "0.2"}), f8({"-0.1", "0.4", "0.25"}), ""},
      {"CORRM1     1   0   1", "   4 100", f8({"0.5", "0.3", "-0.1"}), f8({"0.2", "0.4"}), f8({"0.25"}), ""},
      {"CORRM1     1   0   2", "   4 100", f8({"1.0", "0.5", "0.3", "-0.1"}), f8({"0.5", "1.0", "0.2", "0.4"}),
       f8({"0.3", "0.2", "1.0", "0.25"}), f8({"-0.1", "0.4", "0.25", "1.0"}), ""},
      {"CORRM1     1   0   3", "   4 100", f8({"1.0"}), f8({"0.5", "1.0"}), f8({"0.3", "0.2", "1.0"}),
       f8({"-0.1", "0.4", "0.25", "1.0"}), ""},
      {"CORRM1     1   0   4", "   4 100", f8({"1.0", "0.5", "0.3", "-0.1"}), f8({"1.0", "0.2", "0.4"}),
       f8({"1.0", "0.25"}), f8({"1.0"}), ""},
  };
  for (std::size_t k = 0; k < decks.size(); ++k) {
    SCOPED_TRACE("square layout " + std::to_string(k));
    fresh_run();
    ASSERT_EQ(gist(decks[k]), "");
    const std::vector<float> a = square("CORRM1", 4);
    EXPECT_EQ(at(a, 2, 1), 0.5f);
    EXPECT_EQ(at(a, 3, 1), 0.3f);
    EXPECT_EQ(at(a, 4, 1), -0.1f);
    EXPECT_EQ(at(a, 3, 2), 0.2f);
    EXPECT_EQ(at(a, 4, 2), 0.4f);
    EXPECT_EQ(at(a, 4, 3), 0.25f);
    EXPECT_EQ(at(a, 1, 4), -0.1f);  // mirrored on reading
  }
}

// A matrix of order 1 has no strict triangle: no data card is read, so the next card is
// already the blank one.
TEST_F(GistLoad, ACorrelationMatrixOfOrderOneTakesNoDataCards) {
  ASSERT_EQ(gist({"CORRM1     1", "   1   5", ""}), "");
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<float> a(999, 0.0f);
  isf_real_square("CORRM1", 0, kpar, notfound, a, 2);
  EXPECT_EQ(notfound, 0);
  EXPECT_EQ(kpar[0], 2);
  EXPECT_EQ(kpar[1], 1);
  EXPECT_EQ(kpar[2], 5);
}

// 3 rows by 2 columns: one card per column (order 0) or per row (order 1).
TEST_F(GistLoad, MatrixOrderDecidesWhatACardHolds) {
  const std::vector<std::vector<std::string>> decks = {
      {"UFACT1     1   0   0   0", "   3   2", f8({"0.9", "0.8", "0.7"}), f8({"0.1", "0.2", "0.3"}), ""},
      {"UFACT1     1   0   0   1", "   3   2", f8({"0.9", "0.1"}), f8({"0.8", "0.2"}), f8({"0.7", "0.3"}), ""},
  };
  for (const std::vector<std::string>& deck : decks) {
    fresh_run();
    ASSERT_EQ(gist(deck), "");
    std::vector<float> a(999 * 2, 0.0f);
    Kpar kpar{};
    std::int32_t notfound = 0;
    isf_real_matrix("UFACT1", 0, kpar, notfound, a);
    EXPECT_EQ(kpar[1], 3);
    EXPECT_EQ(kpar[2], 2);
    EXPECT_EQ((std::vector<float>{at(a, 1, 1), at(a, 2, 1), at(a, 3, 1), at(a, 1, 2), at(a, 2, 2), at(a, 3, 2)}),
              (std::vector<float>{0.9f, 0.8f, 0.7f, 0.1f, 0.2f, 0.3f}));
  }
}

// Under (9F8.4) a field without a point has 4 implied decimals; KPAR (3, NUMVAR, 1, NUMSUB).
TEST_F(GistLoad, DefaultRealFieldsHaveFourImpliedDecimals) {
  ASSERT_EQ(gist({"MEANS1     1", "   3  10", "   12345     1.5 -2.5E+2", ""}), "");
  std::vector<float> x(999, 0.0f);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_vector("MEANS1", 0, kpar, notfound, x);
  EXPECT_EQ((std::vector<std::int32_t>{kpar[0], kpar[1], kpar[2], kpar[3]}), (std::vector<std::int32_t>{3, 3, 1, 10}));
  EXPECT_EQ(x[0], 1.2345f);
  EXPECT_EQ(x[1], 1.5f);
  EXPECT_EQ(x[2], -250.0f);
}

// A user layout replaces the default for every type word but indicator sets.
TEST_F(GistLoad, ALayoutCardReplacesTheDefaultLayout) {
  ASSERT_EQ(gist({"STDEV1     1   1", "(2F5.1/F10.3)", "   3", "  1.5 22.5", "     3.125", ""}), "");
  std::vector<float> x(999, 0.0f);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_vector("STDEV1", 0, kpar, notfound, x);
  EXPECT_EQ((std::vector<float>{x[0], x[1], x[2]}), (std::vector<float>{1.5f, 22.5f, 3.125f}));
  EXPECT_TRUE(listing_has(" FORMAT..........(2F5.1/F10.3)" + std::string(59, ' ')));
}

TEST_F(GistLoad, IndicatorSetsHoldOneToNinetyNineMembers) {
  std::vector<std::string> deck = {"CLUST1     1", "   2", "   1  99", "   5"};
  std::string card;
  for (int m = 1; m <= 99; ++m) {
    card += std::string(4 - std::to_string(m).size(), ' ') + std::to_string(m);
    if (m % 18 == 0 || m == 99) {
      deck.push_back(card);
      card.clear();
    }
  }
  deck.push_back("");
  ASSERT_EQ(gist(deck), "");
  std::vector<std::int32_t> counts(50, 0);
  std::vector<std::int32_t> members(50 * 99, 0);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_int_table("CLUST1", 0, kpar, notfound, counts, members);
  EXPECT_EQ(kpar[1], 2);
  EXPECT_EQ(counts[0], 1);
  EXPECT_EQ(counts[1], 99);
  EXPECT_EQ(members[0], 5);
  EXPECT_EQ(members[99], 1);
  EXPECT_EQ(members[99 + 98], 99);
  EXPECT_TRUE(listing_has(" SET002"));
}

// After a VNAMS1 package the variables carry its names in every later listing of the run.
TEST_F(GistLoad, LoadedNamesLabelLaterListings) {
  ASSERT_EQ(gist({"VNAMS1     1", "   3", "ALPHA               BETA                GAMMA", "MEANS1     1",
                  "   3  10", f8({"1.5", "2.25", "-3.0"}), ""}),
            "");
  EXPECT_TRUE(listing_has("      1  ALPHA"));
  EXPECT_TRUE(listing_has("          1.500 ALPHA"));
  EXPECT_TRUE(listing_has("         -3.000 GAMMA"));
}

TEST_F(GistLoad, TheRunTitleHasNoParameterCard) {
  ASSERT_EQ(gist({"IDFILE     1", "A TITLE FOR THE RUN", ""}), "");
  std::vector<std::string> words(12);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_word_vector("IDFILE", 0, kpar, notfound, words);
  EXPECT_EQ((std::vector<std::int32_t>{kpar[0], kpar[1], kpar[2]}), (std::vector<std::int32_t>{2, 12, 1}));
  EXPECT_EQ(words[0] + words[1] + words[2] + words[3], "A TITLE FOR THE RUN     ");
  EXPECT_FALSE(listing_has(" PARAMETERS....."));
}

// REORD1 is an integer vector of three dimensions; 2SENS1 keeps one.
TEST_F(GistLoad, IntegerEntriesKeepTheirWritersKpar) {
  ASSERT_EQ(gist({"REORD1     1", "   4   2", "   3   4   1   2", "2SENS1     1", "   3", "  10", "  20  30", ""}),
            "");
  std::vector<std::int32_t> iv(999, 0);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_int_vector("REORD1", 0, kpar, notfound, iv);
  EXPECT_EQ((std::vector<std::int32_t>{kpar[0], kpar[1], kpar[2], kpar[3]}), (std::vector<std::int32_t>{3, 4, 1, 2}));
  EXPECT_EQ((std::vector<std::int32_t>{iv[0], iv[1], iv[2], iv[3]}), (std::vector<std::int32_t>{3, 4, 1, 2}));
  std::vector<std::int32_t> ia(999 * 3, 0);
  isf_int_square("2SENS1", 0, kpar, notfound, ia, 2);
  EXPECT_EQ(kpar[0], 1);
  EXPECT_EQ(kpar[1], 3);
  EXPECT_EQ((std::vector<std::int32_t>{ia[1], ia[2], ia[999 + 2]}), (std::vector<std::int32_t>{10, 20, 30}));
}

TEST_F(GistLoad, DataCardsMayComeFromAnotherUnit) {
  write_file("MTXIN1", f8({"1.0", "2.0"}) + "\n");
  ASSERT_EQ(gist({"STDEV1     1   0   0   0   0MTXIN1", "   2", ""}), "");
  EXPECT_TRUE(listing_has(" SYMBOLIC UNIT...MTXIN1"));
  std::vector<float> x(999, 0.0f);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_vector("STDEV1", 0, kpar, notfound, x);
  EXPECT_EQ(x[1], 2.0f);
}

// The header is printed before the parameters are judged.
TEST_F(GistLoad, AParameterOutOfItsLimitsStopsAfterTheHeader) {
  EXPECT_EQ(gist({"UFACT1     1", "   3  60", ""}), "Input error");
  EXPECT_TRUE(listing_has("                NUMFAC=   60"));
  fresh_run();
  EXPECT_EQ(gist({"CLUST1     1", "  51", ""}), "Input error");
}

struct FaultCase {
  const char* what;
  std::vector<std::string> cards;
  std::string message;
  std::string console_line;  // a line before the processing-error lines, or ""
};

TEST_F(GistLoad, FaultsStopTheRunWithTheirMessage) {
  const std::string bad_card = f8({"1.5", "2.2x", "-3.0"});
  const FaultCase cases[] = {
      {"lower-case label", {"means1     1", "   3  10"}, "Illegal label", " Illegal Label: means1"},
      {"unknown label", {"IPFILE"}, "Illegal label", " Illegal Label: IPFILE"},
      {"IO 2", {"MEANS1     2"}, "Input error", ""},
      {"square layout 5", {"CORRM1     1   0   5"}, "Input error", ""},
      {"listing flag 2", {"CORRM1     1   0   0   0   2"}, "Input error", ""},
      {"sign in a field", {"MEANS1    -1"}, "BCDBIN ERROR: Unrecognized character in \"  -1\".", ""},
      {"layout card for sets", {"CLUST1     1   1", "(18I4)"}, "VARIABLE FORMAT NOT ALLOWED FOR THIS FILE", ""},
      {"count 0", {"CLUST1     1", "   2", "   2   0", "   1   2"}, "Error in count", ""},
      {"count 100", {"CLUST1     1", "   1", " 100"}, "Error in count", ""},
      {"member 0", {"REFLX1     1", "   1", "   2", "   3   0"},
       "GIST: Set 1 of REFLX1 holds the member 0; members are variable numbers from 1 to 999.", ""},
      {"data card misfit", {"MEANS1     1", "   3  10", bad_card, ""},
       "GIST: Data card 1 of MEANS1 does not fit its layout: layout \"(9F8.4)\": input field \"    2.2x\" is "
       "not a number",
       " CARD: " + bad_card + std::string(80 - bad_card.size(), ' ')},
      {"deck ends inside the data", {"MEANS1     1", "  12  10", f8({"1", "2", "3", "4", "5", "6", "7", "8", "9"})},
       "GIST: The deck ended before data card 2 of MEANS1.", ""},
      {"no parameter card", {"MEANS1     1"}, "GIST: The deck ended before the parameter card of MEANS1.", ""},
      {"no layout card", {"MEANS1     1   1"}, "GIST: The deck ended before the layout card of MEANS1.", ""},
      {"no blank card", {"STDEV1     1", "   1", f8({"1.0"})},
       "GIST: The deck ended after the package of STDEV1, before the blank card that closes the GIST control "
       "cards.",
       ""},
      {"empty deck", {}, "GIST: The deck ended before the blank card that closes the GIST control cards.", ""},
      {"parameter card misfit", {"MEANS1     1", "   3  1x"},
       "GIST: The parameter card of MEANS1 does not fit the layout (18I4): layout \"(18I4)\": input field \"  1x\" "
       "is not an integer",
       " CARD:    3  1x" + std::string(72, ' ')},
      {"layout card unusable", {"MEANS1     1   1", "(9F8.4", "   3  10"},
       "GIST: The layout card of MEANS1 does not hold a usable layout: layout \"(9F8.4\": missing ')' (column 7)",
       ""},
      {"layout without fields", {"MEANS1     1   1", "(10X)", "   3  10", f8({"1.0"}), ""},
       "GIST: The layout of MEANS1 cannot read its data: layout \"(10X)\": targets given but the layout has no "
       "data descriptor",
       ""},
  };
  for (const FaultCase& k : cases) {
    SCOPED_TRACE(k.what);
    fresh_run();
    EXPECT_EQ(gist(k.cards), k.message);
    if (!k.console_line.empty()) {
      EXPECT_EQ(lines_of(out_.str()).at(0), k.console_line);
    }
  }
}

TEST_F(GistLoad, TheEndOfAnotherUnitIsNamed) {
  write_file("MTXIN1", f8({"1.0"}) + "\n");
  EXPECT_EQ(gist({"STDEV1     1   0   0   0   0MTXIN1", "   2", "STDEV1     1   0   0   0   0MTXIN1", "   2", ""}),
            "GIST: The file of unit MTXIN1 ended before data card 1 of STDEV1.");
}

// A blank card right after *GIST ends the component at once, listing nothing.
TEST_F(GistLoad, ABlankCardEndsTheComponentAtOnce) {
  EXPECT_EQ(gist({"", "MEANS1     1"}), "");
  EXPECT_TRUE(listing().empty());
}

}  // namespace
}  // namespace korvex::testing
