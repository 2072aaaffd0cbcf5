// The unit table and the files behind it. get_unit resolves a symbolic name, opening the
// row's file on its first request by the row's type (input, output, temporary); the open
// files are kept here by unit number so that every reader and writer works through it.
#include "executive/units.hpp"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <system_error>

#include "executive/errors.hpp"
#include "io/console.hpp"
#include "io/fault_injection.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"

namespace korvex {

namespace {

struct unit_table_record {
  std::int32_t capacity = 0;
  std::int32_t count = 0;
  unit_entry rows[unit_capacity];
};

// One open file, of the kind its row's form and access call for.
struct open_file {
  std::string path;           // trimmed; empty for a console stream
  bool temporary = false;
  bool output = false;
  int console = -1;           // 0 standard error, 5 standard input, 6 standard output
  std::unique_ptr<io::TextFile> text;
  std::unique_ptr<io::SequentialFile> sequential;
  std::unique_ptr<io::StreamFile> stream;
  std::int64_t position = 1;  // current byte of a stream file
  std::string side_path;      // side file being written in place of `path`, or empty
  std::int64_t kept_end = -1; // kept text output: the size a stop cuts it back to; else -1
};

std::string side_file_name(const std::string& path) { return path + ".part"; }

unit_table_record g_table;
std::map<std::int32_t, open_file> g_open;

std::string status_text(int s) { return int_to_text(s, 3); }

open_file& open_unit(std::int32_t unit) {
  auto it = g_open.find(unit);
  if (it == g_open.end()) {
    throw io::IoError("unit " + std::to_string(unit) + " is not open", 1);
  }
  return it->second;
}

// Opens the file of row `row` (1-based) by its type, form and access.
void open_unit_number(std::int32_t row) {
  unit_entry& e = g_table.rows[row - 1];
  const std::string path(io::trim_right(e.path));
  std::error_code ec;
  const bool exists = !path.empty() && std::filesystem::exists(path, ec);
  if (ec) {
    io::out_line(" io_msg:" + ec.message());
    proc_error("open_unit_number: inquire statement failed; file= " + e.name + " iostatus= " +
               status_text(ec.value()) + " - file not found: " + e.path);
  }
  io::OpenMode mode = io::OpenMode::read;
  switch (e.type) {
    case type_input:
      if (!path.empty() && !exists) {
        proc_error("open_unit_number: file = " + e.name + " - file not found");
      }
      mode = io::OpenMode::read;
      break;
    case type_output:
      mode = (e.unit == 0 || e.unit == 6) ? io::OpenMode::replace : io::OpenMode::append;
      break;
    case type_temporary:
      if (exists) {
        io::out_line(" Temp file exists: " + path);
        QUIT(5303);
      }
      mode = io::OpenMode::readwrite;
      break;
    default:
      QUIT(5301);
  }
  open_file f;
  f.path = path;
  f.temporary = e.type == type_temporary;
  f.output = e.type == type_output;
  if (path.empty()) {
    if (e.unit != 0 && e.unit != 5 && e.unit != 6) {
      proc_error("open_unit_number: open statement failed; unit= " + e.name + " iostatus= " +
                 status_text(2));
    }
    f.console = e.unit;
  } else {
    try {
      if (e.form == form_formatted) {
        f.text = std::make_unique<io::TextFile>(path, mode);
        if (e.type == type_output && mode == io::OpenMode::append) f.kept_end = f.text->size();
      } else if (e.access == access_sequential) {
        f.sequential = std::make_unique<io::SequentialFile>(path, mode);
      } else {
        f.stream = std::make_unique<io::StreamFile>(path, mode);
      }
    } catch (const io::IoError& err) {
      proc_error("open_unit_number: open statement failed; unit= " + e.name + " iostatus= " +
                 status_text(err.status()));
    }
  }
  g_open[e.unit] = std::move(f);
}

// Closes the file of row `row`: kept for input and output, deleted when temporary.
void close_unit_number(std::int32_t row) {
  unit_entry& e = g_table.rows[row - 1];
  if (e.type != type_input && e.type != type_output && e.type != type_temporary) QUIT(5501);
  auto it = g_open.find(e.unit);
  if (it != g_open.end()) {
    // An output's last lines must reach the disk or stop the run: a failure while the file
    // closes would otherwise be lost.
    if (e.type == type_output) {
      if (it->second.text) it->second.text->flush();
      if (it->second.sequential) it->second.sequential->flush();
    }
    const std::string path = it->second.path;
    const std::string side_path = it->second.side_path;
    const bool temporary = it->second.temporary;
    g_open.erase(it);  // closes the file
    if (temporary && !path.empty()) io::remove_file(path);
    if (!side_path.empty()) io::remove_file(side_path);
  }
  e.open_count = 0;
}

}  // namespace

void init_units() {
  g_open.clear();
  g_table.capacity = unit_capacity;
  g_table.count = 0;
  for (auto& r : g_table.rows) r = unit_entry{};
  struct row { const char* name; int unit, duration, type, form, access; const char* path; };
  static const row defaults[] = {
      {"MONIN", 5, 1, 1, 2, 1, "MONIN"},     {"MONOUT", 6, 1, 2, 2, 1, "MONOUT"},
      {"MONERR", 0, 1, 2, 2, 1, ""},         {"MONPUN", 13, 1, 2, 2, 1, "MONPUN"},
      {"MTIST", 1, 1, 3, 1, 3, "MTIST"},     {"MTDST", 2, 1, 3, 1, 1, "MTDST"},
      {"MTSC1", 3, 2, 3, 1, 1, "MTSC1"},     {"MTSC2", 4, 2, 3, 1, 1, "MTSC2"},
      {"MTXIN1", 8, 2, 1, 2, 1, "MTXIN1"},   {"TAKE", 11, 2, 1, 1, 1, "TAKE"},
      {"GIVE", 12, 2, 2, 1, 1, "GIVE"},      {"OOTYPE", 14, 2, 2, 2, 1, "OOTYPE"},
      {"OCORRM", 15, 2, 2, 2, 1, "OCORRM"},  {"OBASIS", 16, 2, 2, 2, 1, "OBASIS"},
      {"ORFACT", 17, 2, 2, 2, 1, "ORFACT"},  {"SYSLOG", 18, 2, 2, 2, 1, "SYSLOG"},
      {"MTCORR", 19, 1, 2, 2, 1, "CORR.TXT"}, {"RRESID", 20, 2, 2, 2, 1, "CORRESID"},
      {"RREPRO", 21, 2, 2, 2, 1, "CORREPRO"},
  };
  for (const row& r : defaults) add_unit(r.name, r.unit, r.duration, r.type, r.form, r.access, r.path);
}

bool unit_tables_bad() { return g_table.capacity != unit_capacity || g_table.count > unit_capacity; }

void add_unit(std::string_view name, std::int32_t unit, std::int32_t duration, std::int32_t type,
              std::int32_t form, std::int32_t access, std::string_view path) {
  if (unit_tables_bad()) QUIT(5201);
  if (unit < 0) QUIT(5202);
  const std::string padded_name = io::pad(name, 6);
  const std::string padded_path = io::pad(path, 600);
  for (std::int32_t i = 0; i < g_table.count; ++i) {
    if (g_table.rows[i].unit == unit) QUIT(5203);
  }
  for (std::int32_t i = 0; i < g_table.count; ++i) {
    if (g_table.rows[i].name == padded_name) QUIT(5204);
  }
  for (std::int32_t i = 0; i < g_table.count; ++i) {
    if (g_table.rows[i].path == padded_path) QUIT(5206);
  }
  if (g_table.count == unit_capacity) QUIT(5207);
  unit_entry& e = g_table.rows[g_table.count++];
  e.name = padded_name;
  e.unit = unit;
  e.open_count = 0;
  e.duration = duration;
  e.type = type;
  e.form = form;
  e.access = access;
  e.path = padded_path;
}

std::int32_t get_unit(std::string_view name) {
  if (unit_tables_bad()) QUIT(5101);
  for (std::int32_t i = 0; i < g_table.count; ++i) {
    unit_entry& e = g_table.rows[i];
    if (io::padded_equal(e.name, name.substr(0, 6))) {
      if (e.open_count == 0) open_unit_number(i + 1);
      e.open_count += 1;
      return e.unit;
    }
  }
  QUIT(5102);
}

void release_unit(std::int32_t unit) {
  if (unit_tables_bad()) QUIT(5401);
  for (std::int32_t i = 0; i < g_table.count; ++i) {
    unit_entry& e = g_table.rows[i];
    if (e.unit != unit) continue;
    e.open_count -= 1;
    if (e.open_count < 0) QUIT(5403);
    if (e.open_count == 0) close_unit_number(i + 1);
    return;
  }
  QUIT(5402);
}

void release_component_units() {
  for (std::int32_t i = 0; i < g_table.count; ++i) {
    const unit_entry& e = g_table.rows[i];
    if (e.duration != duration_component) continue;
    while (g_table.rows[i].open_count > 0) release_unit(e.unit);
  }
  keep_all_unit_output();  // the component is complete
}

std::int32_t free_unit_number() {
  for (std::int32_t n = 0; n <= 31; ++n) {
    bool used = false;
    for (std::int32_t i = 0; i < g_table.count; ++i) used = used || g_table.rows[i].unit == n;
    if (!used) return n;
  }
  return -1;
}

std::int32_t unit_count() { return g_table.count; }
const unit_entry& unit_row(std::int32_t row) { return g_table.rows[row - 1]; }

void write_record(std::int32_t unit, std::string_view record) {
  open_file& f = open_unit(unit);
  if (f.console == 0) {
    io::err_line(std::string(record));
  } else if (f.console == 6) {
    io::out_line(std::string(record));
  } else if (f.text) {
    f.text->write_line(record);
  } else {
    throw io::IoError("formatted write to an unformatted unit " + std::to_string(unit), 1);
  }
}

void write_formatted(std::int32_t unit, std::string_view layout, std::span<const io::Value> values) {
  for (const std::string& record : io::Layout::get(layout).write(values)) write_record(unit, record);
}

void write_formatted(std::int32_t unit, std::string_view layout, std::initializer_list<io::Value> values) {
  write_formatted(unit, layout, std::span<const io::Value>(values.begin(), values.size()));
}

bool read_record(std::int32_t unit, std::string& record) {
  open_file& f = open_unit(unit);
  if (f.text) return f.text->read_line(record);
  throw io::IoError("formatted read from unit " + std::to_string(unit) + ", which is not a file of text", 1);
}

void rewind_open_unit(std::int32_t unit) {
  open_file& f = open_unit(unit);
  if (f.text) f.text->rewind();
  if (f.sequential) f.sequential->rewind();
  f.position = 1;
}

io::SequentialFile& sequential_file(std::int32_t unit) {
  open_file& f = open_unit(unit);
  if (!f.sequential) throw io::IoError("unit " + std::to_string(unit) + " is not a sequential binary file", 1);
  return *f.sequential;
}

io::StreamFile& stream_file(std::int32_t unit) {
  open_file& f = open_unit(unit);
  if (!f.stream) throw io::IoError("unit " + std::to_string(unit) + " is not a stream file", 1);
  return *f.stream;
}

std::int64_t stream_position(std::int32_t unit) { return open_unit(unit).position; }
void set_stream_position(std::int32_t unit, std::int64_t pos) { open_unit(unit).position = pos; }

bool is_stream_unit(std::int32_t unit) {
  auto it = g_open.find(unit);
  return it != g_open.end() && it->second.stream != nullptr;
}

void begin_unit_replacement(std::int32_t unit) {
  open_file& f = open_unit(unit);
  if (!f.sequential || f.path.empty()) {
    throw io::IoError("unit " + std::to_string(unit) + " cannot be replaced: not a binary file", 1);
  }
  f.side_path = side_file_name(f.path);
  f.sequential.reset();
  f.sequential = std::make_unique<io::SequentialFile>(f.side_path, io::OpenMode::replace);
}

void commit_unit_replacement(std::int32_t unit) {
  open_file& f = open_unit(unit);
  if (f.side_path.empty()) return;
  f.sequential->flush();
  f.sequential.reset();
  std::error_code ec;
  if (io::injected_failure(io::FileOp::rename, f.path)) ec = std::make_error_code(std::errc::io_error);
  if (!ec) std::filesystem::rename(f.side_path, f.path, ec);
  if (ec) throw io::IoError("cannot rename " + f.side_path + " to " + f.path + ": " + ec.message(), ec.value());
  f.side_path.clear();
  f.sequential = std::make_unique<io::SequentialFile>(f.path, io::OpenMode::append);
}

void keep_unit_output(std::int32_t unit) {
  open_file& f = open_unit(unit);
  if (f.kept_end >= 0) f.kept_end = f.text->size();
}

void keep_all_unit_output() {
  for (auto& [unit, f] : g_open) {
    if (f.kept_end >= 0) f.kept_end = f.text->size();
  }
}

namespace {

// Flushes the open files (only the outputs when outputs_only); throws the first IoError
// after trying them all.
void flush_units(bool outputs_only) {
  std::optional<io::IoError> first;
  for (auto& [unit, f] : g_open) {
    if (outputs_only && !f.output) continue;
    try {
      if (f.text) f.text->flush();
      if (f.sequential) f.sequential->flush();
      if (f.stream) f.stream->flush();
    } catch (const io::IoError& e) {
      if (!first) first = e;
    }
  }
  if (first) throw *first;
}

}  // namespace

void flush_all_units() { flush_units(false); }

void close_all_units() {
  std::optional<io::IoError> first;
  const auto attempt = [&first](auto&& step) {
    try {
      step();
    } catch (const io::IoError& e) {
      if (!first) first = e;
    }
  };
  attempt([] { flush_units(true); });  // inputs and temporaries hold nothing to keep
  std::vector<std::string> temporaries;
  std::vector<std::pair<std::string, std::int64_t>> cuts;
  for (auto& [unit, f] : g_open) {
    if (f.temporary && !f.path.empty()) temporaries.push_back(f.path);
    if (!f.side_path.empty()) temporaries.push_back(f.side_path);  // never committed
    if (f.kept_end >= 0) cuts.emplace_back(f.path, f.kept_end);
  }
  g_open.clear();
  for (const auto& cut : cuts) {
    attempt([&path = cut.first, size = cut.second] {
      std::error_code ec;
      if (std::filesystem::file_size(path, ec) == static_cast<std::uintmax_t>(size) || ec) return;
      std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size), ec);
      if (ec) throw io::IoError("cannot cut " + path + " back: " + ec.message(), ec.value());
    });
  }
  for (const std::string& path : temporaries) attempt([&path] { io::remove_file(path); });
  for (std::int32_t i = 0; i < g_table.count; ++i) g_table.rows[i].open_count = 0;
  if (first) throw *first;
}

void reset_units() {
  try {
    close_all_units();
  } catch (const io::IoError&) {
    // a test that made the files fail starts afresh all the same
  }
  g_table = unit_table_record{};
}

}  // namespace korvex
