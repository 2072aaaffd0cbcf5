// *ASSIGN and *PRT_UT (see assign.hpp): splitting an executive card into words, adding a
// row for a new unit name after checking that its file exists, and the listing of the
// unit table with long file names broken before a backslash.
#include "executive/assign.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"

namespace korvex {

namespace {

constexpr std::int32_t card_columns = 120;
constexpr std::size_t connected_name_length = 256;

bool is_word_char(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 33 && code <= 126;
}

std::size_t to_size(std::int32_t n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

// The fixed-width listing text of a code (1-based), or blanks of that width for a code
// the table does not know.
std::string code_text(std::int32_t code, std::span<const std::string_view> texts, std::size_t width) {
  if (code >= 1 && to_size(code) <= texts.size()) return std::string(texts[to_size(code) - 1]);
  return std::string(width, ' ');
}

constexpr std::array<std::string_view, 2> duration_texts = {"      run", "component"};
constexpr std::array<std::string_view, 3> type_texts = {" input", "output", "  temp"};
constexpr std::array<std::string_view, 2> form_texts = {"unformatted", "  formatted"};

// The name of the file connected to an open row, as this system reports it: the path the
// row opened, relative to the working folder, in a 256-character text. A console row has
// no file name and shows blank.
std::string connected_name(const unit_entry& e) {
  return io::pad(io::trim_right(e.path), connected_name_length);
}

}  // namespace

std::int32_t get_ec_args(std::string_view card, std::span<std::int32_t> starts,
                         std::span<std::int32_t> ends, std::span<std::string> words,
                         std::int32_t length) {
  const std::size_t room = std::min({starts.size(), ends.size(), words.size()});
  const std::string cols = io::pad(card.substr(0, std::min(to_size(length), card.size())), to_size(length));
  const auto len = static_cast<std::int32_t>(cols.size());
  const auto last = static_cast<std::int32_t>(io::trim_right(cols).size());
  const auto column_char = [&](std::int32_t column) { return cols[to_size(column) - 1]; };

  std::int32_t n = 0;
  const auto record = [&](std::int32_t first, std::int32_t final_column) {
    if (to_size(n) < room) {
      starts[to_size(n)] = first;
      ends[to_size(n)] = final_column;
    }
    ++n;
  };

  std::int32_t b = 1;
  for (;;) {
    std::int32_t c = b;
    while (c <= len && is_word_char(column_char(c))) ++c;
    if (c > len) {  // no separator from b on: the rest up to the last non-blank is a word
      if (last > 0) record(b, last);
      break;
    }
    if (c > b) record(b, c - 1);
    if (c >= last) break;
    b = c + 1;  // column `last` is non-blank and lies beyond c, so this stops there at most
    while (column_char(b) == ' ') ++b;
  }

  for (std::size_t i = 0; i < std::min(to_size(n), room); ++i) {
    const std::size_t first = to_size(starts[i]) - 1;
    const std::size_t count = to_size(ends[i] - starts[i] + 1);
    words[i] = io::pad(std::string_view(cols).substr(first, count), assign_word_length);
  }
  return n;
}

void assign_card(std::string_view card) {
  std::array<std::int32_t, assign_word_room> starts{};
  std::array<std::int32_t, assign_word_room> ends{};
  std::vector<std::string> words(assign_word_room);
  const std::int32_t n = get_ec_args(card, starts, ends, words, card_columns);
  if (n < 3) proc_error("Too few arguments in ASSIGN_FILE");
  if (n > assign_word_room) proc_error("Too many arguments in ASSIGN_FILE");
  if (io::trim_right(words[0]) != "*ASSIGN") proc_error("internal failure in ASSIGN_FILE");

  const std::string name = io::pad(words[1], 6);
  std::string path;
  for (std::size_t k = 2; k < to_size(n); ++k) {
    const std::string_view word = io::trim_right(words[k]);
    if (path.size() + word.size() > assign_path_room) proc_error("Path too long in ASSIGN_FILE");
    path += word;
    path.resize(io::trim_right(path).size());
  }
  ASSIGN_FILE(name, path);
}

void ASSIGN_FILE(std::string_view name, std::string_view path) {
  if (name.size() > 6) proc_error("ASSIGN_FILE symbolic unit name too long.");
  const std::int32_t rows = std::min(unit_count(), static_cast<std::int32_t>(unit_capacity));
  for (std::int32_t r = 1; r <= rows; ++r) {
    if (io::padded_equal(unit_row(r).name, name)) proc_error("ASSIGN_FILE symbolic unit name is in use.");
  }
  const std::int32_t unit = free_unit_number();

  std::error_code ec;
  const bool exists = std::filesystem::exists(std::filesystem::path(std::string(path)), ec);
  if (ec || !exists) {
    std::string message = "ASSIGN_FILE path does not exist: XXXX";
    int_to_text(ec ? ec.value() : 0, std::span<char>(message.data() + message.size() - 4, 4));
    proc_error(message);
  }
  add_unit(name, unit, duration_component, type_input, form_formatted, access_sequential, path);
}

void print_units(std::int32_t listing) { print_unit_tables(listing); }

void print_unit_tables(std::int32_t listing) {
  write_formatted(listing, "(/ 10X, 'Contents of Unit Number Tables')");
  if (unit_tables_bad()) write_formatted(listing, "(/ 1X, 'Unit Number Tables are Inconsistent')");
  const std::int32_t rows = std::min(unit_count(), static_cast<std::int32_t>(unit_capacity));
  if (rows < 1) {
    write_formatted(listing, "(/,1X, 'Unit Number Tables are Enmpty')");
    write_formatted(listing, "(1X)");
    return;
  }
  write_formatted(listing, "(/ ' Symbolic   Unit  Open       Open    File         File  File')");
  write_formatted(listing, "(  '     Name Number Count   Duration    Type         Form  Path')");

  const std::int32_t width = get_ncline() - 56;
  for (std::int32_t r = 1; r <= rows; ++r) {
    const unit_entry& e = unit_row(r);
    const std::string text = e.open_count < 1 ? std::string(" ") : connected_name(e);
    const auto length = static_cast<std::int32_t>(io::trim_right(text).size());
    // A blank text still shows its one blank column.
    std::int32_t end = length == 0 ? 1 : path_break(text, 1, width, length);
    write_formatted(listing, "(/ 3X, A6, 5X, I2, I6, 2X, A9, 2X, A6, 2X, A11, 2X, A)",
                    {e.name, e.unit, e.open_count, code_text(e.duration, duration_texts, 9),
                     code_text(e.type, type_texts, 6), code_text(e.form, form_texts, 11),
                     std::string_view(text).substr(0, to_size(end))});
    while (e.open_count > 0 && end < length) {
      const std::int32_t start = end + 1;
      end = path_break(text, start, width, length);
      write_formatted(listing, "(56X ,A)", {std::string_view(text).substr(to_size(start) - 1, to_size(end - start + 1))});
    }
  }
  write_formatted(listing, "(1X)");
}

std::int32_t path_break(std::string_view text, std::int32_t start, std::int32_t width,
                        std::int32_t length) {
  if (start + width - 1 >= length) return length;
  const std::int32_t window_end = std::min(start + width - 1, static_cast<std::int32_t>(text.size()));
  for (std::int32_t p = window_end; p > start; --p) {
    if (text[to_size(p) - 1] == '\\') return p - 1;
  }
  return length;
}

}  // namespace korvex
