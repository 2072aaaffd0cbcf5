// COR3 in process: its option card on MONIN, a data storage file with missing values and the
// ISF entries of DAP written by the fixture; the pairwise statistics it stores are checked
// against numpy's pairwise-complete values (tests/reference/cor_reference.py), then the
// heading, the complete-data paths and the input errors with their stops.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../reference/cor_reference_values.inc"
#include "data_entry/active_variables.hpp"
#include "data_entry/correlation.hpp"
#include "test_cor_fixture.hpp"

namespace korvex::testing {
namespace {

namespace ref = cor_reference;

// A card with field i (1-based, four columns each) holding value.
std::string card(std::initializer_list<std::pair<int, const char*>> fields) {
  std::string c(80, ' ');
  for (const auto& [i, v] : fields) {
    const std::string text(v);
    c.replace(static_cast<std::size_t>(4 * i - text.size()), text.size(), text);
  }
  return c;
}

class Cor3 : public CorRun {
 public:
  void run(const std::string& option_card) {
    write_file("MONIN", option_card + "\n");
    COR3();
  }
  std::vector<float> read_matrix(std::string_view label, Kpar& kpar) {
    std::vector<float> a(999 * 999, 0.0f);
    std::int32_t notfound = 0;
    isf_real_matrix(label, 0, kpar, notfound, a);
    EXPECT_EQ(notfound, 0) << label;
    return a;
  }
  std::vector<std::int32_t> read_ints(std::string_view label, Kpar& kpar, bool square) {
    std::vector<std::int32_t> a(999 * 999, -1);
    std::int32_t notfound = 0;
    if (square) {
      isf_int_square(label, 0, kpar, notfound, a, 2);
    } else {
      isf_int_vector(label, 0, kpar, notfound, a);
    }
    EXPECT_EQ(notfound, 0) << label;
    return a;
  }
  // Every strict-lower element of a square entry against a reference (column by column).
  void expect_square(std::string_view label, std::int32_t nv, const double* want, double tol) {
    Kpar kpar{};
    const std::vector<float> a = read_square(label, kpar);
    EXPECT_EQ(kpar[1], nv) << label;
    for (std::int32_t j = 1; j <= nv; ++j) {
      for (std::int32_t k = j + 1; k <= nv; ++k) {
        EXPECT_NEAR(el(a, k, j), want[(j - 1) * nv + (k - 1)], tol)
            << label << " " << k << "," << j;
      }
    }
  }
  // Lines of the listing that begin with the given text (after the carriage column).
  std::size_t count_lines(std::string_view text) {
    std::size_t n = 0;
    for (const std::string& line : file_lines("MONOUT")) {
      if (io::trim_right(line) == " " + std::string(text)) ++n;
    }
    return n;
  }
  // The text centred on the listing line as pr_line places it.
  static std::string centred(std::string_view text) {
    const auto n = static_cast<std::int32_t>(text.size());
    return std::string(static_cast<std::size_t>(get_ncline() / 2 - n / 2), ' ') + std::string(text);
  }
};

TEST_F(Cor3, ABlankCardGivesPairwiseCorrelationsAndItsHeading) {
  const cor_data d = make_data(ref::miss_nv, ref::miss_nsub, ref::miss_data);
  write_all(d);
  run("");
  expect_square("CORRM1", 5, ref::miss_r, 1e-5);
  Kpar kpar{};
  read_square("CORRM1", kpar);
  EXPECT_EQ(kpar[0], 2);
  EXPECT_EQ(kpar[2], 60);
  const std::vector<std::int32_t> varen = read_ints("VAREN1", kpar, false);
  EXPECT_EQ(kpar[0], 2);
  for (std::int32_t k = 0; k < 5; ++k)
    EXPECT_EQ(varen[static_cast<std::size_t>(k)], ref::miss_n[k * 6]);
  for (const char* label : {"2SENS1", "2MEAN1", "2STDV1", "COVAR1"})
    EXPECT_FALSE(on_isf(label)) << label;

  // The heading, line by line, then the correlation matrix on the same page.
  const std::string b = " ";
  const std::vector<std::string> heading = {
      b,
      "1KORVEX" + std::string(102, ' ') + "Page    1",
      b,
      b,
      b,
      b,
      b,
      b,
      b,
      centred("C O V A R I A N C E / C O R R E L A T I O N   P R O G R A M"),
      b,
      centred("W I T H   A L L O W A N C E   F O R   M I S S I N G   D A T A"),
      b,
      b,
      b,
      centred("CORRELATION TEST DATA"),
      b,
      b,
      b,
      " COMPUTE STANDARD DEVIATIONS",
      " COMPUTE CORRELATIONS",
      " PRINT   CORRELATIONS",
      " SAMPLE MOMENTS",
      " MISSING DATA",
      b,
      "      5 VARIABLES",
      "     60 OBSERVATIONS",
      b,
      b,
      centred("CORRELATION TEST DATA")};
  const std::vector<std::string> lines = file_lines("MONOUT");
  ASSERT_GT(lines.size(), heading.size());
  for (std::size_t i = 0; i < heading.size(); ++i) {
    EXPECT_EQ(io::trim_right(lines[i]), io::trim_right(heading[i])) << "line " << i + 1;
  }
  EXPECT_EQ(count_lines("CORRELATION MATRIX"), 1u);
  EXPECT_EQ(io::trim_right(lines[lines.size() - 5]),
            "     5  X5       0.125    0.232    0.157    0.114    1.000");
}

TEST_F(Cor3, SavedMatchedStatisticsMatchTheReference) {
  struct estimates {
    const char* field9;
    const double* sd;
    const double* cov;
  };
  const estimates runs[] = {{"", ref::miss_matched_sd0, ref::miss_cov0},
                            {"1", ref::miss_matched_sd1, ref::miss_cov1}};
  const cor_data d = make_data(ref::miss_nv, ref::miss_nsub, ref::miss_data);
  write_all(d);
  std::string cards;
  for (const estimates& e : runs) {
    cards += card({{9, e.field9}, {12, "1"}, {13, "1"}, {14, "1"}, {15, "1"}, {16, "1"}}) + "\n";
  }
  write_file("MONIN", cards);
  for (const estimates& e : runs) {
    SCOPED_TRACE(std::string("field 9 = '") + e.field9 + "'");
    COR3();  // the next card; each run rewrites every entry
    Kpar kpar{};
    const std::vector<std::int32_t> n = read_ints("2SENS1", kpar, true);
    EXPECT_EQ(kpar[0], 1);
    EXPECT_EQ(kpar[1], 5);
    for (std::int32_t j = 1; j <= 5; ++j) {
      for (std::int32_t k = j + 1; k <= 5; ++k) {
        EXPECT_EQ(n[static_cast<std::size_t>((j - 1) * 999 + (k - 1))],
                  ref::miss_n[(j - 1) * 5 + (k - 1)]);
      }
    }
    const std::vector<float> means = read_matrix("2MEAN1", kpar);
    const std::vector<float> sd = read_matrix("2STDV1", kpar);
    EXPECT_EQ(kpar[0], 2);
    EXPECT_EQ(kpar[2], 5);
    Kpar km{};
    const std::vector<float> means1 = read_vector("MEANS1", km);
    for (std::int32_t j = 1; j <= 5; ++j) {
      for (std::int32_t k = 1; k <= 5; ++k) {
        const double m = ref::miss_matched_mean[(j - 1) * 5 + (k - 1)];
        EXPECT_NEAR(el(means, k, j), m, 1e-6 * std::fabs(m)) << k << "," << j;
        const double s = e.sd[(j - 1) * 5 + (k - 1)];
        EXPECT_NEAR(el(sd, k, j), s, 1e-5 * s) << k << "," << j;
      }
      // The diagonal is the variable's own mean, divided once.
      EXPECT_NEAR(el(means, j, j), means1[static_cast<std::size_t>(j - 1)],
                  1e-6 * means1[static_cast<std::size_t>(j - 1)]);
    }
    expect_square("COVAR1", 5, e.cov, 1e-4);
    expect_square("CORRM1", 5, ref::miss_r, 1e-5);
  }
}

TEST_F(Cor3, PrintOptionsListTheirMatricesOnce) {
  const cor_data d = make_data(ref::miss_nv, ref::miss_nsub, ref::miss_data);
  write_all(d);
  run(card({{1, "1"}, {2, "1"}, {3, "1"}, {4, "1"}, {5, "1"}}));
  EXPECT_EQ(listing_with("| Using COR3 option to print only the first page of the matrix |").size(),
            1u);
  for (const char* line :
       {"PRINT   MATCHED MEANS", "PRINT   MATCHED N", "COMPUTE STANDARD DEVIATIONS",
        "COMPUTE COVARIANCES", "COMPUTE CORRELATIONS", "PRINT   STANDARD DEVIATIONS",
        "PRINT   COVARIANCES", "PRINT   CORRELATIONS", "MATCHED N", "COVARIANCE MATRIX",
        "CORRELATION MATRIX"}) {
    EXPECT_EQ(count_lines(line), 1u) << line;
  }
  EXPECT_EQ(listing_with("MEANS BY MATCHED PAIRS (A COLUMN CONTAINS THE VARIOUS MEANS").size(), 1u);
  EXPECT_EQ(listing_with("STANDARD DEVIATIONS BY MATCHED PAIRS (A COLUMN").size(), 1u);
  // Matched N of variable 1 with itself, printed as an integer.
  EXPECT_EQ(listing_with("     1  X1          49").size(), 1u);
  EXPECT_FALSE(on_isf("2MEAN1"));
}

TEST_F(Cor3, VariablesNeverPresentTogetherHaveNoCommonSubjects) {
  const cor_data d = make_data(ref::apart_nv, ref::apart_nsub, ref::apart_data);
  write_all(d);
  run(card({{13, "1"}}));
  Kpar kpar{};
  const std::vector<std::int32_t> n = read_ints("2SENS1", kpar, true);
  EXPECT_EQ(n[1], ref::apart_n[1]);
  EXPECT_EQ(n[2], ref::apart_n[2]);
  EXPECT_EQ(n[999 + 2], 0);
  const std::vector<float> r = read_square("CORRM1", kpar);
  EXPECT_EQ(el(r, 3, 2), 0.0f);
  expect_square("CORRM1", 3, ref::apart_r, 1e-5);
}

TEST_F(Cor3, AVariableWithoutSpreadCorrelatesZeroAlsoWithItself) {
  // A constant 0.7 over 1000 subjects: its total of squares carries rounding that would leave
  // a spurious positive variance. The correlations of variable 2 must be exactly 0, its
  // diagonal included.
  std::vector<float> values;
  for (int copy = 0; copy < 50; ++copy) {
    values.insert(values.end(), std::begin(ref::const_data), std::end(ref::const_data));
  }
  for (std::size_t s = 0; s < values.size() / 4; ++s) values[4 * s + 1] = 0.7f;
  values[2 * 4 + 0] = ref::kMissing;  // subject 3 lacks variable 1: the missing-data path
  const cor_data d = make_data(ref::const_nv, 50 * ref::const_nsub, values);
  write_all(d);
  run(card({{2, "1"}, {14, "1"}}));
  Kpar kpar{};
  const std::vector<float> r = read_square("CORRM1", kpar);
  for (std::int32_t k : {1, 3, 4}) EXPECT_EQ(el(r, k, 2), 0.0f) << k;
  const std::vector<float> sd = read_matrix("2STDV1", kpar);
  for (std::int32_t k = 1; k <= 4; ++k) EXPECT_EQ(el(sd, k, 2), 0.0f) << k;
  EXPECT_EQ(listing_with("     2  X2       0.000    0.000").size(), 1u);
}

TEST_F(Cor3, CompleteDataPaths) {
  // Written without presence flags: complete without reading VAREN1.
  cor_data five = make_data(ref::five_nv, ref::five_nsub, ref::five_data);
  write_all(five);
  run("");
  EXPECT_EQ(count_lines("NO MISSING DATA"), 1u);
  EXPECT_FALSE(on_isf("VAREN1"));
  expect_square("CORRM1", 5, ref::five_r, 1e-5);
}

TEST_F(Cor3, CountsOfNsubEverywhereTakeTheCompletePath) {
  // Presence flags and a VAREN1 of 50 everywhere, field 11 = 0: the matched-only options go.
  cor_data five = make_data(ref::five_nv, ref::five_nsub, ref::five_data);
  five.nomiss = 0;
  write_all(five);
  run(card({{4, "1"}, {5, "1"}, {11, "0"}, {12, "1"}}));
  EXPECT_EQ(count_lines("NO MISSING DATA"), 1u);
  EXPECT_EQ(count_lines("PRINT   MATCHED MEANS"), 0u);
  EXPECT_EQ(count_lines("MATCHED N"), 0u);
  EXPECT_FALSE(on_isf("2MEAN1"));
  expect_square("CORRM1", 5, ref::five_r, 1e-5);
}

TEST_F(Cor3, InsertedMeansTreatTheDataAsComplete) {
  const cor_data d = make_data(ref::miss_nv, ref::miss_nsub, ref::miss_data);
  write_all(d);
  run(card({{10, "1"}, {13, "1"}}));
  EXPECT_EQ(count_lines("NO MISSING DATA"), 1u);
  EXPECT_FALSE(on_isf("2SENS1"));
  expect_square("CORRM1", 5, ref::miss_filled_r, 1e-6);
}

// Statistics of tiny data that are 0 (exactly so in rational arithmetic, see
// tests/reference/cor_single_range.py) are not refused, whether the double totals hold 0 itself
// or only a rounding of it below the least normal float: two covariances, printed and saved as
// 0 beside variances in the range, and the matched SD of a variable whose values are all equal
// among the subjects that have its partner (the last subject, the only other value, lacks it).
TEST_F(Cor3, TinyStatisticsOfZeroAreNotRefused) {
  constexpr float s = 0x1p-60f;
  // Six values p and one q: the double totals of the six leave an SD of 1.3E-40 where the true
  // one is 0 (found by replaying the pass's arithmetic).
  constexpr float p = 0x1.1cc6ap-125f;
  constexpr float q = 0x1.9a9144p-104f;
  const float gap = std::nanf("");
  struct zero_case {
    const char* name;
    std::string card;
    std::int32_t nsub;
    std::vector<float> values;
  };
  const std::string covariances = card({{3, "1"}, {15, "1"}});
  const zero_case cases[] = {
      {"exact_zero", covariances, 4, {1 * s, s, 2 * s, -s, 3 * s, -s, 4 * s, s}},
      {"zero_within_rounding", covariances, 6,
       {3 * s, s, 1e-7f * s, s, 1e-15f * s, s, 3 * s, -s, 1e-7f * s, -s, 1e-15f * s, -s}},
      {"matched_sd_within_rounding", card({{2, "1"}}), 7,
       {p, 1, p, 2, p, 3, p, 4, p, 5, p, 6, q, gap}},
  };
  std::string cards;
  for (const zero_case& c : cases) cards += c.card + "\n";
  write_file("MONIN", cards);
  std::size_t covariance_runs = 0;
  for (const zero_case& c : cases) {
    SCOPED_TRACE(c.name);
    write_all(make_data(2, c.nsub, c.values));
    const Stopped stop = stop_of([] { COR3(); });
    ASSERT_FALSE(stop.stopped) << stop.message;
    if (c.card != covariances) continue;
    ++covariance_runs;
    Kpar kpar{};
    EXPECT_EQ(el(read_square("COVAR1", kpar), 2, 1), 0.0f);
    // The covariance row of the listing, which each run adds to.
    EXPECT_EQ(listing_with("     2  X2       0.000    0.000").size(), covariance_runs);
  }
}

// ---- input errors --------------------------------------------------------------------------

struct input_error {
  const char* name;
  const char* card;
  void (*prepare)(Cor3&, cor_data&);
  int code;
  const char* text;  // the listing's message line (QUIT 10002) or the console message
};

class Cor3InputErrors : public Cor3, public ::testing::WithParamInterface<input_error> {};

TEST_P(Cor3InputErrors, StopBeforeAnythingIsWritten) {
  const input_error& c = GetParam();
  cor_data d = make_data(ref::miss_nv, ref::miss_nsub, ref::miss_data);
  c.prepare(*this, d);
  write_file("MONIN", std::string(c.card) + "\n");
  const Stopped s = stop_of([] { COR3(); });
  EXPECT_TRUE(s.stopped);
  EXPECT_EQ(s.code, c.code);
  if (c.code == 10002) {
    EXPECT_EQ(count_lines(c.text), 1u) << c.text;
  } else {
    EXPECT_EQ(s.message, c.text);
  }
  EXPECT_FALSE(on_isf("CORRM1"));
}

const input_error input_errors[] = {
    {"titles_differ", "",
     [](Cor3& f, cor_data& d) {
       f.write_dsf(d, "ANOTHER TITLE");
       f.write_isf(d);
     },
     10002, "DATA FILE HAS IMPROPER FORMAT (PROBABLY BECAUSE IT IS THE WRONG ONE)"},
    {"means_absent", "",
     [](Cor3& f, cor_data& d) {
       f.write_dsf(d);
       std::int32_t notfound = 0;
       Kpar kpar{};
       make_kpar(kpar, d.nv, 1, 0);
       std::vector<std::int32_t> counts(static_cast<std::size_t>(d.nv), 54);
       isf_int_vector("VAREN1", 1, kpar, notfound, counts);
     },
     10002, "CANNOT FIND VECTOR OF MEANS ON ISF"},
    {"variable_count", "",
     [](Cor3& f, cor_data& d) {
       f.write_dsf(d, {}, 4);
       f.write_isf(d);
     },
     10002, "DATA FILE AND ISF DISAGREE AS TO THE NUMBER OF VARIABLES"},
    {"matched_n_absent", "",
     [](Cor3& f, cor_data& d) {
       f.write_dsf(d);
       cor_data no_counts = d;
       no_counts.nomiss = 1;  // the ISF of a run that wrote no VAREN1
       f.write_isf(no_counts);
     },
     10002, "CANNOT FILE VECTOR OF MATCHED N'S ON ISF"},
    {"field_not_digits", "        1X", [](Cor3& f, cor_data& d) { f.write_all(d); }, 0,
     "BCDBIN ERROR: Unrecognized character in \"1X  \"."},
    {"selection_in_force", "",
     [](Cor3& f, cor_data& d) {
       f.write_all(d);
       const std::vector<std::string> names = {"X1", "X2", "X3", "X4", "X5"};
       const std::vector<std::int32_t> order = {1, 2, 3, 4, 5};
       write_selection(names, order, 5, 0);
     },
     0, "VARIABLE SELECTION IN FORCE: RUN *RESTOR (AFTER *CC5) OR A NEW *DAP BEFORE *COR3"},
    // Values near the ends of the single-precision range: their correlations are right (see
    // the MEANS1 table), but a covariance or a matched standard deviation asked for in print
    // may lie beyond the range; numpy gives the population variance 5.809600E+76 of the first
    // and sqrt(4/3) * 3.4E+38 = 3.925982E+38 for the second.
    {"covariance_beyond_single", "           1",
     [](Cor3& f, cor_data& d) {
       const float v[] = {3e38f, 1, 2, -3e38f, 2, 1, -3e38f, 3, 4, -3e38f, 4, 3, 1e37f, 5, 5};
       d = make_data(3, 5, v);
       f.write_all(d);
     },
     0,
     "COVARIANCE OF VARIABLES 1 AND 1, 5.809600E+76, EXCEEDS SINGLE PRECISION"
     "RESCALE THE DATA BEFORE *DAP, OR LEAVE COLUMNS 9-12 AND 57-60 OF *COR3 BLANK"},
    {"matched_sd_beyond_single", "       1                           1",
     [](Cor3& f, cor_data& d) {
       const float v[] = {3.4e38f, 1, -3.4e38f, 2, 3.4e38f, std::nanf(""), -3.4e38f, 4};
       d = make_data(2, 4, v);
       d.nomiss = 0;
       f.write_all(d);
     },
     0,
     "SD OF VARIABLE 1 GIVEN VARIABLE 1, 3.925982E+38, EXCEEDS SINGLE PRECISION"
     "RESCALE THE DATA BEFORE *DAP, OR LEAVE COLUMNS 5-8 AND 53-56 OF *COR3 BLANK"},
    // And below the range, where a statistic would be stored as 0 or as a subnormal number
    // (the values of tests/reference/cor_single_range.py). Values of 1E-25: the variance of
    // variable 1 comes first, with COVAR1 asked for (columns 57-60).
    {"covariance_below_single", "                                                           1",
     [](Cor3& f, cor_data& d) {
       const float v[] = {1e-25f, 2e-25f, 2e-25f, 1e-25f, 3e-25f, 4e-25f, 4e-25f, 3e-25f};
       d = make_data(2, 4, v);
       f.write_all(d);
     },
     0,
     "COVARIANCE OF VARIABLES 1 AND 1, 1.250000E-50, FALLS BELOW SINGLE PRECISION"
     "RESCALE THE DATA BEFORE *DAP, OR LEAVE COLUMNS 9-12 AND 57-60 OF *COR3 BLANK"},
    // Variances in the range, a weak covariance below it; printed (columns 9-12), divisor
    // N - 1 (columns 33-36).
    {"covariance_pair_below_single", "           1                       1",
     [](Cor3& f, cor_data& d) {
       const float v[] = {1e-18f, 1e-18f, 2e-18f, -1e-18f, 3e-18f, -1e-18f, 4e-18f, 1.000001e-18f};
       d = make_data(2, 4, v);
       f.write_all(d);
     },
     0,
     "COVARIANCE OF VARIABLES 1 AND 2, 4.997550E-43, FALLS BELOW SINGLE PRECISION"
     "RESCALE THE DATA BEFORE *DAP, OR LEAVE COLUMNS 9-12 AND 57-60 OF *COR3 BLANK"},
    // Values just above the least normal magnitude have a spread below it.
    {"matched_sd_below_single", "       1",
     [](Cor3& f, cor_data& d) {
       const float v[] = {1.5e-38f, 1, 2.5e-38f, 2, 3.5e-38f, 3, std::nanf(""), 4};
       d = make_data(2, 4, v);
       f.write_all(d);
     },
     0,
     "SD OF VARIABLE 1 GIVEN VARIABLE 1, 8.164965E-39, FALLS BELOW SINGLE PRECISION"
     "RESCALE THE DATA BEFORE *DAP, OR LEAVE COLUMNS 5-8 AND 53-56 OF *COR3 BLANK"},
};

INSTANTIATE_TEST_SUITE_P(Cases, Cor3InputErrors, ::testing::ValuesIn(input_errors),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvex::testing
