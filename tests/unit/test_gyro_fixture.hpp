// Shared ground of the GYRO and FAST tests: a run folder with a fresh ISF and page state,
// writers for the ISF entries the two components read (IDFILE, UFACT1, VNAMS1, REORD1,
// CORRM1), a runner that puts the component's cards on MONIN, runs it in-process and
// catches a stop, readers for RFACT1, BASIS1 and CORRM1, and the column matching that
// rotation results need (their column order and signs are not fixed).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/stop.hpp"
#include "printing/page.hpp"
#include "isf_inputs.hpp"
#include "run_fixture.hpp"
#include "storage/storage.hpp"

namespace korvex::testing {

// A dense matrix held column by column (rows x cols), as the tests build and compare them.
struct Mat {
  int rows = 0;
  int cols = 0;
  std::vector<double> v;
  Mat() = default;
  Mat(int r, int c) : rows(r), cols(c), v(static_cast<std::size_t>(r * c), 0.0) {}
  template <class T>
  static Mat from(int r, int c, const T* data) {
    Mat m(r, c);
    for (int k = 0; k < r * c; ++k) m.v[static_cast<std::size_t>(k)] = static_cast<double>(data[k]);
    return m;
  }
  double& operator()(int i, int j) { return v[static_cast<std::size_t>((j - 1) * rows + (i - 1))]; }
  double operator()(int i, int j) const { return v[static_cast<std::size_t>((j - 1) * rows + (i - 1))]; }
  double row_ss(int i) const {
    double s = 0.0;
    for (int j = 1; j <= cols; ++j) s += (*this)(i, j) * (*this)(i, j);
    return s;
  }
  double fourth_powers() const {
    double s = 0.0;
    for (double x : v) s += x * x * x * x;
    return s;
  }
  // The criterion of normalised varimax on the row-normalised matrix (a zero row stays 0).
  double varimax_criterion() const {
    const double n = rows;
    double total = 0.0;
    for (int j = 1; j <= cols; ++j) {
      double s2 = 0.0;
      double s4 = 0.0;
      for (int i = 1; i <= rows; ++i) {
        const double h = std::sqrt(row_ss(i));
        const double x = h > 0.0 ? (*this)(i, j) / h : 0.0;
        s2 += x * x;
        s4 += x * x * x * x;
      }
      total += (n * s4 - s2 * s2) / (n * n);
    }
    return total;
  }
};

// Largest difference between got and want after the columns of got are matched to those of
// want (each want column takes the unused got column of largest |inner product|, with the
// sign of that product). A different shape gives infinity.
inline double matched_difference(const Mat& got, const Mat& want) {
  if (got.rows != want.rows || got.cols != want.cols) return INFINITY;
  std::vector<bool> used(static_cast<std::size_t>(got.cols), false);
  double worst = 0.0;
  for (int j = 1; j <= want.cols; ++j) {
    int best = 0;
    double best_dot = 0.0;
    for (int k = 1; k <= got.cols; ++k) {
      if (used[static_cast<std::size_t>(k - 1)]) continue;
      double dot = 0.0;
      for (int i = 1; i <= got.rows; ++i) dot += got(i, k) * want(i, j);
      if (best == 0 || std::fabs(dot) > std::fabs(best_dot)) {
        best = k;
        best_dot = dot;
      }
    }
    used[static_cast<std::size_t>(best - 1)] = true;
    const double sign = best_dot < 0.0 ? -1.0 : 1.0;
    for (int i = 1; i <= got.rows; ++i) {
      worst = std::max(worst, std::fabs(sign * got(i, best) - want(i, j)));
    }
  }
  return worst;
}

class GyroRun : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
  }

  void put_title(const std::string& title = "ROTATION TEST RUN") { testing::put_isf_title(title); }
  void put_matrix(const std::string& label, const Mat& m) {
    std::vector<float> a(static_cast<std::size_t>(isf_matrix_ld) * static_cast<std::size_t>(std::max(1, m.cols)), 0.0f);
    for (int j = 1; j <= m.cols; ++j) {
      for (int i = 1; i <= m.rows; ++i) a[static_cast<std::size_t>((j - 1) * isf_matrix_ld + (i - 1))] = static_cast<float>(m(i, j));
    }
    Kpar kpar{2, m.rows, m.cols};
    std::int32_t notfound = 0;
    isf_real_matrix(label, 1, kpar, notfound, a);
  }
  void put_ufact1(const Mat& m) { put_matrix("UFACT1", m); }
  // CORRM1 of order m.rows (the strict lower triangle is stored) with the second word nsub.
  void put_corrm1(const Mat& m, std::int32_t nsub = 100) {
    std::vector<float> a(static_cast<std::size_t>(isf_matrix_ld) * static_cast<std::size_t>(m.rows), 0.0f);
    for (int j = 1; j <= m.rows; ++j) {
      for (int i = 1; i <= m.rows; ++i) a[static_cast<std::size_t>((j - 1) * isf_matrix_ld + (i - 1))] = static_cast<float>(m(i, j));
    }
    Kpar kpar{2, m.rows, nsub};
    std::int32_t notfound = 0;
    isf_real_square("CORRM1", 1, kpar, notfound, a, 2);
  }
  void put_names(std::vector<std::string> names, std::int32_t numdel = -1) {
    testing::put_isf_names(std::move(names), numdel);
  }
  void put_reord(std::vector<std::int32_t> order, std::int32_t numdel) {
    testing::put_isf_reord(std::move(order), numdel);
  }

  // Runs a component with the given cards on MONIN. A later run in the same test appends its
  // cards: MONIN is read on from where the last run stopped.
  RunResult run(const std::function<void()>& component, const std::vector<std::string>& cards) {
    return run_with_cards(component, cards);
  }


  // A matrix entry as stored, with its KPAR; rows = -1 when absent.
  Mat read_matrix(const std::string& label, Kpar* kpar_out = nullptr) {
    Kpar kpar{};
    std::int32_t notfound = 0;
    std::vector<float> a(static_cast<std::size_t>(isf_matrix_ld) * 60, -99.0f);
    isf_real_matrix(label, 0, kpar, notfound, a);
    if (kpar_out != nullptr) *kpar_out = kpar;
    if (notfound != 0) return Mat(-1, 0);
    Mat m(kpar[1], kpar[2]);
    for (int j = 1; j <= m.cols; ++j) {
      for (int i = 1; i <= m.rows; ++i) m(i, j) = a[static_cast<std::size_t>((j - 1) * isf_matrix_ld + (i - 1))];
    }
    return m;
  }
  // CORRM1 as stored (both triangles; the diagonal, which is not stored, reads as NaN).
  Mat read_corrm1(Kpar* kpar_out = nullptr) {
    Kpar kpar{};
    std::int32_t notfound = 0;
    std::vector<float> a(static_cast<std::size_t>(isf_matrix_ld) * isf_matrix_ld, NAN);
    isf_real_square("CORRM1", 0, kpar, notfound, a, 2);
    if (kpar_out != nullptr) *kpar_out = kpar;
    if (notfound != 0) return Mat(-1, 0);
    Mat m(kpar[1], kpar[1]);
    for (int j = 1; j <= m.rows; ++j) {
      for (int i = 1; i <= m.rows; ++i) m(i, j) = a[static_cast<std::size_t>((j - 1) * isf_matrix_ld + (i - 1))];
    }
    return m;
  }

  std::vector<std::string> listing() { return file_lines("MONOUT"); }
  static bool any_line_has(const std::vector<std::string>& lines, const std::string& text) {
    return find_line(lines, text) >= 0;
  }

  void fresh_process() {
    TearDown();
    SetUp();
  }

};

}  // namespace korvex::testing
