// The ISF record layer and entry framing: exact bytes of every record kind on the stream
// unit and of sequential records, the kind and capacity stops of the readers, the empty
// store, first and replaced entries, the 30-label table and the framing's stop codes.
#include <filesystem>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "test_isf_fixture.hpp"

namespace korvex {
namespace {

using testing::Bytes;
using testing::IsfFolder;

class IsfRecords : public IsfFolder {};
class IsfStore : public IsfFolder {};

const std::string empty_store = Bytes().end().end().str();

// ---- record layer -------------------------------------------------------------------

TEST_F(IsfRecords, EveryKindHasItsExactBytesAndReadsBack) {
  const std::int32_t u = isf_unit();
  set_stream_position(u, 1);
  std::vector<std::string> words = {"AB", "CDEFGHI"};  // padded and cut to 6
  std::vector<std::string> names = {"first name"};
  std::vector<std::int32_t> none;
  std::vector<float> x = {1.5f, -2.0f};
  std::string row_name = "row";
  std::int32_t ival = 42;
  std::string empty_text;
  std::string text = "xyz";
  std::int32_t n = 2;
  rwreca(words, n, u, 1);
  n = 1;
  rwrecn(names, n, u, 1);
  n = 0;
  rwreci(none, n, u, 1);
  n = 2;
  rwrecr(x, n, u, 1);
  rwrecd(x, n, row_name, ival, u, 1);
  n = 99;  // not used by the string record
  rwrecs(empty_text, n, u, 1);
  rwrecs(text, n, u, 1);

  const std::string expected = Bytes()
                                   .i(1).i(2).t("AB", 6).t("CDEFGH", 6)
                                   .i(2).i(1).t("first name", 20)
                                   .i(3).i(0)
                                   .i(4).i(2).f(1.5f).f(-2.0f)
                                   .i(6).i(2).f(1.5f).f(-2.0f).i(42).t("row", 20)
                                   .i(7).i(0)
                                   .i(7).i(3).t("xyz", 3)
                                   .str();
  // The records overwrite the empty store and run on past it.
  EXPECT_EQ(mtist(), expected);
  EXPECT_EQ(position(), 1 + static_cast<std::int32_t>(expected.size()));
  EXPECT_EQ(rwpos(), position());

  set_stream_position(u, 1);
  std::vector<std::string> w2(2);
  std::vector<std::string> n2(1);
  std::vector<float> x2(2);
  std::string name2;
  std::string text2 = "old";
  std::int32_t ival2 = 0;
  rwreca(w2, n, u, 0);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(w2, (std::vector<std::string>{"AB    ", "CDEFGH"}));
  rwrecn(n2, n, u, 0);
  EXPECT_EQ(n2[0], "first name          ");
  rwreci(none, n, u, 0);
  EXPECT_EQ(n, 0);
  rwrecr(x2, n, u, 0);
  EXPECT_EQ(x2, x);
  x2.assign(2, 0.0f);
  rwrecd(x2, n, name2, ival2, u, 0);
  EXPECT_EQ(x2, x);
  EXPECT_EQ(ival2, 42);
  EXPECT_EQ(name2, "row                 ");
  rwrecs(text2, n, u, 0);
  EXPECT_EQ(text2, "");
  rwrecs(text2, n, u, 0);
  EXPECT_EQ(text2, "xyz");
  EXPECT_EQ(n, 3);
  EXPECT_EQ(position(), 1 + static_cast<std::int32_t>(expected.size()));
}

TEST_F(IsfRecords, EndRecordReadAndHeaderOverwrite) {
  const std::int32_t u = isf_unit();
  set_stream_position(u, 20);
  rweof(u, 0);  // a read of an END record moves nothing
  EXPECT_EQ(position(), 20);
  EXPECT_EQ(mtist(), empty_store);

  // A header written inside the file overwrites 14 bytes and leaves the length alone;
  // the unit continues just behind it.
  std::string label[1] = {"LABEL1"};
  std::int32_t n = 1;
  rwhdr(label, n, u, 1, 33);
  EXPECT_EQ(position(), 47);
  const std::string expected = Bytes().end().i(7).i(1).t("LABEL1", 6).raw(empty_store.substr(46)).str();
  EXPECT_EQ(mtist(), expected);
  label[0] = "";
  rwhdr(label, n, u, 0, 33);
  EXPECT_EQ(label[0], "LABEL1");
}

// Reading a record of another kind stops with the reader's own code before anything is
// stored; rwreca and rwhdr say what they found first.
TEST_F(IsfRecords, WrongKindStopsWithTheReadersCode) {
  struct Case {
    const char* routine;
    int code;
    const char* lines;
  };
  const Case cases[] = {
      {"rwreca", 5011, "\n itemp: 0 itype: 1\n"},
      {"rwrecn", 5012, ""},
      {"rwreci", 5013, ""},
      {"rwrecr", 5014, ""},
      {"rwrecd", 5016, ""},
      {"rwrecs", 5017, ""},
      {"rwhdr", 5018, "\n itemp: 0 itype: 7 iloc: 33\n"},
  };
  const std::int32_t u = isf_unit();
  for (const Case& c : cases) {
    std::vector<std::string> words(1, "keep");
    std::vector<std::int32_t> iv(1, 77);
    std::vector<float> x(1, 7.0f);
    std::string text = "keep";
    std::int32_t ival = 5;
    std::int32_t n = 0;
    set_stream_position(u, 33);  // the second END record
    const std::string routine = c.routine;
    auto stopped = stop_of([&] {
      if (routine == "rwreca") rwreca(words, n, u, 0);
      if (routine == "rwrecn") rwrecn(words, n, u, 0);
      if (routine == "rwreci") rwreci(iv, n, u, 0);
      if (routine == "rwrecr") rwrecr(x, n, u, 0);
      if (routine == "rwrecd") rwrecd(x, n, text, ival, u, 0);
      if (routine == "rwrecs") rwrecs(text, n, u, 0);
      if (routine == "rwhdr") rwhdr(words, n, u, 0, 33);
    });
    EXPECT_TRUE(stopped.stopped) << routine;
    EXPECT_EQ(stopped.code, c.code) << routine;
    const std::string quit = " \n QUIT: ERROR= " + std::to_string(c.code) + "\n\n";
    EXPECT_EQ(stopped.console, c.lines + quit) << routine;
    EXPECT_EQ(words[0], "keep");
    EXPECT_EQ(iv[0], 77);
    EXPECT_EQ(x[0], 7.0f);
    EXPECT_EQ(text, "keep");
  }
}

// A stored count beyond the caller's array, or a record that the end of the file cuts
// short, stops the run with a message naming the routine and the place, before anything is
// stored and before any room is made for the count.
TEST_F(IsfRecords, OversizedOrTruncatedRecordStopsCleanly) {
  const std::int32_t u = isf_unit();
  // Writing the items {3, count} makes bytes 8 further on read as the head of a kind 3
  // record of that count, with nothing behind it when it is the last record of the file.
  auto head_at_end = [&](std::int32_t pos, std::int32_t count) {
    std::vector<std::int32_t> head = {3, count};
    std::int32_t n = 2;
    set_stream_position(u, pos);
    rwreci(head, n, u, 1);
    return pos + 8;
  };
  std::vector<std::int32_t> three = {1, 2, 3};
  std::int32_t n = 3;
  set_stream_position(u, 65);
  rwreci(three, n, u, 1);

  struct Case {
    std::int32_t pos;
    std::size_t room;
    std::string message;
  };
  const Case cases[] = {
      {65, 2, "rwreci: stored count 3 exceeds room for 2 items (record at byte 65 of unit 1)"},
      {head_at_end(200, 0x7fffffff), 1000,
       "rwreci: stored count 2147483647 exceeds room for 1000 items (record at byte 208 of unit 1)"},
      {head_at_end(300, 500), 1000,
       "rwreci: end of file inside the record (record at byte 308 of unit 1)"},
      {317, 1000, "rwreci: end of file before the record (record at byte 317 of unit 1)"},
  };
  for (const Case& c : cases) {
    std::vector<std::int32_t> room(c.room, -1);
    set_stream_position(u, c.pos);
    auto stopped = stop_of([&] { rwreci(room, n, u, 0); });
    EXPECT_TRUE(stopped.stopped) << c.message;
    EXPECT_EQ(stopped.code, 0);
    EXPECT_EQ(stopped.message, c.message);
    EXPECT_EQ(room, std::vector<std::int32_t>(c.room, -1));
  }

  // A string record has no caller's array to bound it: a count the file cannot hold is
  // refused before room is made for it.
  std::vector<std::int32_t> head = {isf_kind_header, 2000000000};
  n = 2;
  set_stream_position(u, 400);
  rwreci(head, n, u, 1);
  set_stream_position(u, 408);
  std::string text = "kept";
  auto stopped = stop_of([&] { rwrecs(text, n, u, 0); });
  EXPECT_EQ(stopped.message, "rwrecs: end of file inside the record (record at byte 408 of unit 1)");
  EXPECT_EQ(text, "kept");
}

TEST_F(IsfRecords, WriteCountBeyondTheArrayStops) {
  std::vector<float> x(2);
  std::int32_t n = 3;
  auto stopped = stop_of([&] { rwrecr(x, n, isf_unit(), 1); });
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.message, "rwrecr: 3 items to write at element 1 do not fit an array of 2");
  EXPECT_EQ(mtist(), empty_store);
}

// On a sequential unit each call is one framed record with the stream bytes inside; the
// label record and the END record have the sizes the binary permanent file shows.
TEST_F(IsfRecords, SequentialUnitFramesOneRecordPerCall) {
  const std::int32_t give = get_unit("GIVE");
  std::string label[1] = {"CORRM1"};
  std::vector<std::int32_t> kpar = {7, 9};
  std::int32_t n = 1;
  rwreca(label, n, give, 1);
  n = 2;
  rwreci(kpar, n, give, 1);
  rweof(give, 1);
  const std::string expected = Bytes()
                                   .i(14).i(1).i(1).t("CORRM1", 6).i(14)
                                   .i(16).i(3).i(2).i(7).i(9).i(16)
                                   .i(32).end().i(32)
                                   .str();
  EXPECT_EQ(file_bytes("GIVE"), expected);

  std::filesystem::copy_file(dir_ / "GIVE", dir_ / "TAKE");
  const std::int32_t take = get_unit("TAKE");
  label[0] = "";
  rwreca(label, n, take, 0);
  EXPECT_EQ(label[0], "CORRM1");
  std::vector<std::int32_t> back(2);
  rwreci(back, n, take, 0);
  EXPECT_EQ(back, kpar);
  rweof(take, 0);  // reads nothing: the END record is still next
  auto stopped = stop_of([&] { rwreci(back, n, take, 0); });
  EXPECT_EQ(stopped.code, 5013);
  stopped = stop_of([&] { rwreci(back, n, take, 0); });
  EXPECT_EQ(stopped.message, "rwreci: end of file before the record (record of unit " +
                                 std::to_string(take) + ")");
}

TEST_F(IsfRecords, PositionQueryReportsAnUnopenedUnit) {
  reset_units();
  init_units();
  out_.str("");
  EXPECT_EQ(rwpos("probe"), 0);
  EXPECT_EQ(out_.str().substr(0, 9), " IOSTAT: ");
  EXPECT_NE(out_.str().find("\n IOMSG: "), std::string::npos) << out_.str();
}

// ---- entry framing ------------------------------------------------------------------

TEST_F(IsfStore, EmptyStoreIsTwoEndRecords) {
  EXPECT_EQ(mtist(), empty_store);
  EXPECT_EQ(empty_store.size(), 64u);
  EXPECT_TRUE(isf_ready());
  EXPECT_EQ(isf_next_free(), 1);
  EXPECT_EQ(isf_control().iloc, 1);
  EXPECT_EQ(isf_count(), 0);
  EXPECT_EQ(isf_unit(), 1);
  EXPECT_EQ(isf_label_loc(1), 0);
  EXPECT_EQ(isf_label_name(0), "      ");
}

// Header, KPAR, type record, data, END, and the second END at next_free.
Bytes int_entry(const std::string& label, const std::vector<std::int32_t>& values) {
  Bytes b;
  b.i(7).i(1).t(label, 6).i(3).i(1).i(static_cast<std::int32_t>(values.size())).i(3).i(1).i(3);
  b.i(3).i(static_cast<std::int32_t>(values.size()));
  for (auto v : values) b.i(v);
  return b.end();
}

TEST_F(IsfStore, FirstEntryStartsAtPositionOne) {
  std::vector<std::int32_t> v = {7, 8, 9};
  Kpar kpar{1, 3};
  std::int32_t notfound = -1;
  isf_int_vector("ABCDE1", 1, kpar, notfound, v);
  EXPECT_EQ(notfound, 0);
  const std::string entry = int_entry("ABCDE1", v).str();
  EXPECT_EQ(mtist(), entry + Bytes().end().str());
  EXPECT_EQ(isf_label_loc(1), 1);
  EXPECT_EQ(isf_next_free(), 1 + static_cast<std::int32_t>(entry.size()));
  EXPECT_EQ(isf_control().iloc, isf_next_free());
  EXPECT_EQ(isf_control().iwrite, 1);
  EXPECT_EQ(isf_count(), 1);
  EXPECT_EQ(isf_label_name(1), "ABCDE1");
}

TEST_F(IsfStore, RewritingALabelAppendsAndPointsAtTheNewCopy) {
  std::vector<std::int32_t> a = {1, 2};
  std::vector<std::int32_t> b = {5};
  std::vector<std::int32_t> c = {3, 4, 5};
  Kpar k2{1, 2};
  Kpar k1{1, 1};
  Kpar k3{1, 3};
  std::int32_t notfound = 0;
  isf_int_vector("FIRST1", 1, k2, notfound, a);
  isf_int_vector("OTHER1", 1, k1, notfound, b);
  const std::int32_t old_next = isf_next_free();
  isf_int_vector("FIRST1", 1, k3, notfound, c);
  EXPECT_EQ(isf_count(), 2);
  EXPECT_EQ(isf_label_loc(1), old_next);
  EXPECT_EQ(mtist(), int_entry("FIRST1", a).str() + int_entry("OTHER1", b).str() +
                         int_entry("FIRST1", c).str() + Bytes().end().str());

  Kpar got{};
  std::vector<std::int32_t> back(3);
  isf_int_vector("FIRST1", 0, got, notfound, back);
  EXPECT_EQ(got[0], 1);
  EXPECT_EQ(got[1], 3);
  EXPECT_EQ(back, c);
  EXPECT_EQ(isf_control().iwrite, 0);
}

TEST_F(IsfStore, ThirtyLabelsThenTheThirtyFirstStops) {
  std::vector<std::int32_t> v = {1};
  Kpar k{1, 1};
  std::int32_t notfound = 0;
  for (int i = 1; i <= 30; ++i) isf_int_vector("L" + std::to_string(i), 1, k, notfound, v);
  isf_int_vector("L7", 1, k, notfound, v);  // rewriting one of them still works
  EXPECT_EQ(isf_count(), 30);
  const std::string before = mtist();
  const std::int32_t next = isf_next_free();
  auto stopped = stop_of([&] { isf_int_vector("L31", 1, k, notfound, v); });
  EXPECT_EQ(stopped.code, 5001);
  EXPECT_EQ(isf_count(), 30);
  EXPECT_EQ(isf_next_free(), next);
  EXPECT_EQ(mtist(), before);
}

TEST_F(IsfStore, ReadOfAnUnknownLabelTouchesNothing) {
  Kpar kpar{9, 9, 9};
  std::vector<float> x = {4.0f};
  std::int32_t notfound = 0;
  set_stream_position(isf_unit(), 17);
  isf_real_vector("NONE01", 0, kpar, notfound, x);
  EXPECT_EQ(notfound, 1);
  EXPECT_EQ(kpar, (Kpar{9, 9, 9}));
  EXPECT_EQ(x[0], 4.0f);
  EXPECT_EQ(position(), 17);
}

TEST_F(IsfStore, FramingStops) {
  std::vector<float> x = {1.0f, 2.0f};
  Kpar kpar{2, 2, 1};
  std::int32_t notfound = 0;
  isf_real_vector("CORRM1", 1, kpar, notfound, x);

  // An integer reader on a real entry: the header and KPAR are read, the type differs.
  std::vector<std::int32_t> iv(2, 0);
  Kpar got{};
  auto stopped = stop_of([&] { isf_int_vector("CORRM1", 0, got, notfound, iv); });
  EXPECT_EQ(stopped.code, 5003);
  EXPECT_EQ(got[0], 2);
  EXPECT_EQ(iv, (std::vector<std::int32_t>{0, 0}));

  // A header that holds another label.
  std::string other[1] = {"XXXXXX"};
  std::int32_t n = 1;
  rwhdr(other, n, isf_unit(), 1, 1);
  stopped = stop_of([&] { isf_real_vector("CORRM1", 0, got, notfound, x); });
  EXPECT_EQ(stopped.code, 5002);

  reset_isf();
  EXPECT_FALSE(isf_ready());
  stopped = stop_of([&] { isf_real_vector("CORRM1", 0, got, notfound, x); });
  EXPECT_EQ(stopped.code, 5000);
}

TEST_F(IsfStore, ReinitialisingForgetsLabelsAndKeepsTheFileLength) {
  std::vector<std::int32_t> v(20, 3);
  Kpar k{1, 20};
  std::int32_t notfound = 0;
  isf_int_vector("BIG001", 1, k, notfound, v);
  const std::string full = mtist();
  isf_init();
  EXPECT_EQ(isf_count(), 0);
  EXPECT_EQ(mtist(), empty_store + full.substr(64));
  std::vector<std::int32_t> one = {1};
  Kpar k1{1, 1};
  isf_int_vector("NEW001", 1, k1, notfound, one);
  EXPECT_EQ(isf_label_loc(1), 1);
  const std::string entry = int_entry("NEW001", one).str() + Bytes().end().str();
  EXPECT_EQ(mtist(), entry + full.substr(entry.size()));
  Kpar got{};
  isf_int_vector("BIG001", 0, got, notfound, v);
  EXPECT_EQ(notfound, 1);
}

TEST_F(IsfStore, MakeKparCountsLeadingNonZeroSizes) {
  struct Case {
    std::int32_t d1, d2, d3, c;
  };
  const Case cases[] = {{0, 4, 4, 0}, {5, 0, 7, 1}, {5, 6, 0, 2}, {5, 6, 7, 3}, {-1, 2, 3, 3}};
  for (const Case& c : cases) {
    Kpar k{};
    make_kpar(k, c.d1, c.d2, c.d3);
    EXPECT_EQ(k[0], c.c) << c.d1 << " " << c.d2 << " " << c.d3;
    EXPECT_EQ(k[1], c.d1);
    EXPECT_EQ(k[3], c.d3);
  }
}

// TAKE registers its labels at next_free and writes the entry there itself.
TEST_F(IsfStore, AddLabelRegistersAtNextFreeAndStopsAtThirtyOne) {
  init_page();
  std::int32_t page = 0;
  std::int32_t lines = 0;
  const std::int32_t monout = get_unit("MONOUT");
  std::string header[1] = {"TAKEN1"};
  std::int32_t n = 1;
  isf_add_label("TAKEN1", page, lines, monout);
  rwhdr(header, n, isf_unit(), 1, isf_next_free());
  std::vector<std::int32_t> kpar = {4};
  std::vector<std::int32_t> type = {3};
  std::vector<std::int32_t> data = {1, 2, 3, 4};
  rwreci(kpar, n, isf_unit(), 1);
  rwreci(type, n, isf_unit(), 1);
  n = 4;
  rwreci(data, n, isf_unit(), 1);
  filfin(1);
  isf_set_iwrite();
  EXPECT_EQ(isf_control().iwrite, 1);
  EXPECT_EQ(isf_label_loc(1), 1);
  Kpar got{};
  std::vector<std::int32_t> back(4);
  std::int32_t notfound = 0;
  isf_int_vector("TAKEN1", 0, got, notfound, back);
  EXPECT_EQ(back, data);

  for (int i = 2; i <= 30; ++i) isf_add_label("T" + std::to_string(i), page, lines, monout);
  isf_add_label("T2", page, lines, monout);  // known labels are not counted again
  EXPECT_EQ(isf_count(), 30);
  auto stopped = stop_of([&] { isf_add_label("T31", page, lines, monout); });
  EXPECT_EQ(stopped.code, 5020);
  EXPECT_EQ(isf_count(), 30);
  const auto listing = file_lines("MONOUT");
  ASSERT_FALSE(listing.empty());
  EXPECT_EQ(listing.back(), " TOO MANY FILE NAMES.");
}

}  // namespace
}  // namespace korvex
