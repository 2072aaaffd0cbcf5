// The *OTYPE parameter card and the object input: echo and bounds, the score inputs with
// their names, missing scores, derived bounds, and the object scratch file.
#include <cmath>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "io/record_file.hpp"
#include "test_otype_fixture.hpp"

namespace korvex::testing {
namespace {

using otype::state;

class OtypeInput : public OtypeRun {};

// The echo line of a card on which every field but INMETH 3 is blank.
TEST_F(OtypeInput, BlankFieldsTakeTheirDefaultsAndAreEchoed) {
  // Method 3 without a data storage file stops after the echo.
  const RunResult r = run({card({{2, "   3"}})});
  EXPECT_TRUE(r.stopped);
  const std::string out = listing();
  EXPECT_NE(out.find("O  T  Y  P  E"), std::string::npos);
  EXPECT_NE(out.find("T Y P O L O G Y   O F   O B J E C T S"), std::string::npos);
  EXPECT_NE(out.find(" KINPUT INMETH  KHIER  KPART NPARTS  KCRIT KOTYPE  KITER  NITER   KMEM  "
                     "KSTAT KPUNCH UNIQUE CONDEN  KOHOM KOTOUT    AMIS"),
            std::string::npos);
  EXPECT_NE(out.find(" KOTOUT    AMIS\n\n      0      3      2      1      2      0      0      1"
                     "     20      2      2      2   1.00   0.50      3      1 -999.00\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(state().c.kohom, 3);
  EXPECT_EQ(state().c.amis, -999.0f);
}

// Fields out of bounds (and input method 2, which names no input) stop after the echo.
TEST_F(OtypeInput, OutOfBoundsFieldsStopAfterTheEcho) {
  const std::vector<std::vector<std::pair<int, std::string>>> cards = {
      {{1, "   3"}}, {{5, "  10"}}, {{9, " 101"}}, {{2, "   2"}}, {{15, "   5"}}, {{8, "   2"}}};
  for (const auto& fields : cards) {
    reset_otype();
    const RunResult r = run({card(fields)});
    EXPECT_TRUE(r.stopped);
    EXPECT_NE(r.console.find("PARAMETER OUT OF BOUNDS"), std::string::npos) << fields[0].second;
  }
  const std::string out = listing();
  EXPECT_NE(out.find("      3      1      2      1      2      0"), std::string::npos);
  EXPECT_NE(out.find("      0      1      2      1     10      0"), std::string::npos);
}

TEST_F(OtypeInput, RealFieldsHaveFourImpliedDecimals) {
  run({card({{2, "   3"}, {13, "   2"}, {14, "2.0 "}})});
  EXPECT_FLOAT_EQ(state().c.unique, 0.0002f);
  EXPECT_FLOAT_EQ(state().c.conden, 2.0f);
}

TEST_F(OtypeInput, NoTitleGivesAnEmptyTitleLine) {
  run({card({{2, "   3"}})});
  const std::vector<std::string> lines = file_lines("MONOUT");
  std::size_t at = 0;
  while (at < lines.size() && lines[at].find("E U C L I D E A N") == std::string::npos) ++at;
  ASSERT_LT(at + 12, lines.size());
  for (std::size_t k = at + 1; k <= at + 12; ++k) EXPECT_EQ(lines[k].find_first_not_of(' '), std::string::npos) << k;
}

// Scores of method 1: names from ONAMS1, missing scores reported, derived bounds.
TEST_F(OtypeInput, ScoresWithNamesAndMissingValues) {
  std::vector<std::vector<float>> scores;
  std::vector<std::string> names;
  for (int i = 1; i <= 120; ++i) {
    scores.push_back({static_cast<float>(i % 7) - 3.0f, static_cast<float>(i % 5) - 2.0f});
    names.push_back("SUBJ" + std::to_string(i));
  }
  scores[2] = {-999.0f, -999.0f};
  put_scores(scores, {3.0f, 4.0f}, 0.0f, names);
  const RunResult r = run({card({{8, "   0"}})});
  EXPECT_FALSE(r.stopped) << r.console;
  EXPECT_NE(listing().find("0SUBJECT SUBJ3                ORD POS.    3, CONTAINS  2 MISSING SCORES."),
            std::string::npos);
  EXPECT_FLOAT_EQ(state().c.totsd, 5.0f);
  EXPECT_FLOAT_EQ(state().c.bstdev, 5.0f);
  EXPECT_FLOAT_EQ(state().c.conddv, 2.5f);
  EXPECT_EQ(state().c.kcrit, 2);
  EXPECT_EQ(state().c.nsub, 120);
  EXPECT_EQ(state().dim_names[0].substr(0, 6), "CLUS1 ");
}

TEST_F(OtypeInput, DefaultKcritFollowsTheObjectCount) {
  std::vector<std::vector<float>> scores(500, std::vector<float>{0.5f});
  put_scores(scores, {1.0f});
  run({card({{8, "   0"}})});
  EXPECT_EQ(state().c.kcrit, 10);
  EXPECT_EQ(state().c.nsub, 500);
}

// Without ONAMS1 the objects are unnamed and counted from the score entry.
TEST_F(OtypeInput, ScoresWithoutNames) {
  std::vector<std::vector<float>> scores(12, std::vector<float>(12, 0.0f));
  scores[4][0] = -999.0f;
  put_scores(scores, std::vector<float>(12, 1.0f));
  const RunResult r = run({card({{8, "   0"}})});
  EXPECT_FALSE(r.stopped) << r.console;
  EXPECT_NE(listing().find("0SUBJECT                      ORD POS.    5, CONTAINS  1 MISSING SCORES."),
            std::string::npos);
  EXPECT_EQ(state().dim_names[0].substr(0, 6), "CLUS01");
  EXPECT_EQ(state().dim_names[11].substr(0, 6), "CLUS12");
}

// The counts of FSCOR1 must agree with STDEV2 and ONAMS1.
TEST_F(OtypeInput, DisagreeingCountsStop) {
  put_scores({{1.0f, 2.0f, 3.0f}}, {1.0f, 1.0f, 1.0f}, 0.0f, {"A"});
  std::vector<float> sd = {1.0f, 1.0f};
  Kpar ks{1, 2};
  std::int32_t notfound = 0;
  isf_real_vector("STDEV2", 1, ks, notfound, sd);
  RunResult r = run({card({{8, "   0"}})});
  EXPECT_NE(r.console.find("FSCOR1 FILE AND STDEV2 FILE CONTAIN DIFFERENT NUMBER OF FACTORS."), std::string::npos);
}

// Object typing squares differences in single precision and looks for the nearest O-type
// below 1.0e38: the input step refuses objects so far apart that a squared distance among
// them could reach that, naming the widest dimension, and a variance whose square passes the
// float range (TOTSD). Just below the limit the input goes through with every figure finite.
// At the small end it refuses a dimension whose span among the objects squares to less than
// 1.0e-24 (a single-precision step of it would square to a subnormal number), naming the
// narrowest, and a deviation whose square falls below the normal floats; a dimension on which
// the objects agree adds nothing to a distance and goes through. Two groups at +-3E-21 down to
// +-3E-25 stop so. An object with a missing value takes no part, nor in the spans. The objects
// here are the variable scores of method 4 (DSCOR1, MEANS1, STDEV1), which may lie anywhere in
// the range.
TEST_F(OtypeInput, SpansTooWideOrNarrowToSquareStopTheInput) {
  const float amis = -999.0f;
  const auto groups = [](float unit) {  // two groups at +-3 units
    return std::vector<std::vector<float>>{{3.1f * unit}, {2.9f * unit}, {-3.0f * unit}, {-2.8f * unit}};
  };
  const char* const narrow = "DIMENSION 1 (CLUS1) SPANS 6.100E%s AMONG THE OBJECTS";
  const char* const narrow_square =
      "SQUARED DISTANCES ALONG IT REACH ONLY 3.721E%s; OTYPE NEEDS 1.0E-24: RESCALE IT";
  const auto line = [](const char* layout, const char* exponent) {
    std::string text = layout;
    text.replace(text.find("%s"), 2, exponent);
    return text;
  };
  const struct {
    std::vector<std::vector<float>> objects;
    std::vector<float> sd;
    std::string first;  // the stop's two lines; none when the input goes through
    std::string second;
  } cases[] = {
      {{{1.0e20f}, {0.5f}}, {1.0f}, "DIMENSION 1 (CLUS1) SPANS 1.000E+20 AMONG THE OBJECTS",
       "SQUARED DISTANCES CAN REACH 1.000E+40; OTYPE NEEDS THEM BELOW 1E+38: RESCALE IT"},
      // 6e18, 7e18 and 6e18: no span alone, but their squares together reach 1.21e38
      {{{0.0f, 0.0f, 0.0f}, {6.0e18f, -7.0e18f, 6.0e18f}}, {1.0f, 1.0f, 1.0f},
       "DIMENSION 2 (CLUS2) SPANS 7.000E+18 AMONG THE OBJECTS",
       "SQUARED DISTANCES CAN REACH 1.210E+38; OTYPE NEEDS THEM BELOW 1E+38: RESCALE IT"},
      {{{0.0f}, {9.9e18f}}, {4.0e18f}, "", ""},
      {{{0.0f, 0.0f}, {1.0e30f, amis}, {1.0f, 1.0f}}, {1.0f, 1.0f}, "", ""},
      {{{0.0f}, {1.0f}}, {3.0e19f}, "DIMENSION 1 (CLUS1) HAS A STANDARD DEVIATION OF 3.000E+19",
       "ITS SQUARE PASSES THE SINGLE-PRECISION RANGE OF OTYPE'S SUMS: RESCALE IT"},
      // The small end: just above and just below a squared span of 1.0e-24.
      {{{0.0f}, {1.1e-12f}}, {1.0e-12f}, "", ""},
      {{{0.0f}, {0.9e-12f}}, {1.0e-12f}, "DIMENSION 1 (CLUS1) SPANS 9.000E-13 AMONG THE OBJECTS",
       "SQUARED DISTANCES ALONG IT REACH ONLY 8.100E-25; OTYPE NEEDS 1.0E-24: RESCALE IT"},
      {groups(1.0e-12f), {3.0e-12f}, "", ""},
      {groups(1.0e-21f), {3.0e-21f}, line(narrow, "-21"), line(narrow_square, "-41")},
      {groups(1.0e-22f), {3.0e-22f}, line(narrow, "-22"), line(narrow_square, "-43")},
      {groups(1.0e-23f), {3.0e-23f}, line(narrow, "-23"), line(narrow_square, "-45")},
      {groups(1.0e-25f), {3.0e-25f}, line(narrow, "-25"), line(narrow_square, "-49")},
      // A variable in a tiny unit beside ordinary ones: the narrowest of them is named.
      {{{1.0f, 0.0f, 0.0f}, {2.0f, 1.0e-15f, 1.0e-20f}}, {1.0f, 1.0f, 1.0f},
       "DIMENSION 3 (CLUS3) SPANS 1.000E-20 AMONG THE OBJECTS",
       "SQUARED DISTANCES ALONG IT REACH ONLY 1.000E-40; OTYPE NEEDS 1.0E-24: RESCALE IT"},
      // The objects agree on the second dimension.
      {{{1.0f, 5.0e-30f}, {2.0f, 5.0e-30f}}, {1.0f, 1.0f}, "", ""},
      // A deviation whose square is just a normal float, and one whose square is not.
      {{{0.0f}, {1.0f}}, {1.1e-19f}, "", ""},
      {{{0.0f}, {1.0f}}, {1.0e-20f}, "DIMENSION 1 (CLUS1) HAS A STANDARD DEVIATION OF 1.000E-20",
       "ITS SQUARE FALLS BELOW THE SINGLE-PRECISION RANGE OF OTYPE'S SUMS: RESCALE IT"},
  };
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    reset_otype();
    isf_init();
    put_variable_scores(c.objects, c.sd);
    bind_method1_units();
    state().c.inmeth = 4;
    const std::size_t before = listing().size();
    const RunResult r = run_with_cards([] { otype::OTINPT(); }, {});
    if (c.first.empty()) {
      EXPECT_FALSE(r.stopped) << "case " << k << r.console;
      EXPECT_TRUE(std::isfinite(state().c.totsd)) << "case " << k;
      EXPECT_GT(state().c.totsd, 0.0f) << "case " << k;
      continue;
    }
    // The listing holds each line whole (the console cuts them at 80 characters).
    EXPECT_TRUE(r.stopped) << "case " << k;
    const std::string out = listing().substr(before);
    EXPECT_NE(out.find(" " + c.first + "\n " + c.second + "\n"), std::string::npos)
        << "case " << k << out;
  }
}

// Name blocks of 100, 100 and 50 names; a second pass reads back every object of the first
// in order, with the type field the first pass gave it.
TEST_F(OtypeInput, ScratchFileHoldsBlocksOfOneHundred) {
  std::vector<std::vector<float>> scores;
  std::vector<std::string> names;
  for (int i = 1; i <= 250; ++i) {
    scores.push_back({static_cast<float>(i)});
    names.push_back("N" + std::to_string(i));
  }
  put_scores(scores, {1.0f}, 0.0f, names);
  bind_method1_units();
  auto& s = state();
  otype::OTINPT();
  auto record_sizes = [](std::int32_t unit) {
    std::vector<std::int32_t> sizes;
    io::SequentialFile& f = sequential_file(unit);
    f.rewind();
    std::vector<std::byte> rec;
    while (f.read(rec) == 0) sizes.push_back(io::RecordReader(rec).i32());
    f.rewind();
    return sizes;
  };
  EXPECT_EQ(record_sizes(s.c.mtsc1), (std::vector<std::int32_t>{100, 100, 50}));
  s.lookup_mode = 2;  // a lookup that leaves the type fields as stored
  for (int pass = 1; pass <= 2; ++pass) {
    otype::OTSCRF(1);
    std::int32_t count = 0;
    for (;;) {
      otype::OTNEXT();
      if (s.cur.more == 0) break;
      ++count;
      EXPECT_EQ(s.cur.profile[0], static_cast<float>(count));
      EXPECT_EQ(s.cur.name.substr(0, s.cur.name.find_last_not_of(' ') + 1), "N" + std::to_string(count));
      EXPECT_EQ(s.cur.ordinal, count);
      if (pass == 2) {
        EXPECT_EQ(s.cur.type, count % 3);
      }
      s.cur.type = count % 3;
      otype::OTSCRF(2);
    }
    otype::OTSCRF(3);
    EXPECT_EQ(count, 250);
    EXPECT_EQ(s.c.nsub, 250);
  }
  EXPECT_EQ(s.c.inmeth, 2);
}

// Mode-0 lookup by bisection over the sector numbers of the O-types; mode 1 renumbers.
TEST_F(OtypeInput, TypeLookup) {
  auto& s = state();
  s.c.ntypes = 3;
  s.lookup_mode = 0;
  s.lookup[0] = 3;
  s.lookup[1] = 8;
  s.lookup[2] = 15;
  const std::vector<std::pair<int, int>> cases = {{3, 1}, {8, 2}, {15, 3}, {9, 0}, {1, 0}, {16, 0}};
  for (const auto& [key, want] : cases) {
    s.cur.missing = 0;
    s.cur.type = key;
    otype::OTFIND();
    EXPECT_EQ(s.cur.type, want) << key;
  }
  s.cur.type = 8;
  s.cur.missing = 1;
  otype::OTFIND();
  EXPECT_EQ(s.cur.type, 0);
  s.lookup_mode = 1;
  s.lookup[1] = 7;
  s.cur.missing = 0;
  s.cur.type = 2;
  otype::OTFIND();
  EXPECT_EQ(s.cur.type, 7);
}

}  // namespace
}  // namespace korvex::testing
