// Shared ground of the SELECT, SLEEP and RESTOR tests: a run folder with the ISF and the
// page state initialised, writers for the ISF entries the components read (IDFILE, CORRM1,
// VNAMS1, UFACT1, CLUST1, REFLX1), a runner that calls a component in-process and catches
// its stop, and readers for the entries, "CORR.TXT" and the listing.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data_entry/data_entry.hpp"
#include "executive/errors.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "printing/page.hpp"
#include "isf_inputs.hpp"
#include "run_fixture.hpp"
#include "selection/selection.hpp"
#include "storage/storage.hpp"

namespace korvex::testing {

// A full matrix, n x n, column by column (leading dimension n).
struct Square {
  std::int32_t n = 0;
  std::vector<float> a;
  float operator()(int i, int j) const {
    return a[static_cast<std::size_t>((j - 1) * n + (i - 1))];
  }
};

// The six-variable correlation matrix of the reactivation reference, in original order.
inline Square six_correlations() {
  const std::vector<std::vector<float>> lower = {{0.6110f},
                                                 {0.5480f, 0.5250f},
                                                 {0.2350f, 0.3000f, 0.3430f},
                                                 {0.1460f, 0.2050f, 0.2460f, 0.4680f},
                                                 {0.3320f, 0.3530f, 0.3600f, 0.4090f, 0.3170f}};
  Square s{6, std::vector<float>(36, 1.0f)};
  for (int i = 2; i <= 6; ++i) {
    for (int j = 1; j < i; ++j) {
      s.a[static_cast<std::size_t>((j - 1) * 6 + (i - 1))] = lower[i - 2][j - 1];
      s.a[static_cast<std::size_t>((i - 1) * 6 + (j - 1))] = lower[i - 2][j - 1];
    }
  }
  return s;
}

inline const std::vector<std::string> six_names = {"Verbal",  "Reading",  "Vocabulary",
                                                   "Spatial", "Rotation", "Memory"};

// An n x n matrix whose entry (i, j), i != j, is a distinct value that tells i and j apart.
inline Square tagged_correlations(int n) {
  Square s{n, std::vector<float>(static_cast<std::size_t>(n * n), 1.0f)};
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      const int lo = std::min(i, j);
      const int hi = std::max(i, j);
      s.a[static_cast<std::size_t>((j - 1) * n + (i - 1))] =
          static_cast<float>(hi) * 0.01f + static_cast<float>(lo) * 0.0001f;
    }
  }
  return s;
}

// What a component run left behind.
struct Outcome {
  bool stopped = false;
  int code = -1;
  std::string console;
};

// One ISF entry read back: its KPAR and its values.
template <typename T>
struct Entry {
  bool found = false;
  Kpar kpar{};
  std::vector<T> values;
};

class SelectionTest : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
    reset_data_entry();
  }
  void TearDown() override {
    reset_data_entry();
    RunFolder::TearDown();
  }

  // Starts over in a new folder with a fresh ISF, as a new run would (tables of cases).
  void fresh_folder() {
    TearDown();
    SetUp();
  }

  // ---- writers ------------------------------------------------------------------------
  void put_title(const std::string& title = "SELECTION TESTS") { testing::put_isf_title(title); }
  void put_corr(const Square& s, std::int32_t numsub = 250, const char* label = "CORRM1") {
    std::vector<float> full(static_cast<std::size_t>(isf_matrix_ld) * static_cast<std::size_t>(std::max(s.n, 1)), 0.0f);
    for (int j = 1; j <= s.n; ++j) {
      for (int i = 1; i <= s.n; ++i) full[static_cast<std::size_t>((j - 1) * isf_matrix_ld + (i - 1))] = s(i, j);
    }
    Kpar kpar{2, s.n, numsub};
    std::int32_t notfound = 0;
    isf_real_square(label, 1, kpar, notfound, full, 2);
  }
  void put_names(std::vector<std::string> names, std::int32_t numdel = -1) {
    testing::put_isf_names(std::move(names), numdel);
  }
  static std::vector<std::string> var_names(int n) {
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i) v.push_back("Var" + std::to_string(i));
    return v;
  }
  // IDFILE, CORRM1 and VNAMS1 of a fresh analysis.
  void put_analysis(const Square& s, const std::vector<std::string>& names) {
    put_title();
    put_corr(s);
    put_names(names);
  }
  // UFACT1 from its rows.
  void put_factors(const std::vector<std::vector<float>>& rows) {
    const auto m = static_cast<std::int32_t>(rows.size());
    const auto nf = static_cast<std::int32_t>(rows.empty() ? 0 : rows[0].size());
    std::vector<float> a(static_cast<std::size_t>(isf_matrix_ld) * 50, 0.0f);
    for (int i = 0; i < m; ++i) {
      for (int k = 0; k < nf; ++k) a[static_cast<std::size_t>(k * isf_matrix_ld + i)] = rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
    }
    Kpar kpar{2, m, nf};
    std::int32_t notfound = 0;
    isf_real_matrix("UFACT1", 1, kpar, notfound, a);
  }
  void put_lists(const char* label, const std::vector<std::vector<std::int32_t>>& lists) {
    std::vector<std::int32_t> counts(50, 0);
    std::vector<std::int32_t> members(99 * 50, 0);
    for (std::size_t k = 0; k < lists.size(); ++k) {
      counts[k] = static_cast<std::int32_t>(lists[k].size());
      for (std::size_t m = 0; m < lists[k].size(); ++m) members[k * 99 + m] = lists[k][m];
    }
    Kpar kpar{1, static_cast<std::int32_t>(lists.size())};
    std::int32_t notfound = 0;
    isf_int_table(label, 1, kpar, notfound, counts, members);
  }

  // ---- running ------------------------------------------------------------------------
  // Writes the whole control deck the test's runs read, before the first run.
  void deck(const std::vector<std::string>& cards) {
    std::string text;
    for (const std::string& c : cards) text += c + "\n";
    write_file("MONIN", text);
  }
  Outcome run(void (*component)()) {
    out_.str("");
    Outcome o;
    try {
      component();
    } catch (const Stop& e) {
      o.stopped = true;
      o.code = e.code();
    }
    o.console = out_.str();
    reset_errors();
    return o;
  }
  // The next card the deck still holds ("" at its end).
  std::string next_card() {
    std::string record;
    return read_record(get_unit("MONIN"), record) ? record : std::string();
  }

  // ---- readers ------------------------------------------------------------------------
  Entry<float> square(const char* label) {
    Entry<float> e;
    std::vector<float> full(static_cast<std::size_t>(isf_matrix_ld) * isf_matrix_ld, 1.0f);
    std::int32_t notfound = 0;
    isf_real_square(label, 0, e.kpar, notfound, full, 2);
    e.found = notfound == 0;
    const int n = e.kpar[1];
    for (int j = 1; j <= n; ++j) {
      for (int i = 1; i <= n; ++i) {
        e.values.push_back(i == j ? 1.0f : full[static_cast<std::size_t>((j - 1) * isf_matrix_ld + (i - 1))]);
      }
    }
    return e;
  }
  Entry<std::string> names(const char* label = "VNAMS1") {
    Entry<std::string> e;
    e.values.assign(999, std::string(20, ' '));
    std::int32_t notfound = 0;
    isf_name_vector(label, 0, e.kpar, notfound, e.values);
    e.found = notfound == 0;
    e.values.resize(e.found ? static_cast<std::size_t>(e.kpar[1]) : 0);
    for (std::string& s : e.values) s = std::string(io_trim(s));
    return e;
  }
  Entry<std::int32_t> ints(const char* label) {
    Entry<std::int32_t> e;
    e.values.assign(999, 0);
    std::int32_t notfound = 0;
    isf_int_vector(label, 0, e.kpar, notfound, e.values);
    e.found = notfound == 0;
    e.values.resize(e.found ? static_cast<std::size_t>(e.kpar[1]) : 0);
    return e;
  }
  Entry<float> reals(const char* label) {
    Entry<float> e;
    e.values.assign(999, 0.0f);
    std::int32_t notfound = 0;
    isf_real_vector(label, 0, e.kpar, notfound, e.values);
    e.found = notfound == 0;
    e.values.resize(e.found ? static_cast<std::size_t>(e.kpar[1]) : 0);
    return e;
  }
  // UFACT1 as rows.
  std::vector<std::vector<float>> factors(Kpar* kpar_out = nullptr) {
    std::vector<float> a(static_cast<std::size_t>(isf_matrix_ld) * 50, 0.0f);
    Kpar kpar{};
    std::int32_t notfound = 0;
    isf_real_matrix("UFACT1", 0, kpar, notfound, a);
    if (kpar_out != nullptr) *kpar_out = kpar;
    std::vector<std::vector<float>> rows(static_cast<std::size_t>(notfound == 0 ? kpar[1] : 0));
    for (std::size_t i = 0; i < rows.size(); ++i) {
      for (int k = 0; k < kpar[2]; ++k) rows[i].push_back(a[static_cast<std::size_t>(k * isf_matrix_ld) + i]);
    }
    return rows;
  }
  std::vector<std::vector<std::int32_t>> lists(const char* label) {
    std::vector<std::int32_t> counts(50, 0);
    std::vector<std::int32_t> members(99 * 50, 0);
    Kpar kpar{};
    std::int32_t notfound = 0;
    isf_int_table(label, 0, kpar, notfound, counts, members);
    std::vector<std::vector<std::int32_t>> out;
    if (notfound != 0) return out;
    for (int k = 0; k < kpar[1]; ++k) {
      out.emplace_back(members.begin() + k * 99, members.begin() + k * 99 + counts[static_cast<std::size_t>(k)]);
    }
    return out;
  }

  std::vector<std::string> listing() { return file_lines("MONOUT"); }
  static std::string_view io_trim(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
  }
  // Line i trimmed of trailing blanks.
  static std::string trimmed(const std::vector<std::string>& lines, int i) {
    if (i < 0 || i >= static_cast<int>(lines.size())) return "<no line>";
    return std::string(io_trim(lines[static_cast<std::size_t>(i)]));
  }
};

}  // namespace korvex::testing
