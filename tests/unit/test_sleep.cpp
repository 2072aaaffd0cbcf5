// Tests of the variable suppression component SLEEP: sleepers named by name or ordinal, the
// selection state it leaves (the same as SELECT's), its listing, and its refusals, which
// leave the ISF (and, while a selection is in force, the list cards) untouched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_select_fixture.hpp"

namespace korvex::testing {
namespace {

using SleepRun = SelectionTest;

TEST_F(SleepRun, SleepersByNameAndOrdinalGoLast) {
  const Square r = six_correlations();
  put_analysis(r, six_names);
  set_ncline(90);
  deck({"Vocabulary, 5."});
  const Outcome o = run(&SLEEP);
  ASSERT_FALSE(o.stopped) << o.console;
  EXPECT_EQ(page_common().ncline, 90);

  const std::vector<int> order = {1, 2, 4, 6, 3, 5};
  const Entry<std::int32_t> reord = ints("REORD1");
  EXPECT_EQ(std::vector<std::int32_t>(reord.kpar.begin(), reord.kpar.begin() + 4),
            (std::vector<std::int32_t>{3, 6, 1, 2}));
  EXPECT_EQ(reord.values, std::vector<std::int32_t>(order.begin(), order.end()));
  const Entry<std::string> vn = names();
  EXPECT_EQ(vn.kpar[0], 3);
  EXPECT_EQ(vn.kpar[3], 2);
  EXPECT_EQ(vn.values, (std::vector<std::string>{"Verbal", "Reading", "Spatial", "Memory",
                                                 "Vocabulary", "Rotation"}));
  const Entry<float> c1 = square("CORRM1");
  EXPECT_EQ(c1.kpar[1], 4);
  EXPECT_EQ(c1.kpar[2], 250);
  const Entry<float> c2 = square("CORRM2");
  EXPECT_EQ(std::vector<std::int32_t>(c2.kpar.begin(), c2.kpar.begin() + 4),
            (std::vector<std::int32_t>{3, 6, 250, 2}));
  for (int i = 1; i <= 6; ++i) {
    for (int j = 1; j <= 6; ++j) {
      const float want = r(order[static_cast<std::size_t>(i - 1)], order[static_cast<std::size_t>(j - 1)]);
      EXPECT_EQ(c2.values[static_cast<std::size_t>((j - 1) * 6 + (i - 1))], want);
      if (i <= 4 && j <= 4) {
        EXPECT_EQ(c1.values[static_cast<std::size_t>((j - 1) * 4 + (i - 1))], want);
      }
    }
  }
  EXPECT_EQ(file_lines("CORR.TXT"), (std::vector<std::string>{
                                        " 1.000",
                                        " 0.611 1.000",
                                        " 0.235 0.300 1.000",
                                        " 0.332 0.353 0.409 1.000",
                                        " 0.548 0.525 0.343 0.360 1.000",
                                        " 0.146 0.205 0.468 0.317 0.246 1.000",
                                    }));

  const std::vector<std::string> l = listing();
  const int banner = find_line(l, "V A R I A B L E   S U P P R E S S I O N   P R O G R A M");
  ASSERT_GE(banner, 0);
  EXPECT_GE(find_line(l, "S L E E P", banner + 1), 0);
  const int count = find_line(l, "VARIABLES ARE SLEEPER VARIABLES", banner);
  ASSERT_GE(count, 0);
  EXPECT_EQ(trimmed(l, count), " 2 VARIABLES ARE SLEEPER VARIABLES");
  const int inter = find_line(l, "INTERCORRELATIONS OF SLEEPER VARIABLES", count);
  ASSERT_GE(inter, 0);
  const int row5 = find_line(l, "     5  Rotation", inter);
  ASSERT_GE(row5, 0);
  EXPECT_EQ(trimmed(l, row5), "     5  Rotation         0.246    1.000");
  EXPECT_EQ(find_line(l, "Verbal", inter), -1) << "active variables are not listed";
}

TEST_F(SleepRun, RefusedListsStopBeforeAnythingIsWritten) {
  struct Case {
    const char* what;
    std::string card;
    std::string message;
    std::string console_line;  // the reader's own console line, when it writes one
  };
  const std::vector<Case> cases = {
      {"a misspelt name", "Vocabulry.", "Name is not a valid variable name.", " Bad name:Vocabulry"},
      {"a name in the wrong case", "vocabulary.", "Name is not a valid variable name.", " Bad name:vocabulary"},
      {"an ordinal beyond NUMVAR", "7.", "Name is not a valid variable name.", " Bad name:7 "},
      {"only the point", ".", "Name is not a valid variable name.", " Bad name:"},
      {"one variable by name and number", "Reading, 2.", "Number is not a valid ordinal number.", ""},
      {"a character outside the set", "Verbal; 5.", "Inappropiate character in names of sleeper variables", ""},
      {"five of six asleep", "1,2,3,4,5.", "A selection must leave at least 2 active variables; this one leaves 1 of 6.", ""},
      {"every variable asleep", "1,2,3,4,5,6.", "A selection must leave at least 2 active variables; this one leaves 0 of 6.", ""},
      {"no point before the end", "Verbal,", "Error reading input", ""},
  };
  for (const Case& c : cases) {
    fresh_folder();
    put_analysis(six_correlations(), six_names);
    deck({c.card});
    const Outcome o = run(&SLEEP);
    EXPECT_TRUE(o.stopped) << c.what;
    EXPECT_NE(o.console.find(c.message), std::string::npos) << c.what << ": " << o.console;
    if (!c.console_line.empty()) {
      EXPECT_NE(o.console.find(c.console_line), std::string::npos) << c.what << ": " << o.console;
    }
    EXPECT_EQ(names().kpar[0], 2) << c.what;
    EXPECT_FALSE(ints("REORD1").found) << c.what;
    EXPECT_FALSE(square("CORRM2").found) << c.what;
  }
}

TEST_F(SleepRun, RefusedWhileASelectionIsInForceWithItsListUnread) {
  put_analysis(six_correlations(), six_names);
  deck({"1, 2, 3, 4.", "Memory.", "*NEXT"});
  ASSERT_FALSE(run(&SELECT).stopped);
  const Entry<std::int32_t> reord = ints("REORD1");
  const Outcome o = run(&SLEEP);
  EXPECT_TRUE(o.stopped);
  EXPECT_NE(o.console.find("Sleep has been called before."), std::string::npos) << o.console;
  EXPECT_EQ(next_card(), "Memory.");
  EXPECT_EQ(ints("REORD1").values, reord.values);
  EXPECT_EQ(square("CORRM1").kpar[1], 4);
}

}  // namespace
}  // namespace korvex::testing
