// The iteration phase of OTYPE.
#include "typing/otype_internal.hpp"

namespace korvex::otype {

void EUFIT() { state().c.ipart = 0; }

}  // namespace korvex::otype
