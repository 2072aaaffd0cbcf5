// The orthogonal rotation component GYRO as other folders see it: after *GYRO it rotates
// the unrotated factor coefficients UFACT1 by quartimax or varimax, prints the rotation and
// its summary, and stores RFACT1 and BASIS1 for the scoring, comparison and spherical
// components. Everything else of the component is private to src/selection.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for the name "GYRO". Sets the listing back to
// its defaults (78 lines, 118 characters), reads IDFILE, UFACT1 and the variable names from
// the ISF, prints the unrotated coefficients, reads its three cards (method, cycles,
// criterion) from MONIN, rotates, prints the summary, writes RFACT1 and BASIS1 and returns
// through return_to_gep. Every fatal condition ends the run through the stop routines;
// nothing is written to the ISF before the last step.
void GYRO();

}  // namespace korvex
