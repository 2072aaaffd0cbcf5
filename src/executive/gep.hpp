// The executive control-card interpreter: reads one card at a time from MONIN, obeys the
// executive keywords, and names the next component for the component loop.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

void GEP();

// The number behind the keyword of a *SET_NC or *SET_NL card, or -1 when there is none or
// it is not made of digits alone.
std::int32_t card_int_param(std::string_view card);

}  // namespace korvex
