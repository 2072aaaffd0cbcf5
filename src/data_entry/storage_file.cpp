// The data storage file on MTDST, written by DAP and read by every component that works on
// the subjects: a header (title twice, counts, variable names, a zero record), one record per
// subject (values with NaN for missing data, name, number, presence flags when missing data
// are allowed) and, after a clean run, a trailer of names, means, deviations and counts.
#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "data_entry/dap_internal.hpp"
#include "executive/positioning.hpp"
#include "executive/units.hpp"
#include "io/record_file.hpp"
#include "storage/storage.hpp"

namespace korvex::dap {

namespace {

// Names of the trailer go in records of this many.
constexpr std::int32_t trailer_chunk = 999;

std::byte* put_u32(std::byte* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::byte>((v >> (8 * i)) & 0xFFu);
  return p + 4;
}

}  // namespace

void DPDSFH() {
  dap_run_state& r = run();
  const dap_common_record& c = r.common;
  rewind_unit(c.mtdst);
  io::SequentialFile& file = sequential_file(c.mtdst);
  io::RecordWriter title;
  for (const std::string& word : r.title_words) title.text(word, title_word_length);
  file.write(title);
  file.write(title);
  io::RecordWriter counts;
  counts.i32(c.nv).i32(c.nomiss).i32(0).i32(1).i32(0);
  file.write(counts);
  io::RecordWriter names;
  for (const std::string& name : r.var_names) names.text(name, name_length);
  file.write(names);
  write_zero_record(c.mtdst);
}

// The record of the current subject, built in one buffer kept for the run.
void DPWSUB() {
  dap_run_state& r = run();
  const dap_common_record& c = r.common;
  const dap_work_record& w = r.work;
  const auto nv = static_cast<std::size_t>(c.nv);
  const std::size_t size = nv * 4 + name_length + 4 + (c.nomiss == 0 ? nv * 4 : 0);
  std::vector<std::byte>& b = r.record_bytes;
  if (b.size() != size) b.resize(size);
  std::byte* p = b.data();
  // The file is little-endian: on such a machine the values and flags go over as they lie.
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, w.var_value.data(), nv * 4);
    p += nv * 4;
  } else {
    for (std::size_t h = 0; h < nv; ++h) p = put_u32(p, std::bit_cast<std::uint32_t>(w.var_value[h]));
  }
  const std::string_view name = r.subject_names.get(c.subject_count);
  std::memcpy(p, name.data(), static_cast<std::size_t>(name_length));
  p += name_length;
  p = put_u32(p, static_cast<std::uint32_t>(c.subject_count));
  if (c.nomiss == 0) {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(p, w.var_present.data(), nv * 4);
    } else {
      for (std::size_t h = 0; h < nv; ++h) p = put_u32(p, static_cast<std::uint32_t>(w.var_present[h]));
    }
  }
  sequential_file(c.mtdst).write(std::span<const std::byte>(b));
}

void DPWONM() {
  dap_run_state& r = run();
  const dap_common_record& c = r.common;
  dap_work_record& w = r.work;
  const std::int32_t u = c.mtdst;
  write_zero_record(u);
  Kpar kpar{};
  make_kpar(kpar, 1, c.nsub, trailer_chunk);
  std::int32_t n = 3;
  rwreci(std::span<std::int32_t>(kpar).subspan(1, 3), n, u, 1);
  std::vector<std::string> chunk;
  for (std::int32_t first = 1; first <= c.nsub; first += trailer_chunk) {
    const std::int32_t last = std::min(first + trailer_chunk - 1, c.nsub);
    chunk.clear();
    for (std::int32_t s = first; s <= last; ++s) chunk.emplace_back(r.subject_names.get(s));
    n = last - first + 1;
    rwrecn(chunk, n, u, 1);
  }
  write_zero_record(u);
  n = c.nv;
  rwrecr(w.var_value, n, u, 1);
  n = c.nv;
  rwrecr(w.var_sigma, n, u, 1);
  n = c.nv;
  rwreci(w.var_count, n, u, 1);
  write_zero_record(u);
  endfile_unit(u);
  rewind_unit(u);
}

void empty_storage_file() {
  rewind_unit(run().common.mtdst);
  endfile_unit(run().common.mtdst);
}

}  // namespace korvex::dap
