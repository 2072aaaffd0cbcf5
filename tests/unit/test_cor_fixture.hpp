// Shared ground of the correlation component tests: a run folder with the ISF and the page
// state set up, a writer of the data storage file on MTDST and of the ISF entries that a
// clean DAP run leaves (IDFILE, VNAMS1, MEANS1, STDEV1, VAREN1), and readers of the results.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "executive/positioning.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"
#include "test_isf_fixture.hpp"

namespace korvex::testing {

// A data set as the data storage file holds it: values subject after subject, NaN missing.
struct cor_data {
  std::int32_t nv = 0;
  std::int32_t nsub = 0;
  std::vector<float> values;  // nsub * nv
  std::string title = "CORRELATION TEST DATA";
  std::vector<std::string> names;  // empty: "X1", "X2" ...
  std::int32_t nomiss = 1;         // 1: no presence flags in the subject records

  float value(std::int32_t s, std::int32_t k) const {  // 1-based
    return values[static_cast<std::size_t>((s - 1) * nv + (k - 1))];
  }
  std::string name(std::int32_t k) const {
    return names.empty() ? "X" + std::to_string(k) : names[static_cast<std::size_t>(k - 1)];
  }
  // The mean of the present values, totalled in double as DAP does.
  float mean(std::int32_t k) const {
    double sum = 0.0;
    std::int32_t n = 0;
    for (std::int32_t s = 1; s <= nsub; ++s) {
      if (!std::isnan(value(s, k))) {
        sum += value(s, k);
        ++n;
      }
    }
    return n > 0 ? static_cast<float>(sum / n) : 0.0f;
  }
  std::int32_t present(std::int32_t k) const {
    std::int32_t n = 0;
    for (std::int32_t s = 1; s <= nsub; ++s) n += std::isnan(value(s, k)) ? 0 : 1;
    return n;
  }
};

// The 64-bit linear congruential generator of the reference scripts (tests/reference), so
// that a test draws the very data the script drew: every step is exact integer arithmetic,
// and each normal deviate is twelve uniforms summed in order, less 6.
struct reference_lcg {
  std::uint64_t s;
  double uniform() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(s >> 11) * 0x1.0p-53;
  }
  double normal() {
    double z = 0.0;
    for (int i = 0; i < 12; ++i) z += uniform();
    return z - 6.0;
  }
};

inline cor_data make_data(std::int32_t nv, std::int32_t nsub, std::span<const float> values) {
  cor_data d;
  d.nv = nv;
  d.nsub = nsub;
  d.values.assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(nv) * nsub);
  for (float v : d.values) {
    if (std::isnan(v)) d.nomiss = 0;
  }
  return d;
}

class CorRun : public IsfFolder {
 protected:
  void SetUp() override {
    IsfFolder::SetUp();
    init_page();
  }

 public:
  // The data storage file as DAP writes it: two title records, counts, names, zero record,
  // one record per subject (values, name, number and, without NOMISS, presence flags).
  // title2 differs from the title only when asked; nvx overrides the count record.
  void write_dsf(const cor_data& d, std::string_view title2 = {}, std::int32_t nvx = -1,
                 std::int32_t subjects = -1) {
    const std::int32_t u = get_unit("MTDST");
    io::SequentialFile& f = sequential_file(u);
    rewind_unit(u);
    f.write(io::RecordWriter().text(d.title, 72));
    f.write(io::RecordWriter().text(title2.empty() ? std::string_view(d.title) : title2, 72));
    f.write(io::RecordWriter().i32(nvx < 0 ? d.nv : nvx).i32(d.nomiss).i32(0).i32(1).i32(0));
    io::RecordWriter names;
    for (std::int32_t k = 1; k <= d.nv; ++k) names.text(d.name(k), 20);
    f.write(names);
    f.write(io::RecordWriter().i32(0));
    const std::int32_t n = subjects < 0 ? d.nsub : subjects;
    for (std::int32_t s = 1; s <= n; ++s) {
      io::RecordWriter r;
      for (std::int32_t k = 1; k <= d.nv; ++k) r.f32(d.value(s, k));
      r.text("OBJ" + std::to_string(s), 20).i32(s);
      if (d.nomiss == 0) {
        for (std::int32_t k = 1; k <= d.nv; ++k) r.i32(std::isnan(d.value(s, k)) ? 0 : 1);
      }
      f.write(r);
    }
    f.write(io::RecordWriter().i32(0));  // start of the trailer, which no reader takes
    f.end_file();
    rewind_unit(u);
  }

  // The ISF entries of a clean DAP run over the data.
  void write_isf(const cor_data& d, bool with_names = true) {
    std::int32_t notfound = 0;
    std::vector<std::string> title(12);
    for (std::size_t i = 0; i < 12; ++i)
      title[i] = io::pad(io::pad(d.title, 72).substr(6 * i, 6), 6);
    isf_idfile(1, notfound, title);
    Kpar kpar{};
    if (with_names) {
      std::vector<std::string> names;
      for (std::int32_t k = 1; k <= d.nv; ++k) names.push_back(io::pad(d.name(k), 20));
      make_kpar(kpar, d.nv, 1, 0);
      isf_name_vector("VNAMS1", 1, kpar, notfound, names);
    }
    std::vector<float> means;
    std::vector<std::int32_t> counts;
    for (std::int32_t k = 1; k <= d.nv; ++k) {
      means.push_back(d.mean(k));
      counts.push_back(d.present(k));
    }
    make_kpar(kpar, d.nv, 1, d.nsub);
    isf_real_vector("MEANS1", 1, kpar, notfound, means);
    make_kpar(kpar, d.nv, 1, 0);
    std::vector<float> dap_sd(static_cast<std::size_t>(d.nv), -1.0f);
    isf_real_vector("STDEV1", 1, kpar, notfound, dap_sd);
    if (d.nomiss == 0) isf_int_vector("VAREN1", 1, kpar, notfound, counts);
  }

  // A CORRM1 of an earlier component (order 2, qualifier 9, r = 0.25) that a stop must leave
  // in place; expect_earlier_corrm1 checks that it is still there.
  void write_earlier_corrm1() {
    std::int32_t notfound = 0;
    Kpar kpar{};
    make_kpar(kpar, 2, 9, 0);
    std::vector<float> old(999 * 2, 0.25f);
    isf_real_square("CORRM1", 1, kpar, notfound, old, 2);
  }
  void expect_earlier_corrm1(std::string_view why) {
    Kpar got{};
    const std::vector<float> a = read_square("CORRM1", got);
    EXPECT_EQ(got[1], 2) << why;
    EXPECT_EQ(got[2], 9) << why;
    EXPECT_EQ(a[1], 0.25f) << why;
  }

  void write_all(const cor_data& d) {
    write_dsf(d);
    write_isf(d);
  }

  // A symmetric matrix of order n read with storage option 2; diagonal 1 unless given.
  std::vector<float> read_square(std::string_view label, Kpar& kpar, float diagonal = 1.0f) {
    std::vector<float> a(999 * 999, 0.0f);
    std::int32_t notfound = 0;
    isf_real_square(label, 0, kpar, notfound, a, 2);
    EXPECT_EQ(notfound, 0) << label;
    for (std::int32_t j = 0; j < kpar[1]; ++j) a[static_cast<std::size_t>(j) * 1000] = diagonal;
    return a;
  }
  static float el(const std::vector<float>& a, std::int32_t i, std::int32_t j) {
    return a[static_cast<std::size_t>(j - 1) * 999 + static_cast<std::size_t>(i - 1)];
  }

  std::vector<float> read_vector(std::string_view label, Kpar& kpar) {
    std::vector<float> x(999, 0.0f);
    std::int32_t notfound = 0;
    isf_real_vector(label, 0, kpar, notfound, x);
    EXPECT_EQ(notfound, 0) << label;
    x.resize(static_cast<std::size_t>(std::max(0, kpar[1])));
    return x;
  }

  bool on_isf(std::string_view label) {
    for (std::int32_t i = 1; i <= isf_count(); ++i) {
      if (io::padded_equal(isf_label_name(i), label)) return true;
    }
    return false;
  }

  // The listing lines that contain text.
  std::vector<std::string> listing_with(std::string_view text) {
    std::vector<std::string> hits;
    for (const std::string& line : file_lines("MONOUT")) {
      if (line.find(text) != std::string::npos) hits.push_back(line);
    }
    return hits;
  }
};

}  // namespace korvex::testing
