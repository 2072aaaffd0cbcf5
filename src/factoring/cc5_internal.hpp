// Private ground of the key-cluster component CC5: the control block and the work arrays
// that every step of one analysis shares, the component's listing counters, and the
// routines of its steps (heading, input, key selection, extraction, reflection,
// residualization and tests, per-dimension report, outputs and summary tables, cautions).
// Only src/factoring and its tests include this header; other folders see cc5.hpp.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "executive/vecmat.hpp"
#include "printing/page.hpp"

namespace korvex::cc5 {

// Storage conventions: R and A are column by column with leading dimension 999, element
// (i, j) (1-based) at [(j - 1) * 999 + (i - 1)]; key lists have leading dimension 99, list
// L of a table at [(L - 1) * 99]; vectors are 0-based spans addressed with 1-based positions.
inline constexpr std::int32_t max_vars = 999;
inline constexpr std::int32_t max_dims = 50;
inline constexpr std::int32_t max_keys = 99;
inline constexpr std::int32_t ld = 999;

using korvex::at;
using korvex::rc;

// The control block cc5_control: card values, sizes, totals and the state of the passes.
struct control_block {
  std::int32_t numvar = 0;       // order of CORRM1
  float fnvar = 0.0f;            // numvar as a real
  float psq_high = 0.81f;        // PSQ a fifth and later key must reach
  float exhaust_level = 0.92f;   // proportion of the total communality to exhaust
  float conv_tol = 0.01f;        // communality convergence tolerance
  std::int32_t maxdim = max_dims;
  std::int32_t maxdef = max_keys;
  std::int32_t nf = 0;           // dimensions of the analysis; 0 while the first pass runs
  std::int32_t iter_no = 1;      // pass running or about to run; the first pass is 1
  float sum_h = 0.0f;            // sum of the initial communalities
  float h_floor = 0.0f;          // (1 - exhaust_level) x sum_h
  float raw_msq = 0.0f;          // mean squared off-diagonal correlation as read
  float h_excess = 0.0f;         // residual diagonal sum less h_floor
  float mean_key_r = 0.0f;       // mean reflected key correlation of the latest dimension
  std::int32_t ndim = 0;         // dimensions asked for; 0 = the test decides
  std::int32_t iterc = 4;        // 0 converge, 1 one pass, n passes in all
  std::int32_t krit = 1;         // criterion line of the heading
  std::int32_t kpiv = 1;         // pivot-method line of the heading
  std::int32_t kon1 = 2;         // analysis type 1..9
  std::int32_t krefl = 1;        // reflection line of the heading
  std::int32_t kshort = 0;       // 1: reduced output
  std::int32_t nsort = 8;        // keys of a salient-centroid dimension
  std::int32_t kprt1 = 1;        // 2: residual matrix after every dimension
  std::int32_t kprt2 = 1;        // print level of the later passes
  std::int32_t kmode = 2;        // print level of the running pass
  std::int32_t npiv = 4;         // pivot candidates tried
  std::int32_t more_dims = 1;    // 1 go on, 2 no further dimension
  float psq_low = 0.4f;          // PSQ the second to fourth key must reach
  std::int32_t nactive = 0;      // active variables
};

// The component's own page number and lines-left counter with the MONOUT unit number.
using listing = korvex::listing_counters;

// Everything one analysis works on. Created when CC5 starts and dropped when it ends, so
// nothing passes from one *CC5 card to the next except through the ISF.
struct analysis {
  control_block c;
  listing out;
  std::int32_t monin = -1;
  std::string title_line;  // the run title, 120 columns

  std::vector<float> R;      // residual matrix, communalities on the diagonal, symmetric
  std::vector<float> H;      // cumulative communalities
  std::vector<float> HPREV;  // the diagonal placed into R at the start of the pass
  std::vector<float> HINIT;  // initial communalities as read, limited to [0, 1]
  std::vector<float> RDIAG;  // residual diagonal after the latest dimension
  std::vector<float> DIAGIN;  // DIAGV1 as read (later the final communalities)
  std::vector<float> ASQ;    // squared coefficients of the latest dimension
  std::vector<float> VSQ;    // variance of the squared residual correlations
  std::vector<std::int32_t> KEYS;  // key lists, 99 x 50, internal indices
  std::vector<std::int32_t> NDEF;  // their lengths
  std::vector<std::int32_t> REFL;  // reflection lists, 99 x 50
  std::vector<float> A;            // factor coefficients, 999 x 50
  std::vector<float> RMSQ;         // mean squared residual correlation per dimension
  std::vector<float> PEXH;         // proportion of raw_msq exhausted per dimension
  std::vector<float> PCOMM;        // cumulative proportion of the final communality
  std::array<float, 4> RSUM{};     // reflected off-diagonal sums of the four methods
  std::vector<std::int32_t> ORD;   // variable number of each position
  std::vector<std::string> VARNAM;  // variable names
  std::vector<std::string> DNAMES;  // dimension names
  std::vector<std::int32_t> DIMNUM;  // 1..50

  analysis();
  float& r(std::int32_t i, std::int32_t j) { return R[rc(i, j)]; }
  float r(std::int32_t i, std::int32_t j) const { return R[rc(i, j)]; }
  // Column j of R (rows 1..999).
  std::span<float> r_col(std::int32_t j) { return std::span<float>(R).subspan(rc(1, j), ld); }
  std::span<const float> r_col(std::int32_t j) const {
    return std::span<const float>(R).subspan(rc(1, j), ld);
  }
  std::span<std::int32_t> keys(std::int32_t L) { return list_of(KEYS, L); }
  std::span<std::int32_t> refl(std::int32_t L) { return list_of(REFL, L); }
  std::span<float> a(std::int32_t L) { return std::span<float>(A).subspan(rc(1, L), ld); }

 private:
  static std::span<std::int32_t> list_of(std::vector<std::int32_t>& t, std::int32_t L) {
    assert(L >= 1 && L <= max_dims);
    return std::span<std::int32_t>(t).subspan(static_cast<std::size_t>(L - 1) * max_keys,
                                              max_keys);
  }
};

// The analysis of the running call (one exists only while CC5 runs).
analysis& state();
// Creates a fresh analysis for a call, and drops it again.
void begin_analysis();
void end_analysis();

// ---- driver (cc5_driver.cpp) ------------------------------------------------------------
void cc5_main();
// Returns when the entry's size agrees with CORRM1 (kpar as read, n = NUMVAR); otherwise
// stops the run with the consistency messages.
void CC5_initial(std::string_view label, std::span<const std::int32_t> kpar, std::int32_t n);
void cc5_iteration_pass();

// ---- heading and cautions (cc5_heading.cpp, cc5_cautions.cpp) ------------------------------
void CC5_heading();
void CC5_cautions();

// ---- input (cc5_input.cpp) ------------------------------------------------------------
void CC5_input();

// ---- key-variable selection (cc5_keys.cpp) --------------------------------------------
void cckeys(std::int32_t L, std::span<std::int32_t> keys, std::int32_t& nkeys, std::int32_t monin);

// ---- extraction and reflection (cc5_extract.cpp, cc5_reflect.cpp) ----------------------
void CCDIMR(std::int32_t L, std::span<const std::int32_t> keys, std::span<std::int32_t> refl,
            std::int32_t nkeys, std::span<float> a, std::int32_t mp);
void CC5_refl(std::span<const std::int32_t> keys, std::span<std::int32_t> refl, std::int32_t nkeys,
              std::span<float> a, std::int32_t mode);

// The first-pass reflection search on a key submatrix m (k x k, column by column, leading
// dimension k; the diagonal is ignored). sign(l) comes back -1 for every key to reflect and
// +1 otherwise; rsum receives the reflected off-diagonal sums of the first-power,
// signed-squares, cubes and optimal methods (the optimal one stays -0.0 when k > 10). Each
// sign-change loop stops after reflection_flip_cap(k) reflections even if rounding would
// keep it going.
void reflection_search(std::span<const float> m, std::int32_t k, std::span<std::int32_t> sign,
                       std::array<float, 4>& rsum);
std::int32_t reflection_flip_cap(std::int32_t k);

// ---- residualization, first pass and tests (cc5_residual.cpp) --------------------------
void CC5_residualize(std::span<const float> a, float& rmsq, float& pexh);
void CC5_first_pass(std::int32_t kind, std::int32_t monin);
void CCTST1(std::int32_t L);
void CC5_conv_test(std::int32_t cycle, std::int32_t limit, std::int32_t& code);
// The PSQ rows of the residual R and its column sums of squares come from psq_row and
// column_sums_of_squares (vecmat.hpp), with R kept exactly symmetric.
// The lowest position of 1..n outside excl(1..nexcl) holding the largest v; 0 when
// nexcl < 0 or nexcl >= n.
std::int32_t CC5_pick_max(std::span<const float> v, std::int32_t n,
                          std::span<const std::int32_t> excl, std::int32_t nexcl);
// Mean square of the off-diagonal elements of R (order n); 0 when n < 2.
float residual_mean_square(std::int32_t n);

// ---- report (cc5_report.cpp) ----------------------------------------------------------
void CC5_print2(std::int32_t L, std::int32_t nkeys, std::span<const std::int32_t> keys,
                std::span<const float> a, std::span<const std::int32_t> refl, float rmsq,
                float pexh, std::int32_t mp, std::int32_t mb);
void CC5_iter_title();
void CC5_refl_compare(std::span<const std::int32_t> keys, std::span<const std::int32_t> refl,
                      std::int32_t nkeys);
void CC5_ortho_coef();
void CC5_exhaustion();

// ---- outputs and summary tables (cc5_outputs.cpp) --------------------------------------
void CC5_output();
void CC5_comm_change();
void CC5_communalities();
void CC5_title();

// ---- shared helpers --------------------------------------------------------------------
// The usable width of the report's own lines: min(ncline - 1, 100).
std::int32_t report_width();

}  // namespace korvex::cc5
