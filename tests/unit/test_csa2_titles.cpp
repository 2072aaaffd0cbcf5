// Variable titles of *CSA2: reading MTXIN2 (titles ended by "/", continued over lines,
// blank lines and leading slashes skipped, blanks squeezed from the title column on, long
// titles cut at 480), splitting at blanks for the listing, printing after each cluster
// block, the end-of-file stop, and a second run that reads the file from its start.
#include <algorithm>
#include <string>
#include <vector>

#include "io/fixed_text.hpp"
#include "structure/csa2_internal.hpp"
#include "test_csa2_fixture.hpp"

namespace korvex {
namespace {

class Csa2Titles : public testing::Csa2Run {
 protected:
  // Four variables: {1, -2} and {3, 4}; variable 2 correlates negatively with the others.
  void put_inputs() {
    testing::put_isf_title("TITLES");
    testing::put_isf_names({"One", "Two", "Three", "Four"});
    put_correlations({1, -0.5, 0.3, 0.3, -0.5, 1, -0.3, -0.3, 0.3, -0.3, 1, 0.5, 0.3, -0.3, 0.5, 1},
                     {0.6, 0.6, 0.6, 0.6});
    put_definers({{1, -2}, {3, 4}});
  }
  std::vector<std::string> titles() { return csa2::qvcsa2().vtitle; }
};

TEST_F(Csa2Titles, ReadingRules) {
  put_inputs();
  bind_titles("titles.txt",
              "First title /\n"
              "\n"
              "Second title starts\n"
              "and ends here/ a comment\n"
              "/ a line that starts with a slash is skipped\n"
              "   /\n"
              "AB   CD    EF     GH/\n");
  // CSA2 releases the titles when it returns; read them with the reader itself.
  csa2::state& s = csa2::qvcsa2();
  s.reset();
  s.monout = get_unit("MONOUT");
  s.ntotal = 4;
  s.ktcol = 10;
  csa2::RDTITL(s);
  EXPECT_EQ(titles(), (std::vector<std::string>{"First title", "Second title starts and ends here",
                                                "", "AB   CD   EF GH"}));
}

TEST_F(Csa2Titles, BlanksAreSqueezedFromTheFirstColumnWithoutATitleColumn) {
  put_inputs();
  bind_titles("t.txt", "AB   CD    EF     GH/\n");
  csa2::state& s = csa2::qvcsa2();
  s.reset();
  s.monout = get_unit("MONOUT");
  s.ntotal = 1;
  csa2::RDTITL(s);
  EXPECT_EQ(titles(), (std::vector<std::string>{"AB CD EF GH"}));
}

// Pieces at width 118: the first at most 112 characters, the others 113 - KTCOL, never
// fewer than 10; a piece without a blank is cut at its allowance; every piece advances.
TEST_F(Csa2Titles, SplittingAtBlanks) {
  std::string words;
  for (int i = 0; i < 40; ++i) words += std::string(i == 0 ? "" : " ") + "abcdefghi";
  struct Case {
    std::string title;
    std::int32_t ktcol;
    std::int32_t first, later;
  };
  const std::vector<Case> cases = {{words, 0, 112, 113},
                                   {words, 10, 112, 103},
                                   {std::string(600, 'x'), 0, 112, 113},
                                   {words, 500, 112, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ktcol);
    const std::vector<csa2::piece> p = csa2::SPLTTL(c.title, 118, c.ktcol);
    ASSERT_GE(p.size(), 2u);
    std::string rebuilt;
    for (std::size_t k = 0; k < p.size(); ++k) {
      const std::int32_t len = p[k].last - p[k].first + 1;
      EXPECT_LE(len, k == 0 ? c.first : c.later);
      EXPECT_GE(len, 1);
      rebuilt += (k == 0 || c.title[0] == 'x' ? "" : " ") +
                 c.title.substr(static_cast<std::size_t>(p[k].first - 1), static_cast<std::size_t>(len));
    }
    EXPECT_EQ(rebuilt, c.title);
  }
  EXPECT_EQ(csa2::SPLTTL("", 118, 0).size(), 1u);
  EXPECT_EQ(csa2::SPLTTL(std::string(112, 'y'), 118, 0).size(), 1u);
  EXPECT_EQ(csa2::SPLTTL(std::string(113, 'y'), 118, 0).size(), 2u);
}

// KTITLE 1: the titles follow each cluster block; " - " marks a member with a negative
// coefficient; continuation pieces follow KTCOL + 3 blanks.
TEST_F(Csa2Titles, TitlesFollowEachClusterBlock) {
  put_inputs();
  std::string long_title;
  for (int i = 0; i < 20; ++i) long_title += std::string(i == 0 ? "" : " ") + "word" + std::to_string(i) + "xxxxxx";
  bind_titles("titles.txt", "Title one/\nTitle two/\n" + long_title + "/\nTitle four/\n");
  const testing::RunResult r = run({"   0   2   0   0   0   0   1   5", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> l = file_lines("MONOUT");
  const int c1 = find(l, "  VARIABLES IN OBLIQUE CLUSTER    1");
  const int c2 = find(l, "  VARIABLES IN OBLIQUE CLUSTER    2");
  ASSERT_GE(c1, 0);
  ASSERT_GT(c2, c1);
  const int t1 = find(l, "    Title one", c1);
  ASSERT_GT(t1, c1);
  EXPECT_LT(t1, c2);
  EXPECT_EQ(l[static_cast<std::size_t>(find(l, "Title two", c1))], "  - Title two");
  const int t3 = find(l, "    word0xxxxxx", c2);
  ASSERT_GT(t3, c2);
  const std::string& first = l[static_cast<std::size_t>(t3)];
  const std::string& cont = l[static_cast<std::size_t>(t3 + 1)];
  EXPECT_LE(first.size(), 4u + 112u);
  EXPECT_EQ(cont.substr(0, 9), std::string(9, ' '));  // carriage control, KTCOL + 3 blanks
  EXPECT_NE(cont[9], ' ');
  std::string rebuilt(io::trim_right(first.substr(4)));
  for (std::size_t i = static_cast<std::size_t>(t3) + 1;
       i < l.size() && l[i].size() > 9 && l[i].substr(0, 9) == std::string(9, ' ') && l[i][9] != ' '; ++i) {
    EXPECT_LE(l[i].size() - 9, 108u);
    rebuilt += " " + l[i].substr(9);
  }
  EXPECT_EQ(rebuilt, long_title);
  EXPECT_TRUE(titles().empty());  // released when the component returns
}

TEST_F(Csa2Titles, OneTitleTooFewStopsAtTheEndOfTheFile) {
  put_inputs();
  bind_titles("titles.txt", "One/\n\nTwo/\nThree\n/\n");
  const testing::RunResult r = run({"   0   2   0   0   0   0   1", ""});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find(" end of file:     5 lines read,      3 variable titles read"), std::string::npos)
      << r.console;
}

// A 600-character title without a blank is cut at 480 with a line naming it, and prints in
// pieces cut at their allowance.
TEST_F(Csa2Titles, OverlongTitleIsCutAndPrints) {
  put_inputs();
  bind_titles("titles.txt", "a/\nb/\n" + std::string(600, 'z') + "/\nd/\n");
  const testing::RunResult r = run({"   0   2   0   0   0   0   1", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> l = file_lines("MONOUT");
  EXPECT_GE(find(l, "VARIABLE TITLE 3 IS LONGER THAN 480 CHARACTERS: CUT AT 480."), 0);
  std::size_t zs = 0;
  for (const std::string& line : l) zs += static_cast<std::size_t>(std::count(line.begin(), line.end(), 'z'));
  EXPECT_EQ(zs, 480u);
}

// The unit is closed when the component returns, so a second run reads from the start.
TEST_F(Csa2Titles, SecondRunReadsTheFileFromItsStart) {
  put_inputs();
  bind_titles("titles.txt", "One/\nTwo/\nThree/\nFour/\n");
  ASSERT_FALSE(run({"   0   2   0   0   0   0   1", ""}).stopped);
  const testing::RunResult r = run({"   0   2   0   0   0   0   1", ""});
  ASSERT_FALSE(r.stopped) << r.console;
  const std::vector<std::string> l = file_lines("MONOUT");
  int count = 0;
  for (int i = find(l, "    Four"); i >= 0; i = find(l, "    Four", i + 1)) ++count;
  EXPECT_EQ(count, 2);
}

}  // namespace
}  // namespace korvex
