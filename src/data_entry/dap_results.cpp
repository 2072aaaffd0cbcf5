// What a DAP run leaves: the ISF entries of the run (title, parameters, names, sums, means,
// deviations, counts, subject names), the statistics table printed on DAP's own pages, and
// the optional table of subject names laid out down the columns of each page.
#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "data_entry/dap_internal.hpp"
#include "data_entry/data_entry.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"

namespace korvex::dap {

namespace {

// Subject names go to ONAMS1 in records of this many.
constexpr std::int32_t isf_name_chunk = 100;
// Length of a statistics-table cell.
constexpr std::size_t cell_length = 132;

// True when x is a whole number that an int32 holds.
bool is_whole(float x) {
  return std::isfinite(x) && std::fabs(x) < 2147483648.0f && std::trunc(x) == x;
}

// The statistics table counts its lines on DAP's pages.
class dap_pager final : public table_pager {
 public:
  std::int32_t& lines_left() override { return print_state().lines_left; }
  std::int32_t unit() const override { return print_state().unit; }
  void new_page() override { dap_line(1); }
};

void caption(table_column& col, std::string_view text) { col.caption = io::pad(text, 100); }

}  // namespace

void DPWISF() {
  dap_run_state& r = run();
  const dap_common_record& c = r.common;
  dap_work_record& w = r.work;
  std::int32_t notfound = 0;
  isf_idfile(1, notfound, r.title_words);
  Kpar ipfile{9, 12, 1, c.nv, c.nsub, c.nv, c.nsub, c.nomiss, 0, 0};
  isf_word_vector("IPFILE", 1, ipfile, notfound, r.title_words);
  Kpar vector_kpar{};
  make_kpar(vector_kpar, c.nv, 1, 0);
  isf_name_vector("VNAMS1", 1, vector_kpar, notfound, r.var_names);
  isf_real_vector("VSUMS1", 1, vector_kpar, notfound, w.var_sum);
  Kpar means_kpar{};
  make_kpar(means_kpar, c.nv, 1, c.nsub);
  isf_real_vector("MEANS1", 1, means_kpar, notfound, w.var_value);
  isf_real_vector("STDEV1", 1, vector_kpar, notfound, w.var_sigma);
  if (c.nomiss == 0) isf_int_vector("VAREN1", 1, vector_kpar, notfound, w.var_count);
  Kpar names_kpar{};
  make_kpar(names_kpar, 1, c.nsub, isf_name_chunk);
  std::vector<std::string> chunk;
  SNFILE("ONAMS1", 1, names_kpar, notfound, chunk, 1);
  for (std::int32_t first = 1; first <= c.nsub; first += isf_name_chunk) {
    const std::int32_t last = std::min(first + isf_name_chunk - 1, c.nsub);
    chunk.clear();
    for (std::int32_t s = first; s <= last; ++s) chunk.emplace_back(r.subject_names.get(s));
    SNFILE("ONAMS1", 1, names_kpar, notfound, chunk, 2);
  }
}

// A variable is two-valued when its sum, minimum and maximum are whole and its range is 1.
void DPDICH(bool& all, bool& none, std::vector<unsigned char>& two_valued,
            std::vector<float>& share_high, std::vector<float>& share_low) {
  const dap_work_record& w = run().work;
  const std::int32_t nv = run().common.nv;
  all = true;
  none = true;
  two_valued.assign(static_cast<std::size_t>(nv), 0);
  share_high.assign(static_cast<std::size_t>(nv), -1.0f);
  share_low.assign(static_cast<std::size_t>(nv), -1.0f);
  for (std::int32_t h = 1; h <= nv; ++h) {
    const float lo = w.var_min[at(h)];
    const float hi = w.var_max[at(h)];
    const float range = hi - lo;
    const bool yes = is_whole(w.var_sum[at(h)]) && is_whole(lo) && is_whole(hi) && is_whole(range) && range == 1.0f;
    if (yes) {
      share_high[at(h)] = (w.var_value[at(h)] - lo) / range;
      share_low[at(h)] = 1.0f - share_high[at(h)];
      two_valued[at(h)] = 1;
    }
    none = none && !yes;
    all = all && yes;
  }
}

void PSTAT_V2() {
  const dap_run_state& r = run();
  const dap_common_record& c = r.common;
  const dap_work_record& w = r.work;
  const std::int32_t nv = c.nv;
  const auto n = static_cast<std::size_t>(nv);

  std::vector<table_column> cols;
  std::vector<std::int32_t> numbers;
  std::vector<std::int32_t> missing;
  std::vector<unsigned char> two_valued;
  std::vector<float> share_high;
  std::vector<float> share_low;
  const char* tag = "DAP2>PSTAT_V2(c_prefix)";
  try {
    cols.resize(10);
    for (table_column& col : cols) col.entries.assign(n, std::string(cell_length, ' '));
    tag = "DAP2>PSTAT_V2(integer)";
    numbers.resize(n);
    missing.resize(n);
    tag = "DAP2>PSTAT_V2(logical)";
    two_valued.resize(n);
    tag = "DAP2>PSTAT_V2(real)";
    share_high.resize(n);
    share_low.resize(n);
  } catch (const std::bad_alloc&) {
    check_alloc_stat(tag, 1);
  }

  for (std::int32_t h = 1; h <= nv; ++h) {
    numbers[at(h)] = h;
    missing[at(h)] = c.subject_count - w.var_count[at(h)];
  }
  bool all = false;
  bool none = false;
  DPDICH(all, none, two_valued, share_high, share_low);

  auto set = [&](std::size_t i, std::string_view text, std::int32_t gap, std::int32_t stretch, std::int32_t just) {
    caption(cols[i], text);
    cols[i].gap = gap;
    cols[i].stretch = stretch;
    cols[i].just = just;
    cols[i].in_use = 1;
  };
  set(0, "", 1, 0, 1);
  pr_column_int(numbers, nv, 1, cols[0].entries, cols[0].width);
  set(1, "Variable", 2, 0, 0);
  pr_column_char(r.var_names, nv, name_length, cols[1].entries, cols[1].width);
  set(2, "Mean", 2, 1, 1);
  pr_column_real(w.var_value, nv, 4, 3, cols[2].entries, cols[2].width, cols[2].whole);
  set(3, "Sigma", 2, 1, 1);
  pr_column_real(w.var_sigma, nv, 5, 3, cols[3].entries, cols[3].width, cols[3].whole);
  set(4, "N", 2, 1, 1);
  pr_column_int(w.var_count, nv, 1, cols[4].entries, cols[4].width);
  set(5, "Missing", 2, 1, 1);
  pr_column_int(missing, nv, 7, cols[5].entries, cols[5].width);
  set(6, "Min", 2, 1, 1);
  pr_column_real(w.var_min, nv, 3, 3, cols[6].entries, cols[6].width, cols[6].whole);
  set(7, "Max", 2, 1, 1);
  pr_column_real(w.var_max, nv, 3, 3, cols[7].entries, cols[7].width, cols[7].whole);
  set(8, "%low", 2, 0, 1);
  pr_column_pct(share_low, nv, 4, cols[8].entries, cols[8].width, cols[8].whole);
  set(9, "%high", 2, 0, 1);
  pr_column_pct(share_high, nv, 5, cols[9].entries, cols[9].width, cols[9].whole);
  if (none) {
    for (std::size_t i = 8; i < 10; ++i) {
      table_column& col = cols[i];
      col.in_use = 0;
      col.width = 0;
      col.gap = 0;
      col.stretch = 0;
      col.whole = 0;
      col.just = 0;
      caption(col, "");
    }
  }
  pr_column_fit(cols, 10);
  dap_pager pager;
  pr_column_captions(cols, 10, pager);
}

// Names run down the columns of each page: R rows per page, m names to a row. The sizes
// come from the subjects actually read, and neither can fall to zero.
void DPPSUB() {
  const dap_run_state& r = run();
  const dap_common_record& c = r.common;
  dap_print_state_record& ps = print_state();
  const std::int32_t L = page_common().ncline;
  const std::int32_t P = page_common().nlpage;
  const std::int32_t count = c.subject_count;
  if (count < 1) return;

  const std::int32_t d = decimal_digits(count);
  std::int32_t w = 1;
  for (std::int32_t s = 1; s <= count; ++s) {
    w = std::max(w, static_cast<std::int32_t>(io::trim_right(r.subject_names.get(s)).size()));
  }
  const std::int32_t m = std::max(1, L / (d + w + 3));
  const std::int32_t R = std::max(1, ((P - 2) / 5) * 5);

  std::string layout = m > 1 ? "(1X,I00,1X,A00,00(2X,I00,1X,A00))" : "(1X,I00,1X,A00)";
  int_to_text(d, std::span<char>(layout.data() + 5, 2));
  int_to_text(w, std::span<char>(layout.data() + 12, 2));
  if (m > 1) {
    int_to_text(m - 1, std::span<char>(layout.data() + 15, 2));
    int_to_text(d, std::span<char>(layout.data() + 22, 2));
    int_to_text(w, std::span<char>(layout.data() + 29, 2));
  }

  const std::int64_t per_page = static_cast<std::int64_t>(m) * R;
  const auto pages = static_cast<std::int32_t>((count + per_page - 1) / per_page);
  std::vector<io::Value> values;
  for (std::int32_t p = 1; p <= pages; ++p) {
    const auto f = static_cast<std::int32_t>(1 + (p - 1) * per_page);
    dap_line(1);
    write_formatted(ps.unit, "(A)", {"1SUBJECT NAMES    "});
    write_formatted(ps.unit, "(1X)");
    ps.lines_left -= 2;
    for (std::int32_t i = f; i <= std::min(f + R - 1, count); ++i) {
      values.clear();
      for (std::int64_t s = i; s <= count && s <= i + static_cast<std::int64_t>(m - 1) * R; s += R) {
        values.emplace_back(static_cast<std::int32_t>(s));
        values.emplace_back(r.subject_names.get(static_cast<std::int32_t>(s)));
      }
      write_formatted(ps.unit, layout, values);
      ps.lines_left -= 1;
    }
  }
}

}  // namespace korvex::dap
