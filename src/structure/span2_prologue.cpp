// The opening pages of a SPAN2 listing: the banner drawing with the run title, the
// explanation of how subspaces are selected and how the sphere pictures read, the echo of
// the parameter card and the analyst's preset sets.
#include <array>
#include <cmath>
#include <string>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "structure/span2_internal.hpp"

namespace korvex::span2 {

namespace {

// A moon over the name, a sphere with its equator and a pedestal, drawn with the letter O.
constexpr std::array<banner_record, 25> banner = {{
    {84, "O"},
    {30, " OOOOO   OOOOOO     OOOO    OO    OO    OOOOO"},
    {30, "OO   OO  OO   OO   OO  OO   OOO   OO   OO   OO"},
    {30, "OO       OO   OO  OO    OO  OOOO  OO        OO"},
    {30, " OOOOO   OOOOOO   OOOOOOOO  OO OO OO      OOO"},
    {30, "     OO  OO       OO    OO  OO  OOOO    OOO"},
    {30, "OO   OO  OO       OO    OO  OO   OOO   OO"},
    {30, " OOOOO   OO       OO    OO  OO    OO   OOOOOOO"},
    {30, "OOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOO"},
    {20, "                        OOOOOOOOOOOOOOO"},
    {20, "                 OOOOOOO               OOOOOOO"},
    {20, "            OOOOO                             OOOOO"},
    {20, "         OOO                                       OOO"},
    {20, "       OO                                             OO"},
    {20, "      OOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOO"},
    {20, "       OO                                             OO"},
    {20, "         OOO                                       OOO"},
    {20, "            OOOOO                             OOOOO"},
    {20, "                 OOOOOOO               OOOOOOO"},
    {20, "                        OOOOOOOOOOOOOOO"},
    {20, "                               O"},
    {38, "            OOO"},
    {38, "          OOOOOOO"},
    {38, "       OOOOOOOOOOOOO"},
    {38, "   OOOOOOOOOOOOOOOOOOOOO"},
}};

// CLOPR as a whole percentage, rounded; a value far outside 0..1 is held to a printable range.
std::int32_t percent_of(float clopr) {
  const float p = clopr * 100.0f + 0.5f;
  if (!(p > -1.0e6f)) return -999999;
  if (p > 1.0e6f) return 999999;
  return static_cast<std::int32_t>(std::trunc(p));
}

}  // namespace

std::span<const banner_record> span_banner() { return banner; }

void span_prologue() {
  const run_state& s = state();
  const std::int32_t u = s.monout;
  // The opening is kept on one page where a page holds its 58 lines; a shorter page takes
  // it as it is written, so that it runs on over pages.
  const bool whole = span_page_holds(58);
  const auto room = [whole](std::int32_t records) {
    if (!whole) span_page_reserve(records);
  };
  if (whole) span_page_reserve(58);
  room(4);
  write_formatted(u, "(1x/1x/1x/1x)");
  // The drawing stays together where the page holds it.
  const auto drawing = static_cast<std::int32_t>(banner.size());
  const bool drawing_whole = span_page_holds(drawing);
  if (drawing_whole) room(drawing);
  for (const banner_record& b : banner) {
    if (!drawing_whole) room(1);
    write_formatted(u, io::format_line("(\"(\",I0,\"X,A)\")", {b.margin}), {b.drawing});
  }
  room(4);
  write_formatted(u, "(1X/1X/1X/1X)");
  std::vector<io::Value> words(s.title_words.begin(), s.title_words.end());
  room(1);
  write_formatted(u, "(20X,\"\",12A6)", words);
  room(4);
  if (s.options.reduce == 1) {
    write_formatted(u, "(1X/31X,A58/1X/1X)",
                    {"| Using SPAN2 option to reduce the amount of its output | "});
  } else {
    write_formatted(u, "(1X/1X/1X/1X)");
  }
  room(4);
  write_formatted(u,
                  "(23X,\"The program selects successive subspaces which account for the "
                  "maximum total\")");
  write_formatted(u,
                  "(20X,\"residual communality among the variables. A subspace is a part of "
                  "the total \",I0)",
                  {s.NF});
  write_formatted(u, "(20X,\"dimensional space.\")");
  write_formatted(u, "(1X)");
  room(s.NSTART == s.NFIN ? 2 : 3);
  if (s.NSTART == s.NFIN) {
    write_formatted(u,
                    "(23X,\"In this problem, the program only selects \",I0,\" dimensional "
                    "subspaces.\")",
                    {s.NFIN});
  } else {
    write_formatted(u,
                    "(23X,\"In this problem, the program first selects \",I0,\" dimensional "
                    "subspaces, then \",I0)",
                    {s.NSTART, s.NSTART + 1});
    write_formatted(u,
                    "(20X,\"dimensional, and so on.\",  \"  This analysis selects up to \",i0,"
                    "\" dimensional subspaces.\")",
                    {s.NFIN});
  }
  write_formatted(u, "(1X)");
  room(6);
  write_formatted(u,
                  "(23X,\"Spheres are printed for the 3 dimensional subspaces. Each of these "
                  "pictures\")");
  write_formatted(u,
                  "(20X,\"includes plotting of only those variables which have at least \",I0,"
                  "\" percent of\")",
                  {percent_of(s.CLOPR)});
  write_formatted(u,
                  "(20X,\"their communality in the subspaces. In the spheres the co-ordinate "
                  "lines formed\")");
  write_formatted(u,
                  "(20X,\"with + signs are arbitrary and should be ignored. The points, "
                  "denoted X, Y, and\")");
  write_formatted(u,
                  "(20X,\"Z, are the XY, XZ, and YZ planes. All variables are plotted using "
                  "their augmented\")");
  write_formatted(u,
                  "(20X,\"co-ordinates. the loci of these variables are denoted by zeroes.\")");
  room(5);
  write_formatted(u, "(1X/1X/1X/1X/1X)");

  span_page_reserve(17);
  write_formatted(u, "(1X)");
  const auto echo = [&](std::string_view layout, io::Value v) {
    write_formatted(u, layout, {v});
    write_formatted(u, "(1X)");
  };
  echo("(16X,\"THE MODE OF SELECTION ( (1) BY SPAN, (2)BY ANALYST, (3)BOTH)\",31X ,I3)", s.MODE);
  echo("(16X,\"THE  SOURCE OF FACTOR COEFFICIENTS ( (1)UFACT1, (2)RFACT1)\",33X,I3)",
       s.options.source);
  echo("(16X,\"NSTART - THE LOWEST DESIRED DIMENSIONALITY OF A SUBSPACE -\",33X,I3)", s.NSTART);
  echo("(16X,\"NFIN - THE HIGHEST DESIRED DIMENSIONALITY OF A SUBSPACE -\",34X,I3)", s.NFIN);
  echo("(16X,\"MINEW -  THE MINIMAL NUMBER OF NEW VARIABLES INCLUDED IN A SUBSPACE -\",22X,I3)",
       s.options.MINEW);
  echo("(16X,\"CLOPR - LOWEST PERCENTAGE OF COMMUNALITY OF A VARIABLE IN A SUBSPACE -\",19X,"
       "F5.2)",
       s.CLOPR);
  echo("(16X,\"MINCOM - LOWEST BOUND OF COMMUNALITY OF A VARIABLE IN A SUBSPACE AS MARKED IN "
       "SPOTTER -\",2X,F5.2)",
       s.options.MINCOM);
  echo("(16X,\"RIGID ROTATION - (0) ON ALL PLOTTED POINTS, (1) ON DIMENSION DEFINERS ONLYS "
       "-\",14X,I3)",
       s.options.rigid);

  if (s.MODE == 1) return;
  if (s.MODE != 2 && s.MODE != 3) proc_error("SPAN2:span_prologue: bad value of MODE");
  // A list longer than a page is reserved set by set, so that it runs on over pages.
  const bool list_whole = span_page_holds(s.t_count() + 4);
  span_page_reserve(list_whole ? s.t_count() + 4 : 4);
  write_formatted(u, "(1X/1X)");
  write_formatted(u, "(16X,\"SUBSPACES REQUESTED BY ANALYST ..\")");
  write_formatted(u, "(1X)");
  for (const subspace& t : s.t_ptr) {
    if (!list_whole) span_page_reserve((t.len + 14) / 15);
    std::vector<io::Value> dims(t.index.begin(), t.index.end());
    write_formatted(u, "(20X,15I4)", dims);
  }
}

}  // namespace korvex::span2
