// The residual component FAST as other folders see it: after *FAST it forms the residual
// correlation matrix (CORRM1 less the part of the factors UFACT1) or the matrix reproduced
// from the factors, prints it, stores it as CORRM1 in place of the correlations and, on
// request, writes it to the text file "CORRESID" or "CORREPRO".
#pragma once

namespace korvex {

// The component entry the dispatcher calls for the name "FAST". Reads its control card from
// MONIN, IDFILE, UFACT1, the variable names and (residual mode) CORRM1 from the ISF, prints
// the heading, the factor coefficients and the output matrix, writes CORRM1 (qualifier 1
// residual, 2 reproduced) and returns through return_to_gep. Every fatal condition ends the
// run through the stop routines.
void FAST();

}  // namespace korvex
