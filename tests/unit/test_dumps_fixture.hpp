// Shared ground of the dump tests: a run folder with the ISF initialised, the page state
// built, the console input replaced by an empty stream (so a pause never waits), and small
// builders for the lines the dumps should write.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "io/console.hpp"
#include "printing/page.hpp"
#include "test_isf_fixture.hpp"

namespace korvex::testing {

class DumpRun : public IsfFolder {
 protected:
  void SetUp() override {
    IsfFolder::SetUp();
    init_page();
    monout_ = get_monout();
    io::redirect_console(&out_, &err_, &in_);
  }

  std::vector<std::string> listing() { return file_lines("MONOUT"); }

  static std::string blanks(std::size_t n) { return std::string(n, ' '); }
  static std::string rjust(std::string_view s, std::size_t width) {
    return s.size() >= width ? std::string(s) : blanks(width - s.size()) + std::string(s);
  }
  static std::string ljust(std::string_view s, std::size_t width) {
    return s.size() >= width ? std::string(s) : std::string(s) + blanks(width - s.size());
  }
  // The paging protocol's page header at the current width.
  static std::string pager_header(int page) {
    return "1KORVEX" + blanks(static_cast<std::size_t>(get_ncline() - 16)) + "Page" +
           rjust(std::to_string(page), 5);
  }
  // A text of one piece centred by pr_line on the current width.
  static std::string centred(std::string_view text) {
    const auto n = static_cast<std::int32_t>(text.size());
    return blanks(static_cast<std::size_t>(get_ncline() / 2 - n / 2)) + std::string(text);
  }
  // One dump item: two empty lines, then the caption and k cells per line (7 blanks in
  // front of every further line); a caption without cells stands alone.
  static std::vector<std::string> item(std::string_view caption, const std::vector<std::string>& cells,
                                       std::size_t k) {
    std::vector<std::string> lines = {" ", " "};
    std::size_t j = 0;
    do {
      std::string line = j == 0 ? std::string(caption) : blanks(7);
      for (std::size_t i = 0; i < k && j < cells.size(); ++i, ++j) line += cells[j];
      lines.push_back(line);
    } while (j < cells.size());
    return lines;
  }
  // The message of a fatal stop in the console text (its pieces of 80 joined), wherever the
  // stop's header stands; "" when there is none.
  static std::string fatal_message(const std::string& console) {
    const std::string header = " * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n";
    const std::size_t at = console.find(header);
    if (at == std::string::npos) return "";
    std::string rest = console.substr(at + header.size());
    rest = rest.substr(0, rest.find("\n\n"));
    std::string message;
    for (const std::string& piece : lines_of(rest)) message += piece.substr(1);
    return message;
  }
  static void append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
  }

  std::istringstream in_;
  std::int32_t monout_ = 0;
};

}  // namespace korvex::testing
