// Shared ground of the DVP tests: a run folder with the ISF and the page state initialised
// and DVP's working state fresh, writers for the ISF entries DVP reads (CORRM1 from its
// lower triangle, VNAMS1, REORD1, IDFILE), a runner that writes the parameter card to
// MONIN, runs the component in-process and catches a stop, and readers for DIAGV1 and
// the listing.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "factoring/dvp_internal.hpp"
#include "factoring/factoring.hpp"
#include "printing/page.hpp"
#include "isf_inputs.hpp"
#include "run_fixture.hpp"
#include "storage/storage.hpp"

namespace korvex::testing {

// A symmetric correlation matrix with unit diagonal, held full (n x n, by columns).
struct Corr {
  std::int32_t n = 0;
  std::vector<float> a;
  float operator()(int i, int j) const { return a[static_cast<std::size_t>((j - 1) * n + (i - 1))]; }
  void set(int i, int j, float v) {
    a[static_cast<std::size_t>((j - 1) * n + (i - 1))] = v;
    a[static_cast<std::size_t>((i - 1) * n + (j - 1))] = v;
  }
  // From the strict lower triangle by columns: r21, r31, ..., rn1, r32, ...
  static Corr from_lower(int n, const std::vector<float>& lower) {
    Corr c{n, std::vector<float>(static_cast<std::size_t>(n * n), 0.0f)};
    std::size_t p = 0;
    for (int j = 1; j <= n; ++j) {
      c.set(j, j, 1.0f);
      for (int i = j + 1; i <= n; ++i) c.set(i, j, lower.at(p++));
    }
    EXPECT_EQ(p, lower.size());
    return c;
  }
  // Highest |r| of each variable, computed here independently.
  std::vector<float> highest() const {
    std::vector<float> h(static_cast<std::size_t>(n), 0.0f);
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) {
        if (i != j) h[static_cast<std::size_t>(i - 1)] = std::max(h[static_cast<std::size_t>(i - 1)], std::fabs((*this)(i, j)));
      }
    }
    return h;
  }
};

using DvpStop = RunResult;

class DvpRun : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
    reset_dvp();
  }
  void TearDown() override {
    reset_dvp();
    RunFolder::TearDown();
  }

  void put_corr(const Corr& c) {
    std::vector<float> full(static_cast<std::size_t>(isf_matrix_ld) * static_cast<std::size_t>(c.n), 0.0f);
    for (int j = 1; j <= c.n; ++j) {
      for (int i = 1; i <= c.n; ++i) full[static_cast<std::size_t>((j - 1) * isf_matrix_ld + (i - 1))] = c(i, j);
    }
    Kpar kpar{2, c.n, 100};
    std::int32_t notfound = 0;
    isf_real_square("CORRM1", 1, kpar, notfound, full, 2);
  }
  void put_title(const std::string& title = "DVP TEST RUN") { testing::put_isf_title(title); }
  void put_names(std::vector<std::string> names, std::int32_t numdel = -1) {
    testing::put_isf_names(std::move(names), numdel);
  }
  void put_reord(std::vector<std::int32_t> order, std::int32_t numdel) {
    testing::put_isf_reord(std::move(order), numdel);
  }
  // The usual inputs: the title and the matrix (no names: DVP generates them).
  void put_inputs(const Corr& c) {
    put_title();
    put_corr(c);
  }

  // Runs DVP once with the given cards on MONIN (the first is its parameter card). A later
  // run in the same test appends its cards: MONIN is read on from where it stopped.
  DvpStop run(const std::vector<std::string>& cards) {
    return run_with_cards(&DVP, cards);
  }


  // A parameter card from its fields (each right-justified in 4 columns; "" is blank).
  static std::string card(const std::vector<std::string>& fields) {
    std::string c;
    for (const std::string& f : fields) c += std::string(4 - std::min<std::size_t>(4, f.size()), ' ') + f.substr(0, 4);
    return c;
  }

  std::vector<float> diagv1() {
    Kpar kpar{};
    std::int32_t notfound = 0;
    std::vector<float> d(999, -99.0f);
    isf_real_matrix("DIAGV1", 0, kpar, notfound, d);
    if (notfound != 0) return {};
    EXPECT_EQ(kpar[0], 2);
    EXPECT_EQ(kpar[2], 1);
    d.resize(static_cast<std::size_t>(kpar[1]));
    return d;
  }

  std::vector<std::string> listing() { return file_lines("MONOUT"); }

  static void expect_near(const std::vector<float>& got, const std::vector<float>& want, float tol) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], tol) << "variable " << i + 1;
  }

  // Starts over in a new folder, as a new process would (tables of whole runs).
  void fresh_process() {
    TearDown();
    SetUp();
  }

};

}  // namespace korvex::testing
