// Fuzz driver for ISF images: a store with one entry per accessor is written, then its
// file MTIST is replaced by the input (seeded with that store's own bytes), and every
// label is read back through every accessor, saved with GIVE and dumped.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>

#include "executive/units.hpp"
#include "fuzz_support.hpp"
#include "isf_entries.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

using namespace korvex;

namespace {

void sample_store() {
  fuzz::fresh_isf();
  fuzz::write_sample_entries();
  flush_all_units();
}

}  // namespace

// KORVEX_ISF_SEED=<file> writes the sample store's image there (the driver's first seed).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* out = std::getenv("KORVEX_ISF_SEED")) {
    const std::filesystem::path target = std::filesystem::absolute(out);
    const fuzz::RunScope scope;
    sample_store();
    std::ifstream in("MTIST", std::ios::binary);
    std::ofstream(target, std::ios::binary)
        << std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    reset_run_state();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::RunScope scope;
  sample_store();
  const std::int32_t isf = isf_unit();
  std::filesystem::resize_file("MTIST", 0);
  const auto* bytes = reinterpret_cast<const std::byte*>(data);
  fuzz::guarded([&] { stream_file(isf).write(1, std::span<const std::byte>(bytes, size)); });
  fuzz::read_every_entry(size > 0 ? data[size - 1] : 0);
  fuzz::save_and_list();
  fuzz::guarded([] { stream_dump(get_unit("MTIST"), get_unit("MONOUT")); });
  return 0;
}
