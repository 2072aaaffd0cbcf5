// The pages of a SPAN2 listing: its own page state copied from the listing at the start,
// line reservation, the plain and the titled page headers (numbered from 1 in each run),
// and the closing index page that points to the pages of every dimensionality and picture.
#include <string>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "structure/span2_internal.hpp"

namespace korvex::span2 {

namespace {

// Starts a titled page: a blank record on the old page, then "1", the title centred in what
// the page number leaves free, and "Page" with the number. head and tail surround the one
// number of the title; with second set, the coordinates title with its second number.
void titled_header(std::string_view head, std::int32_t n1, std::string_view mid,
                   const std::int32_t* n2, std::string_view tail) {
  page_record& p = page_state();
  write_formatted(p.unit, "(1X)");
  ++p.page;
  const std::int32_t d = decimal_digits(p.page);
  std::int32_t title_length = static_cast<std::int32_t>(head.size() + mid.size() + tail.size()) +
                              decimal_digits(n1);
  if (n2 != nullptr) title_length += decimal_digits(*n2);
  const std::int32_t f = p.ncline - (1 + title_length + 4 + d);
  const std::int32_t left = std::max(0, (f + 1) / 2);
  const std::int32_t right = std::max(0, f - (f + 1) / 2);
  const std::string lgap(static_cast<std::size_t>(left), ' ');
  const std::string rgap(static_cast<std::size_t>(right), ' ');
  if (n2 != nullptr) {
    write_formatted(p.unit, "(\"1\",A,A,I0,A,I0,A,A,I0)",
                    {lgap, head, n1, mid, *n2, rgap, "Page", p.page});
  } else {
    write_formatted(p.unit, "(\"1\",A,A,I0,A,A,A,I0)",
                    {lgap, head, n1, std::string(mid) + std::string(tail), rgap, "Page", p.page});
  }
  p.lines_left = p.nlpage - 1;
}

// One index entry: k right-aligned in the first 40 columns, the analysis line and its page,
// a blank record, and the summary line with its page.
void index_block(std::int32_t unit, std::int32_t k, std::int32_t analysis, std::int32_t summary) {
  write_formatted(unit, "(1X/1X/1X)");
  write_formatted(unit, "(I40,\"  DIMENSIONAL ANALYSIS . . . . . . . . .\",I3)", {k, analysis});
  write_formatted(unit, "(1X)");
  write_formatted(unit, "(40X,\"  SUMMARY  . . . . . . . . . . . . . . .\",I3)", {summary});
}

}  // namespace

void span_page_init() {
  page_record& p = page_state();
  p.page = 0;
  p.lines_left = 0;
  p.unit = get_unit("MONOUT");
  p.ncline = get_ncline();
  p.ncline_m1 = p.ncline - 1;
  p.nlpage = get_nlpage();
}

bool span_page_holds(std::int32_t blk_size) { return blk_size < page_state().nlpage; }

void span_page_fits(std::int32_t blk_size) {
  if (span_page_holds(blk_size)) return;
  proc_error(io::format_line("(\"SPAN2 NEEDS A PAGE LENGTH OF AT LEAST \",I0,\" LINES\")",
                             {blk_size + 1}));
}

void span_page_reserve(std::int32_t blk_size) {
  span_page_fits(blk_size);
  page_record& p = page_state();
  if (blk_size >= p.lines_left) {
    span_page_new();
  } else {
    p.lines_left -= blk_size;
  }
}

void span_page_reserve_spotter(std::int32_t blk_size, std::int32_t s, std::string_view text) {
  span_page_fits(blk_size);
  page_record& p = page_state();
  if (blk_size == 0 || blk_size >= p.lines_left) {
    span_page_spotter_header(s, text);
  } else {
    p.lines_left -= blk_size;
  }
}

void span_page_reserve_xref(std::int32_t blk_size, std::int32_t s) {
  span_page_fits(blk_size);
  page_record& p = page_state();
  if (blk_size == 0 || blk_size >= p.lines_left) {
    span_page_xref_header(s);
  } else {
    p.lines_left -= blk_size;
  }
}

void span_page_new() {
  page_record& p = page_state();
  ++p.page;
  const std::int32_t d = decimal_digits(p.page);
  const std::int32_t gap = p.ncline - 11 - d;
  const std::string layout = io::format_line(
      "(\"(\"\"1\"\",A\", I0, \",TR\", I0, \", A\", I0,\", I\", I0, \")\")", {6, gap, 4, d});
  write_formatted(p.unit, layout, {"KORVEX", "Page", p.page});
  p.lines_left = p.nlpage - 1;
}

void span_page_coords_header(std::int32_t k, std::int32_t s) {
  titled_header("Augmented  coordinates of the  minimally  sufficient ", k,
                " dimensional  subspace -  set ", &s, "");
}

void span_page_pct_header(std::int32_t k) {
  titled_header("Summary  -  Percentages of communalities in ", k, "-space", nullptr, "");
}

void span_page_partial_header(std::int32_t k) {
  titled_header("Summary  -  Partial and total communalities in ", k, "-space", nullptr, "");
}

void span_page_spotter_header(std::int32_t s, std::string_view text) {
  titled_header("SET ", s,
                "  SPOTTER - NUMBER/NAME OF POINTS LISTED LEFT TO RIGHT - () = OVERLAPS, * = "
                "LOW COMMUNALITIES.",
                nullptr, "");
  page_record& p = page_state();
  write_formatted(p.unit, "(A)", {text});
  write_formatted(p.unit, "(1X)");
}

void span_page_xref_header(std::int32_t s) {
  titled_header("SET ", s, "  Cross Reference Table ", nullptr, "");
  write_formatted(page_state().unit, "(1X)");
}

std::int32_t span_page_number() { return page_state().page; }

void span_page_skip(std::int32_t n) {
  for (std::int32_t i = 0; i < n; ++i) write_formatted(page_state().unit, "(1X)");
}

void span_index() {
  const run_state& s = state();
  if (s.NFIN < 3) return;
  const std::int32_t unit = page_state().unit;
  const auto entry = [&](std::int32_t e) {
    return at(e) < s.index_pages.size() ? s.index_pages[at(e)] : 0;
  };
  span_page_new();
  write_formatted(unit, "(1X)");
  write_formatted(unit, "(55X,\"I N D E X\")");
  for (std::int32_t k = s.NSTART; k <= 2; ++k) {
    if (entry(2 * k) != 0) index_block(unit, k, entry(2 * k - 1), entry(2 * k));
  }
  if (entry(6) != 0) {
    write_formatted(unit, "(1X/1X/1X)");
    write_formatted(unit, "(I40,\"  DIMENSIONAL ANALYSIS . . . . . . . . .\",I3)", {3, entry(5)});
    if (s.three_count >= 1) {
      write_formatted(unit, "(1X)");
      write_formatted(unit, "(44X,\"SPHERICAL PLOTS\")");
      write_formatted(unit, "(1X)");
      for (std::int32_t set = 1; set <= s.three_count; ++set) {
        write_formatted(unit, "(45X,\"SET\",I3,\"  . . . . . . . . . . . . . .\",I3)",
                        {set, entry(2 * s.NF + set)});
      }
    }
    write_formatted(unit, "(1X)");
    write_formatted(unit, "(40X,\"  SUMMARY  . . . . . . . . . . . . . . .\",I3)", {entry(6)});
  }
  for (std::int32_t k = std::max(s.NSTART, 4); k <= s.NFIN; ++k) {
    if (entry(2 * k) != 0) index_block(unit, k, entry(2 * k - 1), entry(2 * k));
  }
  write_formatted(unit, "(1X/1X/1X)");
}

}  // namespace korvex::span2
