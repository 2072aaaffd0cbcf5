// Correlations at scale: data far from a whole number with a tiny spread (4000 +- 0.05,
// -250 +- 0.02, 99.97 +- 0.01, 1e6 +- 1, 0.5 +- 0.001), where the single-precision rounding
// of a mean is large against the spread, and spreads of a few units in the last place of the
// values beside a mean's fraction (0.7 +- 1e-6, 0.5 +- 1e-7, ...), where moments about a
// whole number would be some 10^12 times the variance. Every path of COR2 and COR3 must give the data's own
// statistics to the precision of their double totals; the references are numpy's
// (tests/reference/cor_scale.py), the data drawn here from the same integer generator.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "../reference/cor_scale_values.inc"
#include "data_entry/correlation.hpp"
#include "test_cor_fixture.hpp"

namespace korvex::testing {
namespace {

using cor_scale::nsub;
using cor_scale::nv;
using cor_scale::scale_case;

// The case's data as the reference script draws them: variable k+1 is 0.7 times variable k
// plus 0.7 times fresh noise, each value rounded once to single precision; with missing
// values, each one missing with the reference's probability (a second generator decides).
cor_data draw(const scale_case& c, bool missing) {
  reference_lcg g{c.seed};
  reference_lcg h{c.seed + 1000};
  cor_data d;
  d.nv = nv;
  d.nsub = nsub;
  d.title = std::string("SCALE ") + c.name;
  d.values.resize(static_cast<std::size_t>(nv) * nsub);
  for (std::size_t s = 0; s < static_cast<std::size_t>(nsub); ++s) {
    double z = g.normal();
    for (std::size_t k = 0; k < static_cast<std::size_t>(nv); ++k) {
      if (k > 0) z = 0.7 * z + 0.7 * g.normal();
      d.values[s * nv + k] = static_cast<float>(c.level + c.spread * z);
    }
  }
  if (missing) {
    d.nomiss = 0;
    for (float& v : d.values) {
      if (h.uniform() < cor_scale::missing_share) v = std::nanf("");
    }
  }
  return d;
}

// The roads to a correlation matrix.
enum class road { cor2, cor3_complete, cor3_inserted, cor3_matched, cor3_matched_foreign };

const char* road_name(road r) {
  switch (r) {
    case road::cor2: return "cor2";
    case road::cor3_complete: return "cor3_complete";
    case road::cor3_inserted: return "cor3_inserted";
    case road::cor3_matched: return "cor3_matched";
    case road::cor3_matched_foreign: return "cor3_matched_foreign";
  }
  return "";
}

}  // namespace
}  // namespace korvex::testing

namespace cor_scale {
// Names the case in a failure message rather than its bytes.
inline void PrintTo(const scale_case& c, std::ostream* os) { *os << c.name; }
}  // namespace cor_scale

namespace korvex::testing {
namespace {

class CorScale : public CorRun,
                 public ::testing::WithParamInterface<std::tuple<scale_case, road>> {
 public:
  // Every strict-lower element of CORRM1 against a reference (row by row, symmetric).
  void expect_correlations(const double* want) {
    Kpar kpar{};
    const std::vector<float> a = read_square("CORRM1", kpar);
    ASSERT_EQ(kpar[1], nv);
    EXPECT_EQ(kpar[2], nsub);
    for (std::int32_t j = 1; j <= nv; ++j) {
      for (std::int32_t k = j + 1; k <= nv; ++k) {
        EXPECT_NEAR(el(a, k, j), want[(k - 1) * nv + (j - 1)], 1e-7) << "r(" << k << "," << j << ")";
      }
    }
  }
};

TEST_P(CorScale, CorrelationsAreTheDatasOwn) {
  const auto& [c, how] = GetParam();
  // Columns 37-40 ask for inserted means, 57-60 save the covariances.
  std::string card(80, ' ');
  switch (how) {
    case road::cor2: {
      write_all(draw(c, false));
      COR2();
      expect_correlations(c.r);
      Kpar kpar{};
      const std::vector<float> sd = read_vector("STDEV1", kpar);
      for (std::size_t j = 0; j < static_cast<std::size_t>(nv); ++j) {
        EXPECT_NEAR(sd[j], c.sd[j], 1e-6 * c.sd[j]) << "sd " << j + 1;
      }
      return;
    }
    case road::cor3_complete: {
      write_all(draw(c, false));
      card[59] = '1';
      write_file("MONIN", card + "\n");
      COR3();
      expect_correlations(c.r);
      Kpar kpar{};
      const std::vector<float> cov = read_square("COVAR1", kpar, 0.0f);
      for (std::int32_t j = 1; j <= nv; ++j) {
        for (std::int32_t k = j + 1; k <= nv; ++k) {
          const double scale = c.sd[j - 1] * c.sd[k - 1];
          EXPECT_NEAR(el(cov, k, j), c.cov[(k - 1) * nv + (j - 1)], 1e-6 * scale)
              << "cov(" << k << "," << j << ")";
        }
      }
      return;
    }
    case road::cor3_inserted:
      write_all(draw(c, true));
      card[39] = '1';
      write_file("MONIN", card + "\n");
      COR3();
      expect_correlations(c.inserted_r);
      return;
    case road::cor3_matched:
      write_all(draw(c, true));
      write_file("MONIN", card + "\n");
      COR3();
      expect_correlations(c.pairwise_r);
      return;
    case road::cor3_matched_foreign: {
      // MEANS1 of other data, far from these: the matched statistics do not use it, and its
      // shift must not cost them their precision.
      const cor_data d = draw(c, true);
      write_dsf(d);
      cor_data other = d;
      for (float& v : other.values) v = v * 3.0f + 1000.0f;
      write_isf(other);
      write_file("MONIN", card + "\n");
      COR3();
      expect_correlations(c.pairwise_r);
      return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scales, CorScale,
    ::testing::Combine(::testing::ValuesIn(cor_scale::cases),
                       ::testing::Values(road::cor2, road::cor3_complete, road::cor3_inserted,
                                         road::cor3_matched, road::cor3_matched_foreign)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + "_" +
             road_name(std::get<1>(info.param));
    });

}  // namespace
}  // namespace korvex::testing
