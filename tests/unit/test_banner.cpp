// Golden text tests of the start banner: the 50 lines at the default width, the name line
// and the wrapped title at the narrowest width *SET_NC accepts, the name line at 91
// columns, and the run date as MM/DD/CCYY from the machine's date.
#include <string>
#include <vector>

#include "printing_fixture.hpp"

namespace korvex {
namespace {

using Lines = std::vector<std::string>;

const std::string spaced_name = "K  O  R  V  E  X";
const std::string long_title =
    "Windows   Version   of   the   Morvi   System   of   Exploratory   Multivariate   Analysis";

class PrintingBanner : public testing::PrintingRun {
 protected:
  // The banner as the *START handler prints it: headers off, no page break possible.
  Lines print_banner(std::int32_t width) {
    std::int32_t page = -1, lines = 1000;
    pr_banner(0, width, page, lines, unit_);
    EXPECT_EQ(page, -1);
    const Lines got = listing();
    EXPECT_EQ(lines, 1000 - static_cast<std::int32_t>(got.size()));
    return got;
  }
  // 50 empty records with the given lines (1-based) in place.
  static Lines banner_with(const std::vector<std::pair<int, Lines>>& at) {
    Lines out;
    int line = 1;
    for (const auto& [where, records] : at) {
      for (; line < where; ++line) out.push_back(" ");
      out.insert(out.end(), records.begin(), records.end());
      ++line;
    }
    for (; line <= 50; ++line) out.push_back(" ");
    return out;
  }
  static std::string today() { return run_date_text(system_date_ccyymmdd()); }
};

TEST_F(PrintingBanner, DefaultWidth) {
  const Lines got = print_banner(90);
  EXPECT_EQ(got, banner_with({{5, {blanks(14) + spaced_name + blanks(58) + spaced_name}},
                              {8, {blanks(14) + long_title}},
                              {43, {blanks(51) + "Build number 2104"}},  // record columns 52-68
                              {46, {blanks(50) + "Run Date " + today()}}}));  // columns 51-69
  ASSERT_EQ(got.size(), 50u);
  EXPECT_EQ(got[4].size(), 104u);
}

TEST_F(PrintingBanner, NarrowestLineWrapsTheTitle) {
  set_ncline(50);
  const Lines got = print_banner(50);
  EXPECT_EQ(got, banner_with({{5, {spaced_name + blanks(17) + spaced_name}},
                              {8,
                               {" Windows   Version   of   the   Morvi   System   of",
                                blanks(8) + "Exploratory   Multivariate   Analysis"}},
                              {43, {blanks(17) + "Build number 2104"}},
                              {46, {blanks(16) + "Run Date " + today()}}}));
  ASSERT_EQ(got.size(), 51u);
  EXPECT_EQ(got[4].size(), 49u);
}

TEST_F(PrintingBanner, NameLineSpansTheFieldAtNinetyOneColumns) {
  set_ncline(91);
  const Lines got = print_banner(90);
  ASSERT_EQ(got.size(), 50u);
  EXPECT_EQ(got[4], spaced_name + blanks(58) + spaced_name);
  EXPECT_EQ(got[7], " " + long_title);  // centring would start in the carriage-control column
}

TEST_F(PrintingBanner, TableAndRunDate) {
  const std::vector<std::string>& table = make_banner();
  ASSERT_EQ(table.size(), 50u);
  for (const std::string& line : table) EXPECT_EQ(line.size(), 90u);
  EXPECT_EQ(table[42].substr(37, 17), "Build number 2104");
  EXPECT_EQ(table[42].find("NNNN"), std::string::npos);
  EXPECT_EQ(table[45].substr(36, 9), "Run Date ");

  EXPECT_EQ(run_date_text("20260307"), "03/07/2026");
  EXPECT_EQ(run_date_text("19991231"), "12/31/1999");
  const std::string date = table[45].substr(45, 10);
  ASSERT_EQ(date.size(), 10u);
  EXPECT_EQ(date[2], '/');
  EXPECT_EQ(date[5], '/');
  const int month = std::stoi(date.substr(0, 2)), day = std::stoi(date.substr(3, 2));
  EXPECT_TRUE(month >= 1 && month <= 12) << date;
  EXPECT_TRUE(day >= 1 && day <= 31) << date;
  EXPECT_GE(std::stoi(date.substr(6, 4)), 2024) << date;
}

}  // namespace
}  // namespace korvex
