// Subspace selection of SPAN2: the reader of the analyst's preset-set cards, the span
// candidates (the dimensions of each variable's largest coefficients), the acceptance test
// by CLOPR and MINEW, the merge of the analyst's sets, and the orders of the tables.
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "io/layout.hpp"
#include "structure/span2_internal.hpp"

namespace korvex::span2 {

namespace {

// Reads one preset-set card "(BZ,20I4)" into its twenty fields.
std::array<std::int32_t, 20> read_preset_card(std::int32_t monin) {
  std::array<std::int32_t, 20> field{};
  std::string record;
  if (!read_record(monin, record)) check_io_stat("Error reading monin", -1);
  std::array<io::Target, 20> targets = {
      &field[0],  &field[1],  &field[2],  &field[3],  &field[4],  &field[5],  &field[6],
      &field[7],  &field[8],  &field[9],  &field[10], &field[11], &field[12], &field[13],
      &field[14], &field[15], &field[16], &field[17], &field[18], &field[19]};
  try {
    io::read_text("(BZ,20I4)", record, targets);
  } catch (const io::LayoutError&) {
    // A field that is not a number carries no status of its own.
    check_io_stat("Error reading monin", 1);
  }
  return field;
}

// 1 when preset set i is to stand after set j (longer, or larger at the first difference,
// or equal in every position).
bool span_subsphere_after(const subspace& i, const subspace& j) {
  return span_subspace_compare(i, j) >= 0;
}

}  // namespace

std::int32_t span_subspace_compare(const subspace& a, const subspace& b) {
  if (a.len < b.len) return -1;
  if (a.len > b.len) return 1;
  for (std::int32_t m = 1; m <= a.len; ++m) {
    if (a.index[at(m)] < b.index[at(m)]) return -1;
    if (a.index[at(m)] > b.index[at(m)]) return 1;
  }
  return 0;
}

bool span_point_after(const g_point& p, const g_point& q) {
  if (p.row != q.row) return p.row > q.row;
  if (p.column != q.column) return p.column > q.column;
  return p.variable >= q.variable;
}

void span_prefix() {
  run_state& s = state();
  s.t_ptr.clear();
  for (;;) {
    const std::array<std::int32_t, 20> field = read_preset_card(s.monin);
    std::int32_t n = 0;
    while (n < 20 && field[static_cast<std::size_t>(n)] != 0) {
      const std::int32_t d = field[static_cast<std::size_t>(n)];
      if (d < 0) proc_error("NEGATIVE DIMENSION DEFINER FOUND");
      if (d > s.NF) proc_error("DIMENSION DEFINER GREATER THAN NUMBER OF DIMENSIONS");
      ++n;
    }
    if (n == 0) break;
    std::vector<std::int32_t> defs(field.begin(), field.begin() + n);
    for (std::int32_t i = 1; i < n; ++i) {
      for (std::int32_t j = i + 1; j <= n; ++j) {
        if (defs[at(i)] == defs[at(j)]) {
          proc_error("TWO OR MORE DEFINERS OF THE SAME PRESET SET ARE EQUAL");
        }
        if (defs[at(i)] > defs[at(j)]) std::swap(defs[at(i)], defs[at(j)]);
      }
    }
    if (s.t_count() + 1 > max_preset) proc_error("Too many sets of dimansion definers");
    s.t_ptr.push_back(subspace{n, 1, std::move(defs)});
  }
  const std::int32_t t = s.t_count();
  for (std::int32_t i = 1; i < t; ++i) {
    for (std::int32_t j = i + 1; j <= t; ++j) {
      if (span_subsphere_after(s.t_ptr[at(i)], s.t_ptr[at(j)])) {
        std::swap(s.t_ptr[at(i)], s.t_ptr[at(j)]);
      }
    }
  }
  if (s.MODE != 2 && s.MODE != 3) proc_error("span->span_prefix: Bad value of mode.");
  // Without a preset set the limits stay as the parameter card left them.
  if (t == 0) return;
  if (s.MODE == 2) {
    s.NSTART = s.t_ptr.front().len;
    s.NFIN = s.t_ptr.back().len;
  } else {
    s.NSTART = std::min(s.NSTART, s.t_ptr.front().len);
    s.NFIN = std::max(s.NFIN, s.t_ptr.back().len);
  }
}

void span_subspace_insert(const subspace& rec) {
  run_state& s = state();
  for (std::size_t p = 0; p < s.n_ptr.size(); ++p) {
    const std::int32_t cmp = span_subspace_compare(s.n_ptr[p], rec);
    if (cmp == 0) {
      ++s.n_ptr[p].nbig;
      return;
    }
    if (cmp > 0) {
      s.n_ptr.insert(s.n_ptr.begin() + static_cast<std::ptrdiff_t>(p), rec);
      return;
    }
  }
  s.n_ptr.push_back(rec);
}

void span_preset(std::int32_t k) {
  run_state& s = state();
  s.n_ptr.clear();
  std::vector<bool> marked(at(s.NF) + 1);
  std::vector<float> row(at(s.NF) + 1);
  for (std::int32_t i = 1; i <= s.NV; ++i) {
    for (std::int32_t j = 1; j <= s.NF; ++j) row[at(j)] = s.c(i, j);
    std::fill(marked.begin(), marked.end(), false);
    // Each turn takes the largest magnitude left; among equal ones the lowest dimension,
    // and once only zeros are left, the lowest dimension not yet taken.
    for (std::int32_t turn = 1; turn <= k; ++turn) {
      std::int32_t best = 1;
      for (std::int32_t j = 1; j <= s.NF; ++j) {
        const float a = std::fabs(row[at(j)]);
        const float b = std::fabs(row[at(best)]);
        if (a > b || (a == b && marked[at(best)])) best = j;
      }
      marked[at(best)] = true;
      row[at(best)] = 0.0f;
    }
    subspace temp_table{k, 1, {}};
    for (std::int32_t j = 1; j <= s.NF; ++j) {
      if (marked[at(j)]) temp_table.index.push_back(j);
    }
    if (static_cast<std::int32_t>(temp_table.index.size()) != k) proc_error("Select error.");
    span_subspace_insert(temp_table);
  }
}

void span_subspace_select(std::int32_t k) {
  run_state& s = state();
  std::vector<std::int32_t> count(s.n_ptr.size(), 0);
  for (std::int32_t i = 1; i <= s.NV; ++i) {
    for (std::size_t p = 0; p < s.n_ptr.size(); ++p) {
      float share = 0.0f;
      for (std::int32_t m = 1; m <= k; ++m) {
        const float b = s.c(i, s.n_ptr[p].index[at(m)]);
        share += b * b;
      }
      if (share >= s.CLOPR) {
        ++count[p];
        break;
      }
    }
  }
  std::vector<subspace> kept;
  for (std::size_t p = 0; p < s.n_ptr.size(); ++p) {
    if (count[p] >= s.options.MINEW) kept.push_back(std::move(s.n_ptr[p]));
  }
  s.n_ptr = std::move(kept);
}

std::array<std::int32_t, 2> span_preset_range(std::int32_t k) {
  const run_state& s = state();
  std::int32_t first = 0;
  std::int32_t last = 0;
  for (std::int32_t i = 1; i <= s.t_count(); ++i) {
    if (s.t_ptr[at(i)].len != k) continue;
    if (first == 0) first = i;
    last = i;
  }
  return {first, last};
}

void span_subspace_merge(std::int32_t first, std::int32_t last) {
  run_state& s = state();
  std::int32_t sp = 1;
  std::int32_t i = first;
  std::int32_t t = 1;
  while (i <= last) {
    const subspace& a = s.t_ptr[at(i)];
    if (sp < t || sp > s.n_count()) {
      s.n_ptr.push_back(a);
      ++i;
      ++t;
      continue;
    }
    const std::int32_t cmp = span_subspace_compare(s.n_ptr[at(sp)], a);
    if (cmp < 0) {
      ++sp;
    } else if (cmp == 0) {
      s.n_ptr[at(sp)].nbig += a.nbig;
      ++sp;
      ++i;
      ++t;
    } else {
      s.n_ptr.insert(s.n_ptr.begin() + static_cast<std::ptrdiff_t>(at(sp)), a);
      ++sp;
      ++i;
      ++t;
    }
  }
}

void select_for_dimension(std::int32_t k) {
  run_state& s = state();
  if (s.MODE == 2) {
    const std::array<std::int32_t, 2> r = span_preset_range(k);
    s.n_ptr.clear();
    if (r[0] == 0) return;
    for (std::int32_t i = r[0]; i <= r[1]; ++i) s.n_ptr.push_back(s.t_ptr[at(i)]);
    return;
  }
  span_preset(k);
  span_subspace_select(k);
  if (s.MODE == 3) {
    const std::array<std::int32_t, 2> r = span_preset_range(k);
    if (r[0] != 0) span_subspace_merge(r[0], r[1]);
  }
}

}  // namespace korvex::span2
