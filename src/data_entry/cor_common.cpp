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

bool mean_is_own(float m, double own, double rms) {
  if (std::isnan(m)) return false;
  // A stored mean is within half a unit in the last place of the mean DAP totalled; the few
  // units allowed cover that rounding and the rounding of the double totals, whose share (the
  // term in rms) does not shrink with a mean near 0. They make no allowance for a card deck:
  // a mean unloaded by *GIST and loaded back is rounded to the decimals of the deck's layout
  // and passes only where that rounding happens to be as small.
  const double scale = std::max(std::fabs(static_cast<double>(m)), std::fabs(own));
  return std::fabs(own - static_cast<double>(m)) <= std::ldexp(scale, -21) + std::ldexp(rms, -20);
}

namespace {

std::string remedy_line(std::string_view component) {
  return "MEANS1 IS NOT THE DATA'S: RUN *DAP AFTER *TAKE OR *GIST, BEFORE *" +
         std::string(component);
}

}  // namespace

void refuse_foreign_means(std::string_view component, std::int32_t variable, double own,
                          float m) {
  const std::string line = io::format_line(
      "('VARIABLE ',I0,': MEAN',1PE13.6,' IN THE DATA,',1PE13.6,' IN MEANS1')",
      {variable, own, static_cast<double>(m)});
  proc_error(line, remedy_line(component));
}

void refuse_extra_subjects(std::string_view component, std::int32_t nsub) {
  const std::string line = io::format_line(
      "('THE DATA STORAGE FILE HOLDS MORE SUBJECTS THAN THE ',I0,' OF MEANS1')", {nsub});
  proc_error(line, remedy_line(component));
}

void refuse_fewer_subjects(std::string_view component, std::int32_t held, std::int32_t nsub) {
  const std::string line = io::format_line(
      "('THE DATA STORAGE FILE HOLDS ',I0,' SUBJECTS, FEWER THAN THE ',I0,' OF MEANS1')",
      {held, nsub});
  proc_error(line, remedy_line(component));
}

std::string matrix_title(std::string_view caption, std::string_view title72) {
  return io::pad(caption, 24) + io::pad(title72, 72) + std::string(8, ' ');
}

}  // namespace korvex::cor
