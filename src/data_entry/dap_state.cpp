// Run-wide state of the data entry subsystem: DAP's control block and work arrays (set up
// anew by every *DAP card), its page state, and the page-settings copy that outlives the
// component for the components laying out their own pages. reset_data_entry forgets all.
#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdint>

#include "data_entry/dap_internal.hpp"
#include "data_entry/data_entry.hpp"
#include "io/fixed_text.hpp"
#include "executive/utilities.hpp"
#include "printing/page.hpp"

namespace korvex {

namespace {
dap::dap_run_state g_run;
dap::dap_print_state_record g_print;
page_common_record g_page_common;
}  // namespace

const page_common_record& page_common() { return g_page_common; }

void copy_page_settings() {
  g_page_common.nlpage = get_nlpage();
  g_page_common.ncline = get_ncline();
  g_page_common.aux_a = get_page_aux_a();
  g_page_common.aux_b = get_page_aux_b();
}

void reset_data_entry() {
  g_run = dap::dap_run_state{};
  g_print = dap::dap_print_state_record{};
  g_page_common = page_common_record{};
}

namespace dap {

float missing_value() { return std::bit_cast<float>(std::uint32_t{0xFFC00000u}); }

std::string number_text(std::int64_t n) {
  assert(n >= 0);
  return int_to_text(n, decimal_digits(n));
}

dap_run_state& run() { return g_run; }

void new_run() {
  g_run = dap_run_state{};
  g_run.common.missing = missing_value();
}

dap_print_state_record& print_state() { return g_print; }

// ---- subject_name_table ------------------------------------------------------------------

void subject_name_table::reset(std::int32_t capacity) {
  capacity_ = capacity;
  text_.clear();
}

std::string_view subject_name_table::get(std::int32_t s) const {
  static const std::string blank(name_length, ' ');
  assert(s >= 1 && s <= capacity_);
  const auto at = static_cast<std::size_t>(s - 1) * name_length;
  if (at >= text_.size()) return blank;
  return std::string_view(text_).substr(at, name_length);
}

void subject_name_table::set(std::int32_t s, std::string_view name) {
  assert(s >= 1 && s <= capacity_);
  const auto at = static_cast<std::size_t>(s - 1) * name_length;
  if (at + name_length > text_.size()) {
    // Grow geometrically so that naming the subjects one by one stays linear, inside room
    // for every name taken at once: the names are never copied to a larger block, and the
    // memory is touched only as the names come.
    std::size_t size = text_.size() < 64 * name_length ? 64 * name_length : text_.size() * 2;
    while (size < at + name_length) size *= 2;
    const std::size_t limit = static_cast<std::size_t>(capacity_) * name_length;
    if (text_.capacity() < limit) text_.reserve(limit);
    text_.resize(size < limit ? size : limit, ' ');
  }
  const std::size_t n = std::min(name.size(), static_cast<std::size_t>(name_length));
  text_.replace(at, n, name.substr(0, n));
  std::fill_n(text_.begin() + static_cast<std::ptrdiff_t>(at + n), name_length - n, ' ');
}

bool subject_name_table::is_blank(std::int32_t s) const {
  return get(s).find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace dap
}  // namespace korvex
