// The rectangle printers of the listing (real, integer, labelled and selected matrices) and
// the block engine that they share with the triangle printers: a matrix is printed in
// vertical strips of k value cells, each strip in blocks of rows under the title, the
// subtitle and the column header, with the page breaks, early stop and empty lines that
// keep a component's page and lines counters right.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing_int.hpp"

namespace korvex {

namespace matrix_detail {

std::int32_t value_decimals(float amax, std::int32_t ndig) {
  const float lg = std::log(amax) * 0.4342945f;
  // An infinite magnitude (or one beyond any cell) has no fixed-point form; never let it
  // reach the integer conversion.
  if (!(lg < 100.0f)) return -1;
  const auto t = static_cast<std::int32_t>(lg);
  return std::min(ndig, 7 - t);
}

std::string real_row_layout(std::int32_t c, std::int32_t k, std::int32_t d) {
  // The 27-character row layout: its head, then the fixed-point or the exponent part.
  std::string text = "(1X,I5,2X,ANN,3X," + std::string(10, ' ');
  const std::string_view part = d >= 0 ? "NNFNN.NN)" : "1PNNENN.2)";
  text.replace(17, part.size(), part);
  printing_detail::layout_fields fields(std::move(text));
  fields.next(layout_count(c, 1, 99), 2).next(layout_count(k, 1, 99), 2).next(9, 2);
  if (d >= 0) fields.next(d, 2);
  return fields.text();
}

std::string int_row_layout(std::int32_t c, std::int32_t k) {
  return printing_detail::layout_fields("(1X,I5,2X,ANN,3X,NNINN)")
      .next(layout_count(c, 1, 99), 2)
      .next(layout_count(k, 1, 99), 2)
      .next(9, 2)
      .text();
}

std::string plain_row_layout(std::int32_t d) {
  std::string text = "(1X," + std::string(23, ' ');
  const std::string_view part = d >= 0 ? "NNFNN.NN)" : "1PNNENN.2)";
  text.replace(4, part.size(), part);
  printing_detail::layout_fields fields(std::move(text));
  if (d >= 0) {
    fields.next(20, 2).next(6, 2).next(d, 2);
  } else {
    fields.next(20, 2).next(10, 2);
  }
  return fields.text();
}

// Common scheme of the listing printers. The running count L covers the two opening empty
// lines and every line of a block but the subtitle; a page break restarts it at R + h, the
// page header not counted. The first block that does not fit breaks the page; a later one
// either breaks it again or, on a stop request, ends the printing.
void print_matrix_blocks(const matrix_job& job, std::int32_t& page, std::int32_t& lines,
                         std::int32_t unit) {
  const std::int32_t ncline = get_ncline();
  const std::int32_t nrows = std::max(job.nrows, 0);
  const std::int32_t ncols = std::max(job.ncols, 0);
  const std::int32_t k = job.k;
  const std::int32_t h = job.h;
  const std::int32_t rows = std::max(rows_per_block(h), 1);  // R
  const bool stop_request = job.flag == 1;
  bool overflowed = false;

  std::int32_t room = lines - 2;  // L
  if (lines >= 3) write_formatted(unit, "(1X/1X)");
  // When not every strip fits one page, the matrix starts on a new page and the caller's
  // next output does too.
  std::int32_t fits = 1;  // F
  if ((rows + h + 4) / (nrows + h + 4) < (ncols + k - 1) / k) {
    room = 0;
    fits = 0;
  }

  const std::string title_layout =
      printing_detail::layout_fields("(1X,ANNN)")
          .next(layout_count(std::min(job.title_width, ncline - 1), 1, 999), 3)
          .text();
  std::string subtitle_layout;
  if (job.subtitle) {
    const auto trimmed = static_cast<std::int64_t>(io::trim_right(*job.subtitle).size());
    subtitle_layout = printing_detail::layout_fields("(1X,ANNN)")
                          .next(layout_count(std::min<std::int64_t>(trimmed, ncline - 1), 1, 999), 3)
                          .text();
  }

  std::vector<io::Value> values;
  for (std::int32_t f = 1; f <= ncols; f += k) {
    const std::int32_t l = std::min(f + k - 1, ncols);
    for (std::int32_t r1 = job.triangle ? f : 1; r1 <= nrows; r1 += rows) {
      const std::int32_t r2 = std::min(r1 + rows - 1, nrows);
      const std::int32_t n = r2 - r1 + 1;
      if (room < h + n) {
        if (overflowed && stop_request) {
          lines = fits * room;
          return;
        }
        overflowed = true;
        room = rows + h;
        printing_detail::begin_printer_page(page, unit);
      }
      if (job.show_titles) {
        write_formatted(unit, title_layout, {job.title});
        if (job.subtitle) write_formatted(unit, subtitle_layout, {*job.subtitle});
      }
      job.header(f, l);
      write_formatted(unit, "(1X)");
      for (std::int32_t i = r1; i <= r2; ++i) {
        values.clear();
        values.emplace_back(job.row_number(i));
        values.emplace_back(job.row_name(i));
        const std::int32_t last = job.triangle ? std::min(l, i) : l;
        for (std::int32_t j = f; j <= last; ++j) values.push_back(job.cell(i, j));
        write_formatted(unit, job.row_layout, values);
      }
      const std::int32_t spare = room - h - n;
      const std::int32_t blanks = std::min(spare, 4);
      for (std::int32_t b = 0; b < blanks; ++b) write_formatted(unit, "(1X)");
      room = spare - blanks;
    }
  }
  lines = fits * room;
}

std::vector<std::int32_t> ordinals(std::int32_t n) {
  std::vector<std::int32_t> v(static_cast<std::size_t>(std::max(n, 0)));
  std::iota(v.begin(), v.end(), 1);
  return v;
}

}  // namespace matrix_detail

namespace {

using matrix_detail::element;
using matrix_detail::ordinals;
using matrix_detail::position;
using matrix_detail::matrix_job;

// Largest |a(i, j)| over rows 1..nrows and columns 1..ncols, at least 1.0 (NaN ignored).
float largest_magnitude(std::span<const float> a, std::int32_t ld, std::int32_t nrows,
                        std::int32_t ncols) {
  float amax = 1.0f;
  for (std::int32_t j = 1; j <= ncols; ++j) {
    for (std::int32_t i = 1; i <= nrows; ++i) amax = std::max(amax, std::fabs(element(a, ld, i, j)));
  }
  return amax;
}

// Decimals of the real printers: negative for exponent form (mode other than 1, or no
// fixed-point form fits).
std::int32_t real_decimals(float amax, std::int32_t mode, std::int32_t ndig) {
  return mode == 1 ? matrix_detail::value_decimals(amax, ndig) : -1;
}

// Geometry of a rectangle: the column-header layout, k and h of the job; returns c.
std::int32_t lay_out_rectangle(matrix_job& job, std::span<const std::string> rownames,
                               std::span<const std::string> colnames, std::int32_t nrows,
                               std::int32_t ncols) {
  job.nrows = nrows;
  job.ncols = ncols;
  const std::int32_t c = matrix_detail::row_name_width(rownames, nrows);
  job.k = matrix_detail::strip_columns(c);
  job.h = hdr_overhead_lines(max_len_trim(colnames, ncols), 9);
  create_header_formats(rownames, colnames, nrows, ncols);
  return c;
}

std::int32_t declared_width(std::string_view title) {
  return static_cast<std::int32_t>(std::min<std::size_t>(title.size(), 999));
}

}  // namespace

void pr_matrix(std::span<const float> a, std::span<const std::string> rownames,
               std::span<const std::string> colnames, std::int32_t nrows, std::int32_t ncols,
               std::int32_t ld, std::int32_t mode, std::int32_t ndig, std::string_view title,
               std::int32_t& page, std::int32_t& lines, std::int32_t unit, std::int32_t flag,
               std::optional<std::string_view> subtitle) {
  const std::int32_t d = real_decimals(largest_magnitude(a, ld, nrows, ncols), mode, ndig);
  matrix_job job;
  const std::int32_t c = lay_out_rectangle(job, rownames, colnames, nrows, ncols);
  const std::vector<std::int32_t> colnum = ordinals(ncols);
  job.row_layout = matrix_detail::real_row_layout(c, job.k, d);
  job.row_number = [](std::int32_t i) { return i; };
  job.row_name = [&](std::int32_t i) { return std::string_view(rownames[position(i)]); };
  job.cell = [&](std::int32_t i, std::int32_t j) { return io::Value(element(a, ld, i, j)); };
  job.header = [&](std::int32_t f, std::int32_t l) { print_headers(colnum, colnames, f, l, unit); };
  job.title = title;
  job.title_width = declared_width(io::trim_right(title));
  job.subtitle = subtitle;
  job.flag = flag;
  matrix_detail::print_matrix_blocks(job, page, lines, unit);
}

void pr_imatrix(std::span<const std::int32_t> ia, std::span<const std::string> rownames,
                std::span<const std::string> colnames, std::int32_t nrows, std::int32_t ncols,
                std::int32_t ld, std::string_view title, std::int32_t& page, std::int32_t& lines,
                std::int32_t unit, std::int32_t flag, std::optional<std::string_view> subtitle) {
  matrix_job job;
  const std::int32_t c = lay_out_rectangle(job, rownames, colnames, nrows, ncols);
  const std::vector<std::int32_t> colnum = ordinals(ncols);
  job.row_layout = matrix_detail::int_row_layout(c, job.k);
  job.row_number = [](std::int32_t i) { return i; };
  job.row_name = [&](std::int32_t i) { return std::string_view(rownames[position(i)]); };
  job.cell = [&](std::int32_t i, std::int32_t j) { return io::Value(element(ia, ld, i, j)); };
  job.header = [&](std::int32_t f, std::int32_t l) { print_headers(colnum, colnames, f, l, unit); };
  job.title = title;
  job.title_width = declared_width(title);
  job.subtitle = subtitle;
  job.flag = flag;
  matrix_detail::print_matrix_blocks(job, page, lines, unit);
}

void pr_matrix_lab(std::span<const float> a, std::span<const std::int32_t> rownum,
                   std::span<const std::int32_t> colnum, std::span<const std::string> rownames,
                   std::span<const std::string> colnames, std::int32_t nrows, std::int32_t ncols,
                   std::int32_t ld, std::int32_t mode, std::int32_t ndig, std::string_view title,
                   std::int32_t& page, std::int32_t& lines, std::int32_t unit, std::int32_t flag,
                   std::optional<std::string_view> subtitle) {
  const std::int32_t d = real_decimals(largest_magnitude(a, ld, nrows, ncols), mode, ndig);
  matrix_job job;
  const std::int32_t c = lay_out_rectangle(job, rownames, colnames, nrows, ncols);
  job.row_layout = matrix_detail::real_row_layout(c, job.k, d);
  job.row_number = [&](std::int32_t i) { return rownum[position(i)]; };
  job.row_name = [&](std::int32_t i) { return std::string_view(rownames[position(i)]); };
  job.cell = [&](std::int32_t i, std::int32_t j) { return io::Value(element(a, ld, i, j)); };
  job.header = [&](std::int32_t f, std::int32_t l) { print_headers(colnum, colnames, f, l, unit); };
  job.title = title;
  job.title_width = declared_width(title);
  // A blank title prints neither title nor subtitle; the block still counts its lines.
  job.show_titles = !io::trim_right(title).empty();
  job.subtitle = subtitle;
  job.flag = flag;
  matrix_detail::print_matrix_blocks(job, page, lines, unit);
}

void pr_matrix_sel(std::span<const float> a, std::span<const std::string> rownames,
                   std::span<const std::string> colnames, std::span<const std::int32_t> rowsel,
                   std::span<const std::int32_t> colsel, std::int32_t nrows, std::int32_t ncols,
                   std::int32_t ld, std::int32_t mode, std::int32_t ndig, std::string_view title,
                   std::int32_t& page, std::int32_t& lines, std::int32_t unit, std::int32_t flag,
                   std::optional<std::string_view> subtitle) {
  // Value (i, j) of the selection: a(|rowsel(i)|, |colsel(j)|), negated when the two
  // selectors differ in sign.
  const auto value = [&](std::int32_t i, std::int32_t j) {
    const std::int32_t r = rowsel[position(i)];
    const std::int32_t s = colsel[position(j)];
    const float v = element(a, ld, std::abs(r), std::abs(s));
    return (r < 0) != (s < 0) ? -v : v;
  };
  // The scale and the row-name width follow what is printed: the selected values and the
  // names of the selected rows.
  float amax = 1.0f;
  for (std::int32_t j = 1; j <= ncols; ++j) {
    for (std::int32_t i = 1; i <= nrows; ++i) amax = std::max(amax, std::fabs(value(i, j)));
  }
  const std::int32_t d = real_decimals(amax, mode, ndig);
  std::vector<std::string> shown_rows;
  for (std::int32_t i = 1; i <= nrows; ++i) {
    shown_rows.push_back(rownames[position(std::abs(rowsel[position(i)]))]);
  }
  matrix_job job;
  const std::int32_t c = lay_out_rectangle(job, shown_rows, colnames, nrows, ncols);
  job.row_layout = matrix_detail::real_row_layout(c, job.k, d);
  job.row_number = [&](std::int32_t i) { return rowsel[position(i)]; };
  job.row_name = [&](std::int32_t i) { return std::string_view(shown_rows[position(i)]); };
  job.cell = [&](std::int32_t i, std::int32_t j) { return io::Value(value(i, j)); };
  job.header = [&](std::int32_t f, std::int32_t l) { print_headers(colsel, colnames, f, l, unit); };
  job.title = title;
  job.title_width = declared_width(title);
  job.subtitle = subtitle;
  job.flag = flag;
  matrix_detail::print_matrix_blocks(job, page, lines, unit);
}

}  // namespace korvex
