// The scatterplot input: the control card and its stops, the pair cards (pairs, caret line,
// entry rules), the subject limits, and the composite scores with the missing-score code.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data_entry/data_entry.hpp"
#include "io/fixed_text.hpp"
#include "test_rscat_fixture.hpp"

namespace korvex::testing {
namespace {

using rscat::rscat_control;

class RscatInput : public RscatRun {
 protected:
  // n subjects of nf composites with some spread.
  static void put_spread(int nf, int n) {
    std::vector<std::vector<float>> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      for (int f = 0; f < nf; ++f) {
        s[static_cast<std::size_t>(i)].push_back(static_cast<float>((i * (f + 3)) % 17) + 0.5f * f);
      }
    }
    put_scores(s);
  }
  // The pairs of the last run as (X, Y) positions.
  static std::vector<std::pair<int, int>> pairs() {
    std::vector<std::pair<int, int>> p;
    for (int l = 0; l < rscat_control().NPAIRS; ++l) {
      p.emplace_back(rscat_control().PAIRS[static_cast<std::size_t>(l)][0],
                     rscat_control().PAIRS[static_cast<std::size_t>(l)][1]);
    }
    return p;
  }
  static std::vector<std::string> labels() {
    std::vector<std::string> v;
    for (const std::string& l : rscat_control().VLABEL) v.push_back(std::string(io::trim_right(l)));
    return v;
  }
};

TEST_F(RscatInput, BlankCardTakesEveryDefault) {
  put_spread(3, 20);
  const RunResult r = rscat({nsin_card(20, -1, -1)});
  ASSERT_FALSE(r.stopped) << r.console;
  const auto& c = rscat_control();
  EXPECT_EQ(c.SELECT, 1);
  EXPECT_EQ(c.DATA, 1);
  EXPECT_EQ(c.SLICE, 12);
  EXPECT_EQ(c.MISS, 1);
  EXPECT_EQ(labels(), (std::vector<std::string>{"C1", "C2", "C3"}));
  const auto out = listing();
  EXPECT_GE(find(out, " SELECT      1- 4   "), 0);
  EXPECT_GE(find(out, "   MISS     29-31   "), 0);
  EXPECT_GE(find(out, "Input data for"), 0);  // NOLIST 0 lists the data
  EXPECT_EQ(count(out, "PRODUCT MOMENT CORRELATION ="), 3);
  EXPECT_EQ(count(out, "SPOTTER   BY ORDINAL NUMBER"), 3);
}

TEST_F(RscatInput, SliceDefaultFollowsTheSubjectCount) {
  for (const int n : {200, 201}) {
    fresh_process();
    put_spread(2, n);
    const RunResult r = rscat({nsin_card(n, 1)});
    ASSERT_FALSE(r.stopped) << r.console;
    EXPECT_EQ(rscat_control().SLICE, n == 200 ? 12 : 17);
  }
}

// Pair cards: what they name and what they refuse.
TEST_F(RscatInput, PairCards) {
  const struct {
    std::vector<std::string> cards;
    std::vector<std::pair<int, int>> pairs;  // as positions among the selected variables
    std::vector<std::string> selected;
  } cases[] = {
      {{"3+5+3+7+."}, {{1, 2}, {1, 3}}, {"C03", "C05", "C07"}},
      {{"3+17+17+3+9+3+."}, {{1, 3}, {3, 1}, {2, 1}}, {"C03", "C09", "C17"}},
      {{"2+1+1+2+."}, {{2, 1}, {1, 2}}, {"C01", "C02"}},
      {{"1 ", "0+5+."}, {{2, 1}}, {"C05", "C10"}},  // blanks inside, across cards
      {{"0000102+1+."}, {{2, 1}}, {"C01", "C10"}},  // a 7th digit is ignored
  };
  for (const auto& c : cases) {
    fresh_process();
    put_spread(18, 10);
    std::vector<std::string> cards = {card(3, -1, -1, 1, -1, 1, 10)};
    cards.insert(cards.end(), c.cards.begin(), c.cards.end());
    const RunResult r = rscat(cards);
    ASSERT_FALSE(r.stopped) << c.cards[0] << r.console;
    EXPECT_EQ(pairs(), c.pairs) << c.cards[0];
    EXPECT_EQ(labels(), c.selected) << c.cards[0];
  }
}

// Bad pair cards stop with the selection message; a bad character gets a caret under its
// column, and a pair number that names no variable a second line with the number and the
// range, on the console and in the listing alike.
TEST_F(RscatInput, BadPairCardsStop) {
  const struct {
    std::string card;
    int caret;         // column of the caret, 0 when none
    const char* line;  // the line that names the number, nullptr when none
  } cases[] = {
      {"1,2+.", 2, nullptr},
      {"1+2.", 0, nullptr},
      {"1+X+.", 3, nullptr},
      {".", 0, nullptr},
      {"1+4+.", 0, " PAIR NUMBER 4 IS NOT A VARIABLE: THE VARIABLES ARE NUMBERED 1 TO 3."},
      {"2+3+3+12+.", 0, " PAIR NUMBER 12 IS NOT A VARIABLE: THE VARIABLES ARE NUMBERED 1 TO 3."},
      {"1++.", 0, " PAIR NUMBER 0 IS NOT A VARIABLE: THE VARIABLES ARE NUMBERED 1 TO 3."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.card);
    fresh_process();
    put_spread(3, 10);
    const RunResult r = rscat({card(3, -1, -1, -1, -1, 1, 10), c.card});
    ASSERT_TRUE(r.stopped);
    const std::vector<std::string> console = lines_of(r.console);
    const int at = find(console, " Error in scattergram selection cards.");
    ASSERT_GE(at, 0) << r.console;
    const std::vector<std::string> out = listing();
    const int echo = find(out, " " + c.card + " ");
    ASSERT_GE(echo, 0);
    if (c.caret > 0) {
      EXPECT_EQ(out[static_cast<std::size_t>(echo + 1)], " " + std::string(static_cast<std::size_t>(c.caret - 1), ' ') + "^");
    }
    if (c.line != nullptr) {
      ASSERT_LT(at + 1, static_cast<int>(console.size()));
      EXPECT_EQ(console[static_cast<std::size_t>(at + 1)], c.line);
      ASSERT_GE(out.size(), 2u);
      EXPECT_EQ(out[out.size() - 2], " Error in scattergram selection cards.");
      EXPECT_EQ(out.back(), c.line);
    }
  }
}

TEST_F(RscatInput, NineteenDistinctVariablesStop) {
  put_spread(3, 10);
  std::string list;
  for (int v = 1; v <= 19; ++v) list += std::to_string(v) + "+" + std::to_string(v) + "+";
  const RunResult r = rscat({card(3, -1, -1, -1, -1, 1, 10), list.substr(0, 60), list.substr(60) + "."});
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(
      r, "NUMBER OF VARIABLES GREATER THAN 18.  DECREASE NUMBER OF VARIABLES AND TRY AGAIN."));
}

TEST_F(RscatInput, MoreThanTwentyFourPairsStop) {
  put_spread(3, 10);
  std::string list;
  for (int k = 0; k < 25; ++k) list += "1+2+";
  const RunResult r = rscat({card(3, -1, -1, -1, -1, 1, 10), list.substr(0, 72), list.substr(72) + "."});
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(r, "Error in scattergram selection cards."));
}

TEST_F(RscatInput, ControlCardStops) {
  const struct {
    std::string card;
    const char* message;
  } cases[] = {
      {nsin_card(-1), "NSIN (number of subjects) required."},
      {card(4, -1, -1, -1, -1, 1, 10), "Bad select statement in INPUT."},
      {card(2, -1, -1, -1, -1, 1, 10), "With SELECT=2 \"COMMON\" must be set."},
      {card(2, -1, -1, -1, 4, 1, 10),
       "With SELECT=2 \"COMMON\" (4) exceeds the number of variables (3)."},
      {card(-1, -1, 53, -1, -1, 1, 10), "SLICE (number of slices, columns 9-12) may not exceed 52."},
      {"   A" + nsin_card(10).substr(4), "BCDBIN ERROR: Unrecognized character in \"   A\"."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.card);
    fresh_process();
    put_spread(3, 10);
    const RunResult r = rscat({c.card});
    ASSERT_TRUE(r.stopped);
    EXPECT_TRUE(console_has(r, c.message)) << r.console;
  }
}

// Input that ends too early stops with a message, never a read past the end.
TEST_F(RscatInput, MissingInputStops) {
  put_spread(3, 10);
  RunResult r = rscat({card(3, -1, -1, -1, -1, 1, 10), "1+2+"});  // the deck ends before "."
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(r, "Unexpected end-of-file condition occurred.")) << r.console;
  fresh_process();
  r = rscat({card(-1, 2, -1, -1, -1, 1, 5)});  // DATA 2 without a data storage file
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(r, "RSCAT: The data storage file is empty. Be sure DAP was run before RSCAT."))
      << r.console;
}

// A data storage file with fewer subjects than the run expects stops with a clear message.
TEST_F(RscatInput, ShortDataFileStops) {
  write_file("MTXIN1", "  1.0  2.0  ANNA\n  2.0  3.5  BERT\n  4.0  1.0  CARL\n");
  ASSERT_FALSE(run_with_cards(&DAP, {"SHORT FILE", "   2     3 1   0", "(2F5.1,2X,A8)", "DATA"}).stopped);
  std::vector<std::string> words(12, "SHORT ");
  Kpar ipfile{9, 12, 1, 2, 4, 2, 4, 1, 0, 0};  // claims 4 subjects
  std::int32_t notfound = 0;
  isf_word_vector("IPFILE", 1, ipfile, notfound, words);
  const RunResult r = rscat({card(-1, 2, -1, 1, -1, 1, -1)});
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(r, "RSCAT: The data storage file holds 3 subjects where 4 were expected."))
      << r.console;
}

TEST_F(RscatInput, NsinMustAgreeWithIpfile) {
  put_spread(2, 10);
  std::vector<std::string> words(12, "TITLE ");
  Kpar ipfile{9, 12, 1, 2, 10, 2, 10, 1, 0, 0};
  std::int32_t notfound = 0;
  isf_word_vector("IPFILE", 1, ipfile, notfound, words);
  const RunResult r = rscat({nsin_card(11)});
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(r, "NSIN and IDFILE disagree."));
}

TEST_F(RscatInput, SubjectCapacityIsTenThousandValues) {
  put_spread(10, 1000);
  RunResult r = rscat({card(-1, -1, -1, 1, -1, 1, 1000), "    "});
  EXPECT_FALSE(r.stopped) << r.console;
  fresh_process();
  put_spread(10, 1001);
  r = rscat({nsin_card(1001)});
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(r, "Number of subjects exceeds maximun for present number of variables."));
}

TEST_F(RscatInput, NineteenCompositesStop) {
  put_spread(19, 5);
  const RunResult r = rscat({nsin_card(5)});
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(
      r, "Number of variables greater than 18.  Decrease number of variables and try again."));
}

TEST_F(RscatInput, FscorAbsentStopsWithTheIsfMessage) {
  const RunResult r = rscat({nsin_card(5)});
  ASSERT_TRUE(r.stopped);
  EXPECT_EQ(r.code, 10007);
  EXPECT_GE(find(listing(), " FILE FSCOR1 COULD NOT BE LOCATED ON INTERMEDIATE STORAGE FILE"), 0);
}

TEST_F(RscatInput, SubjectNamesComeFromOnams) {
  put_spread(2, 3);
  put_subject_names({"ANNA", "BERT", "CARL"});
  RunResult r = rscat({card(-1, -1, -1, 1, -1, 0, 3)});
  ASSERT_FALSE(r.stopped) << r.console;
  const auto out = listing();
  EXPECT_GE(find(out, "BERT"), 0);
  fresh_process();
  put_spread(2, 3);
  put_subject_names({"ANNA", "BERT"});
  r = rscat({nsin_card(3)});
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(r, "NS in FSCOR1 file and in ONAMS1 file disagree."));
}

// FACS's missing-score code -999 is a missing value: it leaves the statistics it would distort.
TEST_F(RscatInput, MissingScoreCodeIsAMissingValue) {
  std::vector<float> x;
  std::vector<float> y;
  for (int i = 0; i < 20; ++i) {
    x.push_back(static_cast<float>(i % 2 == 0 ? 40 : 60));
    y.push_back(static_cast<float>(i));
  }
  x[5] = -999.0f;
  put_pairs(x, y);
  RunResult r = rscat({nsin_card(20, 1)});
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_TRUE(std::isnan(rscat_control().XDATA[5]));
  const auto out = listing();
  const int line = find(out, "C1                      MEAN =");
  ASSERT_GE(line, 0);
  // 19 values: ten of 40 and nine of 60 (subject 6 was a 60).
  EXPECT_NE(out[static_cast<std::size_t>(line)].find("MEAN =    49.474"), std::string::npos)
      << out[static_cast<std::size_t>(line)];
  EXPECT_NE(out[static_cast<std::size_t>(line)].find("STAN.DEV.=     9.986"), std::string::npos)
      << out[static_cast<std::size_t>(line)];

  fresh_process();
  put_pairs(x, y);
  r = rscat({card(-1, -1, -1, 1, -1, 1, 20, 0)});
  ASSERT_TRUE(r.stopped);
  EXPECT_TRUE(console_has(r, "RSCAT: Subject 6 has no value on C1. Missing values need MISS=1."))
      << r.console;
}

TEST_F(RscatInput, SingleCompositeDrawsNothing) {
  put_scores({{1.0f}, {2.0f}, {4.0f}});
  const RunResult r = rscat({"    "});
  EXPECT_TRUE(r.stopped);  // NSIN required without IPFILE
  fresh_process();
  put_scores({{1.0f}, {2.0f}, {4.0f}});
  const RunResult ok = rscat({nsin_card(3)});
  ASSERT_FALSE(ok.stopped) << ok.console;
  const auto out = listing();
  EXPECT_GE(find(out, " Means and Standard Deviations"), 0);
  EXPECT_EQ(find(out, "PRODUCT MOMENT CORRELATION"), -1);
}

}  // namespace
}  // namespace korvex::testing
