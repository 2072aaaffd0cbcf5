// The analysis of one dimensionality of SPAN2.
#include "structure/span2_internal.hpp"

namespace korvex::span2 {

void span_dimension(std::int32_t k) { (void)k; }

}  // namespace korvex::span2
