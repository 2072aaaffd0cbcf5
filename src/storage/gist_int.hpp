// Private parts of the entry-deck component GIST: the label table of the 24 labels it knows,
// the dimension words with their limits, the run state of one GIST turn, and the routines the
// driver (gist.cpp), the loader (gist_load.cpp) and the unloader (gist_unload.cpp) share.
// Only these three files and the tests include it.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/storage.hpp"

namespace korvex::gist {

// How a row's entry is stored and carried on cards.
enum class TypeWord {
  vfile,   // real vector
  mfile,   // real matrix
  rfile,   // real symmetric matrix, held as its strict lower triangle
  ifile,   // indicator sets
  sfile,   // reals in chunks, one object per chunk
  vnfile,  // 20-character names
  rifile,  // integer symmetric matrix
  vifile,  // integer vector
  vafile,  // six-character words
  mifile,  // integer matrix (no row uses it)
  snfile,  // names in chunks (no row uses it)
  vsfile,  // one text, listed but not stored (no row uses it)
};

// Storage classes of the label table.
enum StorageClass : std::int32_t {
  class_vector_or_matrix = 1,
  class_symmetric = 2,
  class_indicator_sets = 3,
  class_scores = 4,
};

// Name kinds of the name tables: variable names, and bare numbers.
enum NameKind : std::int32_t { kind_variables = 1, kind_numbers = 2 };

// Layout slots (codes 1..9) and their use.
enum LayoutCode : std::int32_t {
  layout_reals = 1,
  layout_integers = 2,
  layout_names = 3,
  layout_user = 4,  // the layout card on a load; the computed layout on an unload
  layout_words = 5,
};
inline constexpr std::size_t layout_slot_count = 9;
inline constexpr std::size_t layout_slot_length = 12;
inline constexpr std::size_t layout_text_length = 72;

// One row of the label table. The row number (1-based position) is the code that unloaded
// data cards carry in columns 73-74.
struct LabelRow {
  std::string label;      // 6 characters
  std::string type_text;  // the type word as the table names it, 6 characters
  TypeWord type;
  std::int32_t storage_class;
  std::int32_t layout;  // default layout code
  std::int32_t column_kind;
  std::int32_t row_kind;
  std::vector<std::string> params;  // parameter words, in the order of the parameter card
  std::vector<std::string> dims;    // dimension words, in the order of the entry's KPAR
};

inline constexpr std::int32_t label_row_count = 24;

// The 24 rows, built once.
const std::vector<LabelRow>& label_table();
// Row number 1..24 of label (exact comparison of 6 characters); 0 when absent.
std::int32_t find_label_row(std::string_view label);

// A dimension word: its value once given, its limits, and whether it is available (given in
// the current conversion, or fixed for the run).
struct DimensionWord {
  std::string name;
  std::int32_t value;
  std::int32_t min;
  std::int32_t max;
  bool available;
  bool fixed;  // ONE, TWELVE, HOLDER: available for the whole run
};
inline constexpr std::size_t dimension_word_count = 9;
using DimensionWords = std::array<DimensionWord, dimension_word_count>;

// The dimension words as a run starts: ONE, TWELVE, HOLDER, NUMVAR, NUMSUB, NUMFAC, NUMOBJ,
// NOMISS and NUMDEL (the number of variables a selection set aside, 0..999).
DimensionWords initial_dimension_words();

// Converts values given for inwords into values for outwords. Every word of the table is
// found (an unknown word is a fault of the label table and stops the run). Returns 1 when an
// input value lies outside its word's limits or an output word was not given, else 0;
// outvalues then holds one value per output word.
std::int32_t GSTDIM(DimensionWords& words, std::span<const std::int32_t> invalues,
                    std::span<const std::string> inwords, std::vector<std::int32_t>& outvalues,
                    std::span<const std::string> outwords);

// The fixed-point card layout for reals whose largest magnitude is xmax (>= 1): m, the
// number of integer digits, gives scale = 10^m and the layout "(9F8.d)", d = max(0, 7 - m).
// Returns m.
std::int32_t GSTFMT(float xmax, float& scale, std::string& layout);

// The current GIST control card.
struct ControlCard {
  std::string label = std::string(6, ' ');
  std::int32_t io = 0;           // 1 load, 0 unload
  std::int32_t layout_flag = 0;  // 1: a layout card follows (load)
  std::int32_t square = 0;       // which part of a symmetric matrix the cards hold (load)
  std::int32_t order = 0;        // 0 column by column, 1 row by row (load of matrices)
  std::int32_t listing = 0;      // early-stop flag of the triangle printers (load)
  std::string unit_name = std::string(6, ' ');
  std::int32_t data_unit = 0;  // where the data cards of a load come from
};

// Everything one GIST turn keeps.
struct GistRun {
  std::int32_t monin = 0;
  std::int32_t monout = 0;
  std::int32_t monpun = 0;
  std::int32_t page = 0;  // the component's own page counters
  std::int32_t lines = 0;
  std::int32_t vnams1_flag = 1;  // 1 until VNAMS1 has been read into the variable names
  std::int32_t set_limit = 50;
  std::array<std::string, layout_slot_count> slots;
  std::array<std::vector<std::string>, 2> names;  // kinds 1 and 2, 999 names of 20
  DimensionWords dims;
  ControlCard card;
  std::int32_t row_number = 0;  // of the current card's label
  std::int32_t layout_in_use = 0;
  std::string layout_text;            // 72 characters: the layout of the data cards (load)
  std::vector<std::int32_t> params;   // one value per parameter word of the row
  Kpar kpar{};
  std::int32_t data_cards = 0;  // data cards read for the current package

  // The label-table row of the current card; only asked for once the label was found.
  const LabelRow& row() const {
    assert(row_number >= 1 && row_number <= label_row_count);
    return label_table()[static_cast<std::size_t>(row_number - 1)];
  }
};

inline constexpr std::int32_t name_table_size = 999;

// Run defaults and tables (page counters, flags, name tables, layout slots, dimension words).
void GSTDEF(GistRun& run);
void GSTTAB(GistRun& run);
// Reads the next control card and, for a load, its layout card and parameter card.
void GSTCRD(GistRun& run);
// Reads VNAMS1 into the variable names, once per run once it exists.
void GSTNAM(GistRun& run);
// The file-package header on the listing. layout_words: the layout as 6-character words.
void GSTHDR(GistRun& run, std::string_view title, std::span<const std::string> layout_words,
            std::string_view unit_name);
// Parameter record <-> KPAR through GSTDIM: direction 1 fills kpar from params, 0 fills
// params from kpar. Returns err (0 or 1).
std::int32_t stock(GistRun& run, std::int32_t direction);
// The paging protocol on the run's own counters.
void GSTPAG(GistRun& run, std::int32_t n);
// Lists indicator set setno.
void GSTSET(GistRun& run, std::int32_t setno, std::span<const std::int32_t> list, std::int32_t n,
            std::int32_t kind);
// Prints a text on the listing in lines of 66 characters.
void GSTTXT(GistRun& run, std::string_view text);

// The name of index i (1..999) of a name kind.
const std::string& name_of(const GistRun& run, std::int32_t kind, std::int32_t i);
// The whole table of a kind.
std::span<const std::string> name_table(const GistRun& run, std::int32_t kind);

// Stops the run with message; when card is given it is shown on the console first as
// " CARD: " and its 80 columns.
[[noreturn]] void deck_fault(std::string_view message, const std::string* card = nullptr);

// Loads the package of the current card (IO 1) into the ISF and lists it.
void LOAD(GistRun& run);
// Punches the entry of the current card (IO 0) as a package on MONPUN.
void UNLOAD(GistRun& run);

}  // namespace korvex::gist
