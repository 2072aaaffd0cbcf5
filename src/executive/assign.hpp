// The executive cards that act on the symbolic unit table: *ASSIGN binds a new unit name to
// a file for the rest of the run, *PRT_UT lists the table on the listing. The interpreter
// hands over the card it has just read, or the listing unit.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// Room for the words of an *ASSIGN card, and the longest path built from them.
constexpr std::int32_t assign_word_room = 50;
constexpr std::size_t assign_word_length = 600;
constexpr std::size_t assign_path_room = 2056;

// The *ASSIGN step on the interpreter's 120-column card "*ASSIGN name path-words...":
// the name is the first 6 characters of word 2, the path the words from 3 on joined without
// blanks. Stops the run with "Too few arguments in ASSIGN_FILE" (fewer than 3 words), "Too
// many arguments in ASSIGN_FILE" (more than 50), "internal failure in ASSIGN_FILE" (word 1
// not exactly "*ASSIGN"), "Path too long in ASSIGN_FILE", or any stop of ASSIGN_FILE.
void assign_card(std::string_view card);

// Splits the first `length` columns of card into words (runs of the characters 33-126; any
// other character separates). Records starts/ends (1-based columns) and the text (600
// characters, blank-padded) of at most min(starts, ends, words sizes) words, and returns the
// number of words on the card, which may be larger: the caller compares it with its room.
std::int32_t get_ec_args(std::string_view card, std::span<std::int32_t> starts,
                         std::span<std::int32_t> ends, std::span<std::string> words,
                         std::int32_t length);

// Adds the row (name, free unit number, duration component, input, formatted, sequential,
// path). Stops with "ASSIGN_FILE symbolic unit name too long." (name over 6 characters),
// "ASSIGN_FILE symbolic unit name is in use.", "ASSIGN_FILE path does not exist: XXXX" (the
// inquiry's status in 4 digits, 0000 when it worked and found nothing), or the codes of
// add_unit.
void ASSIGN_FILE(std::string_view name, std::string_view path);

// The *PRT_UT step: print_unit_tables on the listing unit.
void print_units(std::int32_t listing);
// Lists the unit table on unit `listing`, outside the page accounting: title, a warning
// when the table is not valid, headings and one row record per row in use (open rows with
// the file name, in segments broken before a backslash), and a closing one-blank record.
void print_unit_tables(std::int32_t listing);

// The last column (1-based) of the next listing segment of a path of trimmed length `length`
// starting at column `start`, for segments of `width` columns: the rest when it fits, else
// the column before the last backslash in the window (not its first column), else the rest.
std::int32_t path_break(std::string_view text, std::int32_t start, std::int32_t width,
                        std::int32_t length);

}  // namespace korvex
