// The stop routines. A fatal condition writes its console lines (and the listing copy of a
// message), then throws Stop; main catches it and ends the process with status 1.
#include "executive/errors.hpp"

#include <initializer_list>
#include <string>

#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"

namespace korvex {

namespace {
std::int32_t g_quit_code = 0;
bool g_stopping = false;
bool g_run_failed = false;

// The layout "(1X,ANNN)" completed with the piece's length.
std::string piece_layout(std::size_t length) {
  return "(1X,A" + int_to_text(static_cast<std::int64_t>(length), 3) + ")";
}

void write_console_pieces(std::string_view text) {
  for (std::size_t start = 0; start < text.size(); start += 80) {
    const std::string_view piece = text.substr(start, 80);
    io::out_line(io::format_line(piece_layout(piece.size()), {piece}));
  }
}

// The stop of proc_error for one or more lines of message.
[[noreturn]] void stop_with_lines(std::initializer_list<std::string_view> lines) {
  io::out_line(io::format_line("(' * * * * * PROCESSING ERROR - KORVEX stopping')", {}));
  io::out_line(io::format_line("(1X)", {}));
  io::out_line(io::format_line("(1X)", {}));
  for (const std::string_view text : lines) write_console_pieces(text);
  // A second fatal condition while the first is being reported (the listing cannot be
  // opened, say) only reaches the console.
  if (!g_stopping) {
    g_stopping = true;
    const std::int32_t u = get_unit("MONOUT");
    write_formatted(u, "(1X)");
    const std::int32_t w = get_ncline() - 1 > 0 ? get_ncline() - 1 : 1;
    const std::size_t width = static_cast<std::size_t>(w);
    for (const std::string_view text : lines) {
      for (std::size_t start = 0; start < text.size(); start += width) {
        const std::string_view piece = text.substr(start, width);
        write_formatted(u, piece_layout(piece.size()), {piece});
      }
    }
  }
  QUIT(0);
}
}  // namespace

void proc_error(std::string_view text) { stop_with_lines({text}); }

void proc_error(std::string_view text, std::string_view second_line) {
  stop_with_lines({text, second_line});
}

void QUIT(std::int32_t code) {
  g_quit_code = code;
  g_stopping = true;
  if (code != 0) {
    io::out_line(io::format_line("(1X)", {}));
    io::out_line(io::format_line("(' QUIT: ERROR=',I5)", {code}));
  }
  io::out_line("");
  throw Stop(code);
}

void fatal_with_number(std::string_view text, std::int32_t number) {
  std::string digits = io::free_line({number}).substr(1);
  std::string closing = ")";
  if (digits.size() > 8) {
    digits.resize(7);
    closing = "*)";
  }
  std::string message(text);
  message += "(" + digits + closing;
  proc_error(message);
}

void stop_run() {
  g_stopping = true;
  throw Stop(g_quit_code);
}

std::int32_t quit_code() { return g_quit_code; }
void mark_run_failed() { g_run_failed = true; }
bool run_failed() { return g_run_failed; }

void reset_errors() {
  g_quit_code = 0;
  g_stopping = false;
  g_run_failed = false;
}

}  // namespace korvex
