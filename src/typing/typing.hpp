// The object typing and comparison subsystem as other folders see it: the entries of OTYPE,
// COMP1 and COMP2. Everything else of the subsystem is private to src/typing.
#pragma once

#include "typing/comp.hpp"   // IWYU pragma: export
#include "typing/otype.hpp"  // IWYU pragma: export
