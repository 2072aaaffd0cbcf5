// The special cautions that close the summary of every key-cluster analysis: a heading and
// two paragraphs of advice, each laid out in a block of 60 columns centred on the listing
// line and kept on one page. Printed once per run, after the summary lines.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "executive/units.hpp"
#include "factoring/cc5_internal.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex::cc5 {

namespace {

constexpr std::int32_t block_width = 60;
constexpr std::size_t out_line_length = 132;

// The three texts; the paragraphs open with three hard blanks so that the splitter keeps
// their indentation.
std::array<std::string, 3> caution_texts() {
  const std::string indent(3, hard_blank);
  return {
      "SPECIAL CAUTIONS..",
      indent +
          "(1) ON THE PRECEDING PAGES, IN THE TABLES OF CORRELATION BETWEEN DIMENSION-DEFINING "
          "KEY CLUSTER VARIABLES, PLEASE NOTE THAT AFTER THE FIRST DIMENSION THE WORD "
          "CORRELATION MEANS RESIDUALS AND NOT THE ORIGINAL RAW CORRELATIONS.",
      indent +
          "(2) DO NOT BE CONTENT WITH A POOR SOLUTION.  USING THE GIVE DECK, RUN A PRESET "
          "ANALYSIS ON REVISED DIMENSION-DEFINING KEY CLUSTER VARIABLES.  SEE \"REFACTORING TO "
          "IMPROVE A SOLUTION\" UNDER THE SECTION \"INTRODUCTION TO FACTORING\" IN THE USER'S "
          "MANUAL.  A POOR SOLUTION IS ONE WITH VARIABLES THAT ARE DEFINERS OF MORE THAN ONE "
          "DIMENSION, THAT HAVE TOTAL COMMUNALITIES OVER 1.00, OR THAT ARE TRIVIAL DEFINERS OF A "
          "GIVEN DIMENSION.  ALSO, CONSIDER SERIOUSLY WHETHER YOU WISH TO RETAIN DIMENSIONS THAT "
          "HAVE GREAT SPECIFICITY, ARE DEFINED SAY, BY A DOUBLET.",
  };
}

}  // namespace

// The block is 60 columns wide and centred; on a line narrower than 62 characters it starts
// in the first column and narrows to the line, so that nothing runs past the line's end.
void CC5_cautions() {
  analysis& s = state();
  listing& o = s.out;
  const std::int32_t nc = get_ncline();
  const std::int32_t width = std::max(1, std::min(block_width, nc - 2));
  const std::int32_t off =
      std::clamp((nc - width) / 2, 1, static_cast<std::int32_t>(out_line_length) - width);
  const std::array<std::int32_t, 3> modes = {0, -1, -1};
  const std::array<std::string, 3> texts = caution_texts();
  // Enough pieces for the longest paragraph at the narrowest block.
  std::vector<std::string> pieces(32, std::string(static_cast<std::size_t>(width) + 1, ' '));
  for (std::size_t t = 0; t < texts.size(); ++t) {
    std::int32_t count = 0;
    expand_line(modes[t], width, texts[t], pieces, count);
    PAGER(-1, o.page, o.lines, o.unit);
    PAGER(count, o.page, o.lines, o.unit);
    for (std::int32_t p = 0; p < count; ++p) {
      std::string line(out_line_length, ' ');
      line.replace(static_cast<std::size_t>(off - 1), pieces[static_cast<std::size_t>(p)].size(),
                   pieces[static_cast<std::size_t>(p)]);
      write_formatted(o.unit, "(1x,A)", {io::trim_right(line)});
    }
  }
  PAGER(-1, o.page, o.lines, o.unit);
}

}  // namespace korvex::cc5
