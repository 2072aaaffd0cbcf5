// The listing of the data storage file for *DPRINT: DPRINT prints its identification
// records (the two title records and the counts) and DPRINT2 the whole data matrix,
// subjects down the page and variables across, in blocks that fit the page. The
// interpreter runs both for the card, then reads its next card.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace korvex {

// Capacity of the variable names the interpreter hands both steps.
inline constexpr std::int32_t dprint_max_variables = 999;

// The identification records, from the first record of the file on `unit` (MTDST): a new
// page, the file's number, the two title records as they stand and the line with NV and
// NOMISS; reads the NV variable names into names (at least 999 elements) and leaves the unit
// at the first subject record. Sets nv, nomiss and title (72 characters). page and lines
// are the caller's PAGER counters (0 before the call), monout the listing unit.
// Stops the run: the end of the file or a damaged record ("Dprint: Bad io_stat = "), NV
// outside 1..999 or a record too short for what it must hold (a "Dprint:" message).
void DPRINT(std::int32_t unit, std::span<std::string> names, std::int32_t& nv,
            std::int32_t& nomiss, std::string& title, std::int32_t& page, std::int32_t& lines,
            std::int32_t monout);

// The data matrix, after DPRINT: the number of subjects comes from the ISF entry MEANS1 and
// the width of the subject names from ONAMS1; each block of subjects is listed variable
// group by variable group, each group under the title and the variables' numbers and names;
// a missing value shows as MISSING when NOMISS is 0. Rewinds the unit at the end and leaves
// lines at the lines left when all variables fit one group, else at 0.
// Stops the run: MEANS1 absent (a listing line, then stop_run), the end of the file before
// the last subject or a damaged record ("Dprint: Bad io_stat = "), a subject record too
// short for NV values ("Dprint:" message), work arrays that cannot be had ("Dprint: Bad
// alloc_stat =").
void DPRINT2(std::int32_t unit, std::span<const std::string> names, std::int32_t nv,
             std::int32_t nomiss, const std::string& title, std::int32_t& page,
             std::int32_t& lines, std::int32_t monout);

// The longest trimmed subject name over every name of the ISF entry ONAMS1; 0 when the
// entry is absent or all its names are blank. A buffer that cannot be had stops the run
// ("onmsize: Bad alloc_stat =").
std::int32_t read_onams1();

}  // namespace korvex
