// COMP2's selection of the variables (rows) and dimensions (columns) to compare: all of them,
// the analyst's named lists, or the variables that define some dimension. The coefficient
// matrix is compacted in place so that its leading block holds what the similarity step
// compares; unknown or repeated names are all listed before the run stops.
#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "typing/comp_internal.hpp"

namespace korvex::comp {

namespace {

// VARSEL 2 and 3: the variables that define some column of any group, in variable order.
// With renumber, every definer becomes its variable's new row number.
void C2KEYV(comp2_state& s, bool renumber) {
  std::fill(s.mark.begin(), s.mark.end(), 0);
  for (std::int32_t col = 1; col <= s.total_dims; ++col) {
    const std::size_t base = at0(col - 1) * at0(max_definers);
    for (std::int32_t k = 1; k <= s.def_count[at0(col - 1)]; ++k) s.mark[at0(s.def_list[base + at0(k - 1)] - 1)] = 1;
  }
  s.nsel_vars = 0;
  for (std::int32_t i = 1; i <= s.nvar; ++i) {
    if (s.mark[at0(i - 1)] == 0) continue;
    ++s.nsel_vars;
    s.index_vec[at0(s.nsel_vars - 1)] = i;
    s.sel_var_names[at0(s.nsel_vars - 1)] = s.ref_names[at0(i - 1)];
    s.mark[at0(i - 1)] = s.nsel_vars;  // the variable's new row
  }
  C2PICK(s.a, ld, s.nsel_vars, s.total_dims, s.index_vec, 0);
  if (!renumber) return;
  for (std::int32_t col = 1; col <= s.total_dims; ++col) {
    const std::size_t base = at0(col - 1) * at0(max_definers);
    for (std::int32_t k = 1; k <= s.def_count[at0(col - 1)]; ++k) {
      std::int32_t& d = s.def_list[base + at0(k - 1)];
      d = s.mark[at0(d - 1)];
    }
  }
}

// Matches the analyst's list against the n names into index_vec; on errors (listed by
// C2NSEL) writes their count under `summary` and returns false.
bool match_list(comp2_state& s, std::span<const std::string> names,
                std::span<const std::string> list, std::int32_t n, std::int32_t count,
                std::string_view summary) {
  std::vector<std::int32_t> usage(at0(max_dims), 0);
  std::int32_t errors = 0;
  C2NSEL(names, list, n, count, usage, s.index_vec, errors, s.page, s.lines, s.monout);
  if (errors == 0) return true;
  PAGER(2, s.page, s.lines, s.monout);
  write_formatted(s.monout, summary, {errors});
  return false;
}

// Rows by VARSEL; false when the analyst's list holds errors (listed already).
bool select_rows(comp2_state& s) {
  if (s.varsel == 0) {
    s.nsel_vars = s.nvar;
    for (std::int32_t i = 1; i <= s.nvar; ++i) s.sel_var_names[at0(i - 1)] = s.ref_names[at0(i - 1)];
    return true;
  }
  if (s.varsel == 1) {
    if (!match_list(s, s.ref_names, s.var_list, s.nvar, s.var_list_count,
                    "('0',I5,' ERROR(S) IN ROW (VARIABLE) SELECTION.')")) {
      return false;
    }
    s.nsel_vars = s.var_list_count;
    for (std::int32_t k = 1; k <= s.nsel_vars; ++k) {
      s.sel_var_names[at0(k - 1)] = s.ref_names[at0(s.index_vec[at0(k - 1)] - 1)];
    }
    C2PICK(s.a, ld, s.nsel_vars, s.total_dims, s.index_vec, 0);
    return true;
  }
  C2KEYV(s, s.varsel == 3);
  return true;
}

// Columns by DIMSEL; false when the analyst's list holds errors (listed already). With
// rows_ok false nothing is compacted: the run is about to stop.
bool select_columns(comp2_state& s, bool rows_ok) {
  if (s.dimsel == 0) {
    s.nsel_dims = s.total_dims;
    for (std::int32_t j = 1; j <= s.total_dims; ++j) {
      s.sel_dim_names[at0(j - 1)] = s.dim_names[at0(j - 1)];
      s.dim_origin[at0(j - 1)] = j;
    }
    return true;
  }
  if (!match_list(s, s.dim_names, s.dim_list, s.total_dims, s.dim_list_count,
                  "('0',I5,' ERROR(S) IN COLUMN (DIMENSION) SELECTION.')")) {
    return false;
  }
  s.nsel_dims = s.dim_list_count;
  for (std::int32_t k = 1; k <= s.nsel_dims; ++k) {
    const std::int32_t col = s.index_vec[at0(k - 1)];
    s.sel_dim_names[at0(k - 1)] = s.dim_names[at0(col - 1)];
    s.dim_origin[at0(k - 1)] = col;
  }
  if (rows_ok) C2PICK(s.a, ld, s.nsel_vars, s.nsel_dims, s.index_vec, 1);
  return true;
}

}  // namespace

void C2NSEL(std::span<const std::string> names, std::span<const std::string> names_sel,
            std::int32_t n, std::int32_t nsel, std::span<std::int32_t> usage,
            std::span<std::int32_t> index, std::int32_t& errors, std::int32_t& page,
            std::int32_t& lines, std::int32_t unit) {
  errors = 0;
  for (std::int32_t i = 1; i <= n; ++i) usage[at0(i - 1)] = 0;
  for (std::int32_t e = 1; e <= nsel; ++e) {
    const std::string& key = names_sel[at0(e - 1)];
    const std::int32_t pos = find_name(names, n, key);
    if (pos > n || n < 1) {
      PAGER(2, page, lines, unit);
      write_formatted(unit,
                      "('0THE NAME \"',A20,'\" USED IN SELECTION CANNOT BE FOUND IN UNSELECTED LIST OF NAMES.')",
                      {key});
      ++errors;
      continue;
    }
    index[at0(e - 1)] = pos;
    ++usage[at0(pos - 1)];
  }
  for (std::int32_t i = 1; i <= n; ++i) {
    if (usage[at0(i - 1)] <= 1) continue;
    PAGER(2, page, lines, unit);
    write_formatted(unit, "('0THE SELECTION NAMES \"',A20,'\" IS USED MORE THAN ONCE..')", {names[at0(i - 1)]});
    ++errors;
  }
}

void C2PICK(std::span<float> a, std::int32_t ld_a, std::int32_t nrows, std::int32_t ncols,
            std::span<const std::int32_t> index, std::int32_t mode) {
  auto el = [&](std::int32_t i, std::int32_t j) -> float& {
    return a[static_cast<std::size_t>(j - 1) * at0(ld_a) + at0(i - 1)];
  };
  if (mode == 0) {
    std::vector<float> work(at0(std::max(nrows, 0)));
    for (std::int32_t j = 1; j <= ncols; ++j) {
      for (std::int32_t k = 1; k <= nrows; ++k) work[at0(k - 1)] = el(index[at0(k - 1)], j);
      for (std::int32_t k = 1; k <= nrows; ++k) el(k, j) = work[at0(k - 1)];
    }
    return;
  }
  std::vector<float> work(at0(std::max(ncols, 0)));
  for (std::int32_t i = 1; i <= nrows; ++i) {
    for (std::int32_t k = 1; k <= ncols; ++k) work[at0(k - 1)] = el(i, index[at0(k - 1)]);
    for (std::int32_t k = 1; k <= ncols; ++k) el(i, k) = work[at0(k - 1)];
  }
}

void C2SELE() {
  comp2_state& s = state();
  const bool rows_ok = select_rows(s);
  const bool columns_ok = select_columns(s, rows_ok);
  if (!rows_ok || !columns_ok) QUIT(10008);
  pr_matrix(s.a, s.sel_var_names, s.sel_dim_names, s.nsel_vars, s.nsel_dims, ld, 1, 4,
            "FACTOR COEFFICIENTS OF VARIABLES AND FACTORS SELECTED FOR COMPARISON", s.page, s.lines,
            s.monout);
}

}  // namespace korvex::comp
