// Unloading entries to decks: the cards of each package (load card, layout card, parameter
// card, labelled data cards) for entries put on the ISF by the accessors, the choice between
// the fixed-point, exponent and wide-integer cards, the entries that cannot be unloaded, and
// round trips: what is punched loads back to the same values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "executive/component.hpp"
#include "executive/over00.hpp"
#include "storage/storage.hpp"
#include "test_gist_fixture.hpp"

namespace korvex::testing {
namespace {

std::string blanks(std::size_t n) { return std::string(n, ' '); }

class GistUnload : public GistFolder {
 protected:
  void put_reals(std::string_view label, std::vector<std::int32_t> dims, const std::vector<float>& x) {
    Kpar kpar{};
    kpar[0] = static_cast<std::int32_t>(dims.size());
    for (std::size_t i = 0; i < dims.size(); ++i) kpar[i + 1] = dims[i];
    std::int32_t notfound = 0;
    std::vector<float> v = x;
    v.resize(std::max<std::size_t>(v.size(), 999), 0.0f);
    isf_real_vector(label, 1, kpar, notfound, v);
  }
  std::vector<std::string> punched() { return file_lines("MONPUN"); }
};

TEST_F(GistUnload, RealsGetTheLayoutOfTheirLargestMagnitude) {
  put_reals("DIAGV1", {4, 1}, {0.5f, 1.234567f, 2.0f, 3.2f});
  std::vector<float> u(999 * 2, 0.0f);
  const float values[] = {0.9f, -0.8f, 0.7f, 0.1f, 0.2f, -0.3f};
  for (int k = 0; k < 3; ++k) {
    u[static_cast<std::size_t>(k)] = values[k];
    u[static_cast<std::size_t>(999 + k)] = values[k + 3];
  }
  Kpar kpar{2, 3, 2};
  std::int32_t notfound = 0;
  isf_real_matrix("UFACT1", 1, kpar, notfound, u);
  ASSERT_EQ(gist({"DIAGV1", "UFACT1", ""}), "");
  EXPECT_EQ(punched(), (std::vector<std::string>{
                           "DIAGV1     1   1",
                           "(9F8.6)     ",
                           "   4",
                           "  500000 1234567 2000000 3200000" + blanks(40) + "06000100",
                           "UFACT1     1   1",
                           "(9F8.6)     ",  // largest magnitude 0.9: the floor 1.0 decides
                           "   3   2",
                           "  900000 -800000  700000" + blanks(48) + "07000100",
                           "  100000  200000 -300000" + blanks(48) + "07000200",
                       }));
  EXPECT_TRUE(listing_has(" OUTPUT FILE PACKAGE"));
  EXPECT_TRUE(listing_has(" FORMAT..........(9F8.6)     "));
  EXPECT_FALSE(listing_has(" SYMBOLIC UNIT...      "));
}

// A symmetric matrix goes out as its strict lower triangle by rows, row i as item i.
TEST_F(GistUnload, SymmetricMatricesGoOutByRowsOfTheLowerTriangle) {
  std::vector<float> a(999 * 3, 0.0f);
  a[1] = 0.5f;       // (2,1)
  a[2] = -12.25f;    // (3,1): the largest magnitude, two integer digits
  a[999 + 2] = 0.2f;  // (3,2)
  Kpar kpar{2, 3, 40};
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 1, kpar, notfound, a, 2);
  Kpar order_one{1, 1};
  isf_real_square("COVAR1", 1, order_one, notfound, a, 2);
  ASSERT_EQ(gist({"CORRM1", "COVAR1", ""}), "");
  EXPECT_EQ(punched(), (std::vector<std::string>{
                           "CORRM1     1   1", "(9F8.5)     ", "   3  40",
                           "   50000" + blanks(64) + "03000200",
                           "-1225000   20000" + blanks(56) + "03000300",
                           "COVAR1     1   1", "(9F8.6)     ", "   1",  // order 1: no data card
                       }));
}

TEST_F(GistUnload, WordsNamesAndIntegersKeepTheirDefaultLayouts) {
  std::vector<std::string> title = {"A TITL", "E FOR ", "THE RU", "N     ", "", "", "", "", "", "", "", ""};
  std::int32_t notfound = 0;
  isf_idfile(1, notfound, title);
  std::vector<std::string> names = {"ALPHA", "BETA", "GAMMA", "DELTA"};
  Kpar names_kpar{2, 4, 1};
  isf_name_vector("VNAMS1", 1, names_kpar, notfound, names);
  std::vector<std::int32_t> order = {3, 4, 1, 2};
  Kpar order_kpar{3, 4, 1, 2};
  isf_int_vector("REORD1", 1, order_kpar, notfound, order);
  std::vector<std::int32_t> counts = {2, 1};
  std::vector<std::int32_t> members(2 * 99, 0);
  members[0] = 1;
  members[1] = 3;
  members[99] = 2;
  Kpar sets_kpar{1, 2};
  isf_int_table("CLUST1", 1, sets_kpar, notfound, counts, members);
  ASSERT_EQ(gist({"IDFILE", "VNAMS1", "REORD1", "CLUST1", ""}), "");
  EXPECT_EQ(punched(), (std::vector<std::string>{
                           "IDFILE     1   0",
                           "A TITLE FOR THE RUN" + blanks(53) + "24000100",
                           "VNAMS1     1   0",
                           "   4",
                           "ALPHA               BETA                GAMMA               " + blanks(12) + "17000100",
                           "DELTA               " + blanks(52) + "17000101",
                           "REORD1     1   0",
                           "   4   2",
                           "   3   4   1   2" + blanks(56) + "05000100",
                           "CLUST1     1   0",
                           "   2",
                           "   2   1",
                           "   1   3" + blanks(64) + "09000100",
                           "   2" + blanks(68) + "09000200",
                       }));
}

// Scores are punched at scale 1000 (the score times 10000) under "(9F8.4)", without a
// layout card, one subject per item.
TEST_F(GistUnload, ScoresGoOutOneSubjectPerItem) {
  const std::vector<float> scores = {1.0f, -2.0f, 12.5f, 0.5f, 0.0f, -1.125f};
  std::vector<float> chunk(2);
  Kpar kpar{3, 2, 3, 2};
  std::int32_t notfound = 0;
  isf_real_chunks("FSCOR1", 1, kpar, notfound, chunk, 1);
  for (std::size_t s = 0; s < 3; ++s) {
    chunk = {scores[2 * s], scores[2 * s + 1]};
    isf_real_chunks("FSCOR1", 1, kpar, notfound, chunk, 2);
  }
  ASSERT_EQ(gist({"FSCOR1", ""}), "");
  EXPECT_EQ(punched(), (std::vector<std::string>{
                           "FSCOR1     1   0",
                           "   2   3",
                           "   10000  -20000" + blanks(56) + "11000100",
                           "  125000    5000" + blanks(56) + "11000200",
                           "       0  -11250" + blanks(56) + "11000300",
                       }));
  EXPECT_TRUE(listing_has(" FORMAT..........(9F8.4)     "));
}

// What I8 or I4 cannot carry goes out in the exponent or I12 layout, with a layout card.
TEST_F(GistUnload, ValuesTooLargeForTheirFieldsGetALayoutCard) {
  put_reals("VSUMS1", {3, 1}, {12345678.0f, -2.5f, 9999999.0f});
  std::vector<float> chunk = {12345.0f, -0.5f};
  Kpar kpar{3, 2, 1, 2};
  std::int32_t notfound = 0;
  isf_real_chunks("FSCOR1", 1, kpar, notfound, chunk, 1);
  isf_real_chunks("FSCOR1", 1, kpar, notfound, chunk, 2);
  std::vector<std::int32_t> counts = {5, 400000, 12};
  Kpar counts_kpar{2, 3, 1};
  isf_int_vector("VAREN1", 1, counts_kpar, notfound, counts);
  ASSERT_EQ(gist({"VSUMS1", "FSCOR1", "VAREN1", ""}), "");
  EXPECT_EQ(punched(), (std::vector<std::string>{
                           "VSUMS1     1   1",
                           "(1P4E18.9)  ",
                           "   3",
                           "   1.234567800E+07  -2.500000000E+00   9.999999000E+06" + blanks(18) + "18000100",
                           "FSCOR1     1   1",
                           "(1P4E18.9)  ",
                           "   2   1",
                           "   1.234500000E+04  -5.000000000E-01" + blanks(36) + "11000100",
                           "VAREN1     1   1",
                           "(6I12)      ",
                           "   3",
                           "           5      400000          12" + blanks(36) + "20000100",
                       }));
}

// Counts of subjects up to 400000 fit the entries but not the 4 columns of the punched
// parameter card: the listing says so, and its own header shows the count whole.
TEST_F(GistUnload, CountsTooWideForTheParameterCardAreReported) {
  put_reals("MEANS1", {2, 1, 400000}, {1.5f, 2.5f});
  put_reals("STDEV1", {2, 1}, {0.5f, 0.25f});
  ASSERT_EQ(gist({"MEANS1", "STDEV1", ""}), "");
  EXPECT_EQ(punched().at(2), "   2****");
  EXPECT_TRUE(listing_has(" PARAMETERS.....NUMVAR=     2      "));
  EXPECT_TRUE(listing_has("                NUMSUB=400000"));
  EXPECT_TRUE(listing_has(" NUMSUB = 400000 does not fit its 4 columns of the parameter card:"));
  EXPECT_TRUE(listing_has(" the package punched for MEANS1 cannot be loaded back."));
  // A package whose counts fit keeps the header of 5 columns and gets no such lines.
  EXPECT_TRUE(listing_has(" PARAMETERS.....NUMVAR=    2"));
  EXPECT_FALSE(listing_has(" the package punched for STDEV1 cannot be loaded back."));
}

TEST_F(GistUnload, AMissingEntryIsReportedAndSkipped) {
  put_reals("STDEV1", {1, 1}, {2.0f});
  ASSERT_EQ(gist({"MEANS1", "STDEV1", ""}), "");
  EXPECT_TRUE(listing_has(" The file cannot be located on the ISF"));
  EXPECT_EQ(punched().at(0), "STDEV1     1   1");
}

TEST_F(GistUnload, EntriesThatCannotBeUnloadedStopBeforeAnyCard) {
  struct Case {
    const char* what;
    std::string label;
    std::string message;
  };
  const Case cases[] = {
      {"NaN", "MEANS1", "GIST: MEANS1 holds a value that is not a finite number (row 2, column 1); it cannot be unloaded."},
      {"names after a selection", "VNAMS1", "The file is stored incorrectly ISF"},
      {"51 factors", "UFACT1", "Input error"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    fresh_run();
    std::int32_t notfound = 0;
    if (k.label == "MEANS1") put_reals("MEANS1", {2, 1, 10}, {1.0f, std::nanf("")});
    if (k.label == "VNAMS1") {
      std::vector<std::string> names(3, "X");
      Kpar selected{3, 3, 1, 1};
      isf_name_vector("VNAMS1", 1, selected, notfound, names);
    }
    if (k.label == "UFACT1") {
      std::vector<float> u(999 * 51, 0.0f);
      Kpar wide{2, 3, 51};
      isf_real_matrix("UFACT1", 1, wide, notfound, u);
    }
    std::remove((dir_ / "MONPUN").c_str());
    EXPECT_EQ(gist({k.label, ""}), k.message);
    EXPECT_TRUE(punched().empty());
  }
}

// A 5 x 5 correlation matrix comes back within its punched precision: 6 decimals, so within
// half a unit of the sixth decimal plus the rounding to single precision.
TEST_F(GistUnload, ACorrelationMatrixLoadsBackWithinItsPrecision) {
  std::vector<float> a(999 * 5, 0.0f);
  const float r[] = {0.123456789f, -0.987654321f, 0.5f, 0.0000005f, 0.333333333f,
                     -0.0625f,     0.999999f,     0.1f, -0.25f,     0.7071068f};
  int k = 0;
  for (int j = 1; j <= 4; ++j) {
    for (int i = j + 1; i <= 5; ++i) a[static_cast<std::size_t>((j - 1) * 999 + i - 1)] = r[k++];
  }
  std::int32_t notfound = 0;
  Kpar kpar{2, 5, 100};
  isf_real_square("CORRM1", 1, kpar, notfound, a, 2);
  ASSERT_EQ(gist({"CORRM1", ""}), "");
  std::vector<std::string> deck = punched();
  EXPECT_EQ(deck.at(1), "(9F8.6)     ");
  deck.push_back("");
  fresh_run();
  ASSERT_EQ(gist(deck), "");
  const std::vector<float> back = square("CORRM1", 5);
  for (int j = 1; j <= 4; ++j) {
    for (int i = j + 1; i <= 5; ++i) {
      EXPECT_NEAR(at(back, i, j), at(a, i, j), 5.0e-7 + 1.0e-7) << i << "," << j;
    }
  }
}

// Values the exponent cards carry come back bit for bit.
TEST_F(GistUnload, ExponentCardsLoadBackExactly) {
  const std::vector<float> x = {12345678.0f, 0.1f, -3.0e-20f, 123456.789f, 1.0e30f};
  put_reals("MEANS1", {5, 1, 7}, x);
  ASSERT_EQ(gist({"MEANS1", ""}), "");
  std::vector<std::string> deck = punched();
  deck.push_back("");
  fresh_run();
  ASSERT_EQ(gist(deck), "");
  std::vector<float> back(999, 0.0f);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_vector("MEANS1", 0, kpar, notfound, back);
  EXPECT_EQ((std::vector<std::int32_t>{kpar[0], kpar[1], kpar[2], kpar[3]}), (std::vector<std::int32_t>{3, 5, 1, 7}));
  EXPECT_EQ(std::vector<float>(back.begin(), back.begin() + 5), x);
}

// Whole runs: a deck that loads one package for each of the 24 labels and unloads them all;
// the punched deck, loaded in a fresh run and unloaded again, punches the same cards.
class GistRoundTrip : public GistFolder {
 protected:
  int run_deck(const std::string& monin) {
    write_file("MONIN", monin);
    reset_run_state();
    install_component("GIST", &GIST);
    return OVER00();
  }
};

TEST_F(GistRoundTrip, EveryLabelLoadsBackToTheSameCards) {
  const std::vector<std::string> packages = {
      "MEANS1     1", "   3  10", f8({"1.5", "2.25", "-3.0"}),
      "STDEV1     1", "   3", f8({"0.5", "1.0", "2.0"}),
      "CORRM1     1", "   3  10", f8({"0.5"}), f8({"0.3", "-0.2"}),
      "CORRM2     1", "   3  10   1", f8({"0.5"}), f8({"0.3", "-0.2"}),
      "REORD1     1", "   3   1", "   2   3   1",
      "DIAGV1     1", "   3", f8({"0.4", "0.5", "0.6"}),
      "UFACT1     1", "   3   2", f8({"0.9", "0.8", "0.7"}), f8({"0.1", "-0.2", "0.3"}),
      "RFACT1     1", "   3   2", f8({"0.7", "0.6", "0.5"}), f8({"0.3", "0.2", "-0.1"}),
      "CLUST1     1", "   2", "   2   1", "   1   2", "   3",
      "REFLX1     1", "   1", "   1", "   2",
      "FSCOR1     1", "   2   2", f8({"1.5", "-0.5"}), f8({"0.25", "2.0"}),
      "BASIS1     1", "   2", f8({"0.8", "0.6"}), f8({"-0.6", "0.8"}),
      "OCLUS1     1", "   1", "   2", "   1   3",
      "MEANS2     1", f8({"50.0"}),
      "STDEV2     1", "   2", f8({"1.0", "0.9"}),
      "WEIGH1     1", "   3   2", f8({"0.2", "0.3", "0.4"}), f8({"0.5", "0.6", "0.7"}),
      "VNAMS1     1", "   3", "ALPHA               BETA                GAMMA",
      "VSUMS1     1   1", "(3F12.1)", "   3", "  12345678.0        -0.5         3.0",
      "2SENS1     1", "   3", "  10", "  20  30",
      "VAREN1     1", "   3", "  10  10   9",
      "2MEAN1     1", "   2   2", f8({"4.5", "5.5"}), f8({"6.5", "7.5"}),
      "2STDV1     1", "   2   2", f8({"1.5", "1.25"}), f8({"1.75", "2.0"}),
      "COVAR1     1", "   3", f8({"0.5"}), f8({"0.3", "-0.2"}),
      "IDFILE     1", "ROUND TRIP OF EVERY LABEL",
  };
  std::string unloads;
  for (const char* row : {"MEANS1", "STDEV1", "CORRM1", "CORRM2", "REORD1", "DIAGV1", "UFACT1", "RFACT1",
                                  "CLUST1", "REFLX1", "FSCOR1", "BASIS1", "OCLUS1", "MEANS2", "STDEV2", "WEIGH1",
                                  "VNAMS1", "VSUMS1", "2SENS1", "VAREN1", "2MEAN1", "2STDV1", "COVAR1", "IDFILE"}) {
    unloads += std::string(row) + "\n";
  }
  std::string first = "*GIST\n";
  for (const std::string& card : packages) first += card + "\n";
  first += unloads + "\n*END\n";
  ASSERT_EQ(run_deck(first), 0) << out_.str();
  const std::vector<std::string> punched_once = file_lines("MONPUN");
  std::filesystem::rename(dir_ / "MONPUN", dir_ / "PUN1");

  std::string second = "*GIST\n";
  for (const std::string& card : punched_once) second += card + "\n";
  second += unloads + "\n*END\n";
  ASSERT_EQ(run_deck(second), 0) << out_.str();
  const std::vector<std::string> punched_twice = file_lines("MONPUN");
  EXPECT_EQ(punched_twice, punched_once);
  // Every one of the 24 packages is there, each starting with its load card.
  int load_cards = 0;
  for (const std::string& card : punched_once) load_cards += card.size() == 16 && card.substr(6, 6) == "     1";
  EXPECT_EQ(load_cards, 24);
}

}  // namespace
}  // namespace korvex::testing
