// The ISF as a store of labelled entries: the control block ISFCOM with its table of up to
// 30 labels and the position of each label's current entry, and the framing of one entry
// (header, KPAR, type record, the accessor's data records, END). Entries are only appended;
// a rewritten label points at its new copy and the old one stays in the file, unreachable.
#include <algorithm>
#include <cassert>
#include <string>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "storage/isf_internal.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

constexpr std::string_view isf_marker = "ISFCOM";

IsfControl g_isf = [] {
  IsfControl c;
  c.label.fill(std::string(isf_label_length, ' '));
  c.marker = std::string(isf_label_length, ' ');
  return c;
}();

// Position of the label in the table, 1-based; nlab + 1 when it is not registered.
std::int32_t label_index(const std::string& label) {
  return find_name(std::span<const std::string>(g_isf.label), g_isf.nlab, label);
}

}  // namespace

namespace isf_detail {

std::string label6(std::string_view label) { return io::pad(label, isf_label_length); }

void require_room(std::string_view routine, std::string_view what, std::int64_t offset,
                  std::int64_t count, std::size_t size) {
  if (count >= 0 && offset >= 0 && offset + count <= static_cast<std::int64_t>(size)) return;
  proc_error(std::string(routine) + ": " + std::to_string(count) + " " + std::string(what) +
             " at element " + std::to_string(offset + 1) + " do not fit an array of " +
             std::to_string(size));
}

std::int32_t kpar_word(std::string_view routine, std::span<const std::int32_t> kpar, std::size_t k) {
  if (k >= kpar.size()) {
    proc_error(std::string(routine) + ": KPAR of " + std::to_string(kpar.size()) +
               " words has no dimension word " + std::to_string(k));
  }
  return kpar[k];
}

}  // namespace isf_detail

const IsfControl& isf_control() { return g_isf; }

// Creates (first call) or reuses MTIST and writes the empty store over its first 64 bytes;
// whatever an earlier store left behind position 64 stays, unreachable.
void isf_init() {
  g_isf.marker = std::string(isf_marker);
  g_isf.mtisf = get_unit("MTIST");
  // rwpos always asks unit 1, so the framing below only holds when the ISF is unit 1.
  assert(g_isf.mtisf == 1);
  g_isf.iloc = 1;
  g_isf.iwrite = 0;
  g_isf.nlab = 0;
  g_isf.maxlab = isf_maxlab;
  g_isf.label.fill(std::string(isf_label_length, ' '));
  g_isf.loc.fill(0);
  set_stream_position(g_isf.mtisf, 1);
  rweof(g_isf.mtisf, 1);
  rweof(g_isf.mtisf, 1);
  set_stream_position(g_isf.mtisf, 1);
  g_isf.iloc = g_isf.next_free = rwpos();
}

bool isf_ready() { return g_isf.marker == isf_marker; }

void isf_open_entry(std::string_view label, std::int32_t mode, std::int32_t itype,
                    std::span<std::int32_t> kpar, std::int32_t& notfound) {
  notfound = 0;
  if (!isf_ready()) QUIT(5000);
  const std::string key = isf_detail::label6(label);
  const std::int32_t i = label_index(key);
  if (mode == 1) {
    if (i == g_isf.nlab + 1 && g_isf.nlab == g_isf.maxlab) QUIT(5001);
    // Checked before the label is registered, so a refused KPAR leaves the table as it was.
    const std::int32_t c = isf_detail::kpar_word("isf_open_entry", kpar, 0);
    isf_detail::require_room("isf_open_entry", "KPAR dimension words", 1, c, kpar.size());
    g_isf.nlab = std::max(g_isf.nlab, i);
    g_isf.label[static_cast<std::size_t>(i - 1)] = key;
    g_isf.iloc = g_isf.next_free;
    g_isf.loc[static_cast<std::size_t>(i - 1)] = g_isf.next_free;
  } else {
    if (i > g_isf.nlab) {
      notfound = 1;
      return;
    }
    if (kpar.empty()) proc_error("isf_open_entry: no room for the KPAR of " + key);
    g_isf.iloc = g_isf.loc[static_cast<std::size_t>(i - 1)];
  }

  std::string header[1] = {key};
  std::int32_t count = 1;
  rwhdr(header, count, g_isf.mtisf, mode, g_isf.iloc);
  if (header[0] != key || count != 1) QUIT(5002);

  rwreci(kpar.subspan(1), kpar[0], g_isf.mtisf, mode);

  std::int32_t t[1] = {itype};
  count = 1;
  rwreci(t, count, g_isf.mtisf, mode);
  if (t[0] != itype || count != 1) QUIT(5003);
  g_isf.iwrite = mode;
}

void filfin(std::int32_t mode) {
  if (mode != 1) return;
  rweof(g_isf.mtisf, 1);
  const std::int32_t p = rwpos();
  g_isf.iloc = p;
  rweof(g_isf.mtisf, 1);
  g_isf.next_free = p;
}

std::int32_t isf_label_loc(std::int32_t i) {
  if (i < 1 || i > g_isf.nlab) return 0;
  return g_isf.loc[static_cast<std::size_t>(i - 1)];
}

std::string isf_label_name(std::int32_t i) {
  if (i < 1 || i > g_isf.nlab) return std::string(isf_label_length, ' ');
  return g_isf.label[static_cast<std::size_t>(i - 1)];
}

std::int32_t isf_next_free() { return g_isf.next_free; }
std::int32_t isf_unit() { return g_isf.mtisf; }
std::int32_t isf_count() { return g_isf.nlab; }

// A 31st label is refused before the table changes: nlab stays at 30, so nothing can index
// past the table while the stop unwinds.
void isf_add_label(std::string_view label, std::int32_t& page, std::int32_t& lines,
                   std::int32_t monout) {
  const std::string key = isf_detail::label6(label);
  const std::int32_t i = label_index(key);
  if (std::max(g_isf.nlab, i) > g_isf.maxlab) {
    PAGER(-2, page, lines, monout);
    PAGER(1, page, lines, monout);
    write_record(monout, io::format_line("(A)", {" TOO MANY FILE NAMES."}));
    QUIT(5020);
  }
  g_isf.nlab = std::max(g_isf.nlab, i);
  g_isf.label[static_cast<std::size_t>(i - 1)] = key;
  g_isf.loc[static_cast<std::size_t>(i - 1)] = g_isf.next_free;
}

void isf_set_iwrite() { g_isf.iwrite = 1; }

void make_kpar(std::span<std::int32_t> kpar, std::int32_t d1, std::int32_t d2, std::int32_t d3) {
  isf_detail::require_room("make_kpar", "KPAR words", 0, 4, kpar.size());
  kpar[1] = d1;
  kpar[2] = d2;
  kpar[3] = d3;
  kpar[0] = d1 == 0 ? 0 : d2 == 0 ? 1 : d3 == 0 ? 2 : 3;
}

void isf_rwreci(std::int32_t mode, std::int32_t& n, std::span<std::int32_t> iv) {
  rwreci(iv, n, g_isf.mtisf, mode);
}

void isf_filfin(std::int32_t mode) { filfin(mode); }

void reset_isf() {
  g_isf = IsfControl{};
  g_isf.label.fill(std::string(isf_label_length, ' '));
  g_isf.marker = std::string(isf_label_length, ' ');
  isf_detail::reset_accessor_state();
}

}  // namespace korvex
