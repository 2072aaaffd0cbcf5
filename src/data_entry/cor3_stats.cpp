// COR3's statistics: one pass over the data storage file that totals, in double precision and
// subject order, the masked cross products (sums and sums of squares of each variable over
// the subjects that have its partner, and cross products) and counts the matched N; then
// the matched means, standard deviations, covariances and correlations, the ISF entries the
// option card asks for (single precision) and their listings.
#include <algorithm>
#include <functional>
#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "data_entry/cor_internal.hpp"
#include "data_entry/cor_kernel.hpp"
#include "data_entry/cor_pairwise.hpp"
#include "executive/errors.hpp"
#include "executive/workers.hpp"
#include "executive/positioning.hpp"
#include "executive/utilities.hpp"
#include "io/layout.hpp"
#include "io/record_file.hpp"
#include "printing/matrix_printers.hpp"
#include "storage/storage.hpp"

namespace korvex::cor {

namespace {

// Totals of the pass. Row k of sums and squares names the partner whose presence selects
// the subjects, column j the variable summed.
struct pass_totals {
  explicit pass_totals(std::int32_t nv) : pool(pass_threads(nv, worker_thread_count())) {}
  worker_pool pool;  // declared first: the products below use it
  std::unique_ptr<pair_counts> count;       // P'P, lower: matched N
  // P'[X X^2]: column j sums x(j) over the subjects where k is present, column nv + j (when
  // the moments are wanted) sums x(j)^2 over them; one product, so P is packed once.
  std::unique_ptr<cross_products> sums;
  std::unique_ptr<cross_products> cross;    // X'X, lower: sum of x(j) x(k)
  std::vector<char> varies;                 // a variable with some spread in its x values
  std::vector<std::int32_t> absent;         // complete-data path: the missing values met

  // Complete-data path: the total of variable k's x over all subjects (a missing value
  // counting as the x it was given), the last row of the cross products.
  double sum(std::int32_t k) const { return (*cross)(cross->rows(), k); }
};

// The statistics in double precision, n x n column by column (element (i, j) at
// (j-1) * n + i-1) unless packed.
struct pair_stats {
  std::int32_t n = 0;
  std::vector<std::int32_t> count;  // packed: matched N
  std::vector<double> mean;         // (k, j): mean of x(j) given k
  std::vector<double> sd;           // (k, j): standard deviation of j given k
  std::vector<double> cov;          // packed
  std::vector<double> cor;          // packed
  double& m(std::int32_t i, std::int32_t j) { return mean[idx(i, j)]; }
  double& s(std::int32_t i, std::int32_t j) { return sd[idx(i, j)]; }
  std::size_t idx(std::int32_t i, std::int32_t j) const {
    return static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n) +
           static_cast<std::size_t>(i - 1);
  }
};

// What turns one subject's values into the columns of the pass.
struct conversion {
  const double* centre;    // c(k)
  const double* stand_in;  // the x a missing value takes (0 on the matched path)
  bool matched;            // the matched path: presence columns and flags
  bool moments;            // the squares beside the values
  std::size_t nv;
};

// One subject's values v(1..nv): x(k) = v(k) - c(k) in double precision, exact for any value
// the data storage file can hold, or the stand-in of a missing value; on the matched path p(k)
// (1 present, 0 absent), flags(k) and xs(k) = x(k), and with the moments xs(nv + k) = x(k)^2;
// on the complete-data path each missing value counts in absent(k); lo/hi follow the least
// and greatest present value. Four variables at a time where the processor has SSE2 (the
// compiler keeps the loop scalar at its default level), with the operations of the plain loop
// that finishes the row.
void convert_subject(const conversion& c, const float* v, double* x, double* p,
                     std::uint8_t* flags, double* xs, std::int32_t* absent, float* lo,
                     float* hi) {
  std::size_t k = 0;
#if defined(__SSE2__)
  const __m128d one = _mm_set1_pd(1.0);
  for (; k + 4 <= c.nv; k += 4) {
    const __m128 vk = _mm_loadu_ps(v + k);
    const __m128 missing = _mm_cmpunord_ps(vk, vk);
    const int gaps = _mm_movemask_ps(missing);
    const __m128d m01 = _mm_castps_pd(_mm_unpacklo_ps(missing, missing));
    const __m128d m23 = _mm_castps_pd(_mm_unpackhi_ps(missing, missing));
    const __m128d d01 = _mm_sub_pd(_mm_cvtps_pd(vk), _mm_loadu_pd(c.centre + k));
    const __m128d d23 =
        _mm_sub_pd(_mm_cvtps_pd(_mm_movehl_ps(vk, vk)), _mm_loadu_pd(c.centre + k + 2));
    const __m128d x01 =
        _mm_or_pd(_mm_and_pd(m01, _mm_loadu_pd(c.stand_in + k)), _mm_andnot_pd(m01, d01));
    const __m128d x23 =
        _mm_or_pd(_mm_and_pd(m23, _mm_loadu_pd(c.stand_in + k + 2)), _mm_andnot_pd(m23, d23));
    _mm_storeu_pd(x + k, x01);
    _mm_storeu_pd(x + k + 2, x23);
    // A missing value (a NaN as the first operand) leaves the bound as it was.
    _mm_storeu_ps(lo + k, _mm_min_ps(vk, _mm_loadu_ps(lo + k)));
    _mm_storeu_ps(hi + k, _mm_max_ps(vk, _mm_loadu_ps(hi + k)));
    if (c.matched) {
      _mm_storeu_pd(p + k, _mm_andnot_pd(m01, one));
      _mm_storeu_pd(p + k + 2, _mm_andnot_pd(m23, one));
      for (int i = 0; i < 4; ++i) {
        flags[k + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(((gaps >> i) & 1) ^ 1);
      }
      _mm_storeu_pd(xs + k, x01);
      _mm_storeu_pd(xs + k + 2, x23);
      if (c.moments) {
        _mm_storeu_pd(xs + c.nv + k, _mm_mul_pd(x01, x01));
        _mm_storeu_pd(xs + c.nv + k + 2, _mm_mul_pd(x23, x23));
      }
    } else {
      // Missing values are rare: they are counted one by one.
      if (gaps != 0) {
        for (int i = 0; i < 4; ++i) absent[k + static_cast<std::size_t>(i)] += (gaps >> i) & 1;
      }
    }
  }
#endif
  for (; k < c.nv; ++k) {
    const float vk = v[k];
    const bool missing = vk != vk;
    const double xd = missing ? c.stand_in[k] : static_cast<double>(vk) - c.centre[k];
    lo[k] = missing ? lo[k] : std::min(vk, lo[k]);
    hi[k] = missing ? hi[k] : std::max(vk, hi[k]);
    x[k] = xd;
    if (!c.matched) absent[k] += missing ? 1 : 0;
    if (c.matched) {
      p[k] = missing ? 0.0 : 1.0;
      flags[k] = missing ? 0 : 1;
      xs[k] = xd;
      if (c.moments) xs[c.nv + k] = xd * xd;
    }
  }
}

// CR3ACC: one pass over the NSUB subject records about the centres of st.shift; stand_in (x
// units) is the value a missing one takes on the complete-data path. A file whose subject
// records end before the NSUB-th, or go on beyond it, stops the run: MEANS1, which counts the
// subjects, is then not the data's.
void accumulate(cor3_state& st, pass_totals& t, const std::vector<double>& stand_in) {
  const cor3_options& o = st.options;
  const std::int32_t nv = st.nv;
  const auto unv = static_cast<std::size_t>(nv);
  const bool matched = o.complete == 0;
  const bool moments = matched && o.need_moments == 1;
  // The pairs of variables are shared among the run's threads; every total still runs over
  // the subjects in order, so the results do not depend on the number of threads.
  worker_pool* pool = &t.pool;
  const auto automatic = kernel_variant::automatic;
  if (matched) {
    t.count = std::make_unique<pair_counts>(nv, pool);
    t.sums = std::make_unique<cross_products>(nv, moments ? 2 * nv : nv, false, automatic, pool);
  }
  // On the complete-data path each subject carries a last column of 1 into the cross
  // products, whose row of the totals is then the sums of x, totalled with the products in the
  // same order (the path always forms the covariances).
  const std::int32_t width = matched ? nv : nv + 1;
  const auto uwidth = static_cast<std::size_t>(width);
  if (o.need_cov == 1 || !matched) {
    t.cross = std::make_unique<cross_products>(width, width, true, automatic, pool);
  }
  // Every product has the same rows, so one block size serves them all.
  const std::int32_t capacity = cross_products::block_capacity_for(width);
  // The columns of the sums product, subject by subject: x, then x^2 when the moments are
  // wanted. Two of each buffer: when the pass has more than one thread, the next block of
  // subjects is read while the current one is totalled.
  const std::size_t wide = moments ? 2 * unv : unv;
  struct block {
    std::vector<double> x;
    std::vector<double> p;
    std::vector<std::uint8_t> flags;
    std::vector<double> xs;
    std::int32_t rows = 0;
  };
  block blocks[2];
  for (block& b : blocks) {
    b.x.resize(static_cast<std::size_t>(capacity) * uwidth);
    b.p.resize(matched ? b.x.size() : 0);
    b.flags.resize(matched ? b.x.size() : 0);
    b.xs.resize(matched ? static_cast<std::size_t>(capacity) * wide : 0);
  }
  std::vector<float> values(unv);
  t.absent.assign(matched ? 0 : unv, 0);
  const std::vector<double> centre(st.shift.begin(), st.shift.end());
  const conversion conv{centre.data(), stand_in.data(), matched, moments, unv};
  // The least and greatest present value of each variable.
  std::vector<float> lo(unv, std::numeric_limits<float>::infinity());
  std::vector<float> hi(unv, -std::numeric_limits<float>::infinity());

  subject_reader reader(st.mtdst, nv);
  std::int32_t next_subject = 1;
  std::int32_t short_at = 0;  // the subject the file's records ended before
  const auto read_block = [&](std::int32_t slot) {
    block& b = blocks[slot];
    for (b.rows = 0; b.rows < capacity && next_subject <= st.nsub; ++b.rows, ++next_subject) {
      if (!reader.next(values)) {
        short_at = next_subject;
        break;
      }
      const std::size_t base = static_cast<std::size_t>(b.rows) * uwidth;
      const std::size_t wbase = static_cast<std::size_t>(b.rows) * wide;
      if (!matched) b.x[base + unv] = 1.0;
      convert_subject(conv, values.data(), b.x.data() + base,
                      matched ? b.p.data() + base : nullptr,
                      matched ? b.flags.data() + base : nullptr,
                      matched ? b.xs.data() + wbase : nullptr,
                      matched ? nullptr : t.absent.data(), lo.data(), hi.data());
    }
    // The end of the records ends the pass: the run stops once the blocks before it are in.
    return b.rows > 0 && short_at == 0;
  };
  const auto total_block = [&](std::int32_t slot) {
    const block& b = blocks[slot];
    if (t.count) t.count->add(b.flags, b.rows);
    if (t.sums) t.sums->add(b.p, b.xs, b.rows);
    if (t.cross) t.cross->add(b.x, b.rows);
  };
  relay_blocks(t.pool.threads() > 1, read_block, total_block);
  if (short_at != 0) refuse_fewer_subjects("COR3", short_at - 1, st.nsub);
  if (reader.next(values)) refuse_extra_subjects("COR3", st.nsub);
  rewind_unit(st.mtdst);
  // A variable whose x values are all equal has no spread. On the complete-data path a
  // missing value counts as its stand-in, which differs from the present values or not.
  t.varies.resize(unv);
  for (std::size_t k = 0; k < unv; ++k) {
    bool spread = hi[k] > lo[k];
    if (!matched && !spread && t.absent[k] > 0 && t.absent[k] < st.nsub) {
      spread = static_cast<double>(lo[k]) - centre[k] != stand_in[k];
    }
    t.varies[k] = static_cast<char>(spread);
  }
}

// Mean substitution: a first pass totals each variable's present values (less its centre, in
// double precision and subject order); their mean must be the mean of MEANS1, which stops the
// run otherwise, and a missing value is then given this mean rather than its single-precision
// rounding. Returns the inserted values in x units; leaves MTDST after its head.
std::vector<double> inserted_means(cor3_state& st) {
  const auto unv = static_cast<std::size_t>(st.nv);
  std::vector<double> sum(unv, 0.0);
  std::vector<double> squares(unv, 0.0);
  std::vector<std::int32_t> present(unv, 0);
  std::vector<float> values(unv);
  subject_reader reader(st.mtdst, st.nv);
  for (std::int32_t s = 1; s <= st.nsub; ++s) {
    if (!reader.next(values)) refuse_fewer_subjects("COR3", s - 1, st.nsub);
    for (std::size_t k = 0; k < unv; ++k) {
      if (std::isnan(values[k])) continue;
      const double d = static_cast<double>(values[k]) - st.shift[k];
      sum[k] += d;
      squares[k] += d * d;
      ++present[k];
    }
  }
  rewind_unit(st.mtdst);
  skip_to_zero_record(st.mtdst);
  std::vector<double> inserted(unv, 0.0);
  for (std::size_t k = 0; k < unv; ++k) {
    const double offset = div0(sum[k], present[k]);
    const double own = st.shift[k] + offset;
    if (!mean_is_own(st.means[k], own, sqrt0(div0(squares[k], present[k])))) {
      refuse_foreign_means("COR3", static_cast<std::int32_t>(k + 1), own, st.means[k]);
    }
    inserted[k] = offset;
  }
  return inserted;
}

// Complete-data path without inserted means: a missing value counts as its variable's mean of
// MEANS1 truncated to a whole number; stand_in holds that value less the centre.
std::vector<double> truncated_stand_ins(const cor3_state& st) {
  std::vector<double> stand_in(st.shift.size());
  for (std::size_t k = 0; k < stand_in.size(); ++k) {
    stand_in[k] = static_cast<double>(truncated_mean(st.means[k])) - st.shift[k];
  }
  return stand_in;
}

// Complete-data path without inserted means: the mean of each variable's present values must
// be that of MEANS1. The totals of the pass hold the missing values at their stand-ins, which
// come off again; the allowance is measured over the present values alone.
void check_complete_means(const cor3_state& st, const pass_totals& t,
                          const std::vector<double>& stand_in) {
  for (std::int32_t k = 1; k <= st.nv; ++k) {
    const auto uk = static_cast<std::size_t>(k - 1);
    const double gaps = t.absent[uk];
    const std::int32_t present = st.nsub - t.absent[uk];
    const double own = st.shift[uk] + div0(t.sum(k) - gaps * stand_in[uk], present);
    const double squares = (*t.cross)(k, k) - gaps * stand_in[uk] * stand_in[uk];
    const double rms = sqrt0(div0(squares, present));
    if (!mean_is_own(st.means[uk], own, rms)) refuse_foreign_means("COR3", k, own, st.means[uk]);
  }
}

// Missing-data path: true when every centre came from the variable's own mean; otherwise the
// centres are taken anew from the means of the present values (the diagonal of the pass).
bool matched_shift_fits(cor3_state& st, const pass_totals& t) {
  const std::int32_t nv = st.nv;
  std::vector<float> own_shift(static_cast<std::size_t>(nv));
  bool fits = true;
  for (std::int32_t k = 1; k <= nv; ++k) {
    const auto uk = static_cast<std::size_t>(k - 1);
    const std::int32_t n = (*t.count)(k, k);
    const double own = st.shift[uk] + div0((*t.sums)(k, k), n);
    const double rms = t.sums->cols() > nv ? sqrt0(div0((*t.sums)(k, nv + k), n)) : 0.0;
    fits = fits && mean_is_own(st.means[uk], own, rms);
    own_shift[uk] = static_cast<float>(own);
  }
  if (!fits) st.shift = own_shift;
  return fits;
}

// Runs column(j) for j = 1..nv, the columns shared among the pool's threads. A column's
// work touches only the pairs (j, k) with k >= j, so no two columns meet.
void for_each_column(worker_pool& pool, std::int32_t nv,
                     const std::function<void(std::int32_t)>& column) {
  constexpr std::int32_t columns_per_part = 8;
  pool.run((nv + columns_per_part - 1) / columns_per_part, [&](std::int32_t part) {
    const std::int32_t last = std::min(nv, (part + 1) * columns_per_part);
    for (std::int32_t j = part * columns_per_part + 1; j <= last; ++j) column(j);
  });
}

// CR3MNS, CR3AVG, CR3SDV, CR3COV and CR3COR on the totals. Each diagonal element is divided
// and rooted once. A variable without spread gets standard deviations, covariances and
// correlations of exactly 0, which rounding in the totals would otherwise blur.
pair_stats compute(cor3_state& st, pass_totals& t) {
  const cor3_options& o = st.options;
  const std::int32_t nv = st.nv;
  const bool matched = o.complete == 0;
  const auto np = static_cast<std::size_t>(nv) * static_cast<std::size_t>(nv + 1) / 2;
  pair_stats ps;
  ps.n = nv;
  ps.count.assign(np, st.nsub);
  ps.mean.assign(static_cast<std::size_t>(nv) * static_cast<std::size_t>(nv), 0.0);
  ps.sd.assign(ps.mean.size(), 0.0);
  const auto varies = [&](std::int32_t j) {
    return t.varies[static_cast<std::size_t>(j - 1)] != 0;
  };

  // Matched N and means (x units).
  for_each_column(t.pool, nv, [&](std::int32_t j) {
    for (std::int32_t k = j; k <= nv; ++k) {
      if (matched) {
        const std::int32_t n = (*t.count)(k, j);
        ps.count[packed(j, k, nv)] = n;
        ps.m(k, j) = div0((*t.sums)(k, j), n);
        ps.m(j, k) = div0((*t.sums)(j, k), n);
      } else {
        // The data's own means, from the totals of the pass: a mean of MEANS1, rounded to
        // single precision, would enter every covariance with the whole of its error.
        ps.m(k, j) = t.sum(j) / st.nsub;
        ps.m(j, k) = t.sum(k) / st.nsub;
      }
    }
  });
  for (std::int32_t k = 1; k <= nv; ++k)
    st.counts[static_cast<std::size_t>(k - 1)] = ps.count[packed(k, k, nv)];

  // Matched standard deviations: of j over the subjects shared with k.
  const auto unbias = [&](std::int32_t n) { return sqrt0(div0(n, std::max(n - 1, 0))); };
  if (matched && o.need_moments == 1) {
    for_each_column(t.pool, nv, [&](std::int32_t j) {
      for (std::int32_t k = j; k <= nv; ++k) {
        const std::int32_t n = ps.count[packed(j, k, nv)];
        const auto one = [&](std::int32_t row, std::int32_t col) {
          if (!varies(col)) return 0.0;
          const double mean_square = div0((*t.sums)(row, nv + col), n);
          const double mean = ps.m(row, col);
          double sd = sqrt0(mean_square - mean * mean);
          if (o.unbiased == 1) sd *= unbias(n);
          return sd;
        };
        ps.s(k, j) = one(k, j);
        if (k != j) ps.s(j, k) = one(j, k);
      }
    });
  }

  if (o.need_cov == 1) {
    ps.cov.assign(np, 0.0);
    for_each_column(t.pool, nv, [&](std::int32_t j) {
      for (std::int32_t k = j; k <= nv; ++k) {
        const std::int32_t n = ps.count[packed(j, k, nv)];
        double c = 0.0;
        if (n != 0 && varies(j) && varies(k)) {
          c = div0((*t.cross)(k, j), n) - ps.m(j, k) * ps.m(k, j);
        }
        if (o.unbiased == 1) c = div0(n * c, std::max(n - 1, 0));
        ps.cov[packed(j, k, nv)] = c;
      }
    });
  }

  if (o.compute_cor == 1 && o.need_cov == 1) {
    if (!matched) {
      for_each_column(t.pool, nv, [&](std::int32_t j) {
        const double sd = sqrt0(ps.cov[packed(j, j, nv)]);
        for (std::int32_t k = 1; k <= nv; ++k) ps.s(k, j) = sd;
      });
    }
    ps.cor.assign(np, 0.0);
    for_each_column(t.pool, nv, [&](std::int32_t j) {
      for (std::int32_t k = j; k <= nv; ++k) {
        ps.cor[packed(j, k, nv)] = div0(ps.cov[packed(j, k, nv)], ps.s(j, k) * ps.s(k, j));
      }
    });
  }
  return ps;
}

// A packed triangle as a full symmetric single-precision matrix with 999 rows.
template <class T, class U>
void unpack(const std::vector<U>& tri, std::int32_t nv, std::vector<T>& full) {
  full.assign(rc(nv, nv) + 1, T{});
  for (std::int32_t j = 1; j <= nv; ++j) {
    for (std::int32_t k = j; k <= nv; ++k) {
      const T v = static_cast<T>(tri[packed(j, k, nv)]);
      full[rc(k, j)] = v;
      full[rc(j, k)] = v;
    }
  }
}

// True when x is not 0 but its rounding to single precision is 0 or a subnormal number, which
// keeps fewer than the 24 bits of a normal one.
bool below_single(double x) {
  return x != 0.0 && std::fabs(static_cast<float>(x)) < std::numeric_limits<float>::min();
}

// The most that rounding in the double totals of n subjects can leave of a statistic whose
// true value is 0, for totals of the size `scale` (a sum of n terms errs by at most n - 1
// units in the last place of the sum of their magnitudes; the mean's product and the division
// add a few). A value within it is noise in the totals, not a small statistic.
double rounding_floor(std::int32_t n, double scale) {
  return 4.0 * (static_cast<double>(n) + 1.0) * std::numeric_limits<double>::epsilon() * scale;
}

// Stops the run on a statistic outside single precision: the matched SD of variable j given
// variable k (sd true) or the covariance of j and k, beyond the range or below it; columns
// are those of the card that ask for the statistic.
[[noreturn]] void refuse_statistic(bool sd, std::int32_t j, std::int32_t k, double value,
                                   bool beyond, std::string_view columns) {
  const char* layout = sd ? "('SD OF VARIABLE ',I0,' GIVEN VARIABLE ',I0,',',1PE13.6,',',A)"
                          : "('COVARIANCE OF VARIABLES ',I0,' AND ',I0,',',1PE13.6,',',A)";
  proc_error(io::format_line(layout, {j, k, value,
                                      beyond ? " EXCEEDS SINGLE PRECISION"
                                             : " FALLS BELOW SINGLE PRECISION"}),
             "RESCALE THE DATA BEFORE *DAP, OR LEAVE COLUMNS " + std::string(columns) +
                 " OF *COR3 BLANK");
}

// A statistic that is to be printed or saved must keep its digits in single precision. A
// covariance of values near the ends of its range may lie beyond it; one of values near its
// least normal magnitude, or a weak one of values a little above that, may lie below it, where
// it would be stored as 0 or as a subnormal number that has lost leading digits. The run stops
// naming the first such statistic, before anything is stored; the correlations always fit. A
// statistic that is exactly 0 in the totals, or within their rounding of 0, is a true 0 and
// does not stop the run.
// The matched standard deviations need both checks. Beyond: with unbiased estimates the SD of
// values at the ends of the range passes them. Below: an SD under the least normal float is a
// spread of the values under it, which data near that magnitude have (1.5E-38, 2.5E-38 and
// 3.5E-38 have the SD 8.2E-39): stored, it would lose its digits as a covariance does, and
// the correlation it divides would no longer be that of the stored statistics.
void refuse_outside_single(const cor3_state& st, const pass_totals& t, const pair_stats& ps) {
  const cor3_options& o = st.options;
  const std::int32_t nv = st.nv;
  // The unbiased factor scales a statistic and its rounding alike.
  const auto divisor = [&](std::int32_t n) {
    return static_cast<double>(o.unbiased == 1 ? std::max(n - 1, 1) : std::max(n, 1));
  };
  if (o.complete == 0 && o.need_moments == 1 && (o.save_sd == 1 || o.print_sd == 1)) {
    const std::string_view columns = "5-8 AND 53-56";
    for (std::int32_t j = 1; j <= nv; ++j) {
      for (std::int32_t k = 1; k <= nv; ++k) {
        const double sd = ps.sd[ps.idx(k, j)];
        if (!fits_single(sd)) refuse_statistic(true, j, k, sd, true, columns);
        if (!below_single(sd)) continue;
        // The variance's rounding is that of the mean square of the deviations.
        const std::int32_t n = ps.count[packed(std::min(j, k), std::max(j, k), nv)];
        const double squares = (*t.sums)(k, nv + j);
        if (sd * sd > rounding_floor(n, squares / divisor(n))) {
          refuse_statistic(true, j, k, sd, false, columns);
        }
      }
    }
  }
  if (o.need_cov == 1 && (o.save_cov == 1 || o.print_cov == 1)) {
    const std::string_view columns = "9-12 AND 57-60";
    for (std::int32_t j = 1; j <= nv; ++j) {
      for (std::int32_t k = j; k <= nv; ++k) {
        const double c = ps.cov[packed(j, k, nv)];
        if (!fits_single(c)) refuse_statistic(false, j, k, c, true, columns);
        if (!below_single(c)) continue;
        // The cross products of the pair are bounded by the root of the two sums of squares.
        const std::int32_t n = ps.count[packed(j, k, nv)];
        const double squares = std::sqrt((*t.cross)(j, j)) * std::sqrt((*t.cross)(k, k));
        if (std::fabs(c) > rounding_floor(n, squares / divisor(n))) {
          refuse_statistic(false, j, k, c, false, columns);
        }
      }
    }
  }
}

// CR3OUT and the outputs of CR3COR, in the order the listing shows them.
void write_and_print(cor3_state& st, const pair_stats& ps) {
  const cor3_options& o = st.options;
  const std::int32_t nv = st.nv;
  const auto ld999 = static_cast<std::int32_t>(ld);
  const auto np = static_cast<std::size_t>(nv) * static_cast<std::size_t>(nv + 1) / 2;
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<float> scratch;

  if (o.complete == 0) {
    std::vector<float> means(rc(nv, nv) + 1, 0.0f);
    for (std::int32_t j = 1; j <= nv; ++j) {
      for (std::int32_t k = 1; k <= nv; ++k) {
        means[rc(k, j)] =
            static_cast<float>(ps.mean[ps.idx(k, j)] + st.shift[static_cast<std::size_t>(j - 1)]);
      }
    }
    make_kpar(kpar, nv, 1, 0);
    isf_int_vector("VAREN1", 1, kpar, notfound, st.counts);
    if (o.save_n == 1) {
      std::vector<std::int32_t> n(ps.count);
      make_kpar(kpar, nv, 0, 0);
      isf_int_square("2SENS1", 1, kpar, notfound, n, 1);
    }
    if (o.save_means == 1) {
      make_kpar(kpar, nv, nv, 0);
      isf_real_matrix("2MEAN1", 1, kpar, notfound, means);
    }
    if (o.print_means == 1) {
      pr_matrix(means, st.names, st.names, nv, nv, ld999, 1, 3,
                "MEANS BY MATCHED PAIRS (A COLUMN CONTAINS THE VARIOUS MEANS FOR ONE VARIABLE, "
                "BASED ON MATCHING SAMPLE SUBSETS)",
                st.page, st.lines, st.monout);
    }
    if (o.print_n == 1) {
      std::vector<std::int32_t> full;
      unpack(ps.count, nv, full);
      pr_imatrix_tri(full, st.names, nv, ld999, "MATCHED N", st.page, st.lines, st.monout);
    }
    if (o.need_moments == 1) {
      std::vector<float> sd(rc(nv, nv) + 1, 0.0f);
      for (std::int32_t j = 1; j <= nv; ++j) {
        for (std::int32_t k = 1; k <= nv; ++k)
          sd[rc(k, j)] = static_cast<float>(ps.sd[ps.idx(k, j)]);
      }
      if (o.save_sd == 1) {
        make_kpar(kpar, nv, nv, 0);
        isf_real_matrix("2STDV1", 1, kpar, notfound, sd);
      }
      if (o.print_sd == 1) {
        pr_matrix(sd, st.names, st.names, nv, nv, ld999, 1, 3,
                  "STANDARD DEVIATIONS BY MATCHED PAIRS (A COLUMN CONTAINS THE VARIOUS STANDARD "
                  "DEVIATIONS FOR ONE VARIABLE)",
                  st.page, st.lines, st.monout);
      }
    }
  }

  if (o.need_cov == 1) {
    if (o.save_cov == 1) {
      std::vector<float> cov(np);
      for (std::size_t i = 0; i < np; ++i) cov[i] = static_cast<float>(ps.cov[i]);
      make_kpar(kpar, nv, 0, 0);
      isf_real_square("COVAR1", 1, kpar, notfound, cov, 1);
    }
    if (o.print_cov == 1) {
      unpack(ps.cov, nv, scratch);
      pr_matrix_tri(scratch, st.names, nv, ld999, 1, 3, "COVARIANCE MATRIX", st.page, st.lines,
                    st.monout, o.first_page);
    }
  }

  if (!ps.cor.empty()) {
    std::vector<float> cor(np);
    for (std::size_t i = 0; i < np; ++i) cor[i] = clamp_correlation(ps.cor[i]);
    if (o.save_cor == 1) {
      make_kpar(kpar, nv, st.nsub, 0);
      isf_real_square("CORRM1", 1, kpar, notfound, cor, 1);
    }
    if (o.print_cor == 1) {
      unpack(cor, nv, scratch);
      pr_matrix_tri(scratch, st.names, nv, ld999, 1, 3, "CORRELATION MATRIX", st.page, st.lines,
                    st.monout, o.first_page);
    }
  }
}

}  // namespace

void cor3_statistics(cor3_state& st) {
  const cor3_options& o = st.options;
  // The x a missing value takes: the inserted mean, the truncated mean of the complete-data
  // path, or 0 (absent) on the matched path.
  std::vector<double> stand_in(static_cast<std::size_t>(st.nv), 0.0);
  if (o.insert_means == 1) {
    stand_in = inserted_means(st);
  } else if (o.complete == 1) {
    stand_in = truncated_stand_ins(st);
  }
  auto totals = std::make_unique<pass_totals>(st.nv);
  accumulate(st, *totals, stand_in);
  if (o.complete == 1) {
    if (o.insert_means == 0) check_complete_means(st, *totals, stand_in);
  } else if (!matched_shift_fits(st, *totals)) {
    // The matched statistics do not depend on MEANS1, but a centre far from the data costs
    // their totals precision: the pass is made again about the data's own means.
    skip_to_zero_record(st.mtdst);
    totals = std::make_unique<pass_totals>(st.nv);
    accumulate(st, *totals, stand_in);
  }
  const pair_stats ps = compute(st, *totals);
  refuse_outside_single(st, *totals, ps);
  write_and_print(st, ps);
}

}  // namespace korvex::cor
