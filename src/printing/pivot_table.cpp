// The pivot and key variable table printed after factoring and after reactivation: one
// column per dimension, headed by its number and name, with its key variables below (a
// reflected one with a minus sign), as many dimensions side by side as the line holds.
#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <string>

#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/printing.hpp"
#include "printing/printing_int.hpp"

namespace korvex {

namespace {

// Only the key rows are counted against the page; the heading, head row and blank line
// are written around that reservation.
void print_heading(std::int32_t w, std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  new_page_if_short(2, page, lines, unit);
  pr_line(-1, w, "PIVOT VARIABLES (FIRST ROW) AND KEY VARIABLES DEFINING THE DIMENSIONS", page,
          lines, unit);
  std::string note = "   NEGATIVE VALUES INDICATE REFLECTED VARIABLES";
  std::fill_n(note.begin(), 3, hard_blank);
  pr_line(-1, w, note, page, lines, unit);
  PAGER(-1, page, lines, unit);
}

}  // namespace

void Pr_indicator(std::span<const std::int32_t> key_lists, std::span<const std::int32_t> key_counts,
                  std::span<const std::int32_t> dim_numbers, std::span<const std::string> dim_names,
                  std::span<const std::int32_t> var_numbers, std::span<const std::string> var_names,
                  std::int32_t nvar, std::int32_t ndim, std::int32_t& page, std::int32_t& lines,
                  std::int32_t unit) {
  const std::int32_t nc = get_ncline();
  const std::int32_t w = nc - 1;
  const std::int32_t c = std::max(
      {max_len_trim(var_names, std::max(nvar, 0)), max_len_trim(dim_names, std::max(ndim, 0)), 1});
  const std::string cell_layout =
      printing_detail::layout_fields("(1X,I14,1X,ANN)").next(c, 2).text();
  const auto cell_width = static_cast<std::size_t>(c + 16);
  auto cell = [&](std::int32_t number, const std::string& name) {
    return io::pad(io::format_line(
                       cell_layout,
                       {number, io::pad(name, std::max(name.size(), static_cast<std::size_t>(c)))}),
                   cell_width);
  };
  // Key counts beyond the 99 rows of the key lists are taken as 99.
  auto key_count = [&](std::int32_t j) { return std::clamp(key_counts[at(j)], 0, key_list_rows); };

  std::int32_t kmax = 0;
  for (std::int32_t j = 1; j <= ndim; ++j) kmax = std::max(kmax, key_count(j));
  const std::int32_t need = kmax + 6;
  if (lines < need) {
    PAGER(0, page, lines, unit);
  } else {
    PAGER(-2, page, lines, unit);
  }

  const std::int32_t per = std::max(nc / (c + 16), 1);
  for (std::int32_t first = 1; first <= ndim; first += per) {
    const std::int32_t last = std::min(first + per - 1, ndim);
    std::int32_t kb = 0;
    for (std::int32_t j = first; j <= last; ++j) kb = std::max(kb, key_count(j));
    if (first == 1 || lines < kb) print_heading(w, page, lines, unit);
    // A block without key variables reserves nothing (PAGER(0) would begin a page).
    if (kb > 0) PAGER(kb, page, lines, unit);

    std::string row;
    for (std::int32_t j = first; j <= last; ++j) row += cell(dim_numbers[at(j)], dim_names[at(j)]);
    write_formatted(unit, "(A)", {row});
    write_formatted(unit, "(1x)");
    for (std::int32_t k = 1; k <= kb; ++k) {
      row.clear();
      for (std::int32_t j = first; j <= last; ++j) {
        const std::int32_t key = k <= key_count(j) ? key_lists[at(j) * key_list_rows + at(k)] : 0;
        const std::int32_t v = std::abs(key);
        assert(key == 0 || v <= nvar);
        if (key == 0 || v > nvar) {
          row += std::string(cell_width, ' ');
          continue;
        }
        const std::int32_t number = std::abs(var_numbers[at(v)]);
        row += cell(key < 0 ? -number : number, var_names[at(v)]);
      }
      write_formatted(unit, "(A)", {row});
    }
    if (lines > 2) PAGER(-2, page, lines, unit);
  }
}

}  // namespace korvex
