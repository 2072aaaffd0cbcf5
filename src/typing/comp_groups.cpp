// COMP2's reading of the group decks that COMP1 punched and that follow its option card on
// MONIN: per group the title and count cards, the limits, the dimension names G01D01 ...,
// the coefficients (under the deck's own format card when it has one), the variable names,
// the group's coefficient listing and its definer lists. Every misfit stops the run.
#include <algorithm>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "typing/comp_internal.hpp"

namespace korvex::comp {

namespace {

std::string group_text(std::int32_t g) { return "GROUP " + std::to_string(g); }

// The count card: NVAR, dimensions, CLUST1 flag, format flag (blanks read as zeros).
void read_count_card(comp2_state& s) {
  std::vector<std::int32_t> v(18, 0);
  std::vector<io::Target> targets;
  for (std::int32_t& x : v) targets.emplace_back(&x);
  read_cards("( BZ,18I4)", targets, "THE COUNT CARD OF " + group_text(s.group));
  s.nvar = v[0];
  s.ndim = v[1];
  s.clust1_flag = v[2];
  s.format_flag = v[3];
  s.first_column = s.total_dims + 1;
  s.total_dims += s.ndim;
}

// The limits of the matrix and the agreement with group 1, in the order the user meets them.
void C2LIMT(comp2_state& s) {
  if (s.group == 1 && s.nvar > max_variables) {
    proc_error("NUMBER VARIABLES GREATER THAN " + int_to_text(max_variables, 4) + " GROUP ONE");
  }
  if (s.ndim > max_group_dims) proc_error("NUMBER DIMENSIONS EXCEEDS 50 IN ONE OR MORE GROUPS");
  if (s.group == 1) s.nvar_group1 = s.nvar;
  if (s.nvar != s.nvar_group1) proc_error("NUMBER VARIABLES NOT CONSISTENT IN ONE OR MORE GROUPS");
  if (s.total_dims > max_dims) proc_error("TOTAL NUMBER OF DIMENSIONS EXCEEDS " + int_to_text(max_dims, 4));
  // Counts below 1 would leave nothing to compare and loops without bounds.
  if (s.nvar < 1 || s.ndim < 1) {
    proc_error("COUNT CARD OF " + group_text(s.group) + ": " + std::to_string(s.nvar) + " VARIABLES, " +
               std::to_string(s.ndim) + " DIMENSIONS; EACH MUST BE AT LEAST 1.");
  }
}

// Names G<group>D<dimension> of the group's columns.
void DIMNAM(comp2_state& s) {
  for (std::int32_t d = 1; d <= s.ndim; ++d) {
    std::string name = io::pad("G00D00", name_length);
    name.replace(1, 2, int_to_text(s.group, 2));
    name.replace(4, 2, int_to_text(d, 2));
    s.dim_names[at0(s.first_column + d - 2)] = name;
  }
}

// One read of NVAR values per dimension, each starting on a new card.
void C2COEF(comp2_state& s, const std::string& layout) {
  for (std::int32_t d = 1; d <= s.ndim; ++d) {
    const std::int32_t col = s.first_column + d - 1;
    std::vector<io::Target> targets;
    for (std::int32_t i = 1; i <= s.nvar; ++i) targets.emplace_back(&s.a[cell(i, col)]);
    read_cards(layout, targets,
               "THE COEFFICIENTS OF DIMENSION " + std::to_string(d) + " OF " + group_text(s.group));
  }
}

// The variable names, 3 to a card; later groups must repeat group 1's names exactly.
void C2VNAM(comp2_state& s) {
  std::string layout = "(NNANN)";
  layout.replace(1, 2, int_to_text(3, 2));
  layout.replace(4, 2, int_to_text(static_cast<std::int32_t>(name_length), 2));
  std::vector<io::Target> targets;
  for (std::int32_t i = 1; i <= s.nvar; ++i) targets.emplace_back(&s.group_names[at0(i - 1)], name_length);
  read_cards(layout, targets, "THE VARIABLE NAMES OF " + group_text(s.group));
  if (s.group == 1) {
    for (std::int32_t i = 1; i <= s.nvar; ++i) s.ref_names[at0(i - 1)] = s.group_names[at0(i - 1)];
    return;
  }
  for (std::int32_t i = 1; i <= s.nvar; ++i) {
    if (s.group_names[at0(i - 1)] != s.ref_names[at0(i - 1)]) {
      proc_error("VARIABLE NAMES ARE NOT CONSISTENT AMONG TWO OR MORE GROUPS");
    }
  }
}

// The definer counts and lists of the group's columns, when the deck carries them.
void C2CLUS(comp2_state& s) {
  if (s.clust1_flag != 0) {
    if (s.varsel == 2 || s.varsel == 3) {
      proc_error("CLUST1 IS REQUIRED FOR ANALYSIS AND IS MISSING FROM ONE OR MORE GROUPS");
    }
    return;
  }
  std::vector<io::Target> targets;
  for (std::int32_t d = 1; d <= s.ndim; ++d) targets.emplace_back(&s.def_count[at0(s.first_column + d - 2)]);
  read_cards("( BZ,18I4)", targets, "THE DEFINER COUNTS OF " + group_text(s.group));
  for (std::int32_t d = 1; d <= s.ndim; ++d) {
    const std::int32_t col = s.first_column + d - 1;
    const std::int32_t count = s.def_count[at0(col - 1)];
    if (count < 1 || count > max_definers) proc_error("LENGTH OF A CLUST1 VECTOR IS OUT OF BOUNDS");
    const std::size_t base = at0(col - 1) * at0(max_definers);
    targets.clear();
    for (std::int32_t k = 1; k <= count; ++k) targets.emplace_back(&s.def_list[base + at0(k - 1)]);
    read_cards("( BZ,18I4)", targets,
               "THE DEFINERS OF DIMENSION " + std::to_string(d) + " OF " + group_text(s.group));
    for (std::int32_t k = 1; k <= count; ++k) {
      const std::int32_t v = s.def_list[base + at0(k - 1)];
      if (v < 1 || v > s.nvar) proc_error("VALUE OF A CLUSTER DEFINER IS OUT OF BOUNDS");
    }
  }
}

}  // namespace

void C2GRPS() {
  comp2_state& s = state();
  for (s.group = 1; s.group <= s.ngroups; ++s.group) {
    std::string first_card;
    std::string title_card;
    read_cards("(A80)", std::vector<io::Target>{io::Target(&first_card, 80)},
               "THE FIRST CARD OF " + group_text(s.group));
    read_cards("(A80)", std::vector<io::Target>{io::Target(&title_card, 80)},
               "THE TITLE CARD OF " + group_text(s.group));
    PAGER(0, s.page, s.lines, s.monout);
    PAGER(3, s.page, s.lines, s.monout);
    write_formatted(s.monout, "(10X, ' INDENTIFICATION OF GROUP ',I2//10X, A80)", {s.group, title_card});
    read_count_card(s);
    C2LIMT(s);
    DIMNAM(s);
    std::string layout = "(9F8.4)";
    if (s.format_flag == 1) {
      read_cards("(A80)", std::vector<io::Target>{io::Target(&layout, 80)},
                 "THE FORMAT CARD OF " + group_text(s.group));
      const std::string_view text = io::trim_right(layout);
      layout = std::string(text.substr(std::min(text.size(), text.find_first_not_of(' '))));
    }
    C2COEF(s, layout);
    C2VNAM(s);
    PAGER(-4, s.page, s.lines, s.monout);
    pr_matrix(std::span<const float>(s.a).subspan(cell(1, s.first_column)), s.ref_names,
              std::span<const std::string>(s.dim_names).subspan(at0(s.first_column - 1)), s.nvar, s.ndim,
              ld, 1, 4, "FACTOR COEFFICIENTS FROM THIS GROUP", s.page, s.lines, s.monout);
    C2CLUS(s);
  }
}

}  // namespace korvex::comp
