// What COR2 and COR3 share: the reads of the data storage file's head and subject records
// through the unit table, the message line, the refusal to run while a variable selection
// is in force, and the guarded arithmetic and title of their results.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "data_entry/active_variables.hpp"
#include "data_entry/cor_internal.hpp"
#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex::cor {

namespace {

// The next record of the unit into a reader, or the status of the failure.
std::int32_t next_record(std::int32_t unit, std::vector<std::byte>& bytes) {
  try {
    return sequential_file(unit).read(bytes) == 0 ? 0 : -1;
  } catch (const io::IoError& e) {
    return e.status() != 0 ? e.status() : 1;
  }
}

// Runs the reads of f on the record, turning a record shorter than asked into a status.
template <class F>
std::int32_t take(std::vector<std::byte>& bytes, F f) {
  try {
    io::RecordReader r(std::move(bytes));
    f(r);
    return 0;
  } catch (const io::IoError& e) {
    return e.status() != 0 ? e.status() : 1;
  }
}

}  // namespace

std::int32_t read_title_record(std::int32_t unit, std::span<std::string> words) {
  std::vector<std::byte> bytes;
  const std::int32_t status = next_record(unit, bytes);
  if (status != 0) return status;
  std::vector<std::string> w(title_word_count);
  const std::int32_t s = take(bytes, [&](io::RecordReader& r) {
    for (std::string& word : w) word = r.text(title_word_length);
  });
  if (s == 0) std::copy(w.begin(), w.end(), words.begin());
  return s;
}

std::int32_t read_counts_record(std::int32_t unit, std::int32_t& nvx, std::int32_t& missing_flag) {
  std::vector<std::byte> bytes;
  const std::int32_t status = next_record(unit, bytes);
  if (status != 0) return status;
  std::int32_t a = 0;
  std::int32_t b = 0;
  const std::int32_t s = take(bytes, [&](io::RecordReader& r) {
    a = r.i32();
    b = r.i32();
  });
  if (s == 0) {
    nvx = a;
    missing_flag = b;
  }
  return s;
}

std::int32_t read_names_record(std::int32_t unit, std::span<std::string> names, std::int32_t n) {
  std::vector<std::byte> bytes;
  const std::int32_t status = next_record(unit, bytes);
  if (status != 0) return status;
  std::vector<std::string> got(static_cast<std::size_t>(std::max(0, n)));
  const std::int32_t s = take(bytes, [&](io::RecordReader& r) {
    for (std::string& name : got) name = r.text(20);
  });
  if (s == 0) std::copy(got.begin(), got.end(), names.begin());
  return s;
}

bool subject_reader::next(std::span<float> values) {
  if (sequential_file(unit_).read(record_) != 0) return false;
  // The trailer's zero record (or anything shorter) is no subject record: the subjects end.
  const std::size_t want = 4 * static_cast<std::size_t>(nv_);
  if (record_.size() < want) return false;
  ++count_;
  // Little-endian IEEE single precision, as every writer of the file stores it.
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(values.data(), record_.data(), want);
  } else {
    for (std::size_t k = 0; k < static_cast<std::size_t>(nv_); ++k) {
      std::uint32_t u = 0;
      for (std::size_t b = 0; b < 4; ++b) {
        u |= static_cast<std::uint32_t>(record_[4 * k + b]) << (8 * b);
      }
      values[k] = std::bit_cast<float>(u);
    }
  }
  return true;
}

void message_line(std::string_view text, std::int32_t& page, std::int32_t& lines,
                  std::int32_t monout) {
  pr_line(-1, get_ncline() - 1, text, page, lines, monout);
}

void refuse_selection_in_force(std::string_view component) {
  if (!selection_in_force()) return;
  // Its matrix would be of full order under the reordered names of the selection.
  proc_error("VARIABLE SELECTION IN FORCE: RUN *RESTOR (AFTER *CC5) OR A NEW *DAP BEFORE *" +
             std::string(component));
}

double sqrt0(double x) { return x > 0.0 ? std::sqrt(x) : 0.0; }

float clamp_correlation(double r) { return static_cast<float>(std::clamp(r, -1.0, 1.0)); }

std::string matrix_title(std::string_view caption, std::string_view title72) {
  return io::pad(caption, 24) + io::pad(title72, 72) + std::string(8, ' ');
}

}  // namespace korvex::cor
