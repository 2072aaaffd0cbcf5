// Unit tests of the status checks and error messages: the tagged and untagged checks stop
// with the caller's tag and the status digits, the missing-entry reports land on the
// listing with their stop codes, and the coded errors of the scoring component pick their
// message and report kind. Each test runs in a fresh folder with the unit table built.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "executive/over00.hpp"
#include "executive/status.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"

namespace korvex {
namespace {

namespace fs = std::filesystem;

// The console text of proc_error for a message: header, two one-blank lines, the message in
// chunks of 80 after a blank, and the empty line of QUIT(0).
std::string fatal_console(const std::string& message) {
  std::string s = " * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n";
  for (std::size_t i = 0; i < message.size(); i += 80) s += " " + message.substr(i, 80) + "\n";
  return s + "\n";
}

std::string quit_console(int code) { return " \n QUIT: ERROR=" + std::to_string(code) + "\n\n"; }

class StatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("korvex_status_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    fresh_run();
    io::redirect_console(&out_, &err_);
  }
  void TearDown() override {
    io::redirect_console(nullptr, nullptr);
    reset_run_state();
    reset_error_state();
    fs::current_path(old_dir_);
    fs::remove_all(dir_);
  }

  // A new run in the same folder: table rebuilt, stop state and listing forgotten.
  void fresh_run() {
    reset_run_state();
    reset_error_state();
    fs::remove("MONOUT");
    init_units();
    out_.str("");
  }

  // Runs a call that must stop; returns the console text and checks the stop code.
  std::string stop_of(const std::function<void()>& call, int code = 0) {
    try {
      call();
      ADD_FAILURE() << "no stop";
    } catch (const Stop& s) {
      EXPECT_EQ(s.code(), code);
    }
    return out_.str();
  }

  // The listing as written so far; empty when it was never opened.
  std::string listing() {
    flush_all_units();
    std::ifstream in("MONOUT", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path old_dir_, dir_;
  std::ostringstream out_, err_;
};

TEST_F(StatusTest, ZeroStatusesAndFoundEntriesReturnSilently) {
  check_alloc_stat("tag", 0);
  check_dealloc_stat("tag", 0);
  check_io_stat("tag", 0);
  iostat_error(0);
  alloc_error(0);
  dealloc_error(0);
  isf_not_found("CORRM1", 0);
  EXPECT_EQ(out_.str(), "");
  EXPECT_FALSE(fs::exists("MONOUT"));
}

TEST_F(StatusTest, ChecksStopWithTheirMessage) {
  struct Case {
    std::function<void()> call;
    std::string message;
  };
  const std::vector<Case> cases = {
      // Tagged: the caller's tag in its whole length, three status digits.
      {[] { check_alloc_stat("Error reading DSF", 41); }, "Error reading DSF: Bad alloc_stat =041"},
      {[] { check_dealloc_stat("Error reading DSF", 41); }, "Error reading DSF: Bad dealloc_stat =041"},
      {[] { check_io_stat("Dprint", -1); }, "Dprint: Bad io_stat = -01"},
      {[] { check_alloc_stat("GIVE", 1234); }, "GIVE: Bad alloc_stat =234"},
      {[] { check_dealloc_stat("sort ", -7); }, "sort : Bad dealloc_stat =-07"},
      {[] { check_io_stat("FACS2  ", 29); }, "FACS2  : Bad io_stat = 029"},
      // Untagged: fixed sentences, or two low-order digits.
      {[] { iostat_error(-1); }, "Unexpected end-of-file condition occurred."},
      {[] { iostat_error(-2); }, "Unexpected end-of-record condition occurred."},
      {[] { iostat_error(29); }, "Unexpected read error occurred: iostat = 29"},
      {[] { iostat_error(5001); }, "Unexpected read error occurred: iostat = 01"},
      {[] { iostat_error(-5); }, "Unexpected read error occurred: iostat = -5"},
      {[] { alloc_error(3); }, "Unexpected allocate error occurred: alloc_stat = 03"},
      {[] { dealloc_error(12); }, "Unexpected deallocate error occurred: dealloc_stat = 12"},
  };
  for (const Case& c : cases) {
    fresh_run();
    EXPECT_EQ(stop_of(c.call), fatal_console(c.message)) << c.message;
    EXPECT_EQ(listing(), " \n " + c.message + "\n") << c.message;
  }
}

TEST_F(StatusTest, IsfMissingReportsOnTheListingAndStopsWith10005) {
  EXPECT_EQ(stop_of([] { isf_missing("CORRM1", 1); }, 10005), quit_console(10005));
  EXPECT_EQ(listing(), "0CANNOT FIND CORRM1 FILE ON INTERMEDIATE STORAGE FILE\n0\n0\n0\n");

  fresh_run();
  EXPECT_EQ(stop_of([] { isf_missing("DIAGV1", 0); }, 10005), quit_console(10005));
  EXPECT_EQ(listing(), "");
}

TEST_F(StatusTest, IsfNotFoundWritesFiveRecordsAndStopsWith10007) {
  EXPECT_EQ(stop_of([] { isf_not_found("CORRM1", 1); }, 10007), quit_console(10007));
  EXPECT_EQ(listing(),
            " \n"
            " FILE CORRM1 COULD NOT BE LOCATED ON INTERMEDIATE STORAGE FILE\n"
            "YOU PROBABLY HAVE NEITHER GENERATED IT NOR INPUT IT.\n"
            "\n"
            "\n");

  // Any non-zero flag means not found; a short label is blank-padded to 6.
  fresh_run();
  stop_of([] { isf_not_found("VEC", -3); }, 10007);
  EXPECT_NE(listing().find(" FILE VEC    COULD NOT"), std::string::npos);
}

TEST_F(StatusTest, OtherTagsStoreTheCodeAndReturn) {
  error_by_tag("CC5 100001", 29, 4);
  EXPECT_EQ(error_state().number, 100001);
  EXPECT_EQ(error_state().status, 29);
  EXPECT_EQ(error_state().extra, 4);
  error_by_tag("DAP  12 34", 0, 0);  // blanks among the digits are skipped
  EXPECT_EQ(error_state().number, 1234);
  error_by_tag("XYZW000007", 0, 0);  // an unknown tag returns as well
  EXPECT_EQ(error_state().number, 7);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(StatusTest, FacsCodesStopWithTheirMessage) {
  struct Case {
    const char* code;
    int status, extra;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"FACS140011", 0, 0, "FACS1 Error: DST is empty. Be sure DAP was run before FACS."},
      {"FACS140002", 5, 0, "FACS1 Error: Error while trying to read FACS parameter line 1(5)"},
      {"FACS140014", -1, 0, "FACS1 Error: Error while reading DST 2nd record(-1)"},
      {"FACS140009", 0, 7, "FACS1 Error: End of command file where Analyst Weights expected for factor 007"},
      {"FACS140010", 29, 12, "FACS1 Error: Error while reading Analyst Weights for factor 012(29)"},
      {"FACS140020", 0, 0,
       "FACS1 Error: DST CONTAINS MISSING DATA AND WEIGHT MATRIX SOMETHING OTHER THAN -1.0, 0.0 OR +1.0"},
      {"FACS140024", 3, 0, "FACS1 Error: One or more unknown cluster definers."},
      {"FACS140025", 3, 0, "FACS1 ERROR: Unknown error number(140025)"},
      {"FACS000000", 0, 0, "FACS1 ERROR: Unknown error number(0)"},
  };
  for (const Case& c : cases) {
    fresh_run();
    EXPECT_EQ(stop_of([&] { error_by_tag(c.code, c.status, c.extra); }), fatal_console(c.message)) << c.code;
  }
}

TEST_F(StatusTest, ALetterAmongTheDigitsStopsInsideBcdbin) {
  EXPECT_EQ(stop_of([] { error_by_tag("FACS14A011", 0, 0); }),
            fatal_console("BCDBIN ERROR: Unrecognized character in \"14A011\"."));
}

}  // namespace
}  // namespace korvex
