// The typed entry accessors and the label catalogue: vectors, matrices, triangles in their
// three storage options, integer tables, chunked entries, row and membership entries, the
// checks of the caller's arrays, and the catalogue's contract data.
#include <set>
#include <string>
#include <vector>

#include "test_isf_fixture.hpp"

namespace korvex {
namespace {

using testing::Bytes;
using testing::IsfFolder;

class IsfAccess : public IsfFolder {
 protected:
  // The item counts of the data records of a real entry, read raw after its framing.
  std::vector<std::int32_t> real_record_counts(const std::string& label, int records) {
    Kpar kpar{};
    std::int32_t notfound = 0;
    isf_open_entry(label, 0, isf_kind_reals, kpar, notfound);
    std::vector<float> room(1000);
    std::vector<std::int32_t> counts;
    for (int i = 0; i < records; ++i) {
      std::int32_t n = 0;
      rwrecr(room, n, isf_unit(), 0);
      counts.push_back(n);
    }
    return counts;
  }
  // The bytes of a whole entry: framing, then `data`, then END.
  static std::string entry(const std::string& label, std::vector<std::int32_t> kpar,
                           std::int32_t type, const Bytes& data) {
    Bytes b;
    b.i(7).i(1).t(label, 6).i(3).i(static_cast<std::int32_t>(kpar.size()));
    for (auto d : kpar) b.i(d);
    return b.i(3).i(1).i(type).raw(data.str()).end().str();
  }
};

TEST_F(IsfAccess, VectorsOfEveryKindRoundTrip) {
  std::int32_t notfound = 0;
  std::vector<std::string> words = {"ALPHA", "BETA"};
  std::vector<std::string> names = {"Verbal", "Spatial", "Memory"};
  std::vector<std::int32_t> ints = {3, -1};
  std::vector<float> reals = {0.25f, -8.5f, 1e-3f};
  Kpar kw{1, 2}, kn{2, 3, 1}, ki{3, 2, 1, 7}, kr{2, 3, 1};
  isf_word_vector("WORDS1", 1, kw, notfound, words);
  isf_name_vector("VNAMS1", 1, kn, notfound, names);
  isf_int_vector("REORD1", 1, ki, notfound, ints);
  isf_real_vector("MEANS1", 1, kr, notfound, reals);

  Kpar got{};
  std::vector<std::string> w(5), nm(5);
  std::vector<std::int32_t> iv(5, 0);
  std::vector<float> x(5, 0.0f);
  isf_word_vector("WORDS1", 0, got, notfound, w);
  EXPECT_EQ(got, kw);
  EXPECT_EQ(w[1], "BETA  ");
  isf_name_vector("VNAMS1", 0, got, notfound, nm);
  EXPECT_EQ(got, kn);
  EXPECT_EQ(nm[2], "Memory              ");
  isf_int_vector("REORD1", 0, got, notfound, iv);
  EXPECT_EQ(got, ki);  // words beyond those the accessor uses travel unchanged
  EXPECT_EQ(iv, (std::vector<std::int32_t>{3, -1, 0, 0, 0}));
  isf_real_vector("MEANS1", 0, got, notfound, x);
  EXPECT_EQ(x, (std::vector<float>{0.25f, -8.5f, 1e-3f, 0.0f, 0.0f}));

  // A stored vector longer than the reader's array is refused, the array untouched.
  std::vector<float> small(2, 9.0f);
  auto stopped = stop_of([&] { isf_real_vector("MEANS1", 0, got, notfound, small); });
  EXPECT_EQ(stopped.message,
            "rwrecr: stored count 3 exceeds room for 2 items (record at byte " +
                std::to_string(isf_label_loc(4) + 14 + 16 + 12) + " of unit 1)");
  EXPECT_EQ(small, (std::vector<float>{9.0f, 9.0f}));
}

TEST_F(IsfAccess, RunTitleHasItsFixedKpar) {
  std::vector<std::string> title(12, "");
  title[0] = "STUDY";
  title[11] = "END";
  std::int32_t notfound = 0;
  isf_idfile(1, notfound, title);
  Bytes data;
  data.i(1).i(12);
  for (const auto& w : title) data.t(w, 6);
  EXPECT_EQ(mtist(), entry("IDFILE", {12, 1}, 1, data) + Bytes().end().str());
  std::vector<std::string> back(12);
  isf_idfile(0, notfound, back);
  EXPECT_EQ(back[0], "STUDY ");
  EXPECT_EQ(back[11], "END   ");
}

TEST_F(IsfAccess, MatrixColumnsAre999Apart) {
  std::vector<float> a(2 * 999, -1.0f);
  for (int i = 0; i < 3; ++i) {
    a[i] = static_cast<float>(i + 1);
    a[999 + i] = static_cast<float>(10 * (i + 1));
  }
  Kpar kpar{2, 3, 2};
  std::int32_t notfound = 0;
  isf_real_matrix("UFACT1", 1, kpar, notfound, a);
  const Bytes data = Bytes().i(4).i(3).f(1).f(2).f(3).i(4).i(3).f(10).f(20).f(30);
  EXPECT_EQ(mtist(), entry("UFACT1", {3, 2}, 4, data) + Bytes().end().str());

  std::vector<float> b(2 * 999, 0.5f);
  Kpar got{};
  isf_real_matrix("UFACT1", 0, got, notfound, b);
  EXPECT_EQ(b[2], 3.0f);
  EXPECT_EQ(b[3], 0.5f);  // below the stored rows nothing changes
  EXPECT_EQ(b[1001], 30.0f);

  // No columns: the entry holds no data records.
  Kpar none{2, 3, 0};
  isf_int_matrix("EMPTY1", 1, none, notfound, std::span<std::int32_t>{});
  std::vector<std::int32_t> room(3, 0);
  isf_int_matrix("EMPTY1", 0, got, notfound, room);
  EXPECT_EQ(isf_next_free() - isf_label_loc(2), static_cast<int>(entry("EMPTY1", {3, 0}, 3, Bytes()).size()));

  // A reader whose array ends inside the second column is refused cleanly.
  std::vector<float> short_a(999 + 1, 0.0f);
  auto stopped = stop_of([&] { isf_real_matrix("UFACT1", 0, got, notfound, short_a); });
  EXPECT_NE(stopped.message.find("rwrecr: stored count 3 exceeds room for 1 items"), std::string::npos)
      << stopped.message;
}

// A 4 x 4 symmetric matrix, element (i, j) = 10i + j for i > j, diagonal 0.
float sym(int i, int j) { return i > j ? static_cast<float>(10 * i + j) : static_cast<float>(10 * j + i); }

TEST_F(IsfAccess, TriangleWrittenPackedReadsBackFullAndMirrored) {
  const int n = 4;
  std::vector<float> packed;
  for (int j = 1; j <= n; ++j) {
    for (int i = j; i <= n; ++i) packed.push_back(i == j ? 0.0f : sym(i, j));
  }
  Kpar kpar{2, n, 123};
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 1, kpar, notfound, packed, 1);
  const Bytes data = Bytes()
                         .i(4).i(3).f(21).f(31).f(41)
                         .i(4).i(2).f(32).f(42)
                         .i(4).i(1).f(43);
  EXPECT_EQ(mtist(), entry("CORRM1", {n, 123}, 4, data) + Bytes().end().str());

  Kpar got{};
  std::vector<float> full(999 * n, -7.0f);  // the diagonal keeps -7: the caller sets it
  isf_real_square("CORRM1", 0, got, notfound, full, 2);
  EXPECT_EQ(got[1], n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      const float want = i == j ? -7.0f : sym(i, j);
      EXPECT_EQ(full[static_cast<std::size_t>((i - 1) + 999 * (j - 1))], want) << i << "," << j;
    }
  }
  std::vector<float> lower(999 * n, -7.0f);
  isf_real_square("CORRM1", 0, got, notfound, lower, 3);
  EXPECT_EQ(lower[1], 21.0f);
  EXPECT_EQ(lower[999], -7.0f);  // opt 3 leaves the upper triangle alone

  // The other way round, for integers: full in, packed out.
  std::vector<std::int32_t> ifull(999 * 3, 0);
  ifull[1] = 5;  // (2,1)
  ifull[2] = 6;  // (3,1)
  ifull[999 + 2] = 7;  // (3,2)
  Kpar k3{1, 3};
  isf_int_square("2SENS1", 1, k3, notfound, ifull, 2);
  std::vector<std::int32_t> ipacked(6, -1);
  isf_int_square("2SENS1", 0, got, notfound, ipacked, 1);
  EXPECT_EQ(ipacked, (std::vector<std::int32_t>{-1, 5, 6, -1, 7, -1}));

  // Order 1: framing and END only.
  Kpar k1{1, 1};
  std::vector<float> one(1, 1.0f);
  const std::int32_t at = isf_next_free();
  isf_real_square("COVAR1", 1, k1, notfound, one, 1);
  EXPECT_EQ(mtist().substr(static_cast<std::size_t>(at - 1)),
            entry("COVAR1", {1}, 4, Bytes()) + Bytes().end().str());
}

TEST_F(IsfAccess, TriangleChecksTheCallersArray) {
  std::int32_t notfound = 0;
  std::vector<float> a(999 * 3, 0.0f);
  Kpar k3{1, 3};
  isf_real_square("CORRM1", 1, k3, notfound, a, 2);
  struct Case {
    std::size_t size;
    std::int32_t opt;
    const char* message;
  };
  const Case cases[] = {
      {5, 1, "isf_real_square: 6 packed triangle values at element 1 do not fit an array of 5"},
      {999 * 2 + 2, 2, "isf_real_square: 2001 square values at element 1 do not fit an array of 2000"},
      {100, 0, "isf_real_square: invalid storage option 0"},
  };
  for (const Case& c : cases) {
    std::vector<float> room(c.size, 0.0f);
    Kpar got{};
    auto stopped = stop_of([&] { isf_real_square("CORRM1", 0, got, notfound, room, c.opt); });
    EXPECT_EQ(stopped.message, c.message);
  }
  Kpar big{1, 1000};
  std::vector<float> huge(999 * 1000, 0.0f);
  auto stopped = stop_of([&] { isf_real_square("HUGE01", 1, big, notfound, huge, 2); });
  EXPECT_EQ(stopped.message, "isf_real_square: 1000 rows of the square at element 1 do not fit an array of 999");
}

TEST_F(IsfAccess, IntegerTableListsAre99Apart) {
  std::vector<std::int32_t> counts = {2, 0, 3};
  std::vector<std::int32_t> members(99 * 3, 0);
  members[0] = 4;
  members[1] = 9;
  members[198] = 1;
  members[199] = 2;
  members[200] = 3;
  Kpar kpar{1, 3};
  std::int32_t notfound = 0;
  isf_int_table("CLUST1", 1, kpar, notfound, counts, members);
  const Bytes data = Bytes().i(3).i(3).i(2).i(0).i(3).i(3).i(2).i(4).i(9).i(3).i(0).i(3).i(3).i(1).i(2).i(3);
  EXPECT_EQ(mtist(), entry("CLUST1", {3}, 3, data) + Bytes().end().str());

  std::vector<std::int32_t> c2(50, -1);
  std::vector<std::int32_t> m2(99 * 50, -1);
  Kpar got{};
  isf_int_table("CLUST1", 0, got, notfound, c2, m2);
  EXPECT_EQ(std::vector<std::int32_t>(c2.begin(), c2.begin() + 4), (std::vector<std::int32_t>{2, 0, 3, -1}));
  EXPECT_EQ(m2[1], 9);
  EXPECT_EQ(m2[99], -1);
  EXPECT_EQ(m2[200], 3);

  counts[2] = 100;  // a list longer than its 99 rows
  auto stopped = stop_of([&] { isf_int_table("CLUST1", 1, kpar, notfound, counts, members); });
  EXPECT_EQ(stopped.message, "isf_int_table: 100 members of a list at element 1 do not fit an array of 99");
}

// Records of d1 * floor(d3 / d1) values, d1 * d2 in all; the last move closes the entry.
TEST_F(IsfAccess, ChunkedEntriesMoveInRecordsOfTheChunkSize) {
  std::int32_t notfound = 0;
  Kpar scores{3, 7, 10, 7};
  std::vector<float> subject(7);
  isf_real_chunks("FSCOR1", 1, scores, notfound, subject, 1);
  for (int s = 1; s <= 10; ++s) {
    for (int f = 0; f < 7; ++f) subject[static_cast<std::size_t>(f)] = static_cast<float>(100 * s + f);
    const std::int32_t next = isf_next_free();
    isf_real_chunks("FSCOR1", 1, scores, notfound, subject, 2);
    EXPECT_EQ(isf_next_free() != next, s == 10) << "move " << s;
  }
  Kpar got{};
  std::vector<float> back(7);
  isf_real_chunks("FSCOR1", 0, got, notfound, back, 0);
  for (int s = 1; s <= 4; ++s) isf_real_chunks("FSCOR1", 0, got, notfound, back, 2);
  EXPECT_EQ(back[6], 406.0f);
  EXPECT_EQ(real_record_counts("FSCOR1", 10), std::vector<std::int32_t>(10, 7));

  Kpar one_var{3, 1, 250, 100};
  std::vector<float> values(250, 1.0f);
  isf_real_chunks("MEANS9", 1, one_var, notfound, values, 1);
  for (int k = 0; k < 3; ++k) isf_real_chunks("MEANS9", 1, one_var, notfound, values, 2);
  EXPECT_EQ(real_record_counts("MEANS9", 3), (std::vector<std::int32_t>{100, 100, 50}));

  // The entry is closed: a further move has nothing to move into.
  auto stopped = stop_of([&] { isf_real_chunks("MEANS9", 1, one_var, notfound, values, 2); });
  EXPECT_EQ(stopped.message, "isf_real_chunks: no entry is open for moving");
}

TEST_F(IsfAccess, SubjectNamesMoveInChunks) {
  std::int32_t notfound = 0;
  Kpar kpar{3, 1, 5, 2};
  std::vector<std::string> names = {"S1", "S2"};
  SNFILE("ONAMS1", 1, kpar, notfound, names, 1);
  for (int k = 0; k < 3; ++k) {
    names = {"S" + std::to_string(2 * k + 1), "S" + std::to_string(2 * k + 2)};
    SNFILE("ONAMS1", 1, kpar, notfound, names, 2);
  }
  Kpar got{};
  std::vector<std::string> back(2);
  SNFILE("ONAMS1", 0, got, notfound, back, 1);
  SNFILE("ONAMS1", 0, got, notfound, back, 2);
  SNFILE("ONAMS1", 0, got, notfound, back, 2);
  EXPECT_EQ(back[1], "S4                  ");
  SNFILE("ONAMS1", 0, got, notfound, back, 2);
  EXPECT_EQ(back[0], "S5                  ");  // the last record holds one name

  // An unregistered label leaves nothing open.
  SNFILE("NONE01", 0, got, notfound, back, 1);
  EXPECT_EQ(notfound, 1);
  auto stopped = stop_of([&] { SNFILE("ONAMS1", 0, got, notfound, back, 2); });
  EXPECT_EQ(stopped.message, "SNFILE: no entry is open for moving");
  stopped = stop_of([&] { SNFILE("ONAMS1", 0, got, notfound, back, 3); });
  EXPECT_EQ(stopped.message, "SNFILE: Invalid case index");
}

TEST_F(IsfAccess, RowEntriesWithNamesAndOrder) {
  std::int32_t notfound = 0;
  Kpar kpar{5, 2, 2, 999, 2, 2};
  std::vector<std::string> names = {"Score1", "Score2"};
  std::vector<std::int32_t> order = {2, 1};
  MXFIL1(1, "OMEAN1", notfound, kpar, names, order);
  std::vector<float> row = {1.5f, 2.5f};
  std::string type_name = "Type A";
  std::int32_t number = 1;
  MXFIL3(row, type_name, number);
  const std::int32_t open_next = isf_next_free();
  row = {3.5f, 4.5f};
  type_name = "Type B";
  number = 2;
  MXFIL3(row, type_name, number);
  EXPECT_NE(isf_next_free(), open_next);  // the last row closed the entry
  const Bytes data = Bytes()
                         .i(2).i(2).t("Score1", 20).t("Score2", 20)
                         .i(3).i(2).i(2).i(1)
                         .i(6).i(2).f(1.5f).f(2.5f).i(1).t("Type A", 20)
                         .i(6).i(2).f(3.5f).f(4.5f).i(2).t("Type B", 20);
  EXPECT_EQ(mtist(), entry("OMEAN1", {2, 2, 999, 2, 2}, 6, data) + Bytes().end().str());

  Kpar got{};
  std::vector<std::string> n2(10);
  std::vector<std::int32_t> o2(10, 0);
  MXFIL1(0, "OMEAN1", notfound, got, n2, o2);
  EXPECT_EQ(o2[0], 2);
  std::vector<float> r2(10, 0.0f);
  std::string t2;
  std::int32_t k2 = 0;
  MXFIL3(r2, t2, k2);
  MXFIL3(r2, t2, k2);
  EXPECT_EQ(r2[1], 4.5f);
  EXPECT_EQ(t2, "Type B              ");
  EXPECT_EQ(k2, 2);
  auto stopped = stop_of([&] { MXFIL3(r2, t2, k2); });
  EXPECT_EQ(stopped.message, "MXFIL3 BUG");

  reset_isf();
  stopped = stop_of([&] { MXFIL3(r2, t2, k2); });  // no MXFIL1 yet
  EXPECT_EQ(stopped.message, "MXFIL3 BUG");
}

// Entries without an ORDER (code 1) or without any NAME record (a short KPAR) are only
// read; the order is numbered and missing names are made up. Writing them is a fault.
TEST_F(IsfAccess, RowEntriesWithoutOrderOrNames) {
  std::int32_t notfound = 0;
  auto frame = [&](const std::string& label, Kpar kpar, bool with_names) {
    isf_open_entry(label, 1, isf_kind_row, kpar, notfound);
    std::vector<std::string> names = {"Alpha", "Beta", "Gamma"};
    std::int32_t n = 3;
    if (with_names) rwrecn(names, n, isf_unit(), 1);
    std::vector<float> row = {1, 2, 3};
    std::string name = "T";
    std::int32_t ival = 1;
    rwrecd(row, n, name, ival, isf_unit(), 1);
    filfin(1);
  };
  frame("CODE01", Kpar{5, 3, 1, 999, 0, 1}, true);
  frame("SHORT1", Kpar{1, 3}, false);  // r defaults to 1, code to 0

  Kpar got{};
  std::vector<std::string> names(3);
  std::vector<std::int32_t> order(3, 0);
  std::vector<float> row(3);
  std::string name;
  std::int32_t ival = 0;
  MXFIL1(0, "CODE01", notfound, got, names, order);
  EXPECT_EQ(names[2], "Gamma               ");
  EXPECT_EQ(order, (std::vector<std::int32_t>{1, 2, 3}));
  MXFIL3(row, name, ival);
  EXPECT_EQ(row[2], 3.0f);

  order.assign(3, 0);
  MXFIL1(0, "SHORT1", notfound, got, names, order);
  EXPECT_EQ(names, (std::vector<std::string>{"DIM1                ", "DIM2                ",
                                             "DIM3                "}));
  EXPECT_EQ(order, (std::vector<std::int32_t>{1, 2, 3}));
  MXFIL3(row, name, ival);
  auto stopped = stop_of([&] { MXFIL3(row, name, ival); });
  EXPECT_EQ(stopped.message, "MXFIL3 BUG");

  struct Case {
    Kpar kpar;
    std::int32_t mode;
  };
  const Case faults[] = {{Kpar{5, 3, 1, 999, 0, 1}, 1}, {Kpar{1, 3}, 1}, {Kpar{5, 3, 1, 999, 0, 3}, 1}};
  for (const Case& c : faults) {
    Kpar k = c.kpar;
    stopped = stop_of([&] { MXFIL1(c.mode, "OMEAN1", notfound, k, names, order); });
    EXPECT_EQ(stopped.message, "MXFIL1 BUG") << k[0];
  }
}

TEST_F(IsfAccess, MembershipEntryStaysOpenForTheCallersRecords) {
  std::int32_t notfound = 0;
  Kpar kpar{2, 2, 999};
  std::vector<std::int32_t> length = {3, 0};
  std::vector<std::string> names = {"Type A", "Type B"};
  std::vector<std::int32_t> order = {1, 2};
  OXFIL1("OTYPE1", 1, kpar, notfound, length, names, order);
  std::vector<std::int32_t> members = {5, 8, 13};
  std::int32_t n = 3;
  isf_rwreci(1, n, members);
  isf_filfin(1);
  const Bytes data = Bytes()
                         .i(3).i(2).i(3).i(0)
                         .i(2).i(2).t("Type A", 20).t("Type B", 20)
                         .i(3).i(2).i(1).i(2)
                         .i(3).i(3).i(5).i(8).i(13);
  EXPECT_EQ(mtist(), entry("OTYPE1", {2, 999}, 5, data) + Bytes().end().str());

  Kpar got{};
  std::vector<std::int32_t> l2(2), o2(2), m2(999, 0);
  std::vector<std::string> n2(2);
  OXFIL1("OTYPE1", 0, got, notfound, l2, n2, o2);
  EXPECT_EQ(l2[0], 3);
  isf_rwreci(0, n, m2);  // the first record after ORDER is the caller's
  EXPECT_EQ(n, 3);
  EXPECT_EQ(m2[2], 13);

  Kpar none{0, 2};
  auto stopped = stop_of([&] { OXFIL1("OTYPE2", 1, none, notfound, length, names, order); });
  EXPECT_EQ(stopped.message, "OXFIL1 BUG");
}

// ---- catalogue ----------------------------------------------------------------------

TEST_F(IsfAccess, CatalogueKeepsItsContract) {
  const auto labels = isf_label_catalogue();
  ASSERT_EQ(labels.size(), 29u);
  std::set<std::string_view> seen;
  int deck = 0;
  for (const auto& row : labels) {
    EXPECT_TRUE(seen.insert(row.label).second) << row.label;
    EXPECT_EQ(row.label.size(), 6u) << row.label;
    EXPECT_GE(row.max_words, 1);
    EXPECT_LT(static_cast<std::size_t>(row.max_words), isf_kpar_capacity) << row.label;
    deck += row.deck_label ? 1 : 0;
    const int type = row.entry_type;
    switch (row.accessor) {
      case IsfAccessor::word_vector: EXPECT_EQ(type, 1) << row.label; break;
      case IsfAccessor::name_vector:
      case IsfAccessor::name_chunks: EXPECT_EQ(type, 2) << row.label; break;
      case IsfAccessor::int_vector:
      case IsfAccessor::int_matrix:
      case IsfAccessor::int_square:
      case IsfAccessor::int_table: EXPECT_EQ(type, 3) << row.label; break;
      case IsfAccessor::membership: EXPECT_EQ(type, 5) << row.label; break;
      case IsfAccessor::row_entry: EXPECT_EQ(type, 6) << row.label; break;
      default: EXPECT_EQ(type, 4) << row.label; break;
    }
  }
  EXPECT_EQ(deck, 24);
  for (const char* not_deck : {"IPFILE", "ONAMS1", "DSCOR1", "OMEAN1", "OTYPE1"}) {
    ASSERT_NE(find_isf_label(not_deck), nullptr) << not_deck;
    EXPECT_FALSE(find_isf_label(not_deck)->deck_label) << not_deck;
  }
  EXPECT_EQ(find_isf_label("IPFILE")->max_words, 9);
  EXPECT_EQ(find_isf_label("CORRM1")->accessor, IsfAccessor::real_square);
  EXPECT_EQ(find_isf_label("XXXXXX"), nullptr);
}

}  // namespace
}  // namespace korvex
