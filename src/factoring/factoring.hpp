// The communality and factoring subsystem as other folders see it: the entry of the
// diagonal-values component DVP, which estimates a communality for every variable of
// CORRM1 and stores them as DIAGV1 for the key-cluster analysis. Everything else of the
// subsystem is private to src/factoring.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for the name "DVP". Reads its parameter card
// from MONIN and CORRM1 (with IDFILE, VNAMS1 and REORD1) from the ISF, lists the
// estimates of the card's method (after those of its initial method, when one runs) and
// writes DIAGV1, then returns through return_to_gep. Every fatal condition ends the run
// through the stop routines; nothing is written to the ISF before the last step.
void DVP();

// Forgets DVP's process-wide working state (its estimates survive from one *DVP card to
// the next within a run); for tests that need a fresh process.
void reset_dvp();

}  // namespace korvex

// The key-cluster component.
#include "factoring/cc5.hpp"  // IWYU pragma: export
