// The unit table: default rows, the checks of add_unit, lazy opening by type, component
// release, and the stop routines' console and listing lines.
#include "executive/units.hpp"

#include <filesystem>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/stop.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"

namespace korvex {
namespace {

using testing::RunFolder;

class UnitsTest : public RunFolder {};

// Runs `f`, which must stop; returns the stop code.
template <class F>
int stop_code_of(F f) {
  try {
    f();
  } catch (const Stop& s) {
    return s.code();
  }
  ADD_FAILURE() << "no stop";
  return -99999;
}

TEST_F(UnitsTest, DefaultRowsInOrderNoneOpen) {
  const char* names[] = {"MONIN", "MONOUT", "MONERR", "MONPUN", "MTIST", "MTDST", "MTSC1",
                         "MTSC2", "MTXIN1", "TAKE", "GIVE", "OOTYPE", "OCORRM", "OBASIS",
                         "ORFACT", "SYSLOG", "MTCORR", "RRESID", "RREPRO"};
  ASSERT_EQ(unit_count(), 19);
  for (int i = 0; i < 19; ++i) {
    EXPECT_EQ(unit_row(i + 1).name, io::pad(names[i], 6));
    EXPECT_EQ(unit_row(i + 1).open_count, 0);
  }
  EXPECT_EQ(unit_row(17).path.substr(0, 9), "CORR.TXT ");
  EXPECT_EQ(free_unit_number(), 7);
  EXPECT_FALSE(unit_tables_bad());
}

TEST_F(UnitsTest, AddUnitChecksInOrder) {
  struct Case { const char* name; int unit; const char* path; int code; };
  const Case cases[] = {
      {"NEW", -1, "x", 5202},       // negative unit
      {"MONIN", 6, "MONIN", 5203},  // unit, name and path all taken: unit first
      {"MONIN", 30, "MONIN", 5204}, // name before path
      {"NEW", 30, "MONOUT", 5206},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(stop_code_of([&] { add_unit(c.name, c.unit, 1, 1, 2, 1, c.path); }), c.code) << c.name;
  }
  for (int i = 20; i <= 30; ++i) add_unit("U" + std::to_string(i), i + 2, 1, 1, 2, 1, "p" + std::to_string(i));
  EXPECT_EQ(unit_count(), 30);
  EXPECT_EQ(stop_code_of([] { add_unit("LAST", 0 + 40, 1, 1, 2, 1, "last"); }), 5207);
  EXPECT_EQ(stop_code_of([] { get_unit("MTXIN2"); }), 5102);
}

TEST_F(UnitsTest, MissingInputFileStopsWithItsName) {
  EXPECT_EQ(stop_code_of([] { get_unit("MONIN"); }), 0);
  EXPECT_NE(out_.str().find(" open_unit_number: file = MONIN  - file not found\n"), std::string::npos)
      << out_.str();
}

TEST_F(UnitsTest, LeftoverTemporaryFileStops) {
  write_file("MTSC1", "x");
  EXPECT_EQ(stop_code_of([] { get_unit("MTSC1"); }), 5303);
  EXPECT_EQ(out_.str(), " Temp file exists: MTSC1\n \n QUIT: ERROR= 5303\n\n");
  EXPECT_TRUE(std::filesystem::exists("MTSC1"));  // the user's file is left alone
}

TEST_F(UnitsTest, RequestsAreCountedAndComponentRowsReleased) {
  EXPECT_EQ(get_unit("MONOUT"), 6);
  EXPECT_EQ(get_unit("MONOUT"), 6);
  EXPECT_EQ(get_unit("MONOUT"), 6);
  EXPECT_EQ(unit_row(2).open_count, 3);

  const std::int32_t u = get_unit("MTSC1");
  EXPECT_TRUE(std::filesystem::exists("MTSC1"));
  get_unit("MTSC1");
  release_component_units();
  EXPECT_EQ(unit_row(7).open_count, 0);
  EXPECT_FALSE(std::filesystem::exists("MTSC1"));  // temporary: deleted at its close
  EXPECT_EQ(get_unit("MTSC1"), u);                 // and created afresh
  EXPECT_TRUE(std::filesystem::exists("MTSC1"));
  EXPECT_EQ(unit_row(2).open_count, 3);  // run rows untouched
  EXPECT_EQ(stop_code_of([] { release_unit(99); }), 5402);
}

TEST_F(UnitsTest, OutputRowsAppendExceptTheListing) {
  write_file("MONPUN", "OLD CARD\n");
  write_file("MONOUT", "OLD LISTING\n");
  write_record(get_unit("MONPUN"), "NEW CARD");
  write_record(get_unit("MONOUT"), " NEW LISTING");
  EXPECT_EQ(file_lines("MONPUN"), (std::vector<std::string>{"OLD CARD", "NEW CARD"}));
  EXPECT_EQ(file_lines("MONOUT"), (std::vector<std::string>{" NEW LISTING"}));
}

TEST_F(UnitsTest, ProcErrorSplitsTheMessage) {
  init_page();
  const std::string text(100, 'x');
  EXPECT_EQ(stop_code_of([&] { proc_error(text); }), 0);
  EXPECT_EQ(out_.str(), " * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n " + std::string(80, 'x') +
                            "\n " + std::string(20, 'x') + "\n\n");
  EXPECT_EQ(file_lines("MONOUT"), (std::vector<std::string>{" ", " " + text}));
}

TEST_F(UnitsTest, ProcErrorListingPiecesFollowTheWidth) {
  init_page();
  set_ncline(50);
  const std::string text(120, 'y');
  EXPECT_EQ(stop_code_of([&] { proc_error(text); }), 0);
  EXPECT_EQ(file_lines("MONOUT"),
            (std::vector<std::string>{" ", " " + std::string(49, 'y'), " " + std::string(49, 'y'),
                                      " " + std::string(22, 'y')}));
}

TEST_F(UnitsTest, ProcErrorWithASecondLineWritesItAfterTheMessage) {
  init_page();
  set_ncline(50);
  const std::string second(60, 'z');
  EXPECT_EQ(stop_code_of([&] { proc_error("First line.", second); }), 0);
  EXPECT_EQ(out_.str(), " * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n First line.\n " + second +
                            "\n\n");
  EXPECT_EQ(file_lines("MONOUT"), (std::vector<std::string>{" ", " First line.", " " + std::string(49, 'z'),
                                                            " " + std::string(11, 'z')}));
}

TEST_F(UnitsTest, QuitAndFatalWithNumber) {
  EXPECT_EQ(stop_code_of([] { QUIT(0); }), 0);
  EXPECT_EQ(out_.str(), "\n");
  out_.str("");
  reset_errors();
  EXPECT_EQ(stop_code_of([] { QUIT(123456); }), 123456);
  EXPECT_EQ(out_.str(), " \n QUIT: ERROR=*****\n\n");

  struct Case { int number; const char* shown; };
  const Case cases[] = {{29, "(29)"}, {-1, "(-1)"}, {123456789, "(1234567*)"}, {12345678, "(12345678)"}};
  for (const Case& c : cases) {
    reset_errors();
    out_.str("");
    init_page();
    stop_code_of([&] { fatal_with_number("FACS2 Error: x", c.number); });
    EXPECT_NE(out_.str().find(std::string(" FACS2 Error: x") + c.shown + "\n"), std::string::npos) << out_.str();
  }
}

TEST_F(UnitsTest, DispatcherNamesAndSetComponent) {
  init_page();
  set_component("GIVE");
  EXPECT_EQ(current_component().name, "GIVE  ");
  EXPECT_EQ(stop_code_of([] { run_component(); }), 0);
  EXPECT_NE(out_.str().find(" Unimplemented Component GIVE  \n"), std::string::npos);
  set_component("SELECTED");
  EXPECT_EQ(current_component().name, "SELECT");
}

}  // namespace
}  // namespace korvex
