// Fixture of the object typing tests: a run folder with the ISF ready, writers of the score
// inputs (FSCOR1, MEANS2, STDEV2, ONAMS1), and a way to run *OTYPE with its cards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "executive/units.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"
#include "typing/otype.hpp"
#include "typing/otype_internal.hpp"
#include "run_fixture.hpp"

namespace korvex::testing {

class OtypeRun : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    reset_otype();
    init_page();
    isf_init();
  }
  void TearDown() override {
    reset_otype();
    RunFolder::TearDown();
  }

  // The component's units bound as its driver binds them, objects read by method 1 (FSCOR1)
  // onto the first scratch file; the state's other fields are the test's to set.
  static void bind_method1_units() {
    auto& s = otype::state();
    s.monout = get_unit("MONOUT");
    s.c.monpun = get_unit("MONPUN");
    s.c.mtsc1 = get_unit("MTSC1");
    s.c.mtsc2 = get_unit("MTSC2");
    s.c.ootype = get_unit("OOTYPE");
    s.sc.in_unit = s.sc.name_unit = s.c.mtsc1;
    s.sc.out_unit = s.c.mtsc2;
    s.c.inmeth = 1;
  }

  // MEANS2 (one value), STDEV2 and FSCOR1 with one record per subject; ONAMS1 unless
  // names is empty.
  static void put_scores(const std::vector<std::vector<float>>& scores,
                         const std::vector<float>& sd, float mean = 0.0f,
                         std::vector<std::string> names = {}) {
    std::int32_t notfound = 0;
    const auto nf = static_cast<std::int32_t>(sd.size());
    const auto nsub = static_cast<std::int32_t>(scores.size());
    std::vector<float> m = {mean};
    Kpar km{1, 1};
    isf_real_vector("MEANS2", 1, km, notfound, m);
    std::vector<float> s = sd;
    Kpar ks{1, nf};
    isf_real_vector("STDEV2", 1, ks, notfound, s);
    if (!names.empty()) {
      Kpar kn{3, 1, nsub, 100};
      std::vector<std::string> block(100);
      SNFILE("ONAMS1", 1, kn, notfound, block, 1);
      for (std::int32_t first = 0; first < nsub; first += 100) {
        for (std::int32_t i = 0; i < 100 && first + i < nsub; ++i)
          block[static_cast<std::size_t>(i)] = names[static_cast<std::size_t>(first + i)];
        SNFILE("ONAMS1", 1, kn, notfound, block, 2);
      }
    }
    put_score_rows("FSCOR1", scores, nf);
  }

  // A score entry (FSCOR1, DSCOR1) of nf scores with one record per subject.
  static void put_score_rows(std::string_view label, const std::vector<std::vector<float>>& rows,
                             std::int32_t nf) {
    std::int32_t notfound = 0;
    Kpar kf{3, nf, static_cast<std::int32_t>(rows.size()), nf};
    std::vector<float> row(static_cast<std::size_t>(nf));
    isf_real_chunks(label, 1, kf, notfound, row, 1);
    for (const auto& r : rows) {
      row = r;
      isf_real_chunks(label, 1, kf, notfound, row, 2);
    }
  }

  // Variable scores for method 4: MEANS1 (all 0, counting the subjects), STDEV1 and DSCOR1
  // with one record per subject.
  static void put_variable_scores(const std::vector<std::vector<float>>& objects,
                                  const std::vector<float>& sd) {
    std::int32_t notfound = 0;
    const auto nd = static_cast<std::int32_t>(sd.size());
    const auto nsub = static_cast<std::int32_t>(objects.size());
    std::vector<float> means(static_cast<std::size_t>(nd), 0.0f);
    Kpar km{3, nd, 1, nsub};
    isf_real_matrix("MEANS1", 1, km, notfound, means);
    std::vector<float> sds = sd;
    Kpar ks{2, nd, 1};
    isf_real_matrix("STDEV1", 1, ks, notfound, sds);
    put_score_rows("DSCOR1", objects, nd);
  }

  // A parameter card from its 17 fields (4 columns each, AMIS 10), blank where empty.
  static std::string card(const std::vector<std::pair<int, std::string>>& fields) {
    std::string c(80, ' ');
    for (const auto& [n, text] : fields) c.replace(static_cast<std::size_t>(4 * (n - 1)), text.size(), text);
    return c;
  }

  RunResult run(const std::vector<std::string>& cards) { return run_with_cards(&OTYPE, cards); }

  std::string listing() {
    std::string all;
    for (const std::string& l : file_lines("MONOUT")) all += l + "\n";
    return all;
  }
};

}  // namespace korvex::testing
