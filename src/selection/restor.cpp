// The reactivation component RESTOR: after *RESTOR the component loop hands the turn here.
// It reads the selection in force and the key-cluster results for the active variables,
// checks them, prints its head, returns the correlations to original order as CORRM1, has
// the sleeper coefficients and communalities computed and reported, and writes names,
// coefficients and key lists back in original variable numbers.
#include <cstdlib>
#include <string>
#include <vector>

#include "data_entry/active_variables.hpp"
#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/restor_int.hpp"
#include "selection/selection.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace restor {

namespace {

constexpr std::string_view bad_information = "BAD IST INFORMATION";

[[noreturn]] void bad(const std::string& detail) {
  proc_error(std::string(bad_information) + ": " + detail);
}

// The key or reflection lists of `label` with their count in nlists; false when the entry
// is not on the ISF (which is no error: the lists are then neither mapped nor written).
bool read_lists(std::string_view label, std::vector<std::int32_t>& counts,
                std::vector<std::int32_t>& lists, std::int32_t& nlists) {
  counts.assign(selection::max_dimensions, 0);
  lists.assign(static_cast<std::size_t>(list_rows) * selection::max_dimensions, 0);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_int_table(label, 0, kpar, notfound, counts, lists);
  nlists = notfound == 0 ? kpar[1] : 0;
  return notfound == 0;
}

// Stops unless the lists read match the dimensions of UFACT1 and hold active positions only.
void check_lists(const restor_run& run, std::string_view label, bool signed_entries,
                 std::span<const std::int32_t> counts, std::span<const std::int32_t> lists,
                 std::int32_t nlists) {
  const std::string name(label);
  if (nlists != run.numfac) {
    bad(name + " holds " + std::to_string(nlists) + " lists but UFACT1 has " +
        std::to_string(run.numfac) + " dimensions.");
  }
  for (std::int32_t k = 1; k <= run.numfac; ++k) {
    if (counts[at(k)] < 0 || counts[at(k)] > list_rows) {
      bad(name + " list " + std::to_string(k) + " claims " + std::to_string(counts[at(k)]) +
          " entries; a list holds at most 99.");
    }
    for (std::int32_t m = 1; m <= counts[at(k)]; ++m) {
      const std::int32_t e = lists[static_cast<std::size_t>(k - 1) * list_rows + at(m)];
      const std::int64_t v = signed_entries ? std::abs(std::int64_t{e}) : e;
      if (v < 1 || v > run.numact) {
        bad(name + " list " + std::to_string(k) + " holds " + std::to_string(e) +
            ", which is not one of the active variables 1 to " + std::to_string(run.numact) +
            ".");
      }
    }
  }
}

// Original numbers for the reordered positions of one table of lists.
void lists_to_original(const restor_run& run, std::span<const std::int32_t> counts,
                       std::vector<std::int32_t>& lists) {
  for (std::int32_t k = 1; k <= run.numfac; ++k) {
    for (std::int32_t m = 1; m <= counts[at(k)]; ++m) {
      std::int32_t& e = lists[static_cast<std::size_t>(k - 1) * list_rows + at(m)];
      const std::int32_t number = run.order[at(std::abs(e))];
      e = e < 0 ? -number : number;
    }
  }
}

void centred(restor_run& run, std::string_view text, std::int32_t maxlen) {
  selection::print_centred(run.out, text, maxlen);
}

void blank_lines(restor_run& run, std::int32_t n) {
  PAGER(-n, run.out.page, run.out.lines, run.out.unit);
}

void print_head(restor_run& run) {
  PAGER(0, run.out.page, run.out.lines, run.out.unit);
  blank_lines(run, 2);
  centred(run,
          "S U P P R E S S E D  V A R I A B L E  R E A C T I V A T I O N  P R O G R A M", 80);
  blank_lines(run, 2);
  centred(run, "R E S T O R E", 13);
  blank_lines(run, 2);
  const std::string_view t = io::trim_right(run.title);
  centred(run, t, static_cast<std::int32_t>(t.size()));
  blank_lines(run, 1);
}

void print_summary_headings(restor_run& run) {
  blank_lines(run, 2);
  blank_lines(run, 2);
  centred(run, "SUMMARY OF ANALYSIS INCLUDING SLEEPER VARIABLES NOT INVOLVED IN FACTORING", 73);
  centred(run, "(VARIABLES IN REORDERED POSITION)", 33);
  blank_lines(run, 2);
  centred(run, "RESTORE PRINTOUT USES ORIGINAL VARIABLE INDICES ONLY", 52);
  blank_lines(run, 2);
}

// CORRM1 of every variable in original order, from the reordered CORRM2 in run.r.
void write_original_correlations(restor_run& run) {
  selection::permute_symmetric(run.r, run.numvar, run.inverse);
  Kpar kpar{};
  kpar[0] = 2;
  kpar[1] = run.numvar;
  kpar[2] = run.numsub;
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 1, kpar, notfound, run.r, 2);
}

void restor_main() {
  module_start();
  restor_run run;
  run.out.unit = get_unit("MONOUT");
  restor_read_isf(run);
  // Computed before the listing and the first ISF write, so that a singular F'F leaves the
  // selection and the ISF exactly as they were.
  restor_sleeper_factors(run);

  run.dim_numbers.assign(static_cast<std::size_t>(run.numfac), 0);
  for (std::int32_t k = 1; k <= run.numfac; ++k) run.dim_numbers[at(k)] = k;
  run.dim_names.assign(static_cast<std::size_t>(run.numfac), std::string(name_length, ' '));
  gen_kind_names(run.dim_names, run.numfac, run.reflections_found ? 1 : 2);

  print_head(run);
  run.inverse.assign(static_cast<std::size_t>(run.numvar), 0);
  restor_inverse_order(run.order, run.inverse, run.numvar);
  write_original_correlations(run);
  print_summary_headings(run);
  restor_print_sleepers(run);
  restor_communalities(run);
  blank_lines(run, 2);
  restor_write_isf(run);
}

}  // namespace

void restor_read_isf(restor_run& run) {
  run.title = read_run_title();

  run.names.assign(selection::max_variables, std::string(name_length, ' '));
  Kpar names_kpar{};
  std::int32_t notfound = 0;
  isf_name_vector("VNAMS1", 0, names_kpar, notfound, run.names);
  isf_not_found("VNAMS1", notfound);
  // Without a selection CORRM2 and REORD1 are leftovers of an undone one, and restoring them
  // would overwrite the analysis in force.
  if (names_kpar[0] != selection::selection_word) {
    proc_error("RESTOR: no variable selection is in force (*SELECT or *SLEEP first).");
  }

  run.r.assign(static_cast<std::size_t>(ld) * ld, 0.0f);
  Kpar kpar{};
  isf_real_square("CORRM2", 0, kpar, notfound, run.r, 2);
  isf_not_found("CORRM2", notfound);
  run.numvar = kpar[1];
  run.numsub = kpar[2];

  // Room for any width the ISF can hold, so a UFACT1 too wide gets this component's message.
  std::vector<float> wide(static_cast<std::size_t>(ld) * selection::max_variables, 0.0f);
  kpar = Kpar{};
  isf_real_matrix("UFACT1", 0, kpar, notfound, wide);
  isf_not_found("UFACT1", notfound);
  run.numact = kpar[1];
  run.numfac = kpar[2];

  std::int32_t nclusters = 0;
  run.clusters_found = read_lists("CLUST1", run.cluster_counts, run.clusters, nclusters);
  std::int32_t nreflections = 0;
  run.reflections_found =
      read_lists("REFLX1", run.reflection_counts, run.reflections, nreflections);

  run.order.assign(selection::max_variables, 0);
  Kpar order_kpar{};
  isf_int_vector("REORD1", 0, order_kpar, notfound, run.order);
  isf_not_found("REORD1", notfound);
  run.numdel = order_kpar[3];

  // UFACT1 left from before the selection is the usual cause: the analyst is told what the
  // sizes are and that CC5 must factor the active variables first.
  if (run.numvar - run.numdel != run.numact) {
    bad("UFACT1 has " + std::to_string(run.numact) + " rows for " +
        std::to_string(run.numvar - run.numdel) + " active variables; run CC5 before *RESTOR.");
  }

  if (run.numvar < 1 || run.numvar > selection::max_variables || run.numdel < 0) {
    bad("CORRM2 holds " + std::to_string(run.numvar) + " variables and REORD1 " +
        std::to_string(run.numdel) + " sleepers.");
  }
  if (order_kpar[1] != run.numvar) {
    bad("REORD1 holds " + std::to_string(order_kpar[1]) + " positions but CORRM2 has " +
        std::to_string(run.numvar) + " variables.");
  }
  std::vector<bool> seen(static_cast<std::size_t>(run.numvar) + 1, false);
  for (std::int32_t p = 1; p <= run.numvar; ++p) {
    const std::int32_t o = run.order[at(p)];
    if (o < 1 || o > run.numvar || seen[static_cast<std::size_t>(o)]) {
      bad("REORD1 is not an order of the variables 1 to " + std::to_string(run.numvar) + ".");
    }
    seen[static_cast<std::size_t>(o)] = true;
  }
  if (names_kpar[1] != run.numvar || names_kpar[3] != run.numdel) {
    bad("VNAMS1 holds " + std::to_string(names_kpar[1]) + " names with " +
        std::to_string(names_kpar[3]) + " sleepers, CORRM2 and REORD1 " +
        std::to_string(run.numvar) + " with " + std::to_string(run.numdel) + ".");
  }
  if (run.numfac < 1 || run.numfac > selection::max_dimensions) {
    bad("UFACT1 holds " + std::to_string(run.numfac) +
        " dimensions; 1 to 50 dimensions can be restored.");
  }
  if (run.clusters_found) {
    check_lists(run, "CLUST1", false, run.cluster_counts, run.clusters, nclusters);
  }
  if (run.reflections_found) {
    check_lists(run, "REFLX1", true, run.reflection_counts, run.reflections, nreflections);
  }

  run.names.resize(static_cast<std::size_t>(run.numvar));
  run.f.assign(static_cast<std::size_t>(ld) * selection::max_dimensions, 0.0f);
  for (std::int32_t k = 1; k <= run.numfac; ++k) {
    for (std::int32_t a = 1; a <= run.numact; ++a) run.f[rc(a, k)] = wide[rc(a, k)];
  }
}

void restor_inverse_order(std::span<const std::int32_t> order, std::span<std::int32_t> inverse,
                          std::int32_t n) {
  for (std::int32_t i = 1; i <= n; ++i) inverse[at(order[at(i)])] = i;
}

void restor_write_isf(restor_run& run) {
  selection::permute_items<std::string>(run.names, run.numvar, run.inverse);
  for (std::int32_t k = 1; k <= run.numfac; ++k) {
    selection::permute_items<float>(std::span<float>(run.f).subspan(rc(1, k)), run.numvar,
                                    run.inverse);
  }
  if (run.clusters_found) lists_to_original(run, run.cluster_counts, run.clusters);
  if (run.reflections_found) lists_to_original(run, run.reflection_counts, run.reflections);

  write_no_selection(run.names, run.numvar);
  Kpar kpar{};
  std::int32_t notfound = 0;
  make_kpar(kpar, run.numvar, run.numfac, 0);
  isf_real_matrix("UFACT1", 1, kpar, notfound, run.f);
  if (run.clusters_found) {
    make_kpar(kpar, run.numfac, 0, 0);
    isf_int_table("CLUST1", 1, kpar, notfound, run.cluster_counts, run.clusters);
  }
  if (run.reflections_found) {
    make_kpar(kpar, run.numfac, 0, 0);
    isf_int_table("REFLX1", 1, kpar, notfound, run.reflection_counts, run.reflections);
  }
}

}  // namespace restor

void RESTOR() {
  restor::restor_main();
  return_to_gep();
}

}  // namespace korvex
