// Unit positioning and zero marker records on unformatted sequential units, and the number
// on a page-size card.
#include "executive/positioning.hpp"

#include "executive/gep.hpp"
#include "io/record_file.hpp"
#include "run_fixture.hpp"

namespace korvex {
namespace {

using testing::RunFolder;

class PositioningTest : public RunFolder {
 protected:
  // The first int32 of each remaining record of the unit.
  std::vector<std::int32_t> remaining_first_words(std::int32_t u) {
    std::vector<std::int32_t> words;
    std::vector<std::byte> record;
    while (sequential_file(u).read(record) == 0) words.push_back(io::RecordReader(record).i32());
    return words;
  }
};

TEST_F(PositioningTest, SkipToZeroRecordLeavesTheUnitBehindIt) {
  const std::int32_t u = get_unit("MTSC1");
  io::RecordWriter title;
  title.text("TITLE ", 6);
  sequential_file(u).write(title);
  sequential_file(u).write(io::RecordWriter().i32(5).i32(1));
  write_zero_record(u);
  sequential_file(u).write(io::RecordWriter().i32(42));
  rewind_unit(u);
  skip_to_zero_record(u);
  EXPECT_EQ(remaining_first_words(u), (std::vector<std::int32_t>{42}));
}

TEST_F(PositioningTest, ZeroRecordAloneAndEmptiedFile) {
  const std::int32_t u = get_unit("MTSC1");
  write_zero_record(u);
  endfile_unit(u);
  rewind_unit(u);
  skip_to_zero_record(u);
  EXPECT_TRUE(remaining_first_words(u).empty());

  rewind_unit(u);
  endfile_unit(u);
  rewind_unit(u);
  std::vector<std::byte> record;
  EXPECT_EQ(sequential_file(u).read(record), -1);
  EXPECT_THROW(skip_to_zero_record(u), io::IoError);  // no zero record before the end
}

TEST(GepCardNumber, NumberBehindTheKeyword) {
  struct Case { const char* card; std::int32_t n; };
  const Case cases[] = {{"*SET_NC 100", 100},     {"*SET_NC   96 X", 96}, {"*SET_NC 1O0", -1},
                        {"*SET_NC", -1},          {"*SET_NL -5", -1},     {"*SET_NL 0", 0},
                        {"*SET_NL 99999999999", -1}, {"*SET_NC        ", -1}};
  for (const Case& c : cases) {
    std::string card(c.card);
    card.resize(120, ' ');
    EXPECT_EQ(card_int_param(card), c.n) << c.card;
  }
  EXPECT_EQ(card_int_param(std::string(120, 'X')), -1);  // no blank at all
}

}  // namespace
}  // namespace korvex
