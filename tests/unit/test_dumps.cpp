// The ISF listing of *ISFDMP: the empty store, entries of every type with their captions
// and values per line, entries whose data-record count is not the ceiling of their sizes,
// and the damages that end the run with their listing reports.
#include <bit>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "executive/stop.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "storage/dumps.hpp"
#include "test_dumps_fixture.hpp"

namespace korvex {
namespace {

using testing::Bytes;
using testing::DumpRun;
using testing::Stopped;

class DumpIsfdmp : public DumpRun {
 protected:
  // Runs the dump with fresh counters, as the interpreter does.
  void dump() {
    std::int32_t page = 0;
    std::int32_t lines = 0;
    ISFDMP(page, lines, monout_);
  }
  // The dump's opening lines: a new page, two empty lines and the centred title.
  std::vector<std::string> opening() {
    return {" ", pager_header(1), " ", " ", " ", centred("Contents of Intermediate Storage File")};
  }
  std::vector<std::string> closing() { return {" ", " ", centred("ISF Dump Complete"), " ", " "}; }

  // The lines of the dump between its opening and its closing.
  std::vector<std::string> body() {
    std::vector<std::string> all = listing();
    const std::size_t head = opening().size();
    const std::size_t tail = closing().size();
    EXPECT_GE(all.size(), head + tail);
    if (all.size() < head + tail) return {};
    return {all.begin() + static_cast<std::ptrdiff_t>(head), all.end() - static_cast<std::ptrdiff_t>(tail)};
  }

  // The captions of the items, in order (the first seven columns of each first line).
  std::vector<std::string> captions() {
    std::vector<std::string> out;
    for (const std::string& line : body()) {
      if (line.size() >= 7 && line[1] != ' ') out.push_back(line.substr(0, 7));
    }
    return out;
  }
};

TEST_F(DumpIsfdmp, EmptyStoreIsTitleAndCompletionOnAFreshPage) {
  dump();
  std::vector<std::string> expected = opening();
  for (const std::string& line : closing()) expected.push_back(line);
  EXPECT_EQ(listing(), expected);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(DumpIsfdmp, RunTitleShowsEachRecordUnderItsCaption) {
  std::vector<std::string> title;
  for (int i = 1; i <= 12; ++i) title.push_back("WORD" + std::to_string(i));
  std::int32_t notfound = 0;
  isf_idfile(1, notfound, title);
  dump();

  std::vector<std::string> data_cells;
  for (const std::string& w : title) data_cells.push_back(rjust(ljust(w, 6), 11));
  std::vector<std::string> expected;
  append(expected, item(" LABEL ", {rjust("IDFILE", 11)}, 10));
  append(expected, item(" KPAR  ", {rjust("12", 11), rjust("1", 11)}, 10));
  append(expected, item(" TYPE  ", {rjust("1", 11)}, 10));
  append(expected, item(" DATA  ", data_cells, 10));
  EXPECT_EQ(body(), expected);
  // The data item takes two lines: ten words, then two behind seven blanks.
  EXPECT_EQ(expected[expected.size() - 1].substr(0, 7), "       ");
  // The KPAR values also go to standard output.
  EXPECT_EQ(out_.str(), " 12 1\n");
}

TEST_F(DumpIsfdmp, NamesFiveToALineAndWidthSetsValuesPerLine) {
  std::vector<std::string> names;
  for (int i = 1; i <= 23; ++i) names.push_back("VARIABLE NAME " + std::to_string(i));
  Kpar kpar{};
  make_kpar(kpar, 23, 1, 0);
  std::int32_t notfound = 0;
  isf_name_vector("VNAMS1", 1, kpar, notfound, names);
  dump();
  std::vector<std::string> cells;
  for (const std::string& n : names) cells.push_back(" " + ljust(n, 20));
  const std::vector<std::string> data = item(" DATA  ", cells, 5);
  std::vector<std::string> b = body();
  ASSERT_GE(b.size(), data.size());
  EXPECT_EQ(std::vector<std::string>(b.end() - static_cast<std::ptrdiff_t>(data.size()), b.end()), data);
  EXPECT_EQ(data.size(), 2u + 5u);  // two empty lines, lines of 5, 5, 5, 5 and 3 names
}

TEST_F(DumpIsfdmp, ValuesPerLineFollowTheListingWidth) {
  // At 120 columns words go 11 to a line, integers and reals 10.
  set_ncline(120);
  std::vector<std::string> title(12, "ABCDEF");
  std::int32_t notfound = 0;
  isf_idfile(1, notfound, title);
  Kpar kpar{};
  std::vector<float> x(12, 1.25f);
  make_kpar(kpar, 12, 1, 0);
  isf_real_vector("MEANS1", 1, kpar, notfound, x);
  dump();
  std::vector<std::string> expected;
  append(expected, item(" LABEL ", {rjust("IDFILE", 11)}, 11));
  append(expected, item(" KPAR  ", {rjust("12", 11), rjust("1", 11)}, 10));
  append(expected, item(" TYPE  ", {rjust("1", 11)}, 10));
  append(expected, item(" DATA  ", std::vector<std::string>(12, rjust("ABCDEF", 11)), 11));
  append(expected, item(" LABEL ", {rjust("MEANS1", 11)}, 11));
  append(expected, item(" KPAR  ", {rjust("12", 11), rjust("1", 11)}, 10));
  append(expected, item(" TYPE  ", {rjust("4", 11)}, 10));
  append(expected, item(" DATA  ", std::vector<std::string>(12, rjust("1.250", 11)), 10));
  EXPECT_EQ(body(), expected);
}

// Entries whose number of data records is not the ceiling of d2 over the grouping value:
// the dump reads each up to its END record and lists exactly the records it holds.
TEST_F(DumpIsfdmp, EntriesAreReadUpToTheirEndRecord) {
  std::int32_t notfound = 0;
  // A correlation triangle of 4 variables over 100 subjects: 3 column records.
  Kpar corr{};
  make_kpar(corr, 4, 100, 0);
  std::vector<float> r(999 * 4, 0.5f);
  isf_real_square("CORRM1", 1, corr, notfound, r, 2);
  // A cluster table of 2 clusters: the counts, then one record per cluster.
  Kpar clust{};
  make_kpar(clust, 2, 0, 0);
  std::vector<std::int32_t> counts = {2, 1};
  std::vector<std::int32_t> members(99 * 2, 0);
  members[0] = 1;
  members[1] = 3;
  members[99] = 2;
  isf_int_table("CLUST1", 1, clust, notfound, counts, members);
  dump();
  EXPECT_EQ(captions(), (std::vector<std::string>{" LABEL ", " KPAR  ", " TYPE  ", " DATA  ", " DATA  ",
                                                  " DATA  ", " LABEL ", " KPAR  ", " TYPE  ", " DATA  ",
                                                  " DATA  ", " DATA  "}));
  const std::vector<std::string> all = listing();
  EXPECT_EQ(all[all.size() - 3], centred("ISF Dump Complete"));
}

TEST_F(DumpIsfdmp, IntegerRecordInARealEntryIsListedAsReals) {
  Kpar kpar{};
  make_kpar(kpar, 2, 1, 0);
  std::int32_t notfound = 0;
  isf_open_entry("MEANS1", 1, 4, kpar, notfound);
  std::vector<std::int32_t> bits = {std::bit_cast<std::int32_t>(2.5f), std::bit_cast<std::int32_t>(-1.0f)};
  std::int32_t n = 2;
  rwreci(bits, n, isf_unit(), 1);
  std::vector<float> x = {3.0f};
  n = 1;
  rwrecr(x, n, isf_unit(), 1);
  filfin(1);
  dump();
  std::vector<std::string> expected;
  append(expected, item(" DATA  ", {rjust("2.500", 11), rjust("-1.000", 11)}, 10));
  append(expected, item(" DATA  ", {rjust("3.000", 11)}, 10));
  std::vector<std::string> b = body();
  EXPECT_EQ(std::vector<std::string>(b.end() - 6, b.end()), expected);
}

// An integer record in an entry of words or names is read as the integers it holds, so the
// records behind it are still found where they are.
TEST_F(DumpIsfdmp, IntegerRecordInATextEntryKeepsTheDumpInStep) {
  for (const std::int32_t type : {1, 2}) {
    SCOPED_TRACE(type);
    TearDown();
    SetUp();
    Kpar kpar{};
    make_kpar(kpar, 1, 1, 0);
    std::int32_t notfound = 0;
    isf_open_entry("TEXTS1", 1, type, kpar, notfound);
    std::vector<std::int32_t> v = {5, 6};
    std::int32_t n = 2;
    rwreci(v, n, isf_unit(), 1);
    std::vector<std::string> text = {"LAST"};
    n = 1;
    if (type == 1) {
      rwreca(text, n, isf_unit(), 1);
    } else {
      rwrecn(text, n, isf_unit(), 1);
    }
    filfin(1);
    dump();
    const std::string last = type == 1 ? rjust("LAST  ", 11) : " " + ljust("LAST", 20);
    std::vector<std::string> expected;
    append(expected, item(" DATA  ", {rjust("5", 11), rjust("6", 11)}, 10));
    append(expected, item(" DATA  ", {last}, 10));
    const std::vector<std::string> b = body();
    EXPECT_EQ(std::vector<std::string>(b.end() - 6, b.end()), expected);
  }
}

TEST_F(DumpIsfdmp, MembershipEntryShowsLengthNameOrderThenGroups) {
  Kpar kpar{};
  make_kpar(kpar, 2, 999, 0);
  std::int32_t notfound = 0;
  std::vector<std::int32_t> length = {2, 0};
  std::vector<std::string> names = {"TYPE ONE", "TYPE TWO"};
  std::vector<std::int32_t> order = {1, 2};
  OXFIL1("OTYPE1", 1, kpar, notfound, length, names, order);
  std::vector<std::int32_t> members = {4, 7};
  std::int32_t n = 2;
  isf_rwreci(1, n, members);
  isf_filfin(1);
  dump();
  EXPECT_EQ(captions(), (std::vector<std::string>{" LABEL ", " KPAR  ", " TYPE  ", " LENGTH", " NAME  ",
                                                  " ORDER ", " DATA  "}));
  const std::vector<std::string> b = body();
  EXPECT_EQ(b[b.size() - 1], " DATA  " + rjust("4", 11) + rjust("7", 11));
  EXPECT_EQ(b[b.size() - 7], " NAME  " + std::string(" ") + ljust("TYPE ONE", 20) + " " + ljust("TYPE TWO", 20));
}

TEST_F(DumpIsfdmp, RowEntryShowsNamesOrderAndEachRowWithNumberAndName) {
  Kpar kpar{};
  kpar[0] = 5;
  kpar[1] = 2;    // values per row
  kpar[2] = 1;    // rows
  kpar[3] = 999;
  kpar[4] = 2;
  kpar[5] = 2;    // NAME and ORDER records
  std::int32_t notfound = 0;
  std::vector<std::string> names = {"DIM A", "DIM B"};
  std::vector<std::int32_t> order = {2, 1};
  MXFIL1(1, "OMEAN1", notfound, kpar, names, order);
  std::vector<float> row = {0.5f, -0.25f};
  std::string row_name = "FIRST TYPE";
  std::int32_t number = 7;
  MXFIL3(row, row_name, number);
  dump();
  EXPECT_EQ(captions(), (std::vector<std::string>{" LABEL ", " KPAR  ", " TYPE  ", " NAME  ", " ORDER ",
                                                  " DATA  "}));
  const std::vector<std::string> b = body();
  EXPECT_EQ(b[b.size() - 2], " DATA  " + rjust("0.500", 11) + rjust("-0.250", 11));
  EXPECT_EQ(b[b.size() - 1], blanks(7) + rjust("7", 11) + "  " + ljust("FIRST TYPE", 20));
  EXPECT_EQ(out_.str(), " 2 1 999 2 2\n");
}

TEST_F(DumpIsfdmp, AnEmptyRecordShowsItsCaptionAlone) {
  Kpar kpar{};
  make_kpar(kpar, 0, 0, 0);
  std::int32_t notfound = 0;
  std::vector<std::int32_t> none;
  isf_int_vector("VAREN1", 1, kpar, notfound, none);
  dump();
  std::vector<std::string> expected;
  append(expected, item(" LABEL ", {rjust("VAREN1", 11)}, 10));
  append(expected, item(" KPAR  ", {}, 10));
  append(expected, item(" TYPE  ", {rjust("3", 11)}, 10));
  append(expected, item(" DATA  ", {}, 10));
  EXPECT_EQ(body(), expected);
}

// ---- damage ---------------------------------------------------------------------------

class DumpIsfdmpDamage : public DumpIsfdmp {
 protected:
  void SetUp() override {
    DumpIsfdmp::SetUp();
    Kpar kpar{};
    make_kpar(kpar, 2, 1, 0);
    std::int32_t notfound = 0;
    std::vector<std::int32_t> v = {5, 6};
    isf_int_vector("VAREN1", 1, kpar, notfound, v);
    // Header 1-14, KPAR 15-30, type record 31-42, data 43-58, END 59-90, END 91-122.
  }
  void poke(std::int64_t pos, const std::string& bytes) {
    stream_file(isf_unit()).write(pos, std::as_bytes(std::span(bytes.data(), bytes.size())));
  }
  // Runs the dump, which must stop the run; returns the listing after the opening lines.
  std::vector<std::string> stopped_dump(Stopped* s = nullptr) {
    Stopped st = stop_of([&] { dump(); });
    EXPECT_TRUE(st.stopped);
    if (s != nullptr) *s = st;
    std::vector<std::string> all = listing();
    return {all.begin() + static_cast<std::ptrdiff_t>(opening().size()), all.end()};
  }
};

TEST_F(DumpIsfdmpDamage, StoreNotInitialised) {
  reset_isf();
  Stopped s = stop_of([&] { dump(); });
  EXPECT_TRUE(s.stopped);
  EXPECT_EQ(s.code, 0);
  EXPECT_EQ(listing(), (std::vector<std::string>{" ", pager_header(1), " ", " ISFCOM DESTROYED."}));
}

TEST_F(DumpIsfdmpDamage, HeaderOfAnotherLabelIsReportedWithTheWholeFileInBytes) {
  poke(9, "X");
  Stopped s;
  const std::vector<std::string> rest = stopped_dump(&s);
  EXPECT_EQ(s.console, "");  // stop_run writes nothing on the console
  ASSERT_GE(rest.size(), 3u);
  EXPECT_EQ(rest[0], " ");
  EXPECT_EQ(rest[1], " ");
  EXPECT_EQ(rest[2], " BAD ISF HEADER RECORD (XAREN1  VAREN1)");
  // The byte dump of the 122-byte file follows: 8 lines, the first with the header.
  ASSERT_EQ(rest.size(), 3u + 8u);
  EXPECT_EQ(rest[3].substr(0, 7), "      1");
  EXPECT_EQ(rest[10].substr(0, 7), "    113");
}

TEST_F(DumpIsfdmpDamage, TypeRecordOutsideOneToSix) {
  poke(39, Bytes().i(9).str());
  const std::vector<std::string> rest = stopped_dump();
  const std::vector<std::string> tail(rest.end() - 3, rest.end());
  EXPECT_EQ(tail, (std::vector<std::string>{" ", " ", " BAD ISF TYPE RECORD (    1      9)"}));
}

TEST_F(DumpIsfdmpDamage, DataRecordOfAnotherKind) {
  poke(43, Bytes().i(4).str());
  const std::vector<std::string> rest = stopped_dump();
  const std::vector<std::string> tail(rest.end() - 4, rest.end());
  EXPECT_EQ(tail, (std::vector<std::string>{" ", " ", " BAD ISF DATA RECORD (    3      4)", " "}));
}

TEST_F(DumpIsfdmpDamage, EndRecordThatIsNotZerosAndBlanks) {
  poke(67, Bytes().i(5).str());
  poke(80, "Q");
  const std::vector<std::string> rest = stopped_dump();
  const std::vector<std::string> tail(rest.end() - 6, rest.end());
  EXPECT_EQ(tail, (std::vector<std::string>{" ", " ", " BAD ISF END OF FILE RECORD ",
                                            "izero1:    0 izero2:    0 izero3:    5",
                                            "blanks: " + blanks(9) + "Q" + blanks(10), " "}));
}

TEST_F(DumpIsfdmpDamage, RecordCountBeyondTheBuffersIsAClearMessage) {
  poke(47, Bytes().i(5000).str());
  Stopped s;
  (void)stopped_dump(&s);
  EXPECT_EQ(fatal_message(s.console),
            "ISFDMP: Damaged ISF record at byte 43 of the entry VAREN1: 5000 items do not fit the buffer of 1000.");
}

TEST_F(DumpIsfdmpDamage, EntryCutOffByTheEndOfTheFile) {
  // An entry left open: its records run past the two END records and nothing closes it.
  Kpar kpar{};
  make_kpar(kpar, 30, 1, 0);
  std::int32_t notfound = 0;
  isf_open_entry("MEANS1", 1, 4, kpar, notfound);
  std::vector<float> x(30, 1.0f);
  std::int32_t n = 30;
  rwrecr(x, n, isf_unit(), 1);
  Stopped s;
  (void)stopped_dump(&s);
  EXPECT_EQ(fatal_message(s.console), "ISFDMP: The ISF ends inside the entry MEANS1 (record at byte 261).");
}

TEST_F(DumpIsfdmpDamage, NextHeaderWhereAnEndRecordBelongsIsABadDataRecord) {
  // The END record of VAREN1 overwritten by the start of another entry's header.
  poke(59, Bytes().i(7).i(1).t("OTHER", 6).str());
  const std::vector<std::string> rest = stopped_dump();
  EXPECT_EQ(rest[rest.size() - 2], " BAD ISF DATA RECORD (    3      7)");
}

}  // namespace
}  // namespace korvex
