// The correlation scatterplot component RSCAT as other folders see it.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "RSCAT".
void RSCAT();

// Forgets the scatterplot state of the last run (tests).
void reset_rscat();

}  // namespace korvex
