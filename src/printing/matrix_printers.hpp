// Matrix printing for the listing: the column headers above every block of a matrix (also
// the spherical-analysis variant), the rectangle printers for real and integer matrices, the
// lower-triangle printers for symmetric matrices, and the plain triangle that goes to text
// files such as "CORR.TXT", "CORRESID" and "CORREPRO". Most of every analysis listing is
// printed here, in strips of 9-column value cells paged through the caller's counters.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/layout.hpp"

namespace korvex {

// Conventions of these printers:
// - A matrix is stored column by column with leading dimension ld: element (i, j), both
//   1-based, is a[(j - 1) * ld + (i - 1)]. The span must reach every element printed
//   (checked in debug builds).
// - Vectors are 0-based spans addressed with the system's 1-based positions: item j is
//   element j - 1. Names are blank-padded texts of 20 characters.
// - page and lines are the calling component's page number and lines-left count, read and
//   updated; unit is the listing unit (or, for pr_matrix_plain, the text file's unit).
// - flag = 1 asks a listing printer to stop at the second block that does not fit its page;
//   any other value prints the whole matrix. A subtitle, when given, prints under the title.
// - Counts written into the run-time layouts are kept within what the layouts can hold
//   (at least 1, at most 99 for two-digit fields): a longest row name of 0 characters counts
//   as 1, and a skip that would fall to 0 or below starts at column 2.

// ---- column headers -------------------------------------------------------------------

// Layout of the column headers of the matrix printed last: the longest column name m, the
// number of header line pairs (1..3; 0 before the first create_header_formats), the value
// columns per strip k and the six header layout texts as completed so far (layout 1 prints
// column numbers, 2 their names; 3-4 and 5-6 the further line pairs).
struct header_state_record {
  std::int32_t m = 0;
  std::int32_t hdr_len = 0;
  std::int32_t k = 0;
  std::array<std::string, 6> layouts = {"(NNX,NNINN)  ", "(NNX,NNANN)", "(NNX,NNINN)",
                                        "(NNX,NNANN)",   "(NNX,NNINN)", "(NNX,NNANN)"};
};

// Lays out the headers of one matrix: k columns per strip after the row numbers and names
// (c = longest trimmed row name), and one, two or three staggered line pairs depending on
// the longest trimmed column name (up to 8, 9 to 17, 18 or more characters). A longest
// column name of 27 characters or more stops the run ("create_header_formats(1): bad value
// of hdr_len.").
void create_header_formats(std::span<const std::string> rownames,
                           std::span<const std::string> colnames, std::int32_t nrows,
                           std::int32_t ncols);

// Prints the header of columns first..last (an empty line, then numbers colnum(j) and names
// colnames(j) on 1, 2 or 3 line pairs: 3, 5 or 9 lines). Counts no lines; the caller has
// reserved them. Before any create_header_formats the run stops ("print_headers: bad value
// of hdr_len.").
void print_headers(std::span<const std::int32_t> colnum, std::span<const std::string> colnames,
                   std::int32_t first, std::int32_t last, std::int32_t unit);

// print_headers with column j labelled numbers(|order(j)|) and names(|order(j)|).
void print_headers_idx(std::span<const std::int32_t> order, std::span<const std::int32_t> numbers,
                       std::span<const std::string> names, std::int32_t first, std::int32_t last,
                       std::int32_t unit);

const header_state_record& header_state();
// Back to the state before the first create_header_formats (tests).
void reset_header_state();

// ---- column headers of the spherical-analysis pages --------------------------------------

// The spherical-analysis tables label their rows with texts of their own (c columns, the
// carriage control included) and may mark a column with one character beside its number.
// layouts holds the three printed header layouts (FMTL4, FMTL6, FMTL8).
struct span_header_state_record {
  std::int32_t c = 0;
  std::int32_t m = 0;
  std::int32_t hdr_len = 0;
  std::int32_t k = 0;
  std::array<std::string, 3> layouts = {"(NNX,NNANN)", "(NNX,NNANN)", "(NNX,NNANN)"};
};

// Lays out the headers of one spherical-analysis table; rowlabels may have any one length.
// A longest column name of 27 characters or more writes "hdr_len:" and the value to the
// console and stops the run ("create_header_format_SPAN(1): bad value of hdr_len.").
void create_header_format_SPAN(std::span<const std::string> rowlabels,
                               std::span<const std::string> colnames, std::int32_t nrows,
                               std::int32_t ncols);

// Prints the header of columns first..last: an empty line, then per line pair the number
// labels (colnum(j), with marks(j) after a blank when that is not blank) and the names:
// 3, 5 or 7 lines, counted by the caller. marks holds one character per column; a column
// beyond its end is unmarked. Without a layout the run stops
// ("print_column_header_SPAN: bad value of hdr_len.").
void print_column_header_SPAN(std::span<const std::int32_t> colnum,
                              std::span<const std::string> colnames, std::int32_t first,
                              std::int32_t last, std::int32_t unit, std::string_view marks);

const span_header_state_record& span_header_state();
void reset_span_header_state();

// ---- rectangle printers -----------------------------------------------------------------

// Prints rows 1..nrows and columns 1..ncols of the real matrix a in strips and blocks, each
// block under the title (its trimmed length), the subtitle and the column header, rows
// labelled with their number and name. mode 1 prints fixed point with up to ndig decimals,
// fewer as the largest magnitude needs; other modes, or a largest magnitude of 1.0E8 or
// more, print exponent form. A matrix that cannot be printed on one page starts a new page
// and returns lines = 0.
void pr_matrix(std::span<const float> a, std::span<const std::string> rownames,
               std::span<const std::string> colnames, std::int32_t nrows, std::int32_t ncols,
               std::int32_t ld, std::int32_t mode, std::int32_t ndig, std::string_view title,
               std::int32_t& page, std::int32_t& lines, std::int32_t unit, std::int32_t flag = 0,
               std::optional<std::string_view> subtitle = std::nullopt);

// The integer twin of pr_matrix: values in 9 columns, the title in its declared length.
void pr_imatrix(std::span<const std::int32_t> ia, std::span<const std::string> rownames,
                std::span<const std::string> colnames, std::int32_t nrows, std::int32_t ncols,
                std::int32_t ld, std::string_view title, std::int32_t& page, std::int32_t& lines,
                std::int32_t unit, std::int32_t flag = 0,
                std::optional<std::string_view> subtitle = std::nullopt);

// pr_matrix with row i labelled rownum(i) and column j colnum(j); the title in its declared
// length, and a blank title prints neither title nor subtitle.
void pr_matrix_lab(std::span<const float> a, std::span<const std::int32_t> rownum,
                   std::span<const std::int32_t> colnum, std::span<const std::string> rownames,
                   std::span<const std::string> colnames, std::int32_t nrows, std::int32_t ncols,
                   std::int32_t ld, std::int32_t mode, std::int32_t ndig, std::string_view title,
                   std::int32_t& page, std::int32_t& lines, std::int32_t unit,
                   std::int32_t flag = 0,
                   std::optional<std::string_view> subtitle = std::nullopt);

// pr_matrix over the rows |rowsel(i)| and columns |colsel(j)| of a; a value is negated when
// rowsel(i) and colsel(j) differ in sign. Row i is labelled rowsel(i) (signed) and
// rownames(|rowsel(i)|); column j colsel(j) (signed) and colnames(j). Title in its declared
// length.
void pr_matrix_sel(std::span<const float> a, std::span<const std::string> rownames,
                   std::span<const std::string> colnames, std::span<const std::int32_t> rowsel,
                   std::span<const std::int32_t> colsel, std::int32_t nrows, std::int32_t ncols,
                   std::int32_t ld, std::int32_t mode, std::int32_t ndig, std::string_view title,
                   std::int32_t& page, std::int32_t& lines, std::int32_t unit,
                   std::int32_t flag = 0,
                   std::optional<std::string_view> subtitle = std::nullopt);

// ---- triangle printers ------------------------------------------------------------------

// Prints the lower triangle with the diagonal of the symmetric n x n matrix a: the strip of
// columns f..l holds rows f..n, row i ending at column min(l, i). Rows and columns are
// numbered 1..n and named names(i); the title in its declared length. The decimals follow
// the largest magnitude on and above the diagonal, as pr_matrix.
void pr_matrix_tri(std::span<const float> a, std::span<const std::string> names, std::int32_t n,
                   std::int32_t ld, std::int32_t mode, std::int32_t ndig, std::string_view title,
                   std::int32_t& page, std::int32_t& lines, std::int32_t unit,
                   std::int32_t flag = 0,
                   std::optional<std::string_view> subtitle = std::nullopt);

// pr_matrix_tri with row and column i numbered num(i).
void pr_matrix_tri2(std::span<const float> a, std::span<const std::int32_t> num,
                    std::span<const std::string> names, std::int32_t n, std::int32_t ld,
                    std::int32_t mode, std::int32_t ndig, std::string_view title,
                    std::int32_t& page, std::int32_t& lines, std::int32_t unit,
                    std::int32_t flag = 0,
                    std::optional<std::string_view> subtitle = std::nullopt);

// pr_matrix_tri of a matrix already in display order: position i is labelled
// num(|order(i)|) and names(|order(i)|); the values are taken by position. An item may be
// shown more than once, so n may exceed the tables num and names; the width of the row
// names and the header depth are those of the names shown.
void pr_matrix_idx(std::span<const float> a, std::span<const std::int32_t> order,
                   std::span<const std::int32_t> num, std::span<const std::string> names,
                   std::int32_t n, std::int32_t ld, std::int32_t mode, std::int32_t ndig,
                   std::string_view title, std::int32_t& page, std::int32_t& lines,
                   std::int32_t unit, std::int32_t flag = 0,
                   std::optional<std::string_view> subtitle = std::nullopt);

// The integer twin of pr_matrix_tri.
void pr_imatrix_tri(std::span<const std::int32_t> ia, std::span<const std::string> names,
                    std::int32_t n, std::int32_t ld, std::string_view title, std::int32_t& page,
                    std::int32_t& lines, std::int32_t unit, std::int32_t flag = 0,
                    std::optional<std::string_view> subtitle = std::nullopt);

// Writes the lower triangle with the diagonal of a to unit as bare numbers: strips of 20
// columns, each row one record of up to 20 six-column fixed-point values with up to ndig
// decimals (fewer as the largest magnitude needs), an empty record after every block of
// rows_per_block(0) rows. When even 0 decimals do not fit (negative ndig, or a largest
// magnitude of 1.0E8 or more) the values are written in exponent form in 10-column cells.
// No names, numbers, titles or page control.
void pr_matrix_plain(std::span<const float> a, std::int32_t n, std::int32_t ld, std::int32_t ndig,
                     std::int32_t unit);

// ---- shared by the printers above ---------------------------------------------------------
namespace matrix_detail {

// Width of the row-name field: the longest trimmed name over names(1..n), at least 1.
std::int32_t row_name_width(std::span<const std::string> names, std::int32_t n);
// Value columns per strip after row names of c characters: (ncline - c - 11) / 9, kept
// within 1..99.
std::int32_t strip_columns(std::int32_t c);
// n kept within lo..hi, so that a layout count is never zero, negative or too wide.
std::int32_t layout_count(std::int64_t n, std::int32_t lo, std::int32_t hi);

// Decimals for values whose largest magnitude (at least 1.0) is amax: min(ndig, 7 - t), t
// the integer part of its decimal logarithm, computed in single precision. Negative means
// exponent form.
std::int32_t value_decimals(float amax, std::int32_t ndig);

// The completed row layouts "(1X,I5,2X,Acc,3X,kkF09.dd)" (trailing blank kept) or, for
// negative d, "(1X,I5,2X,Acc,3X,1PkkE09.2)"; and "(1X,I5,2X,Acc,3X,kkI09)".
std::string real_row_layout(std::int32_t c, std::int32_t k, std::int32_t d);
std::string int_row_layout(std::int32_t c, std::int32_t k);
// The row layout of the plain triangle: "(1X,20F06.dd)", or "(1X,1P20E10.2)" for negative d.
std::string plain_row_layout(std::int32_t d);

// One listing job of the block engine: what a rectangle or triangle printer hands over
// after it has chosen its layouts and created the column-header layout.
struct matrix_job {
  std::int32_t nrows = 0;  // rows (the order n for triangles)
  std::int32_t ncols = 0;  // columns (n for triangles)
  bool triangle = false;   // strip f..l prints rows f..n, row i ending at column min(l, i)
  std::int32_t k = 1;      // columns per strip
  std::int32_t h = 5;      // lines of a block besides its rows
  std::string row_layout;
  std::function<std::int32_t(std::int32_t)> row_number;      // label of row i
  std::function<std::string_view(std::int32_t)> row_name;    // name of row i
  std::function<io::Value(std::int32_t, std::int32_t)> cell;  // value (i, j)
  std::function<void(std::int32_t, std::int32_t)> header;    // column header of f..l
  std::string_view title;
  std::int32_t title_width = 1;  // before the cut at ncline - 1
  bool show_titles = true;       // false: neither title nor subtitle line
  std::optional<std::string_view> subtitle;
  std::int32_t flag = 0;
};

// Prints the job in strips and blocks with the room checks, page breaks, stop request and
// empty lines of the listing printers; updates page and lines.
void print_matrix_blocks(const matrix_job& job, std::int32_t& page, std::int32_t& lines,
                         std::int32_t unit);

// 0-based index of the 1-based position i (debug-checked).
inline std::size_t position(std::int32_t i) {
  assert(i >= 1);
  return static_cast<std::size_t>(i - 1);
}

// The numbers 1..n (none for n < 1), for columns numbered in order.
std::vector<std::int32_t> ordinals(std::int32_t n);

// Element (i, j) of a column-major matrix with leading dimension ld (debug-checked).
template <typename T>
T element(std::span<const T> a, std::int32_t ld, std::int32_t i, std::int32_t j) {
  assert(i >= 1 && j >= 1 && ld >= i);
  const std::size_t at =
      static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(ld) + static_cast<std::size_t>(i - 1);
  assert(at < a.size());
  return a[at];
}

}  // namespace matrix_detail
}  // namespace korvex
