// The variable suppression component SLEEP: after *SLEEP the component loop hands the turn
// here. It reads the sleeper variables (by name or ordinal) from MONIN, moves them behind the
// active variables in the correlation matrix and the names, lists their correlations, and
// records the same selection state as SELECT, with "CORR.TXT" appended likewise.
#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/select_int.hpp"
#include "selection/selection.hpp"

namespace korvex {

namespace {

using selection::listing;
using selection::selection_run;

// Reads the sleeper list into run.index (as read) and returns its count. Each refused entry
// stops the run with the component's message for the reader's status.
std::int32_t read_sleepers(selection_run& run) {
  run.index.assign(selection::max_variables, 0);
  std::int32_t count = 0;
  std::int32_t status = 0;
  read_var_list(run.names, run.index, run.numvar, run.numvar, count, status, run.monin,
                run.out.unit);
  switch (status) {
    case 0:
      return count;
    case 1:
      proc_error("Inappropiate character in names of sleeper variables");
    case 2:
      proc_error("Name is not a valid variable name.");
    case 3:
      proc_error("Number is not a valid ordinal number.");
    default:
      // A full list can only grow by a repeat, which status 3 reports first.
      proc_error("Too many names in list: room for " + std::to_string(run.numvar) + ".");
  }
}

void sleep_main() {
  selection_run run;
  selection::selection_start(run);
  selection::print_banner(run.out,
                          "V A R I A B L E   S U P P R E S S I O N   P R O G R A M",
                          "S L E E P", run.title);
  selection::read_correlations(run);
  // Unlike SELECT, the refusal comes before any list card is read.
  selection::read_names(run, "Sleep has been called before.");
  listing& out = run.out;
  PAGER(-2, out.page, out.lines, out.unit);
  const std::int32_t count = read_sleepers(run);
  selection::require_active(run.numvar, count);
  selection::SETIND_SLEEP(run.index, run.numvar, count);
  run.numdel = count;

  selection::permute_symmetric(run.r, run.numvar, run.index);
  selection::permute_items<std::string>(run.names, run.numvar, run.index);

  PAGER(-2, out.page, out.lines, out.unit);
  const std::string text =
      io::format_line("(1X,I9,A)", {count, " VARIABLES ARE SLEEPER VARIABLES"});
  const auto len = static_cast<std::int32_t>(io::trim_right(text).size());
  pr_line(-1, std::min(len, get_ncline() - 1), text, out.page, out.lines, out.unit);
  PAGER(-1, out.page, out.lines, out.unit);

  selection::unit_diagonal(run.r, run.numvar);
  const std::int32_t s = run.numvar - count + 1;
  pr_matrix_tri2(std::span<const float>(run.r).subspan(selection::rc(s, s)),
                 std::span<const std::int32_t>(run.index).subspan(selection::at(s)),
                 std::span<const std::string>(run.names).subspan(selection::at(s)), count,
                 selection::ld, 1, 3, "INTERCORRELATIONS OF SLEEPER VARIABLES", out.page,
                 out.lines, out.unit);

  selection::write_selection_state(run);
  selection::write_corr_text(run);
}

}  // namespace

void SLEEP() {
  sleep_main();
  return_to_gep();
}

}  // namespace korvex
