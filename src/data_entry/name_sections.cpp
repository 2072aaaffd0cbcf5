// Name sections of a DAP deck, between the format cards and the "DATA" card: variable names
// (free or numbered), a new output order, the variables to reflect and the subject names.
// The list reader takes characters card after card, blanks skipped, "," between names and
// "." at the end; what the sections leave are the name tables, var_source and reflect_list.
#include <array>
#include <string>

#include "data_entry/dap_internal.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/console.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"

namespace korvex::dap {

namespace {

// Largest number a numbered list may spell before it is refused as too long.
constexpr std::int64_t max_list_number = 999999999;

// DPNCHR: the next non-blank character of a list, card after card. A reader starts with its
// card used up, so every list begins on a new card.
class list_reader {
 public:
  explicit list_reader(const card_source& cards) : cards_(cards) {}

  char next() {
    for (;;) {
      if (column_ >= card_width) {
        card_ = cards_();
        card_.resize(static_cast<std::size_t>(card_width), ' ');
        column_ = 0;
        ++card_count_;
      }
      const char c = card_[static_cast<std::size_t>(column_)];
      ++column_;
      if (c != ' ') return c;
    }
  }

  // Where the last character taken stands, for messages.
  std::string location() const { return location_of(card_count_, column_); }
  static std::string location_of(std::int32_t card, std::int32_t column) {
    return "(LIST CARD " + number_text(card) + ", COLUMN " + number_text(column) + ")";
  }
  std::int32_t card_count() const { return card_count_; }
  std::int32_t column() const { return column_; }

 private:
  const card_source& cards_;
  std::string card_;
  std::int32_t column_ = card_width;  // columns of the card taken so far
  std::int32_t card_count_ = 0;
};

// Reads one name up to "," or "."; returns that character. The name is blank-padded to 20.
char read_name(list_reader& reader, std::string& name) {
  name.clear();
  for (;;) {
    const char c = reader.next();
    if (c == ',' || c == '.') {
      name = io::pad(name, name_length);
      return c;
    }
    if (!is_name_character(c)) {
      io::out_line(io::format_line("('Illegal character in name:',Z4.2)", {static_cast<int>(static_cast<unsigned char>(c))}));
      proc_error("ILLEGAL CHARACTER IN NAME");
    }
    if (name.size() == static_cast<std::size_t>(name_length)) proc_error("NAME TOO LONG");
    name += c;
  }
}

// The keyword of a section card: its columns 1-6.
std::string keyword(const std::string& card) { return card.substr(0, 6); }

void next_section_card() {
  dap_blank_line();
  dap_read_card(run().card, run().common.monin, print_state().unit);
}

// Writes the duplicate-name report on the console (two leading blanks) and the listing (one),
// then stops without a stop code.
[[noreturn]] void duplicate_variable_names(std::int32_t j, std::int32_t i) {
  const auto& names = run().input_names;
  const std::string& first = names[static_cast<std::size_t>(j - 1)];
  const std::string& second = names[static_cast<std::size_t>(i - 1)];
  io::out_line(io::format_line("(1X)", {}));
  io::out_line(io::format_line("(2X,'Duplicate variable names')", {}));
  io::out_line(io::format_line("(2X,'ordinal',4X,8X,'name')", {}));
  io::out_line(io::format_line("(2X,I5,6X,A20)", {j, first}));
  io::out_line(io::format_line("(2X,I5,6X,A20)", {i, second}));
  const std::int32_t u = print_state().unit;
  write_formatted(u, "(1X)");
  write_formatted(u, "(1X,'Duplicate variable names')");
  write_formatted(u, "(1X,'ordinal',4X,8X,'name')");
  write_formatted(u, "(1X,I5,6X,A20)", {j, first});
  write_formatted(u, "(1X,I5,6X,A20)", {i, second});
  QUIT(0);
}

// Position of every name of `names` in `table`; a name that is not there is listed with the
// text of `list_name`, and after the whole list any such name stops with `code`.
void locate_names(const std::vector<std::string>& names, std::int32_t count,
                  const std::vector<std::string>& table, std::vector<std::int32_t>& positions,
                  std::string_view list_name, std::int32_t code) {
  const auto n = static_cast<std::int32_t>(table.size());
  const std::string layout = "(1X,'THE NAME ','\"',A20,'\"','IS NOT IN THE " + std::string(list_name) + " NAME LIST')";
  bool missing = false;
  for (std::int32_t i = 1; i <= count; ++i) {
    const std::string& name = names[static_cast<std::size_t>(i - 1)];
    const std::int32_t pos = find_name(table, n, name);
    if (pos > n) {
      write_formatted(print_state().unit, layout, {name});
      missing = true;
    } else {
      positions[static_cast<std::size_t>(i - 1)] = pos;
    }
  }
  if (missing) QUIT(code);
}

bool has_repeat(const std::vector<std::int32_t>& v, std::int32_t count) {
  for (std::int32_t h = 2; h <= count; ++h) {
    for (std::int32_t j = 1; j < h; ++j) {
      if (v[static_cast<std::size_t>(h - 1)] == v[static_cast<std::size_t>(j - 1)]) return true;
    }
  }
  return false;
}

name_store into(std::vector<std::string>& names) {
  return [&names](std::int32_t index, const std::string& name) { names[static_cast<std::size_t>(index - 1)] = name; };
}

}  // namespace

bool is_name_character(char c) {
  static const std::array<bool, 256> table = [] {
    std::array<bool, 256> t{};
    for (const char ch : name_list_set().substr(3)) t[static_cast<unsigned char>(ch)] = true;
    return t;
  }();
  return table[static_cast<unsigned char>(c)];
}

std::int32_t DPNROL(const name_store& store, std::int32_t capacity, std::int32_t form,
                    const card_source& cards) {
  list_reader reader(cards);
  std::string name;
  if (form == 0) {
    std::int32_t count = 0;
    for (;;) {
      const char end = read_name(reader, name);
      ++count;
      if (count > capacity) proc_error("TOO MANY NAMES");
      store(count, name);
      if (end == '.') return count;
    }
  }
  for (;;) {
    std::int64_t value = 0;
    std::int32_t card = 0;
    std::int32_t column = 0;
    for (;;) {
      const char c = reader.next();
      if (card == 0) {
        card = reader.card_count();
        column = reader.column();
      }
      if (c >= '0' && c <= '9') {
        if (value > max_list_number / 10) proc_error("TOO MANY DIGITS IN NUMBER " + reader.location());
        value = value * 10 + (c - '0');
      } else if (c == ',') {
        break;
      } else if (c == '.') {
        proc_error("NUMBER NOT PAIRED WITH NAME");
      } else {
        proc_error("ILLEGAL CHARACTER IN NUMBER");
      }
    }
    const char end = read_name(reader, name);
    if (value > capacity) {
      proc_error("NUMBER TOO LARGE " + reader.location_of(card, column));
    }
    if (value == 0) proc_error("NUMBER 0 NAMES NO ENTRY " + reader.location_of(card, column));
    store(static_cast<std::int32_t>(value), name);
    if (end == '.') return 0;
  }
}

void DPVNAM() {
  dap_run_state& r = run();
  dap_common_record& c = r.common;
  const std::int32_t nv = c.nv;
  if (io::trim_right(r.vroot).empty()) r.vroot = io::pad("VAR", name_length);
  r.input_names.assign(static_cast<std::size_t>(nv), std::string(name_length, ' '));
  GENAME(io::trim_right(r.vroot), r.input_names, nv, 0);
  r.var_names = r.input_names;
  r.work.var_source.resize(static_cast<std::size_t>(nv));
  for (std::int32_t h = 1; h <= nv; ++h) r.work.var_source[static_cast<std::size_t>(h - 1)] = h;
  c.reflect_count = 0;

  next_section_card();
  const std::string kw = keyword(r.card);
  if (kw == "VARIAB") {
    if (DPNROL(into(r.input_names), nv, 0, monin_cards()) != nv) proc_error("TOO FEW VARIABLE NAMES");
  } else if (kw == "PART V") {
    DPNROL(into(r.input_names), nv, 1, monin_cards());
  } else {
    return;
  }
  for (std::int32_t i = 2; i <= nv; ++i) {
    for (std::int32_t j = 1; j < i; ++j) {
      if (r.input_names[static_cast<std::size_t>(j - 1)] == r.input_names[static_cast<std::size_t>(i - 1)]) {
        duplicate_variable_names(j, i);
      }
    }
  }
  r.var_names = r.input_names;
  next_section_card();

  if (keyword(r.card) == "REORDE") {
    if (DPNROL(into(r.var_names), nv, 0, monin_cards()) != nv) proc_error("TOO FEW REORDER NAMES");
    locate_names(r.var_names, nv, r.input_names, r.work.var_source, "VARIABLE", 10003);
    if (has_repeat(r.work.var_source, nv)) proc_error("DUPLICATE REORDER NAMES");
    next_section_card();
  }
  if (keyword(r.card) == "REFLEC") {
    r.reflect_names.assign(static_cast<std::size_t>(nv), std::string(name_length, ' '));
    c.reflect_count = DPNROL(into(r.reflect_names), nv, 0, monin_cards());
    r.work.reflect_list.assign(static_cast<std::size_t>(nv), 0);
    locate_names(r.reflect_names, c.reflect_count, r.var_names, r.work.reflect_list, "REFLECT", 10004);
    if (has_repeat(r.work.reflect_list, c.reflect_count)) proc_error("DUPLICATE REFLECT NAMES");
    next_section_card();
  }
}

void DPSNAM() {
  dap_run_state& r = run();
  dap_common_record& c = r.common;
  c.subject_limit = c.nsub > 0 ? c.nsub : max_subjects;
  r.subject_names.reset(c.subject_limit);
  const std::string kw = keyword(r.card);
  const name_store store = [&r](std::int32_t index, const std::string& name) { r.subject_names.set(index, name); };
  if (kw == "SUBJEC") {
    const std::int32_t count = DPNROL(store, c.subject_limit, 0, monin_cards());
    if (c.nsub > 0 && count != c.nsub) proc_error("TOO FEW SUBJECT NAMES");
    next_section_card();
  } else if (kw == "PART S") {
    DPNROL(store, c.subject_limit, 1, monin_cards());
    next_section_card();
  }
  if (r.card.substr(0, 4) != "DATA") proc_error("\"DATA\" CARD EXPECTED");
}

}  // namespace korvex::dap
