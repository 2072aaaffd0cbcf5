// The complete-data scoring pass: effective weights that give each composite its spread
// (stored as WEIGH1), one pass over the data storage file that scores every subject
// (FSCOR1, score pages, punched deck) and the intercorrelations of the scores.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "data_entry/dsf_reader.hpp"
#include "executive/errors.hpp"
#include "executive/positioning.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "scoring/facs_internal.hpp"
#include "storage/storage.hpp"

namespace korvex::facs {

namespace {

// The cause of a composite that does not vary, whether the correlations or the data show it.
constexpr const char* does_not_vary =
    ": IT DOES NOT VARY OVER THE SUBJECTS (ITS WEIGHTED VARIABLES CANCEL ONE ANOTHER).";

std::string trimmed(const std::string& text) {
  return text.substr(0, static_cast<std::size_t>(last_nonblank(text)));
}

std::string kind_caption(std::string_view head, std::string_view tail) {
  std::string txt(120, ' ');
  std::int32_t ltxt = 0;
  BLDSTR(txt, ltxt, head);
  BLDSTR(txt, ltxt, tail);
  return txt.substr(0, static_cast<std::size_t>(ltxt));
}

// A variable some composite weighs but whose standard deviation is 0 (or not a number)
// would give infinite raw weights and NaN scores; one below the normal range, scores of few
// digits.
void check_weighted_deviations() {
  facs_state& s = state();
  for (std::int32_t j = 1; j <= s.nv; ++j) {
    bool used = false;
    for (std::int32_t k = 1; k <= s.nf; ++k) used = used || s.w[ix(k, j, max_comp)] != 0.0f;
    if (used) refuse_unscorable_deviation(j);
  }
}

// A composite needs a variance that is positive beyond the rounding of its terms (see
// negligible_spread); the message names the cause. Where the correlations show a variance but
// cannot tell it from rounding, the spread the data themselves showed decides (read_data), and
// a second line gives that spread, the rounding bound and the remedy.
void check_variance(std::int32_t k, float total, float size) {
  const facs_state& s = state();
  const char* cause = nullptr;
  std::string measured;
  if (!std::isfinite(total) || !std::isfinite(size))
    cause = " (ITS WEIGHTS OR THE CORRELATION MATRIX HOLD A VALUE THAT IS NOT A FINITE NUMBER).";
  else if (!(size > 0.0f))
    cause = " (NO WEIGHTS).";
  else if (std::fabs(total) <= negligible_spread * size)
    cause = does_not_vary;
  else if (!(total > 0.0f))
    cause = " (A CORRELATION MATRIX THAT IS NOT POSITIVE SEMIDEFINITE).";
  else if (s.measured[at(k)] != 0 && !(s.spread[at(k)] > s.rounding[at(k)])) {
    cause = does_not_vary;
    measured = rounding_verdict(s.spread[at(k)], s.rounding[at(k)]) + ": " + std::string(level_remedy);
  }
  if (cause == nullptr) return;
  const std::string line = io::format_line(
      "('FACS Error: COMPOSITE ',I0,' (',A,') HAS NO POSITIVE VARIANCE',A)",
      {k, trimmed(s.cname[at(k)]), cause});
  if (measured.empty()) proc_error(line);
  proc_error(line, measured);
}

void TRANS() {
  facs_state& s = state();
  // CORRM1 as read_data read it back after the weights (the sweep of methods 5 and 6 works
  // on the same matrix).
  const std::vector<float>& r = r_matrix();
  check_weighted_deviations();

  std::vector<float> csd(max_comp, 0.0f);
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    // Terms of a zero weight are skipped: an unused variable never spoils a composite.
    float total = 0.0f;
    float size = 0.0f;  // sum of |W(k, j) R(b, j) W(k, b)|, the size of the terms of total
    for (std::int32_t j = 1; j <= s.nv; ++j) {
      const float wj = s.w[ix(k, j, max_comp)];
      if (wj == 0.0f) continue;
      float v = 0.0f;
      float vsize = 0.0f;
      for (std::int32_t b = 1; b <= s.nv; ++b) {
        const float wb = s.w[ix(k, b, max_comp)];
        if (wb == 0.0f) continue;
        const float term = r[ix(b, j, max_vars)] * wb;
        v += term;
        vsize += std::fabs(term);
      }
      total += v * wj;
      size += vsize * std::fabs(wj);
    }
    check_variance(k, total, size);
    csd[at(k)] = std::sqrt(total);
  }
  for (std::int32_t k = 1; k <= s.nf; ++k)
    for (std::int32_t j = 1; j <= s.nv; ++j) s.w[ix(k, j, max_comp)] /= csd[at(k)];

  pr_vector(csd, s.cname, s.nf, 1, 3,
            kind_caption(" STANDARD DEVIATIONS OF ",
                         s.it == 1 ? "CLUSTER COMPOSITES" : "FACTOR COMPOSITES"),
            s.npage, s.nline, s.monout);

  std::vector<float> ewt(static_cast<std::size_t>(max_vars) * static_cast<std::size_t>(s.nf));
  for (std::int32_t k = 1; k <= s.nf; ++k)
    for (std::int32_t j = 1; j <= s.nv; ++j) ewt[ix(j, k, max_vars)] = s.w[ix(k, j, max_comp)];
  Kpar kpar{};
  std::int32_t notfound = 0;
  make_kpar(kpar, s.nv, s.nf, 0);
  isf_real_matrix("WEIGH1", 1, kpar, notfound, ewt);
  pr_matrix(ewt, s.vname, s.cname, s.nv, s.nf, max_vars, 1, 3, "EFFECTIVE WEIGHT MATRIX",
            s.npage, s.nline, s.monout);

  s.zweight = s.w;
  for (std::int32_t k = 1; k <= s.nf; ++k)
    for (std::int32_t j = 1; j <= s.nv; ++j) {
      float& wkj = s.w[ix(k, j, max_comp)];
      if (wkj != 0.0f) wkj /= s.xsd[at(j)];
    }
}

// The score pages of one block: strips of composites, each on its own page.
void SPRINT(std::int32_t first, std::int32_t count, std::span<const float> bscore,
            std::span<const std::string> bname) {
  facs_state& s = state();
  const std::int32_t k = strip_width(31);
  const std::string kk = int_to_text(k, 2);
  const std::string numbers = "(1X/32X," + kk + "I21)";
  const std::string names = "(32X," + kk + "A21)";
  const std::string row = "(1X,I6,2X,A20,3X," + kk + "f21." + int_to_text(s.ndp, 2) + ")";
  for (std::int32_t lo = 1; lo <= s.nf; lo += k) {
    const std::int32_t hi = std::min(s.nf, lo + k - 1);
    score_strip_head(s.it == 1 ? "CLUSTER SCORE MATRIX" : "FACTOR SCORE MATRIX", lo, hi,
                     numbers, names);
    for (std::int32_t i = 1; i <= count; ++i) {
      std::vector<io::Value> items = {first + i - 1, bname[at(i)]};
      for (std::int32_t c = lo; c <= hi; ++c)
        items.emplace_back(bscore[ix(i, c, block_size)]);
      write_formatted(s.monout, row, items);
    }
  }
  s.nline = 0;
}

// Scores every subject; cross products of the scores (about SMEAN) totalled in double.
void SCORE2(std::vector<double>& cross) {
  facs_state& s = state();
  if (s.ipunch == 1) {
    float most = s.sd[0];
    for (std::int32_t k = 2; k <= s.nf; ++k) most = std::max(most, s.sd[at(k)]);
    SETSPN(most);
    write_formatted(s.monpun, "(A)", {io::pad("FACTOR SCORES", 80)});
  }
  Kpar kpar{};
  std::int32_t notfound = 0;
  make_kpar(kpar, s.nf, s.nsub, s.nf);
  std::vector<float> scores(static_cast<std::size_t>(s.nf), 0.0f);
  isf_real_chunks("FSCOR1", 1, kpar, notfound, scores, 1);

  dsf::subject_reader reader(s.mtdst, s.nv);
  std::vector<float> x(static_cast<std::size_t>(s.nv), 0.0f);
  // The weights variable by variable, the composites of one variable side by side in groups
  // of four (zero weights fill the last group), so that a group is summed as one vector.
  const std::size_t lanes = (static_cast<std::size_t>(s.nf) + 3) / 4 * 4;
  std::vector<float> weights(lanes * static_cast<std::size_t>(s.nv), 0.0f);
  for (std::int32_t j = 1; j <= s.nv; ++j) {
    const std::vector<float>& wj = s.standard_units[at(j)] != 0 ? s.zweight : s.w;
    for (std::int32_t k = 1; k <= s.nf; ++k)
      weights[at(j) * lanes + at(k)] = wj[ix(k, j, max_comp)];
  }
  std::vector<float> sums(lanes, 0.0f);
  std::vector<float> bscore(static_cast<std::size_t>(block_size) * max_comp, 0.0f);
  std::vector<std::string> bname(block_size, std::string(20, ' '));
  std::string name;
  std::int32_t number = 0;
  for (std::int32_t first = 1; first <= s.nsub; first += block_size) {
    const std::int32_t count = std::min(block_size, s.nsub - first + 1);
    for (std::int32_t i = 1; i <= count; ++i) {
      read_subject(reader, x, &name, &number, "FACS2");
      // All composites at once, each still summed over the variables in their order. For
      // finite deviations a zero weight's product is +0 or -0, which leaves a sum as skipping
      // the variable does; other deviations take the loop that skips. A variable of
      // standard_units enters as its standard score, formed in double.
      bool finite = true;
      for (std::size_t j = 0; j < static_cast<std::size_t>(s.nv); ++j) {
        const double d = static_cast<double>(x[j]) - s.centre[j];
        x[j] = static_cast<float>(s.standard_units[j] != 0 ? d / static_cast<double>(s.xsd[j]) : d);
        finite &= std::fabs(x[j]) <= std::numeric_limits<float>::max();
      }
      const std::size_t nv = static_cast<std::size_t>(s.nv);
      for (std::size_t k = 0; k < lanes; k += 4) {
        const float* w = weights.data() + k;
        float a0 = 0.0f, a1 = 0.0f, a2 = 0.0f, a3 = 0.0f;
        if (finite) {
          for (std::size_t j = 0; j < nv; ++j, w += lanes) {
            a0 += x[j] * w[0];
            a1 += x[j] * w[1];
            a2 += x[j] * w[2];
            a3 += x[j] * w[3];
          }
        } else {
          for (std::size_t j = 0; j < nv; ++j, w += lanes) {
            if (w[0] != 0.0f) a0 += x[j] * w[0];
            if (w[1] != 0.0f) a1 += x[j] * w[1];
            if (w[2] != 0.0f) a2 += x[j] * w[2];
            if (w[3] != 0.0f) a3 += x[j] * w[3];
          }
        }
        const float a[4] = {a0, a1, a2, a3};
        std::copy_n(a, 4, sums.begin() + static_cast<std::ptrdiff_t>(k));
      }
      for (std::int32_t k = 1; k <= s.nf; ++k) {
        const float sum = sums[at(k)];
        float score = s.sd[at(k)] * sum + s.smean;
        if (score == 0.0f) score = 0.0f;  // never -0.0
        scores[at(k)] = score;
        bscore[ix(i, k, block_size)] = score;
      }
      isf_real_chunks("FSCOR1", 1, kpar, notfound, scores, 2);
      if (s.ipunch == 1) facs_punch_scores(scores, name);
      bname[at(i)] = name;
    }
    if (s.iprint == 1) SPRINT(first, count, bscore, bname);
    for (std::int32_t i = 1; i <= count; ++i)
      for (std::int32_t b = 1; b <= s.nf; ++b)
        for (std::int32_t a = 1; a <= b; ++a)
          cross[ix(a, b, max_comp)] +=
              static_cast<double>(bscore[ix(i, a, block_size)] - s.smean) *
              static_cast<double>(bscore[ix(i, b, block_size)] - s.smean);
  }
}

}  // namespace

void FACS2() {
  facs_state& s = state();
  TRANS();
  variable_centres();
  std::vector<double> cross(static_cast<std::size_t>(max_comp) * max_comp, 0.0);
  SCORE2(cross);
  rewind_unit(s.mtdst);
  std::vector<float> corr(static_cast<std::size_t>(max_comp) * max_comp, 0.0f);
  for (std::int32_t j = 1; j <= s.nf; ++j) {
    for (std::int32_t i = 1; i <= j; ++i) {
      const double den = static_cast<double>(s.nsub) * s.sd[at(i)] * s.sd[at(j)];
      const float r = den > 0.0 ? static_cast<float>(cross[ix(i, j, max_comp)] / den) : 0.0f;
      corr[ix(i, j, max_comp)] = r;
      corr[ix(j, i, max_comp)] = r;
    }
  }
  pr_matrix_tri(corr, s.cname, s.nf, max_comp, 1, 3,
                kind_caption(" INTERCORRELATIONS BETWEEN ",
                             s.it == 1 ? "CLUSTER SCORES" : "FACTOR SCORES"),
                s.npage, s.nline, s.monout);
}

}  // namespace korvex::facs
