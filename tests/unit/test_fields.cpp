// Unit tests of the card fields and list readers, and of the *PR_LNS sample lines that show
// the list readers' character set. Readers run on a real MONIN file in a fresh folder, so
// line handling, marker lines on the listing and the stops go through the unit table.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "executive/charset.hpp"
#include "executive/fields.hpp"
#include "executive/over00.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"

namespace korvex {
namespace {

namespace fs = std::filesystem;

std::string fatal_console(const std::string& message) {
  std::string s = " * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n";
  for (std::size_t i = 0; i < message.size(); i += 80) s += " " + message.substr(i, 80) + "\n";
  return s + "\n";
}

std::vector<std::string> names20(std::initializer_list<const char*> names) {
  std::vector<std::string> v;
  for (const char* n : names) v.push_back(io::pad(n, 20));
  return v;
}

// A fresh folder with the unit table built and the console captured; deck() writes MONIN
// and opens it for a reader.
class FieldsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("korvex_fields_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    reset_run_state();
    init_units();
    io::redirect_console(&out_, &err_);
  }
  void TearDown() override {
    io::redirect_console(nullptr, nullptr);
    reset_run_state();
    fs::current_path(old_dir_);
    fs::remove_all(dir_);
  }

  // A new run whose MONIN holds `text`; returns the MONIN unit.
  std::int32_t deck(const std::string& text) {
    reset_run_state();
    fs::remove("MONOUT");
    std::ofstream("MONIN", std::ios::binary) << text;
    init_units();
    out_.str("");
    return get_unit("MONIN");
  }

  std::string next_card(std::int32_t unit) {
    std::string record;
    return read_record(unit, record) ? record : "<eof>";
  }

  std::string listing() {
    flush_all_units();
    std::ifstream in("MONOUT", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::string stop_of(const std::function<void()>& call) {
    EXPECT_THROW(call(), Stop);
    return out_.str();
  }

  fs::path old_dir_, dir_;
  std::ostringstream out_, err_;
};

// ---- integer and real fields ------------------------------------------------------------

TEST_F(FieldsRun, IntegerFieldsTakeDigitsAndBlanksOnly) {
  struct Case {
    const char* field;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"    ", 77}, {"", 77},       {"  12", 12},           {"1 2 ", 12},
      {"0012", 12}, {"     0", 0},  {"2147483647", 2147483647},
  };
  for (const Case& c : cases) {
    std::int32_t v = -1;
    field_int(c.field, v, 77);
    EXPECT_EQ(v, c.expected) << '"' << c.field << '"';
  }
}

TEST_F(FieldsRun, IntegerFieldsRefuseOtherCharactersAndOverflow) {
  struct Case {
    const char* field;
    const char* message;
  };
  const Case cases[] = {
      {"  -5", "BCDBIN ERROR: Unrecognized character in \"  -5\"."},
      {"1.0 ", "BCDBIN ERROR: Unrecognized character in \"1.0 \"."},
      {"12A ", "BCDBIN ERROR: Unrecognized character in \"12A \"."},
      {"2147483648", "BCDBIN ERROR: Number too large in \"2147483648\"."},
      {"99999999999999999999", "BCDBIN ERROR: Number too large in \"99999999999999999999\"."},
      // A letter after an overflow is still reported as the letter.
      {"99999999999X", "BCDBIN ERROR: Unrecognized character in \"99999999999X\"."},
  };
  for (const Case& c : cases) {
    out_.str("");
    std::int32_t v = 0;
    EXPECT_EQ(stop_of([&] { field_int(c.field, v, 1); }), fatal_console(c.message)) << c.field;
  }
}

TEST_F(FieldsRun, RealFieldsReadAsF8Point4) {
  struct Case {
    const char* field;
    float expected;
  };
  const Case cases[] = {
      {"  25    ", 0.0025f}, {"  25", 0.0025f},       {"12345", 1.2345f}, {"2.5", 2.5f},
      {"   -1.5 ", -1.5f},   {"1.5E2   ", 150.0f},    {"1234567890", 1234.5678f},
      {"   .55  ", 0.55f},   {"    55  ", 0.0055f},
  };
  for (const Case& c : cases) {
    float v = 0.0f;
    field_real(c.field, v, -9.0f);
    EXPECT_FLOAT_EQ(v, c.expected) << '"' << c.field << '"';
  }
}

TEST_F(FieldsRun, BlankRealFieldKeepsTheDefaultBitForBit) {
  const float defaults[] = {-0.0f, std::numeric_limits<float>::quiet_NaN(), 50.0f};
  for (const float d : defaults) {
    for (const char* field : {"        ", "", "    "}) {
      float v = 1.0f;
      field_real(field, v, d);
      EXPECT_EQ(std::bit_cast<std::uint32_t>(v), std::bit_cast<std::uint32_t>(d));
    }
  }
}

TEST_F(FieldsRun, UnreadableRealFieldIsLeftToTheLayoutEngine) {
  float v = 0.0f;
  EXPECT_THROW(field_real("  ABC   ", v, 1.0f), io::LayoutError);
}

TEST(FieldsRange, BoundsAreInclusiveAndNanIsOutside) {
  EXPECT_TRUE(int_in_range(5, 5, 5));
  EXPECT_FALSE(int_in_range(4, 5, 9));
  EXPECT_FALSE(int_in_range(10, 5, 9));
  EXPECT_TRUE(real_in_range(0.55f, 0.0f, 1.0f));
  EXPECT_TRUE(real_in_range(1.0f, 0.0f, 1.0f));
  EXPECT_FALSE(real_in_range(1.01f, 0.0f, 1.0f));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(real_in_range(nan, 0.0f, 1.0f));
  EXPECT_FALSE(real_in_range(0.5f, nan, 1.0f));
  EXPECT_FALSE(real_in_range(0.5f, 0.0f, nan));
}

// ---- name lists -------------------------------------------------------------------------

TEST_F(FieldsRun, NameListsGatherItemsOverCards) {
  struct Case {
    std::string deck;
    std::int32_t nmax;
    std::vector<std::string> names;
    std::int32_t bad;
  };
  const std::vector<Case> cases = {
      {"ALPHA, BETA.\n", 10, names20({"ALPHA", "BETA"}), 0},
      {"ALPHA,BE\nTA.\n", 10, names20({"ALPHA", "BETA"}), 0},
      {"A,,B.\n", 10, names20({"A", "", "B"}), 0},
      {"AB C.\n", 10, names20({"ABC"}), 0},
      {"ABCDEFGHIJKLMNOPQRSTUVWXY.\n", 10, names20({"ABCDEFGHIJKLMNOPQRST"}), 0},
      {"Caf\xE9, O'Neil, x_1.\n", 10, names20({"Caf\xE9", "O'Neil", "x_1"}), 0},
      // A refused character or the end of the deck before the period.
      {"ALPHA;BETA.\n", 10, {}, 1},
      {"ALPHA, BETA?\n", 10, names20({"ALPHA"}), 1},
      {"ALPHA,\n", 10, names20({"ALPHA"}), 1},
      {"", 10, {}, 1},
      // Only nmax names are stored and count says how many; the list is still read to its end.
      {"A,B,C,\nD.\n", 2, names20({"A", "B"}), 0},
      {"A.\n", 0, {}, 0},
  };
  for (const Case& c : cases) {
    const std::int32_t unit = deck(c.deck + "NEXT\n");
    std::vector<std::string> names(4, "unused");
    std::int32_t count = -1, bad = -1;
    read_name_list(names, c.nmax, count, bad, unit);
    EXPECT_EQ(bad, c.bad) << c.deck;
    ASSERT_EQ(count, static_cast<std::int32_t>(c.names.size())) << c.deck;
    for (std::size_t i = 0; i < c.names.size(); ++i) EXPECT_EQ(names[i], c.names[i]) << c.deck;
    if (c.bad == 0) {
      EXPECT_EQ(next_card(unit), "NEXT") << c.deck;
    }
  }
}

TEST_F(FieldsRun, NameListNeverWritesPastTheCallersArray) {
  // nmax larger than the array handed in: the array's size is the room.
  const std::int32_t unit = deck("A,B,C,D,E.\n");
  std::vector<std::string> names(3);
  std::int32_t count = 0, bad = 0;
  read_name_list(std::span<std::string>(names.data(), 2), 999, count, bad, unit);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(names[2], "");
}

// ---- number lists -----------------------------------------------------------------------

TEST_F(FieldsRun, NumberListsReadOrdinalsAndReportBadOnes) {
  struct Case {
    std::string deck;
    std::vector<std::int32_t> list;  // entries 1..count
    std::int32_t status;
  };
  const std::vector<Case> cases = {
      {"3, 7,1.\n", {3, 7, 1}, 0},
      {"12\n3.\n", {123}, 2},                      // a number runs on over the card end
      {"1 0, 2.\n", {10, 2}, 0},                   // blanks inside a number are skipped
      {"\n   \n5.\n", {5}, 0},                      // blank cards are skipped
      {"4. 9, junk;\n", {4}, 0},                   // the rest of the card after "." is not read
      {"3,0.\n", {3, 0}, 2},
      {"3,11.\n", {3, 11}, 2},
      {"3,,4.\n", {3, 0}, 2},                      // an empty item is the number 0
      {".\n", {0}, 2},
      {"99999999999.\n", {2147483647}, 2},         // too large for 32 bits: refused, not wrapped
      {"3;4.\n", {}, 1},                           // 3 was not ended yet
      {"3,4,;\n", {3, 4}, 1},
  };
  for (const Case& c : cases) {
    const std::int32_t unit = deck(c.deck);
    std::vector<std::int32_t> list(20, -1);
    std::int32_t count = -1, status = -1;
    read_number_list(list, 10, count, status, unit, get_unit("MONOUT"));
    EXPECT_EQ(status, c.status) << c.deck;
    ASSERT_EQ(count, static_cast<std::int32_t>(c.list.size())) << c.deck;
    EXPECT_TRUE(std::equal(c.list.begin(), c.list.end(), list.begin())) << c.deck;
  }
}

TEST_F(FieldsRun, RefusedCharacterIsMarkedUnderItsColumn) {
  const std::int32_t unit = deck("3;4.\n");
  std::vector<std::int32_t> list(5);
  std::int32_t count = 0, status = 0;
  read_number_list(list, 10, count, status, unit, get_unit("MONOUT"));
  // Card column 2 is listing column 3, after the carriage control.
  EXPECT_EQ(listing(), "  ^\n  |\n");

  const std::int32_t unit2 = deck("VAR1,     VAR2 ? .\n");
  const auto names = names20({"VAR1", "VAR2"});
  read_var_list(names, list, 2, 2, count, status, unit2, get_unit("MONOUT"));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(listing(), std::string(16, ' ') + "^\n" + std::string(16, ' ') + "|\n");
}

TEST_F(FieldsRun, NumberListLongerThanTheArrayStops) {
  std::int32_t count = 0, status = 0;
  std::vector<std::int32_t> list(3);
  const std::int32_t unit = deck("1,2,3.\n");
  read_number_list(list, 9999, count, status, unit, get_unit("MONOUT"));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(status, 0);

  const std::int32_t unit2 = deck("1,2,3,4.\n");
  EXPECT_EQ(stop_of([&] { read_number_list(list, 9999, count, status, unit2, get_unit("MONOUT")); }),
            fatal_console("Too many numbers in list: room for 3."));
}

TEST_F(FieldsRun, ListThatRunsOffTheDeckStops) {
  std::vector<std::int32_t> list(5);
  std::int32_t count = 0, status = 0;
  const std::int32_t unit = deck("1,2\n");
  EXPECT_EQ(stop_of([&] { read_number_list(list, 10, count, status, unit, get_unit("MONOUT")); }),
            fatal_console("Error reading input: Bad io_stat = -01"));

  out_.str("");
  const auto names = names20({"VAR1"});
  const std::int32_t unit2 = deck("VAR1,\n\n");
  EXPECT_EQ(stop_of([&] { read_var_list(names, list, 1, 1, count, status, unit2, get_unit("MONOUT")); }),
            fatal_console("Error reading input: Bad io_stat = -01"));
}

// ---- variable lists ---------------------------------------------------------------------

TEST_F(FieldsRun, VariableListsResolveNamesAndNumbersAndStopAtTheFirstRefusal) {
  // Names 3 and 5 are spelt with digits, so "6" and "0" (outside 1..5) are found as names.
  const auto names = names20({"VAR1", "VAR2", "6", "VAR4", "0"});
  struct Case {
    std::string deck;
    std::int32_t list_room;
    std::vector<std::int32_t> list;
    std::int32_t status;
    std::string console;
  };
  const std::string bad_xyz = " Bad name:XYZ" + std::string(17, ' ') + "\n";
  const std::vector<Case> cases = {
      {"VAR2, 4.\n", 5, {2, 4}, 0, ""},
      {"VA\nR4, 1 .\n", 5, {4, 1}, 0, ""},
      {"6, 0, 5.\n", 5, {3, 5}, 3, ""},  // 5 is a number in range: variable 5 again
      {"2, 2.\n", 5, {2}, 3, ""},
      {"VAR1, 1.\n", 5, {1}, 3, ""},
      {"XYZ.\n", 5, {}, 2, bad_xyz},
      {"XYZ, 3.\n", 5, {}, 2, bad_xyz},  // the refused first item ends the list
      {"4, XYZ, 3.\n", 5, {4}, 2, bad_xyz},
      {"var1.\n", 5, {}, 2, " Bad name:var1" + std::string(16, ' ') + "\n"},
      {"99999999999999999999.\n", 5, {}, 2, " Bad name:99999999999999999999\n"},
      // The list is full at min(nmax, array size).
      {"VAR1, VAR2, VAR4.\n", 2, {1, 2}, 4, ""},
  };
  for (const Case& c : cases) {
    const std::int32_t unit = deck(c.deck);
    std::vector<std::int32_t> list(static_cast<std::size_t>(c.list_room), -1);
    std::int32_t count = -1, status = -1;
    read_var_list(names, list, 5, 5, count, status, unit, get_unit("MONOUT"));
    EXPECT_EQ(status, c.status) << c.deck;
    ASSERT_EQ(count, static_cast<std::int32_t>(c.list.size())) << c.deck;
    EXPECT_TRUE(std::equal(c.list.begin(), c.list.end(), list.begin())) << c.deck;
    EXPECT_EQ(out_.str(), c.console) << c.deck;
  }
}

TEST_F(FieldsRun, VariableItemsKeepTheirFirstTwentyCharacters) {
  const auto names = names20({"ABCDEFGHIJKLMNOPQRST", "B"});
  const std::int32_t unit = deck("ABCDEFGHIJKLMNOPQRSTUVWXY, B.\n");
  std::vector<std::int32_t> list(2);
  std::int32_t count = 0, status = 0;
  read_var_list(names, list, 2, 2, count, status, unit, get_unit("MONOUT"));
  EXPECT_EQ(status, 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(list[0], 1);
  EXPECT_EQ(list[1], 2);
}

// ---- the character set and its sample lines --------------------------------------------

TEST(Charset, SamplesHoldExactlyTheItemCharactersOfTheNameLists) {
  const std::string_view set = name_list_set();
  ASSERT_EQ(set.size(), 142u);
  EXPECT_EQ(set.substr(0, 3), " ,.");
  std::string items(set.substr(3));
  std::string samples;
  std::size_t accented = 0;
  for (int row = 1; row <= charset_sample_count; ++row) {
    const charset_sample& s = charset_sample_row(row);
    EXPECT_EQ(s.listing_label.size(), 12u);
    EXPECT_EQ(s.console_label.size(), 12u);
    samples += s.text;
    if (row >= 5) accented += s.text.size();
  }
  EXPECT_EQ(accented, 62u);
  std::sort(items.begin(), items.end());
  std::sort(samples.begin(), samples.end());
  EXPECT_EQ(samples, items);
  EXPECT_EQ(std::adjacent_find(items.begin(), items.end()), items.end());
  EXPECT_EQ(set.find('\xD7'), std::string_view::npos);
  EXPECT_EQ(set.find('\xF7'), std::string_view::npos);
  EXPECT_EQ(set.find('?'), std::string_view::npos);
}

TEST_F(FieldsRun, SampleLinesGoToTheListingAndTheConsole) {
  print_charset_lines(get_unit("MONOUT"));

  std::vector<std::string> records;
  std::istringstream in(listing());
  for (std::string line; std::getline(in, line);) records.push_back(line);
  ASSERT_EQ(records.size(), 18u);
  EXPECT_EQ(records[0], " ");
  EXPECT_EQ(records[1], "  Numerials: 0123456789");
  EXPECT_EQ(records[4], "    Symbols: _@#$%&*()-+=<>'");
  EXPECT_EQ(records[5], " Diacritics: \xC0\xE0\xC8\xE8\xCC\xEC\xD2\xF2\xD9\xF9");
  EXPECT_EQ(records[16], "    Sharp S: \xDF");
  EXPECT_EQ(records[17], " ");

  std::vector<std::string> lines;
  std::istringstream con(out_.str());
  for (std::string line; std::getline(con, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[1], "Upper case: ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(lines[8], "Diacritics: \xC4\xE4\xCB\xEB\xCF\xEF\xD6\xF6\xDC\xFC\xFF");
  EXPECT_EQ(lines[15], " German SS: \xDF");
  // Every sample starts in column 14 of the listing and column 13 of the console.
  for (int row = 1; row <= charset_sample_count; ++row) {
    EXPECT_EQ(records[static_cast<std::size_t>(row)].substr(13), charset_sample_row(row).text);
    EXPECT_EQ(lines[static_cast<std::size_t>(row - 1)].substr(12), charset_sample_row(row).text);
  }
}

}  // namespace
}  // namespace korvex
