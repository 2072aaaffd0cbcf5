// The executive control-card interpreter GEP. Each turn reads executive cards from MONIN:
// a keyword is obeyed on the spot and the next card read; any other word is checked against
// the component states and becomes the next component, which ends the turn.
#include "executive/gep.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "executive/assign.hpp"
#include "executive/charset.hpp"
#include "executive/component.hpp"
#include "executive/dprint.hpp"
#include "executive/errors.hpp"
#include "executive/progress.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

struct ec_keyword {
  const char* word;
  bool echo;
};

// The executive keywords in lookup order, with their echo flags.
const ec_keyword ec_keywords[] = {
    {"START", true},  {"END", true},    {"GIVE", false},   {"TAKE", false},  {"ISFDMP", true},
    {"COMMEN", true}, {"DICDMP", true}, {"DPRINT", true},  {"PRT_UT", true}, {"SET_NC", true},
    {"SET_NL", true}, {"GET_NC", true}, {"GET_NL", true},  {"RUN_NO", true}, {"ASSIGN", true},
    {"ISF_DE", true}, {"PR_LNS", true}, {"STREAM", true},  {"PR_ISF", true}};
constexpr int ec_keyword_count = 19;

constexpr const char* eof_message = "GEP: Unexpected end-of-file received. EC card expected.";

// Smallest and largest page settings a printer can work with.
constexpr std::int32_t min_ncline = 50;
constexpr std::int32_t max_ncline = 132;
constexpr std::int32_t min_nlpage = 20;
constexpr std::int32_t max_nlpage = 999;

// Reads the next card as 120 columns; a deck that has run out is fatal.
std::string read_card(std::int32_t monin) {
  std::string record;
  if (!read_record(monin, record)) proc_error(eof_message);
  std::string card;
  const io::Target target(&card, 120);
  io::read_text("(A120)", record, std::span<const io::Target>(&target, 1));
  return card;
}

// The keyword of a card: columns 2-7, a-z upper-cased.
std::string card_keyword(const std::string& card) { return io::upper_ascii(card.substr(1, 6)); }

int find_keyword(const std::string& keyword) {
  for (int i = 0; i < ec_keyword_count; ++i) {
    if (io::padded_equal(ec_keywords[i].word, keyword)) return i + 1;
  }
  return ec_keyword_count + 1;
}

// A keyword whose handler this build does not have stops the run, never silently.
[[noreturn]] void not_available(const std::string& keyword) {
  proc_error("GEP: The executive card *" + std::string(io::trim_right(keyword)) +
             " is not available in this build of KORVEX.");
}

void complain(std::int32_t monerr, std::string_view text) { write_record(monerr, io::free_line({text})); }

}  // namespace

std::int32_t card_int_param(std::string_view card) {
  const std::size_t p = card.find(' ');
  if (p == std::string_view::npos) return -1;
  std::size_t q = p;
  while (q < card.size() && card[q] == ' ') ++q;
  if (q >= card.size()) return -1;
  std::int64_t number = 0;
  for (std::size_t i = q; i < card.size() && card[i] != ' '; ++i) {
    if (card[i] < '0' || card[i] > '9') return -1;
    number = number * 10 + (card[i] - '0');
    if (number > 2147483647) return -1;
  }
  return static_cast<std::int32_t>(number);
}

void GEP() {
  const std::int32_t monerr = get_unit("MONERR");
  const std::int32_t monin = get_unit("MONIN");
  const std::int32_t monout = get_unit("MONOUT");
  reset_page();
  std::int32_t page = 0;
  std::int32_t lines = 0;

  std::string card = read_card(monin);
  for (;;) {
    if (card[0] != '*') {
      write_formatted(monout, "(A1,A120)", {"1", card});
      proc_error("The above card is not a correct EC card.");
    }
    const std::string keyword = card_keyword(card);
    exec_banner(keyword, monerr);
    const int k = find_keyword(keyword);
    if (k <= ec_keyword_count && ec_keywords[k - 1].echo) {
      write_formatted(monout, "(1x,A)", {io::trim_right(card)});
    }
    if (k > ec_keyword_count) {
      ORGPNT(keyword, monout);
      set_component(keyword);
      return;
    }
    const std::string word(io::trim_right(ec_keywords[k - 1].word));
    if (word == "START") {
      isf_init();
      write_formatted(monerr, "(1x)");
      write_formatted(monerr, "(2x,A,A)", {"Build Number: ", "    2104"});
      write_formatted(monerr, "(1x)");
      page = -1;
      lines = 1000;
      pr_banner(0, std::min(get_ncline(), 90), page, lines, monout);
      lines = 0;
    } else if (word == "END") {
      rewind_open_unit(get_unit("MTIST"));
      end_run();
      return;
    } else if (word == "GIVE") {
      page = 0;
      lines = 0;
      GIVE(get_unit("GIVE"), page, lines, monout);
    } else if (word == "TAKE") {
      page = 0;
      lines = 0;
      std::int32_t failed = 0;
      TAKE(get_unit("TAKE"), failed, page, lines, monout);
      if (failed != 0) {
        // The run ends normally, but the process reports the failure in its exit status.
        rewind_open_unit(get_unit("MTIST"));
        mark_run_failed();
        end_run();
        return;
      }
    } else if (word == "COMMEN" || word == "RUN_NO") {
      write_formatted(monout, "(1X)");
      for (;;) {
        card = read_card(monin);
        if (card[0] == '*') break;
        write_formatted(monout, "(1X,A120)", {card});
      }
      continue;  // the card with "*" is obeyed without a further read
    } else if (word == "DICDMP") {
      set_component("GIVE");
      return;
    } else if (word == "SET_NC") {
      const std::int32_t n = card_int_param(card);
      if (n == -1) {
        complain(monerr, "E.C. line parameter invalid or missing");
      } else if (n < min_ncline) {
        complain(monerr, "Page width must be 50 or greater.");
      } else if (n > max_ncline) {
        complain(monerr, "Page width must be 132 or less.");
      } else {
        set_ncline(n);
      }
    } else if (word == "SET_NL") {
      const std::int32_t n = card_int_param(card);
      if (n == -1) {
        complain(monerr, "E.C. line parameter invalid or missing");
      } else if (n < min_nlpage || n > max_nlpage) {
        complain(monerr, "Page length must be between 20 and 999.");
      } else {
        set_nlpage(n);
      }
    } else if (word == "GET_NC") {
      write_record(monerr, io::free_line({"     Curent value of ncline", get_ncline()}));
    } else if (word == "GET_NL") {
      write_record(monerr, io::free_line({"     Current value of nlpage", get_nlpage()}));
    } else if (word == "ISFDMP") {
      page = 0;
      lines = 0;
      ISFDMP(page, lines, monout);
    } else if (word == "DPRINT") {
      page = 0;
      lines = 0;
      std::vector<std::string> names(dprint_max_variables, std::string(20, ' '));
      std::int32_t nv = 0;
      std::int32_t nomiss = 0;
      std::string title(72, ' ');
      const std::int32_t mtdst = get_unit("MTDST");
      DPRINT(mtdst, names, nv, nomiss, title, page, lines, monout);
      DPRINT2(mtdst, names, nv, nomiss, title, page, lines, monout);
    } else if (word == "ISF_DE") {
      ISF_DEBUG(page, lines, monout);
    } else if (word == "STREAM") {
      stream_dump(get_unit("MTIST"), monout);
    } else if (word == "PR_ISF") {
      PR_ISF();
    } else if (word == "ASSIGN") {
      assign_card(card);
    } else if (word == "PRT_UT") {
      print_units(monout);
    } else if (word == "PR_LNS") {
      print_charset_lines(monout);
    } else {
      not_available(keyword);
    }
    card = read_card(monin);
  }
}

}  // namespace korvex

