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
#include <utility>

#include "executive/workers.hpp"

namespace korvex::cor {

namespace {

// The two tile shapes. Four doubles make one 256-bit register on the wide variant and two
// 128-bit ones on the portable one: 12 rows by 4 columns fill AVX2's sixteen registers. The
// widest variant holds eight doubles per 512-bit register and has thirty-two of them: 24 rows
// by 8 columns. The shape decides only how the work is cut, never what an element adds.
template <int Lanes, int Vectors, int Width>
struct tile_shape {
  static constexpr std::int32_t lanes = Lanes;
  static constexpr std::int32_t vectors = Vectors;  // vectors of rows in a tile column
  static constexpr std::int32_t height = Lanes * Vectors;
  static constexpr std::int32_t width = Width;  // columns j of a tile
  typedef double vec __attribute__((vector_size(8 * Lanes)));
};
using shape4 = tile_shape<4, 3, 4>;
using shape8 = tile_shape<8, 3, 8>;

// Subjects per block: the totals are loaded and stored once per block.
constexpr std::int32_t block_subjects = 256;
// One part of a block's tiles, run by one thread: up to part_rows rows by part_columns
// columns of totals. Its row panels and column panels (about 640 KB for a full block) stay in
// the second-level cache while its tiles run. Multiples of every tile height and width.
constexpr std::int32_t part_rows = 192;
constexpr std::int32_t part_columns = 128;

std::int32_t round_up(std::int32_t n, std::int32_t m) { return (n + m - 1) / m * m; }

// What one block hands to the tile loop.
struct tile_job {
  const double* apack;
  const double* bpack;  // null for a lower product: its columns come from apack
  double* totals;
  std::size_t ld;         // leading dimension of totals (padded rows)
  std::int32_t n;         // subjects in the block
  std::int32_t capacity;  // subjects a panel has room for
  tile_part part;  // the tiles this job runs
};

// One tile: S::height rows from k0, S::width columns from j0 (both already in c, ap, bp);
// the column values of one subject lie b_stride apart from the next subject's.
template <class S, std::int32_t b_stride>
[[gnu::always_inline]] inline void run_tile(const double* ap, const double* bp, std::int32_t n,
                                            double* c, std::size_t ld) {
  using vec = typename S::vec;
  vec acc[S::width][S::vectors];
#pragma GCC unroll 16
  for (int cc = 0; cc < S::width; ++cc) {
#pragma GCC unroll 16
    for (int r = 0; r < S::vectors; ++r)
      std::memcpy(&acc[cc][r], c + cc * ld + S::lanes * r, sizeof(vec));
  }
  for (std::int32_t s = 0; s < n; ++s) {
    vec a[S::vectors];
#pragma GCC unroll 16
    for (int r = 0; r < S::vectors; ++r) std::memcpy(&a[r], ap + S::lanes * r, sizeof(vec));
#pragma GCC unroll 16
    for (int cc = 0; cc < S::width; ++cc) {
      const double b = bp[cc];
#pragma GCC unroll 16
      for (int r = 0; r < S::vectors; ++r) {
        const vec product = a[r] * b;
        acc[cc][r] = acc[cc][r] + product;
      }
    }
    ap += S::height;
    bp += b_stride;
  }
#pragma GCC unroll 16
  for (int cc = 0; cc < S::width; ++cc) {
#pragma GCC unroll 16
    for (int r = 0; r < S::vectors; ++r)
      std::memcpy(c + cc * ld + S::lanes * r, &acc[cc][r], sizeof(vec));
  }
}

// The tiles of the job's part, row panel by row panel, so that a row panel serves every
// column of the part while it is in cache.
template <class S>
[[gnu::always_inline]] inline void run_tiles(const tile_job& job) {
  const std::size_t apanel = static_cast<std::size_t>(job.capacity) * S::height;
  const std::size_t bpanel = static_cast<std::size_t>(job.capacity) * S::width;
  const tile_part& part = job.part;
  for (std::int32_t kb = part.kb_first; kb < part.kb_last; ++kb) {
    const double* ap = job.apack + static_cast<std::size_t>(kb) * apanel;
    for (std::int32_t jb = part.jb_first; jb < part.jb_last; ++jb) {
      const std::int32_t j0 = jb * S::width;
      double* c = job.totals + static_cast<std::size_t>(j0) * job.ld +
                  static_cast<std::size_t>(kb) * S::height;
      if (job.bpack == nullptr) {
        // A lower product wants only the tiles that reach row j0 or below; its columns
        // j0..j0+w-1 are rows of the row panel that holds j0.
        const std::int32_t kb0 = j0 / S::height;
        if (kb < kb0) continue;
        const double* bp = job.apack + static_cast<std::size_t>(kb0) * apanel + j0 % S::height;
        run_tile<S, S::height>(ap, bp, job.n, c, job.ld);
      } else {
        run_tile<S, S::width>(ap, job.bpack + static_cast<std::size_t>(jb) * bpanel, job.n, c,
                              job.ld);
      }
    }
  }
}

void run_tiles_portable(const tile_job& job) { run_tiles<shape4>(job); }

__attribute__((target("avx2"))) void run_tiles_wide(const tile_job& job) {
  run_tiles<shape4>(job);
}

__attribute__((target("avx512f"))) void run_tiles_widest(const tile_job& job) {
  run_tiles<shape8>(job);
}

// Copies n subjects of `width` values each (row after row in src) into panels of `height`
// values per subject; panel p holds variables p*height+1 .. (p+1)*height. Only the panels
// p_first .. p_last-1 are written, and places beyond `width` never (they stay zero).
void pack(const double* src, std::int32_t n, std::int32_t width, std::int32_t height,
          std::int32_t capacity, double* dst, std::int32_t p_first, std::int32_t p_last) {
  const std::size_t panel = static_cast<std::size_t>(capacity) * static_cast<std::size_t>(height);
  for (std::int32_t p = p_first; p < p_last; ++p) {
    const std::int32_t k0 = p * height;
    if (k0 >= width) break;
    const std::int32_t h = std::min(height, width - k0);
    double* out = dst + static_cast<std::size_t>(p) * panel;
    const double* in = src + k0;
    for (std::int32_t s = 0; s < n; ++s) {
      std::memcpy(out, in, static_cast<std::size_t>(h) * sizeof(double));
      out += height;
      in += width;
    }
  }
}

// Row panels packed by one part when a pool shares the packing out.
constexpr std::int32_t pack_panels_per_part = 4;

}  // namespace

std::int32_t pass_threads(std::int32_t nv, std::int32_t available) {
  return nv >= 200 ? available : 1;
}

bool wide_kernel_available() {
  static const bool wide = __builtin_cpu_supports("avx2");
  return wide;
}

bool widest_kernel_available() {
  static const bool widest = __builtin_cpu_supports("avx512f");
  return widest;
}

cross_products::cross_products(std::int32_t rows, std::int32_t cols, bool lower,
                               kernel_variant variant, worker_pool* pool)
    : rows_(rows),
      cols_(cols),
      lower_(lower),
      variant_(variant),
      pool_(pool != nullptr && pool->threads() > 1 ? pool : nullptr),
      capacity_(block_subjects) {
  assert(rows >= 1 && cols >= 1);
  assert(!lower || rows == cols);
  if (variant_ == kernel_variant::automatic) {
    variant_ = widest_kernel_available() ? kernel_variant::widest
               : wide_kernel_available() ? kernel_variant::wide
                                         : kernel_variant::portable;
  }
  const bool eight = variant_ == kernel_variant::widest;
  tile_height_ = eight ? shape8::height : shape4::height;
  tile_width_ = eight ? shape8::width : shape4::width;
  rows_pad_ = round_up(rows, tile_height_);
  cols_pad_ = round_up(cols, tile_width_);
  totals_.assign(static_cast<std::size_t>(rows_pad_) * static_cast<std::size_t>(cols_pad_), 0.0);
  // The parts of a block's tiles, the largest first so that the threads finish together. A
  // lower product has no tiles wholly above the diagonal.
  const std::int32_t row_panels = rows_pad_ / tile_height_;
  const std::int32_t col_panels = cols_pad_ / tile_width_;
  const std::int32_t rows_step = part_rows / tile_height_;
  const std::int32_t cols_step = part_columns / tile_width_;
  std::vector<std::pair<std::int64_t, tile_part>> sized;
  for (std::int32_t jb = 0; jb < col_panels; jb += cols_step) {
    for (std::int32_t kb = 0; kb < row_panels; kb += rows_step) {
      const tile_part part{kb, std::min(row_panels, kb + rows_step), jb,
                           std::min(col_panels, jb + cols_step)};
      std::int64_t tiles = 0;
      for (std::int32_t j = part.jb_first; j < part.jb_last; ++j) {
        const std::int32_t first = lower_ ? std::max(part.kb_first, j * tile_width_ / tile_height_)
                                          : part.kb_first;
        tiles += std::max(0, part.kb_last - first);
      }
      if (tiles > 0) sized.emplace_back(tiles, part);
    }
  }
  std::stable_sort(sized.begin(), sized.end(),
                   [](const auto& x, const auto& y) { return x.first > y.first; });
  for (const auto& [tiles, part] : sized) parts_.push_back(part);
  // Padding variables stay zero for good: packing writes real variables only.
  apack_.assign(static_cast<std::size_t>(rows_pad_) * static_cast<std::size_t>(capacity_), 0.0);
  if (!lower_)
    bpack_.assign(static_cast<std::size_t>(cols_pad_) * static_cast<std::size_t>(capacity_), 0.0);
}

std::int32_t cross_products::block_capacity_for(std::int32_t /*rows*/) { return block_subjects; }

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
  const std::int32_t row_panels = rows_pad_ / tile_height_;
  const std::int32_t col_panels = cols_pad_ / tile_width_;
  const tile_job job{apack_.data(), lower_ ? nullptr : bpack_.data(), totals_.data(),
                     static_cast<std::size_t>(rows_pad_), n, capacity_, tile_part{}};
  // Each part's totals belong to it alone and it adds the block's subjects in order, so
  // neither the parts nor the threads can change a total.
  const auto run_part = [&](std::int32_t i) {
    tile_job part = job;
    part.part = parts_[static_cast<std::size_t>(i)];
    switch (variant_) {
      case kernel_variant::widest: run_tiles_widest(part); break;
      case kernel_variant::wide: run_tiles_wide(part); break;
      default: run_tiles_portable(part); break;
    }
  };
  const auto parts = static_cast<std::int32_t>(parts_.size());
  if (pool_ == nullptr) {
    pack(a.data(), n, rows_, tile_height_, capacity_, apack_.data(), 0, row_panels);
    if (!lower_) pack(b.data(), n, cols_, tile_width_, capacity_, bpack_.data(), 0, col_panels);
    for (std::int32_t i = 0; i < parts; ++i) run_part(i);
    return;
  }
  // The panels serve several parts, so they are packed, shared out, before any tile runs.
  const std::int32_t a_parts = (row_panels + pack_panels_per_part - 1) / pack_panels_per_part;
  const std::int32_t b_parts =
      lower_ ? 0 : (col_panels + pack_panels_per_part - 1) / pack_panels_per_part;
  pool_->run(a_parts + b_parts, [&](std::int32_t i) {
    if (i < a_parts) {
      pack(a.data(), n, rows_, tile_height_, capacity_, apack_.data(), i * pack_panels_per_part,
           std::min(row_panels, (i + 1) * pack_panels_per_part));
    } else {
      const std::int32_t k = i - a_parts;
      pack(b.data(), n, cols_, tile_width_, capacity_, bpack_.data(), k * pack_panels_per_part,
           std::min(col_panels, (k + 1) * pack_panels_per_part));
    }
  });
  pool_->run(parts, run_part);
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
    // The masks of variables k0 <= k < k1.
    const auto build = [&](std::size_t k0, std::size_t k1) {
      for (std::size_t k = k0; k < k1; ++k) {
        std::fill_n(masks_.begin() + static_cast<std::ptrdiff_t>(k * mask_words), words,
                    std::uint64_t{0});
      }
      for (std::int32_t s = 0; s < m; ++s) {
        const std::uint8_t* flags = present.data() + static_cast<std::size_t>(s0 + s) * unv;
        const std::uint64_t bit = std::uint64_t{1} << (s % 64);
        for (std::size_t k = k0; k < k1; ++k) {
          if (flags[k] != 0) masks_[k * mask_words + static_cast<std::size_t>(s / 64)] |= bit;
        }
      }
    };
    if (pool_ == nullptr) {
      build(0, unv);
    } else {
      constexpr std::size_t variables_per_part = 128;
      const auto parts = static_cast<std::int32_t>((unv + variables_per_part - 1) / variables_per_part);
      pool_->run(parts, [&](std::int32_t i) {
        const std::size_t k0 = static_cast<std::size_t>(i) * variables_per_part;
        build(k0, std::min(unv, k0 + variables_per_part));
      });
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
