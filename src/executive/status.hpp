// Status checks and error messages. Callers guard every allocation, deallocation, read and
// write with one of these checks right after it: a zero status (or a found entry) returns at
// once, anything else ends the run through the stop routines with the caller's tag or the
// system's own text. The scoring component's coded errors (error_by_tag) also live here.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

// Tagged checks. A non-zero status stops the run with `where` (its whole length, trailing
// blanks included) followed by ": Bad alloc_stat =", ": Bad dealloc_stat =" or
// ": Bad io_stat = " and the status in 3 zero-padded digits ("-" first when negative).
void check_alloc_stat(std::string_view where, std::int32_t stat);
void check_dealloc_stat(std::string_view where, std::int32_t stat);
void check_io_stat(std::string_view where, std::int32_t iostat);

// Untagged checks. iostat -1 and -2 give the end-of-file and end-of-record sentences, any
// other non-zero status a sentence with its 2 low-order digits.
void iostat_error(std::int32_t iostat);
void alloc_error(std::int32_t stat);
void dealloc_error(std::int32_t stat);

// An ISF entry the caller knows to be missing: with print = 1 the "CANNOT FIND" report goes
// to the listing; then QUIT(10005) whatever print is.
[[noreturn]] void isf_missing(std::string_view label, std::int32_t print);
// Right after an ISF read: notfound = 0 returns; otherwise the five-record "COULD NOT BE
// LOCATED" report goes to the listing and the run stops with QUIT(10007).
void isf_not_found(std::string_view label, std::int32_t notfound);

// The state of the last coded error: number from columns 5-10 of the code, the input/output
// status and the extra value (a factor number) passed with it.
struct error_state_record {
  std::int32_t number = 0;
  std::int32_t status = 0;
  std::int32_t extra = 0;
};
const error_state_record& error_state();
void reset_error_state();

// Coded errors: code is 10 characters, a 4-character component tag and 6 digits (blanks
// skipped; any other character stops the run inside BCDBIN). The number, iostat and extra
// are kept in error_state. Tag "FACS" reports the message of facs_error_text and never
// returns; every other tag returns with nothing more done.
void error_by_tag(std::string_view code, std::int32_t iostat, std::int32_t extra);
// Stops the run with the scoring component's message for the number in error_state.
[[noreturn]] void facs_error_text();

}  // namespace korvex
