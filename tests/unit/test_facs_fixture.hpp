// Shared ground of the scoring tests: a run folder with a fresh ISF, page state, data-entry
// and scoring state; a loader that runs DAP (and COR2) in-process on given data lines; ISF
// writers for the factor inputs; readers of the scoring outputs; and the reference values
// of tests/reference/facs_reference.py.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "data_entry/correlation.hpp"
#include "data_entry/data_entry.hpp"
#include "isf_inputs.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"
#include "scoring/facs.hpp"
#include "scoring/facs_internal.hpp"
#include "storage/storage.hpp"

namespace korvex::testing {

#include "facs_reference_values.inc"

class FacsTest : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
    reset_data_entry();
    reset_facs();
  }
  void TearDown() override {
    reset_facs();
    reset_data_entry();
    RunFolder::TearDown();
  }

  // Runs DAP on the data lines (nv fields of F8.3, then the name) and, when asked, COR2.
  void load_data(const char* const* rows, std::size_t n, int nv, int nomiss, bool cor2 = true) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) text += std::string(rows[i]) + "\n";
    write_file("MTXIN1", text);
    char param[32];
    std::snprintf(param, sizeof param, "%4d%6d%2d   0", nv, 0, nomiss);
    const RunResult dap = run_with_cards(
        &DAP, {"SCORING TEST DATA", param, "(" + std::to_string(nv) + "F8.3,2X,A4)", "DATA"});
    ASSERT_FALSE(dap.stopped) << dap.console;
    if (cor2) {
      const RunResult cor = run_with_cards(&COR2, {});
      ASSERT_FALSE(cor.stopped) << cor.console;
    }
  }
  void load_a() { load_data(kDataA, std::size(kDataA), 6, 1); }

  static void put_matrix(const char* label, const double* v, int rows, int cols) {
    std::vector<float> a(static_cast<std::size_t>(999) * static_cast<std::size_t>(cols), 0.0f);
    for (int j = 0; j < cols; ++j)
      for (int i = 0; i < rows; ++i)
        a[static_cast<std::size_t>(j) * 999 + static_cast<std::size_t>(i)] =
            static_cast<float>(v[j * rows + i]);
    Kpar kpar{2, rows, cols};
    std::int32_t notfound = 0;
    isf_real_matrix(label, 1, kpar, notfound, a);
  }
  static void put_reflx(const std::vector<std::vector<int>>& lists) {
    std::vector<std::int32_t> counts;
    std::vector<std::int32_t> members(99 * lists.size(), 0);
    for (std::size_t k = 0; k < lists.size(); ++k) {
      counts.push_back(static_cast<std::int32_t>(lists[k].size()));
      for (std::size_t i = 0; i < lists[k].size(); ++i) members[99 * k + i] = lists[k][i];
    }
    Kpar kpar{1, static_cast<std::int32_t>(lists.size())};
    std::int32_t notfound = 0;
    isf_int_table("REFLX1", 1, kpar, notfound, counts, members);
  }
  // An entry read back as rows x cols (column by column); empty when absent.
  static std::vector<float> get_matrix(const char* label, int& rows, int& cols) {
    std::vector<float> a(999 * 50, 0.0f);
    Kpar kpar{};
    std::int32_t notfound = 0;
    isf_real_matrix(label, 0, kpar, notfound, a);
    if (notfound != 0) return {};
    rows = kpar[1];
    cols = kpar[0] >= 2 ? kpar[2] : 1;
    std::vector<float> out;
    for (int j = 0; j < cols; ++j)
      for (int i = 0; i < rows; ++i) out.push_back(a[static_cast<std::size_t>(j) * 999 + i]);
    return out;
  }
  // FSCOR1 as nsub rows of nf scores.
  static std::vector<std::vector<float>> get_scores() {
    Kpar kpar{};
    std::int32_t notfound = 0;
    std::vector<float> row(50, 0.0f);
    isf_real_chunks("FSCOR1", 0, kpar, notfound, row, 1);
    std::vector<std::vector<float>> out;
    if (notfound != 0) return out;
    for (int i = 0; i < kpar[2]; ++i) {
      isf_real_chunks("FSCOR1", 0, kpar, notfound, row, 2);
      out.emplace_back(row.begin(), row.begin() + kpar[1]);
    }
    return out;
  }
  bool listing_has(const std::string& text) {
    for (const std::string& l : file_lines("MONOUT"))
      if (l.find(text) != std::string::npos) return true;
    return false;
  }
  // The lines of the listing that follow the first line holding `text`.
  std::vector<std::string> listing_after(const std::string& text, std::size_t count) {
    const std::vector<std::string> lines = file_lines("MONOUT");
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].find(text) != std::string::npos)
        return {lines.begin() + static_cast<long>(i + 1),
                lines.begin() + static_cast<long>(std::min(lines.size(), i + 1 + count))};
    return {};
  }
};

}  // namespace korvex::testing
