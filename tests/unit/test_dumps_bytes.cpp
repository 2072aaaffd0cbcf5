// The byte-level dumps: *STREAM lines with their marker lines and 4096-byte blocks, the
// character classes of a dump line, the vertical dump of *ISF_DE and its walk through the
// records, *PR_ISF, and the console pause that must never wait in a batch run.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "storage/dumps.hpp"
#include "test_dumps_fixture.hpp"

namespace korvex {
namespace {

using testing::Bytes;
using testing::DumpRun;

class DumpStream : public DumpRun {
 protected:
  void put(std::int64_t pos, const std::string& bytes) {
    stream_file(isf_unit()).write(pos, std::as_bytes(std::span(bytes.data(), bytes.size())));
  }
  // A dump line as the definition lays it out: offset in 6, then per position a blank and
  // two hexadecimal digits (blanks beyond the group), two blanks and the characters.
  static std::string line(int offset, const std::string& group) {
    static const char* hex = "0123456789ABCDEF";
    std::string s = " " + rjust(std::to_string(offset), 6) + "  ";
    std::string chars;
    for (std::size_t i = 0; i < 16; ++i) {
      if (i < group.size()) {
        const auto v = static_cast<unsigned char>(group[i]);
        s += ' ';
        s += hex[v >> 4];
        s += hex[v & 15];
        chars += ((v >= 32 && v <= 126) || v >= 160) ? static_cast<char>(v) : '.';
      } else {
        s += "   ";
        chars += ' ';
      }
    }
    return s + "  " + chars;
  }
};

TEST_F(DumpStream, EmptyStoreIsFourLinesOfZerosAndBlanks) {
  stream_dump(isf_unit(), monout_);
  // An END record: twelve bytes 00, eight bytes 20; the file holds two.
  const std::string zeros_then_blanks =
      "   00 00 00 00 00 00 00 00 00 00 00 00 20 20 20 20  ............    ";
  const std::string all_blanks =
      "   20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20                  ";
  EXPECT_EQ(listing(), (std::vector<std::string>{"      1" + zeros_then_blanks, "     17" + all_blanks,
                                                 "     33" + zeros_then_blanks, "     49" + all_blanks}));
}

TEST_F(DumpStream, EqualGroupsFoldIntoOneMarkerAndBlocksRestartTheirOffsets) {
  std::string file = blanks(16) + std::string(4064 - 16, 'A') + std::string(32, 'C');
  file += std::string(32, 'B') + "ZZZZZ";
  put(1, file);
  stream_dump(isf_unit(), monout_);
  EXPECT_EQ(listing(), (std::vector<std::string>{
                           "      V",  // the first group equals the blank group remembered at the start
                           line(17, std::string(16, 'A')),
                           "     VV",  // groups 33 to 4049: one marker under a two-digit offset
                           line(4065, std::string(16, 'C')),
                           "   VVVV",  // offset 4081
                           line(1, std::string(16, 'B')),  // the second block counts from 1 again
                           "     VV",
                           line(33, "ZZZZZ"),
                       }));
}

TEST_F(DumpStream, CharacterColumnShowsOnlyPrintableBytes) {
  const std::string bytes = std::string("\x00\x1f\x20\x41\x7e\x7f\x80\x9f\xa0\xff", 10);
  const auto span = std::as_bytes(std::span(bytes.data(), bytes.size()));
  mem_dump(span, 1, 10, 1, monout_);
  // From the third byte on, with offsets counted from 100.
  mem_dump(span, 3, 4, 100, monout_);
  EXPECT_EQ(listing(), (std::vector<std::string>{
                           "      1   00 1F 20 41 7E 7F 80 9F A0 FF" + blanks(18) + "  .. A~..." + "\xa0\xff" + blanks(6),
                           "    100   20 41 7E 7F" + blanks(36) + "   A~." + blanks(12),
                       }));
}

class DumpDebug : public DumpStream {
 protected:
  void debug() {
    std::int32_t page = 0;
    std::int32_t lines = 0;
    ISF_DEBUG(page, lines, monout_);
  }
  // The console lines that begin with `prefix`.
  std::vector<std::string> console_lines(const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : lines_of(out_.str())) {
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    }
    return out;
  }
};

TEST_F(DumpDebug, EmptyStoreReportsTheUnitAndOneEndRecord) {
  debug();
  EXPECT_EQ(listing(), (std::vector<std::string>{
                           " ACCESS:   STREAM      ", " ACTION:   READWRITE   ", " ENCODING: UNDEFINED   ",
                           " FORM:     UNFORMATTED ", " POS:  1", " SIZE: 64",
                           ".... ....", "0000 0000", "0000 0000"}));
  EXPECT_EQ(out_.str(), " i: 1 POS: 1\n 0\n 0\n 0\n 0\n 0\n 0\n 0\n 0\n rec_type: eof   ( 0) rec_len: 32\n");
}

TEST_F(DumpDebug, StepsThroughRecordsFromByteOneAfterEntriesWereWritten) {
  Kpar kpar{};
  make_kpar(kpar, 300, 1, 0);
  std::int32_t notfound = 0;
  std::vector<float> x(300, 2.0f);
  isf_real_vector("MEANS1", 1, kpar, notfound, x);  // 1314 bytes: two steps
  set_stream_position(isf_unit(), 700);
  EXPECT_NO_THROW(debug());
  EXPECT_EQ(console_lines(" i:"), (std::vector<std::string>{" i: 1 POS: 1", " i: 1001 POS: 15"}));
  EXPECT_EQ(console_lines(" rec_type:"),
            (std::vector<std::string>{" rec_type:rwrecs ( 7) rec_len: 14", " rec_type:rwreci ( 3) rec_len: 16"}));
  EXPECT_EQ(listing()[4], " POS:  700");
  EXPECT_EQ(listing()[5], " SIZE: 1314");
}

// A record whose end lies beyond the file, or whose length cannot be known, ends the dump:
// the run goes on.
TEST_F(DumpDebug, EndOfFileOrUnknownLengthEndsTheDump) {
  struct Case {
    std::string head;
    std::string rec_type;
  };
  const std::vector<Case> cases = {
      {Bytes().i(3).i(1000000).str(), " rec_type:rwreci ( 3) rec_len: 4000008"},
      {Bytes().i(5).i(1).str(), " rec_type:un def ( 5) rec_len: 0"},
      {Bytes().i(42).i(1).str(), " rec_type:?????? ( 42) rec_len: 0"},
      {Bytes().i(3).i(-2).str(), " rec_type:rwreci ( 3) rec_len: 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rec_type);
    out_.str("");
    put(1, c.head + std::string(2500, '\0'));  // three steps' worth of file
    EXPECT_NO_THROW(debug());
    EXPECT_EQ(console_lines(" i:"), (std::vector<std::string>{" i: 1 POS: 1"}));
    EXPECT_EQ(console_lines(" rec_type:"), (std::vector<std::string>{c.rec_type}));
  }
}

TEST_F(DumpDebug, DamagedEndRecordIsNamed) {
  put(9, Bytes().i(9).t("X", 1).str());
  debug();
  EXPECT_EQ(console_lines(" int"), (std::vector<std::string>{" int did not contain a zero: 9"}));
  EXPECT_EQ(console_lines(" char"), (std::vector<std::string>{" char did not contain a blank:X"}));
}

TEST_F(DumpDebug, VerticalDumpReadsDownwardsInGroupsOfFour) {
  const std::string bytes = std::string("\x00\x07\x41\x20\xff\x31\x1f\x7f", 8);
  vertical_hex_dump(std::as_bytes(std::span(bytes.data(), bytes.size())), 8, monout_);
  EXPECT_EQ(out_.str(), " 0\n 7\n41\n20\nFF\n31\n1F\n7F\n");
  EXPECT_EQ(listing(), (std::vector<std::string>{"..A  \xff" "1.\x7f", "0042 F317", "0710 F1FF"}));

  // 70 bytes: a block of 64 (16 groups), then one of 6.
  out_.str("");
  const std::string many(70, 'k');
  vertical_hex_dump(std::as_bytes(std::span(many.data(), many.size())), 70, monout_);
  std::string group_line;
  for (int g = 0; g < 16; ++g) group_line += (g == 0 ? "" : " ") + std::string(4, 'k');
  const std::vector<std::string> all = listing();
  ASSERT_EQ(all.size(), 3u + 6u);
  EXPECT_EQ(all[3], group_line);
  EXPECT_EQ(all[6], "kkkk kk");
  EXPECT_EQ(all[7], "6666 66");
  EXPECT_EQ(all[8], "BBBB BB");
  EXPECT_EQ(lines_of(out_.str()).size(), 70u);
}

class DumpPrIsf : public DumpRun {};

TEST_F(DumpPrIsf, ControlBlockLines) {
  PR_ISF();
  EXPECT_EQ(out_.str(), " mtisf: 1 maxlab: 30\n iloc: 1\n nlab: 0 iwrite: 0\n");

  out_.str("");
  std::vector<std::string> title(12, "TITLE");
  std::int32_t notfound = 0;
  isf_idfile(1, notfound, title);  // bytes 1-122, closed at 155
  Kpar kpar{};
  make_kpar(kpar, 2, 1, 0);
  std::vector<std::string> names = {"A", "B"};
  isf_name_vector("VNAMS1", 1, kpar, notfound, names);  // bytes 155-244, closed at 277
  PR_ISF();
  EXPECT_EQ(out_.str(), " mtisf: 1 maxlab: 30\n iloc: 277\n nlab: 2 iwrite: 1\n 1 IDFILE\n 155 VNAMS1\n");
}

class DumpPause : public DumpRun {};

TEST_F(DumpPause, ReadsOneLineOfGivenInputAndGoesOnAtItsEnd) {
  in_.str("first\nsecond\n");
  console_pause();
  EXPECT_EQ(out_.str(), "  \n");
  std::string rest;
  std::getline(in_, rest);
  EXPECT_EQ(rest, "second");
  // At the end of the input the pause goes straight on, as often as it is taken.
  console_pause();
  console_pause();
  EXPECT_EQ(out_.str(), "  \n  \n  \n");
}

}  // namespace
}  // namespace korvex
