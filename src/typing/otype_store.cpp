// The outputs of OTYPE: the deck of O-type means on MONPUN and the stored O-types.
#include "typing/otype_internal.hpp"

namespace korvex::otype {

void OTPUNM() {}
void WRAPUP() {}

}  // namespace korvex::otype
