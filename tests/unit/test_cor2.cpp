// COR2 in process: a data storage file and the ISF entries of a clean DAP run are written
// by the fixture, COR2 runs, and CORRM1, STDEV1 and the listing are checked against numpy's
// values (tests/reference/cor_reference.py); then every way the inputs can refuse to fit.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../reference/cor_reference_values.inc"
#include "data_entry/active_variables.hpp"
#include "data_entry/correlation.hpp"
#include "executive/component.hpp"
#include "test_cor_fixture.hpp"

namespace korvex::testing {
namespace {

namespace ref = cor_reference;

class Cor2 : public CorRun {
 public:
  // Checks CORRM1 (order nv, qualifier nsub) against a reference matrix.
  void expect_corrm1(std::int32_t nv, std::int32_t nsub, const double* r, double tol) {
    Kpar kpar{};
    const std::vector<float> a = read_square("CORRM1", kpar);
    ASSERT_EQ(kpar[0], 2);
    EXPECT_EQ(kpar[1], nv);
    EXPECT_EQ(kpar[2], nsub);
    for (std::int32_t j = 1; j <= nv; ++j) {
      for (std::int32_t k = j + 1; k <= nv; ++k) {
        EXPECT_NEAR(el(a, k, j), r[(j - 1) * nv + (k - 1)], tol) << k << "," << j;
      }
    }
  }
  // The printed row of variable k: the line that starts with its number and name.
  std::string printed_row(std::int32_t k, std::string_view name) {
    for (const std::string& line : file_lines("MONOUT")) {
      const std::string number = std::to_string(k);
      const std::string head =
          " " + std::string(5 - number.size(), ' ') + number + "  " + std::string(name);
      if (line.rfind(head, 0) == 0) return line;
    }
    return {};
  }
};

TEST_F(Cor2, FiveVariablesMatchTheReference) {
  const cor_data d = make_data(ref::five_nv, ref::five_nsub, ref::five_data);
  write_all(d);
  COR2();
  expect_corrm1(5, 50, ref::five_r, 1e-5);
  Kpar kpar{};
  const std::vector<float> sd = read_vector("STDEV1", kpar);
  EXPECT_EQ(kpar[0], 2);
  EXPECT_EQ(kpar[2], 1);
  ASSERT_EQ(sd.size(), 5u);
  for (std::size_t j = 0; j < 5; ++j) EXPECT_NEAR(sd[j], ref::five_sd[j], 1e-5 * ref::five_sd[j]);

  // The listing: the matrix on a new page under its title, the diagonal exactly 1.000.
  const std::vector<std::string> title = listing_with("CORRELATION MATRIX.");
  ASSERT_EQ(title.size(), 1u);
  EXPECT_EQ(io::trim_right(title[0]), " CORRELATION MATRIX.     CORRELATION TEST DATA");
  for (std::int32_t k = 1; k <= 5; ++k) {
    const std::string row = printed_row(k, "X" + std::to_string(k));
    ASSERT_FALSE(row.empty()) << k;
    EXPECT_EQ(io::trim_right(row).substr(io::trim_right(row).size() - 5), "1.000") << row;
  }
  EXPECT_EQ(current_component().name, "GEP   ");
}

TEST_F(Cor2, AConstantVariableCorrelatesZeroAndHasNoSpread) {
  const cor_data d = make_data(ref::const_nv, ref::const_nsub, ref::const_data);
  write_all(d);
  COR2();
  expect_corrm1(4, 20, ref::const_r, 1e-5);
  Kpar kpar{};
  const std::vector<float> a = read_square("CORRM1", kpar, 7.0f);
  for (std::int32_t k = 1; k <= 4; ++k) {
    if (k != 2) {
      EXPECT_EQ(el(a, k, 2), 0.0f) << k;
    }
  }
  const std::vector<float> sd = read_vector("STDEV1", kpar);
  EXPECT_EQ(sd[1], 0.0f);
  EXPECT_GT(sd[0], 0.0f);
  // Row 2 prints 0.000 against variable 1 and 1.000 on the diagonal.
  const std::string row = printed_row(2, "X2");
  EXPECT_NE(row.find("0.000"), std::string::npos) << row;
  EXPECT_EQ(io::trim_right(row).substr(io::trim_right(row).size() - 5), "1.000") << row;
}

TEST_F(Cor2, ATitleThatDiffersIsOnlyAWarning) {
  cor_data d = make_data(ref::five_nv, ref::five_nsub, ref::five_data);
  d.names = {"A", "B", "C", "D", "E"};
  write_dsf(d, "ANOTHER RUN");
  write_isf(d, false);  // without VNAMS1 the file's names are printed
  COR2();
  const std::vector<std::string> lines = file_lines("MONOUT");
  std::size_t at = 0;
  while (at < lines.size() && lines[at] != " DATA STORAGE FILE DOES NOT CHECK AGAINST ISF") ++at;
  ASSERT_LT(at + 3, lines.size());
  EXPECT_EQ(lines[at - 1], " ");
  EXPECT_EQ(io::trim_right(lines[at + 1]), " ANOTHER RUN");
  EXPECT_EQ(io::trim_right(lines[at + 2]), " CORRELATION TEST DATA");
  EXPECT_EQ(lines[at + 3], " NVX from DSF:    5 NV from ISF:    5");
  expect_corrm1(5, 50, ref::five_r, 1e-5);
  EXPECT_FALSE(printed_row(3, "C").empty());
}

TEST_F(Cor2, FourHundredThousandSubjectsWithMeanOneThousand) {
  // Both sides draw the data from the same integer generator (see the reference script).
  reference_lcg g{ref::large_seed};
  cor_data d;
  d.nv = 2;
  d.nsub = ref::large_nsub;
  d.values.reserve(2 * static_cast<std::size_t>(d.nsub));
  for (std::int32_t s = 0; s < d.nsub; ++s) {
    const double z1 = g.normal();
    const double z2 = g.normal();
    d.values.push_back(static_cast<float>(1000.0 + z1));
    d.values.push_back(static_cast<float>(1000.0 + 0.6 * z1 + 0.8 * z2));
  }
  write_all(d);
  COR2();
  Kpar kpar{};
  const std::vector<float> a = read_square("CORRM1", kpar);
  EXPECT_NEAR(el(a, 2, 1), ref::large_r, 1e-5);
  const std::vector<float> sd = read_vector("STDEV1", kpar);
  EXPECT_NEAR(sd[0], ref::large_sd[0], 1e-6);
  EXPECT_NEAR(sd[1], ref::large_sd[1], 1e-6);
}

// ---- refusals and input errors -------------------------------------------------------

// Each case spoils one thing of a small complete data set (12 subjects of five variables).
struct refusal {
  const char* name;
  void (*prepare)(Cor2&, cor_data&);
  int code;             // QUIT code (0 after proc_error)
  const char* message;  // the console message of proc_error ("" when QUIT alone)
  const char* listing;  // a line the listing must hold ("" for none)
};

class Cor2Refusals : public Cor2, public ::testing::WithParamInterface<refusal> {};

TEST_P(Cor2Refusals, StopWithTheirMessageAndLeaveTheIsfAsItWas) {
  const refusal& c = GetParam();
  write_earlier_corrm1();
  cor_data data = make_data(ref::five_nv, 12, ref::five_data);
  c.prepare(*this, data);
  const Stopped s = stop_of([] { COR2(); });
  EXPECT_TRUE(s.stopped) << c.name;
  EXPECT_EQ(s.code, c.code) << c.name;
  if (*c.message != '\0') {
    EXPECT_EQ(s.message, c.message) << c.name;
  }
  if (*c.listing != '\0') {
    EXPECT_FALSE(listing_with(c.listing).empty()) << c.name;
  }
  expect_earlier_corrm1(c.name);
}

const refusal refusals[] = {
    {"missing_value",
     [](Cor2& f, cor_data& d) {
       d.values[7 * 5 + 1] = ref::kMissing;  // subject 8, variable 2
       f.write_all(d);
     },
     0, "*COR2 NEEDS COMPLETE DATA (USE *COR3): SUBJECT 8 MISSES VARIABLE 2", ""},
    {"variable_count",
     [](Cor2& f, cor_data& d) {
       f.write_dsf(d, {}, 4);
       f.write_isf(d);
     },
     10002, "", " DATA FILE AND ISF DISAGREE AS TO THE NUMBER OF VARIABLES"},
    {"selection_in_force",
     [](Cor2& f, cor_data& d) {
       f.write_all(d);
       const std::vector<std::string> names = {"X2", "X1", "X3", "X4", "X5"};
       const std::vector<std::int32_t> order = {2, 1, 3, 4, 5};
       write_selection(names, order, 5, 1);
     },
     0, "VARIABLE SELECTION IN FORCE: RUN *RESTOR (AFTER *CC5) OR A NEW *DAP BEFORE *COR2", ""},
    {"idfile_absent", [](Cor2& f, cor_data& d) { f.write_dsf(d); }, 10007, "",
     " FILE IDFILE COULD NOT BE LOCATED ON INTERMEDIATE STORAGE FILE"},
    {"one_subject",
     [](Cor2& f, cor_data& d) {
       d.nsub = 1;
       f.write_all(d);
     },
     0, "INCONSISTENT INPUT FROM ISF", ""},
    {"short_file",
     [](Cor2& f, cor_data& d) {
       f.write_dsf(d, {}, -1, 11);
       f.write_isf(d);
     },
     0,
     "THE DATA STORAGE FILE HOLDS 11 SUBJECTS, FEWER THAN THE 12 OF MEANS1"
     "MEANS1 IS NOT THE DATA'S: RUN *DAP AFTER *TAKE OR *GIST, BEFORE *COR2",
     ""},
    {"empty_file",
     [](Cor2& f, cor_data& d) {
       f.write_isf(d);
       get_unit("MTDST");  // created empty, as after a DAP run with a data error
     },
     0, "Error reading DSF: Bad io_stat = -01", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, Cor2Refusals, ::testing::ValuesIn(refusals),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvex::testing
