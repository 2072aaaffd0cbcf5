// Routines SELECT and SLEEP share, and the permutations RESTOR uses to undo them: the start
// steps and banner, reading CORRM1 and VNAMS1, the index vectors with their duplicate check,
// the in-place matrix permutation, and the writers of the selection state (CORRM2, CORRM1,
// VNAMS1, REORD1) and of the "CORR.TXT" text matrix.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "data_entry/active_variables.hpp"
#include "data_entry/data_entry.hpp"
#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/select_int.hpp"
#include "storage/storage.hpp"

namespace korvex::selection {

namespace {

constexpr std::string_view corr_text_layout = "(20f6.3)";

// Appends to list, from position `next` on, every ordinal 1..numvar that is not among the
// ascending chosen ordinals.
void append_others(std::span<std::int32_t> list, std::int32_t numvar,
                   std::span<const std::int32_t> chosen, std::int32_t next) {
  std::size_t c = 0;
  for (std::int32_t v = 1; v <= numvar; ++v) {
    if (c < chosen.size() && chosen[c] == v) {
      ++c;
    } else {
      list[at(next++)] = v;
    }
  }
}

}  // namespace

void print_centred(listing& out, std::string_view text, std::int32_t maxlen) {
  pr_line(0, std::min(get_ncline() - 1, maxlen), text, out.page, out.lines, out.unit);
}

void selection_start(selection_run& run) {
  module_start();
  // The scoring and typing components lay out their pages from this copy.
  copy_page_settings();
  run.monin = get_unit("MONIN");
  run.out.unit = get_unit("MONOUT");
  run.mtcorr = get_unit("MTCORR");
  PAGER(0, run.out.page, run.out.lines, run.out.unit);
  run.title = read_run_title();
}

void print_banner(listing& out, std::string_view program, std::string_view component,
                  std::string_view title) {
  PAGER(-2, out.page, out.lines, out.unit);
  print_centred(out, program, static_cast<std::int32_t>(program.size()));
  PAGER(-2, out.page, out.lines, out.unit);
  print_centred(out, component, static_cast<std::int32_t>(component.size()));
  PAGER(-2, out.page, out.lines, out.unit);
  const std::string_view t = io::trim_right(title);
  print_centred(out, t, static_cast<std::int32_t>(t.size()));
  PAGER(-1, out.page, out.lines, out.unit);
}

void read_correlations(selection_run& run) {
  run.r.assign(static_cast<std::size_t>(ld) * ld, 0.0f);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 0, kpar, notfound, run.r, 2);
  isf_not_found("CORRM1", notfound);
  run.numvar = kpar[1];
  run.numsub = kpar[2];
  unit_diagonal(run.r, run.numvar);
}

void read_names(selection_run& run, std::string_view refusal) {
  run.names.assign(max_variables, std::string(name_length, ' '));
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_name_vector("VNAMS1", 0, kpar, notfound, run.names);
  isf_not_found("VNAMS1", notfound);
  if (kpar[0] != no_selection_word) proc_error(refusal);
  if (kpar[1] != run.numvar) {
    proc_error("VNAMS1 holds " + std::to_string(kpar[1]) + " names but CORRM1 has " +
               std::to_string(run.numvar) + " variables.");
  }
  run.names.resize(static_cast<std::size_t>(run.numvar));
}

void select_sort_check(std::span<std::int32_t> list, std::int32_t count) {
  for (std::int32_t i = 1; i <= count - 1; ++i) {
    for (std::int32_t k = i + 1; k <= count; ++k) {
      if (list[at(k)] < list[at(i)]) {
        std::swap(list[at(k)], list[at(i)]);
      } else if (list[at(k)] == list[at(i)]) {
        proc_error("YOU SELECTED NUMBER " + int_to_text(list[at(i)], 4) + "TWICE.");
      }
    }
  }
}

void SETIND(std::span<std::int32_t> list, std::int32_t numvar, std::int32_t count) {
  select_sort_check(list, count);
  const std::vector<std::int32_t> chosen(list.begin(), list.begin() + count);
  append_others(list, numvar, chosen, count + 1);
}

void SETIND_SLEEP(std::span<std::int32_t> list, std::int32_t numvar, std::int32_t count) {
  const std::int32_t s = numvar - count + 1;
  const std::vector<std::int32_t> asleep(list.begin(), list.begin() + count);
  for (std::int32_t k = 1; k <= count; ++k) list[at(s + k - 1)] = asleep[at(k)];
  select_sort_check(list.subspan(at(s)), count);
  const std::vector<std::int32_t> sorted(list.begin() + (s - 1), list.begin() + numvar);
  append_others(list, numvar, sorted, 1);
}

void require_active(std::int32_t numvar, std::int32_t numdel) {
  const std::int32_t numact = numvar - numdel;
  if (numact < min_active) {
    proc_error("A selection must leave at least 2 active variables; this one leaves " +
               std::to_string(numact) + " of " + std::to_string(numvar) + ".");
  }
}

void permute_symmetric(std::span<float> a, std::int32_t n, std::span<const std::int32_t> perm) {
  // pos(x): where row and column x of the input now stand; occupant(p): the input row at p.
  std::vector<std::int32_t> pos(static_cast<std::size_t>(std::max(n, 0)));
  std::vector<std::int32_t> occupant(pos.size());
  for (std::int32_t i = 1; i <= n; ++i) pos[at(i)] = occupant[at(i)] = i;
  for (std::int32_t j = 1; j <= n - 1; ++j) {
    const std::int32_t wanted = perm[at(j)];
    const std::int32_t displaced = occupant[at(j)];
    if (displaced == wanted) continue;
    const std::int32_t e = pos[at(wanted)];
    for (std::int32_t k = 1; k <= n; ++k) std::swap(a[rc(j, k)], a[rc(e, k)]);
    for (std::int32_t k = 1; k <= n; ++k) std::swap(a[rc(k, j)], a[rc(k, e)]);
    pos[at(displaced)] = e;
    occupant[at(e)] = displaced;
    // Position j is final from here on; keeping its records true keeps the invariant plain.
    pos[at(wanted)] = j;
    occupant[at(j)] = wanted;
  }
}

void write_selection_state(selection_run& run) {
  const std::int32_t numact = run.numvar - run.numdel;
  std::int32_t notfound = 0;
  Kpar kpar{};
  kpar[0] = 3;
  kpar[1] = run.numvar;
  kpar[2] = run.numsub;
  kpar[3] = run.numdel;
  isf_real_square("CORRM2", 1, kpar, notfound, run.r, 2);
  kpar = Kpar{};
  kpar[0] = 2;
  kpar[1] = numact;
  kpar[2] = run.numsub;
  isf_real_square("CORRM1", 1, kpar, notfound, run.r, 2);
  write_selection(run.names, run.index, run.numvar, run.numdel);
}

void write_corr_text(selection_run& run) {
  unit_diagonal(run.r, run.numvar);
  std::vector<io::Value> row;
  for (std::int32_t i = 1; i <= run.numvar; ++i) {
    row.clear();
    for (std::int32_t j = 1; j <= i; ++j) row.emplace_back(run.r[rc(i, j)]);
    write_formatted(run.mtcorr, corr_text_layout, row);
  }
}

void unit_diagonal(std::span<float> r, std::int32_t n) {
  for (std::int32_t i = 1; i <= n; ++i) r[rc(i, i)] = 1.0f;
}

}  // namespace korvex::selection
