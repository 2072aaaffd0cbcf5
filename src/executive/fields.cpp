// Card fields and list readers (see fields.hpp). The field parsers stop the run on a field
// they cannot read; the list readers report through a status and leave the wording of the
// message to the calling component. Every reader keeps to the caller's capacity.
#include "executive/fields.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/console.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "io/record_file.hpp"

namespace korvex {

namespace {

constexpr std::int64_t int32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t item_length = 20;  // characters of one list item
constexpr std::size_t list_line_length = 80;

// The set in its defining order; the accented letters are 0xC0-0xFF without 0xD7 and 0xF7.
std::string build_name_list_set() {
  std::string s = " ,.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_@#$%&*()-+=<>'";
  for (int code = 0xC0; code <= 0xFF; ++code) {
    if (code != 0xD7 && code != 0xF7) s += static_cast<char>(code);
  }
  return s;
}

// What a character means to a list reader.
enum class char_class : unsigned char { other, blank, separator, terminator, item };

using class_table = std::array<char_class, 256>;

// The classes of a reader's set: its first three characters are blank, comma, period and
// the rest build items.
class_table classify(std::string_view set) {
  class_table t{};
  t.fill(char_class::other);
  for (std::size_t i = 3; i < set.size(); ++i) t[static_cast<unsigned char>(set[i])] = char_class::item;
  t[static_cast<unsigned char>(' ')] = char_class::blank;
  t[static_cast<unsigned char>(',')] = char_class::separator;
  t[static_cast<unsigned char>('.')] = char_class::terminator;
  return t;
}

const class_table& name_classes() {
  static const class_table t = classify(name_list_set());
  return t;
}

char_class class_of(const class_table& t, char c) { return t[static_cast<unsigned char>(c)]; }

bool is_blank(std::string_view field) { return io::trim_right(field).empty(); }

[[noreturn]] void bcdbin_error(std::string_view what, std::string_view text) {
  std::string message = "BCDBIN ERROR: ";
  message += what;
  message += '"';
  message += text;
  message += "\".";
  proc_error(message);
}

// One record as the layout "(A80)" reads it: cut or blank-padded to 80 columns.
std::string as_list_line(const std::string& record) {
  std::string line;
  const io::Target target(&line, list_line_length);
  io::read_text("(A80)", record, std::span<const io::Target>(&target, 1));
  return line;
}

// The next line of a number or variable list that holds anything but blanks. A read error
// or the end of the file stops the run with the tag "Error reading input".
std::string next_list_line(std::int32_t unit) {
  for (;;) {
    std::string record;
    std::int32_t iostat = 0;
    try {
      if (!read_record(unit, record)) iostat = -1;
    } catch (const io::IoError& e) {
      iostat = e.status() != 0 ? e.status() : 1;
    }
    check_io_stat("Error reading input", iostat);
    std::string line = as_list_line(record);
    if (!is_blank(line)) return line;
  }
}

// Marks the 1-based card column of a refused character: a "^" line and a "|" line, each
// mark under that column of the card as the listing shows it after the carriage control.
void write_markers(std::int32_t unit_out, std::size_t column) {
  for (const char* mark : {"^", "|"}) {
    std::vector<io::Value> values(column - 1, io::Value(" "));
    values.emplace_back(mark);
    write_formatted(unit_out, "(1x,80A1)", values);
  }
}

// The item being gathered: at most 20 characters, later ones dropped.
class item_buffer {
 public:
  void add(char c) {
    if (text_.size() < item_length) text_ += c;
  }
  // The item blank-padded to 20 characters; the buffer is blank again.
  std::string take() {
    std::string item = io::pad(text_, item_length);
    text_.clear();
    return item;
  }

 private:
  std::string text_;
};

std::size_t to_size(std::int32_t n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

}  // namespace

std::string_view name_list_set() {
  static const std::string set = build_name_list_set();
  return set;
}

void BCDBIN(std::string_view text, std::int32_t& value) {
  std::int64_t v = 0;
  bool too_large = false;
  for (const char c : text) {
    if (c == ' ') continue;
    if (c < '0' || c > '9') bcdbin_error("Unrecognized character in ", text);
    v = v * 10 + (c - '0');
    if (v > int32_max) {
      too_large = true;
      v = int32_max;  // keeps the arithmetic in range; the field is refused below
    }
  }
  if (too_large) bcdbin_error("Number too large in ", text);
  value = static_cast<std::int32_t>(v);
}

void field_int(std::string_view field, std::int32_t& value, std::int32_t default_value) {
  if (is_blank(field)) {
    value = default_value;
    return;
  }
  BCDBIN(field, value);
}

void field_real(std::string_view field, float& value, float default_value) {
  if (is_blank(field)) {
    value = default_value;
    return;
  }
  float x = 0.0f;
  const io::Target target(&x);
  io::read_text("(F8.4)", field, std::span<const io::Target>(&target, 1));
  value = x;
}

bool int_in_range(std::int32_t value, std::int32_t lo, std::int32_t hi) { return lo <= value && value <= hi; }

bool real_in_range(float x, float lo, float hi) { return lo <= x && x <= hi; }  // NaN: false

void read_name_list(std::span<std::string> names, std::int32_t nmax, std::int32_t& count,
                    std::int32_t& bad, std::int32_t unit) {
  const std::size_t room = std::min(to_size(nmax), names.size());
  std::size_t stored = 0;
  item_buffer item;
  count = 0;
  bad = 0;
  for (;;) {
    std::string record;
    if (!read_record(unit, record)) {
      bad = 1;
      return;
    }
    const std::string line = as_list_line(record);
    for (const char c : line) {
      switch (class_of(name_classes(), c)) {
        case char_class::blank:
          break;
        case char_class::separator:
        case char_class::terminator:
          // Names past the room are read and dropped, so the list is still consumed to its period.
          if (stored < room) {
            names[stored++] = item.take();
            count = static_cast<std::int32_t>(stored);
          } else {
            item.take();
          }
          if (c == '.') return;
          break;
        case char_class::item:
          item.add(c);
          break;
        case char_class::other:
          bad = 1;
          return;
      }
    }
  }
}

void read_name_list(std::span<std::string> names, std::int32_t nmax, std::int32_t& count,
                    std::int32_t& bad, std::int32_t unit, std::int32_t /*unit_out*/) {
  read_name_list(names, nmax, count, bad, unit);
}

void read_number_list(std::span<std::int32_t> list, std::int32_t nmax, std::int32_t& count,
                      std::int32_t& status, std::int32_t unit_in, std::int32_t unit_out) {
  static const class_table classes = classify(" ,.0123456789");
  std::size_t items = 0;
  std::int64_t number = 0;  // saturates at the largest int32, which no nmax passes
  count = 0;
  status = 0;
  for (;;) {
    const std::string line = next_list_line(unit_in);
    const std::size_t last = io::trim_right(line).size();
    for (std::size_t p = 0; p < last; ++p) {
      const char c = line[p];
      switch (class_of(classes, c)) {
        case char_class::blank:
          break;
        case char_class::item:
          number = std::min(number * 10 + (c - '0'), int32_max);
          break;
        case char_class::separator:
        case char_class::terminator:
          if (items == list.size()) {
            proc_error(io::format_line("('Too many numbers in list: room for ',I0,'.')",
                                       {static_cast<long long>(list.size())}));
          }
          list[items++] = static_cast<std::int32_t>(number);
          count = static_cast<std::int32_t>(items);
          if (number < 1 || number > nmax) {
            status = 2;
            return;
          }
          number = 0;
          if (c == '.') return;
          break;
        case char_class::other:
          write_markers(unit_out, p + 1);
          status = 1;
          return;
      }
    }
  }
}

void read_var_list(std::span<const std::string> names, std::span<std::int32_t> list,
                   std::int32_t nmax, std::int32_t nnames, std::int32_t& count,
                   std::int32_t& status, std::int32_t unit_in, std::int32_t unit_out) {
  item_buffer item;
  count = 0;
  status = 0;
  for (;;) {
    const std::string line = next_list_line(unit_in);
    const std::size_t last = io::trim_right(line).size();
    for (std::size_t p = 0; p < last; ++p) {
      const char c = line[p];
      switch (class_of(name_classes(), c)) {
        case char_class::blank:
          break;
        case char_class::separator:
        case char_class::terminator:
          parse_var_ref(names, list, nmax, nnames, count, item.take(), status);
          // A refused item ends the list: dropping it silently would run the analysis on
          // other variables than the user named.
          if (status != 0 || c == '.') return;
          break;
        case char_class::item:
          item.add(c);
          break;
        case char_class::other:
          write_markers(unit_out, p + 1);
          status = 1;
          return;
      }
    }
  }
}

void parse_var_ref(std::span<const std::string> names, std::span<std::int32_t> list,
                   std::int32_t nmax, std::int32_t nnames, std::int32_t& count,
                   std::string_view item, std::int32_t& status) {
  status = 0;
  const std::string key = io::pad(item, item_length);
  const std::string_view digits = io::trim_right(key);
  std::int64_t v = 0;
  const bool numeric = !digits.empty() && std::all_of(digits.begin(), digits.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
  if (numeric) {
    for (const char c : digits) v = std::min(v * 10 + (c - '0'), int32_max + 1);
    if (v < 1 || v > nmax) v = 0;
  }
  if (v == 0) {
    const auto n = static_cast<std::int32_t>(std::min(to_size(nnames), names.size()));
    v = find_name(names, n, key);
    if (v > n) {
      io::out_line(io::free_line({"Bad name:", key}));
      status = 2;
      return;
    }
  }
  const std::size_t room = std::min(to_size(nmax), list.size());
  const std::size_t in_use = std::min(to_size(count), list.size());
  const auto value = static_cast<std::int32_t>(v);
  if (find_int(list, static_cast<std::int32_t>(in_use), value) <= static_cast<std::int32_t>(in_use)) {
    status = 3;
    return;
  }
  if (in_use >= room) {
    status = 4;
    return;
  }
  list[in_use] = value;
  count = static_cast<std::int32_t>(in_use + 1);
}

}  // namespace korvex
