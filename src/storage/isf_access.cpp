// Typed entry accessors: the only way components store and fetch ISF entries. Each accessor
// opens its entry through the framing layer, moves whole vectors, matrices, triangles, lists,
// chunks or rows with the record routines, and closes a written entry. The caller's arrays
// are checked against every count (given or stored) before anything moves into them.
#include <algorithm>
#include <array>
#include <string>

#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "storage/isf_internal.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

using isf_detail::kpar_word;
using isf_detail::require_room;

constexpr std::int32_t write_mode = 1;

// The name prefix of the names a row entry without a NAME record gets on reading.
constexpr std::string_view row_name_prefix = "DIM";

// Kept between the open call and the move calls of one chunked entry.
struct ChunkState {
  std::int64_t remaining = 0;  // values still to move
  std::int64_t chunk = 0;      // values per record
  bool open = false;           // an open call found or framed an entry that is not yet done
};

// Kept between MXFIL1 and the MXFIL3 calls of one row entry.
struct RowState {
  std::int32_t mode = -1;  // negative: no MXFIL1 yet
  std::int32_t m = 0;      // values per row
  std::int32_t r = 0;
  std::int32_t d3 = 0;
  std::int32_t d4 = 0;
  std::int32_t code = 0;
  std::int32_t rows_left = 0;
};

ChunkState g_real_chunks;
ChunkState g_name_chunks;
RowState g_rows;

template <class T>
using Mover = void (*)(std::span<T>, std::int32_t&, std::int32_t, std::int32_t);

// The part of `a` that one record may fill from element `offset` on: at most `ld` items and
// never past the end of a (empty when the offset lies beyond it).
template <class T>
std::span<T> slot(std::span<T> a, std::int64_t offset, std::int64_t ld) {
  const auto size = static_cast<std::int64_t>(a.size());
  if (offset >= size) return {};
  return a.subspan(static_cast<std::size_t>(offset),
                   static_cast<std::size_t>(std::min(ld, size - offset)));
}

// One record of d1 items: the vector accessors.
template <class T>
void vector_entry(std::string_view routine, std::string_view label, std::int32_t mode,
                  std::int32_t type, std::span<std::int32_t> kpar, std::int32_t& notfound,
                  std::span<T> v, Mover<T> move) {
  std::int32_t n = 0;
  if (mode == write_mode) {
    n = kpar_word(routine, kpar, 1);
    require_room(routine, "vector items", 0, n, v.size());
  }
  isf_open_entry(label, mode, type, kpar, notfound);
  if (notfound == 1) return;
  move(v, n, isf_unit(), mode);
  filfin(mode);
}

// d2 column records of d1 items each, columns isf_matrix_ld apart.
template <class T>
void matrix_entry(std::string_view routine, std::string_view label, std::int32_t mode,
                  std::int32_t type, std::span<std::int32_t> kpar, std::int32_t& notfound,
                  std::span<T> a, Mover<T> move) {
  std::int32_t m = 0;
  if (mode == write_mode) {
    m = kpar_word(routine, kpar, 1);
    const std::int32_t columns = kpar_word(routine, kpar, 2);
    require_room(routine, "rows of a column", 0, m, isf_matrix_ld);
    if (columns > 0) {
      require_room(routine, "matrix values", 0,
                   std::int64_t{isf_matrix_ld} * (columns - 1) + m, a.size());
    }
  }
  isf_open_entry(label, mode, type, kpar, notfound);
  if (notfound == 1) return;
  const std::int32_t columns = kpar_word(routine, kpar, 2);
  for (std::int32_t j = 0; j < columns; ++j) {
    std::int32_t n = m;
    move(slot(a, std::int64_t{isf_matrix_ld} * j, isf_matrix_ld), n, isf_unit(), mode);
  }
  filfin(mode);
}

// Stops unless a holds the triangle of order n in storage option opt.
template <class T>
void require_square_room(std::string_view routine, std::int32_t n, std::span<T> a,
                         std::int32_t opt) {
  if (n < 2) return;
  if (opt == 1) {
    require_room(routine, "packed triangle values", 0, std::int64_t{n} * (n + 1) / 2, a.size());
  } else {
    require_room(routine, "rows of the square", 0, n, isf_matrix_ld);
    require_room(routine, "square values", 0, std::int64_t{isf_matrix_ld} * (n - 1) + n, a.size());
  }
}

// The strict lower triangle, one record per column: column j holds rows j+1..n. p runs
// through a (1-based) to the element just below the next column's diagonal.
template <class T>
void square_entry(std::string_view routine, std::string_view label, std::int32_t mode,
                  std::int32_t type, std::span<std::int32_t> kpar, std::int32_t& notfound,
                  std::span<T> a, std::int32_t opt, Mover<T> move) {
  if (opt < 1) proc_error(std::string(routine) + ": invalid storage option " + std::to_string(opt));
  if (mode == write_mode) require_square_room(routine, kpar_word(routine, kpar, 1), a, opt);
  isf_open_entry(label, mode, type, kpar, notfound);
  if (notfound == 1) return;
  const std::int32_t n = kpar_word(routine, kpar, 1);
  if (mode != write_mode) require_square_room(routine, n, a, opt);
  std::int64_t p = 2;
  std::int64_t s = opt >= 2 ? isf_matrix_ld + 1 : std::int64_t{n} + 1;
  for (std::int32_t len = n - 1; len >= 1; --len) {
    std::int32_t count = len;
    move(a.subspan(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(len)), count,
         isf_unit(), mode);
    if (mode == 0 && opt == 2) {
      for (std::int64_t k = 1; k <= len; ++k) {
        a[static_cast<std::size_t>(p - 2 + isf_matrix_ld * k)] = a[static_cast<std::size_t>(p + k - 2)];
      }
    }
    if (opt == 1) --s;
    p += s;
  }
  filfin(mode);
}

// Open call of a chunked entry: frames or finds it and sets the kept counts.
void chunk_open(ChunkState& state, std::string_view routine, std::string_view label,
                std::int32_t mode, std::int32_t type, std::span<std::int32_t> kpar,
                std::int32_t& notfound) {
  isf_open_entry(label, mode, type, kpar, notfound);
  if (notfound == 1) return;
  const std::int64_t d1 = kpar_word(routine, kpar, 1);
  const std::int64_t d2 = kpar_word(routine, kpar, 2);
  const std::int64_t d3 = kpar_word(routine, kpar, 3);
  state.remaining = std::max<std::int64_t>(0, d1 * d2);
  // d1 = 0 holds no values; it would otherwise divide by zero.
  state.chunk = d1 == 0 ? 0 : std::max<std::int64_t>(0, d1 * (d3 / d1));
  state.open = true;
}

// Move call: the next record of min(remaining, chunk) items; the last one closes the entry.
template <class T>
void chunk_move(ChunkState& state, std::string_view routine, std::int32_t mode, std::span<T> a,
                Mover<T> move) {
  if (!state.open) proc_error(std::string(routine) + ": no entry is open for moving");
  const std::int64_t k = std::min(state.remaining, state.chunk);
  state.remaining -= k;
  auto n = static_cast<std::int32_t>(k);
  move(a, n, isf_unit(), mode);
  if (state.remaining == 0) {
    state.open = false;
    filfin(mode);
  }
}

}  // namespace

namespace isf_detail {

void reset_accessor_state() {
  g_real_chunks = {};
  g_name_chunks = {};
  g_rows = {};
}

}  // namespace isf_detail

void isf_idfile(std::int32_t mode, std::int32_t& notfound, std::span<std::string> title) {
  Kpar kpar{};
  kpar[0] = 2;
  kpar[1] = 12;
  kpar[2] = 1;
  isf_word_vector("IDFILE", mode, kpar, notfound, title);
}

std::string read_run_title() {
  std::array<std::string, 12> words;
  words.fill(std::string(isf_label_length, ' '));
  std::int32_t notfound = 0;
  isf_idfile(0, notfound, words);
  isf_not_found("IDFILE", notfound);
  std::string line;
  words_to_line(words, line);
  return line;
}

void isf_word_vector(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<std::string> w) {
  vector_entry<std::string>("isf_word_vector", label, mode, isf_kind_words, kpar, notfound, w,
                            &rwreca);
}

void isf_name_vector(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<std::string> names) {
  vector_entry<std::string>("isf_name_vector", label, mode, isf_kind_names, kpar, notfound,
                            names, &rwrecn);
}

void isf_int_vector(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                    std::int32_t& notfound, std::span<std::int32_t> iv) {
  vector_entry<std::int32_t>("isf_int_vector", label, mode, isf_kind_ints, kpar, notfound, iv,
                             &rwreci);
}

void isf_real_vector(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<float> x) {
  vector_entry<float>("isf_real_vector", label, mode, isf_kind_reals, kpar, notfound, x, &rwrecr);
}

void isf_real_matrix(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<float> a) {
  matrix_entry<float>("isf_real_matrix", label, mode, isf_kind_reals, kpar, notfound, a, &rwrecr);
}

void isf_int_matrix(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                    std::int32_t& notfound, std::span<std::int32_t> ia) {
  matrix_entry<std::int32_t>("isf_int_matrix", label, mode, isf_kind_ints, kpar, notfound, ia,
                             &rwreci);
}

void isf_real_square(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<float> a, std::int32_t opt) {
  square_entry<float>("isf_real_square", label, mode, isf_kind_reals, kpar, notfound, a, opt,
                      &rwrecr);
}

void isf_int_square(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                    std::int32_t& notfound, std::span<std::int32_t> ia, std::int32_t opt) {
  square_entry<std::int32_t>("isf_int_square", label, mode, isf_kind_ints, kpar, notfound, ia,
                             opt, &rwreci);
}

// K lists: a record of their lengths, then one record per list (lists 99 apart in members).
// On read K and every length come from the records, not from counts.
void isf_int_table(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                   std::int32_t& notfound, std::span<std::int32_t> counts,
                   std::span<std::int32_t> members) {
  constexpr std::string_view routine = "isf_int_table";
  std::int32_t k = 0;
  if (mode == write_mode) {
    k = kpar_word(routine, kpar, 1);
    require_room(routine, "list lengths", 0, k, counts.size());
    for (std::int32_t i = 0; i < k; ++i) {
      const std::int32_t len = counts[static_cast<std::size_t>(i)];
      require_room(routine, "members of a list", 0, len, isf_list_ld);
      require_room(routine, "members", std::int64_t{isf_list_ld} * i, len, members.size());
    }
  }
  isf_open_entry(label, mode, isf_kind_ints, kpar, notfound);
  if (notfound == 1) return;
  const std::int32_t unit = isf_unit();
  rwreci(counts, k, unit, mode);
  for (std::int32_t i = 0; i < k; ++i) {
    std::int32_t len = mode == write_mode ? counts[static_cast<std::size_t>(i)] : 0;
    rwreci(slot(members, std::int64_t{isf_list_ld} * i, isf_list_ld), len, unit, mode);
  }
  filfin(mode);
}

void isf_real_chunks(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
                     std::int32_t& notfound, std::span<float> a, std::int32_t part) {
  if (part < 2) {
    chunk_open(g_real_chunks, "isf_real_chunks", label, mode, isf_kind_reals, kpar, notfound);
  } else {
    chunk_move<float>(g_real_chunks, "isf_real_chunks", mode, a, &rwrecr);
  }
}

std::int32_t isf_real_chunk_run(std::span<float> a, std::int32_t records) {
  constexpr std::string_view routine = "isf_real_chunks";
  ChunkState& state = g_real_chunks;
  if (!state.open) proc_error(std::string(routine) + ": no entry is open for moving");
  if (records <= 0) return 0;
  const std::int64_t full =
      state.chunk <= 0 ? 0 : std::min<std::int64_t>(records, state.remaining / state.chunk);
  const std::int64_t moved = isf_detail::read_real_run(isf_unit(), state.chunk, full, a);
  if (moved > 0) {
    state.remaining -= moved * state.chunk;
    if (state.remaining == 0) {
      state.open = false;
      filfin(0);
    }
    return static_cast<std::int32_t>(moved);
  }
  // A slot as wide as a full record, so that a move call alone checks a stored count as the
  // record-by-record read does.
  chunk_move<float>(state, routine, 0, slot(a, 0, std::max<std::int64_t>(state.chunk, 1)),
                    &rwrecr);
  return 1;
}

void SNFILE(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
            std::int32_t& notfound, std::span<std::string> names, std::int32_t part) {
  if (part == 1) {
    chunk_open(g_name_chunks, "SNFILE", label, mode, isf_kind_names, kpar, notfound);
  } else if (part == 2) {
    chunk_move<std::string>(g_name_chunks, "SNFILE", mode, names, &rwrecn);
  } else {
    proc_error("SNFILE: Invalid case index");
  }
}

// Opens a row entry. Dimension words missing from a short KPAR take their defaults (code 0,
// d4 0, d3 = m, r 1). code 2 moves the NAME and ORDER records; on read code 1 moves the
// NAME record and numbers the order, code 0 makes names and order up. A write needs code 2;
// anything else stops with "MXFIL1 BUG".
void MXFIL1(std::int32_t mode, std::string_view label, std::int32_t& notfound,
            std::span<std::int32_t> kpar, std::span<std::string> names,
            std::span<std::int32_t> index) {
  constexpr std::string_view routine = "MXFIL1";
  g_rows.mode = mode;
  isf_open_entry(label, mode, isf_kind_row, kpar, notfound);
  if (notfound == 1) return;
  const std::int32_t c = kpar_word(routine, kpar, 0);
  g_rows.m = kpar_word(routine, kpar, 1);
  g_rows.r = c < 2 ? 1 : kpar_word(routine, kpar, 2);
  g_rows.d3 = c < 3 ? g_rows.m : kpar_word(routine, kpar, 3);
  g_rows.d4 = c < 4 ? 0 : kpar_word(routine, kpar, 4);
  g_rows.code = c < 5 ? 0 : kpar_word(routine, kpar, 5);

  const std::int32_t unit = isf_unit();
  const bool writing = mode == write_mode;
  if (g_rows.code == 2) {
    rwrecn(names, g_rows.m, unit, mode);
    rwreci(index, g_rows.m, unit, mode);
  } else if (g_rows.code == 1 && !writing) {
    rwrecn(names, g_rows.m, unit, mode);
    require_room(routine, "order numbers", 0, g_rows.m, index.size());
    fill_index(index, g_rows.m);
  } else if (g_rows.code == 0 && !writing) {
    require_room(routine, "generated names", 0, g_rows.m, names.size());
    require_room(routine, "order numbers", 0, g_rows.m, index.size());
    GENAME(row_name_prefix, names, g_rows.m, 0);
    fill_index(index, g_rows.m);
  } else {
    proc_error("MXFIL1 BUG");
  }
  g_rows.rows_left = g_rows.r;
  // An entry of no rows would otherwise stay open, without END records behind it.
  if (g_rows.rows_left <= 0) {
    g_rows.rows_left = 0;
    filfin(mode);
  }
}

// Moves the next row of the entry MXFIL1 opened: m values, its number and its name.
void MXFIL3(std::span<float> row, std::string& name, std::int32_t& ival) {
  if (g_rows.mode < 0 || g_rows.rows_left == 0) proc_error("MXFIL3 BUG");
  --g_rows.rows_left;
  rwrecd(row, g_rows.m, name, ival, isf_unit(), g_rows.mode);
  if (g_rows.rows_left == 0) filfin(g_rows.mode);
}

void OXFIL1(std::string_view label, std::int32_t mode, std::span<std::int32_t> kpar,
            std::int32_t& notfound, std::span<std::int32_t> length, std::span<std::string> names,
            std::span<std::int32_t> order) {
  isf_open_entry(label, mode, isf_kind_membership, kpar, notfound);
  if (notfound == 1) return;
  if (kpar_word("OXFIL1", kpar, 0) <= 0) proc_error("OXFIL1 BUG");
  std::int32_t n = kpar_word("OXFIL1", kpar, 1);
  const std::int32_t unit = isf_unit();
  rwreci(length, n, unit, mode);
  rwrecn(names, n, unit, mode);
  rwreci(order, n, unit, mode);
}

}  // namespace korvex
