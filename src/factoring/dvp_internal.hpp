// Private ground of the diagonal-values component DVP: its process-wide working state, the
// listing counters the driver lends to the method routines, and the method routines
// themselves (direct estimates, squared multiple correlations, PSQ and approximation B,
// the quadratic formula, the proportional fit and the small-matrix inversion they share).
// Only src/factoring and its tests include this header; other folders see factoring.hpp.
#pragma once

#include <cassert>
#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "executive/status.hpp"
#include "executive/vecmat.hpp"
#include "printing/page.hpp"

namespace korvex::dvp {

// Storage conventions: R is column by column with leading dimension 999, element (i, j)
// (1-based) at R[(j - 1) * 999 + (i - 1)]; vectors are 0-based spans addressed with 1-based
// positions. The reference table and the small matrices have leading dimension 11.
inline constexpr std::int32_t max_vars = 999;
inline constexpr std::int32_t ref_ld = 11;

using korvex::at;
using korvex::rc;
inline std::size_t rc11(std::int32_t i, std::int32_t j) {
  assert(i >= 1 && i <= ref_ld && j >= 1);
  return static_cast<std::size_t>(j - 1) * ref_ld + static_cast<std::size_t>(i - 1);
}

// The working block shared by the driver and every method routine. It lives for the whole
// process: diag keeps the last run's estimates, which methods 31 and 32 start from when no
// initial method runs before them.
struct dvp_state_record {
  std::int32_t method = 0;  // code being run (the initial code during the initial pass)
  std::int32_t kpsq = 0;    // 1: approximation B prints its PSQ matrix
  std::int32_t numvar = 0;  // order of CORRM1
  std::vector<float> R;     // correlations; the diagonal is work space
  std::vector<std::string> names;
  std::vector<std::int32_t> varnum;  // number listed for each position
  std::vector<float> diag;           // the estimates, every method's output
  std::vector<float> psq;            // one PSQ row; also B's and QF's work vector
  std::vector<float> colss;          // column sums of squares; QF's step vector
  std::vector<std::int32_t> ref_table;  // column j: reference list of variable j
  std::vector<float> ref_matrix;        // the small system of one variable
  std::vector<float> ref_rhs;           // its right-hand side(s)
  std::vector<std::int32_t> perm;       // indices chosen by the sort or the selection

  dvp_state_record();
  // Back to the state of a fresh process (zeros, blank names).
  void reset();

  float& r(std::int32_t i, std::int32_t j) { return R[rc(i, j)]; }
  float r(std::int32_t i, std::int32_t j) const { return R[rc(i, j)]; }
};

dvp_state_record& dvp_state();

// The component's own page number and lines-left counter (both 0 when DVP starts) with the
// MONOUT unit number: everything the paging protocol needs from the caller.
using listing = korvex::listing_counters;

// Runs make() and returns its result; an allocation that fails stops the run through
// check_alloc_stat with the caller's tag.
template <typename Make>
auto guarded_alloc(std::string_view tag, Make make) -> decltype(make()) {
  try {
    return make();
  } catch (const std::bad_alloc&) {
    check_alloc_stat(tag, 1);
    throw;  // not reached: a non-zero status stops the run
  }
}

// Writes the notice that a method cannot run on this matrix and that the highest absolute
// correlations stand in: PAGER(4), then an empty line, first_line, an empty line and
// " HIGHEST R METHOD USED INSTEAD." (each behind a blank carriage-control column).
void fallback_notice(std::string_view first_line, listing& out);

// ---- direct estimates (dvp_estimates.cpp) ----------------------------------------------

// HAT: per variable the highest absolute correlation (units digit of method 0), the mean
// absolute correlation (1) or the triad estimate (2), from the off-diagonal entries of R
// into diag(1..numvar). Every result is finite for finite correlations: fewer than two
// other variables give 0 for the mean, fewer than three give 0 for the triads, and a triad
// whose largest product and r_kl are both 0 counts as 0.
void HAT();
// INDVAL: diag(1..numvar) := 0 (method 70) or 1 (method 71).
void INDVAL();

// ---- squared multiple correlations (dvp_smc.cpp) ---------------------------------------

// In-place Gauss-Jordan inversion of a(1..n, 1..n) (leading dimension ld) with complete
// pivoting. A pivot magnitude below 1.0E-8 ends the elimination: singular := 1, det := 0,
// and the rank and a set of independent rows are reported on unit (outside the paging).
// Otherwise singular := 0 and a holds the inverse. jrow and mark need n elements each.
void INVRNK(std::span<float> a, std::span<std::int32_t> jrow, std::span<std::int32_t> mark,
            std::int32_t ld, std::int32_t n, float& det, std::int32_t& singular,
            std::int32_t unit);

// Method 10 on dvp_state: diag(j) := 1 - 1/(R^-1)(j, j) with unit diagonal. Values outside
// [0, 1) get a warning line each. A singular matrix (or an inverse that is not finite) gets
// the singular warning, method := 50 and the highest absolute correlations of the matrix as
// read. Returns true when the squared multiple correlations stand in diag.
bool squared_multiple_correlations(listing& out);

// ---- small-matrix inversion (matinv.cpp) -----------------------------------------------

// Gauss-Jordan inversion of A(1..n, 1..n) (leading dimension 11, n <= 11) with complete
// pivoting, solving A x = b for the m columns of B (leading dimension 11) in the same sweep.
// det := the product of the pivots, one change of sign per row exchange. When a step finds
// no non-zero pivot candidate, singular := 1 and det := 0 and A and B are left partly
// reduced; otherwise singular := 0, A holds the inverse and B the solutions.
void MATINV(std::span<float> A, std::int32_t n, std::span<float> B, std::int32_t m, float& det,
            std::int32_t& singular);

// ---- PSQ and approximation B (dvp_psq.cpp) ---------------------------------------------

// kmode 1: writes the scratch table on unit (record j: the cross products C(j, 1..n) of
// column j with every other column, without the pair's own rows, C(j, j) = 0), fills
// colss, and leaves R as it found it. kmode 2: reads the next record and turns it into the
// PSQ row of variable j in psq (kd 0 without the pair's rows, kd 1 with whole columns and
// the diagonal of R as it stands); psq(j) := 1. Divisions by zero give 0. A missing record
// stops the run ("UNEXPECTED END OF FILE FOUND ON TEMPORARY FILE.").
void TPSQ(std::int32_t j, std::int32_t unit, std::int32_t kd, std::int32_t kmode);

// Approximation B (method 40) or its mean with the highest absolute r (41) into diag;
// kpsq 1 prints the PSQ matrix. Fewer than 4 variables: a notice and the highest absolute
// correlations instead.
void B(listing& out, std::int32_t scratch);

// ---- quadratic formula (dvp_qf.cpp) ----------------------------------------------------

// Converged quadratic-formula communalities from the estimates in diag; prints the
// reference lists, with ktab 1 the iteration tables and the singular-matrix messages, and
// the not-converged notice when maxit sweeps were not enough. A step that is not a number
// leaves its estimate unchanged and keeps the iteration from converging.
void QF(std::int32_t qf_spare, float tol, std::int32_t ktab, std::int32_t maxit, listing& out);

// ---- proportional fit and reference listing (dvp_pf.cpp) -------------------------------

// Proportional-fit communalities (npfit sweeps from the highest absolute correlations,
// nref reference variables); ktab 1 prints the iteration tables. Six or fewer variables:
// the notice and the highest absolute correlations. A singular (or non-finite) fit keeps
// the variable's previous estimate with a notice.
void PF(std::int32_t nref, std::int32_t npfit, std::int32_t ktab, listing& out,
        std::int32_t scratch);

// Lists, for each variable, the entries 2..n of its reference list refs(., v) (leading
// dimension ld), variables side by side in strips that fit the line.
void print_ref_vars(std::span<const std::int32_t> refs, std::int32_t ld, std::int32_t N,
                    std::int32_t n, std::span<const std::int32_t> numbers,
                    std::span<const std::string> names, listing& out);

// The two iteration tables of QF and PF: C_D holds rows 0..ld-1 (ld = last sweep allowed
// + 1) and N columns, row 0 the starting estimates and rows 1..S the changes of sweeps
// 1..S. Prints the changes, turns them into running sums and prints the estimates after
// every sweep. tag names the caller in allocation failures ("dvp: QF", "dvp: PF").
void print_iteration_tables(std::span<float> C_D, std::int32_t ld, std::int32_t S,
                            std::int32_t N, std::string_view tag, listing& out);

}  // namespace korvex::dvp
