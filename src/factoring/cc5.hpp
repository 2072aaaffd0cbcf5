// The key-cluster analysis component CC5 as other folders see it. From CORRM1 and the
// communality estimates DIAGV1 it extracts key-cluster, preset, pivot-variable or
// salient-centroid dimensions, iterates the communalities and stores UFACT1, CLUST1, REFLX1
// and a new DIAGV1. Everything else of the component is private to src/factoring.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for the name "CC5". Reads its two parameter
// cards (and, for preset lists, one list per dimension) from MONIN, IDFILE, CORRM1,
// VNAMS1, REORD1 (while a selection is in force), DIAGV1 and, for analysis type 4, CLUST1
// from the ISF; prints its report on MONOUT, writes CLUST1, REFLX1, DIAGV1 and UFACT1 and
// returns through return_to_gep. Every fatal condition ends the run through the stop
// routines; the ISF is written only by the last step. Nothing survives from one call to the
// next except what it stores on the ISF.
void CC5();

}  // namespace korvex
