// Fixture of the printer tests: a fresh run folder with the unit table and the page state
// built, the listing MONOUT read back as lines, and small builders for the expected lines
// (blank runs, right-aligned texts, the printers' own page header).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "executive/stop.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "run_fixture.hpp"

namespace korvex::testing {

class PrintingRun : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    init_page();
    unit_ = get_monout();
  }

  std::vector<std::string> listing() { return file_lines("MONOUT"); }

  // Runs a call that must stop the run; returns what it wrote on the console.
  std::string stop_console(const std::function<void()>& call) {
    out_.str("");
    EXPECT_THROW(call(), Stop);
    return out_.str();
  }
  // The message line of proc_error on the console.
  static std::string fatal_line(std::string_view message) {
    return "\n " + std::string(message) + "\n";
  }

  static std::string blanks(std::size_t n) { return std::string(n, ' '); }
  static std::string rjust(std::string_view s, std::size_t width) {
    return s.size() >= width ? std::string(s) : blanks(width - s.size()) + std::string(s);
  }
  static std::string rjust(long n, std::size_t width) { return rjust(std::to_string(n), width); }
  static std::string ljust(std::string_view s, std::size_t width) {
    return s.size() >= width ? std::string(s) : std::string(s) + blanks(width - s.size());
  }
  // The page header of the scalar, vector and list printers at the current width.
  static std::string printer_header(int page) {
    return "1" + blanks(static_cast<std::size_t>(get_ncline() - 10)) + "Page" + rjust(page, 5);
  }
  // The page header of the paging protocol at the current width.
  static std::string pager_header(int page) {
    return "1KORVEX" + blanks(static_cast<std::size_t>(get_ncline() - 16)) + "Page" +
           rjust(page, 5);
  }

  std::int32_t unit_ = 0;
};

}  // namespace korvex::testing
