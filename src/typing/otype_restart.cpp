// Starting O-types of OTYPE from a stored membership.
#include "executive/errors.hpp"
#include "typing/otype_internal.hpp"

namespace korvex::otype {

void OTRDT1() { proc_error("OTYPE: STARTING FROM A STORED MEMBERSHIP IS NOT AVAILABLE."); }
void OTMEAN() {}

}  // namespace korvex::otype
