// Page state of the listing and the paging protocol through which every printer begins
// pages and reserves lines. The state lives for the run; init_page and reset_page set it.
#include "printing/page.hpp"

#include <algorithm>
#include <cstdlib>

#include "executive/errors.hpp"
#include "executive/utilities.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/layout.hpp"

namespace korvex {

namespace {
page_state_record g_page;
std::string g_title(160, ' ');

// The header of a new page: "1KORVEX", blanks, "Page" and the number in 5 columns.
void write_page_header(std::int32_t unit, std::int32_t blanks, std::int32_t page) {
  std::string layout = "('1KORVEX',NNNX,'Page',I5)";
  int_to_text(blanks - (page_number_width(page) - 5), std::span<char>(layout.data() + 11, 3));
  write_formatted(unit, widen_page_number(layout, page), {page});
}
// Begins a page on the page state's counters: a bare "1" record when the headers are off
// (negative page number), else the next page's header and an empty line.
void begin_page(std::int32_t header_blanks) {
  if (g_page.page < 0) {
    write_record(g_page.unit, "1");
    g_page.lines_left = g_page.nlpage - 1;
  } else {
    g_page.page += 1;
    write_page_header(g_page.unit, header_blanks, g_page.page);
    write_formatted(g_page.unit, "(1X)");
    g_page.lines_left = g_page.nlpage - 2;
  }
}

}  // namespace

void init_page() {
  g_page.nlpage = 78;
  g_page.ncline = 118;
  g_page.aux_b = 10;
  g_page.aux_a = 6;
  g_page.page = 0;
  g_page.lines_left = 0;
  g_page.unit = get_unit("MONOUT");
  g_title.assign(160, ' ');
}

void reset_page() {
  g_page.unit = get_unit("MONOUT");
  g_page.page = 0;
  g_page.lines_left = 0;
}

std::int32_t get_nlpage() { return g_page.nlpage; }
std::int32_t get_ncline() { return g_page.ncline; }
std::int32_t get_ncline_m1() { return g_page.ncline - 1; }
std::int32_t get_page_aux_a() { return g_page.aux_a; }
std::int32_t get_page_aux_b() { return g_page.aux_b; }
std::int32_t get_monout() { return g_page.unit; }
void set_nlpage(std::int32_t n) { g_page.nlpage = n; }
void set_ncline(std::int32_t n) { g_page.ncline = n; }
const page_state_record& page_state() { return g_page; }

void set_title(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  g_title.assign(text.substr(0, n < 160 ? n : 160));
  g_title.resize(160, ' ');
}

std::int32_t get_title(std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = i < g_title.size() ? g_title[i] : ' ';
  return 160;
}

std::int32_t get_title_len() { return 160; }

std::int32_t rows_per_block(std::int32_t k) {
  const std::int32_t r = g_page.nlpage - k;
  if (r >= 50) return r / 10 * 10;
  return r / 5 * 5;
}

std::int32_t hdr_overhead_lines(std::int32_t c, std::int32_t w) {
  if (c < w) return 5;
  if (c < 2 * w) return 7;
  return 11;
}

void PAGER(std::int32_t n, std::int32_t& page, std::int32_t& lines, std::int32_t monoutx) {
  if (monoutx != g_page.unit) {
    io::out_line(io::free_line({"Monoutx: ", monoutx, " monout: ", g_page.unit}));
    proc_error("PAGER: monoutx wrong");
  }
  g_page.page = page;
  g_page.lines_left = lines;
  const std::int32_t magnitude = std::abs(n);
  if (n != 0 && g_page.lines_left - magnitude >= 0) {
    g_page.lines_left -= magnitude;
    for (std::int32_t i = 0; n < 0 && i < magnitude; ++i) write_formatted(g_page.unit, "(1X)");
    lines = g_page.lines_left;
    return;
  }
  write_formatted(g_page.unit, "(1X)");
  begin_page(g_page.ncline - 16);
  if (n > 0) g_page.lines_left -= n;
  page = g_page.page;
  lines = g_page.lines_left;
}

void PAGER(std::int32_t n) {
  const std::int32_t magnitude = std::abs(n);
  if (n != 0 && g_page.lines_left - magnitude > 0) {
    g_page.lines_left -= magnitude;
    for (std::int32_t i = 0; n < 0 && i < magnitude; ++i) write_formatted(g_page.unit, "(1X)");
    return;
  }
  begin_page(g_page.ncline - 15);
  if (n > 0) g_page.lines_left -= n;
}

void new_page_if_short(std::int32_t n, std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  if (n > 0 && lines < n) PAGER(0, page, lines, unit);
}

void int_to_text(std::int64_t n, std::span<char> field) {
  // The magnitude as unsigned, so that the most negative value has one too.
  std::uint64_t m = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  for (std::size_t i = field.size(); i > 0; --i) {
    field[i - 1] = static_cast<char>('0' + m % 10);
    m /= 10;
  }
  if (n < 0 && !field.empty()) field[0] = '-';
}

std::string int_to_text(std::int64_t n, int width) {
  std::string s(static_cast<std::size_t>(width > 0 ? width : 0), '0');
  int_to_text(n, std::span<char>(s.data(), s.size()));
  return s;
}

std::int32_t int_field_width(std::int64_t n, std::int32_t least) {
  return std::max(least, decimal_digits(n));
}

std::int32_t page_number_width(std::int32_t page) { return int_field_width(page, 5); }

std::string widen_page_number(std::string layout, std::int32_t page) {
  const std::int32_t width = page_number_width(page);
  const std::size_t at = layout.rfind("I5)");
  if (width > 5 && at != std::string::npos) layout.replace(at, 3, "I" + std::to_string(width) + ")");
  return layout;
}

}  // namespace korvex
