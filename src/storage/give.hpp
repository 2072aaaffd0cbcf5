// Saving the whole ISF to the binary permanent file ("GIVE") and restoring it from one
// ("TAKE"), so that an analysis can be carried on in a later run.
#pragma once

#include <cstdint>

namespace korvex {

// Saves every entry of the ISF to the unit of GIVE, as one complete image: the file is
// written beside "GIVE" and renamed over it only when complete. Object-typing entries
// (types 5 and 6) cannot be saved and are left out with a listing line each, and one
// progress line on MONERR names them all.
void GIVE(std::int32_t give_unit, std::int32_t& page, std::int32_t& lines, std::int32_t monout);
// Restores the entries of the file on the unit of TAKE into the ISF. failed := 0 after a
// complete restore, 1 when the file was rejected (the listing says why).
void TAKE(std::int32_t take_unit, std::int32_t& failed, std::int32_t& page, std::int32_t& lines,
          std::int32_t monout);

}  // namespace korvex
