// Tests of the record-file layer: text files, the little-endian record codec, framed
// unformatted sequential files (including damaged frames), the byte-addressed stream file
// and the existence/removal helpers. Every test works in its own temporary directory.
#include "io/record_file.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace korvex::io {
namespace {

namespace fs = std::filesystem;

class ScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    std::random_device rd;
    dir_ = fs::temp_directory_path() /
           ("korvex_rec_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + "_" +
            std::to_string(rd()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  static void put_raw(const std::string& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  static std::string get_raw(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
};

std::vector<std::byte> as_bytes(const std::string& s) {
  std::vector<std::byte> b(s.size());
  if (!s.empty()) std::memcpy(b.data(), s.data(), s.size());
  return b;
}

std::string as_string(const std::vector<std::byte>& b) {
  std::string s(b.size(), '\0');
  if (!b.empty()) std::memcpy(s.data(), b.data(), b.size());
  return s;
}

// A record as it lies in a sequential file: count, bytes, count.
std::string framed(const std::string& body) {
  const auto n = static_cast<std::uint32_t>(body.size());
  std::string c{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
  return c + body + c;
}

std::vector<std::string> read_all(SequentialFile& f) {
  std::vector<std::string> out;
  std::vector<std::byte> rec;
  while (f.read(rec) == 0) out.push_back(as_string(rec));
  return out;
}

std::vector<std::string> read_all(TextFile& f) {
  std::vector<std::string> out;
  std::string line;
  while (f.read_line(line)) out.push_back(line);
  return out;
}

using Lines = std::vector<std::string>;

// ---------------------------------------------------------------------------------------
// TextFile

using TextFileTest = ScratchDir;

TEST_F(TextFileTest, RoundTripsLongLinesHighBytesAndBlanks) {
  const std::string p = path("t.txt");
  const std::string high = "\xE9t\xE9 \x80\xFF\xA0";
  const std::string long_line(9000, 'x');
  {
    TextFile f(p, OpenMode::replace);
    f.write_line("FIRST  ");
    f.write_line("");
    f.write_line(high);
    f.write_line(long_line + "END");
  }
  EXPECT_EQ(get_raw(p), "FIRST  \n\n" + high + "\n" + long_line + "END\n");
  TextFile f(p, OpenMode::read);
  EXPECT_EQ(read_all(f), (Lines{"FIRST  ", "", high, long_line + "END"}));
  std::string line = "untouched?";
  EXPECT_FALSE(f.read_line(line));
  EXPECT_FALSE(f.read_line(line));
}

TEST_F(TextFileTest, SplitsRawContentIntoRecords) {
  struct Case {
    std::string raw;
    Lines lines;
  };
  const Case cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\nb\n", {"a", "b"}},
      {"a\nlast", {"a", "last"}},
      {"dos\r\nline\r\n", {"dos", "line"}},
      {"two\r\r\n", {"two\r"}},
      {"mid\rdle\n", {"mid\rdle"}},
      {"\r\n\n", {"", ""}},
      {"tail\r", {"tail"}},
  };
  for (const auto& c : cases) {
    const std::string p = path("raw.txt");
    put_raw(p, c.raw);
    TextFile f(p, OpenMode::read);
    EXPECT_EQ(read_all(f), c.lines) << "raw content: " << ::testing::PrintToString(c.raw);
  }
}

TEST_F(TextFileTest, OpenModesCreateTruncateOrKeep) {
  const std::string p = path("m.txt");
  try {
    TextFile f(p, OpenMode::read);
    FAIL() << "opened a missing file for reading";
  } catch (const IoError& e) {
    EXPECT_EQ(e.status(), ENOENT);
    EXPECT_NE(std::string(e.what()).find(p), std::string::npos) << e.what();
  }
  EXPECT_FALSE(file_exists(p));

  { TextFile(p, OpenMode::append).write_line("one"); }  // created when missing
  { TextFile(p, OpenMode::append).write_line("two"); }
  EXPECT_EQ(get_raw(p), "one\ntwo\n");
  { TextFile(p, OpenMode::replace).write_line("new"); }
  EXPECT_EQ(get_raw(p), "new\n");
  { TextFile f(p, OpenMode::readwrite); }
  EXPECT_TRUE(file_exists(p));
  EXPECT_EQ(get_raw(p), "");
}

TEST_F(TextFileTest, RewindAfterWritingReadsFromTheStart) {
  TextFile f(path("rw.txt"), OpenMode::readwrite);
  f.write_line("alpha");
  f.write_line("beta");
  f.rewind();
  EXPECT_EQ(read_all(f), (Lines{"alpha", "beta"}));
  f.rewind();
  EXPECT_EQ(read_all(f), (Lines{"alpha", "beta"}));
}

TEST_F(TextFileTest, WritingAfterReadsMakesTheLineTheLast) {
  const std::string p = path("cut.txt");
  TextFile f(p, OpenMode::replace);
  for (const char* s : {"A", "B", "C"}) f.write_line(s);
  f.rewind();
  std::string line;
  ASSERT_TRUE(f.read_line(line));
  EXPECT_EQ(line, "A");
  f.write_line("D");
  f.rewind();
  EXPECT_EQ(read_all(f), (Lines{"A", "D"}));
  f.flush();
  EXPECT_EQ(get_raw(p), "A\nD\n");
}

TEST_F(TextFileTest, AppendModeWritesAtTheEndEvenAfterReading) {
  const std::string p = path("app.txt");
  put_raw(p, "A\nB\n");
  TextFile f(p, OpenMode::append);
  f.write_line("C");
  f.rewind();
  std::string line;
  ASSERT_TRUE(f.read_line(line));
  EXPECT_EQ(line, "A");
  f.write_line("D");
  f.rewind();
  EXPECT_EQ(read_all(f), (Lines{"A", "B", "C", "D"}));
}

TEST_F(TextFileTest, FlushMakesLinesVisibleAndReadOnlyRefusesWrites) {
  const std::string p = path("fl.txt");
  TextFile w(p, OpenMode::replace);
  w.write_line("seen");
  w.flush();
  EXPECT_EQ(get_raw(p), "seen\n");

  TextFile r(p, OpenMode::read);
  EXPECT_THROW(r.write_line("nope"), IoError);
  EXPECT_EQ(get_raw(p), "seen\n");
}

// ---------------------------------------------------------------------------------------
// RecordWriter / RecordReader

TEST(RecordCodec, WritesLittleEndianIeeeAndPaddedText) {
  RecordWriter w;
  w.i32(0x01020304).i32(-2).f32(1.0f).f64(-2.5).text("AB", 4).text("ABCDEF", 3).text("x", 0);
  const std::int32_t ints[] = {1, -1};
  const float reals[] = {-0.0f};
  const std::byte raw[] = {std::byte{0xAB}};
  w.i32s(ints).f32s(reals).bytes(raw);
  const std::vector<unsigned char> expected = {
      0x04, 0x03, 0x02, 0x01,                          // i32 0x01020304
      0xFE, 0xFF, 0xFF, 0xFF,                          // i32 -2
      0x00, 0x00, 0x80, 0x3F,                          // f32 1.0
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0,  // f64 -2.5
      'A',  'B',  ' ',  ' ',                           // blank-padded
      'A',  'B',  'C',                                 // cut
      0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,  // i32s
      0x00, 0x00, 0x00, 0x80,                          // f32s -0.0
      0xAB,
  };
  std::vector<unsigned char> got;
  for (std::byte b : w.data()) got.push_back(std::to_integer<unsigned char>(b));
  EXPECT_EQ(got, expected);
}

TEST(RecordCodec, ReadsBackBitExactAndIgnoresLeftovers) {
  const float tiny = std::numeric_limits<float>::denorm_min();
  const double nan_bits = std::bit_cast<double>(std::uint64_t{0x7FF8000000000123});
  const std::int32_t ints[] = {std::numeric_limits<std::int32_t>::min(), 0, 7};
  const float reals[] = {3.25f, -0.0f};
  RecordWriter w;
  w.i32(-123456789).f32(tiny).f64(nan_bits).text("NAME", 8).i32s(ints).f32s(reals).i32(99);

  RecordReader r(w.data());
  EXPECT_EQ(r.size(), w.data().size());
  EXPECT_EQ(r.i32(), -123456789);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(r.f32()), std::bit_cast<std::uint32_t>(tiny));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(r.f64()), 0x7FF8000000000123u);
  EXPECT_EQ(r.text(8), "NAME    ");
  std::int32_t back_ints[3] = {};
  r.i32s(back_ints);
  EXPECT_EQ(std::vector<std::int32_t>(std::begin(back_ints), std::end(back_ints)),
            std::vector<std::int32_t>(std::begin(ints), std::end(ints)));
  float back_reals[2] = {};
  r.f32s(back_reals);
  EXPECT_EQ(back_reals[0], 3.25f);
  EXPECT_TRUE(std::signbit(back_reals[1]));
  EXPECT_EQ(r.remaining(), 4u);  // the trailing 99 is simply not taken
}

TEST(RecordCodec, TakingMoreThanTheRecordHoldsThrowsBeforeStoring) {
  RecordWriter w;
  w.i32(5).i32(6).text("abc", 3);  // 11 bytes
  RecordReader r(w.data());
  EXPECT_EQ(r.i32(), 5);

  std::int32_t out[3] = {-7, -7, -7};  // needs 12 bytes, only 7 are left
  try {
    r.i32s(out);
    FAIL() << "read past the record";
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()).find("record too short"), std::string::npos) << e.what();
  }
  EXPECT_EQ(out[0], -7);
  EXPECT_EQ(out[1], -7);
  EXPECT_EQ(r.remaining(), 7u);

  EXPECT_THROW(r.f64(), IoError);
  EXPECT_THROW(r.text(8), IoError);
  EXPECT_EQ(r.i32(), 6);
  EXPECT_EQ(r.text(3), "abc");
  EXPECT_THROW(r.i32(), IoError);
  EXPECT_THROW(r.f32(), IoError);
  EXPECT_EQ(r.text(0), "");
}

// ---------------------------------------------------------------------------------------
// SequentialFile

using SequentialFileTest = ScratchDir;

TEST_F(SequentialFileTest, FramesEachRecordWithLittleEndianCounts) {
  const std::string p = path("s.bin");
  const std::string big(70000, '\x5A');
  {
    SequentialFile f(p, OpenMode::replace);
    f.write(as_bytes("abc"));
    f.write(RecordWriter{});
    f.write(as_bytes(big));
  }
  const std::string expected_head = std::string("\x03\x00\x00\x00", 4) + "abc" +
                                    std::string("\x03\x00\x00\x00", 4) + std::string(8, '\0') +
                                    std::string("\x70\x11\x01\x00", 4);
  const std::string raw = get_raw(p);
  ASSERT_EQ(raw.size(), 11u + 8u + 70008u);
  EXPECT_EQ(raw.substr(0, expected_head.size()), expected_head);
  EXPECT_EQ(raw.substr(raw.size() - 4), std::string("\x70\x11\x01\x00", 4));

  SequentialFile f(p, OpenMode::read);
  EXPECT_EQ(read_all(f), (Lines{"abc", "", big}));
  std::vector<std::byte> rec = as_bytes("keep");
  EXPECT_EQ(f.read(rec), -1);
  EXPECT_EQ(f.read(rec), -1);
  EXPECT_THROW(f.read_record(), IoError);
}

TEST_F(SequentialFileTest, ShortReadsSkipTheRestOfTheRecord) {
  SequentialFile f(path("skip.bin"), OpenMode::readwrite);
  RecordWriter a;
  a.i32(1).i32(2).i32(3);
  RecordWriter b;
  b.i32(4);
  f.write(a);
  f.write(b);
  f.rewind();
  EXPECT_EQ(f.read_record().i32(), 1);
  RecordReader second = f.read_record();
  EXPECT_EQ(second.i32(), 4);
  EXPECT_THROW(second.i32(), IoError);
  EXPECT_THROW(f.read_record(), IoError);
}

TEST_F(SequentialFileTest, OpenModes) {
  const std::string p = path("modes.bin");
  try {
    SequentialFile f(p, OpenMode::read);
    FAIL() << "opened a missing file for reading";
  } catch (const IoError& e) {
    EXPECT_EQ(e.status(), ENOENT);
  }
  { SequentialFile(p, OpenMode::append).write(as_bytes("one")); }  // created when missing
  {
    SequentialFile f(p, OpenMode::append);
    f.write(as_bytes("two"));
    f.rewind();  // the old records stay readable in append mode
    EXPECT_EQ(read_all(f), (Lines{"one", "two"}));
  }
  EXPECT_EQ(get_raw(p), framed("one") + framed("two"));
  { SequentialFile(p, OpenMode::replace).write(as_bytes("new")); }
  EXPECT_EQ(get_raw(p), framed("new"));
  { SequentialFile f(p, OpenMode::readwrite); }
  EXPECT_EQ(get_raw(p), "");

  put_raw(p, framed("ro"));
  SequentialFile ro(p, OpenMode::read);
  EXPECT_THROW(ro.write(as_bytes("x")), IoError);
  EXPECT_EQ(read_all(ro), (Lines{"ro"}));
}

TEST_F(SequentialFileTest, WriteBeforeTheEndCutsTheFileAfterIt) {
  const std::string p = path("cut.bin");
  SequentialFile f(p, OpenMode::readwrite);
  for (const char* s : {"AAAA", "BBBB", "CCCC"}) f.write(as_bytes(s));

  f.rewind();
  std::vector<std::byte> rec;
  ASSERT_EQ(f.read(rec), 0);
  f.write(as_bytes("D"));  // after a read: replaces B and C
  EXPECT_EQ(f.read(rec), -1);
  f.flush();
  EXPECT_EQ(get_raw(p), framed("AAAA") + framed("D"));

  f.rewind();
  f.write(as_bytes("E"));  // after a rewind: the only record
  f.write(as_bytes("F"));
  f.rewind();
  EXPECT_EQ(read_all(f), (Lines{"E", "F"}));
  f.flush();
  EXPECT_EQ(get_raw(p), framed("E") + framed("F"));
}

TEST_F(SequentialFileTest, EndFileCutsAtTheCurrentRecord) {
  const std::string p = path("end.bin");
  SequentialFile f(p, OpenMode::readwrite);
  for (const char* s : {"A", "B", "C"}) f.write(as_bytes(s));
  f.rewind();
  std::vector<std::byte> rec;
  ASSERT_EQ(f.read(rec), 0);
  f.end_file();
  EXPECT_EQ(fs::file_size(p), framed("A").size());
  EXPECT_EQ(f.read(rec), -1);
  f.write(as_bytes("Z"));
  f.rewind();
  EXPECT_EQ(read_all(f), (Lines{"A", "Z"}));
  f.rewind();
  f.end_file();
  EXPECT_EQ(fs::file_size(p), 0u);
}

TEST_F(SequentialFileTest, BackspaceStepsOverTheRecordJustReadOrWritten) {
  SequentialFile f(path("bs.bin"), OpenMode::readwrite);
  f.backspace();  // at the start: nothing happens
  f.write(as_bytes("first"));
  f.write(as_bytes(""));
  f.write(as_bytes("third"));
  f.backspace();
  f.write(as_bytes("THIRD"));  // replaces the record just written
  f.rewind();

  std::vector<std::byte> rec;
  ASSERT_EQ(f.read(rec), 0);
  ASSERT_EQ(f.read(rec), 0);
  f.backspace();
  f.backspace();
  ASSERT_EQ(f.read(rec), 0);
  EXPECT_EQ(as_string(rec), "first");
  ASSERT_EQ(f.read(rec), 0);
  EXPECT_EQ(as_string(rec), "");
  ASSERT_EQ(f.read(rec), 0);
  EXPECT_EQ(as_string(rec), "THIRD");
  EXPECT_EQ(f.read(rec), -1);
  f.backspace();  // from the end of the file
  ASSERT_EQ(f.read(rec), 0);
  EXPECT_EQ(as_string(rec), "THIRD");
}

// Each raw file starts with one good record; reading the one after it must report damage
// at the offset where that second record starts, without allocating or overrunning.
TEST_F(SequentialFileTest, DamagedFramesAreReportedWithFileAndOffset) {
  const std::string good = framed("ok");  // 10 bytes
  struct Case {
    const char* what;
    std::string tail;
  };
  const Case cases[] = {
      {"negative count", std::string("\xFF\xFF\xFF\xFF", 4) + std::string(8, '\0')},
      {"huge count", std::string("\xFF\xFF\xFF\x7F", 4) + "abcd" + std::string("\xFF\xFF\xFF\x7F", 4)},
      {"count one past the file", std::string("\x05\x00\x00\x00", 4) + "abcd" +
                                      std::string("\x05\x00\x00\x00", 4)},
      {"trailing count differs", std::string("\x02\x00\x00\x00", 4) + "xy" +
                                     std::string("\x03\x00\x00\x00", 4)},
      {"empty record without trailer", std::string("\x00\x00\x00\x00", 4)},
      {"one stray byte", std::string(1, '\0')},
      {"seven stray bytes", std::string(7, '\0')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string p = path("bad.bin");
    put_raw(p, good + c.tail);
    SequentialFile f(p, OpenMode::read);
    std::vector<std::byte> rec;
    ASSERT_EQ(f.read(rec), 0);
    EXPECT_EQ(as_string(rec), "ok");
    try {
      f.read(rec);
      ADD_FAILURE() << "damage not detected";
    } catch (const IoError& e) {
      // The damaged frame starts behind the 10 bytes of the good one: byte 11, counted from 1.
      EXPECT_NE(std::string(e.what()).find("damaged record at byte 11 of " + p), std::string::npos)
          << e.what();
    }
    EXPECT_EQ(as_string(rec), "ok");
    EXPECT_THROW(f.read_record(), IoError);  // still damaged on a second attempt
  }
}

TEST_F(SequentialFileTest, BackspaceOverADamagedFrameThrows) {
  struct Case {
    const char* what;
    std::string raw;
    const char* at;  // the byte position the message names, counted from 1
  };
  const Case cases[] = {
      // Trailer says 9 bytes but only 2 bytes and a leading count precede it: the trailer
      // starts at byte 7.
      {"trailer reaches before the file",
       std::string("\x02\x00\x00\x00", 4) + "xy" + std::string("\x09\x00\x00\x00", 4), "byte 7 "},
      // Trailer says 5 and fits, but the leading count found there, at byte 1, says 7.
      {"leading count differs",
       std::string("\x07\x00\x00\x00", 4) + "abcde" + std::string("\x05\x00\x00\x00", 4), "byte 1 "},
      {"stray bytes only", std::string(5, '\x01'), "byte 2 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string p = path("bsbad.bin");
    put_raw(p, c.raw);
    SequentialFile f(p, OpenMode::append);  // positioned at the end
    try {
      f.backspace();
      ADD_FAILURE() << "damage not detected";
    } catch (const IoError& e) {
      EXPECT_NE(std::string(e.what()).find(std::string("damaged record at ") + c.at), std::string::npos)
          << e.what();
    }
  }
}

// ---------------------------------------------------------------------------------------
// StreamFile

using StreamFileTest = ScratchDir;

TEST_F(StreamFileTest, WritesInPlaceExtendsWithZerosAndNeverShrinks) {
  const std::string p = path("isf");
  StreamFile f(p, OpenMode::readwrite);
  EXPECT_EQ(f.size(), 0);
  f.write(1, as_bytes("abcdef"));
  f.write(3, as_bytes("XY"));
  EXPECT_EQ(f.size(), 6);
  f.write(10, as_bytes("z"));
  EXPECT_EQ(f.size(), 10);

  std::vector<std::byte> all(10);
  ASSERT_TRUE(f.read(1, all));
  EXPECT_EQ(as_string(all), std::string("abXYef\0\0\0z", 10));
  f.flush();
  EXPECT_EQ(get_raw(p), std::string("abXYef\0\0\0z", 10));
}

TEST_F(StreamFileTest, ReadsOnlyWhatTheFileHolds) {
  StreamFile f(path("isf"), OpenMode::readwrite);
  f.write(1, as_bytes("0123456789"));
  std::vector<std::byte> two(2);
  ASSERT_TRUE(f.read(9, two));
  EXPECT_EQ(as_string(two), "89");

  std::vector<std::byte> probe = as_bytes("??");
  EXPECT_FALSE(f.read(10, probe));
  EXPECT_FALSE(f.read(11, probe));
  EXPECT_FALSE(f.read(std::numeric_limits<std::int64_t>::max(), probe));
  EXPECT_EQ(as_string(probe), "??");
  EXPECT_THROW(f.read(0, probe), IoError);
  EXPECT_EQ(f.size(), 10);
}

TEST_F(StreamFileTest, RejectsPositionsOutsideOneTo2Pow31Minus1) {
  StreamFile f(path("isf"), OpenMode::readwrite);
  f.write(1, as_bytes("abc"));
  struct Case {
    std::int64_t pos;
    std::size_t size;
  };
  const Case bad[] = {
      {0, 1}, {-5, 1}, {2147483647, 2}, {2147483648, 1}, {2147483640, 9},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(::testing::Message() << "pos " << c.pos << " size " << c.size);
    const std::vector<std::byte> bytes(c.size, std::byte{1});
    EXPECT_THROW(f.write(c.pos, bytes), IoError);
  }
  EXPECT_EQ(f.size(), 3);
}

TEST_F(StreamFileTest, LastByteMayBeAtPosition2Pow31Minus1) {
  StreamFile f(path("isf"), OpenMode::readwrite);  // sparse: no 2 GiB written
  f.write(2147483646, as_bytes("pq"));
  EXPECT_EQ(f.size(), 2147483647);
  std::vector<std::byte> got(2);
  ASSERT_TRUE(f.read(2147483646, got));
  EXPECT_EQ(as_string(got), "pq");
  std::vector<std::byte> head(2);
  ASSERT_TRUE(f.read(1, head));
  EXPECT_EQ(as_string(head), std::string(2, '\0'));
}

TEST_F(StreamFileTest, OpenModes) {
  const std::string p = path("isf");
  try {
    StreamFile f(p, OpenMode::read);
    FAIL() << "opened a missing file for reading";
  } catch (const IoError& e) {
    EXPECT_EQ(e.status(), ENOENT);
  }
  { StreamFile(p, OpenMode::append).write(1, as_bytes("hello")); }  // created when missing
  {
    StreamFile f(p, OpenMode::append);  // kept, updated in place
    EXPECT_EQ(f.size(), 5);
    f.write(2, as_bytes("E"));
  }
  EXPECT_EQ(get_raw(p), "hEllo");
  {
    StreamFile f(p, OpenMode::read);
    std::vector<std::byte> b(5);
    ASSERT_TRUE(f.read(1, b));
    EXPECT_EQ(as_string(b), "hEllo");
    EXPECT_THROW(f.write(1, as_bytes("x")), IoError);
  }
  EXPECT_EQ(get_raw(p), "hEllo");
  { StreamFile(p, OpenMode::replace).write(1, as_bytes("r")); }
  EXPECT_EQ(get_raw(p), "r");
  { StreamFile f(p, OpenMode::readwrite); }
  EXPECT_EQ(get_raw(p), "");
}

// ---------------------------------------------------------------------------------------
// file_exists / remove_file

using RecordFileHelpers = ScratchDir;

TEST_F(RecordFileHelpers, ExistsAndRemove) {
  const std::string p = path("f");
  EXPECT_FALSE(file_exists(p));
  EXPECT_NO_THROW(remove_file(p));
  put_raw(p, "x");
  EXPECT_TRUE(file_exists(p));
  EXPECT_TRUE(file_exists(dir_.string()));
  remove_file(p);
  EXPECT_FALSE(file_exists(p));
  EXPECT_NO_THROW(remove_file(p));
}

TEST_F(RecordFileHelpers, DirectoriesAreNotOpenedAsFiles) {
  EXPECT_THROW(TextFile(dir_.string(), OpenMode::read), IoError);
  EXPECT_THROW(SequentialFile(dir_.string(), OpenMode::read), IoError);
  EXPECT_THROW(StreamFile(dir_.string(), OpenMode::append), IoError);
}

}  // namespace
}  // namespace korvex::io
