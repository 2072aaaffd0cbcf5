// Stop routines: every fatal condition of the system ends the run through one of these.
// They write the system's console and listing lines, then throw Stop (never return).
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

// Fatal stop with a message: console header, the message in pieces of 80, the listing copy
// in pieces of ncline - 1, then QUIT(0).
[[noreturn]] void proc_error(std::string_view text);
// The same stop with a second line that explains the first: it follows the message on the
// console and in the listing, cut into pieces as the message is.
[[noreturn]] void proc_error(std::string_view text, std::string_view second_line);
// Stop with a numeric code: " QUIT: ERROR=" and the code (unless 0), then an empty line.
[[noreturn]] void QUIT(std::int32_t code);
// proc_error with the number in parentheses behind the text.
[[noreturn]] void fatal_with_number(std::string_view text, std::int32_t number);
// Ends the run at once, writing nothing (the caller has reported already).
[[noreturn]] void stop_run();

// The code last given to QUIT.
std::int32_t quit_code();

// Marks the run as failed without stopping it (a *TAKE that fails ends the run normally
// but the process exits with status 1).
void mark_run_failed();
bool run_failed();

// Forgets the stop state (tests).
void reset_errors();

}  // namespace korvex
