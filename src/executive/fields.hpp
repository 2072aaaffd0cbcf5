// Card fields and list readers: the parsers every component hands the fixed columns of its
// parameter cards to (integer and real fields with the component's default), and the
// readers of free-form lists on MONIN that run over several cards and end with a period
// (names, variable numbers, and variable references by name or number).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// The 142 characters a name list may hold: blank, comma, period, digits, A-Z, a-z,
// "_@#$%&*()-+=<>'" and the ISO 8859-1 letters 0xC0-0xFF except 0xD7 and 0xF7. Blank, comma
// and period have their own meaning to the readers; the other 139 build items.
std::string_view name_list_set();

// Decimal value of the digits of text, blanks anywhere skipped; all-blank or empty gives 0.
// Any other character stops the run with
//   BCDBIN ERROR: Unrecognized character in "<text>".
// and digits that do not fit a 32-bit integer with
//   BCDBIN ERROR: Number too large in "<text>".
void BCDBIN(std::string_view text, std::int32_t& value);

// value = default_value when the field is blank (every column a blank, or length 0), else
// BCDBIN of the field.
void field_int(std::string_view field, std::int32_t& value, std::int32_t default_value);

// value = default_value (bit for bit) when the field is blank, else the field read with the
// layout "(F8.4)": only the first 8 columns count, blanks are ignored, no decimal point
// means 4 implied decimals, sign and exponent accepted. A field that is not a number throws
// the layout engine's io::LayoutError, which the main program turns into the stop.
void field_real(std::string_view field, float& value, float default_value);

bool int_in_range(std::int32_t value, std::int32_t lo, std::int32_t hi);
// False when any of the three is a NaN.
bool real_in_range(float x, float lo, float hi);

// Reads a list of names ended by "." from the unit (80-column lines). Blanks are dropped,
// "," or "." ends a name; an item keeps its first 20 characters, blank-padded to 20. At most
// min(nmax, names.size()) names are stored; the list is still read to its period, and count
// is the number of names stored. bad = 1 when a character outside name_list_set or the end
// of the file comes before the period (count then holds the names stored so far).
void read_name_list(std::span<std::string> names, std::int32_t nmax, std::int32_t& count,
                    std::int32_t& bad, std::int32_t unit);
// The form with an output unit, on which this reader writes nothing.
void read_name_list(std::span<std::string> names, std::int32_t nmax, std::int32_t& count,
                    std::int32_t& bad, std::int32_t unit, std::int32_t unit_out);

// Reads a list of numbers in 1..nmax, separated by "," and ended by "." (blank lines
// skipped, blanks ignored, a number may run on over a line end). Status:
//   0  list read, count numbers in list(1..count);
//   1  a character outside " ,.0123456789": two marker lines ("^" then "|" under the
//      column) go to unit_out, count holds the numbers read before it;
//   2  a number below 1 or above nmax (an empty item reads as 0; a number too large for
//      32 bits reads as 2147483647); it stands in list(count).
// More items than list.size() stop the run with "Too many numbers in list: room for <n>.";
// a read error or the end of the file stops it through check_io_stat("Error reading input").
void read_number_list(std::span<std::int32_t> list, std::int32_t nmax, std::int32_t& count,
                      std::int32_t& status, std::int32_t unit_in, std::int32_t unit_out);

// Reads a list of variable names or numbers ended by "." into a reference list of distinct
// variable numbers (names from names(1..nnames)). Reads lines as read_number_list does; each
// item goes to parse_var_ref, and the first item it refuses ends the list at once with that
// item's status (2 unknown name, 3 repeated, 4 list full). A character outside
// name_list_set gives the marker lines on unit_out and status 1.
void read_var_list(std::span<const std::string> names, std::span<std::int32_t> list,
                   std::int32_t nmax, std::int32_t nnames, std::int32_t& count,
                   std::int32_t& status, std::int32_t unit_in, std::int32_t unit_out);

// Resolves one item and appends its variable number to list(1..count). An item of digits
// only whose value is in 1..nmax is that number; anything else is looked up by name in
// names(1..nnames) (exact over 20 characters). Status 0 appended; 2 no such name (a console
// line " Bad name:" + the 20-character item); 3 already listed; 4 the list is full (count
// has reached min(nmax, list.size())).
void parse_var_ref(std::span<const std::string> names, std::span<std::int32_t> list,
                   std::int32_t nmax, std::int32_t nnames, std::int32_t& count,
                   std::string_view item, std::int32_t& status);

}  // namespace korvex
