// The missing-data scoring pass: each composite is the signed sum of its definers' standard
// scores, a missing definer counted at the mean of the present ones; too few present leaves
// the score missing. A first reading keeps the raw composites on the scratch file MTSC1, a
// second one restandardises them over the scored subjects, stores FSCOR1, prints and
// punches; then the intercorrelations over matched subjects and their N's.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data_entry/dsf_reader.hpp"
#include "executive/errors.hpp"
#include "executive/positioning.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "io/record_file.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "scoring/facs_internal.hpp"
#include "storage/storage.hpp"

namespace korvex::facs {

namespace {

std::string trimmed(const std::string& text) {
  return text.substr(0, static_cast<std::size_t>(last_nonblank(text)));
}

// What the first reading leaves for the second.
struct moments {
  std::vector<std::int32_t> nval;
  std::vector<float> zmean;
  std::vector<float> zsd;
  std::vector<bool> scorable;  // some subject scored and a spread to restandardise by
};

void notice() {
  facs_state& s = state();
  const std::int32_t u = s.monout;
  write_formatted(u, "(1X)");
  write_formatted(u, "(25X,A)", {"THE DST CONTAINS MISSING DATA FOR SOME DEFINER(S).."});
  write_formatted(u, "(35X,A)", {"MISSING DATA FACS WILL BE USED."});
  write_formatted(u, "(1X)");
  write_formatted(u, "(32X,A)",
                  {"EACH MISSING SCORE FOR AN OBJECT ON A DEFINER IS REPLACED BY THE MEAN OF THE"});
  write_formatted(
      u, "(27X,A)",
      {"STANDARD SCORES ON THE PRESENT DEFINERS.  THE COMPOSITE SCORE ACROSS ALL DEFINERS,"});
  write_formatted(
      u, "(27X,A)",
      {"INCLUDING REPLACEMENTS, IS THEN STANDARDIZED.  IF THE PERCENT OF DEFINERS PRESENT"});
  write_formatted(u, "(27X,\"IS LESS THAN \",F5.0,\" THE SCORE IS TREATED AS MISSING.\")",
                  {s.pmin * 100.0f});
  pager(-1);
  pager(7);
  s.nline = 44;
}

// The definer lists; the weights become standard-score weights.
std::vector<std::vector<std::int32_t>> DEFNDX() {
  facs_state& s = state();
  std::vector<std::vector<std::int32_t>> lists = definer_lists();
  s.zweight = s.w;
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    for (std::int32_t j : lists[at(k)]) {
      refuse_unscorable_deviation(j);
      s.w[ix(k, j, max_comp)] /= s.xsd[at(j)];
    }
  }
  return lists;
}

// First reading: raw composites and present-definer counts to MTSC1, then their moments.
moments ZSCORE(const std::vector<std::vector<std::int32_t>>& lists) {
  facs_state& s = state();
  moments m;
  m.nval.assign(static_cast<std::size_t>(s.nf), 0);
  std::vector<double> sum(static_cast<std::size_t>(s.nf), 0.0);
  std::vector<double> sumsq(static_cast<std::size_t>(s.nf), 0.0);
  // Squares of the rounding bound of every scored subject's composite (see arithmetic_rounding).
  std::vector<double> bound_sq(static_cast<std::size_t>(s.nf), 0.0);
  io::SequentialFile& sc1 = sequential_file(s.mtsc1);
  dsf::subject_reader reader(s.mtdst, s.nv);
  std::vector<float> x(static_cast<std::size_t>(s.nv), 0.0f);
  std::string name;
  std::int32_t number = 0;
  for (std::int32_t subject = 1; subject <= s.nsub; ++subject) {
    read_subject(reader, x, &name, &number, "FACS3");
    io::RecordWriter rec;
    for (std::int32_t k = 1; k <= s.nf; ++k) {
      float y = 0.0f;
      std::int32_t c = 0;
      double bound = 0.0;
      if (replaced_composite(x, lists[at(k)], k, y, c, &bound)) {
        sum[at(k)] += y;
        sumsq[at(k)] += static_cast<double>(y) * y;
        bound_sq[at(k)] += bound * bound;
        ++m.nval[at(k)];
      }
      rec.f32(y).i32(c);
    }
    rec.text(name, 20);
    sc1.write(rec);
  }
  sc1.end_file();
  sc1.rewind();
  m.zmean.assign(static_cast<std::size_t>(s.nf), 0.0f);
  m.zsd.assign(static_cast<std::size_t>(s.nf), 0.0f);
  m.scorable.assign(static_cast<std::size_t>(s.nf), false);
  std::vector<double> rounding(static_cast<std::size_t>(s.nf), 0.0);
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    const double n = m.nval[at(k)];
    if (n <= 0.0) continue;
    m.zmean[at(k)] = static_cast<float>(sum[at(k)] / n);
    const double rad = std::max(0.0, n * sumsq[at(k)] - sum[at(k)] * sum[at(k)]);
    m.zsd[at(k)] = static_cast<float>(std::sqrt(rad) / n);
    // A spread that rounding alone explains counts as none (see arithmetic_rounding); the
    // table still shows the spread measured, and the refusal line both figures.
    rounding[at(k)] = std::sqrt(bound_sq[at(k)] / n);
    m.scorable[at(k)] = m.zsd[at(k)] > rounding[at(k)];
  }
  std::vector<float> table(static_cast<std::size_t>(max_comp) * 3, 0.0f);
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    table[ix(k, 1, max_comp)] = m.zmean[at(k)];
    table[ix(k, 2, max_comp)] = m.zsd[at(k)];
    table[ix(k, 3, max_comp)] = static_cast<float>(m.nval[at(k)]);
  }
  std::string txt(120, ' ');
  std::int32_t ltxt = 0;
  BLDSTR(txt, ltxt,
         "MEAN, STANDARD DEVIATION, AND N (BEFORE RESTANDARIZATION, BUT AFTER REPLACEMENT) OF ");
  BLDSTR(txt, ltxt, s.it == 1 ? "CLUSTER COMPOSITES" : "FACTOR COMPOSITES");
  const std::vector<std::string> cols = {" MEAN", "SIGMA", "  N"};
  std::vector<std::string> colnames;
  for (const std::string& c : cols) colnames.push_back(c + std::string(20 - c.size(), ' '));
  pr_matrix(table, s.cname, colnames, s.nf, 3, max_comp, 1, 3, txt.substr(0, at(ltxt + 1)),
            s.npage, s.nline, s.monout);
  // A composite that cannot be restandardised keeps no score at all. A spread of 0 is none;
  // one within the rounding bound may be rounding alone, or the variation of data stored at a
  // level where single precision keeps few of its digits, and the line gives both figures.
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    if (m.scorable[at(k)]) continue;
    const double spread = m.zsd[at(k)];
    std::string cause =
        m.nval[at(k)] == 0 ? "NO SUBJECT HAS ENOUGH DEFINERS PRESENT. EVERY SCORE IS MISSING."
        : spread == 0.0    ? "ITS SPREAD OVER THE SCORED SUBJECTS IS 0. EVERY SCORE IS MISSING."
                           : rounding_verdict(spread, rounding[at(k)]) + ".";
    pr_line(-1, get_ncline() - 1,
            io::format_line("('COMPOSITE ',I0,' (',A,') CANNOT BE SCORED: ',A)",
                            {k, trimmed(s.cname[at(k)]), cause}),
            s.npage, s.nline, s.monout);
    if (m.nval[at(k)] > 0 && spread > 0.0)
      pr_line(-1, get_ncline() - 1, "EVERY SCORE IS MISSING. " + std::string(level_remedy) + ".",
              s.npage, s.nline, s.monout);
  }
  return m;
}

// The score pages of one block with the present-definer count beside every score.
void SPRNT2(std::int32_t first, std::int32_t count, std::span<const float> bscore,
            std::span<const std::int32_t> bndef, std::span<const std::string> bname) {
  facs_state& s = state();
  const std::int32_t k = strip_width(28);
  const std::string kk = int_to_text(k, 2);
  const std::string numbers = "(1X,/,29X," + kk + "I21)";
  const std::string names = "(29X," + kk + "A21)";
  const std::string row = "(1X,I6,2X,A20," + kk + "(1x,f17." + int_to_text(s.ndp, 2) + ",I3))";
  for (std::int32_t lo = 1; lo <= s.nf; lo += k) {
    const std::int32_t hi = std::min(s.nf, lo + k - 1);
    score_strip_head(s.it == 1 ? "CLUSTER SCORE MATRIX  (WITH N'S OF NONMISSING DEFINERS)"
                               : "FACTOR SCORE MATRIX  (WITH N'S OF NONMISSING DEFINERS)",
                     lo, hi, numbers, names);
    for (std::int32_t i = 1; i <= count; ++i) {
      std::vector<io::Value> items = {first + i - 1, bname[at(i)]};
      for (std::int32_t c = lo; c <= hi; ++c) {
        items.emplace_back(bscore[ix(i, c, block_size)]);
        items.emplace_back(std::abs(bndef[ix(i, c, block_size)]));
      }
      write_formatted(s.monout, row, items);
    }
  }
  s.nline = 0;
}

// Second reading accumulators, all over the subjects that have both scores.
struct pairs {
  std::vector<double> cross, psum, pssq;
  std::vector<std::int32_t> npair;
  explicit pairs(std::size_t n) : cross(n, 0.0), psum(n, 0.0), pssq(n, 0.0), npair(n, 0) {}
};

void RSTND3(const moments& m, pairs& p) {
  facs_state& s = state();
  if (s.ipunch == 1) {
    float most = s.sd[0];
    for (std::int32_t k = 2; k <= s.nf; ++k) most = std::max(most, s.sd[at(k)]);
    SETSPN(10.0f * most + std::fabs(s.smean));
    write_formatted(s.monpun, "(A)", {io::pad("FACTOR SCORES", 80)});
  }
  Kpar kpar{};
  std::int32_t notfound = 0;
  make_kpar(kpar, s.nf, s.nsub, s.nf);
  std::vector<float> scores(static_cast<std::size_t>(s.nf), 0.0f);
  isf_real_chunks("FSCOR1", 1, kpar, notfound, scores, 1);

  io::SequentialFile& sc1 = sequential_file(s.mtsc1);
  std::vector<float> y(static_cast<std::size_t>(s.nf));
  std::vector<std::int32_t> c(static_cast<std::size_t>(s.nf));
  std::vector<float> z(static_cast<std::size_t>(s.nf));
  std::vector<float> bscore(static_cast<std::size_t>(block_size) * max_comp, 0.0f);
  std::vector<std::int32_t> bndef(static_cast<std::size_t>(block_size) * max_comp, 0);
  std::vector<std::string> bname(block_size, std::string(20, ' '));
  std::vector<std::byte> bytes;
  for (std::int32_t first = 1; first <= s.nsub; first += block_size) {
    const std::int32_t count = std::min(block_size, s.nsub - first + 1);
    for (std::int32_t i = 1; i <= count; ++i) {
      std::int32_t status = 0;
      try {
        status = sc1.read(bytes);
      } catch (const io::IoError& e) {
        status = e.status() != 0 ? e.status() : 1;
      }
      if (status == -1) proc_error("FACS3 Error: Unexpected end of SC1 file while reading data.");
      std::string name;
      if (status == 0) {
        try {
          io::RecordReader rec(bytes);
          for (std::int32_t k = 1; k <= s.nf; ++k) {
            y[at(k)] = rec.f32();
            c[at(k)] = rec.i32();
          }
          name = rec.text(20);
        } catch (const io::IoError& e) {
          status = e.status() != 0 ? e.status() : 1;
        }
      }
      if (status != 0)
        fatal_with_number("FACS3 Error: Error while reading data from SC1 file", status);
      for (std::int32_t k = 1; k <= s.nf; ++k) {
        if (!m.scorable[at(k)]) c[at(k)] = -std::abs(c[at(k)]);
        if (c[at(k)] >= 1) z[at(k)] = ((y[at(k)] - m.zmean[at(k)]) / m.zsd[at(k)]) * s.sd[at(k)];
      }
      for (std::int32_t k = 1; k <= s.nf; ++k) {
        if (c[at(k)] < 1) {
          scores[at(k)] = s.smiss;
          continue;
        }
        for (std::int32_t l = k; l <= s.nf; ++l) {
          if (c[at(l)] < 1) continue;
          p.cross[ix(k, l, max_comp)] += static_cast<double>(z[at(k)]) * z[at(l)];
          p.npair[ix(k, l, max_comp)] += 1;
          p.npair[ix(l, k, max_comp)] = p.npair[ix(k, l, max_comp)];
          p.psum[ix(k, l, max_comp)] += z[at(k)];
          p.pssq[ix(k, l, max_comp)] += static_cast<double>(z[at(k)]) * z[at(k)];
          if (l != k) {
            p.psum[ix(l, k, max_comp)] += z[at(l)];
            p.pssq[ix(l, k, max_comp)] += static_cast<double>(z[at(l)]) * z[at(l)];
          }
        }
        const float score = z[at(k)] + s.smean;
        if (score == s.smiss)
          proc_error("FACS Error: A valid factor/cluster score matches the missing value.");
        scores[at(k)] = score;
      }
      isf_real_chunks("FSCOR1", 1, kpar, notfound, scores, 2);
      if (s.ipunch == 1) facs_punch_scores(scores, name);
      for (std::int32_t k = 1; k <= s.nf; ++k) {
        bscore[ix(i, k, block_size)] = scores[at(k)];
        bndef[ix(i, k, block_size)] = c[at(k)];
      }
      bname[at(i)] = name;
    }
    if (s.iprint == 1) SPRNT2(first, count, bscore, bndef, bname);
  }
}

}  // namespace

bool replaced_composite(std::span<const float> x, std::span<const std::int32_t> list,
                        std::int32_t k, float& y, std::int32_t& c, double* bound) {
  const facs_state& s = state();
  const bool alone = list.size() == 1;
  float a = 0.0f;
  double b = 0.0;
  std::int32_t missing = 0;
  // A missing value adds +0, which leaves the sum as skipping it would (a sum begun at +0
  // is never -0); without a branch, values missing at random cost no mispredictions.
  for (std::int32_t j : list) {
    const float xj = x[at(j)];
    const bool absent = isnan(xj);
    missing += absent ? 1 : 0;
    const double d = static_cast<double>(xj) - s.centre[at(j)];
    float term = 0.0f;
    double wkj = 0.0;  // the weight of the deviation d
    if (s.standard_units[at(j)] != 0) {
      const float zw = s.zweight[ix(k, j, max_comp)];
      const double sd = s.xsd[at(j)];
      term = static_cast<float>(d / sd) * zw;
      wkj = static_cast<double>(zw) / sd;
    } else {
      const float w = s.w[ix(k, j, max_comp)];
      term = static_cast<float>(d) * w;
      wkj = w;
    }
    a += absent ? 0.0f : term;
    b += absent ? 0.0 : term_rounding(wkj, xj, d, alone, s.relative_rounding[at(j)]);
  }
  const std::int32_t ndef = static_cast<std::int32_t>(list.size());
  const std::int32_t present = ndef - missing;
  const float p = static_cast<float>(present);
  if (p > 0.0f && p >= static_cast<float>(ndef) * s.pmin) {
    y = (a / p) * static_cast<float>(missing) + a;
    c = present;
    if (bound != nullptr) *bound = b / present * ndef;
    return true;
  }
  y = 0.0f;
  c = -present;
  return false;
}

void FACS3() {
  facs_state& s = state();
  notice();
  const std::vector<std::vector<std::int32_t>> lists = DEFNDX();
  variable_centres();
  const moments m = ZSCORE(lists);
  pairs p(static_cast<std::size_t>(max_comp) * max_comp);
  RSTND3(m, p);
  rewind_unit(s.mtdst);
  // PSD(k, l): spread of composite k over the subjects that also have composite l.
  std::vector<double> psd(static_cast<std::size_t>(max_comp) * max_comp, 0.0);
  for (std::int32_t l = 1; l <= s.nf; ++l)
    for (std::int32_t k = 1; k <= s.nf; ++k) {
      const double n = p.npair[ix(k, l, max_comp)];
      if (n <= 0.0) continue;
      const double sm = p.psum[ix(k, l, max_comp)];
      psd[ix(k, l, max_comp)] = std::sqrt(std::max(0.0, n * p.pssq[ix(k, l, max_comp)] - sm * sm)) / n;
    }
  std::vector<float> corr(static_cast<std::size_t>(max_comp) * max_comp, 0.0f);
  for (std::int32_t l = 1; l <= s.nf; ++l)
    for (std::int32_t k = 1; k <= l; ++k) {
      const double den = p.npair[ix(k, l, max_comp)] * psd[ix(k, l, max_comp)] * psd[ix(l, k, max_comp)];
      const float r = den > 0.0 ? static_cast<float>(p.cross[ix(k, l, max_comp)] / den) : 0.0f;
      corr[ix(k, l, max_comp)] = r;
      corr[ix(l, k, max_comp)] = r;
    }
  std::string txt(120, ' ');
  std::int32_t ltxt = 0;
  BLDSTR(txt, ltxt, s.it == 1 ? " INTERCORRELATIONS BETWEEN CLUSTER SCORES"
                              : " INTERCORRELATIONS BETWEEN FACTOR SCORES");
  pr_matrix_tri(corr, s.cname, s.nf, max_comp, 1, 3, txt.substr(0, at(ltxt + 1)), s.npage,
                s.nline, s.monout);
  pr_imatrix(p.npair, s.cname, s.cname, s.nf, s.nf, max_comp, "MATCHED N'S FOR INTERCORRELATIONS",
             s.npage, s.nline, s.monout);
}

}  // namespace korvex::facs
