// What COR2 and COR3 share: the message line, the refusal to run while a variable selection
// is in force, and the guarded arithmetic and title of their results.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "data_entry/active_variables.hpp"
#include "data_entry/cor_internal.hpp"
#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex::cor {

void message_line(std::string_view text, std::int32_t& page, std::int32_t& lines,
                  std::int32_t monout) {
  pr_line(-1, get_ncline() - 1, text, page, lines, monout);
}

void refuse_selection_in_force(std::string_view component) {
  if (!selection_in_force()) return;
  // Its matrix would be of full order under the reordered names of the selection.
  proc_error("VARIABLE SELECTION IN FORCE: RUN *RESTOR (AFTER *CC5) OR A NEW *DAP BEFORE *" +
             std::string(component));
}

double sqrt0(double x) { return x > 0.0 ? std::sqrt(x) : 0.0; }

float clamp_correlation(double r) { return static_cast<float>(std::clamp(r, -1.0, 1.0)); }

std::string matrix_title(std::string_view caption, std::string_view title72) {
  return io::pad(caption, 24) + io::pad(title72, 72) + std::string(8, ' ');
}

}  // namespace korvex::cor
