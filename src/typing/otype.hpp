// The object typing component OTYPE as other folders see it.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "OTYPE".
void OTYPE();

// Forgets the component's run-wide state (tests).
void reset_otype();

}  // namespace korvex
