// Progress lines that announce every executive card on MONERR, and the table of component
// states that decides whether a named component may run at all.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

// Writes one line on the console error unit (MONERR): the text after the blank that begins
// every such line (progress lines, the *SET_NC / *SET_NL complaints, the *GIVE notice).
void progress_line(std::string_view text, std::int32_t unit);
// Writes the progress line for the card's word (or nothing for a silent word).
void exec_banner(std::string_view word, std::int32_t unit);
// Checks a component name; stops the run for a component that is not available.
void ORGPNT(std::string_view name, std::int32_t unit);

}  // namespace korvex
