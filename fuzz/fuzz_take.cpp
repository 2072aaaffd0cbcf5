// Fuzz driver for the binary permanent file: the input is a "TAKE" file. TAKE restores it
// into a fresh ISF; every label it registered is then read through the accessors, saved
// again with GIVE and listed by the ISF dump, as a later run would use it.
#include <cstdint>

#include "executive/units.hpp"
#include "fuzz_support.hpp"
#include "isf_entries.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::RunScope scope;
  fuzz::write_file("TAKE", std::string_view(reinterpret_cast<const char*>(data), size));
  std::int32_t failed = 1;
  fuzz::guarded([&] {
    fuzz::fresh_isf();
    std::int32_t page = 0;
    std::int32_t lines = 0;
    TAKE(get_unit("TAKE"), failed, page, lines, get_unit("MONOUT"));
  });
  reset_errors();
  if (!isf_ready()) return 0;
  fuzz::read_every_entry(size > 0 ? data[size - 1] : 0);
  fuzz::save_and_list();
  return 0;
}
