// The end of every GYRO run: the summary of the rotation (criteria before and after, the
// rotated coefficients, partial and cumulative communalities, augmented coefficients and
// their squares, the cumulative proportion of the communality per dimension) and the two
// ISF entries the later components read, RFACT1 and BASIS1.
#include <cmath>
#include <string>
#include <vector>

#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "selection/rotation.hpp"
#include "storage/storage.hpp"

namespace korvex::rotation {

namespace {

// A criterion line: the caption, then the value in 11 columns with 8 decimals. A value too
// large for that (the sum of fourth powers of many variables reaches the hundreds) gives up
// as many decimals as it takes to stand apart from the caption, rather than fill its field
// with asterisks; one beyond any fixed-point field of 11 columns takes the exponent form.
std::string criterion_line(std::string_view marks, std::string_view caption, float value) {
  constexpr std::size_t field = 3 + 55;
  std::string layout = "(A3,A55,F11.8)";
  std::string line = io::format_line(layout, {marks, caption, value});
  if (line.find('*', field) == std::string::npos) return line;
  for (char d = '7'; d >= '0'; --d) {
    layout[12] = d;
    line = io::format_line(layout, {marks, caption, value});
    if (line.find('*', field) == std::string::npos && line[field] == ' ') return line;
  }
  return io::format_line("(A3,A55,1PE11.4)", {marks, caption, value});
}

// One matrix of the summary: numvar x numfac of a under title, rows numbered and named as
// the variables, columns as the dimensions.
void print_matrix(std::span<const float> a, const variable_labels& labels,
                  std::span<const std::int32_t> columns, std::span<const std::string> factor_names,
                  std::int32_t numvar, std::int32_t numfac, std::string_view title, listing& out) {
  pr_matrix_lab(a, labels.numbers, columns, labels.names, factor_names, numvar, numfac, ld, 1, 3,
                title, out.page, out.lines, out.unit);
}

// Writes the numvar x numfac block of a under label with KPAR (2, numvar, numfac).
void write_matrix(std::string_view label, std::span<float> a, std::int32_t rows,
                  std::int32_t columns) {
  Kpar kpar{};
  kpar[0] = 2;
  kpar[1] = rows;
  kpar[2] = columns;
  std::int32_t notfound = 0;
  isf_real_matrix(label, 1, kpar, notfound, a);
}

}  // namespace

void gyro_summary(std::span<float> f, const variable_labels& labels,
                  std::span<const std::string> factor_names, std::string_view title,
                  float before, float after, std::int32_t numvar, std::int32_t numfac,
                  listing& out) {
  const std::string marks(3, hard_blank);
  std::vector<std::int32_t> columns(at(numfac) + 1, 0);
  fill_index(columns, numfac);

  PAGER(0, out.page, out.lines, out.unit);
  PAGER(-2, out.page, out.lines, out.unit);
  pr_line(0, out.maxlen, "SUMMARY OF THE ANALYSIS", out.page, out.lines, out.unit);
  PAGER(-2, out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen, marks + "Problem: " + std::string(title), out.page, out.lines,
          out.unit);
  PAGER(-2, out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen,
          criterion_line(marks, "Original matrix variance of squared factor coefficients", before),
          out.page, out.lines, out.unit);
  pr_line(-1, out.maxlen,
          criterion_line(marks, "Rotated matrix variance of squared factor coefficients:", after),
          out.page, out.lines, out.unit);

  print_matrix(f, labels, columns, factor_names, numvar, numfac, "Rotated Factor Coefficients",
               out);

  // Partial communalities P and their running sums C along each row.
  const std::size_t size = static_cast<std::size_t>(ld) * max_factors;
  std::vector<float> p(size, 0.0f);
  std::vector<float> c(size, 0.0f);
  for (std::int32_t i = 1; i <= numvar; ++i) {
    float running = 0.0f;
    for (std::int32_t k = 1; k <= numfac; ++k) {
      p[rc(i, k)] = f[rc(i, k)] * f[rc(i, k)];
      running += p[rc(i, k)];
      c[rc(i, k)] = running;
    }
  }
  print_matrix(p, labels, columns, factor_names, numvar, numfac, "Partial Communalities", out);
  print_matrix(c, labels, columns, factor_names, numvar, numfac,
               "Cumulative Communalities and Total Communality", out);

  // Rows scaled to unit length. A variable of zero communality has no direction: its
  // augmented coefficients are 0 rather than 0 / 0.
  std::vector<float> augmented(size, 0.0f);
  std::vector<float> squared(size, 0.0f);
  for (std::int32_t i = 1; i <= numvar; ++i) {
    const float root = std::sqrt(c[rc(i, numfac)]);
    for (std::int32_t k = 1; k <= numfac; ++k) {
      augmented[rc(i, k)] = safe_div(f[rc(i, k)], root);
      squared[rc(i, k)] = augmented[rc(i, k)] * augmented[rc(i, k)];
    }
  }
  PAGER(-2, out.page, out.lines, out.unit);
  print_matrix(augmented, labels, columns, factor_names, numvar, numfac,
               "Augmented Factor Coefficients", out);
  print_matrix(squared, labels, columns, factor_names, numvar, numfac,
               "Squared Augmented Correlations", out);

  // Share of the total communality taken up by the dimensions 1..k.
  std::vector<float> communality(at(numvar) + 1, 0.0f);
  for (std::int32_t i = 1; i <= numvar; ++i) communality[at(i)] = c[rc(i, numfac)];
  const float total = vec_sum(communality, numvar);
  std::vector<float> proportion(at(numfac) + 1, 0.0f);
  float q = 0.0f;
  for (std::int32_t k = 1; k <= numfac; ++k) {
    const std::span<const float> column(p.data() + rc(1, k), static_cast<std::size_t>(numvar));
    q += safe_div(vec_sum(column, numvar), total);
    proportion[at(k)] = q;
  }
  const std::string q_title = io::format_line(
      "(A64,I0,A22)", {"Cumulative Proportion of Converged Communality Exhausted by the ", numfac,
                       " Successive Dimensions"});
  pr_vector(proportion, factor_names, numfac, 1, 3, q_title, out.page, out.lines, out.unit);

  write_matrix("RFACT1", f, numvar, numfac);
  // The rotation is orthogonal: the dimensions are uncorrelated.
  for (std::int32_t j = 1; j <= numfac; ++j) {
    for (std::int32_t i = 1; i <= numfac; ++i) f[rc(i, j)] = i == j ? 1.0f : 0.0f;
  }
  write_matrix("BASIS1", f, numfac, numfac);
}

}  // namespace korvex::rotation
