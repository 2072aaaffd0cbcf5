// The variable selection components as other folders see them: SELECT narrows the analysis
// to listed variables, SLEEP sets listed variables aside, and RESTOR brings every variable
// back in its original order with coefficients and communalities for the sleepers. Together
// they write and undo the selection state of the active-variable protocol on the ISF.
#pragma once

namespace korvex {

// The entry the dispatcher calls for "SELECT". Reads the list of active ordinals from MONIN
// (after the *SELECT card), CORRM1, IDFILE and VNAMS1 from the ISF; prints the active
// variables and their correlations; writes CORRM2, CORRM1, VNAMS1 and REORD1 (selection in
// force) and appends the reordered matrix to "CORR.TXT" (MTCORR); returns through
// return_to_gep. Every refusal (bad list, a selection already in force, fewer than 2 active
// variables) stops the run before anything is written to the ISF.
void SELECT();

// The entry for "SLEEP". As SELECT, but the cards name the variables to set aside, by name
// or ordinal; the selection state it writes is the same, the sleepers being the inactive
// variables. Refuses to run while a selection is in force, before reading its list.
void SLEEP();

// The entry for "RESTOR". Reads no cards. Undoes the selection in force: CORRM1 with every
// variable in original order, UFACT1 extended to the sleepers by least squares, CLUST1 and
// REFLX1 in original numbers, DIAGV1 with every variable's total communality, and VNAMS1
// without the selection mark. Refuses to run without a selection in force, on inconsistent
// ISF entries, or when the active coefficients cannot carry the sleepers (singular F'F);
// every refusal comes before the first ISF write.
void RESTOR();

}  // namespace korvex

// Rotation and residual matrices.
#include "selection/gyro.hpp"  // IWYU pragma: export
#include "selection/fast.hpp"  // IWYU pragma: export
