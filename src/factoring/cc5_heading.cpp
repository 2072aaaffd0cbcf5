// The first page of a key-cluster analysis: the component banner, the banner of the
// analysis type, the run title and the lines that say how the analysis is set up
// (dimensionality criterion, pivot method, choice of key variables, reflection). Printed
// right after the parameter cards are read; it also starts the component's page counters.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "executive/errors.hpp"
#include "factoring/cc5_internal.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex::cc5 {

namespace {

constexpr std::string_view key_cluster_banner =
    "K E Y    C L U S T E R    ( M U T I P L E - G R O U P )    A N A L Y S I S";
constexpr std::string_view preset_banner = "P R E S E T    A N A L Y S I S";
constexpr std::string_view diagonal_banner =
    "D I A G O N A L    ( P I V O T    V A R I A B L E  )    A N A L Y S I S";
constexpr std::string_view centroid_banner =
    "S A L I E N T    C E N T R O I D    A N A L Y S I S";

// Banner and key-variable line of each analysis type 1..9.
struct analysis_type_text {
  std::string_view banner;
  std::string_view key_line;  // a layout text
};

constexpr std::array<analysis_type_text, 9> type_texts = {{
    {key_cluster_banner, "(\" KEY VARIABLES SELECTED BY PIVOT VARIABLE COLLINEARITY METHOD\")"},
    {key_cluster_banner, "(\" KEY VARIABLES SELECTED BY MUTUAL COLLINEARITY METHOD\")"},
    {preset_banner, "(\" KEY VARIABLES SELECTED BY ANALYST (INPUT)\")"},
    {preset_banner, "(\" KEY VARIABLES DETERMINED BY PRIOR ANALYSIS\")"},
    {diagonal_banner,
     "(\" THE VARIABLE HAVING HIGHEST RESIDUAL COMMUNALITY IS SELECTED AS THE ONLY CLUSTER "
     "VARIABLE\")"},
    {diagonal_banner,
     "(\" THE VARIABLE HAVING HIGHEST SUM OF SOUARED R IS SELECTED AS THE ONLY CLUSTER "
     "VARIABLE\")"},
    {diagonal_banner,
     "(\" THE VARIABLE HAVING HIGHEST VARIANCE OF SQUARED R IS SELECTED AS THE ONLY CLUSTER "
     "VARIABLE\")"},
    {centroid_banner,
     "(\" ALL VARIABLES ARE KEY VARIABLES AND ARE ARRANGED IN ORDER OF DESCENDING VARIANCE OF "
     "SQUARED R\")"},
    {centroid_banner,
     "(\" ALL VARIABLES ARE KEY VARIABLES AND ARE ARRANGED IN ORDER OF DESCENDING SUM OF SQUARED "
     "R\")"},
}};

constexpr std::size_t format_line_length = 100;

// A line built from a layout: laid into 100 columns and printed left-aligned within the
// line width or its own trimmed length, whichever is less.
void print_left(std::string_view text, std::int32_t width, listing& o) {
  const std::string line = io::pad(text, format_line_length);
  const auto trimmed = static_cast<std::int32_t>(io::trim_right(line).size());
  pr_line(-1, std::min(width, trimmed), line, o.page, o.lines, o.unit);
}

void centred(std::string_view text, std::int32_t maxlen, listing& o) {
  pr_line(0, maxlen, text, o.page, o.lines, o.unit);
}

[[noreturn]] void select_case_failure() { proc_error("CC5_heading: select case failure, KON1"); }

}  // namespace

void CC5_heading() {
  analysis& s = state();
  const control_block& c = s.c;
  listing& o = s.out;
  reset_page();
  o.page = 0;
  o.lines = 0;
  const std::int32_t W = get_ncline() - 1;
  const bool known_type = c.kon1 >= 1 && c.kon1 <= 9;

  PAGER(0, o.page, o.lines, o.unit);
  PAGER(-3, o.page, o.lines, o.unit);
  centred("C    C    5", std::min(W, 11), o);
  PAGER(-1, o.page, o.lines, o.unit);
  if (known_type) {
    const std::string_view banner = type_texts[at(c.kon1)].banner;
    centred(banner, std::min(W, static_cast<std::int32_t>(banner.size())), o);
  }

  PAGER(-3, o.page, o.lines, o.unit);
  const auto title_length = static_cast<std::int32_t>(io::trim_right(s.title_line).size());
  centred(s.title_line, std::min(W, title_length), o);
  PAGER(-3, o.page, o.lines, o.unit);

  if (c.kshort == 1) {
    PAGER(-1, o.page, o.lines, o.unit);
    centred("| Using CC5 option for reducing amount of its output |", std::min(W, 54), o);
  }

  PAGER(-3, o.page, o.lines, o.unit);
  switch (c.krit) {
    case 1:
      print_left(io::format_line("(\" DIMENSIONALITY OF SOLUTION DETERMINED BY COMMUNALITY "
                                 "EXHAUSTION CRITERION  (\", F10.8,\")\" )",
                                 {c.exhaust_level}),
                 W, o);
      break;
    case 2:
      print_left(io::format_line("(\" DIMENSIONALITY OF SOLUTION DETERMINED BY SUM OF SQUARED R "
                                 "EXHAUSTION CRITERION  (\", F10.8,\")\" )",
                                 {c.exhaust_level}),
                 W, o);
      break;
    case 3:
      print_left(io::format_line("(\" DIMENSIONALITY OF SOLUTION DETERMINED BY COMMUNALITY "
                                 "INCREMENT CRITERION  ( \",F10.8,\")\" )",
                                 {c.exhaust_level}),
                 W, o);
      break;
    case 4:
      print_left(io::format_line(
                     "(\" DIMENSIONALITY OF SOLUTION SELECTED BY ANALYST (INPUT)  (\",I0,\")\" )",
                     {c.ndim}),
                 W, o);
      break;
    default:
      select_case_failure();
  }

  if (c.kpiv == 1 && (c.kon1 == 1 || c.kon1 == 2)) {
    PAGER(-2, o.page, o.lines, o.unit);
    print_left(io::format_line("(\" PIVOT VARIABLE SELECTED BY VARIANCE OF R-SQUARE METHOD\")", {}),
               W, o);
  }

  PAGER(-2, o.page, o.lines, o.unit);
  PAGER(1, o.page, o.lines, o.unit);
  if (!known_type) select_case_failure();
  print_left(io::format_line(type_texts[at(c.kon1)].key_line, {}), W, o);

  if (c.krefl == 1) {
    PAGER(-2, o.page, o.lines, o.unit);
    print_left(io::format_line("(\" REFLECTION OF CLUSTER SUBMATRIX IS OPTIMAL IF K IS 10 OR LESS, "
                               "OTHERWISE BY FIRST-POWER METHOD\")",
                               {}),
               W, o);
  }
  PAGER(-3, o.page, o.lines, o.unit);
}

}  // namespace korvex::cc5
