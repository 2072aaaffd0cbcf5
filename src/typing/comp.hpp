// The comparison components COMP1 and COMP2 as other folders see them.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "COMP1".
void COMP1();
// The component entry the dispatcher calls for "COMP2".
void COMP2();

}  // namespace korvex
