// Proportionality of correlation columns (PSQ, the squared cosine of two columns) for DVP's
// reference-variable methods, and approximation B (methods 40 and 41), which estimates each
// communality from the three variables of highest PSQ. TPSQ keeps the cross products on the
// scratch unit MTSC1, one record per variable, so no n x n table stays in memory.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "factoring/dvp_internal.hpp"
#include "io/record_file.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"

namespace korvex::dvp {

namespace {

// Columns of C formed together: each column's sums keep their own order, the block only
// shares the pass over R.
constexpr std::int32_t column_block = 8;

// Writes records first..last of the cross-product table: record j holds, for every i, the
// sum over l = 1..n (ascending) of r_lj r_li with R's diagonal 0 (so the pair's own rows add
// nothing), and 0 at i = j. The sums run across i at once; R is symmetric, so r_li is read
// down column l.
void write_cross_products(const dvp_state_record& s, io::SequentialFile& file, std::int32_t first,
                          std::int32_t last, std::vector<float>& acc) {
  const std::int32_t n = s.numvar;
  const auto side = static_cast<std::size_t>(n);
  const std::int32_t width = last - first + 1;
  std::fill(acc.begin(), acc.begin() + static_cast<std::ptrdiff_t>(side * static_cast<std::size_t>(width)), 0.0f);
  for (std::int32_t l = 1; l <= n; ++l) {
    const float* column = &s.R[rc(1, l)];
    for (std::int32_t b = 0; b < width; ++b) {
      const float r_lj = s.r(l, first + b);
      float* sum = &acc[static_cast<std::size_t>(b) * side];
      for (std::size_t i = 0; i < side; ++i) sum[i] += r_lj * column[i];
    }
  }
  for (std::int32_t b = 0; b < width; ++b) {
    float* sum = &acc[static_cast<std::size_t>(b) * side];
    sum[at(first + b)] = 0.0f;
    io::RecordWriter record;
    record.f32s(std::span<const float>(sum, side));
    file.write(record);
  }
}

}  // namespace

void TPSQ(std::int32_t j, std::int32_t unit, std::int32_t kd, std::int32_t kmode) {
  dvp_state_record& s = dvp_state();
  const std::int32_t n = s.numvar;
  io::SequentialFile& file = sequential_file(unit);
  if (kmode == 1) {
    file.rewind();
    std::vector<float> kept(static_cast<std::size_t>(n));
    for (std::int32_t k = 1; k <= n; ++k) {
      kept[at(k)] = s.r(k, k);
      s.r(k, k) = 0.0f;
    }
    std::vector<float> acc = guarded_alloc("dvp: TPSQ: sums", [&] {
      return std::vector<float>(static_cast<std::size_t>(n) * column_block);
    });
    for (std::int32_t first = 1; first <= n; first += column_block) {
      write_cross_products(s, file, first, std::min(first + column_block - 1, n), acc);
    }
    file.end_file();
    file.rewind();
    for (std::int32_t k = 1; k <= n; ++k) {
      float ss = 0.0f;
      for (std::int32_t t = 1; t <= n; ++t) ss += s.r(t, k) * s.r(t, k);
      s.colss[at(k)] = ss;
      s.r(k, k) = kept[at(k)];
    }
    return;
  }

  assert(kmode == 2 && j >= 1 && j <= n);
  std::vector<std::byte> bytes;
  if (file.read(bytes) != 0) proc_error("UNEXPECTED END OF FILE FOUND ON TEMPORARY FILE.");
  if (bytes.size() != static_cast<std::size_t>(n) * sizeof(float)) {
    proc_error("UNEXPECTED RECORD LENGTH ON TEMPORARY FILE.");
  }
  io::RecordReader record(std::move(bytes));
  record.f32s(std::span<float>(s.psq.data(), static_cast<std::size_t>(n)));
  const float colss_j = s.colss[at(j)];
  if (kd == 0) {
    for (std::int32_t i = 1; i <= n; ++i) {
      const float r_ij = s.r(i, j);
      const float c = s.psq[at(i)];
      s.psq[at(i)] = safe_div(c * c, (s.colss[at(i)] - r_ij * r_ij) * (colss_j - r_ij * r_ij));
    }
  } else {
    const float r_jj = s.r(j, j);
    const float cj = r_jj * r_jj + colss_j;
    for (std::int32_t i = 1; i <= n; ++i) {
      const float r_ii = s.r(i, i);
      const float r_ij = s.r(i, j);
      const float c = (r_jj * s.r(j, i) + s.psq[at(i)]) + r_ii * r_ij;
      s.psq[at(i)] = safe_div(c * c, (r_ii * r_ii + s.colss[at(i)]) * cj);
    }
  }
  s.psq[at(j)] = 1.0f;
}

void B(listing& out, std::int32_t scratch) {
  dvp_state_record& s = dvp_state();
  const std::int32_t n = s.numvar;
  const std::int32_t method = s.method;
  if (n < 4) {
    fallback_notice(" APPROXIMATION B REQUIRES AT LEAST 4 VARIABLES", out);
    s.method = 50;
    HAT();
    s.method = method;
    return;
  }

  const auto side = static_cast<std::size_t>(n);
  std::vector<float> shown;
  if (s.kpsq == 1) {
    try {
      shown.assign(side * side, 0.0f);
    } catch (const std::bad_alloc&) {
      proc_error("dvp: B: PSQ - bad alloc_stat = " + int_to_text(1, 3));
    }
  }

  TPSQ(1, scratch, 0, 1);
  std::span<std::int32_t> top(s.perm.data(), 3);
  for (std::int32_t j = 1; j <= n; ++j) {
    TPSQ(j, scratch, 0, 2);
    if (s.kpsq == 1) std::copy_n(s.psq.begin(), side, shown.begin() + static_cast<std::ptrdiff_t>(at(j) * side));
    top_k_indices(s.psq, n, top, 3, j);
    const std::int32_t h = top[0];
    const std::int32_t m = top[1];
    const std::int32_t l = top[2];
    const float jh = std::fabs(s.r(j, h));
    const float jm = std::fabs(s.r(j, m));
    const float jl = std::fabs(s.r(j, l));
    const float num = (jh * jl + jh * jm) + jl * jm;
    const float den = (std::fabs(s.r(h, m)) + std::fabs(s.r(h, l))) + std::fabs(s.r(m, l));
    s.diag[at(j)] = safe_div(num, den);
  }

  if (s.kpsq == 1) {
    pr_matrix_tri2(shown, s.varnum, s.names, n, n, 1, 3, "Matrix of PSQ values", out.page, out.lines, out.unit);
  }

  if (method == 41) {
    std::copy_n(s.diag.begin(), side, s.psq.begin());
    s.method = 50;
    HAT();
    s.method = 41;
    for (std::int32_t j = 1; j <= n; ++j) s.diag[at(j)] = (s.diag[at(j)] + s.psq[at(j)]) * 0.5f;
  }
}

}  // namespace korvex::dvp
