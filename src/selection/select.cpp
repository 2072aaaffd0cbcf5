// The variable selection component SELECT: after *SELECT the component loop hands the turn
// here. It reads the ordinals of the active variables from MONIN, moves them to the front of
// the correlation matrix and the names, lists them with their correlations, records the
// selection on the ISF for the factoring components and appends the matrix to "CORR.TXT".
#include <string>
#include <vector>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/select_int.hpp"
#include "selection/selection.hpp"

namespace korvex {

namespace {

using selection::listing;
using selection::selection_run;

// Reads the list of selected ordinals into run.index (as read) and returns their count.
// Status 1 (a character outside the number set) and status 2 (0, or beyond NUMVAR) stop the
// run with the component's messages; more than 999 numbers stop it inside the reader.
std::int32_t read_selected(selection_run& run) {
  run.index.assign(selection::max_variables, 0);
  std::int32_t count = 0;
  std::int32_t status = 0;
  read_number_list(run.index, run.numvar, count, status, run.monin, run.out.unit);
  switch (status) {
    case 0:
      return count;
    case 1:
      proc_error("Inappropiate character in ordinal number.");
    default:
      proc_error("Input number too big or zero.");
  }
}

void select_main() {
  selection_run run;
  selection::selection_start(run);
  selection::print_banner(run.out, "V A R I A B L E   S E L E C T I O N   P R O G R A M",
                          "S E L E C T", run.title);
  selection::read_correlations(run);
  // The list is consumed before the refusal below, so the deck reads on after it.
  const std::int32_t count = read_selected(run);
  selection::read_names(run, "Select has been called before");
  selection::SETIND(run.index, run.numvar, count);
  run.numdel = run.numvar - count;
  selection::require_active(run.numvar, run.numdel);

  selection::permute_symmetric(run.r, run.numvar, run.index);
  selection::permute_items<std::string>(run.names, run.numvar, run.index);

  listing& out = run.out;
  PAGER(-1, out.page, out.lines, out.unit);
  pr_name_list(run.names, run.index, count, "ACTIVE VARIABLES", out.page, out.lines, out.unit);
  selection::unit_diagonal(run.r, run.numvar);
  pr_matrix_tri2(run.r, run.index, run.names, count, selection::ld, 1, 3,
                 "INTERCORRELATIONS OF ACTIVE VARIABLES", out.page, out.lines, out.unit);

  selection::write_selection_state(run);
  selection::write_corr_text(run);
}

}  // namespace

void SELECT() {
  select_main();
  return_to_gep();
}

}  // namespace korvex
