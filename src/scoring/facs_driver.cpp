// The scoring component FACS: its entry, the run-wide control block, the three parameter
// lines, the order of the first phase and the choice between the complete-data and the
// missing-data scoring pass.
#include <array>
#include <cmath>
#include <string>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/positioning.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "scoring/facs.hpp"
#include "scoring/facs_internal.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace facs {

namespace {

facs_state* g_state = nullptr;

// Reads the next card of MONIN under layout into targets. Returns 0 when read, -1 at the end
// of the deck, 1 when the layout engine cannot convert a field (it carries no status).
std::int32_t read_card(std::int32_t monin, std::string_view layout,
                       std::span<const io::Target> targets) {
  std::string record;
  if (!read_record(monin, record)) return -1;
  try {
    io::read_text(layout, record, targets);
  } catch (const io::LayoutError&) {
    return 1;
  }
  return 0;
}

// Reads one card, turning the end of the deck and an unreadable card into the given keys.
void read_card_or_stop(std::string_view layout, std::span<const io::Target> targets,
                       std::string_view eof_key, std::string_view bad_key) {
  const std::int32_t status = read_card(state().monin, layout, targets);
  if (status == -1) error_by_tag(eof_key, status, 0);
  if (status != 0) error_by_tag(bad_key, status, 0);
}

// The weight check of the missing-data pass: every weight 0, +1 or -1 (a NaN fails).
void check_simple_weights() {
  facs_state& s = state();
  for (std::int32_t j = 1; j <= s.nv; ++j) {
    for (std::int32_t k = 1; k <= s.nf; ++k) {
      const float v = s.w[ix(k, j, max_comp)];
      if (!(v == 0.0f || v == 1.0f || v == -1.0f)) error_by_tag("FACS140020", 0, 0);
    }
  }
}

void FACS1() {
  CONTRL();
  INFSP();
  STDV();
  OUTFSP();
  WTMAT();
  DSTCHK();
  pass_decision();
  read_data(state().ipass == 2 ? "FACS2" : "FACS3");
}

void facs_main() {
  module_start();
  facs_state& s = state();
  s.monin = get_unit("MONIN");
  s.monout = get_unit("MONOUT");
  s.monpun = -999;
  s.mtdst = get_unit("MTDST");
  s.mtsc1 = get_unit("MTSC1");
  rewind_unit(s.mtdst);
  rewind_unit(s.mtsc1);
  s.npage = 0;
  s.nline = 0;
  FACS1();
  if (s.ipass == 2) {
    FACS2();
  } else {
    FACS3();
  }
  return_to_gep();
}

}  // namespace

facs_state& state() {
  if (g_state == nullptr) g_state = new facs_state();
  return *g_state;
}

std::vector<float>& r_matrix() {
  facs_state& s = state();
  if (s.r.empty()) s.r.assign(static_cast<std::size_t>(max_vars) * max_vars, 0.0f);
  return s.r;
}

void pager(std::int32_t n) {
  facs_state& s = state();
  PAGER(n, s.npage, s.nline, s.monout);
}

void CONTRL() {
  facs_state& s = state();
  // Line 1: four 4-column integer fields, PMIN and MDFLAG.
  std::array<std::string, 5> f;
  std::int32_t mdflag = 0;
  const std::array<io::Target, 6> t1 = {io::Target(&f[0], 4), io::Target(&f[1], 4),
                                        io::Target(&f[2], 4), io::Target(&f[3], 4),
                                        io::Target(&f[4], 4), io::Target(&mdflag)};
  read_card_or_stop("(5A4,I4)", t1, "FACS140001", "FACS140002");
  std::int32_t iw = 0;
  std::int32_t isd = 0;
  std::int32_t iprint = 0;
  std::int32_t ipunch = 0;
  float pmin = 0.0f;
  field_int(f[0], iw, 1);
  field_int(f[1], isd, 1);
  field_int(f[2], iprint, 0);
  field_int(f[3], ipunch, 0);
  field_real("    " + f[4], pmin, 0.55f);
  const bool ok = int_in_range(iw, 1, 8) && int_in_range(isd, 1, 3) &&
                  int_in_range(iprint, 0, 1) && int_in_range(ipunch, 0, 1) &&
                  real_in_range(pmin, 0.0f, 1.0f) && int_in_range(mdflag, 0, 1);
  if (!ok) error_by_tag("FACS140019", 0, 0);
  s.iw = iw;
  s.isd = (iw == 4) ? 1 : isd;
  s.iprint = iprint;
  s.ipunch = ipunch;
  s.pmin = pmin;
  s.mdflag = mdflag;
  s.it = (iw == 1 || iw == 4 || iw == 7 || iw == 8) ? 1 : 2;

  // Line 2: the mean and the missing-score code.
  std::array<std::string, 2> g;
  const std::array<io::Target, 2> t2 = {io::Target(&g[0], 8), io::Target(&g[1], 8)};
  read_card_or_stop("(2A8)", t2, "FACS140003", "FACS140004");
  field_real(g[0], s.smean, 50.0f);
  field_real(g[1], s.smiss, -999.0f);

  // The title line.
  const std::array<io::Target, 1> t3 = {io::Target(&s.title, 72)};
  read_card_or_stop("(A72)", t3, "FACS140005", "FACS140006");

  if (s.ipunch == 1) s.monpun = get_unit("MONPUN");
}

void pass_decision() {
  facs_state& s = state();
  if (s.mdflag == 1) {
    check_simple_weights();
    s.ipass = 3;
    return;
  }
  if (s.nomiss != 0) {
    s.ipass = 2;
    return;
  }
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_int_matrix("VAREN1", 0, kpar, notfound, s.nvalid);
  isf_not_found("VAREN1", notfound);
  for (std::int32_t j = 1; j <= s.nv; ++j) {
    float used = 0.0f;
    for (std::int32_t k = 1; k <= s.nf; ++k) used += std::fabs(s.w[ix(k, j, max_comp)]);
    if (used != 0.0f && s.nvalid[at(j)] != s.nsub) {
      check_simple_weights();
      s.ipass = 3;
      return;
    }
  }
  s.ipass = 2;
}

}  // namespace facs

void FACS() { facs::facs_main(); }

void reset_facs() {
  facs::facs_state& s = facs::state();
  s = facs::facs_state{};
}

}  // namespace korvex
