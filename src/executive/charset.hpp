// The character-set sample lines of the executive card *PR_LNS: the digits, letters,
// symbols and accented letters that a name may hold, written once to the listing and once
// to standard output, so the user sees how each shows them.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

struct charset_sample {
  std::string_view listing_label;  // 12 characters
  std::string_view console_label;  // 12 characters
  std::string_view text;           // ISO 8859-1 bytes
};

// The 16 sample rows in print order.
constexpr int charset_sample_count = 16;
const charset_sample& charset_sample_row(int row);  // 1-based

// The *PR_LNS step: on the listing unit `monout` a one-blank record, the 16 rows (carriage
// control, listing label, sample) and another one-blank record, outside the page
// accounting; then the 16 rows (console label, sample) on standard output. Bytes are
// written untranslated.
void print_charset_lines(std::int32_t monout);

}  // namespace korvex
