// The correlation components as other folders see them: COR2 turns the data storage file of
// a clean DAP run into the correlation matrix CORRM1 and the standard deviations STDEV1 for
// complete data; COR3 forms matched counts, means, standard deviations, covariances and
// correlations over the pairs of present values. Both print on MONOUT and return to GEP.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "COR2". Reads IDFILE, MEANS1 and VNAMS1 and
// the data storage file on MTDST, writes STDEV1 and CORRM1 and prints the matrix. Stops the
// run (nothing written to the ISF) on a missing entry, a file that does not fit the ISF, a
// missing value, or a variable selection in force.
void COR2();

// The component entry for "COR3". Reads its option card from MONIN, MEANS1, VNAMS1 and
// VAREN1 and the data storage file, and writes and prints what the card asks for (CORRM1 by
// default). Stops the run on the input errors of its heading checks (stop code 10002), a
// non-digit option field, or a variable selection in force.
void COR3();

}  // namespace korvex
