// *ISFDMP: the listing of every ISF entry, record by record, with the checks that find a
// damaged store, and the item printers that lay each record out under its caption. The
// byte dumps it falls back on for a damaged header live in dumps_bytes.cpp.
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/console.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/dumps.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

// Record buffers of the dump, reused for every record. The system's own records stay
// within them (at most 999 variables, 100 subject names or 999 members per record).
constexpr std::size_t word_capacity = 1000;
constexpr std::size_t name_capacity = 999;
constexpr std::size_t value_capacity = 1000;

constexpr std::size_t caption_width = 7;
const std::string continuation(caption_width, ' ');

// ---- item printers --------------------------------------------------------------------

// One item: two empty lines, then `rows` lines reserved (lines_per_row per line of values),
// each line written with "(A7," k descriptor ")" from the caption (or 7 blanks) and the
// next k values. value(j) gives value j (0-based): a number, or a text it pads itself.
template <class ValueAt>
void print_item(std::string_view caption, std::int32_t n, std::int32_t k,
                std::string_view descriptor, std::int32_t lines_per_row, ValueAt value,
                std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  if (k < 1) k = 1;
  const std::int32_t count = n > 0 ? n : 0;
  // An item without values still shows its caption: one line, never an empty reservation
  // (PAGER(0) would begin a page).
  const std::int32_t rows = count == 0 ? 1 : (count + k - 1) / k;
  PAGER(-2, page, lines, unit);
  PAGER(rows * lines_per_row, page, lines, unit);
  const std::string layout =
      "(A7," + int_to_text(k, decimal_digits(k)) + std::string(descriptor) + ")";
  const std::string head = io::pad(caption, caption_width);
  std::vector<io::Value> line;
  std::vector<std::string> texts;  // the line's texts; reserved so that views stay valid
  texts.reserve(static_cast<std::size_t>(k));
  for (std::int32_t f = 0; f == 0 || f < count; f += k) {
    line.clear();
    texts.clear();
    line.emplace_back(f == 0 ? head : continuation);
    for (std::int32_t j = f; j < count && j < f + k; ++j) {
      auto v = value(j);
      if constexpr (std::is_same_v<decltype(v), std::string>) {
        texts.push_back(std::move(v));
        line.emplace_back(texts.back());
      } else {
        line.emplace_back(v);
      }
    }
    write_formatted(unit, layout, line);
  }
}

std::int32_t ncline() { return get_ncline(); }

}  // namespace

void isfdmp_words(std::string_view caption, std::span<const std::string> words, std::int32_t n,
                  std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  print_item(caption, n, (ncline() + 1) / 11, "A11", 1,
             [&](std::int32_t j) { return io::pad(words[j], isf_label_length); },
             page, lines, unit);
}

void isfdmp_names(std::string_view caption, std::span<const std::string> names, std::int32_t n,
                  std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  print_item(caption, n, (ncline() - 8) / 21, "A21", 1,
             [&](std::int32_t j) { return io::pad(names[j], isf_name_length); },
             page, lines, unit);
}

void isfdmp_ints(std::string_view caption, std::span<const std::int32_t> values, std::int32_t n,
                 std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  print_item(caption, n, (ncline() - 8) / 11, "I11", 1,
             [&](std::int32_t j) { return values[j]; }, page, lines, unit);
}

void isfdmp_reals(std::string_view caption, std::span<const float> values, std::int32_t n,
                  std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  print_item(caption, n, (ncline() - 7) / 11, "F11.3", 1,
             [&](std::int32_t j) { return values[j]; }, page, lines, unit);
}

void isfdmp_rows(std::string_view caption, std::span<const float> values, std::int32_t n,
                 std::int32_t number, std::string_view name, std::int32_t& page,
                 std::int32_t& lines, std::int32_t unit) {
  // The reservation covers the number line as well (three lines per line of values).
  print_item(caption, n, (ncline() - 9) / 11, "F11.3", 3,
             [&](std::int32_t j) { return values[j]; }, page, lines, unit);
  write_formatted(unit, "(A7,I11,2X,A20)", {continuation, number, io::pad(name, isf_name_length)});
}

namespace {

// ---- reading the data records ---------------------------------------------------------

// The bytes of one item of a record kind; 0 for kinds without a data record shape.
std::size_t item_bytes(std::int32_t kind) {
  switch (kind) {
    case isf_kind_words: return isf_label_length;
    case isf_kind_names: return isf_name_length;
    case isf_kind_ints:
    case isf_kind_reals:
    case isf_kind_row: return 4;
    default: return 0;
  }
}

// The entry being listed, for reading its records at the ISF's current position.
class EntryReader {
 public:
  EntryReader(std::int32_t unit, std::string label) : unit_(unit), label_(std::move(label)) {}

  // The next `size` bytes; the unit is left behind them. The file ending first is fatal.
  io::RecordReader take(std::size_t size) {
    const std::int64_t pos = stream_position(unit_);
    std::vector<std::byte> bytes(size);
    if (!stream_file(unit_).read(pos, bytes)) {
      proc_error("ISFDMP: The ISF ends inside the entry " + label_ + " (record at byte " +
                 std::to_string(record_pos_) + ").");
    }
    set_stream_position(unit_, pos + static_cast<std::int64_t>(size));
    return io::RecordReader(std::move(bytes));
  }

  // ITYPE and n of the next record.
  void head(std::int32_t& kind, std::int32_t& n) {
    record_pos_ = stream_position(unit_);
    io::RecordReader r = take(8);
    kind = r.i32();
    n = r.i32();
  }

  // Stops the run when a record's count does not fit the dump's buffer.
  void require_count(std::int32_t n, std::size_t capacity) const {
    if (n < 0 || static_cast<std::size_t>(n) > capacity) {
      proc_error("ISFDMP: Damaged ISF record at byte " + std::to_string(record_pos_) +
                 " of the entry " + label_ + ": " + std::to_string(n) +
                 " items do not fit the buffer of " + std::to_string(capacity) + ".");
    }
  }

 private:
  std::int32_t unit_;
  std::string label_;
  std::int64_t record_pos_ = 0;
};

// The end of a dump that found damage: the report is on the listing already.
[[noreturn]] void damaged(std::int32_t& page, std::int32_t& lines, std::int32_t monout) {
  PAGER(-1, page, lines, monout);
  stop_run();
}

// The KPAR values as one free-form line on standard output.
void kpar_to_console(std::span<const std::int32_t> kpar, std::int32_t c) {
  if (c < 1) {
    io::out_line(io::free_line({}));
    return;
  }
  std::vector<io::Value> values(kpar.begin(), kpar.begin() + c);
  io::out_line(io::format("(1000(1X,I0))", values).front());
}

// The buffers of the dump.
struct Buffers {
  std::vector<std::string> words = std::vector<std::string>(word_capacity, std::string(6, ' '));
  std::vector<std::string> names = std::vector<std::string>(name_capacity, std::string(20, ' '));
  std::vector<std::int32_t> ints = std::vector<std::int32_t>(value_capacity, 0);
  std::vector<float> reals = std::vector<float>(value_capacity, 0.0f);
};

// Lists the data records of an entry of type t up to its END record and checks that record.
// Each record is read with the shape of its own kind, so that a record of kind 3 in an entry
// of another type never throws the reading out of step; records of 4-byte items are printed
// as the entry type's values (reals in a real entry, integers otherwise).
void list_data_records(EntryReader& in, std::int32_t t, Buffers& b, std::int32_t& page,
                       std::int32_t& lines, std::int32_t monout) {
  for (;;) {
    std::int32_t kind = 0;
    std::int32_t n = 0;
    in.head(kind, n);
    if (kind == isf_kind_end) {
      io::RecordReader rest = in.take(24);
      const std::int32_t izero3 = rest.i32();
      const std::string blanks = rest.text(20);
      if (n != 0 || izero3 != 0 || blanks != std::string(20, ' ')) {
        PAGER(-2, page, lines, monout);
        PAGER(3, page, lines, monout);
        write_formatted(monout, "(\" BAD ISF END OF FILE RECORD \")");
        write_formatted(monout, "(\"izero1:\", I5, \" izero2:\", I5, \" izero3:\", I5)",
                        {kind, n, izero3});
        write_formatted(monout, "(\"blanks: \", A)", {blanks});
        damaged(page, lines, monout);
      }
      return;
    }
    const bool accepted = t == isf_kind_membership || kind == t || kind == isf_kind_ints;
    if (!accepted || item_bytes(kind) == 0) {
      PAGER(-2, page, lines, monout);
      PAGER(1, page, lines, monout);
      write_formatted(monout, "(\" BAD ISF DATA RECORD (\", I5, 2X, I5, \")\")", {t, kind});
      damaged(page, lines, monout);
    }
    switch (kind) {
      case isf_kind_words: {
        in.require_count(n, word_capacity);
        io::RecordReader r = in.take(item_bytes(kind) * static_cast<std::size_t>(n));
        for (std::int32_t j = 0; j < n; ++j) b.words[j] = r.text(isf_label_length);
        isfdmp_words(" DATA  ", b.words, n, page, lines, monout);
        break;
      }
      case isf_kind_names: {
        in.require_count(n, name_capacity);
        io::RecordReader r = in.take(item_bytes(kind) * static_cast<std::size_t>(n));
        for (std::int32_t j = 0; j < n; ++j) b.names[j] = r.text(isf_name_length);
        isfdmp_names(" DATA  ", b.names, n, page, lines, monout);
        break;
      }
      case isf_kind_ints:
      case isf_kind_reals: {
        in.require_count(n, value_capacity);
        io::RecordReader r = in.take(4 * static_cast<std::size_t>(n));
        if (t == isf_kind_reals) {
          r.f32s(std::span<float>(b.reals).first(static_cast<std::size_t>(n)));
          isfdmp_reals(" DATA  ", b.reals, n, page, lines, monout);
        } else {
          r.i32s(std::span<std::int32_t>(b.ints).first(static_cast<std::size_t>(n)));
          isfdmp_ints(" DATA  ", b.ints, n, page, lines, monout);
        }
        break;
      }
      default: {  // a row: n reals, its number and its name
        in.require_count(n, value_capacity);
        io::RecordReader r = in.take(4 * static_cast<std::size_t>(n) + 4 + isf_name_length);
        r.f32s(std::span<float>(b.reals).first(static_cast<std::size_t>(n)));
        const std::int32_t number = r.i32();
        const std::string name = r.text(isf_name_length);
        isfdmp_rows(" DATA  ", b.reals, n, number, name, page, lines, monout);
        break;
      }
    }
  }
}

}  // namespace

void ISFDMP(std::int32_t& page, std::int32_t& lines, std::int32_t monout) {
  const std::int32_t w = get_ncline() - 1;
  if (!isf_ready()) {
    PAGER(-2, page, lines, monout);
    pr_line(-1, w, "ISFCOM DESTROYED.", page, lines, monout);
    stop_run();
  }
  const std::int32_t unit = isf_unit();
  PAGER(0, page, lines, monout);
  PAGER(-2, page, lines, monout);
  pr_line(0, w, "Contents of Intermediate Storage File", page, lines, monout);

  Buffers b;
  for (std::int32_t i = 1; i <= isf_count(); ++i) {
    const std::int32_t loc = isf_label_loc(i);
    const std::string lab = isf_label_name(i);

    std::int32_t n = 0;
    b.words[0] = std::string(isf_label_length, ' ');
    rwhdr(b.words, n, unit, 0, loc);
    if (!io::padded_equal(b.words[0], lab) || n != 1) {
      const std::string text =
          io::format_line("(\" BAD ISF HEADER RECORD (\",A6,2X,A6,\")\")", {b.words[0], lab});
      PAGER(-2, page, lines, monout);
      pr_line(-1, w, text, page, lines, monout);
      stream_dump(unit, monout);
      stop_run();
    }
    isfdmp_words(" LABEL ", b.words, n, page, lines, monout);

    std::int32_t c = 0;
    rwreci(b.ints, c, unit, 0);
    isfdmp_ints(" KPAR  ", b.ints, c, page, lines, monout);
    kpar_to_console(b.ints, c);
    // The row entries say by their fifth dimension word which records precede the rows.
    const std::int32_t d5 = c >= 5 ? b.ints[4] : 0;

    std::int32_t m = 0;
    rwreci(b.ints, m, unit, 0);
    const std::int32_t t = m >= 1 ? b.ints[0] : 0;
    if (m != 1 || t < isf_kind_words || t > isf_kind_row) {
      const std::string text =
          io::format_line("(\"BAD ISF TYPE RECORD (\",I5,2X,I5,\")\")", {m, t});
      PAGER(-2, page, lines, monout);
      pr_line(-1, w, text, page, lines, monout);
      stop_run();
    }
    const std::int32_t type_value[1] = {t};
    isfdmp_ints(" TYPE  ", type_value, 1, page, lines, monout);

    if (t == isf_kind_membership) {
      std::int32_t k = 0;
      rwreci(b.ints, k, unit, 0);
      isfdmp_ints(" LENGTH", b.ints, k, page, lines, monout);
      rwrecn(b.names, k, unit, 0);
      isfdmp_names(" NAME  ", b.names, k, page, lines, monout);
      rwreci(b.ints, k, unit, 0);
      isfdmp_ints(" ORDER ", b.ints, k, page, lines, monout);
    } else if (t == isf_kind_row) {
      std::int32_t k = 0;
      if (d5 > 0) {
        rwrecn(b.names, k, unit, 0);
        isfdmp_names(" NAME  ", b.names, k, page, lines, monout);
      }
      if (d5 == 2) {
        rwreci(b.ints, k, unit, 0);
        isfdmp_ints(" ORDER ", b.ints, k, page, lines, monout);
      }
    }

    EntryReader in(unit, lab);
    list_data_records(in, t, b, page, lines, monout);
  }

  PAGER(-2, page, lines, monout);
  pr_line(0, w, "ISF Dump Complete", page, lines, monout);
  PAGER(-2, page, lines, monout);
}

}  // namespace korvex
