// The cluster structure and spherical analysis subsystem as other folders see it: the
// entries of CSA2 and SPAN2. Everything else of the subsystem is private to src/structure.
#pragma once

#include "structure/csa2.hpp"   // IWYU pragma: export
#include "structure/span2.hpp"  // IWYU pragma: export
