// The ISF dumps for diagnosis: *ISFDMP lists every entry record by record on the listing and
// checks it on the way; *PR_ISF writes the control block to standard output; *STREAM dumps
// the whole ISF file in hexadecimal; *ISF_DE reports the ISF unit and steps through its
// records with a vertical hexadecimal dump. The interpreter calls these for the four cards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// ---- handlers of the executive cards ---------------------------------------------------

// *ISFDMP: every label of the table in table order, with its header, KPAR, type, the
// records of its entry type and its data records up to the END record, each under a
// 7-character caption. page and lines are the caller's PAGER counters (both 0 before the
// call: the dump begins page 1), monout the listing unit. The KPAR values are also written
// to standard output. Returns after a complete dump; a store that is not initialised or a
// damaged entry is reported on the listing and ends the run through stop_run (a damaged
// header also dumps the whole ISF first). A record too long for the dump's buffers, or
// the file ending inside an entry, ends the run through proc_error.
void ISFDMP(std::int32_t& page, std::int32_t& lines, std::int32_t monout);

// *PR_ISF: the control block ISFCOM as free-form lines on standard output: the unit and
// the label capacity, the entry last opened, the label count with the last open mode,
// then one line per label with its location. Never fails.
void PR_ISF();

// *STREAM (and ISFDMP after a damaged header): the whole file of the stream unit isf_unit
// as 16-byte lines on monout, in blocks of 4096 bytes whose offsets restart at 1. An empty
// file writes nothing. A failing read dumps the bytes read so far, reports the status on
// standard output, pauses (see console_pause) and returns.
void stream_dump(std::int32_t isf_unit, std::int32_t monout);

// Writes bytes first .. first + n - 1 (1-based) of `bytes` to `unit` as lines of 16: the
// offset (byte j shows j - first + base), the hexadecimal digits and the characters. A group
// equal to the one printed before it (the first is compared with 16 blanks) is shown as one
// marker line of "V"s under the offset's digits; further equal groups show nothing. No
// paging. n is cut to the bytes the buffer holds from first on.
void mem_dump(std::span<const std::byte> bytes, std::int32_t first, std::int32_t n,
              std::int32_t base, std::int32_t unit);

// *ISF_DE: six lines on monout with the ISF unit's access, action, encoding, form, current
// position and size; then, from byte 1, one step per started 1000 bytes of the file, each
// looking at the record that begins where the previous step ended: its position on standard
// output, the 8 bytes of its kind and count through vertical_hex_dump, its kind's name and
// length in bytes on standard output, and for an END record whether its third word is 0
// and its text blank. The end of the file, or a record whose length cannot be known, ends
// the dump; page and lines are not used. A read failure reports the status on standard
// output, pauses and ends the run through stop_run.
void ISF_DEBUG(std::int32_t& page, std::int32_t& lines, std::int32_t monout);

// Each byte of `bytes` (n of them, cut to the span) in hexadecimal on its own line of
// standard output; then, per block of 64, three lines on `unit` that read downwards as each
// byte's character ("." below 32), high digit and low digit, in groups of four.
void vertical_hex_dump(std::span<const std::byte> bytes, std::int32_t n, std::int32_t unit);

// ---- item printers of ISFDMP -----------------------------------------------------------
// Each prints one item after two empty lines: the caption (7 characters) on its first line,
// 7 blanks on every further line, and as many values per line as the listing width holds
// (words and integers in 11 columns, names in 21, reals in 11 with 3 decimals). All lines
// of an item are reserved at once; an item without values prints its caption alone.

void isfdmp_words(std::string_view caption, std::span<const std::string> words, std::int32_t n,
                  std::int32_t& page, std::int32_t& lines, std::int32_t unit);
void isfdmp_names(std::string_view caption, std::span<const std::string> names, std::int32_t n,
                  std::int32_t& page, std::int32_t& lines, std::int32_t unit);
void isfdmp_ints(std::string_view caption, std::span<const std::int32_t> values, std::int32_t n,
                 std::int32_t& page, std::int32_t& lines, std::int32_t unit);
void isfdmp_reals(std::string_view caption, std::span<const float> values, std::int32_t n,
                  std::int32_t& page, std::int32_t& lines, std::int32_t unit);
// One row of a type-6 entry: the values as isfdmp_reals prints them, then a line with the
// row's number in 11 columns and its 20-character name; three lines are reserved per line
// of values.
void isfdmp_rows(std::string_view caption, std::span<const float> values, std::int32_t n,
                 std::int32_t number, std::string_view name, std::int32_t& page,
                 std::int32_t& lines, std::int32_t unit);

// ---- console pause ---------------------------------------------------------------------

// The pause after a read failure: a blank line on standard output, then one line of console
// input, read only when the console input is a terminal or has been redirected (tests); at
// end of input the run goes on. Never blocks a batch run.
void console_pause();

}  // namespace korvex
