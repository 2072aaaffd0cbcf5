// The console streams of the run: standard output (fatal lines, stop codes, elapsed time)
// and standard error (the MONERR unit: progress lines and the interpreter's answers), and
// the console input that the dumps read after a failure. Tests redirect them.
#pragma once

#include <iosfwd>
#include <string>

namespace korvex::io {

std::ostream& console_out();
std::ostream& console_err();
std::istream& console_in();

// Writes one console line (the text and "\n") to standard output or standard error.
void out_line(const std::string& line);
void err_line(const std::string& line);

// Points the console streams elsewhere (nullptr: back to the process's own streams).
void redirect_console(std::ostream* out, std::ostream* err, std::istream* in = nullptr);

}  // namespace korvex::io
