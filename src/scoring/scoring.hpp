// The scoring and scatterplot subsystem as other folders see it: the entries of FACS and
// RSCAT. Everything else of the subsystem is private to src/scoring.
#pragma once

#include "scoring/facs.hpp"   // IWYU pragma: export
#include "scoring/rscat.hpp"  // IWYU pragma: export
