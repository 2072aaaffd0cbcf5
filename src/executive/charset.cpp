// The *PR_LNS sample table and its two printouts (see charset.hpp). The samples hold, group
// by group, the item characters of the name-list readers; only the label of the sharp s
// differs between listing and console.
#include "executive/charset.hpp"

#include <cassert>

#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/layout.hpp"

namespace korvex {

namespace {

constexpr std::string_view diacritics = "Diacritics: ";

const charset_sample samples[charset_sample_count] = {
    {" Numerials: ", " Numerials: ", "0123456789"},
    {"Upper case: ", "Upper case: ", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
    {"Lower case: ", "Lower case: ", "abcdefghijklmnopqrstuvwxyz"},
    {"   Symbols: ", "   Symbols: ", "_@#$%&*()-+=<>'"},
    {diacritics, diacritics, "\xC0\xE0\xC8\xE8\xCC\xEC\xD2\xF2\xD9\xF9"},          // grave
    {diacritics, diacritics, "\xC1\xE1\xC9\xE9\xCD\xED\xD3\xF3\xDA\xFA\xDD\xFD"},  // acute
    {diacritics, diacritics, "\xC2\xE2\xCA\xEA\xCE\xEE\xD4\xF4\xDB\xFB"},          // circumflex
    {diacritics, diacritics, "\xC3\xE3\xD1\xF1\xD5\xF5"},                          // tilde
    {diacritics, diacritics, "\xC4\xE4\xCB\xEB\xCF\xEF\xD6\xF6\xDC\xFC\xFF"},      // diaeresis
    {diacritics, diacritics, "\xC5\xE5"},                                          // ring above
    {diacritics, diacritics, "\xC6\xE6"},                                          // ligature AE
    {diacritics, diacritics, "\xC7\xE7"},                                          // cedilla
    {diacritics, diacritics, "\xD0\xF0"},                                          // eth
    {diacritics, diacritics, "\xD8\xF8"},                                          // stroke
    {diacritics, diacritics, "\xDE\xFE"},                                          // thorn
    {"   Sharp S: ", " German SS: ", "\xDF"},
};

}  // namespace

const charset_sample& charset_sample_row(int row) {
  assert(row >= 1 && row <= charset_sample_count);
  return samples[row - 1];
}

void print_charset_lines(std::int32_t monout) {
  write_formatted(monout, "(1X)");
  for (const charset_sample& s : samples) write_formatted(monout, "(1X,A,A)", {s.listing_label, s.text});
  write_formatted(monout, "(1X)");
  for (const charset_sample& s : samples) io::out_line(io::format_line("(A,A)", {s.console_label, s.text}));
}

}  // namespace korvex
