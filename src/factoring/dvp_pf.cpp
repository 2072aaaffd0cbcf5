// The proportional fit of DVP (method 60), which fits each variable's correlation column by
// least squares from the columns of its most nearly proportional variables and takes the
// fitted value in its own row as its communality, for a fixed number of sweeps; and the two
// listings it shares with the quadratic formula: the reference-variable lists and the
// tables of the estimates sweep by sweep.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/fields.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "factoring/dvp_internal.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex::dvp {

namespace {

constexpr std::string_view ref_title = "Reference Variables for Computing the Communality of Each Variable";
constexpr std::string_view differences_title =
    "Differences Between Current Iteration Estimate of Communality and Previous Iteration Estimate";
constexpr std::string_view estimates_title = "Communality Estimates After Each Iteration ";
constexpr const char* kept_layout =
    "(/' THE NORMAL EQUATIONS FOR VARIABLE ',I3,' ARE SINGULAR; ITS PREVIOUS ESTIMATE IS KEPT')";

void print_ref_title(listing& out) {
  pr_line(-1, std::min(get_ncline() - 1, static_cast<std::int32_t>(ref_title.size())), ref_title, out.page,
          out.lines, out.unit);
  PAGER(-1, out.page, out.lines, out.unit);
}

// Solves the normal equations of variable j over its reference variables u(1..m) (the
// variable's own row left out) and returns the fitted value in row j through h; false when
// the equations are singular or the fit is not a finite number.
bool fit_variable(dvp_state_record& s, std::int32_t j, const std::int32_t* u, std::int32_t m, float& h) {
  const std::int32_t N = s.numvar;
  const auto A = [&](std::int32_t a, std::int32_t b) -> float& { return s.ref_matrix[rc11(a, b)]; };
  const auto B = [&](std::int32_t a) -> float& { return s.ref_rhs[rc11(a, 1)]; };
  for (std::int32_t a = 1; a <= m; ++a) {
    const float* ca = &s.R[rc(1, u[a - 1])];
    for (std::int32_t b = a; b <= m; ++b) {
      const float* cb = &s.R[rc(1, u[b - 1])];
      float sum = 0.0f;
      for (std::int32_t i = 0; i < N; ++i) sum += ca[i] * cb[i];
      sum -= s.r(j, u[a - 1]) * s.r(j, u[b - 1]);
      A(a, b) = sum;
      A(b, a) = sum;
    }
    const float* cj = &s.R[rc(1, j)];
    float sum = 0.0f;
    for (std::int32_t i = 0; i < N; ++i) sum += ca[i] * cj[i];
    B(a) = sum - s.r(j, j) * s.r(u[a - 1], j);
  }
  float det = 0.0f;
  std::int32_t singular = 0;
  MATINV(s.ref_matrix, m, s.ref_rhs, 1, det, singular);
  if (singular != 0) return false;
  float fitted = 0.0f;
  for (std::int32_t a = 1; a <= m; ++a) fitted += B(a) * s.r(u[a - 1], j);
  if (!std::isfinite(fitted)) return false;
  h = fitted;
  return true;
}

}  // namespace

// Contract in dvp_internal.hpp. The PSQ table is written once; every sweep reads it back
// with the diagonal of R holding the estimates of the sweep's start, so the reference
// lists may change from sweep to sweep.
void PF(std::int32_t nref, std::int32_t npfit, std::int32_t ktab, listing& out, std::int32_t scratch) {
  dvp_state_record& s = dvp_state();
  const std::int32_t N = s.numvar;
  const std::int32_t T = npfit < 1 ? 4 : std::min(npfit, 10);
  if (N <= 6) {
    fallback_notice(" THE PF METHOD REQUIRES MORE THAN 6 VARIABLES", out);
    HAT();
    return;
  }
  const std::int32_t k = int_in_range(nref, 3, 9) ? nref : 9;
  const std::int32_t m = std::min(k, (N - 1) / 2);
  std::span<float> h(s.diag);

  const std::int32_t rows_ld = T + 1;
  std::vector<float> C_D;
  std::vector<float> C_Previous;
  if (ktab == 1) {
    C_D = guarded_alloc("dvp: PF: C_D", [&] {
      return std::vector<float>(static_cast<std::size_t>(rows_ld) * static_cast<std::size_t>(N));
    });
    C_Previous = guarded_alloc("dvp: PF: C_Previous", [&] { return std::vector<float>(static_cast<std::size_t>(N)); });
  }
  const auto c_d = [&](std::int32_t row, std::int32_t col) -> float& {
    return C_D[at(col) * static_cast<std::size_t>(rows_ld) + static_cast<std::size_t>(row)];
  };

  TPSQ(1, scratch, 1, 1);
  HAT();
  if (ktab == 1) {
    for (std::int32_t c = 1; c <= N; ++c) c_d(0, c) = h[at(c)];
  }
  for (std::int32_t sweep = 1; sweep <= T; ++sweep) {
    for (std::int32_t c = 1; c <= N; ++c) s.r(c, c) = h[at(c)];
    if (ktab == 1) std::copy_n(h.begin(), N, C_Previous.begin());
    for (std::int32_t j = 1; j <= N; ++j) {
      TPSQ(j, scratch, 1, 2);
      std::span<std::int32_t> list(&s.ref_table[rc11(1, j)], static_cast<std::size_t>(m + 1));
      top_k_indices(s.psq, N, list, m + 1, 0);
      float fitted = 0.0f;
      if (fit_variable(s, j, &list[1], m, fitted)) {
        h[at(j)] = fitted;
      } else {
        PAGER(2, out.page, out.lines, out.unit);
        write_formatted(out.unit, kept_layout, {s.varnum[at(j)]});
      }
      if (ktab == 1) c_d(sweep, j) = h[at(j)] - C_Previous[at(j)];
    }
    rewind_open_unit(scratch);
  }

  if (ktab == 1) print_iteration_tables(C_D, rows_ld, T, N, "dvp: PF", out);
  print_ref_vars(s.ref_table, ref_ld, N, m + 1, s.varnum, s.names, out);
}

void print_ref_vars(std::span<const std::int32_t> refs, std::int32_t ld, std::int32_t N,
                    std::int32_t n, std::span<const std::int32_t> numbers,
                    std::span<const std::string> names, listing& out) {
  // A width of at least 1 and a count of at most 99 keep the run-time layouts valid.
  const std::int32_t g = std::max(max_len_trim(names, N), 1);
  const std::int32_t c = std::clamp((get_ncline() - 4) / (g + 5), 1, 99);
  const std::string number_layout = "(4X," + int_to_text(c, 2) + "(" + int_to_text(g + 2, 2) + "X,I3))";
  const std::string name_layout = "(4X," + int_to_text(c, 2) + "(05X,A" + int_to_text(g, 2) + "))";
  const std::string list_layout = "(1X,I3," + int_to_text(c, 2) + "(1X,I3,1X,A" + int_to_text(g, 2) + ")) ";
  std::vector<std::string> work = guarded_alloc("dvp: print_ref_vars: names", [&] {
    return std::vector<std::string>(static_cast<std::size_t>(c), std::string(static_cast<std::size_t>(g), ' '));
  });
  const auto ref = [&](std::int32_t r, std::int32_t v) {
    return refs[static_cast<std::size_t>(v - 1) * static_cast<std::size_t>(ld) + static_cast<std::size_t>(r - 1)];
  };

  if (out.lines > n + 5) {
    PAGER(-2, out.page, out.lines, out.unit);
  } else {
    PAGER(0, out.page, out.lines, out.unit);
  }
  print_ref_title(out);
  for (std::int32_t f = 1; f <= N; f += c) {
    const std::int32_t l = std::min(f + c - 1, N);
    std::vector<io::Value> number_items;
    std::vector<io::Value> name_items;
    for (std::int32_t v = f; v <= l; ++v) {
      rjust_text(names[at(v)], work[at(v - f + 1)]);
      number_items.emplace_back(numbers[at(v)]);
      name_items.emplace_back(work[at(v - f + 1)]);
    }
    if (out.lines <= n + 3) {
      PAGER(0, out.page, out.lines, out.unit);
      print_ref_title(out);
    }
    PAGER(n + 3, out.page, out.lines, out.unit);
    write_formatted(out.unit, "(1X)");
    write_formatted(out.unit, number_layout, number_items);
    write_formatted(out.unit, name_layout, name_items);
    write_formatted(out.unit, "(1X)");
    for (std::int32_t r = 1; r <= n - 1; ++r) {
      std::vector<io::Value> items;
      items.emplace_back(r);
      for (std::int32_t v = f; v <= l; ++v) {
        const std::int32_t e = ref(r + 1, v);
        items.emplace_back(numbers[at(e)]);
        items.emplace_back(names[at(e)]);
      }
      write_formatted(out.unit, list_layout, items);
    }
  }
  PAGER(-1, out.page, out.lines, out.unit);
}

void print_iteration_tables(std::span<float> C_D, std::int32_t ld, std::int32_t S, std::int32_t N,
                            std::string_view tag, listing& out) {
  const dvp_state_record& s = dvp_state();
  const std::int32_t last = ld - 1;  // the sweep limit: labels run 1..last
  const std::string names_tag = std::string(tag) + (tag == "dvp: QF" ? ": i_names" : ": inames");
  std::vector<std::string> i_names = guarded_alloc(names_tag, [&] {
    return std::vector<std::string>(static_cast<std::size_t>(ld), std::string(name_length, ' '));
  });
  std::vector<std::int32_t> i_ords =
      guarded_alloc(std::string(tag) + ": i_ords", [&] { return std::vector<std::int32_t>(static_cast<std::size_t>(ld)); });
  for (std::int32_t r = 0; r <= last; ++r) i_ords[static_cast<std::size_t>(r)] = r;

  const std::span<std::string> labels = std::span<std::string>(i_names).subspan(1);
  GENAME("Delta_", labels, last, 0);
  pr_matrix_lab(C_D.subspan(1), std::span<const std::int32_t>(i_ords).subspan(1), s.varnum, labels, s.names, S,
                N, ld, 1, 3, differences_title, out.page, out.lines, out.unit);

  for (std::int32_t k = 1; k <= N; ++k) {
    float* column = &C_D[at(k) * static_cast<std::size_t>(ld)];
    for (std::int32_t r = 1; r <= S; ++r) column[r] = column[r - 1] + column[r];
  }
  GENAME("Iter_", labels, last, 0);
  i_names[0] = io::pad("Initial", name_length);
  pr_matrix_lab(C_D, i_ords, s.varnum, i_names, s.names, S + 1, N, ld, 1, 3, estimates_title, out.page,
                out.lines, out.unit);
}

}  // namespace korvex::dvp
