// Reads the head and the subject records of the data storage file on MTDST through the unit
// table, for every component that works on the subjects after DAP wrote the file.
#include "data_entry/dsf_reader.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <utility>

#include "executive/units.hpp"
#include "io/record_file.hpp"

namespace korvex::dsf {

namespace {

// The next record of the unit into a reader, or the status of the failure; its size into
// held when the record was read whole.
std::int32_t next_record(std::int32_t unit, std::vector<std::byte>& bytes, std::size_t* held) {
  try {
    if (sequential_file(unit).read(bytes) != 0) return -1;
    if (held != nullptr) *held = bytes.size();
    return 0;
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

std::uint32_t u32_at(const std::byte* p) {
  std::uint32_t u = 0;
  for (std::size_t b = 0; b < 4; ++b) u |= static_cast<std::uint32_t>(p[b]) << (8 * b);
  return u;
}

}  // namespace

std::int32_t read_title_record(std::int32_t unit, std::span<std::string> words, std::size_t* held) {
  std::vector<std::byte> bytes;
  const std::int32_t status = next_record(unit, bytes, held);
  if (status != 0) return status;
  std::vector<std::string> w(title_word_count);
  const std::int32_t s = take(bytes, [&](io::RecordReader& r) {
    for (std::string& word : w) word = r.text(title_word_length);
  });
  if (s == 0) std::copy(w.begin(), w.end(), words.begin());
  return s;
}

std::int32_t read_counts_record(std::int32_t unit, std::int32_t& nvx, std::int32_t& missing_flag,
                                std::size_t* held) {
  std::vector<std::byte> bytes;
  const std::int32_t status = next_record(unit, bytes, held);
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

std::int32_t read_names_record(std::int32_t unit, std::span<std::string> names, std::int32_t n,
                               std::size_t* held) {
  std::vector<std::byte> bytes;
  const std::int32_t status = next_record(unit, bytes, held);
  if (status != 0) return status;
  std::vector<std::string> got(static_cast<std::size_t>(std::max(0, n)));
  const std::int32_t s = take(bytes, [&](io::RecordReader& r) {
    for (std::string& name : got) name = r.text(name_length);
  });
  if (s == 0) std::copy(got.begin(), got.end(), names.begin());
  return s;
}

bool subject_reader::fill(std::span<float> values, std::string* name, std::int32_t* number) {
  if (sequential_file(unit_).read(record_) != 0) return false;
  // The trailer's zero record (or anything shorter) is no subject record: the subjects end.
  const std::size_t want = 4 * static_cast<std::size_t>(nv_);
  const std::size_t tail = (name != nullptr || number != nullptr) ? name_length + 4 : 0;
  if (record_.size() < want + tail) return false;
  store(values, name, number);
  return true;
}

// Takes the values, name and number from the record just read, which holds them all.
void subject_reader::store(std::span<float> values, std::string* name, std::int32_t* number) {
  const std::size_t want = 4 * static_cast<std::size_t>(nv_);
  ++count_;
  // Little-endian IEEE single precision, as every writer of the file stores it.
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(values.data(), record_.data(), want);
  } else {
    for (std::size_t k = 0; k < static_cast<std::size_t>(nv_); ++k) {
      values[k] = std::bit_cast<float>(u32_at(record_.data() + 4 * k));
    }
  }
  if (name != nullptr) {
    const auto* p = reinterpret_cast<const char*>(record_.data() + want);
    name->assign(p, name_length);
  }
  if (number != nullptr) {
    *number = static_cast<std::int32_t>(u32_at(record_.data() + want + name_length));
  }
}

std::size_t subject_reader::subject_bytes(bool flagged) const {
  const auto nv = static_cast<std::size_t>(std::max(0, nv_));
  return 4 * nv + name_length + 4 + (flagged ? 4 * nv : 0);
}

std::int32_t subject_reader::read_whole(std::span<float> values, std::string& name,
                                        std::int32_t& number, bool flagged) {
  if (const std::int32_t status = next_record(unit_, record_, nullptr); status != 0) return status;
  if (record_.size() < subject_bytes(flagged)) return short_record;
  store(values, &name, &number);
  return 0;
}

std::int32_t subject_reader::read(std::span<float> values, std::string* name,
                                  std::int32_t* number) {
  try {
    return fill(values, name, number) ? 0 : -1;
  } catch (const io::IoError& e) {
    return e.status() != 0 ? e.status() : 1;
  }
}

bool subject_reader::next(std::span<float> values) { return fill(values, nullptr, nullptr); }

bool subject_reader::next(std::span<float> values, std::string& name, std::int32_t& number) {
  return fill(values, &name, &number);
}

}  // namespace korvex::dsf
