// Column headers of the spherical-analysis pages. Those tables start their rows with labels
// of their own instead of a row number and name, and may mark a column with one character
// beside its number; otherwise the headers are staggered over one to three line pairs like
// the matrix headers. The layout is made once per table and kept apart from theirs.
#include <array>
#include <cassert>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/console.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing_int.hpp"

namespace korvex {

namespace {

using matrix_detail::position;

span_header_state_record g_span;

// The number label of a column: the number in m characters with its leading zeros blanked;
// a marked column keeps the last two of them for a blank and the mark. With m below 2 there
// is no room for both: the label is the mark alone.
std::string number_label(std::int32_t number, char mark, std::int32_t m) {
  if (mark == ' ') {
    std::string label;
    rjust_number(int_to_text(number, m), label);
    return label;
  }
  if (m < 2) return std::string(1, mark);
  std::string label;
  rjust_number(int_to_text(number, m - 2), label);
  return label + ' ' + mark;
}

}  // namespace

void create_header_format_SPAN(std::span<const std::string> rowlabels,
                               std::span<const std::string> colnames, std::int32_t nrows,
                               std::int32_t ncols) {
  using matrix_detail::layout_count;
  const std::int32_t c = max_len_trim(rowlabels, nrows);
  const std::int32_t k = layout_count((get_ncline_m1() - c) / 9, 1, 99);
  const std::int32_t m = max_len_trim(colnames, ncols);
  const std::int32_t pairs = m / 9 + 1;
  if (pairs < 1 || pairs > 3) {
    io::out_line(io::free_line({"hdr_len:", pairs}));
    proc_error("create_header_format_SPAN(1): bad value of hdr_len.");
  }
  g_span.c = c;
  g_span.m = m;
  g_span.hdr_len = pairs;
  g_span.k = k;
  // Cell j ends in column c + 9j. Pair p starts after c - 9 (pairs - 1 - p) columns so that
  // its first field of 9 * pairs columns ends on the cell of column p + 1. With three pairs
  // every pair gets the repeat count of the first.
  for (std::int32_t p = 0; p < pairs; ++p) {
    const std::int32_t skip = layout_count(c - 9 * (pairs - 1 - p), 1, 99);
    const std::int32_t repeat =
        layout_count(pairs == 3 ? (k + 2) / 3 : (k + pairs - 1 - p) / pairs, 1, 99);
    g_span.layouts[static_cast<std::size_t>(p)] = printing_detail::layout_fields("(NNX,NNANN)")
                                                      .next(skip, 2)
                                                      .next(repeat, 2)
                                                      .next(9 * pairs, 2)
                                                      .text();
  }
}

void print_column_header_SPAN(std::span<const std::int32_t> colnum,
                              std::span<const std::string> colnames, std::int32_t first,
                              std::int32_t last, std::int32_t unit, std::string_view marks) {
  const std::int32_t pairs = g_span.hdr_len;
  if (pairs < 1 || pairs > 3) proc_error("print_column_header_SPAN: bad value of hdr_len.");
  std::vector<std::string> labels;
  std::vector<std::string> names;
  for (std::int32_t j = first; j <= last; ++j) {
    const char mark = position(j) < marks.size() ? marks[position(j)] : ' ';
    labels.push_back(number_label(colnum[position(j)], mark, g_span.m));
    std::string name(static_cast<std::size_t>(g_span.m), ' ');
    rjust_text(colnames[position(j)], name);
    names.push_back(std::move(name));
  }
  write_formatted(unit, "(1X)");
  const auto step = static_cast<std::size_t>(pairs);
  for (std::size_t p = 0; p < step; ++p) {
    std::vector<io::Value> label_values;
    std::vector<io::Value> name_values;
    for (std::size_t i = p; i < labels.size(); i += step) {
      label_values.emplace_back(std::string_view(labels[i]));
      name_values.emplace_back(std::string_view(names[i]));
    }
    write_formatted(unit, g_span.layouts[p], label_values);
    write_formatted(unit, g_span.layouts[p], name_values);
  }
}

const span_header_state_record& span_header_state() { return g_span; }

void reset_span_header_state() { g_span = span_header_state_record{}; }

}  // namespace korvex
