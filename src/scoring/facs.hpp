// The scoring component FACS as other folders see it.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "FACS".
void FACS();

}  // namespace korvex
