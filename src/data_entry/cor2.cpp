// COR2, the complete-data correlation component run by *COR2 (it reads no cards): checks the
// data storage file against IDFILE and MEANS1, totals the cross products of every subject's
// deviations from the means in double precision with the blocked kernel, and writes STDEV1
// and CORRM1 (single precision) before printing the matrix under the run title.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <string>
#include <vector>

#include "data_entry/active_variables.hpp"
#include "data_entry/cor_internal.hpp"
#include "data_entry/cor_kernel.hpp"
#include "data_entry/correlation.hpp"
#include "executive/component.hpp"
#include "executive/workers.hpp"
#include "executive/errors.hpp"
#include "executive/positioning.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {


// One run of COR2.
struct cor2_run {
  std::int32_t monout = 0;
  std::int32_t mtdst = 0;
  std::int32_t page = 0;
  std::int32_t lines = 0;
  std::vector<std::string> run_title = std::vector<std::string>(cor::title_word_count);
  std::vector<std::string> file_title = std::vector<std::string>(cor::title_word_count);
  std::int32_t nv = 0;    // from MEANS1
  std::int32_t nsub = 0;  // third size word of MEANS1
  std::int32_t nvx = 0;   // from the data storage file
  std::vector<float> means = std::vector<float>(cor::max_variables);
  std::vector<std::string> names;
  std::vector<float> sd;
  std::vector<float> r;  // correlations, leading dimension 999
};

constexpr std::string_view dsf_tag = "Error reading DSF";

// The file against the ISF. A title that differs is a warning; so is the variable
// count in the listing block, but the run then stops, as it cannot pair values with means.
void check_file_against_isf(cor2_run& run) {
  bool same = run.nvx == run.nv;
  for (std::int32_t i = 0; i < cor::title_word_count; ++i) {
    same = same && io::padded_equal(run.file_title[static_cast<std::size_t>(i)],
                                    run.run_title[static_cast<std::size_t>(i)]);
  }
  if (same) return;
  PAGER(6, run.page, run.lines, run.monout);
  write_formatted(run.monout, "(1X)");
  write_formatted(run.monout, "(1X,'DATA STORAGE FILE DOES NOT CHECK AGAINST ISF')");
  std::vector<io::Value> words(run.file_title.begin(), run.file_title.end());
  write_formatted(run.monout, "(1X,12A6)", words);
  words.assign(run.run_title.begin(), run.run_title.end());
  write_formatted(run.monout, "(1X,12A6)", words);
  write_formatted(run.monout, "(1X,\"NVX from DSF:\",I5,\" NV from ISF:\",I5)", {run.nvx, run.nv});
  if (run.nvx != run.nv) {
    cor::message_line("DATA FILE AND ISF DISAGREE AS TO THE NUMBER OF VARIABLES", run.page,
                      run.lines, run.monout);
    QUIT(10002);
  }
}

// The head of the data storage file, its check and the sizes.
void read_head(cor2_run& run) {
  check_io_stat(dsf_tag, cor::read_title_record(run.mtdst, run.file_title));
  // Record 2 goes over record 1: the title compared is the second copy.
  check_io_stat(dsf_tag, cor::read_title_record(run.mtdst, run.file_title));
  std::int32_t missing_flag = 0;
  check_io_stat(dsf_tag, cor::read_counts_record(run.mtdst, run.nvx, missing_flag));
  check_file_against_isf(run);
  if (run.nv < 2 || run.nv > cor::max_variables || run.nsub < 2 || run.nsub > cor::max_subjects) {
    proc_error("INCONSISTENT INPUT FROM ISF");
  }
  run.names.assign(static_cast<std::size_t>(run.nv), std::string(name_length, ' '));
  check_io_stat(dsf_tag, cor::read_names_record(run.mtdst, run.names, run.nv));
  skip_to_zero_record(run.mtdst);
}

[[noreturn]] void refuse_missing_value(std::int32_t subject, std::int32_t variable) {
  proc_error("*COR2 NEEDS COMPLETE DATA (USE *COR3): SUBJECT " + std::to_string(subject) +
             " MISSES VARIABLE " + std::to_string(variable));
}

// One subject's deviations x(k) = v(k) - mean(k) in single precision, widened; a deviation
// beyond the single-precision range (a value near one end of it, the mean towards the other)
// is taken in double precision instead, where it is exact. varies(k) becomes non-zero where
// v(k) differs from the first subject's value. True when a value is missing (a NaN is any
// value unequal to itself). Four variables at a time where the processor has SSE2, since the
// compiler keeps such a loop scalar at its default level; the operations are those of the
// plain loop.
bool deviations(const float* v, const float* mean, const float* first, double* x,
                std::int32_t* varies, std::size_t n) {
  const auto deviation = [](float value, float m) {
    const float d = value - m;
    return std::isinf(d) ? static_cast<double>(value) - static_cast<double>(m)
                         : static_cast<double>(d);
  };
  std::size_t k = 0;
  bool missing = false;
#if defined(__SSE2__)
  __m128 nan = _mm_setzero_ps();
  // The greatest magnitude of a deviation: infinity only where one passed the range.
  __m128 most = _mm_setzero_ps();
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
  for (; k + 4 <= n; k += 4) {
    const __m128 vk = _mm_loadu_ps(v + k);
    nan = _mm_or_ps(nan, _mm_cmpunord_ps(vk, vk));
    auto* var = reinterpret_cast<__m128i*>(varies + k);
    _mm_storeu_si128(var, _mm_or_si128(_mm_loadu_si128(var),
                                       _mm_castps_si128(_mm_cmpneq_ps(vk, _mm_loadu_ps(first + k)))));
    const __m128 d = _mm_sub_ps(vk, _mm_loadu_ps(mean + k));
    most = _mm_max_ps(most, _mm_and_ps(d, magnitude));
    _mm_storeu_pd(x + k, _mm_cvtps_pd(d));
    _mm_storeu_pd(x + k + 2, _mm_cvtps_pd(_mm_movehl_ps(d, d)));
  }
  missing = _mm_movemask_ps(nan) != 0;
  // Deviations beyond the range are rare: the row's vector part is taken again one by one.
  if (_mm_movemask_ps(_mm_cmpeq_ps(most, _mm_set1_ps(std::numeric_limits<float>::infinity()))) != 0) {
    for (std::size_t i = 0; i < k; ++i) x[i] = deviation(v[i], mean[i]);
  }
#endif
  for (; k < n; ++k) {
    missing |= v[k] != v[k];
    varies[k] |= static_cast<std::int32_t>(v[k] != first[k]);
    x[k] = deviation(v[k], mean[k]);
  }
  return missing;
}

// The pass over the subjects, and the standard deviations and correlations from its totals.
// Deviations are taken in single precision from the means of MEANS1; their products are
// exact in double precision and totalled in subject order. The totals are then corrected by
// the data's own mean deviations: a mean rounded to single precision would otherwise enter
// every variance and covariance. Each subject carries a last column of 1 into the products,
// so that its row of the totals is the deviations' sums, formed with the products in the same
// order and at the cost of one more row of the kernel's tiles. A MEANS1 whose means are not
// the data's, or that counts more or fewer subjects than the file holds, stops the run.
void correlate(cor2_run& run) {
  const std::int32_t nv = run.nv;
  const auto unv = static_cast<std::size_t>(nv);
  for (std::int32_t k = 1; k <= nv; ++k) {
    if (std::isnan(run.means[static_cast<std::size_t>(k - 1)])) {
      proc_error("*COR2 NEEDS COMPLETE DATA (USE *COR3): MEANS1 HAS NO MEAN OF VARIABLE " +
                 std::to_string(k));
    }
  }
  // The pairs of variables are shared among the run's threads; every total still runs over
  // the subjects in order, so the results do not depend on the number of threads. When the
  // pass has more than one thread, the next block of subjects is read while the current one
  // is totalled (below that, a block is totalled faster than threads hand it over).
  worker_pool pool(cor::pass_threads(nv, worker_thread_count()));
  const std::int32_t ones = nv + 1;  // the column of 1s
  const auto width = static_cast<std::size_t>(ones);
  cor::cross_products totals(ones, ones, true, cor::kernel_variant::automatic, &pool);
  const std::int32_t capacity = totals.block_capacity();
  struct block {
    std::vector<double> x;  // deviations, subject after subject
    std::int32_t rows = 0;
  };
  block blocks[2];
  for (block& b : blocks) b.x.resize(static_cast<std::size_t>(capacity) * width);
  // The reading side's own state; the totalling side looks at it once the pass is over.
  std::vector<float> values(unv);
  std::vector<float> first(unv);
  std::vector<std::int32_t> varies(unv, 0);  // a variable whose values are all equal has no spread
  std::int32_t next_subject = 1;
  std::int32_t short_at = 0;    // the subject the file ended before
  std::int32_t missing_at = 0;  // the first subject with a missing value
  cor::subject_reader reader(run.mtdst, nv);
  const auto fill = [&](std::int32_t slot) {
    block& b = blocks[slot];
    b.rows = 0;
    while (b.rows < capacity && next_subject <= run.nsub) {
      const std::int32_t s = next_subject;
      if (!reader.next(values)) {
        short_at = s;
        break;
      }
      if (s == 1) first = values;
      double* x = b.x.data() + static_cast<std::size_t>(b.rows) * width;
      x[unv] = 1.0;
      if (deviations(values.data(), run.means.data(), first.data(), x, varies.data(), unv)) {
        missing_at = s;
        break;
      }
      ++next_subject;
      ++b.rows;
    }
    // A fault ends the pass: the run stops once the blocks before it are in.
    return b.rows > 0 && short_at == 0 && missing_at == 0;
  };
  relay_blocks(pool.threads() > 1, fill,
               [&](std::int32_t slot) { totals.add(blocks[slot].x, blocks[slot].rows); });
  if (short_at != 0) cor::refuse_fewer_subjects("COR2", short_at - 1, run.nsub);
  if (missing_at != 0) {
    const auto k =
        std::find_if(values.begin(), values.end(), [](float v) { return std::isnan(v); });
    refuse_missing_value(missing_at, static_cast<std::int32_t>(k - values.begin() + 1));
  }
  if (reader.next(values)) cor::refuse_extra_subjects("COR2", run.nsub);
  rewind_unit(run.mtdst);

  const double n = run.nsub;
  std::vector<double> offset(unv);  // the data's own mean less the mean of MEANS1
  std::vector<double> sd(unv);
  run.sd.assign(unv, 0.0f);
  for (std::int32_t j = 1; j <= nv; ++j) {
    const auto uj = static_cast<std::size_t>(j - 1);
    offset[uj] = totals(ones, j) / n;
    const double own = static_cast<double>(run.means[uj]) + offset[uj];
    if (!cor::mean_is_own(run.means[uj], own, cor::sqrt0(totals(j, j) / n))) {
      cor::refuse_foreign_means("COR2", j, own, run.means[uj]);
    }
    sd[uj] = varies[uj] != 0 ? cor::sqrt0(totals(j, j) / n - offset[uj] * offset[uj]) : 0.0;
    run.sd[uj] = static_cast<float>(sd[uj]);
  }
  run.r.assign(rc(nv, nv) + 1, 0.0f);
  for (std::int32_t j = 1; j <= nv; ++j) {
    for (std::int32_t k = j + 1; k <= nv; ++k) {
      const double cov = totals(k, j) / n - offset[static_cast<std::size_t>(k - 1)] *
                                                offset[static_cast<std::size_t>(j - 1)];
      const double r = cor::div0(cov, sd[static_cast<std::size_t>(j - 1)] *
                                          sd[static_cast<std::size_t>(k - 1)]);
      run.r[rc(k, j)] = cor::clamp_correlation(r);
      run.r[rc(j, k)] = run.r[rc(k, j)];
    }
    run.r[rc(j, j)] = 1.0f;
  }
}

void CR2DRV() {
  module_start();
  cor2_run run;
  run.monout = get_unit("MONOUT");
  run.mtdst = get_unit("MTDST");
  rewind_unit(run.mtdst);

  std::int32_t notfound = 0;
  isf_idfile(0, notfound, run.run_title);
  isf_not_found("IDFILE", notfound);
  Kpar kpar{};
  isf_real_vector("MEANS1", 0, kpar, notfound, run.means);
  isf_not_found("MEANS1", notfound);
  run.nv = kpar[1];
  run.nsub = kpar[0] >= 3 ? kpar[3] : 0;
  cor::refuse_selection_in_force("COR2");

  read_head(run);
  correlate(run);

  const active_variables vars = read_active_variables(0);
  if (vars.names_found) {
    for (std::int32_t k = 0; k < std::min(vars.numvar, run.nv); ++k) {
      run.names[static_cast<std::size_t>(k)] = vars.names[static_cast<std::size_t>(k)];
    }
  }

  Kpar out{};
  make_kpar(out, run.nv, 1, 0);
  isf_real_vector("STDEV1", 1, out, notfound, run.sd);
  make_kpar(out, run.nv, run.nsub, 0);
  isf_real_square("CORRM1", 1, out, notfound, run.r, 2);

  std::string title72(72, ' ');
  words_to_line(run.run_title, title72);
  run.lines = 0;
  pr_matrix_tri(run.r, run.names, run.nv, static_cast<std::int32_t>(cor::ld), 1, 3,
                cor::matrix_title("CORRELATION MATRIX.", title72), run.page, run.lines, run.monout);
  return_to_gep();
}

}  // namespace

void COR2() { CR2DRV(); }

}  // namespace korvex
