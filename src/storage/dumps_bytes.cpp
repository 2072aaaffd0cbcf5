// The byte-level ISF dumps: *STREAM (the whole file, 16 bytes a line, with runs of equal
// lines folded), *ISF_DE (the unit's properties and a record-by-record vertical hexadecimal
// look), *PR_ISF (the control block on standard output), and the console pause that the
// dumps take after a read failure.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/console.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "io/record_file.hpp"
#include "storage/dumps.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

constexpr std::int64_t stream_block = 4096;  // bytes read and dumped at a time
constexpr std::int32_t group_size = 16;       // bytes of one mem_dump line
constexpr std::int32_t vertical_block = 64;   // bytes of one vertical_hex_dump block
constexpr std::int64_t debug_step = 1000;     // bytes of file per ISF_DEBUG step

const std::string hex_digits = "0123456789ABCDEF";

// Every byte value as a one-character text, so that layout values can view single bytes.
const std::string& all_bytes() {
  static const std::string bytes = [] {
    std::string s(256, ' ');
    for (int i = 0; i < 256; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(i);
    return s;
  }();
  return bytes;
}

std::string_view one_char(unsigned v) { return std::string_view(all_bytes()).substr(v, 1); }
std::string_view high_digit(unsigned v) { return std::string_view(hex_digits).substr(v >> 4, 1); }
std::string_view low_digit(unsigned v) { return std::string_view(hex_digits).substr(v & 15u, 1); }

unsigned byte_value(std::byte b) { return static_cast<unsigned>(b); }

// The character part of a mem_dump line: printable ISO 8859-1 bytes as themselves.
std::string_view shown_char(unsigned v) {
  const bool printable = (v >= 32 && v <= 126) || v >= 160;
  return printable ? one_char(v) : std::string_view(".");
}

std::int32_t int_at(std::span<const std::byte> b, std::size_t offset) {
  std::uint32_t u = 0;
  for (std::size_t i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(b[offset + i]) << (8 * i);
  return static_cast<std::int32_t>(u);
}

}  // namespace

// ---- console pause --------------------------------------------------------------------

void console_pause() {
  io::out_line(io::free_line({" "}));
  std::istream& in = io::console_in();
  // A batch run (input from a file, a pipe or nothing) goes straight on; only a person at a
  // terminal, or a test that supplies its own input, is asked for a line.
  const bool redirected = &in != &std::cin;
  if (!redirected && ::isatty(STDIN_FILENO) == 0) return;
  std::string line;
  if (!std::getline(in, line)) in.clear();
}

// ---- *PR_ISF --------------------------------------------------------------------------

void PR_ISF() {
  const IsfControl& c = isf_control();
  io::out_line(io::free_line({"mtisf:", c.mtisf, " maxlab:", c.maxlab}));
  io::out_line(io::free_line({"iloc:", c.iloc}));
  io::out_line(io::free_line({"nlab:", c.nlab, " iwrite:", c.iwrite}));
  const std::int32_t nlab = std::clamp(c.nlab, 0, isf_maxlab);
  for (std::int32_t i = 0; i < nlab; ++i) {
    io::out_line(io::free_line({c.loc[i], " ", io::pad(c.label[i], isf_label_length)}));
  }
}

// ---- *STREAM --------------------------------------------------------------------------

void mem_dump(std::span<const std::byte> bytes, std::int32_t first, std::int32_t n,
              std::int32_t base, std::int32_t unit) {
  if (first < 1 || static_cast<std::size_t>(first) > bytes.size()) return;
  const auto held = static_cast<std::int64_t>(bytes.size()) - (first - 1);
  const std::int64_t count = std::min<std::int64_t>(n, held);
  std::string previous(group_size, ' ');
  bool marked = false;
  std::vector<io::Value> values;
  for (std::int64_t g = 0; g < count; g += group_size) {
    const auto in_group = static_cast<std::int32_t>(std::min<std::int64_t>(group_size, count - g));
    const std::span<const std::byte> group =
        bytes.subspan(static_cast<std::size_t>(first - 1 + g), static_cast<std::size_t>(in_group));
    std::string line(group_size, ' ');
    for (std::int32_t i = 0; i < in_group; ++i) line[i] = static_cast<char>(group[i]);
    const std::int64_t offset = g + base;
    if (line != previous) {
      values.clear();
      values.emplace_back(offset);
      for (std::int32_t i = 0; i < group_size; ++i) {
        const bool held_here = i < in_group;
        values.emplace_back(held_here ? high_digit(byte_value(group[i])) : " ");
        values.emplace_back(held_here ? low_digit(byte_value(group[i])) : " ");
      }
      for (std::int32_t i = 0; i < group_size; ++i) {
        values.emplace_back(i < in_group ? shown_char(byte_value(group[i])) : " ");
      }
      write_formatted(unit, "(1x,i6,2x,16(1x,a1,a1),2x, 16a1)", values);
      previous = line;
      marked = false;
    } else if (!marked) {
      // The marker stands under the offset's digits.
      const std::string marker(static_cast<std::size_t>(decimal_digits(offset)), 'V');
      write_formatted(unit, "(1x,a6)", {marker});
      marked = true;
    }
  }
}

void stream_dump(std::int32_t isf_unit, std::int32_t monout) {
  io::StreamFile& file = stream_file(isf_unit);
  const std::int64_t size = file.size();
  if (size < 1) return;
  std::vector<std::byte> buffer(static_cast<std::size_t>(stream_block));
  for (std::int64_t pos = 1; pos <= size; pos += stream_block) {
    const std::int64_t n = std::min(size - pos + 1, stream_block);
    const std::span<std::byte> block(buffer.data(), static_cast<std::size_t>(n));
    int status = 0;
    std::string message;
    std::int64_t got = n;
    try {
      if (!file.read(pos, block)) {
        status = -1;
        message = "end of file";
      }
    } catch (const io::IoError& e) {
      status = e.status();
      message = e.what();
    }
    if (status != 0) {
      // Byte by byte, to dump what can be read before the failing byte.
      for (got = 0; got < n; ++got) {
        try {
          if (!file.read(pos + got, block.subspan(static_cast<std::size_t>(got), 1))) break;
        } catch (const io::IoError&) {
          break;
        }
      }
    }
    mem_dump(block, 1, static_cast<std::int32_t>(got), 1, monout);
    set_stream_position(isf_unit, pos + got);
    if (status != 0) {
      io::out_line(io::free_line({"READ"}));
      io::out_line(io::free_line({"IOSTAT:", status}));
      io::out_line(io::free_line({"IOMSG: ", message.substr(0, 240)}));
      console_pause();
      return;
    }
  }
}

// ---- *ISF_DE --------------------------------------------------------------------------

void vertical_hex_dump(std::span<const std::byte> bytes, std::int32_t n, std::int32_t unit) {
  const std::int64_t count = std::min<std::int64_t>(n, static_cast<std::int64_t>(bytes.size()));
  std::vector<io::Value> chars;
  std::vector<io::Value> highs;
  std::vector<io::Value> lows;
  for (std::int64_t b = 0; b < count; b += vertical_block) {
    chars.clear();
    highs.clear();
    lows.clear();
    const std::int64_t end = std::min<std::int64_t>(b + vertical_block, count);
    for (std::int64_t i = b; i < end; ++i) {
      const unsigned v = byte_value(bytes[static_cast<std::size_t>(i)]);
      io::out_line(io::format_line("(z2)", {static_cast<int>(v)}));
      chars.emplace_back(v > 31 ? one_char(v) : std::string_view("."));
      highs.emplace_back(high_digit(v));
      lows.emplace_back(low_digit(v));
    }
    write_formatted(unit, "(16(4A1,:,1x))", chars);
    write_formatted(unit, "(16(4A1,:,1x))", highs);
    write_formatted(unit, "(16(4A1,:,1x))", lows);
  }
}

namespace {

// What the unit table knows of an open unit, in the words of a file inquiry.
struct UnitProperties {
  std::string access = "UNKNOWN";
  std::string action = "UNKNOWN";
  std::string encoding = "UNKNOWN";
  std::string form = "UNKNOWN";
};

UnitProperties properties_of(std::int32_t unit) {
  UnitProperties p;
  for (std::int32_t row = 1; row <= unit_count(); ++row) {
    const unit_entry& e = unit_row(row);
    if (e.unit != unit || e.open_count < 1) continue;
    p.access = e.access == access_stream   ? "STREAM"
               : e.access == access_direct ? "DIRECT"
                                           : "SEQUENTIAL";
    p.action = e.type == type_input ? "READ" : e.type == type_output ? "WRITE" : "READWRITE";
    p.form = e.form == form_formatted ? "FORMATTED" : "UNFORMATTED";
    p.encoding = e.form == form_formatted ? "DEFAULT" : "UNDEFINED";
    break;
  }
  return p;
}

// The record routine that handles each kind, as the step line names it.
std::string_view kind_name(std::int32_t kind) {
  static constexpr std::string_view names[] = {" eof  ", "rwreca", "rwrecn", "rwreci",
                                                "rwrecr", "un def", "rerecd", "rwrecs"};
  if (kind < 0 || kind > 7) return "??????";
  return names[kind];
}

// The length in bytes of a record of this kind and count; -1 when it cannot be known (no
// record has kind 5 or a kind outside 0..7, and no count is negative). Kind 7 is taken as
// the entry header, the only kind-7 record the ISF holds.
std::int64_t record_length(std::int32_t kind, std::int32_t n) {
  if (kind == isf_kind_end) return 32;
  if (n < 0) return -1;
  const std::int64_t count = n;
  switch (kind) {
    case isf_kind_words:
    case isf_kind_header: return 8 + 6 * count;
    case isf_kind_names: return 8 + 20 * count;
    case isf_kind_ints:
    case isf_kind_reals: return 8 + 4 * count;
    case isf_kind_row: return 8 + 4 * count + 24;
    default: return -1;
  }
}

// A read failure of ISF_DEBUG: the status on standard output, a pause, and the run ends.
[[noreturn]] void debug_read_failed(const io::IoError& e) {
  io::out_line(io::free_line({"IOSTAT:", e.status()}));
  io::out_line(io::free_line({"IOMSG: ", std::string(e.what()).substr(0, 120)}));
  console_pause();
  stop_run();
}

// Up to `want` bytes at pos (fewer at the end of the file).
std::vector<std::byte> read_upto(io::StreamFile& file, std::int64_t size, std::int64_t pos,
                                 std::int64_t want) {
  const std::int64_t n = std::max<std::int64_t>(0, std::min(want, size - pos + 1));
  std::vector<std::byte> bytes(static_cast<std::size_t>(n));
  try {
    if (!file.read(pos, bytes)) bytes.clear();
  } catch (const io::IoError& e) {
    debug_read_failed(e);
  }
  return bytes;
}

}  // namespace

void ISF_DEBUG(std::int32_t& /*page*/, std::int32_t& /*lines*/, std::int32_t monout) {
  const std::int32_t unit = isf_unit();
  const UnitProperties p = properties_of(unit);
  const bool stream = is_stream_unit(unit);
  std::int64_t position = 0;
  std::int64_t size = 0;
  if (stream) {
    try {
      position = stream_position(unit);
      size = stream_file(unit).size();
    } catch (const io::IoError& e) {
      debug_read_failed(e);
    }
  }
  write_record(monout, io::free_line({"ACCESS:   ", io::pad(p.access, 12)}));
  write_record(monout, io::free_line({"ACTION:   ", io::pad(p.action, 12)}));
  write_record(monout, io::free_line({"ENCODING: ", io::pad(p.encoding, 12)}));
  write_record(monout, io::free_line({"FORM:     ", io::pad(p.form, 12)}));
  write_record(monout, io::free_line({"POS: ", position}));
  write_record(monout, io::free_line({"SIZE:", size}));
  if (size < 1) return;

  io::StreamFile& file = stream_file(unit);
  // The look always starts at the first record, wherever earlier work left the unit.
  std::int64_t pos = 1;
  for (std::int64_t i = 1; i <= size; i += debug_step) {
    if (pos > size) break;  // the end of the file ends the dump
    set_stream_position(unit, pos);
    io::out_line(io::free_line({"i:", i, " POS:", pos}));
    const std::vector<std::byte> head = read_upto(file, size, pos, 8);
    if (head.size() < 4) break;  // a kind cut off by the end of the file
    const std::int32_t kind = int_at(head, 0);
    vertical_hex_dump(head, static_cast<std::int32_t>(head.size()), monout);
    const std::int64_t length = head.size() == 8 ? record_length(kind, int_at(head, 4)) : -1;
    io::out_line(io::free_line({"rec_type:", kind_name(kind), " (", kind, ")", " rec_len:",
                                length < 0 ? 0 : length}));
    if (kind == isf_kind_end) {
      const std::vector<std::byte> rest = read_upto(file, size, pos + 8, 5);
      if (rest.size() >= 4 && int_at(rest, 0) != 0) {
        io::out_line(io::free_line({"int did not contain a zero:", int_at(rest, 0)}));
      }
      if (rest.size() == 5 && static_cast<char>(rest[4]) != ' ') {
        const std::string_view c = one_char(byte_value(rest[4]));
        io::out_line(io::free_line({"char did not contain a blank:", c}));
      }
    }
    if (length < 0) break;  // the next record cannot be found
    pos += length;
  }
  set_stream_position(unit, std::min(pos, size + 1));
}

}  // namespace korvex
