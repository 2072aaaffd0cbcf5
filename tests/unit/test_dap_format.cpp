// DAP's format-card analysis and run-time read formats: field tables of good formats, the
// message and marker position of every kind of bad one, the capacity refusals, and the
// storage plan, record formats and numeric format built from a table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_entry/dap_internal.hpp"

namespace korvex::dap {
namespace {

// Cards handed out one by one; asking for more than there are fails the test.
card_source cards_of(std::vector<std::string> cards) {
  auto shared = std::make_shared<std::vector<std::string>>(std::move(cards));
  auto next = std::make_shared<std::size_t>(0);
  return [shared, next]() -> std::string {
    if (*next >= shared->size()) throw std::runtime_error("the format asked for one card too many");
    return (*shared)[(*next)++];
  };
}

// The table as "record:column:descriptor" items separated by blanks.
std::string layout_of(const field_table& t) {
  std::string s;
  for (const format_field& f : t.fields) {
    if (!s.empty()) s += ' ';
    s += std::to_string(f.record) + ":" + std::to_string(f.column) + ":" + f.descriptor;
  }
  return s;
}

// "n x" repeated items of one descriptor on one record from a first column, for long tables.
std::string run_of(int record, int first_column, int n, int width, const std::string& d) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    if (!s.empty()) s += ' ';
    s += std::to_string(record) + ":" + std::to_string(first_column + i * width) + ":" + d;
  }
  return s;
}

TEST(DapFormat, GoodFormatsLayTheirFields) {
  struct Case {
    std::vector<std::string> cards;
    int nv;
    std::string fields;
    int records;
  };
  const Case cases[] = {
      {{"(10F8.2)"}, 25,
       run_of(1, 1, 10, 8, "F8.2") + " " + run_of(2, 1, 10, 8, "F8.2") + " " + run_of(3, 1, 5, 8, "F8.2"), 3},
      {{"(A10,5F5.1/(8F5.1))"}, 21,
       "1:1:A10 " + run_of(1, 11, 5, 5, "F5.1") + " " + run_of(2, 1, 8, 5, "F5.1") + " " + run_of(3, 1, 8, 5, "F5.1"), 3},
      {{"(3F4.0,2X,A6)"}, 3, "1:1:F4.0 1:5:F4.0 1:9:F4.0 1:15:A6", 1},
      {{"(5F4.0/A8)"}, 5, run_of(1, 1, 5, 4, "F4.0") + " 2:1:A8", 2},
      {{"(3/F5.1)"}, 1, "2:1:F5.1", 2},  // the count before "/" is ignored
      {{"(F0005.02, F5.000)"}, 2, "1:1:F5.2 1:6:F5.0", 1},
      {{"( 1 0F 5 . 1 )"}, 10, run_of(1, 1, 10, 5, "F5.1"), 1},  // blanks inside numbers
      {{"(2F5.1,", "F6.2)"}, 3, "1:1:F5.1 1:6:F5.1 1:11:F6.2", 1},
      // The reversion group is repeated with its count; the item after it follows.
      {{"(2(F3.0,1X),A4)"}, 4, "1:1:F3.0 1:5:F3.0 1:9:A4 2:1:F3.0 2:5:F3.0 2:9:A4", 2},
      // An F item past the last variable closes the table: the A field is not recorded ...
      {{"(5F2.0,A3)"}, 3, "1:1:F2.0 1:3:F2.0 1:5:F2.0", 1},
      // ... but an A field or record break before the table closes still counts.
      {{"(3F2.0,A3)"}, 3, "1:1:F2.0 1:3:F2.0 1:5:F2.0 1:7:A3", 1},
      {{"(2F2.0/)"}, 2, "1:1:F2.0 1:3:F2.0", 2},
      {{"(F1.0,99(/),F1.0)"}, 2, "1:1:F1.0 100:1:F1.0", 100},
      // Ten levels of parentheses are allowed.
      {{"((((((((((F5.1))))))))))"}, 1, "1:1:F5.1", 1},
      // A format over all ten cards.
      {{"(", "", "", "", "", "", "", "", "", "F5.1,F5.1)"}, 2, "1:1:F5.1 1:6:F5.1", 1},
  };
  for (const Case& c : cases) {
    const field_table t = parse_format(c.nv, cards_of(c.cards));
    EXPECT_EQ(layout_of(t), c.fields) << c.cards[0];
    EXPECT_EQ(t.records_per_subject, c.records) << c.cards[0];
    EXPECT_EQ(t.numeric_count, c.nv) << c.cards[0];
  }
}

TEST(DapFormat, EveryErrorHasItsMessageAndPosition) {
  struct Case {
    std::vector<std::string> cards;
    int nv;
    std::string message;
    int position;  // of the last character taken; the marker stands under it
  };
  const Case cases[] = {
      {{"F5.1)"}, 1, "LEFT PARENTHESIS EXPECTED.", 1},
      {{"(2A5)"}, 1, "REPEAT SPEC.  NOT ALLOWED FOR AN EDIT DESCRIPTOR.", 3},
      {{"(0F5.1)"}, 1, "REPEAT SPEC.  MUST BE NON-ZERO UNSIGNED INTEGER.", 3},
      {{"(-2F5.1)"}, 1, "REPEAT SPEC.  MUST BE NON-ZERO UNSIGNED INTEGER.", 4},
      {{"(+2(F5.1))"}, 1, "REPEAT SPEC.  MUST BE NON-ZERO UNSIGNED INTEGER.", 4},
      {{"(F5)"}, 1, "PERIOD EXPECTED.", 4},
      {{"(F5.6)"}, 1, "IMPLIED DECIMAL POINT LARGER THAN WIDTH.", 6},
      {{"(F5.)"}, 1, "UNSIGNED INTEGER CONSTANT EXPECTED FOR IMPLIED DECIMAL POINT.", 5},
      {{"(F5.-1)"}, 1, "UNSIGNED INTEGER CONSTANT EXPECTED FOR IMPLIED DECIMAL POINT.", 7},
      {{"(F0.0)"}, 1, "NON-ZERO UNSIGNED INTEGER CONSTANT EXPECTED FOR WIDTH.", 4},
      {{"(A+5)"}, 1, "NON-ZERO UNSIGNED INTEGER CONSTANT EXPECTED FOR WIDTH.", 5},
      {{"(X)"}, 1, "NON-ZERO UNSIGNED INTEGER EXPECTED.", 2},
      {{"(F5.1,0X)"}, 1, "NON-ZERO UNSIGNED INTEGER EXPECTED.", 8},
      {{"(F5.1,)"}, 1, "ILLEGAL CHARACTER.", 7},
      {{"()"}, 1, "ILLEGAL CHARACTER.", 2},
      {{"(f5.1)"}, 1, "ILLEGAL CHARACTER.", 2},
      {{"(F5.1 F5.1)"}, 2, "ILLEGAL CHARACTER.", 7},
      {{"(F5.1) X"}, 1, "NON-BLANK CHARACTERS BEYOND RIGHT-MOST PARENTHESIS.", 6},
      {{"(+F5.1)"}, 1, "DIGIT EXPECTED FOLLOWING SIGN.", 3},
      {{"(12345678901F5.1)"}, 1, "TOO MANY DIGITS.", 12},
      {{"(-1234567890F5.1)"}, 1, "TOO MANY DIGITS.", 12},
      {{"(00000000000012F5.1)"}, 12, "", 0},  // leading zeros do not count: no error
      {{"(((((((((((F5.1)))))))))))"}, 1, "LEFT PARENTHESIS IS NESTED MORE THAN 10 LEVELS DEEP.", 11},
      {{"(F1.0,100(/),F1.0)"}, 2, "MORE THAN 100 RECORDS PER SUBJECT.", 11},
      // Without any F item the format is used again record after record.
      {{"(A5)"}, 2, "MORE THAN 100 RECORDS PER SUBJECT.", 4},
      // The marker position runs on over the cards: column 3 of card 2.
      {{"(F5.1,", "  G)"}, 2, "ILLEGAL CHARACTER.", 83},
      // Capacities, refused with the card and column.
      {{"(F10000.1)"}, 1, "NUMBER LARGER THAN 9999 (FORMAT CARD 1, COLUMN 8).", 8},
      {{"(2F9999.0)"}, 2, "FIELDS WIDER THAN 10990 CHARACTERS IN ALL (FORMAT CARD 1, COLUMN 10).", 10},
      {{"(F1.0,", "101(A1),F1.0)"}, 2, "MORE THAN 100 A FIELDS (FORMAT CARD 2, COLUMN 7).", 87},
      {{"(F1.0,11(9999X),F1.0)"}, 2, "RECORD LONGER THAN 99999 COLUMNS (FORMAT CARD 1, COLUMN 14).", 14},
  };
  for (const Case& c : cases) {
    if (c.message.empty()) {
      EXPECT_NO_THROW(parse_format(c.nv, cards_of(c.cards))) << c.cards[0];
      continue;
    }
    try {
      parse_format(c.nv, cards_of(c.cards));
      ADD_FAILURE() << "no error for " << c.cards[0];
    } catch (const format_problem& p) {
      EXPECT_EQ(p.message(), c.message) << c.cards[0];
      EXPECT_EQ(p.position(), c.position) << c.cards[0];
      EXPECT_TRUE(p.marker()) << c.cards[0];
    }
  }
}

TEST(DapFormat, AnEleventhCardIsRefusedWithoutMarker) {
  std::vector<std::string> cards(10, "");
  cards[0] = "(F5.1,";
  try {
    parse_format(1, cards_of(cards));
    ADD_FAILURE() << "no error";
  } catch (const format_problem& p) {
    EXPECT_EQ(p.message(), "TOO MANY FORMAT CARDS.");
    EXPECT_FALSE(p.marker());
  }
}

// A closed table never loops again over its groups, however large their counts.
TEST(DapFormat, ClosedTableEndsAtOnce) {
  const field_table t = parse_format(1, cards_of({"(F2.0,F2.0,9999(9999(9999(9999(1X)))))"}));
  EXPECT_EQ(layout_of(t), "1:1:F2.0");
}

storage_plan plan_of(const std::vector<std::string>& cards, int nv, field_table* table = nullptr) {
  const field_table t = parse_format(nv, cards_of(cards));
  storage_plan p;
  assign_field_storage(t, p);
  build_record_format(t, p);
  build_numeric_format(t, p);
  if (table != nullptr) *table = t;
  return p;
}

TEST(DapReadFormats, RecordAndNumericFormats) {
  struct Case {
    std::string format;
    int nv;
    std::string records;
    std::string numeric;
  };
  const Case cases[] = {
      {"(A10,5F5.1/(8F5.1))", 21, "(A10,5A5)(8A5)(8A5)", "(21F5.1)"},
      {"(F5.1,3X,F5.1)", 2, "(A5,3X,A5)", "(2F5.1)"},
      {"(F5.1,F5.2)", 2, "(2A5)", "(F5.1,F5.2)"},  // decimals split only the numeric runs
      {"(2F8.2,F5.0,F8.2)", 4, "(2A8,A5,A8)", "(2F8.2,F5.0,F8.2)"},
      {"(F5.1/F5.1//)", 2, "(A5)(A5)()()", "(2F5.1)"},  // records after the last field
      {"(F5.1//F5.1)", 2, "(A5)()(A5)", "(2F5.1)"},     // a record without a field
      {"(2X,F3.0/5X,F3.0,A4)", 2, "(2X,A3)(5X,A3,A4)", "(2F3.0)"},
  };
  for (const Case& c : cases) {
    const storage_plan p = plan_of({c.format}, c.nv);
    EXPECT_EQ(p.record_format, c.records) << c.format;
    EXPECT_EQ(p.numeric_format, c.numeric) << c.format;
  }
}

TEST(DapReadFormats, RecordBoundsAndFieldCounts) {
  const storage_plan p = plan_of({"(A10,5F5.1/(8F5.1))"}, 21);
  EXPECT_EQ(p.record_end, (std::vector<std::int32_t>{9, 14, 19}));
  EXPECT_EQ(p.record_fields, (std::vector<std::int32_t>{6, 14, 22}));
  EXPECT_EQ(record_format_of(p, 2), "(8A5)");
}

TEST(DapReadFormats, NumericFieldsFromBelowAlphaFieldsFromAbove) {
  field_table t;
  const storage_plan p = plan_of({"(A10,5F5.1/A20)"}, 5, &t);
  ASSERT_EQ(t.fields.size(), 7u);
  EXPECT_EQ(p.field_start[0], 10981);  // A10
  EXPECT_EQ(p.field_end[0], 10990);
  EXPECT_EQ(p.field_start[1], 1);      // the five F5.1 at 1-25
  EXPECT_EQ(p.field_end[5], 25);
  EXPECT_EQ(p.field_start[6], 10961);  // A20 on record 2, below the first A field
  EXPECT_EQ(p.field_end[6], 10980);
  EXPECT_EQ(p.numeric_list, (std::vector<std::int32_t>{2, 3, 4, 5, 6}));
  EXPECT_EQ(p.alpha_list, (std::vector<std::int32_t>{1, 7}));
  // What each record's read moves: adjacent F fields go together, A fields alone.
  ASSERT_EQ(p.record_runs.size(), 2u);
  ASSERT_EQ(p.record_runs[0].size(), 2u);
  EXPECT_EQ(p.record_runs[0][0].column, 1);
  EXPECT_EQ(p.record_runs[0][0].position, 10981);
  EXPECT_EQ(p.record_runs[0][1].column, 11);
  EXPECT_EQ(p.record_runs[0][1].position, 1);
  EXPECT_EQ(p.record_runs[0][1].length, 25);
  ASSERT_EQ(p.record_runs[1].size(), 1u);
  EXPECT_EQ(p.record_runs[1][0].position, 10961);
}

TEST(DapReadFormats, Appenders) {
  std::string s = "(";
  append_numeric_run(s, 3, "F5.1      ");
  append_numeric_run(s, 1, "F8.2");
  EXPECT_EQ(s, "(3F5.1,F8.2");
  std::string r = "(";
  append_run(r, 1, 10, ',');
  append_skip(r, 12);
  append_run(r, 4, 5, ' ');
  EXPECT_EQ(r, "(A10,12X,4A5");
}

}  // namespace
}  // namespace korvex::dap
