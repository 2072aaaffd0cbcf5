// The rotation component GYRO: after *GYRO the component loop hands the turn here. The
// driver resets the listing to its defaults, prints the program heading, reads the run
// title, UFACT1 and the variable names, prints the unrotated coefficients, reads the three
// control cards, runs the quartimax or varimax rotation and ends with the summary, which
// writes RFACT1 and BASIS1, before returning to GEP.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/gyro.hpp"
#include "selection/rotation.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

using rotation::listing;

constexpr std::int32_t method_quartimax = 1;
constexpr std::int32_t method_varimax = 2;

// The method table: two methods and three spare slots that no card can use successfully.
constexpr std::array<std::string_view, 5> method_table = {"QRTMAX", "VARMAX", "XXXXXX", "XXXXXX",
                                                          "XXXXXX"};

// The three control cards as read.
struct gyro_cards {
  std::int32_t method = 0;
  std::string cycles;     // 4 columns
  std::string criterion;  // 8 columns
};

// The first `width` columns of the next card on MONIN; the end of the deck stops the run.
std::string read_card_field(std::int32_t monin, std::string_view layout, std::size_t width) {
  std::string record;
  if (!read_record(monin, record)) iostat_error(-1);
  std::string field;
  const std::array<io::Target, 1> target = {io::Target(&field, width)};
  io::read_text(layout, record, target);
  return field;
}

// Reads the method, cycles and criterion cards and looks the method up. A method that is not
// in the table stops the run with "Invalid method: " and the card's six characters.
gyro_cards gyro_read_control(std::int32_t monin) {
  gyro_cards cards;
  const std::string name = read_card_field(monin, "(A6)", 6);
  cards.cycles = read_card_field(monin, "(A4)", 4);
  cards.criterion = read_card_field(monin, "(A8)", 8);
  const std::vector<std::string> table(method_table.begin(), method_table.end());
  cards.method = find_name(table, static_cast<std::int32_t>(table.size()), name);
  if (cards.method > static_cast<std::int32_t>(table.size())) proc_error("Invalid method: " + name);
  return cards;
}

// The program heading on a new page.
void print_heading(listing& out) {
  PAGER(0, out.page, out.lines, out.unit);
  PAGER(-2, out.page, out.lines, out.unit);
  pr_line(0, out.maxlen, "O R T H O G O N A L  R O T A T I O N  P R O G R A M", out.page,
          out.lines, out.unit);
  PAGER(-2, out.page, out.lines, out.unit);
  pr_line(0, out.maxlen, "G   Y   R   O", out.page, out.lines, out.unit);
}

// The problem lines: the title and the two sizes.
void print_problem(std::string_view title, std::int32_t numvar, std::int32_t numfac,
                   listing& out) {
  PAGER(-4, out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen, "Problem identification: " + std::string(title), out.page, out.lines,
          out.unit);
  PAGER(-1, out.page, out.lines, out.unit);
  PAGER(1, out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen, io::format_line("(\"Variables: \",I0)", {numvar}), out.page, out.lines,
          out.unit);
  PAGER(-1, out.page, out.lines, out.unit);
  PAGER(1, out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen, io::format_line("(\"Dimensions: \",I0)", {numfac}), out.page,
          out.lines, out.unit);
}

void gyro_main() {
  module_start();
  const std::int32_t monin = get_unit("MONIN");
  listing out;
  out.unit = get_unit("MONOUT");
  init_page();
  out.page = 0;
  out.lines = 0;
  out.maxlen = get_ncline() - 1;

  print_heading(out);

  const std::string title = read_run_title();
  rotation::factor_matrix f = rotation::read_factor_matrix("GYRO", 1);
  const rotation::variable_labels labels = rotation::read_variable_labels(f.numvar);
  std::vector<std::string> factor_names(rotation::at(f.numfac) + 1, std::string(name_length, ' '));
  GENAME("Factor", factor_names, f.numfac, 0);
  std::vector<std::int32_t> columns(rotation::at(f.numfac) + 1, 0);
  fill_index(columns, f.numfac);

  print_problem(title, f.numvar, f.numfac, out);
  PAGER(-3, out.page, out.lines, out.unit);
  pr_matrix_lab(f.a, labels.numbers, columns, labels.names, factor_names, f.numvar, f.numfac,
                rotation::ld, 1, 3, "Unrotated Factor Coefficients", out.page, out.lines,
                out.unit);

  const gyro_cards cards = gyro_read_control(monin);
  float before = 0.0f;
  float after = 0.0f;
  std::int32_t cycles = 0;
  float criterion = 0.0f;
  switch (cards.method) {
    case method_quartimax:
      PAGER(-3, out.page, out.lines, out.unit);
      pr_line(-1, out.maxlen, "The Quartimax method of rotation will be used.", out.page,
              out.lines, out.unit);
      field_int(cards.cycles, cycles, 10);
      field_real(cards.criterion, criterion, 0.001f);
      rotation::gyro_quartimax(f.a, f.numvar, f.numfac, before, after, cycles, criterion, out);
      break;
    case method_varimax:
      PAGER(-3, out.page, out.lines, out.unit);
      pr_line(-1, out.maxlen, "The Varimax method of rotation will be used.", out.page,
              out.lines, out.unit);
      field_int(cards.cycles, cycles, 10);
      field_real(cards.criterion, criterion, 1.0e-7f);
      rotation::gyro_varimax(f.a, f.numvar, f.numfac, before, after, cycles, criterion, labels,
                             out);
      break;
    default:
      proc_error("Case statement failed: Invalid method");
  }

  rotation::gyro_summary(f.a, labels, factor_names, title, before, after, f.numvar, f.numfac,
                         out);
}

}  // namespace

void GYRO() {
  gyro_main();
  return_to_gep();
}

}  // namespace korvex
