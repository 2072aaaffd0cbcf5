// Shared ground of the entry-deck tests: a run folder with the ISF and page state as at
// start-up, a runner that hands GIST the cards after *GIST and returns the text of a stop,
// and small builders for cards and for reading matrices back.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "executive/errors.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"
#include "storage/gist.hpp"
#include "storage/storage.hpp"

namespace korvex::testing {

// Right-aligns each text in 8 columns: one card of (9F8.4) fields.
inline std::string f8(std::initializer_list<const char*> fields) {
  std::string card;
  for (const char* f : fields) card += std::string(8 - std::string(f).size(), ' ') + f;
  return card;
}

class GistFolder : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
  }

  // A fresh run in the same folder: units, ISF and page state as at start-up.
  void fresh_run() {
    reset_units();
    reset_isf();
    init_units();
    isf_init();
    init_page();
  }

  // Runs GIST over the cards (those after *GIST). Returns the message of the stop, or ""
  // when GIST ended at its blank card.
  std::string gist(const std::vector<std::string>& cards) {
    std::string deck;
    for (const std::string& c : cards) deck += c + "\n";
    write_file("MONIN", deck);
    out_.str("");
    try {
      GIST();
    } catch (const Stop&) {
      reset_errors();
      return stop_message();
    }
    return {};
  }

  // The proc_error text on the console: its 80-column console lines joined.
  std::string stop_message() const {
    const std::string header = " * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n";
    const std::string console = out_.str();
    const std::size_t at = console.find(header);
    if (at == std::string::npos) return "(no processing-error lines)";
    std::string message;
    std::size_t p = at + header.size();
    for (std::size_t e; (e = console.find('\n', p)) != std::string::npos && e > p; p = e + 1) {
      message += console.substr(p + 1, e - p - 1);
    }
    return message;
  }

  std::vector<float> square(std::string_view label, std::int32_t n) {
    std::vector<float> a(static_cast<std::size_t>(999 * n), 0.0f);
    Kpar kpar{};
    std::int32_t notfound = 0;
    isf_real_square(label, 0, kpar, notfound, a, 2);
    EXPECT_EQ(notfound, 0);
    EXPECT_EQ(kpar[1], n);
    return a;
  }
  std::vector<std::string> listing() { return file_lines("MONOUT"); }
  bool listing_has(const std::string& line) {
    for (const std::string& l : listing()) {
      if (l == line) return true;
    }
    return false;
  }
};

// Element (i, j), 1-based, of a matrix stored by columns with 999 rows.
inline float at(const std::vector<float>& a, int i, int j) {
  return a[static_cast<std::size_t>((j - 1) * 999 + (i - 1))];
}

}  // namespace korvex::testing
