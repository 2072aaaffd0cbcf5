// The triangle printers: symmetric matrices (correlations, residuals, reproduced
// correlations, matched counts) printed as their lower triangle with the diagonal, on the
// listing through the block engine of the rectangle printers, or as bare rows of numbers to
// the text files that other programs read ("CORR.TXT", "CORRESID", "CORREPRO").
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"

namespace korvex {

namespace {

using matrix_detail::element;
using matrix_detail::ordinals;
using matrix_detail::position;
using matrix_detail::matrix_job;

// Largest magnitude on and above the diagonal as stored (a(i, j), i <= j), at least 1.0.
float largest_upper(std::span<const float> a, std::int32_t ld, std::int32_t n) {
  float amax = 1.0f;
  for (std::int32_t j = 1; j <= n; ++j) {
    for (std::int32_t i = 1; i <= j; ++i) amax = std::max(amax, std::fabs(element(a, ld, i, j)));
  }
  return amax;
}

// The parts every listing triangle shares: one name list for rows and columns, so the
// header layout is made from it twice; the title keeps its declared length. Returns c.
std::int32_t lay_out_triangle(matrix_job& job, std::span<const std::string> names, std::int32_t n,
                              std::string_view title, std::int32_t flag,
                              std::optional<std::string_view> subtitle) {
  job.nrows = n;
  job.ncols = n;
  job.triangle = true;
  const std::int32_t c = matrix_detail::row_name_width(names, n);
  job.k = matrix_detail::strip_columns(c);
  job.h = hdr_overhead_lines(max_len_trim(names, n), 9);
  create_header_formats(names, names, n, n);
  job.title = title;
  job.title_width = static_cast<std::int32_t>(std::min<std::size_t>(title.size(), 999));
  job.subtitle = subtitle;
  job.flag = flag;
  return c;
}

std::int32_t real_decimals(std::span<const float> a, std::int32_t ld, std::int32_t n,
                           std::int32_t mode, std::int32_t ndig) {
  return mode == 1 ? matrix_detail::value_decimals(largest_upper(a, ld, n), ndig) : -1;
}

}  // namespace

void pr_matrix_tri(std::span<const float> a, std::span<const std::string> names, std::int32_t n,
                   std::int32_t ld, std::int32_t mode, std::int32_t ndig, std::string_view title,
                   std::int32_t& page, std::int32_t& lines, std::int32_t unit, std::int32_t flag,
                   std::optional<std::string_view> subtitle) {
  const std::int32_t d = real_decimals(a, ld, n, mode, ndig);
  matrix_job job;
  const std::int32_t c = lay_out_triangle(job, names, n, title, flag, subtitle);
  const std::vector<std::int32_t> num = ordinals(n);
  job.row_layout = matrix_detail::real_row_layout(c, job.k, d);
  job.row_number = [](std::int32_t i) { return i; };
  job.row_name = [&](std::int32_t i) { return std::string_view(names[position(i)]); };
  job.cell = [&](std::int32_t i, std::int32_t j) { return io::Value(element(a, ld, i, j)); };
  job.header = [&](std::int32_t f, std::int32_t l) { print_headers(num, names, f, l, unit); };
  matrix_detail::print_matrix_blocks(job, page, lines, unit);
}

void pr_matrix_tri2(std::span<const float> a, std::span<const std::int32_t> num,
                    std::span<const std::string> names, std::int32_t n, std::int32_t ld,
                    std::int32_t mode, std::int32_t ndig, std::string_view title,
                    std::int32_t& page, std::int32_t& lines, std::int32_t unit, std::int32_t flag,
                    std::optional<std::string_view> subtitle) {
  const std::int32_t d = real_decimals(a, ld, n, mode, ndig);
  matrix_job job;
  const std::int32_t c = lay_out_triangle(job, names, n, title, flag, subtitle);
  job.row_layout = matrix_detail::real_row_layout(c, job.k, d);
  job.row_number = [&](std::int32_t i) { return num[position(i)]; };
  job.row_name = [&](std::int32_t i) { return std::string_view(names[position(i)]); };
  job.cell = [&](std::int32_t i, std::int32_t j) { return io::Value(element(a, ld, i, j)); };
  job.header = [&](std::int32_t f, std::int32_t l) { print_headers(num, names, f, l, unit); };
  matrix_detail::print_matrix_blocks(job, page, lines, unit);
}

void pr_matrix_idx(std::span<const float> a, std::span<const std::int32_t> order,
                   std::span<const std::int32_t> num, std::span<const std::string> names,
                   std::int32_t n, std::int32_t ld, std::int32_t mode, std::int32_t ndig,
                   std::string_view title, std::int32_t& page, std::int32_t& lines,
                   std::int32_t unit, std::int32_t flag, std::optional<std::string_view> subtitle) {
  const std::int32_t d = real_decimals(a, ld, n, mode, ndig);
  // Display position i stands for the item |order(i)|; the sign only marks a reflection.
  const auto item = [&](std::int32_t i) { return position(std::abs(order[position(i)])); };
  // The width of the names and the header layout follow the names actually shown: an item
  // may be shown more than once, so n can exceed the table of names (a variable of the
  // reordered correlation matrix stands in its own cluster and in the one of its highest
  // coefficient), and an item beyond position n can be shown.
  std::vector<std::string> shown;
  shown.reserve(static_cast<std::size_t>(std::max(n, 0)));
  for (std::int32_t i = 1; i <= n; ++i) shown.push_back(names[item(i)]);
  matrix_job job;
  const std::int32_t c = lay_out_triangle(job, shown, n, title, flag, subtitle);
  job.row_layout = matrix_detail::real_row_layout(c, job.k, d);
  job.row_number = [&](std::int32_t i) { return num[item(i)]; };
  job.row_name = [&](std::int32_t i) { return std::string_view(shown[position(i)]); };
  job.cell = [&](std::int32_t i, std::int32_t j) { return io::Value(element(a, ld, i, j)); };
  job.header = [&](std::int32_t f, std::int32_t l) {
    print_headers_idx(order, num, names, f, l, unit);
  };
  matrix_detail::print_matrix_blocks(job, page, lines, unit);
}

void pr_imatrix_tri(std::span<const std::int32_t> ia, std::span<const std::string> names,
                    std::int32_t n, std::int32_t ld, std::string_view title, std::int32_t& page,
                    std::int32_t& lines, std::int32_t unit, std::int32_t flag,
                    std::optional<std::string_view> subtitle) {
  matrix_job job;
  const std::int32_t c = lay_out_triangle(job, names, n, title, flag, subtitle);
  const std::vector<std::int32_t> num = ordinals(n);
  job.row_layout = matrix_detail::int_row_layout(c, job.k);
  job.row_number = [](std::int32_t i) { return i; };
  job.row_name = [&](std::int32_t i) { return std::string_view(names[position(i)]); };
  job.cell = [&](std::int32_t i, std::int32_t j) { return io::Value(element(ia, ld, i, j)); };
  job.header = [&](std::int32_t f, std::int32_t l) { print_headers(num, names, f, l, unit); };
  matrix_detail::print_matrix_blocks(job, page, lines, unit);
}

void pr_matrix_plain(std::span<const float> a, std::int32_t n, std::int32_t ld, std::int32_t ndig,
                     std::int32_t unit) {
  const std::string layout =
      matrix_detail::plain_row_layout(matrix_detail::value_decimals(largest_upper(a, ld, n), ndig));
  const std::int32_t rows = std::max(rows_per_block(0), 1);  // R0
  std::vector<io::Value> values;
  for (std::int32_t g = 1; g <= n; g += 20) {
    const std::int32_t u = std::min(g + 19, n);
    for (std::int32_t r1 = g; r1 <= n; r1 += rows) {
      const std::int32_t r2 = std::min(r1 + rows - 1, n);
      for (std::int32_t i = r1; i <= r2; ++i) {
        values.clear();
        for (std::int32_t j = g; j <= std::min(u, i); ++j) values.emplace_back(element(a, ld, i, j));
        write_formatted(unit, layout, values);
      }
      write_formatted(unit, "(1X)");
    }
  }
}

}  // namespace korvex
