// The cluster structure component CSA2: after *CSA2 the component loop hands the turn here.
// The driver reads the two parameter cards, prints the title page with the echo of the
// options, reads its inputs, checks and lists the definers of every cluster, runs the
// domain computations and the expanded structure, and returns to GEP.
#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"
#include "structure/csa2.hpp"
#include "structure/csa2_internal.hpp"

namespace korvex {

namespace csa2 {

void state::reset() {
  *this = state{};
  a.assign(static_cast<std::size_t>(ld_var) * ld_var, 0.0f);
  comm.assign(ld_var, 0.0f);
  ir.assign(static_cast<std::size_t>(max_definers) * max_clusters, 0);
  ircnt.assign(max_clusters, 0);
  wgt.assign(static_cast<std::size_t>(max_definers) * max_clusters, 0.0f);
  varnum.assign(ld_var, 0);
  varnam.assign(ld_var, std::string(name_length, ' '));
  clunum.assign(max_clusters, 0);
  clunam.assign(max_clusters, std::string(name_length, ' '));
  sum.assign(static_cast<std::size_t>(ld_clu) * ld_clu, 0.0f);
  rdom.assign(static_cast<std::size_t>(ld_clu) * ld_clu, 0.0f);
  valid.assign(max_clusters, 0.0f);
  rvd.assign(static_cast<std::size_t>(ld_var) * max_clusters, 0.0f);
  rsd.assign(static_cast<std::size_t>(ld_clu) * ld_clu, 0.0f);
}

state& qvcsa2() {
  static state s;
  return s;
}

void pager(state& s, std::int32_t n) { PAGER(n, s.page, s.lines, s.monout); }

void line(state& s, std::int32_t mode, std::string_view text) {
  pr_line(mode, s.maxlen, text, s.page, s.lines, s.monout);
}

namespace {

// The next card of MONIN; the end of the deck stops the run with the end-of-file sentence.
std::string next_card(const state& s) {
  std::string card;
  if (!read_record(s.monin, card)) iostat_error(-1);
  return card;
}

// Card 1 "(8A4)": eight integer fields; card 2 "(A8)": the lower communality limit.
void read_cards(state& s) {
  const std::string card1 = next_card(s);
  std::array<std::string, 8> f;
  std::vector<io::Target> targets;
  for (std::string& x : f) targets.emplace_back(&x, 4);
  io::read_text("(8A4)", card1, targets);
  field_int(f[0], s.kbasis, 0);
  field_int(f[1], s.kclmat, 2);
  field_int(f[2], s.kaugco, 0);
  field_int(f[3], s.kaugcr, 0);
  field_int(f[4], s.kdebug, 0);
  field_int(f[5], s.krawsc, 0);
  field_int(f[6], s.ktitle, 0);
  field_int(f[7], s.ktcol, 0);

  const std::string card2 = next_card(s);
  std::string h;
  const std::array<io::Target, 1> t2 = {io::Target(&h, 8)};
  io::read_text("(A8)", card2, t2);
  field_real(h, s.hlimit, 0.2f);
}

// One echo line after a blank line.
void echo(state& s, std::string_view text) {
  pager(s, -1);
  line(s, -1, text);
}

}  // namespace

// Title page: the component's name, the run title, the basis and one line per option.
// Option values without a line of their own echo what they do (a KCLMAT above 2 acts as 2,
// any KBASIS but 0 as 1, the print options but 1 as 0).
void CSAHDR(state& s) {
  pager(s, 0);
  pager(s, -3);
  line(s, 0, "C   S   A   2");
  pager(s, -1);
  line(s, 0, "C L U S T E R  S T R U C T U R E  A N A L Y S I S");

  // The run title (CSAIDF).
  std::vector<std::string> words(12, std::string(6, ' '));
  std::int32_t notfound = 0;
  isf_idfile(0, notfound, words);
  isf_not_found("IDFILE", notfound);
  words_to_line(words, s.runttl);
  pager(s, -2);
  line(s, 0, s.runttl);
  pager(s, -4);

  line(s, -1, s.kbasis == 0 ? "ANALYSIS BASED ON CORRELATIONS AMONG RAW SCORES"
                            : "ANALYSIS BASED ON CORRELATIONS REPRODUCED FROM FACTOR COEFFICIENTS");
  echo(s, s.kclmat == 0   ? "CLUSTER CORRELATION MATRIX: print."
          : s.kclmat == 1 ? "CLUSTER CORRELATION MATRIX: do not print."
                          : "CLUSTER CORRELATION MATRIX: calculate, do not print.");
  echo(s, s.kaugco == 1 ? "AUGMENTED ROTATED FACTOR COEFFICIENTS: print."
                        : "AUGMENTED ROTATED FACTOR COEFFICIENTS: do not print.");
  echo(s, s.kaugcr == 1 ? "AUGMENTED CORRELATION MATRIX: print."
                        : "AUGMENTED CORRELATION MATRIX: do not print.");
  if (s.kdebug == 1) echo(s, "DEBUG printing is turned on.");
  echo(s, s.krawsc == 1 ? "CORRELATIONS OF RAW CLUSTER SCORES WITH CLUSTER DOMAINS: print."
                        : "CORRELATIONS OF RAW CLUSTER SCORES WITH CLUSTER DOMAINS: do not print.");
  echo(s, s.ktitle == 1 ? "VARIABLE TITLES: print." : "VARIABLE TITLES: do not print.");
  pager(s, -4);
}

// The definer check: every entry must name one of the NV analysed variables, reflected or
// not; its weight is -1 for a reflected definer and +1 otherwise.
void CHKDEF(state& s) {
  std::fill(s.wgt.begin(), s.wgt.end(), 0.0f);
  for (std::int32_t c = 1; c <= s.ncl; ++c) {
    for (std::int32_t j = 1; j <= s.ircnt[at(c)]; ++j) {
      const std::int32_t v = s.IR(j, c);
      if (v >= -s.nv && v <= -1) {
        s.WGT(j, c) = -1.0f;
      } else if (v >= 1 && v <= s.nv) {
        s.WGT(j, c) = 1.0f;
      } else {
        proc_error(io::format_line("(A,I0,A,I0,A,I0)",
                                   {"ir(", j, ",", c, ") contains invalid value: ", v}));
      }
    }
  }
}

// The definers of every cluster, in blocks of five rows whose entries run down the columns.
void PRCLUS(state& s) {
  const std::int32_t cw = std::max(1, max_len_trim(s.clunam, s.ncl));
  std::string head = "( / 10X,\"VARIABLES IN CLUSTER \",I0,4X,\"(\",ANN,\")\")";
  int_to_text(cw, std::span<char>(head).subspan(head.find("NN"), 2));

  const std::int32_t nmax = std::max(1, max_len_trim(s.varnam, s.nv));
  const std::int32_t d = decimal_digits(s.nv);
  const std::int32_t w = nmax + d + 4;
  const std::int32_t width = s.ncline - 1;
  // At least one entry a line, and no more than the layout's two-digit count holds.
  const std::int32_t k = std::clamp(width / w, 1, 99);
  const std::int32_t rem = std::max(0, width - k * w);
  const std::int32_t sp = rem / k;
  const std::int32_t lead = rem - k * sp + 1;
  std::string row = "(nnX,nn(Inn,1X,Ann,1x))";
  int_to_text(lead, std::span<char>(row).subspan(1, 2));
  int_to_text(k, std::span<char>(row).subspan(5, 2));
  int_to_text(d + 1 + sp, std::span<char>(row).subspan(9, 2));
  int_to_text(nmax, std::span<char>(row).subspan(16, 2));

  const std::int32_t block = 5 * k;
  for (std::int32_t c = 1; c <= s.ncl; ++c) {
    const std::int32_t n = s.ircnt[at(c)];
    pager(s, std::min(n % block, 5) + 4 + 9 * (n / block));
    write_formatted(s.monout, head, {c, io::trim_right(s.clunam[at(c)])});
    for (std::int32_t first = 1; first <= n; first += block) {
      const std::int32_t count = std::min(block, n - first + 1);
      write_formatted(s.monout, "(1X)");
      for (std::int32_t r = 1; r <= std::min(5, count); ++r) {
        std::vector<io::Value> values;
        for (std::int32_t e = r; e <= count; e += 5) {
          const std::int32_t v = s.IR(first + e - 1, c);
          const std::int32_t m = v < 0 ? -v : v;
          const std::int32_t num = s.varnum[at(m)];
          values.emplace_back(v < 0 ? -num : num);
          values.emplace_back(s.varnam[at(m)]);
        }
        write_formatted(s.monout, row, values);
      }
    }
    write_formatted(s.monout, "(1X)");
  }
}

// The body: cards, title page, inputs, definers, domains and the expanded structure.
void CSADRV() {
  state& s = qvcsa2();
  s.reset();
  module_start();
  s.monin = get_unit("MONIN");
  s.monout = get_unit("MONOUT");
  s.ncline = get_ncline();
  s.maxlen = get_ncline_m1();
  s.nlpage = get_nlpage();
  s.page = 0;
  s.lines = 0;

  read_cards(s);
  CSAHDR(s);
  CSAINP(s);
  CHKDEF(s);
  PRCLUS(s);
  cluster_domains(s);
  if (s.kclmat != 1) EXPCLS(s);
  pager(s, -2);
}

}  // namespace csa2

void reset_csa2() { csa2::qvcsa2().reset(); }

void CSA2() {
  csa2::CSADRV();
  return_to_gep();
  // The titles live only as long as the run of the component.
  csa2::qvcsa2().vtitle.clear();
  csa2::qvcsa2().vtitle.shrink_to_fit();
}

}  // namespace korvex
