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

// Copies text into line from 1-based column `first`, dropping what falls past the line.
void place(std::string& line, std::int32_t first, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t col = static_cast<std::size_t>(first - 1) + i;
    if (col < line.size()) line[col] = text[i];
  }
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

// The head line holds "1DAP" and "Page" with the number in the last 5 columns; the title,
// centred by expand_line for a width of L - 19, fills columns 8 to L - 12 of the head line
// and, when it needs more pieces, of the lines below it.
void dap_page_header() {
  dap_print_state_record& ps = print_state();
  const std::int32_t L = page_common().ncline;
  const std::int32_t P = page_common().nlpage;
  ps.page += 1;

  std::string head_layout = "('1DAP',T000,'Page',I5)";
  int_to_text(L - 8, std::span<char>(head_layout.data() + 9, 3));
  const std::string head = io::pad(io::format_line(head_layout, {ps.page}), static_cast<std::size_t>(L));

  std::vector<std::string> pieces(title_lines, std::string(title_piece, ' '));
  std::int32_t n = 0;
  expand_line(0, L - 19, run().title_card, pieces, n);
  n = std::max(n, 1);
  const auto title_width = static_cast<std::size_t>(std::max(L - 19, 0));

  for (std::int32_t i = 1; i <= n; ++i) {
    std::string line(static_cast<std::size_t>(L), ' ');
    if (i == 1) {
      place(line, 1, std::string_view(head).substr(0, 7));
      place(line, L - 12, std::string_view(head).substr(static_cast<std::size_t>(L - 13)));
    }
    const std::string& piece = pieces[static_cast<std::size_t>(i - 1)];
    if (piece.find_first_not_of(' ') != std::string::npos) {
      place(line, 8, std::string_view(piece).substr(0, title_width));
    }
    write_formatted(ps.unit, "(A)", {line});
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
