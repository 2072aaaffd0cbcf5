// The residual component FAST: after *FAST the component loop hands the turn here. It reads
// its control card, prints its heading and the factor coefficients UFACT1, then forms either
// the residual correlations (CORRM1 less the product of the factors) or the correlations
// reproduced from the factors, prints them, stores them as CORRM1 in place of the
// correlations and, when asked, writes them to "CORRESID" or "CORREPRO".
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/positioning.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/fast.hpp"
#include "selection/rotation.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

using rotation::at;
using rotation::ld;
using rotation::listing;
using rotation::rc;

constexpr std::int32_t mode_reproduced = 1;
constexpr std::int32_t mode_residual = 2;
constexpr std::array<std::string_view, 2> control_table = {"REPROD", "RESIDU"};

constexpr std::int32_t qualifier_residual = 1;
constexpr std::int32_t qualifier_reproduced = 2;

constexpr std::string_view residual_title = "Residual Correlation Matrix after";
constexpr std::string_view reproduced_title =
    "  THE MATRIX OF CORRELATIONS REPRODUCED FROM THE FACTOR COEFFICIENTS";

// The control card: the mode and the two flags (each acts only when it holds exactly 1).
struct fast_card {
  std::int32_t mode = 0;
  std::int32_t first_page = 0;
  std::int32_t save = 0;
};

// Everything one FAST run works on.
struct fast_run {
  fast_card card;
  listing out;
  std::string title;  // 72 characters
  rotation::factor_matrix a;
  rotation::variable_labels labels;
  std::vector<float> r;  // the output matrix, 999 x 999
};

// Reads the control card "(A6,10X,I4,I4)" and looks its upper-cased name up. A name other
// than REPROD or RESIDU stops the run; so does the end of the deck.
fast_card fast_read_control(std::int32_t monin) {
  std::string record;
  if (!read_record(monin, record)) iostat_error(-1);
  std::string name;
  fast_card card;
  const std::array<io::Target, 3> targets = {io::Target(&name, 6), io::Target(&card.first_page),
                                             io::Target(&card.save)};
  io::read_text("(A6,10X,I4,I4)", record, targets);
  const std::vector<std::string> table(control_table.begin(), control_table.end());
  card.mode = find_name(table, static_cast<std::int32_t>(table.size()), upcase(name));
  if (card.mode > static_cast<std::int32_t>(table.size())) {
    proc_error("The control name for FAST is invalid.");
  }
  return card;
}

// The heading lines, all centred on the full line width.
void print_heading(const fast_run& run, listing& out) {
  const std::int32_t width = get_ncline();
  const auto centre = [&](std::string_view text) {
    pr_line(0, width, text, out.page, out.lines, out.unit);
  };
  PAGER(0, out.page, out.lines, out.unit);
  PAGER(-4, out.page, out.lines, out.unit);
  centre("F   A   S   T");
  PAGER(-1, out.page, out.lines, out.unit);
  centre("Saving the Residual Correlation Matrix");
  PAGER(-2, out.page, out.lines, out.unit);
  centre(io::trim_right(run.title));
  if (run.card.first_page == 1) {
    PAGER(-1, out.page, out.lines, out.unit);
    centre("|Using FAST option to print only first page of the output matrix|  ");
    PAGER(-2, out.page, out.lines, out.unit);
  } else {
    PAGER(-4, out.page, out.lines, out.unit);
  }
  PAGER(1, out.page, out.lines, out.unit);
  centre("Caution: The residual/reproduced matrix will always replace the original correlation "
         "matrix");
  centre("in the CORRM1 file on the ISF. You will no longer have access to the original matrix.");
}

// Writes the lower triangle with the diagonal of R to the save unit as a plain text matrix
// and ends the file there; the unit stays open until the component returns.
void fast_save_matrix(const fast_run& run, std::int32_t unit) {
  pr_matrix_plain(run.r, run.a.numvar, ld, 3, unit);
  endfile_unit(unit);
}

// Stores R as CORRM1 of order NUMVAR with the qualifier word.
void write_corrm1(fast_run& run, std::int32_t qualifier) {
  Kpar kpar{};
  make_kpar(kpar, run.a.numvar, qualifier, 0);
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 1, kpar, notfound, run.r, 2);
}

// R := CORRM1 less the part of every factor, off the diagonal; the diagonal is 1.0.
void fast_residual(fast_run& run) {
  const std::int32_t unit = run.card.save == 1 ? get_unit("RRESID") : -1;
  const std::int32_t n = run.a.numvar;
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 0, kpar, notfound, run.r, 2);
  isf_not_found("CORRM1", notfound);
  // The factors describe the rows of UFACT1; a CORRM1 of other variables cannot lose them.
  if (kpar[1] != n) {
    proc_error("FAST: CORRM1 is of order " + std::to_string(kpar[1]) + " but UFACT1 has " +
               std::to_string(n) + " variables.");
  }
  for (std::int32_t i = 1; i <= n; ++i) run.r[rc(i, i)] = 1.0f;
  const std::vector<float>& a = run.a.a;
  for (std::int32_t h = 1; h <= run.a.numfac; ++h) {
    for (std::int32_t k = 1; k <= n - 1; ++k) {
      const float akh = a[rc(k, h)];
      for (std::int32_t m = k + 1; m <= n; ++m) run.r[rc(m, k)] -= akh * a[rc(m, h)];
    }
  }
  for (std::int32_t k = 1; k <= n - 1; ++k) {
    for (std::int32_t m = k + 1; m <= n; ++m) run.r[rc(k, m)] = run.r[rc(m, k)];
  }
  if (run.a.numfac > 0) {
    const std::string subtitle = io::pad(
        io::format_line("(I0,\" Dimension\",A1,\" have been Extracted\")",
                        {run.a.numfac, run.a.numfac >= 2 ? "s" : " "}),
        120);
    pr_matrix_tri(run.r, run.labels.names, n, ld, 1, 3, residual_title, run.out.page,
                  run.out.lines, run.out.unit, run.card.first_page, subtitle);
  }
  write_corrm1(run, qualifier_residual);
  if (run.card.save == 1) fast_save_matrix(run, unit);
}

// R := A A', the communalities on the diagonal; CORRM1 is not read.
void fast_reproduced(fast_run& run) {
  const std::int32_t unit = run.card.save == 1 ? get_unit("RREPRO") : -1;
  const std::int32_t n = run.a.numvar;
  const std::vector<float>& a = run.a.a;
  for (std::int32_t j = 1; j <= n; ++j) {
    for (std::int32_t k = j; k <= n; ++k) {
      float s = 0.0f;
      for (std::int32_t h = 1; h <= run.a.numfac; ++h) s += a[rc(j, h)] * a[rc(k, h)];
      run.r[rc(k, j)] = s;
    }
  }
  for (std::int32_t j = 1; j <= n - 1; ++j) {
    for (std::int32_t k = j + 1; k <= n; ++k) run.r[rc(j, k)] = run.r[rc(k, j)];
  }
  if (run.a.numfac > 0) {
    pr_matrix_tri(run.r, run.labels.names, n, ld, 1, 3, io::trim_right(reproduced_title),
                  run.out.page, run.out.lines, run.out.unit, run.card.first_page);
  }
  write_corrm1(run, qualifier_reproduced);
  if (run.card.save == 1) fast_save_matrix(run, unit);
}

void fast_main() {
  module_start();
  fast_run run;
  const std::int32_t monin = get_unit("MONIN");
  run.out.unit = get_unit("MONOUT");
  run.card = fast_read_control(monin);
  run.title = read_run_title();
  print_heading(run, run.out);

  run.a = rotation::read_factor_matrix("FAST", 0);
  run.labels = rotation::read_variable_labels(run.a.numvar);
  std::vector<std::string> factor_names(static_cast<std::size_t>(run.a.numfac) + 1,
                                        std::string(name_length, ' '));
  gen_kind_names(factor_names, run.a.numfac, 2);
  std::vector<std::int32_t> columns(static_cast<std::size_t>(run.a.numfac) + 1, 0);
  fill_index(columns, run.a.numfac);
  pr_matrix_lab(run.a.a, run.labels.numbers, columns, run.labels.names, factor_names,
                run.a.numvar, run.a.numfac, ld, 1, 3, "Ortho. Factor Coefficients from CC5",
                run.out.page, run.out.lines, run.out.unit);

  run.r.assign(static_cast<std::size_t>(ld) * ld, 0.0f);
  if (run.card.mode == mode_reproduced) {
    fast_reproduced(run);
  } else {
    fast_residual(run);
  }
}

}  // namespace

void FAST() {
  fast_main();
  return_to_gep();
}

}  // namespace korvex
