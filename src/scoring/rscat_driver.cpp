// The correlation scatterplot component RSCAT: its entry and the run that the entry drives.
// The run resets the page geometry, prints the heading, has INPUT read the cards and data,
// lists the data, explains the graph, prints each variable's mean and standard deviation and
// the values beyond 2.55 of them, then draws every requested pair: slice table, scattergram
// and spotter.
#include <cmath>
#include <string>
#include <vector>

#include "executive/component.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "scoring/rscat.hpp"
#include "scoring/rscat_internal.hpp"

namespace korvex {

namespace rscat {

namespace {

rscat_control_record g_control;

std::string first_chars(const std::string& text, std::size_t n) { return text.substr(0, n); }

// The component heading.
void print_heading() {
  rscat_control_record& c = rscat_control();
  pager(0);
  pager(-4);
  pr_line(0, c.width, "R  S  C  A  T", c.page, c.lines, c.monout);
  pager(-1);
  pr_line(0, c.width, "C O R R E L A T I O N  S C A T T E R P L O T S", c.page, c.lines,
          c.monout);
}

// The input data under the run title.
void list_data() {
  rscat_control_record& c = rscat_control();
  const std::string title =
      first_chars("Input data for " + std::string(io::trim_right(c.RTITLE)), 160);
  pr_matrix(c.XDATA, c.SUBJNAME, c.VLABEL, c.NSUB, c.NVAR, c.NSUB, 1, 3, title, c.page, c.lines,
            c.monout);
}

// The means and standard deviations.
void print_statistics() {
  rscat_control_record& c = rscat_control();
  pager(0);
  pager(1);
  pr_line(0, c.width, io::trim_right(c.RTITLE), c.page, c.lines, c.monout);
  pager(-1);
  pager(1);
  put("(\" Means and Standard Deviations\")");
  pager(-1);
  pager(c.NVAR);
  for (std::size_t j = 0; j < static_cast<std::size_t>(c.NVAR); ++j) {
    put("(30X,A20,4X,\"MEAN =\",F10.3, 10X,             \"STAN.DEV.=\", F10.3)",
        {c.VLABEL[j], c.MEANV[j], c.SDEV[j]});
  }
}

// The values outside their variable's plotting range.
void list_outside_values() {
  rscat_control_record& c = rscat_control();
  bool first = true;
  for (std::int32_t i = 1; i <= c.NSUB; ++i) {
    for (std::int32_t j = 1; j <= c.NVAR; ++j) {
      const auto uj = static_cast<std::size_t>(j - 1);
      const float v = c.x(i, j);
      if (std::isnan(v) || (c.LOWER[uj] <= v && v <= c.UPPER[uj])) continue;
      if (first) {
        first = false;
        pager(-4);
        pager(3);
        put("(\" The following subjects have score sthat are more than 2.55 standard deviations "
            "above or below the mean\")");
        put("(\" on the indicated variables.  Their scores are plotted as 2.55 s.d. above or "
            "below the mean, but are computed\")");
        put("(\" as the original value.\")");
        pager(-2);
        pager(1);
        put("(13X,\"Subject\",26X,\"Variable\",30X,\"Score\")");
        pager(-2);
      }
      pager(1);
      put("(1X,I8,4X,A20,13X,A20,11X,F12.3)",
          {i, c.SUBJNAME[static_cast<std::size_t>(i - 1)], c.VLABEL[uj], v});
    }
  }
}

// One pair: slice table, scattergram and, unless suppressed, the spotter.
void draw_pair(std::int32_t X, std::int32_t Y) {
  pair_result pr;
  slice_table(X, Y, pr);
  scattergram_result g;
  scattergram(X, Y, pr, g);
  if (rscat_control().SPOT == 0) print_spotter(X, Y, pr.plotted, g);
}

// The pairs in the order of the selection mode.
void draw_pairs() {
  const rscat_control_record& c = rscat_control();
  if (c.SELECT == 1) {
    for (std::int32_t x = 1; x < c.NVAR; ++x) {
      for (std::int32_t y = x + 1; y <= c.NVAR; ++y) draw_pair(x, y);
    }
  } else if (c.SELECT == 2) {
    for (std::int32_t y = 1; y <= c.NVAR; ++y) {
      if (y != c.COMMON) draw_pair(c.COMMON, y);
    }
  } else {
    for (std::int32_t l = 0; l < c.NPAIRS; ++l) {
      draw_pair(c.PAIRS[static_cast<std::size_t>(l)][0], c.PAIRS[static_cast<std::size_t>(l)][1]);
    }
  }
}

}  // namespace

rscat_control_record& rscat_control() { return g_control; }

double single(double x) {
  if (!std::isfinite(x)) return x;
  if (fits_single(x)) return static_cast<double>(static_cast<float>(x));
  // Past the largest float: the significand rounded to 24 bits, the exponent kept.
  int exponent = 0;
  const double fraction = std::frexp(x, &exponent);
  return std::ldexp(static_cast<double>(static_cast<float>(fraction)), exponent);
}

void plotting_range(std::int32_t v) {
  rscat_control_record& c = rscat_control();
  const std::size_t u = at(v);
  const double half_width = single(static_cast<double>(2.55f) * static_cast<double>(c.SDEV[u]));
  c.LOWER[u] = single(static_cast<double>(c.MEANV[u]) - half_width);
  c.UPPER[u] = single(static_cast<double>(c.MEANV[u]) + half_width);
}

void pager(std::int32_t n) {
  rscat_control_record& c = rscat_control();
  PAGER(n, c.page, c.lines, c.monout);
}

void put(std::string_view layout, std::initializer_list<io::Value> values) {
  write_formatted(rscat_control().monout, layout, values);
}

void explain_graph() {
  rscat_control_record& c = rscat_control();
  pager(-2);
  pr_line(-1, c.width, "Explanation of the Graph", c.page, c.lines, c.monout);
  pager(-2);
  pager(3);
  const auto text = [](std::string_view line) { put("(1x,A)", {line}); };
  text("The leftmost and the bottom calibrations show percentile ranks.");
  text("The calibrations next to the percentile ranks indicate input score scale.");
  text("The rightmost and the top calibrations are marginal sums.");
  pager(-2);
  pager(1);
  text("The mean is indicated by the line consisting of ... .");
  pager(-1);
  pager(1);
  text("The median is the score corresponding to the percentile rank of 50.");
  pager(-1);
  pager(1);
  text("The mode is the score which has the largest marginal sum.");
  pager(-1);
  pager(2);
  text(" When frequencies exceed two digits the following convention is followed..");
  text("     A0=100,A1=101,...,B0=110,...,C0=120,...,Z9=359, AND **=360 or greater.");
  pager(-1);
  pager(2);
  text("In linear prediction of, say,  Y  from  X , the equation is  Y = BX + A");
  text("    Where  X  Represents the score input to RSCAT.");
  text("    The  A  and  B  values are printed below the table of prediction.");
}

void variable_statistics() {
  rscat_control_record& c = rscat_control();
  for (std::int32_t j = 1; j <= c.NVAR; ++j) {
    const auto uj = static_cast<std::size_t>(j - 1);
    // The squares are taken about the variable's own mean, totalled in double: raw moments of
    // data whose mean is large against its spread lose that spread, in double as well.
    double n = 0.0;
    double s = 0.0;
    for (std::int32_t i = 1; i <= c.NSUB; ++i) {
      const float v = c.x(i, j);
      if (std::isnan(v)) continue;
      n += 1.0;
      s += static_cast<double>(v);
    }
    const double mean = s / n;
    double q = 0.0;
    for (std::int32_t i = 1; i <= c.NSUB; ++i) {
      const float v = c.x(i, j);
      if (std::isnan(v)) continue;
      const double d = static_cast<double>(v) - mean;
      q += d * d;
    }
    c.MEANV[uj] = static_cast<float>(mean);
    c.SDEV[uj] = static_cast<float>(std::sqrt(q / n));
    plotting_range(j);
  }
}

void rscat_main() {
  rscat_control_record& c = rscat_control();
  module_start();
  init_page();
  c.MAXVAL = capacity;
  c.page = 0;
  c.lines = 0;
  c.monout = get_unit("MONOUT");
  c.width = get_ncline_m1();
  print_heading();
  INPUT();
  if (c.NOLIST == 0) list_data();
  explain_graph();
  variable_statistics();
  print_statistics();
  list_outside_values();
  draw_pairs();
  pager(-5);
  return_to_gep();
}

}  // namespace rscat

void reset_rscat() { rscat::rscat_control() = rscat::rscat_control_record{}; }

void RSCAT() {
  reset_rscat();
  // The subject names live for one run only, whichever way the run ends.
  struct release_on_exit {
    ~release_on_exit() { std::vector<std::string>().swap(rscat::rscat_control().SUBJNAME); }
  } release;
  rscat::rscat_main();
}

}  // namespace korvex
