// The symbolic unit table: every file of the run is reached through a 6-character unit name
// (MONIN, MONOUT, MTIST ...) that get_unit turns into a unit number, opening the file on the
// first request. The open files themselves are held here too, by unit number, so callers
// read and write records through the number alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "io/layout.hpp"
#include "io/record_file.hpp"

namespace korvex {

enum UnitDuration : std::int32_t { duration_run = 1, duration_component = 2 };
enum UnitType : std::int32_t { type_input = 1, type_output = 2, type_temporary = 3 };
enum UnitForm : std::int32_t { form_unformatted = 1, form_formatted = 2 };
enum UnitAccess : std::int32_t { access_sequential = 1, access_direct = 2, access_stream = 3 };

struct unit_entry {
  std::string name = std::string(6, ' ');  // 6 characters, blank-padded
  std::int32_t unit = -1;
  std::int32_t open_count = 0;
  std::int32_t duration = 0;
  std::int32_t type = 0;
  std::int32_t form = 0;
  std::int32_t access = 0;
  std::string path = std::string(600, ' ');  // 600 characters, blank-padded
};

constexpr int unit_capacity = 30;

// Builds the table with its 19 default rows; opens nothing.
void init_units();
// The unit number of `name`; opens the file on the first request; counts every request.
std::int32_t get_unit(std::string_view name);
// Closes every open row of duration component (the common return step).
void release_component_units();
// Takes one request back from the row with this unit number; closes at count 0.
void release_unit(std::int32_t unit);
// Appends a row (the checks stop with 5201-5207).
void add_unit(std::string_view name, std::int32_t unit, std::int32_t duration, std::int32_t type,
              std::int32_t form, std::int32_t access, std::string_view path);
// Lowest unit number 0-31 that no row uses; -1 when none.
std::int32_t free_unit_number();
bool unit_tables_bad();

// Rows in use, for listings and tests.
std::int32_t unit_count();
const unit_entry& unit_row(std::int32_t row);  // 1-based

// ---- record access by unit number ---------------------------------------------------
// A formatted unit: writes one record (line); MONERR writes to the console's error stream.
void write_record(std::int32_t unit, std::string_view record);
// A formatted write: the records that `layout` makes of `values`, each written to the unit.
void write_formatted(std::int32_t unit, std::string_view layout,
                     std::initializer_list<io::Value> values = {});
void write_formatted(std::int32_t unit, std::string_view layout, std::span<const io::Value> values);
// Reads the next record of a formatted unit; false at end of file.
bool read_record(std::int32_t unit, std::string& record);
// Rewinds any open unit (formatted, sequential or stream: back to byte 1).
void rewind_open_unit(std::int32_t unit);
// The open file of an unformatted unit. Throws IoError when the unit is not open or is of
// another kind.
io::SequentialFile& sequential_file(std::int32_t unit);
io::StreamFile& stream_file(std::int32_t unit);
// The current byte position (1-based) of a stream unit, and moving it.
std::int64_t stream_position(std::int32_t unit);
void set_stream_position(std::int32_t unit, std::int64_t pos);
// True when the unit number belongs to an open stream-access unit.
bool is_stream_unit(std::int32_t unit);
// Kept outputs that must never be left half-written: begin_unit_replacement points an open
// unformatted sequential output unit at a fresh side file beside its path; commit renames
// the side file over the path once the content is complete. A stop before the commit
// removes the side file and leaves the old file as it was.
void begin_unit_replacement(std::int32_t unit);
void commit_unit_replacement(std::int32_t unit);
// Kept text outputs (every formatted output file but the listing: MONPUN, CORR.TXT,
// CORRESID ...) are never left with the half of what a component was writing: a stop cuts
// each one back to its last keep point, which is where the file ended when it was opened,
// when the last component returned, or when keep_unit_output last named it.
void keep_unit_output(std::int32_t unit);
void keep_all_unit_output();
// Flushes every open file; throws the first IoError after trying them all.
void flush_all_units();

// Closes every open unit at the end of the process (normal end or stop): kept text outputs
// are cut back to their keep points, side files of unfinished replacements and temporary
// files are deleted, so the same deck can run again in the same folder. Throws the first
// IoError after it has closed and removed everything it could.
void close_all_units();
// Empties the table and closes its files (tests).
void reset_units();

}  // namespace korvex
