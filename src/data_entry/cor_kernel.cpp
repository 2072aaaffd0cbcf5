// The blocked cross-product kernel of the correlation components. Each block of subjects is
// packed into row panels (tile height values per subject) and column panels (tile width
// values per subject); every tile of totals is loaded into registers, receives the block's
// subjects one after another with one multiply and one add each (never fused), and is stored
// back. An element therefore sees exactly the additions of the plain loop, in subject order.
// Matched counts are integers and are taken as population counts of presence bit masks.
#include "data_entry/cor_kernel.hpp"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "executive/workers.hpp"

namespace korvex::cor {

namespace {

// Four doubles, one 256-bit register on the wide variant, two 128-bit ones otherwise.
typedef double vd4 __attribute__((vector_size(32)));

constexpr std::int32_t tile_width = 4;    // columns j of a tile
constexpr std::int32_t tile_vectors = 3;  // vectors of four rows k in a tile column
constexpr std::int32_t tile_height = 4 * tile_vectors;

// Packed panels that fit this many bytes keep the tile loop in the second-level cache.
constexpr std::int64_t panel_budget = 128 * 1024;
constexpr std::int32_t min_block = 32;
constexpr std::int32_t max_block = 512;

std::int32_t round_up(std::int32_t n, std::int32_t m) { return (n + m - 1) / m * m; }

// What one block hands to the tile loop.
struct tile_job {
  const double* apack;
  const double* bpack;  // null for a lower product: its columns come from apack
  double* totals;
  std::size_t ld;         // leading dimension of totals (padded rows)
  std::int32_t n;         // subjects in the block
  std::int32_t capacity;  // subjects a panel has room for
  std::int32_t row_panels;
  std::int32_t col_first;  // the column panels this job runs: col_first .. col_last - 1
  std::int32_t col_last;
};

// One tile: tile_height rows from k0, tile_width columns from j0 (both already in c, ap, bp);
// the column values of one subject lie b_stride apart from the next subject's.
template <std::int32_t b_stride>
[[gnu::always_inline]] inline void run_tile(const double* ap, const double* bp, std::int32_t n,
                                            double* c, std::size_t ld) {
  vd4 acc[tile_width][tile_vectors];
#pragma GCC unroll 16
  for (int cc = 0; cc < tile_width; ++cc) {
#pragma GCC unroll 16
    for (int r = 0; r < tile_vectors; ++r)
      std::memcpy(&acc[cc][r], c + cc * ld + 4 * r, sizeof(vd4));
  }
  for (std::int32_t s = 0; s < n; ++s) {
    vd4 a[tile_vectors];
#pragma GCC unroll 16
    for (int r = 0; r < tile_vectors; ++r) std::memcpy(&a[r], ap + 4 * r, sizeof(vd4));
#pragma GCC unroll 16
    for (int cc = 0; cc < tile_width; ++cc) {
      const double b = bp[cc];
#pragma GCC unroll 16
      for (int r = 0; r < tile_vectors; ++r) {
        const vd4 product = a[r] * b;
        acc[cc][r] = acc[cc][r] + product;
      }
    }
    ap += tile_height;
    bp += b_stride;
  }
#pragma GCC unroll 16
  for (int cc = 0; cc < tile_width; ++cc) {
#pragma GCC unroll 16
    for (int r = 0; r < tile_vectors; ++r)
      std::memcpy(c + cc * ld + 4 * r, &acc[cc][r], sizeof(vd4));
  }
}

[[gnu::always_inline]] inline void run_tiles(const tile_job& job) {
  const std::size_t apanel = static_cast<std::size_t>(job.capacity) * tile_height;
  const std::size_t bpanel = static_cast<std::size_t>(job.capacity) * tile_width;
  for (std::int32_t jb = job.col_first; jb < job.col_last; ++jb) {
    const std::int32_t j0 = jb * tile_width;
    double* column = job.totals + static_cast<std::size_t>(j0) * job.ld;
    if (job.bpack == nullptr) {
      // A lower product: columns j0..j0+3 are rows of the row panel that holds j0, and only
      // the tiles that reach row j0 or below are wanted.
      const std::int32_t kb0 = j0 / tile_height;
      const double* bp = job.apack + static_cast<std::size_t>(kb0) * apanel + j0 % tile_height;
      for (std::int32_t kb = kb0; kb < job.row_panels; ++kb) {
        run_tile<tile_height>(job.apack + static_cast<std::size_t>(kb) * apanel, bp, job.n,
                              column + static_cast<std::size_t>(kb) * tile_height, job.ld);
      }
    } else {
      const double* bp = job.bpack + static_cast<std::size_t>(jb) * bpanel;
      for (std::int32_t kb = 0; kb < job.row_panels; ++kb) {
        run_tile<tile_width>(job.apack + static_cast<std::size_t>(kb) * apanel, bp, job.n,
                             column + static_cast<std::size_t>(kb) * tile_height, job.ld);
      }
    }
  }
}

void run_tiles_portable(const tile_job& job) { run_tiles(job); }

__attribute__((target("avx2"))) void run_tiles_wide(const tile_job& job) { run_tiles(job); }

// Copies n subjects of `width` values each (row after row in src) into panels of `height`
// values per subject; panel p holds variables p*height+1 .. (p+1)*height. Places beyond
// `width` are never written (they stay zero).
template <std::int32_t height>
void pack(const double* src, std::int32_t n, std::int32_t width, std::int32_t capacity,
          double* dst) {
  const std::size_t panel = static_cast<std::size_t>(capacity) * height;
  for (std::int32_t k0 = 0, p = 0; k0 < width; k0 += height, ++p) {
    const std::int32_t h = std::min(height, width - k0);
    double* out = dst + static_cast<std::size_t>(p) * panel;
    const double* in = src + k0;
    for (std::int32_t s = 0; s < n; ++s) {
      for (std::int32_t r = 0; r < h; ++r) out[r] = in[r];
      out += height;
      in += width;
    }
  }
}

}  // namespace

std::int32_t pass_threads(std::int32_t nv, std::int32_t available) {
  return nv >= 200 ? available : 1;
}

bool wide_kernel_available() {
  static const bool wide = __builtin_cpu_supports("avx2");
  return wide;
}

cross_products::cross_products(std::int32_t rows, std::int32_t cols, bool lower,
                               kernel_variant variant, worker_pool* pool)
    : rows_(rows),
      cols_(cols),
      rows_pad_(round_up(rows, tile_height)),
      cols_pad_(round_up(cols, tile_width)),
      lower_(lower),
      variant_(variant),
      pool_(pool != nullptr && pool->threads() > 1 ? pool : nullptr) {
  assert(rows >= 1 && cols >= 1);
  assert(!lower || rows == cols);
  if (variant_ == kernel_variant::automatic) {
    variant_ = wide_kernel_available() ? kernel_variant::wide : kernel_variant::portable;
  }
  capacity_ = block_capacity_for(rows);
  totals_.assign(static_cast<std::size_t>(rows_pad_) * static_cast<std::size_t>(cols_pad_), 0.0);
  // Padding variables stay zero for good: packing writes real variables only.
  apack_.assign(static_cast<std::size_t>(rows_pad_) * static_cast<std::size_t>(capacity_), 0.0);
  if (!lower_)
    bpack_.assign(static_cast<std::size_t>(cols_pad_) * static_cast<std::size_t>(capacity_), 0.0);
}

std::int32_t cross_products::block_capacity_for(std::int32_t rows) {
  const std::int64_t per_subject =
      std::int64_t{round_up(rows, tile_height)} * static_cast<std::int64_t>(sizeof(double));
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(panel_budget / per_subject, min_block, max_block));
}

void cross_products::add(std::span<const double> a, std::int32_t n) {
  if (!lower_) throw std::logic_error("cross_products::add: a full product needs two blocks");
  multiply(a, {}, n);
}

void cross_products::add(std::span<const double> a, std::span<const double> b, std::int32_t n) {
  if (lower_) throw std::logic_error("cross_products::add: a lower product takes one block");
  multiply(a, b, n);
}

void cross_products::multiply(std::span<const double> a, std::span<const double> b,
                              std::int32_t n) {
  if (n < 0 || n > capacity_) throw std::length_error("cross_products::add: block size");
  if (n == 0) return;
  const auto un = static_cast<std::size_t>(n);
  if (a.size() < un * static_cast<std::size_t>(rows_) ||
      (!lower_ && b.size() < un * static_cast<std::size_t>(cols_))) {
    throw std::length_error("cross_products::add: block shorter than its subjects");
  }
  pack<tile_height>(a.data(), n, rows_, capacity_, apack_.data());
  if (!lower_) pack<tile_width>(b.data(), n, cols_, capacity_, bpack_.data());
  const std::int32_t col_panels = cols_pad_ / tile_width;
  const tile_job job{apack_.data(),
                     lower_ ? nullptr : bpack_.data(),
                     totals_.data(),
                     static_cast<std::size_t>(rows_pad_),
                     n,
                     capacity_,
                     rows_pad_ / tile_height,
                     0,
                     col_panels};
  const bool wide = variant_ == kernel_variant::wide;
  if (pool_ == nullptr) {
    if (wide) {
      run_tiles_wide(job);
    } else {
      run_tiles_portable(job);
    }
    return;
  }
  // Each column panel is one part: its totals belong to it alone and it adds the block's
  // subjects in order, so no thread count can change a total.
  pool_->run(col_panels, [&](std::int32_t jb) {
    tile_job part = job;
    part.col_first = jb;
    part.col_last = jb + 1;
    if (wide) {
      run_tiles_wide(part);
    } else {
      run_tiles_portable(part);
    }
  });
}

// ---- matched counts ---------------------------------------------------------------------

namespace {

constexpr std::int32_t mask_words = 8;  // subjects per step: 8 words of 64 flags

// counts(k, j) += popcount(masks of j and k), k >= j, for the columns j0 <= j < j1; words
// masks per variable.
[[gnu::always_inline]] inline void count_pairs(const std::uint64_t* masks, std::int32_t words,
                                               std::int32_t nv, std::int32_t j0, std::int32_t j1,
                                               std::int32_t* counts) {
  for (std::int32_t j = j0; j < j1; ++j) {
    const std::uint64_t* mj = masks + static_cast<std::size_t>(j) * mask_words;
    std::int32_t* column = counts + static_cast<std::size_t>(j) * static_cast<std::size_t>(nv);
    for (std::int32_t k = j; k < nv; ++k) {
      const std::uint64_t* mk = masks + static_cast<std::size_t>(k) * mask_words;
      std::int32_t c = 0;
      for (std::int32_t w = 0; w < words; ++w) c += __builtin_popcountll(mj[w] & mk[w]);
      column[k] += c;
    }
  }
}

void count_pairs_portable(const std::uint64_t* masks, std::int32_t words, std::int32_t nv,
                          std::int32_t j0, std::int32_t j1, std::int32_t* counts) {
  count_pairs(masks, words, nv, j0, j1, counts);
}

__attribute__((target("popcnt"))) void count_pairs_wide(const std::uint64_t* masks,
                                                        std::int32_t words, std::int32_t nv,
                                                        std::int32_t j0, std::int32_t j1,
                                                        std::int32_t* counts) {
  count_pairs(masks, words, nv, j0, j1, counts);
}

// Columns of matched counts per part when a pool shares them out.
constexpr std::int32_t count_columns_per_part = 16;

}  // namespace

pair_counts::pair_counts(std::int32_t nv, worker_pool* pool)
    : nv_(nv),
      pool_(pool != nullptr && pool->threads() > 1 ? pool : nullptr),
      counts_(static_cast<std::size_t>(nv) * static_cast<std::size_t>(nv), 0),
      masks_(static_cast<std::size_t>(nv) * mask_words, 0) {
  assert(nv >= 1);
}

void pair_counts::add(std::span<const std::uint8_t> present, std::int32_t n) {
  const auto unv = static_cast<std::size_t>(nv_);
  if (n < 0 || present.size() < static_cast<std::size_t>(n) * unv) {
    throw std::length_error("pair_counts::add: block shorter than its subjects");
  }
  static const bool popcnt = __builtin_cpu_supports("popcnt");
  for (std::int32_t s0 = 0; s0 < n; s0 += 64 * mask_words) {
    const std::int32_t m = std::min(n - s0, 64 * mask_words);
    const std::int32_t words = (m + 63) / 64;
    for (std::size_t k = 0; k < unv; ++k) {
      std::fill_n(masks_.begin() + static_cast<std::ptrdiff_t>(k * mask_words), words,
                  std::uint64_t{0});
    }
    for (std::int32_t s = 0; s < m; ++s) {
      const std::uint8_t* flags = present.data() + static_cast<std::size_t>(s0 + s) * unv;
      const std::uint64_t bit = std::uint64_t{1} << (s % 64);
      for (std::size_t k = 0; k < unv; ++k) {
        if (flags[k] != 0) masks_[k * mask_words + static_cast<std::size_t>(s / 64)] |= bit;
      }
    }
    const auto columns = [&](std::int32_t j0, std::int32_t j1) {
      if (popcnt) {
        count_pairs_wide(masks_.data(), words, nv_, j0, j1, counts_.data());
      } else {
        count_pairs_portable(masks_.data(), words, nv_, j0, j1, counts_.data());
      }
    };
    if (pool_ == nullptr) {
      columns(0, nv_);
    } else {
      const std::int32_t parts = (nv_ + count_columns_per_part - 1) / count_columns_per_part;
      pool_->run(parts, [&](std::int32_t i) {
        columns(i * count_columns_per_part, std::min(nv_, (i + 1) * count_columns_per_part));
      });
    }
  }
}

}  // namespace korvex::cor
