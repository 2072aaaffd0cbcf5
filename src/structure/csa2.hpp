// The cluster structure component CSA2 as other folders see it.
#pragma once

namespace korvex {

// The component entry the dispatcher calls for "CSA2".
void CSA2();

}  // namespace korvex
