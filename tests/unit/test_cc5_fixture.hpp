// Shared ground of the CC5 tests: a run folder with a fresh ISF and page state, writers for
// the entries CC5 reads (IDFILE, CORRM1 from a full matrix, DIAGV1, VNAMS1, REORD1,
// CLUST1), card builders, a runner that writes MONIN, runs the component in-process and
// catches a stop, readers for UFACT1, CLUST1, REFLX1 and DIAGV1, and small double-precision
// helpers for the independent checks.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "factoring/cc5.hpp"
#include "printing/page.hpp"
#include "isf_inputs.hpp"
#include "run_fixture.hpp"
#include "storage/storage.hpp"

namespace korvex::testing {

// A symmetric matrix held full (n x n, by columns), in double for the checks.
struct Sym {
  int n = 0;
  std::vector<double> a;
  explicit Sym(int order = 0) : n(order), a(static_cast<std::size_t>(order * order), 0.0) {}
  double operator()(int i, int j) const { return a[static_cast<std::size_t>((j - 1) * n + (i - 1))]; }
  double& at(int i, int j) { return a[static_cast<std::size_t>((j - 1) * n + (i - 1))]; }
  void set(int i, int j, double v) {
    at(i, j) = v;
    at(j, i) = v;
  }
  // From the strict lower triangle by columns (r21, r31, ..., rn1, r32, ...), unit diagonal.
  static Sym from_lower(int n, const std::vector<double>& lower) {
    Sym s(n);
    std::size_t p = 0;
    for (int j = 1; j <= n; ++j) {
      s.set(j, j, 1.0);
      for (int i = j + 1; i <= n; ++i) s.set(i, j, lower.at(p++));
    }
    EXPECT_EQ(p, lower.size());
    return s;
  }
};

using Cc5Outcome = RunResult;

// A factor matrix read back: column L holds the n coefficients of dimension L.
struct Factors {
  int n = 0;
  int nf = 0;
  std::vector<std::vector<float>> col;
  float operator()(int i, int L) const { return col[static_cast<std::size_t>(L - 1)][static_cast<std::size_t>(i - 1)]; }
};

class Cc5Run : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
  }

  void put_title(const std::string& title = "CC5 TEST RUN") { testing::put_isf_title(title); }
  void put_corr(const Sym& c) {
    std::vector<float> full(static_cast<std::size_t>(isf_matrix_ld) * static_cast<std::size_t>(c.n), 0.0f);
    for (int j = 1; j <= c.n; ++j) {
      for (int i = 1; i <= c.n; ++i) full[static_cast<std::size_t>((j - 1) * isf_matrix_ld + (i - 1))] = static_cast<float>(c(i, j));
    }
    Kpar kpar{2, c.n, 100};
    std::int32_t notfound = 0;
    isf_real_square("CORRM1", 1, kpar, notfound, full, 2);
  }
  void put_diag(const std::vector<double>& d, int count_word = 2, int numdel = 0) {
    std::vector<float> x(d.begin(), d.end());
    Kpar kpar{};
    if (count_word == 3) {
      kpar = {3, static_cast<std::int32_t>(d.size()) + numdel, 1, numdel};
      x.resize(d.size() + static_cast<std::size_t>(numdel), 0.0f);
    } else {
      kpar = {2, static_cast<std::int32_t>(d.size()), 1};
    }
    std::int32_t notfound = 0;
    isf_real_vector("DIAGV1", 1, kpar, notfound, x);
  }
  void put_names(std::vector<std::string> names, std::int32_t numdel = -1) {
    testing::put_isf_names(std::move(names), numdel);
  }
  void put_reord(std::vector<std::int32_t> order, std::int32_t numdel) {
    testing::put_isf_reord(std::move(order), numdel);
  }
  void put_clust(const std::vector<std::vector<std::int32_t>>& lists) {
    std::vector<std::int32_t> counts;
    std::vector<std::int32_t> members(99 * std::max<std::size_t>(lists.size(), 1), 0);
    for (std::size_t l = 0; l < lists.size(); ++l) {
      counts.push_back(static_cast<std::int32_t>(lists[l].size()));
      std::copy(lists[l].begin(), lists[l].end(), members.begin() + static_cast<std::ptrdiff_t>(99 * l));
    }
    if (counts.empty()) counts.push_back(0);
    Kpar kpar{1, static_cast<std::int32_t>(lists.size())};
    std::int32_t notfound = 0;
    isf_int_table("CLUST1", 1, kpar, notfound, counts, members);
  }
  // The usual inputs: title, matrix and communalities.
  void put_inputs(const Sym& c, const std::vector<double>& diag) {
    put_title();
    put_corr(c);
    put_diag(diag);
  }

  // Card 1 from its 4-column fields by column of their first character (1, 5, 9 ...);
  // card 2 from its 8-column fields in order ("" is blank).
  static std::string card1(const std::map<int, std::string>& fields) {
    std::string c(72, ' ');
    for (const auto& [col, text] : fields) {
      const std::string t = std::string(4 - std::min<std::size_t>(4, text.size()), ' ') + text.substr(0, 4);
      c.replace(static_cast<std::size_t>(col - 1), 4, t);
    }
    return c;
  }
  static std::string card2(const std::vector<std::string>& fields = {}) {
    std::string c;
    for (const std::string& f : fields) c += std::string(8 - std::min<std::size_t>(8, f.size()), ' ') + f.substr(0, 8);
    return c;
  }

  // Runs CC5 once with the cards on MONIN. A later run in the same test appends its cards:
  // MONIN stays open for the run and is read on from where it stopped.
  Cc5Outcome run(const std::vector<std::string>& cards) {
    return run_with_cards(&CC5, cards);
  }


  Factors ufact1() {
    Kpar kpar{};
    std::int32_t notfound = 0;
    std::vector<float> a(999 * 50, -99.0f);
    isf_real_matrix("UFACT1", 0, kpar, notfound, a);
    Factors f;
    if (notfound != 0) return f;
    EXPECT_EQ(kpar[0], 2);
    f.n = kpar[1];
    f.nf = kpar[2];
    for (int L = 0; L < f.nf; ++L) {
      f.col.emplace_back(a.begin() + 999 * L, a.begin() + 999 * L + f.n);
    }
    return f;
  }
  std::vector<std::vector<std::int32_t>> table(const std::string& label) {
    Kpar kpar{};
    std::int32_t notfound = 0;
    std::vector<std::int32_t> counts(50, 0);
    std::vector<std::int32_t> members(99 * 50, 0);
    isf_int_table(label, 0, kpar, notfound, counts, members);
    std::vector<std::vector<std::int32_t>> lists;
    if (notfound != 0) return lists;
    EXPECT_EQ(kpar[0], 1);
    for (int l = 0; l < kpar[1]; ++l) {
      lists.emplace_back(members.begin() + 99 * l, members.begin() + 99 * l + counts[static_cast<std::size_t>(l)]);
    }
    return lists;
  }
  std::vector<float> diagv1() {
    Kpar kpar{};
    std::int32_t notfound = 0;
    std::vector<float> d(999, -99.0f);
    isf_real_vector("DIAGV1", 0, kpar, notfound, d);
    if (notfound != 0) return {};
    d.resize(static_cast<std::size_t>(kpar[1]));
    return d;
  }
  bool on_isf(const std::string& label) {
    for (int i = 1; i <= isf_count(); ++i) {
      if (isf_label_name(i).rfind(label, 0) == 0) return true;
    }
    return false;
  }

  std::vector<std::string> listing() { return file_lines("MONOUT"); }
  static std::string joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
  }

  // Starts over in a new folder, as a new process would (tables of whole runs).
  void fresh_process() {
    TearDown();
    SetUp();
  }

};

// The coefficients of one multiple-group dimension, in double: for keys k with signs e,
// a = R[, k] e / sqrt(e' R[k, k] e).
inline std::vector<double> group_factor(const Sym& r, const std::vector<int>& keys, const std::vector<int>& e) {
  double s = 0.0;
  for (std::size_t p = 0; p < keys.size(); ++p) {
    for (std::size_t q = 0; q < keys.size(); ++q) s += e[p] * e[q] * r(keys[p], keys[q]);
  }
  std::vector<double> a(static_cast<std::size_t>(r.n), 0.0);
  for (int i = 1; i <= r.n; ++i) {
    double t = 0.0;
    for (std::size_t p = 0; p < keys.size(); ++p) t += e[p] * r(i, keys[p]);
    a[static_cast<std::size_t>(i - 1)] = t / std::sqrt(s);
  }
  return a;
}

// r - a a'.
inline Sym residual(const Sym& r, const std::vector<double>& a) {
  Sym out = r;
  for (int i = 1; i <= r.n; ++i) {
    for (int j = 1; j <= r.n; ++j) out.at(i, j) = r(i, j) - a[static_cast<std::size_t>(i - 1)] * a[static_cast<std::size_t>(j - 1)];
  }
  return out;
}

}  // namespace korvex::testing
