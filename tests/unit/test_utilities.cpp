// Unit tests of the names, text and numeric utilities: generated names, look-ups, fixed-length
// text building and alignment, the legal-name test and the guarded scalar operations. The
// two routines that stop the run are run inside a fresh folder with the unit table built, so
// the stop's listing copy lands there.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "executive/errors.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/console.hpp"
#include "io/fixed_text.hpp"

namespace korvex {
namespace {

namespace fs = std::filesystem;

// A 20-character name.
std::string name20(const std::string& s) { return io::pad(s, 20); }

std::vector<std::string> blank_names(std::size_t n, std::string fill = std::string(20, ' ')) {
  return std::vector<std::string>(n, fill);
}

// Runs a stopping call in a scratch folder with the default unit table and the console
// captured; expects the stop exception and returns what reached standard output.
class UtilitiesStop : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("korvex_util_" + std::to_string(::getpid()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    reset_units();
    reset_errors();
    init_units();
    io::redirect_console(&out_, &err_);
  }
  void TearDown() override {
    io::redirect_console(nullptr, nullptr);
    reset_units();
    reset_errors();
    fs::current_path(old_dir_);
    fs::remove_all(dir_);
  }

  template <class F>
  std::string expect_stop(F&& call) {
    EXPECT_THROW(call(), Stop);
    return out_.str();
  }

  fs::path old_dir_, dir_;
  std::ostringstream out_, err_;
};

// ---- GENAME and the kind and V names ---------------------------------------------------

TEST(UtilitiesGename, DigitsFollowTheCountAndPrefixIsCutToFit) {
  struct Case {
    std::string prefix;
    std::int32_t n;
    std::string first, last;
  };
  const Case cases[] = {
      {"VAR", 9, "VAR1", "VAR9"},
      {"VAR", 10, "VAR01", "VAR10"},
      {"VAR", 150, "VAR001", "VAR150"},
      {"VAR", 1000, "VAR0001", "VAR1000"},
      {"VAR    ", 3, "VAR1", "VAR3"},                                  // trailing blanks dropped
      {"ABCDEFGHIJKLMNOPQRS", 150, "ABCDEFGHIJKLMNOPQ001", "ABCDEFGHIJKLMNOPQ150"},
      {"      ", 12, "01", "12"},                                      // all-blank prefix
      {" X", 2, " X1", " X2"},                                         // leading blank kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix + " n=" + std::to_string(c.n));
    std::vector<std::string> names = blank_names(static_cast<std::size_t>(c.n), "junk");
    GENAME(c.prefix, names, c.n, 0);
    for (const std::string& name : names) EXPECT_EQ(name.size(), 20u);
    EXPECT_EQ(names.front(), name20(c.first));
    EXPECT_EQ(names.back(), name20(c.last));
  }
}

TEST(UtilitiesGename, IthWritesOnlyThatNameAndEmptyCountWritesNothing) {
  std::vector<std::string> names = blank_names(10, "keep");
  GENAME("VAR", names, 10, 3);
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], i == 2 ? "VAR03" + std::string(15, ' ') : "keep") << i;
  }
  std::vector<std::string> none = blank_names(2, "keep");
  GENAME("VAR", none, 0, 0);
  EXPECT_EQ(none, blank_names(2, "keep"));
}

TEST(UtilitiesGename, KindNamesUseTheTrimmedKindPrefix) {
  std::vector<std::string> names = blank_names(12);
  gen_kind_names(names, 5, 2);
  EXPECT_EQ(names[0], name20("Factor1"));
  EXPECT_EQ(names[4], name20("Factor5"));
  EXPECT_EQ(names[5], std::string(20, ' '));
  gen_kind_names(names, 12, 1);
  EXPECT_EQ(names[0], name20("Cluster01"));
  EXPECT_EQ(names[11], name20("Cluster12"));
  gen_kind_names(names, 12, 3);
  EXPECT_EQ(names[8], name20("F_score09"));
  EXPECT_THROW(gen_kind_names(names, 1, 4), std::out_of_range);
  EXPECT_THROW(gen_kind_names(names, 1, 0), std::out_of_range);
}

TEST(UtilitiesGename, VNamesFillEachElementAndKeepTheLastThreeDigits) {
  std::vector<std::string> names(1000, std::string(6, '*'));
  names[1] = std::string(3, '*');  // a shorter element is cut
  gen_v_names(names, 1000);
  EXPECT_EQ(names[0], "V001  ");
  EXPECT_EQ(names[1], "V00");
  EXPECT_EQ(names[998], "V999  ");
  EXPECT_EQ(names[999], "V000  ");
}

TEST_F(UtilitiesStop, GenameWithIthBeyondCountStops) {
  std::vector<std::string> names = blank_names(11, "keep");
  const std::string out = expect_stop([&] { GENAME("VAR", names, 10, 11); });
  EXPECT_NE(out.find("GENAME ERROR: Ith is greater than N."), std::string::npos) << out;
  EXPECT_EQ(names, blank_names(11, "keep"));
}

// ---- look-ups ---------------------------------------------------------------------------

TEST(UtilitiesFind, NameAndIntReturnFirstMatchOrCountPlusOne) {
  const std::vector<std::string> table = {"ALPHA", "BETA                ", "GAMMA", "BETA",
                                          "delta", "E", "F"};
  EXPECT_EQ(find_name(table, 7, "BETA"), 2);                  // first of two, padded match
  EXPECT_EQ(find_name(table, 7, "GAMMA               "), 3);  // longer key, blank tail
  EXPECT_EQ(find_name(table, 7, "DELTA"), 8);                 // case counts
  EXPECT_EQ(find_name(table, 7, "ZETA"), 8);
  EXPECT_EQ(find_name(table, 2, "GAMMA"), 3);                 // only n elements searched
  EXPECT_EQ(find_name(table, 0, "ALPHA"), 1);
  EXPECT_EQ(find_name(table, 7, "ALPH"), 8);

  const std::vector<std::int32_t> v = {5, -3, 8, -3, 0};
  EXPECT_EQ(find_int(v, 5, -3), 2);
  EXPECT_EQ(find_int(v, 5, 0), 5);
  EXPECT_EQ(find_int(v, 5, 7), 6);
  EXPECT_EQ(find_int(v, 3, 0), 4);
  EXPECT_EQ(find_int(v, 0, 5), 1);
}

// ---- text building and alignment --------------------------------------------------------

TEST(UtilitiesText, BldstrPutsFixedWidthFieldsSideBySide) {
  std::string buf(10, '#');
  std::int32_t pos = 0;
  BLDSTR(buf, pos, "AB  ");
  EXPECT_EQ(buf, "AB        ");  // trailing blanks of the text count, the rest is blanked
  EXPECT_EQ(pos, 4);
  BLDSTR(buf, pos, "CDEFGH");
  EXPECT_EQ(buf, "AB  CDEFGH");
  EXPECT_EQ(pos, 10);
  BLDSTR(buf, pos, "");
  EXPECT_EQ(pos, 10);
}

TEST_F(UtilitiesStop, BldstrOverflowStopsAndLeavesBufferAlone) {
  std::string buf = "AB  CDEFGH";
  std::int32_t pos = 10;
  const std::string out = expect_stop([&] { BLDSTR(buf, pos, "X"); });
  EXPECT_NE(out.find("BLDSTR Error: Cannot add to the end of the string."), std::string::npos)
      << out;
  EXPECT_EQ(buf, "AB  CDEFGH");
  EXPECT_EQ(pos, 10);
}

TEST(UtilitiesText, RjustTextRightAlignsTheTrimmedSource) {
  struct Case {
    std::string src;
    std::size_t width;
    std::string want;
  };
  const Case cases[] = {
      {"AB  ", 5, "   AB"}, {"ABCDEF", 4, "CDEF"}, {" A B ", 6, "   A B"},
      {" AB", 2, "AB"},     {"    ", 3, "   "},    {"", 2, "  "},
  };
  for (const Case& c : cases) {
    std::string dst(c.width, '#');
    rjust_text(c.src, dst);
    EXPECT_EQ(dst, c.want) << "'" << c.src << "' into " << c.width;
  }
}

TEST(UtilitiesText, RjustNumberBlanksLeadingZerosButNotTheLast) {
  const std::pair<std::string, std::string> cases[] = {
      {"007", "  7"}, {"000", "  0"}, {"-05", "-05"}, {"100", "100"}, {"0 0", "  0"}, {"", ""}};
  for (const auto& [src, want] : cases) {
    std::string dst = "######";
    rjust_number(src, dst);
    EXPECT_EQ(dst, want) << "'" << src << "'";
  }
}

TEST(UtilitiesText, CaseSqueezeCopyAndLengths) {
  EXPECT_EQ(upcase("az`{AZ09 \xE9\xFF"), "AZ`{AZ09 \xE9\xFF");  // only a-z change

  std::string s = "A B  C";
  squeeze_blanks(s);
  EXPECT_EQ(s, "ABC   ");

  std::string dst(5, '#');
  copy_trimmed("AB", dst);
  EXPECT_EQ(dst, "AB   ");
  copy_trimmed("ABCDEFG", dst);
  EXPECT_EQ(dst, "ABCDE");

  EXPECT_EQ(last_nonblank(""), 1);
  EXPECT_EQ(last_nonblank("    "), 1);
  EXPECT_EQ(last_nonblank(" A  "), 2);
  EXPECT_EQ(last_nonblank("ABC"), 3);

  const std::vector<std::string> names = {"AB   ", " ABCD  ", "X", "    "};
  EXPECT_EQ(max_len_trim(names, 4), 5);
  EXPECT_EQ(max_len_trim(names, 1), 2);
  EXPECT_EQ(max_len_trim(std::vector<std::string>{"   ", ""}, 2), 0);
  EXPECT_EQ(max_len_trim(names, 0), 0);
}

TEST(UtilitiesText, WordsToLineLaysTwelveWordsOfSix) {
  std::vector<std::string> words(12, "      ");
  words[0] = "TITLE ";
  words[1] = "AB";           // padded to 6
  words[11] = "LASTWORDX";   // cut to 6
  std::string line(72, '#');
  words_to_line(words, line);
  ASSERT_EQ(line.size(), 72u);
  EXPECT_EQ(line.substr(0, 12), "TITLE AB    ");
  EXPECT_EQ(line.substr(12, 54), std::string(54, ' '));
  EXPECT_EQ(line.substr(66), "LASTWO");
}

TEST(UtilitiesText, LegalNames) {
  const std::pair<std::string, bool> cases[] = {
      {"X_1", true},     {"A B", false},  {"ITEM?", true},  {"IT'S", false},
      {"", true},        {"    ", true},  {"AB   ", true},  {" AB", false},
      {"@#$%&*()-+=<>", true}, {"A.B", false}, {"A/B", false}, {"\xE9T\xE9", false},
      {"a\tb", false},
  };
  for (const auto& [text, legal] : cases) EXPECT_EQ(is_legal_name(text), legal) << "'" << text << "'";
}

// ---- scalar numeric routines ------------------------------------------------------------

TEST(UtilitiesNumeric, SafeDivAndSafeSqrt) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(safe_div(6.0f, 3.0f), 2.0f);
  EXPECT_EQ(safe_div(1.0f, 0.0f), 0.0f);
  EXPECT_EQ(safe_div(1.0f, -0.0f), 0.0f);
  EXPECT_EQ(safe_div(0.0f, 0.0f), 0.0f);
  EXPECT_FALSE(std::signbit(safe_div(-1.0f, 0.0f)));
  EXPECT_TRUE(std::isnan(safe_div(1.0f, nan)));
  EXPECT_EQ(safe_div(1.0f, inf), 0.0f);

  EXPECT_EQ(safe_sqrt(4.0f), 2.0f);
  const float neg = safe_sqrt(-4.0f);
  EXPECT_EQ(neg, 0.0f);
  EXPECT_TRUE(std::signbit(neg));
  for (const float x : {0.0f, -0.0f, nan, -nan}) {
    const float r = safe_sqrt(x);
    EXPECT_EQ(r, 0.0f);
    EXPECT_FALSE(std::signbit(r)) << x;
  }
  EXPECT_TRUE(std::signbit(safe_sqrt(-inf)));
}

TEST(UtilitiesNumeric, DigitCountsUseWholeNumbers) {
  struct Case {
    std::vector<std::int32_t> v;
    std::int32_t want;
  };
  const Case cases[] = {
      {{5, 120, 99}, 3},
      {{9}, 1},
      {{10}, 2},
      {{999}, 3},
      {{1000}, 4},
      {{0, -5}, 1},  // nothing positive: the maximum is 0
      {{std::numeric_limits<std::int32_t>::max()}, 10},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(digits_for_max(c.v, static_cast<std::int32_t>(c.v.size())), c.want) << c.v[0];
  }
  EXPECT_EQ(digits_for_max(std::vector<std::int32_t>{5000}, 0), 1);
  EXPECT_EQ(decimal_digits(99999999), 8);
  EXPECT_EQ(decimal_digits(100000000), 9);
  EXPECT_EQ(decimal_digits(-7), 1);
}

TEST(UtilitiesNumeric, EndStatusAndNanTest) {
  EXPECT_TRUE(is_iostat_end(-1));
  EXPECT_FALSE(is_iostat_end(-2));
  EXPECT_FALSE(is_iostat_end(0));
  EXPECT_FALSE(is_iostat_end(1));

  const float qnan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(korvex::isnan(qnan));
  EXPECT_TRUE(korvex::isnan(-qnan));
  EXPECT_TRUE(is_nan(std::numeric_limits<float>::signaling_NaN()));
  EXPECT_TRUE(is_nan(std::nanf("123")));
  EXPECT_FALSE(is_nan(std::numeric_limits<float>::infinity()));
  EXPECT_FALSE(is_nan(0.0f));
}

}  // namespace
}  // namespace korvex
