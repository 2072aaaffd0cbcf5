// The data storage file reader's strict reads, as a lister of the whole file uses them: head
// records too short name their size, subject records must be whole (with the presence flags
// when the file admits missing data), and the end of the file is told apart from both.
#include <cstdint>
#include <string>
#include <vector>

#include "data_entry/dsf_reader.hpp"
#include "executive/units.hpp"
#include "io/record_file.hpp"
#include "test_dumps_fixture.hpp"

namespace korvex {
namespace {

using testing::DumpRun;

class DsfReader : public DumpRun {
 protected:
  io::SequentialFile& file() { return sequential_file(get_unit("MTDST")); }
};

TEST_F(DsfReader, HeadRecordsTooShortGiveTheirSize) {
  const std::int32_t unit = get_unit("MTDST");
  file().write(io::RecordWriter().text("TITLE", 60));
  file().write(io::RecordWriter().i32(3));
  file().write(io::RecordWriter().text("A", 20).text("B", 20));
  file().rewind();
  std::vector<std::string> words(dsf::title_word_count);
  std::size_t held = 99;
  EXPECT_GT(dsf::read_title_record(unit, words, &held), 0);
  EXPECT_EQ(held, 60u);
  std::int32_t nv = 0;
  std::int32_t flag = 0;
  EXPECT_GT(dsf::read_counts_record(unit, nv, flag, &held), 0);
  EXPECT_EQ(held, 4u);
  std::vector<std::string> names(3);
  EXPECT_GT(dsf::read_names_record(unit, names, 3, &held), 0);
  EXPECT_EQ(held, 40u);
  EXPECT_EQ(dsf::names_record_bytes(3), 60u);
  // The end of the file is no record: held stays as it was.
  held = 7;
  EXPECT_EQ(dsf::read_title_record(unit, words, &held), -1);
  EXPECT_EQ(held, 7u);
}

TEST_F(DsfReader, WholeSubjectRecordsWithAndWithoutFlags) {
  const std::int32_t unit = get_unit("MTDST");
  auto subject = [](float a, float b, const std::string& name, std::int32_t number) {
    io::RecordWriter r;
    r.f32(a).f32(b).text(name, 20).i32(number);
    return r;
  };
  file().write(subject(1.5f, 2.5f, "FIRST", 1).i32(1).i32(1));
  file().write(subject(3.5f, 4.5f, "SECOND", 2));  // no flags
  file().write(io::RecordWriter().i32(0));          // a zero record
  file().rewind();
  dsf::subject_reader reader(unit, 2);
  EXPECT_EQ(reader.subject_bytes(false), 32u);
  EXPECT_EQ(reader.subject_bytes(true), 40u);
  std::vector<float> values(2);
  std::string name;
  std::int32_t number = 0;
  ASSERT_EQ(reader.read_whole(values, name, number, true), 0);
  EXPECT_EQ(values, (std::vector<float>{1.5f, 2.5f}));
  EXPECT_EQ(name, "FIRST" + std::string(15, ' '));
  EXPECT_EQ(number, 1);
  // A record without the flags the file should carry is short; nothing is taken from it.
  EXPECT_EQ(reader.read_whole(values, name, number, true), dsf::short_record);
  EXPECT_EQ(reader.record_size(), 32u);
  EXPECT_EQ(values, (std::vector<float>{1.5f, 2.5f}));
  EXPECT_EQ(number, 1);
  // The zero record is short as well: a caller that counts its subjects meets it as damage.
  EXPECT_EQ(reader.read_whole(values, name, number, false), dsf::short_record);
  EXPECT_EQ(reader.record_size(), 4u);
  EXPECT_EQ(reader.read_whole(values, name, number, false), -1);
  EXPECT_EQ(reader.subjects_read(), 1);
}

}  // namespace
}  // namespace korvex
