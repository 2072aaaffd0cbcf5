// The converged quadratic formula of DVP (methods 30-32): each variable's communality is
// moved, sweep after sweep, a damped step towards the part of its correlations that its
// most nearly proportional variables reproduce, until every step of a sweep lies within
// the tolerance or the sweep limit is reached.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/vecmat.hpp"
#include "factoring/dvp_internal.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"

namespace korvex::dvp {

namespace {

constexpr const char* singular_layout =
    "(/' THE MATRIX FOR VARIABLE ',I3,'COMPOSED WITH ',I2,"
    "' OTHER VARIABLES IS SINGULAR, A SMALLER MATRIX WILL BE CONSIDERED')";
// The iteration limit in 2 columns; one punched with 3 or 4 digits is shown whole.
std::string not_converged_layout(std::int32_t maxit) {
  return "(/' AFTER ',I" + std::to_string(int_field_width(maxit, 2)) +
         ",' ITERATIONS THE PROGRAM IS PROCEEDING, ALTHOUGH THE FOLLOWING ARE NOT')";
}
constexpr const char* no_number_layout =
    "(/' THE QUADRATIC FORMULA GAVE NO NUMBER FOR ',I3,' STEP(S); THOSE ESTIMATES WERE KEPT')";

// The reference list of every variable: the variable itself, then the q variables whose
// columns are most nearly proportional to its own (by PSQ of whole columns, the diagonal
// holding the starting estimates), in descending order of PSQ.
void choose_references(dvp_state_record& s, std::int32_t q) {
  const std::int32_t N = s.numvar;
  std::vector<float> whole(static_cast<std::size_t>(std::max(N, 1)), 0.0f);
  column_sums_of_squares(s.R, whole, N);
  for (std::int32_t j = 1; j <= N; ++j) {
    psq_row(j, s.R, whole, s.psq, N);
    sort_desc_index(s.psq, s.colss, s.perm, N);
    std::int32_t* list = &s.ref_table[rc11(1, j)];
    list[0] = j;
    std::int32_t filled = 1;
    for (std::int32_t p = 1; p <= N && filled <= q; ++p) {
      const std::int32_t v = s.perm[at(p)];
      if (v != j) list[filled++] = v;
    }
    assert(filled == q + 1);
  }
}

// The bordered, rescaled matrix of variable j over the first n entries v of its list:
// A(a, b) = w(v(a)) R(v(b), v(a)) w(v(b)), the first row and column divided by w(j), and
// A(1, 1) = 1.
void build_matrix(dvp_state_record& s, std::span<const float> w, const std::int32_t* v, std::int32_t n,
                  std::int32_t j) {
  const auto a = [&](std::int32_t p, std::int32_t q) -> float& { return s.ref_matrix[rc11(p, q)]; };
  for (std::int32_t p = 1; p <= n; ++p) {
    for (std::int32_t q = 1; q <= n; ++q) {
      const std::int32_t vp = v[p - 1];
      const std::int32_t vq = v[q - 1];
      a(p, q) = w[at(vp)] * s.r(vq, vp) * w[at(vq)];
    }
  }
  const float wj = w[at(j)];
  for (std::int32_t q = 1; q <= n; ++q) {
    a(1, q) = a(1, q) / wj;
    a(q, 1) = a(1, q);
  }
  a(1, 1) = 1.0f;
}

}  // namespace

// Contract in dvp_internal.hpp. h is diag; R's diagonal holds the estimates of the start of
// each sweep and is 0 again on return. psq holds the scale vector and colss the steps.
void QF(std::int32_t qf_spare, float tol, std::int32_t ktab, std::int32_t maxit, listing& out) {
  (void)qf_spare;
  dvp_state_record& s = dvp_state();
  const std::int32_t N = s.numvar;
  const std::int32_t q = std::clamp(N / 2 - 1, 0, 10);
  const std::int32_t order = q + 1;
  std::span<float> h(s.diag);
  std::span<float> w(s.psq);
  std::span<float> step(s.colss);

  for (std::int32_t k = 1; k <= N; ++k) s.r(k, k) = h[at(k)];
  const std::int32_t sweeps_ld = std::max(maxit, 0) + 1;
  std::vector<float> C_D;
  if (ktab == 1) {
    C_D = guarded_alloc("dvp: QF: C_D", [&] {
      return std::vector<float>(static_cast<std::size_t>(sweeps_ld) * static_cast<std::size_t>(N));
    });
    for (std::int32_t k = 1; k <= N; ++k) C_D[at(k) * static_cast<std::size_t>(sweeps_ld)] = h[at(k)];
  }
  const auto c_d = [&](std::int32_t row, std::int32_t k) -> float& {
    return C_D[at(k) * static_cast<std::size_t>(sweeps_ld) + static_cast<std::size_t>(row)];
  };

  choose_references(s, q);
  print_ref_vars(s.ref_table, ref_ld, N, order, s.varnum, s.names, out);

  bool converged = false;
  std::int32_t sweeps = 0;
  std::int32_t no_number = 0;
  for (std::int32_t sweep = 1; sweep <= maxit && !converged; ++sweep) {
    sweeps = sweep;
    for (std::int32_t k = 1; k <= N; ++k) {
      s.r(k, k) = h[at(k)];
      w[at(k)] = 1.0f / std::sqrt(std::max(0.01f, h[at(k)]));
    }
    for (std::int32_t j = 1; j <= N; ++j) {
      const std::int32_t* v = &s.ref_table[rc11(1, j)];
      std::int32_t n = order;
      float det = 0.0f;
      std::int32_t singular = 0;
      build_matrix(s, w, v, n, j);
      MATINV(s.ref_matrix, n, s.ref_rhs, 0, det, singular);
      while (det == 0.0f) {
        --n;
        assert(n >= 1);
        if (ktab == 1) {
          PAGER(2, out.page, out.lines, out.unit);
          write_formatted(out.unit, singular_layout, {j, n});
        }
        build_matrix(s, w, v, n, j);
        MATINV(s.ref_matrix, n, s.ref_rhs, 0, det, singular);
      }
      const float c = s.ref_matrix[rc11(1, 1)];
      const float d = (1.0f - h[at(j)]) - 1.0f / c;
      const float st = d / (10.0f * std::fabs(d) + 0.9f);
      step[at(j)] = st;
      if (std::isnan(st)) {
        ++no_number;
        if (ktab == 1) c_d(sweep, j) = 0.0f;
        continue;
      }
      if (ktab == 1) c_d(sweep, j) = st;
      h[at(j)] += st;
    }
    converged = true;
    for (std::int32_t k = 1; k <= N && converged; ++k) converged = std::fabs(step[at(k)]) <= tol;
  }

  for (std::int32_t k = 1; k <= N; ++k) s.r(k, k) = 0.0f;
  if (ktab == 1) print_iteration_tables(C_D, sweeps_ld, sweeps, N, "dvp: QF", out);
  if (!converged) {
    PAGER(2, out.page, out.lines, out.unit);
    write_formatted(out.unit, not_converged_layout(maxit), {maxit});
  }
  if (no_number > 0) {
    PAGER(2, out.page, out.lines, out.unit);
    write_formatted(out.unit, no_number_layout, {no_number});
  }
  s.method = 30;
}

}  // namespace korvex::dvp
