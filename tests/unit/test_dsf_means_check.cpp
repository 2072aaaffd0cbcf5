// Every component that reads the subjects of the data storage file after COR2 and COR3 (FACS
// in both passes, RSCAT on the data file, OTYPE on the variables) checks that the file holds
// the data MEANS1 describes. Each case runs an earlier analysis, saves it with GIVE, runs DAP
// on this run's data and restores the earlier ISF with TAKE, as a deck with *TAKE after *DAP
// does; the right orders (*TAKE before *DAP, or the TAKE of a run on the same data) go on.
// Small data whose means are exact in decimal, so the messages are written out here.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "scoring/scoring.hpp"
#include "storage/give.hpp"
#include "test_facs_fixture.hpp"
#include "typing/typing.hpp"

namespace korvex::testing {
namespace {

// This run's data: four subjects, means 2.5, 4 and 12.
const std::vector<std::string> this_run = {"   1.000   2.000  10.000  S1", "   2.000   4.000  11.000  S2",
                                           "   3.000   4.000  13.000  S3", "   4.000   6.000  14.000  S4"};
// Another run's: the first three subjects; all four and a fifth; four others (means 4.5, 3, 11).
const std::vector<std::string> first_three(this_run.begin(), this_run.begin() + 3);
const std::vector<std::string> one_more = {this_run[0], this_run[1], this_run[2], this_run[3],
                                           "   5.000   5.000  15.000  S5"};
const std::vector<std::string> other_four = {"   2.000   1.000   9.000  T1", "   4.000   3.000  10.000  T2",
                                             "   5.000   3.000  12.000  T3", "   7.000   5.000  13.000  T4"};

enum class reader { facs_complete, facs_missing, rscat, otype };

struct take_case {
  const char* name;
  reader component;
  const std::vector<std::string>* earlier;  // the data of the run whose ISF is taken
  bool dap_last;                            // *TAKE, then *DAP: this run's data replace it
  const char* first_line;                   // the stop's first line; "" when the run goes on
};

const char* component_name(reader r) {
  return r == reader::rscat ? "RSCAT" : r == reader::otype ? "OTYPE" : "FACS";
}

class DsfMeansCheck : public FacsTest, public ::testing::WithParamInterface<take_case> {
 protected:
  void SetUp() override {
    FacsTest::SetUp();
    reset_rscat();
    reset_otype();
  }
  void TearDown() override {
    reset_otype();
    reset_rscat();
    FacsTest::TearDown();
  }
  void dap(const std::vector<std::string>& rows) {
    std::vector<const char*> ptrs;
    for (const std::string& r : rows) ptrs.push_back(r.c_str());
    load_data(ptrs.data(), ptrs.size(), 3, 1);
  }
  // The earlier run: DAP and COR2 on rows, saved to GIVE, which becomes this run's TAKE.
  void earlier_run(const std::vector<std::string>& rows) {
    dap(rows);
    std::int32_t page = 0;
    std::int32_t lines = 0;
    GIVE(get_unit("GIVE"), page, lines, get_unit("MONOUT"));
    std::filesystem::rename("GIVE", "TAKE");
    isf_init();
  }
  void take() {
    std::int32_t failed = 0;
    std::int32_t page = 0;
    std::int32_t lines = 0;
    TAKE(get_unit("TAKE"), failed, page, lines, get_unit("MONOUT"));
    ASSERT_EQ(failed, 0);
  }
  RunResult run(reader r) {
    switch (r) {
      case reader::facs_complete:
      case reader::facs_missing:
        put_reflx({{1, 2}, {3}});
        return run_with_cards(&FACS, {r == reader::facs_missing ? "   1   1   0   0 .55   1" : "",
                                      "", "SCORES OF THE DATA"});
      case reader::rscat:
        return run_with_cards(&RSCAT, {"   1   2"});
      case reader::otype:
        return run_with_cards(&OTYPE, {"   0   3   1   1   1   1"});
    }
    return {};
  }
};

TEST_P(DsfMeansCheck, TheDataMustBeMeans1s) {
  const take_case& c = GetParam();
  earlier_run(*c.earlier);
  if (c.dap_last) {
    take();
    dap(this_run);
  } else {
    dap(this_run);
    take();
  }
  const RunResult r = run(c.component);
  if (*c.first_line == '\0') {
    EXPECT_FALSE(r.stopped) << r.console;
    return;
  }
  ASSERT_TRUE(r.stopped);
  const std::string remedy = std::string("MEANS1 IS NOT THE DATA'S: RUN *DAP AFTER *TAKE OR *GIST, BEFORE *") +
                             component_name(c.component);
  EXPECT_NE(r.console.find(std::string(" ") + c.first_line + "\n " + remedy + "\n"), std::string::npos)
      << r.console;
  EXPECT_TRUE(listing_has(c.first_line));
  // Nothing stored: no scores, no weights, no types.
  for (const char* label : {"FSCOR1", "WEIGH1", "OTYPE1", "OMEAN1"}) {
    int rows = 0;
    int cols = 0;
    EXPECT_TRUE(get_matrix(label, rows, cols).empty()) << label;
  }
}

constexpr const char* more = "THE DATA STORAGE FILE HOLDS MORE SUBJECTS THAN THE 3 OF MEANS1";
constexpr const char* fewer = "THE DATA STORAGE FILE HOLDS 4 SUBJECTS, FEWER THAN THE 5 OF MEANS1";
constexpr const char* other = "VARIABLE 1: MEAN 2.500000E+00 IN THE DATA, 4.500000E+00 IN MEANS1";

const take_case cases[] = {
    {"facs_complete_same_data", reader::facs_complete, &this_run, false, ""},
    {"facs_complete_take_then_dap", reader::facs_complete, &other_four, true, ""},
    {"facs_complete_more", reader::facs_complete, &first_three, false, more},
    {"facs_complete_fewer", reader::facs_complete, &one_more, false, fewer},
    {"facs_complete_other_means", reader::facs_complete, &other_four, false, other},
    {"facs_missing_same_data", reader::facs_missing, &this_run, false, ""},
    {"facs_missing_more", reader::facs_missing, &first_three, false, more},
    {"facs_missing_fewer", reader::facs_missing, &one_more, false, fewer},
    {"facs_missing_other_means", reader::facs_missing, &other_four, false, other},
    {"rscat_same_data", reader::rscat, &this_run, false, ""},
    {"rscat_take_then_dap", reader::rscat, &other_four, true, ""},
    {"rscat_more", reader::rscat, &first_three, false, more},
    {"rscat_fewer", reader::rscat, &one_more, false, fewer},
    {"rscat_other_means", reader::rscat, &other_four, false, other},
    {"otype_same_data", reader::otype, &this_run, false, ""},
    {"otype_take_then_dap", reader::otype, &other_four, true, ""},
    {"otype_more", reader::otype, &first_three, false, more},
    {"otype_fewer", reader::otype, &one_more, false, fewer},
    {"otype_other_means", reader::otype, &other_four, false, other},
};

INSTANTIATE_TEST_SUITE_P(Cases, DsfMeansCheck, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvex::testing
