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


// What GEP does once a keyword has been obeyed.
enum class ec_next {
  next_card,  // reads the next card
  same_card,  // obeys the card already in hand
  leave,      // GEP returns
};

// The state one call of GEP shares among the keywords it obeys. The page and line counters
// carry from one keyword to the next.
struct ec_turn {
  std::int32_t monerr = 0;
  std::int32_t monin = 0;
  std::int32_t monout = 0;
  std::string card;
  std::int32_t page = 0;
  std::int32_t lines = 0;
};

ec_next do_start(ec_turn& t) {
  isf_init();
  write_formatted(t.monerr, "(1x)");
  write_formatted(t.monerr, "(2x,A,A)", {"Build Number: ", "    2104"});
  write_formatted(t.monerr, "(1x)");
  t.page = -1;
  t.lines = 1000;
  pr_banner(0, std::min(get_ncline(), 90), t.page, t.lines, t.monout);
  t.lines = 0;
  return ec_next::next_card;
}

ec_next do_end(ec_turn&) {
  rewind_open_unit(get_unit("MTIST"));
  end_run();
  return ec_next::leave;
}

ec_next do_give(ec_turn& t) {
  t.page = 0;
  t.lines = 0;
  GIVE(get_unit("GIVE"), t.page, t.lines, t.monout);
  return ec_next::next_card;
}

ec_next do_take(ec_turn& t) {
  t.page = 0;
  t.lines = 0;
  std::int32_t failed = 0;
  TAKE(get_unit("TAKE"), failed, t.page, t.lines, t.monout);
  if (failed == 0) return ec_next::next_card;
  // The run ends normally, but the process reports the failure in its exit status.
  rewind_open_unit(get_unit("MTIST"));
  mark_run_failed();
  end_run();
  return ec_next::leave;
}

// *COMMEN and *RUN_NO: the cards up to the next one with "*" are copied to the listing; that
// card is obeyed without a further read.
ec_next do_comment(ec_turn& t) {
  write_formatted(t.monout, "(1X)");
  for (;;) {
    t.card = read_card(t.monin);
    if (t.card[0] == '*') return ec_next::same_card;
    write_formatted(t.monout, "(1X,A120)", {t.card});
  }
}

ec_next do_dicdmp(ec_turn&) {
  set_component("GIVE");
  return ec_next::leave;
}

ec_next do_set_nc(ec_turn& t) {
  const std::int32_t n = card_int_param(t.card);
  if (n == -1) {
    progress_line("E.C. line parameter invalid or missing", t.monerr);
  } else if (n < min_ncline) {
    progress_line("Page width must be 50 or greater.", t.monerr);
  } else if (n > max_ncline) {
    progress_line("Page width must be 132 or less.", t.monerr);
  } else {
    set_ncline(n);
  }
  return ec_next::next_card;
}

ec_next do_set_nl(ec_turn& t) {
  const std::int32_t n = card_int_param(t.card);
  if (n == -1) {
    progress_line("E.C. line parameter invalid or missing", t.monerr);
  } else if (n < min_nlpage || n > max_nlpage) {
    progress_line("Page length must be between 20 and 999.", t.monerr);
  } else {
    set_nlpage(n);
  }
  return ec_next::next_card;
}

ec_next do_get_nc(ec_turn& t) {
  write_record(t.monerr, io::free_line({"     Curent value of ncline", get_ncline()}));
  return ec_next::next_card;
}

ec_next do_get_nl(ec_turn& t) {
  write_record(t.monerr, io::free_line({"     Current value of nlpage", get_nlpage()}));
  return ec_next::next_card;
}

ec_next do_isfdmp(ec_turn& t) {
  t.page = 0;
  t.lines = 0;
  ISFDMP(t.page, t.lines, t.monout);
  return ec_next::next_card;
}

ec_next do_dprint(ec_turn& t) {
  t.page = 0;
  t.lines = 0;
  std::vector<std::string> names(dprint_max_variables, std::string(20, ' '));
  std::int32_t nv = 0;
  std::int32_t nomiss = 0;
  std::string title(72, ' ');
  const std::int32_t mtdst = get_unit("MTDST");
  DPRINT(mtdst, names, nv, nomiss, title, t.page, t.lines, t.monout);
  DPRINT2(mtdst, names, nv, nomiss, title, t.page, t.lines, t.monout);
  return ec_next::next_card;
}

// *ISF_DE goes on with the page and line counters the keywords before it left.
ec_next do_isf_de(ec_turn& t) {
  ISF_DEBUG(t.page, t.lines, t.monout);
  return ec_next::next_card;
}

ec_next do_stream(ec_turn& t) {
  stream_dump(get_unit("MTIST"), t.monout);
  return ec_next::next_card;
}

ec_next do_pr_isf(ec_turn&) {
  PR_ISF();
  return ec_next::next_card;
}

ec_next do_assign(ec_turn& t) {
  assign_card(t.card);
  return ec_next::next_card;
}

ec_next do_prt_ut(ec_turn& t) {
  print_units(t.monout);
  return ec_next::next_card;
}

ec_next do_pr_lns(ec_turn& t) {
  print_charset_lines(t.monout);
  return ec_next::next_card;
}

struct ec_keyword {
  const char* word;
  bool echo;  // the card is copied to the listing before it is obeyed
  ec_next (*obey)(ec_turn&);
};

// The executive keywords in lookup order, each with its echo flag and its handler.
constexpr ec_keyword ec_keywords[] = {
    {"START", true, do_start},    {"END", true, do_end},        {"GIVE", false, do_give},
    {"TAKE", false, do_take},     {"ISFDMP", true, do_isfdmp},  {"COMMEN", true, do_comment},
    {"DICDMP", true, do_dicdmp},  {"DPRINT", true, do_dprint},  {"PRT_UT", true, do_prt_ut},
    {"SET_NC", true, do_set_nc},  {"SET_NL", true, do_set_nl},  {"GET_NC", true, do_get_nc},
    {"GET_NL", true, do_get_nl},  {"RUN_NO", true, do_comment}, {"ASSIGN", true, do_assign},
    {"ISF_DE", true, do_isf_de},  {"PR_LNS", true, do_pr_lns},  {"STREAM", true, do_stream},
    {"PR_ISF", true, do_pr_isf}};

// The entry of a keyword, or null when the word is no executive keyword.
const ec_keyword* find_keyword(const std::string& keyword) {
  for (const ec_keyword& entry : ec_keywords) {
    if (io::padded_equal(entry.word, keyword)) return &entry;
  }
  return nullptr;
}

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
  ec_turn t;
  t.monerr = get_unit("MONERR");
  t.monin = get_unit("MONIN");
  t.monout = get_unit("MONOUT");
  reset_page();

  t.card = read_card(t.monin);
  for (;;) {
    if (t.card[0] != '*') {
      write_formatted(t.monout, "(A1,A120)", {"1", t.card});
      proc_error("The above card is not a correct EC card.");
    }
    const std::string keyword = card_keyword(t.card);
    exec_banner(keyword, t.monerr);
    const ec_keyword* entry = find_keyword(keyword);
    if (entry == nullptr) {
      ORGPNT(keyword, t.monout);
      set_component(keyword);
      return;
    }
    if (entry->echo) write_formatted(t.monout, "(1x,A)", {io::trim_right(t.card)});
    switch (entry->obey(t)) {
      case ec_next::leave:
        return;
      case ec_next::same_card:
        break;
      case ec_next::next_card:
        t.card = read_card(t.monin);
        break;
    }
  }
}

}  // namespace korvex

