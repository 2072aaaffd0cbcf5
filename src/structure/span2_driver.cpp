// The spherical analysis component SPAN2: after *SPAN2 the component loop hands the turn
// here. The driver reads the parameter card and the ISF inputs, prints the prologue, selects
// and analyses the subspaces of each dimensionality from NSTART to NFIN and ends with the
// index page. SPAN2 pages its listing itself and stores nothing.
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "data_entry/active_variables.hpp"
#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"
#include "structure/span2.hpp"
#include "structure/span2_internal.hpp"

namespace korvex {

namespace span2 {

namespace {

run_state g_state;
page_record g_page;

// The parameter card as its nine fields.
struct parameter_card {
  std::array<std::string, 9> field;
};

// Reads the parameter card "(5A4, 2A8, 2A4)"; a missing or unreadable card stops the run.
parameter_card read_parameter_card(std::int32_t monin) {
  parameter_card card;
  std::string record;
  if (!read_record(monin, record)) check_io_stat("error reading monin:", -1);
  std::array<io::Target, 9> targets = {
      io::Target(&card.field[0], 4), io::Target(&card.field[1], 4), io::Target(&card.field[2], 4),
      io::Target(&card.field[3], 4), io::Target(&card.field[4], 4), io::Target(&card.field[5], 8),
      io::Target(&card.field[6], 8), io::Target(&card.field[7], 4), io::Target(&card.field[8], 4)};
  io::read_text("(5A4,2A8,2A4)", record, targets);
  return card;
}

// The coefficients of UFACT1 (source 1) or RFACT1. Their sizes must fit the tables, and
// every coefficient must be a number: a NaN would reach the picture positions.
void read_coefficients(run_state& s) {
  const std::string_view label = s.options.source == 1 ? "UFACT1" : "RFACT1";
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_matrix(label, 0, kpar, notfound, s.coef);
  isf_not_found(label, notfound);
  s.NV = kpar[1];
  s.NF = kpar[0] >= 2 ? kpar[2] : 1;
  if (s.NV < 1 || s.NV > max_vars || s.NF < 1 || s.NF > max_dims) {
    proc_error("SPAN2: " + std::string(label) + " holds " + std::to_string(s.NV) +
               " variables and " + std::to_string(s.NF) + " dimensions; at most 999 and 50.");
  }
  for (std::int32_t j = 1; j <= s.NF; ++j) {
    for (std::int32_t i = 1; i <= s.NV; ++i) {
      if (!std::isfinite(s.c(i, j))) {
        proc_error("SPAN2: " + std::string(label) + " coefficient of variable " +
                   std::to_string(i) + " on dimension " + std::to_string(j) +
                   " is not a number.");
      }
    }
  }
}

// Names and printed numbers of the variables. Without VNAMS1 the names are "Variable" and
// the number; with it the names by position and, under a selection, the numbers of REORD1.
void read_names(run_state& s) {
  const active_variables v = read_active_variables(0);
  s.var_names.assign(max_vars, std::string(name_length, ' '));
  s.order.assign(max_vars, 0);
  for (std::int32_t i = 1; i <= s.NV; ++i) s.order[at(i)] = i;
  if (!v.names_found) {
    GENAME("Variable", s.var_names, s.NV, 0);
  } else {
    for (std::int32_t i = 1; i <= s.NV; ++i) {
      if (at(i) < v.names.size()) s.var_names[at(i)] = io::pad(v.names[at(i)], name_length);
      if (at(i) < v.numbers.size()) s.order[at(i)] = v.numbers[at(i)];
    }
  }
  s.var_names_left = s.var_names;
  for (std::string& name : s.var_names) rjust_text(std::string(name), name);
}

// The key-cluster lists of REFLX1 and the cluster of each variable. Every list and entry is
// checked before it indexes anything.
void read_key_lists(run_state& s) {
  s.var_cluster.assign(max_vars, 0);
  s.refl_counts.assign(max_vars, 0);
  s.refl_lists.assign(static_cast<std::size_t>(max_list) * max_vars, 0);
  s.refl_count = 0;
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_int_table("REFLX1", 0, kpar, notfound, s.refl_counts, s.refl_lists);
  if (notfound != 0) {
    if (s.options.rigid == 1) isf_not_found("REFLX1", notfound);
    return;
  }
  const std::int32_t lists = kpar[1];
  if (lists < 0 || lists > max_dims) {
    proc_error("SPAN2: REFLX1 holds " + std::to_string(lists) +
               " lists; at most 50 can be used.");
  }
  for (std::int32_t c = 1; c <= lists; ++c) {
    const std::int32_t count = s.refl_counts[at(c)];
    if (count < 0 || count > max_list) {
      proc_error("SPAN2: REFLX1 list " + std::to_string(c) + " holds " + std::to_string(count) +
                 " entries; at most 99 can be used.");
    }
    for (std::int32_t e = 1; e <= count; ++e) {
      std::int32_t& x = s.refl_lists[static_cast<std::size_t>(c - 1) * max_list + at(e)];
      if (x == 0 || x < -s.NV || x > s.NV) {
        proc_error("SPAN2: REFLX1 list " + std::to_string(c) + " holds the entry " +
                   std::to_string(x) + "; the coefficients have " + std::to_string(s.NV) +
                   " variables.");
      }
      s.var_cluster[at(x < 0 ? -x : x)] = x >= 0 ? c : -c;
      if (x < 0) x = -x;
    }
  }
  s.refl_count = lists;
}

// Stops the run on a highest dimensionality below 1, before anything is printed.
void need_dimensionality(std::int32_t nfin) {
  if (nfin < 1) fatal_with_number("SPAN2 ERROR: NFIN MUST BE 1 OR MORE, NFIN ", nfin);
}

}  // namespace

run_state& state() { return g_state; }
page_record& page_state() { return g_page; }

void reset_state() {
  g_state = run_state{};
  g_page = page_record{};
}

void span_input() {
  run_state& s = state();
  const parameter_card card = read_parameter_card(s.monin);
  field_int(card.field[0], s.MODE, 1);
  field_int(card.field[1], s.options.source, 1);
  field_int(card.field[2], s.NSTART, 3);
  field_int(card.field[3], s.NFIN, 3);
  field_real(card.field[5], s.CLOPR, 0.8f);
  field_real(card.field[6], s.options.MINCOM, 0.2f);
  field_int(card.field[4], s.options.MINEW, 3);
  field_int(card.field[7], s.options.rigid, 0);
  field_int(card.field[8], s.options.reduce, 0);

  s.title_words.assign(12, std::string(6, ' '));
  std::int32_t notfound = 0;
  isf_idfile(0, notfound, s.title_words);
  isf_not_found("IDFILE", notfound);
  words_to_line(s.title_words, s.title_line);
  s.title_line.resize(80, ' ');

  read_coefficients(s);
  read_names(s);

  s.NFIN = std::min(s.NFIN, s.NF);
  // Below 1 there is no dimensionality to analyse nor any page of the index to point to.
  // In mode 2 the analyst's sets replace both limits, so there only a run without sets
  // keeps the card's NFIN.
  if (s.MODE != 2) need_dimensionality(s.NFIN);
  s.NSTART = std::min(std::max(s.NSTART, 1), s.NFIN);

  read_key_lists(s);

  if (s.MODE != 1) span_prefix();
  if (s.MODE == 2) need_dimensionality(s.NFIN);

  s.h2.assign(max_vars, 0.0f);
  for (std::int32_t i = 1; i <= s.NV; ++i) {
    float sum = 0.0f;
    for (std::int32_t j = 1; j <= s.NF; ++j) sum += s.c(i, j) * s.c(i, j);
    s.h2[at(i)] = sum;
    if (sum > 0.0f) {
      const float scale = 1.0f / std::sqrt(sum);
      for (std::int32_t j = 1; j <= s.NF; ++j) s.c(i, j) *= scale;
    }
  }
}

void span_main() {
  module_start();
  reset_page();
  reset_state();
  run_state& s = state();
  s.monin = get_unit("MONIN");
  s.monout = get_unit("MONOUT");
  s.nlpage = get_nlpage();
  s.ncline_m1 = get_ncline_m1();
  span_page_init();
  s.coef.assign(static_cast<std::size_t>(ld) * max_dims, 0.0f);

  span_input();
  s.options.page_limit = s.nlpage - 1;
  // Two entries per dimensionality; the sphere pictures append theirs as they are drawn.
  s.index_pages.assign(static_cast<std::size_t>(2 * s.NF), 0);

  span_prologue();

  for (std::int32_t k = s.NSTART; k <= s.NFIN; ++k) {
    if (s.MODE == 2 && span_preset_range(k)[0] == 0) continue;
    select_for_dimension(k);
    if (s.n_count() >= 1) {
      span_dimension(k);
    } else if (s.MODE == 2 || s.MODE == 3) {
      span_page_new();
      write_formatted(s.monout, "(1x)");
      write_formatted(s.monout, "(\" NO PROCESSING FOR \",I0,\" DIMENSIONAL SUBSPACES.\")", {k});
      s.index_pages[at(2 * k - 1)] = span_page_number();
      s.index_pages[at(2 * k)] = span_page_number();
    }
    if (k == 3) s.three_count = s.n_count();
  }

  if (s.options.reduce == 0) span_index();
  return_to_gep();
}

}  // namespace span2

void SPAN2() { span2::span_main(); }

void reset_span2() { span2::reset_state(); }

}  // namespace korvex
