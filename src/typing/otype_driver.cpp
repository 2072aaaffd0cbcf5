// The object typing component OTYPE: its phase loop (setup, sectors of the profile space,
// iteration), the setup phase with the banner, and the reading, echo and check of the
// one parameter card that follows *OTYPE. Also the component's shared state and the
// listing helpers on its own page counters.
#include <string>
#include <vector>

#include "data_entry/data_entry.hpp"
#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"
#include "typing/otype.hpp"
#include "typing/otype_internal.hpp"

namespace korvex {

namespace otype {

namespace {

otype_state_record& fresh_state() {
  static otype_state_record s;
  return s;
}

void blank_tables(otype_state_record& s) {
  for (auto& t : s.title) t = std::string(6, ' ');
  for (auto& n : s.dim_names) n = std::string(name_len, ' ');
  for (auto& n : s.type_names) n = std::string(name_len, ' ');
}

bool g_blank_done = false;

}  // namespace

otype_state_record& state() {
  otype_state_record& s = fresh_state();
  if (!g_blank_done) {
    blank_tables(s);
    g_blank_done = true;
  }
  return s;
}

void pager(std::int32_t n) {
  otype_state_record& s = state();
  PAGER(n, s.page, s.lines, s.monout);
}

void put(std::string_view layout, std::initializer_list<io::Value> values) {
  write_formatted(state().monout, layout, values);
}

void put(std::string_view layout, std::span<const io::Value> values) {
  write_formatted(state().monout, layout, values);
}

std::int32_t table_width(std::int32_t need) {
  const std::int32_t w = page_common().ncline;
  if (w <= 0 || w < need) return get_ncline();
  return w;
}

// Reads the run title, prints the banner, then reads, echoes and checks the parameter card.
void OTPARM() {
  otype_state_record& s = state();
  control_record& c = s.c;
  std::int32_t notfound = 0;
  std::vector<std::string> title(12, std::string(6, ' '));
  isf_idfile(0, notfound, title);
  if (notfound != 0) title.assign(12, std::string(6, ' '));
  for (std::size_t i = 0; i < 12; ++i) s.title[i] = io::pad(title[i], 6);

  pager(0);
  pager(-11);
  pager(1);
  put("( 52X, 'O  T  Y  P  E')");
  pager(-5);
  pager(7);
  put("( 42X, 'T Y P O L O G Y   O F   O B J E C T S' / /   59X, 'B Y' / /   32X, "
      "'E U C L I D E A N   D I S T A N C E   C L U S T E R I N G')");
  pager(-11);
  pager(1);
  std::vector<io::Value> words(s.title.begin(), s.title.end());
  std::string line = io::format("( '', 12A6)", words).front();
  line.resize(160, ' ');
  while (!line.empty() && line.back() == ' ') line.pop_back();
  pr_line(0, get_ncline(), line, s.page, s.lines, s.monout);

  pager(-11);
  pager(2);
  std::vector<io::Value> cols;
  for (int k = 1; k <= 16; ++k) cols.emplace_back(4 * k);
  put("( 1X, I6, 15I7 /    ' KINPUT INMETH  KHIER  KPART NPARTS  KCRIT KOTYPE  KITER  NITER "
      "  KMEM  KSTAT KPUNCH UNIQUE CONDEN  KOHOM KOTOUT    AMIS')",
      cols);

  std::string card;
  if (!read_record(c.monin, card)) iostat_error(-1);
  std::int32_t kinput = 0, kcrit = 0, kotype = 0;
  std::array<std::string, 4> a1;
  std::array<std::string, 9> a2;
  std::string amis;
  std::vector<io::Target> t;
  t.emplace_back(&kinput);
  for (auto& f : a1) t.emplace_back(&f, 4);
  t.emplace_back(&kcrit);
  t.emplace_back(&kotype);
  for (auto& f : a2) t.emplace_back(&f, 4);
  t.emplace_back(&amis, 10);
  if (!io::read_text("( i4, 4a4, 2i4, 9a4, a10)", card, t)) iostat_error(-1);

  c.kinput = kinput;
  field_int(a1[0], c.inmeth, 1);
  field_int(a1[1], c.khier, 2);
  field_int(a1[2], c.kpart, 1);
  field_int(a1[3], c.nparts, 2);
  c.kcrit = kcrit;
  c.kotype = kotype;
  field_int(a2[0], c.kiter, 1);
  field_int(a2[1], c.niter, 20);
  field_int(a2[2], c.kmem, 2);
  field_int(a2[3], c.kstat, 2);
  field_int(a2[4], c.kpunch, 2);
  field_real(a2[5], c.unique, 1.0f);
  field_real(a2[6], c.conden, 0.5f);
  field_int(a2[7], c.kohom, 3);
  field_int(a2[8], c.kotout, 1);
  field_real(amis, c.amis, -999.0f);

  pager(2);
  put("( / 1X, I6, 11i7, 2f7.2, 2i7, f8.2)",
      {c.kinput, c.inmeth, c.khier, c.kpart, c.nparts, c.kcrit, c.kotype, c.kiter, c.niter,
       c.kmem, c.kstat, c.kpunch, c.unique, c.conden, c.kohom, c.kotout, c.amis});

  // Input method 2 names no source: its objects would come from a scratch file that no
  // pass of this run has written, so it is refused with the other bounds.
  const bool ok = int_in_range(c.kinput, 0, 2) && int_in_range(c.inmeth, 1, 4) &&
                  c.inmeth != 2 && int_in_range(c.khier, 0, 2) && int_in_range(c.kpart, 1, 4) &&
                  int_in_range(c.nparts, 1, 9) && int_in_range(c.kiter, 0, 1) &&
                  int_in_range(c.niter, 0, 100) && int_in_range(c.kmem, 0, 2) &&
                  int_in_range(c.kstat, 0, 2) && int_in_range(c.kpunch, 0, 2) &&
                  int_in_range(c.kohom, 1, 4) && int_in_range(c.kotout, 0, 1);
  if (!ok) proc_error("PARAMETER OUT OF BOUNDS");
}

// The setup phase: units, page counters, scratch units, the card, and the next phase.
void OTSETU() {
  otype_state_record& s = state();
  control_record& c = s.c;
  c.monin = get_unit("MONIN");
  s.monout = get_unit("MONOUT");
  c.monpun = get_unit("MONPUN");
  c.mtdst = get_unit("MTDST");
  c.mtsc1 = get_unit("MTSC1");
  c.mtsc2 = get_unit("MTSC2");
  c.ootype = get_unit("OOTYPE");
  s.page = 0;
  s.lines = 0;
  s.sc = scratch_record{};
  s.sc.in_unit = c.mtsc1;
  s.sc.name_unit = c.mtsc1;
  s.sc.out_unit = c.mtsc2;
  OTPARM();
  switch (c.kinput) {
    case 0:
      c.ipart = 2;
      break;
    case 1:
      OTRDT1();
      OTMEAN();
      c.ipart = 3;
      break;
    default:
      c.ipart = 3;
      break;
  }
}

}  // namespace otype

void OTYPE() {
  using namespace otype;
  module_start();
  control_record& c = state().c;
  c.ipart = 1;
  while (c.ipart != 0) {
    switch (c.ipart) {
      case 1:
        OTSETU();
        break;
      case 2:
        OTPART();
        break;
      case 3:
        EUFIT();
        break;
      default:
        proc_error("OTYPE process control parameter (IPART) out of bounds.");
    }
  }
  return_to_gep();
}

void reset_otype() {
  otype::state() = otype::otype_state_record{};
  otype::state();
  for (auto& t : otype::state().title) t = std::string(6, ' ');
  for (auto& n : otype::state().dim_names) n = std::string(otype::name_len, ' ');
  for (auto& n : otype::state().type_names) n = std::string(otype::name_len, ' ');
}

}  // namespace korvex
