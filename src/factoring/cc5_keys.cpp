// Choosing the key variables of one dimension in the first pass, from the residual matrix
// left by the dimensions before it: a cluster grown around a pivot (pivot collinearity or
// mutual collinearity), a preset list (from the cards or from a prior CLUST1), a single
// pivot variable, or the leading variables of a ranking (salient centroid). Also tells the
// first pass when no further dimension can be formed.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "factoring/cc5_internal.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex::cc5 {

namespace {

constexpr std::size_t message_length = 200;

constexpr std::string_view candidate_layout_1 =
    "(\" IN DIMENSION \",I0,\", BELOW, V ARIABLE\",A1,I0,A1,\"(\",A,\") DOES NOT SATISFY THE "
    "CRITERIA FOR PIVOT VARIABLES AND VARIABLE\",A1,I0,A1,\"(\",A,\") IS USED AS THE NEXT "
    "CHOICE\")";
constexpr std::string_view candidate_layout_2 =
    "(\" IN DIMENSION \",I0,\", BELOW, VARIABLE\",A1,I0,A1,\"(\",A,\") DOES NOT SATISFY THE "
    "CRITERIA FOR PIVOT VARIABLES AND VARIABLE\",A1,I0,A1,\"(\",A,\") IS USED AS THE NEXT "
    "CHOICE\")";
constexpr std::string_view fallback_layout_1 =
    "(\" NO PIVOT SATISFYING ALL THE SPECIFIED CRITERIA COULD BE FOUND FOR THE VERY FIRST "
    "DIMENSION, SO THE VARIABLE HAVING HIGHEST VARIANCE OF SQUARED R WAS ARBITRARILY CHOSEN\")";
constexpr std::string_view fallback_layout_2 =
    "(\" NO PIVOT SATISFYING ALL THE SPECIFIED CRITERIA COULD BE FOUND FOR THE VERY FIRST "
    "DIMENSION, SO THE VARIABLE HAVING HIGHEST VARIANCE OF SQUARED R WAS ARBITARILY CHOSEN\")";

// One message of the selection: a blank line, then the text left-aligned in pieces.
void print_message(analysis& s, const std::string& text) {
  listing& o = s.out;
  PAGER(-1, o.page, o.lines, o.unit);
  const std::string line = io::pad(text, message_length);
  pr_line(-1, std::min<std::int32_t>(get_ncline() - 1, message_length), line, o.page, o.lines,
          o.unit);
}

// Message A: candidate `rejected` failed and `next` is tried (or was the next in line).
void candidate_message(analysis& s, std::int32_t method, std::int32_t L, std::int32_t rejected,
                       std::int32_t next) {
  const std::string hb(1, hard_blank);
  const std::string_view layout = method == 1 ? candidate_layout_1 : candidate_layout_2;
  print_message(s, io::format_line(layout, {L, hb, s.ORD[at(rejected)], hb, s.VARNAM[at(rejected)],
                                            hb, s.ORD[at(next)], hb, s.VARNAM[at(next)]}));
}

// Messages B and C: the first dimension falls back to the best-ranked candidate alone.
void fallback_message(analysis& s, std::int32_t method) {
  print_message(s, io::format_line(method == 1 ? fallback_layout_1 : fallback_layout_2, {}));
  PAGER(-2, s.out.page, s.out.lines, s.out.unit);
}

// The pivot candidates: the variables of largest VSQ, best first, at most n of them.
std::vector<std::int32_t> pivot_candidates(const analysis& s) {
  const std::int32_t n = s.c.numvar;
  const std::int32_t k = std::min(s.c.npiv + 1, n);
  std::vector<std::int32_t> cand(static_cast<std::size_t>(k), 0);
  top_k_indices(s.VSQ, n, cand, k, 0);
  return cand;
}

// After every candidate failed: the first dimension takes the first candidate alone, a
// later dimension ends the analysis.
void no_acceptable_candidate(analysis& s, std::int32_t method, std::int32_t L,
                             const std::vector<std::int32_t>& cand, std::span<std::int32_t> keys,
                             std::int32_t& nkeys) {
  const std::int32_t last = s.c.npiv;
  candidate_message(s, method, L, cand[at(last)],
                    cand[at(std::min<std::int32_t>(last + 1, static_cast<std::int32_t>(cand.size())))]);
  if (L == 1) {
    nkeys = 1;
    keys[0] = cand[0];
    fallback_message(s, method);
    return;
  }
  nkeys = 0;
  s.c.more_dims = 2;
}

// Method 1: the pivot and the variables of highest PSQ with it, while they reach psq_low
// (second to fourth) and then both psq_high and 2 S(4) - S(2). Only sorted positions that
// exist (up to n) are tested.
void pivot_collinearity(analysis& s, std::int32_t L, std::span<std::int32_t> keys,
                        std::int32_t& nkeys) {
  const control_block& c = s.c;
  const std::int32_t n = c.numvar;
  const std::vector<std::int32_t> cand = pivot_candidates(s);
  std::vector<float> colss(static_cast<std::size_t>(n));
  std::vector<float> q(static_cast<std::size_t>(n));
  std::vector<float> sorted(static_cast<std::size_t>(n));
  std::vector<std::int32_t> x(static_cast<std::size_t>(n));
  column_sums_of_squares(s.R, colss, n);
  nkeys = 0;
  for (std::int32_t ci = 1; ci <= c.npiv; ++ci) {
    const std::int32_t p = cand[at(ci)];
    if (ci > 1) candidate_message(s, 1, L, cand[at(ci - 1)], p);
    psq_row(p, s.R, colss, q, n);
    sort_desc_index(q, sorted, x, n);
    const auto S = [&](std::int32_t k) { return sorted[at(k)]; };
    std::int32_t accepted = 0;
    bool rejected = false;
    for (std::int32_t k = 2; k <= std::min(4, n); ++k) {
      if (S(k) < c.psq_low) {  // a NaN passes
        if (k == 2) {
          rejected = true;
        } else {
          accepted = k - 1;
        }
        break;
      }
    }
    if (rejected) continue;
    if (accepted == 0) {
      const std::int32_t m = std::min(c.maxdef, n);
      accepted = m;
      if (m >= 5) {
        const float t = 2.0f * S(4) - S(2);
        for (std::int32_t k = 5; k <= m; ++k) {
          if (!(S(k) >= c.psq_high && S(k) >= t)) {  // a NaN fails
            accepted = k - 1;
            break;
          }
        }
      }
    }
    nkeys = accepted;
    for (std::int32_t k = 1; k <= nkeys; ++k) keys[at(k)] = x[at(k)];
    return;
  }
  no_acceptable_candidate(s, 1, L, cand, keys, nkeys);
}

// Method 2: from the pivot, repeatedly the variable with the largest sum of PSQ with the
// keys so far, provided its smallest PSQ with them reaches psq_low (second to fourth key);
// from the fifth on, variables whose smallest PSQ falls below psq_high or outside the
// spread of the first four keys are excluded for good.
void mutual_collinearity(analysis& s, std::int32_t L, std::span<std::int32_t> keys,
                         std::int32_t& nkeys) {
  const control_block& c = s.c;
  const std::int32_t n = c.numvar;
  const std::vector<std::int32_t> cand = pivot_candidates(s);
  std::vector<float> colss(static_cast<std::size_t>(n));
  std::vector<float> q(static_cast<std::size_t>(n));
  std::vector<float> sums(static_cast<std::size_t>(n));
  std::vector<float> least(static_cast<std::size_t>(n));  // -1 marks a key or an exclusion
  std::vector<std::int32_t> excl;
  excl.reserve(static_cast<std::size_t>(n));
  column_sums_of_squares(s.R, colss, n);

  const auto take_psq = [&](std::int32_t v) {
    psq_row(v, s.R, colss, q, n);
    for (std::int32_t i = 1; i <= n; ++i) {
      sums[at(i)] = sums[at(i)] + q[at(i)];
      if (q[at(i)] < least[at(i)]) least[at(i)] = q[at(i)];
    }
  };
  const auto add_key = [&](std::int32_t v) {
    nkeys += 1;
    keys[at(nkeys)] = v;
    excl.push_back(v);
    least[at(v)] = -1.0f;
  };
  const auto pick = [&]() {
    return CC5_pick_max(sums, n, excl, static_cast<std::int32_t>(excl.size()));
  };

  for (std::int32_t ci = 1; ci <= c.npiv; ++ci) {
    const std::int32_t p = cand[at(ci)];
    if (ci > 1) candidate_message(s, 2, L, cand[at(ci - 1)], p);
    std::fill(sums.begin(), sums.end(), 0.0f);
    std::fill(least.begin(), least.end(), 1.0f);
    excl.clear();
    nkeys = 0;
    add_key(p);
    float fmin = 1.0f;
    float fmax = 0.0f;
    take_psq(p);

    bool rejected = false;
    bool done = false;
    for (std::int32_t k = 2; k <= 4 && !done; ++k) {
      const std::int32_t v = pick();
      if (v == 0) {
        done = true;
        break;
      }
      if (least[at(v)] < c.psq_low) {  // a NaN passes
        rejected = k == 2;
        done = true;
        break;
      }
      add_key(v);
      if (nkeys >= c.maxdef) {
        done = true;
        break;
      }
      take_psq(v);
      for (std::int32_t j = 1; j <= k - 1; ++j) {
        fmin = std::min(fmin, q[at(keys[at(j)])]);
        fmax = std::max(fmax, q[at(keys[at(j)])]);
      }
    }
    if (rejected) continue;
    for (std::int32_t k = 5; k <= n && !done; ++k) {
      for (std::int32_t i = 1; i <= n; ++i) {
        const float mi = least[at(i)];
        if (mi == -1.0f) continue;
        if (mi < c.psq_high || std::fabs(mi - fmin) > fmax - fmin) {  // a NaN stays
          excl.push_back(i);
          least[at(i)] = -1.0f;
        }
      }
      const std::int32_t v = pick();
      if (v == 0) break;
      add_key(v);
      if (nkeys >= c.maxdef) break;
      take_psq(v);
    }
    return;
  }
  no_acceptable_candidate(s, 2, L, cand, keys, nkeys);
}

// Method 3: one list of variable numbers from MONIN, turned into positions of CORRM1.
void preset_from_cards(analysis& s, std::span<std::int32_t> keys, std::int32_t& nkeys,
                       std::int32_t monin) {
  std::fill(keys.begin(), keys.end(), 0);
  std::int32_t count = 0;
  std::int32_t status = 0;
  read_number_list(keys, 9999, count, status, monin, s.out.unit);
  switch (status) {
    case 0:
      break;
    case 1:
      proc_error("Inappropiate character in ordinal number.");
    case 2:
      proc_error("Input number too big or zero.");
    default:
      proc_error("Select case (kerror) is bad");
  }
  for (std::int32_t i = 1; i <= count; ++i) {
    const std::int32_t j = find_int(s.ORD, s.c.nactive, keys[at(i)]);
    if (j > s.c.nactive) {
      proc_error("CC5_keys: Preset indicator " + int_to_text(i, 4) + " with value " +
                 int_to_text(keys[at(i)], 4) + " is invalid");
    }
    keys[at(i)] = j;
  }
  nkeys = count;
}

}  // namespace

void cckeys(std::int32_t L, std::span<std::int32_t> keys, std::int32_t& nkeys, std::int32_t monin) {
  analysis& s = state();
  control_block& c = s.c;
  const std::int32_t n = c.numvar;
  std::vector<float> work(static_cast<std::size_t>(n));
  for (std::int32_t j = 1; j <= n; ++j) {
    for (std::int32_t m = 1; m <= n; ++m) work[at(m)] = s.r(m, j) * s.r(m, j);
    vec_variance(work, s.VSQ[at(j)], n);
  }

  const auto single_key = [&](std::span<const float> v) {
    float vmax = 0.0f;
    std::int32_t imax = 1;
    vec_max_index(v, n, vmax, imax);
    nkeys = 1;
    keys[0] = imax;
  };
  const auto leading = [&](std::span<const float> v) {
    std::vector<float> sorted(static_cast<std::size_t>(n));
    std::vector<std::int32_t> idx(static_cast<std::size_t>(n));
    sort_desc_index(v, sorted, idx, n);
    nkeys = std::min({c.nsort, n, max_keys});
    for (std::int32_t k = 1; k <= nkeys; ++k) keys[at(k)] = idx[at(k)];
  };

  switch (c.kon1) {
    case 1:
      pivot_collinearity(s, L, keys, nkeys);
      break;
    case 2:
      mutual_collinearity(s, L, keys, nkeys);
      break;
    case 3:
      preset_from_cards(s, keys, nkeys, monin);
      break;
    case 4:
      break;  // keys and nkeys are those of CLUST1
    case 5:
      get_diagonal(s.R, work, n);
      single_key(work);
      return;
    case 6:
      column_sums_of_squares(s.R, work, n);
      single_key(work);
      return;
    case 7:
      single_key(s.VSQ);
      return;
    case 8:
      leading(s.VSQ);
      break;
    case 9:
      column_sums_of_squares(s.R, work, n);
      leading(work);
      break;
    default:
      proc_error("CC5:cckeys: select case failure, KON3");
  }
  if (nkeys >= 1) return;
  if (L >= 2) {
    c.more_dims = 2;
    return;
  }
  QUIT(10001);
}

}  // namespace korvex::cc5
