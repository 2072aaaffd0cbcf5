// Fixed-length, blank-padded texts: names of 20, labels of 6, titles of 72 characters.
// Every comparison of such texts in the system goes through padded_equal, which treats the
// shorter side as padded with blanks; nothing here uses locale functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvex::io {

// True when a and b are equal after the shorter is padded with blanks (case-sensitive).
bool padded_equal(std::string_view a, std::string_view b);

// s blank-padded on the right or cut to exactly `width` characters.
std::string pad(std::string_view s, std::size_t width);

// s without its trailing blanks.
std::string_view trim_right(std::string_view s);

// Upper-cases a-z only; every other byte is copied unchanged.
std::string upper_ascii(std::string_view s);

}  // namespace korvex::io
