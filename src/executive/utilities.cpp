// Names, text and numeric utilities shared by every subsystem (see utilities.hpp). Only
// GENAME and BLDSTR can end the run, through proc_error; everything else always returns.
#include "executive/utilities.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <string>

#include "executive/errors.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"

namespace korvex {

const date_time_block_record& date_time_block() {
  static const date_time_block_record block{};
  return block;
}

namespace {

constexpr std::string_view legal_name_set =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_@#$%&*()-+=<>?";

// Prefixes of gen_kind_names, 7 characters each; trimming turns "Factor " into "Factor".
constexpr std::array<std::string_view, 3> kind_prefixes = {"Cluster", "Factor ", "F_score"};

std::size_t to_size(std::int32_t n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

}  // namespace

std::int32_t decimal_digits(std::int64_t n) {
  std::int32_t d = 1;
  while (n >= 10) {
    n /= 10;
    ++d;
  }
  return d;
}

void GENAME(std::string_view prefix, std::span<std::string> names, std::int32_t n,
            std::int32_t ith) {
  if (ith > n) proc_error("GENAME ERROR: Ith is greater than N.");
  const std::int32_t d = decimal_digits(n);
  const std::string_view stem = io::trim_right(prefix).substr(0, name_length - to_size(d));
  const auto make = [&](std::int32_t i) {
    assert(to_size(i) <= names.size());
    std::string name(stem);
    name += int_to_text(i, d);
    names[to_size(i) - 1] = io::pad(name, name_length);
  };
  if (ith >= 1) {
    make(ith);
    return;
  }
  for (std::int32_t i = 1; i <= n; ++i) make(i);
}

void gen_kind_names(std::span<std::string> names, std::int32_t n, std::int32_t kind) {
  const std::size_t k = kind >= 1 ? static_cast<std::size_t>(kind - 1) : kind_prefixes.size();
  GENAME(kind_prefixes.at(k), names, n, 0);
}

void gen_v_names(std::span<std::string> names, std::int32_t n) {
  assert(to_size(n) <= names.size());
  for (std::int32_t i = 1; i <= n; ++i) {
    std::string& element = names[to_size(i) - 1];
    copy_trimmed("V" + int_to_text(i, 3), element);
  }
}

std::int32_t find_name(std::span<const std::string> table, std::int32_t n, std::string_view key) {
  assert(to_size(n) <= table.size());
  for (std::int32_t i = 1; i <= n; ++i) {
    if (io::padded_equal(table[to_size(i) - 1], key)) return i;
  }
  return n > 0 ? n + 1 : 1;
}

std::int32_t find_int(std::span<const std::int32_t> v, std::int32_t n, std::int32_t key) {
  assert(to_size(n) <= v.size());
  for (std::int32_t i = 1; i <= n; ++i) {
    if (v[to_size(i) - 1] == key) return i;
  }
  return n > 0 ? n + 1 : 1;
}

void BLDSTR(std::string& buf, std::int32_t& pos, std::string_view text) {
  assert(pos >= 0);
  const std::size_t used = to_size(pos);
  if (used + text.size() > buf.size()) {
    proc_error("BLDSTR Error: Cannot add to the end of the string.");
  }
  buf.replace(used, text.size(), text);
  std::fill(buf.begin() + static_cast<std::ptrdiff_t>(used + text.size()), buf.end(), ' ');
  pos = static_cast<std::int32_t>(used + text.size());
}

void rjust_text(std::string_view src, std::string& dst) {
  std::string_view t = io::trim_right(src);
  if (t.size() > dst.size()) t = t.substr(t.size() - dst.size());
  const std::size_t lead = dst.size() - t.size();
  std::fill(dst.begin(), dst.begin() + static_cast<std::ptrdiff_t>(lead), ' ');
  dst.replace(lead, t.size(), t);
}

void rjust_number(std::string_view src, std::string& dst) {
  dst.assign(src);
  for (std::size_t j = 0; j + 1 < dst.size() && src[j] == '0'; ++j) dst[j] = ' ';
}

std::string upcase(std::string_view text) { return io::upper_ascii(text); }

void squeeze_blanks(std::string& text) {
  std::size_t out = 0;
  for (const char c : text) {
    if (c != ' ') text[out++] = c;
  }
  std::fill(text.begin() + static_cast<std::ptrdiff_t>(out), text.end(), ' ');
}

void copy_trimmed(std::string_view src, std::string& dst) { dst = io::pad(src, dst.size()); }

std::int32_t last_nonblank(std::string_view text) {
  const std::size_t t = io::trim_right(text).size();
  return t > 0 ? static_cast<std::int32_t>(t) : 1;
}

std::int32_t max_len_trim(std::span<const std::string> names, std::int32_t n) {
  assert(to_size(n) <= names.size());
  std::size_t longest = 0;
  for (std::size_t i = 0; i < to_size(n); ++i) {
    longest = std::max(longest, io::trim_right(names[i]).size());
  }
  return static_cast<std::int32_t>(longest);
}

void words_to_line(std::span<const std::string> words, std::string& line) {
  assert(words.size() >= 12);
  line.assign(72, ' ');
  for (std::size_t i = 0; i < 12; ++i) line.replace(6 * i, 6, io::pad(words[i], 6));
}

bool is_legal_name(std::string_view text) {
  for (const char c : io::trim_right(text)) {
    if (legal_name_set.find(c) == std::string_view::npos) return false;
  }
  return true;
}

float safe_div(float a, float b) { return b == 0.0f ? 0.0f : a / b; }

float safe_sqrt(float x) {
  if (x > 0.0f) return std::sqrt(x);
  if (x < 0.0f) return -0.0f;
  return 0.0f;  // zero of either sign, and NaN
}

std::int32_t digits_for_max(std::span<const std::int32_t> v, std::int32_t n) {
  assert(to_size(n) <= v.size());
  std::int32_t m = 0;
  for (std::size_t i = 0; i < to_size(n); ++i) m = std::max(m, v[i]);
  return decimal_digits(m);
}

bool is_iostat_end(std::int32_t iostat) { return iostat == -1; }

}  // namespace korvex
