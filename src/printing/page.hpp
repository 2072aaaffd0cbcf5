// Page state and paging protocol of the listing on MONOUT. Every printer reserves lines and
// begins numbered pages through PAGER; int_to_text completes run-time layout texts with
// digits; rows_per_block and hdr_overhead_lines size the blocks of the matrix printers.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

struct page_state_record {
  std::int32_t page = 0;
  std::int32_t lines_left = 0;
  std::int32_t unit = -1;
  std::int32_t ncline = 118;
  std::int32_t aux_b = 10;
  std::int32_t nlpage = 78;
  std::int32_t aux_a = 6;
};

// A component's own listing counters: its page number and lines-left count (both 0 when it
// starts, so it numbers its pages from 1) and the listing unit, the caller's side of the
// four-argument PAGER and of every printer.
struct listing_counters {
  std::int32_t page = 0;
  std::int32_t lines = 0;
  std::int32_t unit = -1;
};

void init_page();
void reset_page();
std::int32_t get_nlpage();
std::int32_t get_ncline();
std::int32_t get_ncline_m1();
std::int32_t get_page_aux_a();
std::int32_t get_page_aux_b();
std::int32_t get_monout();
void set_nlpage(std::int32_t n);
void set_ncline(std::int32_t n);
void set_title(std::string_view text);
// Copies the title into `text` (blank-padded or cut to its size); returns 160.
std::int32_t get_title(std::string& text);
std::int32_t get_title_len();
const page_state_record& page_state();

// Rows of one matrix or vector block on a page when the caller needs k further lines.
std::int32_t rows_per_block(std::int32_t k);
// Lines the header of one matrix block takes (c: longest name, w: cell width).
std::int32_t hdr_overhead_lines(std::int32_t c, std::int32_t w);

// The paging protocol on the page state's own counters (one-argument form).
void PAGER(std::int32_t n);
// The paging protocol on the caller's counters: reserves n lines (n < 0: |n| empty lines),
// n = 0 or a reservation that does not fit begins a new page with its header.
void PAGER(std::int32_t n, std::int32_t& page, std::int32_t& lines, std::int32_t monoutx);
// Begins a new page when n > 0 lines are not left.
void new_page_if_short(std::int32_t n, std::int32_t& page, std::int32_t& lines, std::int32_t unit);

// Writes |n| zero-padded into the whole field, keeping the low digits, "-" first when n < 0.
void int_to_text(std::int64_t n, std::span<char> field);
// The same into a fresh field of `width` characters.
std::string int_to_text(std::int64_t n, int width);

// Columns an integer field needs to show n (n >= 0) whole: `least`, or as many as its digits
// when they are more. Fields that the largest runs can overflow grow to it rather than fill
// with asterisks.
std::int32_t int_field_width(std::int64_t n, std::int32_t least);

// Columns of the page number in a page header: 5, or as many as the digits of a number
// beyond 99999 need (a listing of the largest data sets runs past 100000 pages). Headers
// take the extra columns from the blanks before "Page", so they keep their width.
std::int32_t page_number_width(std::int32_t page);
// The header layout `layout`, whose last item is the page number "I5)", with the number
// widened to page_number_width(page) columns.
std::string widen_page_number(std::string layout, std::int32_t page);


}  // namespace korvex
