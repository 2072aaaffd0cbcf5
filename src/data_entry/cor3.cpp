// COR3, run by *COR3: the option card that follows it on MONIN, the checks of the data
// storage file against MEANS1 and VAREN1, the choice between the complete-data and the
// missing-data path, and the heading of its listing. The statistics themselves follow in
// cor3_stats.cpp.
#include <algorithm>
#include <cmath>
#include <string>

#include "data_entry/active_variables.hpp"
#include "data_entry/cor_internal.hpp"
#include "data_entry/cor_pairwise.hpp"
#include "data_entry/correlation.hpp"
#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/positioning.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"

namespace korvex::cor {

namespace {

constexpr std::int32_t input_stop = 10002;
constexpr std::string_view dsf_tag = "Error reading DSF";

// The text of field i (1-based) of the card.
std::string_view card_field(std::string_view card, std::int32_t i) {
  return card.substr(static_cast<std::size_t>(4 * (i - 1)), 4);
}

std::int32_t on(std::int32_t value) { return value == 1 ? 1 : 0; }

// A message line on the listing, then the input stop.
[[noreturn]] void input_error(cor3_state& st, std::string_view text) {
  message_line(text, st.page, st.lines, st.monout);
  QUIT(input_stop);
}

// CR3INP: the card, the head of the data storage file and the ISF inputs.
void read_inputs(cor3_state& st) {
  st.page = 0;
  st.lines = 0;
  std::string record;
  if (!read_record(st.monin, record)) {
    check_io_stat("COR3: end of file on MONIN where the option card was expected", -1);
  }
  st.card = io::pad(record, 80);
  rewind_unit(st.mtdst);
  decode_cor3_card(st.card, st.options);

  st.title.assign(title_word_count, std::string(title_word_length, ' '));
  std::vector<std::string> second(title_word_count, std::string(title_word_length, ' '));
  check_io_stat(dsf_tag, read_title_record(st.mtdst, st.title));
  check_io_stat(dsf_tag, read_title_record(st.mtdst, second));
  for (std::int32_t i = 0; i < title_word_count; ++i) {
    if (!io::padded_equal(st.title[static_cast<std::size_t>(i)],
                          second[static_cast<std::size_t>(i)])) {
      input_error(st, "DATA FILE HAS IMPROPER FORMAT (PROBABLY BECAUSE IT IS THE WRONG ONE)");
    }
  }
  std::int32_t nvx = 0;
  check_io_stat(dsf_tag, read_counts_record(st.mtdst, nvx, st.missing_flag));
  skip_to_zero_record(st.mtdst);

  decode_cor3_field11(st.card, st.missing_flag, st.options);

  refuse_selection_in_force("COR3");
  const active_variables vars = read_active_variables(0);
  st.names.assign(static_cast<std::size_t>(std::clamp(nvx, 0, max_variables)),
                  std::string(name_length, ' '));
  GENAME("VAR", st.names, static_cast<std::int32_t>(st.names.size()), 0);
  if (vars.names_found) {
    const auto n = std::min(vars.names.size(), st.names.size());
    std::copy_n(vars.names.begin(), n, st.names.begin());
  }

  st.means.assign(max_variables, 0.0f);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_vector("MEANS1", 0, kpar, notfound, st.means);
  if (notfound != 0) input_error(st, "CANNOT FIND VECTOR OF MEANS ON ISF");
  if (nvx != kpar[1]) input_error(st, "DATA FILE AND ISF DISAGREE AS TO THE NUMBER OF VARIABLES");
  st.nsub = kpar[0] >= 3 ? kpar[3] : 0;
  if (nvx < 1 || nvx > max_variables || st.nsub < 1 || st.nsub > max_subjects) {
    proc_error("INCONSISTENT INPUT FROM ISF");
  }
  st.nv = nvx;
  st.means.resize(static_cast<std::size_t>(st.nv));

  // The totals are taken about the means, whatever the level and the spread of the data.
  st.shift.resize(static_cast<std::size_t>(st.nv));
  for (std::size_t k = 0; k < st.shift.size(); ++k) {
    st.shift[k] = std::isnan(st.means[k]) ? 0.0f : st.means[k];
  }

  st.counts.assign(static_cast<std::size_t>(st.nv), st.nsub);
  if (st.options.complete != 1) {
    std::vector<std::int32_t> varen(max_variables, 0);
    Kpar kv{};
    isf_int_vector("VAREN1", 0, kv, notfound, varen);
    if (notfound != 0) input_error(st, "CANNOT FILE VECTOR OF MATCHED N'S ON ISF");
    if (kv[1] != st.nv) input_error(st, "DATA FILE AND ISF DISAGREE AS TO THE NUMBER OF VARIABLES");
    std::copy_n(varen.begin(), st.nv, st.counts.begin());
    if (std::all_of(st.counts.begin(), st.counts.end(),
                    [&](std::int32_t c) { return c == st.nsub; })) {
      st.options.complete = 1;
    }
  }
  if (st.options.complete == 1) drop_matched_options(st.options);
}

// CR3OPT: one option line when the switch is on; the action word fills its 8 columns from
// the left, as a text of 8 characters does.
void option_line(cor3_state& st, std::int32_t action, std::int32_t value, std::string_view item) {
  if (value != 1) return;
  const std::string layout =
      "(1X,A8,A" + int_to_text(static_cast<std::int64_t>(item.size()), 3) + ")";
  const std::string line =
      io::pad(io::format_line(layout, {action == 1 ? "COMPUTE " : "PRINT   ", item}), 120);
  pr_line(-1, get_ncline() - 1, io::trim_right(line), st.page, st.lines, st.monout);
}

void centred(cor3_state& st, std::string_view text) {
  pr_line(0, get_ncline() - 1, text, st.page, st.lines, st.monout);
}

// CR3HDR: the heading page.
void print_heading(cor3_state& st) {
  const cor3_options& o = st.options;
  const std::string title = cor3_title_line(st);
  PAGER(0, st.page, st.lines, st.monout);
  PAGER(-6, st.page, st.lines, st.monout);
  centred(st, "C O V A R I A N C E / C O R R E L A T I O N   P R O G R A M");
  PAGER(-1, st.page, st.lines, st.monout);
  centred(st, "W I T H   A L L O W A N C E   F O R   M I S S I N G   D A T A");
  PAGER(-3, st.page, st.lines, st.monout);
  centred(st, io::trim_right(title));
  if (o.first_page == 1) {
    PAGER(-3, st.page, st.lines, st.monout);
    centred(st, "| Using COR3 option to print only the first page of the matrix |");
  }
  PAGER(-3, st.page, st.lines, st.monout);
  option_line(st, 2, o.print_means, "MATCHED MEANS");
  option_line(st, 2, o.print_n, "MATCHED N");
  option_line(st, 1, o.compute_sd, "STANDARD DEVIATIONS");
  option_line(st, 1, o.compute_cov, "COVARIANCES");
  option_line(st, 1, o.compute_cor, "CORRELATIONS");
  option_line(st, 2, o.print_sd, "STANDARD DEVIATIONS");
  option_line(st, 2, o.print_cov, "COVARIANCES");
  option_line(st, 2, o.print_cor, "CORRELATIONS");
  message_line(o.unbiased == 1 ? "UNBIASED ESTIMATES" : "SAMPLE MOMENTS", st.page, st.lines,
               st.monout);
  message_line(o.complete == 1 ? "NO MISSING DATA" : "MISSING DATA", st.page, st.lines, st.monout);
  PAGER(3, st.page, st.lines, st.monout);
  write_formatted(st.monout, "(1X/1X,I6,' VARIABLES'/1X,I6,' OBSERVATIONS')", {st.nv, st.nsub});
  PAGER(-1, st.page, st.lines, st.monout);
  PAGER(-1, st.page, st.lines, st.monout);
  centred(st, io::trim_right(title));
}

void CR3DRV() {
  module_start();
  cor3_state st;
  st.monin = get_unit("MONIN");
  st.monout = get_unit("MONOUT");
  st.mtdst = get_unit("MTDST");
  read_inputs(st);
  print_heading(st);
  cor3_statistics(st);
  return_to_gep();
}

}  // namespace

void decode_cor3_card(std::string_view card, cor3_options& o) {
  const std::string c = io::pad(card, 80);
  for (std::int32_t i = 1; i <= 16; ++i) {
    if (i == 11) continue;
    const std::int32_t default_value = (i == 6 || i == 7 || i == 16) ? 1 : 0;
    field_int(card_field(c, i), o.field[static_cast<std::size_t>(i)], default_value);
  }
  const auto f = [&](std::int32_t i) { return on(o.field[static_cast<std::size_t>(i)]); };
  o.first_page = f(1);
  o.print_sd = f(2);
  o.print_cov = f(3);
  o.print_means = f(4);
  o.print_n = f(5);
  o.unbiased = f(9);
  o.save_means = f(12);
  o.save_n = f(13);
  o.save_sd = f(14);
  o.save_cov = f(15);
  o.save_cor = f(16);
  o.print_cor = 1;
  o.compute_sd = std::max({f(7), o.print_sd, o.save_sd});
  o.compute_cov = std::max({f(8), o.print_cov, o.save_cov});
  o.compute_cor = std::max({f(6), o.print_cor, o.save_cor});
  o.need_moments = std::max({o.compute_sd, o.compute_cov, o.compute_cor});
  o.need_cov = std::max(o.compute_cov, o.compute_cor);
}

void decode_cor3_field11(std::string_view card, std::int32_t missing_flag, cor3_options& o) {
  const std::string c = io::pad(card, 80);
  field_int(card_field(c, 11), o.field[11], missing_flag);
  const std::int32_t v = std::min(o.field[11], 1);
  const std::int32_t insert = on(o.field[10]);
  o.complete = std::min(v + insert, 1);
  o.insert_means = v == 0 ? insert : 0;
}

void drop_matched_options(cor3_options& o) {
  o.compute_sd = 0;
  o.need_moments = 0;
  o.print_sd = 0;
  o.save_sd = 0;
  o.print_means = 0;
  o.save_means = 0;
  o.print_n = 0;
  o.save_n = 0;
}

std::string cor3_title_line(const cor3_state& st) {
  std::string line(72, ' ');
  words_to_line(st.title, line);
  return line;
}

}  // namespace korvex::cor

namespace korvex {

void COR3() { cor::CR3DRV(); }

}  // namespace korvex
