// The fixed-column scanner for the numeric fields of a subject: reads an Fw.d field the way
// the layout-text engine reads it (blanks ignored, optional sign, implied decimals when the
// field has no point), fast for plain digits and handing every other form to the engine.
// The plain form is converted as m x 10^-k in double precision, with m an exact integer
// below 10^15 and k <= 8. The product is within 2^-52 (relative) of m / 10^k, while m / 10^k
// is either a midpoint of two floats or at least 1 / (10^k x 2^25) > 2^-52 (relative) away
// from every midpoint, so rounding the product to single precision gives the correctly
// rounded float - the value the engine's decimal conversion gives.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace korvex::dap {

enum class scan_outcome : unsigned char {
  value,  // a plain number, converted
  blank,  // every column blank: reads as +0
  other,  // anything else: the engine must settle it
};

// Plain fields: blanks anywhere, an optional leading sign, at most 15 significant digits and
// at most one point, with no more than 8 decimals. Sets value only for value and blank.
inline scan_outcome scan_plain_fixed(const char* p, std::size_t w, std::int32_t decimals, float& value) {
  static constexpr double negative_powers[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
  std::size_t i = 0;
  while (i < w && p[i] == ' ') ++i;
  if (i == w) {
    value = 0.0f;
    return scan_outcome::blank;
  }
  bool negative = false;
  if (p[i] == '+' || p[i] == '-') {
    negative = p[i] == '-';
    ++i;
  }
  std::uint64_t m = 0;
  int significant = 0;
  int fraction = 0;
  bool point = false;
  bool digits = false;
  for (; i < w; ++i) {
    const char c = p[i];
    const auto d = static_cast<unsigned>(c - '0');
    if (d <= 9) {
      digits = true;
      fraction += point ? 1 : 0;
      if ((m | d) == 0) continue;  // a leading zero
      if (++significant > 15) return scan_outcome::other;
      m = m * 10 + d;
    } else if (c == '.' && !point) {
      point = true;
    } else if (c != ' ') {
      return scan_outcome::other;
    }
  }
  const std::int32_t k = point ? fraction : decimals;
  if (!digits || k < 0 || k > 8) return scan_outcome::other;
  const auto f = static_cast<float>(static_cast<double>(m) * negative_powers[k]);
  value = negative ? -f : f;
  return scan_outcome::value;
}

// The plain scan of a field of at most 8 columns in a few word operations, for the form a
// writer of fixed columns gives (leading blanks, an optional sign, then only digits and at
// most one point); every other field goes to scan_plain_fixed, so the outcome and the value
// are always that routine's. p must have 8 readable bytes (the field and what follows it).
inline scan_outcome scan_plain_fixed_word(const char* p, std::size_t w, std::int32_t decimals, float& value) {
  static constexpr double negative_powers[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
  if constexpr (std::endian::native != std::endian::little) return scan_plain_fixed(p, w, decimals, value);
  if (w == 0 || w > 8) return scan_plain_fixed(p, w, decimals, value);
  constexpr std::uint64_t ones = 0x0101010101010101ULL;
  constexpr std::uint64_t high = 0x8080808080808080ULL;
  constexpr std::uint64_t blanks = 0x2020202020202020ULL;
  std::uint64_t x = 0;
  std::memcpy(&x, p, 8);
  // Right-align the field in the word (byte i holds column i; the leftmost column lands in
  // byte 8 - w), blanks in front of it: a narrow field reads like a wider one with blanks.
  if (w < 8) x = (x << (8 * (8 - w))) | (blanks >> (8 * w));
  if (x == blanks) {
    value = 0.0f;
    return scan_outcome::blank;
  }
  if ((x & high) != 0) return scan_plain_fixed(p, w, decimals, value);  // beyond ASCII
  // Per byte, the high bit set where the byte equals c (exact, no carries between bytes).
  const auto equal = [x](unsigned char c) {
    const std::uint64_t y = x ^ (ones * c);
    return ~(((y & ~high) + ~high) | y) & high;
  };
  const std::uint64_t digit = ((x | high) - ones * '0') & ((ones * '9' | high) - x) & high;
  const std::uint64_t point = equal('.');
  const std::uint64_t nonblank = ~equal(' ') & high;
  const int lead = std::countr_zero(nonblank) / 8;  // blanks in front, < 8 as x is not blank
  int start = lead;
  bool negative = false;
  const auto first = static_cast<unsigned char>(x >> (8 * lead));
  if (first == '-' || first == '+') {
    negative = first == '-';
    ++start;
  }
  if (start == 8) return scan_plain_fixed(p, w, decimals, value);
  const std::uint64_t rest = high & (~std::uint64_t{0} << (8 * start));
  if (((digit | point) & rest) != rest || (point & (point - 1)) != 0 || (digit & rest) == 0) {
    return scan_plain_fixed(p, w, decimals, value);
  }
  // The digits' values, zero elsewhere; the point is squeezed out by moving the columns in
  // front of it one byte to the right, so the digits stand side by side up to byte 7.
  const std::uint64_t digit_bytes = (digit >> 7) * 0xFF;
  std::uint64_t v = (x & digit_bytes) - (ones * '0' & digit_bytes);  // no borrows: digits only
  std::int32_t k = decimals;
  if (point != 0) {
    const int at = std::countr_zero(point) / 8;
    const std::uint64_t below = (std::uint64_t{1} << (8 * at)) - 1;
    v = ((v & below) << 8) | (v & ~below);
    k = 7 - at;
  }
  if (k < 0 || k > 8) return scan_plain_fixed(p, w, decimals, value);
  // Eight decimal digits, byte 0 the most significant, to their integer.
  v = v * 10 + (v >> 8);
  v = (((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
       (((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >> 32;
  const auto f = static_cast<float>(static_cast<double>(v) * negative_powers[k]);
  value = negative ? -f : f;
  return scan_outcome::value;
}

// The same for a text; true unless the engine must settle the field.
inline bool scan_plain_fixed(std::string_view field, std::int32_t decimals, float& value) {
  return scan_plain_fixed(field.data(), field.size(), decimals, value) != scan_outcome::other;
}

// Reads one field through the engine with the descriptor's layout `layout` ("(Fw.d)").
// Returns false when the text is not a number the engine accepts (NaN and infinity are not
// numbers, nor is a value beyond single precision).
bool read_fixed_field_engine(std::string_view field, const std::string& layout, float& value);

// The plain scan, else the engine; false when the text is not a number.
inline bool read_fixed_field(std::string_view field, std::int32_t decimals, const std::string& layout,
                             float& value) {
  if (scan_plain_fixed(field, decimals, value)) return true;
  return read_fixed_field_engine(field, layout, value);
}

}  // namespace korvex::dap
