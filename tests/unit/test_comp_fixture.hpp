// Shared ground of the COMP1 and COMP2 tests: a run folder with a fresh ISF and page state,
// a writer of comparison decks as COMP1 punches them (coefficients already x 10000), and
// readers of the entries COMP2 stores.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "isf_inputs.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"
#include "storage/storage.hpp"
#include "typing/comp.hpp"

namespace korvex::testing {

// One group's comparison deck: coefficient columns as punched integers, 20 names (V001 ...
// unless given), definer lists (none: the deck says they are missing).
struct GroupDeck {
  std::string title = "A GROUP";
  std::vector<std::vector<int>> cols;
  std::vector<std::string> names;
  std::vector<std::vector<int>> defs;
  int nvar() const { return cols.empty() ? 0 : static_cast<int>(cols[0].size()); }
};

inline std::string fmt4(int v) {
  char b[16];
  std::snprintf(b, sizeof b, "%4d", v);
  return b;
}
inline std::string fmt8(int v) {
  char b[16];
  std::snprintf(b, sizeof b, "%8d", v);
  return b;
}

// Cards of `per` items a card, each item formatted by f, label columns left blank.
template <class T, class F>
void add_cards(std::vector<std::string>& out, const std::vector<T>& v, std::size_t per, F f) {
  for (std::size_t s = 0; s < v.size(); s += per) {
    std::string card;
    for (std::size_t i = s; i < v.size() && i < s + per; ++i) card += f(v[i]);
    out.push_back(card);
  }
}

inline std::vector<std::string> deck_cards(const GroupDeck& g) {
  std::vector<std::string> out{"DATA FILE PREPARED BY COMP1 FOR COMP2", g.title};
  const int nv = g.nvar();
  out.push_back(fmt4(nv) + fmt4(static_cast<int>(g.cols.size())) + fmt4(g.defs.empty() ? 1 : 0));
  for (const auto& c : g.cols) add_cards(out, c, 9, fmt8);
  std::vector<std::string> names = g.names;
  for (int i = static_cast<int>(names.size()); i < nv; ++i) {
    char b[16];
    std::snprintf(b, sizeof b, "V%03d", i + 1);
    names.push_back(b);
  }
  add_cards(out, names, 3, [](const std::string& n) { return (n + std::string(20, ' ')).substr(0, 20); });
  if (g.defs.empty()) return out;
  std::vector<int> counts;
  for (const auto& d : g.defs) counts.push_back(static_cast<int>(d.size()));
  add_cards(out, counts, 18, fmt4);
  for (const auto& d : g.defs) add_cards(out, d, 18, fmt4);
  return out;
}

class CompRun : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
  }

  // A run of its own: MONIN, the listing, MONPUN and the ISF start empty, the units and page afresh
  // (a stopped run leaves unread cards behind on MONIN).
  void fresh_run() {
    reset_run_state();
    std::filesystem::remove(dir_ / "MONIN");
    std::filesystem::remove(dir_ / "MONOUT");
    std::filesystem::remove(dir_ / "MONPUN");
    init_units();
    isf_init();
    init_page();
    monin_written_ = false;
  }

  // COMP2, in a fresh run, with its title and option card, the list cards, then the group decks.
  RunResult comp2(const std::string& options, const std::vector<std::string>& lists,
                  const std::vector<GroupDeck>& groups, const std::string& title = "THE COMPARISON RUN") {
    fresh_run();
    std::vector<std::string> cards{title, options};
    cards.insert(cards.end(), lists.begin(), lists.end());
    for (const GroupDeck& g : groups) {
      const std::vector<std::string> d = deck_cards(g);
      cards.insert(cards.end(), d.begin(), d.end());
    }
    return run_with_cards(&COMP2, cards);
  }

  // CORRM1 as a full matrix with 999 rows (diagonal set to 1), and its KPAR.
  std::vector<float> corrm1(Kpar& kpar) {
    std::vector<float> a(999u * 999u, 1.0f);
    std::int32_t notfound = 1;
    isf_real_square("CORRM1", 0, kpar, notfound, a, 2);
    EXPECT_EQ(notfound, 0);
    return a;
  }
  std::vector<std::string> vnams1(Kpar& kpar) {
    std::vector<std::string> names(999);
    std::int32_t notfound = 1;
    isf_name_vector("VNAMS1", 0, kpar, notfound, names);
    EXPECT_EQ(notfound, 0);
    return names;
  }
  std::string listing() {
    std::string all;
    for (const std::string& l : file_lines("MONOUT")) all += l + "\n";
    return all;
  }
};

}  // namespace korvex::testing
