// Labelled card output: the routines that punch the data items of an unloaded entry (and of
// the comparison deck) as 80-column cards on MONPUN. Every card goes through the layout-text
// engine with a card layout completed per card: the number of values, the blank columns up to
// column 72, and the card label (code, item, card number) in columns 73-80.
#include <algorithm>
#include <cassert>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "storage/gist.hpp"

namespace korvex {

namespace {

// The columns that hold values on a card; the card label follows in columns 73-80.
constexpr std::int32_t value_columns = 72;

// One kind of labelled card. Its layout text is "(" + lead + 2 count columns + the field part
// + 4 gap columns + "A8)", completed per card: the count receives the number of values on
// the card (2 digits), the gap the blank columns after them (2 digits and "X,", or 4 blanks
// when there are none). The card label closes every card as the layout's last item, A8;
// keeping it out of the layout text as a value means that one card layout serves every card
// with the same number of values.
struct CardForm {
  std::string_view lead;   // before the count: a scale factor, or nothing
  std::string_view field;  // the field descriptor with its comma, blank-padded to 12
  std::int32_t per_card;
  std::int32_t width;

  std::string layout() const { return "(" + std::string(lead) + "  " + io::pad(field, 12) + "VVWWA8)"; }
  std::size_t count_at() const { return 1 + lead.size(); }
  std::size_t gap_at() const { return count_at() + 2 + 12; }
};

constexpr CardForm real_cards{"", "I8,", 9, 8};
constexpr CardForm word_cards{"", "A6,", 12, 6};
constexpr CardForm int_cards{"", "I4,", 18, 4};
constexpr CardForm int8_cards{"", "I8,", 9, 8};
constexpr CardForm name_cards{"", "A20,", 3, 20};
constexpr CardForm exact_real_cards{"1P", "E18.9,", 4, 18};
constexpr CardForm wide_int_cards{"", "I12,", 6, 12};

// Overwrites text from position `at` with `digits`.
void put(std::string& text, std::size_t at, std::string_view digits) {
  assert(at + digits.size() <= text.size());
  text.replace(at, digits.size(), digits);
}

// The last `width` digits of n, zero-padded.
std::string last_digits(std::int64_t n, int width) {
  return int_to_text(n, 6).substr(static_cast<std::size_t>(6 - width));
}

// Punches n values as cards of `form`; value(i) (0-based) gives the i-th value. The card
// label carries the last digits of code and item and the card number, counted from 00.
template <class ValueAt>
void punch_cards(const CardForm& form, std::int32_t n, std::int32_t code, std::int32_t item,
                 std::int32_t unit, ValueAt value) {
  if (n <= 0) return;
  std::string layout = form.layout();
  const std::string code_item = last_digits(code, 2) + last_digits(item, 4);
  std::int32_t left = n;
  std::int32_t done = 0;
  std::int32_t card = 0;
  std::vector<io::Value> values;
  std::string label;
  do {
    const std::int32_t k = std::min(form.per_card, left);
    left -= k;
    put(layout, form.count_at(), last_digits(k, 2));
    const std::int32_t gap = value_columns - k * form.width;
    put(layout, form.gap_at(), gap >= 1 ? last_digits(gap, 2) + "X," : "    ");
    label = code_item + last_digits(card, 2);
    values.clear();
    for (std::int32_t i = done; i < done + k; ++i) values.push_back(value(i));
    values.emplace_back(label);
    write_formatted(unit, layout, values);
    done += k;
    ++card;
  } while (left > 0);
}

// Beyond any I8 field: punch_real writes it as eight asterisks.
constexpr std::int32_t unpunchable = 999999999;

// The I8 integer of v at this scale, or `unpunchable` when it has none. The scaling is done
// in double precision: in single precision v * factor is already rounded to a half before
// the rounding to an integer, and a value read back from its own card could then punch one
// unit higher (a punched deck would not be a fixed point of unload and load).
std::int32_t scaled_field(float v, float scale) {
  if (v == 0.0f) return 0;
  const double factor = 1.0e7 / static_cast<double>(scale);
  const double x = static_cast<double>(v);
  const double t = x >= 0.0 ? factor * x + 0.5 : factor * x - 0.5;
  if (!(t > -1.0e7 && t < 1.0e8)) return unpunchable;
  return static_cast<std::int32_t>(t);
}

// texts(1..n) blank-padded or cut to `width`, so that they stand left-aligned in their field.
std::vector<std::string> padded(std::span<const std::string> texts, std::int32_t n, std::size_t width) {
  std::vector<std::string> out;
  for (std::int32_t i = 0; i < n; ++i) out.push_back(io::pad(texts[at0(i)], width));
  return out;
}

}  // namespace

bool punch_real_fits(float v, float scale) { return scaled_field(v, scale) != unpunchable; }

bool punch_int_fits(std::int32_t v) { return v >= -999 && v <= 9999; }

void punch_real(std::span<const float> x, std::int32_t n, float scale, std::int32_t code,
                std::int32_t item, std::int32_t unit) {
  assert(n <= 0 || at0(n) <= x.size());
  punch_cards(real_cards, n, code, item, unit, [&](std::int32_t i) { return io::Value(scaled_field(x[at0(i)], scale)); });
}

void punch_names(std::span<const std::string> w, std::int32_t n, std::int32_t code,
                 std::int32_t item, std::int32_t unit) {
  assert(n <= 0 || at0(n) <= w.size());
  const std::vector<std::string> words = padded(w, n, 6);
  punch_cards(word_cards, n, code, item, unit, [&](std::int32_t i) { return io::Value(words[at0(i)]); });
}

void punch_int(std::span<const std::int32_t> iv, std::int32_t n, std::int32_t code,
               std::int32_t item, std::int32_t unit) {
  assert(n <= 0 || at0(n) <= iv.size());
  punch_cards(int_cards, n, code, item, unit, [&](std::int32_t i) { return io::Value(iv[at0(i)]); });
}

void punch_int8(std::span<const std::int32_t> iv, std::int32_t n, std::int32_t code,
                std::int32_t item, std::int32_t unit) {
  assert(n <= 0 || at0(n) <= iv.size());
  punch_cards(int8_cards, n, code, item, unit, [&](std::int32_t i) { return io::Value(iv[at0(i)]); });
}

void punch_char(std::span<const std::string> names, std::int32_t n, std::int32_t code,
                std::int32_t item, std::int32_t unit) {
  assert(n <= 0 || at0(n) <= names.size());
  const std::vector<std::string> cut = padded(names, n, 20);
  punch_cards(name_cards, n, code, item, unit, [&](std::int32_t i) { return io::Value(cut[at0(i)]); });
}

void punch_text(std::string_view text, std::int32_t unit) {
  write_formatted(unit, "(A)", {io::trim_right(text)});
}

void punch_real_exact(std::span<const float> x, std::int32_t n, std::int32_t code,
                      std::int32_t item, std::int32_t unit) {
  assert(n <= 0 || at0(n) <= x.size());
  punch_cards(exact_real_cards, n, code, item, unit, [&](std::int32_t i) { return io::Value(x[at0(i)]); });
}

void punch_int_wide(std::span<const std::int32_t> iv, std::int32_t n, std::int32_t code,
                    std::int32_t item, std::int32_t unit) {
  assert(n <= 0 || at0(n) <= iv.size());
  punch_cards(wide_int_cards, n, code, item, unit, [&](std::int32_t i) { return io::Value(iv[at0(i)]); });
}

}  // namespace korvex
