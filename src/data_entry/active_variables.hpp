// The active-variable protocol: how a variable selection (SELECT, SLEEP) is recorded on the
// ISF and how every reader of the variables tells whether one is in force. With a selection
// in force VNAMS1 carries the count word 3 and REORD1 maps each position of the reordered
// variables to its original number; listings show the original numbers. RESTOR undoes it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvex {

// The variables as the ISF describes them.
struct active_variables {
  bool names_found = false;  // VNAMS1 is on the ISF
  bool selection = false;    // the count word of VNAMS1 is 3
  bool order_found = false;  // REORD1 was read (only while a selection is in force)
  std::int32_t numvar = 0;   // all variables
  std::int32_t numdel = 0;   // inactive variables (0 without a selection)
  std::int32_t numact = 0;   // numvar - numdel: the order of CORRM1
  // Names by position (reordered while a selection is in force); "VAR" and a number when
  // VNAMS1 is absent.
  std::vector<std::string> names;
  // The original number of the variable at each position: REORD1, or 1..numvar.
  std::vector<std::int32_t> numbers;
};

// Reads VNAMS1 and, when it shows a selection, REORD1. nvar_default is the number of
// variables to name "VAR" + number when VNAMS1 is absent (0: none). A REORD1 whose length
// differs from VNAMS1's, or that is not a permutation of 1..NUMVAR, stops the run through
// proc_error; a REORD1 that is absent gives the identity order.
active_variables read_active_variables(std::int32_t nvar_default);

// True when VNAMS1 is on the ISF with the count word 3 (reads only the entry's header and
// names).
bool selection_in_force();

// The writers' side. write_selection records a selection: VNAMS1 and REORD1 with the
// dimension words (3: NUMVAR, 1, NUMDEL), the count word 3 even when NUMDEL is 0. names are
// the reordered names, order the original number of each position, numdel the inactive
// variables at the end. write_no_selection writes VNAMS1 back with (2: NUMVAR, 1).
// A size that does not fit (numvar outside 1..999, numdel outside 0..numvar, spans shorter
// than numvar) stops the run through proc_error.
void write_selection(std::span<const std::string> names, std::span<const std::int32_t> order,
                     std::int32_t numvar, std::int32_t numdel);
void write_no_selection(std::span<const std::string> names, std::int32_t numvar);

}  // namespace korvex
