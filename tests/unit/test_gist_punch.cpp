// Labelled card output: the card label in columns 73-80 (code, item, card number from 00),
// the number of fields and blank columns on each card, the scaling and rounding of reals,
// and the exponent and wide-integer cards that carry what I8 and I4 cannot.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "io/layout.hpp"
#include "run_fixture.hpp"
#include "storage/gist.hpp"

namespace korvex::testing {
namespace {

class GistPunch : public RunFolder {
 protected:
  std::int32_t monpun() { return get_unit("MONPUN"); }
  std::vector<std::string> cards() { return file_lines("MONPUN"); }
};

std::string blanks(std::size_t n) { return std::string(n, ' '); }

TEST_F(GistPunch, RealCardsCarryNineFieldsThenTheLabel) {
  std::vector<float> x(10);
  for (int i = 0; i < 10; ++i) x[static_cast<std::size_t>(i)] = 0.1f * static_cast<float>(i + 1);
  punch_real(x, 10, 10.0f, 1, 1, monpun());
  const std::vector<std::string> c = cards();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0], "  100000  200000  300000  400000  500000  600000  700000  800000  900000" "01000100");
  EXPECT_EQ(c[1], " 1000000" + blanks(64) + "01000101");
}

// v * (1.0E7 / scale), halves away from zero, zero of either sign 0.
TEST_F(GistPunch, RealsAreScaledAndRoundedHalfAwayFromZero) {
  struct Case {
    float v;
    float scale;
    const char* field;
  };
  const Case cases[] = {
      {0.5f, 10.0f, "  500000"},  {-0.5f, 10.0f, " -500000"},     {0.0f, 10.0f, "       0"},
      {-0.0f, 10.0f, "       0"}, {0.0625f, 10000.0f, "      63"}, {-0.0625f, 10000.0f, "     -63"},
      {1.234567f, 10.0f, " 1234567"}, {-1.5f, 1000.0f, "  -15000"},
  };
  for (const Case& k : cases) {
    const float x[] = {k.v};
    punch_real(x, 1, k.scale, 3, 12, monpun());
  }
  const std::vector<std::string> c = cards();
  ASSERT_EQ(c.size(), std::size(cases));
  for (std::size_t i = 0; i < c.size(); ++i) {
    EXPECT_EQ(c[i], cases[i].field + blanks(64) + "03001200") << "value " << cases[i].v;
  }
}

// The I8 field holds -9999999..99999999; the rounding is decided in double precision.
TEST(GistPunchFits, RealsFitOnlyWhatAnI8FieldHolds) {
  struct Case {
    float v;
    float scale;
    bool fits;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {10.0f, 10.0f, true},            // 10000000: eight digits
      {-10.0f, 10.0f, false},          // -10000000: nine columns
      {-0.9999999f, 10.0f, true},      // -999999.9 -> -1000000
      {-999999.0f, 1.0e7f, true},      //
      {-9999999.0f, 1.0e7f, true},     // -9999999.5 truncates to -9999999: eight columns
      {-9999999.0f, 9.0e6f, false},    // -11111110: nine columns
      {12.5f, 1000.0f, true},          // a score of 12.5 at scale 1000
      {10000.0f, 1000.0f, false},      // 1.0E8
      {std::nanf(""), 10.0f, false},   //
      {inf, 10.0f, false},             //
      {-inf, 10.0f, false},            //
  };
  for (const Case& k : cases) EXPECT_EQ(punch_real_fits(k.v, k.scale), k.fits) << k.v << " at " << k.scale;
  EXPECT_TRUE(punch_int_fits(9999));
  EXPECT_TRUE(punch_int_fits(-999));
  EXPECT_FALSE(punch_int_fits(10000));
  EXPECT_FALSE(punch_int_fits(-1000));
}

// Unload, load and unload again punch the same digits: a mean of 70.142555 punches 7014256
// at scale 100 ("(9F8.5)"); read back it is the float nearest 70.14256, which must punch
// 7014256 again (single-precision scaling gave 7014257 there).
TEST_F(GistPunch, APunchedValueReadBackPunchesTheSameDigits) {
  const float cases[] = {70.142555f, 70.14256f, -70.142555f, 0.12345675f, 9.9999995f, 1234.5675f};
  const float scales[] = {100.0f, 100.0f, 100.0f, 1.0f, 10.0f, 10000.0f};
  const char* layouts[] = {"(9F8.5)", "(9F8.5)", "(9F8.5)", "(9F8.7)", "(9F8.6)", "(9F8.3)"};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const float x[] = {cases[i]};
    punch_real(x, 1, scales[i], 1, 1, monpun());
  }
  const std::vector<std::string> first = cards();
  ASSERT_EQ(first.size(), std::size(cases));
  EXPECT_EQ(first[0].substr(0, 8), " 7014256");
  std::vector<float> back(std::size(cases), 0.0f);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const io::Target t(&back[i]);
    io::read_text(layouts[i], first[i].substr(0, 8), std::span<const io::Target>(&t, 1));
    const float x[] = {back[i]};
    punch_real(x, 1, scales[i], 1, 1, monpun());
  }
  const std::vector<std::string> all = cards();
  ASSERT_EQ(all.size(), 2 * std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(all[std::size(cases) + i], first[i]) << cases[i] << " read back as " << back[i];
  }
}

TEST_F(GistPunch, UnpunchableRealsShowAsAsterisksNeverAsAConvertedValue) {
  const float x[] = {std::nanf(""), 1.0e30f, -10.0f};
  punch_real(x, 3, 10.0f, 1, 1, monpun());
  EXPECT_EQ(cards().at(0), "************************" + blanks(48) + "01000100");
}

TEST_F(GistPunch, IntegerCardsHoldEighteenFields) {
  std::vector<std::int32_t> v(19);
  for (int i = 0; i < 19; ++i) v[static_cast<std::size_t>(i)] = i + 1;
  punch_int(v, 18, 9, 1, monpun());
  punch_int(v, 19, 9, 2, monpun());
  const std::vector<std::string> c = cards();
  ASSERT_EQ(c.size(), 3u);
  std::string full;
  for (int i = 1; i <= 18; ++i) full += io::format_line("(I4)", {i});
  EXPECT_EQ(c[0], full + "09000100");
  EXPECT_EQ(c[1], full + "09000200");
  EXPECT_EQ(c[2], "  19" + blanks(68) + "09000201");
}

// The third card of 41 integers: 5 values and 52 blank columns.
TEST_F(GistPunch, TheLastCardOfAnItemIsShortAndPadded) {
  std::vector<std::int32_t> v(41, 7);
  punch_int(v, 41, 9, 1, monpun());
  const std::vector<std::string> c = cards();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[2], "   7   7   7   7   7" + blanks(52) + "09000102");
}

TEST_F(GistPunch, NamesGoThreeToACardAndWordsTwelve) {
  const std::vector<std::string> names = {"ALPHA", "BETA", "GAMMA", "A NAME OF TWENTY CH."};
  punch_char(names, 4, 17, 1, monpun());
  std::vector<std::string> words;
  for (int i = 1; i <= 12; ++i) words.push_back("W" + std::to_string(i));
  punch_names(words, 12, 24, 1, monpun());
  const std::vector<std::string> c = cards();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0], "ALPHA               BETA                GAMMA               " + blanks(12) + "17000100");
  EXPECT_EQ(c[1], "A NAME OF TWENTY CH." + blanks(52) + "17000101");
  EXPECT_EQ(c[2], "W1    W2    W3    W4    W5    W6    W7    W8    W9    W10   W11   W12   24000100");
}

TEST_F(GistPunch, LabelFieldsKeepTheirLastDigits) {
  const std::int32_t one[] = {1};
  punch_int(one, 1, 124, 12345, monpun());  // code 24, item 2345
  std::vector<std::int32_t> many(101 * 18, 0);
  punch_int(many, 101 * 18, 5, 1, monpun());  // 101 cards: 00 .. 99, then 00
  const std::vector<std::string> c = cards();
  ASSERT_EQ(c.size(), 102u);
  EXPECT_EQ(c[0].substr(72), "24234500");
  EXPECT_EQ(c[1].substr(72), "05000100");
  EXPECT_EQ(c[100].substr(72), "05000199");
  EXPECT_EQ(c[101].substr(72), "05000100");
  for (const std::string& card : c) EXPECT_EQ(card.size(), 80u);
}

TEST_F(GistPunch, NoValuesPunchNoCard) {
  punch_real({}, 0, 10.0f, 1, 1, monpun());
  punch_int({}, 0, 1, 1, monpun());
  EXPECT_TRUE(cards().empty());
}

// Exponent cards carry every float, whatever its magnitude, and read back to the same bits.
TEST_F(GistPunch, ExactRealCardsReadBackToTheSameFloat) {
  const std::vector<float> x = {12345678.0f,         -2.5f,  9999999.0f,       0.1f,     -0.0f,
                                3.4028235e38f,       1.0e-40f, 1.17549435e-38f, 0.333333343f,
                                -123456.789f};
  punch_real_exact(x, static_cast<std::int32_t>(x.size()), 1, 1, monpun());
  const std::vector<std::string> c = cards();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0], "   1.234567800E+07  -2.500000000E+00   9.999999000E+06   1.000000015E-01" "01000100");
  EXPECT_EQ(c[2].substr(36, 36), blanks(36));
  EXPECT_EQ(c[2].substr(72), "01000102");
  std::size_t k = 0;
  for (const std::string& card : c) {
    std::vector<float> back(4, 99.0f);
    std::vector<io::Target> targets;
    const std::size_t on_card = std::min<std::size_t>(4, x.size() - k);
    for (std::size_t i = 0; i < on_card; ++i) targets.emplace_back(&back[i]);
    io::read_text(punch_real_exact_layout, card, targets);
    for (std::size_t i = 0; i < on_card; ++i, ++k) {
      // Zero reads back as zero; the card does not keep the sign of a negative zero.
      EXPECT_EQ(back[i], x[k]);
      if (x[k] != 0.0f) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(back[i]), std::bit_cast<std::uint32_t>(x[k])) << x[k];
      }
    }
  }
}

TEST_F(GistPunch, WideIntegerCardsCarryAnyInt32) {
  const std::vector<std::int32_t> v = {400000, -2147483647 - 1, 2147483647, 5, -1000, 10000, 7};
  punch_int_wide(v, 7, 20, 1, monpun());
  const std::vector<std::string> c = cards();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0], "      400000 -2147483648  2147483647           5       -1000       10000" "20000100");
  EXPECT_EQ(c[1], "           7" + blanks(60) + "20000101");
  std::vector<std::int32_t> back(6);
  std::vector<io::Target> t;
  for (std::int32_t& b : back) t.emplace_back(&b);
  io::read_text(punch_int_wide_layout, c[0], t);
  EXPECT_EQ(back, std::vector<std::int32_t>(v.begin(), v.begin() + 6));
}

TEST_F(GistPunch, TextRecordsDropTrailingBlanks) {
  punch_text("A LINE   ", monpun());
  EXPECT_EQ(cards(), std::vector<std::string>{"A LINE"});
}

}  // namespace
}  // namespace korvex::testing
