// What a key-cluster analysis takes from the ISF: the correlation matrix CORRM1, the names
// and numbers of its variables under the active-variable protocol, the communality
// estimates DIAGV1 and, for a preset analysis from a prior one, the key lists of CLUST1.
// The sizes are checked against CORRM1, the estimates go on the diagonal, and the totals
// that the dimensionality test and the reports use are formed before the title block.
#include <string>
#include <vector>

#include "data_entry/active_variables.hpp"
#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "factoring/cc5_internal.hpp"
#include "io/fixed_text.hpp"
#include "storage/storage.hpp"

namespace korvex::cc5 {

namespace {

// Names and listed numbers of the positions 1..n. Without VNAMS1 the names are "VAR_" and
// the position; with it, its sizes must agree with CORRM1, and only while a selection is in
// force is REORD1 consulted (and checked) for the original numbers.
void read_variables(analysis& s) {
  control_block& c = s.c;
  const std::int32_t n = c.numvar;
  c.nactive = n;  // REORD1 passes its check only when it counts n active variables
  std::vector<std::string> names(max_vars, std::string(name_length, ' '));
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_name_vector("VNAMS1", 0, kpar, notfound, names);
  if (notfound != 0) {
    GENAME("VAR_", s.VARNAM, n, 0);
    return;
  }
  CC5_initial("VNAMS1", kpar, n);
  if (kpar[0] == 3) {
    std::vector<std::int32_t> order(max_vars, 0);
    Kpar korder{};
    isf_int_vector("REORD1", 0, korder, notfound, order);
    if (notfound == 0) CC5_initial("REORD1", korder, n);
  }
  const active_variables v = read_active_variables(0);
  for (std::int32_t k = 1; k <= n; ++k) {
    s.VARNAM[at(k)] = io::pad(v.names[at(k)], name_length);
    s.ORD[at(k)] = v.numbers[at(k)];
  }
}

// The key lists of a prior analysis. At most 50 lists of at most 99 entries fit the work
// arrays, and every entry must be a position of CORRM1; anything else is refused.
void read_prior_lists(analysis& s) {
  control_block& c = s.c;
  std::vector<std::int32_t> counts(max_vars, 0);
  std::vector<std::int32_t> lists(static_cast<std::size_t>(max_keys) * max_vars, 0);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_int_table("CLUST1", 0, kpar, notfound, counts, lists);
  if (notfound != 0) isf_missing("CLUST1", 1);
  const std::int32_t k = kpar[1];
  if (k < 0 || k > max_dims) {
    proc_error("CC5_input: CLUST1 holds " + std::to_string(k) +
               " key lists; at most 50 can be used.");
  }
  for (std::int32_t L = 1; L <= k; ++L) {
    const std::int32_t count = counts[at(L)];
    if (count < 0 || count > max_keys) {
      proc_error("CC5_input: CLUST1 list " + std::to_string(L) + " holds " +
                 std::to_string(count) + " variables; at most 99 can be used.");
    }
    for (std::int32_t e = 1; e <= count; ++e) {
      const std::int32_t v = lists[static_cast<std::size_t>(L - 1) * max_keys + at(e)];
      if (v < 1 || v > c.numvar) {
        proc_error("CC5_input: CLUST1 list " + std::to_string(L) + " holds variable " +
                   std::to_string(v) + "; CORRM1 has " + std::to_string(c.numvar) + " variables.");
      }
      s.keys(L)[at(e)] = v;
    }
    s.NDEF[at(L)] = count;
  }
  c.ndim = k;
}

}  // namespace

void CC5_input() {
  analysis& s = state();
  control_block& c = s.c;
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 0, kpar, notfound, s.R, 2);
  if (notfound != 0) isf_missing("CORRM1", 1);
  c.numvar = kpar[1];
  if (c.numvar < 1) proc_error("CC5_input: CORRM1 holds no variables.");
  const std::int32_t n = c.numvar;

  read_variables(s);

  isf_real_vector("DIAGV1", 0, kpar, notfound, s.DIAGIN);
  if (notfound != 0) isf_missing("DIAGV1", 1);
  CC5_initial("DIAGV1", kpar, n);

  if (c.kon1 == 4) read_prior_lists(s);

  c.fnvar = static_cast<float>(n);
  for (std::int32_t i = 1; i <= n; ++i) {
    // Limited to [0, 1]; an estimate that is not a number enters as 0.
    float h = s.DIAGIN[at(i)] > 0.0f ? s.DIAGIN[at(i)] : 0.0f;
    if (h > 1.0f) h = 1.0f;
    s.HINIT[at(i)] = h;
    s.r(i, i) = h;
    s.HPREV[at(i)] = h;
    s.DIAGIN[at(i)] = h;
  }
  c.sum_h = vec_sum(s.HPREV, n);
  c.h_floor = (1.0f - c.exhaust_level) * c.sum_h;
  c.raw_msq = residual_mean_square(n);
  c.iter_no = 1;
  CC5_title();
}

}  // namespace korvex::cc5
