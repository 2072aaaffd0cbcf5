// Small shared routines of the executive: numbered names for variables, dimensions and
// objects the user left unnamed, look-ups in name and integer tables, fixed-length text
// building and alignment, the legal-name test and a few guarded scalar operations. Every
// subsystem above the executive uses them; none keeps state between calls.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// Conventions of this module:
// - A fixed-length text argument that is written (dst, buf, line) is a std::string whose
//   current size() is its declared length; the routines never change that size.
// - Tables are 0-based containers addressed with the system's 1-based positions: position i
//   is element i - 1. Positions returned (find_name, find_int) stay 1-based.
// - Names are 20 characters, blank-padded.

inline constexpr std::size_t name_length = 20;

// The shared date-and-time block: a time of 10 characters (hh:mm:ss and two blanks), a date
// of 6 and four 2-character fields (year, month, day, year), 24 bytes in all. Nothing in the
// running system fills it, so every byte reads as zero; the O-type means deck copies its
// date field as it stands.
struct date_time_block_record {
  char time[10];
  char date[6];
  char year[2];
  char month[2];
  char day[2];
  char year2[2];
};
static_assert(sizeof(date_time_block_record) == 24);
const date_time_block_record& date_time_block();

// Numbered names: prefix (trailing blanks dropped, cut to leave room for the digits)
// followed by i zero-padded to as many digits as n has. All names 1..n when ith < 1
// (nothing when n < 1); only names(ith) when 1 <= ith <= n. Each written element becomes
// exactly 20 characters. ith > n stops the run ("GENAME ERROR: Ith is greater than N.").
// names must hold at least n elements (checked in debug builds).
void GENAME(std::string_view prefix, std::span<std::string> names, std::int32_t n,
            std::int32_t ith);

// All n names of a dimension kind: 1 Cluster, 2 Factor, 3 F_score (Factor1 .. Factor5 for
// five). kind outside 1..3 is a caller fault and throws std::out_of_range.
void gen_kind_names(std::span<std::string> names, std::int32_t n, std::int32_t kind);

// names(i) = "V" + the last three digits of i, blank-filled or cut to each element's size.
void gen_v_names(std::span<std::string> names, std::int32_t n);

// First 1-based position i <= n whose table(i) equals key with blank padding; n + 1 when
// none (1 for n <= 0).
std::int32_t find_name(std::span<const std::string> table, std::int32_t n, std::string_view key);

// First 1-based position i <= n with v(i) == key; n + 1 when none (1 for n <= 0).
std::int32_t find_int(std::span<const std::int32_t> v, std::int32_t n, std::int32_t key);

// Appends the whole of text (trailing blanks included) after the pos characters already in
// use and blanks the rest of buf; pos grows by text's length. When it does not fit, buf and
// pos stay unchanged and the run stops ("BLDSTR Error: Cannot add to the end of the string.").
void BLDSTR(std::string& buf, std::int32_t& pos, std::string_view text);

// src without trailing blanks, right-aligned in dst (leading blanks of src kept); when it is
// longer than dst only its last dst.size() characters appear.
void rjust_text(std::string_view src, std::string& dst);

// dst = src with its leading zeros blanked, never the last character ('007' -> '  7').
// dst takes src's length.
void rjust_number(std::string_view src, std::string& dst);

// a-z to A-Z; every other byte, accented letters included, unchanged.
std::string upcase(std::string_view text);

// Removes every blank, moving the rest left and blank-filling the freed tail.
void squeeze_blanks(std::string& text);

// dst = src, blank-padded or cut to dst.size().
void copy_trimmed(std::string_view src, std::string& dst);

// 1-based position of the last non-blank character; 1 for an all-blank or empty text.
std::int32_t last_nonblank(std::string_view text);

// Largest trimmed length over names(1..n); 0 when n < 1 or every name is blank.
std::int32_t max_len_trim(std::span<const std::string> names, std::int32_t n);

// The 12 title words of 6 characters side by side in a 72-character line (line is resized
// to 72). Each word is blank-padded or cut to 6.
void words_to_line(std::span<const std::string> words, std::string& line);

// True when every character up to the trimmed length belongs to the legal name characters
// (digits, letters and _@#$%&*()-+=<>?). An embedded blank is illegal; all-blank is legal.
bool is_legal_name(std::string_view text);

// a / b in single precision; 0 when b is zero of either sign (a NaN b divides).
float safe_div(float a, float b);

// Square root for x > 0; +0 for 0 and NaN; -0 for x < 0.
float safe_sqrt(float x);

// Decimal digits of max(0, v(1..n)); 1 when that maximum is 0.
std::int32_t digits_for_max(std::span<const std::int32_t> v, std::int32_t n);

// Decimal digits of n by integer division; 1 for n <= 9, n <= 0 included.
std::int32_t decimal_digits(std::int64_t n);

// True exactly for the input/output layer's end-of-file status -1.
bool is_iostat_end(std::int32_t iostat);

// The IEEE NaN test (any sign, any payload). Missing data are NaN and are found with this
// test, never by bit pattern. `isnan` is the system's name; the parentheses keep a C
// library isnan macro from touching the declaration. Inline, as the passes over the data
// test every value: a NaN is the one value unequal to itself.
inline bool is_nan(float x) { return x != x; }
inline bool(isnan)(float x) { return is_nan(x); }

// True when x, held in double precision, lies within the single-precision range: its
// rounding to a float is finite. False for a NaN and for infinity.
inline bool fits_single(double x) {
  return x >= -static_cast<double>(std::numeric_limits<float>::max()) &&
         x <= static_cast<double>(std::numeric_limits<float>::max());
}

}  // namespace korvex
