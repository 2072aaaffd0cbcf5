// The analysis of one dimensionality of SPAN2: for each selected set of k dimensions the
// share of each variable's communality in it, its coordinates and, for k = 3, its sphere
// picture, spotter and cross reference; then the summaries of percentages and of partial
// and total communalities over all sets of k.
#include <algorithm>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "structure/span2_internal.hpp"

namespace korvex::span2 {

namespace {

std::string with_count(std::string_view layout, std::int32_t n) {
  std::string text(layout);
  text.replace(text.find("NN"), 2, int_to_text(n, 2));
  return text;
}

// One summary line: the caption layout with the set (or NF) number and values first..last.
void summary_line(std::int32_t unit, const std::string& layout, std::int32_t number,
                  const std::vector<float>& values, std::int32_t first, std::int32_t last) {
  std::vector<io::Value> line = {number};
  for (std::int32_t i = first; i <= last; ++i) line.emplace_back(values[at(i)]);
  write_formatted(unit, layout, line);
}

}  // namespace

void span_dimension(std::int32_t k) {
  run_state& s = state();
  const std::int32_t u = s.monout;
  const std::int32_t n_count = s.n_count();
  const std::int32_t K = std::clamp((s.ncline_m1 - 22) / 9, 1, 12);
  const std::int32_t strips = (s.NV + K - 1) / K;
  const std::string pct_layout = with_count("(\" PERCENT IN SET\",I3,\" . . \",NNF9.3)", K);
  const std::string partial_layout = with_count("(\" PARTIAL IN SET\",I3,\" . . \",NNF9.3)", K);
  const std::string total_layout = with_count("(\" TOTAL IN\",I3,\"-SPACE     \",NNF9.3)", K);

  s.any_set_mark.assign(at(s.NV) + 1, ' ');
  s.set_mark.assign(at(s.NV) + 1, ' ');
  s.index_pages[at(2 * k - 1)] = span_page_number() + 1;
  if (k == 3) s.coef_copy = s.coef;
  s.set_share.assign(static_cast<std::size_t>(n_count) * static_cast<std::size_t>(s.NV), 0.0f);

  for (std::int32_t set_no = 1; set_no <= n_count; ++set_no) {
    const subspace set = s.n_ptr[at(set_no)];
    std::fill(s.set_mark.begin(), s.set_mark.end(), ' ');
    if (k == 3) {
      span_sphere_rotate(set);
      span_sphere_canvas();
      s.points.clear();
    }
    for (std::int32_t i = 1; i <= s.NV; ++i) {
      float share = 0.0f;
      for (std::int32_t j = 1; j <= k; ++j) {
        const float b = s.c(i, set.index[at(j)]);
        share += b * b;
      }
      s.share(set_no, i) = share;
      if (share >= s.CLOPR) {
        s.set_mark[at(i)] = 'V';
        s.any_set_mark[at(i)] = 'V';
      }
    }
    if (k == 3) span_sphere_points(set_no, set);
    span_coordinates(set_no, k);
    if (k == 3) {
      span_sphere_print(set_no, set);
      span_spotter(set_no, k);
      if (s.options.reduce == 0) span_cross_reference(set_no);
    }
  }
  if (s.options.reduce != 0) {
    if (k == 3) s.coef = s.coef_copy;
    return;
  }

  s.index_pages[at(2 * k)] = span_page_number() + 1;
  const std::int32_t nlpage = s.options.page_limit + 1;
  const std::int32_t p1 = std::max(1, (nlpage - 2) / (n_count + 5));
  std::vector<float> row(at(s.NV) + 1);
  for (std::int32_t t = 1; t <= strips; ++t) {
    const std::int32_t first = (t - 1) * K + 1;
    const std::int32_t last = std::min(t * K, s.NV);
    if ((t - 1) % p1 == 0) span_page_pct_header(k);
    write_formatted(u, "(1X)");
    print_column_header_SPAN(s.order, s.var_names, first, last, u, s.any_set_mark);
    write_formatted(u, "(1X)");
    for (std::int32_t set_no = 1; set_no <= n_count; ++set_no) {
      for (std::int32_t i = first; i <= last; ++i) row[at(i)] = s.share(set_no, i);
      summary_line(u, pct_layout, set_no, row, first, last);
    }
  }

  for (std::int32_t set_no = 1; set_no <= n_count; ++set_no) {
    for (std::int32_t i = 1; i <= s.NV; ++i) s.share(set_no, i) *= s.h2[at(i)];
  }

  const std::int32_t p2 = std::max(1, (nlpage - 2) / (n_count + 7));
  for (std::int32_t t = 1; t <= strips; ++t) {
    const std::int32_t first = (t - 1) * K + 1;
    const std::int32_t last = std::min(t * K, s.NV);
    if ((t - 1) % p2 == 0) {
      write_formatted(u, "(1X)");
      span_page_partial_header(k);
    }
    print_column_header_SPAN(s.order, s.var_names, first, last, u, s.set_mark);
    write_formatted(u, "(1X)");
    for (std::int32_t set_no = 1; set_no <= n_count; ++set_no) {
      for (std::int32_t i = first; i <= last; ++i) row[at(i)] = s.share(set_no, i);
      summary_line(u, partial_layout, set_no, row, first, last);
    }
    summary_line(u, total_layout, s.NF, s.h2, first, last);
    write_formatted(u, "(1X)");
  }
  if (k == 3) s.coef = s.coef_copy;
}

}  // namespace korvex::span2
