// Golden text tests of the line and scalar printers: how texts are cut into pieces (word
// wrap, hyphenated long words, runs of blanks, the hard blank 127), where pr_line and
// expand_line place the pieces, and the records and line counts of pr_scalar.
#include <string>
#include <vector>

#include "printing_fixture.hpp"

namespace korvex {
namespace {

using Lines = std::vector<std::string>;

class PrintingLine : public testing::PrintingRun {};

// ---- split_line ------------------------------------------------------------------------

TEST(PrintingSplitLine, PiecesOfTheDefinition) {
  struct Case {
    std::int32_t maxlen;
    std::string text;
    std::vector<line_piece> pieces;  // without the end marker
  };
  const Case cases[] = {
      {20, "ALPHA BETA GAMMA DELTA", {{1, 16, 0}, {18, 22, 0}}},
      {6, "ABCDEFGHIJ", {{1, 5, 1}, {6, 10, 0}}},  // no blank: maxlen - 1 and a hyphen
      {10, "    ", {{1, 0, 1}}},                   // blank text
      {5, "  LEADING", {{3, 6, 1}, {7, 9, 0}}},    // leading blanks skipped
      {4, "AAA   BBB", {{1, 3, 0}, {6, 9, 0}}},    // the run's rest starts the next piece
      {3, "AB   CDEFG", {{1, 2, 0}, {5, 4, 0}, {6, 7, 1}, {8, 10, 0}}},  // an empty piece
      {4,
       "AB\x7f"
       "CD",
       {{1, 3, 1}, {4, 5, 0}}},           // the hard blank is no break
      {1, "AB", {{1, 1, 1}, {2, 2, 0}}},  // maxlen 1 still advances
  };
  for (const Case& c : cases) {
    const std::vector<line_piece> got = split_line(c.maxlen, c.text);
    ASSERT_EQ(got.size(), c.pieces.size() + 1) << c.text;
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
      EXPECT_EQ(got[i].first, c.pieces[i].first) << c.text << " piece " << i;
      EXPECT_EQ(got[i].last, c.pieces[i].last) << c.text << " piece " << i;
      EXPECT_EQ(got[i].broken, c.pieces[i].broken) << c.text << " piece " << i;
    }
    EXPECT_EQ(got.back().first, 1);
    EXPECT_EQ(got.back().last, 0);
    EXPECT_EQ(got.back().broken, 0);
  }
}

// ---- pr_line ---------------------------------------------------------------------------

TEST_F(PrintingLine, WrapsAtTwentyColumnsAndHyphenatesALongWord) {
  std::int32_t page = 1, lines = 20;
  pr_line(-1, 20, "ALPHA BETA GAMMA DELTA", page, lines, unit_);
  pr_line(-1, 20, "SUPERCALIFRAGILISTICEXPIALIDOCIOUS IS LONG", page, lines, unit_);
  EXPECT_EQ(listing(), (Lines{" ALPHA BETA GAMMA", " DELTA", " SUPERCALIFRAGILISTI-",
                              " CEXPIALIDOCIOUS IS", " LONG"}));
  EXPECT_EQ(page, 1);
  EXPECT_EQ(lines, 15);
}

TEST_F(PrintingLine, PlacesOnePieceByMode) {
  struct Case {
    std::int32_t ncline, mode, maxlen;
    std::string text, record;
  };
  const Case cases[] = {
      {118, 0, 117, "ABCDEFGHIJ", blanks(54) + "ABCDEFGHIJ"},  // s = 59 - 5
      {118, 1, 117, "ABC", blanks(115) + "ABC"},               // ends in column 118
      {118, -1, 117, "   TITLE", " TITLE"},
      {118, -1, 117, "\x7f\x7f\x7fTITLE", "    TITLE"},  // hard blanks indent
      {50, 0, 50, "ABCDEFGHIJ", blanks(20) + "ABCDEFGHIJ"},
      // A piece as wide as the line never takes the carriage-control column.
      {50, 0, 50, std::string(50, 'X'), " " + std::string(50, 'X')},
  };
  for (const Case& c : cases) {
    reset_run_state();
    init_units();
    init_page();
    set_ncline(c.ncline);
    std::int32_t page = 1, lines = 10;
    pr_line(c.mode, c.maxlen, c.text, page, lines, get_monout());
    EXPECT_EQ(listing(), (Lines{c.record})) << c.text;
    EXPECT_EQ(lines, 9);
  }
}

TEST_F(PrintingLine, HardBlankPrintsAsBlankButHoldsTheWordTogether) {
  std::int32_t page = 1, lines = 10;
  pr_line(-1, 4,
          "AB\x7f"
          "CD",
          page, lines, unit_);
  EXPECT_EQ(listing(), (Lines{" AB -", " CD"}));
}

TEST_F(PrintingLine, BreaksInsideRunsOfBlanks) {
  std::int32_t page = 1, lines = 10;
  pr_line(-1, 4, "AAA   BBB", page, lines, unit_);
  pr_line(-1, 3, "AB   CDEFG", page, lines, unit_);  // its second piece is empty
  EXPECT_EQ(listing(), (Lines{" AAA", "  BBB", " AB", " ", " CD-", " EFG"}));
  EXPECT_EQ(lines, 4);
}

TEST_F(PrintingLine, ReservesAllPiecesAtOnce) {
  std::int32_t page = 1, lines = 1;
  pr_line(-1, 20, "ALPHA BETA GAMMA DELTA", page, lines, unit_);
  EXPECT_EQ(listing(), (Lines{" ", pager_header(2), " ", " ALPHA BETA GAMMA", " DELTA"}));
  EXPECT_EQ(page, 2);
  EXPECT_EQ(lines, 74);
}

TEST_F(PrintingLine, BlankTextIgnoresTheModeAndABadModeStopsAfterReserving) {
  std::int32_t page = 1, lines = 10;
  pr_line(7, 20, "     ", page, lines, unit_);
  EXPECT_EQ(lines, 9);
  const std::string console =
      stop_console([&] { pr_line(5, 20, "ALPHA BETA GAMMA DELTA", page, lines, unit_); });
  EXPECT_NE(console.find(fatal_line("error in pr_line; select case default")), std::string::npos);
  EXPECT_EQ(lines, 7);
  const Lines got = listing();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got[0], " ");
  for (const std::string& line : got) EXPECT_EQ(line.find("ALPHA"), std::string::npos);
}

// ---- expand_line -----------------------------------------------------------------------

TEST_F(PrintingLine, ExpandLinePlacesPiecesInTheBuffer) {
  struct Case {
    std::int32_t mode, maxlen;
    std::string text;
    std::int32_t nout;
    Lines lines;  // the buffer afterwards, trailing blanks cut
  };
  const Case cases[] = {
      {0, 99, "ABCDE", 1, {blanks(46) + "ABCDE"}},  // m = 50, h = 3: column 47
      {1, 60, "ABC", 1, {blanks(57) + "ABC"}},      // ends in column 60
      {-1, 20, "ALPHA BETA GAMMA DELTA", 2, {"ALPHA BETA GAMMA", "DELTA"}},
      // Centred in 9 columns: the field is 2h + 1 wide and the hyphen follows it.
      {0, 9, "ABCDEFGHIJKLM", 2, {"ABCDEFGH -", " IJKLM"}},
      {0, 9, "   ", 1, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> buf(3, std::string(static_cast<std::size_t>(c.maxlen + 1), '#'));
    std::int32_t nout = -1;
    expand_line(c.mode, c.maxlen, c.text, buf, nout);
    EXPECT_EQ(nout, c.nout) << c.text;
    for (std::size_t i = 0; i < buf.size(); ++i) {
      EXPECT_EQ(buf[i].size(), static_cast<std::size_t>(c.maxlen + 1));
      const std::string expected = i < c.lines.size() ? c.lines[i] : "";
      EXPECT_EQ(buf[i], ljust(expected, buf[i].size())) << c.text << " line " << i;
    }
  }
  std::vector<std::string> buf(2, std::string(10, ' '));
  std::int32_t nout = 0;
  const std::string console = stop_console([&] { expand_line(2, 9, "ABC", buf, nout); });
  EXPECT_NE(console.find(fatal_line("error in expand_line; select case default")),
            std::string::npos);
}

// ---- pr_scalar -------------------------------------------------------------------------

TEST_F(PrintingLine, ScalarUnderItsCaption) {
  std::int32_t page = 1, lines = 20;
  pr_scalar(1.5f, 1, 3, "CAPTION", page, lines, unit_);
  EXPECT_EQ(listing(), (Lines{" CAPTION", " ", blanks(10) + "1.500", " ", " ", " "}));
  EXPECT_EQ(lines, 13);
  EXPECT_EQ(page, 1);
}

TEST_F(PrintingLine, ScalarValueLayouts) {
  struct Case {
    float x;
    std::int32_t mode, ndig;
    std::string value;
  };
  const Case cases[] = {
      {1.5f, 1, 3, blanks(10) + "1.500"},
      {-12.0f, 1, 0, blanks(11) + "-12."},
      {1.5f, 2, 9, blanks(7) + "1.50E+00"},  // ndig does not matter in exponent form
      {1.0e9f, 1, 3, blanks(4) + std::string(11, '*')},
  };
  for (const Case& c : cases) {
    std::int32_t page = 1, lines = 50;
    pr_scalar(c.x, c.mode, c.ndig, "X", page, lines, unit_);
    const Lines got = listing();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[got.size() - 4], c.value) << c.x;
  }
  std::int32_t page = 1, lines = 50;
  Pr_scalar_int(42, "COUNT", page, lines, unit_);
  EXPECT_EQ(listing().back(), " ");
  EXPECT_EQ(listing()[listing().size() - 4], blanks(12) + "42");
}

TEST_F(PrintingLine, ScalarPaging) {
  // Fewer than 3 lines: a page of the printers' own style, counted from nlpage.
  std::int32_t page = 1, lines = 2;
  pr_scalar(1.5f, 1, 3, "CAPTION", page, lines, unit_);
  EXPECT_EQ(listing(),
            (Lines{printer_header(2), " ", " CAPTION", " ", blanks(10) + "1.500", " ", " ", " "}));
  EXPECT_EQ(page, 2);
  EXPECT_EQ(lines, 71);

  // With headers off the new page is a lone "1"; with 3 lines after the caption no empty
  // lines follow the value and the count comes to 0.
  reset_run_state();
  init_units();
  init_page();
  page = -1;
  lines = 0;
  pr_scalar(1.5f, 1, 3, "CAPTION", page, lines, get_monout());
  EXPECT_EQ(listing()[0], "1");
  EXPECT_EQ(page, -1);
  lines = 4;
  pr_scalar(2.5f, 1, 1, "SECOND", page, lines, get_monout());
  const Lines got = listing();
  EXPECT_EQ(Lines(got.end() - 3, got.end()), (Lines{" SECOND", " ", blanks(12) + "2.5"}));
  EXPECT_EQ(lines, 0);
}

TEST_F(PrintingLine, ScalarChecksComeBeforeAnyOutput) {
  std::int32_t page = 1, lines = 20;
  std::string console = stop_console([&] { pr_scalar(1.0f, 3, 2, "CAPTION", page, lines, unit_); });
  EXPECT_NE(console.find(fatal_line("pr_scalar: Invalid mode parameter")), std::string::npos);
  console = stop_console([&] { pr_scalar(1.0f, 1, 10, "CAPTION", page, lines, unit_); });
  EXPECT_NE(console.find(fatal_line("pr_scalar: Invalid ndig parameter")), std::string::npos);
  for (const std::string& line : listing()) EXPECT_EQ(line.find("CAPTION"), std::string::npos);
  EXPECT_EQ(lines, 20);
}

}  // namespace
}  // namespace korvex
