// Reading the data storage file on MTDST, as every component that works on the subjects
// reads it after DAP wrote it: the two title records, the counts record, the names record,
// then (past the zero record) one record per subject with its values, name and number.
// Each read returns an input/output status: 0 read, -1 end of file, a positive code when the
// record is damaged or shorter than the items asked for (nothing is stored then).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvex::dsf {

inline constexpr std::int32_t title_word_count = 12;
inline constexpr std::int32_t title_word_length = 6;
inline constexpr std::int32_t name_length = 20;

// The bytes the head records must hold: a title record, the counts record (its first two
// integers) and a names record of n names.
inline constexpr std::size_t title_record_bytes = title_word_count * title_word_length;
inline constexpr std::size_t counts_record_bytes = 8;
constexpr std::size_t names_record_bytes(std::int32_t n) {
  return static_cast<std::size_t>(n > 0 ? n : 0) * name_length;
}

// Each head read sets `held`, when given, to the size of the record it read whole. A record
// too short gives a positive status, as a damaged one does, but only it sets held (below the
// bytes above): a caller that names the size of a short record tells the two apart so.
// One title record: 12 words of 6 characters into words(1..12).
std::int32_t read_title_record(std::int32_t unit, std::span<std::string> words,
                               std::size_t* held = nullptr);
// The first two integers of the counts record: the number of variables and the missing-data
// flag NOMISS (0 when the subject records carry presence flags).
std::int32_t read_counts_record(std::int32_t unit, std::int32_t& nvx, std::int32_t& missing_flag,
                                std::size_t* held = nullptr);
// The first n names of the names record into names(1..n).
std::int32_t read_names_record(std::int32_t unit, std::span<std::string> names, std::int32_t n,
                               std::size_t* held = nullptr);

// The status of subject_reader::read_whole for a record shorter than a subject record (no
// code of the file layer is negative but -1, the end of the file).
inline constexpr std::int32_t short_record = -2;

// Reads subject records one after another from the current position of a unit (the caller
// has skipped the head, e.g. with skip_to_zero_record). The record buffer is kept from one
// subject to the next; the values go into the caller's span.
class subject_reader {
 public:
  subject_reader(std::int32_t unit, std::int32_t nv) : unit_(unit), nv_(nv) {}
  // values(1..nv) of the next record; false at the end of the subject records: the end of
  // the file, or a record too short to hold nv values (the zero record of the trailer).
  // A damaged record throws the file layer's error, as every other read does.
  bool next(std::span<float> values);
  // The same, with the subject's name (20 characters) and number. A record that holds the
  // values but no name and number ends the subjects as well.
  bool next(std::span<float> values, std::string& name, std::int32_t& number);
  // The status form: 0 read, -1 end of the subject records (end of file or trailer), a
  // positive status when the file layer finds the record damaged.
  std::int32_t read(std::span<float> values, std::string* name, std::int32_t* number);
  // The strict form for a caller that knows how many subjects follow: every record must be a
  // whole subject record, with the nv presence flags after the number when `flagged` (the
  // file admits missing data). 0 read, -1 end of the file, a positive status when the file
  // layer finds the record damaged, short_record when the record holds fewer bytes than
  // subject_bytes(flagged) (record_size() then tells how many; nothing is stored).
  std::int32_t read_whole(std::span<float> values, std::string& name, std::int32_t& number,
                          bool flagged);
  // The bytes of a subject record of this file: values, name, number and maybe the flags.
  std::size_t subject_bytes(bool flagged) const;
  // The size of the last record read.
  std::size_t record_size() const { return record_.size(); }
  std::int32_t subjects_read() const { return count_; }

 private:
  bool fill(std::span<float> values, std::string* name, std::int32_t* number);
  void store(std::span<float> values, std::string* name, std::int32_t* number);
  std::int32_t unit_;
  std::int32_t nv_;
  std::int32_t count_ = 0;
  std::vector<std::byte> record_;
};

}  // namespace korvex::dsf
