// Column headers of the matrix printers. create_header_formats works out, once per matrix,
// how many 9-column value cells fit a listing line and on how many staggered line pairs the
// column names stand, and completes the six header layouts; print_headers and
// print_headers_idx then print the header of one strip of columns above every block of rows.
#include <array>
#include <cassert>
#include <cstdlib>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing_int.hpp"

namespace korvex {

namespace {

using matrix_detail::position;

header_state_record g_header;
// The header layouts as the system holds them before any digits are written.
const std::array<std::string, 6> g_templates = header_state_record{}.layouts;

// The print operations need a layout: stops the run when none has been made.
void require_layout() {
  if (g_header.hdr_len < 1 || g_header.hdr_len > 3) proc_error("print_headers: bad value of hdr_len.");
}

// The number and the (right-justified, m-character) name shown above one column.
struct header_column {
  std::int32_t number = 0;
  std::string name;
};

// Prints the header lines of the strip's columns under the current layouts. Line pair p
// (0-based) holds the columns p, p + hdr_len, p + 2 hdr_len ... of the strip; with three
// pairs an empty line stands before each pair, otherwise only before the first.
void write_header_lines(const std::vector<header_column>& columns, std::int32_t unit) {
  const std::int32_t pairs = g_header.hdr_len;
  const auto step = static_cast<std::size_t>(pairs);
  write_formatted(unit, "(1X)");
  for (std::size_t p = 0; p < step; ++p) {
    if (pairs == 3 && p > 0) write_formatted(unit, "(1X)");
    std::vector<io::Value> numbers;
    std::vector<io::Value> names;
    for (std::size_t i = p; i < columns.size(); i += step) {
      numbers.emplace_back(columns[i].number);
      names.emplace_back(std::string_view(columns[i].name));
    }
    write_formatted(unit, g_header.layouts[2 * p], numbers);
    write_formatted(unit, g_header.layouts[2 * p + 1], names);
  }
}

// A column name trimmed and right-justified within the longest name's m characters.
std::string header_name(std::string_view name) {
  std::string shown(static_cast<std::size_t>(g_header.m), ' ');
  rjust_text(name, shown);
  return shown;
}

}  // namespace

namespace matrix_detail {

std::int32_t layout_count(std::int64_t n, std::int32_t lo, std::int32_t hi) {
  if (n < lo) return lo;
  if (n > hi) return hi;
  return static_cast<std::int32_t>(n);
}

std::int32_t row_name_width(std::span<const std::string> names, std::int32_t n) {
  const std::int32_t c = max_len_trim(names, n);
  return c > 0 ? c : 1;
}

std::int32_t strip_columns(std::int32_t c) { return layout_count((get_ncline() - c - 11) / 9, 1, 99); }

}  // namespace matrix_detail

void create_header_formats(std::span<const std::string> rownames,
                           std::span<const std::string> colnames, std::int32_t nrows,
                           std::int32_t ncols) {
  using matrix_detail::layout_count;
  const std::int32_t c = matrix_detail::row_name_width(rownames, nrows);
  const std::int32_t k = matrix_detail::strip_columns(c);
  const std::int32_t m = max_len_trim(colnames, ncols);
  const std::int32_t pairs = m / 9 + 1;
  if (pairs < 1 || pairs > 3) proc_error("create_header_formats(1): bad value of hdr_len.");
  g_header.m = m;
  g_header.hdr_len = pairs;
  g_header.k = k;
  // Value cell j ends in column c + 11 + 9j. Pair p takes every pairs-th column from the
  // (p + 1)-th on, in fields of 9 * pairs columns: its first field must end on the cell of
  // column p + 1, so it starts after c + 11 - 9 (pairs - 1 - p) columns. Those counts
  // are c - 7, c + 2, c + 11 for three pairs; c + 2, c + 11 for two; c + 11 for one.
  for (std::int32_t p = 0; p < pairs; ++p) {
    const std::int32_t skip = layout_count(c + 11 - 9 * (pairs - 1 - p), 1, 99);
    const std::int32_t repeat = layout_count((k + pairs - 1 - p) / pairs, 1, 99);
    const std::int32_t width = 9 * pairs;
    const auto at = static_cast<std::size_t>(2 * p);
    for (const std::size_t layout : {at, at + 1}) {
      g_header.layouts[layout] = printing_detail::layout_fields(g_templates[layout])
                                     .next(skip, 2).next(repeat, 2).next(width, 2).text();
    }
  }
}

void print_headers(std::span<const std::int32_t> colnum, std::span<const std::string> colnames,
                   std::int32_t first, std::int32_t last, std::int32_t unit) {
  require_layout();
  std::vector<header_column> columns;
  for (std::int32_t j = first; j <= last; ++j) {
    columns.push_back({colnum[position(j)], header_name(colnames[position(j)])});
  }
  write_header_lines(columns, unit);
}

void print_headers_idx(std::span<const std::int32_t> order, std::span<const std::int32_t> numbers,
                       std::span<const std::string> names, std::int32_t first, std::int32_t last,
                       std::int32_t unit) {
  require_layout();
  std::vector<header_column> columns;
  for (std::int32_t j = first; j <= last; ++j) {
    const std::int32_t shown = std::abs(order[position(j)]);
    columns.push_back({numbers[position(shown)], header_name(names[position(shown)])});
  }
  write_header_lines(columns, unit);
}

const header_state_record& header_state() { return g_header; }

void reset_header_state() { g_header = header_state_record{}; }

}  // namespace korvex
