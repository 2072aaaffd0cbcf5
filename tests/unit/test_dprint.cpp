// The data storage file listing of *DPRINT: the identification records, the data matrix in
// one or several variable groups and subject blocks, long variable names, missing values,
// the subject-number width, and the damaged or missing inputs that end the run.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <cstdint>
#include <string>
#include <vector>

#include "executive/dprint.hpp"
#include "executive/positioning.hpp"
#include "executive/stop.hpp"
#include "io/record_file.hpp"
#include "test_dumps_fixture.hpp"

namespace korvex {
namespace {

using testing::DumpRun;
using testing::Stopped;

struct Subject {
  std::vector<float> values;
  std::string name;
  std::int32_t number = 0;
};

class DprintRun : public DumpRun {
 protected:
  // A data storage file as the data-entry component writes it: two title records, the
  // counts, the variable names, the zero record, then one record per subject (values,
  // name, number and, unless nomiss is 1, the presence flags).
  void write_dsf(const std::string& title1, const std::string& title2, std::int32_t nv,
                 std::int32_t nomiss, const std::vector<std::string>& names,
                 const std::vector<Subject>& subjects) {
    const std::int32_t unit = get_unit("MTDST");
    io::SequentialFile& f = sequential_file(unit);
    f.write(io::RecordWriter().text(title1, 72));
    f.write(io::RecordWriter().text(title2, 72));
    f.write(io::RecordWriter().i32(nv).i32(nomiss).i32(0).i32(0).i32(0));
    io::RecordWriter name_record;
    for (const std::string& n : names) name_record.text(n, 20);
    f.write(name_record);
    write_zero_record(unit);
    for (const Subject& s : subjects) {
      io::RecordWriter r;
      r.f32s(s.values).text(s.name, 20).i32(s.number);
      if (nomiss != 1) {
        for (float v : s.values) r.i32(std::isnan(v) ? 0 : 1);
      }
      f.write(r);
    }
  }
  // MEANS1 with the subject count, and ONAMS1 with the subjects' names in records of 100.
  void write_isf(std::int32_t nv, const std::vector<Subject>& subjects, bool with_names = true) {
    const auto nsub = static_cast<std::int32_t>(subjects.size());
    Kpar kpar{};
    std::int32_t notfound = 0;
    make_kpar(kpar, nv, 1, nsub);
    std::vector<float> means(static_cast<std::size_t>(nv), 0.0f);
    isf_real_vector("MEANS1", 1, kpar, notfound, means);
    if (!with_names) return;
    make_kpar(kpar, 1, nsub, 100);
    std::vector<std::string> names;
    for (const Subject& s : subjects) names.push_back(s.name);
    SNFILE("ONAMS1", 1, kpar, notfound, {}, 1);
    for (std::size_t at = 0; at < names.size(); at += 100) {
      std::vector<std::string> chunk(names.begin() + static_cast<std::ptrdiff_t>(at),
                                     names.begin() + static_cast<std::ptrdiff_t>(std::min(at + 100, names.size())));
      SNFILE("ONAMS1", 1, kpar, notfound, chunk, 2);
    }
  }
  static std::vector<Subject> numbered_subjects(std::int32_t nsub, std::int32_t nv, const std::string& prefix) {
    std::vector<Subject> s;
    for (std::int32_t i = 1; i <= nsub; ++i) {
      Subject one;
      for (std::int32_t j = 1; j <= nv; ++j) one.values.push_back(static_cast<float>(i) + 0.001f * static_cast<float>(j));
      one.name = prefix + std::to_string(i);
      one.number = i;
      s.push_back(one);
    }
    return s;
  }
  static std::vector<std::string> var_names(std::int32_t nv, const std::string& prefix) {
    std::vector<std::string> n;
    for (std::int32_t j = 1; j <= nv; ++j) n.push_back(prefix + std::to_string(j));
    return n;
  }

  // Runs both steps as the interpreter does for the card.
  void dprint() {
    std::int32_t page = 0;
    std::int32_t lines = 0;
    std::vector<std::string> names(999, std::string(20, ' '));
    std::int32_t nv = 0;
    std::int32_t nomiss = 0;
    std::string title(72, ' ');
    const std::int32_t unit = get_unit("MTDST");
    DPRINT(unit, names, nv, nomiss, title, page, lines, monout_);
    DPRINT2(unit, names, nv, nomiss, title, page, lines, monout_);
    lines_after_ = lines;
  }

  // The rows of the matrix: a value field of 10 columns with 3 decimals.
  static std::string f10(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%10.3f", static_cast<double>(v));
    return buf;
  }

  std::int32_t lines_after_ = 0;
};

TEST_F(DprintRun, ListsIdentificationThenTheMatrixOnTheSamePage) {
  const std::vector<std::string> names = {"HEIGHT", "WEIGHT", "AGE"};
  std::vector<Subject> subjects = {{{1.5f, 60.0f, 31.0f}, "ANN", 1},
                                   {{1.75f, 72.5f, 45.0f}, "BOB", 2},
                                   {{1.6f, 58.25f, 28.0f}, "CAROLINE", 3}};
  write_dsf("TEST RUN FOR DPRINT", "SECOND TITLE RECORD", 3, 1, names, subjects);
  write_isf(3, subjects);
  dprint();

  const std::string title = ljust("TEST RUN FOR DPRINT", 72);
  // d_sub 1, w_sub 8: 15 columns before the first value column.
  auto row = [&](int number, const std::string& name, const std::vector<float>& v) {
    std::string line = " " + std::to_string(number) + "  " + ljust(name, 8) + "   ";
    for (float x : v) line += f10(x);
    return ljust(line, 118);
  };
  const std::vector<std::string> expected = {
      " ", pager_header(1), " ",
      " ", " ", blanks(48) + "CONTENTS OF DATA FILE 2",
      " ", " ", blanks(44) + "FIRST FILE   ( IDENTIFICATION )",
      " ", " ", " RECORD 1", " ", " TEST RUN FOR DPRINT",
      " ", " ", " RECORD 2", " ", " SECOND TITLE RECORD",
      " ", " ", " RECORD 3", " ", " NV =    3               NOMISS =    1",
      " ",
      " ", blanks(45) + "SECOND FILE   ( DATA MATRIX )", " ",
      " ", " ",
      " " + title,
      " ",
      blanks(15) + rjust("1", 10) + rjust("2", 10) + rjust("3", 10),
      blanks(15) + rjust("HEIGHT", 10) + rjust("WEIGHT", 10) + rjust("AGE", 10),
      " ",
      row(1, "ANN", {1.5f, 60.0f, 31.0f}),
      row(2, "BOB", {1.75f, 72.5f, 45.0f}),
      row(3, "CAROLINE", {1.6f, 58.25f, 28.0f}),
      " ", " ", " ", " ",
  };
  EXPECT_EQ(listing(), expected);
  // 51 lines were left after the step's heading; the block took 8 and 4 empty lines.
  EXPECT_EQ(lines_after_, 49 - 8 - 4);
  // The file is rewound for the components that follow.
  std::vector<std::byte> first;
  ASSERT_EQ(sequential_file(get_unit("MTDST")).read(first), 0);
  EXPECT_EQ(first.size(), 72u);
}

TEST_F(DprintRun, MissingValuesShowAsMissingOnlyWhenTheFileAdmitsThem) {
  const float nan = std::nanf("");
  const std::vector<std::string> names = {"A", "B", "C"};
  const std::vector<Subject> subjects = {{{1.0f, 2.0f, nan}, "S1", 1}};
  for (const std::int32_t nomiss : {0, 1}) {
    SCOPED_TRACE(nomiss);
    TearDown();
    SetUp();
    write_dsf("T", "T", 3, nomiss, names, subjects);
    write_isf(3, subjects);
    dprint();
    const std::vector<std::string> all = listing();
    const std::string third = nomiss == 0 ? "   MISSING" : "       NaN";
    EXPECT_EQ(all[all.size() - 5], ljust(" 1  S1   " + f10(1.0f) + f10(2.0f) + third, 118));
  }
}

TEST_F(DprintRun, GroupsOfVariablesStartANewPageAndFillIt) {
  // At 100 columns, 9 columns in front leave room for 9 values: 25 variables make three
  // groups (1-9, 10-18, 19-25); the first starts a new page, the others follow on it.
  set_ncline(100);
  const std::vector<Subject> subjects = numbered_subjects(2, 25, "S");
  write_dsf("GROUPS", "GROUPS", 25, 1, var_names(25, "V"), subjects);
  write_isf(25, subjects);
  dprint();
  std::vector<std::string> all = listing();
  const std::string header = "1" + blanks(90) + "PAGE" + rjust("2", 5);
  std::size_t at = 0;
  while (at < all.size() && all[at] != header) ++at;
  ASSERT_LT(at, all.size());
  const std::vector<std::string> page(all.begin() + static_cast<std::ptrdiff_t>(at), all.end());
  std::string numbers_3 = blanks(9);
  for (int j = 19; j <= 25; ++j) numbers_3 += rjust(std::to_string(j), 10);
  ASSERT_EQ(page.size(), 2u + 3u * (5u + 2u + 4u));
  EXPECT_EQ(page[1], " ");
  EXPECT_EQ(page[2], " " + ljust("GROUPS", 72));
  EXPECT_EQ(page[4].substr(0, 19), blanks(9) + rjust("1", 10));
  EXPECT_EQ(page[2 + 11], " " + ljust("GROUPS", 72));
  EXPECT_EQ(page[2 + 22 + 2], numbers_3);
  // The last group's rows hold 7 values.
  std::string row1 = " 1  S1   ";
  for (int j = 19; j <= 25; ++j) row1 += f10(1.0f + 0.001f * static_cast<float>(j));
  EXPECT_EQ(page[2 + 22 + 5], ljust(row1, 100));
  EXPECT_EQ(lines_after_, 0);
}

TEST_F(DprintRun, LongNamesLabelOddAndEvenColumnsOnTwoPairsOfLines) {
  const std::vector<std::string> names = {"FIRST_VARIABLE", "SECOND_VAR", "THIRD_VARIABLE"};
  const std::vector<Subject> subjects = numbered_subjects(1, 3, "PERSON");
  write_dsf("LONG", "LONG", 3, 1, names, subjects);
  write_isf(3, subjects);
  dprint();
  const std::vector<std::string> all = listing();
  // w_var 14: right-aligned in 14, then in fields of 20; w_sub 7, d_sub 1: p = 14.
  const std::vector<std::string> header(all.end() - 12, all.end() - 5);
  EXPECT_EQ(header, (std::vector<std::string>{
                        " " + ljust("LONG", 72), " ",
                        blanks(4) + rjust("1", 20) + rjust("3", 20),
                        blanks(4) + rjust("FIRST_VARIABLE", 20) + rjust("THIRD_VARIABLE", 20),
                        blanks(14) + rjust("2", 20),
                        blanks(14) + rjust("    SECOND_VAR", 20),
                        " "}));
}

TEST_F(DprintRun, LongNamesWithNarrowSubjectColumnsStillLineUp) {
  // One subject without a name: d_sub 1 and w_sub 1 would leave no room for the first
  // label pair; the subject column widens to 4 so the pair starts at column 2.
  const std::vector<std::string> names = {"A_LONG_NAME_1", "A_LONG_NAME_2"};
  const std::vector<Subject> subjects = {{{1.0f, 2.0f}, "", 1}};
  write_dsf("NARROW", "NARROW", 2, 1, names, subjects);
  write_isf(2, subjects);
  dprint();
  const std::vector<std::string> all = listing();
  EXPECT_EQ(all[all.size() - 10], blanks(1) + rjust("1", 20));
  EXPECT_EQ(all[all.size() - 5], ljust(" 1      " + blanks(3) + f10(1.0f) + f10(2.0f), 118));
}

TEST_F(DprintRun, SubjectsComeInBlocksThatFitThePage) {
  // 20 lines a page: blocks of 15 subjects; subjects 16-20 form the second block.
  set_nlpage(20);
  const std::vector<Subject> subjects = numbered_subjects(20, 2, "P");
  write_dsf("BLOCKS", "BLOCKS", 2, 1, var_names(2, "X"), subjects);
  write_isf(2, subjects);
  dprint();
  std::vector<std::int32_t> numbers_listed;
  std::int32_t titles = 0;
  for (const std::string& l : listing()) {
    if (l == " " + ljust("BLOCKS", 72)) ++titles;
    if (l.size() == 118 && l.substr(5, 1) == "P") numbers_listed.push_back(std::stoi(l.substr(1, 2)));
  }
  EXPECT_EQ(titles, 2);
  ASSERT_EQ(numbers_listed.size(), 20u);
  for (std::int32_t i = 0; i < 20; ++i) EXPECT_EQ(numbers_listed[static_cast<std::size_t>(i)], i + 1);
}

TEST_F(DprintRun, SubjectNumberWidthFollowsTheSubjectCount) {
  // The number line starts after d_sub + w_sub + 6 blanks; names of 1 to 4 characters.
  struct Case {
    std::int32_t nsub;
    std::size_t d_sub;
  };
  for (const Case c : {Case{9, 1}, Case{10, 2}, Case{99, 2}, Case{100, 3}, Case{150, 3}}) {
    SCOPED_TRACE(c.nsub);
    TearDown();
    SetUp();
    set_nlpage(400);
    const std::vector<Subject> subjects = numbered_subjects(c.nsub, 1, "N");
    write_dsf("D", "D", 1, 1, {"V"}, subjects);
    write_isf(1, subjects);
    dprint();
    const std::size_t w_sub = std::to_string(c.nsub).size() + 1;
    const std::vector<std::string> all = listing();
    const std::string numbers = blanks(c.d_sub + w_sub + 6) + rjust("1", 10);
    EXPECT_NE(std::find(all.begin(), all.end(), numbers), all.end());
  }
}

TEST_F(DprintRun, MissingSubjectNamesEntryGivesOneColumn) {
  const std::vector<Subject> subjects = {{{4.0f}, "ZED", 1}};
  write_dsf("T", "T", 1, 1, {"V"}, subjects);
  write_isf(1, subjects, false);
  dprint();
  const std::vector<std::string> all = listing();
  EXPECT_EQ(all[all.size() - 5], ljust(" 1  Z   " + f10(4.0f), 118));
}

// ---- failures ---------------------------------------------------------------------------

class DprintFailure : public DprintRun {
 protected:
  Stopped run() {
    return stop_of([&] { dprint(); });
  }
};

TEST_F(DprintFailure, DamagedOrMissingInputsEndTheRunWithAClearMessage) {
  const std::vector<Subject> two = numbered_subjects(2, 2, "S");
  struct Case {
    std::string what;
    std::function<void()> prepare;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"no data storage file", [] {}, "Dprint: Bad io_stat = -01"},
      {"NV of 0",
       [&] { write_dsf("T", "T", 0, 1, {}, {}); },
       "Dprint: The data storage file gives NV = 0; the number of variables must lie between 1 and 999."},
      {"NV of 1000",
       [&] { write_dsf("T", "T", 1000, 1, {"A"}, {}); },
       "Dprint: The data storage file gives NV = 1000; the number of variables must lie between 1 and 999."},
      {"fewer names than NV",
       [&] { write_dsf("T", "T", 3, 1, {"A", "B"}, {}); },
       "Dprint: Record 4 (the 3 variable names) of the data storage file holds 40 bytes; it needs 60."},
      {"more subjects in MEANS1 than in the file",
       [&] {
         write_dsf("T", "T", 2, 1, {"A", "B"}, two);
         write_isf(2, numbered_subjects(3, 2, "S"));
       },
       "Dprint: Bad io_stat = -01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    c.prepare();
    const Stopped s = run();
    EXPECT_TRUE(s.stopped);
    EXPECT_EQ(fatal_message(s.console), c.message);
  }
}

TEST_F(DprintFailure, ShortSubjectRecord) {
  write_dsf("T", "T", 2, 0, {"A", "B"}, {});
  // A subject record with its values, name and number but no presence flags.
  sequential_file(get_unit("MTDST")).write(io::RecordWriter().f32(1.0f).f32(2.0f).text("S", 20).i32(1));
  write_isf(2, numbered_subjects(1, 2, "S"));
  const Stopped s = run();
  EXPECT_EQ(fatal_message(s.console),
            "Dprint: The record of subject 1 of the data storage file holds 32 bytes; it needs 40.");
}

TEST_F(DprintFailure, MissingMeansEntryStopsAfterItsListingLine) {
  write_dsf("T", "T", 1, 1, {"A"}, numbered_subjects(1, 1, "S"));
  const Stopped s = run();
  EXPECT_TRUE(s.stopped);
  EXPECT_EQ(s.console, "");  // no processing-error lines
  const std::vector<std::string> all = listing();
  EXPECT_EQ(std::vector<std::string>(all.end() - 5, all.end()),
            (std::vector<std::string>{" ", " ", " ", " ",
                                      " THE MEANS1 FILE OF THE ISF FILE IS NOT AVALIABLE - THE NUMBER OF "
                                      "SUBJECTS CAN NOT BE OBTAINED. PROGRAM TERMINATED *"}));
}

}  // namespace
}  // namespace korvex
