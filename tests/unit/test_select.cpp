// Tests of the variable selection component SELECT and of the routines it shares with SLEEP
// and RESTOR: the index vectors with their duplicate check, the in-place permutation, the
// selection state written to the ISF, the "CORR.TXT" text matrix, and every refusal, which
// must leave the ISF as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "selection/select_int.hpp"
#include "test_select_fixture.hpp"

namespace korvex::testing {
namespace {

// r(i, 1..i) of a full matrix as "CORR.TXT" should hold it: six columns, three decimals,
// twenty to a line, computed here with the C library's own rounding.
std::vector<std::string> corr_text_rows(const Square& s, const std::vector<int>& order) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < order.size(); ++i) {
    std::string line;
    for (std::size_t j = 0; j <= i; ++j) {
      char cell[16];
      const float v = i == j ? 1.0f : s(order[i], order[j]);
      std::snprintf(cell, sizeof cell, "%6.3f", static_cast<double>(v));
      line += cell;
      if ((j + 1) % 20 == 0 && j != i) {
        lines.push_back(line);
        line.clear();
      }
    }
    lines.push_back(line);
  }
  return lines;
}

// ---- routines -----------------------------------------------------------------------------

TEST(SelectRoutines, IndexVectorsOfSelectionAndSuppression) {
  struct Case {
    const char* what;
    bool sleep;
    std::vector<std::int32_t> listed;
    std::int32_t numvar;
    std::vector<std::int32_t> want;
  };
  const std::vector<Case> cases = {
      {"selection in any order", false, {5, 2, 9}, 10, {2, 5, 9, 1, 3, 4, 6, 7, 8, 10}},
      {"selection of every variable", false, {3, 1, 2}, 3, {1, 2, 3}},
      {"selection of the last", false, {4, 1}, 4, {1, 4, 2, 3}},
      {"sleepers go last, ascending", true, {5, 2}, 6, {1, 3, 4, 6, 2, 5}},
      {"more than half asleep", true, {6, 1, 4}, 6, {2, 3, 5, 1, 4, 6}},
      {"the first asleep", true, {1}, 3, {2, 3, 1}},
  };
  for (const Case& c : cases) {
    std::vector<std::int32_t> list(999, 0);
    std::copy(c.listed.begin(), c.listed.end(), list.begin());
    const auto count = static_cast<std::int32_t>(c.listed.size());
    if (c.sleep) {
      selection::SETIND_SLEEP(list, c.numvar, count);
    } else {
      selection::SETIND(list, c.numvar, count);
    }
    list.resize(static_cast<std::size_t>(c.numvar));
    EXPECT_EQ(list, c.want) << c.what;
  }
}

TEST(SelectRoutines, PermutationMovesEveryEntryOnce) {
  // a(i, j) = 100 i + j tells every entry apart; the result must be a(perm(i), perm(j)).
  const std::vector<std::vector<std::int32_t>> perms = {
      {1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}, {2, 3, 4, 5, 1}, {3, 1, 2, 5, 4}, {2, 5, 1, 4, 3}};
  for (const auto& perm : perms) {
    std::vector<float> a(static_cast<std::size_t>(selection::ld) * 5, 0.0f);
    for (int i = 1; i <= 5; ++i) {
      for (int j = 1; j <= 5; ++j) a[selection::rc(i, j)] = static_cast<float>(100 * i + j);
    }
    selection::permute_symmetric(a, 5, perm);
    for (int i = 1; i <= 5; ++i) {
      for (int j = 1; j <= 5; ++j) {
        EXPECT_EQ(a[selection::rc(i, j)], static_cast<float>(100 * perm[i - 1] + perm[j - 1]))
            << "perm starting " << perm[0] << perm[1] << " at " << i << "," << j;
      }
    }
  }
}

// ---- the component ------------------------------------------------------------------------

using SelectRun = SelectionTest;

TEST_F(SelectRun, SelectsTheListedVariablesAndRecordsTheSelection) {
  const Square r = tagged_correlations(10);
  put_analysis(r, var_names(10));
  set_ncline(100);  // SELECT refreshes the page-settings copy from the page state
  deck({"5, 2, 9."});
  const Outcome o = run(&SELECT);
  ASSERT_FALSE(o.stopped) << o.console;
  EXPECT_EQ(page_common().ncline, 100);

  const std::vector<int> order = {2, 5, 9, 1, 3, 4, 6, 7, 8, 10};
  const Entry<std::int32_t> reord = ints("REORD1");
  EXPECT_EQ(std::vector<std::int32_t>(reord.kpar.begin(), reord.kpar.begin() + 4),
            (std::vector<std::int32_t>{3, 10, 1, 7}));
  EXPECT_EQ(reord.values, std::vector<std::int32_t>(order.begin(), order.end()));

  const Entry<std::string> vn = names();
  EXPECT_EQ(std::vector<std::int32_t>(vn.kpar.begin(), vn.kpar.begin() + 4),
            (std::vector<std::int32_t>{3, 10, 1, 7}));
  for (int k = 0; k < 10; ++k) EXPECT_EQ(vn.values[static_cast<std::size_t>(k)], "Var" + std::to_string(order[static_cast<std::size_t>(k)]));

  const Entry<float> c1 = square("CORRM1");
  EXPECT_EQ(std::vector<std::int32_t>(c1.kpar.begin(), c1.kpar.begin() + 3),
            (std::vector<std::int32_t>{2, 3, 250}));
  const Entry<float> c2 = square("CORRM2");
  EXPECT_EQ(std::vector<std::int32_t>(c2.kpar.begin(), c2.kpar.begin() + 4),
            (std::vector<std::int32_t>{3, 10, 250, 7}));
  for (int i = 1; i <= 10; ++i) {
    for (int j = 1; j <= 10; ++j) {
      const float want = r(order[static_cast<std::size_t>(i - 1)], order[static_cast<std::size_t>(j - 1)]);
      EXPECT_EQ(c2.values[static_cast<std::size_t>((j - 1) * 10 + (i - 1))], want) << i << "," << j;
      if (i <= 3 && j <= 3) {
        EXPECT_EQ(c1.values[static_cast<std::size_t>((j - 1) * 3 + (i - 1))], want);
      }
    }
  }

  EXPECT_EQ(file_lines("CORR.TXT"), corr_text_rows(r, order));

  const std::vector<std::string> l = listing();
  const int banner = find_line(l, "V A R I A B L E   S E L E C T I O N   P R O G R A M");
  ASSERT_GE(banner, 0);
  EXPECT_GE(find_line(l, "S E L E C T", banner + 1), 0);
  const int active = find_line(l, "ACTIVE VARIABLES", banner);
  ASSERT_GE(active, 0);
  EXPECT_EQ(trimmed(l, active + 2), "      2  Var2");
  EXPECT_EQ(trimmed(l, active + 3), "      5  Var5");
  EXPECT_EQ(trimmed(l, active + 4), "      9  Var9");
  const int inter = find_line(l, "INTERCORRELATIONS OF ACTIVE VARIABLES", active);
  ASSERT_GE(inter, 0);
  const int row9 = find_line(l, "     9  Var9", inter);
  ASSERT_GE(row9, 0);
  EXPECT_NE(l[static_cast<std::size_t>(row9)].find("1.000"), std::string::npos);
  EXPECT_EQ(find_line(l, "Var1 ", inter), -1) << "inactive variables are not listed";
}

TEST_F(SelectRun, NumbersRunOnOverBlanksAndCards) {
  struct Case {
    const char* what;
    std::vector<std::string> cards;
  };
  const std::vector<Case> cases = {
      {"a blank inside a number", {"3, 1 2."}},
      {"a number over a card end", {"3, 1", "2."}},
      {"blank cards are skipped", {"", "3,", "", "12.  the rest is ignored ,;"}},
  };
  for (const Case& c : cases) {
    fresh_folder();
    put_analysis(tagged_correlations(15), var_names(15));
    deck(c.cards);
    const Outcome o = run(&SELECT);
    ASSERT_FALSE(o.stopped) << c.what << ": " << o.console;
    const Entry<std::int32_t> reord = ints("REORD1");
    EXPECT_EQ(reord.values[0], 3) << c.what;
    EXPECT_EQ(reord.values[1], 12) << c.what;
    EXPECT_EQ(reord.kpar[3], 13) << c.what;
  }
}

TEST_F(SelectRun, RefusalsLeaveTheIsfAsItWas) {
  struct Case {
    const char* what;
    std::vector<std::string> cards;
    std::string message;
  };
  // A thousand numbers, forty to a card.
  std::vector<std::string> thousand(25, std::string());
  for (std::string& card : thousand) {
    for (int i = 0; i < 40; ++i) card += "1,";
  }
  thousand.push_back("1.");
  const std::vector<Case> cases = {
      {"a letter", {"5, 2a."}, "Inappropiate character in ordinal number."},
      {"zero", {"0."}, "Input number too big or zero."},
      {"beyond NUMVAR", {"3, 11."}, "Input number too big or zero."},
      {"an empty entry", {"3,,4."}, "Input number too big or zero."},
      {"only the point", {"."}, "Input number too big or zero."},
      {"a repeat", {"7, 3, 7."}, "YOU SELECTED NUMBER 0007TWICE."},
      {"one variable", {"4."}, "A selection must leave at least 2 active variables; this one "
                                "leaves 1 of 10."},
      {"more numbers than the list holds", thousand, "Too many numbers in list: room for 999."},
      {"no point before the end", {"3, 4,"}, "Error reading input"},
  };
  for (const Case& c : cases) {
    fresh_folder();
    put_analysis(tagged_correlations(10), var_names(10));
    deck(c.cards);
    const Outcome o = run(&SELECT);
    EXPECT_TRUE(o.stopped) << c.what;
    EXPECT_NE(o.console.find(c.message), std::string::npos) << c.what << ": " << o.console;
    EXPECT_EQ(names().kpar[0], 2) << c.what;
    EXPECT_FALSE(ints("REORD1").found) << c.what;
    EXPECT_FALSE(square("CORRM2").found) << c.what;
    EXPECT_EQ(square("CORRM1").kpar[1], 10) << c.what;
  }
}

TEST_F(SelectRun, ABadCharacterIsMarkedUnderItsColumn) {
  put_analysis(tagged_correlations(10), var_names(10));
  deck({"5, 2 a."});  // the letter in column 6
  ASSERT_TRUE(run(&SELECT).stopped);
  const std::vector<std::string> l = listing();
  const int caret = find_line(l, "^");
  ASSERT_GE(caret, 0);
  EXPECT_EQ(trimmed(l, caret), std::string(6, ' ') + "^");
  EXPECT_EQ(trimmed(l, caret + 1), std::string(6, ' ') + "|");
}

TEST_F(SelectRun, ASecondSelectionIsRefusedAfterItsListIsRead) {
  put_analysis(tagged_correlations(6), var_names(6));
  // The second list is read against the three variables CORRM1 now holds.
  deck({"1, 2, 3.", "3, 1.", "*NEXT"});
  ASSERT_FALSE(run(&SELECT).stopped);
  const Entry<float> before = square("CORRM1");
  const Outcome o = run(&SELECT);
  EXPECT_TRUE(o.stopped);
  EXPECT_NE(o.console.find("Select has been called before"), std::string::npos) << o.console;
  EXPECT_EQ(next_card(), "*NEXT");
  EXPECT_EQ(square("CORRM1").values, before.values);
  EXPECT_EQ(ints("REORD1").values, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(SelectRun, SelectingEveryVariableIsStillASelection) {
  const Square r = tagged_correlations(4);
  put_analysis(r, var_names(4));
  deck({"4,3,2,1."});
  ASSERT_FALSE(run(&SELECT).stopped);
  EXPECT_EQ(ints("REORD1").values, (std::vector<std::int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(ints("REORD1").kpar[3], 0);
  EXPECT_EQ(names().kpar[0], 3);
  EXPECT_EQ(names().kpar[3], 0);
  EXPECT_EQ(square("CORRM1").values, r.a);
}

TEST_F(SelectRun, MissingEntriesStopWithTheirLabel) {
  for (const char* missing : {"IDFILE", "CORRM1", "VNAMS1"}) {
    fresh_folder();
    if (std::string(missing) != "IDFILE") put_title();
    if (std::string(missing) != "CORRM1") put_corr(tagged_correlations(4));
    if (std::string(missing) != "VNAMS1") put_names(var_names(4));
    deck({"1, 2."});
    const Outcome o = run(&SELECT);
    EXPECT_TRUE(o.stopped) << missing;
    EXPECT_EQ(o.code, 10007) << missing;
    const std::vector<std::string> l = listing();
    EXPECT_GE(find_line(l, std::string(" FILE ") + missing + " COULD NOT BE LOCATED"), 0) << missing;
  }
}

TEST_F(SelectRun, NamesThatDoNotMatchTheMatrixAreRefused) {
  put_title();
  put_corr(tagged_correlations(5));
  put_names(var_names(4));
  deck({"1, 2."});
  const Outcome o = run(&SELECT);
  EXPECT_TRUE(o.stopped);
  EXPECT_NE(o.console.find("VNAMS1 holds 4 names but CORRM1 has 5 variables."), std::string::npos)
      << o.console;
}

TEST_F(SelectRun, TextMatrixIsAppendedAndLongRowsWrap) {
  write_file("CORR.TXT", "an earlier matrix\n");
  const Square r = tagged_correlations(45);
  put_analysis(r, var_names(45));
  deck({"45, 1."});
  ASSERT_FALSE(run(&SELECT).stopped);
  const std::vector<std::string> lines = file_lines("CORR.TXT");
  std::vector<int> order = {1, 45};
  for (int v = 2; v <= 44; ++v) order.push_back(v);
  std::vector<std::string> want = {"an earlier matrix"};
  for (const std::string& s : corr_text_rows(r, order)) want.push_back(s);
  EXPECT_EQ(lines, want);
  // Rows 1-20 take one line, 21-40 two, 41-45 three: 20 + 40 + 15 lines, plus the old one.
  EXPECT_EQ(lines.size(), 76u);
  EXPECT_EQ(lines.back().size(), 30u);  // the five values of row 45 past column 40
}

}  // namespace
}  // namespace korvex::testing
