// Benchmark of the key-cluster component CC5 on the largest matrix the system takes: a
// generated 999 x 999 correlation matrix of a ten-factor model (ten groups of variables with
// a little noise) and its model communalities are put on a fresh ISF, and *CC5 runs
// in-process, with the default cards and with ten dimensions asked for, with only the first
// pass printed (the default) and with every pass printed. Prints the wall-clock seconds of each run and the size of
// its solution; it never fails.
//   build and run: bench/cc5_bench.sh [build folder]
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
#include "factoring/cc5.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

namespace {

constexpr int n = 999;
constexpr int factors = 10;

struct Model {
  std::vector<float> r;  // full, by columns, leading dimension 999
  std::vector<float> h;  // communalities of the model
};

// Variable i loads mainly on factor i mod 10 (0.5 to 0.85) and a little on the others;
// correlations carry symmetric noise of at most 0.002.
Model generate() {
  std::mt19937 rng(20240613u);
  std::uniform_real_distribution<double> main_loading(0.5, 0.85);
  std::uniform_real_distribution<double> side_loading(-0.1, 0.1);
  std::uniform_real_distribution<double> noise(-0.002, 0.002);
  std::vector<double> L(static_cast<std::size_t>(n) * factors);
  Model m;
  m.h.assign(n, 0.0f);
  for (int i = 0; i < n; ++i) {
    double ss = 0.0;
    for (int f = 0; f < factors; ++f) {
      const double v = f == i % factors ? main_loading(rng) : side_loading(rng);
      L[static_cast<std::size_t>(i * factors + f)] = v;
      ss += v * v;
    }
    m.h[static_cast<std::size_t>(i)] = static_cast<float>(std::min(ss, 0.95));
  }
  m.r.assign(static_cast<std::size_t>(n) * n, 0.0f);
  for (int j = 0; j < n; ++j) {
    m.r[static_cast<std::size_t>(j * n + j)] = 1.0f;
    for (int i = j + 1; i < n; ++i) {
      double s = 0.0;
      for (int f = 0; f < factors; ++f) s += L[static_cast<std::size_t>(i * factors + f)] * L[static_cast<std::size_t>(j * factors + f)];
      s = std::clamp(s + noise(rng), -0.99, 0.99);
      m.r[static_cast<std::size_t>(j * n + i)] = static_cast<float>(s);
      m.r[static_cast<std::size_t>(i * n + j)] = static_cast<float>(s);
    }
  }
  return m;
}

struct Result {
  double seconds = 0.0;
  int nf = 0;
  int largest_list = 0;
  long listing_lines = 0;
};

// One *CC5 run on a fresh ISF in a fresh folder.
Result run_cards(const Model& m, const std::string& card1) {
  namespace fs = std::filesystem;
  const fs::path home = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / "korvex-cc5-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::current_path(dir);
  std::ofstream(dir / "MONIN") << card1 << "\n\n";

  korvex::reset_run_state();
  korvex::init_units();
  korvex::isf_init();
  korvex::init_page();
  std::vector<std::string> title(12, "      ");
  title[0] = "BENCH ";
  std::int32_t notfound = 0;
  korvex::isf_idfile(1, notfound, title);
  korvex::Kpar kpar{2, n, 1000};
  std::vector<float> full = m.r;
  korvex::isf_real_square("CORRM1", 1, kpar, notfound, full, 2);
  korvex::Kpar kd{2, n, 1};
  std::vector<float> h = m.h;
  korvex::isf_real_vector("DIAGV1", 1, kd, notfound, h);

  Result res;
  const auto t0 = std::chrono::steady_clock::now();
  korvex::CC5();
  const auto t1 = std::chrono::steady_clock::now();
  res.seconds = std::chrono::duration<double>(t1 - t0).count();

  std::vector<std::int32_t> counts(50, 0);
  std::vector<std::int32_t> lists(99 * 50, 0);
  korvex::Kpar kc{};
  korvex::isf_int_table("CLUST1", 0, kc, notfound, counts, lists);
  res.nf = kc[1];
  for (int l = 0; l < res.nf; ++l) res.largest_list = std::max(res.largest_list, counts[static_cast<std::size_t>(l)]);
  korvex::flush_all_units();
  std::ifstream listing(dir / "MONOUT");
  for (std::string line; std::getline(listing, line);) ++res.listing_lines;

  korvex::close_all_units();
  korvex::reset_run_state();
  fs::current_path(home);
  fs::remove_all(dir);
  return res;
}

}  // namespace

int main() {
  const Model m = generate();
  struct Case {
    const char* what;
    const char* card1;
  };
  const Case cases[] = {
      {"default cards", ""},
      {"ten dimensions asked for", "                  10"},
      {"ten dimensions, every pass printed", "                  10                                                   1"},
      {"pivot collinearity, ten dimensions", "           1      10"},
  };
  std::printf("CC5 on %d variables (ten-factor model)\n", n);
  for (const Case& c : cases) {
    try {
      const Result res = run_cards(m, c.card1);
      std::printf("  %-38s %8.3f s   %2d dimensions, up to %2d keys, %7ld listing lines\n", c.what,
                  res.seconds, res.nf, res.largest_list, res.listing_lines);
    } catch (const std::exception& e) {
      std::printf("  %-38s stopped: %s\n", c.what, e.what());
    }
  }
  return 0;
}
