// The cluster structure component CSA2 as other folders see it.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "CSA2".
void CSA2();

// Forgets the state of the last run (tests).
void reset_csa2();

}  // namespace korvex
