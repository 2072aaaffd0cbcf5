// The correlation scatterplot component RSCAT as other folders see it.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "RSCAT".
void RSCAT();

}  // namespace korvex
