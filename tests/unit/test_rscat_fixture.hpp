// Shared ground of the RSCAT tests: a run folder with a fresh ISF and page state, writers of
// the score entry FSCOR1 and the subject names ONAMS1, a control-card builder, a runner that
// puts the cards on MONIN and runs *RSCAT in-process, and finders over the listing.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "printing/page.hpp"
#include "run_fixture.hpp"
#include "scoring/rscat.hpp"
#include "scoring/rscat_internal.hpp"
#include "storage/storage.hpp"

namespace korvex::testing {

class RscatRun : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
    reset_rscat();
  }
  void TearDown() override {
    reset_rscat();
    RunFolder::TearDown();
  }

  // FSCOR1 with nf scores per subject, one record per subject; scores[s][f].
  static void put_scores(const std::vector<std::vector<float>>& scores) {
    const auto nf = static_cast<std::int32_t>(scores.empty() ? 1 : scores[0].size());
    Kpar kpar{3, nf, static_cast<std::int32_t>(scores.size()), nf};
    std::int32_t notfound = 0;
    std::vector<float> chunk(static_cast<std::size_t>(nf));
    isf_real_chunks("FSCOR1", 1, kpar, notfound, chunk, 1);
    for (const std::vector<float>& s : scores) {
      chunk = s;
      isf_real_chunks("FSCOR1", 1, kpar, notfound, chunk, 2);
    }
  }
  // Two composites per subject from two columns.
  static void put_pairs(const std::vector<float>& x, const std::vector<float>& y) {
    std::vector<std::vector<float>> s;
    for (std::size_t i = 0; i < x.size(); ++i) s.push_back({x[i], y[i]});
    put_scores(s);
  }
  static void put_subject_names(std::vector<std::string> names) {
    for (std::string& n : names) n.resize(20, ' ');
    Kpar kpar{3, 1, static_cast<std::int32_t>(names.size()), 100};
    std::int32_t notfound = 0;
    SNFILE("ONAMS1", 1, kpar, notfound, names, 1);
    for (std::size_t first = 0; first < names.size(); first += 100) {
      std::vector<std::string> chunk(names.begin() + static_cast<std::ptrdiff_t>(first),
                                     names.begin() + static_cast<std::ptrdiff_t>(std::min(first + 100, names.size())));
      SNFILE("ONAMS1", 1, kpar, notfound, chunk, 2);
    }
  }

  // A control card: each field right-justified in its columns, blank when negative.
  static std::string card(int select, int data, int slice, int spot, int common, int nolist,
                          int nsin, int miss = -1) {
    std::string c;
    for (int v : {select, data, slice, spot, common, nolist, nsin}) {
      std::string f = v < 0 ? "" : std::to_string(v);
      c += std::string(4 - f.size(), ' ') + f;
    }
    std::string f = miss < 0 ? "" : std::to_string(miss);
    c += std::string(3 - f.size(), ' ') + f;
    return c;
  }
  // The usual card: everything default but NSIN and, when given, SPOT and NOLIST.
  static std::string nsin_card(int nsin, int spot = -1, int nolist = 1) {
    return card(-1, -1, -1, spot, -1, nolist, nsin);
  }

  // A new process in a new folder: the state of the last run gone.
  void fresh_process() {
    TearDown();
    SetUp();
  }

  RunResult rscat(const std::vector<std::string>& cards) { return run_with_cards(&RSCAT, cards); }

  std::vector<std::string> listing() { return file_lines("MONOUT"); }
  // Index of the first listing line holding text at or after line from; -1 when none.
  static int find(const std::vector<std::string>& lines, const std::string& text, int from = 0) {
    for (int i = from; i < static_cast<int>(lines.size()); ++i) {
      if (lines[static_cast<std::size_t>(i)].find(text) != std::string::npos) return i;
    }
    return -1;
  }
  static int count(const std::vector<std::string>& lines, const std::string& text) {
    int n = 0;
    for (const std::string& l : lines) n += l.find(text) != std::string::npos ? 1 : 0;
    return n;
  }
  // The console cuts a long message into lines of 80 after a blank: joined back here.
  static bool console_has(const RunResult& r, const std::string& text) {
    std::string joined;
    for (const std::string& line : lines_of(r.console)) joined += line.empty() ? "" : line.substr(1);
    return r.console.find(text) != std::string::npos || joined.find(text) != std::string::npos;
  }
};

}  // namespace korvex::testing
