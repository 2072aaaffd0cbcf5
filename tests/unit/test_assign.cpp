// Unit tests of *ASSIGN and the unit table listing: splitting an executive card into words,
// building the path, the refusals with their messages and stop codes, the unit numbers new
// rows receive, and the breaking of long file names in the *PRT_UT listing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "executive/assign.hpp"
#include "executive/over00.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"

namespace korvex {
namespace {

namespace fs = std::filesystem;

std::string fatal_console(const std::string& message) {
  return " * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n " + message + "\n\n";
}

class AssignRun : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("korvex_assign_" + std::to_string(::getpid()) + "_" +
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
    set_ncline(118);
    fs::current_path(old_dir_);
    fs::remove_all(dir_);
  }

  void fresh_run() {
    reset_run_state();
    init_units();
    out_.str("");
  }

  static void touch(const std::string& path, const std::string& text = "") {
    std::ofstream(path, std::ios::binary) << text;
  }

  std::string stop_of(const std::function<void()>& call, int code = 0) {
    try {
      call();
      ADD_FAILURE() << "no stop";
    } catch (const Stop& s) {
      EXPECT_EQ(s.code(), code);
    }
    return out_.str();
  }

  std::vector<std::string> listing_records() {
    flush_all_units();
    std::ifstream in("MONOUT", std::ios::binary);
    std::vector<std::string> records;
    for (std::string line; std::getline(in, line);) records.push_back(line);
    return records;
  }

  fs::path old_dir_, dir_;
  std::ostringstream out_, err_;
};

// ---- words of a card ----------------------------------------------------------------------

TEST(AssignWords, CardsSplitAtBlanksAndOtherNonPrintingCharacters) {
  struct Case {
    std::string card;
    std::int32_t length;
    std::vector<std::pair<std::int32_t, std::int32_t>> columns;
  };
  const std::string last_column = "*ASSIGN" + std::string(112, ' ') + "X";
  const std::vector<Case> cases = {
      {"*ASSIGN MTXIN2 C:\\my data\\titles.txt", 120, {{1, 7}, {9, 14}, {16, 20}, {22, 36}}},
      {"  *ASSIGN   A    b  ", 120, {{3, 9}, {13, 13}, {18, 18}}},
      {"*ASSIGN\tA B", 120, {{1, 7}, {9, 9}, {11, 11}}},
      {"ab\xE9" "cd \x7F" "e", 120, {{1, 2}, {4, 5}, {8, 8}}},
      {last_column, 120, {{1, 7}, {120, 120}}},
      {"*ASSIGN ABC", 9, {{1, 7}, {9, 9}}},  // only the first `length` columns count
      {"", 120, {}},
      {std::string(120, ' '), 120, {}},
  };
  for (const Case& c : cases) {
    std::array<std::int32_t, 10> starts{}, ends{};
    std::vector<std::string> words(10);
    const std::int32_t n = get_ec_args(c.card, starts, ends, words, c.length);
    ASSERT_EQ(n, static_cast<std::int32_t>(c.columns.size())) << c.card;
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
      EXPECT_EQ(starts[i], c.columns[i].first) << c.card;
      EXPECT_EQ(ends[i], c.columns[i].second) << c.card;
      const auto first = static_cast<std::size_t>(starts[i] - 1);
      const auto count = static_cast<std::size_t>(ends[i] - starts[i] + 1);
      EXPECT_EQ(words[i], io::pad(io::pad(c.card, 120).substr(first, count), 600)) << c.card;
    }
  }
}

TEST(AssignWords, OnlyTheRoomGivenIsFilledButEveryWordIsCounted) {
  std::array<std::int32_t, 2> starts{}, ends{};
  std::vector<std::string> words(2);
  EXPECT_EQ(get_ec_args("a b c d", starts, ends, words, 120), 4);
  EXPECT_EQ(starts[1], 3);
  EXPECT_EQ(words[1], io::pad("b", 600));
}

TEST(AssignPathBreak, SegmentsEndBeforeTheLastBackslashOfTheWindow) {
  struct Case {
    const char* text;
    std::int32_t start, width, length, expected;
  };
  const Case cases[] = {
      {"abc", 1, 62, 3, 3},           // the rest fits
      {"abcdefgh", 1, 8, 8, 8},
      {"ab\\cdefgh", 1, 4, 9, 2},     // the next segment begins with the backslash
      {"a\\b\\cdefgh", 1, 4, 10, 3},  // the last backslash of the window wins
      {"\\abcdefgh", 1, 4, 9, 9},     // a backslash in the window's first column does not count
      {"ab\\cdefgh", 3, 4, 9, 9},
      {"abcdefgh", 1, 4, 8, 8},       // no backslash: the whole rest
      {"ab\\cdefgh", 1, 0, 9, 9},     // no room at all: the whole rest
  };
  for (const Case& c : cases) {
    EXPECT_EQ(path_break(c.text, c.start, c.width, c.length), c.expected) << c.text << " from " << c.start;
  }
}

// ---- *ASSIGN -------------------------------------------------------------------------------

TEST_F(AssignRun, CardBindsANewNameToTheJoinedPath) {
  fs::create_directories("subdir");
  touch("subdir/titles.txt", "TITLE ONE\n");
  // A twelve-letter name keeps its first six letters; words of the path join without blanks.
  assign_card(io::pad("*ASSIGN   MTXIN2ABCDEF   sub  dir/titles.txt", 120));
  ASSERT_EQ(unit_count(), 20);
  const unit_entry& e = unit_row(20);
  EXPECT_EQ(e.name, "MTXIN2");
  EXPECT_EQ(e.unit, 7);
  EXPECT_EQ(e.open_count, 0);
  EXPECT_EQ(e.duration, duration_component);
  EXPECT_EQ(e.type, type_input);
  EXPECT_EQ(e.form, form_formatted);
  EXPECT_EQ(e.access, access_sequential);
  EXPECT_EQ(e.path, io::pad("subdir/titles.txt", 600));

  std::string record;
  ASSERT_TRUE(read_record(get_unit("MTXIN2"), record));
  EXPECT_EQ(record, "TITLE ONE");
}

TEST_F(AssignRun, NewRowsTakeTheFreeUnitNumbersUntilTheTableIsFull) {
  const std::int32_t expected[] = {7, 9, 10, 22, 23, 24, 25, 26, 27, 28, 29};
  for (int i = 0; i < 11; ++i) {
    const std::string path = "f" + std::to_string(i);
    touch(path);
    assign_card("*ASSIGN U" + std::to_string(i) + " " + path);
    EXPECT_EQ(unit_row(20 + i).unit, expected[i]);
  }
  EXPECT_EQ(unit_count(), 30);
  touch("f11");
  EXPECT_EQ(stop_of([] { assign_card("*ASSIGN U11 f11"); }, 5207), " \n QUIT: ERROR= 5207\n\n");
}

TEST_F(AssignRun, RefusedCardsStopWithTheirMessageAndLeaveTheTable) {
  touch("a.txt");
  struct Case {
    std::string card;
    std::string message;
  };
  std::string many = "*ASSIGN N";
  for (int i = 0; i < 49; ++i) many += " p";  // 51 words
  const std::vector<Case> cases = {
      {"*ASSIGN MTXIN2", "Too few arguments in ASSIGN_FILE"},
      {"*ASSIGN", "Too few arguments in ASSIGN_FILE"},
      {"*assign MTXIN2 a.txt", "internal failure in ASSIGN_FILE"},
      {"*ASSIGNX MTXIN2 a.txt", "internal failure in ASSIGN_FILE"},
      {"*ASSIGN MONIN a.txt", "ASSIGN_FILE symbolic unit name is in use."},
      {"*ASSIGN MONIN x", "ASSIGN_FILE symbolic unit name is in use."},
      {"*ASSIGN MTXIN1 a.txt", "ASSIGN_FILE symbolic unit name is in use."},
      {"*ASSIGN NEWIN nothere.txt", "ASSIGN_FILE path does not exist: 0000"},
      {many, "Too many arguments in ASSIGN_FILE"},
  };
  for (const Case& c : cases) {
    fresh_run();
    EXPECT_EQ(stop_of([&] { assign_card(c.card); }), fatal_console(c.message)) << c.card;
    EXPECT_EQ(unit_count(), 19) << c.card;
  }
}

TEST_F(AssignRun, FiftyWordsStillFit) {
  const std::string path(48, 'p');
  touch(path);
  std::string card = "*ASSIGN N";
  for (int i = 0; i < 48; ++i) card += " p";
  assign_card(card);
  EXPECT_EQ(unit_row(20).path, io::pad(path, 600));
}

TEST_F(AssignRun, TableChecksOfTheNewRowStillApply) {
  touch("MONOUT");
  EXPECT_EQ(stop_of([] { assign_card("*ASSIGN NEWOUT MONOUT"); }, 5206),
            " \n QUIT: ERROR= 5206\n\n");
  fresh_run();
  touch("a.txt");
  EXPECT_EQ(stop_of([] { ASSIGN_FILE("TOOLONG", "a.txt"); }),
            fatal_console("ASSIGN_FILE symbolic unit name too long."));
}

// ---- *PRT_UT --------------------------------------------------------------------------------

TEST_F(AssignRun, LongFileNamesAreListedInSegmentsBrokenBeforeABackslash) {
  const std::string path = std::string(10, 'a') + "\\" + std::string(30, 'b') + "\\" +
                           std::string(30, 'c') + "\\" + std::string(10, 'd') + ".txt";  // 87
  const std::string flat(70, 'x');
  touch(path);
  touch(flat);
  assign_card("*ASSIGN LONGP " + path);
  assign_card("*ASSIGN FLAT " + flat);
  get_unit("LONGP");
  get_unit("FLAT");
  print_units(get_unit("MONOUT"));

  const std::vector<std::string> r = listing_records();
  ASSERT_GE(r.size(), 6u);
  const std::string head = "   LONGP       7     1  component   input    formatted  ";
  // The rows come last: LONGP (blank record, row, continuation), FLAT (blank record, row),
  // then the closing record.
  const std::size_t n = r.size();
  EXPECT_EQ(r[n - 6], "");
  EXPECT_EQ(r[n - 5], head + path.substr(0, 41));
  EXPECT_EQ(r[n - 4], std::string(56, ' ') + path.substr(41));
  EXPECT_EQ(r[n - 3], "");
  EXPECT_EQ(r[n - 2], "   FLAT        9     1  component   input    formatted  " + flat);
  EXPECT_EQ(r[n - 1], " ");
}

TEST_F(AssignRun, NarrowListingKeepsTheWholeNameOnTheRow) {
  const std::string path = std::string(10, 'a') + "\\" + std::string(60, 'b');
  touch(path);
  assign_card("*ASSIGN LONGP " + path);
  get_unit("LONGP");
  set_ncline(57);
  print_units(get_unit("MONOUT"));
  const std::vector<std::string> r = listing_records();
  ASSERT_GE(r.size(), 2u);
  EXPECT_EQ(r[r.size() - 2], "   LONGP       7     1  component   input    formatted  " + path);
}

}  // namespace
}  // namespace korvex
