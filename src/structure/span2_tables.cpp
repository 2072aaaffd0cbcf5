// The tables that accompany each SPAN2 set: the augmented coordinates of the variables on
// the set's dimensions with their shares of communality, and for a sphere picture the
// spotter (its points row by row with marks and exact positions) and the cross reference
// (the points by variable with their picture positions).
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "structure/span2_internal.hpp"

namespace korvex::span2 {

namespace {

// Values per coordinate line: (c - 22) / 9, at most 12, at least 1.
std::int32_t values_per_line(std::int32_t c) { return std::clamp((c - 22) / 9, 1, 12); }

// layout with its "NN" replaced by n in two digits.
std::string with_count(std::string_view layout, std::int32_t n) {
  std::string text(layout);
  const std::size_t at_nn = text.find("NN");
  text.replace(at_nn, 2, int_to_text(n, 2));
  return text;
}

// text right-justified in width characters (a longer text keeps its last characters).
std::string rjust(const std::string& text, std::size_t width) {
  std::string out(width, ' ');
  rjust_text(text, out);
  return out;
}

}  // namespace

void span_coordinates(std::int32_t set_no, std::int32_t k) {
  run_state& s = state();
  const std::int32_t c = s.ncline_m1;
  const std::int32_t K = values_per_line(c);
  std::vector<std::string> labels;
  for (std::int32_t j = 1; j <= 50; ++j) {
    labels.push_back(io::pad("DIMENSION " + int_to_text(j, 3), 22));
  }
  labels.emplace_back("PERCENT OF COMMUNALITY");
  create_header_format_SPAN(labels, s.var_names, 51, s.NV);
  if (s.options.reduce != 0) return;

  const subspace& set = s.n_ptr[at(set_no)];
  const std::int32_t per_page = std::max(1, (s.nlpage - 2) / (2 * k + 7));
  const std::string dim_layout = with_count("(\" DIMENSION\",I4,A1,8X,NNF9.3)", K);
  const std::string pct_layout = with_count("(\" PERCENT OF COMMUNALITY\",NNF9.3)", K);
  const std::int32_t strips = (s.NV + K - 1) / K;
  for (std::int32_t t = 1; t <= strips; ++t) {
    const std::int32_t first = (t - 1) * K + 1;
    const std::int32_t last = std::min(t * K, s.NV);
    if ((t - 1) % per_page == 0) span_page_coords_header(k, set_no);
    write_formatted(s.monout, "(1X)");
    print_column_header_SPAN(s.order, s.var_names, first, last, s.monout, s.set_mark);
    for (std::int32_t j = 1; j <= k; ++j) {
      write_formatted(s.monout, "(1X)");
      const std::int32_t d = set.index[at(j)];
      std::string tag = " ";
      if (k == 3) tag = std::string(1, "ZXY"[at(j)]);
      std::vector<io::Value> values = {d, tag};
      for (std::int32_t i = first; i <= last; ++i) values.emplace_back(s.c(i, d));
      write_formatted(s.monout, dim_layout, values);
    }
    write_formatted(s.monout, "(1X)");
    std::vector<io::Value> values;
    for (std::int32_t i = first; i <= last; ++i) values.emplace_back(s.share(set_no, i));
    write_formatted(s.monout, pct_layout, values);
    write_formatted(s.monout, "(1X)");
  }
}

void span_set_label(std::size_t first, std::size_t last, std::vector<std::string>& upper,
                    std::vector<std::string>& lower, std::size_t width) {
  const run_state& s = state();
  const bool shared = last > first;
  for (std::size_t p = first; p <= last; ++p) {
    const g_point& pt = s.points[p];
    const std::int32_t v = pt.variable;
    const bool reflected = s.reflect_sign[at(v)] < 0.0f;
    std::string text;
    if (shared && p == first) text += "(";
    if (reflected) text += "-";
    text += std::to_string(s.order[at(v)]);
    if (s.h2[at(v)] <= s.options.MINCOM) text += "*";
    text += s.set_mark[at(v)];
    const std::int32_t cl = std::abs(s.var_cluster[at(v)]);
    text += cl == 0 ? std::string(" ") : std::string(1, cluster_symbol(cl)) + " ";
    const std::int32_t depth = std::clamp(pt.depth, -99, 99);
    text += io::format_line("(\"[\",I0,\",\",I0,\",\",I0,\"]\")",
                            {std::min(pt.row, 99), pt.column - 1, depth});
    if (shared && p == last) text += ")";
    upper.push_back(rjust(text, width));
    lower.push_back(rjust((reflected ? "-" : " ") + s.var_names[at(v)], width));
  }
}

void span_spotter(std::int32_t set_no, std::int32_t k) {
  run_state& s = state();
  const subspace& set = s.n_ptr[at(set_no)];
  const std::int32_t c = s.ncline_m1;
  const std::int32_t g = max_len_trim(s.var_names, s.NV);
  const std::int32_t w = std::max(g + 1, 13);
  // At most 10 entries to a line, as the record layouts hold.
  const std::int32_t o = std::clamp((c - 4) / w, 1, 10);
  const std::int32_t u = std::max(0, (c - w * o - 4) / o);
  const std::int32_t r = std::max(0, c - o * (w + u) - 4);
  std::vector<io::Value> dims;
  for (std::int32_t j = 1; j <= k; ++j) dims.emplace_back(set.index[at(j)]);
  const std::vector<std::string> lines =
      io::format(with_count("(25X,\"Dimensions \",NN(I2,\",\"),I2)", k - 1), dims);
  std::string text = lines.empty() ? std::string() : lines.front();
  text.resize(256, ' ');
  span_page_spotter_header(set_no, text);

  const std::string ublank(static_cast<std::size_t>(u), ' ');
  std::size_t p = 0;
  while (p < s.points.size()) {
    const std::int32_t row = s.points[p].row;
    std::vector<std::string> upper;
    std::vector<std::string> lower;
    while (p < s.points.size() && s.points[p].row == row) {
      std::size_t last = p;
      while (last + 1 < s.points.size() && s.points[last + 1].row == row &&
             s.points[last + 1].column == s.points[p].column) {
        ++last;
      }
      span_set_label(p, last, upper, lower, static_cast<std::size_t>(w));
      p = last + 1;
    }
    const auto n = static_cast<std::int32_t>(upper.size());
    const std::int32_t groups = (n + o - 1) / o;
    // A row that one page cannot hold runs on over pages a group at a time: each group
    // carries the row number and its group number, and each new page the spotter heading.
    const bool row_whole = span_page_holds(groups);
    if (row_whole) span_page_reserve_spotter(groups, set_no, text);
    // A row of more than 100 entries numbers its groups in as many digits as they take,
    // the digits beyond the first taken from the blanks before the entries.
    const bool long_row = n > 100;
    for (std::int32_t grp = 0; grp < groups; ++grp) {
      if (!row_whole) span_page_reserve_spotter(1, set_no, text);
      const std::int32_t from = grp * o;
      const std::int32_t to = std::min(n, from + o);
      std::vector<io::Value> up;
      std::vector<io::Value> low;
      up.emplace_back(row);
      if (n > o) up.emplace_back(grp);
      std::int32_t lead_size = n > o ? r : r + 2;
      if (long_row) lead_size = std::max(0, lead_size - (decimal_digits(std::max(grp, 1)) - 1));
      const std::string lead(static_cast<std::size_t>(lead_size), ' ');
      const std::string low_lead(static_cast<std::size_t>(r + 5), ' ');
      up.emplace_back(lead);
      low.emplace_back(low_lead);
      for (std::int32_t e = from; e < to; ++e) {
        up.emplace_back(ublank);
        up.emplace_back(upper[at(e + 1)]);
        low.emplace_back(ublank);
        low.emplace_back(lower[at(e + 1)]);
      }
      const std::string_view up_layout = n <= o   ? "(1X,I2,A,10(A,A))"
                                         : long_row ? "(1X,I2,\".\",I0,A,10(A,A))"
                                                    : "(1X,I2,\".\",I1,A,10(A,A))";
      write_formatted(s.monout, up_layout, up);
      write_formatted(s.monout, "(A,A,10(A,A))", low);
      write_formatted(s.monout, "(1x)");
    }
    write_formatted(s.monout, "(1X)");
  }
}

xref_layout span_xref_layout(std::int32_t c, std::int32_t g) {
  xref_layout x;
  const std::int32_t cell = g + 14;
  x.m = std::clamp(c / cell, 1, 10);
  std::int32_t e = c - x.m * cell;
  x.gap = e / x.m;
  // A width that leaves no blank between columns takes one column fewer.
  while (x.gap < 1 && x.m > 1) {
    --x.m;
    e = c - x.m * cell;
    x.gap = e / x.m;
  }
  x.gap = std::max(x.gap, 1);
  x.tab = std::max(1, e - x.m * x.gap + 1);
  return x;
}

void span_cross_reference(std::int32_t set_no) {
  run_state& s = state();
  std::vector<g_point>& pts = s.points;
  for (std::size_t p = 0; p + 1 < pts.size(); ++p) {
    for (std::size_t q = p + 1; q < pts.size(); ++q) {
      if (pts[p].variable > pts[q].variable) std::swap(pts[p], pts[q]);
    }
  }
  const std::int32_t g = std::max(1, max_len_trim(s.var_names, s.NV));
  const xref_layout x = span_xref_layout(s.ncline_m1, g);
  const std::string layout = "(TR" + int_to_text(x.tab, 3) + "," + int_to_text(x.m, 2) + "(" +
                             int_to_text(x.gap, 3) + "X,A3,2x,A" + int_to_text(g, 2) +
                             ",2X,A7))";
  span_page_xref_header(set_no);
  const auto count = static_cast<std::int32_t>(pts.size());
  const std::int32_t v = s.nlpage - 2;
  const std::int32_t per_page = x.m * v;
  for (std::int32_t first = 1; first <= count; first += per_page) {
    const std::int32_t L = std::min(v, count - first + 1);
    span_page_reserve_xref(L, set_no);
    const std::int32_t page_end = std::min(count, first + per_page - 1);
    for (std::int32_t i = first; i < first + L; ++i) {
      std::vector<std::string> texts;
      for (std::int32_t e = i; e <= page_end; e += v) {
        const g_point& pt = pts[at(e)];
        std::string number(3, ' ');
        rjust_text(std::to_string(s.order[at(pt.variable)]), number);
        texts.push_back(number);
        texts.push_back(s.var_names[at(pt.variable)].substr(
            0, std::min<std::size_t>(static_cast<std::size_t>(g), 20)));
        // The label stands left in its field; a label longer than 7 loses its last characters.
        std::string label =
            io::format_line("(\"[\",I0,\",\",I0,\"]\")", {pt.row, pt.column - 1});
        if (label.size() < 7) label.resize(7, ' ');
        texts.push_back(label);
      }
      std::vector<io::Value> values(texts.begin(), texts.end());
      write_formatted(s.monout, layout, values);
    }
  }
}

}  // namespace korvex::span2
