// The blocked cross-product kernel against the plain loop over subjects: for shapes that end
// inside a tile and inside a block, in every machine variant, on one thread and shared among
// several, every total must be the same double bit for bit, which holds only when each
// element is summed in subject order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include "data_entry/cor_kernel.hpp"
#include "executive/workers.hpp"

namespace korvex::cor {
namespace {

// Values of very different magnitudes, so that a sum taken in another order differs.
std::vector<double> data(std::int32_t nsub, std::int32_t width, unsigned seed, bool zero_one) {
  std::mt19937 g(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::uniform_int_distribution<int> e(-12, 12);
  std::vector<double> x(static_cast<std::size_t>(nsub) * static_cast<std::size_t>(width));
  for (double& v : x) {
    v = zero_one ? (u(g) > -0.6f ? 1.0 : 0.0) : static_cast<double>(std::ldexp(u(g), e(g)));
  }
  return x;
}

// The definition: for each subject in turn, every element gets its product added.
std::vector<double> plain_loop(const std::vector<double>& a, const std::vector<double>& b,
                               std::int32_t nsub, std::int32_t rows, std::int32_t cols) {
  std::vector<double> c(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), 0.0);
  for (std::int32_t s = 0; s < nsub; ++s) {
    for (std::int32_t j = 0; j < cols; ++j) {
      for (std::int32_t k = 0; k < rows; ++k) {
        c[static_cast<std::size_t>(j * rows + k)] +=
            a[static_cast<std::size_t>(s * rows + k)] * b[static_cast<std::size_t>(s * cols + j)];
      }
    }
  }
  return c;
}

// Feeds the subjects in blocks of at most `block` (and never more than the capacity).
void feed(cross_products& cp, const std::vector<double>& a, const std::vector<double>& b,
          std::int32_t nsub, std::int32_t block, bool lower) {
  const std::int32_t step = std::min(block, cp.block_capacity());
  for (std::int32_t s = 0; s < nsub; s += step) {
    const std::int32_t n = std::min(step, nsub - s);
    const auto as =
        std::span(a).subspan(static_cast<std::size_t>(s) * static_cast<std::size_t>(cp.rows()));
    if (lower) {
      cp.add(as, n);
    } else {
      cp.add(
          as,
          std::span(b).subspan(static_cast<std::size_t>(s) * static_cast<std::size_t>(cp.cols())),
          n);
    }
  }
}

struct shape {
  std::int32_t rows;
  std::int32_t cols;
  std::int32_t nsub;
  bool lower;
  std::int32_t block;  // subjects per add call
  bool zero_one;       // presence flags rather than deviations
};

TEST(CorKernel, BlockedTotalsEqualThePlainLoopBitForBit) {
  const shape shapes[] = {
      {1, 1, 7, true, 1000, false},       // one variable
      {5, 5, 50, true, 1000, false},      // within one tile and one block
      {13, 13, 301, true, 1000, false},   // ends inside a tile; several blocks, last one short
      {37, 37, 1000, true, 17, false},    // small blocks of the caller's choosing
      {37, 11, 400, false, 1000, false},  // a full rectangle, rows and columns unequal
      {29, 29, 250, false, 64, false},    // a full square (sums over partner subsets)
      {23, 23, 260, true, 1000, true},    // counts of present pairs
      {101, 101, 700, true, 1000, false}, // many column panels for the threads to share
      {61, 45, 300, false, 40, false},    // a full rectangle shared among threads
      {150, 150, 600, true, 1000, false}, // several column groups and row panels per group
      {75, 140, 270, false, 1000, false}, // a full rectangle wider than it is high
      {250, 250, 300, true, 1000, false}, // parts in both directions, some on the diagonal
      {230, 140, 280, false, 100, false}, // a full rectangle of parts in both directions
  };
  worker_pool four(4);
  worker_pool three(3);
  const std::vector<worker_pool*> pools = {nullptr, &three, &four};
  std::vector<kernel_variant> variants = {kernel_variant::portable};
  if (wide_kernel_available()) variants.push_back(kernel_variant::wide);
  if (widest_kernel_available()) variants.push_back(kernel_variant::widest);
  unsigned seed = 1;
  for (const shape& sh : shapes) {
    const std::vector<double> a = data(sh.nsub, sh.rows, seed++, sh.zero_one);
    const std::vector<double> b = sh.lower ? a : data(sh.nsub, sh.cols, seed++, false);
    const std::vector<double> want = plain_loop(a, b, sh.nsub, sh.rows, sh.cols);
    for (kernel_variant v : variants) {
      for (worker_pool* pool : pools) {
        cross_products cp(sh.rows, sh.cols, sh.lower, v, pool);
        feed(cp, a, b, sh.nsub, sh.block, sh.lower);
        std::int32_t differ = 0;
        for (std::int32_t j = 1; j <= sh.cols; ++j) {
          for (std::int32_t k = sh.lower ? j : 1; k <= sh.rows; ++k) {
            const double w = want[static_cast<std::size_t>((j - 1) * sh.rows + (k - 1))];
            if (cp(k, j) != w) ++differ;
          }
        }
        EXPECT_EQ(differ, 0) << sh.rows << "x" << sh.cols << " over " << sh.nsub
                             << " subjects, variant " << static_cast<int>(v) << ", "
                             << (pool == nullptr ? 1 : pool->threads()) << " threads";
      }
    }
  }
}

TEST(CorKernel, MatchedCountsEqualTheCountOfPresentPairs) {
  // Blocks longer than one step of bit masks (512 subjects) and ending inside a word; on one
  // thread and with the columns shared among four.
  worker_pool four(4);
  for (const std::int32_t nsub : {1, 63, 130, 5000}) {
   for (worker_pool* pool : {static_cast<worker_pool*>(nullptr), &four}) {
    const std::int32_t nv = 37;
    std::mt19937 g(static_cast<unsigned>(nsub));
    std::bernoulli_distribution present(0.85);
    std::vector<std::uint8_t> p(static_cast<std::size_t>(nsub) * nv);
    for (std::uint8_t& f : p) f = present(g) ? 1 : 0;
    pair_counts counts(nv, pool);
    counts.add(std::span(p).first(static_cast<std::size_t>(nsub / 2) * nv), nsub / 2);
    counts.add(std::span(p).subspan(static_cast<std::size_t>(nsub / 2) * nv), nsub - nsub / 2);
    std::int32_t differ = 0;
    for (std::int32_t j = 0; j < nv; ++j) {
      for (std::int32_t k = j; k < nv; ++k) {
        std::int32_t want = 0;
        for (std::int32_t s = 0; s < nsub; ++s) {
          want += p[static_cast<std::size_t>(s * nv + j)] * p[static_cast<std::size_t>(s * nv + k)];
        }
        if (counts(k + 1, j + 1) != want) ++differ;
      }
    }
    EXPECT_EQ(differ, 0) << nsub << " subjects";
   }
  }
  pair_counts counts(3);
  EXPECT_THROW(counts.add(std::vector<std::uint8_t>(5, 1), 2), std::length_error);
}

TEST(CorKernel, TheOrderOfSubjectsShowsInTheTotals) {
  // The check above can see a reordering: these three products total differently in
  // another order, and the kernel keeps the subjects' order.
  const std::vector<double> a = {1.0e16, 1.0, -1.0e16};
  const std::vector<double> ones = {1.0, 1.0, 1.0};
  cross_products cp(1, 1, false, kernel_variant::portable);
  cp.add(a, ones, 3);
  EXPECT_EQ(cp(1, 1), 0.0);  // (1e16 + 1) - 1e16 in double
  cross_products reordered(1, 1, false, kernel_variant::portable);
  reordered.add(std::vector<double>{1.0e16, -1.0e16, 1.0}, ones, 3);
  EXPECT_EQ(reordered(1, 1), 1.0);
}

TEST(CorKernel, BlocksBeyondTheCapacityShortSpansOrTheWrongFormAreRefused) {
  cross_products cp(4, 4, true);
  EXPECT_GE(cp.block_capacity(), 32);
  const std::vector<double> x(static_cast<std::size_t>(cp.block_capacity() + 1) * 4, 1.0);
  EXPECT_THROW(cp.add(x, cp.block_capacity() + 1), std::length_error);
  EXPECT_THROW(cp.add(std::span(x).first(7), 2), std::length_error);
  EXPECT_THROW(cp.add(x, x, 2), std::logic_error);
  cross_products full(4, 3, false);
  EXPECT_THROW(full.add(x, 2), std::logic_error);
  EXPECT_THROW(full.add(x, std::span(x).first(5), 2), std::length_error);
  cp.add(x, 0);
  EXPECT_EQ(cp(2, 1), 0.0);
}

}  // namespace
}  // namespace korvex::cor
