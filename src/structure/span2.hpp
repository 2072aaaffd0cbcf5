// The spherical analysis component SPAN2 as other folders see it.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "SPAN2".
void SPAN2();

// Forgets the state of the last SPAN2 run (tests).
void reset_span2();

}  // namespace korvex
