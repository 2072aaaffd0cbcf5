// DAP's own page accounting on the listing: pages headed "DAP" with the run title and a page
// number, a line budget that the card echoes, subject messages and the statistics table
// count against, and the card reader that echoes each card it reads from MONIN.
#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "data_entry/dap_internal.hpp"
#include "data_entry/data_entry.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex::dap {

namespace {

// Title pieces of a page header: at most 10 lines of 160 characters.
constexpr std::size_t title_lines = 10;
constexpr std::size_t title_piece = 160;

// The part of a title line laid out by expand_line that goes into the header: the laid-out
// line's first character is its carriage position and is dropped, unless the piece itself
// starts there (a piece as wide as the whole field, or nearly), which then keeps every letter.
std::string_view header_piece(std::string_view laid_out, std::size_t width) {
  if (!laid_out.empty() && laid_out.front() == ' ') laid_out.remove_prefix(1);
  return laid_out.substr(0, std::min(width, laid_out.size()));
}

}  // namespace

void dap_line(std::int32_t n) {
  dap_print_state_record& ps = print_state();
  if (n < 0) {
    copy_page_settings();
    ps.page = 0;
    ps.lines_left = 0;
    ps.unit = get_unit("MONOUT");
  } else if (n == 0) {
    if (ps.lines_left > 0) {
      ps.lines_left -= 1;
    } else {
      dap_page_header();
    }
  } else {
    dap_page_header();
  }
}

// Every header line is L columns: "1DAP" (or blanks) in columns 1-7, a title piece in
// columns 8 to L - 12, and on the head line "Page" with the number in the last 5 columns.
// The title is centred by expand_line for a width of L - 19 and needs one line per piece.
// The page settings come from page_common, which dap_line(-1) filled (50 to 132 columns).
void dap_page_header() {
  dap_print_state_record& ps = print_state();
  const std::int32_t L = std::max(page_common().ncline, 20);
  const std::int32_t P = page_common().nlpage;
  ps.page += 1;
  const std::int32_t width = L - 19;

  std::string head_layout = "('1DAP',3X,A000,T000,'Page',I5)";
  int_to_text(width, std::span<char>(head_layout.data() + 12, 3));
  int_to_text(L - 8 - (page_number_width(ps.page) - 5), std::span<char>(head_layout.data() + 17, 3));
  head_layout = widen_page_number(head_layout, ps.page);
  std::string line_layout = "(7X,A000,12X)";
  int_to_text(width, std::span<char>(line_layout.data() + 5, 3));

  std::vector<std::string> pieces(title_lines, std::string(title_piece, ' '));
  std::int32_t n = 0;
  expand_line(0, width, run().title_card, pieces, n);
  n = std::max(n, 1);

  for (std::int32_t i = 1; i <= n; ++i) {
    const std::string text(header_piece(pieces[static_cast<std::size_t>(i - 1)], static_cast<std::size_t>(width)));
    if (i == 1) {
      write_formatted(ps.unit, head_layout, {text, ps.page});
    } else {
      write_formatted(ps.unit, line_layout, {text});
    }
  }
  write_formatted(ps.unit, "(1X)");
  ps.lines_left = P - n - 1;
}

void dap_blank_line() {
  dap_line(0);
  write_formatted(print_state().unit, "(1X)");
}

void dap_read_card(std::string& card, std::int32_t input_unit, std::int32_t echo_unit) {
  std::string record;
  bool got = false;
  try {
    got = read_record(input_unit, record);
  } catch (const io::IoError& e) {
    check_io_stat(e.what(), e.status() != 0 ? e.status() : 1);
  }
  if (!got) check_io_stat("DAP: end of file on MONIN where a card was expected", -1);
  const io::Target target(&card, static_cast<std::size_t>(card_width));
  io::read_text("(A80)", record, std::span<const io::Target>(&target, 1));
  if (echo_unit > 0) {
    dap_line(0);
    write_formatted(echo_unit, "(1X,A80)", {card});
  }
}

card_source monin_cards() {
  return [] {
    std::string card;
    dap_read_card(card, run().common.monin, print_state().unit);
    return card;
  };
}

}  // namespace korvex::dap
