// LOAD, the load half of GIST: for a control card with IO 1 it reads the data cards of one
// package (from MONIN or the unit the card names) under the package's layout, stores them in
// the ISF as the card's label, and lists what it stored. Every card it reads goes through the
// layout-text engine; a card that does not fit, or a deck that ends early, stops the run.
#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/printing.hpp"
#include "storage/gist_int.hpp"

namespace korvex::gist {

namespace {

constexpr std::int32_t ld = isf_matrix_ld;

// Element (i, j), 1-based, of a column-major matrix with 999 rows.
std::size_t cell(std::int32_t i, std::int32_t j) {
  return static_cast<std::size_t>(j - 1) * ld + static_cast<std::size_t>(i - 1);
}

std::string label_of(const GistRun& run) { return std::string(io::trim_right(run.card.label)); }

io::Target target_of(float& x) { return io::Target(&x); }
io::Target target_of(std::int32_t& x) { return io::Target(&x); }
io::Target target_of(std::string& x) { return io::Target(&x, isf_name_length); }

// One read statement of the loader: starts on a new data card and takes as many cards as the
// layout needs for the targets. A card that does not fit the layout, or the end of the data
// unit before every target is filled, stops the run naming the label and the card.
void read_data(GistRun& run, std::string_view layout, std::span<const io::Target> targets) {
  std::string last;
  bool card_read = false;
  const io::RecordSource source = [&]() -> std::optional<std::string> {
    std::string record;
    if (!read_record(run.card.data_unit, record)) return std::nullopt;
    ++run.data_cards;
    card_read = true;
    last = record;
    return record;
  };
  bool complete = false;
  try {
    complete = io::Layout::get(layout).read(source, targets);
  } catch (const io::LayoutError& e) {
    // Without a card read, the layout itself cannot take the values.
    if (!card_read) deck_fault("GIST: The layout of " + label_of(run) + " cannot read its data: " + e.what());
    deck_fault("GIST: Data card " + std::to_string(run.data_cards) + " of " + label_of(run) +
                   " does not fit its layout: " + e.what(),
               &last);
  }
  if (!complete) {
    const std::string where = io::padded_equal(run.card.unit_name, "")
                                  ? "The deck"
                                  : "The file of unit " + std::string(io::trim_right(run.card.unit_name));
    deck_fault("GIST: " + where + " ended before data card " + std::to_string(run.data_cards + 1) + " of " +
               label_of(run) + ".");
  }
}

// Reads values v(first), v(first + step), ... (count of them) in one read.
template <class T>
void read_values(GistRun& run, std::string_view layout, std::span<T> v, std::size_t first, std::size_t step,
                 std::int32_t count) {
  std::vector<io::Target> targets;
  targets.reserve(at0(std::max(count, 0)));
  for (std::int32_t k = 0; k < count; ++k) targets.push_back(target_of(v[first + at0(k) * step]));
  read_data(run, layout, targets);
}

std::string_view user_layout(const GistRun& run) { return io::trim_right(run.layout_text); }

// The strip of names a printer labels rows or columns with.
std::span<const std::string> names(const GistRun& run, std::int32_t kind) { return name_table(run, kind); }

// ---- one load per type word --------------------------------------------------------------

void load_indicator_sets(GistRun& run) {
  const LabelRow& row = run.row();
  GSTPAG(run, -2);
  GSTPAG(run, 1);
  write_formatted(run.monout, "(1X,A6)", {row.label});
  GSTPAG(run, -2);
  const std::int32_t n = run.kpar[1];
  if (n > run.set_limit) proc_error("Too many sets of indicators");
  std::vector<std::int32_t> counts(at0(run.set_limit), 0);
  std::vector<std::int32_t> members(at0(run.set_limit) * isf_list_ld, 0);
  read_values<std::int32_t>(run, "(18I4)", counts, 0, 1, n);
  for (std::int32_t i = 1; i <= n; ++i) {
    const std::int32_t count = counts[at0(i - 1)];
    if (count < 1 || count > isf_list_ld) proc_error("Error in count");
    const std::span<std::int32_t> list(members.data() + at0(i - 1) * isf_list_ld, at0(count));
    read_values<std::int32_t>(run, "(18I4)", list, 0, 1, count);
    for (const std::int32_t member : list) {
      if (member < -name_table_size || member > name_table_size || member == 0) {
        proc_error("GIST: Set " + std::to_string(i) + " of " + label_of(run) + " holds the member " +
                   std::to_string(member) + "; members are variable numbers from 1 to 999.");
      }
    }
    GSTSET(run, i, list, count, row.row_kind);
  }
  std::int32_t notfound = 0;
  isf_int_table(row.label, 1, run.kpar, notfound, counts, members);
}

// n rows by m columns, column by column (order 0) or row by row (order 1).
template <class T>
std::vector<T> read_matrix(GistRun& run) {
  const std::int32_t n = run.kpar[1];
  const std::int32_t m = run.kpar[2];
  std::vector<T> a(at0(m) * ld, T{});
  if (run.card.order == 0) {
    for (std::int32_t j = 1; j <= m; ++j) read_values<T>(run, user_layout(run), a, cell(1, j), 1, n);
  } else {
    for (std::int32_t i = 1; i <= n; ++i) read_values<T>(run, user_layout(run), a, cell(i, 1), ld, m);
  }
  return a;
}

void load_real_matrix(GistRun& run) {
  const LabelRow& row = run.row();
  std::vector<float> a = read_matrix<float>(run);
  std::int32_t notfound = 0;
  isf_real_matrix(row.label, 1, run.kpar, notfound, a);
  GSTPAG(run, -2);
  pr_matrix(a, names(run, row.row_kind), names(run, row.column_kind), run.kpar[1], run.kpar[2], ld, row.layout, 3,
            row.label, run.page, run.lines, run.monout);
}

void load_int_matrix(GistRun& run) {
  const LabelRow& row = run.row();
  std::vector<std::int32_t> a = read_matrix<std::int32_t>(run);
  std::int32_t notfound = 0;
  isf_int_matrix(row.label, 1, run.kpar, notfound, a);
  GSTPAG(run, -2);
  pr_imatrix(a, names(run, row.row_kind), names(run, row.column_kind), run.kpar[1], run.kpar[2], ld, row.label,
             run.page, run.lines, run.monout);
}

// A symmetric matrix of order n from the part the square layout names (0 strict lower, 1
// strict upper, 2 full rows, 3 lower with diagonal, 4 upper with diagonal), one read per
// row, mirrored, with a zero diagonal (the ISF keeps none).
template <class T>
std::vector<T> read_symmetric(GistRun& run) {
  const std::int32_t n = run.kpar[1];
  std::vector<T> a(at0(n) * ld, T{});
  const std::string_view layout = user_layout(run);
  switch (run.card.square) {
    case 0:
      for (std::int32_t i = 2; i <= n; ++i) read_values<T>(run, layout, a, cell(i, 1), ld, i - 1);
      break;
    case 1:
      for (std::int32_t i = 1; i <= n - 1; ++i) read_values<T>(run, layout, a, cell(i, i + 1), ld, n - i);
      break;
    case 2:
      for (std::int32_t i = 1; i <= n; ++i) read_values<T>(run, layout, a, cell(i, 1), ld, n);
      break;
    case 3:
      for (std::int32_t i = 1; i <= n; ++i) read_values<T>(run, layout, a, cell(i, 1), ld, i);
      break;
    default:
      for (std::int32_t i = 1; i <= n; ++i) read_values<T>(run, layout, a, cell(i, i), ld, n - i + 1);
      break;
  }
  for (std::int32_t i = 1; i <= n; ++i) {
    for (std::int32_t j = 1; j <= n; ++j) {
      const bool read_below = run.card.square == 0 || run.card.square == 3;
      const bool read_above = run.card.square == 1 || run.card.square == 4;
      if (read_below && j < i) a[cell(j, i)] = a[cell(i, j)];
      if (read_above && j > i) a[cell(j, i)] = a[cell(i, j)];
    }
    a[cell(i, i)] = T{};
  }
  return a;
}

void load_real_square(GistRun& run) {
  const LabelRow& row = run.row();
  std::vector<float> a = read_symmetric<float>(run);
  std::int32_t notfound = 0;
  isf_real_square(row.label, 1, run.kpar, notfound, a, 2);
  GSTPAG(run, -2);
  pr_matrix_tri(a, names(run, row.row_kind), run.kpar[1], ld, row.layout, 3, row.label, run.page, run.lines,
                run.monout, run.card.listing);
}

void load_int_square(GistRun& run) {
  const LabelRow& row = run.row();
  std::vector<std::int32_t> a = read_symmetric<std::int32_t>(run);
  std::int32_t notfound = 0;
  isf_int_square(row.label, 1, run.kpar, notfound, a, 2);
  GSTPAG(run, -2);
  pr_imatrix_tri(a, names(run, row.row_kind), run.kpar[1], ld, row.label, run.page, run.lines, run.monout,
                 run.card.listing);
}

// Objects of n values (or names) in chunks of kpar(4) / n objects, each object one read and
// one listing entry of its running number and values.
template <class T>
void load_chunks(GistRun& run) {
  const LabelRow& row = run.row();
  const std::int32_t n = run.kpar[1];
  const std::int32_t objects = run.kpar[2];
  const std::int32_t per_chunk = run.kpar[3] / n;
  if (per_chunk < 1) proc_error("GIST: The chunk size of " + label_of(run) + " holds no whole object.");
  std::vector<T> buffer(at0(per_chunk) * at0(n), T{});
  std::int32_t notfound = 0;
  constexpr bool reals = std::is_same_v<T, float>;
  if constexpr (reals) {
    isf_real_chunks(row.label, 1, run.kpar, notfound, buffer, 1);
  } else {
    SNFILE(row.label, 1, run.kpar, notfound, buffer, 1);
  }
  GSTPAG(run, 0);
  const std::int32_t lines_per_object = reals ? (n + 9) / 10 : (n + 4) / 5;
  const char* listing = reals ? "(1X,I5,2X,10F11.4/(8X,10F11.4))" : "(1X,I5,2X,5A20/(8X,5A20))";
  std::int32_t object = 0;
  while (object < objects) {
    const std::int32_t q = std::min(per_chunk, objects - object);
    for (std::int32_t k = 0; k < q; ++k) {
      read_values<T>(run, user_layout(run), buffer, at0(k) * at0(n), 1, n);
      ++object;
      GSTPAG(run, lines_per_object);
      std::vector<io::Value> items{io::Value(object)};
      for (std::int32_t v = 0; v < n; ++v) items.emplace_back(buffer[at0(k) * at0(n) + at0(v)]);
      write_formatted(run.monout, listing, items);
    }
    if constexpr (reals) {
      isf_real_chunks(row.label, 1, run.kpar, notfound, buffer, 2);
    } else {
      SNFILE(row.label, 1, run.kpar, notfound, buffer, 2);
    }
  }
}

void load_real_vector(GistRun& run) {
  const LabelRow& row = run.row();
  const std::int32_t n = run.kpar[1];
  std::vector<float> x(at0(n), 0.0f);
  read_values<float>(run, user_layout(run), x, 0, 1, n);
  std::int32_t notfound = 0;
  isf_real_vector(row.label, 1, run.kpar, notfound, x);
  GSTPAG(run, -2);
  pr_vector(x, names(run, row.row_kind), n, 1, 3, row.label, run.page, run.lines, run.monout);
}

void load_int_vector(GistRun& run) {
  const LabelRow& row = run.row();
  const std::int32_t n = run.kpar[1];
  std::vector<std::int32_t> iv(at0(n), 0);
  read_values<std::int32_t>(run, user_layout(run), iv, 0, 1, n);
  std::int32_t notfound = 0;
  isf_int_vector(row.label, 1, run.kpar, notfound, iv);
  GSTPAG(run, -2);
  pr_ivector(iv, names(run, row.row_kind), n, row.label, run.page, run.lines, run.monout);
}

void load_names(GistRun& run) {
  const LabelRow& row = run.row();
  const std::int32_t n = run.kpar[1];
  std::vector<std::string> loaded(at0(n), std::string(isf_name_length, ' '));
  read_values<std::string>(run, user_layout(run), loaded, 0, 1, n);
  std::int32_t notfound = 0;
  isf_name_vector(row.label, 1, run.kpar, notfound, loaded);
  if (row.label == "VNAMS1") {
    for (std::int32_t i = 0; i < n; ++i) copy_trimmed(loaded[at0(i)], run.names[0][at0(i)]);
  }
  GSTPAG(run, -2);
  const std::vector<std::int32_t> ordinals = matrix_detail::ordinals(name_table_size);
  pr_name_list(names(run, row.row_kind), ordinals, n, row.label, run.page, run.lines, run.monout);
}

void load_words(GistRun& run) {
  const LabelRow& row = run.row();
  constexpr std::int32_t count = 12;
  std::vector<std::string> words(count, std::string(isf_label_length, ' '));
  std::vector<io::Target> targets;
  for (std::string& w : words) targets.emplace_back(&w, isf_label_length);
  read_data(run, user_layout(run), targets);
  std::int32_t notfound = 0;
  isf_word_vector(row.label, 1, run.kpar, notfound, words);
  GSTPAG(run, -2);
  GSTPAG(run, 1);
  const std::vector<io::Value> items(words.begin(), words.end());
  write_formatted(run.monout, "(1X,12A6)", items);
}

// One text of 160 characters, listed and not stored.
void load_text(GistRun& run) {
  std::string text;
  const io::Target target(&text, 160);
  read_data(run, "(A)", std::span<const io::Target>(&target, 1));
  GSTPAG(run, -2);
  write_formatted(run.monout, "(1X,A)", {text});
}

}  // namespace

void LOAD(GistRun& run) {
  run.data_cards = 0;
  GSTPAG(run, -6);
  std::vector<std::string> words;
  for (std::size_t j = 0; j < layout_text_length; j += isf_label_length) {
    words.push_back(run.layout_text.substr(j, isf_label_length));
  }
  GSTHDR(run, "INPUT ", words, run.card.unit_name);
  if (stock(run, 1) != 0) proc_error("Input error");
  switch (run.row().type) {
    case TypeWord::ifile: load_indicator_sets(run); break;
    case TypeWord::mfile: load_real_matrix(run); break;
    case TypeWord::mifile: load_int_matrix(run); break;
    case TypeWord::rfile: load_real_square(run); break;
    case TypeWord::rifile: load_int_square(run); break;
    case TypeWord::sfile: load_chunks<float>(run); break;
    case TypeWord::snfile: load_chunks<std::string>(run); break;
    case TypeWord::vfile: load_real_vector(run); break;
    case TypeWord::vifile: load_int_vector(run); break;
    case TypeWord::vnfile: load_names(run); break;
    case TypeWord::vafile: load_words(run); break;
    case TypeWord::vsfile: load_text(run); break;
  }
}

}  // namespace korvex::gist
