// A test fixture that runs system routines the way a deck would: in a fresh temporary
// folder, with the run-wide state reset, the unit table built and the console captured.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/over00.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"

namespace korvex::testing {

// What a component run left behind: whether it stopped, its stop code and the console.
struct RunResult {
  bool stopped = false;
  int code = -1;
  std::string console;
};

class RunFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("korvex-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    io::redirect_console(&out_, &err_);
    monin_written_ = false;
    reset_run_state();
    init_units();
  }
  void TearDown() override {
    reset_run_state();
    io::redirect_console(nullptr, nullptr);
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  // The lines of a file in the run folder (flushing the units first).
  std::vector<std::string> file_lines(const std::string& name) {
    flush_all_units();
    std::vector<std::string> lines;
    std::ifstream in(dir_ / name);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  static std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The index of the first line at or after `from` that contains text; -1 when none.
  static int find_line(const std::vector<std::string>& lines, const std::string& text,
                       int from = 0) {
    for (int i = from < 0 ? 0 : from; i < static_cast<int>(lines.size()); ++i) {
      if (lines[static_cast<std::size_t>(i)].find(text) != std::string::npos) return i;
    }
    return -1;
  }
  // How many lines contain text.
  static int count_lines(const std::vector<std::string>& lines, const std::string& text) {
    int n = 0;
    for (const std::string& l : lines) n += l.find(text) != std::string::npos ? 1 : 0;
    return n;
  }
  void write_file(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name) << text;
  }

  // Runs a component in-process with the given cards on MONIN and catches a stop. A later
  // run in the same test appends its cards: MONIN stays open for the run and is read on from
  // where the last run stopped.
  RunResult run_with_cards(const std::function<void()>& component,
                          const std::vector<std::string>& cards) {
    std::string text;
    for (const std::string& c : cards) text += c + "\n";
    if (!monin_written_) {
      write_file("MONIN", text);
      monin_written_ = true;
    } else {
      std::ofstream(dir_ / "MONIN", std::ios::app) << text;
    }
    out_.str("");
    RunResult r;
    try {
      component();
    } catch (const Stop& e) {
      r.stopped = true;
      r.code = e.code();
    }
    r.console = out_.str();
    reset_errors();
    return r;
  }

  std::ostringstream out_;
  std::ostringstream err_;
  bool monin_written_ = false;
  std::filesystem::path dir_;
  std::filesystem::path old_;
  static inline int counter_ = 0;
};

}  // namespace korvex::testing
