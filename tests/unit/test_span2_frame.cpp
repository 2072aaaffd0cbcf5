// The frame of SPAN2 run in-process: the parameter card and its defaults and limits, the
// ISF inputs and their errors, the preset-set cards, the prologue, the component's own
// page headers and reservations, and the index page.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "executive/utilities.hpp"
#include "structure/span2_internal.hpp"
#include "test_span2_fixture.hpp"

namespace korvex::testing {
namespace {

using span2::state;

// The value columns (106-110) of the echo record that contains text.
std::string echo_value(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& l : lines) {
    if (l.find(text) == std::string::npos) continue;
    return l.size() == 110 ? l.substr(105) : "length " + std::to_string(l.size());
  }
  return "missing";
}

class SpanFrame : public SpanRun {
 protected:
  // Runs SPAN2 on the eight-by-four coefficients (unless put already) and returns the lines
  // this run added to the listing.
  std::vector<std::string> run_lines(const std::vector<std::string>& cards, RunResult& r) {
    const std::size_t before = listing().size();
    r = run(cards);
    std::vector<std::string> out = listing();
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(before));
    return out;
  }
};

TEST_F(SpanFrame, BlankCardRunsModeOneOnUfact1ForThreeDimensionsOnly) {
  put_title();
  put_coef(eight_by_four());
  RunResult r;
  const std::vector<std::string> out = run_lines({""}, r);
  ASSERT_FALSE(r.stopped) << r.console;
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out[0], "1KORVEX" + std::string(106, ' ') + "Page1");
  struct Echo {
    const char* text;
    const char* value;
  };
  for (const Echo e : {Echo{"THE MODE OF SELECTION", "    1"}, Echo{"THE  SOURCE OF", "    1"},
                       Echo{"NSTART - ", "    3"}, Echo{"NFIN - ", "    3"},
                       Echo{"MINEW - ", "    3"}, Echo{"CLOPR - ", " 0.80"},
                       Echo{"MINCOM - ", " 0.20"}, Echo{"RIGID ROTATION", "    0"}}) {
    EXPECT_EQ(echo_value(out, e.text), e.value) << e.text;
  }
  EXPECT_NE(find_line(out, std::string(23, ' ') +
                               "In this problem, the program only selects 3 dimensional subspaces."),
            -1);
  EXPECT_NE(find_line(out, "which have at least 80 percent of"), -1);
  EXPECT_NE(find_line(out, std::string(20, ' ') + "SPHERICAL TEST RUN"), -1);
  EXPECT_EQ(find_line(out, "SUBSPACES REQUESTED BY ANALYST"), -1);
  EXPECT_EQ(state().options.MINEW, 3);
  EXPECT_FLOAT_EQ(state().options.MINCOM, 0.2f);
  // Four blank records before the explanation without the reduce-output option.
  const int t = find_line(out, "SPHERICAL TEST RUN");
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(out[static_cast<std::size_t>(t + i)], " ");
}

// Parameter cards: columns 1-4 MODE, 5-8 source, 9-12 NSTART, 13-16 NFIN, 17-20 MINEW,
// 21-28 CLOPR, 29-36 MINCOM, 37-40 rigid rotation, 41-44 reduce output.
TEST_F(SpanFrame, ParameterCardValuesAndLimits) {
  struct Case {
    const char* label;
    std::string card;
    std::string text;    // a line the listing must hold
    const char* absent;  // a line it must not hold ("" for none)
  };
  const std::string notice = std::string(31, ' ') +
                             "| Using SPAN2 option to reduce the amount of its output | ";
  const std::vector<Case> cases = {
      {"CLOPR 0.755", "                   0.755", "which have at least 76 percent of", ""},
      {"implied decimals", "                    8000", "which have at least 80 percent of", ""},
      {"NFIN 9 with NF 4", "   1   1   2   9", "This analysis selects up to 4 dimensional",
       "only selects"},
      {"NSTART 0", "   1   1   0   2", "first selects 1 dimensional subspaces, then 2", ""},
      {"NSTART 5 NFIN 3", "   1   1   5   3", "only selects 3 dimensional", ""},
      {"reduce output 1", std::string(40, ' ') + "   1", notice, "I N D E X"},
      {"reduce output 2", std::string(40, ' ') + "   2", "The program selects", "Using SPAN2"},
      {"NFIN 2: no index", "   1   1   1   2", "first selects 1", "I N D E X"},
  };
  put_title();
  put_coef(eight_by_four());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    RunResult r;
    const std::vector<std::string> out = run_lines({c.card}, r);
    ASSERT_FALSE(r.stopped) << r.console;
    EXPECT_NE(find_line(out, c.text), -1);
    if (*c.absent != 0) {
      EXPECT_EQ(find_line(out, c.absent), -1);
    }
  }
}

// A highest dimensionality of 0 stops the run before SPAN2 prints anything, naming NFIN and
// its value; only in mode 2 do the analyst's sets replace it. A MINEW beyond the variables
// keeps no subspace. A stopping case leaves the cards after its parameter card unread for
// the next run, so the mode 3 case with its set comes last.
TEST_F(SpanFrame, NfinBelowOneStopsBeforeAnythingIsPrinted) {
  struct Case {
    const char* label;
    std::vector<std::string> cards;
    bool stops;
    const char* text;  // a line the listing must hold when the run goes on
  };
  const std::vector<Case> cases = {
      {"mode 2, a set of 2", {"   2   1   3   0", "   1   2", ""}, false,
       "only selects 2 dimensional subspaces."},
      {"mode 1", {"   1   1   3   0   0"}, true, ""},
      {"mode 2, no set", {"   2   1   3   0", ""}, true, ""},
      {"mode 3, no set read", {"   3   1   3   0"}, true, ""},
      {"MINEW beyond NV", {"   1   1   3   3 999"}, false, "only selects 3 dimensional"},
      {"mode 3, a set of 2", {"   3   1   3   0", "   1   2", ""}, true, ""},
  };
  put_title();
  put_coef(eight_by_four());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    RunResult r;
    const std::vector<std::string> out = run_lines(c.cards, r);
    EXPECT_EQ(r.stopped, c.stops) << r.console;
    if (c.stops) {
      EXPECT_NE(r.console.find("SPAN2 ERROR: NFIN MUST BE 1 OR MORE, NFIN (0)"),
                std::string::npos)
          << r.console;
      // Nothing but the stop's own lines.
      EXPECT_EQ(count_lines(out, "KORVEX"), 0);
      EXPECT_LE(out.size(), 2u);
    } else {
      EXPECT_NE(find_line(out, c.text), -1);
      EXPECT_EQ(find_line(out, "NO PROCESSING FOR 0"), -1);
    }
  }
}

TEST_F(SpanFrame, NamesWithoutVnams1AreGeneratedAndRfact1IsReadForAnyOtherSource) {
  put_title();
  Rows rows(150, std::vector<float>{0.6f, 0.5f, 0.4f});
  put_coef(rows, "RFACT1");
  RunResult r;
  run_lines({"   1   2"}, r);
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(state().var_names_left[0], "Variable001         ");
  EXPECT_EQ(state().var_names_left[149], "Variable150         ");
  EXPECT_EQ(state().var_names[149], "         Variable150");
  EXPECT_EQ(state().order[149], 150);
  // A source of 0 reads RFACT1 as well; a source of 1 looks for UFACT1, which is missing.
  run_lines({"   1   0"}, r);
  EXPECT_FALSE(r.stopped);
  const std::vector<std::string> out = run_lines({"   1   1"}, r);
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.code, 10007);
  EXPECT_NE(find_line(out, " FILE UFACT1 COULD NOT BE LOCATED"), -1);
}

TEST_F(SpanFrame, CommunalitiesAndUnitRows) {
  put_title();
  put_coef({{0.6f, 0.8f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.3f, 0.4f, 1.2f}});
  put_isf_names({"First", "Second", "Third"});
  RunResult r;
  run_lines({""}, r);
  ASSERT_FALSE(r.stopped) << r.console;
  const span2::run_state& s = state();
  EXPECT_FLOAT_EQ(s.h2[0], 1.0f);
  EXPECT_FLOAT_EQ(s.h2[1], 0.0f);
  EXPECT_FLOAT_EQ(s.h2[2], 1.69f);
  EXPECT_FLOAT_EQ(s.c(3, 3), 1.2f / 1.3f);
  EXPECT_FLOAT_EQ(s.c(2, 1), 0.0f);
  EXPECT_EQ(s.var_names[2], "               Third");
}

TEST_F(SpanFrame, MissingTitleStops) {
  put_coef(eight_by_four());
  RunResult r;
  const std::vector<std::string> out = run_lines({""}, r);
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.code, 10007);
  EXPECT_NE(find_line(out, " FILE IDFILE COULD NOT BE LOCATED"), -1);
}

TEST_F(SpanFrame, KeyClusterLists) {
  put_title();
  Rows rows(24, std::vector<float>{0.6f, 0.5f, 0.4f});
  put_coef(rows);
  put_reflx({{1, 2, 3}, {4, 5, -7}, {7}});
  RunResult r;
  run_lines({""}, r);
  ASSERT_FALSE(r.stopped) << r.console;
  const span2::run_state& s = state();
  EXPECT_EQ(s.var_cluster[0], 1);
  EXPECT_EQ(s.var_cluster[4], 2);
  EXPECT_EQ(s.var_cluster[6], 3);  // the later list wins
  EXPECT_EQ(s.var_cluster[7], 0);
  EXPECT_EQ(s.refl_lists[99 + 2], 7);  // the entry itself is made positive
  put_reflx({{1, 2}, {4, -7}});
  run_lines({""}, r);
  EXPECT_EQ(state().var_cluster[6], -2);

  struct Bad {
    std::vector<std::vector<std::int32_t>> lists;
    const char* message;
  };
  const std::vector<Bad> bad = {
      {{{1, 2}, {30}}, "SPAN2: REFLX1 list 2 holds the entry 30; the coefficients have 24 variables."},
      {{{1, 0}}, "SPAN2: REFLX1 list 1 holds the entry 0; the coefficients have 24 variables."},
      {{{-25}}, "SPAN2: REFLX1 list 1 holds the entry -25; the coefficients have 24 variables."},
      {std::vector<std::vector<std::int32_t>>(51, {1}),
       "SPAN2: REFLX1 holds 51 lists; at most 50 can be used."},
  };
  for (const Bad& b : bad) {
    put_reflx(b.lists);
    run_lines({""}, r);
    EXPECT_TRUE(r.stopped) << b.message;
    EXPECT_NE(r.console.find(b.message), std::string::npos) << r.console;
  }
}

TEST_F(SpanFrame, RigidRotationNeedsReflx1) {
  put_title();
  put_coef(eight_by_four());
  RunResult r;
  const std::vector<std::string> out = run_lines({std::string(36, ' ') + "   1"}, r);
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.code, 10007);
  EXPECT_NE(r.console.find(" QUIT: ERROR=10007"), std::string::npos);
  EXPECT_NE(find_line(out, " FILE REFLX1 COULD NOT BE LOCATED"), -1);
}

TEST_F(SpanFrame, PresetSetsAreSortedAndListed) {
  put_title();
  put_coef(eight_by_four());
  RunResult r;
  const std::vector<std::string> out =
      run_lines({"   2", "   2   3", "   1", "   1   4", ""}, r);
  ASSERT_FALSE(r.stopped) << r.console;
  const int h = find_line(out, std::string(16, ' ') + "SUBSPACES REQUESTED BY ANALYST ..");
  ASSERT_NE(h, -1);
  EXPECT_EQ(out[static_cast<std::size_t>(h + 1)], " ");
  EXPECT_EQ(out[static_cast<std::size_t>(h + 2)], std::string(20, ' ') + "   1");
  EXPECT_EQ(out[static_cast<std::size_t>(h + 3)], std::string(20, ' ') + "   1   4");
  EXPECT_EQ(out[static_cast<std::size_t>(h + 4)], std::string(20, ' ') + "   2   3");
  EXPECT_EQ(echo_value(out, "NSTART - "), "    1");
  EXPECT_EQ(echo_value(out, "NFIN - "), "    2");
  // Mode 1 reads no preset set: the next card is left to the interpreter.
  run_lines({"   1", "   1   2"}, r);
  EXPECT_TRUE(state().t_ptr.empty());
}

TEST_F(SpanFrame, PresetCardFields) {
  put_title();
  put_coef(eight_by_four());
  struct Case {
    const char* card;
    std::vector<std::int32_t> set;
  };
  const std::vector<Case> cases = {{"   2   1", {1, 2}},
                                   {"   1   0   3", {1}},
                                   {"   4   3   2   1", {1, 2, 3, 4}},
                                   {"   3       4", {3}}};
  for (const Case& c : cases) {
    RunResult r;
    run_lines({"   2", c.card, ""}, r);
    ASSERT_FALSE(r.stopped) << c.card << r.console;
    ASSERT_EQ(state().t_ptr.size(), 1u) << c.card;
    EXPECT_EQ(state().t_ptr[0].index, c.set) << c.card;
    EXPECT_EQ(state().NSTART, static_cast<std::int32_t>(c.set.size()));
  }
  // A first field blank ends the sets even when later fields hold numbers; mode 2 without a
  // set keeps the card's limits and analyses nothing.
  RunResult r;
  const std::vector<std::string> out = run_lines({"   2   1   1   3", "       2   3"}, r);
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_TRUE(state().t_ptr.empty());
  EXPECT_EQ(echo_value(out, "NSTART - "), "    1");
  EXPECT_EQ(echo_value(out, "NFIN - "), "    3");
  EXPECT_NE(find_line(out, "I N D E X"), -1);
}

TEST_F(SpanFrame, PresetCardErrors) {
  struct Case {
    std::vector<std::string> cards;
    const char* message;
  };
  std::vector<std::string> many = {"   2"};
  for (int i = 0; i < 121; ++i) many.push_back("   1");
  std::vector<std::string> enough(many.begin(), many.end() - 1);
  enough.push_back("");
  const std::vector<Case> cases = {
      {{"   2", "   5"}, "DIMENSION DEFINER GREATER THAN NUMBER OF DIMENSIONS"},
      {{"   2", "  -1"}, "NEGATIVE DIMENSION DEFINER FOUND"},
      {{"   2", "   2   2"}, "TWO OR MORE DEFINERS OF THE SAME PRESET SET ARE EQUAL"},
      {{"   2", "   3   1   3"}, "TWO OR MORE DEFINERS OF THE SAME PRESET SET ARE EQUAL"},
      {{"   2", " 1  "}, "DIMENSION DEFINER GREATER THAN NUMBER OF DIMENSIONS"},
      {many, "Too many sets of dimansion definers"},
      {{"   5", "   1", ""}, "span->span_prefix: Bad value of mode."},
      {{"   2", "   1"}, "Error reading monin: Bad io_stat = -01"},
      {{"   2", "   A"}, "Error reading monin: Bad io_stat = 001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    reset_run_state();
    init_units();
    isf_init();
    init_page();
    monin_written_ = false;
    put_title();
    put_coef(eight_by_four());
    const RunResult r = run(c.cards);
    EXPECT_TRUE(r.stopped);
    EXPECT_NE(r.console.find(c.message), std::string::npos) << r.console;
  }
  // The 120th set is accepted (the list then runs over pages).
  reset_run_state();
  init_units();
  isf_init();
  init_page();
  monin_written_ = false;
  put_title();
  put_coef(eight_by_four());
  const RunResult r = run(enough);
  EXPECT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(state().t_ptr.size(), 120u);
}

TEST_F(SpanFrame, MissingParameterCardStops) {
  put_title();
  put_coef(eight_by_four());
  const RunResult r = run({});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("error reading monin:: Bad io_stat = -01"), std::string::npos)
      << r.console;
}

TEST_F(SpanFrame, NoProcessingPagesAndTheIndex) {
  put_title();
  put_coef(eight_by_four());
  RunResult r;
  // Mode 3, MINEW 999: only the analyst's set (1, 2) is analysed.
  std::vector<std::string> out = run_lines({"   3   1   2   4 999", "   1   2", ""}, r);
  ASSERT_FALSE(r.stopped) << r.console;
  std::vector<int> pages;
  for (int k = 3; k <= 4; ++k) {
    const int at = find_line(out, " NO PROCESSING FOR " + std::to_string(k) +
                                      " DIMENSIONAL SUBSPACES.");
    ASSERT_GE(at, 2) << k;
    EXPECT_EQ(out[static_cast<std::size_t>(at - 1)], " ");
    const std::string& header = out[static_cast<std::size_t>(at - 2)];
    ASSERT_EQ(header.substr(0, 7), "1KORVEX");
    pages.push_back(std::stoi(header.substr(header.rfind("Page") + 4)));
  }
  const int index = find_line(out, "I N D E X");
  ASSERT_NE(index, -1);
  EXPECT_EQ(out[static_cast<std::size_t>(index)], std::string(55, ' ') + "I N D E X");
  const std::string row3 = std::string(39, ' ') + "3  DIMENSIONAL ANALYSIS . . . . . . . . .";
  const std::string row4 = std::string(39, ' ') + "4  DIMENSIONAL ANALYSIS . . . . . . . . .";
  const std::string summary = std::string(40, ' ') + "  SUMMARY  . . . . . . . . . . . . . . .";
  const auto page_field = [](int p) {
    std::string f = std::to_string(p);
    return std::string(3 - f.size(), ' ') + f;
  };
  const int a3 = find_line(out, row3, index);
  ASSERT_NE(a3, -1);
  EXPECT_EQ(out[static_cast<std::size_t>(a3)], row3 + page_field(pages[0]));
  EXPECT_EQ(out[static_cast<std::size_t>(a3 + 2)], summary + page_field(pages[0]));
  const int a4 = find_line(out, row4, index);
  ASSERT_NE(a4, -1);
  EXPECT_EQ(out[static_cast<std::size_t>(a4)].size(), 83u);
  EXPECT_EQ(out[static_cast<std::size_t>(a4)], row4 + page_field(pages[1]));
  EXPECT_EQ(out[static_cast<std::size_t>(a4 + 2)], summary + page_field(pages[1]));
  EXPECT_EQ(find_line(out, "SPHERICAL PLOTS"), -1);

  // Mode 1 leaves no trace of a dimensionality without subspaces.
  out = run_lines({"   1   1   3   4 999"}, r);
  ASSERT_FALSE(r.stopped) << r.console;
  EXPECT_EQ(find_line(out, "NO PROCESSING"), -1);
  EXPECT_EQ(find_line(out, "DIMENSIONAL ANALYSIS"), -1);
  EXPECT_NE(find_line(out, "I N D E X"), -1);
}

class SpanPage : public SpanRun {
 protected:
  void SetUp() override {
    SpanRun::SetUp();
    span2::span_page_init();
  }
  std::string last_line() { return listing().back(); }
};

TEST_F(SpanPage, PlainHeaderEndsInTheLastColumn) {
  span2::page_state().page = 6;
  span2::span_page_new();
  const std::string h = last_line();
  EXPECT_EQ(h.size(), 118u);
  EXPECT_EQ(h.substr(0, 7), "1KORVEX");
  EXPECT_EQ(h.substr(113), "Page7");
  span2::page_state().page = 1233;
  span2::span_page_new();
  EXPECT_EQ(last_line().substr(110), "Page1234");
  EXPECT_EQ(span2::page_state().lines_left, 77);
}

TEST_F(SpanPage, TitledHeadersCentreTheTitle) {
  span2::page_state().page = 8;
  span2::span_page_coords_header(3, 12);
  std::vector<std::string> out = listing();
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out[out.size() - 2], " ");
  const std::string title =
      "Augmented  coordinates of the  minimally  sufficient 3 dimensional  subspace -  set 12";
  ASSERT_EQ(title.size(), 86u);
  EXPECT_EQ(out.back(), "1" + std::string(13, ' ') + title + std::string(13, ' ') + "Page9");
  span2::span_page_pct_header(2);
  const std::string pct = "Summary  -  Percentages of communalities in 2-space";
  const int f = 118 - (1 + static_cast<int>(pct.size()) + 4 + 2);
  EXPECT_EQ(last_line(), "1" + std::string(static_cast<std::size_t>((f + 1) / 2), ' ') + pct +
                             std::string(static_cast<std::size_t>(f - (f + 1) / 2), ' ') +
                             "Page10");
  span2::span_page_xref_header(4);
  out = listing();
  EXPECT_EQ(out.back(), " ");
  EXPECT_NE(out[out.size() - 2].find("SET 4  Cross Reference Table "), std::string::npos);
  span2::span_page_spotter_header(5, std::string(25, ' ') + "Dimensions  1, 2, 3");
  out = listing();
  EXPECT_EQ(out[out.size() - 2], std::string(25, ' ') + "Dimensions  1, 2, 3");
  EXPECT_NE(out[out.size() - 3].find("SET 5  SPOTTER - NUMBER/NAME OF POINTS"), std::string::npos);
  EXPECT_EQ(out[out.size() - 3].size(), 118u);
}

TEST_F(SpanPage, NarrowPageKeepsTheWholeTitle) {
  span2::page_state().ncline = 50;
  span2::span_page_partial_header(3);
  const std::string h = last_line();
  EXPECT_EQ(h, "1Summary  -  Partial and total communalities in 3-spacePage1");
}

TEST_F(SpanPage, Reservations) {
  span2::page_record& p = span2::page_state();
  span2::span_page_reserve(0);  // the first reservation starts page 1
  EXPECT_EQ(p.page, 1);
  EXPECT_EQ(p.lines_left, 77);
  span2::span_page_reserve(70);
  EXPECT_EQ(p.lines_left, 7);
  span2::span_page_reserve(7);  // exactly the lines left: a new page
  EXPECT_EQ(p.page, 2);
  EXPECT_EQ(p.lines_left, 77);
  span2::span_page_reserve_xref(0, 1);
  EXPECT_EQ(p.page, 3);
  span2::span_page_reserve_spotter(3, 1, "x");
  EXPECT_EQ(p.page, 3);
  EXPECT_EQ(p.lines_left, 74);
  span2::span_page_reserve(77);
  EXPECT_EQ(p.page, 4);
  // A block that no page holds names the page length it needs.
  const RunResult r = run_with_cards([] { span2::span_page_reserve(78); }, {});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("SPAN2 NEEDS A PAGE LENGTH OF AT LEAST 79 LINES"), std::string::npos);
  EXPECT_EQ(r.console.find("blk_size"), std::string::npos);
}

TEST_F(SpanPage, IndexPageEntries) {
  span2::run_state& s = state();
  s.NF = 4;
  s.NSTART = 1;
  s.NFIN = 4;
  s.three_count = 2;
  s.index_pages = {2, 3, 0, 0, 4, 9, 10, 11, 5, 1234};
  span2::span_index();
  const std::vector<std::string> out = listing();
  const int i = find_line(out, "I N D E X");
  ASSERT_NE(i, -1);
  std::vector<std::string> want = {
      std::string(55, ' ') + "I N D E X", " ", " ", " ",
      std::string(39, ' ') + "1  DIMENSIONAL ANALYSIS . . . . . . . . .  2", " ",
      std::string(40, ' ') + "  SUMMARY  . . . . . . . . . . . . . . .  3", " ", " ", " ",
      std::string(39, ' ') + "3  DIMENSIONAL ANALYSIS . . . . . . . . .  4", " ",
      std::string(44, ' ') + "SPHERICAL PLOTS", " ",
      std::string(45, ' ') + "SET  1  . . . . . . . . . . . . . .  5",
      std::string(45, ' ') + "SET  2  . . . . . . . . . . . . . .***", " ",
      std::string(40, ' ') + "  SUMMARY  . . . . . . . . . . . . . . .  9", " ", " ", " ",
      std::string(39, ' ') + "4  DIMENSIONAL ANALYSIS . . . . . . . . . 10", " ",
      std::string(40, ' ') + "  SUMMARY  . . . . . . . . . . . . . . . 11", " ", " ", " "};
  ASSERT_EQ(out.size(), static_cast<std::size_t>(i) + want.size());
  for (std::size_t k = 0; k < want.size(); ++k) {
    EXPECT_EQ(out[static_cast<std::size_t>(i) + k], want[k]) << k;
  }
}

}  // namespace
}  // namespace korvex::testing

namespace korvex::testing {
namespace {

TEST_F(SpanRun, CoefficientsThatAreNotNumbersAreRefused) {
  put_title();
  Rows rows = eight_by_four();
  rows[4][2] = std::nanf("");
  put_coef(rows);
  const RunResult r = run({""});
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.console.find("SPAN2: UFACT1 coefficient of variable 5 on dimension 3 is not a number."),
            std::string::npos)
      << r.console;
}

}  // namespace
}  // namespace korvex::testing
