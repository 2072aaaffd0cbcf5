// DVP's estimates against values computed independently in double precision with numpy
// (tests/reference/dvp_reference.py and dvp_reference_values.txt): the direct estimates,
// squared multiple correlations and approximation B on a 6 x 6 matrix, the proportional
// fit and the quadratic formula on a 12 x 12 matrix, each through a whole *DVP run.
#include <string>
#include <vector>

#include "test_dvp_fixture.hpp"

namespace korvex {
namespace {

using testing::Corr;
using testing::DvpRun;

// Two- and three-factor models, correlations rounded to three decimals (lower triangles by
// columns, as the reference script prints them).
Corr r6() {
  return Corr::from_lower(6, {0.611f, 0.548f, 0.235f, 0.146f, 0.332f, 0.525f, 0.300f, 0.205f, 0.353f, 0.343f,
                              0.246f, 0.360f, 0.468f, 0.409f, 0.317f});
}

Corr r12() {
  return Corr::from_lower(
      12, {0.636f, 0.555f, 0.516f, 0.193f, 0.146f, 0.274f, 0.329f, 0.087f, 0.200f, 0.240f, 0.377f,
           0.524f, 0.510f, 0.275f, 0.230f, 0.318f, 0.384f, 0.159f, 0.249f, 0.297f, 0.398f,
           0.411f, 0.133f, 0.125f, 0.187f, 0.299f, 0.214f, 0.293f, 0.290f, 0.382f,
           0.345f, 0.289f, 0.350f, 0.383f, 0.139f, 0.202f, 0.272f, 0.334f,
           0.589f, 0.518f, 0.504f, 0.239f, 0.204f, 0.340f, 0.256f,
           0.443f, 0.470f, 0.306f, 0.261f, 0.362f, 0.266f,
           0.409f, 0.126f, 0.130f, 0.249f, 0.224f,
           0.355f, 0.347f, 0.417f, 0.373f,
           0.552f, 0.495f, 0.387f,
           0.467f, 0.404f,
           0.399f});
}

class DvpReference : public DvpRun {};

TEST_F(DvpReference, DirectEstimatesSmcAndApproximationB) {
  struct Case {
    std::string method;  // columns 1-4; "" is the blank card (41)
    std::string title;
    std::vector<float> want;
    float tol;
  };
  const std::vector<Case> cases = {
      {"", "Communality Estimates by Modified Approximation B (Highest Absolute R in Diagonal)",
       {0.596137f, 0.596542f, 0.534023f, 0.500643f, 0.387537f, 0.389464f}, 1e-5f},
      {"40", "Communality Estimates by Approximation B (Excluding Diagonal}",
       {0.581273f, 0.582083f, 0.520046f, 0.533286f, 0.307074f, 0.369927f}, 1e-5f},
      {"10", "Communality Estimates by Squared Multiple Correlations",
       {0.451030f, 0.443034f, 0.399491f, 0.324230f, 0.242811f, 0.264972f}, 1e-4f},
      {"50", "Communality Estimates by Highest Absolute R",
       {0.611000f, 0.611000f, 0.548000f, 0.468000f, 0.468000f, 0.409000f}, 1e-6f},
      {"51", "Communality Estimates by Average Absolute R",
       {0.374400f, 0.398800f, 0.404400f, 0.351000f, 0.276400f, 0.354200f}, 1e-5f},
      {"52", "Communiality Estimates by Triads",
       {0.637768f, 0.585356f, 0.470867f, 0.603823f, 0.362729f, 0.429271f}, 1e-5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("method '" + c.method + "'");
    fresh_process();
    put_inputs(r6());
    ASSERT_FALSE(run({card({c.method})}).stopped);
    expect_near(diagv1(), c.want, c.tol);
    const std::vector<std::string> lines = listing();
    EXPECT_EQ(count_lines(lines, " " + c.title), 1);
  }
}

TEST_F(DvpReference, ProportionalFitOneSweepAndItsReferenceListing) {
  put_inputs(r12());
  // npfit 1 (columns 37-40), nref blank (10, so 9 and then (12 - 1) / 2 = 5 references).
  ASSERT_FALSE(run({card({"60", "", "", "", "", "", "", "", "", "1"})}).stopped);
  expect_near(diagv1(),
              {0.664857f, 0.624793f, 0.485117f, 0.441524f, 0.634703f, 0.517590f, 0.442168f, 0.475298f,
               0.590403f, 0.532965f, 0.455674f, 0.394689f},
              1e-4f);

  // Each column lists a variable's references 2..6 (the variable itself is not shown);
  // names of 5 characters give (118 - 4) / 10 = 11 variables to a strip.
  const std::vector<std::string> lines = listing();
  const int title = find_line(lines, " Reference Variables for Computing the Communality of Each Variable");
  ASSERT_GE(title, 0);
  const std::vector<std::string> want = {
      "             1         2         3         4         5         6         7         8         9        10        11",
      "         VAR01     VAR02     VAR03     VAR04     VAR05     VAR06     VAR07     VAR08     VAR09     VAR10     VAR11",
      " ",
      "   1   2 VAR02   1 VAR01   2 VAR02   2 VAR02   6 VAR06   5 VAR05   5 VAR05  11 VAR11  10 VAR10   9 VAR09  10 VAR10",
      "   2   3 VAR03   4 VAR04   1 VAR01   1 VAR01   7 VAR07   8 VAR08   6 VAR06   6 VAR06  11 VAR11  11 VAR11  12 VAR12",
      "   3   4 VAR04   3 VAR03   4 VAR04   3 VAR03   8 VAR08   7 VAR07   8 VAR08   5 VAR05  12 VAR12  12 VAR12   9 VAR09",
      "   4  12 VAR12  12 VAR12  12 VAR12  12 VAR12  11 VAR11  11 VAR11   4 VAR04  12 VAR12   8 VAR08   8 VAR08   8 VAR08",
      "   5   8 VAR08   8 VAR08   8 VAR08   8 VAR08   4 VAR04  12 VAR12   2 VAR02   7 VAR07   6 VAR06   3 VAR03   6 VAR06",
      " ",
      "            12",
      "         VAR12",
      " ",
      "   1  11 VAR11",
      "   2   8 VAR08",
      "   3  10 VAR10",
      "   4   3 VAR03",
      "   5   2 VAR02",
  };
  ASSERT_GE(lines.size(), static_cast<std::size_t>(title + 3) + want.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin() + title + 3, lines.begin() + title + 3 + static_cast<int>(want.size())),
            want);
}

TEST_F(DvpReference, ProportionalFitFourSweeps) {
  put_inputs(r12());
  ASSERT_FALSE(run({card({"60"})}).stopped);
  // Small differences of single precision grow a little from sweep to sweep.
  expect_near(diagv1(),
              {0.686329f, 0.608933f, 0.494102f, 0.453680f, 0.664212f, 0.540344f, 0.436375f, 0.489429f,
               0.615572f, 0.521169f, 0.463101f, 0.399685f},
              1e-3f);
}

TEST_F(DvpReference, QuadraticFormulaConvergedAndFixedSweeps) {
  put_inputs(r12());
  // Method 30 starts from the highest absolute r and converges in 3 sweeps at tol 0.05.
  ASSERT_FALSE(run({card({"30"})}).stopped);
  expect_near(diagv1(),
              {0.669974f, 0.623371f, 0.495928f, 0.464145f, 0.653047f, 0.582195f, 0.465927f, 0.514580f,
               0.618394f, 0.543321f, 0.456162f, 0.406464f},
              1e-4f);
  EXPECT_EQ(count_lines(listing(), "ITERATIONS THE PROGRAM IS PROCEEDING"), 0);

  // Tolerance 0 never converges: exactly maxit = 5 sweeps.
  ASSERT_FALSE(run({card({"30", "", "", "", "", "0.00", "", "5"})}).stopped);
  expect_near(diagv1(),
              {0.694126f, 0.612049f, 0.508902f, 0.452271f, 0.657212f, 0.528573f, 0.474325f, 0.485906f,
               0.624760f, 0.524415f, 0.462119f, 0.400601f},
              1e-4f);
  EXPECT_EQ(count_lines(listing(), " AFTER  5 ITERATIONS THE PROGRAM IS PROCEEDING, ALTHOUGH THE FOLLOWING ARE NOT"), 1);
}

}  // namespace
}  // namespace korvex
