// Forming one dimension of a key-cluster analysis from its key variables: the key
// variables are reflected so that they hang together positively, and every variable's
// coefficient is its summed residual correlation with them over the square root of the
// summed key submatrix (a multiple-group centroid). The residual matrix is left as it was.
#include <cmath>
#include <string>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "factoring/cc5_internal.hpp"
#include "io/console.hpp"
#include "io/layout.hpp"

namespace korvex::cc5 {

namespace {

// The key submatrix has no positive sum: the analyst is told to ask for fewer dimensions,
// on the console and the listing, and the run stops. While the first pass runs the number
// proposed is that of the dimensions extracted so far.
[[noreturn]] void computational_failure(analysis& s, std::int32_t L) {
  const std::int32_t proposal = s.c.nf > 0 ? s.c.nf - 1 : L - 1;
  constexpr std::string_view line1 = "Communality has gone below zero.";
  constexpr std::string_view line2 = "Please preset number of dimensions smaller.";
  constexpr std::string_view line3 = "Columns 1-4 to 4 and columns 17-20 to ";
  io::out_line(io::format_line("(A)", {line1}));
  io::out_line(io::format_line("(A)", {line2}));
  io::out_line(io::format_line("(A, I0)", {line3, proposal}));
  write_formatted(s.out.unit, "(1X,A)", {line1});
  write_formatted(s.out.unit, "(1X,A)", {line2});
  write_formatted(s.out.unit, "(1X,A,I0)", {line3, proposal});
  proc_error("CC5>CCDIMR: Computational failure.");
}

}  // namespace

void CCDIMR(std::int32_t L, std::span<const std::int32_t> keys, std::span<std::int32_t> refl,
            std::int32_t nkeys, std::span<float> a, std::int32_t mp) {
  analysis& s = state();
  const std::int32_t n = s.c.numvar;
  CC5_refl(keys, refl, nkeys, a, 1);
  float sum = 0.0f;
  for (std::int32_t j = 1; j <= nkeys; ++j) {
    for (std::int32_t i = 1; i <= nkeys; ++i) sum = sum + s.r(keys[at(i)], keys[at(j)]);
  }
  if (sum <= 0.0f) computational_failure(s, L);  // a NaN goes on
  const float root = std::sqrt(sum);
  for (std::int32_t i = 1; i <= n; ++i) {
    float t = 0.0f;
    for (std::int32_t m = 1; m <= nkeys; ++m) t = t + s.r(keys[at(m)], i);
    a[at(i)] = t / root;
  }
  float unused_rmsq = 0.0f;
  float unused_pexh = 0.0f;
  CC5_print2(L, nkeys, keys, a, refl, unused_rmsq, unused_pexh, mp, 3);
  const float k = static_cast<float>(nkeys);
  s.c.mean_key_r = sum / (k * k);
  CC5_refl(keys, refl, nkeys, a, 2);
}

}  // namespace korvex::cc5
