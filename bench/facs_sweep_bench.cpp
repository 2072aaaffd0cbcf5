// Benchmark of the sweep inverse of the scoring component on the largest order it takes:
// a generated 999 x 999 correlation matrix (a ten-factor model with unique variances).
// Prints the seconds of one inversion and the largest |A A^-1 - I|; it never fails.
//   build and run: bench/facs_bench.sh
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "scoring/facs_internal.hpp"

int main() {
  constexpr int n = 999;
  std::mt19937 rng(20261210u);
  std::uniform_real_distribution<double> loading(-0.2, 0.8);
  std::vector<double> l(static_cast<std::size_t>(n) * 10);
  for (double& x : l) x = loading(rng);
  std::vector<float> a(static_cast<std::size_t>(n) * n);
  std::vector<double> h(n, 0.0);
  for (int i = 0; i < n; ++i)
    for (int f = 0; f < 10; ++f) h[i] += l[i * 10 + f] * l[i * 10 + f];
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      double s = 0.0;
      for (int f = 0; f < 10; ++f) s += l[i * 10 + f] * l[j * 10 + f];
      a[static_cast<std::size_t>(j) * n + i] =
          static_cast<float>(i == j ? 1.0 : s / std::sqrt((h[i] + 0.5) * (h[j] + 0.5)));
    }
  const std::vector<float> original = a;
  std::vector<float> piv(n);
  const auto t0 = std::chrono::steady_clock::now();
  korvex::facs::SWEEP(a, n, n, piv);
  const auto t1 = std::chrono::steady_clock::now();
  double worst = 0.0;
  for (int i = 0; i < n; i += 37)
    for (int j = 0; j < n; ++j) {
      double s = 0.0;
      for (int t = 0; t < n; ++t)
        s += static_cast<double>(original[static_cast<std::size_t>(t) * n + i]) *
             a[static_cast<std::size_t>(j) * n + t];
      worst = std::max(worst, std::fabs(s - (i == j ? 1.0 : 0.0)));
    }
  std::printf("SWEEP of order %d: %.3f s, largest |A A^-1 - I| on sampled rows %.2e\n", n,
              std::chrono::duration<double>(t1 - t0).count(), worst);
  return 0;
}
