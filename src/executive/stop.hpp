// The one stop exception. Every fatal condition of the run, once it has written its console
// and listing lines, throws Stop; main catches it, closes every unit, removes the run's
// temporary files and ends the process with status 1. Nothing below main calls exit.
#pragma once

#include <exception>

namespace korvex {

class Stop : public std::exception {
 public:
  explicit Stop(int code) : code_(code) {}
  // The code last given to QUIT (0 after proc_error and stop_run).
  int code() const { return code_; }
  const char* what() const noexcept override { return "KORVEX stop"; }

 private:
  int code_;
};

}  // namespace korvex
