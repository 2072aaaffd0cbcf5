// Golden text tests of the statistics-table columns: the cells and widths the formatters
// make, how pr_column_fit spreads the free characters of a line, and the caption line and
// rows of pr_column_captions under a stand-in for the data-entry listing's page counter.
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "printing_fixture.hpp"

namespace korvex {
namespace {

using Lines = std::vector<std::string>;

class PrintingColumns : public testing::PrintingRun {
 protected:
  // Entries of 30 characters filled with "#", so that untouched characters show.
  static std::vector<std::string> entries(std::size_t n) {
    return std::vector<std::string>(n, std::string(30, '#'));
  }
  // The first `width` characters of each entry.
  static Lines cells(const std::vector<std::string>& e, std::int32_t width) {
    Lines out;
    for (const std::string& s : e) out.push_back(s.substr(0, static_cast<std::size_t>(width)));
    return out;
  }
};

// Stands in for the data-entry listing's page counter: a new page writes one marker record
// and leaves 40 lines.
class StandInPager : public table_pager {
 public:
  explicit StandInPager(std::int32_t unit) : unit_(unit) {}
  std::int32_t& lines_left() override { return lines_; }
  std::int32_t unit() const override { return unit_; }
  void new_page() override {
    ++pages_;
    write_record(unit_, "1DAP PAGE " + std::to_string(pages_));
    lines_ = 40;
  }
  std::int32_t pages_ = 0;

 private:
  std::int32_t unit_;
  std::int32_t lines_ = 99;
};

// ---- formatters --------------------------------------------------------------------------

TEST_F(PrintingColumns, RealColumnsDropDecimalsOnlyWhenEveryValueIsWhole) {
  struct Case {
    std::vector<float> x;
    std::int32_t min_width, ndig;
    std::int32_t width, whole;
    Lines cells;
  };
  const Case cases[] = {
      {{3.0f, 12.0f, 7.0f}, 4, 3, 4, 1, {"   3", "  12", "   7"}},
      {{12.0f, 3.5f}, 4, 3, 6, 0, {"12.000", " 3.500"}},
      {{1000.0f, 5.0f}, 3, 3, 4, 1, {"1000", "   5"}},
      {{-2.0f, 2.0f}, 1, 0, 2, 1, {"-2", " 2"}},         // (F20.0) ends in "." alone
      {{0.25f}, 8, 2, 8, 0, {"    0.25"}},               // the caption is wider
      {{1.0e20f}, 1, 3, 20, 0, {std::string(20, '*')}},  // too wide for the field
  };
  for (const Case& c : cases) {
    auto e = entries(c.x.size());
    std::int32_t width = -1, whole = -1;
    pr_column_real(c.x, static_cast<std::int32_t>(c.x.size()), c.min_width, c.ndig, e, width,
                   whole);
    EXPECT_EQ(width, c.width) << c.cells[0];
    EXPECT_EQ(whole, c.whole) << c.cells[0];
    EXPECT_EQ(cells(e, width), c.cells);
    for (const std::string& s : e)
      EXPECT_EQ(s.substr(static_cast<std::size_t>(width)), std::string(30 - width, '#'));
  }
  auto e = entries(1);
  std::int32_t width = -1, whole = -1;
  pr_column_real({}, 0, 5, 3, e, width, whole);
  EXPECT_EQ(width, 5);
  EXPECT_EQ(whole, 1);
  EXPECT_EQ(e[0], std::string(30, '#'));
}

TEST_F(PrintingColumns, IntegerTextAndPercentColumns) {
  auto e = entries(3);
  std::int32_t width = -1, whole = -1;
  pr_column_int(std::vector<std::int32_t>{7, -12, 150}, 3, 1, e, width);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(cells(e, 3), (Lines{"  7", "-12", "150"}));

  // Texts are copied left-aligned; the width is the last non-blank column of any text.
  e = entries(3);
  pr_column_char(std::vector<std::string>{"ALPHA", " BE TA", ""}, 3, 20, e, width);
  EXPECT_EQ(width, 6);
  EXPECT_EQ(e, (Lines{"ALPHA" + blanks(25), " BE TA" + blanks(24), blanks(30)}));

  struct Pct {
    float x;
    std::int32_t min_width;
    std::string cell;
  };
  const Pct pcts[] = {{0.456f, 4, " 46."}, {1.2f, 4, "****"}, {-0.1f, 5, "*****"},
                      {1.0f, 4, "100."},   {1.0f, 3, "00."},  {0.0f, 4, "  0."}};
  for (const Pct& p : pcts) {
    e = entries(1);
    pr_column_pct(std::vector<float>{p.x}, 1, p.min_width, e, width, whole);
    EXPECT_EQ(width, p.min_width);
    EXPECT_EQ(whole, 1);
    EXPECT_EQ(e[0].substr(0, static_cast<std::size_t>(width)), p.cell) << p.x;
    EXPECT_EQ(e[0][static_cast<std::size_t>(width)], '#');
  }
}

// ---- fitting ---------------------------------------------------------------------------

std::vector<table_column> table_of(const std::vector<std::int32_t>& widths, std::int32_t gap,
                                   std::int32_t stretchable) {
  std::vector<table_column> t(widths.size());
  for (std::size_t i = 0; i < widths.size(); ++i) {
    t[i].width = widths[i];
    t[i].gap = gap;
    t[i].stretch = static_cast<std::int32_t>(i) < stretchable ? 1 : 0;
  }
  return t;
}

std::vector<std::int32_t> gaps_of(const std::vector<table_column>& t) {
  std::vector<std::int32_t> g;
  for (const table_column& c : t) g.push_back(c.gap);
  return g;
}

TEST_F(PrintingColumns, FitSpreadsFreeCharactersNarrowColumnsFirst) {
  // 8 columns, gaps 2, widths summing to 99: 1 + 16 + 99 = 116, so 3 characters are free.
  auto t = table_of({4, 10, 6, 8, 5, 12, 20, 34}, 2, 6);
  pr_column_fit(t, 8);
  // Ordered by width the stretchable columns are 4, 5, 6, 8, 10, 12: the narrowest gets two
  // characters, then the width-5 column moves to the front and gets the third.
  EXPECT_EQ(gaps_of(t), (std::vector<std::int32_t>{4, 2, 2, 2, 3, 2, 2, 2}));

  auto roomy = table_of({4, 10, 6, 8, 5, 12, 20, 27}, 2, 6);  // 10 free characters
  pr_column_fit(roomy, 8);
  EXPECT_EQ(gaps_of(roomy), std::vector<std::int32_t>(8, 2));

  auto full = table_of({4, 10, 6, 8, 5, 12, 20, 37}, 2, 6);  // exactly fills the line
  pr_column_fit(full, 8);
  EXPECT_EQ(gaps_of(full), std::vector<std::int32_t>(8, 2));

  // Too wide: the stretchable gaps shrink, but keep one blank so that the values of
  // neighbouring columns stay apart (a line of 50 characters under a 999-variable table).
  auto over = table_of({60, 60}, 3, 2);
  pr_column_fit(over, 2);  // 1 + 126 = 127: s = -8, t = -4
  EXPECT_EQ(gaps_of(over), (std::vector<std::int32_t>{1, 1}));
  // Rows that would then pass the 132 characters of the table printer shrink as before.
  auto too_wide = table_of({70, 70}, 3, 2);
  pr_column_fit(too_wide, 2);  // 1 + 146 = 147: with one blank each still 142 columns
  EXPECT_EQ(gaps_of(too_wide), (std::vector<std::int32_t>{0, 0}));
  auto no_gap = table_of({60, 60}, 0, 2);
  pr_column_fit(no_gap, 2);  // a column set flush stays flush
  EXPECT_EQ(gaps_of(no_gap), (std::vector<std::int32_t>{0, 0}));

  // Captions widen their cells first.
  auto captioned = table_of({3, 3}, 1, 0);
  captioned[0].caption = ljust("Minimum", 100);
  pr_column_fit(captioned, 2);
  EXPECT_EQ(captioned[0].width, 7);
  EXPECT_EQ(captioned[1].width, 3);
}

// ---- captions and rows -------------------------------------------------------------------

class PrintingColumnCaptions : public PrintingColumns {
 protected:
  // No. right over 3 columns, Mean centred over 7 from column 20, Name left over 6 (unused).
  std::vector<table_column> table(std::size_t rows) {
    std::vector<table_column> t(3);
    t[0].gap = 1, t[0].width = 3, t[0].just = 1, t[0].caption = ljust("No.", 100);
    t[1].gap = 15, t[1].width = 7, t[1].just = 0, t[1].caption = ljust("Mean", 100);
    t[2].gap = 2, t[2].width = 6, t[2].just = -1, t[2].caption = ljust("Name", 100);
    t[2].in_use = 0;
    for (std::size_t j = 1; j <= rows; ++j) {
      t[0].entries.push_back(ljust(rjust(static_cast<long>(j), 3), 30));
      t[1].entries.push_back(ljust("  3.500", 30));
      t[2].entries.push_back(ljust("ALPHA", 30));
    }
    return t;
  }
  static std::string row(std::size_t j) {
    return " " + rjust(static_cast<long>(j), 3) + blanks(15) + "  3.500";
  }
  const std::string caption_line = " No." + blanks(17) + "Mean" + blanks(3) + "Name";
};

TEST_F(PrintingColumnCaptions, CaptionLineAndRows) {
  auto t = table(3);
  StandInPager pager(unit_);
  pr_column_captions(t, 3, pager);
  EXPECT_EQ(listing(), (Lines{" ", "1DAP PAGE 1", caption_line, " ", row(1), row(2), row(3), " "}));
  EXPECT_EQ(caption_line.find("Mean"), 21u);  // columns 22-25
  EXPECT_EQ(pager.lines_left(), 36);
}

TEST_F(PrintingColumnCaptions, CaptionsRepeatOnEveryPage) {
  auto t = table(60);
  StandInPager pager(unit_);
  pr_column_captions(t, 3, pager);
  const Lines got = listing();
  ASSERT_EQ(got.size(), 4u + 35 + 4 + 25 + 1);
  EXPECT_EQ(got[4], row(1));
  EXPECT_EQ(got[38], row(35));
  EXPECT_EQ(Lines(got.begin() + 39, got.begin() + 44),
            (Lines{" ", "1DAP PAGE 2", caption_line, " ", row(36)}));
  EXPECT_EQ(got.back(), " ");
  EXPECT_EQ(pager.lines_left(), 40 - 25 - 1);
}

TEST_F(PrintingColumnCaptions, EmptyTableAndBadPlacement) {
  auto t = table(0);
  StandInPager pager(unit_);
  pr_column_captions(t, 3, pager);
  EXPECT_EQ(listing(), (Lines{" "}));
  EXPECT_EQ(pager.lines_left(), -1);
  EXPECT_EQ(pager.pages_, 0);

  t = table(2);
  t[1].just = 2;
  const std::string console = stop_console([&] { pr_column_captions(t, 3, pager); });
  EXPECT_NE(console.find(fatal_line("JUST is invalid")), std::string::npos);
  EXPECT_EQ(pager.pages_, 0);
}

}  // namespace
}  // namespace korvex
