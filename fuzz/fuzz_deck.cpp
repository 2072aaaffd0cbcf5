// Fuzz driver for whole runs: the input is a control deck, run in-process by OVER00 in a
// fresh folder. Lines "=TAKE", "=MTXIN1" and "=TITLES" start the contents of those files,
// so a deck can bring its saved ISF, its raw data and a text file it binds with *ASSIGN
// (variable titles) along; everything before the first is MONIN.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "data_entry/data_entry.hpp"
#include "executive/status.hpp"
#include "factoring/factoring.hpp"
#include "fuzz_support.hpp"
#include "printing/matrix_printers.hpp"
#include "scoring/scoring.hpp"
#include "structure/structure.hpp"
#include "typing/typing.hpp"

using namespace korvex;

namespace {

// A deck that could reach a file outside its folder: *ASSIGN adds a unit for any path, so
// a path naming another folder is left alone.
bool leaves_the_folder(std::string_view deck) {
  std::size_t start = 0;
  while (start < deck.size()) {
    std::size_t end = deck.find('\n', start);
    if (end == std::string_view::npos) end = deck.size();
    std::string_view card = deck.substr(start, end - start);
    if (card.size() >= 7 && card[0] == '*') {
      std::string keyword(card.substr(1, 6));
      for (char& c : keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (keyword == "ASSIGN" && card.find('/') != std::string_view::npos) return true;
    }
    start = end + 1;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::map<std::string, std::string> files;
  std::string* current = &files["MONIN"];
  std::size_t start = 0;
  while (start < input.size()) {
    std::size_t end = input.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? input.size() : end + 1;
    const std::string_view line = input.substr(start, next - start);
    if (line == "=TAKE\n" || line == "=MTXIN1\n" || line == "=TITLES\n") {
      current = &files[std::string(line.substr(1, line.size() - 2))];
    } else {
      current->append(line);
    }
    start = next;
  }
  if (leaves_the_folder(files["MONIN"])) return -1;  // not added to the corpus

  const fuzz::RunScope scope;
  // The components' own run-wide state, which a fresh process would start without.
  reset_data_entry();
  reset_dvp();
  reset_csa2();
  reset_rscat();
  reset_facs();
  reset_span2();
  reset_otype();
  reset_error_state();
  reset_header_state();
  reset_span_header_state();
  for (const auto& [name, bytes] : files) fuzz::write_file(name, bytes);
  const int status = OVER00();
  if (status != 0 && status != 1) __builtin_trap();
  return 0;
}
