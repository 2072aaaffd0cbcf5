// Unit tests of the layout-text engine: records written under layouts, rounding and field
// fitting of numbers, values read from records, parse errors, and the guards that keep a
// layout from looping or growing without bound.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/layout.hpp"

namespace korvex::io {
namespace {

using Records = std::vector<std::string>;

Records write(std::string_view layout, const std::vector<Value>& values) {
  return Layout::get(layout).write(values);
}

std::string blanks(std::size_t n) { return std::string(n, ' '); }

// The message of the LayoutError that `f` throws ("" when it throws none).
template <typename F>
std::string layout_error(F f) {
  try {
    f();
  } catch (const LayoutError& e) {
    return e.what();
  }
  return "";
}

struct WriteCase {
  const char* layout;
  std::vector<Value> values;
  Records expected;
};

void check_writes(const std::vector<WriteCase>& cases) {
  for (const WriteCase& c : cases) {
    EXPECT_EQ(write(c.layout, c.values), c.expected) << "layout " << c.layout;
  }
}

// ---------------------------------------------------------------- writing

TEST(LayoutWrite, ReferenceVectors) {
  check_writes({
      {"(F10.8)", {0.92f}, {"0.92000002"}},
      {"(' QUIT: ERROR=',I5)", {5303}, {" QUIT: ERROR= 5303"}},
      {"(I5)", {123456}, {"*****"}},
      {"(2PF20.0)", {0.456}, {blanks(17) + "46."}},
      {"(16(4A1,:,1x))", {"a", "b", "c", "d", "e", "f"}, {"abcd ef"}},
      {"(16(4A1,:,1x))", {"a", "b", "c", "d", "e", "f", "g", "h"}, {"abcd efgh"}},
      {"(13H0CANNOT FIND ,A6,34H FILE ON INTERMEDIATE STORAGE FILE  ,/1H0,/1H0,/1H0)",
       {"DATA01"},
       {"0CANNOT FIND DATA01 FILE ON INTERMEDIATE STORAGE FILE", "0", "0", "0"}},
      {"(E12.4)", {1234.56}, {"  0.1235E+04"}},
      {"(1PE12.4)", {1234.5}, {"  1.2345E+03"}},
      {"(I3.2)", {5}, {" 05"}},
      {"(Z8)", {255}, {"      FF"}},
      {"(F0.3)", {0.5}, {".500"}},
      {"(1X)", {}, {" "}},
      {"(1X,I5)", {}, {""}},
  });
}

TEST(LayoutWrite, ReversionGroupTakesTheValuesLeftOver) {
  std::vector<Value> values{7};
  for (int i = 1; i <= 12; ++i) values.emplace_back(i + 0.5);
  const Records r = write("(1X,I5,2X,10F11.4/(8X,10F11.4))", values);
  ASSERT_EQ(r.size(), 2u);
  std::string first = blanks(1) + "    7" + blanks(2);
  for (int i = 1; i <= 10; ++i) first += (i < 10 ? "     " : "    ") + std::to_string(i) + ".5000";
  EXPECT_EQ(r[0], first);
  EXPECT_EQ(r[1], blanks(8) + "    11.5000    12.5000");
}

TEST(LayoutWrite, OutputStopsAtTheFirstDescriptorWithoutValue) {
  check_writes({
      // Pending X, T and TR before the unfilled descriptor are not written.
      {"(1X,A5,3X,'|',2X,I5)", {"ab"}, {"    ab   |"}},
      {"(A1,T10,I2)", {"a"}, {"a"}},
      {"(A1,TR4,I2)", {"a"}, {"a"}},
      {"(I5)", {}, {""}},
      // Literals, X and slashes before it are written.
      {"('A',2X,'B'/'C',I3)", {}, {"A  B", "C"}},
      {"(I5/)", {1}, {"    1", ""}},
      {"(I1,:,' never')", {1}, {"1"}},
      {"(I1,:,' more',I2)", {1, 2}, {"1 more 2"}},
  });
}

TEST(LayoutWrite, ClosingParenthesisWritesTrailingPositioning) {
  check_writes({
      {"(1X/1X)", {}, {" ", " "}},
      {"(//)", {}, {"", "", ""}},
      {"(2/)", {}, {"", "", ""}},
      {"(A1,T5)", {"a"}, {"a   "}},
      {"(I1,2X)", {1, 2}, {"1  ", "2  "}},
      {"()", {}, {""}},
  });
}

TEST(LayoutWrite, TabsMoveOverWrittenText) {
  check_writes({
      {"(A5,T2,A2)", {"abcde", "XY"}, {"aXYde"}},
      {"(A2,T6,A1)", {"ab", "c"}, {"ab   c"}},
      {"(A3,TL2,A1)", {"abc", "Z"}, {"aZc"}},
      {"(A3,TL9,A1)", {"abc", "Z"}, {"Zbc"}},
      {"(A1,TR3,A1)", {"a", "b"}, {"a   b"}},
      {"(A4,T2)", {"abcd"}, {"abcd"}},
  });
}

TEST(LayoutWrite, ReversionResumesAtLastTopLevelGroupWithItsCount) {
  check_writes({
      // No group: the whole layout again.
      {"(2I2)", {1, 2, 3}, {" 1 2", " 3"}},
      // The group's repeat count comes along, and the items after it.
      {"(I1,2(I1),I1)", {1, 2, 3, 4, 5, 6, 7}, {"1234", "567"}},
      // The last of several top-level groups.
      {"(1X,(I1),(I2))", {1, 2, 3, 4}, {" 1 2", " 3", " 4"}},
      // A top-level group, not the innermost one.
      {"(I1,(I1,(I1)))", {1, 2, 3, 4, 5}, {"123", "45"}},
      // The scale factor stays in force across records.
      {"(F4.1,1PE9.2)", {1.0, 2.0, 3.0}, {" 1.0 2.00E+00", "30.0"}},
  });
}

TEST(LayoutWrite, TextsAndIntegers) {
  check_writes({
      {"(A3)", {"abcdef"}, {"abc"}},
      {"(A6)", {"abc"}, {"   abc"}},
      {"(A)", {"abc"}, {"abc"}},
      {"(A3)", {"\xE9t\xE9!"}, {"\xE9t\xE9"}},
      {"(I5)", {-42}, {"  -42"}},
      {"(I3)", {-100}, {"***"}},
      {"(I0)", {-42}, {"-42"}},
      {"(I3.2)", {-5}, {"-05"}},
      {"(I4.0)", {0}, {"    "}},
      {"(I0)", {std::numeric_limits<long long>::min()}, {"-9223372036854775808"}},
      {"(Z8)", {-1}, {"FFFFFFFF"}},
      {"(Z0)", {-2}, {"FFFFFFFE"}},
      {"(Z4.3)", {10}, {" 00A"}},
      {"(Z2)", {4096}, {"**"}},
  });
}

// ---------------------------------------------------------------- real numbers

TEST(LayoutReal, FixedPointRoundsTheExactBinaryValue) {
  check_writes({
      {"(F5.2)", {0.125}, {" 0.12"}},   // exact tie: to even
      {"(F5.2)", {0.375}, {" 0.38"}},   // exact tie: to even
      {"(F5.2)", {2.675}, {" 2.67"}},   // stored just below 2.675
      {"(F8.2)", {-0.005}, {"   -0.01"}},  // stored just beyond -0.005
      {"(F0.2)", {123.456}, {"123.46"}},
      {"(F6.2)", {1e10}, {"******"}},
      {"(F25.1)", {1e20}, {"  100000000000000000000.0"}},
      {"(-2PF6.1)", {1234.0}, {"  12.3"}},
      {"(-3PF6.0)", {1500.0}, {"    2."}},  // 1.5 tie: to even
      {"(-3PF6.0)", {2500.0}, {"    2."}},
      {"(-3PF6.0)", {2500.001}, {"    3."}},
  });
}

// Fw.d with scale factor k written the long way: the C library's exact %f rounding of |x| to
// d + k decimals gives the digits; then the sign, the point d digits from the right, the
// optional zero and the asterisks by the rules of the field.
std::string fixed_by_hand(double x, int w, int d, int k) {
  char text[512];
  std::snprintf(text, sizeof text, "%.*f", d + k, std::fabs(x));
  std::string digits;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != '.') digits += *p;
  }
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  while (digits.size() <= static_cast<std::size_t>(d)) digits.insert(0, 1, '0');
  const std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(d));
  std::string s = (std::signbit(x) && digits.find_first_not_of('0') != std::string::npos ? "-" : "") +
                  whole + "." + digits.substr(whole.size());
  if (whole == "0" && d > 0 && (w == 0 || s.size() == static_cast<std::size_t>(w) + 1)) {
    s.erase(s.find('0'), 1);
  }
  if (w == 0) return s;
  if (s.size() > static_cast<std::size_t>(w)) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

TEST(LayoutReal, FixedPointAgreesWithTheLongWayOverManyValuesAndFields) {
  std::mt19937_64 g(7);
  std::uniform_int_distribution<int> exponent(-12, 12);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::int32_t differ = 0;
  for (int i = 0; i < 20000; ++i) {
    const double x = i % 50 == 0 ? 0.0 : std::ldexp(mantissa(g), 3 * exponent(g));
    const int w = i % 7 == 0 ? 0 : 1 + i % 19;
    const int d = i % 9;
    const int k = i % 11 == 0 ? i % 3 : 0;
    const std::string layout = "(" + (k != 0 ? std::to_string(k) + "P" : std::string()) + "F" +
                               std::to_string(w) + "." + std::to_string(d) + ")";
    const std::string got = write(layout, {x}).front();
    // The scale factor multiplies the value by 10^k; the long way rounds |x| to d + k places.
    if (got != fixed_by_hand(x, w, d, k)) {
      if (++differ <= 5) ADD_FAILURE() << layout << " of " << x << ": \"" << got << "\"";
    }
  }
  EXPECT_EQ(differ, 0);
}

TEST(LayoutReal, ZeroSignAndOptionalLeadingZero) {
  check_writes({
      {"(F8.2)", {-0.0}, {"    0.00"}},
      {"(F8.2)", {-0.001}, {"    0.00"}},
      {"(F4.3)", {0.5}, {".500"}},
      {"(F5.3)", {0.5}, {"0.500"}},
      {"(F3.3)", {0.5}, {"***"}},
      {"(F5.3)", {-0.5}, {"-.500"}},
      {"(F0.3)", {-0.5}, {"-.500"}},
      {"(F4.0)", {0.3}, {"  0."}},  // with no decimals the zero stays
      {"(F1.0)", {0.3}, {"*"}},
      {"(E12.4)", {-0.0}, {"  0.0000E+00"}},
      {"(E9.4)", {1234.56}, {".1235E+04"}},
  });
}

TEST(LayoutReal, ExponentForms) {
  check_writes({
      // 1234.5 is a tie in binary too: to even.
      {"(E12.4)", {1234.5}, {"  0.1234E+04"}},
      {"(E12.4)", {-1234.56}, {" -0.1235E+04"}},
      {"(E12.4)", {0.0}, {"  0.0000E+00"}},
      {"(E12.4)", {9.99996}, {"  0.1000E+02"}},
      {"(E12.4)", {1e100}, {"  0.1000+101"}},
      {"(E12.4)", {1.5e-120}, {"  0.1500-119"}},
      {"(E12.4)", {1.5e-99}, {"  0.1500E-98"}},
      {"(D12.4)", {1234.56}, {"  0.1235D+04"}},
      {"(D12.4)", {1e100}, {"  0.1000+101"}},
      {"(E8.4)", {1234.56}, {"********"}},
      {"(-1PE12.4)", {1234.56}, {"  0.0123E+05"}},
      {"(2PE12.4)", {1234.56}, {"  12.346E+02"}},
      {"(2PE12.4)", {0.0}, {"   0.000E+00"}},
      {"(1P11E09.2)", {1.5}, {" 1.50E+00"}},
      {"(1PE10.3,E10.3,F6.2)", {1.5, 1.5, 1.5}, {" 1.500E+00 1.500E+00 15.00"}},
  });
}

TEST(LayoutReal, GeneralPicksFixedOrExponentByMagnitude) {
  check_writes({
      {"(G12.4)", {1234.56}, {"   1235.    "}},
      {"(G12.4)", {0.5}, {"  0.5000    "}},
      {"(G12.4)", {0.0}, {"   0.000    "}},
      {"(G12.4)", {12345.6}, {"  0.1235E+05"}},
      {"(G12.4)", {9999.6}, {"  0.1000E+05"}},
      {"(G12.4)", {0.01}, {"  0.1000E-01"}},
      {"(G12.4)", {0.099996}, {"  0.1000    "}},
      {"(G6.1)", {7}, {"     7"}},
      {"(G6.1)", {"ab"}, {"    ab"}},
  });
}

TEST(LayoutReal, NotANumberAndInfinity) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  check_writes({
      {"(F5.1)", {nan}, {"  NaN"}},
      {"(E12.4)", {nan}, {"         NaN"}},
      {"(F2.1)", {nan}, {"**"}},
      {"(F10.1)", {inf}, {"  Infinity"}},
      {"(F9.1)", {-inf}, {"-Infinity"}},
      {"(F6.1)", {-inf}, {"  -Inf"}},
      {"(F3.1)", {-inf}, {"***"}},
      {"(F0.1)", {inf}, {"Inf"}},
  });
}

// ---------------------------------------------------------------- parsing

TEST(LayoutParse, AcceptedSpellings) {
  check_writes({
      {"(i5)", {7}, {"    7"}},
      {"  ( I 5 , 2 x ,a 3 )  ", {7, "abc"}, {"    7  abc"}},
      {"(A09)", {"abc"}, {"      abc"}},
      {"(F09.03)", {1.5}, {"    1.500"}},
      {"(06I2)", {1, 2}, {" 1 2"}},
      {"(1PE10.2)", {1.5}, {"  1.50E+00"}},
      {"(1p,e10.2)", {1.5}, {"  1.50E+00"}},
      {"(I1/I1)", {1, 2}, {"1", "2"}},
      {"(I1//I1)", {1, 2}, {"1", "", "2"}},
      {"(2(A1,'-'))", {"a", "b"}, {"a-b-"}},
      {"('it''s',\"say \"\"x\"\"\")", {}, {"it's" "say \"x\""}},
      {"(3HA,B,I1)", {1}, {"A,B1"}},
      {"(' a  b ',I1)", {1}, {" a  b 1"}},
      {"(I2'|')", {1}, {" 1|"}},
      {"(BN,BZ,I1)", {1}, {"1"}},
  });
}

TEST(LayoutParse, BadLayoutsThrowQuotingTheText) {
  const std::string deep = std::string(60, '(') + "I1" + std::string(60, ')');
  const std::vector<std::string> bad = {
      "",           "I5",         "(I5",        "(I5))",     "(I5) x",    "(I5,,I3)",   "(,I5)",
      "(I5,)",      "(0I5)",      "(0(I5))",    "(0X)",      "(-1X)",     "(A0)",       "(E0.2)",
      "(G0.2)",     "(F10)",      "(F10.)",     "(I)",       "(I5.6)",    "(Q5)",       "(T0)",
      "(TR)",       "(3T5)",      "(3'ab')",    "('abc)",    "(5Habc)",   "(0Habc)",    "(I5I3)",
      "(I100001)",  "(P)",        "(1PQ)",      "(B5)",      "(BX)",      "(3:)",       "(2*I3)",
      deep,
  };
  for (const std::string& text : bad) {
    const std::string message = layout_error([&] { Layout::get(text); });
    EXPECT_NE(message.find("\"" + text + "\""), std::string::npos) << "layout " << text << ": " << message;
  }
}

TEST(LayoutParse, CachesParsesButNotFailures) {
  const Layout& a = Layout::get("(1X,I7)");
  EXPECT_EQ(&a, &Layout::get("(1X,I7)"));
  EXPECT_EQ(a.text(), "(1X,I7)");
  EXPECT_NE(&a, &Layout::get("(1X, I7)"));
  EXPECT_THROW(Layout::get("(1X,I7"), LayoutError);
  EXPECT_THROW(Layout::get("(1X,I7"), LayoutError);
}

// ---------------------------------------------------------------- write errors and guards

TEST(LayoutWriteErrors, ValueOfTheWrongKindThrows) {
  const std::vector<WriteCase> cases = {
      {"(I5)", {"x"}, {}},   {"(I5)", {1.5}, {}}, {"(F5.1)", {5}, {}},   {"(E9.2)", {"x"}, {}},
      {"(A5)", {5}, {}},     {"(A5)", {1.5}, {}}, {"(Z4)", {"a"}, {}},  {"(1X,I1,A1)", {1, 2}, {}},
      {"(G10.0)", {2.5}, {}},
  };
  for (const WriteCase& c : cases) {
    const std::string message = layout_error([&] { write(c.layout, c.values); });
    EXPECT_NE(message.find(c.layout), std::string::npos) << "layout " << c.layout << ": " << message;
  }
}

TEST(LayoutWriteErrors, RunawayLayoutsAreRefused) {
  // Values but no data descriptor anywhere, or none in the part that repeats.
  EXPECT_THROW(write("(1X)", {1}), LayoutError);
  EXPECT_THROW(write("('text')", {"x"}), LayoutError);
  EXPECT_THROW(write("(I1,(1X))", {1, 2}), LayoutError);
  // Nested counts that would loop for ages, or make a giant record, before the next value.
  EXPECT_THROW(write("(1000000(1000000(/)),I1)", {1}), LayoutError);
  EXPECT_THROW(write("(1000000000(1000000000()),I1)", {1}), LayoutError);
  EXPECT_THROW(write("(100000(100000X),I1)", {1}), LayoutError);
  // A repeated slash steps like a repeated group; no write makes more than a million records.
  EXPECT_THROW(write("(44444444/,I1)", {1}), LayoutError);
  EXPECT_THROW(write("(I1,600000/)", {1, 2}), LayoutError);
  EXPECT_EQ(write("(I1,3/)", {1}).size(), 4u);
  // Scale factors that E cannot show.
  EXPECT_THROW(write("(-4PE12.4)", {1.0}), LayoutError);
  EXPECT_THROW(write("(6PE12.4)", {1.0}), LayoutError);
  EXPECT_EQ(write("(5PE12.4)", {1.0}), Records{"  10000.E-04"});
}

TEST(LayoutWriteErrors, FormatLineWantsOneRecord) {
  EXPECT_EQ(format_line("(1X)", {}), " ");
  EXPECT_EQ(format_line("(I3)", {12}), " 12");
  EXPECT_THROW(format_line("(I3)", {1, 2}), LayoutError);
  EXPECT_EQ(format("(I3)", {1, 2}), (Records{"  1", "  2"}));
}

// ---------------------------------------------------------------- reading

// A record source over a fixed list of records that counts how many were taken.
struct Cards {
  std::vector<std::string> records;
  std::size_t taken = 0;
  RecordSource source() {
    return [this]() -> std::optional<std::string> {
      if (taken == records.size()) return std::nullopt;
      return records[taken++];
    };
  }
};

double read_double(std::string_view layout, std::string_view record) {
  double v = -999.0;
  const Target t(&v);
  EXPECT_TRUE(read_text(layout, record, {&t, 1}));
  return v;
}

TEST(LayoutRead, RealFields) {
  struct Case {
    const char* layout;
    const char* record;
    double expected;
  };
  const Case cases[] = {
      {"(F8.4)", "12345", 1.2345},
      {"(F8.4)", "  25    ", 0.0025},
      {"(F8.4)", "1.5E2", 150.0},
      {"(F8.4)", "-1.5e-1", -0.15},
      {"(F8.2)", "1.5+2", 150.0},
      {"(F8.2)", "1.5-2", 0.015},
      {"(F8.2)", "1.5d2", 150.0},
      {"(F8.2)", "-1.5D1", -15.0},
      {"(F8.2)", "   -12", -0.12},
      {"(F8.2)", "+.5", 0.5},
      {"(F8.2)", "1 2 3", 1.23},
      {"(F8.2)", "", 0.0},
      {"(F8.2)", "        ", 0.0},
      {"(F3.1)", "12345", 12.3},
      {"(E10.3)", "12345", 12.345},
      {"(D10.3)", "1.5D0", 1.5},
      {"(G10.3)", "2.5", 2.5},
      {"(BZ,F4.1)", " 1  ", 10.0},
      {"(BZ,F6.1)", " -1 5 ", -105.0},
      {"(2PF8.2)", "100", 0.01},
      {"(2PF8.2)", "1.5E1", 15.0},
      {"(-1PF8.0)", "3", 30.0},
      {"(F8.0)", "1E-400", 0.0},
      {"(2X,F3.1,T1,F2.0)", "12345", 34.5},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(read_double(c.layout, c.record), c.expected) << c.layout << " on \"" << c.record << "\"";
  }
}

TEST(LayoutRead, SinglePrecisionIsRoundedOnceFromTheText) {
  float f = 0;
  const Target t(&f);
  ASSERT_TRUE(read_text("(F10.4)", "1234567890", {&t, 1}));
  EXPECT_EQ(f, 123456.789f);
  ASSERT_TRUE(read_text("(F8.4)", "1234567890", {&t, 1}));
  EXPECT_EQ(f, 1234.5678f);
  ASSERT_TRUE(read_text("(F12.0)", "0.1", {&t, 1}));
  EXPECT_EQ(f, 0.1f);
}

TEST(LayoutRead, IntegerAndHexFields) {
  struct Case {
    const char* layout;
    const char* record;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"(I5)", "  -42", -42},          {"(I5)", " 1 2 ", 12},
      {"(I3)", "", 0},                 {"(I3)", "+7", 7},
      {"(BZ,20I4)", " 1  ", 100},      {"(BZ,I4)", "  -1", -1},
      {"(I11)", "-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"(Z8)", "FFFFFFFF", -1},        {"(Z4)", "  ff", 255},
      {"(T3,I2)", "12345", 34},
  };
  for (const Case& c : cases) {
    std::int32_t v = -999;
    const Target t(&v);
    EXPECT_TRUE(read_text(c.layout, c.record, {&t, 1}));
    EXPECT_EQ(v, c.expected) << c.layout << " on \"" << c.record << "\"";
  }
}

TEST(LayoutRead, BlankModeAndPositionApplyAcrossFields) {
  std::int32_t a = 0, b = 0, c = 0;
  const Target t[] = {&a, &b, &c};
  ASSERT_TRUE(read_text("(BZ,I4,BN,I4,TL8,I2)", " 1   1  ", t));
  EXPECT_EQ(a, 100);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 1);
}

TEST(LayoutRead, TextFields) {
  struct Case {
    const char* layout;
    const char* record;
    std::size_t length;
    const char* expected;
  };
  const Case cases[] = {
      {"(A6)", "abcdef", 4, "cdef"},  // wider field: its last characters
      {"(A2)", "abcdef", 4, "ab  "},  // narrower field: blank-filled
      {"(A)", "abcdef", 4, "abcd"},
      {"(A4)", "ab", 4, "ab  "},       // short record: blanks
      {"(2X,A3)", "xxabc", 4, "abc "},
      {"(A4)", "ab\r", 4, "ab  "},     // one trailing CR is dropped
      {"(A4)", "ab\r\r", 4, "ab\r "},
      {"(A3)", "\xE9t\xE9", 3, "\xE9t\xE9"},
      {"('skip',A2)", "xxxxab", 2, "ab"},
  };
  for (const Case& c : cases) {
    std::string s = "old";
    const Target t(&s, c.length);
    EXPECT_TRUE(read_text(c.layout, c.record, {&t, 1}));
    EXPECT_EQ(s, c.expected) << c.layout << " on \"" << c.record << "\"";
  }
}

TEST(LayoutRead, SlashesAndReversionTakeNewRecords) {
  {
    Cards cards{{" 1 2", " 3 4", " 5"}};
    std::int32_t v[5] = {};
    const Target t[] = {&v[0], &v[1], &v[2], &v[3], &v[4]};
    ASSERT_TRUE(Layout::get("(I2/I2)").read(cards.source(), {t, 2}));
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1], 3);
    EXPECT_EQ(cards.taken, 2u);
  }
  {
    Cards cards{{" 1 2", " 3 4", " 5"}};
    std::int32_t v[5] = {};
    const Target t[] = {&v[0], &v[1], &v[2], &v[3], &v[4]};
    ASSERT_TRUE(Layout::get("(2I2)").read(cards.source(), t));
    EXPECT_EQ((std::vector<std::int32_t>(v, v + 5)), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
  }
  {
    // A trailing slash passes over the next record.
    Cards cards{{" 1", "skipped", " 3"}};
    std::int32_t a = 0;
    const Target t(&a);
    ASSERT_TRUE(Layout::get("(I2/)").read(cards.source(), {&t, 1}));
    ASSERT_TRUE(Layout::get("(I2/)").read(cards.source(), {&t, 1}));
    EXPECT_EQ(a, 3);
  }
}

TEST(LayoutRead, RunningOutOfRecordsKeepsWhatWasRead) {
  Cards cards{{" 1", " 2"}};
  std::int32_t v[3] = {0, 0, -7};
  const Target t[] = {&v[0], &v[1], &v[2]};
  EXPECT_FALSE(Layout::get("(I2)").read(cards.source(), t));
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 2);
  EXPECT_EQ(v[2], -7);

  Cards none{};
  EXPECT_FALSE(Layout::get("(I2)").read(none.source(), {t, 1}));
  EXPECT_FALSE(Layout::get("(1X)").read(none.source(), {}));

  EXPECT_FALSE(read_text("(I2/I2)", "12", t));
  EXPECT_EQ(v[0], 12);
  EXPECT_TRUE(read_text("(I2/)", "34", {t, 1}));
  EXPECT_EQ(v[0], 34);
}

TEST(LayoutReadErrors, BadFieldsNameTheirText) {
  const char* fields[][2] = {
      {"(F8.2)", "12a"},    {"(F5.1)", "1.5.3"}, {"(F5.1)", "E5"},  {"(F5.1)", "1.5E"}, {"(F5.1)", "-"},
      {"(F5.1)", "1.5E+"},  {"(F6.0)", "1E999"}, {"(I5)", "1.5"},   {"(I3)", "--1"},    {"(I3)", "1-"},
      {"(I12)", "2147483648"}, {"(Z4)", "FG"},   {"(Z9)", "100000000"},
  };
  for (const auto& f : fields) {
    double d = 0;
    std::int32_t i = 0;
    const Target t = f[0][1] == 'I' || f[0][1] == 'Z' ? Target(&i) : Target(&d);
    const std::string message = layout_error([&] { read_text(f[0], f[1], {&t, 1}); });
    EXPECT_NE(message.find(f[1]), std::string::npos) << f[0] << " on \"" << f[1] << "\": " << message;
  }
}

TEST(LayoutReadErrors, TargetsThatCannotBeFilledThrow) {
  double d = 0;
  float f = 0;
  std::int32_t i = 0;
  std::string s;
  auto read = [](const char* layout, const char* record, std::vector<Target> targets) {
    return read_text(layout, record, targets);
  };
  EXPECT_THROW(read("(I5)", "1", {&d}), LayoutError);
  EXPECT_THROW(read("(F5.1)", "1", {&i}), LayoutError);
  EXPECT_THROW(read("(E9.2)", "1", {Target(&s, 3)}), LayoutError);
  EXPECT_THROW(read("(A5)", "1", {&f}), LayoutError);
  EXPECT_THROW(read("(I0)", "1", {&i}), LayoutError);
  // Targets but no data descriptor, none in the part that repeats, or a runaway count.
  EXPECT_THROW(read("(1X)", "1", {&i}), LayoutError);
  EXPECT_THROW(read("(I1,(1X))", "12", {&i, &i}), LayoutError);
  EXPECT_THROW(read("(1000000000(1000000000()),I1)", "1", {&i}), LayoutError);
}

// ---------------------------------------------------------------- free-form lines

TEST(LayoutFreeLine, BlanksBeforeNumbersOnly) {
  EXPECT_EQ(free_line({}), "");
  EXPECT_EQ(free_line({"abc"}), " abc");
  EXPECT_EQ(free_line({"a", "b"}), " ab");
  EXPECT_EQ(free_line({5}), " 5");
  EXPECT_EQ(free_line({-3, "x", 4}), " -3x 4");
  EXPECT_EQ(free_line({"N=", 5, 1.5}), " N= 5 1.5");
  EXPECT_EQ(free_line({0.92f}), " 0.92");
  EXPECT_EQ(free_line({0.1}), " 0.1");
  EXPECT_EQ(free_line({1e300}), " 1e+300");
  EXPECT_EQ(free_line({std::numeric_limits<long long>::max()}), " 9223372036854775807");
}

}  // namespace
}  // namespace korvex::io
