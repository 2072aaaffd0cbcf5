// Handing blocks from a reading thread to the totalling one: every block is used once, in
// the order it was filled, from the slot it was filled into, with or without the second
// thread; a failure while filling reaches the caller after the blocks before it, and one
// while using stops the reading side.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "executive/workers.hpp"

namespace korvex {
namespace {

struct relay_result {
  std::vector<std::int32_t> used;  // block numbers in the order used
  bool slots_matched = true;       // every block was used from the slot it was filled into
};

// Fills `blocks` blocks numbered 1, 2, ... (throwing at block `fail_fill`, 0: never) and uses
// them (throwing at block `fail_use`).
relay_result relay(bool overlap, std::int32_t blocks, std::int32_t fail_fill,
                   std::int32_t fail_use) {
  relay_result r;
  std::int32_t slot_block[2] = {0, 0};
  std::int32_t filled = 0;
  relay_blocks(
      overlap,
      [&](std::int32_t slot) {
        if (filled == blocks) return false;
        ++filled;
        if (filled == fail_fill) throw std::runtime_error("fill");
        slot_block[slot] = filled;
        return true;
      },
      [&](std::int32_t slot) {
        const std::int32_t b = slot_block[slot];
        if (!r.used.empty() && b != r.used.back() + 1) r.slots_matched = false;
        if (b == fail_use) throw std::logic_error("use");
        r.used.push_back(b);
      });
  return r;
}

TEST(RelayBlocks, EveryBlockIsUsedOnceInOrder) {
  for (const bool overlap : {false, true}) {
    for (const std::int32_t blocks : {0, 1, 2, 3, 200}) {
      const relay_result r = relay(overlap, blocks, 0, 0);
      ASSERT_EQ(static_cast<std::int32_t>(r.used.size()), blocks) << overlap;
      for (std::int32_t i = 0; i < blocks; ++i) EXPECT_EQ(r.used[static_cast<std::size_t>(i)], i + 1);
      EXPECT_TRUE(r.slots_matched);
    }
  }
}

TEST(RelayBlocks, FailuresReachTheCallerAfterTheBlocksBeforeThem) {
  for (const bool overlap : {false, true}) {
    std::vector<std::int32_t> used;
    std::int32_t filled = 0;
    EXPECT_THROW(relay_blocks(
                     overlap,
                     [&](std::int32_t) {
                       if (++filled == 5) throw std::runtime_error("fill");
                       return true;
                     },
                     [&](std::int32_t) { used.push_back(static_cast<std::int32_t>(used.size())); }),
                 std::runtime_error);
    EXPECT_EQ(used.size(), 4u) << overlap;  // blocks 1-4 were used before the failure showed
    EXPECT_THROW(relay(overlap, 50, 0, 7), std::logic_error);
    EXPECT_THROW(relay(overlap, 50, 0, 1), std::logic_error);
  }
}

}  // namespace
}  // namespace korvex
