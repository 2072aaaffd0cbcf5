// The tables behind entry decks: the 24 labels against the ISF label catalogue (entry types
// and KPAR lengths), the dimension-word conversion between parameter cards and KPAR, the
// fixed-point layout chosen for reals, and the file-package header on the listing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "executive/units.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"
#include "storage/gist_int.hpp"
#include "storage/storage.hpp"

namespace korvex::testing {
namespace {

using namespace korvex::gist;

std::int32_t entry_type_of(TypeWord t) {
  switch (t) {
    case TypeWord::vafile: return isf_kind_words;
    case TypeWord::vnfile:
    case TypeWord::snfile: return isf_kind_names;
    case TypeWord::vifile:
    case TypeWord::mifile:
    case TypeWord::rifile:
    case TypeWord::ifile: return isf_kind_ints;
    default: return isf_kind_reals;
  }
}

// The c of the first KPAR the catalogue gives for a label, "(3: NV, 1, NSUB)" -> 3.
int catalogue_kpar_count(const IsfLabelInfo& info) { return info.kpar.at(1) - '0'; }

// Every row must be storable as its writers store it: the entry type of its type word and
// the number of its dimension words agree with the catalogue, and the 24 rows are exactly the
// catalogue's deck labels.
TEST(GistLabelTable, AgreesWithTheIsfCatalogue) {
  const std::vector<LabelRow>& table = label_table();
  ASSERT_EQ(table.size(), static_cast<std::size_t>(label_row_count));
  int deck_labels = 0;
  for (const IsfLabelInfo& info : isf_label_catalogue()) deck_labels += info.deck_label ? 1 : 0;
  EXPECT_EQ(deck_labels, label_row_count);
  for (const LabelRow& row : table) {
    SCOPED_TRACE(row.label);
    const IsfLabelInfo* info = find_isf_label(row.label);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->deck_label);
    EXPECT_EQ(entry_type_of(row.type), info->entry_type);
    EXPECT_EQ(static_cast<int>(row.dims.size()), catalogue_kpar_count(*info));
    EXPECT_EQ(row.label.size(), 6u);
  }
  EXPECT_EQ(find_label_row("MEANS1"), 1);
  EXPECT_EQ(find_label_row("REORD1"), 5);
  EXPECT_EQ(find_label_row("IDFILE"), 24);
  EXPECT_EQ(find_label_row("means1"), 0);
  EXPECT_EQ(find_label_row("IPFILE"), 0);
}

// Every parameter word and dimension word of the table is a dimension word GIST knows, and
// each row's parameters (all at their smallest legal value) convert to its KPAR and back.
TEST(GistLabelTable, EveryRowConvertsBothWays) {
  for (const LabelRow& row : label_table()) {
    SCOPED_TRACE(row.label);
    DimensionWords words = initial_dimension_words();
    std::vector<std::int32_t> params(row.params.size(), 1);
    std::vector<std::int32_t> kpar;
    ASSERT_EQ(GSTDIM(words, params, row.params, kpar, row.dims), 0);
    ASSERT_EQ(kpar.size(), row.dims.size());
    std::vector<std::int32_t> back;
    ASSERT_EQ(GSTDIM(words, kpar, row.dims, back, row.params), 0);
    EXPECT_EQ(back, params);
  }
}

struct DimCase {
  std::vector<std::string> in;
  std::vector<std::int32_t> values;
  std::vector<std::string> out;
  std::int32_t err;
  std::vector<std::int32_t> result;
};

TEST(GistDimensionWords, LimitsAndAvailability) {
  const DimCase cases[] = {
      {{"NUMVAR", "NUMSUB"}, {3, 10}, {"NUMVAR", "ONE   ", "NUMSUB"}, 0, {3, 1, 10}},
      {{"NUMFAC"}, {50}, {"NUMFAC"}, 0, {50}},
      {{"NUMFAC"}, {51}, {"NUMFAC"}, 1, {}},
      {{"NUMVAR", "NUMSUB"}, {999, 400000}, {"NUMSUB"}, 0, {400000}},
      {{"NUMVAR", "NUMSUB"}, {999, 400001}, {"NUMSUB"}, 1, {}},
      {{"NUMVAR"}, {1000}, {"NUMVAR"}, 1, {}},
      {{"NUMVAR"}, {0}, {"NUMVAR"}, 1, {}},
      {{"NUMOBJ"}, {15}, {"NUMOBJ"}, 0, {15}},
      {{"NUMOBJ"}, {16}, {"NUMOBJ"}, 1, {}},
      {{"NUMVAR", "NUMDEL"}, {5, 0}, {"NUMVAR", "ONE   ", "NUMDEL"}, 0, {5, 1, 0}},
      {{"NUMVAR"}, {5}, {"NUMFAC"}, 1, {}},                         // not given
      {{"NUMVAR", "NUMVAR"}, {5, 7}, {"NUMVAR", "NUMVAR"}, 0, {7, 7}},  // the later value
      {{}, {}, {"TWELVE", "ONE   "}, 0, {12, 1}},                  // always available
  };
  for (const DimCase& k : cases) {
    SCOPED_TRACE(k.in.empty() ? std::string("none") : k.in[0] + " " + std::to_string(k.values[0]));
    DimensionWords words = initial_dimension_words();
    std::vector<std::int32_t> out;
    EXPECT_EQ(GSTDIM(words, k.values, k.in, out, k.out), k.err);
    if (k.err == 0) {
      EXPECT_EQ(out, k.result);
    }
  }
}

TEST(GistDimensionWords, AConversionForgetsTheWordsOfThePreviousOne) {
  DimensionWords words = initial_dimension_words();
  std::vector<std::int32_t> out;
  const std::vector<std::string> fac = {"NUMFAC"};
  const std::vector<std::string> var = {"NUMVAR"};
  const std::vector<std::int32_t> three = {3};
  ASSERT_EQ(GSTDIM(words, three, fac, out, fac), 0);
  EXPECT_EQ(GSTDIM(words, three, var, out, fac), 1);
}

TEST(GistRealLayout, DigitsOfTheLargestMagnitude) {
  struct Case {
    float xmax;
    std::int32_t m;
    float scale;
    const char* layout;
  };
  const Case cases[] = {
      {1.0f, 1, 10.0f, "(9F8.6)"},        {3.2f, 1, 10.0f, "(9F8.6)"},
      {9.99f, 1, 10.0f, "(9F8.6)"},       {10.0f, 2, 100.0f, "(9F8.5)"},
      {99.0f, 2, 100.0f, "(9F8.5)"},      {12345.0f, 5, 100000.0f, "(9F8.2)"},
      {9999000.0f, 7, 1.0e7f, "(9F8.0)"}, {9999999.0f, 8, 1.0e8f, "(9F8.0)"},
      {12345678.0f, 8, 1.0e8f, "(9F8.0)"}, {0.5f, 0, 1.0f, "(9F8.7)"},
  };
  for (const Case& k : cases) {
    float scale = 0.0f;
    std::string layout;
    EXPECT_EQ(GSTFMT(k.xmax, scale, layout), k.m) << k.xmax;
    EXPECT_EQ(scale, k.scale) << k.xmax;
    EXPECT_EQ(layout, k.layout) << k.xmax;
  }
}

class GistHeader : public RunFolder {
 protected:
  std::vector<std::string> header(std::string_view label, std::vector<std::int32_t> params,
                                  std::string_view unit_name) {
    init_page();
    GistRun run;
    run.monout = get_unit("MONOUT");
    GSTDEF(run);
    GSTTAB(run);
    run.row_number = find_label_row(label);
    run.params = std::move(params);
    const std::vector<std::string> words = {"(9F8.6", ")     "};
    GSTHDR(run, "OUTPUT", words, unit_name);
    std::vector<std::string> lines = file_lines("MONOUT");
    return {lines.begin() + 3, lines.end()};  // after the page header
  }
};

TEST_F(GistHeader, NamesTheLabelLayoutUnitAndParameters) {
  EXPECT_EQ(header("CORRM2", {12, 100, 3}, "MTXIN1"),
            (std::vector<std::string>{" OUTPUT FILE PACKAGE", " ", " ", " FILE LABEL......CORRM2", " ",
                                      " FORMAT..........(9F8.6)     ", " SYMBOLIC UNIT...MTXIN1", "      ",
                                      " PARAMETERS.....NUMVAR=   12      ",
                                      "                NUMSUB=  100      ",
                                      "                NUMDEL=    3"}));
}

TEST_F(GistHeader, ARowWithoutParametersHasNoParameterLines) {
  EXPECT_EQ(header("IDFILE", {}, "      "),
            (std::vector<std::string>{" OUTPUT FILE PACKAGE", " ", " ", " FILE LABEL......IDFILE", " ",
                                      " FORMAT..........(9F8.6)     "}));
}

}  // namespace
}  // namespace korvex::testing
