// The punched score deck on MONPUN (a format card, a heading card, then each subject's
// scores as fixed-point integers with its name and a line number), and the pieces the score
// pages of both passes share: the strip width and the page line.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data_entry/data_entry.hpp"
#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "scoring/facs_internal.hpp"

namespace korvex::facs {

void SETSPN(float x) {
  facs_state& s = state();
  const float v = std::log(std::max(1.0f, x)) * 0.4342945f;
  // Every finite magnitude gives a logarithm below 39; one that is not finite has no decimal
  // count and is refused like one above 100000.
  std::int32_t ndp = -1;
  if (std::isfinite(v)) ndp = 5 - static_cast<std::int32_t>(std::ceil(v));
  if (ndp < 0) fatal_with_number("SYSTEM ERROR (SETSPN 1): \"NDP\" LT 0", ndp);
  s.ndp = ndp;
  s.scale = std::pow(10.0f, static_cast<float>(ndp));
  const std::string card = io::format_line("(\"(9F8.\",I1,\",A6)\")", {ndp});
  write_formatted(s.monpun, "(A)", {io::pad(card, 80)});
}

bool punch_integer(float v, float scale, std::int64_t& out) {
  const float a = std::fabs(v) * scale + 0.5f;
  // Eight columns hold 99999999 and -9999999; a NaN fails the comparison.
  const float limit = v < 0.0f ? 1.0e7f : 1.0e8f;
  if (!(a < limit)) return false;
  const std::int64_t n = static_cast<std::int64_t>(a);
  out = v < 0.0f ? -n : n;
  return true;
}

void facs_punch_scores(std::span<const float> scores, std::string_view name) {
  facs_state& s = state();
  std::int32_t card = 0;
  for (std::int32_t first = 1; first <= s.nf; first += 9) {
    const std::int32_t n = std::min(9, s.nf - first + 1);
    std::string layout = "( nnI8, nnx, A, I2.2)";
    const std::string c1 = io::format_line("(i2)", {n});
    const std::string c2 = io::format_line("(i2)", {73 - 8 * n});
    layout.replace(2, 2, c1);
    layout.replace(8, 2, c2);
    const std::string name_text = io::pad(name, 20);
    std::vector<io::Value> items;
    for (std::int32_t k = first; k < first + n; ++k) {
      std::int64_t value = 0;
      // A value that does not fit its 8 columns is written as too large for I8, which
      // fills the field with asterisks and keeps the line's layout.
      if (!punch_integer(scores[at(k)], s.scale, value)) value = 999999999;
      items.emplace_back(static_cast<long long>(value));
    }
    ++card;
    items.emplace_back(name_text);
    items.emplace_back(card);
    write_formatted(s.monpun, layout, items);
  }
}

std::int32_t strip_width(std::int32_t used) {
  const std::int32_t k = (page_common().ncline - used) / 21;
  return std::clamp(k, 1, 18);
}

void score_page_line() {
  facs_state& s = state();
  std::string layout = "(\"1\",NNNX,\"PAGE\",I5)";
  const std::int32_t blanks = std::clamp(page_common().ncline - 9, 1, 999);
  layout.replace(5, 3, int_to_text(blanks, 3));
  ++s.npage;
  write_formatted(s.monout, layout, {s.npage});
}

void score_strip_head(std::string_view title, std::int32_t lo, std::int32_t hi,
                      const std::string& numbers, const std::string& names) {
  facs_state& s = state();
  score_page_line();
  write_formatted(s.monout, "(1x,a)", {std::string(title)});
  std::vector<io::Value> nums;
  std::vector<std::string> rname;  // the values below refer to these texts
  for (std::int32_t c = lo; c <= hi; ++c) {
    nums.emplace_back(c);
    std::string right(20, ' ');
    rjust_text(s.cname[at(c)], right);
    rname.push_back(right);
  }
  write_formatted(s.monout, numbers, nums);
  write_formatted(s.monout, names, std::vector<io::Value>(rname.begin(), rname.end()));
  write_formatted(s.monout, names);
}

std::vector<std::vector<std::int32_t>> definer_lists() {
  facs_state& s = state();
  std::vector<std::vector<std::int32_t>> lists(static_cast<std::size_t>(s.nf));
  for (std::int32_t k = 1; k <= s.nf; ++k)
    for (std::int32_t j = 1; j <= s.nv; ++j)
      if (s.w[ix(k, j, max_comp)] != 0.0f) lists[at(k)].push_back(j);
  return lists;
}

}  // namespace korvex::facs
