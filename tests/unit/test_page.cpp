// Paging protocol, block sizes and run-time layout digits.
#include "printing/page.hpp"
#include "printing/printing_int.hpp"

#include "executive/stop.hpp"
#include "run_fixture.hpp"

namespace korvex {
namespace {

using testing::RunFolder;

class PagingTest : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    init_page();
    u_ = get_monout();
  }
  std::int32_t u_ = 0;
};

TEST(PageIntToText, ZeroPaddedLowDigits) {
  struct Case { std::int64_t n; int width; const char* text; };
  const Case cases[] = {{7, 3, "007"},  {-5, 3, "-05"}, {1234, 3, "234"}, {-1234, 3, "-34"},
                        {0, 2, "00"},   {-7, 1, "-"},   {12, 4, "0012"}, {-3, 1, "-"}};
  for (const Case& c : cases) EXPECT_EQ(int_to_text(c.n, c.width), c.text) << c.n;
}

TEST_F(PagingTest, FirstReservationBeginsPageOne) {
  std::int32_t page = 0, lines = 0;
  PAGER(3, page, lines, u_);
  EXPECT_EQ(page, 1);
  EXPECT_EQ(lines, 73);
  const auto listing = file_lines("MONOUT");
  ASSERT_EQ(listing.size(), 3u);
  EXPECT_EQ(listing[0], " ");
  EXPECT_EQ(listing[1], "1KORVEX" + std::string(102, ' ') + "Page    1");
  EXPECT_EQ(listing[1].size(), 118u);
  EXPECT_EQ(listing[2], " ");
}

TEST_F(PagingTest, FitRulesOfBothForms) {
  std::int32_t page = 1, lines = 5;
  PAGER(5, page, lines, u_);
  EXPECT_EQ(lines, 0);  // exactly fits
  PAGER(1, page, lines, u_);
  EXPECT_EQ(page, 2);
  EXPECT_EQ(lines, 75);

  // Negative reservations write empty lines when they fit, nothing on a new page.
  lines = 10;
  PAGER(-2, page, lines, u_);
  EXPECT_EQ(lines, 8);
  lines = 1;
  PAGER(-2, page, lines, u_);
  EXPECT_EQ(page, 3);
  EXPECT_EQ(lines, 76);

  // Too large a reservation leaves a negative count; the next one begins a page.
  PAGER(100, page, lines, u_);
  EXPECT_EQ(lines, -24);
  PAGER(1, page, lines, u_);
  EXPECT_EQ(page, 5);
}

TEST_F(PagingTest, ZeroAlwaysBeginsAPageAndNegativePageHasNoHeader) {
  std::int32_t page = -1, lines = 50;
  PAGER(0, page, lines, u_);
  EXPECT_EQ(page, -1);
  EXPECT_EQ(lines, 77);
  const auto listing = file_lines("MONOUT");
  ASSERT_EQ(listing.size(), 2u);
  EXPECT_EQ(listing[1], "1");
}

TEST_F(PagingTest, OneArgumentFormNeedsALineToSpareAndIsOneColumnWider) {
  // The page state starts with 0 lines left: the first call begins page 1.
  PAGER(5);
  EXPECT_EQ(page_state().page, 1);
  EXPECT_EQ(page_state().lines_left, 71);
  // Lines left equal to the reservation do not fit in this form.
  set_nlpage(10);
  PAGER(0);
  EXPECT_EQ(page_state().lines_left, 8);
  PAGER(8);
  EXPECT_EQ(page_state().page, 3);
  const auto listing = file_lines("MONOUT");
  ASSERT_GE(listing.size(), 1u);
  EXPECT_EQ(listing[0], "1KORVEX" + std::string(103, ' ') + "Page    1");
}

TEST_F(PagingTest, NarrowHeaderAndWrongUnit) {
  set_ncline(50);
  std::int32_t page = 0, lines = 0;
  PAGER(1, page, lines, u_);
  const auto listing = file_lines("MONOUT");
  EXPECT_EQ(listing[1], "1KORVEX" + std::string(34, ' ') + "Page    1");
  EXPECT_THROW(PAGER(1, page, lines, u_ + 1), Stop);
  EXPECT_NE(out_.str().find("PAGER: monoutx wrong"), std::string::npos);
}

TEST_F(PagingTest, PageNumbersBeyondFiveDigitsWidenIntoTheBlanks) {
  // A listing of the largest data sets passes page 99999: the number keeps all its digits
  // and the header its width, in the paging protocol and in the matrix printers alike.
  EXPECT_EQ(page_number_width(99999), 5);
  EXPECT_EQ(page_number_width(100000), 6);
  EXPECT_EQ(page_number_width(1234567), 7);
  EXPECT_EQ(widen_page_number("('1',NNNX,'Page',I5)", 99999), "('1',NNNX,'Page',I5)");
  EXPECT_EQ(widen_page_number("('1',NNNX,'Page',I5)", 100000), "('1',NNNX,'Page',I6)");
  std::int32_t page = 99998, lines = 0;
  PAGER(0, page, lines, u_);
  PAGER(0, page, lines, u_);
  std::int32_t printer_page = 1234566;
  printing_detail::begin_printer_page(printer_page, u_);
  const auto listing = file_lines("MONOUT");
  ASSERT_EQ(listing.size(), 7u);  // each PAGER(0): an empty line, the header, an empty line
  EXPECT_EQ(listing[1], "1KORVEX" + std::string(102, ' ') + "Page99999");
  EXPECT_EQ(listing[4], "1KORVEX" + std::string(101, ' ') + "Page100000");
  EXPECT_EQ(listing[6], "1" + std::string(106, ' ') + "Page1234567");
  for (std::size_t i : {1u, 4u, 6u}) EXPECT_EQ(listing[i].size(), 118u);
}

TEST_F(PagingTest, NewPageIfShort) {
  std::int32_t page = 1, lines = 4;
  new_page_if_short(0, page, lines, u_);
  new_page_if_short(4, page, lines, u_);
  EXPECT_EQ(page, 1);
  lines = 3;
  new_page_if_short(4, page, lines, u_);
  EXPECT_EQ(page, 2);
  EXPECT_EQ(lines, 76);
}

TEST_F(PagingTest, BlockSizes) {
  struct Case { std::int32_t nlpage, k, rows; };
  const Case cases[] = {{78, 5, 70}, {78, 7, 70}, {78, 11, 60}, {54, 5, 45}, {55, 5, 50}, {3, 5, 0}};
  for (const Case& c : cases) {
    set_nlpage(c.nlpage);
    EXPECT_EQ(rows_per_block(c.k), c.rows) << c.nlpage << " " << c.k;
  }
  EXPECT_EQ(hdr_overhead_lines(8, 9), 5);
  EXPECT_EQ(hdr_overhead_lines(9, 9), 7);
  EXPECT_EQ(hdr_overhead_lines(18, 9), 11);
}

}  // namespace
}  // namespace korvex
