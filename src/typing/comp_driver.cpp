// COMP2, the comparison of dimensions across groups: the component entry and its run state,
// the title and option cards with the description page, and the analyst's name lists. The
// group decks, the selection and the similarities follow in comp_groups, comp_select and
// comp_similarity.
#include <optional>
#include <string>
#include <vector>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"
#include "typing/comp.hpp"
#include "typing/comp_internal.hpp"

namespace korvex {

namespace comp {

namespace {

comp2_state g_state;

// The description texts of the option values (the values were checked before).
constexpr const char* varsel_text[] = {
    "ALL VARIABLES WILL BE USED",
    "VARIABLES SELECTED BY THE ANALYST WILL BE USED",
    "KEY CLUSTER VARIABLES WILL BE USED",
    "FOR EACH PAIR COMPARISON, ONLY DEFINING VARIABLES OF THE TWO DIMENSIONS ARE USED",
};
constexpr const char* dimsel_text[] = {
    "ALL DIMENSIONS WILL BE USED",
    "DIMENSIONS SELECTED BY ANALYST WILL BE USED",
};
constexpr const char* index_text[] = {
    "COSINE OF ANGULAR SEPARATION OF DIMENSIONS",
    "P  SQUARE COEFFICIENTS AMONG DIMENSIONS",
    "CORRELATION COEFFICIENTS AMONG DIMENSIONS",
};

// Stops when an option lies outside its table: the later steps are defined for none of them.
void check_option(std::string_view field, std::string_view columns, std::int32_t value,
                  std::int32_t lo, std::int32_t hi) {
  if (value >= lo && value <= hi) return;
  std::string allowed = hi > lo ? std::to_string(lo) + " TO " + std::to_string(hi)
                                : std::to_string(lo);
  proc_error("COMP2 OPTION CARD: " + std::string(field) + " (COLUMNS " + std::string(columns) +
             ") IS " + std::to_string(value) + "; IT MUST BE " + allowed + ".");
}

// One analyst's list of names; a bad character or fewer than 2 names stops the run.
void read_list(std::vector<std::string>& names, std::int32_t& count, std::string_view kind) {
  comp2_state& s = g_state;
  PAGER(-3, s.page, s.lines, s.monout);
  PAGER(10, s.page, s.lines, s.monout);
  std::int32_t bad = 0;
  read_name_list(names, max_dims, count, bad, s.monin, s.monout);
  if (bad != 0) proc_error("INAPPROPRIATE CHARACTER FOUND IN LIST OF SELECTED " + std::string(kind));
  if (count < 2) proc_error("NUMBER OF SELECTED " + std::string(kind) + " LESS THAN 2");
}

void print_description() {
  comp2_state& s = g_state;
  PAGER(0, s.page, s.lines, s.monout);
  PAGER(-5, s.page, s.lines, s.monout);
  PAGER(3, s.page, s.lines, s.monout);
  write_formatted(s.monout, "(33X, ' C O M P A R A T I V E  C L U S T E R  A N A L Y S I S'// 56X,'C O M P 2')");
  PAGER(-9, s.page, s.lines, s.monout);
  PAGER(5, s.page, s.lines, s.monout);
  std::vector<io::Value> values(s.title.begin(), s.title.end());
  values.emplace_back(s.ngroups);
  write_formatted(s.monout, "(10X,' DESCRIPTION OF DATA'//15X,12A6//15X,'NUMBER OF GROUPS = ',I4)", values);
  PAGER(-7, s.page, s.lines, s.monout);
  PAGER(1, s.page, s.lines, s.monout);
  write_formatted(s.monout, "(10X, ' DESCRIPTION OF THE METHOD OF ANALYSIS')");
  PAGER(-5, s.page, s.lines, s.monout);
  PAGER(3, s.page, s.lines, s.monout);
  write_formatted(s.monout, "(15X, ' SELECTION OF VARIABLES'//20X,A90)", {io::pad(varsel_text[s.varsel], 90)});
  PAGER(-3, s.page, s.lines, s.monout);
  PAGER(3, s.page, s.lines, s.monout);
  write_formatted(s.monout, "(15X, ' SELECTION OF DIMENSIONS'//20X,A90)", {io::pad(dimsel_text[s.dimsel], 90)});
  PAGER(-3, s.page, s.lines, s.monout);
  PAGER(3, s.page, s.lines, s.monout);
  write_formatted(s.monout, "(15X, ' INDEX OF DIMENSION SIMILARITY TO BE USED' // 20X,A90)",
                  {io::pad(index_text[s.index], 90)});
}

}  // namespace

comp2_state& state() { return g_state; }

void reset_state() {
  g_state = comp2_state{};
  comp2_state& s = g_state;
  const std::string blank_name(name_length, ' ');
  s.title.assign(12, std::string(6, ' '));
  s.a.assign(at0(ld) * at0(max_dims), 0.0f);
  s.dim_names.assign(at0(max_dims), blank_name);
  s.ref_names.assign(at0(max_variables), blank_name);
  s.group_names.assign(at0(max_variables), blank_name);
  s.sel_var_names.assign(at0(max_dims), blank_name);
  s.sel_dim_names.assign(at0(max_dims), blank_name);
  s.var_list.assign(at0(max_dims), blank_name);
  s.dim_list.assign(at0(max_dims), blank_name);
  s.def_count.assign(at0(max_dims), 0);
  s.def_list.assign(at0(max_definers) * at0(max_dims), 0);
  s.dim_origin.assign(at0(max_dims), 0);
  s.index_vec.assign(at0(max_dims), 0);
  s.mark.assign(at0(max_dims), 0);
}

void read_cards(std::string_view layout, std::span<const io::Target> targets, std::string_view what) {
  const std::int32_t monin = g_state.monin;
  const io::RecordSource source = [monin]() -> std::optional<std::string> {
    std::string record;
    if (!read_record(monin, record)) return std::nullopt;
    return record;
  };
  bool complete = false;
  try {
    complete = io::Layout::get(layout).read(source, targets);
  } catch (const io::LayoutError& e) {
    proc_error("COMP2: " + std::string(what) + " CANNOT BE READ: " + e.what());
  }
  if (!complete) proc_error("COMP2: MONIN ENDED BEFORE " + std::string(what) + ".");
}

void C2PARM() {
  comp2_state& s = g_state;
  std::vector<io::Target> targets;
  for (std::string& w : s.title) targets.emplace_back(&w, 6);
  read_cards("(12A6)", targets, "THE TITLE CARD");
  std::vector<std::string> fields(4);
  targets.clear();
  for (std::string& f : fields) targets.emplace_back(&f, 4);
  read_cards("(4A4)", targets, "THE OPTION CARD");
  field_int(fields[0], s.ngroups, 1);
  field_int(fields[1], s.varsel, 3);
  field_int(fields[2], s.dimsel, 0);
  field_int(fields[3], s.index, 0);
  // A hundredth group would have no name of its own among the dimension names (G01D01 ...)
  // and no number in its listing head, so it is refused before any deck is read.
  check_option("NGROUPS", "1-4", s.ngroups, 1, max_groups);
  check_option("VARSEL", "5-8", s.varsel, 0, 3);
  check_option("DIMSEL", "9-12", s.dimsel, 0, 1);
  check_option("INDEX", "13-16", s.index, 0, 2);
  print_description();
  if (s.varsel == 1) read_list(s.var_list, s.var_list_count, "VARIABLES");
  if (s.dimsel == 1) read_list(s.dim_list, s.dim_list_count, "DIMENSIONS");
}

}  // namespace comp

void COMP2() {
  module_start();
  comp::reset_state();
  comp::comp2_state& s = comp::state();
  s.monin = get_unit("MONIN");
  s.monout = get_unit("MONOUT");
  s.page = 0;
  s.lines = 0;
  comp::C2PARM();
  comp::C2GRPS();
  comp::C2SELE();
  comp::C2SIMI();
  comp::C2OUTP();
  return_to_gep();
}

}  // namespace korvex
