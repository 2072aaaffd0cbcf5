// The analysis of one dimensionality of SPAN2: the sphere turn and picture against an
// independent replica (tests/reference/span2_sphere.py), the symbols and marks, the spotter
// and cross-reference layouts, the coordinates and summaries, reduced output and the
// degenerate inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "printing/page.hpp"
#include "structure/span2_internal.hpp"
#include "test_span2_fixture.hpp"

namespace korvex::testing {
namespace {

using span2::state;

struct Replica {
  double z, x, y, share;
  int plotted, column, row, depth;
};
// Variables 1-8, then the axis ends Z, X, Y (column and row only).
const std::vector<Replica> replica = {
#include "../reference/span2_sphere.inc"
};

// The values of a listing line after its first `skip` characters, read as numbers.
std::vector<double> values_of(const std::string& line, std::size_t skip) {
  std::vector<double> out;
  std::istringstream in(line.substr(skip));
  for (double v; in >> v;) out.push_back(v);
  return out;
}

char cell(std::int32_t column, std::int32_t row) {
  return state().span_graph[span2::at(row)][span2::at(column)];
}

// Mode 2 with the single analyst set (1, 2, 3): the card, the set and the ending card.
std::vector<std::string> set_123(const std::string& tail = "") {
  return {"   2" + tail, "   1   2   3", ""};
}

TEST_F(SpanRun, SphereTurnAndPictureEqualTheReplica) {
  put_title();
  put_coef(eight_by_four());
  const RunResult r = run(set_123());
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> out = listing();
  // The turned coordinates, tagged Z, X and Y.
  const char* tags[] = {" DIMENSION   1Z", " DIMENSION   2X", " DIMENSION   3Y"};
  for (int d = 0; d < 3; ++d) {
    const int at = find_line(out, tags[d]);
    ASSERT_NE(at, -1) << tags[d];
    const std::vector<double> v = values_of(out[static_cast<std::size_t>(at)], 15);
    ASSERT_EQ(v.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
      const double want = d == 0 ? replica[i].z : d == 1 ? replica[i].x : replica[i].y;
      EXPECT_NEAR(v[i], want, 0.001) << tags[d] << " variable " << i + 1;
    }
  }
  const int pct = find_line(out, " PERCENT OF COMMUNALITY");
  const std::vector<double> shares = values_of(out[static_cast<std::size_t>(pct)], 23);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_NEAR(shares[i], replica[i].share, 0.001);

  // Points at their replica positions (the points are left sorted by variable).
  const std::vector<span2::g_point>& pts = state().points;
  std::size_t p = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    if (replica[i].plotted == 0) continue;
    ASSERT_LT(p, pts.size());
    EXPECT_EQ(pts[p].variable, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(pts[p].column, replica[i].column) << i + 1;
    EXPECT_EQ(pts[p].row, replica[i].row) << i + 1;
    EXPECT_EQ(pts[p].depth, replica[i].depth) << i + 1;
    EXPECT_EQ(cell(replica[i].column, replica[i].row), '+') << i + 1;
    ++p;
  }
  EXPECT_EQ(p, pts.size());
  EXPECT_EQ(cell(replica[8].column, replica[8].row), 'Z');
  EXPECT_EQ(cell(replica[9].column, replica[9].row), 'X');
  EXPECT_EQ(cell(replica[10].column, replica[10].row), 'Y');
  EXPECT_EQ(cell(51, 31), '.');
  int stars = 0;
  for (const std::string& line : state().span_graph) {
    for (char ch : line) stars += ch == '*' ? 1 : 0;
  }
  EXPECT_EQ(stars, 28);
  // The whole picture: outline, quarter circles, axis letters and points.
  const std::vector<std::string> picture = {
#include "../reference/span2_sphere_picture.inc"
  };
  ASSERT_EQ(picture.size(), 61u);
  for (std::size_t r = 0; r < 61; ++r) EXPECT_EQ(state().span_graph[r], picture[r]) << "row " << r + 1;

  // The picture page: rulers, rows framed by their numbers, margin 4 at width 118.
  const int dims = find_line(out, std::string(40, ' ') + "Dimensions  1, 2, 3");
  ASSERT_NE(dims, -1);
  const std::string tens = "0         1         2         3         4         5         6         7"
                           "         8         9         0";
  EXPECT_EQ(out[static_cast<std::size_t>(dims + 2)], std::string(8, ' ') + tens);
  const std::string& row1 = out[static_cast<std::size_t>(dims + 5)];
  EXPECT_EQ(row1, "      1 " + state().span_graph[0] + "  1");
  EXPECT_EQ(out[static_cast<std::size_t>(dims + 5 + 60)].substr(0, 8), "     61 ");
  // The index page points to the picture's page.
  const std::string& header = out[static_cast<std::size_t>(dims - 2)];
  const std::string page = header.substr(header.rfind("Page") + 4);
  const int set_line = find_line(out, std::string(45, ' ') + "SET  1  . . . . . . . . . . . . . .");
  ASSERT_NE(set_line, -1);
  EXPECT_EQ(out[static_cast<std::size_t>(set_line)].substr(80), std::string(3 - page.size(), ' ') + page);
}

TEST_F(SpanRun, ReflectedDefinerSymbolsAndSpotterEntry) {
  put_title();
  Rows rows = eight_by_four();
  for (float& v : rows[6]) v = -v;  // variable 7 reflected, at the same picture position
  put_coef(rows);
  put_reflx({{1}, {3, -7}});
  const RunResult r = run(set_123());
  ASSERT_FALSE(r.stopped) << r.console;
  const Replica& v7 = replica[6];
  EXPECT_EQ(cell(v7.column - 1, v7.row), '-');
  EXPECT_EQ(cell(v7.column, v7.row), '2');
  EXPECT_EQ(cell(replica[0].column, replica[0].row), '1');
  EXPECT_EQ(state().set_mark[6], 'R');
  const std::vector<std::string> out = listing();
  const std::string label = "-7R2 [" + std::to_string(v7.row) + "," +
                            std::to_string(v7.column - 1) + "," + std::to_string(v7.depth) + "]";
  const int at = find_line(out, label);
  ASSERT_NE(at, -1) << label;
  EXPECT_NE(out[static_cast<std::size_t>(at + 1)].find("-           Variable7"), std::string::npos);
  EXPECT_NE(find_line(out, "  7  " + std::string(11, ' ') + "Variable7  [" + std::to_string(v7.row) + "," +
                               std::to_string(v7.column - 1) + "]"),
            -1);
}

TEST(Span2Symbols, ClusterSymbols) {
  EXPECT_EQ(span2::cluster_symbol(0), ' ');
  EXPECT_EQ(span2::cluster_symbol(1), '1');
  EXPECT_EQ(span2::cluster_symbol(9), '9');
  EXPECT_EQ(span2::cluster_symbol(10), 'A');
  EXPECT_EQ(span2::cluster_symbol(35), 'Z');
  EXPECT_EQ(span2::cluster_symbol(36), 'a');
  EXPECT_EQ(span2::cluster_symbol(50), 'o');
  EXPECT_EQ(span2::screen_column(0.0f), 51);
  EXPECT_EQ(span2::screen_row(0.0f), 31);
  EXPECT_EQ(span2::screen_column(-1.0f), 1);
  EXPECT_EQ(span2::screen_column(1.0f), 101);
  EXPECT_EQ(span2::screen_row(1.0f), 1);
  EXPECT_EQ(span2::screen_row(-1.0f), 61);
}

// A hand-made set of three variables for the drawing and spotter routines.
void small_state(std::int32_t nv) {
  span2::reset_state();
  span2::run_state& s = state();
  s.NV = nv;
  s.NF = 3;
  s.CLOPR = 0.5f;
  s.coef.assign(999 * 50, 0.0f);
  s.reflect_sign.assign(static_cast<std::size_t>(nv), 1.0f);
  s.var_cluster.assign(static_cast<std::size_t>(nv), 0);
  s.h2.assign(static_cast<std::size_t>(nv), 0.5f);
  s.order.resize(static_cast<std::size_t>(nv));
  s.var_names.resize(static_cast<std::size_t>(nv));
  for (std::int32_t i = 1; i <= nv; ++i) {
    s.order[span2::at(i)] = i;
    s.var_names[span2::at(i)] = std::string(20 - 4, ' ') + "V" + int_to_text(i, 3);
  }
  s.set_mark.assign(static_cast<std::size_t>(nv), 'V');
  s.set_share.assign(static_cast<std::size_t>(nv), 1.0f);
}

TEST(Span2Symbols, DefinersAtTheRimAndPointOrder) {
  small_state(4);
  span2::run_state& s = state();
  s.var_cluster = {10, 36, 0, 50};
  s.reflect_sign = {-1.0f, 1.0f, 1.0f, 1.0f};
  s.coef_copy = s.coef;
  // Variable 1 reflected at the left rim, 2 and 3 in one cell (3 wins), 4 at the right rim.
  const span2::subspace set{3, 1, {1, 2, 3}};
  s.c(1, 2) = 1.0f;   // reflected: picture x = -1, column 1
  s.c(2, 2) = 0.5f;
  s.c(3, 2) = 0.5f;
  s.c(4, 2) = 1.0f;
  span2::span_sphere_canvas();
  span2::span_sphere_points(1, set);
  EXPECT_EQ(cell(1, 31), '-');
  EXPECT_EQ(cell(2, 31), 'A');
  EXPECT_EQ(cell(span2::screen_column(0.5f), 31), '+');
  EXPECT_EQ(cell(101, 31), 'o');
  ASSERT_EQ(s.points.size(), 4u);
  EXPECT_EQ(s.points[0].variable, 1);
  EXPECT_EQ(s.points[1].variable, 2);
  EXPECT_EQ(s.points[2].variable, 3);
  EXPECT_EQ(s.set_mark, "RVVV");
  // A reflected definer one column right of another point overwrites that point's cell.
  small_state(2);
  state().var_cluster = {0, 36};
  state().reflect_sign = {1.0f, -1.0f};
  state().c(1, 2) = 0.0f;
  state().c(2, 2) = -0.02f;  // reflected x = 0.02: column 52
  span2::span_sphere_canvas();
  span2::span_sphere_points(1, set);
  EXPECT_EQ(cell(51, 31), '-');
  EXPECT_EQ(cell(52, 31), 'a');
}

TEST(Span2Symbols, SpotterEntriesOfOneCell) {
  small_state(3);
  span2::run_state& s = state();
  s.options.MINCOM = 0.25f;
  s.h2 = {0.5f, 0.25f, 0.5f};
  s.reflect_sign = {1.0f, -1.0f, 1.0f};
  s.var_cluster = {0, -2, 12};
  s.set_mark = "VRV";
  s.points = {{102, 61, -120, 1}, {102, 61, 5, 2}, {102, 61, 5, 3}};
  std::vector<std::string> upper;
  std::vector<std::string> lower;
  span2::span_set_label(0, 2, upper, lower, 21);
  ASSERT_EQ(upper.size(), 3u);
  EXPECT_EQ(upper[0], "     (1V [61,101,-99]");
  EXPECT_EQ(upper[1], "     -2*R2 [61,101,5]");
  EXPECT_EQ(upper[2], "      3VC [61,101,5])");
  EXPECT_EQ(lower[1], "-                V002");
  EXPECT_EQ(lower[0], "                 V001");
  upper.clear();
  lower.clear();
  span2::span_set_label(2, 2, upper, lower, 21);
  EXPECT_EQ(upper[0], "       3VC [61,101,5]");
}

TEST(Span2Layouts, CrossReferenceColumnsAlwaysKeepABlank) {
  const span2::xref_layout std118 = span2::span_xref_layout(117, 20);
  EXPECT_EQ(std118.m, 3);
  EXPECT_EQ(std118.tab, 1);
  EXPECT_EQ(std118.gap, 5);
  for (std::int32_t c = 49; c <= 131; ++c) {
    const span2::xref_layout x = span2::span_xref_layout(c, 20);
    EXPECT_GE(x.gap, 1) << c;
    EXPECT_LE(x.tab - 1 + x.m * (x.gap + 34), c) << c;
  }
}

TEST_F(SpanRun, CrossReferenceRunsDownThePageFirst) {
  small_state(200);
  span2::run_state& s = state();
  s.monout = get_unit("MONOUT");
  s.nlpage = 78;
  s.ncline_m1 = 117;
  span2::span_page_init();
  for (std::int32_t i = 200; i >= 1; --i) s.points.push_back({i % 101 + 1, i % 61 + 1, 0, i});
  span2::span_cross_reference(1);
  const std::vector<std::string> out = listing();
  const int head = find_line(out, "SET 1  Cross Reference Table");
  ASSERT_NE(head, -1);
  ASSERT_EQ(out.size(), static_cast<std::size_t>(head) + 2 + 76);
  const auto line = [&](int i) { return out[static_cast<std::size_t>(head + 1 + i)]; };
  // One entry: 5 blanks, the number in 3, 2 blanks, the name, 2 blanks, the label in 7.
  const auto entry = [](int v) {
    std::string number = std::to_string(v);
    std::string label = "[" + std::to_string(v % 61 + 1) + "," + std::to_string(v % 101) + "]";
    label.resize(7, ' ');
    return std::string(5, ' ') + std::string(3 - number.size(), ' ') + number + "  " +
           std::string(16, ' ') + "V" + int_to_text(v, 3) + "  " + label;
  };
  EXPECT_EQ(line(1), " " + entry(1) + entry(77) + entry(153));
  EXPECT_EQ(line(48), " " + entry(48) + entry(124) + entry(200));
  EXPECT_EQ(line(49), " " + entry(49) + entry(125));
  EXPECT_EQ(line(76), " " + entry(76) + entry(152));
}

TEST_F(SpanRun, ZeroCentroidKeepsTheViewUnturned) {
  put_title();
  put_coef(eight_by_four());
  const RunResult r = run(set_123("                    1.5"));
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_TRUE(state().points.empty());
  EXPECT_EQ(cell(51, 31), 'Z');
  EXPECT_EQ(cell(101, 31), 'X');
  EXPECT_EQ(cell(51, 1), 'Y');
}

TEST_F(SpanRun, RigidRotationTurnsToTheDefiners) {
  put_title();
  put_coef(eight_by_four());
  // Definers of dimension 3 only: variables 5 and 6; the view turns to their sum.
  put_reflx({{}, {}, {5, 6}});
  const RunResult r = run(set_123(std::string(32, ' ') + "   1"));
  ASSERT_FALSE(r.stopped) << r.console;
  // Variables 5 and 6 lie near the centre; the turned z axis of a centroid close to
  // dimension 3 falls near the bottom of the picture.
  const std::vector<span2::g_point>& pts = state().points;
  for (const span2::g_point& p : pts) {
    if (p.variable == 5 || p.variable == 6) {
      EXPECT_NEAR(p.column, 51, 3);
      EXPECT_NEAR(p.row, 31, 3);
    }
  }
}

TEST_F(SpanRun, NarrowPagesPrintThePictureWithoutMargin) {
  put_title();
  put_coef(eight_by_four());
  set_ncline(100);
  const RunResult r = run(set_123());
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> out = listing();
  const int dims = find_line(out, std::string(40, ' ') + "Dimensions  1, 2, 3");
  ASSERT_NE(dims, -1);
  EXPECT_EQ(out[static_cast<std::size_t>(dims + 2)].substr(0, 5), "    0");
  EXPECT_EQ(out[static_cast<std::size_t>(dims + 5)], "  1 " + state().span_graph[0] + "  1");
}

TEST_F(SpanRun, CoordinatesAndSummariesEqualTheShares) {
  put_title();
  Rows rows;
  for (int i = 0; i < 25; ++i) {
    const float a = 0.1f + 0.03f * static_cast<float>(i);
    rows.push_back({a, 0.8f - a * 0.5f, 0.3f, 0.2f - 0.01f * static_cast<float>(i)});
  }
  put_coef(rows);
  const RunResult r = run({"   2", "   1   4", "   2   3", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> out = listing();
  std::vector<double> h2(25), s14(25), s23(25);
  for (std::size_t i = 0; i < 25; ++i) {
    double h = 0.0;
    for (float v : rows[i]) h += static_cast<double>(v) * v;
    h2[i] = h;
    s14[i] = (rows[i][0] * rows[i][0] + rows[i][3] * rows[i][3]) / h;
    s23[i] = (rows[i][1] * rows[i][1] + rows[i][2] * rows[i][2]) / h;
  }
  const auto strip_values = [&](const std::string& caption) {
    std::vector<double> all;
    for (int at = find_line(out, caption); at != -1; at = find_line(out, caption, at + 1)) {
      const std::vector<double> v = values_of(out[static_cast<std::size_t>(at)], 22);
      all.insert(all.end(), v.begin(), v.end());
    }
    return all;
  };
  const std::vector<double> pct1 = strip_values(" PERCENT IN SET  1 . . ");
  const std::vector<double> pct2 = strip_values(" PERCENT IN SET  2 . . ");
  const std::vector<double> part2 = strip_values(" PARTIAL IN SET  2 . . ");
  const std::vector<double> total = strip_values(" TOTAL IN  4-SPACE     ");
  ASSERT_EQ(pct1.size(), 25u);
  ASSERT_EQ(total.size(), 25u);
  for (std::size_t i = 0; i < 25; ++i) {
    EXPECT_NEAR(pct1[i], s14[i], 0.001) << i;
    EXPECT_NEAR(pct2[i], s23[i], 0.001) << i;
    EXPECT_NEAR(part2[i], s23[i] * h2[i], 0.001) << i;
    EXPECT_NEAR(total[i], h2[i], 0.001) << i;
  }
  // Strips of 10, 10 and 5 values.
  int at = find_line(out, " DIMENSION   1 ");
  std::vector<std::size_t> widths;
  for (; at != -1 && widths.size() < 3; at = find_line(out, " DIMENSION   1 ", at + 1)) {
    widths.push_back(values_of(out[static_cast<std::size_t>(at)], 15).size());
  }
  EXPECT_EQ(widths, (std::vector<std::size_t>{10, 10, 5}));
  EXPECT_EQ(out[static_cast<std::size_t>(find_line(out, " DIMENSION   1 "))].size(), 113u);
}

TEST_F(SpanRun, ShareEqualToCloprIsMarkedAndTheSummaryHeadersShowTheirMarks) {
  put_title();
  // Unit rows; CLOPR 1.0: variable 1 holds exactly 1.0 in set (1), variable 3 in set (2).
  put_coef({{1.0f, 0.0f, 0.0f}, {0.6f, 0.8f, 0.0f}, {0.0f, 1.0f, 0.0f}});
  const RunResult r = run({"   2" + std::string(16, ' ') + "     1.0", "   1", "   2", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(state().any_set_mark, "V V");
  EXPECT_EQ(state().set_mark, "  V");  // the marks of the last set
  const std::vector<std::string> out = listing();
  const auto marked_labels = [&](const std::string& title) {
    const int at = find_line(out, title);
    int marked = 0;
    for (int i = at + 1; i <= at + 9; ++i) {
      const std::string& l = out[static_cast<std::size_t>(i)];
      if (l.find("PERCENT IN") != std::string::npos || l.find("PARTIAL IN") != std::string::npos) {
        break;
      }
      marked += l.size() > 1 && l.back() == 'V' ? 1 : 0;
    }
    return marked;
  };
  EXPECT_EQ(marked_labels("Summary  -  Percentages of communalities in 1-space"), 2);
  EXPECT_EQ(marked_labels("Summary  -  Partial and total communalities in 1-space"), 1);
}

TEST_F(SpanRun, ReducedOutputKeepsPicturesAndSpottersAndRestoresTheCoefficients) {
  put_title();
  put_coef(eight_by_four());
  RunResult r = run({"   1   1   3   4   1" + std::string(20, ' ') + "   1"});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<span2::subspace> reduced = state().n_ptr;
  std::vector<std::string> out = listing();
  EXPECT_EQ(find_line(out, "Augmented"), -1);
  EXPECT_EQ(find_line(out, "Cross Reference"), -1);
  EXPECT_EQ(find_line(out, "Summary"), -1);
  EXPECT_EQ(find_line(out, "I N D E X"), -1);
  EXPECT_NE(find_line(out, "SPOTTER"), -1);
  EXPECT_NE(find_line(out, std::string(40, ' ') + "Dimensions "), -1);
  const std::size_t before = out.size();
  r = run({"   1   1   3   4   1"});
  ASSERT_FALSE(r.stopped) << r.console;
  ASSERT_EQ(state().n_ptr.size(), reduced.size());
  for (std::size_t i = 0; i < reduced.size(); ++i) {
    EXPECT_EQ(state().n_ptr[i].index, reduced[i].index);
  }
  out = listing();
  EXPECT_NE(find_line(out, "Augmented", static_cast<int>(before)), -1);
  EXPECT_NE(find_line(out, "I N D E X", static_cast<int>(before)), -1);
}

// Short pages: the opening runs on over pages, the tables of k other than 3 print, and a
// sphere picture, which cannot be cut, stops the run with the page length it needs: its 70
// records after the page header (tests/reference/span2_long_rows.out).
TEST_F(SpanRun, ShortPagesRunOnAndAPictureNamesThePageLengthItNeeds) {
  put_title();
  put_coef(eight_by_four());
  struct Case {
    std::int32_t nlpage;
    const char* card;
    bool stops;
  };
  const std::vector<Case> cases = {
      {20, "   1   1   1   2   1", false}, {50, "   1   1   1   2   1", false},
      {50, "", true},  {70, "", true},  {71, "", false},  {999, "", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.nlpage) + " lines, card '" + c.card + "'");
    set_nlpage(c.nlpage);
    const std::size_t before = listing().size();
    const RunResult r = run({c.card});
    const std::vector<std::string> all = listing();
    const std::vector<std::string> out(all.begin() + static_cast<std::ptrdiff_t>(before),
                                       all.end());
    EXPECT_EQ(r.console.find("blk_size"), std::string::npos);
    // The whole opening is printed in every case.
    EXPECT_NE(find_line(out, "RIGID ROTATION - (0) ON ALL PLOTTED POINTS"), -1);
    if (c.stops) {
      EXPECT_TRUE(r.stopped);
      EXPECT_NE(r.console.find("SPAN2 NEEDS A PAGE LENGTH OF AT LEAST 71 LINES"),
                std::string::npos)
          << r.console;
      EXPECT_EQ(find_line(out, "0         1         2"), -1);
    } else {
      ASSERT_FALSE(r.stopped) << r.console;
      EXPECT_NE(find_line(out, "Summary  -  Partial and total communalities"), -1);
    }
    if (c.nlpage == 20) {
      // The opening of 58 lines takes more than one page of 20.
      const int echo = find_line(out, "THE MODE OF SELECTION");
      EXPECT_GE(count_lines(std::vector<std::string>(out.begin(), out.begin() + echo),
                            "1KORVEX"),
                3);
    }
  }
}

}  // namespace
}  // namespace korvex::testing

namespace korvex::testing {
namespace {

TEST_F(SpanRun, EveryAcceptedWidthRunsToItsEnd) {
  put_title();
  std::vector<std::string> names;
  for (int i = 1; i <= 8; ++i) names.push_back("A_twenty_char_name_" + std::to_string(i % 10));
  put_isf_names(names);
  put_coef(eight_by_four());
  for (const std::int32_t width : {50, 69, 70, 100, 103, 104, 105, 110, 111, 132}) {
    set_ncline(width);
    const RunResult r = run({"   3   1   2   3   1", "   1   2   3", ""});
    EXPECT_FALSE(r.stopped) << width << r.console;
    EXPECT_FALSE(state().points.empty());
  }
}

TEST_F(SpanRun, CrowdedSpotterRowsPrintInNumberedGroups) {
  small_state(7);
  span2::run_state& s = state();
  s.monout = get_unit("MONOUT");
  s.nlpage = 78;
  s.ncline_m1 = 117;
  s.n_ptr = {span2::subspace{3, 1, {1, 2, 3}}};
  span2::span_page_init();
  for (std::int32_t i = 1; i <= 7; ++i) s.points.push_back({10 * i, 5, 0, i});
  span2::span_spotter(1, 3);
  const std::vector<std::string> out = listing();
  const int g0 = find_line(out, "  5.0");
  const int g1 = find_line(out, "  5.1");
  ASSERT_NE(g0, -1);
  ASSERT_NE(g1, -1);
  // Five entries of 1 + 21 columns after "  5.0" and 3 blanks: a record of ncline columns.
  EXPECT_EQ(out[static_cast<std::size_t>(g0)].size(), 118u);
  EXPECT_EQ(out[static_cast<std::size_t>(g0)].substr(0, 9), "  5.0    ");
  EXPECT_EQ(out[static_cast<std::size_t>(g0 + 1)].size(), 118u);
  EXPECT_EQ(out[static_cast<std::size_t>(g0 + 2)], " ");
  EXPECT_EQ(out[static_cast<std::size_t>(g1)].size(), 1u + 2 + 2 + 3 + 2 * 22);
  // A row that fits on one line shows only its number, after r + 2 = 5 blanks.
  s.points = {{10, 7, 0, 1}};
  span2::span_spotter(1, 3);
  const std::vector<std::string> again = listing();
  EXPECT_EQ(again.back(), " ");
  // 5 blanks, then per entry 1 blank and the entry right-justified in 21 columns.
  EXPECT_EQ(again[again.size() - 4], "  7" + std::string(5 + 1 + 11, ' ') + "1V [7,9,0]");
}


// A spotter row that one page cannot hold (groups of five entries, one reserved line each)
// runs on over pages group by group, each new page repeating the spotter heading, and
// every entry is printed (the pages as in tests/reference/span2_long_rows.out).
TEST_F(SpanRun, SpotterRowLongerThanAPageRunsOnOverPages) {
  struct Case {
    std::int32_t points;
    std::int32_t nlpage;
    std::vector<std::int32_t> first_groups;  // the first group on each spotter page
  };
  const std::vector<Case> cases = {{380, 78, {0}},          {400, 78, {0, 76}},
                                   {450, 78, {0, 76}},      {999, 78, {0, 76, 153}},
                                   {999, 999, {0}},         {999, 71, {0, 69, 139}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.points) + " points, " + std::to_string(c.nlpage) + " lines");
    small_state(c.points);
    span2::run_state& s = state();
    s.monout = get_unit("MONOUT");
    s.nlpage = c.nlpage;
    s.ncline_m1 = 117;
    s.n_ptr = {span2::subspace{3, 1, {1, 2, 3}}};
    set_nlpage(c.nlpage);
    span2::span_page_init();
    for (std::int32_t i = 1; i <= c.points; ++i) s.points.push_back({51, 31, 0, i});
    const std::size_t before = listing().size();
    span2::span_spotter(1, 3);
    const std::vector<std::string> all = listing();
    const std::vector<std::string> out(all.begin() + static_cast<std::ptrdiff_t>(before),
                                       all.end());
    std::vector<int> heads;
    for (int i = 0; i < static_cast<int>(out.size()); ++i) {
      if (out[static_cast<std::size_t>(i)].find("SET 1  SPOTTER") != std::string::npos) {
        heads.push_back(i);
      }
    }
    ASSERT_EQ(heads.size(), c.first_groups.size());
    for (std::size_t p = 0; p < heads.size(); ++p) {
      const auto h = static_cast<std::size_t>(heads[p]);
      EXPECT_EQ(out[h + 1].substr(0, 36), std::string(25, ' ') + "Dimensions ");
      EXPECT_EQ(out[h + 2], " ");
      const std::string group = " 31." + std::to_string(c.first_groups[p]);
      EXPECT_EQ(out[h + 3].substr(0, group.size() + 1), group + " ");
      if (p > 0) {
        const std::string before_break = " 31." + std::to_string(c.first_groups[p] - 1) + " ";
        EXPECT_EQ(out[h - 4].substr(0, before_break.size()), before_break);
      }
    }
    // Every entry once, the entries of every group in the same columns whatever the digits
    // of its group number: 5 entries of 1 + 21 columns end in column 118.
    const std::int32_t groups = (c.points + 4) / 5;
    EXPECT_EQ(count_lines(out, "V [31,50,0]"), groups);
    for (std::int32_t g = 0; g < groups; ++g) {
      const int at = find_line(out, " 31." + std::to_string(g) + " ");
      ASSERT_NE(at, -1) << g;
      const std::string& line = out[static_cast<std::size_t>(at)];
      const std::int32_t last = std::min(c.points, 5 * g + 5);
      const std::string tail = std::to_string(last) + "V [31,50,0]" +
                               (last == c.points ? ")" : "");
      const std::int32_t entries = last - 5 * g;
      EXPECT_EQ(line.size(), static_cast<std::size_t>(8 + 22 * entries)) << line;
      EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << line;
    }
  }
}

}  // namespace
}  // namespace korvex::testing
