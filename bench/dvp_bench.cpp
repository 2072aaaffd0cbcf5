// Benchmark of the diagonal-values component DVP on the largest matrix the system takes:
// a generated 999 x 999 correlation matrix (a ten-factor model with a little noise) is put
// on a fresh ISF, and *DVP runs in-process with one method card at a time. Prints the
// wall-clock seconds of each run and a summary of its DIAGV1; it never fails.
//   build and run: bench/dvp_bench.sh [build folder]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "executive/over00.hpp"
#include "executive/units.hpp"
#include "factoring/factoring.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

namespace {

constexpr int n = 999;

// Correlations of a ten-factor model with loadings in (-0.2, 0.8), plus symmetric noise of
// at most 0.002 (small enough to keep the matrix positive definite); full, by columns.
std::vector<float> generate_correlations() {
  std::mt19937 rng(20240612u);
  std::uniform_real_distribution<double> loading(-0.2, 0.8);
  std::uniform_real_distribution<double> noise(-0.002, 0.002);
  constexpr int factors = 10;
  std::vector<double> L(static_cast<std::size_t>(n) * factors);
  for (int i = 0; i < n; ++i) {
    double ss = 0.0;
    for (int f = 0; f < factors; ++f) {
      double v = f == i % factors ? loading(rng) : 0.3 * loading(rng);
      L[static_cast<std::size_t>(i * factors + f)] = v;
      ss += v * v;
    }
    const double scale = ss > 0.9 ? std::sqrt(0.9 / ss) : 1.0;  // communality at most 0.9
    for (int f = 0; f < factors; ++f) L[static_cast<std::size_t>(i * factors + f)] *= scale;
  }
  std::vector<float> r(static_cast<std::size_t>(n) * n, 0.0f);
  for (int j = 0; j < n; ++j) {
    r[static_cast<std::size_t>(j * n + j)] = 1.0f;
    for (int i = j + 1; i < n; ++i) {
      double s = 0.0;
      for (int f = 0; f < factors; ++f) s += L[static_cast<std::size_t>(i * factors + f)] * L[static_cast<std::size_t>(j * factors + f)];
      s = std::clamp(s + noise(rng), -0.99, 0.99);
      r[static_cast<std::size_t>(j * n + i)] = static_cast<float>(s);
      r[static_cast<std::size_t>(i * n + j)] = static_cast<float>(s);
    }
  }
  return r;
}

struct Result {
  double seconds = 0.0;
  float lo = 0.0f, hi = 0.0f, mean = 0.0f;
  bool finite = true;
};

// One *DVP run on a fresh ISF in a fresh folder.
Result run_card(const std::vector<float>& r, const std::string& card) {
  namespace fs = std::filesystem;
  const fs::path home = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / "korvex-dvp-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::current_path(dir);
  std::ofstream(dir / "MONIN") << card << "\n";

  korvex::reset_run_state();
  korvex::reset_dvp();
  korvex::init_units();
  korvex::isf_init();
  korvex::init_page();
  std::vector<std::string> title(12, "      ");
  title[0] = "BENCH ";
  std::int32_t notfound = 0;
  korvex::isf_idfile(1, notfound, title);
  korvex::Kpar kpar{2, n, 1000};
  std::vector<float> full = r;
  korvex::isf_real_square("CORRM1", 1, kpar, notfound, full, 2);

  Result res;
  const auto t0 = std::chrono::steady_clock::now();
  korvex::DVP();
  const auto t1 = std::chrono::steady_clock::now();
  res.seconds = std::chrono::duration<double>(t1 - t0).count();

  std::vector<float> d(999);
  korvex::isf_real_matrix("DIAGV1", 0, kpar, notfound, d);
  res.lo = *std::min_element(d.begin(), d.end());
  res.hi = *std::max_element(d.begin(), d.end());
  double sum = 0.0;
  for (float v : d) {
    sum += v;
    res.finite = res.finite && std::isfinite(v);
  }
  res.mean = static_cast<float>(sum / n);

  korvex::close_all_units();
  korvex::reset_run_state();
  fs::current_path(home);
  fs::remove_all(dir);
  return res;
}

}  // namespace

int main() {
  const std::vector<float> r = generate_correlations();
  struct Case {
    const char* what;
    const char* card;
  };
  const Case cases[] = {
      {"method 10 (squared multiple correlations)", "  10"},
      {"method 41 (modified approximation B)", "  41"},
      {"method 50 (highest absolute r)", "  50"},
      {"method 52 (triads)", "  52"},
      {"method 60 (proportional fit, 4 sweeps)", "  60"},
      {"method 30 (quadratic formula, tol 0.05)", "  30"},
  };
  std::printf("DVP on %d variables\n", n);
  for (const Case& c : cases) {
    try {
      const Result res = run_card(r, c.card);
      std::printf("  %-44s %8.3f s   DIAGV1 min %.3f mean %.3f max %.3f%s\n", c.what, res.seconds, res.lo,
                  res.mean, res.hi, res.finite ? "" : "   (NOT FINITE)");
    } catch (const std::exception& e) {
      std::printf("  %-44s stopped: %s\n", c.what, e.what());
    }
  }
  return 0;
}
