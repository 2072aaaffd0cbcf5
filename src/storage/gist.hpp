// Entry decks: the component GIST, which loads single ISF entries from card decks on MONIN
// and unloads them to MONPUN as packages that load back, and the labelled card output with
// which unloaded entries (and the comparison deck) are punched: values in columns 1-72, the
// card label (code, item, card number) in columns 73-80.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// The component entry: reads GIST control cards from MONIN up to a card whose columns 1-6
// are blank, loading or unloading one ISF entry per card. Every fault stops the run.
void GIST();

// ---- labelled card output ----------------------------------------------------------------
// Each routine punches x(1..n) (n >= 1) on the formatted unit `unit` as 80-column cards of at
// most one full card of fields each, followed by blanks up to column 72 and the card label:
// the last 2 digits of code, the last 4 of item and the card number within the call (00,
// 01, ...; its last 2 digits). n <= 0 punches nothing.

// Reals as I8 integers, 9 per card: v * (1.0E7 / scale) rounded half away from zero (zero of
// either sign gives 0). A value whose integer does not fit I8 (or is not a number) is punched
// as eight asterisks; GIST never hands such values over (see punch_real_fits).
void punch_real(std::span<const float> x, std::int32_t n, float scale, std::int32_t code,
                std::int32_t item, std::int32_t unit);
// Six-character words, 12 per card (A6).
void punch_names(std::span<const std::string> w, std::int32_t n, std::int32_t code,
                 std::int32_t item, std::int32_t unit);
// Integers, 18 per card (I4).
void punch_int(std::span<const std::int32_t> iv, std::int32_t n, std::int32_t code,
               std::int32_t item, std::int32_t unit);
// Integers, 9 per card (I8).
void punch_int8(std::span<const std::int32_t> iv, std::int32_t n, std::int32_t code,
                std::int32_t item, std::int32_t unit);
// 20-character names, 3 per card (A20), 12 blank columns before the label of a full card.
void punch_char(std::span<const std::string> names, std::int32_t n, std::int32_t code,
                std::int32_t item, std::int32_t unit);
// One record holding text without its trailing blanks.
void punch_text(std::string_view text, std::int32_t unit);

// Cards for values that the I8 and I4 forms cannot carry, read back under the layouts
// punch_real_exact_layout and punch_int_wide_layout:
// reals in exponent form, 4 per card (1PE18.9), which reads back to the same float;
inline constexpr std::string_view punch_real_exact_layout = "(1P4E18.9)";
void punch_real_exact(std::span<const float> x, std::int32_t n, std::int32_t code,
                      std::int32_t item, std::int32_t unit);
// any int32, 6 per card (I12).
inline constexpr std::string_view punch_int_wide_layout = "(6I12)";
void punch_int_wide(std::span<const std::int32_t> iv, std::int32_t n, std::int32_t code,
                    std::int32_t item, std::int32_t unit);

// True when punch_real carries v at this scale: v is finite and its scaled integer lies in
// -9999999..99999999, the range of an I8 field.
bool punch_real_fits(float v, float scale);
// True when punch_int carries v: -999..9999.
bool punch_int_fits(std::int32_t v);

}  // namespace korvex
