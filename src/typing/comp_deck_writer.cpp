// COMP1: punches the current analysis's rotated factor coefficients (x 10000), variable names
// and cluster definer lists as the labelled comparison deck on MONPUN, which a later COMP2
// run reads as one group. Also the labelled card routines PUNCH, PUNCHI and PUNCHC. The deck
// joins MONPUN's keep point only once it is complete, so a stop never leaves half of it.
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "storage/storage.hpp"
#include "typing/comp.hpp"
#include "typing/comp_internal.hpp"

namespace korvex {

namespace comp {

namespace {

[[noreturn]] void bad_kon() { proc_error("INVALID KON VALUE IN SUBROUTINE PUNCH"); }

// What COMP1 punches, as read from the ISF.
struct group_solution {
  std::array<std::string, 12> title;
  std::int32_t nvar = 0;
  std::int32_t nfac = 0;
  std::vector<float> rfact;  // 999 rows per factor
  std::vector<std::string> names;
  std::int32_t reflx_flag = 1;  // 0: the definer lists are punched
  std::vector<std::int32_t> counts;
  std::vector<std::int32_t> lists;  // 99 per factor, absolute values
};

// IDFILE and RFACT1; either absent stops with the isf_not_found report. A matrix without rows
// or factors, or with a coefficient that its 8-column card field cannot carry, stops the run.
void read_coefficients(group_solution& g) {
  g.title.fill(std::string(6, ' '));
  std::int32_t notfound = 0;
  isf_idfile(0, notfound, g.title);
  isf_not_found("IDFILE", notfound);
  g.rfact.assign(at0(ld) * at0(max_dims), 0.0f);
  Kpar kpar{};
  isf_real_matrix("RFACT1", 0, kpar, notfound, g.rfact);
  isf_not_found("RFACT1", notfound);
  g.nvar = kpar[1];
  g.nfac = kpar[0] >= 2 ? kpar[2] : 0;
  if (g.nvar < 1 || g.nvar > max_variables || g.nfac < 1) {
    proc_error("RFACT1 HAS " + std::to_string(g.nvar) + " ROWS AND " + std::to_string(g.nfac) +
               " COLUMNS; COMP1 NEEDS 1 TO 999 ROWS AND AT LEAST 1 COLUMN.");
  }
  // A value beyond the I8 field would punch as asterisks that COMP2 cannot read back.
  for (std::int32_t j = 1; j <= g.nfac; ++j) {
    for (std::int32_t i = 1; i <= g.nvar; ++i) {
      if (!punch_real_fits(g.rfact[cell(i, j)], 1000.0f)) {
        proc_error("RFACT1 COEFFICIENT OF VARIABLE " + std::to_string(i) + " ON FACTOR " +
                   std::to_string(j) + " CANNOT BE PUNCHED IN 8 COLUMNS.");
      }
    }
  }
}

// VNAMS1 (its active part after a selection), or V001, V002, ... when it is absent.
void read_names(group_solution& g) {
  g.names.assign(at0(max_variables), std::string(name_length, ' '));
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_name_vector("VNAMS1", 0, kpar, notfound, g.names);
  if (notfound != 0) {
    gen_v_names(g.names, g.nvar);
    return;
  }
  const std::int32_t length = kpar[1] - (kpar[0] == 3 ? kpar[3] : 0);
  if (length != g.nvar) proc_error("BAD RFACT1 OR VNAMS1 FILE.");
}

// REFLX1: flag 0 when every list can be punched, 1 when it is absent or does not fit RFACT1
// (another number of lists, a count outside 1..99, a definer 0 or beyond NVAR). Definers
// become their absolute values. A present but unfit entry gets the warning on MONOUT.
void read_definers(group_solution& g, std::int32_t monout) {
  g.counts.assign(at0(max_dims), 0);
  g.lists.assign(at0(max_definers) * at0(max_dims), 0);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_int_table("REFLX1", 0, kpar, notfound, g.counts, g.lists);
  if (notfound != 0) return;
  g.reflx_flag = 0;
  const std::int32_t nlists = kpar[1];
  if (nlists != g.nfac) g.reflx_flag = 1;
  for (std::int32_t j = 1; j <= nlists && j <= max_dims; ++j) {
    const std::int32_t count = g.counts[at0(j - 1)];
    if (count < 1 || count > max_definers) {
      g.reflx_flag = 1;
      continue;
    }
    for (std::int32_t k = 1; k <= count; ++k) {
      std::int32_t& d = g.lists[at0(j - 1) * at0(max_definers) + at0(k - 1)];
      d = std::abs(d);
      if (d == 0 || d > g.nvar) g.reflx_flag = 1;
    }
  }
  if (g.reflx_flag == 1) {
    write_formatted(monout,
                    "( '0REFLX1 FILE INCONSISTENT WITH RFACT1 FILE' /  ' REFLX1 FILE NOT PUNCHED' / '0')");
  }
}

void punch_deck(const group_solution& g, std::int32_t monpun) {
  write_formatted(monpun, "('DATA FILE PREPARED BY COMP1 FOR COMP2')");
  std::vector<io::Value> words(g.title.begin(), g.title.end());
  write_formatted(monpun, "(12A6,'24IDFILE')", words);
  write_formatted(monpun, "(3I4,60X,'PARAMTRS')", {g.nvar, g.nfac, g.reflx_flag});
  for (std::int32_t j = 1; j <= g.nfac; ++j) {
    PUNCH(std::span<const float>(g.rfact).subspan(cell(1, j)), g.nvar, 1000.0f, 8, j, 1, monpun);
  }
  PUNCHC(g.names, g.nvar, 1000.0f, 17, 0, 3, monpun);
  if (g.reflx_flag != 0) return;
  PUNCHI(g.counts, g.nfac, 1000.0f, 9, 0, 2, monpun);
  for (std::int32_t j = 1; j <= g.nfac; ++j) {
    PUNCHI(std::span<const std::int32_t>(g.lists).subspan(at0(j - 1) * at0(max_definers)),
           g.counts[at0(j - 1)], 1000.0f, 9, j, 2, monpun);
  }
}

}  // namespace

void PUNCH(std::span<const float> values, std::int32_t n, float scale, std::int32_t code,
           std::int32_t item, std::int32_t KON, std::int32_t unit) {
  if (KON != 1) bad_kon();
  punch_real(values, n, scale, code, item, unit);
}

void PUNCHI(std::span<const std::int32_t> values, std::int32_t n, float /*scale*/,
            std::int32_t code, std::int32_t item, std::int32_t KON, std::int32_t unit) {
  if (KON == 1) {
    punch_int8(values, n, code, item, unit);
  } else if (KON == 2) {
    punch_int(values, n, code, item, unit);
  } else {
    bad_kon();
  }
}

void PUNCHC(std::span<const std::string> values, std::int32_t n, float /*scale*/,
            std::int32_t code, std::int32_t item, std::int32_t KON, std::int32_t unit) {
  if (KON == 3) {
    punch_char(values, n, code, item, unit);
  } else if (KON == 5) {
    punch_names(values, n, code, item, unit);
  } else {
    bad_kon();
  }
}

}  // namespace comp

void COMP1() {
  module_start();
  const std::int32_t monout = get_unit("MONOUT");
  const std::int32_t monpun = get_unit("MONPUN");
  comp::group_solution g;
  comp::read_coefficients(g);
  comp::read_names(g);
  comp::read_definers(g, monout);
  comp::punch_deck(g, monpun);
  keep_unit_output(monpun);  // the deck is whole
  return_to_gep();
}

}  // namespace korvex
