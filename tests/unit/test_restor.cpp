// Tests of the reactivation component RESTOR: the sleepers' coefficients against an
// independent least-squares reference (tests/reference/restor_reference.py), the return of
// correlations, names, coefficients and key lists to original order, the communality
// tables and DIAGV1, the inversion routine, and the refusals that must leave the selection
// in force untouched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../reference/restor_reference_values.inc"
#include "selection/restor_int.hpp"
#include "test_select_fixture.hpp"

namespace korvex::testing {
namespace {

// Coefficients of the active variables 1, 3, 4, 6 of the reference (restor_reference.py).
const std::vector<std::vector<float>> reference_active = {
    {0.70f, 0.20f}, {0.62f, 0.30f}, {0.30f, 0.65f}, {0.45f, 0.40f}};

class RestorRun : public SelectionTest {
 protected:
  // The six variables with 2 and 5 asleep (order 1, 3, 4, 6, 2, 5); the cards after the
  // sleeper list are for later runs of the test.
  void sleep_two(std::vector<std::string> later = {}) {
    put_analysis(six_correlations(), six_names);
    std::vector<std::string> cards = {"Reading, 5."};
    cards.insert(cards.end(), later.begin(), later.end());
    deck(cards);
    const Outcome o = run(&SLEEP);
    ASSERT_FALSE(o.stopped) << o.console;
  }
  static std::string tail_of(const std::string& line, std::size_t n) {
    return line.size() < n ? line : line.substr(line.size() - n);
  }
};

TEST_F(RestorRun, SleepersGetTheirLeastSquaresCoefficients) {
  sleep_two({"Memory."});
  put_factors(reference_active);
  put_lists("CLUST1", {{1, 2}, {4, 3}});
  put_lists("REFLX1", {{1, 2}, {-3, 4}});
  const Outcome o = run(&RESTOR);
  ASSERT_FALSE(o.stopped) << o.console;

  // Correlations come back moved, never recomputed.
  const Entry<float> c1 = square("CORRM1");
  EXPECT_EQ(std::vector<std::int32_t>(c1.kpar.begin(), c1.kpar.begin() + 3),
            (std::vector<std::int32_t>{2, 6, 250}));
  EXPECT_EQ(c1.values, six_correlations().a);

  Kpar kpar{};
  const std::vector<std::vector<float>> f = factors(&kpar);
  EXPECT_EQ(std::vector<std::int32_t>(kpar.begin(), kpar.begin() + 3),
            (std::vector<std::int32_t>{2, 6, 2}));
  ASSERT_EQ(f.size(), 6u);
  const std::vector<int> active = {1, 3, 4, 6};
  for (std::size_t a = 0; a < active.size(); ++a) {
    EXPECT_EQ(f[static_cast<std::size_t>(active[a] - 1)], reference_active[a]) << "active " << active[a];
  }
  for (int i = 0; i < 6; ++i) {
    for (int k = 0; k < 2; ++k) {
      EXPECT_NEAR(f[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)],
                  restor_reference::coefficients[i * 2 + k], 1e-5)
          << "variable " << i + 1 << " dimension " << k + 1;
    }
  }

  const Entry<float> d = reals("DIAGV1");
  EXPECT_EQ(std::vector<std::int32_t>(d.kpar.begin(), d.kpar.begin() + 3),
            (std::vector<std::int32_t>{2, 6, 1}));
  ASSERT_EQ(d.values.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(d.values[i], f[i][0] * f[i][0] + f[i][1] * f[i][1]) << "variable " << i + 1;
    EXPECT_NEAR(d.values[i], restor_reference::communalities[i], 1e-5) << "variable " << i + 1;
  }

  const Entry<std::string> vn = names();
  EXPECT_EQ(std::vector<std::int32_t>(vn.kpar.begin(), vn.kpar.begin() + 3),
            (std::vector<std::int32_t>{2, 6, 1}));
  std::vector<std::string> want_names(six_names.begin(), six_names.end());
  EXPECT_EQ(vn.values, want_names);
  EXPECT_EQ(lists("CLUST1"), (std::vector<std::vector<std::int32_t>>{{1, 3}, {6, 4}}));
  EXPECT_EQ(lists("REFLX1"), (std::vector<std::vector<std::int32_t>>{{1, 3}, {-4, 6}}));
  EXPECT_TRUE(square("CORRM2").found) << "CORRM2 and REORD1 stay, no longer announced";

  const std::vector<std::string> l = listing();
  const int head = find_line(l, "S U P P R E S S E D  V A R I A B L E  R E A C T I V A T I O N");
  ASSERT_GE(head, 0);
  EXPECT_GE(find_line(l, "R E S T O R E", head + 1), 0);
  EXPECT_GE(find_line(l, "SUMMARY OF ANALYSIS INCLUDING SLEEPER VARIABLES", head), 0);
  const int keys = find_line(l, "PIVOT VARIABLES (FIRST ROW)", head);
  ASSERT_GE(keys, 0);
  EXPECT_GE(find_line(l, "Cluster1", keys), 0);
  EXPECT_GE(find_line(l, "-4 Spatial", keys), 0) << "reflected key under its original number";
  struct Table {
    const char* title;
    const char* reading;   // the last two columns of the row of variable 2
    const char* rotation;  // of variable 5
  };
  int from = keys;
  for (const Table& t : {Table{"FACTOR COEFFICIENTS OF SLEEPER VARIABLES", "0.830    0.048", "0.026    0.724"},
                         Table{"PARTIAL COMMUNALITIES", "0.689    0.002", "0.001    0.524"},
                         Table{"CUMULATIVE COMMUNALITIES AND TOTAL COMMUNALITY", "0.689    0.691", "0.001    0.525"}}) {
    const int at = find_line(l, t.title, from);
    ASSERT_GE(at, 0) << t.title;
    const int r2 = find_line(l, "     2  Reading", at);
    const int r5 = find_line(l, "     5  Rotation", at);
    ASSERT_GE(r2, 0) << t.title;
    ASSERT_GE(r5, 0) << t.title;
    EXPECT_EQ(tail_of(trimmed(l, r2), 14), t.reading) << t.title;
    EXPECT_EQ(tail_of(trimmed(l, r5), 14), t.rotation) << t.title;
    EXPECT_EQ(r5, r2 + 1) << t.title;
    EXPECT_EQ(trimmed(l, r5 + 1), "") << "only the sleepers are in " << t.title;
    from = r5;
  }

  // The selection is undone: a second RESTOR is refused, a new suppression accepted.
  const Outcome again = run(&RESTOR);
  EXPECT_TRUE(again.stopped);
  EXPECT_NE(again.console.find("no variable selection is in force"), std::string::npos);
  EXPECT_FALSE(run(&SLEEP).stopped);
  EXPECT_EQ(ints("REORD1").values, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(RestorRun, OrthonormalCoefficientsAndNoKeyLists) {
  // F_a' F_a = I: the sleeper's coefficients are its correlations with the first two.
  Square r = tagged_correlations(5);
  auto set = [&](int i, int j, float v) {
    r.a[static_cast<std::size_t>((j - 1) * 5 + (i - 1))] = v;
    r.a[static_cast<std::size_t>((i - 1) * 5 + (j - 1))] = v;
  };
  set(5, 1, 0.6f);
  set(5, 2, 0.3f);
  put_analysis(r, var_names(5));
  deck({"5."});
  ASSERT_FALSE(run(&SLEEP).stopped);
  put_factors({{1.0f, 0.0f}, {0.0f, 1.0f}, {0.0f, 0.0f}, {0.0f, 0.0f}});
  const Outcome o = run(&RESTOR);
  ASSERT_FALSE(o.stopped) << o.console;
  const std::vector<std::vector<float>> f = factors();
  ASSERT_EQ(f.size(), 5u);
  EXPECT_EQ(f[4], (std::vector<float>{0.6f, 0.3f}));
  EXPECT_EQ(reals("DIAGV1").values[4], 0.6f * 0.6f + 0.3f * 0.3f);
  EXPECT_TRUE(lists("CLUST1").empty());
  EXPECT_TRUE(lists("REFLX1").empty());

  const std::vector<std::string> l = listing();
  EXPECT_EQ(find_line(l, "PIVOT VARIABLES"), -1);
  const int coef = find_line(l, "FACTOR COEFFICIENTS OF SLEEPER VARIABLES");
  ASSERT_GE(coef, 0);
  EXPECT_GE(find_line(l, "Factor1", coef), 0);
  const int partial = find_line(l, "PARTIAL COMMUNALITIES", coef);
  const int cumulative = find_line(l, "CUMULATIVE COMMUNALITIES", partial);
  ASSERT_GE(partial, 0);
  ASSERT_GE(cumulative, 0);
  EXPECT_EQ(tail_of(trimmed(l, find_line(l, "     5  Var5", coef)), 14), "0.600    0.300");
  EXPECT_EQ(tail_of(trimmed(l, find_line(l, "     5  Var5", partial)), 14), "0.360    0.090");
  EXPECT_EQ(tail_of(trimmed(l, find_line(l, "     5  Var5", cumulative)), 14), "0.360    0.450");
}

TEST_F(RestorRun, OneDimensionAndNoSleepers) {
  struct Case {
    const char* what;
    std::string card;  // SELECT's list
    std::vector<std::vector<float>> active;
  };
  const std::vector<Case> cases = {
      {"one dimension", "1, 3, 4, 6.", {{0.7f}, {0.6f}, {0.5f}, {0.4f}}},
      {"every variable active", "1,2,3,4,5,6.", {{0.7f, 0.1f}, {0.6f, 0.2f}, {0.5f, 0.3f}, {0.4f, 0.4f}, {0.3f, 0.5f}, {0.2f, 0.6f}}},
  };
  for (const Case& c : cases) {
    fresh_folder();
    const Square r = six_correlations();
    put_analysis(r, six_names);
    deck({c.card});
    ASSERT_FALSE(run(&SELECT).stopped) << c.what;
    put_factors(c.active);
    const Outcome o = run(&RESTOR);
    ASSERT_FALSE(o.stopped) << c.what << ": " << o.console;
    const std::vector<std::vector<float>> f = factors();
    ASSERT_EQ(f.size(), 6u) << c.what;
    const Entry<float> d = reals("DIAGV1");
    for (std::size_t i = 0; i < 6; ++i) {
      float h = 0.0f;
      for (const float x : f[i]) h += x * x;
      EXPECT_EQ(d.values[i], h) << c.what << " variable " << i + 1;
    }
    const std::vector<std::string> l = listing();
    if (c.active.size() == 6) {
      for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(f[i], c.active[i]) << c.what;
      const int head = find_line(l, "R E S T O R E");
      ASSERT_GE(head, 0);
      EXPECT_EQ(find_line(l, "Verbal", head), -1) << "the sleeper tables have no rows";
      continue;
    }
    // One dimension: b = sum_a r(a, s) f(a) / sum_a f(a)^2.
    const std::vector<int> act = {1, 3, 4, 6};
    double ff = 0.0;
    for (const auto& row : c.active) ff += static_cast<double>(row[0]) * row[0];
    for (const int s : {2, 5}) {
      double rf = 0.0;
      for (std::size_t a = 0; a < 4; ++a) rf += static_cast<double>(r(act[a], s)) * c.active[a][0];
      EXPECT_NEAR(f[static_cast<std::size_t>(s - 1)][0], rf / ff, 1e-6) << "sleeper " << s;
    }
    const int partial = find_line(l, "PARTIAL COMMUNALITIES");
    const int cumulative = find_line(l, "CUMULATIVE COMMUNALITIES", partial);
    ASSERT_GE(cumulative, 0);
    for (const char* row : {"     2  Reading", "     5  Rotation"}) {
      EXPECT_EQ(trimmed(l, find_line(l, row, partial)), trimmed(l, find_line(l, row, cumulative)));
    }
  }
}

TEST_F(RestorRun, RefusalsLeaveTheSelectionInForce) {
  struct Case {
    const char* what;
    std::vector<std::vector<float>> factors;  // empty: no UFACT1
    std::vector<std::vector<std::int32_t>> clusters;
    std::vector<std::vector<std::int32_t>> reflections;
    std::vector<std::int32_t> order;  // replaces REORD1 when given
    std::string message;
    int code;
  };
  const std::vector<std::vector<float>> good = reference_active;
  const std::vector<Case> cases = {
      {"UFACT1 of other variables", {{0.7f, 0.2f}, {0.6f, 0.3f}, {0.3f, 0.6f}, {0.4f, 0.4f}, {0.1f, 0.1f}},
       {}, {}, {}, "BAD IST INFORMATION: UFACT1 has 5 rows for 4 active variables; run CC5 before *RESTOR.",
       0},
      {"an order with a repeat", good, {}, {}, {1, 3, 4, 6, 2, 2},
       "BAD IST INFORMATION: REORD1 is not an order of the variables 1 to 6.", 0},
      {"a key list naming a sleeper", good, {{1, 5}, {3}}, {}, {},
       "BAD IST INFORMATION: CLUST1 list 1 holds 5, which is not one of the active variables 1 to 4.", 0},
      {"more reflection lists than dimensions", good, {}, {{1}, {2}, {3}}, {},
       "BAD IST INFORMATION: REFLX1 holds 3 lists but UFACT1 has 2 dimensions.", 0},
      {"a dimension without active coefficients", {{0.7f, 0.0f}, {0.6f, 0.0f}, {0.3f, 0.0f}, {0.4f, 0.0f}},
       {}, {}, {}, "F'F is singular", 0},
      {"two dimensions in one direction", {{0.7f, 1.4f}, {0.6f, 1.2f}, {0.3f, 0.6f}, {0.4f, 0.8f}},
       {}, {}, {}, "F'F is singular", 0},
      {"no UFACT1", {}, {}, {}, {}, "FILE UFACT1 COULD NOT BE LOCATED", 10007},
  };
  for (const Case& c : cases) {
    fresh_folder();
    sleep_two();
    if (!c.factors.empty()) put_factors(c.factors);
    if (!c.clusters.empty()) put_lists("CLUST1", c.clusters);
    if (!c.reflections.empty()) put_lists("REFLX1", c.reflections);
    if (!c.order.empty()) {
      Kpar kpar{3, 6, 1, 2};
      std::vector<std::int32_t> order = c.order;
      std::int32_t notfound = 0;
      isf_int_vector("REORD1", 1, kpar, notfound, order);
    }
    const Outcome o = run(&RESTOR);
    EXPECT_TRUE(o.stopped) << c.what;
    EXPECT_EQ(o.code, c.code) << c.what;
    const std::string text = o.console + [&] {
      std::string all;
      for (const std::string& s : listing()) all += s + "\n";
      return all;
    }();
    EXPECT_NE(text.find(c.message), std::string::npos) << c.what << ": " << o.console;
    EXPECT_EQ(names().kpar[0], 3) << c.what;
    EXPECT_EQ(square("CORRM1").kpar[1], 4) << c.what;
    EXPECT_FALSE(reals("DIAGV1").found) << c.what;
    if (!c.factors.empty()) {
      EXPECT_EQ(factors().size(), c.factors.size()) << c.what;
    }
  }
}

TEST_F(RestorRun, MoreDimensionsThanActiveVariablesAreRefused) {
  put_analysis(six_correlations(), six_names);
  deck({"2, 4."});
  ASSERT_FALSE(run(&SELECT).stopped);
  put_factors({{0.7f, 0.2f, 0.1f}, {0.6f, 0.3f, 0.2f}});
  const Outcome o = run(&RESTOR);
  EXPECT_TRUE(o.stopped);
  EXPECT_NE(o.console.find("RESTOR: 2 active variables cannot carry 3 dimensions"), std::string::npos)
      << o.console;
  EXPECT_EQ(names().kpar[0], 3);
}

TEST_F(RestorRun, RefusedWithoutASelection) {
  put_analysis(six_correlations(), six_names);
  put_factors(reference_active);
  const Outcome o = run(&RESTOR);
  EXPECT_TRUE(o.stopped);
  EXPECT_NE(o.console.find("RESTOR: no variable selection is in force (*SELECT or *SLEEP first)."),
            std::string::npos)
      << o.console;
  EXPECT_EQ(square("CORRM1").kpar[1], 6);
  EXPECT_EQ(factors().size(), 4u);
}

TEST(RestorInvert, FullPivotingGaussJordan) {
  std::vector<float> w(static_cast<std::size_t>(restor::ldw) * restor::ldw, 0.0f);
  auto el = [&](int i, int j) -> float& { return w[static_cast<std::size_t>((j - 1) * restor::ldw + (i - 1))]; };
  // The first of the two largest entries, W(1,2), is the first pivot; rows are exchanged.
  el(1, 1) = 1.0f;
  el(1, 2) = 2.0f;
  el(2, 1) = 2.0f;
  el(2, 2) = 1.0f;
  ASSERT_TRUE(restor::restor_invert(w, 2));
  EXPECT_NEAR(el(1, 1), -1.0f / 3.0f, 1e-7);
  EXPECT_NEAR(el(1, 2), 2.0f / 3.0f, 1e-7);
  EXPECT_NEAR(el(2, 1), 2.0f / 3.0f, 1e-7);
  EXPECT_NEAR(el(2, 2), -1.0f / 3.0f, 1e-7);

  // A non-symmetric 3 x 3 whose inverse is known exactly.
  const float a[3][3] = {{2, 0, 1}, {1, 1, 0}, {0, 3, 1}};
  const float inv[3][3] = {{0.2f, 0.6f, -0.2f}, {-0.2f, 0.4f, 0.2f}, {0.6f, -1.2f, 0.4f}};
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) el(i, j) = a[i - 1][j - 1];
  }
  ASSERT_TRUE(restor::restor_invert(w, 3));
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) EXPECT_NEAR(el(i, j), inv[i - 1][j - 1], 1e-6) << i << "," << j;
  }

  // No pivot left: a zero row, or a pivot no larger than the caller's floor.
  for (int i = 1; i <= 2; ++i) {
    for (int j = 1; j <= 2; ++j) el(i, j) = i == 2 ? 0.0f : 1.0f;
  }
  EXPECT_FALSE(restor::restor_invert(w, 2));
  el(1, 1) = 1.0f;
  el(1, 2) = 0.0f;
  el(2, 1) = 0.0f;
  el(2, 2) = 1e-9f;
  EXPECT_FALSE(restor::restor_invert(w, 2, 1e-7f));
}

}  // namespace
}  // namespace korvex::testing
