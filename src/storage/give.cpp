// The binary permanent file: *GIVE copies every ISF entry, record by record, to an
// unformatted sequential file; *TAKE reads such a file back entry by entry. Both read the
// records with their own checked reads, so that they can report a damaged record themselves.
#include "storage/give.hpp"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/positioning.hpp"
#include "executive/progress.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

// GIVE and TAKE hold one record at a time in buffers of this many items.
constexpr std::int32_t record_buffer_items = 1000;

std::int32_t item_bytes(std::int32_t kind) {
  switch (kind) {
    case isf_kind_words: return 6;
    case isf_kind_names: return 20;
    case isf_kind_ints:
    case isf_kind_reals: return 4;
    default: return 0;
  }
}

std::int32_t int_at(const std::vector<std::byte>& b, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[offset + i]);
  return static_cast<std::int32_t>(v);
}

std::string text_at(const std::vector<std::byte>& b, std::size_t offset, std::size_t length) {
  std::string s(length, ' ');
  std::memcpy(s.data(), b.data() + offset, length);
  return s;
}

// Reads `size` bytes of the ISF at its current position and moves the position past them.
std::vector<std::byte> read_isf_bytes(std::int32_t isf, std::size_t size) {
  std::vector<std::byte> bytes(size);
  const std::int64_t pos = stream_position(isf);
  if (!stream_file(isf).read(pos, bytes)) {
    proc_error("GIVE: The ISF ends inside a record at byte " + std::to_string(pos) + ".");
  }
  set_stream_position(isf, pos + static_cast<std::int64_t>(size));
  return bytes;
}

// One ISF data record of kind `kind`, or an END record: ITYPE, n and the items as they are
// stored. The count is checked against the buffer before the items are read.
std::vector<std::byte> read_isf_record(std::int32_t isf, std::int32_t kind) {
  std::vector<std::byte> record = read_isf_bytes(isf, 8);
  const std::int32_t itype = int_at(record, 0);
  const std::int32_t n = int_at(record, 4);
  std::size_t rest = 0;
  if (itype == isf_kind_end) {
    rest = 24;
  } else if (itype == kind) {
    if (n < 0 || n > record_buffer_items) {
      proc_error("GIVE: Damaged ISF record at byte " + std::to_string(stream_position(isf) - 8) +
                 ": " + std::to_string(n) + " items do not fit the buffer of 1000.");
    }
    rest = static_cast<std::size_t>(n) * static_cast<std::size_t>(item_bytes(kind));
  }
  const std::vector<std::byte> items = read_isf_bytes(isf, rest);
  record.insert(record.end(), items.begin(), items.end());
  return record;
}

void listing_block(std::int32_t& page, std::int32_t& lines, std::int32_t monout) {
  PAGER(-2, page, lines, monout);
  PAGER(1, page, lines, monout);
}

// The damage report of GIVE: the listing lines, then the run ends without a further message.
[[noreturn]] void give_damage(std::int32_t& page, std::int32_t& lines, std::int32_t monout) {
  PAGER(-1, page, lines, monout);
  stop_run();
}

// Reads the next record of the TAKE file, checking its frame against the buffer.
std::vector<std::byte> read_take_record(std::int32_t take_unit, std::int32_t kind_for_count) {
  std::vector<std::byte> record;
  if (sequential_file(take_unit).read(record) != 0) {
    proc_error("TAKE: End of file reached before the closing END record of the file TAKE.");
  }
  if (record.size() < 8) proc_error("TAKE: Damaged record in the file TAKE (shorter than 8 bytes).");
  const std::int32_t itype = int_at(record, 0);
  const std::int32_t n = int_at(record, 4);
  const std::int32_t kind = itype == isf_kind_end ? isf_kind_end : kind_for_count;
  if (kind != isf_kind_end && itype == kind) {
    if (n < 0 || n > record_buffer_items) {
      proc_error("TAKE: A record of " + std::to_string(n) + " items does not fit the buffer of 1000 items.");
    }
    const std::size_t need = 8 + static_cast<std::size_t>(n) * static_cast<std::size_t>(item_bytes(kind));
    if (record.size() < need) proc_error("TAKE: Damaged record in the file TAKE (shorter than its count).");
    record.resize(need);
  }
  return record;
}

// Writes record bytes (ITYPE, n, items) at the ISF's current position.
void write_isf_bytes(std::int32_t isf, const std::vector<std::byte>& bytes) {
  const std::int64_t pos = stream_position(isf);
  stream_file(isf).write(pos, bytes);
  set_stream_position(isf, pos + static_cast<std::int64_t>(bytes.size()));
}

// One progress line for the whole GIVE that names the entries it left out, so that the
// console alone shows that the saved file is not the whole ISF. Nothing when none was.
void report_left_out(const std::vector<std::string>& labels) {
  if (labels.empty()) return;
  std::string names = labels.front();
  for (std::size_t i = 1; i < labels.size(); ++i) {
    names += (i + 1 == labels.size() ? " and " : ", ") + labels[i];
  }
  progress_line(labels.size() == 1
                    ? " *GIVE: " + names + " was not saved (an object-typing entry cannot be kept)."
                    : " *GIVE: " + names + " were not saved (object-typing entries cannot be kept).",
                get_unit("MONERR"));
}

}  // namespace

void GIVE(std::int32_t give_unit, std::int32_t& page, std::int32_t& lines, std::int32_t monout) {
  if (!isf_ready()) {
    listing_block(page, lines, monout);
    write_formatted(monout, "(1x,A)", {"ISF tables corrupted."});
    PAGER(-2, page, lines, monout);
    stop_run();
  }
  const std::int32_t isf = isf_unit();
  begin_unit_replacement(give_unit);
  listing_block(page, lines, monout);
  write_formatted(monout, "(\" Output of Binary Permanent File Begins\" )");
  PAGER(-1, page, lines, monout);

  std::vector<std::string> word(1, std::string(6, ' '));
  std::vector<std::string> left_out;  // the object-typing entries, for the console line
  std::vector<std::int32_t> kpar(record_buffer_items);
  std::vector<std::int32_t> type(record_buffer_items);
  for (std::int32_t i = 1; i <= isf_count(); ++i) {
    const std::int32_t loc = isf_label_loc(i);
    const std::string label = isf_label_name(i);
    std::int32_t n = 1;
    rwhdr(word, n, isf, 0, loc);
    if (!io::padded_equal(word[0], label) || n != 1) {
      listing_block(page, lines, monout);
      write_formatted(monout, "(\" BAD ISF HEADER RECORD (\", A6,\")\")", {word[0]});
      write_formatted(monout, "(\" Diagnostic Data  LABEL: \", A6)", {label});
      write_formatted(monout, "(\"                     N: \", I6)", {n});
      give_damage(page, lines, monout);
    }
    std::int32_t c = 0;
    rwreci(kpar, c, isf, 0);
    std::int32_t nt = 0;
    rwreci(type, nt, isf, 0);
    const std::int32_t t = nt >= 1 ? type[0] : 0;
    if (nt == 1 && (t == isf_kind_membership || t == isf_kind_row)) {
      // Object-typing entries cannot be restored by TAKE: they are left out, with a line.
      PAGER(1, page, lines, monout);
      write_formatted(monout, "(16X,A6,' not saved: an object-typing entry cannot be kept.')", {label});
      left_out.emplace_back(io::trim_right(label));
      continue;
    }
    if (nt != 1 || t < 1 || t > 4) {
      listing_block(page, lines, monout);
      write_formatted(monout, "(\" BAD ISF TYPE RECORD (\", I5, 2X, I5, \")\")", {nt, t});
      give_damage(page, lines, monout);
    }
    PAGER(1, page, lines, monout);
    write_formatted(monout, "(16X,A6)", {label});
    std::int32_t one = 1;
    rwreca(word, one, give_unit, 1);
    rwreci(kpar, c, give_unit, 1);
    rwreci(type, nt, give_unit, 1);
    for (;;) {
      const std::int64_t record_pos = stream_position(isf);
      const std::vector<std::byte> record = read_isf_record(isf, t);
      const std::int32_t itype = int_at(record, 0);
      const std::int32_t count = int_at(record, 4);
      if (itype == isf_kind_end) {
        const std::int32_t z = int_at(record, 8);
        const std::string blanks = text_at(record, 12, 20);
        if (count == 0 && z == 0 && blanks == std::string(20, ' ')) {
          rweof(give_unit, 1);
          break;
        }
        listing_block(page, lines, monout);
        write_formatted(monout, "(\" BAD 'END OF FILE' RECORD:\" /     \" ITEMP:\", I5 / \"     N:\", I5 )",
                        {itype, count});
        write_formatted(monout, "(\"N:\",z9.8)", {count});
        const std::int64_t from = record_pos > 1 ? record_pos : 1;  // the 32 bytes before the position
        std::vector<std::byte> before(32);
        if (stream_file(isf).read(from, before)) {
          std::vector<io::Value> values;
          for (std::byte b : before) values.emplace_back(static_cast<int>(b));
          write_formatted(monout, "(16z3.2)", values);
        }
        give_damage(page, lines, monout);
      }
      if (itype != t) {
        listing_block(page, lines, monout);
        write_formatted(monout, "(\" BAD ISF DATA RECORD:\" /     \" ITYPE:\", I5 / \" ITEMP:\", I5 )", {t, itype});
        give_damage(page, lines, monout);
      }
      sequential_file(give_unit).write(record);
    }
  }
  rweof(give_unit, 1);
  endfile_unit(give_unit);
  commit_unit_replacement(give_unit);
  rewind_unit(give_unit);
  rewind_unit(isf);
  listing_block(page, lines, monout);
  write_formatted(monout, "(\" Output of Binary Permanent File Ends\")");
  PAGER(-2, page, lines, monout);
  report_left_out(left_out);
}

void TAKE(std::int32_t take_unit, std::int32_t& failed, std::int32_t& page, std::int32_t& lines,
          std::int32_t monout) {
  failed = 1;
  if (!isf_ready()) {
    listing_block(page, lines, monout);
    write_formatted(monout, "(A)", {" YOU PROBABLY FORGOT YOUR  *START  COMMAND."});
    return;
  }
  const std::int32_t isf = isf_unit();
  rewind_unit(take_unit);  // a second *TAKE reads the file from its start
  listing_block(page, lines, monout);
  write_formatted(monout, "(A)", {" Input of Binary Permanent File Begins"});
  PAGER(-1, page, lines, monout);
  for (;;) {
    const std::vector<std::byte> label_record = read_take_record(take_unit, isf_kind_words);
    const std::int32_t itype = int_at(label_record, 0);
    const std::int32_t n = int_at(label_record, 4);
    if (itype == isf_kind_end) {
      isf_set_iwrite();
      listing_block(page, lines, monout);
      write_formatted(monout, "(A)", {" Input of Binary Permanent File Completed"});
      PAGER(-3, page, lines, monout);
      failed = 0;
      return;
    }
    if (itype != isf_kind_words || n != 1) {
      listing_block(page, lines, monout);
      write_formatted(monout, "( \" BAD LABEL RECORD (\", I5, 2X, I5, \")\")", {itype, n});
      return;
    }
    std::vector<std::string> label(1, text_at(label_record, 8, 6));
    isf_add_label(label[0], page, lines, monout);
    PAGER(1, page, lines, monout);
    write_formatted(monout, "(16X, A6)", {label[0]});
    std::int32_t one = 1;
    rwhdr(label, one, isf, 1, isf_next_free());

    const std::vector<std::byte> kpar_record = read_take_record(take_unit, isf_kind_ints);
    if (int_at(kpar_record, 0) != isf_kind_ints) {
      listing_block(page, lines, monout);
      write_formatted(monout, "(\" BAD KPAR RECORD (\", I5, \")\")", {int_at(kpar_record, 0)});
      return;
    }
    write_isf_bytes(isf, kpar_record);

    const std::vector<std::byte> type_record = read_take_record(take_unit, isf_kind_ints);
    const std::int32_t type_itype = int_at(type_record, 0);
    const std::int32_t type_n = int_at(type_record, 4);
    const std::int32_t t = type_itype == isf_kind_ints && type_n >= 1 ? int_at(type_record, 8) : 0;
    if (type_itype != isf_kind_ints || type_n != 1 || t < 1 || t > 4) {
      listing_block(page, lines, monout);
      write_formatted(monout, "(\" BAD TYPE RECORD (\", I5, 2X, I5, 2X, I5, \")\")", {type_itype, type_n, t});
      return;
    }
    write_isf_bytes(isf, type_record);

    for (;;) {
      const std::vector<std::byte> record = read_take_record(take_unit, t);
      const std::int32_t kind = int_at(record, 0);
      if (kind == isf_kind_end) {
        filfin(1);
        break;
      }
      if (kind != t) {
        listing_block(page, lines, monout);
        write_formatted(monout, "(\" BAD DATA RECORD (\", I5, 2X, I5, \")\")", {kind, t});
        return;
      }
      write_isf_bytes(isf, record);
    }
  }
}

}  // namespace korvex
