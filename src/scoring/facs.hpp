// The scoring component FACS as other folders see it.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "FACS".
void FACS();

// Forgets the component's run-wide state (control block, arrays, punch decimals; tests).
void reset_facs();

}  // namespace korvex
