// Console streams of the run, redirectable for tests.
#include "io/console.hpp"

#include <iostream>

namespace korvex::io {

namespace {
std::ostream* g_out = nullptr;
std::ostream* g_err = nullptr;
std::istream* g_in = nullptr;
}  // namespace

std::ostream& console_out() { return g_out ? *g_out : std::cout; }
std::ostream& console_err() { return g_err ? *g_err : std::cerr; }
std::istream& console_in() { return g_in ? *g_in : std::cin; }

void out_line(const std::string& line) {
  console_out() << line << '\n';
  console_out().flush();
}

void err_line(const std::string& line) {
  console_err() << line << '\n';
  console_err().flush();
}

void redirect_console(std::ostream* out, std::ostream* err, std::istream* in) {
  g_out = out;
  g_err = err;
  g_in = in;
}

}  // namespace korvex::io
