// Fuzz driver for the data processing component DAP. The first byte picks the surface:
// the format-card analysis (the input's lines are the format cards, then the storage plan
// and its read formats are built), a name section (the lines are a name list), or the
// whole component (the input is the deck after *DAP; a line "=MTXIN1" starts the raw data).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data_entry/dap_internal.hpp"
#include "data_entry/data_entry.hpp"
#include "executive/units.hpp"
#include "fuzz_support.hpp"
#include "io/layout_int.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

using namespace korvex;

namespace {

// The input's lines as 80-column cards; past the last one the deck has ended, which stops
// the run as the card reader does.
dap::card_source cards_of(std::string_view text) {
  return [text, at = std::size_t{0}]() mutable -> std::string {
    if (at >= text.size()) throw Stop(0);
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string card(text.substr(at, end - at));
    at = end + 1;
    card.resize(dap::card_width, ' ');
    return card;
  };
}

void start_run() {
  fuzz::fresh_isf();
  reset_data_entry();
  dap::new_run();
  dap::dap_line(-1);
}

void format_cards(std::int32_t nv, std::string_view text) {
  try {
    const dap::field_table table = dap::parse_format(nv, cards_of(text));
    dap::storage_plan plan;
    dap::assign_field_storage(table, plan);
    dap::build_record_format(table, plan);
    dap::build_numeric_format(table, plan);
    // The formats DAP builds must be layouts the engine accepts.
    for (std::int32_t r = 1; r <= table.records_per_subject; ++r) {
      const std::string f = dap::record_format_of(plan, r);
      io::layout_detail::parse_layout(f);
    }
    if (!plan.numeric_format.empty()) io::layout_detail::parse_layout(plan.numeric_format);
  } catch (const dap::format_problem&) {
  }
}

void name_list(std::int32_t capacity, std::int32_t form, std::string_view text) {
  std::vector<std::string> names(static_cast<std::size_t>(capacity) + 1);
  const dap::name_store store = [&](std::int32_t index, const std::string& name) {
    if (index < 1 || index > capacity) __builtin_trap();  // DPNROL must keep to the capacity
    names[static_cast<std::size_t>(index)] = name;
  };
  dap::DPNROL(store, capacity, form, cards_of(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Bytes in(data, size);
  const std::uint8_t choice = in.byte();
  const std::uint8_t a = in.byte();
  const std::uint8_t b = in.byte();
  const std::string_view rest = in.rest();
  const fuzz::RunScope scope;
  switch (choice % 3) {
    case 0:
      fuzz::guarded([&] {
        start_run();
        format_cards(1 + (a | (b << 8)) % dap::max_variables, rest);
      });
      break;
    case 1:
      fuzz::guarded([&] {
        start_run();
        name_list(a % 64, b % 2, rest);
      });
      break;
    default: {
      const std::size_t split = rest.find("\n=MTXIN1\n");
      fuzz::write_file("MONIN", rest.substr(0, split == std::string_view::npos ? rest.size() : split + 1));
      fuzz::write_file("MTXIN1", split == std::string_view::npos ? std::string_view() : rest.substr(split + 9));
      fuzz::guarded([] {
        fuzz::fresh_isf();
        reset_data_entry();
        DAP();
      });
      break;
    }
  }
  return 0;
}
