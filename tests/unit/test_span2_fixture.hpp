// Shared ground of the SPAN2 tests: a run folder with a fresh ISF and page state, writers of
// the entries the component reads (IDFILE, UFACT1 / RFACT1, REFLX1, VNAMS1), a runner that
// puts the parameter and preset-set cards on MONIN, and readers of the listing.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "isf_inputs.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"
#include "storage/storage.hpp"
#include "structure/span2.hpp"
#include "structure/span2_internal.hpp"

namespace korvex::testing {

// Rows of factor coefficients, one vector per variable.
using Rows = std::vector<std::vector<float>>;

class SpanRun : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
    reset_span2();
  }
  void TearDown() override {
    reset_span2();
    RunFolder::TearDown();
  }

  void put_title(const std::string& title = "SPHERICAL TEST RUN") { put_isf_title(title); }

  // A coefficient entry of rows.size() variables by rows[0].size() dimensions.
  void put_coef(const Rows& rows, const std::string& label = "UFACT1") {
    const auto nv = static_cast<std::int32_t>(rows.size());
    const auto nf = static_cast<std::int32_t>(rows.front().size());
    std::vector<float> a(static_cast<std::size_t>(999) * static_cast<std::size_t>(nf), 0.0f);
    for (std::int32_t i = 0; i < nv; ++i) {
      for (std::int32_t j = 0; j < nf; ++j) {
        a[static_cast<std::size_t>(j) * 999 + static_cast<std::size_t>(i)] =
            rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
      }
    }
    Kpar kpar{2, nv, nf};
    std::int32_t notfound = 0;
    isf_real_matrix(label, 1, kpar, notfound, a);
  }

  // REFLX1 from its lists (negative entries for reflected definers).
  void put_reflx(const std::vector<std::vector<std::int32_t>>& lists) {
    std::vector<std::int32_t> counts;
    std::vector<std::int32_t> members(99 * lists.size() + 99, 0);
    for (std::size_t c = 0; c < lists.size(); ++c) {
      counts.push_back(static_cast<std::int32_t>(lists[c].size()));
      for (std::size_t e = 0; e < lists[c].size(); ++e) members[c * 99 + e] = lists[c][e];
    }
    Kpar kpar{1, static_cast<std::int32_t>(lists.size())};
    std::int32_t notfound = 0;
    isf_int_table("REFLX1", 1, kpar, notfound, counts, members);
  }

  RunResult run(const std::vector<std::string>& cards) { return run_with_cards(&SPAN2, cards); }

  std::vector<std::string> listing() { return file_lines("MONOUT"); }

};

// Eight variables on four factors: two on each of factors 1 and 2, two on 3, one mixed and
// one mostly on factor 4.
inline Rows eight_by_four() {
  return {{0.80f, 0.10f, 0.10f, 0.05f}, {0.70f, 0.20f, 0.10f, 0.10f},
          {0.10f, 0.80f, 0.10f, 0.20f}, {0.20f, 0.70f, 0.20f, 0.10f},
          {0.10f, 0.10f, 0.90f, 0.10f}, {0.05f, 0.10f, 0.80f, 0.20f},
          {0.60f, 0.50f, 0.10f, 0.30f}, {0.30f, 0.30f, 0.30f, 0.70f}};
}

}  // namespace korvex::testing
