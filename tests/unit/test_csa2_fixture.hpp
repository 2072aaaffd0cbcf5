// Fixture of the CSA2 tests: runs the component in-process on ISF inputs written with the
// typed accessors (run title, names, correlations, communalities, definer lists, factor
// coefficients) and finds lines and numbers in its listing.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "isf_inputs.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"
#include "storage/storage.hpp"
#include "structure/csa2.hpp"

namespace korvex::testing {

class Csa2Run : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    reset_csa2();
    isf_init();
    init_page();
  }
  void TearDown() override {
    reset_csa2();
    RunFolder::TearDown();
  }

  // CORRM1 (order n, the matrix r given row by row in full) and DIAGV1.
  static void put_correlations(const std::vector<double>& r, const std::vector<double>& h) {
    const auto n = static_cast<std::int32_t>(h.size());
    std::vector<float> a(999u * 999u, 0.0f);
    for (std::int32_t j = 0; j < n; ++j)
      for (std::int32_t i = 0; i < n; ++i)
        a[static_cast<std::size_t>(j) * 999 + static_cast<std::size_t>(i)] =
            static_cast<float>(r[static_cast<std::size_t>(i * n + j)]);
    Kpar kc{2, n, 250};
    std::int32_t notfound = 0;
    isf_real_square("CORRM1", 1, kc, notfound, a, 2);
    put_communalities(h);
  }
  static void put_communalities(const std::vector<double>& h) {
    const auto n = static_cast<std::int32_t>(h.size());
    std::vector<float> d(999, 0.0f);
    for (std::int32_t i = 0; i < n; ++i) d[static_cast<std::size_t>(i)] = static_cast<float>(h[static_cast<std::size_t>(i)]);
    Kpar kd{2, n, 1};
    std::int32_t notfound = 0;
    isf_real_matrix("DIAGV1", 1, kd, notfound, d);
  }
  // REFLX1 from the signed definer lists.
  static void put_definers(const std::vector<std::vector<std::int32_t>>& lists) {
    const auto k = static_cast<std::int32_t>(lists.size());
    std::vector<std::int32_t> counts(static_cast<std::size_t>(k), 0);
    std::vector<std::int32_t> members(static_cast<std::size_t>(k) * 99, 0);
    for (std::size_t c = 0; c < lists.size(); ++c) {
      counts[c] = static_cast<std::int32_t>(lists[c].size());
      for (std::size_t j = 0; j < lists[c].size(); ++j) members[c * 99 + j] = lists[c][j];
    }
    Kpar kpar{1, k};
    std::int32_t notfound = 0;
    isf_int_table("REFLX1", 1, kpar, notfound, counts, members);
  }
  // A real matrix entry of rows x cols (column by column in m) and its reader.
  static void put_matrix(const std::string& label, std::int32_t rows, std::int32_t cols,
                         const std::vector<double>& m) {
    std::vector<float> a(999u * static_cast<std::size_t>(cols), 0.0f);
    for (std::int32_t j = 0; j < cols; ++j)
      for (std::int32_t i = 0; i < rows; ++i)
        a[static_cast<std::size_t>(j) * 999 + static_cast<std::size_t>(i)] =
            static_cast<float>(m[static_cast<std::size_t>(j * rows + i)]);
    Kpar kpar{2, rows, cols};
    std::int32_t notfound = 0;
    isf_real_matrix(label, 1, kpar, notfound, a);
  }
  // The entry as rows x cols values column by column; empty when absent.
  static std::vector<float> get_matrix(const std::string& label, std::int32_t& rows,
                                       std::int32_t& cols) {
    std::vector<float> a(999u * 60u, 0.0f);
    Kpar kpar{};
    std::int32_t notfound = 0;
    isf_real_matrix(label, 0, kpar, notfound, a);
    if (notfound != 0) return {};
    rows = kpar[1];
    cols = kpar[2];
    std::vector<float> out;
    for (std::int32_t j = 0; j < cols; ++j)
      for (std::int32_t i = 0; i < rows; ++i)
        out.push_back(a[static_cast<std::size_t>(j) * 999 + static_cast<std::size_t>(i)]);
    return out;
  }

  // Binds MTXIN2 to a file of the run folder as *ASSIGN does.
  void bind_titles(const std::string& file, const std::string& text) {
    write_file(file, text);
    add_unit("MTXIN2", free_unit_number(), duration_component, type_input, form_formatted,
             access_sequential, (dir_ / file).string());
  }

  RunResult run(const std::vector<std::string>& cards) { return run_with_cards(&CSA2, cards); }

  // Index of the first listing line at or after `from` that contains text; -1 when none.
  static int find(const std::vector<std::string>& l, const std::string& text, int from = 0) {
    for (int i = from; i < static_cast<int>(l.size()); ++i)
      if (l[static_cast<std::size_t>(i)].find(text) != std::string::npos) return i;
    return -1;
  }
  // The numbers of a line after column `from` (0-based), reading every blank-separated
  // token that parses as a number.
  static std::vector<double> numbers(const std::string& line, std::size_t from = 0) {
    std::vector<double> v;
    std::string s = line.substr(std::min(from, line.size()));
    for (char& ch : s)
      if (ch == '(' || ch == ')' || ch == '|' || ch == '=') ch = ' ';
    std::istringstream in(s);
    for (std::string tok; in >> tok;) {
      try {
        std::size_t used = 0;
        const double x = std::stod(tok, &used);
        if (used == tok.size()) v.push_back(x);
      } catch (...) {
      }
    }
    return v;
  }
};

}  // namespace korvex::testing
