// The ISF record layer: the nine routines that move one record (ITYPE, n and n items, all
// little-endian) between memory and an unformatted unit. On the ISF's stream unit they work
// at the unit's byte position; on a sequential unit (binary permanent file, trailers) each
// call is one sequential record with the same bytes. Everything the ISF holds passes here;
// long runs of equal real records may also be read in one transfer (read_real_run).
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/layout.hpp"
#include "io/record_file.hpp"
#include "storage/isf_internal.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

// Positions are int32 for every caller (rwpos, ISFCOM); the byte behind the last record must
// still have one.
constexpr std::int64_t last_position = std::numeric_limits<std::int32_t>::max();

constexpr std::int32_t write_mode = 1;

// The routines query the ISF position around their transfers only for its diagnostics.
void probe_position(std::int32_t unit) {
  if (unit == 1) (void)rwpos();
}

// Writes one built record at the unit's position (stream) or as the next record
// (sequential). Throws io::IoError when the position behind the record would pass 2^31 - 1
// or the file cannot be written.
void put_record(std::int32_t unit, const io::RecordWriter& record) {
  const auto& bytes = record.data();
  if (!is_stream_unit(unit)) {
    sequential_file(unit).write(record);
    return;
  }
  const std::int64_t pos = stream_position(unit);
  const auto size = static_cast<std::int64_t>(bytes.size());
  if (pos + size > last_position) {
    throw io::IoError("ISF record of " + std::to_string(size) + " bytes at position " +
                          std::to_string(pos) + " of unit " + std::to_string(unit) +
                          " would pass position 2147483647",
                      EFBIG);
  }
  stream_file(unit).write(pos, bytes);
  set_stream_position(unit, pos + size);
}

// Stops a write whose count does not match the caller's array.
void require_items(std::string_view routine, std::int32_t n, std::size_t size) {
  isf_detail::require_room(routine, "items to write", 0, n, size);
}

// One record being read: its head first, then (once kind and count are checked) its items.
// Every shortfall (end of file before or inside the record, a count that does not fit the
// caller's array) stops the run with a message naming the routine and the place.
class RecordIn {
 public:
  RecordIn(std::int32_t unit, std::string_view routine)
      : unit_(unit), routine_(routine), stream_(is_stream_unit(unit)) {}

  // ITYPE and n of the next record.
  void head(std::int32_t& itype, std::int32_t& n) {
    std::vector<std::byte> bytes(8);
    if (stream_) {
      pos_ = stream_position(unit_);
      if (!stream_file(unit_).read(pos_, bytes)) fail("end of file before the record");
    } else {
      if (sequential_file(unit_).read(record_) != 0) fail("end of file before the record");
      if (record_.size() < 8) fail("record too short for its kind and count");
      bytes.assign(record_.begin(), record_.begin() + 8);
    }
    io::RecordReader r(std::move(bytes));
    itype = r.i32();
    n = r.i32();
  }

  // Stops unless 0 <= n <= capacity.
  void check_count(std::int32_t n, std::size_t capacity) {
    if (n < 0 || static_cast<std::size_t>(n) > capacity) {
      fail("stored count " + std::to_string(n) + " exceeds room for " + std::to_string(capacity) +
           " items");
    }
  }

  // Stops unless the record's `size` item bytes lie within the file (sequential: within
  // the record). For counts no caller's array bounds, before room is made for them.
  void require_in_file(std::size_t size) {
    if (stream_) {
      if (pos_ + 7 + static_cast<std::int64_t>(size) > stream_file(unit_).size()) {
        fail("end of file inside the record");
      }
    } else if (record_.size() - 8 < size) {
      fail("record shorter than its items");
    }
  }

  // The next `size` bytes behind the head; a stream unit is left just behind them.
  io::RecordReader body(std::size_t size) {
    std::vector<std::byte> bytes;
    if (stream_) {
      const std::int64_t start = pos_ + 8;
      bytes.resize(size);
      if (!stream_file(unit_).read(start, bytes)) fail("end of file inside the record");
      set_stream_position(unit_, start + static_cast<std::int64_t>(size));
    } else {
      if (record_.size() - 8 < size) fail("record shorter than its items");
      bytes.assign(record_.begin() + 8, record_.begin() + 8 + static_cast<std::ptrdiff_t>(size));
    }
    return io::RecordReader(std::move(bytes));
  }

  [[noreturn]] void fail(const std::string& what) const {
    std::string where = stream_ ? "record at byte " + std::to_string(pos_) + " of unit "
                                : "record of unit ";
    proc_error(routine_ + ": " + what + " (" + where + std::to_string(unit_) + ")");
  }

 private:
  std::int32_t unit_;
  std::string routine_;
  bool stream_;
  std::int64_t pos_ = 0;
  std::vector<std::byte> record_;
};

}  // namespace

std::int32_t rwpos(std::string_view /*tag*/) {
  int status = 0;
  std::string message;
  try {
    if (!is_stream_unit(1)) {
      status = EBADF;
      message = "unit 1 is not an open stream unit";
    } else {
      const std::int64_t pos = stream_position(1);
      if (pos >= 1 && pos <= last_position) return static_cast<std::int32_t>(pos);
      status = EFBIG;
      message = "position " + std::to_string(pos) + " of unit 1 is outside 1..2147483647";
    }
  } catch (const io::IoError& e) {
    status = e.status();
    message = e.what();
  }
  io::out_line(io::free_line({"IOSTAT:", status}));
  io::out_line(io::free_line({"IOMSG: ", message.substr(0, 160)}));
  return 0;
}

void rweof(std::int32_t unit, std::int32_t mode) {
  if (mode != write_mode) return;
  io::RecordWriter record;
  record.i32(isf_kind_end).i32(0).i32(0).text("", 20);
  put_record(unit, record);
  probe_position(unit);
}

namespace {

// Words of 6 characters under kind `kind`: the kind 1 record, and the header when `loc`
// is given (it then appears in the diagnostic line of a wrong kind).
void transfer_words(std::string_view routine, std::int32_t kind, std::int32_t code,
                    std::span<std::string> words, std::int32_t& n, std::int32_t unit,
                    std::int32_t mode, const std::int32_t* loc) {
  if (mode == write_mode) {
    require_items(routine, n, words.size());
    io::RecordWriter record;
    record.i32(kind).i32(n);
    for (std::int32_t i = 0; i < n; ++i) record.text(words[i], isf_label_length);
    put_record(unit, record);
    return;
  }
  RecordIn in(unit, routine);
  std::int32_t itemp = 0;
  std::int32_t count = 0;
  in.head(itemp, count);
  if (itemp != kind) {
    io::out_line(io::free_line({}));
    if (loc == nullptr) {
      io::out_line(io::free_line({"itemp:", itemp, " itype:", kind}));
    } else {
      io::out_line(io::free_line({"itemp:", itemp, " itype:", kind, " iloc:", *loc}));
    }
    QUIT(code);
  }
  in.check_count(count, words.size());
  auto r = in.body(isf_label_length * static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) words[i] = r.text(isf_label_length);
  n = count;
}

}  // namespace

void rwhdr(std::span<std::string> words, std::int32_t& n, std::int32_t unit, std::int32_t mode,
           std::int32_t loc) {
  probe_position(unit);
  if (is_stream_unit(unit)) set_stream_position(unit, loc);
  transfer_words("rwhdr", isf_kind_header, 5018, words, n, unit, mode, &loc);
  probe_position(unit);
}

void rwreca(std::span<std::string> words, std::int32_t& n, std::int32_t unit, std::int32_t mode) {
  probe_position(unit);
  transfer_words("rwreca", isf_kind_words, 5011, words, n, unit, mode, nullptr);
  probe_position(unit);
}

void rwrecn(std::span<std::string> names, std::int32_t& n, std::int32_t unit, std::int32_t mode) {
  probe_position(unit);
  if (mode == write_mode) {
    require_items("rwrecn", n, names.size());
    io::RecordWriter record;
    record.i32(isf_kind_names).i32(n);
    for (std::int32_t i = 0; i < n; ++i) record.text(names[i], isf_name_length);
    put_record(unit, record);
  } else {
    RecordIn in(unit, "rwrecn");
    std::int32_t itemp = 0;
    std::int32_t count = 0;
    in.head(itemp, count);
    if (itemp != isf_kind_names) QUIT(5012);
    in.check_count(count, names.size());
    auto r = in.body(isf_name_length * static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) names[i] = r.text(isf_name_length);
    n = count;
  }
  probe_position(unit);
}

void rwreci(std::span<std::int32_t> iv, std::int32_t& n, std::int32_t unit, std::int32_t mode) {
  probe_position(unit);
  if (mode == write_mode) {
    require_items("rwreci", n, iv.size());
    io::RecordWriter record;
    record.i32(isf_kind_ints).i32(n).i32s(iv.first(static_cast<std::size_t>(n)));
    put_record(unit, record);
  } else {
    RecordIn in(unit, "rwreci");
    std::int32_t itemp = 0;
    std::int32_t count = 0;
    in.head(itemp, count);
    if (itemp != isf_kind_ints) QUIT(5013);
    in.check_count(count, iv.size());
    in.body(4 * static_cast<std::size_t>(count)).i32s(iv.first(static_cast<std::size_t>(count)));
    n = count;
  }
  probe_position(unit);
}

void rwrecr(std::span<float> x, std::int32_t& n, std::int32_t unit, std::int32_t mode) {
  probe_position(unit);
  if (mode == write_mode) {
    require_items("rwrecr", n, x.size());
    io::RecordWriter record;
    record.i32(isf_kind_reals).i32(n).f32s(x.first(static_cast<std::size_t>(n)));
    put_record(unit, record);
  } else {
    RecordIn in(unit, "rwrecr");
    std::int32_t itemp = 0;
    std::int32_t count = 0;
    in.head(itemp, count);
    if (itemp != isf_kind_reals) QUIT(5014);
    in.check_count(count, x.size());
    in.body(4 * static_cast<std::size_t>(count)).f32s(x.first(static_cast<std::size_t>(count)));
    n = count;
  }
  probe_position(unit);
}

namespace isf_detail {

std::int64_t read_real_run(std::int32_t unit, std::int64_t count, std::int64_t records,
                           std::span<float> a) {
  if (count <= 0 || records <= 0 || !is_stream_unit(unit)) return 0;
  const std::int64_t record_bytes = 8 + 4 * count;
  const std::int64_t pos = stream_position(unit);
  io::StreamFile& file = stream_file(unit);
  const std::int64_t in_file = std::max<std::int64_t>(0, file.size() - (pos - 1));
  records = std::min({records, in_file / record_bytes,
                      static_cast<std::int64_t>(a.size()) / count});
  if (records <= 0) return 0;
  std::vector<std::byte> bytes(static_cast<std::size_t>(records * record_bytes));
  if (!file.read(pos, bytes)) return 0;
  io::RecordReader r(std::move(bytes));
  std::int64_t moved = 0;
  for (; moved < records; ++moved) {
    const std::int32_t kind = r.i32();
    const std::int32_t n = r.i32();
    if (kind != isf_kind_reals || n != count) break;
    r.f32s(a.subspan(static_cast<std::size_t>(moved * count), static_cast<std::size_t>(count)));
  }
  set_stream_position(unit, pos + moved * record_bytes);
  return moved;
}

}  // namespace isf_detail

void rwrecd(std::span<float> x, std::int32_t& n, std::string& name, std::int32_t& ival,
            std::int32_t unit, std::int32_t mode) {
  probe_position(unit);
  if (mode == write_mode) {
    require_items("rwrecd", n, x.size());
    io::RecordWriter record;
    record.i32(isf_kind_row).i32(n).f32s(x.first(static_cast<std::size_t>(n)));
    record.i32(ival).text(name, isf_name_length);
    put_record(unit, record);
  } else {
    RecordIn in(unit, "rwrecd");
    std::int32_t itemp = 0;
    std::int32_t count = 0;
    in.head(itemp, count);
    if (itemp != isf_kind_row) QUIT(5016);
    in.check_count(count, x.size());
    auto r = in.body(4 * static_cast<std::size_t>(count) + 4 + isf_name_length);
    r.f32s(x.first(static_cast<std::size_t>(count)));
    ival = r.i32();
    name = r.text(isf_name_length);
    n = count;
  }
  probe_position(unit);
}

void rwrecs(std::string& text, std::int32_t& n, std::int32_t unit, std::int32_t mode) {
  probe_position(unit);
  if (mode == write_mode) {
    io::RecordWriter record;
    record.i32(isf_kind_header).i32(static_cast<std::int32_t>(text.size()));
    record.text(text, text.size());
    put_record(unit, record);
  } else {
    RecordIn in(unit, "rwrecs");
    std::int32_t itemp = 0;
    std::int32_t count = 0;
    in.head(itemp, count);
    if (itemp != isf_kind_header) QUIT(5017);
    // A text takes any length; only a negative count, or one the file cannot hold, is damage.
    in.check_count(count, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()));
    in.require_in_file(static_cast<std::size_t>(count));
    text = in.body(static_cast<std::size_t>(count)).text(static_cast<std::size_t>(count));
    n = count;
  }
  probe_position(unit);
}

}  // namespace korvex
