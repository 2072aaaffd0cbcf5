// The start banner that *START puts on the listing: a fixed picture of 50 lines of 90
// characters with the spaced system name, the long title, the build number and the date of
// the run. The name line is laid down here; every other line goes through pr_line.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "printing/printing.hpp"

namespace korvex {

namespace {

constexpr std::string_view spaced_name = "K  O  R  V  E  X";
constexpr std::string_view long_title =
    "Windows   Version   of   the   Morvi   System   of   Exploratory   Multivariate   Analysis";
constexpr std::string_view build_number = "2104";

std::vector<std::string> g_banner(banner_line_count, std::string(banner_line_width, ' '));

std::string& banner_line(int i) { return g_banner[static_cast<std::size_t>(i - 1)]; }

// Writes text into buf from 1-based column col; characters outside buf are dropped.
void place(std::string& buf, std::int64_t col, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::int64_t c = col + static_cast<std::int64_t>(i);
    if (c >= 1 && c <= static_cast<std::int64_t>(buf.size()))
      buf[static_cast<std::size_t>(c - 1)] = text[i];
  }
}

}  // namespace

std::string run_date_text(std::string_view ccyymmdd) {
  const std::string date = io::pad(ccyymmdd, 8);
  std::string text = "MM/DD/CCYY";
  text.replace(0, 2, date, 4, 2);
  text.replace(3, 2, date, 6, 2);
  text.replace(6, 4, date, 0, 4);
  return text;
}

const std::vector<std::string>& make_banner() {
  for (std::string& line : g_banner) line.assign(banner_line_width, ' ');
  place(banner_line(5), 1, spaced_name);
  place(banner_line(5), 75, spaced_name);
  place(banner_line(8), 1, long_title);
  place(banner_line(43), 1, "                                     Build number NNNN");
  place(banner_line(43), 51, build_number);
  place(banner_line(46), 1, "                                    Run Date MM/DD/CCYY");
  place(banner_line(46), 46, run_date_text(system_date_ccyymmdd()));
  return g_banner;
}

void pr_banner(std::int32_t mode, std::int32_t width, std::int32_t& page, std::int32_t& lines,
               std::int32_t unit) {
  make_banner();
  for (const std::string& line : g_banner) {
    if (line.find(spaced_name) != std::string::npos) {
      pr_banner_name_line(mode, width, line, page, lines, unit);
    } else {
      pr_line(mode, width, line, page, lines, unit);
    }
  }
}

// The name is laid down twice, at both ends of a field of `width` columns centred on the
// line (or spanning the whole usable line when it is not narrower); the record has no
// carriage control of its own, its first column is blank unless the field starts there.
void pr_banner_name_line(std::int32_t /*mode*/, std::int32_t width, std::string_view /*text*/,
                         std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  const std::int32_t nc = get_ncline();
  std::int32_t s = 1;
  std::int32_t e = nc - 1;
  if (width <= nc - 1) {
    s = nc / 2 - (width + 1) / 2 + 1;
    e = s + width - 1;
  }
  e = std::max(e, 1);
  std::string buf(static_cast<std::size_t>(std::max(e, 160)), ' ');
  place(buf, s, spaced_name);
  place(buf, static_cast<std::int64_t>(e) - 15, spaced_name);
  PAGER(1, page, lines, unit);
  write_formatted(unit, "(A)", {std::string_view(buf).substr(0, static_cast<std::size_t>(e))});
}

}  // namespace korvex
