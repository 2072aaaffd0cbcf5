// The intermediate storage file (ISF) on MTIST: the record routines that read and write its
// records, the control block ISFCOM with its label table and entry framing, the typed
// accessors through which every component stores and fetches whole entries, and the
// catalogue of the labels the system stores. Other folders include only this header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// ---- shapes ---------------------------------------------------------------------------

inline constexpr std::size_t isf_label_length = 6;  // labels and words
inline constexpr std::size_t isf_name_length = 20;  // variable, subject and type names
inline constexpr std::int32_t isf_maxlab = 30;      // capacity of the label table
inline constexpr std::int32_t isf_matrix_ld = 999;  // leading dimension of matrices
inline constexpr std::int32_t isf_list_ld = 99;     // leading dimension of integer lists
// Longest KPAR in memory: the count and nine dimension words (IPFILE).
inline constexpr std::size_t isf_kpar_capacity = 10;

// KPAR in memory: kpar[0] = c, kpar[1..c] = d1..dc.
using Kpar = std::array<std::int32_t, isf_kpar_capacity>;

// Record kinds (ITYPE) and entry types share one numbering.
enum IsfKind : std::int32_t {
  isf_kind_end = 0,         // END record
  isf_kind_words = 1,       // 6-character words
  isf_kind_names = 2,       // 20-character names
  isf_kind_ints = 3,        // int32
  isf_kind_reals = 4,       // real32
  isf_kind_membership = 5,  // entry type of OXFIL1 only
  isf_kind_row = 6,         // reals, an int32 and a name (rows of MXFIL1)
  isf_kind_header = 7,      // entry header, also the string record
};

// ---- record routines ------------------------------------------------------------------
// Every routine works on any unformatted unit: on a stream unit (the ISF) it transfers at
// the unit's current byte position and leaves the position behind the record; on a
// sequential unit each call transfers one sequential record. mode 1 writes, any other value
// reads. On write n items of the array are written (n must be 0..size of the array); on
// read n receives the stored count. A read checks the record's kind first and stops with the
// routine's code (5011-5018) on another kind; a stored count beyond the array, or a record
// cut short by the end of the file, stops the run through proc_error before anything is
// stored. Write failures (and a position passing 2^31 - 1) throw io::IoError.

// END record (kind 0, 32 bytes). Writes only when mode is 1; otherwise does nothing.
void rweof(std::int32_t unit, std::int32_t mode);
// Entry header (kind 7, words of 6): transferred at byte position loc of a stream unit
// (loc is ignored on a sequential unit); the unit is left just behind it.
void rwhdr(std::span<std::string> words, std::int32_t& n, std::int32_t unit, std::int32_t mode,
           std::int32_t loc);
// Kind 1: words of 6 characters (read words become exactly 6 characters).
void rwreca(std::span<std::string> words, std::int32_t& n, std::int32_t unit, std::int32_t mode);
// Kind 2: names of 20 characters (read names become exactly 20 characters).
void rwrecn(std::span<std::string> names, std::int32_t& n, std::int32_t unit, std::int32_t mode);
// Kind 3: int32 values.
void rwreci(std::span<std::int32_t> iv, std::int32_t& n, std::int32_t unit, std::int32_t mode);
// Kind 4: real32 values.
void rwrecr(std::span<float> x, std::int32_t& n, std::int32_t unit, std::int32_t mode);
// Kind 6: n real32 values, one int32 ival, one 20-character name.
void rwrecd(std::span<float> x, std::int32_t& n, std::string& name, std::int32_t& ival,
            std::int32_t unit, std::int32_t mode);
// String kind 7: on write the text's own length is stored (n is not used); on read text
// becomes the n stored characters.
void rwrecs(std::string& text, std::int32_t& n, std::int32_t unit, std::int32_t mode);
// Current byte position of unit 1 (the ISF). When the unit cannot tell it, writes the
// "IOSTAT:" and "IOMSG: " lines to standard output and returns 0. tag is not used.
std::int32_t rwpos(std::string_view tag = {});

// ---- ISFCOM: label table and entry framing ---------------------------------------------

// The control block of the store, one for the run.
struct IsfControl {
  std::int32_t iloc = 0;    // header of the entry last opened (END record after a close)
  std::int32_t iwrite = 0;  // mode of the last successful open; 1 after a TAKE
  std::array<std::string, isf_maxlab> label;  // registered labels, 6 characters each
  std::array<std::int32_t, isf_maxlab> loc{};  // header position of each label's entry
  std::int32_t maxlab = isf_maxlab;
  std::int32_t next_free = 0;  // where the next entry's header goes
  std::int32_t mtisf = 0;      // unit number of the ISF
  std::int32_t nlab = 0;       // labels registered
  std::string marker;          // "ISFCOM" once isf_init has run
};

// Read-only view of ISFCOM (the PR_ISF dump shows it).
const IsfControl& isf_control();

// Registers nothing, writes the empty store (two END records, 64 bytes) at position 1 of
// MTIST and points next_free at 1. Start-up step and the clearing step of *START.
void isf_init();
// True once isf_init has run.
bool isf_ready();
// Opens the entry of `label` and transfers its header, KPAR and type records. Write (mode 1):
// registers a new label (a 31st stops with 5001) and frames the entry at next_free from kpar;
// the caller then writes its data records on isf_unit() and calls filfin(1). Read: notfound
// := 1 when the label is not registered (nothing touched); otherwise kpar receives the stored
// KPAR (kpar must hold c + 1 words) and the unit is left at the first data record. Stops:
// 5000 store not initialised, 5002 damaged header, 5003 another entry type than itype.
void isf_open_entry(std::string_view label, std::int32_t mode, std::int32_t itype,
                    std::span<std::int32_t> kpar, std::int32_t& notfound);
// Closes the entry being written (mode 1): END record, a second END at the new next_free.
void filfin(std::int32_t mode);
// loc(i) and label(i), 1-based; 0 and 6 blanks outside 1..nlab.
std::int32_t isf_label_loc(std::int32_t i);
std::string isf_label_name(std::int32_t i);
std::int32_t isf_next_free();
std::int32_t isf_unit();
std::int32_t isf_count();
// Registers label at next_free for TAKE, which writes the entry there itself. A 31st label
// writes " TOO MANY FILE NAMES." to the listing and stops with 5020.
void isf_add_label(std::string_view label, std::int32_t& page, std::int32_t& lines,
                   std::int32_t monout);
void isf_set_iwrite();
// kpar[1..3] := d1, d2, d3; kpar[0] := the number of leading non-zero values among them.
void make_kpar(std::span<std::int32_t> kpar, std::int32_t d1, std::int32_t d2, std::int32_t d3);
// One integer record at the ISF's current position (the type records of OXFIL1 entries).
void isf_rwreci(std::int32_t mode, std::int32_t& n, std::span<std::int32_t> iv);
// filfin for an OXFIL1 entry.
void isf_filfin(std::int32_t mode);

// Forgets ISFCOM and the kept state of the chunked and row accessors (tests).
void reset_isf();

// ---- typed accessors ------------------------------------------------------------------
// Shared rules: mode 1 writes from the caller's arrays and KPAR, any other mode reads and
// fills them. A read of an unregistered label sets notfound := 1 and touches nothing. Every
// count on read comes from the file and must fit the caller's array; matrices are stored
// column by column with 999 rows, integer lists with 99.

// The run title IDFILE: 12 words of 6 characters, KPAR (2: 12, 1).
void isf_idfile(std::int32_t mode, std::int32_t& notfound, std::span<std::string> title);
// The run title IDFILE as one 72-character line; its absence stops the run through
// isf_not_found (stop code 10007).
std::string read_run_title();
// One record of d1 words / names / integers / reals.
void isf_word_vector(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<std::string> w);
void isf_name_vector(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<std::string> names);
void isf_int_vector(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                    std::int32_t& notfound, std::span<std::int32_t> iv);
void isf_real_vector(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<float> x);
// d2 column records of d1 values each (columns 999 apart in a).
void isf_real_matrix(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<float> a);
void isf_int_matrix(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                    std::int32_t& notfound, std::span<std::int32_t> ia);
// Strict lower triangle of a symmetric matrix of order d1, one record per column.
// opt 1: a packed lower triangle with diagonal (n(n+1)/2 values); opt 2: full matrix with
// 999 rows, a read mirrors every value above the diagonal; opt 3: as 2 without the mirror.
// The diagonal is never stored or touched.
void isf_real_square(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<float> a, std::int32_t opt);
void isf_int_square(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                    std::int32_t& notfound, std::span<std::int32_t> ia, std::int32_t opt);
// A record of K = d1 counts, then list i as members(1..counts(i), i), lists 99 apart.
void isf_int_table(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                   std::int32_t& notfound, std::span<std::int32_t> counts,
                   std::span<std::int32_t> members);
// Chunked entries: an open call (isf_real_chunks part < 2, SNFILE part 1), then move calls
// (part >= 2, SNFILE part 2) that each move the next record of d1 * floor(d3 / d1) values
// (the last one shorter) between the front of a / names and the file, d1 * d2 values in all;
// the move that empties the entry closes it. A move call with no entry open stops the run.
void isf_real_chunks(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<float> a, std::int32_t part);
void SNFILE(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
            std::int32_t& notfound, std::span<std::string> names, std::int32_t part);
// Many read move calls of the open real chunk entry at once: moves up to `records` next
// records, record i into slot i of a (slots of d1 * floor(d3 / d1) values, at least one) as
// a move call with that slot as its array would, and returns how many it moved (at least one
// while the entry is open). Full records of the stored length come in one transfer; the
// last, shorter record and any record unlike its KPAR are moved alone, in a call of their
// own, into slot 0, with the checks and stops of a move call. With no entry open it stops
// as a move call does.
std::int32_t isf_real_chunk_run(std::span<float> a, std::int32_t records);
// Row entries (type 6): MXFIL1 opens and moves the NAME / ORDER records by the code d5,
// then each MXFIL3 moves one row of m values with its number and name; the last row closes
// the entry. Impossible codes stop with "MXFIL1 BUG", a row too many with "MXFIL3 BUG".
void MXFIL1(std::int32_t mode, std::string_view label, std::int32_t& notfound,
            std::span<std::int32_t> kpar, std::span<std::string> names,
            std::span<std::int32_t> index);
void MXFIL3(std::span<float> row, std::string& name, std::int32_t& ival);
// Object-membership entries (type 5): the LENGTH, NAME and ORDER records of d1 groups; the
// entry stays open for the caller's isf_rwreci records and isf_filfin.
void OXFIL1(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
            std::int32_t& notfound, std::span<std::int32_t> length, std::span<std::string> names,
            std::span<std::int32_t> order);

// ---- label catalogue ------------------------------------------------------------------

// The accessor through which a label is stored.
enum class IsfAccessor {
  word_vector,
  name_vector,
  int_vector,
  real_vector,
  real_matrix,
  int_matrix,
  real_square,
  int_square,
  int_table,
  real_chunks,
  name_chunks,  // SNFILE
  row_entry,    // MXFIL1 / MXFIL3
  membership,   // OXFIL1 / isf_rwreci / isf_filfin
};

// One label the system stores and the contract its writers and readers keep.
struct IsfLabelInfo {
  std::string_view label;
  IsfAccessor accessor;
  std::int32_t entry_type;  // 1..6
  std::int32_t max_words;   // largest KPAR count c written for the label
  std::string_view kpar;    // the dimension words, e.g. "(2: NV, 1)"
  std::string_view data;    // what the data records hold
  std::string_view written_by;
  std::string_view read_by;
  bool deck_label;  // loadable and unloadable through entry decks
};

// The 29 labels, grouped as run description, correlations, factoring, scores.
std::span<const IsfLabelInfo> isf_label_catalogue();
// The catalogue row of label (blank-padded comparison); nullptr for an unknown label.
const IsfLabelInfo* find_isf_label(std::string_view label);

}  // namespace korvex

// The executive operations built on the store: saving and restoring it, its dumps, and the
// entry decks of GIST with their punched cards.
#include "storage/give.hpp"  // IWYU pragma: export
#include "storage/dumps.hpp"  // IWYU pragma: export
#include "storage/gist.hpp"  // IWYU pragma: export
