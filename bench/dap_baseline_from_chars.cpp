// Calibration: a plain std::from_chars loop over the F8.3 fields of a raw file (fgets per
// line), summing the values; prints the rate, for comparison with the DAP figures.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
int main(int argc, char** argv) {
  std::FILE* f = std::fopen(argv[1], "r");
  static char line[1 << 16];
  double sum = 0;
  long bytes = 0;
  auto t0 = std::chrono::steady_clock::now();
  while (std::fgets(line, sizeof line, f)) {
    std::size_t n = std::strlen(line);
    bytes += static_cast<long>(n);
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
      const char* p = line + i;
      const char* e = p + 8;
      while (p < e && *p == ' ') ++p;
      float v = 0;
      std::from_chars(p, e, v);
      sum += v;
    }
  }
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("from_chars loop: %.1f MB in %.2f s = %.0f MB/s (sum %g)\n", bytes / 1e6, s, bytes / 1e6 / s, sum);
}
