// The diagonal-values component DVP: after *DVP the component loop hands the turn here. The
// driver reads the parameter card, the run title and CORRM1 with its names and numbers,
// runs the optional initial method and then the card's method, lists each set of
// estimates under its method title and stores the last set as DIAGV1 before returning to
// GEP. It also owns the process-wide working state that the method routines share.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "data_entry/active_variables.hpp"
#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "factoring/dvp_internal.hpp"
#include "factoring/factoring.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace dvp {

dvp_state_record::dvp_state_record() { reset(); }

void dvp_state_record::reset() {
  method = 0;
  kpsq = 0;
  numvar = 0;
  R.assign(static_cast<std::size_t>(max_vars) * max_vars, 0.0f);
  names.assign(max_vars, std::string(name_length, ' '));
  varnum.assign(max_vars, 0);
  diag.assign(max_vars, 0.0f);
  psq.assign(max_vars, 0.0f);
  colss.assign(max_vars, 0.0f);
  ref_table.assign(static_cast<std::size_t>(ref_ld) * max_vars, 0);
  ref_matrix.assign(static_cast<std::size_t>(ref_ld) * ref_ld, 0.0f);
  ref_rhs.assign(static_cast<std::size_t>(ref_ld) * ref_ld, 0.0f);
  perm.assign(max_vars, 0);
}

dvp_state_record& dvp_state() {
  static dvp_state_record state;
  return state;
}

void fallback_notice(std::string_view first_line, listing& out) {
  PAGER(4, out.page, out.lines, out.unit);
  write_formatted(out.unit, "(1X,A)", {" ", first_line, " ", " HIGHEST R METHOD USED INSTEAD."});
}

namespace {

// The parameter card, decoded with its defaults.
struct dvp_card {
  std::int32_t method = 41;
  std::int32_t ntop = 0;
  std::int32_t kpsq = 0;
  std::int32_t initial = 0;
  std::int32_t qf_spare = 10;
  float tol = 0.05f;
  std::int32_t ktab = 0;
  std::int32_t maxit = 40;
  std::int32_t nref = 10;
  std::int32_t npfit = 4;
};

// Titles of the method table: the card's method, and the same code run as initial method
// (empty where a code may not run first). The wording is the listing's own, slips included.
struct method_titles {
  std::int32_t code;
  std::string_view final_title;
  std::string_view initial_title;
};

constexpr std::array<method_titles, 12> title_table = {{
    {10, "Communality Estimates by Squared Multiple Correlations", ""},
    {30, "Communality Estimates by Converged Quadratic Formula", ""},
    {31, "Communality Estimates by Converged Quadratic Formula", ""},
    {32, "Communality Estimates by Converged Quadratic Formula", ""},
    {40, "Communality Estimates by Approximation B (Excluding Diagonal}",
     "Initial Communiality Estimates by Approximation B (Excluding Diagonals)"},
    {41, "Communality Estimates by Modified Approximation B (Highest Absolute R in Diagonal)",
     "Initial Communality Estimates by Modified Approximation B (Highest Absolute R in Diagonal)"},
    {50, "Communality Estimates by Highest Absolute R",
     "Initial Communality Estimates by Highest Absolute R"},
    {51, "Communality Estimates by Average Absolute R",
     "Initial Communality Estimates by Average Absolute R"},
    {52, "Communiality Estimates by Triads", "Initial Communiality Estimates by Triads"},
    {60, "Communiality Estimates by Proporational Fit",
     "Initial Communiality Estimates by Proporational Fit"},
    {70, "Diagonal Values Set to Zero", "Initial Diagonal Values Set to Zero"},
    {71, "Diagonal Values Set to One", "Initial Diagonal Values Set to One"},
}};

constexpr std::string_view smc_fallback_title = "Communality Estimates by Highest Absolute R";
constexpr std::string_view program_heading = "D I A G O N A L    V A L U E S    P R O G R A M";
constexpr std::size_t title_text_length = 100;

// The title of a validated code.
std::string_view title_of(std::int32_t code, bool initial) {
  for (const method_titles& t : title_table) {
    if (t.code == code) return initial ? t.initial_title : t.final_title;
  }
  assert(false && "method code not validated");
  return {};
}

// Number of the ranges that hold code (a valid code lies in exactly one).
std::int32_t ranges_holding(std::int32_t code, bool initial) {
  struct range {
    std::int32_t lo, hi;
  };
  constexpr std::array<range, 6> final_ranges = {{{10, 10}, {30, 32}, {40, 41}, {50, 52}, {60, 60}, {70, 71}}};
  constexpr std::array<range, 4> initial_ranges = {{{40, 41}, {50, 52}, {60, 60}, {70, 71}}};
  std::int32_t hits = 0;
  if (initial) {
    for (const range& r : initial_ranges) hits += int_in_range(code, r.lo, r.hi) ? 1 : 0;
  } else {
    for (const range& r : final_ranges) hits += int_in_range(code, r.lo, r.hi) ? 1 : 0;
  }
  return hits;
}

// Reads the parameter card from MONIN and decodes its ten 4-column fields. End of file or a
// read failure stops the run with the card's tag; a field that is not a number stops it
// with the field reader's message.
dvp_card read_card(std::int32_t monin) {
  std::string record;
  if (!read_record(monin, record)) check_io_stat("Error occurred reading parameter record", -1);
  std::array<std::string, 10> field;
  std::array<io::Target, 10> targets = {{{&field[0], 4}, {&field[1], 4}, {&field[2], 4}, {&field[3], 4},
                                          {&field[4], 4}, {&field[5], 4}, {&field[6], 4}, {&field[7], 4},
                                          {&field[8], 4}, {&field[9], 4}}};
  io::read_text("(10A4)", record, targets);
  dvp_card c;
  field_int(field[0], c.method, 41);
  field_int(field[1], c.ntop, 0);
  field_int(field[2], c.kpsq, 0);
  field_int(field[3], c.initial, 0);
  field_int(field[4], c.qf_spare, 10);
  field_real(field[5], c.tol, 0.05f);
  field_int(field[6], c.ktab, 0);
  field_int(field[7], c.maxit, 40);
  field_int(field[8], c.nref, 10);
  field_int(field[9], c.npfit, 4);
  return c;
}

// The component heading: the program name and the run title, centred on a new page.
void print_heading(const std::array<std::string, 12>& title_words, listing& out) {
  PAGER(0, out.page, out.lines, out.unit);
  PAGER(-4, out.page, out.lines, out.unit);
  const auto heading_len = static_cast<std::int32_t>(program_heading.size());
  pr_line(0, std::min(get_ncline_m1(), heading_len), program_heading, out.page, out.lines, out.unit);
  std::string line;
  words_to_line(title_words, line);
  line = io::pad(line, title_text_length);
  const auto trimmed = static_cast<std::int32_t>(io::trim_right(line).size());
  PAGER(-2, out.page, out.lines, out.unit);
  pr_line(0, std::min(trimmed, get_ncline_m1()), line, out.page, out.lines, out.unit);
  PAGER(-2, out.page, out.lines, out.unit);
}

// CORRM1 into R (both triangles) and numvar; its absence stops the run (10005).
void read_correlations(dvp_state_record& s) {
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 0, kpar, notfound, s.R, 2);
  if (notfound != 0) isf_missing("CORRM1", 1);
  s.numvar = kpar[1];
}

// Names and listed numbers by position, under the active-variable protocol: the names of
// VNAMS1 and, while a selection is in force, the original numbers of REORD1; otherwise the
// positions themselves. Positions that VNAMS1 does not reach (or all of them, when it is
// absent) get "VAR" names and their own positions.
void read_names_and_numbers(dvp_state_record& s) {
  const active_variables v = read_active_variables(s.numvar);
  const std::int32_t known = std::min(s.numvar, v.numvar);
  GENAME("VAR", s.names, s.numvar, 0);
  fill_index(s.varnum, s.numvar);
  for (std::int32_t k = 1; k <= known; ++k) {
    s.names[at(k)] = io::pad(v.names[at(k)], name_length);
    s.varnum[at(k)] = v.numbers[at(k)];
  }
}

// One pass: runs the routine of the code in s.method and lists diag under its title (the
// initial column of the title table when initial is true).
void run_pass(const dvp_card& card, bool initial, listing& out, std::int32_t scratch) {
  dvp_state_record& s = dvp_state();
  const std::int32_t code = s.method;
  std::string_view title = title_of(code, initial);
  switch (code / 10) {
    case 1:
      if (!squared_multiple_correlations(out)) title = smc_fallback_title;
      break;
    case 3:
      QF(card.qf_spare, card.tol, card.ktab, card.maxit, out);
      break;
    case 4:
      B(out, scratch);
      break;
    case 5:
      HAT();
      break;
    case 6:
      PF(card.nref, card.npfit, card.ktab, out, scratch);
      break;
    case 7:
      INDVAL();
      break;
    default:
      assert(false && "method code not validated");
  }
  const std::string title_text = io::pad(title, title_text_length);
  privo(s.diag, s.varnum, s.names, s.numvar, 1, 3, title_text, out.page, out.lines, out.unit, 1);
}

// The body of the component, its work in the order the listing shows it.
void dvp_main() {
  module_start();
  const std::int32_t monin = get_unit("MONIN");
  listing out;
  out.unit = get_unit("MONOUT");
  const std::int32_t scratch = get_unit("MTSC1");

  const dvp_card card = read_card(monin);
  dvp_state_record& s = dvp_state();
  s.method = card.method;
  s.kpsq = card.kpsq;
  if (ranges_holding(s.method, false) != 1) proc_error("DVP method (columns 1-4) is invalid");

  std::array<std::string, 12> title_words;
  std::int32_t notfound = 0;
  isf_idfile(0, notfound, title_words);
  if (notfound != 0) isf_missing("IDFILE", 1);
  print_heading(title_words, out);

  read_correlations(s);
  read_names_and_numbers(s);
  for (std::int32_t j = 1; j <= s.numvar; ++j) s.r(j, j) = 0.0f;
  if (card.ntop != 0) topten(s.R, s.numvar, s.names, s.varnum, card.ntop, out.page, out.lines, out.unit, 1);

  std::int32_t initial = card.initial;
  if (s.method == 30) {
    PAGER(-2, out.page, out.lines, out.unit);
    PAGER(1, out.page, out.lines, out.unit);
    write_formatted(out.unit, "(24X, 'Communalities Estimates by Quadratic Formula Method')");
    PAGER(-2, out.page, out.lines, out.unit);
    if (initial < 1) initial = 50;
  }
  if (initial >= 1) {
    if (ranges_holding(initial, true) != 1) proc_error("DVP initial method (columns 13-16) is invalid");
    const std::int32_t card_method = s.method;
    s.method = initial;
    run_pass(card, true, out, scratch);
    s.method = card_method;
  }
  run_pass(card, false, out, scratch);

  Kpar kpar{};
  make_kpar(kpar, s.numvar, 1, 0);
  isf_real_matrix("DIAGV1", 1, kpar, notfound, s.diag);
  return_to_gep();
}

}  // namespace

}  // namespace dvp

void DVP() { dvp::dvp_main(); }

void reset_dvp() { dvp::dvp_state().reset(); }

}  // namespace korvex
