// The data processing component run as a deck runs it: parameter-card checks, format errors
// on the listing, statistics against independent reference values, the data storage file,
// the ISF entries, data errors and what they leave behind, missing values, reflection,
// subject names, DAP's page accounting and the subject-name table.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "data_entry/dap_internal.hpp"
#include "data_entry/data_entry.hpp"
#include "io/fixed_text.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"
#include "test_isf_fixture.hpp"

namespace korvex {
namespace {

using testing::Stopped;

// The cards after *DAP: title, parameter card, format, name sections, "DATA".
std::string deck(const std::string& params, const std::string& format, const std::string& sections = "") {
  return "TEST DECK\n" + params + "\n" + format + "\n" + sections + "DATA\n";
}

std::string repeat(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line;
  return s;
}

// Checks a stored single-precision value against a reference to 1e-6 relative.
void expect_close(float got, double want, const std::string& what) {
  EXPECT_NEAR(got, want, 1e-6 * std::abs(want) + 1e-30) << what;
}

class DapRun : public testing::IsfFolder {
 protected:
  void SetUp() override {
    IsfFolder::SetUp();
    init_page();
    reset_data_entry();
  }
  void TearDown() override {
    reset_data_entry();
    IsfFolder::TearDown();
  }

  // Runs DAP on the cards (title card first) and the raw records, in a fresh run: new
  // units, ISF and listing, page settings kept.
  Stopped dap(const std::string& cards, const std::string& data) {
    const std::int32_t nl = get_nlpage();
    const std::int32_t nc = get_ncline();
    reset_run_state();
    init_units();
    isf_init();
    init_page();
    set_nlpage(nl);
    set_ncline(nc);
    reset_data_entry();
    write_file("MONIN", cards);
    write_file("MTXIN1", data);
    return stop_of([] { DAP(); });
  }

  // The stop's message also when console lines came before the stop header.
  template <class F>
  Stopped stop_of(F f) {
    Stopped s = IsfFolder::stop_of(f);
    const std::string header = " * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n";
    const std::size_t at = s.console.find(header);
    if (s.message.empty() && at != std::string::npos) {
      const std::string rest = s.console.substr(at + header.size());
      s.message = rest.substr(1, rest.find('\n') - 1);
    }
    return s;
  }

  // Every record of the data storage file, in order.
  std::vector<io::RecordReader> dsf() {
    flush_all_units();
    io::SequentialFile file((dir_ / "MTDST").string(), io::OpenMode::read);
    std::vector<io::RecordReader> records;
    std::vector<std::byte> bytes;
    while (file.read(bytes) == 0) records.emplace_back(bytes);
    return records;
  }

  std::vector<float> reals(const std::string& label, Kpar& kpar) {
    std::vector<float> x(999);
    std::int32_t notfound = 0;
    isf_real_vector(label, 0, kpar, notfound, x);
    EXPECT_EQ(notfound, 0) << label;
    x.resize(static_cast<std::size_t>(std::max(kpar[1], 0)));
    return x;
  }
  std::vector<std::string> names(const std::string& label) {
    std::vector<std::string> n(999);
    Kpar kpar{};
    std::int32_t notfound = 0;
    isf_name_vector(label, 0, kpar, notfound, n);
    EXPECT_EQ(notfound, 0) << label;
    n.resize(static_cast<std::size_t>(std::max(kpar[1], 0)));
    return n;
  }
  bool has_entry(const std::string& label) {
    for (std::int32_t i = 1; i <= isf_count(); ++i) {
      if (isf_label_name(i) == label) return true;
    }
    return false;
  }
  bool listing_has(const std::string& line) {
    const auto lines = file_lines("MONOUT");
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  static std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }
};

// ---- parameter card ----------------------------------------------------------------------

TEST_F(DapRun, ParameterCardErrorsStopWithTheirMessages) {
  struct Case {
    std::string card;
    std::string message;
  };
  const Case cases[] = {
      {"", "Number of variables incorrect"},
      {"   1", "Number of variables incorrect"},  // one variable is refused
      {"1000", "Number of variables incorrect"},
      {"   2400001", "Number of subjects incorrect"},
      {"   2     0 2", "NOMISS parameter value incorrect"},
      {"   2     0 0   2", "PONAME parameter value incorrect"},
      {"   2     0 0   0   A", "MVAL (Missing data indicator) value incorrect"},
      {"   2     0-1", "BCDBIN ERROR: Unrecognized character in \"-1\"."},
      {" 2.0", "BCDBIN ERROR: Unrecognized character in \" 2.0\"."},
      {" 100     0 0   0    ABCDEFGHIJKLMNOPQR", "VROOT contains too many characters"},
      {"   2     0 0   0    A.B", "VROOT contains invalid character for a name"},
      {"   2     0 0   0    A,B", "VROOT contains invalid character for a name"},
  };
  for (const Case& c : cases) {
    const Stopped s = dap("TITLE\n" + c.card + "\n", "");
    EXPECT_TRUE(s.stopped) << c.card;
    EXPECT_EQ(s.message, c.message) << c.card;
  }
}

TEST_F(DapRun, ParameterEchoOnTheFirstPage) {
  dap("A TITLE\n   2     0 0   1   7  V R\n", "");
  const auto lines = file_lines("MONOUT");
  ASSERT_GE(lines.size(), 13u);
  EXPECT_EQ(lines[0].substr(0, 4), "1DAP");
  EXPECT_EQ(lines[0].size(), 118u);
  EXPECT_EQ(lines[0].substr(109), "Page    1");
  EXPECT_EQ(lines[1], " ");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], " DAP PARAMETER CARD ...");
  EXPECT_EQ(lines[4], " ");
  EXPECT_EQ(lines[5], "   NAME  COLUMNS  VALUE");
  EXPECT_EQ(lines[6], "     NV   01-04      2");
  EXPECT_EQ(lines[7], "   NSUB   05-10        0");
  EXPECT_EQ(lines[8], " NOMISS   11-12    0");
  EXPECT_EQ(lines[9], "  PONAM   13-16      1");
  EXPECT_EQ(lines[10], "   MVAL   20-20   7");
  EXPECT_EQ(lines[11], "  VROOT   21-40     V R" + std::string(15, ' '));
  EXPECT_EQ(lines[12], " ");
}

TEST_F(DapRun, ValidCardsAtTheLimitsRun) {
  const std::string two = "1 2\n3 4\n";
  // Two variables, the smallest number; a letter in MVAL is dropped when NOMISS is 1.
  EXPECT_FALSE(dap(deck("   2     0 1   0   A", "(2F2.0)"), two).stopped);
  // 999 variables.
  EXPECT_FALSE(dap(deck(" 999     0 1", "(999F1.0)"), repeat(std::string(999, '5') + "\n", 2)).stopped);
  // 400000 subjects expected: the card passes, the data then fall short.
  EXPECT_EQ(dap(deck("   2400000 1", "(2F2.0)"), two).message, "FEWER SUBJECTS THAN EXPECTED");
  // A root typed with a blank is closed up; 17 characters leave room for 3 digits.
  ASSERT_FALSE(dap(deck("   2     0 1   0    A B", "(2F2.0)"), two).stopped);
  EXPECT_EQ(names("VNAMS1")[1], "AB2                 ");
  ASSERT_FALSE(dap(deck(" 100     0 1   0    ABCDEFGHIJKLMNOPQ", "(100F1.0)"), repeat(std::string(100, '1') + "\n", 2)).stopped);
  EXPECT_EQ(names("VNAMS1")[99], "ABCDEFGHIJKLMNOPQ100");
}

TEST_F(DapRun, MissingRawDataFileStopsBeforeAnyCard) {
  write_file("MONIN", "TITLE\n");
  const Stopped s = stop_of([] { DAP(); });
  EXPECT_EQ(s.message, "open_unit_number: file = MTXIN1 - file not found");
}

TEST_F(DapRun, EndOfTheDeckStopsWithTheIoStatus) {
  EXPECT_EQ(dap("", "").message, "DAP: end of file on MONIN where a card was expected: Bad io_stat = -01");
  EXPECT_EQ(dap("TITLE\n", "").message,
            "DAP: end of file on MONIN where the parameter card was expected: Bad io_stat = -01");
  EXPECT_EQ(dap(deck("   2     0 1", "(2F2.0)").substr(0, 25) , "").message,
            "DAP: end of file on MONIN where a card was expected: Bad io_stat = -01");
}

// ---- format errors on the listing -----------------------------------------------------------

TEST_F(DapRun, FormatErrorsMarkTheColumnUnderTheLastCard) {
  struct Case {
    std::string format;
    std::string message;
    std::string marker;  // the listing line after the last echoed card; empty: none
  };
  const Case cases[] = {
      {"(2A5)", "REPEAT SPEC.  NOT ALLOWED FOR AN EDIT DESCRIPTOR.", "   *"},
      {"(F5)", "PERIOD EXPECTED.", "    *"},
      {"(F5.6)", "IMPLIED DECIMAL POINT LARGER THAN WIDTH.", "      *"},
      {"(F5.1,f5.1)", "ILLEGAL CHARACTER.", "       *"},
      {"(2F5.1)  X", "NON-BLANK CHARACTERS BEYOND RIGHT-MOST PARENTHESIS.", "       *"},
      {"(F5.1,\n   F5.2X)", "ILLEGAL CHARACTER.", "        *"},
      {"(F5.1,\n\n\n\n\n\n\n\n\n\nF5.1)", "TOO MANY FORMAT CARDS.", ""},
  };
  for (const Case& c : cases) {
    const Stopped s = dap("TITLE\n   2     0 1\n" + c.format + "\n", "");
    EXPECT_EQ(s.message, c.message) << c.format;
    const auto lines = file_lines("MONOUT");
    // Listing: ... last card, [marker], blank, message.
    ASSERT_GE(lines.size(), 4u);
    const std::string& before = lines[lines.size() - 3];
    if (c.marker.empty()) {
      EXPECT_EQ(before.substr(0, 1), " ") << c.format;
      EXPECT_EQ(before.size(), 81u) << c.format;  // the echoed card itself
    } else {
      EXPECT_EQ(before, c.marker) << c.format;
    }
  }
}

// ---- a clean run against the reference -----------------------------------------------------

// The deck tests/decks/dap_small; tests/reference/dap_small_deck.py computed the values.
const char* const small_data =
    "  1.5 20.1  3.0  ADAMS\n"
    "  2.599999  4.0  BAKER\n"
    "  3.0 22.5  5.5  CLARK\n"
    "\n"
    "  4.5 18.099999  DAVIS\n"
    "  5.0  250  2.0  EVANS\n"
    "  6.5 19.5  7.0  FOX\n"
    "  7.0 21.0 -1.2  GREEN\n"
    "  8.5 23.5  6.0  HILL\n"
    "  9.0 24.0   .5  IRWIN\n";

TEST_F(DapRun, SmallDeckMatchesTheReferenceStatistics) {
  const Stopped s = dap(deck("   3     0 0   0   9", "(3F5.1,2X,A8)", "VARIABLES\nHEIGHT,WEIGHT,SCORE.\n"), small_data);
  ASSERT_FALSE(s.stopped) << s.console;

  Kpar kpar{};
  const std::vector<float> means = reals("MEANS1", kpar);
  EXPECT_EQ((std::vector<std::int32_t>(kpar.begin(), kpar.begin() + 4)), (std::vector<std::int32_t>{3, 3, 1, 9}));
  const std::vector<float> sigmas = reals("STDEV1", kpar);
  const std::vector<float> sums = reals("VSUMS1", kpar);
  ASSERT_EQ(means.size(), 3u);
  const double want_mean[] = {5.27777778, 21.7, 3.34999999};
  const double want_sigma[] = {2.50678093, 2.28144688, 2.64952827};
  const double want_sum[] = {47.5, 173.6, 26.8};
  for (int h = 0; h < 3; ++h) {
    expect_close(means[h], want_mean[h], "mean " + std::to_string(h + 1));
    expect_close(sigmas[h], want_sigma[h], "sigma " + std::to_string(h + 1));
    expect_close(sums[h], want_sum[h], "sum " + std::to_string(h + 1));
  }
  std::vector<std::int32_t> counts(999);
  std::int32_t notfound = 0;
  isf_int_vector("VAREN1", 0, kpar, notfound, counts);
  EXPECT_EQ(kpar[1], 3);
  EXPECT_EQ((std::vector<std::int32_t>(counts.begin(), counts.begin() + 3)), (std::vector<std::int32_t>{9, 8, 8}));
  EXPECT_EQ(names("VNAMS1")[1], "WEIGHT              ");

  // The run title and the parameters.
  std::vector<std::string> title(12);
  isf_idfile(0, notfound, title);
  EXPECT_EQ(title[0] + title[1], "TEST DECK   ");
  std::vector<std::string> words(12);
  Kpar ip{};
  isf_word_vector("IPFILE", 0, ip, notfound, words);
  EXPECT_EQ((std::vector<std::int32_t>(ip.begin(), ip.end())), (std::vector<std::int32_t>{9, 12, 1, 3, 9, 3, 9, 0, 0, 0}));
  Kpar onams{};
  std::vector<std::string> subjects(100);
  SNFILE("ONAMS1", 0, onams, notfound, subjects, 1);
  SNFILE("ONAMS1", 0, onams, notfound, subjects, 2);
  EXPECT_EQ(onams[2], 9);
  EXPECT_EQ(subjects[3], "DAVIS               ");

  // The blank record set is reported with its record-set number and discarded.
  EXPECT_TRUE(listing_has(" THE INPUT RECORD(S) FOR SUBJECT NUMBER      4 ARE ENTIRELY BLANK. THE SUBJECT IS DISCARDED."));
  EXPECT_TRUE(listing_has("     10 SUBJECTS HAVE BEEN READ, BUT SOME HAD NO DATA.     9 SUBJECTS HAVE DATA."));
  // The printed table agrees with the reference to its 3 decimals.
  EXPECT_TRUE(listing_has(" 1  HEIGHT     5.278  2.507  9        0   1.500    9"));
  EXPECT_TRUE(listing_has(" 2  WEIGHT    21.700  2.281  8        1  18.000   25"));
  EXPECT_TRUE(listing_has(" 3  SCORE      3.350  2.650  8        1  -1.200    7"));

  // The data storage file: header, 9 subjects, trailer; coded values are NaN with flag 0.
  std::vector<io::RecordReader> rec = dsf();
  ASSERT_EQ(rec.size(), 5u + 9u + 8u);
  EXPECT_EQ(rec[0].text(72), "TEST DECK" + std::string(63, ' '));
  EXPECT_EQ(rec[1].data(), rec[0].data());
  EXPECT_EQ(rec[2].i32(), 3);
  EXPECT_EQ(rec[2].i32(), 0);
  EXPECT_EQ(rec[3].text(20), "HEIGHT              ");
  EXPECT_EQ(rec[4].size(), 4u);
  io::RecordReader& baker = rec[6];
  ASSERT_EQ(baker.size(), 3u * 4 + 20 + 4 + 3u * 4);
  EXPECT_EQ(baker.f32(), 2.5f);
  EXPECT_EQ(bits(baker.f32()), 0xFFC00000u);
  EXPECT_EQ(baker.f32(), 4.0f);
  EXPECT_EQ(baker.text(20), "BAKER               ");
  EXPECT_EQ(baker.i32(), 2);
  EXPECT_EQ(baker.i32(), 1);
  EXPECT_EQ(baker.i32(), 0);
  EXPECT_EQ(baker.i32(), 1);
  io::RecordReader& evans = rec[9];  // subject 5: "  250" reads with its implied decimal
  evans.f32();
  EXPECT_EQ(evans.f32(), 25.0f);
  // Trailer: zero, name dimensions, names, zero, means, deviations, counts, zero.
  EXPECT_EQ(rec[14].i32(), 0);
  EXPECT_EQ(rec[15].i32(), 3);
  EXPECT_EQ(rec[15].i32(), 3);
  EXPECT_EQ(rec[15].i32(), 1);
  EXPECT_EQ(rec[15].i32(), 9);
  EXPECT_EQ(rec[15].i32(), 999);
  EXPECT_EQ(rec[16].i32(), 2);
  EXPECT_EQ(rec[16].i32(), 9);
  EXPECT_EQ(rec[17].size(), 4u);
  EXPECT_EQ(rec[18].i32(), 4);
  EXPECT_EQ(rec[18].i32(), 3);
  EXPECT_EQ(rec[18].f32(), means[0]);
  EXPECT_EQ(rec[20].i32(), 3);
  EXPECT_EQ(rec[21].size(), 4u);
}

// Sums in double precision, each result rounded once: the deviation of 1, 2 and 3 is the
// correctly rounded sqrt(2/3); a variable missing in every subject has all zeros.
TEST_F(DapRun, MeansAndDeviationsOfSmallCases) {
  ASSERT_FALSE(dap(deck("   2     0 0", "(2F3.0)"), "  1\n  2\n  3\n").stopped);
  Kpar kpar{};
  const std::vector<float> means = reals("MEANS1", kpar);
  const std::vector<float> sigmas = reals("STDEV1", kpar);
  EXPECT_EQ(means[0], 2.0f);
  EXPECT_EQ(sigmas[0], static_cast<float>(std::sqrt(2.0 / 3.0)));
  EXPECT_EQ(sigmas[0], 0.8164966f);
  EXPECT_EQ(bits(means[1]), 0u);
  EXPECT_EQ(bits(sigmas[1]), 0u);
  EXPECT_TRUE(listing_has(" 2  VAR2         0  0.000  0        3    0    0"));
}

// Subjects counted from the data: the counts of IPFILE, MEANS1 and ONAMS1 are those read; the
// names go to ONAMS1 in records of 100 and to the storage file's trailer in records of 999.
TEST_F(DapRun, CountedSubjectsSizeTheEntriesAndTrailer) {
  std::string data;
  for (int i = 0; i < 1000; ++i) data += " 1 2\n";
  ASSERT_FALSE(dap(deck("   2     0 1", "(2F2.0)"), data).stopped);
  Kpar kpar{};
  reals("MEANS1", kpar);
  EXPECT_EQ(kpar[3], 1000);
  std::vector<std::string> words(12);
  std::int32_t notfound = 0;
  isf_word_vector("IPFILE", 0, kpar, notfound, words);
  EXPECT_EQ(kpar[4], 1000);
  EXPECT_EQ(kpar[6], 1000);
  std::vector<std::string> subjects(100);
  SNFILE("ONAMS1", 0, kpar, notfound, subjects, 1);
  EXPECT_EQ((std::vector<std::int32_t>(kpar.begin(), kpar.begin() + 4)), (std::vector<std::int32_t>{3, 1, 1000, 100}));
  for (int k = 0; k < 10; ++k) SNFILE("ONAMS1", 0, kpar, notfound, subjects, 2);
  EXPECT_EQ(subjects[99], "OBJ001000           ");

  std::vector<io::RecordReader> rec = dsf();
  ASSERT_EQ(rec.size(), 5u + 1000u + 9u);
  io::RecordReader& first = rec[1007];  // after the subjects, the zero and the dimensions
  EXPECT_EQ(first.i32(), 2);
  EXPECT_EQ(first.i32(), 999);
  io::RecordReader& second = rec[1008];
  EXPECT_EQ(second.i32(), 2);
  EXPECT_EQ(second.i32(), 1);
  EXPECT_EQ(second.text(20), "OBJ001000           ");
  EXPECT_EQ(rec[1009].size(), 4u);
}

// ---- data errors --------------------------------------------------------------------------

TEST_F(DapRun, DataErrorsEmptyTheStorageFileAfterTheTable) {
  struct Case {
    std::string params;
    std::string format;
    std::string data;
    std::string message;
    std::string line;  // the end-of-data line of the listing
    // The head of the statistics table, whose columns widen for values near the range's ends.
    std::string table = "    Variable  Mean  Sigma  N  Missing  Min  Max";
  };
  const Case cases[] = {
      {"   2     2 1", "(2F2.0)", "1 2\n3 4\n5 6\n", "MORE SUBJECTS THAN EXPECTED", " 1  VAR1         2      1  2        0    1    3"},
      {"   2     4 1", "(2F2.0)", "1 2\n3 4\n5 6\n", "FEWER SUBJECTS THAN EXPECTED", "      3 SUBJECTS HAVE BEEN READ."},
      {"   2     0 1", "(F2.0/F2.0)", "1\n2\n3\n4\n5\n", "INCOMPLETE MULTIPLE RECORD SET FOR LAST SUBJECT",
       " END OF FILE RECORD HAS BEEN FOUND AT SUBJECT NUMBER     3 RECORD NUMBER   2.      3 SUBJECTS HAVE DATA."},
      {"   2     0 1", "(2F2.0)", "1 2\n", "INCOMPLETE MULTIPLE RECORD SET FOR LAST SUBJECT",
       " END OF FILE RECORD HAS BEEN FOUND AT SUBJECT NUMBER     2 RECORD NUMBER   1.      2 SUBJECTS HAVE DATA."},
      {"   2     0 1", "(2F2.0)", "", "INCOMPLETE MULTIPLE RECORD SET FOR LAST SUBJECT",
       " END OF FILE RECORD HAS BEEN FOUND AT SUBJECT NUMBER     1 RECORD NUMBER   1.      1 SUBJECTS HAVE DATA."},
      // Values within the single-precision range whose sum is not (tests/reference/dap_sums_range.py).
      {"   2     0 1", "(2F10.0)", "    3.0E38         1\n    2.5E38         2\n    3.0E38         3\n",
       "THE SUM OF VARIABLE 1 (VAR1), 8.500000E+38, EXCEEDS SINGLE PRECISION"
       "RESCALE THE DATA BEFORE *DAP",
       "      3 SUBJECTS HAVE BEEN READ.",
       "    Variable                   Mean                  Sigma   N   Missing                    Min                    Max"},
      {"   2     0 0", "(2F10.0)", "         1   -3.0E38\n         2   -3.0E38\n         3   -3.0E38\n",
       "THE SUM OF VARIABLE 2 (VAR2),-9.000000E+38, EXCEEDS SINGLE PRECISION"
       "RESCALE THE DATA BEFORE *DAP",
       "      3 SUBJECTS HAVE BEEN READ.",
       "    Variable                  Mean  Sigma  N  Missing                   Min                   Max"},
  };
  for (const Case& c : cases) {
    const Stopped s = dap(deck(c.params, c.format), c.data);
    EXPECT_EQ(s.message, c.message) << c.data;
    EXPECT_TRUE(listing_has(c.line)) << c.message;
    EXPECT_TRUE(listing_has(c.table)) << c.message;
    EXPECT_TRUE(dsf().empty()) << c.message;
    EXPECT_FALSE(has_entry("MEANS1")) << c.message;
  }
}

// Values near the ends of the range whose sum stays within it: the sum, mean and deviation
// are stored (tests/reference/dap_sums_range.py, case "within").
TEST_F(DapRun, SumsNearTheEndOfTheRangeAreStored) {
  ASSERT_FALSE(dap(deck("   2     0 1", "(2F10.0)"), "    3.0E38         1\n   -3.0E38         2\n    3.0E38         3\n").stopped);
  Kpar kpar{};
  expect_close(reals("VSUMS1", kpar)[0], 3.000000E+38, "VSUMS1");
  expect_close(reals("MEANS1", kpar)[0], 1.000000002e+38, "MEANS1");
  expect_close(reals("STDEV1", kpar)[0], 2.828427130e+38, "STDEV1");
  EXPECT_FALSE(dsf().empty());
}

TEST_F(DapRun, EndOfDataAfterCompleteRecordSetsIsClean) {
  ASSERT_FALSE(dap(deck("   2     0 1", "(2F2.0)"), "1 2\n3 4\n").stopped);
  EXPECT_TRUE(listing_has("      2 SUBJECTS HAVE BEEN READ."));
  // Three records per subject: a clean end before record 1 of a subject.
  ASSERT_FALSE(dap(deck("   3     0 1", "(F2.0/F2.0/F2.0)"), "1\n2\n3\n4\n5\n6\n").stopped);
  Kpar kpar{};
  EXPECT_EQ(reals("MEANS1", kpar)[2], 4.5f);
  EXPECT_EQ(kpar[3], 2);
}

TEST_F(DapRun, PerSubjectErrorsAreAllReportedThenTheLastStateStops) {
  // Subject 3 has a blank field while MVAL is a digit, subject 7 inconsistent names.
  std::string data;
  for (int i = 1; i <= 8; ++i) {
    const std::string v = i == 3 ? "  " : " " + std::to_string(i);
    data += " 1" + v + (i == 7 ? "SMITHSMYTH" : "SAMEXSAMEX") + "\n";
  }
  const Stopped s = dap(deck("   2     0 0   0   9", "(2F2.0,A5,A5)"), data);
  EXPECT_EQ(s.message, "ERROR IN SUBJECT NAMES");
  EXPECT_TRUE(listing_has(" Variable   2 (VAR2) is blank for subject number     3"));
  EXPECT_TRUE(listing_has(" SUBJECT NAME INCONSISTENCY AT SUBJECT NUMBER     7 NAME 1 IS SMITH                NAME   2 IS                SMYTH"));
  EXPECT_TRUE(listing_has(" 2  VAR2      4.714  2.373  7        1    1    8"));  // the table covers every subject
  EXPECT_TRUE(dsf().empty());
}

TEST_F(DapRun, BlankFieldStatesFollowNomiss) {
  EXPECT_EQ(dap(deck("   2     0 0   0   9", "(2F2.0)"), " 1 2\n 3  \n 5 6\n").message,
            "Blank data fields found when missing data indicator (MVAL) was non-blank");
  EXPECT_EQ(dap(deck("   2     0 1", "(2F2.0)"), " 1 2\n 3  \n 5 6\n").message,
            "MISSING DATA FOUND WHEN COMPLETE DATA EXPECTED");
  EXPECT_TRUE(listing_has(" Variable   2 (VAR2) is blank for subject number     2"));
}

TEST_F(DapRun, NonNumericFieldsStopNamingSubjectAndVariable) {
  EXPECT_EQ(dap(deck("   2     0 1", "(2F5.1)"), "  1.0  2.0\n  1.01.2.3\n").message,
            "VARIABLE 2 (VAR2) OF SUBJECT NUMBER 2 IS NOT A NUMBER: \"1.2.3\"");
  EXPECT_EQ(dap(deck("   2     0 0", "(2F5.1)", "VARIABLES\nA,B.\n"), "  NaN  2.0\n").message,
            "VARIABLE 1 (A) OF SUBJECT NUMBER 1 IS NOT A NUMBER: \"  NaN\"");
  EXPECT_EQ(dap(deck("   2     0 0", "(2F5.1)"), "  1.0  Inf\n").message,
            "VARIABLE 2 (VAR2) OF SUBJECT NUMBER 1 IS NOT A NUMBER: \"  Inf\"");
}

// After a reordering both messages name the variable by its output position: input field 3
// (C) is output variable 1, field 1 (A) is output variable 2.
TEST_F(DapRun, AfterAReorderingNonNumericAndBlankFieldsNameTheSameVariable) {
  const std::string names = "VARIABLES\nA,B,C.\nREORDER\nC,A,B.\n";
  EXPECT_EQ(dap(deck("   3     0 0", "(3F5.1)", names), "  1.0  2.0  x.y\n").message,
            "VARIABLE 1 (C) OF SUBJECT NUMBER 1 IS NOT A NUMBER: \"  x.y\"");
  EXPECT_EQ(dap(deck("   3     0 0", "(3F5.1)", names), "  x.y  2.0  3.0\n").message,
            "VARIABLE 2 (A) OF SUBJECT NUMBER 1 IS NOT A NUMBER: \"  x.y\"");
  dap(deck("   3     0 1", "(3F5.1)", names), "  1.0  2.0     \n");
  EXPECT_TRUE(listing_has(" Variable   1 (C) is blank for subject number     1"));
}

// ---- missing values, reflection, names -----------------------------------------------------

TEST_F(DapRun, MissingCodesBlanksAndReflection) {
  // MVAL 9: "999" is missing, "99 " is the value 99; a blank field is silent only without MVAL.
  ASSERT_FALSE(dap(deck("   3     0 0   0   9", "(3F3.0)", "VARIABLES\nA,B,C.\nREFLECT\nB,C.\n"),
                   "  2999 99\n  4  0  1\n  6  5999\n").stopped);
  std::vector<io::RecordReader> rec = dsf();
  ASSERT_EQ(rec.size(), 5u + 3u + 8u);
  rec[5].f32();
  EXPECT_EQ(bits(rec[5].f32()), 0x7FC00000u);  // a reflected missing value turns positive
  EXPECT_EQ(rec[5].f32(), -99.0f);
  rec[6].f32();
  EXPECT_EQ(bits(rec[6].f32()), 0u);  // a reflected zero is +0
  Kpar kpar{};
  const std::vector<float> means = reals("MEANS1", kpar);
  EXPECT_EQ(means[1], -2.5f);
  std::vector<std::int32_t> counts(999);
  std::int32_t notfound = 0;
  isf_int_vector("VAREN1", 0, kpar, notfound, counts);
  EXPECT_EQ(counts[0], 3);
  EXPECT_EQ(counts[1], 2);
  EXPECT_EQ(counts[2], 2);

  // Without MVAL a blank field is missing without any message.
  ASSERT_FALSE(dap(deck("   2     0 0", "(2F3.0)"), "  1  2\n  3   \n  5  6\n").stopped);
  EXPECT_FALSE(listing_has(" Variable   2 (VAR2) is blank for subject number     2"));
  EXPECT_EQ(reals("MEANS1", kpar)[1], 4.0f);
}

TEST_F(DapRun, CompleteDataWritesSevenEntriesAndNoFlags) {
  // Two *DAP runs of one deck: the VAREN1 of the first stays when the second has NOMISS 1.
  ASSERT_FALSE(dap(deck("   2     0 0", "(2F2.0)") + deck("   2     0 1", "(2F2.0)", "VARIABLES\nP,Q.\n"),
                   " 1 2\n 3 4\n 5 6\n").stopped);
  ASSERT_FALSE(stop_of([] { DAP(); }).stopped);
  EXPECT_EQ(names("VNAMS1")[0], "P                   ");
  Kpar kpar{};
  std::vector<std::int32_t> counts(999);
  std::int32_t notfound = 0;
  isf_int_vector("VAREN1", 0, kpar, notfound, counts);
  EXPECT_EQ(counts[1], 3);  // the first run's entry
  const std::vector<io::RecordReader> rec = dsf();
  EXPECT_EQ(rec[5].size(), 2u * 4 + 20 + 4);
}

TEST_F(DapRun, SubjectNamesFromSectionsDataOrNumbers) {
  // Names from the data, closed up; a subject section wins over the data.
  ASSERT_FALSE(dap(deck("   2     3 1", "(2F2.0,A6)", "SUBJECTS\n,SECOND,.\n"),
                   " 1 2J. DOE\n 3 4X\n 5 6\n").stopped);
  std::vector<std::string> subjects(100);
  Kpar kpar{};
  std::int32_t notfound = 0;
  SNFILE("ONAMS1", 0, kpar, notfound, subjects, 1);
  SNFILE("ONAMS1", 0, kpar, notfound, subjects, 2);
  EXPECT_EQ(subjects[0], "JDOE                ");
  EXPECT_EQ(subjects[1], "SECOND              ");
  EXPECT_EQ(subjects[2], "OBJ3                ");  // the limit 3 has one digit

  // NSUB 0: the limit is 400000, six digits.
  ASSERT_FALSE(dap(deck("   2     0 1", "(2F2.0)"), " 1 2\n 3 4\n").stopped);
  SNFILE("ONAMS1", 0, kpar, notfound, subjects, 1);
  SNFILE("ONAMS1", 0, kpar, notfound, subjects, 2);
  EXPECT_EQ(subjects[1], "OBJ000002           ");
}

// ---- name sections --------------------------------------------------------------------------

TEST_F(DapRun, NameSectionErrorsGiveTheirReports) {
  struct Case {
    std::string sections;
    std::string message;  // proc_error text; empty for a coded stop
    int code;
    std::string console;  // a console line that must appear
  };
  const Case cases[] = {
      {"VARIABLES\nA,B,C.\nREORDER\nC,A,A.\n", "DUPLICATE REORDER NAMES", 0, ""},
      {"VARIABLES\nA,B,C.\nREORDER\nC,A.\n", "TOO FEW REORDER NAMES", 0, ""},
      {"VARIABLES\nA,B,C.\nREORDER\nC,A,B,D.\n", "TOO MANY NAMES", 0, ""},
      {"VARIABLES\nA,B.\n", "TOO FEW VARIABLE NAMES", 0, ""},
      {"VARIABLES\nA,B,CCCCCCCCCCCCCCCCCCCCC.\n", "NAME TOO LONG", 0, ""},
      {"VARIABLES\nA,B/,C.\n", "ILLEGAL CHARACTER IN NAME", 0, "Illegal character in name:  2F"},
      {"VARIABLES\nA,B,C.\nREFLECT\nB,B.\n", "DUPLICATE REFLECT NAMES", 0, ""},
      {"REORDER\nC,A,B.\n", "\"DATA\" CARD EXPECTED", 0, ""},
      {"SUBJECTS\nX,Y.\n", "TOO FEW SUBJECT NAMES", 0, ""},
      {"PART V\n12,X.\n", "NUMBER TOO LARGE (LIST CARD 1, COLUMN 1)", 0, ""},
      {"PART V\n1,X,\n 0,Y.\n", "NUMBER 0 NAMES NO ENTRY (LIST CARD 2, COLUMN 2)", 0, ""},
      {"PART V\n2.\n", "NUMBER NOT PAIRED WITH NAME", 0, ""},
      {"PART V\nA,X.\n", "ILLEGAL CHARACTER IN NUMBER", 0, ""},
      {"PART V\n12345678901,X.\n", "TOO MANY DIGITS IN NUMBER (LIST CARD 1, COLUMN 10)", 0, ""},
      {"VARIABLES\nA,B,C.\nREORDER\nC,X,Y.\n", "", 10003, " QUIT: ERROR=10003"},
      {"VARIABLES\nA,B,C.\nREFLECT\nQ.\n", "", 10004, " QUIT: ERROR=10004"},
      {"VARIABLES\nA,B,A.\n", "", 0, "  Duplicate variable names"},
  };
  for (const Case& c : cases) {
    const Stopped s = dap(deck("   3     4 1", "(3F2.0)", c.sections), "");
    EXPECT_TRUE(s.stopped) << c.sections;
    EXPECT_EQ(s.message, c.message) << c.sections;
    EXPECT_EQ(s.code, c.code) << c.sections;
    if (!c.console.empty()) {
      EXPECT_NE(s.console.find(c.console + "\n"), std::string::npos) << s.console;
    }
  }
}

TEST_F(DapRun, UnknownReorderNamesAreAllListedBeforeTheStop) {
  dap(deck("   3     0 1", "(3F2.0)", "VARIABLES\nA,B,C.\nREORDER\nC,X,Y.\n"), "");
  EXPECT_TRUE(listing_has(" THE NAME \"X                   \"IS NOT IN THE VARIABLE NAME LIST"));
  EXPECT_TRUE(listing_has(" THE NAME \"Y                   \"IS NOT IN THE VARIABLE NAME LIST"));
}

TEST_F(DapRun, DuplicateVariableNamesReport) {
  const Stopped s = dap(deck("   3     0 1", "(3F2.0)", "VARIABLES\nA,B,A.\n"), "");
  EXPECT_EQ(s.console,
            " \n  Duplicate variable names\n  ordinal            name\n"
            "      1      A                   \n      3      A                   \n\n");
  EXPECT_TRUE(listing_has(" Duplicate variable names"));
  EXPECT_TRUE(listing_has("     3      A                   "));
}

TEST_F(DapRun, ReorderAndReflectFollowTheLists) {
  ASSERT_FALSE(dap(deck("   3     0 1", "(3F2.0)", "PART V\n3,C,1,A.\nREORDER\nC,A,VAR2.\nREFLECT\nVAR2.\n"),
                   " 1 2 3\n 4 5 6\n").stopped);
  const auto v = names("VNAMS1");
  EXPECT_EQ(v[0], "C                   ");
  EXPECT_EQ(v[2], "VAR2                ");
  Kpar kpar{};
  const std::vector<float> means = reals("MEANS1", kpar);
  EXPECT_EQ(means, (std::vector<float>{4.5f, 2.5f, -3.5f}));
}

// ---- listing pages ----------------------------------------------------------------------------

TEST_F(DapRun, PageHeaderCarriesTheTitleAndCountsItsLines) {
  set_ncline(50);
  dap::new_run();
  dap::run().title_card = "ONE TWO THREE FOUR FIVE SIX SEVEN EIGHT NINE TEN ELEVEN TWELVE THIRTEEN FOURTEEN";
  dap::dap_line(-1);
  EXPECT_EQ(page_common().ncline, 50);
  dap::dap_line(1);
  auto lines = file_lines("MONOUT");
  ASSERT_EQ(lines.size(), 4u);  // three title pieces of at most 31 characters, then a blank
  EXPECT_EQ(lines[0].substr(0, 7), "1DAP   ");
  EXPECT_EQ(lines[0].substr(37), "    Page    1");
  EXPECT_EQ(lines[1].substr(0, 7), "       ");
  EXPECT_EQ(lines[3], " ");
  EXPECT_EQ(dap::print_state().lines_left, 78 - 3 - 1);

  // The budget: the last line left is taken, the next one begins a page and is not counted.
  dap::print_state().lines_left = 1;
  dap::dap_line(0);
  EXPECT_EQ(dap::print_state().lines_left, 0);
  dap::dap_line(0);
  EXPECT_EQ(dap::print_state().page, 2);
  EXPECT_EQ(dap::print_state().lines_left, 74);

  // A blank title still gives the head line and a blank record.
  dap::run().title_card = std::string(80, ' ');
  dap::dap_line(1);
  lines = file_lines("MONOUT");
  EXPECT_EQ(lines[lines.size() - 2], "1DAP" + std::string(37, ' ') + "Page    3");
  EXPECT_EQ(dap::print_state().lines_left, 76);
}

// The title is centred by expand_line for a width of L - 19 and goes into columns 8 to L - 12
// without the laid-out line's first (carriage) character: a 37-character title at 118
// columns stands in columns 37-73 (expand_line puts it in 31-67). A piece as wide as the
// field starts in the carriage position itself and keeps every letter in columns 8 to L - 12.
TEST_F(DapRun, PageHeaderPlacesTheTitleWhereItsLayoutPutsIt) {
  struct Case {
    std::int32_t ncline;
    std::string title;
    std::vector<std::string> lines;  // the header records before the blank one
  };
  const std::string t37 = "A TITLE OF THIRTY-SEVEN CHARACTERS OK";
  const std::string full = "ABCDEFGHIJ ABCDEFGHIJ ABCDEFGHI";  // 31 = 50 - 19
  const Case cases[] = {
      {118, t37, {"1DAP" + std::string(32, ' ') + t37 + std::string(36, ' ') + "Page    1"}},
      // 28 characters at 50 columns: m = 16, h = 14, laid out from column 2, placed from 8.
      {50, "ABCDEFGHIJKLMNOPQRSTUVWXYZ12", {"1DAP   ABCDEFGHIJKLMNOPQRSTUVWXYZ12" + std::string(6, ' ') + "Page    1"}},
      // NEXT: h = 2, laid out in columns 14-17, placed in 20-23.
      {50, full + " NEXT", {"1DAP   " + full + "   Page    1", std::string(19, ' ') + "NEXT" + std::string(27, ' ')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const std::size_t before = file_lines("MONOUT").size();
    set_ncline(c.ncline);
    dap::new_run();
    dap::run().title_card = io::pad(c.title, 80);
    dap::dap_line(-1);
    dap::dap_line(1);
    const auto all = file_lines("MONOUT");
    ASSERT_EQ(all.size(), before + c.lines.size() + 1);
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      EXPECT_EQ(all[before + i], c.lines[i]);
      EXPECT_EQ(all[before + i].size(), static_cast<std::size_t>(c.ncline));
    }
    EXPECT_EQ(all.back(), " ");
  }
}

TEST_F(DapRun, SubjectNameTableRunsDownTheColumns) {
  std::string data;
  for (int i = 1; i <= 150; ++i) data += " 1 " + std::to_string(i % 7) + "\n";
  ASSERT_FALSE(dap(deck("   2   150 1   1", "(2F2.0)"), data).stopped);
  // 9 names to a line (118 / (3 + 6 + 3)), 75 lines to a page: row 1 holds subjects 1 and 76.
  EXPECT_TRUE(listing_has("   1 OBJ001   76 OBJ076"));
  EXPECT_TRUE(listing_has("  75 OBJ075  150 OBJ150"));
  EXPECT_TRUE(listing_has("1SUBJECT NAMES    "));

  // 20 lines per page: 15 rows a page, so subjects 1, 16, ..., 136 share the first row.
  set_nlpage(20);
  ASSERT_FALSE(dap(deck("   2   150 1   1", "(2F2.0)"), data).stopped);
  EXPECT_TRUE(listing_has("   1 OBJ001   16 OBJ016   31 OBJ031   46 OBJ046   61 OBJ061   76 OBJ076"
                          "   91 OBJ091  106 OBJ106  121 OBJ121"));
  EXPECT_TRUE(listing_has(" 136 OBJ136"));
}

TEST_F(DapRun, TwoValuedVariablesShowTheirShares) {
  std::string data;
  for (int i = 0; i < 120; ++i) data += (i < 30 ? " 1" : " 0") + std::string(" ") + std::to_string(1 + i % 5) + "\n";
  ASSERT_FALSE(dap(deck("   2     0 1", "(2F2.0)"), data).stopped);
  EXPECT_TRUE(listing_has("    Variable   Mean  Sigma    N  Missing  Min  Max  %low  %high"));
  EXPECT_TRUE(listing_has(" 1  VAR1      0.250  0.433  120        0    0    1   75.    25."));
  EXPECT_TRUE(listing_has(" 2  VAR2      3.000  1.414  120        0    1    5  ****  *****"));
}

// ---- accuracy over many subjects ---------------------------------------------------------------

// The records of tests/reference/dap_accuracy.py: one 64-bit linear congruential generator.
std::string accuracy_data(int n) {
  std::uint64_t state = 20240613;
  auto next24 = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return state >> 40;
  };
  std::string data;
  char line[32];
  for (int i = 0; i < n; ++i) {
    std::uint64_t total = 0;
    for (int k = 0; k < 12; ++k) total += next24();
    const std::uint64_t scaled = 10000000 - 60000 + (total * 10000 + (1u << 23)) / (1u << 24);
    const std::uint64_t second = next24() % 10001;
    std::snprintf(line, sizeof line, "%5llu.%04llu%7llu.%02llu\n", static_cast<unsigned long long>(scaled / 10000),
                  static_cast<unsigned long long>(scaled % 10000), static_cast<unsigned long long>(second / 100),
                  static_cast<unsigned long long>(second % 100));
    data += line;
  }
  return data;
}

TEST_F(DapRun, HundredThousandSubjectsAgreeWithTheReference) {
  const std::string data = accuracy_data(100000);
  ASSERT_EQ(data.substr(0, 21), "  999.3951     32.98\n");  // the reference's first record
  ASSERT_FALSE(dap(deck("   2     0 1", "(2F10.4)"), data).stopped);
  Kpar kpar{};
  const std::vector<float> means = reals("MEANS1", kpar);
  const std::vector<float> sigmas = reals("STDEV1", kpar);
  expect_close(means[0], 999.998191, "mean 1");
  expect_close(sigmas[0], 0.999248064, "sigma 1");
  expect_close(means[1], 49.9408832, "mean 2");
  expect_close(sigmas[1], 28.876444, "sigma 2");
  // The printed row: the reference's mean, sigma, minimum and maximum to 3 decimals.
  std::vector<std::string> row;
  for (const std::string& line : file_lines("MONOUT")) {
    if (line.rfind(" 1  VAR1 ", 0) == 0) {
      std::istringstream in(line);
      for (std::string item; in >> item;) row.push_back(item);
    }
  }
  EXPECT_EQ(row, (std::vector<std::string>{"1", "VAR1", "999.998", "0.999", "100000", "0", "996.016", "1004.146"}));
}

}  // namespace
}  // namespace korvex
