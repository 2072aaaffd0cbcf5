// The key-cluster analysis component CC5: after *CC5 the component loop hands the turn here.
// The driver reads the two parameter cards, has the heading printed and the inputs loaded,
// runs the first pass and the passes of the communality iteration, prints the summary and
// the closing tables, stores the results on the ISF and returns to GEP. It also owns the
// state of the running analysis.
#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "factoring/cc5.hpp"
#include "factoring/cc5_internal.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace cc5 {

namespace {

std::unique_ptr<analysis> g_analysis;

constexpr std::size_t title_line_length = 120;
constexpr std::int32_t iteration_cycles = 30;

// The final-pass print level, decided by card 1 columns 69-72.
struct card_outcome {
  std::int32_t final_mode = 2;
};

// Reads one card image from MONIN; the end of the file stops the run.
std::string next_card(std::int32_t monin) {
  std::string record;
  if (!read_record(monin, record)) iostat_error(-1);
  return record;
}

// Cards 1 and 2 into the control block, with the adjustments of card 1. A non-digit in an
// integer field stops the run through field_int; an unreadable real field through the
// layout engine's read error.
card_outcome read_cards(analysis& s) {
  control_block& c = s.c;
  std::array<std::string, 18> f;
  std::array<io::Target, 18> t = {{{&f[0], 4},  {&f[1], 4},  {&f[2], 4},  {&f[3], 4},  {&f[4], 4},
                                    {&f[5], 4},  {&f[6], 4},  {&f[7], 4},  {&f[8], 4},  {&f[9], 4},
                                    {&f[10], 4}, {&f[11], 4}, {&f[12], 4}, {&f[13], 4}, {&f[14], 4},
                                    {&f[15], 4}, {&f[16], 4}, {&f[17], 4}}};
  io::read_text("(18A4)", next_card(s.monin), t);
  field_int(f[0], c.krit, 1);
  field_int(f[1], c.kpiv, 1);
  field_int(f[2], c.kon1, 2);
  field_int(f[3], c.krefl, 1);
  field_int(f[4], c.ndim, 0);
  field_int(f[5], c.iterc, 4);
  field_int(f[6], c.kshort, 0);
  field_int(f[7], c.npiv, 4);
  field_int(f[8], c.nsort, 8);
  // Columns 37-56 are read and checked but drive nothing; 57-64 are not read.
  std::int32_t unused = 0;
  for (std::size_t i = 9; i <= 13; ++i) field_int(f[i], unused, 0);
  std::int32_t prt1 = 0;
  std::int32_t prt2 = 0;
  field_int(f[16], prt1, 0);
  field_int(f[17], prt2, 2);

  std::array<std::string, 9> g;
  std::array<io::Target, 9> u = {{{&g[0], 8}, {&g[1], 8}, {&g[2], 8}, {&g[3], 8}, {&g[4], 8},
                                   {&g[5], 8}, {&g[6], 8}, {&g[7], 8}, {&g[8], 8}}};
  io::read_text("(9A8)", next_card(s.monin), u);
  field_real(g[0], c.psq_high, 0.81f);
  field_real(g[1], c.exhaust_level, 0.92f);
  field_real(g[2], c.conv_tol, 0.01f);
  field_real(g[3], c.psq_low, 0.4f);

  card_outcome o;
  c.kprt1 = prt1 + 1;
  if (c.ndim > 0) c.krit = 4;
  if (prt2 == 2) {
    prt2 = 0;
    o.final_mode = 1;
  }
  c.kmode = 2;
  c.kprt2 = prt2 + 1;
  return o;
}

// The summary lines of the analysis, by the code the iteration ended with.
void print_summary(analysis& s, std::int32_t code) {
  listing& o = s.out;
  PAGER(0, o.page, o.lines, o.unit);
  PAGER(-1, o.page, o.lines, o.unit);
  const std::int32_t w = std::min(get_ncline() - 1, 120);
  const auto centre = [&](std::string_view text) { pr_line(0, w, text, o.page, o.lines, o.unit); };
  switch (code) {
    case 1:
      centre("SUMMARY OF THE ANALYSIS");
      centre("COMMUNALITIES HAD NOT CONVERGED");
      centre(io::format_line("(\"AFTER\",I4,\" ITERATIONS\")", {s.c.iter_no}));
      break;
    case 2:
      centre("SUMMARY OF THE ANALYSIS");
      centre(io::format_line("(\"AFTER CONVERGENCE AT\", F7.4)", {s.c.conv_tol}));
      break;
    case 3:
      centre("SUMMARY OF THE ANALYSIS");
      break;
    default:
      proc_error("CC5:cc5_main: select case failure");
  }
  centre(io::format_line("(\"(ITERATION NUMBER \", I0,\")\")", {s.c.iter_no}));
}

}  // namespace

analysis::analysis()
    : title_line(title_line_length, ' '),
      R(static_cast<std::size_t>(ld) * max_vars, 0.0f),
      H(max_vars, 0.0f),
      HPREV(max_vars, 0.0f),
      HINIT(max_vars, 0.0f),
      RDIAG(max_vars, 0.0f),
      DIAGIN(max_vars, 0.0f),
      ASQ(max_vars, 0.0f),
      VSQ(max_vars, 0.0f),
      KEYS(static_cast<std::size_t>(max_keys) * max_dims, 0),
      NDEF(max_dims, 0),
      REFL(static_cast<std::size_t>(max_keys) * max_dims, 0),
      A(static_cast<std::size_t>(ld) * max_dims, 0.0f),
      RMSQ(max_dims, 0.0f),
      PEXH(max_dims, 0.0f),
      PCOMM(max_dims, 0.0f),
      ORD(max_vars, 0),
      VARNAM(max_vars, std::string(name_length, ' ')),
      DNAMES(max_dims, std::string(name_length, ' ')),
      DIMNUM(max_dims, 0) {}

analysis& state() {
  assert(g_analysis != nullptr);
  return *g_analysis;
}

void begin_analysis() { g_analysis = std::make_unique<analysis>(); }
void end_analysis() { g_analysis.reset(); }

std::int32_t report_width() { return std::min(get_ncline() - 1, 100); }

void CC5_initial(std::string_view label, std::span<const std::int32_t> kpar, std::int32_t n) {
  const std::string lab = io::pad(label, isf_label_length);
  if (kpar[0] == 2) {
    if (kpar[1] == n) return;
    proc_error("CC5_inital: " + lab + " is inconsistent with CORRM1.");
  }
  if (kpar[0] == 3) {
    if (kpar[1] - kpar[3] == n) return;
    proc_error("CC5_inital: " + lab + " is inconsistent with CORRM1 (SLEEP CASE).");
  }
  proc_error("CC5_initial: " + lab + "KPAR parameters are inconsistant");
}

// One later pass over the dimensions 1..NF with the keys and reflections of the first pass.
void cc5_iteration_pass() {
  analysis& s = state();
  for (std::int32_t L = 1; L <= s.c.nf; ++L) {
    const std::int32_t nkeys = s.NDEF[at(L)];
    CC5_print2(L, nkeys, s.keys(L), s.a(L), s.refl(L), s.RMSQ[at(L)], s.PEXH[at(L)], 1, 1);
    CCDIMR(L, s.keys(L), s.refl(L), nkeys, s.a(L), 1);
    CC5_residualize(s.a(L), s.RMSQ[at(L)], s.PEXH[at(L)]);
    CC5_print2(L, nkeys, s.keys(L), s.a(L), s.refl(L), s.RMSQ[at(L)], s.PEXH[at(L)], 1, 4);
  }
}

// The whole analysis, in the order the listing shows it.
void cc5_main() {
  module_start();
  analysis& s = state();
  control_block& c = s.c;
  s.monin = get_unit("MONIN");
  s.out.unit = get_unit("MONOUT");
  c.maxdim = max_dims;
  c.maxdef = max_keys;
  fill_index(s.DIMNUM, max_dims);
  fill_index(s.ORD, max_vars);
  GENAME("Dimension_", s.DNAMES, max_dims, 0);
  GENAME("VAR_", s.VARNAM, max_vars, 0);

  std::array<std::string, 12> words;
  std::int32_t notfound = 0;
  isf_idfile(0, notfound, words);
  if (notfound != 0) isf_missing("IDFILE", 1);
  std::string line;
  words_to_line(words, line);
  s.title_line = io::pad(line, title_line_length);

  const card_outcome cards = read_cards(s);
  CC5_heading();
  CC5_input();
  // At least one candidate, and never more candidates than variables.
  c.npiv = std::max(1, std::min(c.npiv, c.numvar - 1));

  CC5_first_pass(2, s.monin);

  std::int32_t code = 3;
  if (c.iterc != 1) {
    for (std::int32_t cycle = 1; cycle <= iteration_cycles; ++cycle) {
      c.iter_no += 1;
      c.kmode = c.kprt2;
      CC5_conv_test(cycle, iteration_cycles, code);
      if (code > 1) c.kmode = cards.final_mode;
      CC5_iter_title();
      Kpar kpar{};
      isf_real_square("CORRM1", 0, kpar, notfound, s.R, 2);
      if (notfound != 0) isf_missing("CORRM1", 1);
      put_diagonal(s.H, s.R, c.numvar);
      copy_real(s.H, s.HPREV, c.numvar);
      cc5_iteration_pass();
      if (code > 1) break;
    }
  }

  print_summary(s, code);
  CC5_cautions();
  CC5_comm_change();
  CC5_ortho_coef();
  CC5_communalities();
  CC5_output();
  CC5_exhaustion();
  return_to_gep();
}

}  // namespace cc5

void CC5() {
  cc5::begin_analysis();
  // The analysis is dropped however the call ends, a stop included.
  struct drop_analysis {
    ~drop_analysis() { cc5::end_analysis(); }
  } guard;
  cc5::cc5_main();
}

}  // namespace korvex
