// The fixed-column scanner of DAP's numeric fields against the layout-text engine: whatever
// the scanner reads itself must be bit for bit what the engine reads, and every text the
// engine refuses must be refused (NaN, infinity, overflow, stray characters).
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <span>
#include <string>

#include "data_entry/field_scan.hpp"
#include "io/layout.hpp"

namespace korvex::dap {
namespace {

std::string layout_for(std::size_t w, int d) { return "(F" + std::to_string(w) + "." + std::to_string(d) + ")"; }

// The engine's reading of the field; false when it refuses the text.
bool engine_read(const std::string& field, int d, float& value) {
  try {
    const io::Target t(&value);
    io::read_text(layout_for(field.size(), d), field, std::span<const io::Target>(&t, 1));
    return true;
  } catch (const io::LayoutError&) {
    return false;
  }
}

TEST(DapFieldScan, ValuesOfTheFixedPointRule) {
  struct Case {
    const char* field;
    int decimals;
    float value;
  };
  const Case cases[] = {
      {"  150", 2, 1.5f},    {"1.5  ", 2, 1.5f},      {"     ", 2, 0.0f},   {" -2.25", 1, -2.25f},
      {"+ 1 2", 0, 12.0f},   {"0.05", 3, 0.05f},      {"1000", 3, 1.0f},   {"999.9", 1, 999.9f},
      {"123456789012345", 0, 123456789012345.0f},    {"1.5E2", 1, 150.0f}, {"2.5D-1", 0, 0.25f},
      {"1.5+2", 0, 150.0f},  {"123456789", 9, 0.123456789f},
  };
  for (const Case& c : cases) {
    float v = -99.0f;
    ASSERT_TRUE(read_fixed_field(c.field, c.decimals, layout_for(std::string(c.field).size(), c.decimals), v)) << c.field;
    EXPECT_EQ(v, c.value) << c.field;
  }
}

TEST(DapFieldScan, TextsThatAreNotNumbersAreRefused) {
  const char* const bad[] = {"NaN", "nan", "Inf", "-Infinity", "1E39", "1.2.3", "+", ".", "-.", "1-", "12A", "\xe9"};
  for (const char* text : bad) {
    float v = 0.0f;
    const std::string field(text);
    EXPECT_FALSE(read_fixed_field(field, 0, layout_for(field.size(), 0), v)) << text;
  }
}

// A sweep over short fields of digits, blanks, points and signs: the plain scan, when it
// takes a field at all, gives exactly the engine's float.
TEST(DapFieldScan, PlainScanAgreesWithTheEngineBitForBit) {
  std::mt19937 rng(20240613);
  const std::string alphabet = "0123456789012345678901234567890123456789  .+-";
  int scanned = 0;
  for (int n = 0; n < 100000; ++n) {
    const std::size_t w = 1 + rng() % 12;
    std::string field(w, ' ');
    for (char& ch : field) ch = alphabet[rng() % alphabet.size()];
    const int d = static_cast<int>(rng() % (w + 1));
    float mine = 0.0f;
    float theirs = 0.0f;
    const bool ok = engine_read(field, d, theirs);
    if (scan_plain_fixed(field, d, mine)) {
      ++scanned;
      ASSERT_TRUE(ok) << "\"" << field << "\" F" << w << "." << d;
      ASSERT_EQ(std::bit_cast<std::uint32_t>(mine), std::bit_cast<std::uint32_t>(theirs))
          << "\"" << field << "\" F" << w << "." << d;
    }
    float v = 0.0f;
    ASSERT_EQ(read_fixed_field(field, d, layout_for(w, d), v), ok) << "\"" << field << "\"";
  }
  EXPECT_GT(scanned, 25000);  // the sweep exercised the plain path, not only the engine
}

// The word scan of fields up to 8 columns gives the plain scan's outcome and bits for every
// text: the forms it takes itself (blanks in front, a sign, digits and one point), the ones it
// hands on (inner blanks, exponents, a second point, bytes beyond ASCII), and whatever follows
// the field in the buffer.
TEST(DapFieldScan, WordScanAgreesWithThePlainScan) {
  std::mt19937 rng(4711);
  const std::string alphabet = "0123456789012345678901234567890123456789   ...+-E\xe9";
  const char* const fixed[] = {"  50.123", "   9.876", " 100.000", "-12.5", "+7", "       .", "    -  ",
                               "1.2.3", "12345678", "0000.001", "   -0.000", "1 2", "9.", ".5"};
  auto check = [](const std::string& field, int d, const std::string& after) {
    std::string buffer = field + after;
    buffer.resize(field.size() + 8, '7');
    float plain = -1.0f;
    float word = -1.0f;
    const scan_outcome a = scan_plain_fixed(field.data(), field.size(), d, plain);
    const scan_outcome b = scan_plain_fixed_word(buffer.data(), field.size(), d, word);
    ASSERT_EQ(a, b) << "\"" << field << "\" F" << field.size() << "." << d;
    if (a != scan_outcome::other) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(plain), std::bit_cast<std::uint32_t>(word))
          << "\"" << field << "\" F" << field.size() << "." << d;
    }
  };
  for (const char* f : fixed) {
    for (int d : {0, 3, 9}) check(f, d, "12.5 -3");
  }
  for (int n = 0; n < 200000; ++n) {
    const std::size_t w = 1 + rng() % 8;
    std::string field(w, ' ');
    const std::size_t lead = rng() % (w + 1);
    for (std::size_t i = lead; i < w; ++i) field[i] = alphabet[rng() % alphabet.size()];
    std::string after(8, ' ');
    for (char& ch : after) ch = alphabet[rng() % alphabet.size()];
    check(field, static_cast<int>(rng() % 11) - 1, after);
  }
}

// Values with many significant digits near the rounding boundaries of single precision.
TEST(DapFieldScan, LongValuesRoundLikeTheEngine) {
  std::mt19937_64 rng(7);
  for (int n = 0; n < 50000; ++n) {
    const std::uint64_t m = rng() % 1000000000000000ULL;
    const int k = static_cast<int>(rng() % 9);
    std::string digits = std::to_string(m);
    if (k > 0) {
      if (digits.size() <= static_cast<std::size_t>(k)) digits.insert(0, static_cast<std::size_t>(k) + 1 - digits.size(), '0');
      digits.insert(digits.size() - static_cast<std::size_t>(k), ".");
    }
    float mine = 0.0f;
    float theirs = 0.0f;
    ASSERT_TRUE(engine_read(digits, 0, theirs)) << digits;
    ASSERT_TRUE(scan_plain_fixed(digits, 0, mine)) << digits;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(mine), std::bit_cast<std::uint32_t>(theirs)) << digits;
  }
}

}  // namespace
}  // namespace korvex::dap
