// Unit positioning and zero marker records on top of the unit table's open files (see
// positioning.hpp). None of these routines reports on its own: a failing file operation
// surfaces as io::IoError from the record layer, and the run stops on it.
#include "executive/positioning.hpp"

#include <cstddef>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "io/record_file.hpp"

namespace korvex {

namespace {

// True when the unit belongs to an open row of formatted form.
bool is_text_unit(std::int32_t unit) {
  for (std::int32_t row = 1; row <= unit_count(); ++row) {
    const unit_entry& e = unit_row(row);
    if (e.unit == unit && e.open_count > 0) return e.form == form_formatted;
  }
  return false;
}

// The first four bytes of a record as a little-endian int32; false when there are fewer.
bool first_word(const std::vector<std::byte>& record, std::int32_t& word) {
  if (record.size() < 4) return false;
  std::uint32_t u = 0;
  for (std::size_t i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(record[i]) << (8 * i);
  word = static_cast<std::int32_t>(u);
  return true;
}

}  // namespace

void rewind_unit(std::int32_t unit) { rewind_open_unit(unit); }

void endfile_unit(std::int32_t unit) {
  if (is_text_unit(unit)) return;
  sequential_file(unit).end_file();
}

void write_zero_record(std::int32_t unit) {
  io::RecordWriter record;
  record.i32(0);
  sequential_file(unit).write(record);
}

void skip_to_zero_record(std::int32_t unit) {
  io::SequentialFile& file = sequential_file(unit);
  std::vector<std::byte> record;
  for (;;) {
    if (file.read(record) != 0) {
      throw io::IoError("skip_to_zero_record: end of file on unit " + std::to_string(unit) +
                            " (" + file.path() + ") before a zero record",
                        1);
    }
    std::int32_t word = 0;
    if (first_word(record, word) && word == 0) return;
  }
}

}  // namespace korvex
