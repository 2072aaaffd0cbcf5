// Sphere pictures of SPAN2: each three-dimensional set is turned so that the centroid of its
// points faces the viewer, the great quarter circles and axis letters are drawn on an empty
// sphere, the points of the set are placed with their cluster and reflection symbols, and
// the picture is printed between column rulers.
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "structure/span2_internal.hpp"

namespace korvex::span2 {

namespace {

constexpr std::string_view symbol_table =
    "-ZXY 123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmno";

// The rotation of the current set: rows (g1, g2, g3), (-g2, v, u), (-g3, u, t).
struct turn {
  float g1 = 1.0f, g2 = 0.0f, g3 = 0.0f, u = 0.0f, v = 1.0f, t = 1.0f;
};

// Truncation toward zero of a value the caller has bounded; anything not a number or far
// outside the picture becomes a position that the bounds tests refuse.
std::int32_t trunc_int(float x) {
  if (!(x > -1.0e6f && x < 1.0e6f)) return -999999;
  return static_cast<std::int32_t>(std::trunc(x));
}

// The centroid the view turns to: the reflected sum over the points strictly above CLOPR,
// or over the dimension definers of the set with the rigid option.
std::array<float, 3> centroid(const run_state& s, const subspace& set) {
  std::array<float, 3> S{0.0f, 0.0f, 0.0f};
  const auto add = [&](std::int32_t i) {
    const float r = s.reflect_sign[at(i)];
    for (std::size_t c = 0; c < 3; ++c) {
      S[c] += r * s.coef_copy[rc(i, set.index[c])];
    }
  };
  if (s.options.rigid <= 0) {
    for (std::int32_t i = 1; i <= s.NV; ++i) {
      float ss = 0.0f;
      for (std::size_t c = 0; c < 3; ++c) {
        const float b = s.coef_copy[rc(i, set.index[c])];
        ss += b * b;
      }
      if (ss > s.CLOPR) add(i);
    }
    return S;
  }
  // Definers of list d stand for dimension d; each variable is counted once.
  std::vector<bool> seen(at(s.NV) + 1, false);
  for (std::size_t c = 0; c < 3; ++c) {
    const std::int32_t d = set.index[c];
    if (d > s.refl_count) continue;
    const std::int32_t count = s.refl_counts[at(d)];
    for (std::int32_t e = 1; e <= count; ++e) {
      const std::int32_t v = s.refl_lists[static_cast<std::size_t>(d - 1) * max_list + at(e)];
      if (v < 1 || v > s.NV || seen[at(v)]) continue;
      seen[at(v)] = true;
      add(v);
    }
  }
  return S;
}

turn make_turn(const std::array<float, 3>& S) {
  turn m;
  const float norm = std::sqrt(S[0] * S[0] + S[1] * S[1] + S[2] * S[2]);
  // A zero centroid (no point above CLOPR, no definer) keeps the view unturned.
  if (!(norm > 0.0f) || !std::isfinite(norm)) return m;
  m.g1 = S[0] / norm;
  m.g2 = S[1] / norm;
  m.g3 = S[2] / norm;
  const float h = 1.0f + m.g1;
  if (!(h > 0.0f)) return turn{};
  m.u = -m.g2 * m.g3 / h;
  m.v = 1.0f - m.g2 * m.g2 / h;
  m.t = 1.0f - m.g3 * m.g3 / h;
  return m;
}

void put(run_state& s, std::int32_t column, std::int32_t row, char ch) {
  if (column < 1 || column > graph_cols || row < 1 || row > graph_rows) {
    proc_error("SPAN: point outside graph");
  }
  s.span_graph[at(row)][at(column)] = ch;
}

}  // namespace

std::int32_t screen_column(float x) { return trunc_int((x + 1.03f) * 50.0f); }
std::int32_t screen_row(float y) { return 62 - trunc_int((y + 1.05f) * 30.0f); }

char cluster_symbol(std::int32_t c) {
  if (c < 0 || c > max_dims) return ' ';
  return symbol_table[static_cast<std::size_t>(4 + c)];
}

void span_sphere_rotate(const subspace& set) {
  run_state& s = state();
  const std::int32_t z = set.index[0];
  const std::int32_t x = set.index[1];
  const std::int32_t y = set.index[2];
  s.reflect_sign.assign(at(s.NV) + 1, 1.0f);
  for (std::int32_t i = 1; i <= s.NV; ++i) {
    const float sum = s.coef_copy[rc(i, z)] + s.coef_copy[rc(i, x)] + s.coef_copy[rc(i, y)];
    s.reflect_sign[at(i)] = sum < 0.0f ? -1.0f : 1.0f;
  }
  const turn m = make_turn(centroid(s, set));
  for (std::int32_t i = 1; i <= s.NV; ++i) {
    const float b1 = s.coef_copy[rc(i, z)];
    const float b2 = s.coef_copy[rc(i, x)];
    const float b3 = s.coef_copy[rc(i, y)];
    s.c(i, z) = 0.0f + m.g1 * b1 + m.g2 * b2 + m.g3 * b3;
    s.c(i, x) = 0.0f + -m.g2 * b1 + m.v * b2 + m.u * b3;
    s.c(i, y) = 0.0f + -m.g3 * b1 + m.u * b2 + m.t * b3;
  }
  float theta = 0.0f;
  for (std::size_t p = 0; p < 9; ++p) {
    const float co = std::cos(theta);
    const float si = std::sin(theta);
    const std::array<std::array<float, 3>, 3> pts = {
        {{co, si, 0.0f}, {0.0f, co, si}, {si, 0.0f, co}}};
    for (std::size_t q = 0; q < 3; ++q) {
      const std::array<float, 3>& pt = pts[q];
      std::array<float, 3>& out = s.sphere_circle[p + 9 * q];
      out[0] = pt[0];
      out[1] = -m.g2 * pt[0] + m.v * pt[1] + m.u * pt[2];
      out[2] = -m.g3 * pt[0] + m.u * pt[1] + m.t * pt[2];
    }
    theta += 0.17453f;
  }
}

void span_sphere_canvas() {
  run_state& s = state();
  for (std::string& line : s.span_graph) line.assign(graph_cols, ' ');
  put(s, 51, 31, '.');
  constexpr std::array<std::array<std::int32_t, 2>, 8> outline = {
      {{51, 1}, {38, 2}, {29, 4}, {21, 7}, {11, 13}, {5, 19}, {2, 25}, {1, 31}}};
  for (std::size_t p = 0; p < outline.size(); ++p) {
    const std::int32_t col = outline[p][0];
    const std::int32_t row = outline[p][1];
    put(s, col, row, '*');
    if (p >= 1) put(s, 102 - col, row, '*');
    if (p <= 6) put(s, col, 62 - row, '*');
    if (p >= 1 && p <= 6) put(s, 102 - col, 62 - row, '*');
  }
  for (std::size_t p = 1; p < 27; ++p) {
    if (p == 9 || p == 18) continue;
    put(s, screen_column(s.sphere_circle[p][1]), screen_row(s.sphere_circle[p][2]), '.');
  }
  const std::array<std::pair<std::size_t, char>, 3> axes = {{{0, 'Z'}, {9, 'X'}, {18, 'Y'}}};
  for (const auto& [p, letter] : axes) {
    put(s, screen_column(s.sphere_circle[p][1]), screen_row(s.sphere_circle[p][2]), letter);
  }
}

void span_sphere_points(std::int32_t set_no, const subspace& set) {
  run_state& s = state();
  const std::int32_t z = set.index[0];
  const std::int32_t x = set.index[1];
  const std::int32_t y = set.index[2];
  s.points.clear();
  for (std::int32_t i = 1; i <= s.NV; ++i) {
    if (s.share(set_no, i) < s.CLOPR) continue;
    const float r = s.reflect_sign[at(i)];
    if (r < 0.0f) s.set_mark[at(i)] = 'R';
    g_point p;
    p.column = screen_column(r * s.c(i, x));
    p.row = screen_row(r * s.c(i, y));
    p.depth = trunc_int(s.c(i, z) * 100.0f * r);
    p.variable = i;
    s.points.push_back(p);
  }
  const std::size_t n = s.points.size();
  for (std::size_t p = 0; p + 1 < n; ++p) {
    for (std::size_t q = p + 1; q < n; ++q) {
      if (span_point_after(s.points[p], s.points[q])) std::swap(s.points[p], s.points[q]);
    }
  }
  for (const g_point& p : s.points) {
    const std::int32_t c = std::abs(s.var_cluster[at(p.variable)]);
    if (s.reflect_sign[at(p.variable)] > 0.0f) {
      put(s, p.column, p.row, c == 0 ? '+' : cluster_symbol(c));
      s.set_mark[at(p.variable)] = 'V';
    } else if (c == 0) {
      put(s, p.column, p.row, '-');
      s.set_mark[at(p.variable)] = 'R';
    } else {
      std::int32_t left = p.column - 1;
      if (p.column == 0 || p.column == 1) left = 1;
      if (p.column == graph_cols) left = graph_cols - 1;
      if (p.column < 0 || p.column > graph_cols) proc_error("SPAN: point outside graph");
      put(s, left, p.row, '-');
      put(s, left + 1, p.row, cluster_symbol(c));
      s.set_mark[at(p.variable)] = 'R';
    }
  }
}

void span_sphere_print(std::int32_t set_no, const subspace& set) {
  run_state& s = state();
  const std::int32_t u = s.monout;
  const std::int32_t n = (s.ncline_m1 - 108) / 2;
  // The picture cannot be cut: its 70 records (heading, rulers, 61 rows) follow the page
  // header on one page.
  span_page_fits(70);
  span_page_new();
  span_page_skip(1);
  write_formatted(u, "(40X,\"Dimensions \",2(I2,\",\"),I2)",
                  {set.index[0], set.index[1], set.index[2]});
  span_page_skip(1);
  const std::size_t entry = at(2 * s.NF + set_no);
  if (s.index_pages.size() <= entry) s.index_pages.resize(entry + 1, 0);
  s.index_pages[entry] = span_page_number();
  // Narrow pages (no margin) print the rows without their margin item; the rulers keep
  // their three leading blank columns.
  const std::string ruler_layout =
      "(1X," + int_to_text(std::max(n, 0) + 3, 3) + "X,A101)";
  const std::string row_layout =
      n > 0 ? "(1X," + int_to_text(n, 3) + "X,I2,1X,A101,1X,I2)" : "(1X,I2,1X,A101,1X,I2)";
  constexpr std::string_view tens =
      "0         1         2         3         4         5         6         7         8    "
      "     9         0";
  constexpr std::string_view units =
      "012345678901234567890123456789012345678901234567890123456789012345678901234567890123"
      "45678901234567890";
  const auto rulers = [&] {
    write_formatted(u, ruler_layout, {tens});
    write_formatted(u, ruler_layout, {units});
  };
  rulers();
  write_formatted(u, "(1X)");
  for (std::int32_t r = 1; r <= graph_rows; ++r) {
    write_formatted(u, row_layout, {r, s.span_graph[at(r)], r});
  }
  write_formatted(u, "(1X)");
  rulers();
}

}  // namespace korvex::span2
