// Cross-product totals over subjects for the correlation components: C(k, j) is the sum over
// subjects s of a(s, k) * b(s, j), every element totalled in double precision strictly in
// subject order. Subjects arrive in blocks; a block is packed into panels and multiplied in
// register tiles that run across variables, so the totals equal those of the plain loop over
// subjects bit for bit. Memory is O(rows x cols), independent of the number of subjects.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace korvex {
class worker_pool;
}

namespace korvex::cor {

// The machine code that runs the tiles: the same operations in the same order each way, so
// all give identical totals; `automatic` takes the widest one the processor has (wide: AVX2,
// widest: AVX-512).
enum class kernel_variant { automatic, portable, wide, widest };

// A rectangle of a product's register tiles: row panels kb_first..kb_last-1 by column
// panels jb_first..jb_last-1.
struct tile_part {
  std::int32_t kb_first = 0;
  std::int32_t kb_last = 0;
  std::int32_t jb_first = 0;
  std::int32_t jb_last = 0;
};

class cross_products {
 public:
  // Totals for rows x cols variables, all zero. With lower = true the product is symmetric
  // (one block times itself) and only the elements with k >= j are wanted; the others are
  // left unspecified. Requires 1 <= rows, cols, and rows == cols when lower. With a pool of
  // more than one thread, each block's tiles are shared among its threads by column panels;
  // the totals are the same bit for bit. The pool must outlive the object.
  cross_products(std::int32_t rows, std::int32_t cols, bool lower,
                 kernel_variant variant = kernel_variant::automatic,
                 worker_pool* pool = nullptr);

  // The most subjects one call of add takes; blocks are sized so that a packed row panel
  // stays in the processor's second-level cache. The same for every product.
  std::int32_t block_capacity() const { return capacity_; }
  static std::int32_t block_capacity_for(std::int32_t rows);

  // Adds one block of n subjects (0 <= n <= block_capacity()) in subject order: subject s's
  // values are a[s * rows + k - 1], k = 1..rows, and b[s * cols + j - 1], j = 1..cols, for
  // s = 0..n-1. A lower product takes the one block a (its b is a itself); a full product
  // takes both. A block shorter than n subjects throws std::length_error, the wrong form
  // std::logic_error (caller faults).
  void add(std::span<const double> a, std::int32_t n);
  void add(std::span<const double> a, std::span<const double> b, std::int32_t n);

  // Total C(k, j), 1 <= k <= rows, 1 <= j <= cols (k >= j for a lower product).
  double operator()(std::int32_t k, std::int32_t j) const {
    return totals_[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(rows_pad_) +
                   static_cast<std::size_t>(k - 1)];
  }

  std::int32_t rows() const { return rows_; }
  std::int32_t cols() const { return cols_; }
  // The variant actually running (never automatic).
  kernel_variant variant() const { return variant_; }

 private:
  void multiply(std::span<const double> a, std::span<const double> b, std::int32_t n);
  std::int32_t rows_;
  std::int32_t cols_;
  bool lower_;
  kernel_variant variant_;
  worker_pool* pool_;  // null: every tile on the calling thread
  std::int32_t capacity_;
  std::int32_t tile_height_ = 0;  // rows and columns of one register tile of the variant
  std::int32_t tile_width_ = 0;
  std::int32_t rows_pad_ = 0;  // rows rounded up to the tile height
  std::int32_t cols_pad_ = 0;  // cols rounded up to the tile width
  std::vector<tile_part> parts_;  // the parts of one block's tiles, the largest first
  std::vector<double> totals_;    // column by column, leading dimension rows_pad_
  std::vector<double> apack_;   // row panels: [panel][subject][tile height]
  std::vector<double> bpack_;   // column panels of a full product: [panel][subject][tile width]
};

// Matched counts: N(k, j), k >= j, the number of subjects in which both variables are
// present. Integer totals, so the order of the subjects cannot show; each block's presence
// flags become bit masks, and a pair's count is the population count of their conjunction.
class pair_counts {
 public:
  // requires 1 <= nv; a pool of more than one thread shares the columns among its threads.
  explicit pair_counts(std::int32_t nv, worker_pool* pool = nullptr);
  // Adds n subjects (n >= 0): subject s's flags are present[s * nv + k - 1], 0 or 1.
  // A block shorter than n subjects throws std::length_error.
  void add(std::span<const std::uint8_t> present, std::int32_t n);
  // N(k, j) for 1 <= j <= k <= nv.
  std::int32_t operator()(std::int32_t k, std::int32_t j) const {
    return counts_[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(nv_) +
                   static_cast<std::size_t>(k - 1)];
  }

 private:
  std::int32_t nv_;
  worker_pool* pool_;  // null: every column on the calling thread
  std::vector<std::int32_t> counts_;  // column by column, nv rows
  std::vector<std::uint64_t> masks_;  // per variable, the words of one block's flags
};

// The threads a correlation pass over nv variables uses: below 200 variables one block's
// tiles are too little work to share, and the threads would only wait on each other.
std::int32_t pass_threads(std::int32_t nv, std::int32_t available);

// True when this processor runs the wide (AVX2) or the widest (AVX-512) variant.
bool wide_kernel_available();
bool widest_kernel_available();

}  // namespace korvex::cor
