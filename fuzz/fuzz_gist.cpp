// Fuzz driver for entry decks: the input is the deck that follows a *GIST card. GIST runs
// on it directly, over a fresh ISF, loading entries from the cards and unloading them to
// MONPUN; whatever it stored is then read back through the accessors.
#include <cstdint>

#include "executive/units.hpp"
#include "fuzz_support.hpp"
#include "isf_entries.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::RunScope scope;
  fuzz::write_file("MONIN", std::string_view(reinterpret_cast<const char*>(data), size));
  fuzz::guarded([] {
    fuzz::fresh_isf();
    GIST();
  });
  reset_errors();
  fuzz::guarded([&] {
    if (isf_ready()) fuzz::read_every_entry(size > 0 ? data[size - 1] : 0);
  });
  return 0;
}
